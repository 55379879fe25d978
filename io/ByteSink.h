#pragma once
// Destination of encoded bytes: a file being written or a memory buffer.

#include <cstddef>
#include <cstring>
#include <new>

#include "io/DibImage.h"

namespace Carrow::FileIO {

/// Receives the bytes of an encoded file in order.
class ByteSink {
public:
    virtual ~ByteSink() = default;

    /// Appends `size` bytes; false when they could not be stored (the sink is
    /// then unusable and the encoding must stop). Calling thread only.
    virtual bool Write(const void* data, std::size_t size) = 0;

    /// Appends a whole buffer, which the sink may take over instead of
    /// copying; `bytes` is unspecified afterwards.
    virtual bool WriteBuffer(PixelBuffer&& bytes) { return Write(bytes.data(), bytes.size()); }
};

/// Collects the bytes in a buffer it owns.
class MemoryByteSink final : public ByteSink {
public:
    /// Reserves `expectedBytes` (address space only; pages are touched as the
    /// bytes arrive) so that growing rarely copies.
    explicit MemoryByteSink(std::size_t expectedBytes = 0) { m_bytes.reserve(expectedBytes); }

    bool Write(const void* data, std::size_t size) override
    {
        const std::size_t old = m_bytes.size();
        try {
            m_bytes.resize(old + size);
        } catch (const std::bad_alloc&) {
            return false;
        }
        if (size) std::memcpy(m_bytes.data() + old, data, size);
        return true;
    }

    bool WriteBuffer(PixelBuffer&& bytes) override
    {
        if (!m_bytes.empty()) return Write(bytes.data(), bytes.size());
        m_bytes.swap(bytes);
        return true;
    }

    /// The bytes written so far.
    PixelBuffer& Bytes() { return m_bytes; }

private:
    PixelBuffer m_bytes;
};

} // namespace Carrow::FileIO

#pragma once
// Random-access reading of a regular file by its path (the file system's
// bytes, see WideToFileName).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace Carrow::FileIO {

class FileReader final {
public:
    FileReader() = default;
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    /// Opens `nativePath` for reading. False when it cannot be opened or is not
    /// a regular file (a FIFO or device would block or never end).
    bool Open(const std::string& nativePath);

    /// Opens `nativePath` read-only as a descriptor, refusing anything but a
    /// regular file; -1 on failure. The caller closes it.
    static int OpenRegularFile(const std::string& nativePath);

    /// Opens `nativePath` as a buffered stream for reading, refusing anything
    /// but a regular file; null on failure. The caller closes it (fclose).
    static std::FILE* OpenStream(const std::string& nativePath);

    /// Size of the file in bytes when it was opened.
    std::uint64_t Size() const { return m_size; }

    /// Reads up to `size` bytes at `offset` into `buffer`; returns how many
    /// were read (fewer at the end of the file or on an error).
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const;

    /// True when exactly `size` bytes could be read at `offset`.
    bool ReadExactAt(std::uint64_t offset, void* buffer, std::size_t size) const
    {
        return ReadAt(offset, buffer, size) == size;
    }

private:
    int m_fd{-1};
    std::uint64_t m_size{};
};

} // namespace Carrow::FileIO

#include "operations/PixelBuffer.h"

#include <cstdint>
#include <cstring>
#include <mutex>
#include <thread>

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace PixelBuffer {

namespace {

// Advises the whole pages inside [data, data + size) to be backed by huge
// pages. Purely advisory: a kernel without transparent huge pages ignores it.
void AdviseHugePages([[maybe_unused]] unsigned char* data, [[maybe_unused]] std::size_t size)
{
#if defined(MADV_HUGEPAGE)
    static const std::uintptr_t page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + page - 1) & ~(page - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(page - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#endif
}

void ReserveFresh(std::vector<unsigned char>& out, std::size_t capacity)
{
    // An empty vector's new storage is untouched until written: advise first.
    std::vector<unsigned char> fresh;
    fresh.reserve(capacity);
    AdviseHugePages(fresh.data(), capacity);
    out.swap(fresh);
}

// The spare buffer and the thread that makes it. The thread owns the buffer
// it fills until it hands it over under the lock; whoever wants the spare
// first joins a thread still at work (outside the lock, which the thread
// needs to hand over). Joined at the latest when the program ends.
class Spare {
public:
    ~Spare() { Join(); }

    void Prepare(std::size_t size)
    {
        std::lock_guard lock(m_mutex);
        if (m_working || m_buffer.capacity() >= size) return;
        if (m_thread.joinable()) m_thread.join();  // finished: it cleared m_working
        std::vector<unsigned char>().swap(m_buffer);  // frees it (assigning {} would keep the storage)
        m_working = true;
        m_thread = std::thread([this, size] {
            std::vector<unsigned char> buffer;
            ReserveFresh(buffer, size);
            buffer.resize(size);  // touches every page
            std::lock_guard handOver(m_mutex);
            m_buffer.swap(buffer);
            m_working = false;
        });
    }

    // The spare when it holds at least `capacity` bytes, else an empty vector.
    std::vector<unsigned char> Take(std::size_t capacity)
    {
        Join();
        std::lock_guard lock(m_mutex);
        std::vector<unsigned char> taken;
        // A spare far larger than asked for is kept for the snapshot it was made for.
        if (m_buffer.capacity() >= capacity && m_buffer.capacity() / 2 <= capacity) taken.swap(m_buffer);
        taken.clear();
        return taken;
    }

    std::size_t Capacity()
    {
        Join();
        std::lock_guard lock(m_mutex);
        return m_buffer.capacity();
    }

    void Release()
    {
        Join();
        std::lock_guard lock(m_mutex);
        std::vector<unsigned char>().swap(m_buffer);  // frees it (assigning {} would keep the storage)
    }

private:
    void Join()
    {
        std::thread finishing;
        {
            std::lock_guard lock(m_mutex);
            finishing.swap(m_thread);
        }
        if (finishing.joinable()) finishing.join();
    }

    std::mutex m_mutex;
    std::thread m_thread;                 // guarded by m_mutex
    bool m_working{false};                // guarded by m_mutex
    std::vector<unsigned char> m_buffer;  // guarded by m_mutex
};

Spare& TheSpare()
{
    static Spare spare;
    return spare;
}

} // namespace

void ReserveLarge(std::vector<unsigned char>& out, std::size_t capacity)
{
    if (out.capacity() >= capacity) return;
    if (capacity < kHugePageThreshold || !out.empty()) {
        out.reserve(capacity);
        return;
    }
    std::vector<unsigned char> spare = TheSpare().Take(capacity);
    if (spare.capacity() >= capacity)
        out.swap(spare);
    else
        ReserveFresh(out, capacity);
}

void PrepareSpare(std::size_t size)
{
    if (size >= kHugePageThreshold) TheSpare().Prepare(size);
}

void ReleaseSpare() { TheSpare().Release(); }

std::size_t SpareCapacity() { return TheSpare().Capacity(); }

void AssignCopy(std::vector<unsigned char>& out, const unsigned char* source, std::size_t size)
{
    if (out.capacity() < size) {
        out.clear();
        out.shrink_to_fit();  // give the old storage back before taking new
        ReserveLarge(out, size);
    }
    out.assign(source, source + size);
}

} // namespace PixelBuffer

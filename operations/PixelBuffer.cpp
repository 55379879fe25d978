#include "operations/PixelBuffer.h"

#include <cstdint>
#include <cstring>

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

} // namespace

void ReserveLarge(std::vector<unsigned char>& out, std::size_t capacity)
{
    if (out.capacity() >= capacity) return;
    if (capacity < kHugePageThreshold || !out.empty()) {
        out.reserve(capacity);
        return;
    }
    // An empty vector's new storage is untouched until written: advise first.
    std::vector<unsigned char> fresh;
    fresh.reserve(capacity);
    AdviseHugePages(fresh.data(), capacity);
    out.swap(fresh);
}

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

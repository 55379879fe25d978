#pragma once
// Filling large pixel vectors without paying for every 4 KiB page fault.
//
// A 24-megapixel snapshot is 72 MB. Fresh memory of that size arrives from the
// kernel page by page, and each page fault costs far more than copying the
// page, so a plain copy into a new vector spends most of its time faulting.
// Asking for transparent huge pages before the first byte is written cuts the
// number of faults by 512. Small images take the ordinary path.

#include <cstddef>
#include <vector>

namespace PixelBuffer {

/// Vectors at least this large are advised to use huge pages.
inline constexpr std::size_t kHugePageThreshold = 4u << 20;

/// Makes `out` a copy of the `size` bytes at `source`, reusing its storage
/// when it is large enough and otherwise allocating new storage that is
/// advised to use huge pages before it is touched. Throws std::bad_alloc
/// like any vector growth. Any thread.
void AssignCopy(std::vector<unsigned char>& out, const unsigned char* source, std::size_t size);

/// Gives `out` room for at least `capacity` bytes without changing its
/// contents, advising huge pages for newly allocated large storage. Any thread.
void ReserveLarge(std::vector<unsigned char>& out, std::size_t capacity);

} // namespace PixelBuffer

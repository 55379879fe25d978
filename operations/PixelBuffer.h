#pragma once
// Filling large pixel vectors without paying for every 4 KiB page fault.
//
// A 24-megapixel snapshot is 72 MB. Fresh memory of that size arrives from the
// kernel page by page, and each page fault costs far more than copying the
// page, so a plain copy into a new vector spends most of its time faulting.
// Asking for transparent huge pages before the first byte is written cuts the
// number of faults by 512. Small images take the ordinary path. Where a large
// snapshot is sure to follow, a spare buffer can be faulted in beforehand on
// another thread (PrepareSpare).

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
/// contents, advising huge pages for newly allocated large storage; an empty
/// `out` takes the spare buffer (PrepareSpare) when it is large enough. Any
/// thread. A spare more than twice as large as needed is left for another.
void ReserveLarge(std::vector<unsigned char>& out, std::size_t capacity);

/// Starts making one large buffer of `size` bytes ready on a thread of its
/// own: allocated, advised and every page touched, so that the next
/// ReserveLarge or AssignCopy that needs new storage of at most `size` bytes
/// takes it at once instead of faulting fresh memory in (a 24-megapixel
/// snapshot in 4 KiB pages costs a quarter of a second of page faults; in
/// huge pages, when the kernel grants them, a few milliseconds). Meant for a
/// snapshot that is sure to follow soon, such as a brush stroke's history
/// step. One spare is kept at a time: a call while one of at least `size`
/// bytes is ready or being made does nothing. Sizes below
/// kHugePageThreshold are ignored. Any thread.
void PrepareSpare(std::size_t size);
/// Frees the spare buffer (after waiting for one being made). Any thread.
void ReleaseSpare();
/// The capacity of the spare buffer once it is ready; 0 when there is none
/// (waits for one being made). Any thread.
std::size_t SpareCapacity();

} // namespace PixelBuffer

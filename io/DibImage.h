#pragma once
// Views of the library's pixel rows: bottom-up device-independent-bitmap rows
// (row 0 in memory is the bottom row of the picture), 3 bytes per pixel in the
// order blue, green, red for 24 bits, 4 bytes blue, green, red, alpha (or
// padding) for 32 bits, rows `stride` bytes apart.

#include <atomic>
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

#include "io/ImageFormatIds.h"
#include "platform/WinTypes.h"

namespace Carrow::FileIO {

/// Allocator whose `construct()` without arguments leaves bytes uninitialised,
/// so that growing a pixel vector does not first clear memory that the
/// decoder overwrites anyway.
template <class T>
struct DefaultInitAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = DefaultInitAllocator<U>;
    };
    DefaultInitAllocator() noexcept = default;
    template <class U>
    DefaultInitAllocator(const DefaultInitAllocator<U>&) noexcept
    {
    }
    /// Default-initialises: a new byte keeps whatever the memory held.
    template <class U>
    void construct(U* p) noexcept
    {
        ::new (static_cast<void*>(p)) U;
    }
    /// Constructs from `args`, as std::allocator does.
    template <class U, class... Args>
    void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

/// Byte vector for pixel rows and encoded files; `resize` does not zero.
using PixelBuffer = std::vector<BYTE, DefaultInitAllocator<BYTE>>;

/// Read-only bottom-up rows to encode.
struct DibView {
    const BYTE* bits{};      ///< first byte of the bottom row
    LONG width{};            ///< pixels, > 0
    LONG height{};           ///< pixels, > 0
    std::size_t stride{};    ///< bytes from one row to the next
    int pixelFormat{};       ///< one of the four accepted pixel formats
    LONG xPelsPerMeter{};    ///< horizontal resolution; <= 0 when unknown
    LONG yPelsPerMeter{};    ///< vertical resolution; <= 0 when unknown
    /// When set, the encoder stores here how many rows it has encoded so far,
    /// so that another thread can show the progress of a save.
    std::atomic<LONG>* rowsDone{};

    /// Row `y` counted from the top of the picture (0 = top row).
    const BYTE* TopDownRow(LONG y) const
    {
        return bits + static_cast<std::size_t>(height - 1 - y) * stride;
    }

    /// Counts `rows` more rows as encoded (see rowsDone). Any encoding thread.
    void CountRows(LONG rows) const
    {
        if (rowsDone) rowsDone->fetch_add(rows, std::memory_order_relaxed);
    }
};

/// Writable bottom-up rows a decoder fills.
struct DibTarget {
    BYTE* bits{};            ///< first byte of the bottom row
    LONG width{};            ///< pixels of the rows, as the picture is shown
    LONG height{};
    std::size_t stride{};
    int pixelFormat{};
    /// The Exif/TIFF orientation (1 to 8) that turns the file's stored
    /// picture into these rows; 1 when it is shown as stored. Decoders write
    /// through an OrientedRowWriter, which applies it.
    int orientation{1};

    /// Size of the picture as the file stores it: with orientations 5 to 8
    /// (a quarter turn) its width is the rows' height and its height their width.
    LONG StoredWidth() const { return orientation >= 5 ? height : width; }
    LONG StoredHeight() const { return orientation >= 5 ? width : height; }

    /// Row `y` counted from the top of the picture (0 = top row).
    BYTE* TopDownRow(LONG y) const
    {
        return bits + static_cast<std::size_t>(height - 1 - y) * stride;
    }
};

/// Colour channel `c` of a pixel with premultiplied alpha `a` as a straight
/// (unassociated) value, rounded; 0 for a fully transparent pixel.
constexpr BYTE Unpremultiply(unsigned c, unsigned a)
{
    if (a == 0) return 0;
    const unsigned v = (c * 255 + a / 2) / a;
    return static_cast<BYTE>(v > 255 ? 255 : v);
}

/// True for the four pixel formats the library reads and writes.
constexpr bool IsAcceptedPixelFormat(int pixelFormat)
{
    return pixelFormat == PixelFormat24bppRGB || pixelFormat == PixelFormat32bppARGB ||
           pixelFormat == PixelFormat32bppPARGB || pixelFormat == PixelFormat32bppRGB;
}

} // namespace Carrow::FileIO

#pragma once
// Views of the library's pixel rows: bottom-up device-independent-bitmap rows
// (row 0 in memory is the bottom row of the picture), 3 bytes per pixel in the
// order blue, green, red for 24 bits, 4 bytes blue, green, red, alpha (or
// padding) for 32 bits, rows `stride` bytes apart.

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

    /// Row `y` counted from the top of the picture (0 = top row).
    const BYTE* TopDownRow(LONG y) const
    {
        return bits + static_cast<std::size_t>(height - 1 - y) * stride;
    }
};

/// Writable bottom-up rows a decoder fills.
struct DibTarget {
    BYTE* bits{};            ///< first byte of the bottom row
    LONG width{};
    LONG height{};
    std::size_t stride{};
    int pixelFormat{};

    /// Row `y` counted from the top of the picture (0 = top row).
    BYTE* TopDownRow(LONG y) const
    {
        return bits + static_cast<std::size_t>(height - 1 - y) * stride;
    }
};

/// True for the four pixel formats the library reads and writes.
constexpr bool IsAcceptedPixelFormat(int pixelFormat)
{
    return pixelFormat == PixelFormat24bppRGB || pixelFormat == PixelFormat32bppARGB ||
           pixelFormat == PixelFormat32bppPARGB || pixelFormat == PixelFormat32bppRGB;
}

} // namespace Carrow::FileIO

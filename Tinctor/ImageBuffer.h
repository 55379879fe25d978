#pragma once
// Internal view of a validated image buffer: pointer, size and stride. Every
// public function of the library validates its arguments into one of these and
// hands it to kernels that never assume stride == width * bytes per pixel.

#include <cstddef>
#include <optional>
#include <type_traits>
#include <vector>

#include "platform/WinTypes.h"

namespace ImageProcess {

/// A view of bottom-up pixel rows; `Byte` is `unsigned char` for images the
/// kernel writes and `const unsigned char` for images it only reads.
template <typename Byte>
struct BasicImageBuffer {
    Byte* data{nullptr};           ///< first byte of memory row 0 (the BOTTOM row of the picture)
    int width{0};
    int height{0};
    std::size_t stride{0};         ///< bytes from one memory row to the next
    int bytesPerPixel{0};          ///< 3 or 4

    /// Memory row `y` (0 = bottom row of the picture).
    Byte* Row(int y) const { return data + static_cast<std::size_t>(y) * stride; }
    /// Memory row of picture row `top` counted from the top.
    Byte* RowFromTop(int top) const { return Row(height - 1 - top); }
    /// Bytes of pixel data in one row (the stride without its padding).
    std::size_t RowBytes() const { return static_cast<std::size_t>(width) * static_cast<std::size_t>(bytesPerPixel); }

    /// A writable view converts to a read-only one.
    operator BasicImageBuffer<const unsigned char>() const
        requires(!std::is_const_v<Byte>)
    {
        return {data, width, height, stride, bytesPerPixel};
    }
};

using ImageBuffer = BasicImageBuffer<unsigned char>;
using ConstImageBuffer = BasicImageBuffer<const unsigned char>;

/// Checks `header` against `pixels` (positive width and height, 24 or 32 bits,
/// BI_RGB, a vector holding at least stride * height bytes, biSizeImage either
/// 0 or stride * height) and returns the view; nothing when they don't match.
std::optional<ImageBuffer> MakeImageBuffer(std::vector<unsigned char>& pixels, const BITMAPINFO& header);

/// The same check for an image that is only read.
std::optional<ConstImageBuffer> MakeConstImageBuffer(const std::vector<unsigned char>& pixels,
                                                     const BITMAPINFO& header);

/// Fills `header` for a new image of the given size and depth (biSize 44, bottom-up,
/// BI_RGB, biSizeImage = stride * height), keeping its resolution fields.
void DescribeImage(BITMAPINFO& header, int width, int height, int bitCount);

/// Largest image the library creates: stride * height stays below 2 GiB so that
/// every byte offset fits the 32-bit fields of the header and OpenCV's int sizes.
constexpr std::size_t kMaxImageBytes = 0x7FFFFFFFu;

/// True when an image of `width` x `height` pixels at `bitCount` bits (24 or 32)
/// can be created: both sides positive and the rows within kMaxImageBytes.
bool IsCreatableImageSize(long long width, long long height, int bitCount);

} // namespace ImageProcess

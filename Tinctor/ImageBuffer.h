#pragma once
// Internal view of a validated image buffer: pointer, size and stride. Every
// public function of the library validates its arguments into one of these and
// hands it to kernels that never assume stride == width * bytes per pixel.

#include <cstddef>
#include <optional>
#include <vector>

#include "platform/WinTypes.h"

namespace ImageProcess {

struct ImageBuffer {
    unsigned char* data{nullptr};  ///< first byte of memory row 0 (the BOTTOM row of the picture)
    int width{0};
    int height{0};
    std::size_t stride{0};         ///< bytes from one memory row to the next
    int bytesPerPixel{0};          ///< 3 or 4

    /// Memory row `y` (0 = bottom row of the picture).
    unsigned char* Row(int y) const { return data + static_cast<std::size_t>(y) * stride; }
    /// Memory row of picture row `top` counted from the top.
    unsigned char* RowFromTop(int top) const { return Row(height - 1 - top); }
};

/// Checks `header` against `pixels` (positive width and height, 24 or 32 bits,
/// BI_RGB, a vector holding at least stride * height bytes, biSizeImage either
/// 0 or stride * height) and returns the view; nothing when they don't match.
std::optional<ImageBuffer> MakeImageBuffer(std::vector<unsigned char>& pixels, const BITMAPINFO& header);

/// Fills `header` for a new image of the given size and depth (biSize 44, bottom-up,
/// BI_RGB, biSizeImage = stride * height), keeping its resolution fields.
void DescribeImage(BITMAPINFO& header, int width, int height, int bitCount);

} // namespace ImageProcess

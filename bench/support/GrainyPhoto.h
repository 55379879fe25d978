#pragma once
// The large test photo of the spot benchmarks: fruits.jpg from OpenCV's
// samples scaled up with a little grain (fixed seed), so that its texture
// is that of a real photo at 24 megapixels.

#include <vector>

#include <opencv2/core.hpp>

#include "platform/WinTypes.h"

namespace BenchSupport {

/// Path of the sample photo (Debian's opencv-doc package).
inline constexpr const char* kFruitsPhoto = "/usr/share/doc/opencv-doc/examples/data/fruits.jpg";

/// fruits.jpg scaled to `width` x `height` (bicubic) with Gaussian grain of
/// sigma 3 (seed 12345), 8-bit BGR, row 0 at the top. A flat blue-grey
/// picture when the sample is missing.
cv::Mat MakeGrainyPhoto(int width, int height);

/// An image as the program holds it: bottom-up rows of `bits` (24 or 32) per
/// pixel, padded to 4 bytes, with its 44-byte header.
struct ProgramImage {
    std::vector<unsigned char> pixels;
    BITMAPINFO header{};
};

/// `bgr` (8-bit BGR, row 0 at the top) in program form; a 32-bit image gets
/// alpha 255.
ProgramImage ToProgramImage(const cv::Mat& bgr, int bits);

} // namespace BenchSupport

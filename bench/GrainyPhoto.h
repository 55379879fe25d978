#pragma once
// The large test photo of the spot benchmarks: fruits.jpg from OpenCV's
// samples scaled up with a little grain (fixed seed), so that its texture
// is that of a real photo at 24 megapixels.

#include <cstring>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "platform/WinTypes.h"

namespace GrainyPhoto {

/// Path of the sample photo (Debian's opencv-doc package).
inline constexpr const char* kFruitsPhoto = "/usr/share/doc/opencv-doc/examples/data/fruits.jpg";

/// fruits.jpg scaled to `width` x `height` (bicubic) with Gaussian grain of
/// sigma 3 (seed 12345), 8-bit BGR, row 0 at the top. A flat blue-grey
/// picture when the sample is missing.
inline cv::Mat Make(int width, int height)
{
    cv::Mat small = cv::imread(kFruitsPhoto, cv::IMREAD_COLOR);
    if (small.empty()) small = cv::Mat(480, 512, CV_8UC3, cv::Scalar(90, 140, 200));
    cv::Mat large;
    cv::resize(small, large, cv::Size(width, height), 0, 0, cv::INTER_CUBIC);
    cv::Mat grain(large.size(), CV_16SC3);
    cv::RNG rng(12345);
    rng.fill(grain, cv::RNG::NORMAL, 0, 3);
    cv::Mat noisy;
    large.convertTo(noisy, CV_16SC3);
    noisy += grain;
    noisy.convertTo(large, CV_8UC3);
    return large;
}

/// An image as the program holds it: bottom-up rows of `bits` (24 or 32) per
/// pixel, padded to 4 bytes, with its 44-byte header.
struct ProgramImage {
    std::vector<unsigned char> pixels;
    BITMAPINFO header{};
};

/// `bgr` (8-bit BGR, row 0 at the top) in program form; a 32-bit image gets
/// alpha 255.
inline ProgramImage ToProgramImage(const cv::Mat& bgr, int bits)
{
    ProgramImage image;
    const int bytesPerPixel = bits / 8;
    const std::size_t stride = DibStride(bgr.cols, static_cast<WORD>(bits));
    image.pixels.assign(stride * bgr.rows, 255);
    for (int y = 0; y < bgr.rows; ++y) {
        unsigned char* row = image.pixels.data() + (bgr.rows - 1 - y) * stride;
        const unsigned char* source = bgr.ptr<unsigned char>(y);
        for (int x = 0; x < bgr.cols; ++x) std::memcpy(row + x * bytesPerPixel, source + x * 3, 3);
    }
    BITMAPINFOHEADER& h = image.header.bmiHeader;
    h.biSize = sizeof(BITMAPINFO);
    h.biWidth = bgr.cols;
    h.biHeight = bgr.rows;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bits);
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(image.pixels.size());
    return image;
}

} // namespace GrainyPhoto

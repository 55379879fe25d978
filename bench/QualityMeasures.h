#pragma once
// Measures and conversions the quality benchmarks share: PSNR and SSIM over
// a mask, medians, and the program's bottom-up 24-bit image form.
#include <algorithm>
#include <cmath>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "platform/WinTypes.h"

namespace QualityMeasures {

/// PSNR (dB) of `a` against `b` (8-bit, 3 channels) over the mask's pixels;
/// 99 for no difference or an empty mask.
inline double Psnr(const cv::Mat& a, const cv::Mat& b, const cv::Mat& mask)
{
    double sum = 0.0;
    int count = 0;
    for (int y = 0; y < a.rows; ++y)
        for (int x = 0; x < a.cols; ++x) {
            if (!mask.at<uchar>(y, x)) continue;
            for (int c = 0; c < 3; ++c) {
                const double d = a.at<cv::Vec3b>(y, x)[c] - b.at<cv::Vec3b>(y, x)[c];
                sum += d * d;
            }
            count += 3;
        }
    if (count == 0) return 99.0;
    const double mse = sum / count;
    return mse <= 0.0 ? 99.0 : std::min(99.0, 10.0 * std::log10(255.0 * 255.0 / mse));
}

/// Mean of the SSIM map (11 px Gaussian window, sigma 1.5, averaged over the
/// three channels) over the mask's pixels, computed on `around` grown by 12 px.
inline double Ssim(const cv::Mat& a, const cv::Mat& b, const cv::Mat& mask, const cv::Rect& around)
{
    const cv::Rect roi = (around + cv::Size(24, 24) - cv::Point(12, 12)) & cv::Rect(0, 0, a.cols, a.rows);
    cv::Mat x, y;
    a(roi).convertTo(x, CV_32F);
    b(roi).convertTo(y, CV_32F);
    const double c1 = 6.5025, c2 = 58.5225;
    cv::Mat mx, my, sxx, syy, sxy;
    const cv::Size window(11, 11);
    cv::GaussianBlur(x, mx, window, 1.5);
    cv::GaussianBlur(y, my, window, 1.5);
    cv::GaussianBlur(x.mul(x), sxx, window, 1.5);
    cv::GaussianBlur(y.mul(y), syy, window, 1.5);
    cv::GaussianBlur(x.mul(y), sxy, window, 1.5);
    sxx -= mx.mul(mx);
    syy -= my.mul(my);
    sxy -= mx.mul(my);
    cv::Mat numerator = (2 * mx.mul(my) + c1).mul(2 * sxy + c2);
    cv::Mat denominator = (mx.mul(mx) + my.mul(my) + c1).mul(sxx + syy + c2);
    cv::Mat map;
    cv::divide(numerator, denominator, map);
    const cv::Scalar mean = cv::mean(map, mask(roi));
    return (mean[0] + mean[1] + mean[2]) / 3.0;
}

inline double Median(std::vector<double> values)
{
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

/// An 8-bit 3-channel image in the program's form: bottom-up rows padded to
/// 4 bytes, and its header.
struct Dib {
    std::vector<unsigned char> pixels;
    BITMAPINFO header{};
    int stride{0};
};

inline Dib ToDib(const cv::Mat& image)
{
    Dib dib;
    dib.stride = (image.cols * 3 + 3) & ~3;
    dib.pixels.resize(static_cast<std::size_t>(dib.stride) * image.rows);
    for (int y = 0; y < image.rows; ++y)
        std::copy_n(image.ptr<uchar>(y), image.cols * 3, &dib.pixels[static_cast<std::size_t>(image.rows - 1 - y) * dib.stride]);
    BITMAPINFOHEADER& h = dib.header.bmiHeader;
    h.biSize = sizeof(BITMAPINFO);
    h.biWidth = image.cols;
    h.biHeight = image.rows;
    h.biPlanes = 1;
    h.biBitCount = 24;
    h.biSizeImage = static_cast<DWORD>(dib.pixels.size());
    return dib;
}

inline cv::Mat FromDib(const Dib& dib)
{
    const int width = dib.header.bmiHeader.biWidth, height = dib.header.bmiHeader.biHeight;
    cv::Mat result(height, width, CV_8UC3);
    for (int y = 0; y < height; ++y)
        std::copy_n(&dib.pixels[static_cast<std::size_t>(height - 1 - y) * dib.stride], width * 3, result.ptr<uchar>(y));
    return result;
}

} // namespace QualityMeasures

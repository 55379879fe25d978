// Functions that make a second image: free rotation, resize and crop.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include <opencv2/imgproc.hpp>

#include "Tinctor/CallGuard.h"
#include "Tinctor/ImageOutput.h"
#include "Tinctor/ImageProcess.h"
#include "Tinctor/RegionView.h"
#include "Tinctor/RotationKernels.h"

namespace ImageProcess {

namespace {

cv::Mat WrapConst(const ConstImageBuffer& img)
{
    return cv::Mat(img.height, img.width, CV_8UC(img.bytesPerPixel), const_cast<unsigned char*>(img.data), img.stride);
}

cv::Mat Wrap(const ImageBuffer& img)
{
    return cv::Mat(img.height, img.width, CV_8UC(img.bytesPerPixel), img.data, img.stride);
}

// Canvas side holding a turned picture; the small allowance keeps rounding
// noise of exact sides (cos 60 degrees and the like) from adding a pixel.
int CanvasSide(double a, double b)
{
    return std::max(1, static_cast<int>(std::ceil(a + b - 1e-6)));
}

// Turns by `degrees` (0 < degrees < 360, not a right angle) with bicubic
// resampling. In memory the rows run bottom-up, so a clockwise turn on screen
// is a counter-clockwise one in memory coordinates: the inverse map from a
// destination offset (dx, dy) to the source is (c dx - s dy, s dx + c dy).
void TurnFree(const ConstImageBuffer& src, const ImageBuffer& dst, double degrees, COLORREF fill)
{
    const double rad = degrees * CV_PI / 180.0;
    const double c = std::cos(rad);
    const double s = std::sin(rad);
    const double scx = (src.width - 1) / 2.0, scy = (src.height - 1) / 2.0;
    const double dcx = (dst.width - 1) / 2.0, dcy = (dst.height - 1) / 2.0;
    const cv::Matx23d toSource(c, -s, scx - (c * dcx - s * dcy), s, c, scy - (s * dcx + c * dcy));
    cv::Mat out = Wrap(dst);
    const cv::Scalar border(GetBValue(fill), GetGValue(fill), GetRValue(fill), 255);
    cv::warpAffine(WrapConst(src), out, toSource, out.size(), cv::INTER_CUBIC | cv::WARP_INVERSE_MAP,
                   cv::BORDER_CONSTANT, border);
}

// Nearest pixel by centres: target pixel i of n samples source pixel
// floor((i + 0.5) * from / n), in picture order (row 0 at the top).
void ResizeNearest(const ConstImageBuffer& src, const ImageBuffer& dst)
{
    const int bpp = src.bytesPerPixel;
    std::vector<std::size_t> column(dst.width);
    for (int x = 0; x < dst.width; ++x)
        column[x] = static_cast<std::size_t>((2LL * x + 1) * src.width / (2LL * dst.width)) * bpp;
    for (int top = 0; top < dst.height; ++top) {
        const auto srcTop = static_cast<int>((2LL * top + 1) * src.height / (2LL * dst.height));
        const unsigned char* s = src.RowFromTop(srcTop);
        unsigned char* d = dst.RowFromTop(top);
        for (int x = 0; x < dst.width; ++x) std::memcpy(d + x * bpp, s + column[x], bpp);
    }
}

// The box to crop, clipped to the image: the rectangle, else the non-zero
// bytes of the mask, else the whole image.
RegionView CropBox(int width, int height, const PROCESS_REGION& region, const RegionView& view)
{
    const RECT& r = region.rect;
    if ((r.right > r.left && r.bottom > r.top) || view.mask == nullptr) return view;
    RegionView box;
    box.left = width;
    box.top = height;
    for (int y = 0; y < height; ++y) {
        const unsigned char* m = view.MaskRow(y);
        for (int x = 0; x < width; ++x) {
            if (m[x] == 0) continue;
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x + 1);
            box.top = std::min(box.top, y);
            box.bottom = y + 1;
        }
    }
    return box;
}

} // namespace

bool FreeRotate(const std::vector<unsigned char>& pixels, const BITMAPINFO& header,
                std::vector<unsigned char>& outPixels, BITMAPINFO& outHeader, double angle, COLORREF fillColor,
                PROGRESS_CALLBACK progress)
{
    const auto src = MakeConstImageBuffer(pixels, header);
    if (!src || !std::isfinite(angle)) return false;
    const double degrees = angle - 360.0 * std::floor(angle / 360.0);
    const double rad = degrees * CV_PI / 180.0;
    const double c = std::abs(std::cos(rad)), s = std::abs(std::sin(rad));
    const bool rightAngle = degrees == 0.0 || degrees == 90.0 || degrees == 180.0 || degrees == 270.0;
    const bool quarter = degrees == 90.0 || degrees == 270.0;
    const long long width = rightAngle ? (quarter ? src->height : src->width) : CanvasSide(src->width * c, src->height * s);
    const long long height = rightAngle ? (quarter ? src->width : src->height) : CanvasSide(src->width * s, src->height * c);
    if (!IsCreatableImageSize(width, height, header.bmiHeader.biBitCount)) return false;
    return Guarded([&] {
        ReportProgress(progress, 0, 1);
        BITMAPINFO like = header;  // a quarter turn also turns the resolution's axes
        if (quarter) std::swap(like.bmiHeader.biXPelsPerMeter, like.bmiHeader.biYPelsPerMeter);
        ProduceImage(outPixels, outHeader, like, static_cast<int>(width), static_cast<int>(height),
                     [&](const ImageBuffer& dst) {
                         if (degrees == 0.0) {
                             for (int y = 0; y < dst.height; ++y) std::memcpy(dst.Row(y), src->Row(y), src->RowBytes());
                         } else if (degrees == 180.0) {
                             TurnHalf(*src, dst);
                         } else if (quarter) {
                             TurnQuarter(*src, dst, degrees == 90.0, nullptr);
                         } else {
                             TurnFree(*src, dst, degrees, fillColor);
                         }
                     });
        ReportProgress(progress, 1, 1);
        return true;
    });
}

bool Resize(const std::vector<unsigned char>& pixels, const BITMAPINFO& header, std::vector<unsigned char>& outPixels,
            BITMAPINFO& outHeader, int width, int height, RESIZE_ALGORITHM algorithm, PROGRESS_CALLBACK progress)
{
    const auto src = MakeConstImageBuffer(pixels, header);
    if (!src || !IsCreatableImageSize(width, height, header.bmiHeader.biBitCount)) return false;
    int interpolation;
    switch (algorithm) {
    case RESIZE_NEAREST: interpolation = cv::INTER_NEAREST; break;
    case RESIZE_BILINEAR: interpolation = cv::INTER_LINEAR; break;
    case RESIZE_BICUBIC: interpolation = cv::INTER_CUBIC; break;
    case RESIZE_LANCZOS: interpolation = cv::INTER_LANCZOS4; break;
    default: return false;
    }
    return Guarded([&] {
        ReportProgress(progress, 0, 1);
        ProduceImage(outPixels, outHeader, header, width, height, [&](const ImageBuffer& dst) {
            if (interpolation == cv::INTER_NEAREST) return ResizeNearest(*src, dst);
            // Linear, cubic and Lanczos weights are mirror-symmetric, so the
            // bottom-up rows can be scaled as they lie.
            cv::Mat out = Wrap(dst);
            cv::resize(WrapConst(*src), out, out.size(), 0, 0, interpolation);
        });
        ReportProgress(progress, 1, 1);
        return true;
    });
}

bool Crop(const std::vector<unsigned char>& pixels, const BITMAPINFO& header, std::vector<unsigned char>& outPixels,
          BITMAPINFO& outHeader, const PROCESS_REGION& region, PROGRESS_CALLBACK progress)
{
    const auto src = MakeConstImageBuffer(pixels, header);
    if (!src) return false;
    const auto view = ResolveRegion(src->width, src->height, region, true);
    if (!view) return false;
    const RegionView box = CropBox(src->width, src->height, region, *view);
    if (box.Empty()) return false;
    return Guarded([&] {
        ReportProgress(progress, 0, 1);
        ProduceImage(outPixels, outHeader, header, box.right - box.left, box.bottom - box.top,
                     [&](const ImageBuffer& dst) {
                         const std::size_t offset = static_cast<std::size_t>(box.left) * src->bytesPerPixel;
                         for (int top = 0; top < dst.height; ++top)
                             std::memcpy(dst.RowFromTop(top), src->RowFromTop(box.top + top) + offset, dst.RowBytes());
                     });
        ReportProgress(progress, 1, 1);
        return true;
    });
}

} // namespace ImageProcess

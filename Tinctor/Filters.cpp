// Neighbourhood filters: Gaussian blur, simple sharpening and unsharp mask.
//
// The region's box is filtered by OpenCV into a reused buffer, reading the
// real neighbours outside the box (OpenCV does that for a sub-matrix) and
// mirroring at the image's edges; the result is then mixed into the image by
// the mask. The kernels are symmetric, so filtering the bottom-up rows as
// they lie in memory gives the same picture as filtering top-down ones.

#include <cmath>
#include <cstdlib>
#include <utility>

#include <opencv2/imgproc.hpp>

#include "Tinctor/ImageProcess.h"
#include "Tinctor/PointOps.h"
#include "Tinctor/ScratchPool.h"

namespace ImageProcess {

namespace {

cv::Mat WrapImage(const ImageBuffer& img)
{
    return cv::Mat(img.height, img.width, CV_8UC(img.bytesPerPixel), img.data, img.stride);
}

// The region's box in memory rows.
cv::Rect MemoryBox(const ImageBuffer& img, const RegionView& view)
{
    return cv::Rect(view.left, img.height - view.bottom, view.right - view.left, view.bottom - view.top);
}

// Copies `filtered` (the box's new pixels, memory rows) into the image,
// mixed by the mask; every byte of a pixel, the fourth included.
void MixIntoImage(const ImageBuffer& img, const RegionView& view, const cv::Mat& filtered)
{
    const int bpp = img.bytesPerPixel;
    const int boxBottomRow = img.height - view.bottom;  // memory row of the box's first row
    ParallelRows(0, filtered.rows, [&](int begin, int end) {
        for (int i = begin; i < end; ++i) {
            const int memoryRow = boxBottomRow + i;
            unsigned char* p = img.Row(memoryRow) + static_cast<std::size_t>(view.left) * bpp;
            const unsigned char* f = filtered.ptr(i);
            const unsigned char* m = view.MaskRow(img.height - 1 - memoryRow);
            const int bytes = (view.right - view.left) * bpp;
            if (m == nullptr) {
                std::copy(f, f + bytes, p);
                continue;
            }
            for (int x = 0; x < view.right - view.left; ++x) {
                const unsigned int w = m[view.left + x];
                for (int k = 0; k < bpp; ++k) p[x * bpp + k] = BlendByWeight(p[x * bpp + k], f[x * bpp + k], w);
            }
        }
    });
}

// Filters the region's box with `filter(const cv::Mat& box, cv::Mat& out)`
// into a reused buffer, then mixes it into the image.
template <typename Filter>
void FilterRegion(const ImageBuffer& img, const RegionView& view, PROGRESS_CALLBACK progress, Filter&& filter)
{
    ReportProgress(progress, 0, 2);
    const cv::Rect box = MemoryBox(img, view);
    const std::size_t bytes = static_cast<std::size_t>(box.width) * box.height * img.bytesPerPixel;
    std::vector<unsigned char> scratch = ScratchPool::Take(bytes);
    cv::Mat out(box.height, box.width, CV_8UC(img.bytesPerPixel), scratch.data());
    const cv::Mat source = WrapImage(img)(box);
    filter(source, out);
    ReportProgress(progress, 1, 2);
    MixIntoImage(img, view, out);
    ScratchPool::Give(std::move(scratch));
    ReportProgress(progress, 2, 2);
}

void Blur(const cv::Mat& source, cv::Mat& out, double sigma)
{
    cv::GaussianBlur(source, out, cv::Size(), sigma, sigma, cv::BORDER_REFLECT_101);
}

} // namespace

bool GaussBlur(std::vector<unsigned char>& pixels, const BITMAPINFO& header, const PROCESS_REGION& region,
               double radius, PROGRESS_CALLBACK progress, bool clipToImage)
{
    if (!(radius >= 0.0 && radius <= 250.0)) return false;
    return RunAdjustment(pixels, header, region, clipToImage, [&](const ImageBuffer& img, const RegionView& view) {
        if (radius == 0.0) return;
        FilterRegion(img, view, progress, [radius](const cv::Mat& source, cv::Mat& out) { Blur(source, out, radius); });
    });
}

bool SimpleSharpen(std::vector<unsigned char>& pixels, const BITMAPINFO& header, const PROCESS_REGION& region,
                   PROGRESS_CALLBACK progress, bool clipToImage)
{
    return RunAdjustment(pixels, header, region, clipToImage, [&](const ImageBuffer& img, const RegionView& view) {
        FilterRegion(img, view, progress, [](const cv::Mat& source, cv::Mat& out) {
            const cv::Matx33f kernel(0, -1, 0, -1, 5, -1, 0, -1, 0);
            cv::filter2D(source, out, -1, kernel, cv::Point(-1, -1), 0, cv::BORDER_REFLECT_101);
        });
    });
}

bool USMSharpen(std::vector<unsigned char>& pixels, const BITMAPINFO& header, const PROCESS_REGION& region,
                int amount, double radius, int threshold, PROGRESS_CALLBACK progress, bool clipToImage)
{
    if (amount < 0 || amount > 500 || !(radius >= 0.1 && radius <= 250.0) || threshold < 0 || threshold > 255)
        return false;
    return RunAdjustment(pixels, header, region, clipToImage, [&](const ImageBuffer& img, const RegionView& view) {
        FilterRegion(img, view, progress, [&](const cv::Mat& source, cv::Mat& out) {
            Blur(source, out, radius);
            const int bytes = source.cols * source.channels();
            ParallelRows(0, source.rows, [&](int begin, int end) {
                for (int y = begin; y < end; ++y) {
                    const unsigned char* s = source.ptr(y);
                    unsigned char* o = out.ptr(y);
                    for (int i = 0; i < bytes; ++i) {
                        const int diff = s[i] - o[i];
                        const int sharp = std::abs(diff) >= threshold ? s[i] + (amount * diff + (diff >= 0 ? 50 : -50)) / 100
                                                                      : s[i];
                        o[i] = static_cast<unsigned char>(std::clamp(sharp, 0, 255));
                    }
                }
            });
        });
    });
}

} // namespace ImageProcess

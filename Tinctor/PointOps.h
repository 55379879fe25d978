#pragma once
// Running a per-pixel colour change over a region: the change is computed
// for the blue, green and red bytes of each pixel and mixed in by the mask
// weight; the fourth byte of 32-bit pixels is left alone. Rows are spread
// over OpenCV's worker threads; the change must therefore be a pure function.

#include <opencv2/core.hpp>

#include "Tinctor/CallGuard.h"
#include "Tinctor/ImageBuffer.h"
#include "Tinctor/RegionView.h"

namespace ImageProcess {

/// Runs `rows(begin, end)` over picture rows [begin, end) in parallel bands.
template <typename Rows>
void ParallelRows(int begin, int end, Rows&& rows)
{
    if (end <= begin) return;
    cv::parallel_for_(cv::Range(begin, end), [&](const cv::Range& r) { rows(r.start, r.end); });
}

/// Applies `change(const unsigned char* bgrIn, unsigned char* bgrOut)` to every
/// pixel of the region, weighted by its mask. Reports progress at the start
/// and the end only (the rows run on several threads).
template <typename Change>
void ApplyPointOp(const ImageBuffer& img, const RegionView& region, PROGRESS_CALLBACK progress, Change&& change)
{
    ReportProgress(progress, 0, 1);
    const int bpp = img.bytesPerPixel;
    ParallelRows(region.top, region.bottom, [&](int rowBegin, int rowEnd) {
        for (int row = rowBegin; row < rowEnd; ++row) {
            unsigned char* p = img.RowFromTop(row) + static_cast<std::size_t>(region.left) * bpp;
            const unsigned char* m = region.MaskRow(row);
            for (int x = region.left; x < region.right; ++x, p += bpp) {
                const unsigned int w = m == nullptr ? 255u : m[x];
                if (w == 0) continue;
                unsigned char out[3];
                change(p, out);
                if (w == 255) {
                    p[0] = out[0];
                    p[1] = out[1];
                    p[2] = out[2];
                } else {
                    p[0] = BlendByWeight(p[0], out[0], w);
                    p[1] = BlendByWeight(p[1], out[1], w);
                    p[2] = BlendByWeight(p[2], out[2], w);
                }
            }
        }
    });
    ReportProgress(progress, 1, 1);
}

/// A level-to-level table per colour channel, in memory order: blue, green, red.
struct ChannelTables {
    unsigned char level[3][256];
};

/// Runs each colour byte of the region through its channel's table.
inline void ApplyChannelTables(const ImageBuffer& img, const RegionView& region, const ChannelTables& tables,
                               PROGRESS_CALLBACK progress)
{
    ApplyPointOp(img, region, progress, [&tables](const unsigned char* in, unsigned char* out) {
        out[0] = tables.level[0][in[0]];
        out[1] = tables.level[1][in[1]];
        out[2] = tables.level[2][in[2]];
    });
}

} // namespace ImageProcess

namespace ImageProcess {

/// The common frame of the in-place adjustments: validates image and region
/// (false when either is refused), then runs `body(ImageBuffer&, RegionView&)`
/// unless the region holds no pixel of the image.
template <typename Body>
bool RunAdjustment(std::vector<unsigned char>& pixels, const BITMAPINFO& header, const PROCESS_REGION& region,
                   bool clipToImage, Body&& body)
{
    const auto img = MakeImageBuffer(pixels, header);
    if (!img) return false;
    const auto view = ResolveRegion(img->width, img->height, region, clipToImage);
    if (!view) return false;
    return Guarded([&] {
        if (!view->Empty()) body(*img, *view);
        return true;
    });
}

/// Luminance of a pixel, 0 to 255: (77 R + 150 G + 29 B + 128) / 256.
inline unsigned char Luminance(unsigned char r, unsigned char g, unsigned char b)
{
    return static_cast<unsigned char>((77u * r + 150u * g + 29u * b + 128u) >> 8);
}

} // namespace ImageProcess

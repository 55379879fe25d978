// Point colour adjustments: each pixel's new colour depends on its old colour
// alone, mostly through one table per channel.

#include <algorithm>
#include <cmath>

#include "Tinctor/ImageProcess.h"
#include "Tinctor/PointOps.h"

namespace ImageProcess {

namespace {

unsigned char ClampLevel(double v)
{
    return static_cast<unsigned char>(std::clamp(std::lround(v), 0L, 255L));
}

using Table = unsigned char[256];

void FillIdentity(Table& t)
{
    for (int v = 0; v < 256; ++v) t[v] = static_cast<unsigned char>(v);
}

ChannelTables SameForAll(const Table& t)
{
    ChannelTables tables;
    for (auto& channel : tables.level) std::copy(t, t + 256, channel);
    return tables;
}

// Table of a Levels block with the input range already decided.
void LevelsTable(const HISTOGRAM_PARAMS& p, int inLow, int inHigh, Table& t)
{
    for (int v = 0; v < 256; ++v) {
        const double x = std::clamp((v - inLow) / static_cast<double>(inHigh - inLow), 0.0, 1.0);
        const double y = std::pow(x, 1.0 / p.gamma);
        t[v] = ClampLevel(p.outputLow + y * (p.outputHigh - p.outputLow));
    }
}

bool ValidLevels(const HISTOGRAM_PARAMS& p)
{
    const bool levelsOk = p.outputLow >= 0 && p.outputLow <= 255 && p.outputHigh >= 0 && p.outputHigh <= 255;
    const bool gammaOk = p.gamma >= 0.1 && p.gamma <= 10.0;  // also false for NaN
    if (p.automatic) return levelsOk && gammaOk && p.clipFraction >= 0.0 && p.clipFraction <= 0.5;
    return levelsOk && gammaOk && p.inputLow >= 0 && p.inputHigh <= 255 && p.inputLow < p.inputHigh;
}

// The darkest and brightest levels left after cutting `clip` of the pixels at
// each end; the whole range when the channel is empty or flat.
void AutoInputRange(const DWORD (&count)[256], double clip, int& low, int& high)
{
    double total = 0;
    for (DWORD c : count) total += c;
    const double cut = clip * total;
    double below = 0;
    low = 0;
    while (low < 255 && below + count[low] <= cut) below += count[low++];
    double above = 0;
    high = 255;
    while (high > 0 && above + count[high] <= cut) above += count[high--];
    if (total == 0 || low >= high) {
        low = 0;
        high = 255;
    }
}

void BlockTable(const HISTOGRAM_PARAMS& p, const DWORD (&count)[256], Table& t)
{
    int low = p.inputLow;
    int high = p.inputHigh;
    if (p.automatic) AutoInputRange(count, p.clipFraction, low, high);
    LevelsTable(p, low, high, t);
}

// Piecewise-linear curve through (0, 0), (from, to) and (255, 255); where
// `from` is 0 or 255 the reference point replaces that end point.
void BalanceTable(int from, int to, Table& t)
{
    for (int v = 0; v < 256; ++v) {
        double y;
        if (v <= from)
            y = from == 0 ? to : v * static_cast<double>(to) / from;
        else
            y = from == 255 ? to : to + (v - from) * (255.0 - to) / (255.0 - from);
        t[v] = ClampLevel(y);
    }
}

} // namespace

bool FillColor(std::vector<unsigned char>& pixels, const BITMAPINFO& header, const PROCESS_REGION& region,
               COLORREF color, PROGRESS_CALLBACK progress, bool clipToImage)
{
    const unsigned char bgr[3] = {GetBValue(color), GetGValue(color), GetRValue(color)};
    return RunAdjustment(pixels, header, region, clipToImage, [&](const ImageBuffer& img, const RegionView& view) {
        ApplyPointOp(img, view, progress, [&bgr](const unsigned char*, unsigned char* out) {
            out[0] = bgr[0];
            out[1] = bgr[1];
            out[2] = bgr[2];
        });
    });
}

bool AdjustBrightness(std::vector<unsigned char>& pixels, const BITMAPINFO& header, const PROCESS_REGION& region,
                      int brightness, PROGRESS_CALLBACK progress, bool clipToImage)
{
    if (brightness < -255 || brightness > 255) return false;
    Table t;
    for (int v = 0; v < 256; ++v) t[v] = static_cast<unsigned char>(std::clamp(v + brightness, 0, 255));
    return RunAdjustment(pixels, header, region, clipToImage, [&](const ImageBuffer& img, const RegionView& view) {
        ApplyChannelTables(img, view, SameForAll(t), progress);
    });
}

bool AdjustContrast(std::vector<unsigned char>& pixels, const BITMAPINFO& header, const PROCESS_REGION& region,
                    int contrast, PROGRESS_CALLBACK progress, bool clipToImage)
{
    if (contrast < -100 || contrast > 100) return false;
    Table t;
    for (int v = 0; v < 256; ++v) {
        if (contrast == 100)
            t[v] = v >= 128 ? 255 : 0;
        else {
            const double slope = contrast <= 0 ? 1.0 + contrast / 100.0 : 1.0 / (1.0 - contrast / 100.0);
            t[v] = ClampLevel(127.5 + (v - 127.5) * slope);
        }
    }
    return RunAdjustment(pixels, header, region, clipToImage, [&](const ImageBuffer& img, const RegionView& view) {
        ApplyChannelTables(img, view, SameForAll(t), progress);
    });
}

bool AdjustChannelLevel(std::vector<unsigned char>& pixels, const BITMAPINFO& header, const PROCESS_REGION& region,
                        int channels, int level, PROGRESS_CALLBACK progress, bool clipToImage)
{
    if (channels <= 0 || (channels & ~7) != 0 || level < -255 || level > 255) return false;
    ChannelTables tables;
    // Memory order is blue, green, red; the flags are 1 red, 2 green, 4 blue.
    const int flagOf[3] = {4, 2, 1};
    for (int c = 0; c < 3; ++c) {
        for (int v = 0; v < 256; ++v) {
            const int shifted = (channels & flagOf[c]) != 0 ? v + level : v;
            tables.level[c][v] = static_cast<unsigned char>(std::clamp(shifted, 0, 255));
        }
    }
    return RunAdjustment(pixels, header, region, clipToImage, [&](const ImageBuffer& img, const RegionView& view) {
        ApplyChannelTables(img, view, tables, progress);
    });
}

bool CalcHistogram(const std::vector<unsigned char>& pixels, const BITMAPINFO& header, const PROCESS_REGION& region,
                   HISTOGRAM& histogram, PROGRESS_CALLBACK progress)
{
    const auto img = MakeConstImageBuffer(pixels, header);
    if (!img) return false;
    const auto view = ResolveRegion(img->width, img->height, region, true);
    if (!view) return false;
    HISTOGRAM result;
    ReportProgress(progress, 0, 1);
    for (int row = view->top; row < view->bottom; ++row) {
        const unsigned char* p = img->RowFromTop(row) + static_cast<std::size_t>(view->left) * img->bytesPerPixel;
        const unsigned char* m = view->MaskRow(row);
        for (int x = view->left; x < view->right; ++x, p += img->bytesPerPixel) {
            if (m != nullptr && m[x] == 0) continue;
            ++result.count[HISTOGRAM_MASTER][Luminance(p[2], p[1], p[0])];
            ++result.count[HISTOGRAM_RED][p[2]];
            ++result.count[HISTOGRAM_GREEN][p[1]];
            ++result.count[HISTOGRAM_BLUE][p[0]];
        }
    }
    histogram = result;
    ReportProgress(progress, 1, 1);
    return true;
}

bool AdjustHistogram(std::vector<unsigned char>& pixels, const BITMAPINFO& header, const PROCESS_REGION& region,
                     const HISTOGRAM& histogram, const HISTOGRAM_PARAMS* params, PROGRESS_CALLBACK progress,
                     bool clipToImage)
{
    if (params == nullptr) return false;
    for (int c = 0; c < 4; ++c)
        if (!ValidLevels(params[c])) return false;
    Table master;
    BlockTable(params[HISTOGRAM_MASTER], histogram.count[HISTOGRAM_MASTER], master);
    ChannelTables tables;
    const int blockOf[3] = {HISTOGRAM_BLUE, HISTOGRAM_GREEN, HISTOGRAM_RED};
    for (int c = 0; c < 3; ++c) {
        Table own;
        BlockTable(params[blockOf[c]], histogram.count[blockOf[c]], own);
        for (int v = 0; v < 256; ++v) tables.level[c][v] = master[own[v]];
    }
    return RunAdjustment(pixels, header, region, clipToImage, [&](const ImageBuffer& img, const RegionView& view) {
        ApplyChannelTables(img, view, tables, progress);
    });
}

bool AdjustCurve(std::vector<unsigned char>& pixels, const BITMAPINFO& header, const PROCESS_REGION& region,
                 const unsigned char* const* curves, PROGRESS_CALLBACK progress, bool clipToImage)
{
    if (curves == nullptr) return false;
    Table master;
    FillIdentity(master);
    if (curves[0] != nullptr) std::copy(curves[0], curves[0] + 256, master);
    ChannelTables tables;
    const int curveOf[3] = {3, 2, 1};  // blue, green, red in memory order
    for (int c = 0; c < 3; ++c) {
        const unsigned char* own = curves[curveOf[c]];
        for (int v = 0; v < 256; ++v) tables.level[c][v] = master[own == nullptr ? v : own[v]];
    }
    return RunAdjustment(pixels, header, region, clipToImage, [&](const ImageBuffer& img, const RegionView& view) {
        ApplyChannelTables(img, view, tables, progress);
    });
}

bool ColorCorrect(std::vector<unsigned char>& pixels, const BITMAPINFO& header, const PROCESS_REGION& region,
                  COLORREF target, COLORREF reference, PROGRESS_CALLBACK progress, bool clipToImage)
{
    ChannelTables tables;
    BalanceTable(GetBValue(reference), GetBValue(target), tables.level[0]);
    BalanceTable(GetGValue(reference), GetGValue(target), tables.level[1]);
    BalanceTable(GetRValue(reference), GetRValue(target), tables.level[2]);
    return RunAdjustment(pixels, header, region, clipToImage, [&](const ImageBuffer& img, const RegionView& view) {
        ApplyChannelTables(img, view, tables, progress);
    });
}

bool ReverseColor(std::vector<unsigned char>& pixels, const BITMAPINFO& header, const PROCESS_REGION& region,
                  PROGRESS_CALLBACK progress, bool clipToImage)
{
    Table t;
    for (int v = 0; v < 256; ++v) t[v] = static_cast<unsigned char>(255 - v);
    return RunAdjustment(pixels, header, region, clipToImage, [&](const ImageBuffer& img, const RegionView& view) {
        ApplyChannelTables(img, view, SameForAll(t), progress);
    });
}

bool Decolor(std::vector<unsigned char>& pixels, const BITMAPINFO& header, const PROCESS_REGION& region,
             PROGRESS_CALLBACK progress, bool clipToImage)
{
    return RunAdjustment(pixels, header, region, clipToImage, [&](const ImageBuffer& img, const RegionView& view) {
        ApplyPointOp(img, view, progress, [](const unsigned char* in, unsigned char* out) {
            out[0] = out[1] = out[2] = Luminance(in[2], in[1], in[0]);
        });
    });
}

} // namespace ImageProcess

#include "imagewindow/tools/SelectMaskKernels.h"

#include <algorithm>
#include <cstring>

namespace ImageWindow::EmbeddedTool::SelectMaskKernels {

void FillRects(BYTE* mask, int width, int height, const std::vector<RECT>& rects)
{
    for (const RECT& r : rects) {
        const int left = std::max<int>(0, r.left), right = std::min<int>(width, r.right);
        const int top = std::max<int>(0, r.top), bottom = std::min<int>(height, r.bottom);
        if (left >= right) continue;
        for (int y = top; y < bottom; ++y)
            std::memset(mask + static_cast<std::size_t>(y) * width + left, 255, static_cast<std::size_t>(right - left));
    }
}

void Offset(const BYTE* in, BYTE* out, int width, int height, int dx, int dy)
{
    const std::size_t w = static_cast<std::size_t>(width);
    std::memset(out, 0, w * static_cast<std::size_t>(height));
    const int left = std::max(0, dx), right = std::min(width, width + dx);
    if (left >= right) return;
    for (int y = std::max(0, dy); y < std::min(height, height + dy); ++y)
        std::memcpy(out + y * w + left, in + (y - dy) * w + (left - dx), static_cast<std::size_t>(right - left));
}

std::vector<RECT> Runs(const BYTE* mask, int width, int height)
{
    std::vector<RECT> runs;
    for (int y = 0; y < height; ++y) {
        const BYTE* row = mask + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width;) {
            const BYTE* start = std::find_if(row + x, row + width, [](BYTE v) { return v != 0; });
            if (start == row + width) break;
            const BYTE* end = std::find(start, row + width, BYTE{0});
            runs.push_back({static_cast<LONG>(start - row), y, static_cast<LONG>(end - row), y + 1});
            x = static_cast<int>(end - row);
        }
    }
    return runs;
}

void Merge(BYTE* selection, const BYTE* current, std::size_t count, Overlap overlap)
{
    switch (overlap) {
    case Overlap::New: std::memcpy(selection, current, count); break;
    case Overlap::Add:
        for (std::size_t i = 0; i < count; ++i) selection[i] = static_cast<BYTE>(std::min(255, selection[i] + current[i]));
        break;
    case Overlap::Subtract:
        for (std::size_t i = 0; i < count; ++i) selection[i] = static_cast<BYTE>(std::max(0, selection[i] - current[i]));
        break;
    case Overlap::Intersect:
        for (std::size_t i = 0; i < count; ++i) selection[i] = static_cast<BYTE>(selection[i] * current[i] / 255);
        break;
    }
}

} // namespace ImageWindow::EmbeddedTool::SelectMaskKernels

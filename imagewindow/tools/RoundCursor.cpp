#include "imagewindow/tools/RoundCursor.h"

#include <algorithm>
#include <utility>

#include <QCursor>

#include "imagewindow/ImageWindow.h"

namespace ImageWindow::EmbeddedTool {

int RoundCursor::Radius(double zoom, int size)
{
    // Bounded before the conversion: a radius this large fails as a cursor anyway.
    const double radius = std::min(zoom * 0.5 * size + 0.5, 1.0e9);
    return std::max(static_cast<int>(radius), 1);
}

int RoundCursor::ImageSize(int radius)
{
    static constexpr std::pair<int, int> kSteps[] = {{1024, 4096}, {512, 2048}, {256, 1024}, {128, 512}, {64, 256},
                                                     {32, 128},    {24, 64},    {16, 48},    {8, 32}};
    for (const auto& [minRadius, imageSize] : kSteps)
        if (radius >= minRadius) return imageSize;
    return 16;
}

IWCURSORINFO RoundCursor::Describe(double zoom, int size)
{
    const int radius = Radius(zoom, size);
    const int imageSize = ImageSize(radius);
    return {CURSOR_SHAPE_CIRCLE, CURSOR_MARK_NONE, imageSize, imageSize / 2, imageSize / 2, 1, radius, 0};
}

bool RoundCursor::IsPointerOverClient(const CImageWindow& view)
{
    CRect client;
    view.GetClientRect(&client);
    return client.PtInRect(CPoint(view.mapFromGlobal(QCursor::pos())));
}

bool RoundCursor::Show(CImageWindow& view, const IWCURSORINFO& info)
{
    HCURSOR cursor = view.AquireCursor(info);
    if (!cursor) return false;
    view.SetCursor(cursor);
    return true;
}

} // namespace ImageWindow::EmbeddedTool

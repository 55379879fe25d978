#include "imagewindow/tools/SpotStroke.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "Tinctor/ImageProcess.h"
#include "imagewindow/ImageWindow.h"

namespace ImageWindow::EmbeddedTool {

namespace {

// The path is kept within this many pixels of the positions the engine
// walked: well inside the stroke's area for every spot size.
constexpr double PathTolerance = 1.0;

double SegmentDistance(double px, double py, const POINT& a, const POINT& b)
{
    const double dx = static_cast<double>(b.x) - a.x, dy = static_cast<double>(b.y) - a.y;
    const double length2 = dx * dx + dy * dy;
    const double t = length2 > 0.0 ? std::clamp(((px - a.x) * dx + (py - a.y) * dy) / length2, 0.0, 1.0) : 0.0;
    return std::hypot(px - (a.x + t * dx), py - (a.y + t * dy));
}

} // namespace

SpotStroke::SpotStroke() : Sketcher(L"spot_stroke", SETTINGS_VERSION) {}

bool SpotStroke::Begin(int size, CPoint point)
{
    if (IsSketching() || size < 1) return false;
    const int width = std::min(2 * (size / 2) + 1, MAX_PEN_SIZE);
    if (!SetPen(STYLE_ROUND, width, 100, 100)) return false;
    m_vDrawn.clear();
    m_Path.clear();
    return StartSketching(point);
}

void SpotStroke::Finish()
{
    if (!IsSketching()) return;
    Sketcher::EndSketching();
    if (m_pView) m_pView->ShowCoverImage(FALSE, FALSE);
    // A path of more points than the healing takes follows the drawn one
    // less closely.
    double tolerance = PathTolerance;
    m_Path = Simplify(m_vDrawn, tolerance);
    while (m_Path.size() > ImageProcess::MAX_STROKE_POINTS) m_Path = Simplify(m_vDrawn, tolerance *= 2.0);
    m_vDrawn.clear();
}

void SpotStroke::Abandon()
{
    AbandonStroke();
    m_vDrawn.clear();
    m_Path.clear();
}

int SpotStroke::ProcessLineSegment(PointList& points, CRect& rcDirty)
{
    if (points.empty()) return 1;
    // The press and the first sampled position may lie apart (the pointer
    // moved before the first sample): the stroke joins them.
    if (!m_vDrawn.empty() && std::abs(m_vDrawn.back().x - points.front().x) + std::abs(m_vDrawn.back().y - points.front().y) > 1) {
        PointList joint;
        CalcLinePoints(m_vDrawn.back(), points.front(), joint);
        points.insert(points.begin(), joint.begin(), joint.end() - 1);
        const CRect extent = GetPenExtent();
        const CPoint from = m_vDrawn.back();
        rcDirty.UnionRect(rcDirty, CRect(std::min(from.x, points.front().x) - extent.left,
                                         std::min(from.y, points.front().y) - extent.top,
                                         std::max(from.x, points.front().x) + extent.right + 1,
                                         std::max(from.y, points.front().y) + extent.bottom + 1));
    }
    m_vDrawn.insert(m_vDrawn.end(), points.begin(), points.end());
    Sketcher::ProcessLineSegment(points, rcDirty);
    const BITMAPINFOHEADER& image = m_WorkBmpInfo.bmiHeader;
    CRect area;
    if (m_pView && area.IntersectRect(rcDirty, CRect(0, 0, image.biWidth, image.biHeight))) Tint(area);
    return 1;
}

// The cover is rebuilt from the working image (the photo as the stroke
// found it) with the overlay mixed in by the stroke mask's weight, so a
// place stroked twice is tinted no more than once.
void SpotStroke::Tint(const CRect& area)
{
    const BITMAPINFOHEADER& image = m_WorkBmpInfo.bmiHeader;
    const int bpp = image.biBitCount / 8;
    const std::size_t stride = DibStride(image.biWidth, image.biBitCount);
    const BYTE overlay[3] = {OVERLAY_BLUE, OVERLAY_GREEN, OVERLAY_RED};
    std::lock_guard lock(m_csBitmap);
    std::vector<BYTE>& cover = m_pView->vCoverBmpData();
    if (cover.size() != m_vWorkBmpData.size()) return;
    for (LONG y = area.top; y < area.bottom; ++y) {
        // Bottom-up rows: picture row y is memory row height - 1 - y.
        const std::size_t row = static_cast<std::size_t>(image.biHeight - 1 - y);
        const std::int32_t* weights = m_vStrokeMask.data() + row * static_cast<std::size_t>(image.biWidth);
        for (LONG x = area.left; x < area.right; ++x) {
            const std::size_t at = row * stride + static_cast<std::size_t>(x) * bpp;
            const int share = OVERLAY_PERCENT * std::clamp<std::int32_t>(weights[x], 0, ImageProcess::MASK_WEIGHT_FULL);
            for (int c = 0; c < 3; ++c) {
                const int work = m_vWorkBmpData[at + c];
                cover[at + c] = static_cast<BYTE>(work + (overlay[c] - work) * share / (100 * ImageProcess::MASK_WEIGHT_FULL));
            }
        }
    }
    m_pView->InvalidateCover(area);
}

std::vector<POINT> SpotStroke::Simplify(const PointList& drawn, double tolerance)
{
    std::vector<POINT> points;
    for (const CPoint& p : drawn)
        if (points.empty() || points.back().x != p.x || points.back().y != p.y) points.push_back(POINT{p.x, p.y});
    if (points.size() <= 2) return points;
    // Distances to the segment, not its line: a path that turns back keeps
    // its turning point.
    std::vector<std::uint8_t> keep(points.size(), 0);
    keep.front() = keep.back() = 1;
    std::vector<std::pair<std::size_t, std::size_t>> spans{{0, points.size() - 1}};
    while (!spans.empty()) {
        const auto [first, last] = spans.back();
        spans.pop_back();
        double farthest = 0.0;
        std::size_t at = first;
        for (std::size_t i = first + 1; i < last; ++i) {
            const double d = SegmentDistance(points[i].x, points[i].y, points[first], points[last]);
            if (d > farthest) {
                farthest = d;
                at = i;
            }
        }
        if (farthest <= tolerance) continue;
        keep[at] = 1;
        spans.emplace_back(first, at);
        spans.emplace_back(at, last);
    }
    std::vector<POINT> kept;
    for (std::size_t i = 0; i < points.size(); ++i)
        if (keep[i] && (kept.empty() || kept.back().x != points[i].x || kept.back().y != points[i].y))
            kept.push_back(points[i]);
    return kept;
}

} // namespace ImageWindow::EmbeddedTool

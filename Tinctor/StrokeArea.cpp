#include "Tinctor/StrokeArea.h"

#include <algorithm>
#include <cmath>

namespace ImageProcess {

namespace {

/// Distance from (px, py) to the segment from (ax, ay) to (bx, by).
double SegmentDistance(double px, double py, double ax, double ay, double bx, double by)
{
    const double dx = bx - ax, dy = by - ay;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0.0 ? ((px - ax) * dx + (py - ay) * dy) / length2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

} // namespace

StrokeArea::StrokeArea(int size, const std::vector<POINT>& path, float strength, int imageWidth, int imageHeight)
    : m_radius(static_cast<double>(size) / 2.0), m_rim(m_radius, strength)
{
    if (path.empty() || imageWidth <= 0 || imageHeight <= 0) return;
    double left = HUGE_VAL, top = HUGE_VAL, right = -HUGE_VAL, bottom = -HUGE_VAL;
    for (const POINT& p : path) {
        left = std::min(left, static_cast<double>(p.x));
        top = std::min(top, static_cast<double>(p.y));
        right = std::max(right, static_cast<double>(p.x));
        bottom = std::max(bottom, static_cast<double>(p.y));
    }
    const double reach = m_rim.Outer();
    const double l = std::max(std::floor(left - reach), 0.0), t = std::max(std::floor(top - reach), 0.0);
    const double r = std::min(std::ceil(right + reach) + 1.0, static_cast<double>(imageWidth));
    const double b = std::min(std::ceil(bottom + reach) + 1.0, static_cast<double>(imageHeight));
    if (r <= l || b <= t) return;
    m_box = RECT{static_cast<LONG>(l), static_cast<LONG>(t), static_cast<LONG>(r), static_cast<LONG>(b)};
    const std::size_t cells = static_cast<std::size_t>(r - l) * static_cast<std::size_t>(b - t);
    m_weights.assign(cells, 0);
    m_pointed.assign(cells, 0);
    AddSegment(path.front().x, path.front().y, path.front().x, path.front().y);
    for (std::size_t i = 1; i < path.size(); ++i) AddSegment(path[i - 1].x, path[i - 1].y, path[i].x, path[i].y);
}

AreaMask StrokeArea::Mask() const
{
    AreaMask mask;
    if (m_weights.empty()) return mask;
    mask.box = m_box;
    mask.originX = m_box.left;
    mask.originY = m_box.top;
    mask.stride = static_cast<std::size_t>(m_box.right - m_box.left);
    mask.weights = m_weights.data();
    mask.pointed = m_pointed.data();
    return mask;
}

// Row by row, only the pixels near the segment's line are measured: the
// segment's bounding box alone would make a long diagonal cost its square.
void StrokeArea::AddSegment(double ax, double ay, double bx, double by)
{
    const double reach = m_rim.Outer();
    const int top = static_cast<int>(std::max(std::floor(std::min(ay, by) - reach), static_cast<double>(m_box.top)));
    const int bottom =
        static_cast<int>(std::min(std::ceil(std::max(ay, by) + reach) + 1.0, static_cast<double>(m_box.bottom)));
    const double minX = std::max(std::floor(std::min(ax, bx) - reach), static_cast<double>(m_box.left));
    const double maxX = std::min(std::ceil(std::max(ax, bx) + reach) + 1.0, static_cast<double>(m_box.right));
    const double dx = bx - ax, dy = by - ay;
    const double length = std::hypot(dx, dy);
    // Along a row the pixels within reach of the line lie within reach / |sin|
    // of the line's crossing; steep enough segments use that narrower span.
    const bool steep = length > 0.0 && std::fabs(dy) > 0.25 * length;
    for (int y = top; y < bottom; ++y) {
        double first = minX, last = maxX;
        if (steep) {
            const double crossing = ax + (y - ay) * dx / dy;
            const double half = reach * length / std::fabs(dy) + 1.0;
            first = std::max(first, std::floor(crossing - half));
            last = std::min(last, std::ceil(crossing + half) + 1.0);
        }
        for (int x = static_cast<int>(first); x < static_cast<int>(last); ++x)
            AddPixel(x, y, SegmentDistance(x, y, ax, ay, bx, by));
    }
}

void StrokeArea::AddPixel(int x, int y, double distance)
{
    if (distance >= m_rim.Outer()) return;
    const std::size_t i = static_cast<std::size_t>(y - m_box.top) * static_cast<std::size_t>(m_box.right - m_box.left) +
                          static_cast<std::size_t>(x - m_box.left);
    const auto weight = static_cast<std::uint8_t>(std::lround(255.0 * m_rim.Weight(distance)));
    m_weights[i] = std::max(m_weights[i], weight);
    if (distance <= PointedShare * m_radius) m_pointed[i] = 1;
}

} // namespace ImageProcess

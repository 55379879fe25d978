// The stroke engine's path: single-pixel steps between queued positions,
// the batches of the sketching thread and the stamping of the pen.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <mutex>

#include "Tracewell/Log.h"
#include "imagewindow/ImageWindow.h"
#include "imagewindow/tools/Sketcher.h"

namespace ImageWindow::EmbeddedTool {

namespace {

// A walk along the line from `from` to `to` that decides its steps with the
// line's slope and intercept in single precision. Rounding may leave the
// walk a step short on one axis when the other is done; it then finishes
// straight along the remaining axis, and never steps past `to` on either,
// so every walk ends at `to` whatever the sizes.
class LineWalk {
public:
    LineWalk(CPoint from, CPoint to, Sketcher::PointList& out)
        : m_to(to), m_c(from), m_out(out),
          m_k(static_cast<float>(to.y - from.y) / static_cast<float>(to.x - from.x)),
          m_b(static_cast<float>(from.y) - m_k * static_cast<float>(from.x)), m_sx(from.x < to.x ? 1 : -1),
          m_sy(from.y < to.y ? 1 : -1)
    {
    }

    void Run()
    {
        m_out.push_back(m_c);
        if (std::fabs(m_k) <= 1.0f)
            AlongX();
        else
            AlongY();
        m_out.push_back(m_to);
    }

private:
    float Error() const { return static_cast<float>(m_c.y) - (m_k * static_cast<float>(m_c.x) + m_b); }
    void StepX() { m_c.x += m_sx; }
    void StepY() { m_c.y += m_sy; }

    void AlongX()
    {
        while (!(m_c == m_to)) {
            m_out.push_back(m_c);
            if (m_c.x != m_to.x) StepX(); else StepY();
            m_out.push_back(m_c);
            if (m_c == m_to) break;
            if (Error() * static_cast<float>(m_sy) < 0.0f && m_c.y != m_to.y) StepY();
        }
    }

    void AlongY()
    {
        while (!(m_c == m_to)) {
            if (m_c.y != m_to.y) StepY(); else StepX();
            m_out.push_back(m_c);
            if (m_c == m_to) break;
            if (Error() * static_cast<float>(m_sy) > 0.0f && m_c.x != m_to.x) {
                StepX();
                m_out.push_back(m_c);
            }
        }
    }

    const CPoint m_to;
    CPoint m_c;
    Sketcher::PointList& m_out;
    const float m_k;
    const float m_b;
    const int m_sx;
    const int m_sy;
};

// A straight run along one axis: `from`, every point between, then `to`.
void StraightRun(CPoint from, CPoint to, Sketcher::PointList& out)
{
    const int sx = (to.x > from.x) - (to.x < from.x);
    const int sy = (to.y > from.y) - (to.y < from.y);
    for (CPoint c = from; !(c == to); c.Offset(sx, sy)) out.push_back(c);
    out.push_back(to);
}

bool IsSet(const POINT& p) { return p.x != INT_MAX || p.y != INT_MAX; }

} // namespace

void Sketcher::CalcLinePoints(CPoint from, CPoint to, PointList& out)
{
    out.clear();
    if (from == to) {
        out.push_back(from);
        return;
    }
    if (from.x == to.x || from.y == to.y) {
        StraightRun(from, to, out);
        return;
    }
    LineWalk(from, to, out).Run();
}

int Sketcher::ProcessSketching(PointList& points)
{
    if (points.size() < 2) return 1;
    NoteBatch(true);
    PointList path, segment;
    CRect dirty;
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        const CPoint a = points[i], b = points[i + 1];
        CalcLinePoints(a, b, segment);
        path.insert(path.end(), segment.begin(), segment.end());
        const CRect reach(std::min(a.x, b.x) - m_rcPenExtent.left, std::min(a.y, b.y) - m_rcPenExtent.top,
                          std::max(a.x, b.x) + m_rcPenExtent.right + 1, std::max(a.y, b.y) + m_rcPenExtent.bottom + 1);
        dirty.UnionRect(dirty, reach);
    }
    points.erase(points.begin(), points.end() - 1);  // the last point begins the next batch
    if (!ProcessLineSegment(path, dirty))
        WriteLog(LOG_LEVEL_INFO, L"ImageWindow", L"Sketcher::ProcessSketching", L"Failed to call ProcessLineSegment.");
    NoteBatch(false);
    if (m_pView) m_pView->PostInvalidate();
    return 1;
}

int Sketcher::ProcessLineSegment(PointList& points, CRect&) { return StampPath(points, POINT{0, 0}); }

int Sketcher::StampPath(const PointList& points, POINT offset)
{
    if (points.empty()) return 0;
    const float spacing = static_cast<float>(m_pen.iSize) / 5.0f;
    bool stamped = false;
    for (const CPoint& p : points) {
        if (IsSet(m_ptLastStamp)) {
            const float dx = static_cast<float>(p.x - m_ptLastStamp.x);
            const float dy = static_cast<float>(p.y - m_ptLastStamp.y);
            if (std::sqrt(dx * dx + dy * dy) < spacing) continue;
        }
        // A centre this far out would not touch the image: not stamped and
        // not remembered.
        const CPoint centre(p.x + offset.x, p.y + offset.y);
        if (!m_rcValidCenter.PtInRect(centre)) continue;
        StampPoint(centre);
        m_ptLastStamp = p;
        stamped = true;
    }
    return stamped ? 1 : 0;
}

void Sketcher::StampPoint(const CPoint& point)
{
    const POINT corner{point.x - m_pen.ptHotSpot.x, point.y - m_pen.ptHotSpot.y};
    const int size = m_pen.iSize;
    ImageProcess::BitBlt(true, m_vStrokeMask, m_bmiStrokeMask, corner, m_pen.vWeights, m_bmiPenMask, POINT{0, 0}, size,
                         size, ImageProcess::BITBLT_MERGE_MASK, nullptr, 0, nullptr, true);
    m_rcMaskUsed.UnionRect(m_rcMaskUsed, CRect(corner.x, corner.y, corner.x + size, corner.y + size));
}

std::int64_t Sketcher::SteadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void Sketcher::NoteBatch(bool started)
{
    std::lock_guard lock(m_csTimings);
    if (started) {
        ++m_Timings.uBatches;
        m_Timings.iBatchStartNs = SteadyNs();
        m_Timings.iBatchEndNs = 0;
    } else {
        m_Timings.iBatchEndNs = SteadyNs();
    }
}

} // namespace ImageWindow::EmbeddedTool

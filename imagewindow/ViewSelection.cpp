#include "imagewindow/ViewSelection.h"

#include <algorithm>
#include <array>

#include <QPainter>

namespace ImageWindow {

namespace {

constexpr QRgb kTransparent = 0;
constexpr QRgb kDark = 0xFF000000u;
constexpr QRgb kLight = 0xFFFFFFFFu;
// Side of the square tiles a phase step repaints.
constexpr int kTile = 16;

// Whether the dash pattern of `phase` is dark at window pixel (x, y); the
// pattern repeats every 8 pixels from the view's top-left corner.
constexpr bool IsDark(int x, int y, unsigned phase)
{
    const unsigned k = phase;
    return (((static_cast<unsigned>(x) + k) & 7u) < 4u) == (((static_cast<unsigned>(y) + k) & 7u) < 4u);
}

// First span of a band (sorted, disjoint spans) that reaches `x` or beyond.
const QRect* FirstReaching(const QRect* first, const QRect* last, int x)
{
    return std::lower_bound(first, last, x, [](const QRect& span, int value) { return span.right() < value; });
}

// [lo, hi) ∩ the spans of `first`..`last`, appended to `out` in order.
void ClipSpans(const QRect* first, const QRect* last, int lo, int hi, std::vector<std::pair<int, int>>& out)
{
    for (const QRect* s = FirstReaching(first, last, lo); s != last && s->left() < hi; ++s)
        out.emplace_back(std::max(lo, s->left()), std::min(hi, s->right() + 1));
}

// The intersection of two sorted lists of disjoint intervals.
void IntersectIntervals(const std::vector<std::pair<int, int>>& a, const std::vector<std::pair<int, int>>& b,
                        std::vector<std::pair<int, int>>& out)
{
    out.clear();
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const int lo = std::max(a[i].first, b[j].first);
        const int hi = std::min(a[i].second, b[j].second);
        if (lo < hi) out.emplace_back(lo, hi);
        (a[i].second < b[j].second) ? ++i : ++j;
    }
}

} // namespace

const QImage& CViewSelection::Pattern(unsigned phase)
{
    static const std::array<QImage, PHASES> patterns = [] {
        std::array<QImage, PHASES> made;
        for (unsigned k = 0; k < PHASES; ++k) {
            made[k] = QImage(8, 8, QImage::Format_RGB32);
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x) made[k].setPixel(x, y, IsDark(x, y, k) ? kDark : kLight);
        }
        return made;
    }();
    return patterns[phase % PHASES];
}

void CViewSelection::Reset(int maskSize)
{
    m_rgnSelect.DeleteObject();
    m_rgnSelectScaled.DeleteObject();
    m_iSelectMaskSize = std::max(0, maskSize);
    m_vSelectMask.assign(static_cast<std::size_t>(m_iSelectMaskSize), 0);
    m_vSelectMask_Cur.assign(static_cast<std::size_t>(m_iSelectMaskSize), 0);
    DropBorder();
}

void CViewSelection::Clear()
{
    m_rgnSelect.DeleteObject();
    m_rgnSelectScaled.DeleteObject();
    if (m_iSelectMaskSize > 0) {
        std::fill(m_vSelectMask.begin(), m_vSelectMask.end(), 0);
        std::fill(m_vSelectMask_Cur.begin(), m_vSelectMask_Cur.end(), 0);
    }
}

bool CViewSelection::HasSelection() const
{
    RECT box;
    return m_rgnSelect.GetRgnBox(&box) != RGN_ERROR && !CRect(box).IsRectEmpty();
}

bool CViewSelection::Assign(const CRgn& rgn, const std::vector<BYTE>& mask)
{
    if (!rgn.HasRegion() || mask.size() != static_cast<std::size_t>(m_iSelectMaskSize)) return false;
    m_rgnSelect.CopyRgn(rgn);
    m_vSelectMask.assign(mask.begin(), mask.end());
    return true;
}

void CViewSelection::UpdateScaled(double zoom)
{
    m_rgnSelectScaled.DeleteObject();
    if (!m_rgnSelect.HasRegion()) return;
    const float factor = static_cast<float>(zoom);
    m_rgnSelectScaled.CreateScaled(m_rgnSelect, factor, factor);
}

// ---- the border ---------------------------------------------------------------

void CViewSelection::RebuildBorder(const SelectBorderGeometry& geometry)
{
    EraseRuns();
    m_vRuns.clear();
    if (!m_rgnSelect.HasRegion() || !m_rgnSelectScaled.HasRegion()) {
        DropBorder();
        return;
    }
    const CRect& client = geometry.rcClient;
    RECT box;
    m_rgnSelectScaled.GetRgnBox(&box);
    const CRect picture(0, 0, geometry.iDispWidth, geometry.iDispHeight);
    if (box.left < 0 || box.top < 0 || box.right > picture.right || box.bottom > picture.bottom) {
        CRgn inside;
        inside.CreateRectRgnIndirect(picture);
        m_rgnSelectScaled.CombineRgn(&m_rgnSelectScaled, &inside, RGN_AND);
        m_rgnSelectScaled.GetRgnBox(&box);
    }
    CRect shown(box);
    shown.OffsetRect(-geometry.rcInBitmap.left, -geometry.rcInBitmap.top);
    CollectBands(*m_rgnSelectScaled.GetSafeHandle(), QPoint(geometry.rcInBitmap.left, geometry.rcInBitmap.top), client);
    for (std::size_t i = 0; i < m_vBands.size(); ++i) OutlineBand(i);
    TrimCutEdges(geometry, shown);
    if (m_imgBorder.size() != QSize(client.Width(), client.Height())) {
        m_imgBorder = QImage(client.Width(), client.Height(), QImage::Format_ARGB32_Premultiplied);
        m_imgBorder.fill(kTransparent);
    }
    m_rcOutline = QRect();
    m_nOutlinePixels = 0;
    for (const Run& run : m_vRuns) {
        m_rcOutline |= QRect(run.x0, run.y, run.x1 - run.x0, 1);
        m_nOutlinePixels += static_cast<std::size_t>(run.x1 - run.x0);
    }
    m_uPaintedPhase = m_uPhase;
    PaintRuns(m_uPhase);
    BuildBorderArea(client);
}

void CViewSelection::DropBorder()
{
    EraseRuns();
    m_vRuns.clear();
    m_vSpans.clear();
    m_vBands.clear();
    m_nOutlinePixels = 0;
    m_rcOutline = QRect();
    m_rgnBorderArea = QRegion();
}

// The spans of the scaled region that fall into the usable area, in window
// coordinates, grouped by band. Only the rectangles of the visible rows are
// looked at, so a large selection costs what the view shows of it.
void CViewSelection::CollectBands(const QRegion& scaled, QPoint offset, const CRect& client)
{
    m_vSpans.clear();
    m_vBands.clear();
    const QRect* first = scaled.begin();
    const QRect* last = scaled.end();
    // Bands are ordered and do not overlap, so bottoms never decrease.
    first = std::lower_bound(first, last, client.top + offset.y(),
                             [](const QRect& r, int top) { return r.bottom() < top; });
    for (const QRect* r = first; r != last && r->top() - offset.y() < client.bottom; ++r) {
        const int top = std::max<int>(client.top, r->top() - offset.y());
        const int bottom = std::min<int>(client.bottom, r->bottom() + 1 - offset.y());
        const int left = std::max<int>(client.left, r->left() - offset.x());
        const int right = std::min<int>(client.right, r->right() + 1 - offset.x());
        if (left >= right || top >= bottom) continue;
        if (m_vBands.empty() || m_vBands.back().top != top) m_vBands.push_back({top, bottom, m_vSpans.size(), 0});
        m_vSpans.emplace_back(left, top, right - left, bottom - top);
        ++m_vBands.back().count;
    }
}

// A band's outline: its first and last rows against the rows above and
// below, and the two ends of every span on the rows between.
void CViewSelection::OutlineBand(std::size_t index)
{
    const Band& band = m_vBands[index];
    const Band* above = index > 0 && m_vBands[index - 1].bottom == band.top ? &m_vBands[index - 1] : nullptr;
    const Band* below =
        index + 1 < m_vBands.size() && m_vBands[index + 1].top == band.bottom ? &m_vBands[index + 1] : nullptr;
    const int last = band.bottom - 1;
    AddRowRuns(band.top, band, above, band.top == last ? below : &band);
    for (int y = band.top + 1; y < last; ++y)
        for (std::size_t i = band.first; i < band.first + band.count; ++i) {
            const QRect& span = m_vSpans[i];
            m_vRuns.push_back({y, span.left(), span.left() + 1});
            if (span.width() > 1) m_vRuns.push_back({y, span.right(), span.right() + 1});
        }
    if (last > band.top) AddRowRuns(last, band, &band, below);
}

// Outline pixels of row y: every span pixel whose upper or lower neighbour
// is not selected (`up`/`down` null: nothing selected there), and the ends.
void CViewSelection::AddRowRuns(int y, const Band& band, const Band* up, const Band* down)
{
    std::vector<std::pair<int, int>> upper, lower, covered;
    for (std::size_t i = band.first; i < band.first + band.count; ++i) {
        const int a = m_vSpans[i].left();
        const int c = m_vSpans[i].right() + 1;
        covered.clear();
        if (up && down && c - a > 2) {
            upper.clear();
            lower.clear();
            const QRect* spans = m_vSpans.data();
            ClipSpans(spans + up->first, spans + up->first + up->count, a + 1, c - 1, upper);
            ClipSpans(spans + down->first, spans + down->first + down->count, a + 1, c - 1, lower);
            IntersectIntervals(upper, lower, covered);
        }
        int x = a;
        for (const auto& [lo, hi] : covered) {
            m_vRuns.push_back({y, x, lo});
            x = hi;
        }
        m_vRuns.push_back({y, x, c});
    }
}

// Where the view cuts through a selection that goes on beyond its edge (the
// picture is scrolled there), that edge is not part of the outline.
void CViewSelection::TrimCutEdges(const SelectBorderGeometry& g, const CRect& box)
{
    const CRect& client = g.rcClient;
    const bool left = g.rcInBitmap.left > 0 && client.left >= box.left;
    const bool top = g.rcInBitmap.top > 0 && client.top >= box.top;
    const bool right = g.rcInBitmap.right < g.iDispWidth && client.right < box.right;
    const bool bottom = g.rcInBitmap.bottom < g.iDispHeight && client.bottom < box.bottom;
    for (Run& run : m_vRuns) {
        if ((top && run.y == client.top) || (bottom && run.y == client.bottom - 1)) run.x1 = run.x0;
        if (left && run.x0 == client.left) ++run.x0;
        if (right && run.x1 == client.right) --run.x1;
    }
    m_vRuns.erase(std::remove_if(m_vRuns.begin(), m_vRuns.end(), [](const Run& r) { return r.x1 <= r.x0; }),
                  m_vRuns.end());
}

void CViewSelection::PaintRuns(unsigned phase)
{
    for (const Run& run : m_vRuns) {
        auto* row = reinterpret_cast<QRgb*>(m_imgBorder.scanLine(run.y));
        for (int x = run.x0; x < run.x1; ++x) row[x] = IsDark(x, run.y, phase) ? kDark : kLight;
    }
}

void CViewSelection::EraseRuns()
{
    if (m_imgBorder.isNull()) return;
    for (const Run& run : m_vRuns) {
        auto* row = reinterpret_cast<QRgb*>(m_imgBorder.scanLine(run.y));
        std::fill(row + run.x0, row + run.x1, kTransparent);
    }
}

// The tiles holding outline pixels, joined into one rectangle per row of
// neighbouring tiles.
void CViewSelection::BuildBorderArea(const CRect& client)
{
    const int columns = (client.Width() + kTile - 1) / kTile;
    const int rows = (client.Height() + kTile - 1) / kTile;
    std::vector<BYTE> marked(static_cast<std::size_t>(columns) * rows, 0);
    for (const Run& run : m_vRuns)
        std::fill_n(marked.begin() + (run.y / kTile) * columns + run.x0 / kTile, (run.x1 - 1) / kTile - run.x0 / kTile + 1,
                    1);
    std::vector<RECT> tiles;
    for (int ty = 0; ty < rows; ++ty)
        for (int tx = 0; tx < columns; ++tx) {
            if (!marked[static_cast<std::size_t>(ty) * columns + tx]) continue;
            const int start = tx;
            while (tx + 1 < columns && marked[static_cast<std::size_t>(ty) * columns + tx + 1]) ++tx;
            tiles.push_back({start * kTile, ty * kTile, std::min<LONG>(client.right, (tx + 1) * kTile),
                             std::min<LONG>(client.bottom, (ty + 1) * kTile)});
        }
    CRgn area;
    area.CreateFromRects(tiles.data(), static_cast<int>(tiles.size()));
    m_rgnBorderArea = *area.GetSafeHandle();
}

void CViewSelection::DrawBorder(QPainter& dc, unsigned phase)
{
    if (m_vRuns.empty() || m_imgBorder.isNull()) return;
    if (phase % PHASES != m_uPaintedPhase) {
        m_uPaintedPhase = phase % PHASES;
        PaintRuns(m_uPaintedPhase);
    }
    dc.drawImage(m_rcOutline.topLeft(), m_imgBorder, m_rcOutline);
}

} // namespace ImageWindow

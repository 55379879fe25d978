#include "platform/CRgn.h"

#include <cmath>

#include <QPolygon>

namespace {

QRect ToQRect(int left, int top, int right, int bottom) { return {left, top, right - left, bottom - top}; }

int ScaleEdge(int value, float factor) { return static_cast<int>(std::floor(value * factor + 0.5f)); }

// Unites many disjoint rectangles by merging in pairs, which keeps each
// union small instead of growing one region rectangle by rectangle.
QRegion UniteAll(std::vector<QRegion> parts)
{
    if (parts.empty()) return {};
    while (parts.size() > 1) {
        std::vector<QRegion> next;
        next.reserve((parts.size() + 1) / 2);
        for (std::size_t i = 0; i + 1 < parts.size(); i += 2) next.push_back(parts[i].united(parts[i + 1]));
        if (parts.size() % 2) next.push_back(parts.back());
        parts.swap(next);
    }
    return parts.front();
}

} // namespace

BOOL CRgn::DeleteObject()
{
    const bool had = m_bHasRegion;
    m_Region = QRegion();
    m_bHasRegion = false;
    return had ? TRUE : FALSE;
}

BOOL CRgn::CreateRectRgn(int left, int top, int right, int bottom)
{
    const QRect r = ToQRect(left, top, right, bottom);
    m_Region = r.isEmpty() ? QRegion() : QRegion(r);
    m_bHasRegion = true;
    return TRUE;
}

BOOL CRgn::CreateEllipticRgn(int left, int top, int right, int bottom)
{
    const QRect r = ToQRect(left, top, right, bottom);
    m_Region = r.isEmpty() ? QRegion() : QRegion(r, QRegion::Ellipse);
    m_bHasRegion = true;
    return TRUE;
}

BOOL CRgn::CreatePolygonRgn(const POINT* points, int count, int fillMode)
{
    if (!points || count < 3) return FALSE;
    QPolygon polygon;
    polygon.reserve(count);
    for (int i = 0; i < count; ++i) polygon.append(QPoint(points[i].x, points[i].y));
    m_Region = QRegion(polygon, fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    m_bHasRegion = true;
    return TRUE;
}

BOOL CRgn::CreateFromRects(const RECT* rects, int count)
{
    if (count < 0 || (count > 0 && !rects)) return FALSE;
    std::vector<QRegion> parts;
    parts.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QRect r = ToQRect(rects[i].left, rects[i].top, rects[i].right, rects[i].bottom);
        if (!r.isEmpty()) parts.emplace_back(r);
    }
    m_Region = UniteAll(std::move(parts));
    m_bHasRegion = true;
    return TRUE;
}

BOOL CRgn::CreateScaled(const CRgn& source, float sx, float sy)
{
    if (!source.m_bHasRegion || !(sx > 0.0f) || !(sy > 0.0f)) return FALSE;
    std::vector<QRegion> parts;
    parts.reserve(source.m_Region.rectCount());
    for (const QRect& r : source.m_Region) {
        const QRect scaled = ToQRect(ScaleEdge(r.left(), sx), ScaleEdge(r.top(), sy),
                                     ScaleEdge(r.left() + r.width(), sx), ScaleEdge(r.top() + r.height(), sy));
        if (!scaled.isEmpty()) parts.emplace_back(scaled);
    }
    m_Region = UniteAll(std::move(parts));
    m_bHasRegion = true;
    return TRUE;
}

BOOL CRgn::CopyRgn(const CRgn& source)
{
    if (!source.m_bHasRegion) return FALSE;
    m_Region = source.m_Region;
    m_bHasRegion = true;
    return TRUE;
}

int CRgn::CombineRgn(const CRgn* a, const CRgn* b, int mode)
{
    if (!a || !a->m_bHasRegion) return RGN_ERROR;
    if (mode == RGN_COPY) {
        CopyRgn(*a);
        return Kind();
    }
    if (!b || !b->m_bHasRegion) return RGN_ERROR;
    switch (mode) {
    case RGN_AND: m_Region = a->m_Region.intersected(b->m_Region); break;
    case RGN_OR: m_Region = a->m_Region.united(b->m_Region); break;
    case RGN_XOR: m_Region = a->m_Region.xored(b->m_Region); break;
    case RGN_DIFF: m_Region = a->m_Region.subtracted(b->m_Region); break;
    default: return RGN_ERROR;
    }
    m_bHasRegion = true;
    return Kind();
}

int CRgn::OffsetRgn(int dx, int dy)
{
    if (!m_bHasRegion) return RGN_ERROR;
    m_Region.translate(dx, dy);
    return Kind();
}

int CRgn::GetRgnBox(RECT* box) const
{
    if (!m_bHasRegion) return RGN_ERROR;
    const QRect r = m_Region.boundingRect();
    if (box) *box = r.isEmpty() ? RECT{0, 0, 0, 0} : RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    return Kind();
}

BOOL CRgn::PtInRegion(int x, int y) const { return m_bHasRegion && m_Region.contains(QPoint(x, y)) ? TRUE : FALSE; }

BOOL CRgn::EqualRgn(const CRgn& other) const
{
    return m_bHasRegion && other.m_bHasRegion && m_Region == other.m_Region ? TRUE : FALSE;
}

std::vector<RECT> CRgn::GetRects() const
{
    std::vector<RECT> rects;
    if (!m_bHasRegion) return rects;
    rects.reserve(m_Region.rectCount());
    for (const QRect& r : m_Region) rects.push_back({r.left(), r.top(), r.left() + r.width(), r.top() + r.height()});
    return rects;
}

int CRgn::Kind() const
{
    const int count = m_Region.rectCount();
    return count == 0 ? NULLREGION : count == 1 ? SIMPLEREGION : COMPLEXREGION;
}

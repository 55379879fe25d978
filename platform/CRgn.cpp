#include "platform/CRgn.h"

#include <algorithm>
#include <cmath>
#include <cstring>

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

// True when non-empty rectangles come in a region's own (y-x banded) order:
// sorted by top, then left; those with the same top share the bottom and do
// not overlap; a new band starts at or below the previous band's bottom.
bool IsBanded(const std::vector<QRect>& rects)
{
    for (std::size_t i = 1; i < rects.size(); ++i) {
        const QRect& a = rects[i - 1];
        const QRect& b = rects[i];
        const bool sameBand = b.top() == a.top() && b.bottom() == a.bottom() && b.left() > a.right();
        if (!sameBand && b.top() <= a.bottom()) return false;
    }
    return true;
}

// The spans of one band with abutting rectangles merged.
std::vector<QRect> MergeBand(const QRect* first, const QRect* last)
{
    std::vector<QRect> band;
    for (const QRect* r = first; r != last; ++r) {
        if (!band.empty() && band.back().right() + 1 == r->left())
            band.back().setRight(r->right());
        else
            band.push_back(*r);
    }
    return band;
}

bool SameSpans(const QRect* a, const QRect* b, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        if (a[i].left() != b[i].left() || a[i].right() != b[i].right()) return false;
    return true;
}

// The region of banded rectangles in the form Qt's own operations produce
// (abutting spans merged, touching bands with the same spans joined), so
// that regions compare equal whichever way they were made.
QRegion RegionFromBands(const std::vector<QRect>& rects)
{
    std::vector<QRect> out;
    out.reserve(rects.size());
    std::size_t previousBand = 0, previousCount = 0;
    for (std::size_t start = 0; start < rects.size();) {
        std::size_t end = start + 1;
        while (end < rects.size() && rects[end].top() == rects[start].top()) ++end;
        const std::vector<QRect> band = MergeBand(rects.data() + start, rects.data() + end);
        const bool joins = previousCount == band.size() && out[previousBand].bottom() + 1 == band.front().top() &&
                           SameSpans(out.data() + previousBand, band.data(), band.size());
        if (joins) {
            for (std::size_t i = 0; i < band.size(); ++i) out[previousBand + i].setBottom(band[i].bottom());
        } else {
            previousBand = out.size();
            previousCount = band.size();
            out.insert(out.end(), band.begin(), band.end());
        }
        start = end;
    }
    QRegion region;
    region.setRects(out.data(), static_cast<int>(out.size()));
    return region;
}

// The region covering non-empty `rects`, in one pass when they are banded.
QRegion RegionFromRects(std::vector<QRect> rects)
{
    if (IsBanded(rects)) return RegionFromBands(rects);
    std::vector<QRegion> parts(rects.begin(), rects.end());
    return UniteAll(std::move(parts));
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
    std::vector<QRect> parts;
    parts.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QRect r = ToQRect(rects[i].left, rects[i].top, rects[i].right, rects[i].bottom);
        if (!r.isEmpty()) parts.push_back(r);
    }
    m_Region = RegionFromRects(std::move(parts));
    m_bHasRegion = true;
    return TRUE;
}

BOOL CRgn::CreateFromData(const void* transform, int size, const RGNDATA* data)
{
    if (transform || !data || size < static_cast<int>(sizeof(RGNDATAHEADER))) return FALSE;
    RGNDATAHEADER header;
    std::memcpy(&header, data, sizeof(header));
    if (header.dwSize != sizeof(RGNDATAHEADER) || header.iType != RDH_RECTANGLES) return FALSE;
    const unsigned long long listBytes = static_cast<unsigned long long>(header.nCount) * sizeof(RECT);
    if (listBytes > static_cast<unsigned long long>(size) - sizeof(RGNDATAHEADER)) return FALSE;
    // The list follows the header byte for byte; it need not be aligned.
    std::vector<RECT> rects(header.nCount);
    if (header.nCount > 0) std::memcpy(rects.data(), data->Buffer, static_cast<std::size_t>(listBytes));
    return CreateFromRects(rects.data(), static_cast<int>(rects.size()));
}

BOOL CRgn::CreateScaled(const CRgn& source, float sx, float sy)
{
    if (!source.m_bHasRegion || !(sx > 0.0f) || !(sy > 0.0f)) return FALSE;
    // Scaling keeps a region's rectangles in their banded order, so the
    // scaled list is taken in one pass.
    std::vector<QRect> parts;
    parts.reserve(source.m_Region.rectCount());
    for (const QRect& r : source.m_Region) {
        const QRect scaled = ToQRect(ScaleEdge(r.left(), sx), ScaleEdge(r.top(), sy),
                                     ScaleEdge(r.left() + r.width(), sx), ScaleEdge(r.top() + r.height(), sy));
        if (!scaled.isEmpty()) parts.push_back(scaled);
    }
    m_Region = RegionFromRects(std::move(parts));
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
    // QRegion's == compares rectangle lists, which differ for the same
    // pixels when the regions were built in different ways.
    return m_bHasRegion && other.m_bHasRegion && m_Region.xored(other.m_Region).isEmpty() ? TRUE : FALSE;
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

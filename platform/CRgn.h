#pragma once
// A GDI-style region over QRegion: a set of pixels described by rectangles,
// in whatever coordinate system the caller uses (say which where it is used).
//
// Like a GDI region object, a CRgn is either without a region ("no handle",
// the state after construction and DeleteObject) or holds one, which may be
// empty. Rectangles follow RECT's rule: right and bottom are exclusive.

#include <vector>

#include <QRegion>

#include "platform/WinTypes.h"

// Results of CombineRgn, OffsetRgn and GetRgnBox: the kind of region that
// resulted, or RGN_ERROR when an operand has no region.
constexpr int RGN_ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;

// Combination modes of CombineRgn.
constexpr int RGN_AND = 1;
constexpr int RGN_OR = 2;
constexpr int RGN_XOR = 3;
constexpr int RGN_DIFF = 4;
constexpr int RGN_COPY = 5;

// Polygon fill modes.
constexpr int ALTERNATE = 1;
constexpr int WINDING = 2;

/// Type of region data made of rectangles (RGNDATAHEADER::iType).
constexpr DWORD RDH_RECTANGLES = 1;

/// Header of region data (32 bytes): the rectangle list that follows it has
/// nCount rectangles of 16 bytes each.
struct RGNDATAHEADER {
    DWORD dwSize;    ///< size of this header, 32
    DWORD iType;     ///< RDH_RECTANGLES
    DWORD nCount;    ///< number of rectangles
    DWORD nRgnSize;  ///< bytes of the rectangle list (16 × nCount), or 0
    RECT rcBound;    ///< bounding rectangle of all rectangles
};
static_assert(sizeof(RGNDATAHEADER) == 32);

/// Region data: the header, then the rectangles (RECT, right and bottom
/// exclusive) in Buffer.
struct RGNDATA {
    RGNDATAHEADER rdh;
    char Buffer[1];
};

class CRgn {
public:
    CRgn() = default;

    /// True while the object holds a region (possibly empty).
    bool HasRegion() const { return m_bHasRegion; }
    /// The region, or null when the object holds none.
    const QRegion* GetSafeHandle() const { return m_bHasRegion ? &m_Region : nullptr; }
    /// Drops the region; the object then holds none. Returns TRUE when there was one.
    BOOL DeleteObject();

    /// Replaces the region by the rectangle (left, top, right, bottom).
    BOOL CreateRectRgn(int left, int top, int right, int bottom);
    BOOL CreateRectRgnIndirect(const RECT& rect) { return CreateRectRgn(rect.left, rect.top, rect.right, rect.bottom); }
    /// Replaces the region by the ellipse inscribed in the rectangle.
    BOOL CreateEllipticRgn(int left, int top, int right, int bottom);
    /// Replaces the region by the polygon through `count` points (at least 3),
    /// filled with ALTERNATE (odd-even) or WINDING. FALSE for fewer points.
    BOOL CreatePolygonRgn(const POINT* points, int count, int fillMode);
    /// Replaces the region by the union of `count` rectangles (the region-data
    /// form); rectangles that cover no pixel are skipped. FALSE for a null
    /// array with a positive count or a negative count. Rectangles already in
    /// a region's own order (sorted by top, then left; rectangles with the
    /// same top share the bottom and do not overlap; later tops below earlier
    /// bottoms) are taken in one pass; any other order costs a union per
    /// rectangle.
    BOOL CreateFromRects(const RECT* rects, int count);
    /// Replaces the region by the rectangles of region data `data` of `size`
    /// bytes (the header and its rectangle list). `transform` must be null:
    /// no transform is applied. FALSE (nothing changed) for a non-null
    /// transform, a header that is not 32 bytes of type RDH_RECTANGLES, or a
    /// rectangle count that does not fit in `size`.
    BOOL CreateFromData(const void* transform, int size, const RGNDATA* data);
    /// Replaces the region by `source` scaled by (sx, sy) about the origin:
    /// every rectangle's edges are multiplied and rounded to the nearest
    /// integer. FALSE (nothing changed) when a factor is not positive or the
    /// source holds no region.
    BOOL CreateScaled(const CRgn& source, float sx, float sy);
    /// Replaces the region by a copy of `source`'s. FALSE when it has none.
    BOOL CopyRgn(const CRgn& source);

    /// This = a <mode> b (RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF; RGN_COPY copies a,
    /// b may be null then). `a` or `b` may be this object. Returns the kind of
    /// the result, or RGN_ERROR (nothing changed) when an operand has no region
    /// or the mode is unknown.
    int CombineRgn(const CRgn* a, const CRgn* b, int mode);
    /// Moves the region by (dx, dy); RGN_ERROR when there is none.
    int OffsetRgn(int dx, int dy);
    /// The bounding box; (0, 0, 0, 0) with NULLREGION for an empty region,
    /// RGN_ERROR when there is none.
    int GetRgnBox(RECT* box) const;
    /// True when the pixel (x, y) belongs to the region.
    BOOL PtInRegion(int x, int y) const;
    /// TRUE when both hold regions covering the same pixels.
    BOOL EqualRgn(const CRgn& other) const;
    /// The region's rectangles, sorted by top and then by left, not
    /// overlapping; empty when there is no region.
    std::vector<RECT> GetRects() const;

private:
    int Kind() const;

    QRegion m_Region;
    bool m_bHasRegion{false};
};

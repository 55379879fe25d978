#pragma once
// A RECT with the conveniences Windows code expects of CRect. Like RECT, the
// right and bottom edges are exclusive: (0, 0, 10, 5) covers columns 0..9 and
// rows 0..4. (QRect's right() and bottom() are inclusive; convert with
// ToQRect / FromQRect, never by hand.)

#include <algorithm>

#include <QRect>

#include "platform/CPoint.h"
#include "platform/WinTypes.h"

struct CRect : RECT {
    constexpr CRect() : RECT{0, 0, 0, 0} {}
    constexpr CRect(LONG l, LONG t, LONG r, LONG b) : RECT{l, t, r, b} {}
    constexpr CRect(const RECT& r) : RECT(r) {}

    /// The rectangle covering the same pixels as `r`.
    static CRect FromQRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }
    /// The QRect covering the same pixels.
    QRect ToQRect() const { return {left, top, right - left, bottom - top}; }

    /// Width and height (right - left, bottom - top; negative when inverted).
    constexpr LONG Width() const { return right - left; }
    constexpr LONG Height() const { return bottom - top; }
    /// The corners (the bottom-right one is outside the rectangle).
    constexpr CPoint TopLeft() const { return {left, top}; }
    constexpr CPoint BottomRight() const { return {right, bottom}; }
    /// True when the rectangle covers no pixel (width or height not positive).
    constexpr bool IsRectEmpty() const { return right <= left || bottom <= top; }
    /// True when all four coordinates are zero.
    constexpr bool IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    /// True when (x, y) lies inside (right and bottom exclusive).
    constexpr bool PtInRect(const POINT& p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    /// Sets the four coordinates.
    void SetRect(LONG l, LONG t, LONG r, LONG b) { *this = CRect(l, t, r, b); }
    /// Sets all four coordinates to zero.
    void SetRectEmpty() { *this = CRect(); }
    /// Moves the rectangle by (dx, dy).
    void OffsetRect(LONG dx, LONG dy)
    {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
    /// Moves the rectangle so its top-left is (x, y), keeping its size.
    void MoveToXY(LONG x, LONG y) { OffsetRect(x - left, y - top); }
    /// This = a ∩ b; an empty intersection becomes (0, 0, 0, 0). Returns
    /// whether the intersection is non-empty.
    bool IntersectRect(const RECT& a, const RECT& b)
    {
        CRect r(std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom));
        *this = r.IsRectEmpty() ? CRect() : r;
        return !IsRectEmpty();
    }
    /// This = the smallest rectangle holding a and b; an empty one of them
    /// is left out (both empty: (0, 0, 0, 0)). Returns whether the result is
    /// non-empty.
    bool UnionRect(const RECT& a, const RECT& b)
    {
        const CRect ra(a), rb(b);
        if (ra.IsRectEmpty()) *this = rb.IsRectEmpty() ? CRect() : rb;
        else if (rb.IsRectEmpty()) *this = ra;
        else *this = CRect(std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                           std::max(a.bottom, b.bottom));
        return !IsRectEmpty();
    }
    friend constexpr bool operator==(const CRect& a, const CRect& b)
    {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    }
};

#pragma once
// A POINT with the few conveniences Windows code expects of CPoint.

#include <QPoint>

#include "platform/WinTypes.h"

/// A point; its coordinate system is the caller's (say it where it is used).
struct CPoint : POINT {
    constexpr CPoint() : POINT{0, 0} {}
    constexpr CPoint(LONG px, LONG py) : POINT{px, py} {}
    constexpr CPoint(const POINT& p) : POINT(p) {}
    explicit CPoint(const QPoint& p) : POINT{p.x(), p.y()} {}

    /// The same point as a QPoint.
    QPoint ToQPoint() const { return {x, y}; }
    /// Moves the point by (dx, dy).
    void Offset(LONG dx, LONG dy)
    {
        x += dx;
        y += dy;
    }
    friend constexpr bool operator==(const CPoint& a, const CPoint& b) { return a.x == b.x && a.y == b.y; }
};

#pragma once
// The area one spot removal repairs: the disk inscribed in the clicked square,
// with a soft edge.

#include "Tinctor/SoftRim.h"
#include "platform/WinTypes.h"

namespace ImageProcess {

/// The disk inscribed in a square of side `size` whose top-left pixel is
/// `topLeft`, in image pixels with row 0 at the TOP. Its centre is the square's
/// centre (a pixel centre for odd sizes, a pixel corner for even ones) and its
/// radius size / 2.
///
/// Each pixel gets a blend weight for the repaired value: 1 in the core, a
/// smooth fall to 0 across a soft band at the rim, and 0 for every pixel whose
/// centre lies half a pixel or more beyond the radius, which includes every
/// pixel outside the square. `strength` (0 to 1) sets the band: it is
/// (1 - strength) / 2 of the radius wide (the outer tenth at 0.8), never so wide
/// that the centre pixel is not fully repaired, plus one pixel of
/// anti-aliasing. Immutable; any thread.
class RemoveSpotDisk {
public:
    /// `imageWidth` and `imageHeight` bound the pixels `Bounds` reports.
    /// Coordinates far outside the image are handled without overflow.
    RemoveSpotDisk(int size, POINT topLeft, float strength, int imageWidth, int imageHeight);

    /// Centre of the disk, in the pixel coordinates Weight takes (row 0 at
    /// the top).
    double CenterX() const { return m_centerX; }
    double CenterY() const { return m_centerY; }
    /// Radius in pixels (size / 2).
    double Radius() const { return m_radius; }
    /// Distance from the centre beyond which no pixel is touched: a pixel
    /// whose centre is at least this far away has weight 0.
    double OuterRadius() const { return m_radius + 0.5; }

    /// Blend weight (0 to 1) of the repaired value at pixel (x, y).
    float Weight(int x, int y) const;

    /// The square clipped to the image (right and bottom exclusive): every
    /// pixel with a weight above 0 lies in it. Empty when the square misses the
    /// image.
    const RECT& Bounds() const { return m_bounds; }
    /// True when the square misses the image (Bounds is empty).
    bool IsEmpty() const { return m_bounds.right <= m_bounds.left || m_bounds.bottom <= m_bounds.top; }

private:
    double m_centerX{0.0};
    double m_centerY{0.0};
    double m_radius{0.0};
    SoftRim m_rim;
    RECT m_bounds{};
};

} // namespace ImageProcess

#pragma once
// The area a healing stroke repairs: every pixel near the stroke's path.

#include <cstdint>
#include <vector>

#include "Tinctor/AreaMask.h"
#include "Tinctor/SoftRim.h"
#include "platform/WinTypes.h"

namespace ImageProcess {

/// The pixels whose centres lie within `size` / 2 (plus half a pixel) of the
/// polyline through `path`, with RemoveSpot's soft edge for `strength` by
/// their distance from the path, clipped to an image of `imageWidth` x
/// `imageHeight`. One point gives a disk; a segment whose ends coincide adds
/// nothing new. The pixels within a fifth of the radius of the path are the
/// ones the user pointed at. Coordinates are image pixels, row 0 at the top;
/// points far outside the image are handled without overflow. Immutable
/// after construction; any thread.
class StrokeArea {
public:
    /// Pixels within this share of the radius of the path count as pointed at.
    static constexpr double PointedShare = 0.2;

    StrokeArea(int size, const std::vector<POINT>& path, float strength, int imageWidth, int imageHeight);

    /// The weights and pointed pixels (an empty box when the area misses the image).
    AreaMask Mask() const;
    /// The stroke's radius in pixels (size / 2).
    double Radius() const { return m_radius; }

private:
    void AddSegment(double ax, double ay, double bx, double by);
    void AddPixel(int x, int y, double distance);

    double m_radius{0.0};
    SoftRim m_rim;
    RECT m_box{0, 0, 0, 0};
    std::vector<std::uint8_t> m_weights;
    std::vector<std::uint8_t> m_pointed;
};

} // namespace ImageProcess

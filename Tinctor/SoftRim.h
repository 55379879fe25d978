#pragma once
// The soft edge of a repaired area: how much of the repair a pixel takes by
// its distance from the area's middle (a disk's centre, a stroke's path).

#include <algorithm>
#include <cmath>

namespace ImageProcess {

/// The blend weight profile of an area of `radius` pixels around its middle:
/// 1 in the core, a smooth fall to 0 across a soft band at the rim, and 0 for
/// every pixel whose centre lies half a pixel or more beyond the radius.
/// `strength` (0 to 1) sets the band: (1 - strength) / 2 of the radius wide
/// (the outer tenth at 0.8), never so wide that the middle is not fully
/// repaired, plus one pixel of anti-aliasing. Immutable; any thread.
class SoftRim {
public:
    SoftRim(double radius, float strength)
        : m_outer(radius + 0.5),
          m_feather(std::min((1.0 - std::clamp(static_cast<double>(strength), 0.0, 1.0)) * radius / 2.0, radius - 0.5))
    {
    }

    /// Distance from the middle beyond which every weight is 0.
    double Outer() const { return m_outer; }

    /// Weight (0 to 1) of a pixel whose centre lies `distance` pixels from
    /// the middle.
    float Weight(double distance) const
    {
        const double t = std::clamp((m_outer - distance) / (m_feather + 1.0), 0.0, 1.0);
        return static_cast<float>(t * t * (3.0 - 2.0 * t));
    }

private:
    double m_outer{0.0};
    double m_feather{0.0};
};

} // namespace ImageProcess

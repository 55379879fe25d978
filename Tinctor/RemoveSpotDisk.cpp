#include "Tinctor/RemoveSpotDisk.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace ImageProcess {

RemoveSpotDisk::RemoveSpotDisk(int size, POINT topLeft, float strength, int imageWidth, int imageHeight)
{
    const double half = (static_cast<double>(size) - 1.0) / 2.0;
    m_centerX = static_cast<double>(topLeft.x) + half;
    m_centerY = static_cast<double>(topLeft.y) + half;
    m_radius = static_cast<double>(size) / 2.0;
    // The centre pixel must stay fully repaired: its weight is 1 only while the
    // band is at most radius - 0.5 wide.
    const double band = (1.0 - std::clamp(static_cast<double>(strength), 0.0, 1.0)) * m_radius / 2.0;
    m_feather = std::min(band, m_radius - 0.5);

    const std::int64_t left = std::max<std::int64_t>(topLeft.x, 0);
    const std::int64_t top = std::max<std::int64_t>(topLeft.y, 0);
    const std::int64_t right = std::min<std::int64_t>(static_cast<std::int64_t>(topLeft.x) + size, imageWidth);
    const std::int64_t bottom = std::min<std::int64_t>(static_cast<std::int64_t>(topLeft.y) + size, imageHeight);
    if (right > left && bottom > top)
        m_bounds = RECT{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right),
                        static_cast<LONG>(bottom)};
}

float RemoveSpotDisk::Weight(int x, int y) const
{
    const double dx = x - m_centerX;
    const double dy = y - m_centerY;
    const double distance = std::sqrt(dx * dx + dy * dy);
    const double t = std::clamp((OuterRadius() - distance) / (m_feather + 1.0), 0.0, 1.0);
    return static_cast<float>(t * t * (3.0 - 2.0 * t));
}

} // namespace ImageProcess

#include "Tinctor/RemoveSpotDisk.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace ImageProcess {

RemoveSpotDisk::RemoveSpotDisk(int size, POINT topLeft, float strength, int imageWidth, int imageHeight)
    : m_centerX(static_cast<double>(topLeft.x) + (static_cast<double>(size) - 1.0) / 2.0),
      m_centerY(static_cast<double>(topLeft.y) + (static_cast<double>(size) - 1.0) / 2.0),
      m_radius(static_cast<double>(size) / 2.0),
      m_rim(m_radius, strength)
{
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
    return m_rim.Weight(std::sqrt(dx * dx + dy * dy));
}

} // namespace ImageProcess

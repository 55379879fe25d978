#include "Tinctor/AreaDirectionalFill.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "Tinctor/StructureTensor.h"

namespace ImageProcess {

namespace {

// Below this mean squared gradient (grey levels per pixel, summed over the
// channels) the band is too flat to tell a direction; the membrane is as good.
constexpr double MinStructure = 12.0;
// Steps of the march along the structure, in pixels.
constexpr double MarchStep = 0.5;
// A piece whose pixels miss a side more often than this is not filled
// directionally: the structure runs along the area rather than across it.
constexpr double MaxMissingShare = 0.2;

} // namespace

AreaDirectionalFill::AreaDirectionalFill(const ImageBuffer& image, const AreaMask& mask,
                                         const std::vector<POINT>& band, const std::vector<POINT>& footprint,
                                         double reach)
    : m_image(image), m_mask(mask), m_reach(reach)
{
    if (band.empty()) return;
    for (const POINT& p : band) {
        const std::array<float, 3> colour = Pixel(p.x, p.y);
        for (int c = 0; c < 3; ++c) m_level[c] += colour[c] / static_cast<float>(band.size());
    }
    MeasureDirection(band);
    if (m_coherence <= 0.0 || footprint.empty()) return;
    std::size_t missing = 0;
    for (const POINT& p : footprint)
        if (!March(p.x, p.y, m_alongX, m_alongY).found || !March(p.x, p.y, -m_alongX, -m_alongY).found) ++missing;
    if (static_cast<double>(missing) > MaxMissingShare * static_cast<double>(footprint.size())) m_coherence = 0.0;
}

void AreaDirectionalFill::MeasureDirection(const std::vector<POINT>& band)
{
    StructureTensor tensor;
    for (const POINT& p : band) {
        double gx = 0.0, gy = 0.0;
        if (Gradient(p.x, p.y, gx, gy)) tensor.Add(gx, gy);
    }
    tensor.Direction(MinStructure, m_alongX, m_alongY, m_coherence);
}

// Central differences where both neighbours lie outside the area, one-sided
// where one does; none when neither does (the pixel sits in a gap of the area).
bool AreaDirectionalFill::Gradient(int x, int y, double& gx, double& gy) const
{
    auto usable = [&](int px, int py) {
        return px >= 0 && py >= 0 && px < m_image.width && py < m_image.height && !m_mask.Covers(px, py);
    };
    auto derivative = [&](int ax, int ay, int bx, int by, double& out) {
        const bool a = usable(ax, ay), b = usable(bx, by);
        if (a && b) out = 0.5 * (Grey(bx, by) - Grey(ax, ay));
        else if (b) out = Grey(bx, by) - Grey(x, y);
        else if (a) out = Grey(x, y) - Grey(ax, ay);
        return a || b;
    };
    return derivative(x - 1, y, x + 1, y, gx) && derivative(x, y - 1, x, y + 1, gy);
}

double AreaDirectionalFill::Grey(int x, int y) const
{
    const unsigned char* p = m_image.RowFromTop(y) + static_cast<std::size_t>(x) * m_image.bytesPerPixel;
    return static_cast<double>(p[0]) + p[1] + p[2];
}

AreaDirectionalFill::Found AreaDirectionalFill::March(int x, int y, double stepX, double stepY) const
{
    Found found;
    for (double t = MarchStep; t <= m_reach; t += MarchStep) {
        const double qx = x + t * stepX, qy = y + t * stepY;
        const int x0 = static_cast<int>(std::floor(qx)), y0 = static_cast<int>(std::floor(qy));
        if (x0 < 0 || y0 < 0 || x0 + 1 >= m_image.width || y0 + 1 >= m_image.height) return found;
        if (!ReadsOnlyOutside(x0, y0)) continue;
        found.found = true;
        found.distance = t;
        found.colour = BilinearSample(m_image, qx, qy);
        return found;
    }
    return found;
}

bool AreaDirectionalFill::ReadsOnlyOutside(int x0, int y0) const
{
    return !m_mask.Covers(x0, y0) && !m_mask.Covers(x0 + 1, y0) && !m_mask.Covers(x0, y0 + 1) &&
           !m_mask.Covers(x0 + 1, y0 + 1);
}


std::array<float, 3> AreaDirectionalFill::Pixel(int x, int y) const
{
    const unsigned char* p = m_image.RowFromTop(y) + static_cast<std::size_t>(x) * m_image.bytesPerPixel;
    return {static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2])};
}

std::array<float, 3> AreaDirectionalFill::At(int x, int y) const
{
    if (!m_mask.Covers(x, y)) return Pixel(x, y);
    const Found ahead = March(x, y, m_alongX, m_alongY);
    const Found behind = March(x, y, -m_alongX, -m_alongY);
    if (!ahead.found && !behind.found) return m_level;
    if (!ahead.found) return behind.colour;
    if (!behind.found) return ahead.colour;
    const double share = behind.distance / (ahead.distance + behind.distance);
    std::array<float, 3> out{};
    for (int c = 0; c < 3; ++c)
        out[c] = static_cast<float>(behind.colour[c] + share * (ahead.colour[c] - behind.colour[c]));
    return out;
}

} // namespace ImageProcess

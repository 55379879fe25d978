#include "Tinctor/RemoveSpotDirectionalFill.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "Tinctor/StructureTensor.h"

namespace ImageProcess {

namespace {

// The ring the direction is measured in: from the circle the fill reads to
// this many pixels (and at least a quarter of the radius) beyond it.
constexpr double MinRingWidth = 3.0;
// Below this mean squared gradient (grey levels per pixel, summed over the
// channels) the ring is too flat to tell a direction; the membrane is as good.
constexpr double MinStructure = 12.0;

double Grey(const unsigned char* p)
{
    return static_cast<double>(p[0]) + p[1] + p[2];
}

} // namespace

RemoveSpotDirectionalFill::RemoveSpotDirectionalFill(const ImageBuffer& image, const RemoveSpotDisk& disk)
    : m_image(image), m_disk(disk)
{
    // Pixels whose centres lie at least OuterRadius away are intact; bilinear
    // samples a pixel farther out than that read only such pixels.
    m_sampleRadius = disk.OuterRadius() + 1.5;
    const double reach = m_sampleRadius + std::max(MinRingWidth, disk.Radius() / 4.0) + 1.0;
    if (disk.CenterX() - reach < 0.0 || disk.CenterY() - reach < 0.0 || disk.CenterX() + reach > image.width - 1.0 ||
        disk.CenterY() + reach > image.height - 1.0)
        return;
    MeasureDirection();
}

void RemoveSpotDirectionalFill::MeasureDirection()
{
    const double inner = m_sampleRadius;
    const double outer = inner + std::max(MinRingWidth, m_disk.Radius() / 4.0);
    const int left = static_cast<int>(std::floor(m_disk.CenterX() - outer));
    const int right = static_cast<int>(std::ceil(m_disk.CenterX() + outer));
    const int top = static_cast<int>(std::floor(m_disk.CenterY() - outer));
    const int bottom = static_cast<int>(std::ceil(m_disk.CenterY() + outer));
    const std::size_t bpp = static_cast<std::size_t>(m_image.bytesPerPixel);
    StructureTensor tensor;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) {
            const double d = std::hypot(x - m_disk.CenterX(), y - m_disk.CenterY());
            if (d < inner || d > outer) continue;
            const unsigned char* row = m_image.RowFromTop(y);
            const double gx = 0.5 * (Grey(row + (x + 1) * bpp) - Grey(row + (x - 1) * bpp));
            const double gy = 0.5 * (Grey(m_image.RowFromTop(y + 1) + x * bpp) - Grey(m_image.RowFromTop(y - 1) + x * bpp));
            tensor.Add(gx, gy);
        }
    tensor.Direction(MinStructure, m_alongX, m_alongY, m_coherence);
}

std::array<float, 3> RemoveSpotDirectionalFill::Sample(double x, double y) const
{
    return BilinearSample(m_image, x, y);
}

std::array<float, 3> RemoveSpotDirectionalFill::At(int x, int y) const
{
    const double px = x - m_disk.CenterX(), py = y - m_disk.CenterY();
    const double along = px * m_alongX + py * m_alongY;
    const double inside = m_sampleRadius * m_sampleRadius - (px * px + py * py) + along * along;
    if (inside <= 0.0) {
        const unsigned char* p = m_image.RowFromTop(y) + static_cast<std::size_t>(x) * m_image.bytesPerPixel;
        return {static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2])};
    }
    // The line through the pixel meets the circle at -along +- half.
    const double half = std::sqrt(inside);
    const double forward = half - along, backward = half + along;
    const std::array<float, 3> ahead =
        Sample(m_disk.CenterX() + px + forward * m_alongX, m_disk.CenterY() + py + forward * m_alongY);
    const std::array<float, 3> behind =
        Sample(m_disk.CenterX() + px - backward * m_alongX, m_disk.CenterY() + py - backward * m_alongY);
    const double share = backward / (forward + backward);
    std::array<float, 3> out{};
    for (int c = 0; c < 3; ++c) out[c] = static_cast<float>(behind[c] + share * (ahead[c] - behind[c]));
    return out;
}

} // namespace ImageProcess

#include "Tinctor/GradientBlend.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace ImageProcess {

GradientBlend::GradientBlend(const ImageBuffer& image, const RECT& grid, const Buffers& buffers)
    : m_image(image),
      m_grid(grid),
      m_width(std::max(0, static_cast<int>(grid.right - grid.left))),
      m_height(std::max(0, static_cast<int>(grid.bottom - grid.top))),
      m_buffers(buffers)
{
}

void GradientBlend::Load()
{
    const std::size_t values = static_cast<std::size_t>(m_width) * m_height * 3;
    m_buffers.original.resize(values);
    for (int y = 0; y < m_height; ++y) {
        const unsigned char* row = m_image.RowFromTop(m_grid.top + y);
        for (int x = 0; x < m_width; ++x) {
            const unsigned char* p = row + static_cast<std::size_t>(m_grid.left + x) * m_image.bytesPerPixel;
            for (int c = 0; c < 3; ++c) m_buffers.original[(static_cast<std::size_t>(y) * m_width + x) * 3 + c] = p[c];
        }
    }
    m_buffers.source.assign(values, 0.0f);
}

bool GradientBlend::IsBoundaryCell(const std::vector<std::uint8_t>& area, int x, int y) const
{
    const std::size_t i = static_cast<std::size_t>(y) * m_width + x;
    if (area[i]) return false;
    return (x > 0 && area[i - 1]) || (x + 1 < m_width && area[i + 1]) || (y > 0 && area[i - m_width]) ||
           (y + 1 < m_height && area[i + m_width]);
}

bool GradientBlend::HasBoundary(const std::vector<std::uint8_t>& area) const
{
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
            if (IsBoundaryCell(area, x, y)) return true;
    return false;
}

// The correction is harmonic inside the area and equals original - source on
// its boundary, so source + correction meets the surroundings without a seam.
void GradientBlend::Heal(const std::vector<std::uint8_t>& area, RemoveSpotPoissonSolver::Start start, float tolerance)
{
    std::vector<float>& correction = m_buffers.correction;
    const std::vector<float>& source = m_buffers.source;
    if (start == RemoveSpotPoissonSolver::Start::Fresh) correction.assign(source.size(), 0.0f);
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x) {
            if (!IsBoundaryCell(area, x, y)) continue;
            const std::size_t i = (static_cast<std::size_t>(y) * m_width + x) * 3;
            for (int c = 0; c < 3; ++c) correction[i + c] = m_buffers.original[i + c] - source[i + c];
        }
    m_buffers.solver.Solve(m_width, m_height, area, correction, start, tolerance);
    m_buffers.repaired.resize(source.size());
    for (std::size_t i = 0; i < area.size(); ++i)
        if (area[i])
            for (int c = 0; c < 3; ++c) m_buffers.repaired[i * 3 + c] = source[i * 3 + c] + correction[i * 3 + c];
}

void GradientBlend::Compose(const std::vector<std::uint8_t>& area, const std::vector<float>& weight) const
{
    for (int y = 0; y < m_height; ++y) {
        unsigned char* row = m_image.RowFromTop(m_grid.top + y);
        for (int x = 0; x < m_width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * m_width + x;
            if (!area[i]) continue;
            unsigned char* p = row + static_cast<std::size_t>(m_grid.left + x) * m_image.bytesPerPixel;
            for (int c = 0; c < 3; ++c) {
                const float blended = p[c] + weight[i] * (m_buffers.repaired[i * 3 + c] - p[c]);
                p[c] = static_cast<unsigned char>(std::lround(std::clamp(blended, 0.0f, 255.0f)));
            }
        }
    }
}

} // namespace ImageProcess

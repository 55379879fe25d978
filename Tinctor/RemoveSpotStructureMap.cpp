#include "Tinctor/RemoveSpotStructureMap.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "Tinctor/GridDiskSpans.h"

namespace ImageProcess {

namespace {

/// The cell's departure from the mean of its two neighbours along one axis,
/// or nothing (0) when one of them lies beyond the grid.
float Departure(const float* cell, const float* before, const float* after, int channel)
{
    return before && after ? cell[channel] - 0.5f * (before[channel] + after[channel]) : 0.0f;
}

} // namespace

void RemoveSpotStructureMap::Build(const std::vector<float>& means, int columns, int rows)
{
    m_columns = std::max(columns, 0);
    m_rows = std::max(rows, 0);
    m_structure.assign(static_cast<std::size_t>(m_columns) * m_rows, 0.0f);
    const auto cell = [&](int i, int j) -> const float* {
        if (i < 0 || j < 0 || i >= m_columns || j >= m_rows) return nullptr;
        return &means[(static_cast<std::size_t>(j) * m_columns + i) * 3];
    };
    for (int j = 0; j < m_rows; ++j)
        for (int i = 0; i < m_columns; ++i) {
            const float* c = cell(i, j);
            float sum = 0.0f;
            for (int k = 0; k < 3; ++k) {
                const float d = 0.5f * (Departure(c, cell(i - 1, j), cell(i + 1, j), k) +
                                        Departure(c, cell(i, j - 1), cell(i, j + 1), k));
                sum += d * d;
            }
            m_structure[static_cast<std::size_t>(j) * m_columns + i] = sum;
        }
    const std::size_t stride = static_cast<std::size_t>(m_columns) + 1;
    m_sums.assign(stride * m_rows, 0.0);
    for (int j = 0; j < m_rows; ++j) {
        double* sums = &m_sums[static_cast<std::size_t>(j) * stride];
        for (int i = 0; i < m_columns; ++i) sums[i + 1] = sums[i] + At(i, j);
    }
}

double RemoveSpotStructureMap::MeanInDisk(double centreI, double centreJ, double radius) const
{
    const std::size_t stride = static_cast<std::size_t>(m_columns) + 1;
    double sum = 0.0;
    int count = 0;
    ForEachDiskSpan(centreI, centreJ, radius, m_columns, m_rows, [&](int j, int first, int end) {
        const double* sums = &m_sums[static_cast<std::size_t>(j) * stride];
        sum += sums[end] - sums[first];
        count += end - first;
    });
    return count ? sum / count : 0.0;
}

} // namespace ImageProcess

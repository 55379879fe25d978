#include "Tinctor/RemoveSpotDetailMap.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "Tinctor/GridDiskSpans.h"

namespace ImageProcess {

namespace {

/// The neighbour of `position` in the direction `step`, or in the other
/// direction where that leaves [0, size); -1 when neither exists.
int Neighbour(int position, int step, int size)
{
    if (position + step >= 0 && position + step < size) return position + step;
    if (position - step >= 0 && position - step < size) return position - step;
    return -1;
}

double SquaredDifference(const unsigned char* a, const unsigned char* b)
{
    double sum = 0.0;
    for (int c = 0; c < 3; ++c) {
        const double d = static_cast<double>(a[c]) - static_cast<double>(b[c]);
        sum += d * d;
    }
    return sum;
}

/// Samples per row and per column of a cell of `scale` pixels (a power of
/// two): every pixel up to 4, then evenly spaced ones, scale / 4 apart.
int SamplesPerSide(int scale)
{
    return std::min(scale, 4);
}

/// Adds to sums[0 .. count) the detail of the samples on picture row `row` of
/// `count` neighbouring cells of `scale` pixels, the first starting at column `x`.
void AddSampleRow(const ImageBuffer& image, int row, int x, int count, int scale, int stepX, int stepY, double* sums)
{
    const int samples = SamplesPerSide(scale);
    const int step = scale / samples;
    const std::size_t bytesPerPixel = static_cast<std::size_t>(image.bytesPerPixel);
    const unsigned char* line = image.RowFromTop(row);
    const int otherRow = Neighbour(row, stepY, image.height);
    const unsigned char* otherLine = otherRow >= 0 ? image.RowFromTop(otherRow) : nullptr;
    for (int i = 0; i < count; ++i) {
        double sum = 0.0;
        for (int sx = 0; sx < samples; ++sx) {
            const int column = x + i * scale + sx * step;
            const std::size_t at = static_cast<std::size_t>(column) * bytesPerPixel;
            const int otherColumn = Neighbour(column, stepX, image.width);
            if (otherColumn >= 0) sum += SquaredDifference(line + at, line + static_cast<std::size_t>(otherColumn) * bytesPerPixel);
            if (otherLine) sum += SquaredDifference(line + at, otherLine + at);
        }
        sums[i] += sum;
    }
}

} // namespace

double RemoveSpotDetailMap::CellDetail(const ImageBuffer& image, int x, int y, int scale, int stepX, int stepY)
{
    const int samples = SamplesPerSide(scale);
    double sum = 0.0;
    for (int sy = 0; sy < samples; ++sy) AddSampleRow(image, y + sy * (scale / samples), x, 1, scale, stepX, stepY, &sum);
    return sum / (samples * samples);
}

void RemoveSpotDetailMap::Build(const ImageBuffer& image, int originX, int originY, int scale, int columns, int rows,
                                double threshold)
{
    m_originX = originX;
    m_originY = originY;
    m_scale = scale;
    m_columns = std::max(columns, 0);
    m_rows = std::max(rows, 0);
    const std::size_t stride = static_cast<std::size_t>(m_columns) + 1;
    m_counts.assign(stride * static_cast<std::size_t>(m_rows), 0);
    const int samples = SamplesPerSide(scale);
    // Cells are busy when their summed samples exceed this.
    const double limit = threshold * samples * samples;
    std::vector<double> sums;
    for (int j = 0; j < m_rows; ++j) {
        sums.assign(static_cast<std::size_t>(m_columns), 0.0);
        for (int sy = 0; sy < samples; ++sy)
            AddSampleRow(image, originY + j * scale + sy * (scale / samples), originX, m_columns, scale, 1, 1, sums.data());
        int* counts = &m_counts[static_cast<std::size_t>(j) * stride];
        for (int i = 0; i < m_columns; ++i) counts[i + 1] = counts[i] + (sums[i] > limit ? 1 : 0);
    }
}

int RemoveSpotDetailMap::CountInDisk(double centreX, double centreY, double radius) const
{
    // Cell (i, j) has its centre at origin + index * scale + (scale - 1) / 2.
    const double middle = (m_scale - 1) / 2.0;
    const double cellsX = (centreX - m_originX - middle) / m_scale;
    const double cellsY = (centreY - m_originY - middle) / m_scale;
    const std::size_t stride = static_cast<std::size_t>(m_columns) + 1;
    int count = 0;
    ForEachDiskSpan(cellsX, cellsY, radius / m_scale, m_columns, m_rows, [&](int j, int first, int end) {
        const int* counts = &m_counts[static_cast<std::size_t>(j) * stride];
        count += counts[end] - counts[first];
    });
    return count;
}

} // namespace ImageProcess

#pragma once
// The cells of a grid that a disk covers, row by row.

#include <algorithm>
#include <cmath>

namespace ImageProcess {

/// Calls `span(j, first, end)` for every row j of a `columns` x `rows` grid
/// that holds cells whose centres lie within `radius` cells of (centreI,
/// centreJ), with those cells' columns [first, end). Cell (i, j) has its
/// centre at (i, j); cells outside the grid are left out.
template <typename Span>
void ForEachDiskSpan(double centreI, double centreJ, double radius, int columns, int rows, Span span)
{
    const int firstRow = std::max(static_cast<int>(std::ceil(centreJ - radius)), 0);
    const int endRow = std::min(static_cast<int>(std::floor(centreJ + radius)) + 1, rows);
    for (int j = firstRow; j < endRow; ++j) {
        const double dj = j - centreJ;
        const double half = std::sqrt(std::max(radius * radius - dj * dj, 0.0));
        const int first = std::max(static_cast<int>(std::ceil(centreI - half)), 0);
        const int end = std::min(static_cast<int>(std::floor(centreI + half)) + 1, columns);
        if (end > first) span(j, first, end);
    }
}

} // namespace ImageProcess

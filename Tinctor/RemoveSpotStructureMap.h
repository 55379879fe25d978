#pragma once
// Structure on the spot remover's search grid: how much a cell departs from
// the smooth course of its neighbours (an edge, a blob, a window frame).

#include <cstdint>
#include <vector>

namespace ImageProcess {

/// The structure of every cell of a grid of cell means: the squared colour
/// difference (summed over the three channels) between the cell and the mean
/// of its four neighbours, i.e. the grid's discrete Laplacian squared, in
/// squared grey levels. Cells on the grid's edge leave out the axis along
/// which a neighbour is missing. At the grid's own scale this sees soft
/// structure that single-pixel differences miss: the frames of a blurred
/// window, a bokeh blob, a branch.
///
/// The map averages structure over a disk of cells in one step per row it
/// spans (running sums along each row). Coordinates are cells: cell (i, j)
/// is column i, row j. Single-threaded; one object may be
/// rebuilt for several grids, which keeps its memory.
class RemoveSpotStructureMap {
public:
    /// Measures `columns` x `rows` cells whose means (3 floats per cell, row
    /// by row) are `means`.
    void Build(const std::vector<float>& means, int columns, int rows);

    /// Structure of cell (i, j), which must lie in the grid.
    float At(int i, int j) const { return m_structure[static_cast<std::size_t>(j) * m_columns + i]; }

    /// Mean structure of the cells whose centres lie within `radius` cells of
    /// (centreI, centreJ) (fractional cell coordinates); cells outside the
    /// grid do not count. 0 when no cell does.
    double MeanInDisk(double centreI, double centreJ, double radius) const;

private:
    int m_columns{0};
    int m_rows{0};
    std::vector<float> m_structure;
    /// Per row, columns + 1 running sums: entry i sums the row's first i cells.
    std::vector<double> m_sums;
};

} // namespace ImageProcess

#pragma once
// Fine detail on the spot remover's search grid: where small, sharp objects
// (a bird in the sky, a speck, a letter) lie.

#include <vector>

#include "Tinctor/ImageBuffer.h"

namespace ImageProcess {

/// The cells of a grid of square cells over the image that hold sharp detail.
///
/// A cell's detail is the mean, over up to 4 x 4 evenly spaced pixels of the
/// cell (every pixel of cells up to 4 pixels wide), of the squared colour
/// differences between the pixel and its horizontal and its vertical
/// neighbour, summed over the three channels: squared grey levels per pixel.
/// It sees what is sharp at the scale of single pixels, however large the
/// cells: a thin dark bird in a 4-pixel cell of clear sky gives thousands, the
/// soft edge of a cloud a few dozen.
///
/// The map marks the cells whose detail exceeds a threshold and counts the
/// marked cells inside a disk in one step per row of cells it spans (running
/// counts along each row). Coordinates are image pixels, row 0 at the top.
/// Single-threaded.
class RemoveSpotDetailMap {
public:
    /// Detail of the cell of `scale` x `scale` pixels whose top-left pixel is
    /// (x, y) and which lies wholly in the image. The neighbours are taken
    /// in the direction of `stepX` and `stepY` (each 1 or -1; the other way
    /// where that leaves the image), so a caller can keep them out of an area
    /// whose pixels must not count.
    static double CellDetail(const ImageBuffer& image, int x, int y, int scale, int stepX = 1, int stepY = 1);

    /// Measures `columns` x `rows` cells of `scale` pixels whose first
    /// cell's top-left pixel is (originX, originY), marking those whose
    /// detail exceeds `threshold`. Every cell must lie wholly in the image.
    void Build(const ImageBuffer& image, int originX, int originY, int scale, int columns, int rows, double threshold);

    /// Number of marked cells whose centres lie in the disk of `radius`
    /// pixels around (centreX, centreY); cells outside the map do not count.
    int CountInDisk(double centreX, double centreY, double radius) const;

private:
    int m_originX{0};
    int m_originY{0};
    int m_scale{1};
    int m_columns{0};
    int m_rows{0};
    /// Per row, columns + 1 running counts: entry i counts the marked cells
    /// among the row's first i.
    std::vector<int> m_counts;
};

} // namespace ImageProcess

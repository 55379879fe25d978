#pragma once
// Gradient-domain healing of an area of an image: a source texture whose tone
// is corrected to meet the area's surroundings without a seam. Used by the
// spot remover; any area (a disk, a thin mask along a stroke) can be healed
// the same way.

#include <cstdint>
#include <vector>

#include "Tinctor/ImageBuffer.h"
#include "Tinctor/RemoveSpotPoissonSolver.h"

namespace ImageProcess {

/// Heals an area of an image on a rectangular grid of its pixels.
///
/// The caller gives, per cell of the grid, whether it belongs to the area
/// and a source colour (the texture the repair takes: pixels copied from
/// elsewhere, a blend of several, a fill; only the area's cells and its
/// boundary cells, the cells outside it next to one inside, are read). The
/// repair is the source plus the smooth (harmonic) correction that makes it
/// meet the surrounding pixels exactly: the solution of the Poisson equation
/// whose guidance field is the source's gradient and whose boundary values
/// are the original pixels just outside the area. Where the area reaches the
/// grid's edge it has no boundary there and follows the source freely. A
/// constant added to the whole source changes nothing.
///
/// Grids are row by row, 3 floats per cell (the colour channels in pixel
/// order); the grid is a rectangle of image pixels, row 0 at the top. The
/// buffers are the caller's (kept between repairs: fresh memory is slow);
/// single-threaded.
class GradientBlend {
public:
    /// Working memory, kept by the caller.
    struct Buffers {
        std::vector<float>& original;       ///< the grid's pixels
        std::vector<float>& source;
        std::vector<float>& repaired;       ///< valid inside the last healed area
        std::vector<float>& correction;
        RemoveSpotPoissonSolver& solver;
    };

    /// Keeps references to `image` and the buffers. `grid` must lie in the image.
    GradientBlend(const ImageBuffer& image, const RECT& grid, const Buffers& buffers);

    int Width() const { return m_width; }
    int Height() const { return m_height; }

    /// Reads the grid's pixels; sets the source to 0 everywhere.
    void Load();
    /// The grid's pixels as Load read them.
    const std::vector<float>& Original() const { return m_buffers.original; }
    /// The source, 3 floats per cell, for the caller to fill.
    std::vector<float>& Source() { return m_buffers.source; }
    /// The repair of the last Heal, valid in its area.
    const std::vector<float>& Repaired() const { return m_buffers.repaired; }

    /// True when cell (x, y) lies outside `area` next to a cell inside it.
    bool IsBoundaryCell(const std::vector<std::uint8_t>& area, int x, int y) const;
    /// True when some cell is a boundary cell of `area` (an area without one
    /// has nothing to take its tone from).
    bool HasBoundary(const std::vector<std::uint8_t>& area) const;

    /// Heals `area` (non-zero per cell) into Repaired(), to `tolerance` (see
    /// RemoveSpotPoissonSolver::Solve). Starting from values, the cells of
    /// `area` keep the last Heal's correction as their first guess (a close
    /// one when the area is a part of the last one).
    void Heal(const std::vector<std::uint8_t>& area, RemoveSpotPoissonSolver::Start start, float tolerance);

    /// Writes the repair of `area`'s cells into the image, each blended over
    /// the pixel by its `weight` (0 to 1 per cell); other pixels and the
    /// alpha byte of 32-bit pixels are kept.
    void Compose(const std::vector<std::uint8_t>& area, const std::vector<float>& weight) const;

private:
    const ImageBuffer& m_image;
    RECT m_grid{};
    int m_width{0};
    int m_height{0};
    Buffers m_buffers;
};

} // namespace ImageProcess

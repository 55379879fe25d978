#pragma once
// Multigrid solver of the Laplace equation on a masked grid, used by the spot
// remover to carry the tone of a spot's surroundings smoothly into the repair.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ImageProcess {

/// Solves the discrete Laplace equation (5-point stencil) for three channels at
/// once on a rectangular grid in which some cells are unknown and the others
/// hold fixed (Dirichlet) values. Cells beyond the grid's edge do not exist: an
/// unknown cell on the edge has no flux across it (a Neumann condition), which
/// is what a repair that reaches the image border needs.
///
/// The solver is a cell-centred multigrid: over-relaxed red-black Gauss-Seidel
/// smoothing, a full-multigrid start, then V-cycles until one changes no value
/// by more than `Tolerance` (in the values' units: a twentieth of a grey
/// level) or stops improving. Coarse levels halve each axis that is longer
/// than one cell and weight their stencil by the cells' aspect ratio (a
/// finite-volume discretisation), so thin grids such as a two-pixel-high
/// image converge as well as square ones. Single-threaded;
/// one object may be reused for several solves, which keeps its memory.
class RemoveSpotPoissonSolver {
public:
    /// Largest change of any value in the last V-cycle at which the solve stops.
    static constexpr float Tolerance = 0.05f;

    /// Where a solve starts: from scratch (a full-multigrid pass), or from the
    /// values the unknown cells already hold (a close guess, such as the
    /// solution on a similar domain), which then only V-cycles improve.
    enum class Start { Fresh, FromValues };

    /// Solves in place. `unknown` has width * height bytes, row by row: non-zero
    /// marks a cell to solve for. `values` has 3 floats per cell: fixed cells
    /// give the boundary data and, on return, unknown cells hold the solution.
    /// Every connected group of unknown cells must touch a fixed cell, or its
    /// values are left undetermined (finite, but meaningless). `tolerance`: the
    /// largest change of a value in the last V-cycle at which the solve stops
    /// (a looser one gives a quicker, rougher solution). Returns the number of
    /// V-cycles run (0 when nothing is unknown).
    int Solve(int width, int height, const std::vector<std::uint8_t>& unknown, std::vector<float>& values,
              Start start = Start::Fresh, float tolerance = Tolerance);

private:
    struct Level {
        int width{0};
        int height{0};
        int factorX{1};                 ///< cells of the finer level per cell along x (1 or 2)
        int factorY{1};
        float cellWidth{1.0f};          ///< size of a cell in finest-level cells
        float cellHeight{1.0f};
        float weightX{1.0f};            ///< stencil weight of a horizontal neighbour
        float weightY{1.0f};            ///< stencil weight of a vertical neighbour
        std::size_t unknownCount{0};
        std::vector<std::uint8_t> unknown;
        std::vector<float> u;           ///< 3 floats per cell: solution, or correction on coarse levels
        std::vector<float> rhs;         ///< 3 floats per cell: right-hand side
    };

    void BuildLevels(int width, int height, const std::vector<std::uint8_t>& unknown);
    static void Coarsen(const Level& fine, Level& coarse);
    static void Smooth(Level& level, int sweeps);
    static void UpdateEdgeCell(Level& level, int x, int y);
    static void RestrictResidual(const Level& fine, Level& coarse);
    static void RestrictFixedValues(const Level& fine, Level& coarse);
    static void Interpolate(const Level& coarse, Level& fine, bool add);
    float MaxChange(const std::vector<float>& before) const;
    void FullMultigrid(std::size_t depth);
    void VCycle(std::size_t depth);

    std::vector<Level> m_levels;
    std::vector<float> m_before;        ///< the finest level's values before a V-cycle
};

} // namespace ImageProcess

#pragma once
// Working memory of spot repairs, kept per thread from one repair to the next.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "Tinctor/RemoveSpotFlawMask.h"
#include "Tinctor/RemoveSpotPoissonSolver.h"

namespace ImageProcess {

/// The grids of one spot repair. Fresh memory is slow to touch (every new page
/// faults), and the largest spot the tool asks for (501 pixels) needs some 40
/// MB of them, so each thread keeps its scratch between repairs and the
/// buffers keep their capacity. After a repair on a larger grid than that the
/// memory is freed again.
struct RemoveSpotScratch {
    /// Grids of up to this many cells are kept after a repair: a 501-pixel
    /// spot's grid with its one-pixel border.
    static constexpr std::size_t MaxKeptCells = 512 * 512;

    /// The calling thread's scratch for as long as the lease lives, or a
    /// scratch of the lease's own while the thread's is already lent (a
    /// progress callback that repairs another spot).
    class Lease {
    public:
        Lease();
        ~Lease();
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        RemoveSpotScratch& operator*() const { return *m_scratch; }

    private:
        std::unique_ptr<RemoveSpotScratch> m_own;
        RemoveSpotScratch* m_scratch{nullptr};
    };

    std::vector<std::uint8_t> inDisk;   ///< per cell: being repaired
    std::vector<float> weight;          ///< per cell: blend weight of the repair
    std::vector<float> original;        ///< 3 floats per cell
    std::vector<float> source;
    std::vector<float> repaired;
    std::vector<float> correction;
    std::vector<float> patchMeans;      ///< the source search's refinement patch
    RemoveSpotPoissonSolver solver;
    RemoveSpotFlawMask flawMask;
};

} // namespace ImageProcess

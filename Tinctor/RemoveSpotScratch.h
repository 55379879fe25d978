#pragma once
// Working memory of spot repairs, kept from one repair to the next.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "Tinctor/RemoveSpotFlawMask.h"
#include "Tinctor/RemoveSpotPoissonSolver.h"

namespace ImageProcess {

/// The grids of one spot repair. Fresh memory is slow to touch (every new page
/// faults), and the largest spot the tool asks for (501 pixels) needs some 35
/// MB of them, so the library keeps one scratch for the whole process and
/// lends it to one repair at a time, whatever thread it runs on (the program
/// starts a new thread for every operation); its buffers keep their capacity.
/// After a repair on a larger grid than the largest spot's the memory is
/// freed again.
struct RemoveSpotScratch {
    /// Grids of up to this many cells are kept after a repair: a 501-pixel
    /// spot's grid with its one-pixel border.
    static constexpr std::size_t MaxKeptCells = 512 * 512;

    /// The kept scratch for as long as the lease lives, or a new one while
    /// another lease holds it (repairs running at the same time). Any thread.
    class Lease {
    public:
        Lease();
        /// Gives the scratch back to be kept, unless another one was given
        /// back meanwhile or its grids are larger than MaxKeptCells.
        ~Lease();
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        RemoveSpotScratch& operator*() const { return *m_scratch; }

    private:
        std::unique_ptr<RemoveSpotScratch> m_scratch;
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

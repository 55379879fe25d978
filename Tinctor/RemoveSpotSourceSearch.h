#pragma once
// Finds where the spot remover takes its texture from: the nearby area whose
// surroundings look most like the spot's.

#include <optional>
#include <vector>

#include "Tinctor/ImageBuffer.h"
#include "Tinctor/RemoveSpotDetailMap.h"
#include "Tinctor/RemoveSpotDisk.h"
#include "Tinctor/RemoveSpotStructureMap.h"

namespace ImageProcess {

/// Shift from a repaired pixel to the pixel its texture is taken from, in image
/// pixels (x to the right, y downwards: row 0 at the top).
struct SpotOffset {
    int dx{0};
    int dy{0};
};

/// One source area and its share of the repair's texture.
struct SpotSourcePart {
    SpotOffset offset;
    float weight{1.0f};
};

/// The texture source of a spot: one area, or a blend of a few that match the
/// spot's surroundings about equally well (best first). The weights sum to 1
/// or less: the rest is the smooth fill's share, which adds no texture.
struct SpotSource {
    std::vector<SpotSourcePart> parts;
    /// Median over the pixels around the spot of the largest channel
    /// difference between them and the blended source's, after removing the
    /// mean difference (grey levels): how far a repair from this source
    /// typically departs from intact pixels. A median, so that one strong edge
    /// the source misses does not hide how well it matches elsewhere.
    float typicalDeparture{0.0f};
};

/// Searches the neighbourhood of a spot for the source area to heal it from.
///
/// The ring of pixels just outside the disk is compared with the same ring
/// around each candidate source position: a sum of squared colour differences
/// after removing the mean difference of each channel (the healing step
/// corrects a uniform tone difference by itself), plus a small penalty on that
/// mean difference and on distance, so that similar, nearby texture wins. The
/// search is coarse to fine: every position of an annulus around the spot is
/// scored on a block-averaged copy in which the disk is at most 8 cells across
/// its radius (every other position when that copy is the image itself), and
/// the best few distinct positions are refined at halving block sizes down to
/// single pixels. A candidate is never taken if its disk
/// or ring would overlap the spot's disk, or if any pixel it must supply lies
/// outside the image.
///
/// A matching ring says nothing about what lies inside it: a patch of sky
/// around a bird matches the sky around a dust speck as well as clear sky
/// does. So a candidate is not taken either when some cell of its disk holds
/// much sharper detail (see RemoveSpotDetailMap) than the ring's cells next
/// to the spot's disk, counting only detail found there in two directions a
/// quarter turn apart or more and separated on both sides by quieter ones
/// (structure that runs through the disk, not an object or a boundary beside
/// it, however wide an arc of the ring it fills): it would bring in an object
/// the spot's surroundings do not show. When every candidate would, there is
/// no source and the spot gets the smooth fill. Softer structure at the
/// search's coarse scale (see RemoveSpotStructureMap: a window frame in a
/// blurred facade, a bokeh blob) that a candidate's disk holds beyond what
/// runs through the ring, by the same rule, adds to its cost.
///
/// Finally the smooth fill itself competes: a source with no texture matches
/// the ring as well as the ring's own variance says. Candidates costing up
/// to twice the best one share the repair, weighted by cost, and the smooth
/// fill's share adds no texture: a source that matches poorly is toned
/// down, and when the smooth fill wins clearly there is no source at all.
/// Deterministic; reads the image only.
class RemoveSpotSourceSearch {
public:
    /// Keeps references: `image`, `disk` and `patchMeans` (working memory of
    /// the refinement, kept by the caller between searches) must outlive the
    /// search.
    RemoveSpotSourceSearch(const ImageBuffer& image, const RemoveSpotDisk& disk, std::vector<float>& patchMeans);

    /// The source, or nothing when the image leaves no room for one (tiny
    /// images, spots as large as the image), the spot has too little
    /// surroundings inside the image to compare, or the smooth fill wins.
    /// `smoothFactor` (0 to 1) scales the smooth fill's cost: below 1 when
    /// the caller's smooth fill is better than a plain membrane (one that
    /// follows an edge through the spot).
    std::optional<SpotSource> Find(double smoothFactor = 1.0) const;

    /// The same measure as `SpotSource::typicalDeparture` for a smooth fill:
    /// the median of the largest channel difference between the pixels around
    /// the disk and their mean. 0 when no pixel around the disk lies in the image.
    float SmoothFillDeparture() const;

private:
    /// The target's ring at one block size: the cells (blocks of scale x scale
    /// pixels) around the disk that lie wholly inside the image and outside
    /// the disk, with their mean colours.
    struct Ring {
        int scale{1};
        double outerRadius{0.0};        ///< in pixels, from the disk's centre
        int originX{0};                 ///< top-left pixel of cell (0, 0) of the ring's cell grid
        int originY{0};
        std::vector<int> cellX;         ///< top-left pixel of each cell
        std::vector<int> cellY;
        std::vector<float> target;      ///< 3 floats per cell
        RECT reach{};                   ///< pixels a source must supply: ring and disk (+1) inside the image
        /// The patch: the cells of the ring's bounding box grown by one cell,
        /// whose means the refinement computes once per candidate and level
        /// to score the candidate and its eight neighbours.
        int patchLeft{0};               ///< grid index of the patch's first column
        int patchTop{0};
        int patchColumns{0};
        int patchRows{0};
        std::vector<int> patchCells;    ///< patch cells within one cell of a ring cell
        std::vector<int> ringInPatch;   ///< each ring cell's index in the patch
    };
    struct Candidate {
        SpotOffset offset;
        double cost{0.0};
        bool smooth{false};             ///< no source: the smooth fill
    };
    /// Cell means over the search window on the coarse ring's cell grid.
    struct Raster {
        int originX{0};                 ///< top-left pixel of cell (0, 0) of the grid
        int originY{0};
        int firstI{0};                  ///< grid index of the raster's first column
        int firstJ{0};
        int columns{0};
        int rows{0};
        std::vector<float> means;       ///< 3 floats per cell
    };

    Ring BuildRing(int scale) const;
    /// The smooth fill as a candidate, costed like a refined one and scaled
    /// by `factor`.
    Candidate SmoothCandidate(const Ring& coarse, const std::vector<Ring>& finer, double factor) const;
    /// Sum over the channels of the variance of the ring's cells.
    static double RingVariance(const Ring& ring);
    static void BuildPatch(Ring& ring);
    /// Fills `means` with the patch's cell means for a source shifted by
    /// `offset`; cells outside the image are left undefined (no allowed
    /// candidate reads them).
    void FillPatch(const Ring& ring, SpotOffset offset, std::vector<float>& means) const;
    /// The ring comparison for the filled patch's offset shifted by (dx, dy)
    /// cells (each -1 to 1).
    double PatchCost(const Ring& ring, const std::vector<float>& means, int dx, int dy) const;
    void CellMean(int x, int y, int scale, float out[3]) const;
    bool IsAllowed(const Ring& ring, SpotOffset offset) const;
    double Cost(const Ring& ring, const float* source, std::size_t stride, const std::vector<std::size_t>& cells) const;
    double Penalised(double cost, SpotOffset offset) const;
    /// Median departure of the ring from the blended source of `parts`, or
    /// from the ring's own mean when there are none.
    float TypicalDeparture(const Ring& ring, const std::vector<SpotSourcePart>& parts) const;
    static std::vector<SpotSourcePart> Blend(std::vector<Candidate> candidates);
    int LatticeStep(const Ring& ring) const;
    std::vector<Candidate> CoarseSearch(const Ring& ring) const;
    Raster BuildRaster(const Ring& ring) const;
    /// The fine detail (see RemoveSpotDetailMap) beyond which a cell of a
    /// candidate's disk carries an object, from the ring's cells next to the
    /// spot's disk.
    double BusyLimit(const Ring& ring) const;
    std::vector<Candidate> ScoreLattice(const Ring& ring, const Raster& raster,
                                        const RemoveSpotStructureMap& structure) const;
    double StructureLimit(const Ring& ring, const Raster& raster, const RemoveSpotStructureMap& structure,
                          double centreI, double centreJ) const;
    /// The best few of `sorted` (cheapest first) that lie apart and whose
    /// disks (with their soft edges) hold no cell marked in `busyCells`.
    std::vector<Candidate> PickDistinct(const std::vector<Candidate>& sorted, int scale,
                                        const RemoveSpotDetailMap& busyCells) const;
    Candidate Refine(Candidate candidate, const std::vector<Ring>& rings) const;

    const ImageBuffer& m_image;
    const RemoveSpotDisk& m_disk;
    std::vector<float>& m_patchMeans;
    int m_anchorX{0};
    int m_anchorY{0};
    int m_coarseScale{1};
    double m_nearest{0.0};              ///< distance at which the distance penalty starts
    double m_farthest{0.0};             ///< largest distance searched
};

} // namespace ImageProcess

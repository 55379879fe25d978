#pragma once
// Finds where a piece of an area (see AreaHealer) takes its texture from:
// the nearby places whose surroundings look most like the piece's own.

#include <array>
#include <optional>
#include <vector>

#include "Tinctor/AreaMask.h"
#include "Tinctor/ImageBuffer.h"
#include "Tinctor/RemoveSpotSourceSearch.h"

namespace ImageProcess {

/// One source of a piece: where it lies, its share of the texture, and the
/// mean colour of its surroundings (the texture is taken relative to it).
struct AreaSourcePart {
    SpotOffset offset;
    float weight{1.0f};
    std::array<float, 3> mean{};
};

/// The texture of one piece: a blend of a few sources whose weights sum to
/// 1 or less (the rest is the smooth fill's share), and how far a repair from
/// it typically departs from intact pixels (see SpotSource::typicalDeparture).
struct AreaPieceSource {
    std::vector<AreaSourcePart> parts;
    float smoothShare{1.0f};
    float typicalDeparture{0.0f};
};

/// Searches the neighbourhood of one piece of an area for its sources, as
/// RemoveSpotSourceSearch does for a disk, with the band of pixels around the
/// piece in place of the ring around the disk.
///
/// The piece is the area's pixels inside `footprint` (a rectangle of image
/// pixels); its band is the pixels outside the area within two or three cells
/// of them, on every side where the area ends (where the area goes on, as a
/// stroke does beyond its piece, there is no band). A candidate shift is
/// compared on the band: a sum of squared colour differences after removing
/// the mean difference (RingMatch), plus a penalty on distance. The search
/// is coarse to fine: every shift of a disk of candidates is scored on
/// block-averaged cells in which the piece is at most a few cells thick
/// (every other shift when those cells are single pixels), and the best few
/// distinct shifts are refined at halving block sizes down to single pixels.
/// A shift is never taken if the piece or its band, shifted, would meet any
/// pixel of the area (the source must be intact) or leave the image, nor if
/// a cell of the shifted piece holds much sharper detail than the band's
/// cells near that cell (it would bring in an object the surroundings do not
/// show there).
/// Finally the smooth fill competes with a cost of the band's variance, and
/// candidates costing up to twice the best share the repair.
/// Coordinates are image pixels, row 0 at the top. Reads the image only;
/// single-threaded; one object may search several pieces, which keeps its memory.
class AreaSourceSearch {
public:
    /// Keeps references: `image` and the area's bytes must outlive the search.
    AreaSourceSearch(const ImageBuffer& image, const AreaMask& mask);

    /// Builds the piece's cells at every scale; `radius` is how far the
    /// piece's pixels lie from its edge at most (half its thickness). False
    /// when the piece has no pixel or no band to compare.
    bool Prepare(const RECT& footprint, double radius);
    /// The piece's pixels and its band at single pixels (after Prepare).
    const std::vector<POINT>& FootprintPixels() const { return m_footprintPixels; }
    const std::vector<POINT>& BandPixels() const { return m_bandPixels; }
    /// The sources of the prepared piece. `smoothFactor` (0 to 1) scales the
    /// smooth fill's cost (below 1 when the caller's smooth fill follows the
    /// surroundings' structure). No parts when no shift is allowed or the
    /// smooth fill wins clearly.
    AreaPieceSource Find(double smoothFactor);

private:
    /// The piece's cells at one block size, over the search window.
    struct Level {
        int scale{1};
        int columns{0};
        int rows{0};
        std::vector<float> means;           ///< 3 floats per cell
        std::vector<std::uint8_t> covered;  ///< per cell: holds a pixel of the area
        std::vector<int> footprint;         ///< cells holding a pixel of the piece
        std::vector<int> band;              ///< cells of the band
        std::vector<float> target;          ///< the band's means, 3 floats per cell
        std::vector<int> shape;             ///< footprint and band cells (checked for every shift)
        RECT bandCells{0, 0, 0, 0};         ///< bounds of the shape's cells (cell coordinates)
        std::vector<double> detailLimit;    ///< per footprint cell: the most detail a source may bring there
    };
    struct Candidate {
        SpotOffset offset;
        double cost{0.0};
    };

    void BuildLevel(Level& level, const RECT& footprint) const;
    void MarkBand(Level& level) const;
    void LimitDetail(Level& level) const;
    double CellDetail(const Level& level, int cell, bool awayFromArea) const;
    double Cost(const Level& level, SpotOffset offset) const;
    bool IsAllowed(const Level& level, SpotOffset offset) const;
    bool IsBusy(const Level& level, SpotOffset offset) const;
    double Penalised(double cost, SpotOffset offset) const;
    std::vector<Candidate> CoarseSearch() const;
    std::optional<Candidate> Refine(Candidate candidate) const;
    AreaSourcePart MakePart(SpotOffset offset, float weight) const;
    float TypicalDeparture(const std::vector<AreaSourcePart>& parts) const;

    const ImageBuffer& m_image;
    AreaMask m_mask;
    double m_radius{0.0};
    int m_originX{0};               ///< top-left pixel of the search window (cell (0, 0) at every scale)
    int m_originY{0};
    double m_nearest{0.0};          ///< distance at which the distance penalty starts
    double m_farthest{0.0};         ///< largest distance searched
    int m_latticeStep{1};
    std::vector<Level> m_levels;    ///< coarsest first, single pixels last
    std::vector<POINT> m_footprintPixels;
    std::vector<POINT> m_bandPixels;
};

} // namespace ImageProcess

#pragma once
// Repairs one spot: source search, gradient-domain healing, soft compositing.

#include <cstdint>
#include <optional>
#include <vector>

#include "Tinctor/ImageBuffer.h"
#include "Tinctor/ImageProcess.h"
#include "Tinctor/RemoveSpotDisk.h"
#include "Tinctor/RemoveSpotScratch.h"
#include "Tinctor/RemoveSpotSourceSearch.h"

namespace ImageProcess {

/// Heals the disk of one spot in place.
///
/// The texture comes from the source that `RemoveSpotSourceSearch` picks (one
/// area or a weighted blend of a few);
/// the tone comes from the spot's surroundings: the repair is the source plus
/// the smooth (harmonic) correction that makes it meet the surrounding pixels
/// exactly, i.e. the solution of the Poisson equation whose guidance field is
/// the source's gradient and whose boundary is the ring around the repaired
/// area. Where the area reaches over the image border it has no boundary there
/// and follows the source freely. When no source fits in the image, or every
/// nearby one would bring in an object the spot's surroundings do not show,
/// the area gets the smooth fill alone (the membrane through its surroundings).
///
/// The heal runs twice: a rough one over the whole disk predicts what the disk
/// would look like; then, when `RemoveSpotFlawMask` finds that the flaw covers
/// only part of the disk (a hair, a speck in a generous circle), the heal runs
/// again from that prediction over the flaw alone, with the intact pixels of
/// the disk as its boundary, so that they stay as they were; otherwise it
/// carries on over the whole disk to full accuracy.
/// Finally the repair is blended over the original with the disk's weights:
/// only pixels of the disk and its soft band change, and the alpha byte of
/// 32-bit pixels is kept.
class RemoveSpotHealer {
public:
    /// Keeps references: `image`, `disk` and `scratch` (whose buffers the
    /// healer works in) must outlive the healer.
    RemoveSpotHealer(const ImageBuffer& image, const RemoveSpotDisk& disk, RemoveSpotScratch& scratch);

    /// Repairs the disk; `progress` (may be null) hears of each of its four
    /// steps. Returns false, changing nothing, when pixels of the disk lie in
    /// the image but none of the image around them does (the disk covers the
    /// whole image), since there is nothing to repair them from; true
    /// otherwise, including when no pixel of the disk lies in the image.
    bool Heal(PROGRESS_CALLBACK progress);

private:
    /// Marks the disk's cells and their weights; false when there are none.
    bool BuildDisk();
    /// True when some cell outside `area` touches one inside it.
    bool HasBoundary(const std::vector<std::uint8_t>& area) const;
    bool IsBoundaryCell(const std::vector<std::uint8_t>& area, int x, int y) const;
    void LoadOriginal();
    void LoadSource(const std::optional<SpotSource>& source);
    /// Heals `area` into m_repaired (source plus harmonic correction), to
    /// `tolerance` (see RemoveSpotPoissonSolver::Solve).
    void Solve(const std::vector<std::uint8_t>& area, RemoveSpotPoissonSolver::Start start, float tolerance);
    void Compose(const std::vector<std::uint8_t>& area) const;

    const ImageBuffer& m_image;
    const RemoveSpotDisk& m_disk;
    RECT m_grid{};                      ///< the disk's bounds grown by one pixel, clipped to the image
    int m_width{0};
    int m_height{0};
    RemoveSpotScratch& m_scratch;
    std::vector<std::uint8_t>& m_inDisk;
    std::vector<float>& m_weight;
    std::vector<float>& m_original;     ///< 3 floats per cell
    std::vector<float>& m_source;       ///< 3 floats per cell: the source texture, 0 for a smooth fill
    std::vector<float>& m_repaired;     ///< 3 floats per cell, valid inside the last healed area
    std::vector<float>& m_correction;
};

} // namespace ImageProcess

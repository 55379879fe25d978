#pragma once
// Repairs one spot: source search, gradient-domain healing, soft compositing.

#include <cstdint>
#include <optional>
#include <vector>

#include "Tinctor/GradientBlend.h"
#include "Tinctor/ImageBuffer.h"
#include "Tinctor/ImageProcess.h"
#include "Tinctor/RemoveSpotDirectionalFill.h"
#include "Tinctor/RemoveSpotDisk.h"
#include "Tinctor/RemoveSpotScratch.h"
#include "Tinctor/RemoveSpotSourceSearch.h"

namespace ImageProcess {

/// Heals the disk of one spot in place.
///
/// The texture comes from the source that `RemoveSpotSourceSearch` picks (one
/// area or a weighted blend of a few, with the smooth fill's share); the
/// smooth fill is the directional fill (see RemoveSpotDirectionalFill) as far
/// as the spot's surroundings show one direction, so an edge through the spot
/// carries on, and the plain membrane through the surroundings otherwise.
/// The tone comes from the spot's surroundings (see GradientBlend). When no
/// source fits in the image, or every nearby one would bring in an object the
/// spot's surroundings do not show, or none matches them better than no
/// texture at all, the disk gets the smooth fill alone.
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
    /// Fills the blend's source on the disk's and its boundary's cells.
    void LoadSource(const std::optional<SpotSource>& source, const RemoveSpotDirectionalFill& directional);
    /// Adds `share` of the colour `colourAt(x, y)` (image pixels) to the
    /// source of the disk's and its boundary's cells.
    template <typename ColourAt>
    void AddToSource(float share, ColourAt colourAt);

    const ImageBuffer& m_image;
    const RemoveSpotDisk& m_disk;
    RECT m_grid{};                      ///< the disk's bounds grown by one pixel, clipped to the image
    RemoveSpotScratch& m_scratch;
    std::vector<std::uint8_t>& m_inDisk;
    std::vector<float>& m_weight;
    GradientBlend m_blend;
};

} // namespace ImageProcess

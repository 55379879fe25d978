#pragma once
// Tells the flaw apart from the intact pixels inside a spot's disk.

#include <cstdint>
#include <vector>

namespace ImageProcess {

/// The grid a spot is repaired on and the disk in it. All grids are row by row
/// over the same width x height cells; colours have three channels.
struct SpotGrid {
    int width{0};
    int height{0};
    const std::vector<std::uint8_t>* disk{nullptr};   ///< non-zero for the cells being repaired
    double centreX{0.0};                              ///< the disk's centre, in cells from the grid's left
    double centreY{0.0};                              ///< ... and from its top
    double radius{0.0};                               ///< the disk's radius in cells
    /// The cells the user pointed at, which are always flaw; null: the cells
    /// near the centre (a fifth of the radius).
    const std::vector<std::uint8_t>* pointed{nullptr};
    /// Pixels added around the found flaw (besides a tenth of the radius),
    /// so that its faint fringe goes too: 2 around a spot; a stroke, drawn
    /// along a thin flaw, keeps more of the intact pixels beside it.
    double marginPixels{2.0};
};

/// Finds the pixels of a spot's disk that belong to the flaw, so that the
/// repair replaces them and keeps the intact picture around them (a hair
/// across a 100-pixel disk covers a small part of it).
///
/// The first, whole-disk repair predicts what the disk would look like from
/// its surroundings. Where the original agrees with that prediction, as well
/// as intact pixels typically do, there is nothing to repair; everything that
/// departs clearly from it is taken as flaw: a seed departs by much more than
/// the prediction typically departs from intact pixels (in the largest of the
/// three channel differences), and the flaw grows from the seeds through
/// connected pixels that still depart noticeably (the soft edge of a dust
/// speck, a hair crossing a darker area), drops specks of a single pixel
/// (texture noise) and is widened by a margin that grows with the disk, so
/// that faint fringes go too. Structure that the prediction got wrong is
/// repaired along with the flaw, as the whole-disk repair would have done, so
/// the partial repair never leaves more of a flaw than the whole one.
///
/// Faint parts of a flaw must not stay behind, least of all beside the flaw,
/// where the partial repair meets the kept pixels and would carry them into
/// the repaired area. So the clicked centre (or what else the user pointed
/// at, such as the path of a stroke) is always flaw; intact-looking pixels that the flaw encloses are flaw too (the
/// inside of a ring of dust, the halo it sits in); and when the prediction is
/// so poor that a faint part that shows (a halo, a hair's thin end over a
/// dark area) would depart no more than intact pixels do, the test cannot
/// tell them apart and the whole disk is the flaw. When nothing stands out,
/// or the flaw fills nearly all of the disk, the whole disk is the flaw as
/// well: the user asked for this spot to go.
///
/// One object may be reused for several spots, which keeps its memory.
/// Single-threaded.
class RemoveSpotFlawMask {
public:
    /// `original` and `repaired`: the cells' colours before and after the
    /// whole-disk repair. `typicalDeparture`: the median departure (largest
    /// channel difference, grey levels) of the repair from intact pixels.
    /// Returns non-zero for the flawed cells, a subset of the disk: either
    /// the grid's disk vector itself or a mask held by this object, valid
    /// until the next call.
    const std::vector<std::uint8_t>& Find(const SpotGrid& grid, const std::vector<float>& original,
                                          const std::vector<float>& repaired, float typicalDeparture);

private:
    void ComputeDeparture(const SpotGrid& grid, const std::vector<float>& original, const std::vector<float>& repaired);
    void Grow(const SpotGrid& grid, float seed, float grow);
    void AddPointed(const SpotGrid& grid);
    void Widen(const SpotGrid& grid, float margin);
    void FillHoles(const SpotGrid& grid);

    std::vector<float> m_departure;     ///< per cell: largest channel difference, 0 outside the disk
    std::vector<std::uint8_t> m_mask;
    std::vector<std::uint8_t> m_marks;  ///< visited or open cells, per pass
    std::vector<float> m_distance;
    std::vector<int> m_group;
    std::vector<int> m_stack;
};

} // namespace ImageProcess

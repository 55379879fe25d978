#pragma once
// Tells the flaw apart from the intact pixels inside a spot's disk.

#include <cstdint>
#include <vector>

namespace ImageProcess {

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
/// the partial repair never leaves more of a flaw than the whole one. When
/// nothing stands out, or the flaw fills nearly all of the disk, the whole
/// disk is the flaw: the user asked for this spot to go. All grids are row by
/// row over the same cells; colours have three channels. Pure function; any
/// thread.
class RemoveSpotFlawMask {
public:
    /// `disk`: non-zero for the cells being repaired. `original` and `repaired`:
    /// the cells' colours before and after the whole-disk repair.
    /// `typicalDeparture`: the median departure (largest channel difference,
    /// grey levels) of the repair from intact pixels. `radius`: the disk's
    /// radius in pixels. Returns non-zero for the flawed cells, a subset of
    /// `disk`.
    static std::vector<std::uint8_t> Find(int width, int height, const std::vector<std::uint8_t>& disk,
                                          const std::vector<float>& original, const std::vector<float>& repaired,
                                          float typicalDeparture, double radius);

private:
    static std::vector<float> Departure(const std::vector<std::uint8_t>& disk, const std::vector<float>& original,
                                        const std::vector<float>& repaired);
    static std::vector<std::uint8_t> Grow(int width, int height, const std::vector<float>& departure, float seed,
                                          float grow);
    static void Widen(int width, int height, std::vector<std::uint8_t>& mask, float margin);
};

} // namespace ImageProcess

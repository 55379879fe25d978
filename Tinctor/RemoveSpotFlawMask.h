#pragma once
// Tells the flaw apart from the intact pixels inside a spot's disk.

#include <cstdint>
#include <vector>

namespace ImageProcess {

/// Finds the pixels of a spot's disk that belong to the flaw, so that the
/// repair replaces them and keeps the intact picture around them (a hair
/// across a 100-pixel disk covers a small part of it).
///
/// A flaw is foreign to its surroundings: a seed pixel departs clearly from
/// the first, whole-disk repair (by much more than that repair typically
/// departs from intact pixels, in the largest of the three channel
/// differences) and has a colour found nowhere in the ring around the disk.
/// The latter keeps real structure that the repair failed to reproduce (an
/// object reaching into the disk) from passing for the flaw. The flaw then
/// grows through connected pixels that still depart noticeably (the soft edge
/// of a dust speck, a hair crossing a darker area), drops specks of a pixel
/// (texture noise), and is widened by a margin that grows with the disk, so
/// that faint fringes go too. When nothing stands out, or the flaw fills most
/// of the disk, the whole disk is the flaw: the user asked for this spot to
/// go. All grids are row by row over the same cells; colours have three
/// channels. Pure function; any thread.
class RemoveSpotFlawMask {
public:
    /// `disk`: non-zero for the cells being repaired. `original` and `repaired`:
    /// the cells' colours before and after the whole-disk repair.
    /// `surroundings`: the colours of the pixels around the disk.
    /// `typicalDeparture`: the median departure (largest channel difference,
    /// grey levels) of the repair from intact pixels. `radius`: the disk's
    /// radius in pixels. Returns non-zero for the flawed cells, a subset of
    /// `disk`.
    static std::vector<std::uint8_t> Find(int width, int height, const std::vector<std::uint8_t>& disk,
                                          const std::vector<float>& original, const std::vector<float>& repaired,
                                          const std::vector<float>& surroundings, float typicalDeparture,
                                          double radius);

private:
    /// Colours present around the disk, as a 3-D grid of colour bins widened
    /// by `tolerance` grey levels.
    class Palette {
    public:
        Palette(const std::vector<float>& colours, float tolerance);
        bool Contains(const float* colour) const;

    private:
        static int Bin(float value);
        std::vector<std::uint8_t> m_bins;
    };

    static std::vector<float> Departure(const std::vector<std::uint8_t>& disk, const std::vector<float>& original,
                                        const std::vector<float>& repaired);
    static std::vector<std::uint8_t> Grow(int width, int height, const std::vector<float>& departure,
                                          const std::vector<std::uint8_t>& seeds, float grow);
    static void Widen(int width, int height, std::vector<std::uint8_t>& mask, float margin);
};

} // namespace ImageProcess

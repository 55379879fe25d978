#pragma once
// What the searches for a repair's source share (the spot remover's around a
// disk, RemoveSpotSourceSearch, and the one around a piece of any area,
// AreaSourceSearch): their common tuning, block means, how well a candidate
// matches the surroundings, what its distance costs, how the best
// candidates share the repair, and how far a repair typically departs from
// intact pixels.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "Tinctor/ImageBuffer.h"

namespace ImageProcess {

/// The tuning both searches share.
namespace SourceTuning {
/// Band (ring) width in cells at every scale: wide enough to see texture,
/// narrow enough to stay local.
constexpr int MinBandCells = 2;
constexpr int MaxBandCells = 3;
/// Fewer usable cells than this give no reliable comparison.
constexpr std::size_t MinComparableCells = 4;
/// Distinct coarse positions refined at full resolution.
constexpr std::size_t RefinedCandidates = 8;
/// The farthest candidate costs this much more than the nearest allowed one.
constexpr double DistanceWeight = 0.3;
/// Keeps equally good flat candidates ordered by distance.
constexpr double CostFloor = 0.5;
/// Candidates costing up to this many times the best one share the texture.
constexpr double BlendCostRatio = 2.0;
constexpr std::size_t MaxBlendedSources = 6;
/// Areas with a larger radius search every other offset at full resolution.
constexpr double SparseSearchRadius = 3.0;
/// A candidate holding a cell with more than this many times the fine detail
/// found next to the area (see RemoveSpotDetailMap), plus this much (squared
/// grey levels per pixel: grain, faint shading), carries an object the
/// surroundings do not show. The factor leaves room for an edge that
/// crosses the surroundings and the area alike, a little sharper in places.
constexpr double BusyFactor = 3.0;
constexpr double BusyFloor = 100.0;
} // namespace SourceTuning

/// Mean colour of the `scale` x `scale` block whose top-left pixel is (x, y)
/// (row 0 at the top; the block lies wholly in the image), three channels
/// into `out`. Large blocks are averaged from a sparse grid of at most 4 x 4
/// samples: enough to compare textures, and it keeps the cost per block
/// bounded. Scales are powers of two, so the samples are evenly spaced and
/// their count (1, 4 or 16) divides exactly.
inline void BlockMean(const ImageBuffer& image, int x, int y, int scale, float out[3])
{
    const std::size_t bytesPerPixel = static_cast<std::size_t>(image.bytesPerPixel);
    if (scale == 1) {
        const unsigned char* p = image.RowFromTop(y) + static_cast<std::size_t>(x) * bytesPerPixel;
        for (int c = 0; c < 3; ++c) out[c] = p[c];
        return;
    }
    const int samples = std::min(scale, 4);
    const int step = scale / samples;
    const std::size_t stride = static_cast<std::size_t>(step) * bytesPerPixel;
    unsigned sum[3] = {0, 0, 0};
    for (int sy = 0; sy < samples; ++sy) {
        const unsigned char* p = image.RowFromTop(y + sy * step) + static_cast<std::size_t>(x) * bytesPerPixel;
        for (int sx = 0; sx < samples; ++sx, p += stride) {
            sum[0] += p[0];
            sum[1] += p[1];
            sum[2] += p[2];
        }
    }
    const float inverse = 1.0f / static_cast<float>(samples * samples);
    for (int c = 0; c < 3; ++c) out[c] = static_cast<float>(sum[c]) * inverse;
}

/// Sum over the channels of the variance of `cells` (3 floats per cell): what
/// a source with no texture at all costs against them.
inline double CellVariance(const std::vector<float>& cells)
{
    const std::size_t n = cells.size() / 3;
    if (n == 0) return 0.0;
    double variance = 0.0;
    for (int c = 0; c < 3; ++c) {
        double sum = 0.0, squares = 0.0;
        for (std::size_t k = 0; k < n; ++k) {
            sum += cells[k * 3 + c];
            squares += static_cast<double>(cells[k * 3 + c]) * cells[k * 3 + c];
        }
        variance += std::max(0.0, squares / n - (sum / n) * (sum / n));
    }
    return variance;
}

/// A candidate's cost with the floor that keeps flat candidates ordered, and
/// the penalty of lying `distance` pixels away: none up to `nearest`, up to
/// DistanceWeight more at `farthest`.
inline double PenalisedCost(double cost, double distance, double nearest, double farthest)
{
    const double span = std::max(farthest - nearest, 1.0);
    const double farther = std::max(distance - nearest, 0.0) / span;
    return (cost + SourceTuning::CostFloor) * (1.0 + SourceTuning::DistanceWeight * farther);
}

/// Median over the cells of the largest channel difference between `target`
/// and `source` (3 floats per cell each) after removing the mean difference:
/// how far a repair from that source typically departs from intact pixels
/// (a median, so that one strong edge the source misses does not hide how
/// well it matches elsewhere). 0 for no cells.
inline float MedianDeparture(const std::vector<float>& target, const std::vector<float>& source)
{
    const std::size_t n = target.size() / 3;
    if (n == 0) return 0.0f;
    float mean[3] = {0.0f, 0.0f, 0.0f};
    for (std::size_t k = 0; k < n; ++k)
        for (int c = 0; c < 3; ++c) mean[c] += (target[k * 3 + c] - source[k * 3 + c]) / static_cast<float>(n);
    std::vector<float> departure(n, 0.0f);
    for (std::size_t k = 0; k < n; ++k)
        for (int c = 0; c < 3; ++c)
            departure[k] = std::max(departure[k], std::fabs(target[k * 3 + c] - source[k * 3 + c] - mean[c]));
    std::nth_element(departure.begin(), departure.begin() + static_cast<std::ptrdiff_t>(n / 2), departure.end());
    return departure[n / 2];
}

/// Sums of one comparison of target cells (the pixels around the area) with
/// source cells (the same pattern shifted to the candidate), three colour
/// channels each. The cost removes each channel's mean difference (the
/// healing corrects a uniform tone difference by itself) and adds a small
/// penalty on that mean difference: squared grey levels per cell.
struct RingMatch {
    /// Weight of the squared mean colour difference against the texture mismatch.
    static constexpr double MeanDifferenceWeight = 0.2;

    float sumDifference[3]{};
    float sumSquared[3]{};

    void Add(const float* target, const float* source)
    {
        const float d0 = target[0] - source[0];
        const float d1 = target[1] - source[1];
        const float d2 = target[2] - source[2];
        sumDifference[0] += d0;
        sumDifference[1] += d1;
        sumDifference[2] += d2;
        sumSquared[0] += d0 * d0;
        sumSquared[1] += d1 * d1;
        sumSquared[2] += d2 * d2;
    }

    /// The cost over `count` compared cells; 0 for none.
    double Cost(std::size_t count) const
    {
        if (count == 0) return 0.0;
        const double n = static_cast<double>(count);
        double texture = 0.0;
        double meanSquared = 0.0;
        for (int c = 0; c < 3; ++c) {
            const double mean = sumDifference[c] / n;
            texture += sumSquared[c] - mean * sumDifference[c];
            meanSquared += mean * mean;
        }
        return std::max(texture, 0.0) / n + MeanDifferenceWeight * meanSquared;
    }
};

/// One candidate of a blend: its cost, and whether it is the smooth fill
/// (which adds no texture and does not count towards the blend's limit).
struct BlendCandidate {
    double cost{0.0};
    bool smooth{false};
};

/// Shares of the repair for `sorted` candidates, cheapest first: they fall
/// linearly from 1 for the best candidate to 0 at `costRatio` times its cost
/// (the best cost must be positive), and once `maxTextured` candidates that
/// are not the smooth fill take part no further one does. The shares are
/// normalised to sum to 1; candidates left out get 0.
inline std::vector<double> BlendShares(const std::vector<BlendCandidate>& sorted, double costRatio,
                                       std::size_t maxTextured)
{
    std::vector<double> shares(sorted.size(), 0.0);
    if (sorted.empty()) return shares;
    const double best = sorted.front().cost;
    double total = 0.0;
    std::size_t textured = 0;
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        const double share = 1.0 - (sorted[i].cost / best - 1.0) / (costRatio - 1.0);
        if (share <= 0.0 || textured == maxTextured) break;
        // Rounded to single precision before normalising, as the shares are kept.
        shares[i] = static_cast<float>(share);
        total += share;
        if (!sorted[i].smooth) ++textured;
    }
    for (double& share : shares) share /= total;
    return shares;
}

} // namespace ImageProcess

#pragma once
// How well a candidate source matches the surroundings of an area being
// healed, and how the best candidates share the repair. Shared by the spot
// remover's source search and the search of arbitrary areas.

#include <algorithm>
#include <cstddef>
#include <vector>

namespace ImageProcess {

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

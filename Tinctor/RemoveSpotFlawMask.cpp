#include "Tinctor/RemoveSpotFlawMask.h"

#include <algorithm>
#include <cmath>

namespace ImageProcess {

namespace {

// A seed departs from the repair by at least this many grey levels and this
// many times the typical departure of intact pixels (for Gaussian errors the
// median of the largest of three channel differences is 1.27 sigma, so 2.5
// times it is about 3 sigma); the flaw grows through pixels that depart by at
// least the lower pair.
constexpr float MinSeedDeparture = 12.0f;
constexpr float SeedFactor = 2.5f;
constexpr float MinGrowDeparture = 6.0f;
constexpr float GrowFactor = 1.25f;
// A colour within this many grey levels (and this many typical departures) of
// one around the disk is not foreign.
constexpr float MinColourTolerance = 12.0f;
constexpr float ColourToleranceFactor = 1.5f;
constexpr int ColourBinSize = 8;
constexpr int ColourBins = 256 / ColourBinSize;
// A group of departing pixels with fewer seeds is texture noise.
constexpr int MinSeedsPerFlaw = 2;
// Margin around the found flaw: this many pixels plus this share of the radius.
constexpr double MarginPixels = 2.0;
constexpr double MarginShare = 0.1;
// A flaw covering more of the disk than this is repaired as the whole disk.
constexpr double WholeDiskShare = 0.6;

std::size_t Count(const std::vector<std::uint8_t>& mask)
{
    return static_cast<std::size_t>(std::count_if(mask.begin(), mask.end(), [](std::uint8_t v) { return v != 0; }));
}

} // namespace

std::vector<std::uint8_t> RemoveSpotFlawMask::Find(int width, int height, const std::vector<std::uint8_t>& disk,
                                                   const std::vector<float>& original,
                                                   const std::vector<float>& repaired,
                                                   const std::vector<float>& surroundings, float typicalDeparture,
                                                   double radius)
{
    const std::vector<float> departure = Departure(disk, original, repaired);
    const float seed = std::max(MinSeedDeparture, SeedFactor * typicalDeparture);
    const float grow = std::max(MinGrowDeparture, GrowFactor * typicalDeparture);
    const Palette palette(surroundings, std::max(MinColourTolerance, ColourToleranceFactor * typicalDeparture));
    std::vector<std::uint8_t> seeds(disk.size(), 0);
    for (std::size_t i = 0; i < disk.size(); ++i)
        seeds[i] = departure[i] >= seed && !palette.Contains(&original[i * 3]) ? 1 : 0;
    std::vector<std::uint8_t> mask = Grow(width, height, departure, seeds, grow);
    if (Count(mask) == 0) return disk;
    Widen(width, height, mask, static_cast<float>(MarginPixels + MarginShare * radius));
    for (std::size_t i = 0; i < mask.size(); ++i) mask[i] = (mask[i] && disk[i]) ? 1 : 0;
    const std::size_t diskCells = Count(disk);
    if (static_cast<double>(Count(mask)) > WholeDiskShare * static_cast<double>(diskCells)) return disk;
    return mask;
}

RemoveSpotFlawMask::Palette::Palette(const std::vector<float>& colours, float tolerance)
    : m_bins(static_cast<std::size_t>(ColourBins) * ColourBins * ColourBins, 0)
{
    for (std::size_t i = 0; i + 2 < colours.size(); i += 3)
        m_bins[(static_cast<std::size_t>(Bin(colours[i])) * ColourBins + Bin(colours[i + 1])) * ColourBins +
               Bin(colours[i + 2])] = 1;
    // Widen every present bin by the tolerance along each axis in turn
    // (a box in colour space).
    const int reach = static_cast<int>(std::ceil(tolerance / ColourBinSize));
    const std::size_t strides[3] = {static_cast<std::size_t>(ColourBins) * ColourBins, ColourBins, 1};
    for (const std::size_t stride : strides) {
        std::vector<std::uint8_t> widened(m_bins.size(), 0);
        for (std::size_t i = 0; i < m_bins.size(); ++i) {
            if (!m_bins[i]) continue;
            const int position = static_cast<int>((i / stride) % ColourBins);
            for (int d = std::max(-reach, -position); d <= std::min(reach, ColourBins - 1 - position); ++d)
                widened[static_cast<std::size_t>(static_cast<std::ptrdiff_t>(i) + d * static_cast<std::ptrdiff_t>(stride))] = 1;
        }
        m_bins.swap(widened);
    }
}

bool RemoveSpotFlawMask::Palette::Contains(const float* colour) const
{
    return m_bins[(static_cast<std::size_t>(Bin(colour[0])) * ColourBins + Bin(colour[1])) * ColourBins +
                  Bin(colour[2])] != 0;
}

int RemoveSpotFlawMask::Palette::Bin(float value)
{
    return std::clamp(static_cast<int>(value) / ColourBinSize, 0, ColourBins - 1);
}

std::vector<float> RemoveSpotFlawMask::Departure(const std::vector<std::uint8_t>& disk,
                                                 const std::vector<float>& original,
                                                 const std::vector<float>& repaired)
{
    std::vector<float> departure(disk.size(), 0.0f);
    for (std::size_t i = 0; i < disk.size(); ++i) {
        if (!disk[i]) continue;
        float largest = 0.0f;
        for (int c = 0; c < 3; ++c) largest = std::max(largest, std::fabs(original[i * 3 + c] - repaired[i * 3 + c]));
        departure[i] = largest;
    }
    return departure;
}

// Hysteresis: each 8-connected group of pixels departing by `grow` or more is
// kept when it holds enough seeds.
std::vector<std::uint8_t> RemoveSpotFlawMask::Grow(int width, int height, const std::vector<float>& departure,
                                                   const std::vector<std::uint8_t>& seeds, float grow)
{
    std::vector<std::uint8_t> mask(departure.size(), 0);
    std::vector<std::uint8_t> visited(departure.size(), 0);
    std::vector<int> group;
    std::vector<int> stack;
    for (int start = 0; start < static_cast<int>(departure.size()); ++start) {
        if (visited[start] || !seeds[start]) continue;
        group.clear();
        stack.assign(1, start);
        visited[start] = 1;
        int seedCount = 0;
        while (!stack.empty()) {
            const int i = stack.back();
            stack.pop_back();
            group.push_back(i);
            if (seeds[i]) ++seedCount;
            const int x = i % width;
            const int y = i / width;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx;
                    const int ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= width || ny >= height) continue;
                    const int n = ny * width + nx;
                    if (visited[n] || departure[n] < grow) continue;
                    visited[n] = 1;
                    stack.push_back(n);
                }
        }
        if (seedCount >= MinSeedsPerFlaw)
            for (int i : group) mask[i] = 1;
    }
    return mask;
}

// Two-pass chamfer distance (3-4 weights, close to Euclidean) from the marked
// cells; every cell within `margin` pixels gets marked.
void RemoveSpotFlawMask::Widen(int width, int height, std::vector<std::uint8_t>& mask, float margin)
{
    constexpr float Far = 1e9f;
    constexpr float Straight = 1.0f;
    constexpr float Diagonal = 1.3333f;
    std::vector<float> distance(mask.size());
    for (std::size_t i = 0; i < mask.size(); ++i) distance[i] = mask[i] ? 0.0f : Far;
    auto relax = [&](int x, int y, int dx, int dy, float step) {
        const int nx = x + dx;
        const int ny = y + dy;
        if (nx < 0 || ny < 0 || nx >= width || ny >= height) return;
        float& d = distance[static_cast<std::size_t>(y) * width + x];
        d = std::min(d, distance[static_cast<std::size_t>(ny) * width + nx] + step);
    };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            relax(x, y, -1, 0, Straight);
            relax(x, y, 0, -1, Straight);
            relax(x, y, -1, -1, Diagonal);
            relax(x, y, 1, -1, Diagonal);
        }
    for (int y = height - 1; y >= 0; --y)
        for (int x = width - 1; x >= 0; --x) {
            relax(x, y, 1, 0, Straight);
            relax(x, y, 0, 1, Straight);
            relax(x, y, 1, 1, Diagonal);
            relax(x, y, -1, 1, Diagonal);
        }
    for (std::size_t i = 0; i < mask.size(); ++i) mask[i] = distance[i] <= margin ? 1 : 0;
}

} // namespace ImageProcess

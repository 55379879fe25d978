#include "Tinctor/RemoveSpotFlawMask.h"

#include <algorithm>
#include <cmath>

namespace ImageProcess {

namespace {

// A seed departs from the repair by at least this many grey levels and this
// many times the typical departure of intact pixels (for Gaussian errors the
// median of the largest of three channel differences is 1.27 sigma, so 1.5
// times it is about 2 sigma); the flaw grows through pixels that depart by at
// least the lower pair. Low thresholds err on the side of repairing more.
constexpr float MinSeedDeparture = 12.0f;
constexpr float SeedFactor = 1.5f;
constexpr float MinGrowDeparture = 6.0f;
constexpr float GrowFactor = 0.75f;
// A group of departing pixels with fewer seeds is texture noise.
constexpr int MinSeedsPerFlaw = 2;
// Margin around the found flaw: SpotGrid::marginPixels plus this share of the radius.
constexpr double MarginShare = 0.1;
// A flaw covering more of the disk than this is repaired as the whole disk.
constexpr double WholeDiskShare = 0.85;
// Cells this close to the clicked centre, as a share of the radius, are flaw.
constexpr double CentreShare = 0.2;
// A faint part of a flaw departing by this many grey levels shows on a smooth
// ground. When the prediction typically departs from intact pixels by so much
// that the growth threshold is higher, such parts would pass for intact: the
// test cannot be trusted and the whole disk is repaired.
constexpr float VisibleDeparture = 24.0f;

std::size_t Count(const std::vector<std::uint8_t>& mask)
{
    return static_cast<std::size_t>(std::count_if(mask.begin(), mask.end(), [](std::uint8_t v) { return v != 0; }));
}

} // namespace

const std::vector<std::uint8_t>& RemoveSpotFlawMask::Find(const SpotGrid& grid, const std::vector<float>& original,
                                                          const std::vector<float>& repaired, float typicalDeparture)
{
    const std::vector<std::uint8_t>& disk = *grid.disk;
    const float grow = std::max(MinGrowDeparture, GrowFactor * typicalDeparture);
    if (grow > VisibleDeparture) return disk;
    const float seed = std::max(MinSeedDeparture, SeedFactor * typicalDeparture);
    ComputeDeparture(grid, original, repaired);
    Grow(grid, seed, grow);
    if (Count(m_mask) == 0) return disk;
    AddPointed(grid);
    Widen(grid, static_cast<float>(grid.marginPixels + MarginShare * grid.radius));
    FillHoles(grid);
    const double share = static_cast<double>(Count(m_mask)) / static_cast<double>(Count(disk));
    if (share > WholeDiskShare) return disk;
    return m_mask;
}

void RemoveSpotFlawMask::ComputeDeparture(const SpotGrid& grid, const std::vector<float>& original,
                                          const std::vector<float>& repaired)
{
    const std::vector<std::uint8_t>& disk = *grid.disk;
    m_departure.assign(disk.size(), 0.0f);
    for (std::size_t i = 0; i < disk.size(); ++i) {
        if (!disk[i]) continue;
        float largest = 0.0f;
        for (int c = 0; c < 3; ++c) largest = std::max(largest, std::fabs(original[i * 3 + c] - repaired[i * 3 + c]));
        m_departure[i] = largest;
    }
}

// Hysteresis: each 8-connected group of pixels departing by `grow` or more is
// kept when it holds enough seeds (pixels departing by `seed` or more).
void RemoveSpotFlawMask::Grow(const SpotGrid& grid, float seed, float grow)
{
    const int width = grid.width;
    const int height = grid.height;
    m_mask.assign(m_departure.size(), 0);
    m_marks.assign(m_departure.size(), 0);
    for (int start = 0; start < static_cast<int>(m_departure.size()); ++start) {
        if (m_marks[start] || m_departure[start] < seed) continue;
        m_group.clear();
        m_stack.assign(1, start);
        m_marks[start] = 1;
        int seedCount = 0;
        while (!m_stack.empty()) {
            const int i = m_stack.back();
            m_stack.pop_back();
            m_group.push_back(i);
            if (m_departure[i] >= seed) ++seedCount;
            const int x = i % width;
            const int y = i / width;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx;
                    const int ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= width || ny >= height) continue;
                    const int n = ny * width + nx;
                    if (m_marks[n] || m_departure[n] < grow) continue;
                    m_marks[n] = 1;
                    m_stack.push_back(n);
                }
        }
        if (seedCount >= MinSeedsPerFlaw)
            for (int i : m_group) m_mask[i] = 1;
    }
}

void RemoveSpotFlawMask::AddPointed(const SpotGrid& grid)
{
    if (grid.pointed) {
        const std::vector<std::uint8_t>& disk = *grid.disk;
        for (std::size_t i = 0; i < m_mask.size(); ++i)
            if ((*grid.pointed)[i] && disk[i]) m_mask[i] = 1;
        return;
    }
    const double reach = CentreShare * grid.radius;
    const int top = std::max(0, static_cast<int>(std::floor(grid.centreY - reach)));
    const int bottom = std::min(grid.height - 1, static_cast<int>(std::ceil(grid.centreY + reach)));
    const int left = std::max(0, static_cast<int>(std::floor(grid.centreX - reach)));
    const int right = std::min(grid.width - 1, static_cast<int>(std::ceil(grid.centreX + reach)));
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            if (std::hypot(x - grid.centreX, y - grid.centreY) <= reach) m_mask[static_cast<std::size_t>(y) * grid.width + x] = 1;
}

// Two-pass chamfer distance (3-4 weights, close to Euclidean) from the marked
// cells; every disk cell within `margin` pixels gets marked.
void RemoveSpotFlawMask::Widen(const SpotGrid& grid, float margin)
{
    constexpr float Far = 1e9f;
    constexpr float Straight = 1.0f;
    constexpr float Diagonal = 1.3333f;
    const int width = grid.width;
    const int height = grid.height;
    m_distance.resize(m_mask.size());
    for (std::size_t i = 0; i < m_mask.size(); ++i) m_distance[i] = m_mask[i] ? 0.0f : Far;
    auto relax = [&](int x, int y, int dx, int dy, float step) {
        const int nx = x + dx;
        const int ny = y + dy;
        if (nx < 0 || ny < 0 || nx >= width || ny >= height) return;
        float& d = m_distance[static_cast<std::size_t>(y) * width + x];
        d = std::min(d, m_distance[static_cast<std::size_t>(ny) * width + nx] + step);
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
    const std::vector<std::uint8_t>& disk = *grid.disk;
    for (std::size_t i = 0; i < m_mask.size(); ++i) m_mask[i] = disk[i] && m_distance[i] <= margin ? 1 : 0;
}

// Kept cells from which no path of kept cells (4-connected) leads to a cell
// beside the disk lie inside the flaw, and join it.
void RemoveSpotFlawMask::FillHoles(const SpotGrid& grid)
{
    const std::vector<std::uint8_t>& disk = *grid.disk;
    const int width = grid.width;
    const int height = grid.height;
    auto kept = [&](int x, int y) {
        const std::size_t i = static_cast<std::size_t>(y) * width + x;
        return disk[i] && !m_mask[i];
    };
    auto beside = [&](int x, int y) {
        return x < 0 || y < 0 || x >= width || y >= height || !disk[static_cast<std::size_t>(y) * width + x];
    };
    std::vector<std::uint8_t>& open = m_marks;
    open.assign(m_mask.size(), 0);
    m_stack.clear();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (kept(x, y) && (beside(x - 1, y) || beside(x + 1, y) || beside(x, y - 1) || beside(x, y + 1))) {
                open[static_cast<std::size_t>(y) * width + x] = 1;
                m_stack.push_back(y * width + x);
            }
    while (!m_stack.empty()) {
        const int i = m_stack.back();
        m_stack.pop_back();
        const int x = i % width;
        const int y = i / width;
        const int nx[] = {x - 1, x + 1, x, x};
        const int ny[] = {y, y, y - 1, y + 1};
        for (int k = 0; k < 4; ++k) {
            if (beside(nx[k], ny[k]) || !kept(nx[k], ny[k])) continue;
            const int n = ny[k] * width + nx[k];
            if (open[n]) continue;
            open[n] = 1;
            m_stack.push_back(n);
        }
    }
    for (std::size_t i = 0; i < m_mask.size(); ++i)
        if (disk[i] && !open[i]) m_mask[i] = 1;
}

} // namespace ImageProcess

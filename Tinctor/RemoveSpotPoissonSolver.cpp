#include "Tinctor/RemoveSpotPoissonSolver.h"

#include <algorithm>
#include <cmath>

namespace ImageProcess {

namespace {

// Each smoothing step moves a value this far past the Gauss-Seidel update:
// over-relaxed, the sweeps also damp the smooth error that the coarse levels
// correct poorly near the domain's edge (coarse cells there are fixed), and a
// solve takes about half the V-cycles.
constexpr float Overrelaxation = 1.4f;
constexpr int PreSweeps = 2;
constexpr int PostSweeps = 2;
constexpr int MaxCycles = 12;
// Once the change is below StallChange, a cycle must shrink it by at least
// StallRatio, or the solve has reached the limit of float precision and stops.
constexpr float StallChange = 0.5f;
constexpr float StallRatio = 0.8f;
// A level this small is solved directly by relaxation instead of coarsened.
constexpr std::size_t CoarsestUnknowns = 48;
constexpr int CoarsestSweeps = 400;

inline std::size_t At(int width, int x, int y)
{
    return static_cast<std::size_t>(y) * width + x;
}

} // namespace

int RemoveSpotPoissonSolver::Solve(int width, int height, const std::vector<std::uint8_t>& unknown,
                                   std::vector<float>& values, Start start, float tolerance)
{
    BuildLevels(width, height, unknown);
    Level& top = m_levels.front();
    if (top.unknownCount == 0) return 0;
    top.u.swap(values);

    int cycles = 0;
    if (start == Start::Fresh) {
        FullMultigrid(0);
        cycles = 1;
    }
    float lastChange = HUGE_VALF;
    while (cycles < MaxCycles) {
        m_before.assign(top.u.begin(), top.u.end());
        VCycle(0);
        ++cycles;
        const float change = MaxChange(m_before);
        if (change <= tolerance || (change < StallChange && change > StallRatio * lastChange)) break;
        lastChange = change;
    }
    top.u.swap(values);
    return cycles;
}

void RemoveSpotPoissonSolver::BuildLevels(int width, int height, const std::vector<std::uint8_t>& unknown)
{
    std::size_t depth = 0;
    if (m_levels.empty()) m_levels.resize(1);
    Level& top = m_levels.front();
    top.width = width;
    top.height = height;
    top.unknown.assign(unknown.begin(), unknown.begin() + static_cast<std::ptrdiff_t>(width) * height);
    top.unknownCount = static_cast<std::size_t>(std::count_if(top.unknown.begin(), top.unknown.end(),
                                                              [](std::uint8_t v) { return v != 0; }));
    top.rhs.assign(static_cast<std::size_t>(width) * height * 3, 0.0f);
    while (m_levels[depth].unknownCount > CoarsestUnknowns &&
           (m_levels[depth].width > 1 || m_levels[depth].height > 1)) {
        if (m_levels.size() == depth + 1) m_levels.emplace_back();
        Coarsen(m_levels[depth], m_levels[depth + 1]);
        ++depth;
    }
    m_levels.resize(depth + 1);
}

// A finite-volume stencil on cells of w x h: the flux to a horizontal neighbour
// is weighted h / w, to a vertical one w / h; isotropic levels keep weight 1.
void RemoveSpotPoissonSolver::Coarsen(const Level& fine, Level& coarse)
{
    coarse.factorX = fine.width > 1 ? 2 : 1;
    coarse.factorY = fine.height > 1 ? 2 : 1;
    coarse.width = (fine.width + coarse.factorX - 1) / coarse.factorX;
    coarse.height = (fine.height + coarse.factorY - 1) / coarse.factorY;
    coarse.cellWidth = fine.cellWidth * static_cast<float>(coarse.factorX);
    coarse.cellHeight = fine.cellHeight * static_cast<float>(coarse.factorY);
    coarse.weightX = coarse.cellHeight / coarse.cellWidth;
    coarse.weightY = coarse.cellWidth / coarse.cellHeight;

    // A coarse cell is unknown only when all its children are, so the coarse
    // domain lies inside the fine one and its correction can fall short but
    // never overshoot. Taking a cell as soon as any (or most) of its children
    // are moves the coarse boundary outwards, and on some shapes (a ring of
    // unknowns, a thin neck) the correction then overshoots and the cycles
    // diverge.
    const std::size_t cells = static_cast<std::size_t>(coarse.width) * coarse.height;
    coarse.unknown.assign(cells, 0);
    coarse.unknownCount = 0;
    for (int cy = 0; cy < coarse.height; ++cy)
        for (int cx = 0; cx < coarse.width; ++cx) {
            bool all = true;
            for (int y = cy * coarse.factorY; all && y < std::min((cy + 1) * coarse.factorY, fine.height); ++y)
                for (int x = cx * coarse.factorX; x < std::min((cx + 1) * coarse.factorX, fine.width); ++x)
                    all = all && fine.unknown[At(fine.width, x, y)] != 0;
            coarse.unknown[At(coarse.width, cx, cy)] = all ? 1 : 0;
            coarse.unknownCount += all ? 1 : 0;
        }
    coarse.u.assign(cells * 3, 0.0f);
    coarse.rhs.assign(cells * 3, 0.0f);
}

void RemoveSpotPoissonSolver::Smooth(Level& level, int sweeps)
{
    const int w = level.width;
    const int h = level.height;
    const std::ptrdiff_t rowStep = static_cast<std::ptrdiff_t>(w) * 3;
    const float wx = level.weightX;
    const float wy = level.weightY;
    const float inverse = 1.0f / (2.0f * wx + 2.0f * wy);
    for (int sweep = 0; sweep < sweeps; ++sweep) {
        for (int colour = 0; colour < 2; ++colour) {
            for (int y = 0; y < h; ++y) {
                const std::uint8_t* mask = &level.unknown[At(w, 0, y)];
                float* row = &level.u[At(w, 0, y) * 3];
                const float* rhsRow = &level.rhs[At(w, 0, y) * 3];
                const bool edgeRow = y == 0 || y == h - 1;
                for (int x = (y + colour) & 1; x < w; x += 2) {
                    if (!mask[x]) continue;
                    if (edgeRow || x == 0 || x == w - 1) {
                        UpdateEdgeCell(level, x, y);
                        continue;
                    }
                    float* u = row + x * 3;
                    const float* rhs = rhsRow + x * 3;
                    const float u0 = (wx * (u[-3] + u[3]) + wy * (u[-rowStep] + u[rowStep]) - rhs[0]) * inverse;
                    const float u1 = (wx * (u[-2] + u[4]) + wy * (u[1 - rowStep] + u[1 + rowStep]) - rhs[1]) * inverse;
                    const float u2 = (wx * (u[-1] + u[5]) + wy * (u[2 - rowStep] + u[2 + rowStep]) - rhs[2]) * inverse;
                    u[0] += Overrelaxation * (u0 - u[0]);
                    u[1] += Overrelaxation * (u1 - u[1]);
                    u[2] += Overrelaxation * (u2 - u[2]);
                }
            }
        }
    }
}

// Cells on the grid's edge leave out the neighbours that don't exist.
void RemoveSpotPoissonSolver::UpdateEdgeCell(Level& level, int x, int y)
{
    const std::size_t rowStep = static_cast<std::size_t>(level.width) * 3;
    float* u = &level.u[At(level.width, x, y) * 3];
    const float* rhs = &level.rhs[At(level.width, x, y) * 3];
    for (int c = 0; c < 3; ++c) {
        float sum = 0.0f;
        float weight = 0.0f;
        if (x > 0) { sum += level.weightX * u[c - 3]; weight += level.weightX; }
        if (x + 1 < level.width) { sum += level.weightX * u[c + 3]; weight += level.weightX; }
        if (y > 0) { sum += level.weightY * u[c - rowStep]; weight += level.weightY; }
        if (y + 1 < level.height) { sum += level.weightY * u[c + rowStep]; weight += level.weightY; }
        if (weight > 0.0f) u[c] += Overrelaxation * ((sum - rhs[c]) / weight - u[c]);
    }
}

// In the finite-volume form the right-hand side of a cell is the integral over
// its area, so a coarse cell takes the sum (not the mean) of its children's
// residuals. The coarse correction starts at zero.
void RemoveSpotPoissonSolver::RestrictResidual(const Level& fine, Level& coarse)
{
    std::fill(coarse.rhs.begin(), coarse.rhs.end(), 0.0f);
    std::fill(coarse.u.begin(), coarse.u.end(), 0.0f);
    const int w = fine.width;
    const int h = fine.height;
    const int shiftX = coarse.factorX - 1;
    const int shiftY = coarse.factorY - 1;
    const std::ptrdiff_t rowStep = static_cast<std::ptrdiff_t>(w) * 3;
    const float wx = fine.weightX;
    const float wy = fine.weightY;
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* mask = &fine.unknown[At(w, 0, y)];
        const float* row = &fine.u[At(w, 0, y) * 3];
        const float* rhsRow = &fine.rhs[At(w, 0, y) * 3];
        float* targetRow = &coarse.rhs[At(coarse.width, 0, y >> shiftY) * 3];
        const bool edgeRow = y == 0 || y == h - 1;
        for (int x = 0; x < w; ++x) {
            if (!mask[x]) continue;
            const float* u = row + x * 3;
            const float* rhs = rhsRow + x * 3;
            float* target = targetRow + (x >> shiftX) * 3;
            if (!edgeRow && x > 0 && x + 1 < w) {
                for (int c = 0; c < 3; ++c)
                    target[c] += rhs[c] - (wx * (u[c - 3] + u[c + 3] - 2.0f * u[c]) +
                                           wy * (u[c - rowStep] + u[c + rowStep] - 2.0f * u[c]));
                continue;
            }
            // Cells on the grid's edge leave out the neighbours that don't exist.
            const bool hasLeft = x > 0, hasRight = x + 1 < w, hasUp = y > 0, hasDown = y + 1 < h;
            for (int c = 0; c < 3; ++c) {
                float flux = 0.0f;
                if (hasLeft) flux += wx * (u[c - 3] - u[c]);
                if (hasRight) flux += wx * (u[c + 3] - u[c]);
                if (hasUp) flux += wy * (u[c - rowStep] - u[c]);
                if (hasDown) flux += wy * (u[c + rowStep] - u[c]);
                target[c] += rhs[c] - flux;
            }
        }
    }
}

// Coarse boundary values: the mean of the fixed children. A fixed coarse cell
// always has one, since not all of its children are unknown.
void RemoveSpotPoissonSolver::RestrictFixedValues(const Level& fine, Level& coarse)
{
    std::fill(coarse.u.begin(), coarse.u.end(), 0.0f);
    for (int cy = 0; cy < coarse.height; ++cy)
        for (int cx = 0; cx < coarse.width; ++cx) {
            const std::size_t ci = At(coarse.width, cx, cy);
            if (coarse.unknown[ci]) continue;
            float sum[3] = {0.0f, 0.0f, 0.0f};
            float count = 0.0f;
            for (int y = cy * coarse.factorY; y < std::min((cy + 1) * coarse.factorY, fine.height); ++y)
                for (int x = cx * coarse.factorX; x < std::min((cx + 1) * coarse.factorX, fine.width); ++x) {
                    const std::size_t fi = At(fine.width, x, y);
                    if (fine.unknown[fi]) continue;
                    for (int c = 0; c < 3; ++c) sum[c] += fine.u[fi * 3 + c];
                    count += 1.0f;
                }
            for (int c = 0; c < 3; ++c) coarse.u[ci * 3 + c] = sum[c] / count;
        }
}

// Bilinear interpolation between cell centres into the fine level's unknown
// cells: along a halved axis a fine cell lies a quarter of a coarse cell from
// its parent's centre, towards one neighbour; along an axis that was not
// coarsened it takes its parent's value. In a V-cycle the coarse level holds a
// correction that is zero on its fixed cells; in the full-multigrid start it
// holds the solution with its boundary values.
void RemoveSpotPoissonSolver::Interpolate(const Level& coarse, Level& fine, bool add)
{
    const int shiftX = coarse.factorX - 1;
    const int shiftY = coarse.factorY - 1;
    const float ax = coarse.factorX == 1 ? 1.0f : 0.75f;
    const float ay = coarse.factorY == 1 ? 1.0f : 0.75f;
    for (int y = 0; y < fine.height; ++y) {
        const int py = y >> shiftY;
        const int ny = shiftY == 0 ? py : std::clamp((y & 1) ? py + 1 : py - 1, 0, coarse.height - 1);
        const float* nearRow = &coarse.u[At(coarse.width, 0, py) * 3];
        const float* farRow = &coarse.u[At(coarse.width, 0, ny) * 3];
        const std::uint8_t* mask = &fine.unknown[At(fine.width, 0, y)];
        float* row = &fine.u[At(fine.width, 0, y) * 3];
        for (int x = 0; x < fine.width; ++x) {
            if (!mask[x]) continue;
            const int px = x >> shiftX;
            const int nx = shiftX == 0 ? px : std::clamp((x & 1) ? px + 1 : px - 1, 0, coarse.width - 1);
            float* u = row + x * 3;
            for (int c = 0; c < 3; ++c) {
                const float v = ay * (ax * nearRow[px * 3 + c] + (1.0f - ax) * nearRow[nx * 3 + c]) +
                                (1.0f - ay) * (ax * farRow[px * 3 + c] + (1.0f - ax) * farRow[nx * 3 + c]);
                u[c] = add ? u[c] + v : v;
            }
        }
    }
}

float RemoveSpotPoissonSolver::MaxChange(const std::vector<float>& before) const
{
    const Level& top = m_levels.front();
    float change = 0.0f;
    for (std::size_t i = 0; i < top.unknown.size(); ++i)
        if (top.unknown[i])
            for (int c = 0; c < 3; ++c) change = std::max(change, std::fabs(top.u[i * 3 + c] - before[i * 3 + c]));
    return change;
}

// Solves the problem itself (not a correction) on every level from the
// coarsest up, each level starting from the interpolated solution of the one
// below and improving it by one V-cycle: the classic full multigrid start,
// which leaves an error near the discretisation error after one pass.
void RemoveSpotPoissonSolver::FullMultigrid(std::size_t depth)
{
    Level& level = m_levels[depth];
    std::fill(level.rhs.begin(), level.rhs.end(), 0.0f);
    if (depth + 1 == m_levels.size()) {
        Smooth(level, CoarsestSweeps);
        return;
    }
    Level& coarse = m_levels[depth + 1];
    RestrictFixedValues(level, coarse);
    FullMultigrid(depth + 1);
    Interpolate(coarse, level, false);
    VCycle(depth);
}

void RemoveSpotPoissonSolver::VCycle(std::size_t depth)
{
    Level& level = m_levels[depth];
    if (depth + 1 == m_levels.size()) {
        Smooth(level, CoarsestSweeps);
        return;
    }
    Smooth(level, PreSweeps);
    Level& coarse = m_levels[depth + 1];
    RestrictResidual(level, coarse);
    VCycle(depth + 1);
    Interpolate(coarse, level, true);
    Smooth(level, PostSweeps);
}

} // namespace ImageProcess

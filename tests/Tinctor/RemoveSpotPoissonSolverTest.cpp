// The spot remover's multigrid Laplace solver against plain Gauss-Seidel run
// to convergence, on odd masks, thin grids and domains at the grid's edge.

#include <cmath>
#include <random>

#include <gtest/gtest.h>

#include "Tinctor/RemoveSpotPoissonSolver.h"

namespace {

struct Problem {
    int width{0};
    int height{0};
    std::vector<std::uint8_t> unknown;
    std::vector<float> values;
};

/// Naive reference: Gauss-Seidel over the existing neighbours until nothing moves.
std::vector<float> Reference(const Problem& p)
{
    std::vector<double> u(p.values.begin(), p.values.end());
    for (int sweep = 0; sweep < 200000; ++sweep) {
        double change = 0.0;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) {
                if (!p.unknown[y * p.width + x]) continue;
                for (int c = 0; c < 3; ++c) {
                    double sum = 0.0;
                    int count = 0;
                    const int nx[] = {x - 1, x + 1, x, x};
                    const int ny[] = {y, y, y - 1, y + 1};
                    for (int k = 0; k < 4; ++k) {
                        if (nx[k] < 0 || ny[k] < 0 || nx[k] >= p.width || ny[k] >= p.height) continue;
                        sum += u[(ny[k] * p.width + nx[k]) * 3 + c];
                        ++count;
                    }
                    const double next = sum / count;
                    double& value = u[(y * p.width + x) * 3 + c];
                    change = std::max(change, std::fabs(next - value));
                    value = next;
                }
            }
        if (change < 1e-7) break;
    }
    return std::vector<float>(u.begin(), u.end());
}

/// A random blob of unknowns (a union of disks) inside random fixed values,
/// clear of the grid's edge as a spot's grid is.
Problem RandomProblem(int width, int height, unsigned seed)
{
    std::mt19937 rng(seed);
    Problem p{width, height, std::vector<std::uint8_t>(width * height, 0), std::vector<float>(width * height * 3)};
    for (float& v : p.values) v = static_cast<float>(rng() % 256);
    for (int blob = 0; blob < 4; ++blob) {
        const int r = 1 + static_cast<int>(rng() % (std::min(width, height) / 3));
        const int cx = r + 1 + static_cast<int>(rng() % (width - 2 * r - 2));
        const int cy = r + 1 + static_cast<int>(rng() % (height - 2 * r - 2));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (std::hypot(x - cx, y - cy) <= r) p.unknown[y * width + x] = 1;
    }
    return p;
}

float LargestDifference(const Problem& p, const std::vector<float>& a, const std::vector<float>& b)
{
    float largest = 0.0f;
    for (std::size_t i = 0; i < p.unknown.size(); ++i)
        for (int c = 0; c < 3; ++c) largest = std::max(largest, std::fabs(a[i * 3 + c] - b[i * 3 + c]));
    return largest;
}

} // namespace

TEST(RemoveSpotPoissonSolverTest, MatchesGaussSeidelOnRandomMasks)
{
    ImageProcess::RemoveSpotPoissonSolver solver;
    const int sizes[][2] = {{9, 7}, {31, 23}, {64, 64}, {100, 37}};
    unsigned seed = 5;
    for (const auto& s : sizes) {
        for (int repeat = 0; repeat < 3; ++repeat) {
            const Problem p = RandomProblem(s[0], s[1], seed++);
            const std::vector<float> expected = Reference(p);
            std::vector<float> values = p.values;
            const int cycles = solver.Solve(p.width, p.height, p.unknown, values);
            EXPECT_LT(LargestDifference(p, values, expected), 0.1f) << s[0] << "x" << s[1] << " seed " << seed << " cycles " << cycles;
        }
    }
}

TEST(RemoveSpotPoissonSolverTest, ScatteredFixedCellsInsideTheDomainConverge)
{
    // A flaw mask keeps intact pixels as islands inside the repaired area.
    // Coarse grids that treat such spots as unknown overshoot and diverge.
    for (int percent : {2, 10, 20}) {
        std::mt19937 rng(static_cast<unsigned>(percent));
        const int n = 61;
        Problem p{n, n, std::vector<std::uint8_t>(n * n, 0), std::vector<float>(n * n * 3, 0.0f)};
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                const bool island = static_cast<int>(rng() % 100) < percent;
                if (std::hypot(x - 30, y - 30) < 29 && !island) p.unknown[y * n + x] = 1;
                else
                    for (int c = 0; c < 3; ++c) p.values[(y * n + x) * 3 + c] = static_cast<float>(rng() % 256);
            }
        const std::vector<float> expected = Reference(p);
        std::vector<float> values = p.values;
        ImageProcess::RemoveSpotPoissonSolver solver;
        solver.Solve(n, n, p.unknown, values);
        EXPECT_LT(LargestDifference(p, values, expected), 0.1f) << percent << " % islands";
        // Maximum principle: a harmonic solution stays within its boundary values.
        for (float v : values) ASSERT_TRUE(v >= -0.01f && v <= 255.01f) << v;
    }
}

TEST(RemoveSpotPoissonSolverTest, QuarterDiskInTheGridCornerHasNoFluxAcrossTheEdges)
{
    // A spot reaching over an image corner: fixed values only on the arc.
    const int n = 42;
    Problem p{n, n, std::vector<std::uint8_t>(n * n, 0), std::vector<float>(n * n * 3, 0.0f)};
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            if (std::hypot(x, y) < 40.0) p.unknown[y * n + x] = 1;
            else
                for (int c = 0; c < 3; ++c)
                    p.values[(y * n + x) * 3 + c] = 100.0f + 50.0f * std::sin(3.0f * std::atan2(float(y), float(x)) + c);
        }
    const std::vector<float> expected = Reference(p);
    std::vector<float> values = p.values;
    ImageProcess::RemoveSpotPoissonSolver solver;
    solver.Solve(n, n, p.unknown, values);
    EXPECT_LT(LargestDifference(p, values, expected), 0.1f);
}

TEST(RemoveSpotPoissonSolverTest, ReproducesALinearFunctionOnADisk)
{
    const int n = 301;
    Problem p{n, n, std::vector<std::uint8_t>(n * n, 0), std::vector<float>(n * n * 3, 0.0f)};
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            if (std::hypot(x - 150, y - 150) < 148) p.unknown[y * n + x] = 1;
            else
                for (int c = 0; c < 3; ++c) p.values[(y * n + x) * 3 + c] = 0.5f * x - 0.25f * y + 40.0f * c;
        }
    std::vector<float> values = p.values;
    ImageProcess::RemoveSpotPoissonSolver solver;
    const int cycles = solver.Solve(n, n, p.unknown, values);
    EXPECT_LE(cycles, 8);
    float largest = 0.0f;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            for (int c = 0; c < 3; ++c)
                largest = std::max(largest, std::fabs(values[(y * n + x) * 3 + c] - (0.5f * x - 0.25f * y + 40.0f * c)));
    EXPECT_LT(largest, 0.1f);
}

TEST(RemoveSpotPoissonSolverTest, ThinGridsAndGridEdgesHaveNoFlux)
{
    // Two rows of 1000 cells, fixed only at the two ends: the solution is the
    // straight line between them, which needs the no-flux condition along
    // both long edges and coarsening along x alone.
    const int w = 1000, h = 2;
    Problem p{w, h, std::vector<std::uint8_t>(w * h, 1), std::vector<float>(w * h * 3, 0.0f)};
    for (int y = 0; y < h; ++y) {
        p.unknown[y * w] = 0;
        p.unknown[y * w + w - 1] = 0;
        for (int c = 0; c < 3; ++c) p.values[(y * w + w - 1) * 3 + c] = 999.0f;
    }
    std::vector<float> values = p.values;
    ImageProcess::RemoveSpotPoissonSolver solver;
    solver.Solve(w, h, p.unknown, values);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) ASSERT_NEAR(values[(y * w + x) * 3 + 1], static_cast<float>(x), 0.1f) << x;
}

TEST(RemoveSpotPoissonSolverTest, NothingUnknownLeavesTheValues)
{
    Problem p{4, 3, std::vector<std::uint8_t>(12, 0), std::vector<float>(36, 7.0f)};
    std::vector<float> values = p.values;
    ImageProcess::RemoveSpotPoissonSolver solver;
    EXPECT_EQ(solver.Solve(4, 3, p.unknown, values), 0);
    EXPECT_EQ(values, p.values);
}

// The spot remover's map of coarse structure: a cell's Laplacian, and disk
// means against a cell-by-cell mean.

#include <cmath>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "Tinctor/RemoveSpotStructureMap.h"

TEST(RemoveSpotStructureMapTest, StructureIsTheSquaredLaplacianAndZeroOnARamp)
{
    // A ramp in each channel has no structure, the grid's edges included
    // (their missing neighbours come from the other side); one bright cell
    // departs from its neighbours by its whole step, they by a quarter of it.
    const int columns = 7, rows = 5;
    std::vector<float> means(columns * rows * 3);
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < columns; ++i)
            for (int c = 0; c < 3; ++c) means[(j * columns + i) * 3 + c] = 10.0f * i + 3.0f * j + c;
    ImageProcess::RemoveSpotStructureMap map;
    map.Build(means, columns, rows);
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < columns; ++i) EXPECT_NEAR(map.At(i, j), 0.0f, 1e-3f) << i << "," << j;
    for (int c = 0; c < 3; ++c) means[(2 * columns + 3) * 3 + c] += 40.0f;
    map.Build(means, columns, rows);
    EXPECT_NEAR(map.At(3, 2), 3 * 40.0f * 40.0f, 1e-2f);
    EXPECT_NEAR(map.At(4, 2), 3 * 10.0f * 10.0f, 1e-2f);
    EXPECT_NEAR(map.At(5, 2), 0.0f, 1e-3f);
}

TEST(RemoveSpotStructureMapTest, DiskMeansMatchACellByCellMean)
{
    const int columns = 41, rows = 33;
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> level(0.0f, 255.0f);
    std::vector<float> means(columns * rows * 3);
    for (float& m : means) m = level(rng);
    ImageProcess::RemoveSpotStructureMap map;
    map.Build(means, columns, rows);
    std::uniform_real_distribution<double> place(-6.0, 46.0), size(0.3, 14.0);
    for (int trial = 0; trial < 300; ++trial) {
        const double ci = place(rng), cj = place(rng), radius = size(rng);
        double sum = 0.0;
        int count = 0;
        for (int j = 0; j < rows; ++j)
            for (int i = 0; i < columns; ++i)
                if (std::hypot(i - ci, j - cj) <= radius) {
                    sum += map.At(i, j);
                    ++count;
                }
        const double expected = count ? sum / count : 0.0;
        ASSERT_NEAR(map.MeanInDisk(ci, cj, radius), expected, 1e-6 * (1.0 + expected))
            << "centre " << ci << "," << cj << " radius " << radius;
    }
}

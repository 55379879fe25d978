// The spot remover's map of sharp detail: what a cell's detail sees, and the
// count of busy cells in a disk against a cell-by-cell count.

#include <cmath>
#include <random>

#include <gtest/gtest.h>

#include "Tinctor/RemoveSpotDetailMap.h"
#include "TinctorTestImage.h"

using namespace TinctorTest;

namespace {

ImageProcess::ImageBuffer View(TestImage& image)
{
    return *ImageProcess::MakeImageBuffer(image.pixels, image.header);
}

} // namespace

TEST(RemoveSpotDetailMapTest, CellDetailSeesSharpSpecksAndNotSoftShading)
{
    TestImage image(64, 48, 24);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) image.Set(x, y, {static_cast<unsigned char>(100 + x), 120, 140, 0});
    const ImageProcess::ImageBuffer view = View(image);
    // A ramp of one grey level per pixel in one channel: 1 per pixel.
    EXPECT_NEAR(ImageProcess::RemoveSpotDetailMap::CellDetail(view, 8, 8, 4), 1.0, 1e-9);
    // One dark pixel in a 4 x 4 cell: its differences to its right and lower
    // neighbours, and those of its left and upper neighbours to it.
    image.Set(10, 10, {0, 0, 0, 0});
    const double speck = ImageProcess::RemoveSpotDetailMap::CellDetail(view, 8, 8, 4);
    EXPECT_GT(speck, 2.0 * 3 * 100 * 100 / 16.0);
    // The last column and row of the image take their neighbour on the other side.
    EXPECT_NEAR(ImageProcess::RemoveSpotDetailMap::CellDetail(view, 60, 44, 4), 1.0, 1e-9);
    // Taking neighbours the other way keeps a cell's measure out of the area beyond it.
    EXPECT_NEAR(ImageProcess::RemoveSpotDetailMap::CellDetail(view, 11, 10, 4, 1, 1), 1.0, 1e-9);
    EXPECT_GT(ImageProcess::RemoveSpotDetailMap::CellDetail(view, 11, 10, 4, -1, 1), 100.0);
}

TEST(RemoveSpotDetailMapTest, DiskCountsMatchACellByCellCount)
{
    TestImage image = RandomImage(200, 160, 24, 3);
    // Smooth most of it, keeping scattered specks of noise: some cells are
    // busy, most are not.
    for (int y = 0; y < 160; ++y)
        for (int x = 0; x < 200; ++x)
            if ((x * 7 + y * 3) % 23 != 0) image.Set(x, y, {90, 100, 110, 0});
    const ImageProcess::ImageBuffer view = View(image);
    std::mt19937 rng(5);
    for (int scale : {1, 2, 4, 8}) {
        const int columns = 180 / scale, rows = 140 / scale;
        // A threshold below every cell's detail marks them all: the count is
        // then the number of cells in the disk.
        for (double threshold : {3000.0, -1.0}) {
            ImageProcess::RemoveSpotDetailMap map;
            map.Build(view, 7, 5, scale, columns, rows, threshold);
            for (int trial = 0; trial < 40; ++trial) {
                // Centres on pixels and between them; some disks reach beyond the map.
                const double cx = rng() % 200 + 0.5 * (rng() % 2), cy = rng() % 160, radius = 0.5 + rng() % 60;
                int want = 0;
                for (int j = 0; j < rows; ++j)
                    for (int i = 0; i < columns; ++i) {
                        const int x = 7 + i * scale, y = 5 + j * scale;
                        if (std::hypot(x + (scale - 1) / 2.0 - cx, y + (scale - 1) / 2.0 - cy) > radius) continue;
                        if (ImageProcess::RemoveSpotDetailMap::CellDetail(view, x, y, scale) > threshold) ++want;
                    }
                ASSERT_EQ(map.CountInDisk(cx, cy, radius), want)
                    << "scale " << scale << ", threshold " << threshold << ", " << cx << "," << cy << " r " << radius;
            }
        }
        ImageProcess::RemoveSpotDetailMap map;
        map.Build(view, 7, 5, scale, columns, rows, 3000.0);
        const int busy = map.CountInDisk(100, 80, 60);
        EXPECT_GT(busy, 0) << scale;
        map.Build(view, 7, 5, scale, columns, rows, -1.0);
        EXPECT_LT(busy, map.CountInDisk(100, 80, 60)) << scale;
    }
}

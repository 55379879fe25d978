// The directional fill of a spot: a straight edge carries on through the
// disk, an edge beside it stays beside it, texture without a direction and
// disks near the image's border give no fill.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>

#include <gtest/gtest.h>

#include "Tinctor/RemoveSpotDirectionalFill.h"
#include "TinctorTestImage.h"

using namespace TinctorTest;

namespace {

/// Two flat colours either side of the line a x + b y = c, blending into
/// each other over 4 pixels across it (a slightly soft edge).
TestImage TwoRegions(int width, int height, double a, double b, double c)
{
    TestImage image(width, height, 24);
    const double norm = std::hypot(a, b);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double t = std::clamp((a * x + b * y - c) / norm / 4.0 + 0.5, 0.0, 1.0);
            auto mix = [t](double u, double v) { return static_cast<unsigned char>(std::lround(u + t * (v - u))); };
            image.Set(x, y, {mix(200, 40), mix(150, 90), mix(60, 30), 0});
        }
    return image;
}

/// Largest channel difference between the fill and the image over the disk.
int LargestFillError(const TestImage& image, const ImageProcess::RemoveSpotDirectionalFill& fill,
                     const ImageProcess::RemoveSpotDisk& disk)
{
    int largest = 0;
    for (int y = disk.Bounds().top; y < disk.Bounds().bottom; ++y)
        for (int x = disk.Bounds().left; x < disk.Bounds().right; ++x) {
            if (disk.Weight(x, y) <= 0.0f) continue;
            const std::array<float, 3> f = fill.At(x, y);
            const Bgra p = image.Get(x, y);
            largest = std::max({largest, static_cast<int>(std::lround(std::fabs(f[0] - p.b))),
                                static_cast<int>(std::lround(std::fabs(f[1] - p.g))),
                                static_cast<int>(std::lround(std::fabs(f[2] - p.r)))});
        }
    return largest;
}

} // namespace

TEST(RemoveSpotDirectionalFillTest, StraightEdgesThroughAndBesideTheDiskCarryOn)
{
    const ImageProcess::RemoveSpotDisk disk(41, POINT{100 - 20, 80 - 20}, 0.8f, 200, 160);
    // Through the centre at a slant, off the centre steeply, and passing
    // just outside the disk.
    const double lines[][3] = {{1.0, 3.0, 100.0 + 3.0 * 80.0}, {4.0, -1.0, 4.0 * 108.0 - 80.0}, {0.3, 1.0, 30.0 + 104.0}};
    for (const auto& line : lines) {
        TestImage image = TwoRegions(200, 160, line[0], line[1], line[2]);
        const ImageProcess::ImageBuffer view = *ImageProcess::MakeImageBuffer(image.pixels, image.header);
        const ImageProcess::RemoveSpotDirectionalFill fill(view, disk);
        EXPECT_GT(fill.Coherence(), 0.9) << line[0] << "," << line[1];
        EXPECT_LE(LargestFillError(image, fill, disk), 10) << line[0] << "," << line[1];
    }
}

TEST(RemoveSpotDirectionalFillTest, NoDirectionNoFill)
{
    // Random texture has no direction; a flat area none to tell; a disk whose
    // reading circle leaves the image is not filled (nothing is read beyond it).
    const TestImage noise = RandomImage(120, 100, 24, 17);
    TestImage flat(120, 100, 32);
    flat.Fill({50, 60, 70, 9});
    const TestImage edge = TwoRegions(120, 100, 1.0, 0.0, 60.0);
    const struct {
        const TestImage* image;
        POINT topLeft;
        double most;
    } cases[] = {{&noise, {40, 30}, 0.4}, {&flat, {40, 30}, 0.0}, {&edge, {-5, 30}, 0.0}, {&edge, {60, 80}, 0.0}};
    for (const auto& c : cases) {
        TestImage image = *c.image;
        const ImageProcess::ImageBuffer view = *ImageProcess::MakeImageBuffer(image.pixels, image.header);
        const ImageProcess::RemoveSpotDisk disk(25, c.topLeft, 0.8f, image.Width(), image.Height());
        EXPECT_LE(ImageProcess::RemoveSpotDirectionalFill(view, disk).Coherence(), c.most)
            << c.topLeft.x << "," << c.topLeft.y;
    }
}

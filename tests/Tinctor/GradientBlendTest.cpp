// Gradient-domain healing of any area: the source's texture with the tone of
// the surroundings, a constant in the source changing nothing, only the
// area's pixels written.

#include <cmath>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "Tinctor/GradientBlend.h"
#include "TinctorTestImage.h"

using namespace TinctorTest;

namespace {

struct Scratch {
    std::vector<float> original, source, repaired, correction;
    ImageProcess::RemoveSpotPoissonSolver solver;
    ImageProcess::GradientBlend::Buffers Buffers() { return {original, source, repaired, correction, solver}; }
};

/// A thin diagonal stroke, two pixels wide, inside the grid.
std::vector<std::uint8_t> Stroke(int width, int height)
{
    std::vector<std::uint8_t> area(static_cast<std::size_t>(width) * height, 0);
    for (int y = 3; y < height - 3; ++y)
        for (int x = 0; x < width; ++x)
            if (std::abs(x - (y + 4)) <= 1) area[static_cast<std::size_t>(y) * width + x] = 1;
    return area;
}

} // namespace

TEST(GradientBlendTest, SourceTextureTakesTheSurroundingsToneAndOnlyTheAreaChanges)
{
    // A ramp picture; the source is the same ramp shifted by a constant
    // (another place's texture in a brighter light): the repair is the
    // picture itself, and pixels outside the stroke are kept.
    TestImage image(40, 30, 32);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            image.Set(x, y, {static_cast<unsigned char>(50 + 3 * x), static_cast<unsigned char>(70 + 2 * y),
                             static_cast<unsigned char>(90 + x + y), static_cast<unsigned char>(x)});
    const TestImage clean = image;
    const RECT grid{5, 4, 35, 26};
    Scratch scratch;
    const ImageProcess::ImageBuffer view = *ImageProcess::MakeImageBuffer(image.pixels, image.header);
    ImageProcess::GradientBlend blend(view, grid, scratch.Buffers());
    blend.Load();
    const std::vector<std::uint8_t> area = Stroke(blend.Width(), blend.Height());
    ASSERT_TRUE(blend.HasBoundary(area));
    for (std::size_t i = 0; i < scratch.source.size(); ++i) scratch.source[i] = scratch.original[i] + 37.0f;
    // Spoil the stroke's pixels first: the repair must not read them.
    for (int y = 0; y < blend.Height(); ++y)
        for (int x = 0; x < blend.Width(); ++x)
            if (area[static_cast<std::size_t>(y) * blend.Width() + x]) image.Set(grid.left + x, grid.top + y, {0, 0, 0, 7});
    const std::vector<float> weight(area.size(), 1.0f);
    blend.Heal(area, ImageProcess::RemoveSpotPoissonSolver::Start::Fresh, ImageProcess::RemoveSpotPoissonSolver::Tolerance);
    blend.Compose(area, weight);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const Bgra c = clean.Get(x, y), r = image.Get(x, y);
            const bool inArea = x >= grid.left && x < grid.right && y >= grid.top && y < grid.bottom &&
                                area[static_cast<std::size_t>(y - grid.top) * blend.Width() + (x - grid.left)];
            if (!inArea) {
                ASSERT_EQ(r, c) << x << "," << y;
                continue;
            }
            EXPECT_NEAR(r.b, c.b, 1) << x << "," << y;
            EXPECT_NEAR(r.g, c.g, 1) << x << "," << y;
            EXPECT_NEAR(r.r, c.r, 1) << x << "," << y;
            EXPECT_EQ(r.a, 7) << "alpha kept at " << x << "," << y;
        }
}

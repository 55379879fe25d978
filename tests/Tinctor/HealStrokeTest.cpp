// ImageProcess::HealStroke and HealArea: a hair goes along its whole length,
// nothing outside the area changes, long strokes show no seam between the
// blocks they are solved in, edges carry on, degenerate and outlying paths
// are safe, bad arguments are refused.

#include <algorithm>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "TinctorTestImage.h"

using namespace TinctorTest;

namespace {

/// A soft picture with a fine, fixed texture: a gentle gradient in each
/// channel plus up to +-3 levels of hashed grain.
TestImage TexturedGround(int width, int height, int bits)
{
    TestImage image(width, height, bits);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned h = (static_cast<unsigned>(x) * 374761393u + static_cast<unsigned>(y) * 668265263u) >> 13;
            const int grain = static_cast<int>(h % 7) - 3;
            image.Set(x, y, {static_cast<unsigned char>(110 + 60 * x / width + grain),
                             static_cast<unsigned char>(150 + 40 * y / height + grain),
                             static_cast<unsigned char>(170 - 30 * x / width + grain),
                             static_cast<unsigned char>(x * 3 + y)});
        }
    return image;
}

double SegmentDistance(double px, double py, POINT a, POINT b)
{
    const double dx = b.x - a.x, dy = b.y - a.y, length2 = dx * dx + dy * dy;
    const double t = length2 > 0.0 ? std::clamp(((px - a.x) * dx + (py - a.y) * dy) / length2, 0.0, 1.0) : 0.0;
    return std::hypot(px - (a.x + t * dx), py - (a.y + t * dy));
}

double PathDistance(double x, double y, const std::vector<POINT>& path)
{
    double d = SegmentDistance(x, y, path.front(), path.front());
    for (std::size_t i = 1; i < path.size(); ++i) d = std::min(d, SegmentDistance(x, y, path[i - 1], path[i]));
    return d;
}

/// Paints a dark hair `width` pixels wide along the path.
void PaintHair(TestImage& image, const std::vector<POINT>& path, double width)
{
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            if (PathDistance(x, y, path) <= width / 2.0) image.Set(x, y, {20, 18, 25, image.Get(x, y).a});
}

bool Heal(TestImage& image, int size, const std::vector<POINT>& path)
{
    return ImageProcess::HealStroke(image.pixels, image.header, size, path, 0.8f, nullptr);
}

int LargestDifference(Bgra a, Bgra b)
{
    return std::max({std::abs(a.b - b.b), std::abs(a.g - b.g), std::abs(a.r - b.r)});
}

/// Every pixel farther than size / 2 + 0.5 from the path, every alpha byte
/// and all padding are as they were.
void ExpectOnlyStrokeChanged(const TestImage& before, const TestImage& after, int size, const std::vector<POINT>& path)
{
    ASSERT_EQ(before.pixels.size(), after.pixels.size());
    const std::size_t rowBytes = static_cast<std::size_t>(before.Width()) * before.Bpp();
    for (int y = 0; y < before.Height(); ++y) {
        for (int x = 0; x < before.Width(); ++x) {
            ASSERT_EQ(before.Get(x, y).a, after.Get(x, y).a) << "alpha at " << x << "," << y;
            if (PathDistance(x, y, path) >= size / 2.0 + 0.5) {
                ASSERT_EQ(before.Get(x, y), after.Get(x, y)) << x << "," << y;
            }
        }
        const std::size_t row = static_cast<std::size_t>(y) * before.Stride();
        for (std::size_t k = rowBytes; k < before.Stride(); ++k) ASSERT_EQ(before.pixels[row + k], after.pixels[row + k]);
    }
}

/// Largest difference to `clean` over the pixels within `reach` of the path.
int LargestErrorNearPath(const TestImage& healed, const TestImage& clean, const std::vector<POINT>& path, double reach)
{
    int largest = 0;
    for (int y = 0; y < clean.Height(); ++y)
        for (int x = 0; x < clean.Width(); ++x)
            if (PathDistance(x, y, path) <= reach) largest = std::max(largest, LargestDifference(healed.Get(x, y), clean.Get(x, y)));
    return largest;
}

} // namespace

TEST(HealStroke, CurvedHairGoesAlongItsWholeLengthAndNothingElseChanges)
{
    for (const int bits : {24, 32}) {
        const TestImage clean = TexturedGround(161, 97, bits);
        const std::vector<POINT> path{{12, 20}, {40, 35}, {70, 60}, {100, 70}, {130, 64}, {150, 40}};
        TestImage image = clean;
        PaintHair(image, path, 3.0);
        const TestImage flawed = image;
        ASSERT_TRUE(Heal(image, 9, path));
        ExpectOnlyStrokeChanged(flawed, image, 9, path);
        // The hair was 130 levels darker; grain is +-3 and the gradient soft.
        EXPECT_LE(LargestErrorNearPath(image, clean, path, 1.5), 14) << bits << " bits";
    }
}

TEST(HealStroke, LongStrokeHasNoSeamBetweenTheBlocksItIsSolvedIn)
{
    // 1100 pixels: three blocks of the blend, the stroke crossing two block
    // boundaries; a smooth gradient shows any step at once.
    TestImage clean(1100, 60, 24);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 1100; ++x)
            clean.Set(x, y, {static_cast<unsigned char>(40 + x / 6), static_cast<unsigned char>(200 - x / 8),
                             static_cast<unsigned char>(90 + y), 255});
    const std::vector<POINT> path{{5, 30}, {300, 26}, {600, 34}, {1094, 30}};
    TestImage image = clean;
    PaintHair(image, path, 4.0);
    ASSERT_TRUE(Heal(image, 11, path));
    EXPECT_LE(LargestErrorNearPath(image, clean, path, 3.0), 3);
}

TEST(HealStroke, EdgeCrossedByAHairCarriesOn)
{
    // A vertical boundary between dark and bright ground; the hair crosses
    // it at a slant.
    TestImage clean(120, 90, 24);
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 120; ++x) clean.Set(x, y, x < 60 ? Bgra{50, 60, 70, 255} : Bgra{200, 190, 180, 255});
    const std::vector<POINT> path{{20, 25}, {100, 65}};
    TestImage image = clean;
    PaintHair(image, path, 3.0);
    ASSERT_TRUE(Heal(image, 9, path));
    int wrongSide = 0;
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 120; ++x)
            if (std::abs(x - 60) > 2 && PathDistance(x, y, path) <= 4.0 && LargestDifference(image.Get(x, y), clean.Get(x, y)) > 20)
                ++wrongSide;
    EXPECT_EQ(wrongSide, 0);
}

TEST(HealStroke, NothingIsCopiedFromAnObjectNearby)
{
    // A clear sky with a small dark bird beside the hair, within the search's reach.
    TestImage clean(140, 80, 24);
    clean.Fill({210, 160, 90, 255});
    for (int y = 18; y < 22; ++y)
        for (int x = 60; x < 66; ++x) clean.Set(x, y, {40, 30, 30, 255});
    const std::vector<POINT> path{{10, 40}, {130, 40}};
    TestImage image = clean;
    PaintHair(image, path, 3.0);
    ASSERT_TRUE(Heal(image, 9, path));
    EXPECT_LE(LargestErrorNearPath(image, clean, path, 5.0), 6);
}

TEST(HealStroke, DegeneratePathsHealLikeTheirPlainForms)
{
    const TestImage clean = TexturedGround(90, 70, 24);
    TestImage flawed = clean;
    PaintHair(flawed, {{20, 30}, {70, 40}}, 3.0);

    // There and back, and with repeated points, the area is the same as the
    // plain path's, and so is the repair.
    TestImage oneWay = flawed, backAndForth = flawed, repeated = flawed;
    ASSERT_TRUE(Heal(oneWay, 9, {{20, 30}, {70, 40}}));
    ASSERT_TRUE(Heal(backAndForth, 9, {{20, 30}, {70, 40}, {20, 30}, {70, 40}}));
    ASSERT_TRUE(Heal(repeated, 9, {{20, 30}, {20, 30}, {70, 40}, {70, 40}, {70, 40}}));
    EXPECT_EQ(backAndForth.pixels, oneWay.pixels);
    EXPECT_EQ(repeated.pixels, oneWay.pixels);

    // One point heals a dot in a disk of the size, as a spot.
    TestImage dot = clean;
    for (int y = 47; y <= 53; ++y)
        for (int x = 42; x <= 48; ++x) dot.Set(x, y, {15, 15, 15, 255});
    const TestImage dotted = dot;
    ASSERT_TRUE(Heal(dot, 13, {{45, 50}}));
    ExpectOnlyStrokeChanged(dotted, dot, 13, {{45, 50}});
    EXPECT_LE(LargestErrorNearPath(dot, clean, {{45, 50}}, 3.0), 10);
}

TEST(HealStroke, StrokesOutsideOrAcrossTheImageEdgeAreSafe)
{
    const TestImage clean = TexturedGround(60, 40, 24);
    TestImage image = clean;
    // Wholly outside (also far beyond int-sized distances): nothing changes.
    ASSERT_TRUE(Heal(image, 15, {{-100, -100}, {-30, -50}}));
    ASSERT_TRUE(Heal(image, 501, {{2000000000, 5}, {2000000000, -2000000000}}));
    EXPECT_EQ(image.pixels, clean.pixels);
    // Across the corner: only pixels in the image and near the path change.
    PaintHair(image, {{-10, -10}, {20, 20}}, 3.0);
    const TestImage flawed = image;
    ASSERT_TRUE(Heal(image, 9, {{-10, -10}, {20, 20}}));
    ExpectOnlyStrokeChanged(flawed, image, 9, {{-10, -10}, {20, 20}});
    EXPECT_LE(LargestErrorNearPath(image, clean, {{-10, -10}, {20, 20}}, 1.5), 14);
}

TEST(HealStroke, BadArgumentsAndAreasWithoutSurroundingsAreRefused)
{
    const TestImage clean = TexturedGround(30, 20, 24);
    TestImage image = clean;
    EXPECT_FALSE(Heal(image, 0, {{5, 5}}));
    EXPECT_FALSE(Heal(image, 1002, {{5, 5}}));
    EXPECT_FALSE(Heal(image, 9, {}));
    EXPECT_FALSE(Heal(image, 9, std::vector<POINT>(ImageProcess::MAX_STROKE_POINTS + 1, POINT{5, 5})));
    EXPECT_FALSE(ImageProcess::HealStroke(image.pixels, image.header, 9, {{5, 5}}, NAN, nullptr));
    EXPECT_FALSE(ImageProcess::HealStroke(image.pixels, image.header, 9, {{5, 5}}, 1.5f, nullptr));
    // A stroke covering the whole picture leaves nothing to heal it from.
    EXPECT_FALSE(Heal(image, 101, {{15, 10}}));
    EXPECT_EQ(image.pixels, clean.pixels);

    ImageProcess::HEAL_AREA area;
    area.box = RECT{2, 2, 10, 10};
    area.weights.assign(63, 255);  // one short of 8 x 8
    EXPECT_FALSE(ImageProcess::HealArea(image.pixels, image.header, area, ImageProcess::HEAL_WHOLE_AREA, nullptr));
    area.box = RECT{10, 10, 2, 2};
    area.weights.clear();
    EXPECT_FALSE(ImageProcess::HealArea(image.pixels, image.header, area, ImageProcess::HEAL_WHOLE_AREA, nullptr));
    EXPECT_EQ(image.pixels, clean.pixels);
}

TEST(HealArea, WholeAreaModeReplacesAnObjectAndKeepsZeroWeights)
{
    const TestImage clean = TexturedGround(100, 80, 24);
    TestImage image = clean;
    // A bright square object; the area is a box around it whose border
    // pixels have weight 0.
    for (int y = 30; y < 46; ++y)
        for (int x = 40; x < 58; ++x) image.Set(x, y, {250, 250, 250, 255});
    ImageProcess::HEAL_AREA area;
    area.box = RECT{36, 26, 62, 50};
    area.weights.assign(26 * 24, 0);
    for (int y = 28; y < 48; ++y)
        for (int x = 38; x < 60; ++x) area.weights[static_cast<std::size_t>(y - 26) * 26 + (x - 36)] = 255;
    const TestImage flawed = image;
    ASSERT_TRUE(ImageProcess::HealArea(image.pixels, image.header, area, ImageProcess::HEAL_WHOLE_AREA, nullptr));
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 100; ++x) {
            const bool inside = x >= 38 && x < 60 && y >= 28 && y < 48;
            if (!inside) ASSERT_EQ(image.Get(x, y), flawed.Get(x, y)) << x << "," << y;
            else ASSERT_LE(LargestDifference(image.Get(x, y), clean.Get(x, y)), 12) << x << "," << y;
        }
}

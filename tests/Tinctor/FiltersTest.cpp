// Gaussian blur, simple sharpening and unsharp mask: flat images stay flat,
// exact kernel values, symmetry, and the region's limits.

#include <gtest/gtest.h>

#include "TinctorTestImage.h"

using namespace ImageProcess;
using TinctorTest::Bgra;
using TinctorTest::RandomImage;
using TinctorTest::TestImage;
using TinctorTest::Whole;

namespace {

TestImage Dot(int size, int bits)
{
    TestImage img(size, size, bits);
    img.Fill({0, 0, 0, 0});
    img.Set(size / 2, size / 2, {200, 200, 200, 200});
    return img;
}

} // namespace

TEST(Filters, FlatImagesStayFlat)
{
    for (int bits : {24, 32}) {
        TestImage img(9, 7, bits);
        img.Fill({40, 80, 120, 160});
        const TestImage original = img;
        ASSERT_TRUE(GaussBlur(img.pixels, img.header, Whole(), 2.5, nullptr, true));
        ASSERT_TRUE(SimpleSharpen(img.pixels, img.header, Whole(), nullptr, true));
        ASSERT_TRUE(USMSharpen(img.pixels, img.header, Whole(), 300, 1.5, 0, nullptr, true));
        EXPECT_EQ(img.pixels, original.pixels);
    }
}

TEST(Filters, BlurSpreadsSymmetricallyAndRadiusZeroChangesNothing)
{
    TestImage img = Dot(15, 24);
    const TestImage original = img;
    ASSERT_TRUE(GaussBlur(img.pixels, img.header, Whole(), 0.0, nullptr, true));
    EXPECT_EQ(img.pixels, original.pixels);
    ASSERT_TRUE(GaussBlur(img.pixels, img.header, Whole(), 1.5, nullptr, true));
    const int c = 7;
    EXPECT_LT(img.Get(c, c).g, 200);
    EXPECT_GT(img.Get(c + 2, c).g, 0);
    EXPECT_EQ(img.Get(c - 2, c), img.Get(c + 2, c));
    EXPECT_EQ(img.Get(c, c - 2), img.Get(c, c + 2));
    EXPECT_EQ(img.Get(c - 1, c - 2), img.Get(c + 2, c + 1));  // turned by a quarter
    int sum = 0;
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 15; ++x) sum += img.Get(x, y).g;
    EXPECT_NEAR(sum, 200, 12);
    EXPECT_FALSE(GaussBlur(img.pixels, img.header, Whole(), -1.0, nullptr, true));
    EXPECT_FALSE(GaussBlur(img.pixels, img.header, Whole(), 251.0, nullptr, true));
}

TEST(Filters, RegionLimitsTheChangeButNeighboursOutsideAreRead)
{
    TestImage img = Dot(15, 32);
    PROCESS_REGION region;
    region.rect = {8, 0, 15, 15};  // right of the dot
    ASSERT_TRUE(GaussBlur(img.pixels, img.header, region, 1.5, nullptr, true));
    EXPECT_EQ(img.Get(7, 7).g, 200);  // outside the region: untouched
    EXPECT_EQ(img.Get(6, 7).g, 0);
    EXPECT_GT(img.Get(8, 7).g, 0);  // reads the dot just outside the region
    EXPECT_GT(img.Get(8, 7).a, 0);  // filters treat the fourth byte as a channel
}

TEST(Filters, SimpleSharpenKernelValues)
{
    TestImage img(3, 3, 24);
    img.Fill({50, 50, 50});
    img.Set(1, 1, {100, 100, 100});
    ASSERT_TRUE(SimpleSharpen(img.pixels, img.header, Whole(), nullptr, true));
    EXPECT_EQ(img.Get(1, 1).r, 255);  // 5 * 100 - 4 * 50 = 300, clamped
    EXPECT_EQ(img.Get(1, 0).r, 0);    // 250 - 50 - 50 - 100 below - 100 mirrored above
    EXPECT_EQ(img.Get(0, 0).r, 50);
}

TEST(Filters, UnsharpMaskThresholdAndAmount)
{
    const TestImage original = RandomImage(21, 13, 24, 8);
    TestImage img = original;
    ASSERT_TRUE(USMSharpen(img.pixels, img.header, Whole(), 200, 1.0, 255, nullptr, true));
    EXPECT_EQ(img.pixels, original.pixels);  // no difference reaches 255
    ASSERT_TRUE(USMSharpen(img.pixels, img.header, Whole(), 0, 1.0, 0, nullptr, true));
    EXPECT_EQ(img.pixels, original.pixels);  // amount 0
    ASSERT_TRUE(USMSharpen(img.pixels, img.header, Whole(), 150, 2.0, 0, nullptr, true));
    EXPECT_NE(img.pixels, original.pixels);
    EXPECT_FALSE(USMSharpen(img.pixels, img.header, Whole(), 501, 2.0, 0, nullptr, true));
    EXPECT_FALSE(USMSharpen(img.pixels, img.header, Whole(), 100, 0.0, 0, nullptr, true));
    EXPECT_FALSE(USMSharpen(img.pixels, img.header, Whole(), 100, 2.0, 256, nullptr, true));
}

// RGB2HSV and AdjustHSV: exact conversions of known colours, greys without a
// hue, the value-only fast path against its formula, and round trips.

#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

#include "TinctorTestImage.h"

using namespace ImageProcess;
using TinctorTest::Bgra;
using TinctorTest::RandomImage;
using TinctorTest::TestImage;
using TinctorTest::Whole;

TEST(RGB2HSV, KnownColoursGreysAndBlack)
{
    struct Case {
        BYTE r, g, b;
        double h, s, v;
    };
    const Case cases[] = {
        {255, 0, 0, 0, 1, 1},        {0, 255, 0, 120, 1, 1},   {0, 0, 255, 240, 1, 1},
        {255, 255, 0, 60, 1, 1},     {255, 0, 255, 300, 1, 1}, {255, 0, 1, 359.7647, 1, 1},
        {128, 64, 64, 0, 0.5, 128 / 255.0},
        {200, 200, 200, -1, 0, 200 / 255.0},  // grey: no hue
        {0, 0, 0, -1, -1, 0},                 // black: neither hue nor saturation
    };
    for (const Case& c : cases) {
        double h, s, v;
        RGB2HSV(c.r, c.g, c.b, h, s, v);
        EXPECT_NEAR(h, c.h, 1e-3) << int(c.r) << "," << int(c.g) << "," << int(c.b);
        EXPECT_NEAR(s, c.s, 1e-9);
        EXPECT_NEAR(v, c.v, 1e-9);
    }
    for (int r = 0; r < 256; r += 5)
        for (int g = 0; g < 256; g += 7)
            for (int b = 0; b < 256; b += 11) {
                double h, s, v;
                RGB2HSV(static_cast<BYTE>(r), static_cast<BYTE>(g), static_cast<BYTE>(b), h, s, v);
                ASSERT_LT(h, 360.0);
                ASSERT_TRUE(h >= 0.0 || (h == -1.0 && r == g && g == b));
            }
}

TEST(AdjustHSV, NoChangeFullTurnAndGreysStayGrey)
{
    for (int bits : {24, 32}) {
        const TestImage original = RandomImage(31, 17, bits, 3);
        TestImage img = original;
        ASSERT_TRUE(AdjustHSV(img.pixels, img.header, Whole(), 0, 0, 0, nullptr, true));
        EXPECT_EQ(img.pixels, original.pixels);
        ASSERT_TRUE(AdjustHSV(img.pixels, img.header, Whole(), -720.0, 0, 0, nullptr, true));
        EXPECT_EQ(img.pixels, original.pixels);
        // A negligible turn goes through the conversion to HSV and back, which
        // must return every pixel exactly.
        ASSERT_TRUE(AdjustHSV(img.pixels, img.header, Whole(), 1e-9, 0, 0, nullptr, true));
        EXPECT_EQ(img.pixels, original.pixels);
    }
    TestImage grey(2, 1, 24);
    grey.Fill({90, 90, 90});
    ASSERT_TRUE(AdjustHSV(grey.pixels, grey.header, Whole(), 180.0, 0.5, 0.0, nullptr, true));
    EXPECT_EQ(grey.Get(1, 0), (Bgra{90, 90, 90}));
}

TEST(AdjustHSV, HueTurnsAroundTheCircle)
{
    TestImage img(3, 1, 24);
    img.Set(0, 0, {0, 0, 255});  // red
    img.Set(1, 0, {0, 255, 0});  // green
    img.Set(2, 0, {200, 100, 50});
    const TestImage original = img;
    ASSERT_TRUE(AdjustHSV(img.pixels, img.header, Whole(), 120.0, 0, 0, nullptr, true));
    EXPECT_EQ(img.Get(0, 0), (Bgra{0, 255, 0}));  // red -> green
    EXPECT_EQ(img.Get(1, 0), (Bgra{255, 0, 0}));  // green -> blue
    ASSERT_TRUE(AdjustHSV(img.pixels, img.header, Whole(), 180.0, 0, 0, nullptr, true));
    ASSERT_TRUE(AdjustHSV(img.pixels, img.header, Whole(), 60.0, 0, 0, nullptr, true));
    for (int x = 0; x < 3; ++x) {
        const Bgra a = img.Get(x, 0), b = original.Get(x, 0);
        EXPECT_LE(std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b), 3) << x;
    }
}

TEST(AdjustHSV, ValueChangeScalesEveryChannelByTheNewMaximum)
{
    // The dodge-and-burn brush's +0.1 / -0.1 on value, checked against the
    // formula new = c * clamp(max / 255 + dv) * 255 / max on random pixels.
    for (double dv : {0.1, -0.1, 0.7}) {
        const TestImage original = RandomImage(45, 19, 24, 4);
        TestImage img = original;
        ASSERT_TRUE(AdjustHSV(img.pixels, img.header, Whole(), 0, 0, dv, nullptr, true));
        for (int y = 0; y < 19; ++y)
            for (int x = 0; x < 45; ++x) {
                const Bgra o = original.Get(x, y), n = img.Get(x, y);
                const int max = std::max({o.r, o.g, o.b});
                const double newMax = std::clamp(max / 255.0 + dv, 0.0, 1.0) * 255.0;
                auto expect = [&](int c) { return max == 0 ? std::lround(newMax) : std::lround(c * newMax / max); };
                ASSERT_EQ(n.r, expect(o.r)) << x << "," << y;
                ASSERT_EQ(n.g, expect(o.g));
                ASSERT_EQ(n.b, expect(o.b));
            }
    }
}

TEST(AdjustHSV, SaturationAndRefusals)
{
    TestImage img(1, 1, 24);
    img.Fill({100, 100, 200});  // half-saturated red
    ASSERT_TRUE(AdjustHSV(img.pixels, img.header, Whole(), 0, -1.0, 0, nullptr, true));
    EXPECT_EQ(img.Get(0, 0), (Bgra{200, 200, 200}));
    img.Fill({100, 100, 200});
    ASSERT_TRUE(AdjustHSV(img.pixels, img.header, Whole(), 0, 0.5, 0, nullptr, true));
    EXPECT_EQ(img.Get(0, 0), (Bgra{0, 0, 200}));
    EXPECT_FALSE(AdjustHSV(img.pixels, img.header, Whole(), std::nan(""), 0, 0, nullptr, true));
    EXPECT_FALSE(AdjustHSV(img.pixels, img.header, Whole(), 0, 1.5, 0, nullptr, true));
    EXPECT_FALSE(AdjustHSV(img.pixels, img.header, Whole(), 0, 0, -2, nullptr, true));
}

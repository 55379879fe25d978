// The point colour adjustments: where they apply (PROCESS_REGION), exact
// values for the defined mappings, and refused parameters.

#include <gtest/gtest.h>

#include "TinctorTestImage.h"

using namespace ImageProcess;
using TinctorTest::Bgra;
using TinctorTest::RandomImage;
using TinctorTest::TestImage;
using TinctorTest::Whole;

namespace {

constexpr COLORREF kPaint = RGB(200, 100, 50);  // blue 50, green 100, red 200
const Bgra kGrey{60, 60, 60, 7};

TestImage Grey(int w, int h, int bits)
{
    TestImage img(w, h, bits);
    img.Fill(kGrey);
    return img;
}

bool Painted(const TestImage& img, int x, int y)
{
    const Bgra c = img.Get(x, y);
    return c.b == 50 && c.g == 100 && c.r == 200;
}

// One level through a whole-image adjustment of a flat image.
template <typename Adjust>
int LevelAfter(int level, Adjust adjust)
{
    TestImage img(1, 1, 24);
    img.Fill({static_cast<unsigned char>(level), static_cast<unsigned char>(level), static_cast<unsigned char>(level)});
    EXPECT_TRUE(adjust(img));
    return img.Get(0, 0).b;
}

} // namespace

TEST(ProcessRegion, RectangleMaskAndWholeImage)
{
    for (int bits : {24, 32}) {
        TestImage img = Grey(6, 4, bits);
        ASSERT_TRUE(FillColor(img.pixels, img.header, Whole(), kPaint, nullptr, true));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x) EXPECT_TRUE(Painted(img, x, y));
        if (bits == 32) {
            EXPECT_EQ(img.Get(3, 2).a, 7);  // the fourth byte stays
        }

        img = Grey(6, 4, bits);
        PROCESS_REGION region;
        region.rect = {1, 0, 3, 2};  // columns 1-2 of the top two rows
        ASSERT_TRUE(FillColor(img.pixels, img.header, region, kPaint, nullptr, true));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x) EXPECT_EQ(Painted(img, x, y), x >= 1 && x < 3 && y < 2) << x << "," << y;
    }
}

TEST(ProcessRegion, MaskRowsRunFromTheTopAndWeighTheChange)
{
    TestImage img = Grey(3, 2, 24);
    PROCESS_REGION region;
    region.mask = {255, 0, 128,  // top row
                   0, 0, 0};
    ASSERT_TRUE(FillColor(img.pixels, img.header, region, RGB(255, 255, 255), nullptr, true));
    EXPECT_EQ(img.Get(0, 0).r, 255);
    EXPECT_EQ(img.Get(1, 0).r, 60);
    EXPECT_EQ(img.Get(2, 0).r, (60 * 127 + 255 * 128 + 127) / 255);
    EXPECT_EQ(img.Get(0, 1).r, 60);

    region.rect = {1, 0, 3, 1};  // the rectangle limits the mask
    region.mask = {255, 255, 255, 255, 255, 255};
    img = Grey(3, 2, 24);
    ASSERT_TRUE(FillColor(img.pixels, img.header, region, kPaint, nullptr, true));
    EXPECT_FALSE(Painted(img, 0, 0));
    EXPECT_TRUE(Painted(img, 2, 0));
    EXPECT_FALSE(Painted(img, 2, 1));
}

TEST(ProcessRegion, ClippingAndRefusals)
{
    TestImage img = Grey(4, 4, 24);
    PROCESS_REGION region;
    region.rect = {-2, 3, 2, 9};
    EXPECT_FALSE(FillColor(img.pixels, img.header, region, kPaint, nullptr, false));
    EXPECT_FALSE(Painted(img, 0, 3));
    ASSERT_TRUE(FillColor(img.pixels, img.header, region, kPaint, nullptr, true));
    EXPECT_TRUE(Painted(img, 1, 3));
    EXPECT_FALSE(Painted(img, 2, 3));
    EXPECT_FALSE(Painted(img, 1, 2));

    const TestImage before = img;
    region.rect = {10, 10, 12, 12};  // wholly outside: nothing to do
    EXPECT_TRUE(FillColor(img.pixels, img.header, region, kPaint, nullptr, true));
    region.rect = {};
    region.mask.assign(15, 255);  // wrong length
    EXPECT_FALSE(FillColor(img.pixels, img.header, region, kPaint, nullptr, true));
    EXPECT_FALSE(ReverseColor(img.pixels, img.header, region, nullptr, true));
    region.mask.clear();
    img.header.bmiHeader.biBitCount = 16;
    EXPECT_FALSE(Decolor(img.pixels, img.header, region, nullptr, true));
    img.header = before.header;
    img.pixels.resize(10);
    EXPECT_FALSE(AdjustBrightness(img.pixels, img.header, region, 10, nullptr, true));
    img.pixels = before.pixels;
    EXPECT_EQ(img.pixels, before.pixels);
}

TEST(Adjustments, LevelMappings)
{
    const PROCESS_REGION all;
    auto brightness = [&](int b) { return [&, b](TestImage& i) { return AdjustBrightness(i.pixels, i.header, all, b, nullptr, true); }; };
    EXPECT_EQ(LevelAfter(100, brightness(30)), 130);
    EXPECT_EQ(LevelAfter(240, brightness(30)), 255);
    EXPECT_EQ(LevelAfter(10, brightness(-30)), 0);
    auto contrast = [&](int c) { return [&, c](TestImage& i) { return AdjustContrast(i.pixels, i.header, all, c, nullptr, true); }; };
    EXPECT_EQ(LevelAfter(100, contrast(0)), 100);
    EXPECT_EQ(LevelAfter(100, contrast(50)), 73);     // 127.5 - 27.5 * 2 = 72.5, rounded up
    EXPECT_EQ(LevelAfter(200, contrast(-50)), 164);   // 127.5 + 72.5 / 2 = 163.75
    EXPECT_EQ(LevelAfter(127, contrast(100)), 0);
    EXPECT_EQ(LevelAfter(128, contrast(100)), 255);
    EXPECT_EQ(LevelAfter(3, contrast(-100)), 128);
    auto reverse = [&](TestImage& i) { return ReverseColor(i.pixels, i.header, all, nullptr, true); };
    EXPECT_EQ(LevelAfter(0, reverse), 255);
    EXPECT_EQ(LevelAfter(77, reverse), 178);

    TestImage img(1, 1, 24);
    EXPECT_FALSE(AdjustBrightness(img.pixels, img.header, all, 256, nullptr, true));
    EXPECT_FALSE(AdjustContrast(img.pixels, img.header, all, -101, nullptr, true));
}

TEST(Adjustments, ChannelLevelFlagsAndDecolor)
{
    const PROCESS_REGION all;
    TestImage img(1, 1, 32);
    img.Fill({10, 20, 30, 40});
    ASSERT_TRUE(AdjustChannelLevel(img.pixels, img.header, all, 1, 5, nullptr, true));  // red
    ASSERT_TRUE(AdjustChannelLevel(img.pixels, img.header, all, 4 | 2, -10, nullptr, true));  // blue, green
    EXPECT_EQ(img.Get(0, 0), (Bgra{0, 10, 35, 40}));
    EXPECT_FALSE(AdjustChannelLevel(img.pixels, img.header, all, 0, 5, nullptr, true));
    EXPECT_FALSE(AdjustChannelLevel(img.pixels, img.header, all, 8, 5, nullptr, true));

    img.Fill({10, 200, 100, 9});
    ASSERT_TRUE(Decolor(img.pixels, img.header, all, nullptr, true));
    const unsigned char y = static_cast<unsigned char>((77 * 100 + 150 * 200 + 29 * 10 + 128) >> 8);
    EXPECT_EQ(img.Get(0, 0), (Bgra{y, y, y, 9}));
}

TEST(Adjustments, CurvesRunChannelThenMaster)
{
    unsigned char red[256], master[256];
    for (int v = 0; v < 256; ++v) {
        red[v] = static_cast<unsigned char>(v / 2);
        master[v] = static_cast<unsigned char>(255 - v);
    }
    const unsigned char* curves[4] = {master, red, nullptr, nullptr};
    TestImage img(1, 1, 24);
    img.Fill({10, 20, 100});
    ASSERT_TRUE(AdjustCurve(img.pixels, img.header, Whole(), curves, nullptr, true));
    EXPECT_EQ(img.Get(0, 0), (Bgra{245, 235, 205}));
    EXPECT_FALSE(AdjustCurve(img.pixels, img.header, Whole(), nullptr, nullptr, true));
}

TEST(Adjustments, HistogramCountsAndLevels)
{
    TestImage img(4, 1, 24);
    img.Set(0, 0, {0, 0, 0});
    img.Set(1, 0, {50, 50, 50});
    img.Set(2, 0, {100, 100, 100});
    img.Set(3, 0, {150, 150, 250});
    HISTOGRAM h;
    ASSERT_TRUE(CalcHistogram(img.pixels, img.header, Whole(), h, nullptr));
    EXPECT_EQ(h.count[HISTOGRAM_RED][250], 1u);
    EXPECT_EQ(h.count[HISTOGRAM_BLUE][150], 1u);
    EXPECT_EQ(h.count[HISTOGRAM_MASTER][50], 1u);

    HISTOGRAM_PARAMS params[4];
    params[HISTOGRAM_MASTER].inputLow = 50;  // 50..150 stretched onto 0..255
    params[HISTOGRAM_MASTER].inputHigh = 150;
    TestImage levels = img;
    ASSERT_TRUE(AdjustHistogram(levels.pixels, levels.header, Whole(), h, params, nullptr, true));
    EXPECT_EQ(levels.Get(1, 0).g, 0);
    EXPECT_EQ(levels.Get(2, 0).g, 128);
    EXPECT_EQ(levels.Get(3, 0).b, 255);

    // Automatic red block: the red levels present run from 0 to 250.
    HISTOGRAM_PARAMS autoRed[4];
    autoRed[HISTOGRAM_RED].automatic = true;
    autoRed[HISTOGRAM_RED].clipFraction = 0.0;
    ASSERT_TRUE(AdjustHistogram(img.pixels, img.header, Whole(), h, autoRed, nullptr, true));
    EXPECT_EQ(img.Get(3, 0).r, 255);
    EXPECT_EQ(img.Get(2, 0).r, 102);  // 100 / 250 * 255
    EXPECT_EQ(img.Get(2, 0).g, 100);

    params[HISTOGRAM_GREEN].gamma = 0.0;
    EXPECT_FALSE(AdjustHistogram(img.pixels, img.header, Whole(), h, params, nullptr, true));
    EXPECT_FALSE(AdjustHistogram(img.pixels, img.header, Whole(), h, nullptr, nullptr, true));
}

TEST(Adjustments, ColorCorrectMapsTheReferenceAndKeepsBlackAndWhite)
{
    TestImage img(3, 1, 24);
    img.Set(0, 0, {60, 120, 180});  // the reference colour
    img.Set(1, 0, {0, 0, 0});
    img.Set(2, 0, {255, 255, 255});
    const COLORREF reference = RGB(180, 120, 60);
    const COLORREF grey = 0x010101u * ((180 + 120 + 60) / 3);
    ASSERT_TRUE(ColorCorrect(img.pixels, img.header, Whole(), grey, reference, nullptr, true));
    EXPECT_EQ(img.Get(0, 0), (Bgra{120, 120, 120}));
    EXPECT_EQ(img.Get(1, 0), (Bgra{0, 0, 0}));
    EXPECT_EQ(img.Get(2, 0), (Bgra{255, 255, 255}));
}

TEST(Adjustments, RandomImagesKeepTheFourthByteAndRunTwiceReversedToIdentity)
{
    const TestImage original = RandomImage(37, 23, 32, 9);
    TestImage img = original;
    ASSERT_TRUE(ReverseColor(img.pixels, img.header, Whole(), nullptr, true));
    for (int x = 0; x < 37; ++x) EXPECT_EQ(img.Get(x, 5).r, 255 - original.Get(x, 5).r);
    ASSERT_TRUE(ReverseColor(img.pixels, img.header, Whole(), nullptr, true));
    EXPECT_EQ(img.pixels, original.pixels);
    ASSERT_TRUE(Decolor(img.pixels, img.header, Whole(), nullptr, true));
    for (int x = 0; x < 37; ++x) EXPECT_EQ(img.Get(x, 22).a, original.Get(x, 22).a);
}

// ImageProcess::RedeyeReduct on synthetic eyes: the red pupil darkens, the
// catch-light, the iris and the skin stay, rectangles are clipped safely.

#include <climits>
#include <cmath>

#include <gtest/gtest.h>

#include "TinctorTestImage.h"

using namespace TinctorTest;

namespace {

const Bgra Skin{140, 170, 220, 77};
const Bgra Pupil{40, 30, 200, 77};
const Bgra White{250, 250, 250, 77};

/// A skin-coloured image with a red pupil of radius 8 centred at (cx, cy) and
/// a 3 x 3 white catch-light above and left of its centre.
TestImage Eye(int width, int height, int bits, int cx, int cy)
{
    TestImage image(width, height, bits);
    image.Fill(Skin);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (std::hypot(x - cx, y - cy) <= 8.0) image.Set(x, y, Pupil);
    for (int y = cy - 3; y <= cy - 1; ++y)
        for (int x = cx - 3; x <= cx - 1; ++x) image.Set(x, y, White);
    return image;
}

bool Reduce(TestImage& image, RECT rect, float amount)
{
    return ImageProcess::RedeyeReduct(image.pixels, image.header, rect, amount, nullptr);
}

bool IsCatchLight(int x, int y, int cx, int cy)
{
    return x >= cx - 3 && x <= cx - 1 && y >= cy - 3 && y <= cy - 1;
}

} // namespace

TEST(RedeyeReductTest, RedPupilDarkensWhileCatchLightAndSkinStay)
{
    for (int bits : {24, 32}) {
        const TestImage before = Eye(61, 47, bits, 30, 20);
        TestImage image = before;
        ASSERT_TRUE(Reduce(image, RECT{15, 5, 45, 35}, 0.5f));
        for (int y = 0; y < 47; ++y)
            for (int x = 0; x < 61; ++x) {
                const Bgra was = before.Get(x, y), now = image.Get(x, y);
                ASSERT_EQ(was.a, now.a);
                if (was == Pupil && std::hypot(x - 30, y - 20) <= 7.0) {
                    // Red down to the mean of green and blue, then halved.
                    EXPECT_NEAR(now.r, 18, 1) << x << "," << y;
                    EXPECT_NEAR(now.g, 15, 1);
                    EXPECT_NEAR(now.b, 20, 1);
                } else if (was == Skin || IsCatchLight(x, y, 30, 20)) {
                    ASSERT_EQ(now, was) << x << "," << y;
                }
            }
    }
}

TEST(RedeyeReductTest, AmountZeroStillRemovesTheRedWithoutDarkening)
{
    TestImage image = Eye(40, 40, 24, 20, 20);
    ASSERT_TRUE(Reduce(image, RECT{0, 0, 40, 40}, 0.0f));
    const Bgra centre = image.Get(22, 22);
    EXPECT_EQ(centre.g, Pupil.g);
    EXPECT_EQ(centre.b, Pupil.b);
    EXPECT_LE(centre.r, 36);
}

TEST(RedeyeReductTest, OnlyPixelsInsideTheRectangleChange)
{
    const TestImage before = Eye(60, 40, 24, 30, 20);
    TestImage image = before;
    // The rectangle holds the left half of the pupil only.
    ASSERT_TRUE(Reduce(image, RECT{10, 0, 30, 40}, 1.0f));
    EXPECT_EQ(image.Get(34, 20), before.Get(34, 20));
    EXPECT_EQ(image.Get(30, 20), before.Get(30, 20));  // right edge exclusive
    EXPECT_EQ(image.Get(26, 22), (Bgra{0, 0, 0, 255}));
}

TEST(RedeyeReductTest, RowZeroIsTheTopOfThePicture)
{
    const TestImage before = Eye(40, 100, 24, 20, 15);
    TestImage image = before;
    // The rectangle counted from the bottom holds no eye.
    ASSERT_TRUE(Reduce(image, RECT{5, 100 - 30, 35, 100}, 1.0f));
    EXPECT_EQ(image.pixels, before.pixels);
    ASSERT_TRUE(Reduce(image, RECT{5, 0, 35, 30}, 1.0f));
    EXPECT_NE(image.Get(20, 20), before.Get(20, 20));
}

TEST(RedeyeReductTest, RectanglesReachingOutsideAreClippedAndOutsideOnesIgnored)
{
    const TestImage before = Eye(50, 40, 32, 5, 5);
    TestImage image = before;
    ASSERT_TRUE(Reduce(image, RECT{-30, -30, 20, 20}, 1.0f));
    EXPECT_EQ(image.Get(6, 6).r, 0);
    EXPECT_EQ(image.Get(6, 6).a, 77);

    const RECT outside[] = {{50, 0, 90, 40}, {-40, -40, 0, 0}, {INT_MIN, INT_MIN, INT_MIN + 5, 3},
                            {20, 20, 10, 30}, {5, 5, 5, 30}, {0, 40, 50, INT_MAX}};
    for (const RECT& r : outside) {
        image = before;
        EXPECT_TRUE(Reduce(image, r, 1.0f));
        EXPECT_EQ(image.pixels, before.pixels);
    }
    image = before;
    EXPECT_TRUE(Reduce(image, RECT{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, 1.0f));
    EXPECT_EQ(image.Get(6, 6).r, 0);
}

TEST(RedeyeReductTest, BothEyesInOneRectangleButNotAStraySpeck)
{
    TestImage image(120, 50, 24);
    image.Fill(Skin);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 120; ++x)
            if (std::hypot(x - 30, y - 25) <= 8.0 || std::hypot(x - 90, y - 25) <= 7.0) image.Set(x, y, Pupil);
    image.Set(60, 5, Pupil);
    const Bgra speck = image.Get(60, 5);
    ASSERT_TRUE(Reduce(image, RECT{0, 0, 120, 50}, 0.8f));
    EXPECT_LT(image.Get(30, 25).r, 50);
    EXPECT_LT(image.Get(90, 25).r, 50);
    EXPECT_EQ(image.Get(60, 5), speck);
}

TEST(RedeyeReductTest, RedShapesThatAreNoPupilsStayInARectangleAroundTheFace)
{
    TestImage image(160, 120, 24);
    image.Fill(Skin);
    const Bgra lips{70, 60, 190, 77};
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x) {
            if (std::hypot(x - 50, y - 40) <= 6.0 || std::hypot(x - 110, y - 40) <= 6.0) image.Set(x, y, Pupil);
            if (std::hypot((x - 80) / 30.0, (y - 95) / 8.0) <= 1.0) image.Set(x, y, lips);  // far larger than a pupil
            if (y == 15 && x >= 40 && x < 120) image.Set(x, y, Pupil);  // a thin red line
        }
    const TestImage before = image;
    ASSERT_TRUE(Reduce(image, RECT{0, 0, 160, 120}, 0.5f));
    EXPECT_LT(image.Get(50, 42).r, 50);
    EXPECT_LT(image.Get(110, 42).r, 50);
    for (const auto& [x, y] : {std::pair{80, 95}, {60, 95}, {60, 15}, {80, 60}})
        EXPECT_EQ(image.Get(x, y), before.Get(x, y)) << x << "," << y;  // the lips, the line, the skin
}

TEST(RedeyeReductTest, NoRedMeansNoChange)
{
    TestImage image = RandomImage(30, 20, 24, 4);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) {
            Bgra p = image.Get(x, y);
            p.r = std::min(p.r, p.g);
            image.Set(x, y, p);
        }
    const TestImage before = image;
    ASSERT_TRUE(Reduce(image, RECT{0, 0, 30, 20}, 1.0f));
    EXPECT_EQ(image.pixels, before.pixels);
}

TEST(RedeyeReductTest, BadArgumentsAreRefusedWithoutChange)
{
    const TestImage good = Eye(40, 40, 24, 20, 20);
    for (float amount : {-0.01f, 1.01f, std::nanf(""), INFINITY}) {
        TestImage image = good;
        EXPECT_FALSE(Reduce(image, RECT{0, 0, 40, 40}, amount)) << amount;
        EXPECT_EQ(image.pixels, good.pixels);
    }
    TestImage shortVector = good;
    shortVector.pixels.resize(10);
    EXPECT_FALSE(Reduce(shortVector, RECT{0, 0, 40, 40}, 0.5f));
    TestImage eightBits = good;
    eightBits.header.bmiHeader.biBitCount = 8;
    EXPECT_FALSE(Reduce(eightBits, RECT{0, 0, 40, 40}, 0.5f));
    EXPECT_EQ(eightBits.pixels, good.pixels);
}

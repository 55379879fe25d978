// FixRotate and Flip: what the picture looks like on screen afterwards, exact
// agreement with a naive reference, inverse pairs and refused arguments.

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "TinctorTestImage.h"

using namespace ImageProcess;
using TinctorTest::Bgra;
using TinctorTest::RandomImage;
using TinctorTest::TestImage;

namespace {

// On-screen definition: a clockwise turn moves picture pixel (x, top) to
// (H - 1 - top, x); a counter-clockwise one to (top, W - 1 - x).
TestImage NaiveTurn(const TestImage& src, bool clockwise)
{
    TestImage dst(src.Height(), src.Width(), src.Bpp() * 8);
    for (int top = 0; top < src.Height(); ++top)
        for (int x = 0; x < src.Width(); ++x) {
            if (clockwise)
                dst.Set(src.Height() - 1 - top, x, src.Get(x, top));
            else
                dst.Set(top, src.Width() - 1 - x, src.Get(x, top));
        }
    return dst;
}

TestImage NaiveFlip(const TestImage& src, bool vertical)
{
    TestImage dst(src.Width(), src.Height(), src.Bpp() * 8);
    for (int top = 0; top < src.Height(); ++top)
        for (int x = 0; x < src.Width(); ++x) {
            if (vertical)
                dst.Set(x, src.Height() - 1 - top, src.Get(x, top));
            else
                dst.Set(src.Width() - 1 - x, top, src.Get(x, top));
        }
    return dst;
}

// Picture of 2 columns and 3 rows, top row first: A B / C D / E F.
TestImage TwoByThree(int bits)
{
    TestImage img(2, 3, bits);
    const char names[3][2] = {{'A', 'B'}, {'C', 'D'}, {'E', 'F'}};
    for (int top = 0; top < 3; ++top)
        for (int x = 0; x < 2; ++x) img.Set(x, top, {static_cast<unsigned char>(names[top][x]), 1, 2, 3});
    return img;
}

char Name(const TestImage& img, int x, int top)
{
    return static_cast<char>(img.Get(x, top).b);
}

class RotationDepth : public ::testing::TestWithParam<int> {};

} // namespace

TEST_P(RotationDepth, ClockwiseModeLooksClockwiseOnScreen)
{
    TestImage img = TwoByThree(GetParam());
    img.header.bmiHeader.biXPelsPerMeter = 100;
    img.header.bmiHeader.biYPelsPerMeter = 200;
    ASSERT_TRUE(FixRotate(img.pixels, img.header, FIXROTATE_CLOCKWISE, nullptr));
    // Turned clockwise the left column (A C E) becomes the top row, read E C A.
    ASSERT_EQ(img.Width(), 3);
    ASSERT_EQ(img.Height(), 2);
    EXPECT_EQ(img.header.bmiHeader.biSizeImage, img.Stride() * 2);
    EXPECT_EQ(img.pixels.size(), img.Stride() * 2);
    EXPECT_EQ(img.header.bmiHeader.biXPelsPerMeter, 200);
    const std::string top = {Name(img, 0, 0), Name(img, 1, 0), Name(img, 2, 0)};
    const std::string bottom = {Name(img, 0, 1), Name(img, 1, 1), Name(img, 2, 1)};
    EXPECT_EQ(top, "ECA");
    EXPECT_EQ(bottom, "FDB");
}

TEST_P(RotationDepth, CounterClockwiseModeAndInverses)
{
    const TestImage original = TwoByThree(GetParam());
    TestImage img = original;
    ASSERT_TRUE(FixRotate(img.pixels, img.header, FIXROTATE_COUNTERCLOCKWISE, nullptr));
    const std::string top = {Name(img, 0, 0), Name(img, 1, 0), Name(img, 2, 0)};
    const std::string bottom = {Name(img, 0, 1), Name(img, 1, 1), Name(img, 2, 1)};
    EXPECT_EQ(top, "BDF");
    EXPECT_EQ(bottom, "ACE");
    ASSERT_TRUE(FixRotate(img.pixels, img.header, FIXROTATE_CLOCKWISE, nullptr));
    EXPECT_EQ(img.pixels, original.pixels);
    EXPECT_EQ(0, std::memcmp(&img.header, &original.header, sizeof(BITMAPINFO)));
}

TEST_P(RotationDepth, MatchesNaiveReferenceOnRandomSizes)
{
    std::mt19937 rng(GetParam());
    for (int round = 0; round < 25; ++round) {
        // Odd widths, and widths whose 24-bit rows have no padding at all.
        const int w = round % 2 == 0 ? 1 + 2 * static_cast<int>(rng() % 60) : 4 * (1 + static_cast<int>(rng() % 30));
        const int h = 1 + static_cast<int>(rng() % 90);
        const TestImage original = RandomImage(w, h, GetParam(), rng());
        for (bool clockwise : {true, false}) {
            TestImage img = original;
            ASSERT_TRUE(FixRotate(img.pixels, img.header, clockwise ? 1 : 2, nullptr));
            const TestImage expected = NaiveTurn(original, clockwise);
            ASSERT_EQ(img.pixels, expected.pixels) << w << "x" << h << " clockwise " << clockwise;
        }
        for (bool vertical : {true, false}) {
            TestImage img = original;
            ASSERT_TRUE(Flip(img.pixels, img.header, vertical, nullptr));
            ASSERT_EQ(img.pixels, NaiveFlip(original, vertical).pixels) << w << "x" << h << " vertical " << vertical;
        }
    }
}

TEST_P(RotationDepth, FourQuarterTurnsAndTwoFlipsGiveTheOriginalBytes)
{
    const TestImage original = RandomImage(1001, 67, GetParam(), 7);
    for (int mode : {FIXROTATE_CLOCKWISE, FIXROTATE_COUNTERCLOCKWISE}) {
        TestImage img = original;
        for (int i = 0; i < 4; ++i) ASSERT_TRUE(FixRotate(img.pixels, img.header, mode, nullptr));
        EXPECT_EQ(img.pixels, original.pixels);
    }
    for (bool vertical : {true, false}) {
        TestImage img = original;
        ASSERT_TRUE(Flip(img.pixels, img.header, vertical, nullptr));
        EXPECT_NE(img.pixels, original.pixels);
        ASSERT_TRUE(Flip(img.pixels, img.header, vertical, nullptr));
        EXPECT_EQ(img.pixels, original.pixels);
    }
}

TEST_P(RotationDepth, FlipDirectionsOnScreen)
{
    TestImage img = TwoByThree(GetParam());
    ASSERT_TRUE(Flip(img.pixels, img.header, true, nullptr));  // upside down
    EXPECT_EQ(std::string({Name(img, 0, 0), Name(img, 1, 0)}), "EF");
    EXPECT_EQ(std::string({Name(img, 0, 2), Name(img, 1, 2)}), "AB");
    ASSERT_TRUE(Flip(img.pixels, img.header, false, nullptr));  // left to right
    EXPECT_EQ(std::string({Name(img, 0, 0), Name(img, 1, 0)}), "FE");
}

INSTANTIATE_TEST_SUITE_P(Depths, RotationDepth, ::testing::Values(24, 32));

TEST(Rotation, RefusesBadArgumentsAndLeavesTheImage)
{
    const TestImage original = RandomImage(5, 4, 24, 3);
    auto refused = [&](auto change, int mode) {
        TestImage img = original;
        change(img);
        const TestImage before = img;
        EXPECT_FALSE(FixRotate(img.pixels, img.header, mode, nullptr));
        EXPECT_FALSE(mode == 1 && Flip(img.pixels, img.header, true, nullptr));
        EXPECT_EQ(img.pixels, before.pixels);
        EXPECT_EQ(0, std::memcmp(&img.header, &before.header, sizeof(BITMAPINFO)));
    };
    refused([](TestImage&) {}, 0);
    refused([](TestImage&) {}, 3);
    refused([](TestImage& i) { i.header.bmiHeader.biBitCount = 16; }, 1);
    refused([](TestImage& i) { i.pixels.pop_back(); }, 1);
    refused([](TestImage& i) { i.header.bmiHeader.biSizeImage += 4; }, 1);
    refused([](TestImage& i) { i.header.bmiHeader.biWidth = -5; }, 1);
    refused([](TestImage& i) { i.header.bmiHeader.biHeight = -4; }, 1);
    refused([](TestImage& i) { i.pixels.clear(); }, 1);
}

TEST(Rotation, ProgressRunsUpToTheTotal)
{
    static std::vector<std::pair<unsigned, unsigned>> calls;
    calls.clear();
    TestImage img = RandomImage(300, 200, 32, 1);
    ASSERT_TRUE(FixRotate(img.pixels, img.header, 1, [](unsigned d, unsigned t) { calls.emplace_back(d, t); }));
    ASSERT_FALSE(calls.empty());
    for (std::size_t i = 1; i < calls.size(); ++i) EXPECT_GE(calls[i].first, calls[i - 1].first);
    EXPECT_EQ(calls.back().first, calls.back().second);
}

TEST(Rotation, ASmallImageTurnedAfterALargeOneStaysSmall)
{
    // The library reuses memory between turns; a small picture must not come
    // back holding the large picture's buffer.
    TestImage large(1500, 1000, 32);
    ASSERT_TRUE(FixRotate(large.pixels, large.header, FIXROTATE_CLOCKWISE, nullptr));
    TestImage small = RandomImage(3, 2, 24, 1);
    ASSERT_TRUE(FixRotate(small.pixels, small.header, FIXROTATE_CLOCKWISE, nullptr));
    EXPECT_LT(small.pixels.capacity(), std::size_t{2} << 20);
    ASSERT_TRUE(FixRotate(large.pixels, large.header, FIXROTATE_COUNTERCLOCKWISE, nullptr));
    EXPECT_EQ(large.pixels.size(), large.header.bmiHeader.biSizeImage);
}

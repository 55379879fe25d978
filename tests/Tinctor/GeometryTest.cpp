// FreeRotate, Resize and Crop: new canvas sizes, orientation on screen, exact
// right-angle and crop results, fill colours and refused arguments.

#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include "TinctorTestImage.h"

using namespace ImageProcess;
using TinctorTest::Bgra;
using TinctorTest::RandomImage;
using TinctorTest::Tag;
using TinctorTest::TestImage;

namespace {

bool SameHeader(const BITMAPINFO& a, const BITMAPINFO& b)
{
    return std::memcmp(&a, &b, sizeof(BITMAPINFO)) == 0;
}

// Picture with a red top half and a blue bottom half, a green left column.
TestImage Halves(int w, int h, int bits)
{
    TestImage img(w, h, bits);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.Set(x, y, y < h / 2 ? Bgra{0, 0, 255} : Bgra{255, 0, 0});
    return img;
}

} // namespace

TEST(FreeRotate, RightAnglesAreExactTurns)
{
    for (int bits : {24, 32}) {
        const TestImage src = RandomImage(7, 5, bits, 11);
        for (double angle : {90.0, -270.0, 180.0, 270.0, 0.0, 720.0}) {
            TestImage out;
            ASSERT_TRUE(FreeRotate(src.pixels, src.header, out.pixels, out.header, angle, 0, nullptr));
            TestImage expected = src;
            const double d = std::fmod(std::fmod(angle, 360.0) + 360.0, 360.0);
            for (int quarter = 0; quarter < static_cast<int>(d / 90.0); ++quarter)
                ASSERT_TRUE(FixRotate(expected.pixels, expected.header, FIXROTATE_CLOCKWISE, nullptr));
            EXPECT_EQ(out.Width(), expected.Width()) << angle;
            EXPECT_EQ(out.pixels, expected.pixels) << angle;
        }
    }
}

TEST(FreeRotate, GrowsTheCanvasAndFillsTheCorners)
{
    for (int bits : {24, 32}) {
        TestImage src(40, 20, bits);
        src.Fill({10, 20, 30, 40});
        TestImage out;
        ASSERT_TRUE(FreeRotate(src.pixels, src.header, out.pixels, out.header, 30.0, RGB(200, 100, 50), nullptr));
        const double c = std::cos(M_PI / 6), s = std::sin(M_PI / 6);
        EXPECT_EQ(out.Width(), static_cast<int>(std::ceil(40 * c + 20 * s)));
        EXPECT_EQ(out.Height(), static_cast<int>(std::ceil(40 * s + 20 * c)));
        EXPECT_EQ(out.header.bmiHeader.biBitCount, bits);
        EXPECT_EQ(out.pixels.size(), out.header.bmiHeader.biSizeImage);
        EXPECT_EQ(out.Get(0, 0), (Bgra{50, 100, 200, 255}));
        EXPECT_EQ(out.Get(out.Width() - 1, out.Height() - 1), (Bgra{50, 100, 200, 255}));
        const Bgra centre = out.Get(out.Width() / 2, out.Height() / 2);
        EXPECT_EQ(centre.b, 10);
        EXPECT_EQ(centre.r, 30);
    }
}

TEST(FreeRotate, PositiveAnglesTurnClockwiseOnScreen)
{
    // Turned clockwise, the horizontal border between the red top half and
    // the blue bottom half drops towards the right.
    const TestImage src = Halves(60, 60, 24);
    TestImage out;
    ASSERT_TRUE(FreeRotate(src.pixels, src.header, out.pixels, out.header, 10.0, RGB(0, 0, 0), nullptr));
    auto lastRedRow = [&](int x) {
        int last = -1;
        for (int y = 0; y < out.Height(); ++y)
            if (out.Get(x, y).r > 128) last = y;
        return last;
    };
    EXPECT_LT(lastRedRow(out.Width() / 2 - 20) + 5, lastRedRow(out.Width() / 2 + 20));
}

TEST(FreeRotate, OutputMayBeTheSourceAndFailuresLeaveItAlone)
{
    TestImage img = RandomImage(9, 6, 24, 5);
    TestImage expected = img;
    ASSERT_TRUE(FixRotate(expected.pixels, expected.header, FIXROTATE_COUNTERCLOCKWISE, nullptr));
    ASSERT_TRUE(FreeRotate(img.pixels, img.header, img.pixels, img.header, -90.0, 0, nullptr));
    EXPECT_EQ(img.pixels, expected.pixels);
    EXPECT_TRUE(SameHeader(img.header, expected.header));

    TestImage out = RandomImage(3, 3, 32, 1);
    const TestImage before = out;
    EXPECT_FALSE(FreeRotate(img.pixels, img.header, out.pixels, out.header, std::nan(""), 0, nullptr));
    EXPECT_FALSE(FreeRotate(img.pixels, img.header, out.pixels, out.header, INFINITY, 0, nullptr));
    img.header.bmiHeader.biBitCount = 16;
    EXPECT_FALSE(FreeRotate(img.pixels, img.header, out.pixels, out.header, 10.0, 0, nullptr));
    EXPECT_EQ(out.pixels, before.pixels);
    EXPECT_TRUE(SameHeader(out.header, before.header));
}

TEST(Resize, NearestReplicatesPixelsInPictureOrder)
{
    for (int bits : {24, 32}) {
        TestImage src(3, 2, bits);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) src.Set(x, y, Tag(x, y));
        TestImage out;
        ASSERT_TRUE(Resize(src.pixels, src.header, out.pixels, out.header, 6, 4, RESIZE_NEAREST, nullptr));
        ASSERT_EQ(out.Width(), 6);
        ASSERT_EQ(out.Height(), 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x) EXPECT_EQ(out.Get(x, y), src.Get(x / 2, y / 2)) << x << "," << y;
    }
}

TEST(Resize, EveryFilterKeepsFlatColourAndOrientation)
{
    for (auto algorithm : {RESIZE_NEAREST, RESIZE_BILINEAR, RESIZE_BICUBIC, RESIZE_LANCZOS}) {
        for (int bits : {24, 32}) {
            const TestImage src = Halves(40, 40, bits);
            TestImage out;
            ASSERT_TRUE(Resize(src.pixels, src.header, out.pixels, out.header, 13, 9, algorithm, nullptr));
            EXPECT_EQ(out.Get(6, 0), (Bgra{0, 0, 255})) << algorithm;
            EXPECT_EQ(out.Get(6, 8), (Bgra{255, 0, 0})) << algorithm;
        }
    }
}

TEST(Resize, RefusesBadSizesAndAlgorithms)
{
    TestImage src = RandomImage(4, 4, 24, 2);
    TestImage out = RandomImage(2, 2, 24, 3);
    const TestImage before = out;
    EXPECT_FALSE(Resize(src.pixels, src.header, out.pixels, out.header, 0, 5, RESIZE_BILINEAR, nullptr));
    EXPECT_FALSE(Resize(src.pixels, src.header, out.pixels, out.header, 5, -1, RESIZE_BILINEAR, nullptr));
    EXPECT_FALSE(Resize(src.pixels, src.header, out.pixels, out.header, 100000, 100000, RESIZE_BILINEAR, nullptr));
    EXPECT_FALSE(Resize(src.pixels, src.header, out.pixels, out.header, 5, 5, static_cast<RESIZE_ALGORITHM>(9), nullptr));
    EXPECT_EQ(out.pixels, before.pixels);
}

TEST(Crop, CutsTheRectangleOrTheMaskBox)
{
    for (int bits : {24, 32}) {
        TestImage src(7, 5, bits);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x) src.Set(x, y, Tag(x, y));
        PROCESS_REGION region;
        region.rect = {2, 1, 5, 4};
        TestImage out;
        ASSERT_TRUE(Crop(src.pixels, src.header, out.pixels, out.header, region, nullptr));
        ASSERT_EQ(out.Width(), 3);
        ASSERT_EQ(out.Height(), 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x) EXPECT_EQ(out.Get(x, y), src.Get(x + 2, y + 1));

        // Only a mask: its non-zero bytes (row 0 at the top) give the box.
        region.rect = {};
        region.mask.assign(7 * 5, 0);
        region.mask[1 * 7 + 4] = 9;
        region.mask[3 * 7 + 5] = 255;
        ASSERT_TRUE(Crop(src.pixels, src.header, out.pixels, out.header, region, nullptr));
        ASSERT_EQ(out.Width(), 2);
        ASSERT_EQ(out.Height(), 3);
        EXPECT_EQ(out.Get(0, 0), src.Get(4, 1));
        EXPECT_EQ(out.Get(1, 2), src.Get(5, 3));
    }
}

TEST(Crop, ClipsToTheImageAndRefusesAnEmptyBox)
{
    TestImage src = RandomImage(6, 6, 24, 4);
    PROCESS_REGION region;
    region.rect = {-3, 4, 2, 20};
    TestImage out;
    ASSERT_TRUE(Crop(src.pixels, src.header, out.pixels, out.header, region, nullptr));
    EXPECT_EQ(out.Width(), 2);
    EXPECT_EQ(out.Height(), 2);
    EXPECT_EQ(out.Get(1, 1), src.Get(1, 5));

    const TestImage before = out;
    region.rect = {10, 10, 20, 20};
    EXPECT_FALSE(Crop(src.pixels, src.header, out.pixels, out.header, region, nullptr));
    region.rect = {};
    region.mask.assign(36, 0);
    EXPECT_FALSE(Crop(src.pixels, src.header, out.pixels, out.header, region, nullptr));
    region.mask.assign(35, 1);
    EXPECT_FALSE(Crop(src.pixels, src.header, out.pixels, out.header, region, nullptr));
    EXPECT_EQ(out.pixels, before.pixels);

    region = {};  // whole image, in place
    TestImage same = src;
    ASSERT_TRUE(Crop(same.pixels, same.header, same.pixels, same.header, region, nullptr));
    EXPECT_EQ(same.pixels, src.pixels);
}

// CreateMask, FeatheringRegion and BitBlt: pen weights, feathered edges and
// block transfers with clipping, weights and both combine modes.

#include <cmath>
#include <cstdint>

#include <gtest/gtest.h>

#include "TinctorTestImage.h"

using namespace ImageProcess;
using TinctorTest::Bgra;
using TinctorTest::RandomImage;
using TinctorTest::Tag;
using TinctorTest::TestImage;

namespace {

std::int32_t At(const std::vector<std::int32_t>& m, int size, int x, int y)
{
    return m[static_cast<std::size_t>(y) * size + x];
}

// A weight mask of w x h with values given in picture rows (top first).
struct WeightMask {
    std::vector<std::int32_t> values;
    BITMAPINFO header{};
    int w, h;
    WeightMask(int width, int height) : values(width * height, 0), w(width), h(height)
    {
        header.bmiHeader = {sizeof(BITMAPINFO), width, height, 1, 32, BI_RGB, static_cast<DWORD>(width * height), 0, 0, 0, 0};
    }
    std::int32_t& operator()(int x, int top) { return values[(h - 1 - top) * w + x]; }
};

bool Stamp(WeightMask& dst, POINT at, const WeightMask& src, emBitBltFlag mode)
{
    return BitBlt(true, dst.values, dst.header, at, src.values, src.header, {0, 0}, src.w, src.h, mode, nullptr, 0,
                  nullptr, true);
}

bool Copy(TestImage& dst, POINT at, const TestImage& src, POINT from, int w, int h, const std::int32_t* weights = nullptr,
          std::size_t count = 0, bool clip = true)
{
    return BitBlt(false, dst.pixels, dst.header, at, src.pixels, src.header, from, w, h, BITBLT_COPY, weights, count,
                  nullptr, clip);
}

TestImage Tagged(int w, int h, int bits)
{
    TestImage img(w, h, bits);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.Set(x, y, Tag(x, y));
    return img;
}

} // namespace

TEST(CreateMask, RoundPenWeightsAndHeader)
{
    std::vector<std::int32_t> hard;
    BITMAPINFO header{};
    ASSERT_TRUE(CreateMask(hard, header, MASK_TYPE_ROUND, 5, 1.0f));
    ASSERT_EQ(hard.size(), 25u);
    EXPECT_EQ(header.bmiHeader.biWidth, 5);
    EXPECT_EQ(header.bmiHeader.biHeight, 5);
    EXPECT_EQ(header.bmiHeader.biBitCount, 32);
    EXPECT_EQ(header.bmiHeader.biSizeImage, 25u);
    EXPECT_EQ(At(hard, 5, 0, 0), 0);  // corners lie outside the disk
    EXPECT_EQ(At(hard, 5, 0, 2), MASK_WEIGHT_FULL);
    EXPECT_EQ(At(hard, 5, 1, 0), MASK_WEIGHT_FULL);

    std::vector<std::int32_t> soft, softer;
    ASSERT_TRUE(CreateMask(soft, header, MASK_TYPE_ROUND, 21, 0.5f));
    ASSERT_TRUE(CreateMask(softer, header, MASK_TYPE_ROUND, 21, 0.0f));
    EXPECT_EQ(At(soft, 21, 10, 10), MASK_WEIGHT_FULL);
    for (int x = 11; x < 21; ++x) {
        EXPECT_LE(At(soft, 21, x, 10), At(soft, 21, x - 1, 10));  // falls off toward the rim
        EXPECT_LE(At(softer, 21, x, 10), At(soft, 21, x, 10));    // more gently when softer
    }
    EXPECT_LT(At(softer, 21, 16, 10), At(soft, 21, 16, 10));
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 21; ++x) {
            ASSERT_EQ(At(soft, 21, x, y), At(soft, 21, y, x));
            ASSERT_EQ(At(soft, 21, x, y), At(soft, 21, 20 - x, y));
            if (std::hypot(x - 10, y - 10) >= 10.5) {
                ASSERT_EQ(At(soft, 21, x, y), 0);
            }
        }

    ASSERT_TRUE(CreateMask(hard, header, MASK_TYPE_ROUND, 1, 0.3f));
    EXPECT_EQ(hard, std::vector<std::int32_t>{MASK_WEIGHT_FULL});
    EXPECT_FALSE(CreateMask(hard, header, MASK_TYPE_ROUND, 0, 1.0f));
    EXPECT_FALSE(CreateMask(hard, header, MASK_TYPE_ROUND, 4097, 1.0f));
    EXPECT_FALSE(CreateMask(hard, header, MASK_TYPE_ROUND, 3, 1.5f));
    EXPECT_FALSE(CreateMask(hard, header, MASK_TYPE_ROUND, 3, std::nanf("")));
    EXPECT_FALSE(CreateMask(hard, header, static_cast<emMaskType>(1), 3, 1.0f));
    EXPECT_EQ(hard.size(), 1u);
}

TEST(FeatheringRegion, SoftensTheEdgeInsideTheBox)
{
    std::vector<unsigned char> mask(10 * 10, 0);
    for (int y = 2; y < 8; ++y)
        for (int x = 2; x < 8; ++x) mask[y * 10 + x] = 255;
    const RECT box{2, 2, 8, 8};
    ASSERT_TRUE(FeatheringRegion(mask, box, 2, 10, 10, nullptr, true));
    EXPECT_EQ(mask[5 * 10 + 2], 85);   // on the edge: 1 / 3
    EXPECT_EQ(mask[5 * 10 + 3], 170);  // one inside: 2 / 3
    EXPECT_EQ(mask[5 * 10 + 4], 255);
    EXPECT_EQ(mask[2 * 10 + 2], 85);
    EXPECT_EQ(mask[5 * 10 + 1], 0);

    // Only bytes inside the box change.
    std::vector<unsigned char> partial(10 * 10, 0);
    for (int x = 2; x < 8; ++x) partial[5 * 10 + x] = 255;
    ASSERT_TRUE(FeatheringRegion(partial, RECT{5, 0, 10, 10}, 3, 10, 10, nullptr, true));
    EXPECT_EQ(partial[5 * 10 + 2], 255);
    EXPECT_EQ(partial[5 * 10 + 7], 64);
}

TEST(FeatheringRegion, KeepsTinyAndFullSelections)
{
    std::vector<unsigned char> dot(9, 0);
    dot[4] = 255;
    ASSERT_TRUE(FeatheringRegion(dot, RECT{1, 1, 2, 2}, 10, 3, 3, nullptr, true));
    EXPECT_EQ(dot[4], 23);  // 255 / 11, never 0

    std::vector<unsigned char> all(7 * 5, 255);
    ASSERT_TRUE(FeatheringRegion(all, RECT{0, 0, 7, 5}, 4, 7, 5, nullptr, true));
    EXPECT_EQ(all, std::vector<unsigned char>(7 * 5, 255));  // the picture's border is no edge

    std::vector<unsigned char> m(4, 255);
    EXPECT_TRUE(FeatheringRegion(m, RECT{0, 0, 2, 2}, 0, 2, 2, nullptr, true));
    EXPECT_FALSE(FeatheringRegion(m, RECT{0, 0, 2, 2}, -1, 2, 2, nullptr, true));
    EXPECT_FALSE(FeatheringRegion(m, RECT{0, 0, 2, 2}, 1, 3, 2, nullptr, true));
    EXPECT_FALSE(FeatheringRegion(m, RECT{0, 0, 2, 2}, 1, 0, 0, nullptr, true));
    EXPECT_FALSE(FeatheringRegion(m, RECT{-1, 0, 2, 2}, 1, 2, 2, nullptr, false));
    EXPECT_EQ(m, std::vector<unsigned char>(4, 255));
}

TEST(BitBlt, CopiesBlocksInPictureCoordinatesWithClipping)
{
    for (int bits : {24, 32}) {
        const TestImage src = Tagged(4, 3, bits);
        TestImage dst(5, 4, bits);
        ASSERT_TRUE(Copy(dst, {3, 2}, src, {1, 1}, 2, 2));
        EXPECT_EQ(dst.Get(3, 2), src.Get(1, 1));
        EXPECT_EQ(dst.Get(4, 3), src.Get(2, 2));
        EXPECT_EQ(dst.Get(2, 2), Bgra({0, 0, 0, static_cast<unsigned char>(bits == 32 ? 0 : 255)}));

        TestImage clipped(5, 4, bits);
        ASSERT_TRUE(Copy(clipped, {-1, -1}, src, {0, 0}, 3, 3));  // over the destination's corner
        EXPECT_EQ(clipped.Get(0, 0), src.Get(1, 1));
        EXPECT_EQ(clipped.Get(1, 1), src.Get(2, 2));
        ASSERT_TRUE(Copy(clipped, {3, 3}, src, {3, 2}, 3, 3));  // past the source's corner
        EXPECT_EQ(clipped.Get(3, 3), src.Get(3, 2));
        EXPECT_TRUE(Copy(clipped, {9, 9}, src, {0, 0}, 2, 2));  // wholly outside
        EXPECT_FALSE(Copy(clipped, {-1, 0}, src, {0, 0}, 2, 2, nullptr, 0, false));
        EXPECT_TRUE(Copy(clipped, {0, 0}, src, {0, 0}, 2, 2, nullptr, 0, false));
        EXPECT_FALSE(Copy(clipped, {0, 0}, src, {0, 0}, -1, 2));
    }
}

TEST(BitBlt, ABlockStartingBeforeTheSourceTakesOnlyTheSourcesPixels)
{
    // A brush at the image's top-left edge asks for a block from (-2, -1):
    // only the part inside the source is copied (ASan catches a read before it).
    for (int bits : {24, 32}) {
        const TestImage src = Tagged(4, 3, bits);
        TestImage dst(5, 4, bits);
        const Bgra untouched{9, 9, 9, static_cast<unsigned char>(bits == 32 ? 9 : 255)};
        dst.Fill(untouched);
        ASSERT_TRUE(Copy(dst, {0, 0}, src, {-2, -1}, 4, 3));
        EXPECT_EQ(dst.Get(2, 1), src.Get(0, 0));
        EXPECT_EQ(dst.Get(3, 2), src.Get(1, 1));
        EXPECT_EQ(dst.Get(1, 1), untouched);
        EXPECT_EQ(dst.Get(2, 0), untouched);
    }
}

TEST(BitBlt, WeightsAreIndexedBySourcePixelBottomUp)
{
    TestImage src(2, 2, 24);
    src.Fill({200, 200, 200});
    TestImage dst(2, 2, 24);
    dst.Fill({100, 100, 100});
    // Source picture (x, top) at index (1 - top) * 2 + x.
    const std::int32_t weights[4] = {128, 300, 0, 255};  // (0,1) (1,1) (0,0) (1,0)
    ASSERT_TRUE(Copy(dst, {0, 0}, src, {0, 0}, 2, 2, weights, 4));
    EXPECT_EQ(dst.Get(0, 0).r, 100);  // weight 0: unchanged
    EXPECT_EQ(dst.Get(1, 0).r, 200);  // full
    EXPECT_EQ(dst.Get(0, 1).r, (100 * 127 + 200 * 128 + 127) / 255);
    EXPECT_EQ(dst.Get(1, 1).r, 200);  // clamped to full
    EXPECT_FALSE(Copy(dst, {0, 0}, src, {0, 0}, 2, 2, weights, 3));
}

TEST(BitBlt, BlockHeadersCopiedFromALargerImageAreAccepted)
{
    // The dodge-and-burn brush saves its dirty rectangle into a block whose
    // header is the image's header with only width and height changed.
    const TestImage image = Tagged(8, 6, 24);
    TestImage block(3, 2, 24);
    block.header.bmiHeader.biSizeImage = image.header.bmiHeader.biSizeImage;
    ASSERT_TRUE(Copy(block, {0, 0}, image, {4, 3}, 3, 2));
    EXPECT_EQ(block.Get(2, 1), image.Get(6, 4));
    TestImage back = image;
    back.Fill({});
    ASSERT_TRUE(Copy(back, {4, 3}, block, {0, 0}, 3, 2));
    EXPECT_EQ(back.Get(6, 4), image.Get(6, 4));
    block.pixels.pop_back();
    EXPECT_FALSE(Copy(back, {0, 0}, block, {0, 0}, 1, 1));
}

TEST(BitBlt, RefusesMismatchedImagesAndModes)
{
    const TestImage src = Tagged(3, 3, 24);
    TestImage dst(3, 3, 32);
    const TestImage before = dst;
    EXPECT_FALSE(Copy(dst, {0, 0}, src, {0, 0}, 2, 2));  // depths differ
    EXPECT_FALSE(BitBlt(true, dst.pixels, dst.header, {0, 0}, dst.pixels, dst.header, {0, 0}, 1, 1, BITBLT_COPY,
                        nullptr, 0, nullptr, true));
    EXPECT_FALSE(BitBlt(false, dst.pixels, dst.header, {0, 0}, dst.pixels, dst.header, {0, 0}, 1, 1,
                        BITBLT_MERGE_MASK, nullptr, 0, nullptr, true));
    EXPECT_EQ(dst.pixels, before.pixels);
}

TEST(BitBlt, OverlappingBlocksOfOneImage)
{
    for (int bits : {24, 32}) {
        const TestImage original = RandomImage(9, 7, bits, 5);
        for (POINT to : {POINT{1, 1}, POINT{-1, 2}, POINT{0, -1}}) {
            TestImage img = original;
            TestImage expected = original;
            ASSERT_TRUE(Copy(expected, to, original, {0, 0}, 9, 7));
            ASSERT_TRUE(Copy(img, to, img, {0, 0}, 9, 7));
            EXPECT_EQ(img.pixels, expected.pixels);
        }
    }
}

TEST(BitBlt, StampsMergeIntoAWeightMask)
{
    WeightMask stroke(6, 5);
    WeightMask pen(2, 2);
    pen(0, 0) = 10;
    pen(1, 0) = 20;
    pen(0, 1) = 30;
    pen(1, 1) = 40;
    ASSERT_TRUE(Stamp(stroke, {1, 2}, pen, BITBLT_MERGE_MASK));
    EXPECT_EQ(stroke(1, 2), 10);
    EXPECT_EQ(stroke(2, 3), 40);
    EXPECT_EQ(stroke(0, 0), 0);
    WeightMask weak(2, 2);
    weak.values.assign(4, 25);
    ASSERT_TRUE(Stamp(stroke, {1, 2}, weak, BITBLT_MERGE_MASK));  // the stronger weight stays
    EXPECT_EQ(stroke(1, 2), 25);
    EXPECT_EQ(stroke(2, 3), 40);
    ASSERT_TRUE(Stamp(stroke, {5, 4}, pen, BITBLT_MERGE_MASK));  // clipped at the corner
    EXPECT_EQ(stroke(5, 4), 10);
    ASSERT_TRUE(Stamp(stroke, {1, 2}, weak, BITBLT_COPY));
    EXPECT_EQ(stroke(2, 3), 25);

    stroke.values.resize(29);  // shorter than the header says
    EXPECT_FALSE(Stamp(stroke, {0, 0}, pen, BITBLT_MERGE_MASK));
}

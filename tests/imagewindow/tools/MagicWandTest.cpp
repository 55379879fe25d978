// The magic wand's scanline fill against a pixel-by-pixel fill: the same
// pixels and the same box on random pictures of few colours (long, twisted
// areas), odd widths, 24 and 32 bits, every tolerance band.
#include <queue>
#include <random>

#include <gtest/gtest.h>

#include "../ViewTestSupport.h"
#include "imagewindow/tools/MagicWand.h"

using ImageWindow::PixelRows;
using ImageWindow::EmbeddedTool::MagicWandFill;
using ViewTest::TestDib;

namespace {

// 4-connected pixels within the tolerance of the seed, visited one by one.
std::vector<BYTE> ReferenceFill(const PixelRows& rows, POINT seed, int tolerance, RECT& box)
{
    std::vector<BYTE> mask(static_cast<std::size_t>(rows.iWidth) * rows.iHeight, 0);
    auto pixel = [&](int x, int y) { return rows.pTop + y * rows.iStep + x * rows.iBytesPerPixel; };
    const BYTE* ref = pixel(seed.x, seed.y);
    box = {seed.x, seed.y, seed.x, seed.y};
    std::queue<POINT> queue;
    queue.push(seed);
    while (!queue.empty()) {
        const POINT p = queue.front();
        queue.pop();
        if (p.x < 0 || p.y < 0 || p.x >= rows.iWidth || p.y >= rows.iHeight) continue;
        BYTE& m = mask[static_cast<std::size_t>(p.y) * rows.iWidth + p.x];
        const BYTE* c = pixel(p.x, p.y);
        if (m || std::abs(c[0] - ref[0]) > tolerance || std::abs(c[1] - ref[1]) > tolerance ||
            std::abs(c[2] - ref[2]) > tolerance)
            continue;
        m = 255;
        box = {std::min(box.left, p.x), std::min(box.top, p.y), std::max(box.right, p.x + 1),
               std::max(box.bottom, p.y + 1)};
        for (POINT n : {POINT{p.x, p.y - 1}, POINT{p.x + 1, p.y}, POINT{p.x, p.y + 1}, POINT{p.x - 1, p.y}}) queue.push(n);
    }
    return mask;
}

} // namespace

TEST(MagicWandFill, SelectsThePixelsOfAPixelByPixelFill)
{
    std::mt19937 random(7);
    for (int round = 0; round < 60; ++round) {
        const int width = 1 + static_cast<int>(random() % 41), height = 1 + static_cast<int>(random() % 37);
        const int bits = round % 2 ? 32 : 24;
        // Three levels per channel, so areas within a tolerance wind and join.
        TestDib dib(width, height, bits, [&](int, int) {
            return qRgb(static_cast<int>(random() % 3) * 40, 100, static_cast<int>(random() % 2) * 30);
        });
        const PixelRows rows = PixelRows::FromDib(dib.info.bmiHeader, dib.pixels.data());
        const POINT seed{static_cast<LONG>(random() % width), static_cast<LONG>(random() % height)};
        for (int tolerance : {0, 29, 30, 40, 255}) {
            RECT expectedBox{}, box{};
            const std::vector<BYTE> expected = ReferenceFill(rows, seed, tolerance, expectedBox);
            std::vector<BYTE> mask(expected.size(), 0);
            ASSERT_TRUE(MagicWandFill(rows, seed, static_cast<BYTE>(tolerance), mask.data(), box));
            ASSERT_EQ(mask, expected) << "round " << round << " tolerance " << tolerance;
            EXPECT_EQ(CRect(box), CRect(expectedBox));
        }
    }
}

TEST(MagicWandFill, RefusesASeedOutsideThePicture)
{
    TestDib dib(5, 4, 24, [](int, int) { return qRgb(1, 2, 3); });
    const PixelRows rows = PixelRows::FromDib(dib.info.bmiHeader, dib.pixels.data());
    std::vector<BYTE> mask(20, 0);
    RECT box{9, 9, 9, 9};
    for (POINT seed : {POINT{-1, 0}, POINT{5, 0}, POINT{0, 4}, POINT{0, -1}})
        EXPECT_FALSE(MagicWandFill(rows, seed, 255, mask.data(), box));
    EXPECT_EQ(std::count(mask.begin(), mask.end(), 0), 20);
    EXPECT_EQ(box.left, 9);
}

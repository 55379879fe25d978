// The drawing kernel: nearest sampling of pixel centres from bottom-up rows.
#include <random>

#include <gtest/gtest.h>

#include "ViewTestSupport.h"
#include "imagewindow/DibScaler.h"

using namespace ViewTest;
using namespace ImageWindow;

namespace {

// Reference: the source pixel whose span holds the target pixel's centre.
QRgb Expected(int x, int y, const RECT& dest, const RECT& src)
{
    const double fx = (x - dest.left + 0.5) * (src.right - src.left) / (dest.right - dest.left);
    const double fy = (y - dest.top + 0.5) * (src.bottom - src.top) / (dest.bottom - dest.top);
    return Pattern(src.left + static_cast<int>(fx), src.top + static_cast<int>(fy));
}

} // namespace

TEST(DibScaler, StretchesAnyPartOntoAnyRectangleSamplingPixelCentres)
{
    std::mt19937 random(7);
    for (int round = 0; round < 40; ++round) {
        const int width = 1 + random() % 90, height = 1 + random() % 70;
        const int bits = round % 2 ? 24 : 32;
        TestDib dib(width, height, bits, Pattern);
        const int sl = random() % width, st = random() % height;
        const RECT src{sl, st, sl + 1 + static_cast<LONG>(random() % (width - sl)),
                       st + 1 + static_cast<LONG>(random() % (height - st))};
        // Up to 1.9 times smaller than the source (no reduced copy) or larger.
        const int dw = std::max<int>(1, (src.right - src.left) * (55 + random() % 300) / 100);
        const int dh = std::max<int>(1, (src.bottom - src.top) * (55 + random() % 300) / 100);
        const RECT dest{-5 + static_cast<LONG>(random() % 20), -5 + static_cast<LONG>(random() % 20), 0, 0};
        const RECT d{dest.left, dest.top, dest.left + dw, dest.top + dh};
        QImage target(120, 100, QImage::Format_RGB32);
        target.fill(Qt::magenta);
        CDibScaler scaler;
        scaler.SetSource(PixelRows::FromDib(dib.info.bmiHeader, dib.pixels.data()));
        scaler.Draw(target, d, src);
        for (int y = 0; y < target.height(); ++y)
            for (int x = 0; x < target.width(); ++x) {
                const bool inside = x >= d.left && x < d.right && y >= d.top && y < d.bottom;
                const QRgb expected = inside ? Expected(x, y, d, src) : QColor(Qt::magenta).rgb();
                ASSERT_EQ(target.pixel(x, y), expected) << "round " << round << " at " << x << "," << y;
            }
    }
}

TEST(DibScaler, UnscaledRowsAreCopiedExactlyAndClipped)
{
    for (int bits : {24, 32}) {
        TestDib dib(37, 29, bits, Pattern);
        CDibScaler scaler;
        scaler.SetSource(PixelRows::FromDib(dib.info.bmiHeader, dib.pixels.data()));
        QImage target(30, 20, QImage::Format_RGB32);
        const RECT src{5, 3, 37, 29}, dest{-2, -4, 30, 22};  // 32 × 26 both ways, clipped on all sides
        scaler.Draw(target, dest, src);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 30; ++x) ASSERT_EQ(target.pixel(x, y), Pattern(x + 7, y + 7)) << bits << " " << x << "," << y;
    }
}

TEST(DibScaler, RejectsMissingSourcesAndEmptyRectangles)
{
    EXPECT_TRUE(PixelRows::FromDib({40, 4, 4, 1, 8, 0, 16, 0, 0, 0, 0}, reinterpret_cast<const BYTE*>("x")).IsEmpty());
    TestDib dib(4, 4, 24, Pattern);
    EXPECT_TRUE(PixelRows::FromDib(dib.info.bmiHeader, nullptr).IsEmpty());
    QImage target(8, 8, QImage::Format_RGB32);
    target.fill(Qt::black);
    CDibScaler scaler;
    scaler.Draw(target, {0, 0, 8, 8}, {0, 0, 4, 4});  // no source yet
    scaler.SetSource(PixelRows::FromDib(dib.info.bmiHeader, dib.pixels.data()));
    scaler.Draw(target, {0, 0, 0, 8}, {0, 0, 4, 4});
    scaler.Draw(target, {20, 20, 30, 30}, {0, 0, 4, 4});  // wholly outside
    EXPECT_EQ(target.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(target.pixel(7, 7), qRgb(0, 0, 0));
}

TEST(DibScaler, RefreshingChangedPartsMatchesAFreshBuildAndCopiedLevelsDrawTheSame)
{
    std::mt19937 random(11);
    for (int bits : {24, 32}) {
        TestDib dib(203, 141, bits, Pattern);
        const PixelRows rows = PixelRows::FromDib(dib.info.bmiHeader, dib.pixels.data());
        const RECT all{0, 0, 203, 141}, small{0, 0, 13, 9};  // reduced 15 times: four levels deep
        CDibScaler kept;
        kept.SetSource(rows);
        QImage before(13, 9, QImage::Format_RGB32);
        kept.Draw(before, small, all);
        TestDib copy = dib;
        CDibScaler adopted;
        adopted.SetSource(PixelRows::FromDib(copy.info.bmiHeader, copy.pixels.data()));
        adopted.CopyLevelsFrom(kept);
        for (int round = 0; round < 6; ++round) {
            // Paint a random block of both copies, refresh only there.
            const int l = random() % 200, t = random() % 138;
            const RECT changed{l, t, l + 1 + static_cast<LONG>(random() % 40), t + 1 + static_cast<LONG>(random() % 30)};
            for (TestDib* d : {&dib, &copy})
                for (int y = changed.top; y < std::min<LONG>(changed.bottom, 141); ++y)
                    for (int x = changed.left; x < std::min<LONG>(changed.right, 203); ++x)
                        d->pixels[DibStride(203, bits) * (140 - y) + x * (bits / 8)] ^= 0x5A;
            kept.Refresh(changed);
            adopted.Refresh(changed);
        }
        CDibScaler fresh;
        fresh.SetSource(rows);
        QImage expected(13, 9, QImage::Format_RGB32), refreshed(13, 9, QImage::Format_RGB32),
            viaCopy(13, 9, QImage::Format_RGB32);
        fresh.Draw(expected, small, all);
        kept.Draw(refreshed, small, all);
        adopted.Draw(viaCopy, small, all);
        EXPECT_NE(expected, before);  // the changes show at this scale
        EXPECT_EQ(refreshed, expected) << bits;
        EXPECT_EQ(viaCopy, expected) << bits;
    }
}

// The view's cursors: the monochrome planes of every shape and mark, the
// cache, and the Qt cursors made from the planes.
#include <malloc.h>

#include <QBitmap>

#include "ViewTestSupport.h"
#include "imagewindow/CursorPlanes.h"

using namespace ViewTest;
using namespace ImageWindow;

namespace {

using Rows = std::vector<WORD>;

// Planes of a 16 × 16 cursor as sixteen 16-bit rows (bit 15 leftmost).
Rows Rows16(const std::vector<BYTE>& plane)
{
    Rows rows;
    for (std::size_t i = 0; i + 1 < plane.size(); i += 2) rows.push_back(static_cast<WORD>(plane[i] << 8 | plane[i + 1]));
    return rows;
}

const Rows kCrossAnd{0xFEFF, 0xFC7F, 0xFC7F, 0xFC7F, 0xFC7F, 0xFC7F, 0x8003, 0x0101,
                     0x8003, 0xFC7F, 0xFC7F, 0xFC7F, 0xFC7F, 0xFC7F, 0xFEFF, 0xFFFF};
const Rows kCrossXor{0x0100, 0x0280, 0x0280, 0x0280, 0x0280, 0x0280, 0x7EFC, 0x8102,
                     0x7EFC, 0x0280, 0x0280, 0x0280, 0x0280, 0x0280, 0x0100, 0x0000};

IWCURSORINFO Info(int shape, int mark, int size = 16, int lineWidth = 0, int radius = 0, int last = 0)
{
    return {shape, mark, size, size / 2, size / 2, lineWidth, radius, last};
}

class Cursors : public ViewFixture {
protected:
    CCursorPlanes Planes(const IWCURSORINFO& info)
    {
        HCURSOR cursor = view.AquireCursor(info);
        EXPECT_NE(cursor, nullptr);
        return view.GetCursorPlanes(cursor).value_or(CCursorPlanes(8));
    }
};

} // namespace

TEST_F(Cursors, TheDefaultCrosshairAndItsMarks)
{
    const auto def = view.GetCursorPlanes(view.GetDefCursor());
    ASSERT_TRUE(def.has_value());
    EXPECT_EQ(Rows16(def->AndPlane()), kCrossAnd);
    EXPECT_EQ(Rows16(def->XorPlane()), kCrossXor);

    EXPECT_EQ(view.AquireCursor(Info(-1, -1)), view.GetDefCursor());
    EXPECT_EQ(view.GetCachedCursorCount(), 0u);

    // Plus at (13, 13): row 13 columns 11..15 and column 13 rows 11..15.
    Rows plusXor = kCrossXor;
    for (int row = 11; row <= 15; ++row) plusXor[row] |= 0x0004;
    plusXor[13] |= 0x001F;
    EXPECT_EQ(Rows16(Planes(Info(-1, CURSOR_MARK_PLUS)).XorPlane()), plusXor);
    Rows minusXor = kCrossXor;
    minusXor[13] |= 0x001F;
    EXPECT_EQ(Rows16(Planes(Info(-1, CURSOR_MARK_MINUS)).XorPlane()), minusXor);
    EXPECT_EQ(Rows16(Planes(Info(-1, CURSOR_MARK_MINUS)).AndPlane()), kCrossAnd);
    EXPECT_EQ(view.GetCachedCursorCount(), 2u);
}

TEST_F(Cursors, FixedSixteenPixelPictures)
{
    const Rows transparent(16, 0xFFFF);
    const CCursorPlanes target = Planes(Info(CURSOR_SHAPE_TARGET, -1));
    EXPECT_EQ(Rows16(target.AndPlane()), transparent);
    EXPECT_EQ(Rows16(target.XorPlane()), (Rows{0x07C0, 0x1930, 0x2108, 0x4104, 0x4104, 0x8102, 0x8102, 0xFFFE,
                                               0x8102, 0x8102, 0x4104, 0x4104, 0x2108, 0x1930, 0x07C0, 0x0000}));
    for (int shape : {3, 4}) {
        EXPECT_EQ(Rows16(Planes(Info(shape, -1)).AndPlane()), kCrossAnd);
        EXPECT_EQ(Rows16(Planes(Info(shape, -1)).XorPlane()), kCrossXor);
    }
    Rows ovalXor = kCrossXor;
    ovalXor[10] |= 0x001C;  // columns 11-13
    for (int row = 11; row <= 13; ++row) ovalXor[row] |= 0x0022;  // columns 10 and 14
    ovalXor[14] |= 0x001C;
    EXPECT_EQ(Rows16(Planes(Info(5, -1)).XorPlane()), ovalXor);

    const CCursorPlanes wand = Planes(Info(CURSOR_SHAPE_MAGICWAND, CURSOR_MARK_PLUS));
    EXPECT_EQ(Rows16(wand.AndPlane()), (Rows{0x6DFF, 0xABFF, 0xC7FF, 0x01FF, 0xC7FF, 0xAAFF, 0x6C7F, 0xF83F,
                                             0xFC1F, 0xFE0F, 0xFF07, 0xFF83, 0xFFC1, 0xFFE0, 0xFFF1, 0xFFFB}));
    Rows wandXor{0x9200, 0x4400, 0x1000, 0xAA00, 0x1000, 0x4500, 0x9280, 0x0440,
                 0x02A0, 0x0110, 0x0088, 0x0044, 0x0022, 0x0011, 0x000A, 0x0004};
    for (int row = 11; row <= 15; ++row) wandXor[row] |= 0x1000;  // the mark sits at (3, 13)
    wandXor[13] |= 0x7C00;
    EXPECT_EQ(Rows16(wand.XorPlane()), wandXor);
}

TEST_F(Cursors, CrossCoversItsBarsAcrossTheWholePicture)
{
    const CCursorPlanes cross = Planes({CURSOR_SHAPE_CROSS, -1, 8, 0, 0, 2, 0, 0});
    // s = (8 - 2) / 2 = 3: rows 3 and 4 full, columns 3 and 4 elsewhere.
    EXPECT_EQ(cross.XorPlane(), (std::vector<BYTE>{0x18, 0x18, 0x18, 0xFF, 0xFF, 0x18, 0x18, 0x18}));
    EXPECT_EQ(cross.AndPlane(), std::vector<BYTE>(8, 0xFF));
}

TEST_F(Cursors, CircleRingIsWhiteOutsideTheRadiusAndBlackJustInside)
{
    const CCursorPlanes circle = Planes({CURSOR_SHAPE_CIRCLE, -1, 32, 16, 16, 1, 8, 0});
    // Independent check with integer squares: white where 64 ≤ d² < 81,
    // black where 49 ≤ d² < 64 (the ring boundaries fall between integers).
    int white = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const int d2 = (x - 16) * (x - 16) + (y - 16) * (y - 16);
            const bool isWhite = d2 >= 64 && d2 < 81, isBlack = d2 >= 49 && d2 < 64;
            white += isWhite;
            ASSERT_EQ(circle.AndBit(x, y), !(isWhite || isBlack)) << x << "," << y;
            ASSERT_EQ(circle.XorBit(x, y), isWhite) << x << "," << y;
        }
    EXPECT_GT(white, 40);

    // Above 500 pixels a plus marks the centre.
    const CCursorPlanes big = Planes({CURSOR_SHAPE_CIRCLE, -1, 1024, 512, 512, 1, 300, 0});
    EXPECT_TRUE(big.XorBit(512 - 4, 512) && big.XorBit(512, 512 + 4) && big.XorBit(512, 512));
    EXPECT_FALSE(big.XorBit(512 - 5, 512));
}

TEST_F(Cursors, TheCacheReturnsTheSameCursorForTheSameDescriptionOnly)
{
    const IWCURSORINFO info{CURSOR_SHAPE_CIRCLE, -1, 32, 16, 16, 1, 8, 0};
    HCURSOR first = view.AquireCursor(info);
    EXPECT_EQ(view.AquireCursor(info), first);
    IWCURSORINFO other = info;
    other.iReserved = 1;
    HCURSOR second = view.AquireCursor(other);
    EXPECT_NE(second, first);
    EXPECT_NE(second, nullptr);
    EXPECT_EQ(view.GetCachedCursorCount(), 2u);
}

TEST_F(Cursors, ACachedCursorKeepsOnlyWhatPaintingNeeds)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizer's allocator is not seen by mallinfo2";
#else
    auto heapInUse = [] {
        const struct mallinfo2 info = mallinfo2();
        return info.uordblks + info.hblkhd;
    };
    // The spot remover's largest circles at high zoom: 4096 pixels square.
    // Qt's cursor holds its picture and mask, 1 bit per pixel each; the
    // cursor's AND and XOR planes are not needed once it is built.
    constexpr std::size_t kSize = 4096, kCursors = 3;
    constexpr std::size_t kCursorBytes = 2 * kSize * kSize / 8;
    const std::size_t before = heapInUse();
    for (std::size_t i = 0; i < kCursors; ++i) {
        const int radius = 1024 + static_cast<int>(i);
        ASSERT_NE(view.AquireCursor({CURSOR_SHAPE_CIRCLE, -1, kSize, kSize / 2, kSize / 2, 1, radius, 0}), nullptr);
    }
    EXPECT_LT(heapInUse() - before, kCursors * kCursorBytes * 5 / 4);
    // What a cursor was built from can still be looked at.
    const auto planes = view.GetCursorPlanes(view.AquireCursor({CURSOR_SHAPE_CIRCLE, -1, kSize, kSize / 2, kSize / 2, 1, 1024, 0}));
    ASSERT_TRUE(planes.has_value());
    EXPECT_TRUE(planes->XorBit(kSize / 2 + 1024, kSize / 2));
#endif
}

TEST_F(Cursors, InvalidDescriptionsGiveNoCursorAndAreNotCached)
{
    const IWCURSORINFO invalid[] = {
        {CURSOR_SHAPE_CIRCLE, -1, 16, 8, 8, 1, 8, 0},  // 16 / 2 < 8 + 1
        {CURSOR_SHAPE_TARGET, -1, 12, 6, 6, 0, 0, 0},  // not a multiple of 8
        {CURSOR_SHAPE_TARGET, -1, 0, 0, 0, 0, 0, 0},
        {CURSOR_SHAPE_TARGET, -1, 16, 16, 0, 0, 0, 0}, // hot spot outside
        {CURSOR_SHAPE_TARGET, -1, 16, 0, -1, 0, 0, 0},
        {CURSOR_SHAPE_CROSS, -1, 16, 8, 8, 15, 0, 0},  // 15 > 16 - 2
    };
    for (const IWCURSORINFO& info : invalid) EXPECT_EQ(view.AquireCursor(info), nullptr);
    EXPECT_EQ(view.GetCachedCursorCount(), 0u);
}

TEST(CursorPlanes, QtCursorShowsWhiteBlackTransparentAndInvertAsBlack)
{
    CCursorPlanes planes(8);
    planes.SetAndBit(1, 0, false);                            // black
    planes.SetAndBit(2, 0, false), planes.SetXorBit(2, 0, true);  // white
    planes.SetXorBit(3, 0, true);                             // invert
    const QCursor cursor = planes.ToQCursor(2, 3);
    const QImage bitmap = cursor.bitmap().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage mask = cursor.mask().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(cursor.hotSpot(), QPoint(2, 3));
    EXPECT_EQ(mask.pixel(0, 0), mask.pixel(7, 7));  // both transparent
    EXPECT_NE(mask.pixel(1, 0), mask.pixel(0, 0));
    EXPECT_EQ(mask.pixel(2, 0), mask.pixel(1, 0));
    EXPECT_EQ(mask.pixel(3, 0), mask.pixel(1, 0));
    EXPECT_EQ(bitmap.pixel(1, 0), qRgb(0, 0, 0));
    EXPECT_EQ(bitmap.pixel(2, 0), qRgb(255, 255, 255));
    EXPECT_EQ(bitmap.pixel(3, 0), qRgb(0, 0, 0));
}

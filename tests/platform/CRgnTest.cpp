// The region class: the shapes, combinations and queries the view and the
// selection rely on.
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "platform/CRgn.h"

namespace {

int CountPixels(const CRgn& rgn, int size)
{
    int n = 0;
    for (int y = -1; y <= size; ++y)
        for (int x = -1; x <= size; ++x) n += rgn.PtInRegion(x, y);
    return n;
}

} // namespace

TEST(CRgn, NoRegionUntilCreatedAndAfterDelete)
{
    CRgn rgn, other;
    RECT box{1, 2, 3, 4};
    EXPECT_FALSE(rgn.HasRegion());
    EXPECT_EQ(rgn.GetRgnBox(&box), RGN_ERROR);
    EXPECT_EQ(rgn.OffsetRgn(1, 1), RGN_ERROR);
    EXPECT_EQ(other.CombineRgn(&rgn, &rgn, RGN_OR), RGN_ERROR);
    EXPECT_EQ(other.CreateScaled(rgn, 2.0f, 2.0f), FALSE);
    EXPECT_TRUE(rgn.GetRects().empty());
    rgn.CreateRectRgn(5, 5, 5, 9);  // empty but present
    EXPECT_EQ(rgn.GetRgnBox(&box), NULLREGION);
    EXPECT_EQ(box.right, 0);
    EXPECT_EQ(rgn.DeleteObject(), TRUE);
    EXPECT_EQ(rgn.DeleteObject(), FALSE);
}

TEST(CRgn, RectangleEdgesAreExclusiveAndOffsetMovesThem)
{
    CRgn rgn;
    rgn.CreateRectRgn(2, 3, 6, 5);
    EXPECT_TRUE(rgn.PtInRegion(2, 3));
    EXPECT_TRUE(rgn.PtInRegion(5, 4));
    EXPECT_FALSE(rgn.PtInRegion(6, 4));
    EXPECT_FALSE(rgn.PtInRegion(5, 5));
    EXPECT_EQ(rgn.OffsetRgn(-2, 10), SIMPLEREGION);
    RECT box{};
    rgn.GetRgnBox(&box);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, 13);
    EXPECT_EQ(box.right, 4);
    EXPECT_EQ(box.bottom, 15);
}

TEST(CRgn, CombinationsCountTheRightPixels)
{
    CRgn a, b, r;
    a.CreateRectRgn(0, 0, 4, 4);
    b.CreateRectRgn(2, 2, 6, 6);
    EXPECT_EQ(r.CombineRgn(&a, &b, RGN_AND), SIMPLEREGION);
    EXPECT_EQ(CountPixels(r, 8), 4);
    EXPECT_EQ(r.CombineRgn(&a, &b, RGN_OR), COMPLEXREGION);
    EXPECT_EQ(CountPixels(r, 8), 28);
    r.CombineRgn(&a, &b, RGN_XOR);
    EXPECT_EQ(CountPixels(r, 8), 24);
    r.CombineRgn(&a, &b, RGN_DIFF);
    EXPECT_EQ(CountPixels(r, 8), 12);
    EXPECT_EQ(r.CombineRgn(&b, nullptr, RGN_COPY), SIMPLEREGION);
    EXPECT_EQ(r.EqualRgn(b), TRUE);
    EXPECT_EQ(r.CombineRgn(&r, &a, RGN_DIFF), COMPLEXREGION);  // an operand may be the target
    EXPECT_EQ(CountPixels(r, 8), 12);
    EXPECT_EQ(r.CombineRgn(&a, &b, 99), RGN_ERROR);
}

TEST(CRgn, PolygonIsOddEvenAndEllipseStaysInsideItsBox)
{
    // A five-pointed star drawn in one stroke: odd-even leaves the centre out.
    const POINT star[] = {{50, 0}, {79, 90}, {2, 35}, {98, 35}, {21, 90}};
    CRgn rgn;
    ASSERT_EQ(rgn.CreatePolygonRgn(star, 5, ALTERNATE), TRUE);
    EXPECT_FALSE(rgn.PtInRegion(50, 50));
    EXPECT_TRUE(rgn.PtInRegion(50, 10));
    ASSERT_EQ(rgn.CreatePolygonRgn(star, 5, WINDING), TRUE);
    EXPECT_TRUE(rgn.PtInRegion(50, 50));
    EXPECT_EQ(rgn.CreatePolygonRgn(star, 2, ALTERNATE), FALSE);

    rgn.CreateEllipticRgn(0, 0, 20, 10);
    RECT box{};
    rgn.GetRgnBox(&box);
    EXPECT_GE(box.left, 0);
    EXPECT_LE(box.right, 20);
    EXPECT_LE(box.bottom, 10);
    EXPECT_TRUE(rgn.PtInRegion(10, 5));
    EXPECT_FALSE(rgn.PtInRegion(0, 0));
}

TEST(CRgn, ScalingAndRectangleListsKeepTheShape)
{
    const RECT rects[] = {{0, 0, 2, 1}, {4, 0, 6, 1}, {0, 1, 6, 2}, {3, 3, 3, 9}};
    CRgn rgn, scaled;
    ASSERT_EQ(rgn.CreateFromRects(rects, 4), TRUE);
    EXPECT_EQ(CountPixels(rgn, 8), 10);
    ASSERT_EQ(scaled.CreateScaled(rgn, 2.0f, 3.0f), TRUE);
    EXPECT_EQ(CountPixels(scaled, 20), 60);
    EXPECT_FALSE(scaled.PtInRegion(5, 0));  // the gap at columns 2..3 becomes 4..7
    EXPECT_TRUE(scaled.PtInRegion(8, 2));
    EXPECT_EQ(scaled.CreateScaled(rgn, 0.0f, 1.0f), FALSE);
    const auto list = scaled.GetRects();
    ASSERT_FALSE(list.empty());
    for (std::size_t i = 1; i < list.size(); ++i)
        EXPECT_TRUE(list[i - 1].top < list[i].top || list[i - 1].left < list[i].left);
    EXPECT_EQ(rgn.CreateFromRects(nullptr, 2), FALSE);
}

TEST(CRgn, RowRunsAndRegionDataGiveTheSameRegionAsUnions)
{
    // Runs one row high, as a mask's rows give them: abutting runs, equal
    // rows that join into one band, and a gap row.
    const RECT runs[] = {{1, 0, 3, 1}, {3, 0, 5, 1}, {7, 0, 8, 1}, {1, 1, 5, 2}, {7, 1, 8, 2}, {0, 3, 9, 4}};
    CRgn banded, united;
    ASSERT_EQ(banded.CreateFromRects(runs, 6), TRUE);
    united.CreateRectRgn(0, 0, 0, 0);
    for (const RECT& r : runs) {
        CRgn one;
        one.CreateRectRgnIndirect(r);
        united.CombineRgn(&united, &one, RGN_OR);
    }
    EXPECT_EQ(banded.EqualRgn(united), TRUE);
    EXPECT_EQ(banded.GetRects().size(), 3u);  // rows 0 and 1 form one band of two rectangles

    std::vector<BYTE> data(sizeof(RGNDATAHEADER) + sizeof(runs));
    RGNDATAHEADER header{sizeof(RGNDATAHEADER), RDH_RECTANGLES, 6, sizeof(runs), {0, 0, 9, 4}};
    std::memcpy(data.data(), &header, sizeof(header));
    std::memcpy(data.data() + sizeof(header), runs, sizeof(runs));
    const auto* rgnData = reinterpret_cast<const RGNDATA*>(data.data());
    CRgn fromData;
    ASSERT_EQ(fromData.CreateFromData(nullptr, static_cast<int>(data.size()), rgnData), TRUE);
    EXPECT_EQ(fromData.EqualRgn(united), TRUE);
    EXPECT_EQ(fromData.CreateFromData(nullptr, static_cast<int>(data.size()) - 1, rgnData), FALSE);  // list cut short
    EXPECT_EQ(fromData.CreateFromData(&header, static_cast<int>(data.size()), rgnData), FALSE);       // a transform
    header.iType = 2;
    std::memcpy(data.data(), &header, sizeof(header));
    EXPECT_EQ(fromData.CreateFromData(nullptr, static_cast<int>(data.size()), rgnData), FALSE);
    EXPECT_EQ(fromData.EqualRgn(united), TRUE);  // refusals change nothing
}

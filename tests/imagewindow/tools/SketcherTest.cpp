// The stroke engine on a real view: pens and their weights, the spacing and
// placement of stamps, a press and release without moving, a view without a
// picture, and the settings blob. The strokes run through the real threads.
#include <climits>

#include "../ViewTestSupport.h"
#include "imagewindow/tools/Sketcher.h"
#include "support/LogWatch.h"

using namespace ViewTest;
using ImageWindow::EmbeddedTool::emStyle;
using ImageWindow::EmbeddedTool::Sketcher;
using ImageWindow::EmbeddedTool::STYLE_ROUND;

namespace {

// The engine alone, with its protected steps opened up and every
// ProcessLineSegment call recorded (the sketching thread writes the record;
// the test reads it after the stroke's end has handed the thread's work back).
class ProbeSketcher final : public Sketcher {
public:
    std::vector<PointList> segments;

    ProbeSketcher() : Sketcher(L"probe", 1) {}
    using Sketcher::EndSketching;
    using Sketcher::StampPath;
    using Sketcher::StartSketching;
    int ProcessLineSegment(PointList& points, CRect& rcDirty) override
    {
        segments.push_back(points);
        return Sketcher::ProcessLineSegment(points, rcDirty);
    }
    int Stamp(std::initializer_list<CPoint> points)
    {
        PointList list(points);
        CRect unused;
        return Sketcher::ProcessLineSegment(list, unused);
    }
};

class SketcherInView : public ViewFixture {
protected:
    ProbeSketcher tool;
    TestDib dib{40, 30, 24, Pattern};

    void SetUp() override
    {
        ViewFixture::SetUp();
        Show(dib);
        ASSERT_EQ(view.LoadEmbeddedTool(tool), 1);
    }
    void TearDown() override { view.UnloadEmbeddedTool(); }

    // Weight of the stroke mask at image pixel (x, y), row 0 at the top.
    int MaskAt(int x, int y) const { return tool.GetStrokeMask()[static_cast<std::size_t>(29 - y) * 40 + x]; }
};

} // namespace

TEST(SketcherPen, WeightsScaleByTheOpacityRoundedToSinglePrecision)
{
    EXPECT_EQ(Sketcher::ScaleWeight(255, 50), 128);  // 255 × 0.5 + 0.5
    EXPECT_EQ(Sketcher::ScaleWeight(1, 50), 1);
    EXPECT_EQ(Sketcher::ScaleWeight(50, 1), 0);   // 0.01f lies just below 0.01
    EXPECT_EQ(Sketcher::ScaleWeight(51, 1), 1);
    EXPECT_EQ(Sketcher::ScaleWeight(255, 100), 255);
}

TEST_F(SketcherInView, PenGeometryLimitsAndRefusals)
{
    ASSERT_EQ(tool.SetPen(STYLE_ROUND, 3, 100, 100), 1);
    EXPECT_EQ(tool.GetSketchPen().ptHotSpot.x, 1);
    EXPECT_EQ(tool.GetPenExtent(), CRect(1, 1, 1, 1));
    EXPECT_EQ(tool.GetValidCenter(), CRect(-1, -1, 41, 31));
    ASSERT_EQ(tool.SetPen(STYLE_ROUND, 4, 100, 50), 1);
    EXPECT_EQ(tool.GetSketchPen().ptHotSpot.y, 2);
    EXPECT_EQ(tool.GetPenExtent(), CRect(2, 2, 1, 1));
    EXPECT_EQ(*std::max_element(tool.GetSketchPen().vWeights.begin(), tool.GetSketchPen().vWeights.end()), 128);
    EXPECT_EQ(tool.SetPen(STYLE_ROUND, 501, 100, 100), 1);

    CorvaneTest::LogWatch log;
    const std::tuple<int, int, int, int> refused[] = {{0, 502, 100, 100}, {1, 3, 100, 100}, {0, 3, 0, 100},
                                                      {0, 3, 100, 101}, {0, 0, 50, 50}};
    for (const auto& [style, size, hardness, opacity] : refused)
        EXPECT_EQ(tool.SetPen(static_cast<emStyle>(style), size, hardness, opacity), 0);
    EXPECT_EQ(log.Count("Invalid pen parameters! eStyle = 0, iSize = 502, iHardness = 100"), 1);
    EXPECT_EQ(log.Count("Invalid pen parameters! eStyle = 1, iSize = 3, iHardness = 100"), 1);
    emStyle style;
    int size, hardness, opacity;
    tool.GetPen(style, size, hardness, opacity);  // the last accepted pen stays
    EXPECT_EQ(size, 501);
    EXPECT_EQ(opacity, 100);
}

TEST_F(SketcherInView, SpacingIsAFifthOfThePenSize)
{
    // Size 1: every distinct point is a stamp, a repeated one is not.
    ASSERT_EQ(tool.SetPen(STYLE_ROUND, 1, 100, 100), 1);
    EXPECT_EQ(tool.Stamp({{5, 5}, {5, 5}, {6, 5}, {6, 6}}), 1);
    int stamped = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) stamped += MaskAt(x, y) > 0;
    EXPECT_EQ(stamped, 3);
    EXPECT_EQ(tool.Stamp({{6, 6}}), 0);  // closer than 0.2 to the last stamp

    // Size 501: a new stamp only 100.2 pixels or more from the last one.
    ASSERT_EQ(tool.SetPen(STYLE_ROUND, 501, 100, 100), 1);
    std::vector<int> stamps;
    for (int x = 6; x < tool.GetValidCenter().right; ++x)
        if (tool.Stamp({{x, 6}})) stamps.push_back(x);
    EXPECT_EQ(stamps, (std::vector<int>{107, 208}));  // 101 apart from (6, 6); 100 is too close
}

TEST_F(SketcherInView, ACentreJustOutsideTheImageStampsOneFartherOutIsSkipped)
{
    ASSERT_EQ(tool.SetPen(STYLE_ROUND, 3, 100, 100), 1);
    EXPECT_EQ(tool.Stamp({{-1, 10}}), 1);  // its stamp still reaches column 0
    EXPECT_EQ(tool.GetLastStamp().x, -1);
    EXPECT_GT(MaskAt(0, 10), 0);
    EXPECT_EQ(tool.Stamp({{-2, 20}, {41, 5}, {20, 31}}), 0);
    EXPECT_EQ(tool.GetLastStamp().x, -1);  // not remembered either
    EXPECT_EQ(tool.GetLastStamp().y, 10);
    EXPECT_EQ(tool.Stamp({{40, 29}}), 1);  // the far corner, just outside
    EXPECT_GT(MaskAt(39, 28), 0);
}

TEST_F(SketcherInView, StampsMovedByAnOffsetAreSpacedAlongThePath)
{
    ASSERT_EQ(tool.SetPen(STYLE_ROUND, 3, 100, 100), 1);
    EXPECT_EQ(tool.StampPath({{5, 5}}, POINT{10, 2}), 1);  // as a clone stamp stamps at its source
    EXPECT_GT(MaskAt(15, 7), 0);
    EXPECT_EQ(MaskAt(5, 5), 0);
    EXPECT_EQ(tool.GetLastStamp().x, 5);  // the path point, not the stamp
    EXPECT_EQ(tool.StampPath({{5, 5}, {35, 5}}, POINT{10, 2}), 0);  // too close, then a centre outside
    EXPECT_EQ(tool.GetLastStamp().x, 5);
}

TEST_F(SketcherInView, APressAndReleaseWithoutMovingStampsOnce)
{
    ASSERT_EQ(tool.SetPen(STYLE_ROUND, 5, 100, 100), 1);
    POINT press{12, 9};
    view.FromBitmapToWnd(press);
    Move({press.x, press.y});  // where the pointer is: the first sample equals the press point
    CorvaneTest::LogWatch log;
    ASSERT_TRUE(tool.StartSketching({12, 9}));
    EXPECT_TRUE(tool.IsSketching());
    EXPECT_EQ(tool.SetPen(STYLE_ROUND, 7, 100, 100), 0);  // never during a stroke
    EXPECT_TRUE(log.Contains("Sketcher::SetPen: Can't call SetPen() during sketching."));
    QTest::qWait(40);  // the tracking thread samples the unmoved pointer
    tool.EndSketching();
    EXPECT_FALSE(tool.IsSketching());
    ASSERT_EQ(tool.segments.size(), 1u);  // the final batch held one point and did nothing
    EXPECT_EQ(tool.segments[0], Sketcher::PointList{CPoint(12, 9)});
    int stamped = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) stamped += MaskAt(x, y) > 0;
    EXPECT_EQ(stamped, 21);  // one disk of diameter 5
    EXPECT_EQ(tool.GetLastStamp().x, INT_MAX);
    EXPECT_TRUE(log.Contains("Stop MouseTracking cost"));
    EXPECT_TRUE(log.Contains("Sketcher::EndSketching: Stop Sketching cost"));
}

TEST_F(SketcherInView, StrokesNeedAPenAndAPictureToPaintOn)
{
    CorvaneTest::LogWatch log;
    EXPECT_FALSE(tool.StartSketching({3, 3}));  // no pen yet
    EXPECT_TRUE(log.Contains("The stroke is not started: no valid pen is set (eStyle = -1, iSize = 0)."));

    ProbeSketcher bare;
    ImageWindow::CImageWindow empty;
    empty.Create(RECT{0, 0, 50, 50}, &parent, kViewId + 10, kGrey);
    log.Mark();
    ASSERT_EQ(empty.LoadEmbeddedTool(bare), 1);
    EXPECT_TRUE(log.Contains("Sketcher::OnLoad: Failed to update bitmap."));
    ASSERT_EQ(bare.SetPen(STYLE_ROUND, 5, 100, 100), 1);
    EXPECT_FALSE(bare.StartSketching({3, 3}));  // returns at once, nothing to paint on
    EXPECT_TRUE(log.Contains("Sketcher::StartSketching: Failed to update bitmap."));
    EXPECT_FALSE(bare.IsSketching());
    EXPECT_TRUE(bare.segments.empty());
    empty.UnloadEmbeddedTool();
}

TEST_F(SketcherInView, TheSettingsBlob)
{
    ASSERT_EQ(tool.SetPen(STYLE_ROUND, 9, 80, 70), 1);
    std::vector<BYTE> blob;
    tool.SerializeToolSettings(blob);
    EXPECT_EQ(blob, Int32Blob({1, 0, 9, 80, 70}));

    CorvaneTest::LogWatch log;
    EXPECT_EQ(tool.UnserializeToolSettings(Int32Blob({0, 5, 5, 5, 5})), 1);  // an older version: nothing changes
    EXPECT_EQ(tool.GetSketchPen().iSize, 9);
    EXPECT_EQ(tool.UnserializeToolSettings(Int32Blob({1, 0, 5, 50})), 0);
    EXPECT_TRUE(log.Contains("Sketcher::UnserializeToolSettings: Invalid parameter data size for version 1."));
    EXPECT_EQ(tool.UnserializeToolSettings(Int32Blob({1})), 0);
    EXPECT_EQ(tool.UnserializeToolSettings(Int32Blob({2, 0, 5, 50, 50})), 0);
    EXPECT_EQ(log.Count("Invalid parameter data size or version."), 2);

    EXPECT_EQ(tool.UnserializeToolSettings(Int32Blob({1, 0, 21, 40, 60})), 1);
    EXPECT_EQ(tool.GetSketchPen().vWeights.size(), 21u * 21u);  // a valid pen is built at once
    EXPECT_EQ(tool.GetSketchPen().ptHotSpot.x, 10);
    // Out of range: taken as it is, said in the log, and no stroke paints with it.
    EXPECT_EQ(tool.UnserializeToolSettings(Int32Blob({1, 0, 9000, -3, 60})), 1);
    emStyle style;
    int size, hardness, opacity;
    tool.GetPen(style, size, hardness, opacity);
    EXPECT_EQ(size, 9000);
    EXPECT_EQ(hardness, -3);
    EXPECT_TRUE(log.Contains("Invalid pen parameters! eStyle = 0, iSize = 9000, iHardness = -3"));
    EXPECT_FALSE(tool.StartSketching({3, 3}));
}

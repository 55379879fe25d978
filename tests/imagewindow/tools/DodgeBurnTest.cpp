// Dodge and burn on a real view, driven by mouse events: the footprint of a
// click, strokes over the same place, the notifications, the ways a stroke
// ends early (capture lost, tool unloaded, photo replaced) and the settings.
#include "../ViewTestSupport.h"
#include "imagewindow/ViewNotify.h"
#include "imagewindow/tools/DodgeBurn.h"
#include "support/LogWatch.h"

using namespace ViewTest;
using ImageWindow::EmbeddedTool::DodgeBurn;
using ImageWindow::EmbeddedTool::STYLE_ROUND;
using namespace ImageWindow;

namespace {

constexpr int kWidth = 120, kHeight = 80;
constexpr int kGreyLevel = 100;
// Grey 100 with the value raised (lowered) by 0.1f: 100/255 ± 0.1f of full scale,
// rounded (0.1f lies just above 0.1, so the burn rounds down from 74.4999996).
constexpr int kDodged = 126, kBurnt = 74;

QRgb Grey(int, int) { return qRgb(kGreyLevel, kGreyLevel, kGreyLevel); }

class DodgeBurnInView : public ViewFixture {
protected:
    DodgeBurn tool;
    TestDib dib{kWidth, kHeight, 24, Grey};

    void SetUp() override
    {
        ViewFixture::SetUp();
        Show(dib);
        ASSERT_EQ(view.LoadEmbeddedTool(tool), 1);
        ASSERT_EQ(tool.SetPen(STYLE_ROUND, 9, 100, 100), 1);
    }
    void TearDown() override { view.UnloadEmbeddedTool(); }

    // The blue byte of the tool's result at image pixel (x, y); all three
    // channels stay equal on a grey picture.
    int Result(int x, int y)
    {
        BITMAPINFO header{};
        const BYTE* bits = tool.GetBitmap(header);
        return bits[DibStride(kWidth, 24) * (kHeight - 1 - y) + 3 * x];
    }
    // Shows the tool's result as the view's picture, as the main window does
    // after recording a stroke.
    void TakeResult(std::vector<BYTE>& buffer)
    {
        BITMAPINFO header{};
        const BYTE* bits = tool.GetBitmap(header);
        buffer.assign(bits, bits + header.bmiHeader.biSizeImage);
        ASSERT_EQ(view.UpdateBitmap(header, buffer.data()), 1);
    }
};

// The notifications of the brush (the view's own press notification 2,
// which goes out because the brush does not consume the press, left out).
std::vector<UINT> ToolCodes(const NotifyRecorder& parent)
{
    std::vector<UINT> codes;
    for (UINT code : parent.Codes())
        if (code >= IWN_DODGE_START) codes.push_back(code);
    return codes;
}

} // namespace

TEST_F(DodgeBurnInView, AClickLightensOneFootprintAndABurnDarkensIt)
{
    Drag({{40, 30}});
    EXPECT_EQ(ToolCodes(parent), (std::vector<UINT>{IWN_DODGE_START, IWN_DODGE_END}));
    EXPECT_EQ(Result(40, 30), kDodged);
    EXPECT_EQ(Result(44, 30), kDodged);       // the rim of the disk, still full weight
    EXPECT_EQ(Result(45, 30), kGreyLevel);    // outside the pen
    EXPECT_EQ(Result(36, 26), kGreyLevel);    // inside the stamp's square, weight 0
    EXPECT_FALSE(view.bShowCover());

    parent.received.clear();
    tool.bDodge() = 0;
    Drag({{80, 50}});
    EXPECT_EQ(ToolCodes(parent), (std::vector<UINT>{IWN_BURN_START, IWN_BURN_END}));
    EXPECT_EQ(Result(80, 50), kBurnt);
    EXPECT_EQ(Result(40, 30), kGreyLevel);  // each stroke starts from the view's picture
}

TEST_F(DodgeBurnInView, GoingBackAndForthStaysAtOneStrengthASecondStrokeAddsUp)
{
    Drag({{20, 40}, {60, 40}, {100, 40}, {60, 40}, {20, 40}, {100, 40}});
    int changed = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const int v = Result(x, y);
            ASSERT_GE(v, kGreyLevel);
            ASSERT_LE(v, kDodged) << x << "," << y;  // never beyond the strongest weight
            changed += v != kGreyLevel;
            if (std::abs(y - 40) > 4 || x < 16 || x > 104) {
                ASSERT_EQ(v, kGreyLevel) << x << "," << y;
            }
        }
    for (int x = 20; x <= 100; ++x) ASSERT_EQ(Result(x, 40), kDodged) << x;  // the whole path
    EXPECT_GT(changed, 9 * 80);

    std::vector<BYTE> shown;
    TakeResult(shown);
    Drag({{50, 40}, {70, 40}});
    EXPECT_EQ(Result(60, 40), 152);  // 126 raised once more
    EXPECT_EQ(Result(30, 40), kDodged);
}

TEST_F(DodgeBurnInView, TheViewShowsTheStrokeUpToAPointerAtRestBeforeTheRelease)
{
    Press(At(20, 40));
    QTest::qWait(25);
    Move(At(40, 40), Qt::LeftButton);
    QTest::qWait(25);
    Move(At(60, 40), Qt::LeftButton);
    QTest::qWait(80);  // fewer positions than a batch gathers, then the pointer rests
    const QImage shown = Screen();
    EXPECT_TRUE(view.bShowCover());
    for (int x : {20, 40, 60}) {
        const QPoint p = At(x, 40);
        EXPECT_EQ(qBlue(shown.pixel(p)), kDodged) << x;
    }
    EXPECT_EQ(qBlue(shown.pixel(At(70, 40))), kGreyLevel);
    Release(At(60, 40));
}

TEST_F(DodgeBurnInView, APenReachingOverTheEdgeChangesOnlyThePicture)
{
    Drag({{1, 1}, {-30, -20}, {kWidth + 40, kHeight + 30}});
    EXPECT_EQ(Result(0, 0), kDodged);
    EXPECT_EQ(Result(kWidth - 1, kHeight - 1), kDodged);
    EXPECT_EQ(ToolCodes(parent).back(), IWN_DODGE_END);
}

TEST_F(DodgeBurnInView, LosingTheCaptureEndsAndRecordsTheStroke)
{
    Press(At(30, 30));
    EXPECT_TRUE(tool.IsSketching());
    QTest::qWait(30);
    QFocusEvent lost(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(&view, &lost);  // another window became active
    EXPECT_FALSE(tool.IsSketching());
    EXPECT_EQ(ToolCodes(parent), (std::vector<UINT>{IWN_DODGE_START, IWN_DODGE_END}));
    EXPECT_FALSE(view.bShowCover());
    EXPECT_EQ(Result(30, 30), kDodged);
    Release(At(30, 30));  // the late release changes nothing
    EXPECT_EQ(ToolCodes(parent).size(), 2u);
}

TEST_F(DodgeBurnInView, UnloadingDuringAStrokeEndsItWithoutRecording)
{
    Press(At(30, 30));
    QTest::qWait(30);
    view.UnloadEmbeddedTool();  // returns: the threads end the stroke and stop
    EXPECT_FALSE(tool.IsSketching());
    EXPECT_EQ(ToolCodes(parent), (std::vector<UINT>{IWN_DODGE_START}));
    EXPECT_FALSE(view.bShowCover());
    ASSERT_EQ(view.LoadEmbeddedTool(tool), 1);  // and it loads again with fresh threads
    Drag({{60, 40}});
    EXPECT_EQ(Result(60, 40), kDodged);
}

TEST_F(DodgeBurnInView, AStrokeOverAReplacedPhotoIsDropped)
{
    TestDib other(kWidth, kHeight, 24, Pattern);
    CorvaneTest::LogWatch log;
    Press(At(30, 30));
    QTest::qWait(30);
    ASSERT_EQ(view.UpdateBitmap(other.info, other.pixels.data()), 1);  // an undo arrived meanwhile
    EXPECT_FALSE(tool.IsSketching());
    EXPECT_FALSE(view.bShowCover());
    EXPECT_FALSE(view.HasCapture());
    EXPECT_TRUE(log.Contains("The picture changed during the stroke; the stroke is dropped."));
    Move(At(50, 30), Qt::LeftButton);
    Release(At(50, 30));
    EXPECT_EQ(ToolCodes(parent), (std::vector<UINT>{IWN_DODGE_START}));
    EXPECT_EQ(qBlue(Screen().pixel(At(30, 30))), qBlue(Pattern(30, 30)));  // the new photo, unpainted
}

TEST_F(DodgeBurnInView, AStrokeOnATurnedPhotoPaintsWhereThePointerIs)
{
    // The view gets a picture of other sides without reloading the tool, as
    // after a quarter turn.
    TestDib turned(kHeight, kWidth, 24, Grey);
    ASSERT_EQ(view.SetBitmap(turned.info, turned.pixels.data()), 1);
    Drag({{70, 100}});
    BITMAPINFO header{};
    const BYTE* bits = tool.GetBitmap(header);
    ASSERT_EQ(header.bmiHeader.biWidth, kHeight);
    EXPECT_EQ(bits[DibStride(kHeight, 24) * (kWidth - 1 - 100) + 3 * 70], kDodged);
    EXPECT_EQ(bits[DibStride(kHeight, 24) * (kWidth - 1 - 100) + 3 * 60], kGreyLevel);
}

TEST_F(DodgeBurnInView, NoPenNoStroke)
{
    DodgeBurn fresh;
    ASSERT_EQ(view.LoadEmbeddedTool(fresh), 1);
    CorvaneTest::LogWatch log;
    Drag({{30, 30}, {50, 30}});
    EXPECT_TRUE(ToolCodes(parent).empty());
    EXPECT_TRUE(log.Contains("The stroke is not started: no valid pen is set"));
    view.UnloadEmbeddedTool();
}

TEST(DodgeBurnSettings, TheBlobCarriesTheMode)
{
    DodgeBurn tool;
    EXPECT_STREQ(tool.GetToolName(), L"dodge_burn");
    EXPECT_EQ(tool.bDodge(), 1);
    EXPECT_EQ(tool.UnserializeToolSettings(Int32Blob({1, 0, 30, 90, 80, 0})), 1);
    EXPECT_EQ(tool.bDodge(), 0);
    std::vector<BYTE> blob;
    tool.SerializeToolSettings(blob);
    EXPECT_EQ(blob, Int32Blob({1, 0, 30, 90, 80, 0}));
    CorvaneTest::LogWatch log;
    EXPECT_EQ(tool.UnserializeToolSettings(Int32Blob({1, 0, 30, 90, 80})), 0);  // the engine's 20 bytes are too few
    EXPECT_TRUE(log.Contains("DodgeBurn::UnserializeToolSettings: Invalid parameter data size for version 1."));
    EXPECT_EQ(tool.bDodge(), 0);
}

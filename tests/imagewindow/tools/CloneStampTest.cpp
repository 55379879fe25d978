// The clone stamp on a real view, driven by mouse events: choosing the
// source, the offset the first stroke fixes, the copy through the pen's
// weights, a stroke reaching past the photo's edges, the markers on the
// screen, the Alt check and the ways a stroke ends early.
#include <climits>

#include "../ViewTestSupport.h"
#include "imagewindow/ViewNotify.h"
#include "imagewindow/tools/CloneStamp.h"

using namespace ViewTest;
using ImageWindow::EmbeddedTool::CloneStamp;
using ImageWindow::EmbeddedTool::STYLE_ROUND;
using namespace ImageWindow;

namespace {

constexpr int kWidth = 120, kHeight = 80;

class CloneStampInView : public ViewFixture {
protected:
    CloneStamp tool;
    TestDib dib{kWidth, kHeight, 24, Pattern};

    void SetUp() override
    {
        ViewFixture::SetUp();
        // The tool reads the keyboard's state at a press: no Alt held from
        // another test's keys.
        QTest::keyRelease(parent.windowHandle(), Qt::Key_Alt);
        Show(dib);
        ASSERT_EQ(view.LoadEmbeddedTool(tool), 1);
        ASSERT_EQ(tool.SetPen(STYLE_ROUND, 9, 100, 100), 1);
    }
    void TearDown() override { view.UnloadEmbeddedTool(); }

    void AltClick(int x, int y)
    {
        tool.CheckAltKey(true, true);
        Press(At(x, y));
        Release(At(x, y));
        tool.CheckAltKey(true, false);
    }

    // The tool's picture, row 0 at the top.
    QImage Result()
    {
        BITMAPINFO header{};
        const BYTE* bits = tool.GetBitmap(header);
        return QImage(bits, kWidth, kHeight, static_cast<qsizetype>(DibStride(kWidth, 24)), QImage::Format_BGR888)
            .mirrored(false, true);
    }
    int WeightAt(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) return 0;
        return tool.GetStrokeMask()[static_cast<std::size_t>(kHeight - 1 - y) * kWidth + x];
    }
    // Every pixel of the result is the photo's, blended with the pixel at
    // `offset` by the stroke mask's weight there; `copied` counts the pixels
    // that took the source whole.
    void ExpectCopiedThroughTheMask(const QImage& before, const QImage& after, QPoint offset, int& copied)
    {
        copied = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const int w = WeightAt(x + offset.x(), y + offset.y());
                const QRgb d = before.pixel(x, y);
                const QRgb s = w ? before.pixel(x + offset.x(), y + offset.y()) : d;
                const auto mix = [w](int dc, int sc) { return (dc * (255 - w) + sc * w + 127) / 255; };
                ASSERT_EQ(after.pixel(x, y), qRgb(mix(qRed(d), qRed(s)), mix(qGreen(d), qGreen(s)),
                                                  mix(qBlue(d), qBlue(s))))
                    << x << "," << y << " weight " << w;
                copied += w == 255;
            }
    }
};

std::vector<UINT> ToolCodes(const NotifyRecorder& parent)
{
    std::vector<UINT> codes;
    for (UINT code : parent.Codes())
        if (code >= IWN_CLONESTAMP_SOURCE) codes.push_back(code);
    return codes;
}

QImage Picture(TestDib& dib)
{
    return QImage(dib.pixels.data(), kWidth, kHeight, static_cast<qsizetype>(DibStride(kWidth, 24)),
                  QImage::Format_BGR888)
        .mirrored(false, true);
}

} // namespace

TEST_F(CloneStampInView, TheFirstPressFixesTheOffsetEveryStrokeCopiesThroughIt)
{
    const QImage before = Picture(dib);
    AltClick(20, 30);
    EXPECT_EQ(tool.GetSource().x, 20);
    EXPECT_EQ(tool.GetAnchor().x, INT_MAX);
    Drag({{60, 40}, {75, 40}, {90, 44}});
    EXPECT_EQ(tool.GetAnchor().x, 60);
    EXPECT_EQ(tool.GetAnchor().y, 40);
    EXPECT_EQ(ToolCodes(parent), (std::vector<UINT>{IWN_CLONESTAMP_SOURCE, IWN_CLONESTAMP_START, IWN_CLONESTAMP_END}));
    const QImage after = Result();
    int copied = 0;
    ExpectCopiedThroughTheMask(before, after, {-40, -10}, copied);
    for (int x = 60; x <= 75; ++x) EXPECT_EQ(after.pixel(x, 40), before.pixel(x - 40, 30)) << x;
    EXPECT_GT(copied, 9 * 30);
    EXPECT_EQ(after.pixel(60, 50), before.pixel(60, 50));  // past the pen
    EXPECT_FALSE(view.bShowCover());

    // A click later, elsewhere, copies one footprint through the same offset,
    // from the photo the view shows now.
    BITMAPINFO header{};
    const BYTE* bits = tool.GetBitmap(header);
    std::vector<BYTE> shown(bits, bits + header.bmiHeader.biSizeImage);
    ASSERT_EQ(view.UpdateBitmap(header, shown.data()), 1);
    Drag({{100, 70}});
    EXPECT_EQ(Result().pixel(100, 70), after.pixel(60, 60));
    ExpectCopiedThroughTheMask(after, Result(), {-40, -10}, copied);
    EXPECT_EQ(copied, 69);  // one disk of diameter 9
}

TEST_F(CloneStampInView, WithoutASourceAPressPostsItsNoticeAndPaintsNothing)
{
    Drag({{60, 40}, {80, 40}});
    EXPECT_EQ(ToolCodes(parent), (std::vector<UINT>{IWN_CLONESTAMP_NOSOURCE}));
    for (const Notification& n : parent.received) {
        if (n.code == IWN_CLONESTAMP_NOSOURCE) {
            EXPECT_TRUE(n.posted);
        }
    }
    EXPECT_FALSE(tool.IsSketching());

    // An Alt-click beside the photo (the view's grey margin) clears a source.
    AltClick(20, 30);
    tool.CheckAltKey(true, true);
    Press(At(kWidth + 20, 10));
    Release(At(kWidth + 20, 10));
    tool.CheckAltKey(true, false);
    EXPECT_EQ(tool.GetSource().x, INT_MAX);
    parent.received.clear();
    Drag({{60, 40}});
    EXPECT_EQ(ToolCodes(parent), (std::vector<UINT>{IWN_CLONESTAMP_NOSOURCE}));
    EXPECT_EQ(Screen().pixel(At(60, 40)), Pattern(60, 40) | 0xFF000000u);
}

TEST_F(CloneStampInView, AStrokePastThePhotosEdgesCopiesOnlyWhatLiesInside)
{
    const QImage before = Picture(dib);
    AltClick(5, 5);
    // The source path runs off the top-left corner while the destination
    // runs off the right and bottom edges.
    Drag({{100, 60}, {130, 90}, {80, 90}, {90, 50}, {60, 40}});
    EXPECT_EQ(ToolCodes(parent).back(), IWN_CLONESTAMP_END);
    int copied = 0;
    ExpectCopiedThroughTheMask(before, Result(), {-95, -55}, copied);
    EXPECT_GT(copied, 100);
    EXPECT_EQ(Result().pixel(119, 79), before.pixel(24, 24));
}

TEST_F(CloneStampInView, CrossesMarkTheSourceAndFollowTheMouseDuringAStroke)
{
    const auto inverted = [](QRgb c) { return qRgb(255 - qRed(c), 255 - qGreen(c), 255 - qBlue(c)); };
    AltClick(20, 30);
    QImage screen = Screen();
    EXPECT_EQ(screen.pixel(At(17, 30)), inverted(Pattern(17, 30)));
    EXPECT_EQ(screen.pixel(At(20, 27)), inverted(Pattern(20, 27)));
    EXPECT_EQ(screen.pixel(At(20, 30)), Pattern(20, 30) | 0xFF000000u);  // inverted twice
    EXPECT_EQ(screen.pixel(At(24, 30)), Pattern(24, 30) | 0xFF000000u);

    Press(At(60, 40));
    QTest::qWait(25);
    Move(At(70, 45), Qt::LeftButton);
    EXPECT_EQ(tool.GetSourceMarker().x, 30);
    EXPECT_EQ(tool.GetSourceMarker().y, 35);
    screen = Screen();
    EXPECT_EQ(screen.pixel(At(33, 35)), inverted(Pattern(33, 35)));
    EXPECT_EQ(screen.pixel(At(17, 30)), Pattern(17, 30) | 0xFF000000u);  // the anchor is fixed: no source cross
    QTest::qWait(25);
    Release(At(70, 45));
    EXPECT_EQ(tool.GetSourceMarker().x, INT_MAX);
    EXPECT_EQ(Screen().pixel(At(33, 35)), Pattern(33, 35) | 0xFF000000u);
}

TEST_F(CloneStampInView, TheAltCheckSwitchesOnlyOverTheViewAndNotWhilePainting)
{
    tool.CheckAltKey(false, true);  // Alt held with the mouse elsewhere
    EXPECT_EQ(tool.GetMode(), CloneStamp::MODE_READY);
    tool.CheckAltKey(true, true);
    EXPECT_EQ(tool.GetMode(), CloneStamp::MODE_CHOOSING_SOURCE);
    const IWCURSORINFO target{CURSOR_SHAPE_TARGET, CURSOR_MARK_NONE, 16, 7, 7, 1, 7, 0};
    EXPECT_EQ(view.cursor().pixmap().toImage(), view.AquireCursor(target)->pixmap().toImage());
    Press(At(20, 30));
    Release(At(20, 30));  // the release gives up the capture: choosing ends
    EXPECT_EQ(tool.GetMode(), CloneStamp::MODE_READY);

    Press(At(60, 40));
    EXPECT_EQ(tool.GetMode(), CloneStamp::MODE_PAINTING);
    tool.CheckAltKey(true, true);
    EXPECT_EQ(tool.GetMode(), CloneStamp::MODE_PAINTING);
    Release(At(60, 40));
    EXPECT_EQ(tool.GetMode(), CloneStamp::MODE_READY);

    // The tool's own timer reads the pointer and the keyboard: the pointer
    // over the view, no Alt held.
    Hover(At(40, 40));
    tool.CheckAltKey(true, true);
    tool.OnTimer(CloneStamp::TIMER_CHECKKEYDOWN);
    EXPECT_EQ(tool.GetMode(), CloneStamp::MODE_READY);
}

TEST_F(CloneStampInView, LosingTheCaptureEndsAndRecordsTheStrokeUnloadingForgetsTheSource)
{
    AltClick(20, 30);
    Press(At(60, 40));
    QTest::qWait(30);
    QFocusEvent lost(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(&view, &lost);  // another window became active
    EXPECT_FALSE(tool.IsSketching());
    EXPECT_EQ(tool.GetMode(), CloneStamp::MODE_READY);
    EXPECT_EQ(ToolCodes(parent).back(), IWN_CLONESTAMP_END);
    EXPECT_EQ(Result().pixel(60, 40), Pattern(20, 30) | 0xFF000000u);
    Release(At(60, 40));  // the late release changes nothing
    EXPECT_EQ(ToolCodes(parent).size(), 3u);

    view.UnloadEmbeddedTool();
    EXPECT_EQ(tool.GetSource().x, INT_MAX);
    EXPECT_EQ(tool.GetAnchor().x, INT_MAX);
    ASSERT_EQ(view.LoadEmbeddedTool(tool), 1);
    parent.received.clear();
    Drag({{60, 40}});
    EXPECT_EQ(ToolCodes(parent), (std::vector<UINT>{IWN_CLONESTAMP_NOSOURCE}));
}

// The region selector in the main window's view, driven as a person drives
// it: mouse and keys arrive at the top-level window while the view has the
// focus. Each select mode makes its shape, each overlap mode combines as it
// should with its notification, a dragged selection is clipped or cleared,
// the magic wand, the moving border on screen, and the settings kept
// between runs.
#include <QTest>
#include <QWindow>

#include "MainWndTestSupport.h"
#include "imagewindow/ViewNotify.h"
#include "imagewindow/tools/RegionSelector.h"
#include "platform/NotifyEvent.h"
#include "support/LogWatch.h"

using namespace MainWndTest;
using ImageWindow::EmbeddedTool::RegionSelector;
using App = CCorvaneLoaderApp;

namespace {

constexpr int kWidth = 120, kHeight = 90;
constexpr QRgb kGround = qRgb(200, 200, 200), kSquare = qRgb(30, 60, 90);

// A light ground with two dark squares that do not touch: (10..29, 10..29)
// and (60..79, 10..29).
QImage Shapes()
{
    QImage image(kWidth, kHeight, QImage::Format_RGB888);
    image.fill(kGround);
    for (int y = 10; y < 30; ++y)
        for (int x = 10; x < 30; ++x) {
            image.setPixel(x, y, kSquare);
            image.setPixel(x + 50, y, kSquare);
        }
    return image;
}

// The selector's notifications (256 to 262) as they reach the main window.
class SelectorCodes : public QObject {
public:
    std::vector<UINT> codes;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != CNotifyEvent::EventType()) return false;
        const UINT code = static_cast<CNotifyEvent*>(event)->GetHeader().code;
        if (code >= ImageWindow::IWN_SELECTOR_FIRST && code <= ImageWindow::IWN_SELECTOR_LAST) codes.push_back(code);
        return false;
    }
};

std::vector<UINT> Codes(std::initializer_list<UINT> codes) { return codes; }

} // namespace

class Selection : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        CreateWindow();
        SaveImage(Shapes(), folder + L"shapes.png");
        OpenThroughDialog(folder + L"shapes.png");
        tool = dynamic_cast<RegionSelector*>(theApp.m_arrTools->Get(App::TOOL_REGIONSELECTOR));
        ASSERT_NE(tool, nullptr);
        tool->SetSelectOverlapMode(RegionSelector::OVERLAPMODE_NEW);
        tool->SetFeatheringRadius(0);
        tool->SetTorlerance(0);
        ASSERT_EQ(View().LoadEmbeddedTool(*tool), 1);
        View().SetZoom(1.0);
        dialog->installEventFilter(&notified);
    }
    void TearDown() override
    {
        if (tool) tool->SetSelectMode(RegionSelector::SELECTMODE_NONE);
        MainWindowFixture::TearDown();
    }

    ImageWindow::CImageWindow& View() { return dialog->GetDisplayWnd(); }
    QWindow* Window() { return dialog->windowHandle(); }
    // The top-level window's point over image pixel (x, y) (zoom 1).
    QPoint At(int x, int y) { return View().mapTo(dialog.get(), ViewPointOf(x, y)); }

    void Press(int x, int y, Qt::KeyboardModifiers keys = {}) { QTest::mousePress(Window(), Qt::LeftButton, keys, At(x, y)); }
    void Release(int x, int y, Qt::KeyboardModifiers keys = {})
    {
        QTest::mouseRelease(Window(), Qt::LeftButton, keys, At(x, y));
    }
    void Move(int x, int y, Qt::KeyboardModifiers keys = {})
    {
        QTest::mouseEvent(QTest::MouseMove, Window(), Qt::NoButton, keys, At(x, y));
    }
    void Click(int x, int y, Qt::KeyboardModifiers keys = {})
    {
        Press(x, y, keys);
        Release(x, y, keys);
    }
    void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers keys = {})
    {
        Press(from.x(), from.y());
        Move((from.x() + to.x()) / 2, (from.y() + to.y()) / 2, keys);
        Move(to.x(), to.y(), keys);
        Release(to.x(), to.y(), keys);
    }
    void Select(RegionSelector::emOverlapMode overlap, QPoint from, QPoint to)
    {
        tool->SetSelectOverlapMode(overlap);
        Drag(from, to);
    }

    int Mask(int x, int y) { return View().vSelectMask()[static_cast<std::size_t>(y) * kWidth + x]; }
    // Number of selected pixels, and of those outside the rectangle (l, t)-(r, b) inclusive.
    std::pair<int, int> CountSelected(int l, int t, int r, int b)
    {
        int all = 0, outside = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                if (!Mask(x, y)) continue;
                ++all;
                outside += (x < l || x > r || y < t || y > b) ? 1 : 0;
            }
        return {all, outside};
    }
    bool IsRectangle(int l, int t, int r, int b) { return CountSelected(l, t, r, b) == std::make_pair((r - l + 1) * (b - t + 1), 0); }

    RegionSelector* tool{nullptr};
    SelectorCodes notified;
};

TEST_F(Selection, RectanglesSquaresAndEllipsesFollowTheDrag)
{
    tool->SetSelectMode(RegionSelector::SELECTMODE_RECTANGLE);
    Drag({40, 50}, {20, 35});  // dragged up and left: both corner pixels belong to it
    EXPECT_TRUE(IsRectangle(20, 35, 40, 50));
    EXPECT_EQ(notified.codes, Codes({260, 256}));

    Drag({50, 40}, {90, 55}, Qt::ShiftModifier);  // Shift makes a square of the shorter side
    EXPECT_TRUE(IsRectangle(50, 40, 65, 55));

    // The space bar moves the whole rectangle while it is dragged.
    Press(10, 10);
    Move(20, 20);
    QTest::keyPress(Window(), Qt::Key_Space);
    Move(30, 25);
    QTest::keyRelease(Window(), Qt::Key_Space);
    Release(30, 25);
    EXPECT_TRUE(IsRectangle(20, 15, 30, 25));

    notified.codes.clear();
    Click(100, 70);  // a click without a drag makes nothing; the press already removed the selection
    EXPECT_EQ(CountSelected(0, 0, 0, 0).first, 0);
    EXPECT_EQ(notified.codes, Codes({260}));

    tool->SetSelectMode(RegionSelector::SELECTMODE_ELLIPSE);
    Drag({20, 20}, {60, 50});
    EXPECT_EQ(Mask(40, 35), 255);
    EXPECT_EQ(Mask(20, 35), 255);   // the ends of the axes are inside
    EXPECT_EQ(Mask(21, 21), 0);     // the corners are not
    EXPECT_EQ(CountSelected(20, 20, 60, 50).second, 0);
}

TEST_F(Selection, PolygonsCloseOnTheFirstVertexByCtrlOrByADoubleClick)
{
    tool->SetSelectMode(RegionSelector::SELECTMODE_POLYGON);
    for (QPoint p : {QPoint(10, 10), QPoint(70, 10), QPoint(10, 70)}) Click(p.x(), p.y());
    EXPECT_TRUE(tool->IsSelecting());
    Click(13, 12);  // within five pixels of the first vertex
    EXPECT_FALSE(tool->IsSelecting());
    EXPECT_EQ(Mask(20, 20), 255);
    EXPECT_EQ(Mask(60, 60), 0);
    EXPECT_EQ(notified.codes, Codes({260, 256}));

    Click(80, 20);
    Click(110, 20);
    Click(110, 80, Qt::ControlModifier);
    EXPECT_EQ(Mask(105, 30), 255);
    EXPECT_EQ(Mask(20, 20), 0);

    // Delete takes back the last vertex but never the first.
    Click(5, 50);
    Click(50, 50);
    Click(50, 85);
    QTest::keyClick(Window(), Qt::Key_Delete);
    ASSERT_EQ(tool->GetVertices().size(), 2u);
    for (int i = 0; i < 3; ++i) QTest::keyClick(Window(), Qt::Key_Delete);
    ASSERT_EQ(tool->GetVertices().size(), 1u);
    Click(50, 5);
    Click(80, 40);
    QTest::mouseDClick(Window(), Qt::LeftButton, {}, At(50, 80));
    EXPECT_FALSE(tool->IsSelecting());
    EXPECT_EQ(Mask(50, 45), 255);
    EXPECT_EQ(Mask(80, 20), 0);

    // Two vertices are no shape: closing them leaves nothing and says nothing.
    notified.codes.clear();
    Click(10, 80);
    QTest::mouseDClick(Window(), Qt::LeftButton, {}, At(30, 80));
    EXPECT_FALSE(tool->IsSelecting());
    EXPECT_EQ(CountSelected(0, 0, 0, 0).first, 0);
    EXPECT_EQ(notified.codes, Codes({260}));
}

TEST_F(Selection, AltTurnsAFreeHandOutlineIntoPolygonClicks)
{
    tool->SetSelectMode(RegionSelector::SELECTMODE_FREEHAND);
    Press(10, 10);
    for (int x = 10; x <= 60; x += 10) Move(x, 10);
    QTest::keyPress(Window(), Qt::Key_Alt, Qt::AltModifier);
    Release(60, 10, Qt::AltModifier);
    EXPECT_EQ(tool->GetSelectingMode(), RegionSelector::SELECTMODE_POLYGON);
    Click(60, 60, Qt::AltModifier);
    QTest::keyRelease(Window(), Qt::Key_Alt);
    EXPECT_FALSE(tool->IsSelecting());
    EXPECT_EQ(tool->GetSelectingMode(), RegionSelector::SELECTMODE_FREEHAND);
    EXPECT_EQ(Mask(50, 20), 255);  // inside the triangle (10,10) (60,10) (60,60)
    EXPECT_EQ(Mask(20, 50), 0);
    EXPECT_EQ(notified.codes, Codes({260, 256}));
}

TEST_F(Selection, OverlapModesCombineAndNotifyInTurn)
{
    tool->SetSelectMode(RegionSelector::SELECTMODE_RECTANGLE);
    Select(RegionSelector::OVERLAPMODE_NEW, {10, 10}, {49, 49});
    Select(RegionSelector::OVERLAPMODE_ADD, {40, 40}, {79, 79});
    EXPECT_EQ(CountSelected(10, 10, 79, 79).first, 2 * 40 * 40 - 10 * 10);
    Select(RegionSelector::OVERLAPMODE_SUBTRACT, {0, 0}, {29, 89});
    EXPECT_EQ(Mask(29, 20), 0);
    EXPECT_EQ(Mask(30, 20), 255);
    Select(RegionSelector::OVERLAPMODE_INTERSECT, {35, 35}, {60, 60});
    EXPECT_EQ(CountSelected(35, 35, 60, 60).first, 26 * 26 - 2 * 11 * 5);  // less the two corners outside the union
    EXPECT_EQ(notified.codes, Codes({260, 256, 257, 258, 259}));

    // Subtracting everything leaves no region: logged, cleared, then 260 and 258.
    CorvaneTest::LogWatch log;
    notified.codes.clear();
    Select(RegionSelector::OVERLAPMODE_SUBTRACT, {0, 0}, {119, 89});
    EXPECT_EQ(notified.codes, Codes({260, 258}));
    EXPECT_FALSE(View().rgnSelect().HasRegion());
    EXPECT_TRUE(log.Contains("RegionSelector::ApplySelection: Failed to create region after feathering."));
}

TEST_F(Selection, ADraggedSelectionIsMovedClippedOrCleared)
{
    tool->SetSelectMode(RegionSelector::SELECTMODE_RECTANGLE);
    Drag({10, 10}, {29, 29});
    notified.codes.clear();
    Drag({20, 20}, {50, 30});  // a press inside the selection drags it
    EXPECT_TRUE(IsRectangle(40, 20, 59, 39));
    Drag({50, 30}, {110, 30});  // halfway off the right edge: clipped to the picture
    EXPECT_TRUE(IsRectangle(100, 20, 119, 39));
    RECT box;
    View().rgnSelect().GetRgnBox(&box);
    EXPECT_EQ(CRect(box), CRect(100, 20, 120, 40));
    EXPECT_EQ(notified.codes, Codes({262, 262}));

    Press(110, 30);
    QTest::mouseMove(Window(), At(110, 30) + QPoint(200, 0));  // wholly off the picture
    EXPECT_TRUE(tool->IsMovingSelection());
    QTest::mouseRelease(Window(), Qt::LeftButton, {}, At(110, 30) + QPoint(200, 0));
    EXPECT_FALSE(View().rgnSelect().HasRegion());
    EXPECT_EQ(CountSelected(0, 0, 0, 0).first, 0);
    EXPECT_EQ(notified.codes, Codes({262, 262, 260}));

    Drag({10, 10}, {29, 29});
    notified.codes.clear();
    Click(15, 15);  // a plain click inside removes it
    EXPECT_EQ(CountSelected(0, 0, 0, 0).first, 0);
    EXPECT_EQ(notified.codes, Codes({260}));
}

TEST_F(Selection, TheMagicWandTakesTheConnectedPixelsWithinTheTolerance)
{
    tool->SetSelectMode(RegionSelector::SELECTMODE_MAGICWAND);
    Click(15, 15);
    EXPECT_TRUE(IsRectangle(10, 10, 29, 29));  // not the other square of the same colour
    tool->SetTorlerance(255);
    Click(100, 80);
    EXPECT_TRUE(IsRectangle(0, 0, kWidth - 1, kHeight - 1));
    notified.codes.clear();
    Click(200, 200);  // off the picture: the selection goes
    EXPECT_EQ(CountSelected(0, 0, 0, 0).first, 0);
    EXPECT_EQ(notified.codes, Codes({260, 256}));
}

TEST_F(Selection, TheBorderShowsDashesOnTheOutlineAndMovesEachTick)
{
    tool->SetSelectMode(RegionSelector::SELECTMODE_RECTANGLE);
    Drag({30, 20}, {89, 69});
    auto screen = [&] {
        Pump();
        return View().grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    const QImage before = screen();
    const QPoint corner = ViewPointOf(30, 20);
    const QImage& dashes = ImageWindow::CViewSelection::Pattern(View().Selection().Phase());
    for (int i = 0; i < 60; ++i) {  // the top edge, dash by dash
        const QPoint top = corner + QPoint(i, 0);
        ASSERT_EQ(before.pixel(top), dashes.pixel(top.x() % 8, top.y() % 8)) << i;
    }
    EXPECT_EQ(before.pixel(corner + QPoint(5, 5)), Shapes().pixel(35, 25) | 0xFF000000u);  // inside: the picture
    EXPECT_EQ(before.pixel(corner + QPoint(5, -1)), kGround | 0xFF000000u);             // outside: the picture

    View().OnTimer(ImageWindow::CImageWindow::TIMER_DRAWSELECTBOX);
    const QImage after = screen();
    int changed = 0;
    for (int i = 0; i < 60; ++i) changed += after.pixel(corner + QPoint(i, 0)) != before.pixel(corner + QPoint(i, 0));
    EXPECT_GT(changed, 10);  // the dashes crawled
}

TEST_F(Selection, SettingsAreKeptBetweenRuns)
{
    tool->SetSelectOverlapMode(RegionSelector::OVERLAPMODE_SUBTRACT);
    tool->SetFeatheringRadius(7);
    tool->SetTorlerance(42);
    theApp.SaveToolSettings();
    std::vector<BYTE> stored;
    ASSERT_TRUE(theApp.GetProfileBinary(L"", L"region_selector", stored));
    EXPECT_EQ(stored, std::vector<BYTE>({3, 0, 0, 0, 3, 0, 0, 0, 7, 0, 0, 0, 42, 0, 0, 0}));
    tool->SetSelectOverlapMode(RegionSelector::OVERLAPMODE_NEW);
    tool->SetFeatheringRadius(0);
    theApp.LoadToolSettings();
    EXPECT_EQ(tool->GetSelectOverlapMode(), RegionSelector::OVERLAPMODE_SUBTRACT);
    EXPECT_EQ(tool->GetFeatheringRadius(), 7);
    EXPECT_EQ(tool->GetTorlerance(), 42);
}

// The red-eye tool in the real main dialog, loaded into the window's image
// view the way the window loads a product tool, with drags delivered through
// the top-level window as a person's arrive: the rectangle each drag records
// at several zooms and scroll positions, drags that record nothing, a lost
// capture, the repair of a drawn face with its history steps, and the
// tool's amount kept between runs.
#include <QTest>
#include <QWindow>

#include "MainWndTestSupport.h"
#include "imagewindow/tools/RedeyeReduction.h"
#include "operations/OptParam_RedeyeReduction.h"
#include "support/LogWatch.h"
#include "support/RedEyeFace.h"

using namespace MainWndTest;
using CorvaneTest::RedEyeFace;
using ImageWindow::EmbeddedTool::RedeyeReduction;

namespace {

class RedeyeTool : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        CreateWindow();
        tool = dynamic_cast<RedeyeReduction*>(theApp.m_arrTools->Get(CCorvaneLoaderApp::TOOL_REDEYEREDUCTION));
        ASSERT_NE(tool, nullptr);
        tool->SetDarkenAmount(40);
    }
    void TearDown() override
    {
        View().UnloadEmbeddedTool();
        MainWindowFixture::TearDown();
    }

    void Open(const QImage& image)
    {
        SaveImage(image, folder + L"photo.png");
        OpenThroughDialog(folder + L"photo.png");
        ASSERT_EQ(View().LoadEmbeddedTool(*tool), 1);
        dialog->activateWindow();
        Pump();
    }

    ImageWindow::CImageWindow& View() { return dialog->GetDisplayWnd(); }
    QPoint InWindow(const QPoint& viewPoint) { return View().mapTo(dialog.get(), viewPoint); }

    // Presses at `from`, moves half-way and on to `to`, and releases there
    // (view window points), all through the top-level window.
    void Drag(const QPoint& from, const QPoint& to)
    {
        QWindow* window = dialog->windowHandle();
        QTest::mousePress(window, Qt::LeftButton, {}, InWindow(from));
        QTest::mouseMove(window, InWindow((from + to) / 2));
        QTest::mouseMove(window, InWindow(to));
        QTest::mouseRelease(window, Qt::LeftButton, {}, InWindow(to));
        WaitForOperation();
        Pump();
    }
    // The view's window point that shows display point (x, y) at the
    // current zoom and scroll position.
    QPoint AtDisplay(int x, int y)
    {
        const CPoint scroll = View().GetDispPosition();
        return QPoint(x - scroll.x, y - scroll.y);
    }

    // The parameters of the history step on screen; null for another kind.
    const OptParam_RedeyeReduction* LastRepair()
    {
        return dynamic_cast<const OptParam_RedeyeReduction*>(theApp.m_OptHistory.Current()->m_pParam);
    }

    RedeyeReduction* tool{nullptr};
};

CRect Rect(const QRect& r) { return CRect::FromQRect(r); }

} // namespace

TEST_F(RedeyeTool, EachDragRecordsItsRectangleInImagePixelsAtAnyZoomAndScroll)
{
    Open(PatternImage(1200, 900));
    struct Case {
        int scaleIndex;          // 7 is 100 %, 6 is 200 %, 9 is 1/3
        QPoint scroll;           // asked for; a picture smaller than the view stays centred
        QPoint from, to;         // display points
        CRect expected;
    };
    const Case cases[] = {
        {7, {0, 0}, {40, 30}, {10, 50}, {10, 30, 40, 50}},
        {7, {150, 100}, {200, 120}, {260, 90}, {200, 90, 260, 120}},
        // trunc(display / 2): 601 and 531 give 300 and 265
        {6, {500, 300}, {601, 351}, {531, 471}, {265, 175, 300, 235}},
        // The zoom 1/3 is the single-precision value, a hair above a third:
        // display 33 shows image pixel 98 (33 / 0.33333334 = 98.99999).
        {9, {0, 0}, {33, 30}, {100, 151}, {98, 89, 299, 452}},
    };
    std::size_t entries = HistorySize();
    for (const Case& c : cases) {
        dialog->SetDisplayScale(0, c.scaleIndex);
        View().SetDispPosition(c.scroll.x(), c.scroll.y());
        Drag(AtDisplay(c.from.x(), c.from.y()), AtDisplay(c.to.x(), c.to.y()));
        ASSERT_EQ(HistorySize(), ++entries) << c.scaleIndex;
        ASSERT_NE(LastRepair(), nullptr);
        EXPECT_EQ(CRect(LastRepair()->m_rcRect), c.expected) << c.scaleIndex;
        EXPECT_EQ(LastRepair()->m_nDarkenAmount, 40);
        EXPECT_EQ(tool->GetDetectRect(), c.expected);
    }
    EXPECT_LT(View().GetDispPosition().x, 0);  // the last picture was centred

    // A drag reaching over the picture's edge is recorded as drawn, unclipped.
    Drag(AtDisplay(-30, 10), AtDisplay(20, 40));
    ASSERT_EQ(HistorySize(), ++entries);
    EXPECT_EQ(CRect(LastRepair()->m_rcRect), CRect(-89, 29, 59, 119));
}

TEST_F(RedeyeTool, ClicksAndDragsThatCoverNoPixelOfThePhotoRecordNothing)
{
    Open(PatternImage(1200, 900));
    CorvaneTest::LogWatch log;
    dialog->SetDisplayScale(0, 6);  // 200 %
    View().SetDispPosition(400, 300);
    Drag(AtDisplay(600, 400), AtDisplay(600, 400));  // a click
    Drag(AtDisplay(600, 400), AtDisplay(601, 401));  // within image pixel (300, 200)
    Drag(AtDisplay(600, 400), AtDisplay(700, 400));  // along one row: no height
    EXPECT_EQ(tool->GetDetectRect(), CRect(300, 200, 350, 200));
    dialog->SetDisplayScale(0, 9);  // 1/3: grey margins all around
    Drag(QPoint(2, 2), QPoint(12, 14));
    EXPECT_EQ(theApp.m_nAppState, CCorvaneLoaderApp::APPSTATE_EDITING);
    EXPECT_EQ(HistorySize(), 1u);
    EXPECT_FALSE(theApp.m_bModified);
    EXPECT_EQ(log.Count("covers no pixel of the image; nothing to do."), 3);
}

TEST_F(RedeyeTool, LosingTheCaptureEndsTheDragWithoutARepair)
{
    Open(PatternImage(400, 300));
    dialog->SetDisplayScale(0, 7);
    QWindow* window = dialog->windowHandle();
    const QPoint from = ViewPointOf(50, 50), to = ViewPointOf(150, 120);
    QTest::mousePress(window, Qt::LeftButton, {}, InWindow(from));
    QTest::mouseMove(window, InWindow(to));
    ASSERT_TRUE(tool->IsDragging());
    ASSERT_TRUE(View().HasCapture());

    QWidget other;  // another window comes to the front
    other.show();
    other.activateWindow();
    Pump(50);
    EXPECT_FALSE(tool->IsDragging());
    EXPECT_FALSE(View().HasCapture());

    dialog->activateWindow();
    Pump(50);
    QTest::mouseRelease(window, Qt::LeftButton, {}, InWindow(to));  // the late release changes nothing
    Pump();
    EXPECT_EQ(HistorySize(), 1u);
    EXPECT_EQ(CurrentSnapshot(), PatternImage(400, 300));
    const QImage shown = View().grab().toImage().convertToFormat(QImage::Format_RGB888);
    EXPECT_EQ(shown.pixel(to - QPoint(1, 1)), PatternImage(400, 300).pixel(149, 119));  // no band left behind
}

TEST_F(RedeyeTool, RepairsBothEyesOfAFaceInTwoUndoableSteps)
{
    const QImage face = RedEyeFace::Draw();
    Open(face);
    dialog->SetDisplayScale(0, 6);  // 200 %: the whole face fits
    const QRect boxes[] = {RedEyeFace::EyeBox(0), RedEyeFace::EyeBox(1)};
    // Dragged from the bottom-right corner, outside the box, to its top-left.
    for (const QRect& box : boxes)
        Drag(ViewPointOf(box.right() + 1, box.bottom() + 1), ViewPointOf(box.left(), box.top()));

    ASSERT_EQ(HistorySize(), 3u);
    EXPECT_EQ(CRect(LastRepair()->m_rcRect), Rect(boxes[1]));
    EXPECT_EQ(theApp.m_OptHistory.Current()->m_strName, L"Red-Eye Removal");
    std::wstring text;
    LastRepair()->GetParamInfo(text);
    EXPECT_EQ(text, L"Darken by: 40%\r\n");
    EXPECT_TRUE(theApp.m_bModified);
    const QImage repaired = CurrentSnapshot();
    RedEyeFace::ExpectRepaired(face, repaired, {boxes[0], boxes[1]}, 40);
    const QPoint pupil = RedEyeFace::kEyes[1].centre + QPoint(3, 3);
    EXPECT_EQ(View().GetPixelRGBValue(POINT{pupil.x(), pupil.y()}, FALSE) & 0xFFFFFF,
              static_cast<DWORD>(RGB(qRed(repaired.pixel(pupil)), qGreen(repaired.pixel(pupil)),
                                     qBlue(repaired.pixel(pupil)))));  // the view shows the repair

    QWindow* window = dialog->windowHandle();
    QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);
    Pump();
    RedEyeFace::ExpectRepaired(face, CurrentSnapshot(), {boxes[0]}, 40);  // the second eye is red again
    QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);
    Pump();
    EXPECT_EQ(CurrentSnapshot(), face);
}

TEST_F(RedeyeTool, TheAmountIsStoredOnExitAndLoadedAtTheNextStart)
{
    tool->SetDarkenAmount(65);
    theApp.WriteProfileBinary(L"", L"redeye_reduction", {});
    TypeIntoWindow(&dialog->GetDisplayWnd(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    std::vector<BYTE> stored;
    ASSERT_TRUE(theApp.GetProfileBinary(L"", L"redeye_reduction", stored));
    EXPECT_EQ(stored, (std::vector<BYTE>{1, 0, 0, 0, 65, 0, 0, 0}));

    tool->SetDarkenAmount(1);
    theApp.LoadToolSettings();
    EXPECT_EQ(tool->GetDarkenAmount(), 65);
}

// The clone-stamp edition's main window, with input arriving as a person's
// does (through the top-level windows): the option strip's pen panel and its
// pop-up, keys typed into its boxes, the pen kept over a restart, a clone
// stroke recorded as one history step, and a stroke without a source.
#include <array>

#include <QLineEdit>
#include <QTest>
#include <QWindow>

#include "MainWndTestSupport.h"
#include "Wordhoard/LocalizeHelper.h"
#include "controls/FGEdit.h"
#include "controls/FGMultiSliderCtrl.h"
#include "imagewindow/tools/CloneStamp.h"
#include "io/ImageFile.h"
#include "support/AppReset.h"

using namespace MainWndTest;
using ImageWindow::EmbeddedTool::CloneStamp;
using ImageWindow::EmbeddedTool::emStyle;

namespace {

constexpr const wchar_t* kToolName = L"clone_stamp";

class CloneStampEdition : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        m_previousCode = theApp.m_strProductCode;
        theApp.m_strProductCode = L"cst";
        theApp.WriteProfileBinary(L"", kToolName, {});  // nothing stored: a first run
        NewToolAsAtStart();
    }
    void TearDown() override
    {
        if (dialog) dialog->GetDisplayWnd().UnloadEmbeddedTool();
        MainWindowFixture::TearDown();
        theApp.m_strProductCode = m_previousCode;
        theApp.WriteProfileBinary(L"", kToolName, {});
    }

    // A fresh clone stamp given the stored settings, as the program's start
    // makes it (no window may hold the old one).
    void NewToolAsAtStart()
    {
        theApp.m_arrTools->Set(CCorvaneLoaderApp::TOOL_CLONESTAMP, std::make_unique<CloneStamp>());
        theApp.LoadToolSettings();
    }
    CloneStamp& Tool() { return *dynamic_cast<CloneStamp*>(theApp.GetProductTool()); }
    // The tool's pen as {size, hardness, opacity}.
    std::array<int, 3> Pen()
    {
        emStyle style;
        std::array<int, 3> pen{};
        Tool().GetPen(style, pen[0], pen[1], pen[2]);
        return pen;
    }
    int PenSize() { return Pen()[0]; }
    CFGMultiSliderCtrl& Line() { return *dialog->GetCloneStampOptions().GetSliderCtrl(); }
    QPoint InWindow(QWidget& widget, QPoint at) { return widget.mapTo(widget.window(), at); }

    // Opens the pen pop-up with a click on the line, as a person does.
    CFGMultiSliderPanel& OpenPopup()
    {
        QTest::mouseClick(dialog->windowHandle(), Qt::LeftButton, {}, InWindow(Line(), QPoint(10, 10)));
        Pump();
        return Line().GetPanel();
    }
    // Clicks into the number box of option `index` and types `keys` into the
    // pop-up's window, where a person's keys arrive.
    void TypeIntoBox(CFGMultiSliderPanel& popup, int index, std::initializer_list<Qt::Key> keys)
    {
        CFGEdit* box = popup.GetEdit(index);
        QTest::mouseClick(popup.windowHandle(), Qt::LeftButton, {}, InWindow(*box, QPoint(20, 10)));
        Pump();
        ASSERT_TRUE(box->hasFocus());
        for (Qt::Key key : keys) QTest::keyClick(popup.windowHandle(), key);
        Pump();
    }

    std::wstring m_previousCode;
};

} // namespace

TEST_F(CloneStampEdition, ThePopupSetsThePenKeysStayInItsBoxesAndThePenSurvivesARestart)
{
    CreateWindow();
    ASSERT_NE(dialog->GetCloneStampOptions().GetSliderCtrl(), nullptr);
    EXPECT_EQ(dialog->GetSpotRemoverOptions().GetSliderPanel(), nullptr);  // only the product tool's panel
    EXPECT_EQ(Line().GetWindowText(), L"Radius: 1 Hardness: 100 Opacity: 100 ");
    EXPECT_EQ(PenSize(), 3);
    SaveImage(PatternImage(120, 90), folder + L"photo.png");
    OpenThroughDialog(folder + L"photo.png");
    const QImage photo = CurrentSnapshot();

    CFGMultiSliderPanel& popup = OpenPopup();
    ASSERT_TRUE(popup.IsCreated());
    // Letters that are shortcuts elsewhere (turn, flip) and the arrows stay
    // with the box: the photo does not turn and the picture does not scroll.
    TypeIntoBox(popup, CEBDTO_CloneStamp::SLIDER_RADIUS,
                {Qt::Key_End, Qt::Key_Backspace, Qt::Key_1, Qt::Key_2, Qt::Key_R, Qt::Key_H, Qt::Key_L});
    EXPECT_EQ(popup.GetEdit(0)->GetWindowText(), L"12");
    TypeIntoBox(popup, CEBDTO_CloneStamp::SLIDER_OPACITY,
                {Qt::Key_End, Qt::Key_Backspace, Qt::Key_Backspace, Qt::Key_Backspace, Qt::Key_6, Qt::Key_0});
    EXPECT_EQ(popup.GetEdit(2)->GetWindowText(), L"60");
    TypeIntoBox(popup, CEBDTO_CloneStamp::SLIDER_HARDNESS,
                {Qt::Key_End, Qt::Key_Backspace, Qt::Key_Backspace, Qt::Key_Backspace, Qt::Key_4, Qt::Key_5});
    EXPECT_EQ(PenSize(), 3);  // the pen changes once the pop-up closes
    QTest::keyClick(popup.windowHandle(), Qt::Key_Escape);
    Pump();
    EXPECT_FALSE(popup.IsCreated());
    EXPECT_EQ(Line().GetWindowText(), L"Radius: 12 Hardness: 45 Opacity: 60 ");
    EXPECT_EQ(Pen(), (std::array<int, 3>{25, 45, 60}));
    EXPECT_EQ(HistorySize(), 1u);
    EXPECT_EQ(CurrentSnapshot(), photo);
    EXPECT_TRUE(dialog->isVisible());  // Escape closed the pop-up, not the program

    // Closing the window stores the pen; the next start gives it back.
    theApp.SaveToolSettings();
    dialog->GetDisplayWnd().UnloadEmbeddedTool();
    dialog.reset();
    theApp.SetMainWindow(nullptr);
    CorvaneTest::ClearEditing();
    theApp.m_nAppState = CCorvaneLoaderApp::APPSTATE_STARTING;
    NewToolAsAtStart();
    CreateWindow();
    EXPECT_EQ(Line().GetWindowText(), L"Radius: 12 Hardness: 45 Opacity: 60 ");
    EXPECT_EQ(Pen(), (std::array<int, 3>{25, 45, 60}));
}

TEST_F(CloneStampEdition, ADamagedStoredPenOpensAsTheFirstRunPen)
{
    // The right length, but a size no pen can have.
    theApp.WriteProfileBinary(L"", kToolName, {1, 0, 0, 0, 0, 0, 0, 0, 0x0F, 0x27, 0, 0, 50, 0, 0, 0, 50, 0, 0, 0});
    NewToolAsAtStart();
    CreateWindow();
    EXPECT_EQ(Line().GetWindowText(), L"Radius: 1 Hardness: 100 Opacity: 100 ");
    EXPECT_EQ(PenSize(), 3);
}

TEST_F(CloneStampEdition, AnAltClickAndADragCopyThroughTheOffsetAsOneStepThatCtrlZUndoes)
{
    CreateWindow();
    SaveImage(PatternImage(200, 150), folder + L"photo.png");
    OpenThroughDialog(folder + L"photo.png");
    dialog->GetDisplayWnd().SetZoom(1.0);
    dialog->activateWindow();
    Pump();
    const QImage before = CurrentSnapshot();
    QWindow* window = dialog->windowHandle();
    ImageWindow::CImageWindow& view = dialog->GetDisplayWnd();
    const auto at = [&](int x, int y) { return InWindow(view, ViewPointOf(x, y)); };

    QTest::mousePress(window, Qt::LeftButton, Qt::AltModifier, at(40, 30));
    QTest::mouseRelease(window, Qt::LeftButton, Qt::AltModifier, at(40, 30));
    EXPECT_EQ(Tool().GetSource().x, 40);
    QTest::mousePress(window, Qt::LeftButton, {}, at(120, 80));
    QTest::qWait(40);  // the stroke's path starts where the pointer was pressed
    for (int x = 125; x <= 160; x += 5) {
        QTest::qWait(20);
        QTest::mouseMove(window, at(x, 80));
    }
    QTest::qWait(20);
    QTest::mouseRelease(window, Qt::LeftButton, {}, at(160, 80));
    Pump();

    ASSERT_EQ(HistorySize(), 2u);
    EXPECT_EQ(theApp.m_OptHistory.Current()->m_strName,
              LocalizeHelper::GetDictionaryItem("Dictionary", L"IDS_VELMIRA_OPERATION_NAME_CLONESTAMP"));
    const QImage after = CurrentSnapshot();
    for (int x = 120; x <= 160; ++x) ASSERT_EQ(after.pixel(x, 80), before.pixel(x - 80, 30)) << x;  // pen size 3
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x)
            if (std::abs(y - 80) > 1 || x < 119 || x > 161) {
                ASSERT_EQ(after.pixel(x, y), before.pixel(x, y)) << x << "," << y;
            }
    QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);
    Pump();
    EXPECT_EQ(CurrentSnapshot(), before);
}

TEST_F(CloneStampEdition, AStrokeWithoutASourceShowsTheMessageAndChangesNothing)
{
    CreateWindow();
    SaveImage(PatternImage(120, 90), folder + L"photo.png");
    OpenThroughDialog(folder + L"photo.png");
    const QImage before = CurrentSnapshot();
    QWindow* window = dialog->windowHandle();
    const QPoint point = InWindow(dialog->GetDisplayWnd(), ViewPointOf(60, 45));
    QTest::mousePress(window, Qt::LeftButton, {}, point);
    QTest::mouseRelease(window, Qt::LeftButton, {}, point);
    Pump();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], LocalizeHelper::GetDictionaryItem("Dictionary", L"IDS_VELMIRA_MSG_CLONESTAMP_SOURCE_POINT_NOT_SET"));
    EXPECT_EQ(HistorySize(), 1u);
    EXPECT_EQ(CurrentSnapshot(), before);
}

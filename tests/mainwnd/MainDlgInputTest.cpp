// Keys and clicks delivered as a person's arrive: to the top-level window,
// with the keyboard focus where the person left it, checking what the person
// sees (the number in the spot-size box, the scroll position, the zoom, the
// history).
#include <QTest>

#include "MainWndTestSupport.h"
#include "app/CommandIds.h"
#include "controls/FGEdit.h"
#include "controls/FGMultiSliderPanel.h"
#include "controls/FGSliderCtrl.h"
#include "imagewindow/tools/SpotRemover.h"

using namespace MainWndTest;
using App = CCorvaneLoaderApp;

class MainWindowInput : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        CreateWindow();
    }

    // Opens a `width` x `height` pattern photo shown at 100 %.
    void OpenAtOriginalSize(int width, int height)
    {
        const std::wstring photo = folder + L"photo.png";
        SaveImage(PatternImage(width, height), photo);
        OpenThroughDialog(photo);
        dialog->DispatchCommand(IDM_MAIN_VIEW_ORIGINALSIZE);
        Pump();
    }

    ImageWindow::CImageWindow& View() { return dialog->GetDisplayWnd(); }
    CFGMultiSliderPanel& SizePanel() { return *dialog->GetSpotRemoverOptions().GetSliderPanel(); }
    QString SizeBox() { return SizePanel().GetEdit(0)->text(); }
    CPoint Scroll() { return View().GetDispPosition(); }
};

TEST_F(MainWindowInput, KeysGoToTheSpotSizeControlThatHasTheFocus)
{
    OpenAtOriginalSize(1600, 1200);  // larger than the view: the arrows would scroll it
    SizePanel().SetSliderValue(0, 15);
    const CPoint scroll = Scroll();
    CFGEdit* box = SizePanel().GetEdit(0);
    CFGSliderCtrl* slider = SizePanel().GetSlider(0);

    TypeIntoWindow(box, Qt::Key_R);
    EXPECT_EQ(theApp.m_nAppState, App::APPSTATE_EDITING);
    EXPECT_EQ(HistorySize(), 1u);  // the photo was not turned
    TypeIntoWindow(box, Qt::Key_Up);
    EXPECT_EQ(SizeBox(), QStringLiteral("16"));
    TypeIntoWindow(slider, Qt::Key_Right);
    EXPECT_EQ(SizeBox(), QStringLiteral("17"));
    auto* tool = dynamic_cast<ImageWindow::EmbeddedTool::SpotRemover*>(theApp.GetProductTool());
    ASSERT_NE(tool, nullptr);
    EXPECT_EQ(tool->GetSize(), 17);
    EXPECT_EQ(Scroll(), scroll);  // the picture stayed where it was

    // With the focus back on the picture the same keys are shortcuts.
    TypeIntoWindow(&View(), Qt::Key_Right);
    EXPECT_GT(Scroll().x, scroll.x);
    TypeIntoWindow(&View(), Qt::Key_R);
    WaitForOperation();
    EXPECT_EQ(HistorySize(), 2u);
}

TEST_F(MainWindowInput, TheMainKeyboardsPlusEqualsAndMinusZoomAsTheKeypadsDo)
{
    OpenAtOriginalSize(60, 40);
    const std::pair<Qt::Key, Qt::KeyboardModifiers> steps[] = {
        {Qt::Key_Plus, Qt::ShiftModifier},  // + on a US keyboard is Shift and =
        {Qt::Key_Equal, Qt::NoModifier},
        {Qt::Key_Minus, Qt::ControlModifier},
        {Qt::Key_Equal, Qt::ControlModifier},
        {Qt::Key_Plus, Qt::KeypadModifier},
    };
    const double zooms[] = {2.0, 3.0, 2.0, 3.0, 4.0};
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        TypeIntoWindow(&View(), steps[i].first, steps[i].second);
        EXPECT_DOUBLE_EQ(View().GetZoom(), zooms[i]) << i;
    }
    TypeIntoWindow(&View(), Qt::Key_Minus);
    EXPECT_DOUBLE_EQ(View().GetZoom(), 3.0);
    EXPECT_NE(StatusText(CMainDlg::STATUS_IMAGEINFO).find(L"300.00%"), std::wstring::npos);

    // Typed into the spot-size box, a minus is part of the number.
    TypeIntoWindow(SizePanel().GetEdit(0), Qt::Key_Minus);
    EXPECT_DOUBLE_EQ(View().GetZoom(), 3.0);
}

TEST_F(MainWindowInput, AClickOnTheGreyMarginRecordsNothing)
{
    OpenAtOriginalSize(60, 40);  // centred in the view with a wide grey margin
    SizePanel().SetSliderValue(0, 15);
    const std::vector<UINT> before = EnabledButtons();

    ClickThroughWindow(ViewPointOf(-8, 20));  // the 15-pixel square ends one pixel left of the photo
    EXPECT_EQ(theApp.m_nAppState, App::APPSTATE_EDITING);
    EXPECT_EQ(HistorySize(), 1u);
    EXPECT_FALSE(theApp.m_bModified);
    EXPECT_EQ(EnabledButtons(), before);  // Undo stays off
    ClickThroughWindow(QPoint(3, 3));
    EXPECT_EQ(HistorySize(), 1u);
    EXPECT_TRUE(dialog->OnFileClose());
    EXPECT_TRUE(boxes.empty());  // nothing to save, nothing asked

    // A square that still reaches the photo repairs its edge.
    OpenAtOriginalSize(60, 40);
    ClickThroughWindow(ViewPointOf(-7, 20));
    WaitForOperation();
    EXPECT_EQ(HistorySize(), 2u);
    EXPECT_TRUE(theApp.m_bModified);
}

TEST_F(MainWindowInput, TheFourScrollCommandsMoveThePictureTheirWay)
{
    OpenAtOriginalSize(1600, 1200);
    View().MoveImage(-10000, -10000);  // top-left corner: nothing left or above
    const CPoint start = Scroll();
    dialog->DispatchCommand(IDM_MOVEDOWN);
    EXPECT_TRUE(Scroll().y > start.y && Scroll().x == start.x);
    dialog->DispatchCommand(IDM_MOVERIGHT);
    const CPoint moved = Scroll();
    EXPECT_GT(moved.x, start.x);
    dialog->DispatchCommand(IDM_MOVEUP);
    EXPECT_TRUE(Scroll().y < moved.y && Scroll().x == moved.x);
    dialog->DispatchCommand(IDM_MOVELEFT);
    EXPECT_EQ(Scroll(), start);
}

TEST_F(MainWindowInput, EscapeStoresTheSpotSizeAndCloses)
{
    SizePanel().SetSliderValue(0, 42);
    theApp.WriteProfileBinary(L"", L"spot_remover", {});
    TypeIntoWindow(&View(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    std::vector<BYTE> stored;
    ASSERT_TRUE(theApp.GetProfileBinary(L"", L"spot_remover", stored));
    EXPECT_EQ(stored, (std::vector<BYTE>{1, 0, 0, 0, 42, 0, 0, 0}));
}

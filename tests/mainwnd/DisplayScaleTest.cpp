// Zoom stepping through the display scale table, and the fit into the view.
#include <cmath>

#include "MainWndTestSupport.h"
#include "app/CommandIds.h"
#include "mainwnd/DisplayScale.h"

using namespace MainWndTest;

TEST(DisplayScaleTable, HoldsNineteenScalesWithSinglePrecisionThirdsAndSevenths)
{
    EXPECT_EQ(DisplayScale::At(0), 8.0);
    EXPECT_EQ(DisplayScale::At(DisplayScale::INDEX_ORIGINAL), 1.0);
    EXPECT_EQ(DisplayScale::At(9), 0.3333333432674408);
    EXPECT_EQ(DisplayScale::At(11), 0.20000000298023224);
    EXPECT_EQ(DisplayScale::At(12), 0.1666666716337204);
    EXPECT_EQ(DisplayScale::At(13), 0.1428571492433548);
    EXPECT_EQ(DisplayScale::At(18), 1.0 / 128.0);
    for (int i = 0; i + 1 < DisplayScale::COUNT; ++i) EXPECT_GT(DisplayScale::At(i), DisplayScale::At(i + 1)) << i;
}

TEST(DisplayScaleTable, NearestIndexRoundsToTheCloserScaleAndHalfWayUp)
{
    EXPECT_EQ(DisplayScale::NearestIndex(8.0), 0);
    EXPECT_EQ(DisplayScale::NearestIndex(12.5), 0);
    EXPECT_EQ(DisplayScale::NearestIndex(1.0 / 128.0), 18);
    EXPECT_EQ(DisplayScale::NearestIndex(0.001), 18);
    EXPECT_EQ(DisplayScale::NearestIndex(std::nan("")), 18);
    EXPECT_EQ(DisplayScale::NearestIndex(0.45), 8);   // nearer 1/2 than 1/3
    EXPECT_EQ(DisplayScale::NearestIndex(0.75), 7);   // exactly half-way: the larger scale
    EXPECT_EQ(DisplayScale::NearestIndex(0.74), 8);
    EXPECT_EQ(DisplayScale::NearestIndex(1.0 / 6.0), 12);  // the fit of 4000 x 3000 into 800 x 500
    for (int i = 0; i < DisplayScale::COUNT; ++i) EXPECT_EQ(DisplayScale::NearestIndex(DisplayScale::At(i)), i) << i;
}

TEST(DisplayScaleTable, StepsStayInsideTheTable)
{
    EXPECT_EQ(DisplayScale::StepIndex(8.0, true), 0);
    EXPECT_EQ(DisplayScale::StepIndex(8.0, false), 1);
    EXPECT_EQ(DisplayScale::StepIndex(1.0 / 128.0, false), 18);
    EXPECT_EQ(DisplayScale::StepIndex(1.0 / 128.0, true), 17);
    EXPECT_EQ(DisplayScale::StepIndex(0.45, true), 7);
    EXPECT_EQ(DisplayScale::StepIndex(0.45, false), 9);
}

class ZoomCommands : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        CreateWindow();
        SaveImage(PatternImage(256, 192), folder + L"pattern.png");
        OpenThroughDialog(folder + L"pattern.png");
    }
    double Zoom() { return dialog->GetDisplayWnd().GetZoom(); }
};

TEST_F(ZoomCommands, ZoomInAndOutStopAtTheEndsOfTheTable)
{
    dialog->GetDisplayWnd().SetZoom(8.0);
    dialog->DispatchCommand(IDM_ZOOMIN);
    EXPECT_EQ(Zoom(), 8.0);
    dialog->DispatchCommand(IDM_ZOOMOUT);
    EXPECT_EQ(Zoom(), 7.0);

    dialog->GetDisplayWnd().SetZoom(1.0 / 128.0);
    dialog->DispatchCommand(IDM_ZOOMOUT);
    EXPECT_EQ(Zoom(), 1.0 / 128.0);
    PressKey(Qt::Key_Plus, Qt::KeypadModifier);  // numeric-pad + is Zoom In
    EXPECT_EQ(Zoom(), 1.0 / 64.0);
}

TEST_F(ZoomCommands, AnOffTableZoomStepsFromItsNearestScale)
{
    dialog->GetDisplayWnd().SetZoom(0.45);
    dialog->DispatchCommand(IDM_ZOOMIN);
    EXPECT_EQ(Zoom(), 1.0);
    EXPECT_EQ(StatusText(CMainDlg::STATUS_IMAGEINFO), L"256x192x24BPP (256x192, 100.00%)");
    dialog->DispatchCommand(IDM_ZOOMOUT);
    dialog->DispatchCommand(IDM_ZOOMOUT);
    EXPECT_EQ(Zoom(), 0.3333333432674408);
    dialog->DispatchCommand(IDM_MAIN_VIEW_ORIGINALSIZE);
    EXPECT_EQ(Zoom(), 1.0);
}

TEST_F(ZoomCommands, FitWindowUsesTheWholeViewAndTheSmallerRatio)
{
    // A 4000 x 3000 photo in an 800 x 500 view: 500 / 3000 wins over 800 / 4000.
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 4000, 3000, 1, 24, BI_RGB, 4000 * 3 * 3000, 0, 0, 0, 0};
    std::vector<BYTE> pixels(info.bmiHeader.biSizeImage, 0x80);
    dialog->GetDisplayWnd().resize(800, 500);
    ASSERT_TRUE(dialog->SetImage(pixels.data(), info));
    EXPECT_EQ(Zoom(), 1.0);  // a new image starts at 100 %, with scroll bars
    dialog->DispatchCommand(IDM_MAIN_VIEW_FITWINDOW);
    EXPECT_DOUBLE_EQ(Zoom(), 1.0 / 6.0);
    EXPECT_EQ(StatusText(CMainDlg::STATUS_IMAGEINFO), L"4000x3000x24BPP (667x500, 16.67%)");
    EXPECT_DOUBLE_EQ(dialog->SetDisplayScale(CMainDlg::ADAPT_FITNOENLARGE, 0), 1.0 / 6.0);  // returns the zoom before
    EXPECT_DOUBLE_EQ(Zoom(), 1.0 / 6.0);  // a fit that may not enlarge never goes above 100 %
    dialog->UnloadToolAndClearImage();  // the view lets go of the pixels before they are freed
}

TEST_F(ZoomCommands, RefusedScalesLeaveTheZoomAlone)
{
    dialog->GetDisplayWnd().SetZoom(2.0);
    EXPECT_EQ(dialog->SetDisplayScale(CMainDlg::ADAPT_SCALE, 19), 2.0);
    EXPECT_EQ(dialog->SetDisplayScale(4, 7), 2.0);
    EXPECT_EQ(Zoom(), 2.0);
    EXPECT_EQ(dialog->SetDisplayScale(CMainDlg::ADAPT_ORIGINAL, 0), 2.0);
    EXPECT_EQ(Zoom(), 1.0);
    // A small picture is fitted by enlarging it; the no-enlarge fit keeps 100 %.
    dialog->SetDisplayScale(CMainDlg::ADAPT_FITWINDOW, 7);
    EXPECT_GT(Zoom(), 1.0);
    dialog->SetDisplayScale(CMainDlg::ADAPT_FITNOENLARGE, 7);
    EXPECT_EQ(Zoom(), 1.0);
}

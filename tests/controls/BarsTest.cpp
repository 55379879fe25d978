// The toolbar, the status bar and the file dialog.

#include "SkinFixture.h"

#include "controls/FGFileDialog.h"
#include "controls/FGSliderCtrl.h"
#include "controls/FGStatusBarCtrl.h"
#include "controls/FGTooltipCtrl.h"
#include "controls/FGToolbar.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QWheelEvent>

namespace {

class Bars : public ::testing::Test {
protected:
    void SetUp() override { LoadProgramSkin(); }
};

CBitmap* Picture(QColor colour)
{
    auto* bitmap = new CBitmap;
    QImage image(24, 24, QImage::Format_RGB32);
    image.fill(QColor(255, 0, 255));
    for (int y = 6; y < 18; ++y)
        for (int x = 6; x < 18; ++x) image.setPixelColor(x, y, colour);
    bitmap->CreateFromImage(image);
    return bitmap;
}

} // namespace

TEST_F(Bars, ToolbarButtonsSendCommandsAndShowTheirState)
{
    MessageRecorder parent;
    parent.resize(600, 100);
    CFGToolbar toolbar;
    ASSERT_TRUE(toolbar.Create(1000, &parent, 0, FGTB_HORIZONTAL, 44, 40, 2, 5));
    EXPECT_FALSE(toolbar.Create(1000, &parent, 0, FGTB_VERTICAL));
    EXPECT_EQ(toolbar.height(), 44);
    ASSERT_TRUE(toolbar.InsertButton(30000, L"Open"));
    EXPECT_FALSE(toolbar.InsertButton(30000, L"twice"));
    EXPECT_FALSE(toolbar.InsertButton(0, L"no id"));
    ASSERT_TRUE(toolbar.InsertSeparator());
    ASSERT_TRUE(toolbar.InsertButton(16, L"About"));
    EXPECT_EQ(toolbar.GetItemRect(0), QRect(5, 2, 40, 40));
    EXPECT_TRUE(toolbar.IsSeparator(1));
    EXPECT_EQ(toolbar.GetItemRect(2).left(), 5 + 40 + 2 + 9 + 2);

    std::unique_ptr<CBitmap> normal(Picture(Qt::black)), hot(Picture(Qt::blue)), off(Picture(Qt::gray));
    ASSERT_TRUE(toolbar.SetButtonBitmaps(30000, normal.get(), hot.get(), off.get(), RGB(255, 0, 255)));
    EXPECT_FALSE(toolbar.SetButtonBitmaps(30000, normal.get(), nullptr, off.get(), RGB(255, 0, 255)));
    parent.show();

    const QPoint centre = toolbar.GetItemRect(0).center();
    const QPoint corner = toolbar.GetItemRect(0).topLeft() + QPoint(9, 9);
    QImage shot = toolbar.grab().toImage();
    EXPECT_EQ(shot.pixelColor(centre), QColor(Qt::black));
    EXPECT_NE(shot.pixelColor(corner), QColor(255, 0, 255)) << "magenta is see-through";
    toolbar.SetHotItem(0);
    EXPECT_EQ(toolbar.grab().toImage().pixelColor(centre), QColor(Qt::blue));
    toolbar.SetHotItem(1);
    EXPECT_EQ(toolbar.GetHotItem(), -1) << "a separator is never hot";

    QTest::mouseClick(&toolbar, Qt::LeftButton, {}, centre);
    ASSERT_EQ(parent.Count(WM_COMMAND), 1);
    EXPECT_EQ(parent.received[0].wParam, MAKELONG(30000, 0));
    EXPECT_EQ(parent.received[0].lParam, 0) << "as a menu command: no control window";

    ASSERT_TRUE(toolbar.EnableButton(30000, FALSE));
    EXPECT_FALSE(toolbar.IsButtonEnabled(30000));
    EXPECT_EQ(toolbar.grab().toImage().pixelColor(centre), QColor(Qt::gray));
    QTest::mouseClick(&toolbar, Qt::LeftButton, {}, centre);
    EXPECT_EQ(parent.Count(WM_COMMAND), 1) << "a disabled button sends nothing";
    EXPECT_EQ(toolbar.GetButtonTooltip(16), L"About");
    EXPECT_FALSE(toolbar.EnableButton(4242, TRUE));
}

TEST_F(Bars, TheWheelScrollsAToolbarThatDoesNotFit)
{
    MessageRecorder parent;
    CFGToolbar toolbar;
    toolbar.Create(1000, &parent);
    for (UINT id = 1; id <= 10; ++id) toolbar.InsertButton(id, nullptr);
    toolbar.resize(200, 44);
    auto turn = [&](int delta) {
        QWheelEvent wheel(QPointF(100, 20), toolbar.mapToGlobal(QPointF(100, 20)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&toolbar, &wheel);
    };
    turn(-120);
    EXPECT_EQ(toolbar.GetScrollOffset(), 42);
    for (int i = 0; i < 20; ++i) turn(-120);
    EXPECT_EQ(toolbar.GetScrollOffset(), toolbar.GetContentLength() - 200) << "never past the last button";
    EXPECT_EQ(toolbar.GetItemRect(9).right(), 200 - 5 - 1);
    for (int i = 0; i < 20; ++i) turn(120);
    EXPECT_EQ(toolbar.GetScrollOffset(), 0);
    toolbar.resize(1000, 44);
    turn(-120);
    EXPECT_EQ(toolbar.GetScrollOffset(), 0) << "nothing to scroll when everything fits";
}

TEST_F(Bars, StatusBarPartsEndAtTheirRightEdges)
{
    MessageRecorder parent;
    CFGStatusBarCtrl bar;
    ASSERT_TRUE(bar.Create(WS_VISIBLE, RECT{0, 0, 0, 0}, &parent, 1003));
    EXPECT_EQ(bar.height(), CFGStatusBarCtrl::kHeight);
    bar.resize(800, bar.height());
    const int edges[3] = {300, 450, -1};
    ASSERT_TRUE(bar.SetParts(3, edges));
    EXPECT_FALSE(bar.SetParts(0, edges));
    EXPECT_EQ(bar.GetPartRect(0), QRect(0, 0, 300, bar.height()));
    EXPECT_EQ(bar.GetPartRect(1), QRect(300, 0, 150, bar.height()));
    EXPECT_EQ(bar.GetPartRect(2), QRect(450, 0, 350, bar.height())) << "-1 runs to the right end";
    EXPECT_TRUE(bar.SetText(L"X=1,Y=2", 1));
    EXPECT_FALSE(bar.SetText(L"x", 3));
    EXPECT_EQ(bar.GetText(1), L"X=1,Y=2");
    EXPECT_EQ(bar.GetText(0), L"");
    int read[3] = {};
    EXPECT_EQ(bar.GetParts(3, read), 3);
    EXPECT_EQ(read[2], -1);
}

TEST_F(Bars, FileDialogFiltersAndPresetAnswers)
{
    const wchar_t* filter = L"All supported (*.bmp;*.jpg;*.jpeg)|*.bmp;*.jpg;*.jpeg|BMP (*.bmp)|*.bmp|"
                            L"JPEG (*.jpg;*.jpeg)|*.jpg;*.jpeg||";
    const auto filters = CFGFileDialog::ParseFilter(filter);
    ASSERT_EQ(filters.size(), 3u);
    EXPECT_EQ(filters[2], (CFGFileDialog::Filter{L"JPEG (*.jpg;*.jpeg)", L"*.jpg;*.jpeg"}));
    EXPECT_EQ(CFGFileDialog::ToNameFilter(filters[2]), L"JPEG (*.jpg *.jpeg)");
    EXPECT_EQ(CFGFileDialog::ToNameFilter({L"Pictures", L"*.png"}), L"Pictures (*.png)");
    EXPECT_TRUE(CFGFileDialog::ParseFilter(nullptr).empty());

    CFGFileDialog save(FALSE, L"", L"harbour.jpg", OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY, filter);
    CFGFileDialog::SetModalHook([](CFGFileDialog& shown) -> INT_PTR {
        EXPECT_FALSE(shown.IsOpenDialog());
        EXPECT_EQ(shown.GetProposedFileName(), L"harbour.jpg");
        EXPECT_EQ(shown.GetFilters().size(), 3u);
        shown.SetResult(L"/tmp/out/harbour.jpeg", 3);
        return IDOK;
    });
    EXPECT_EQ(save.DoModal(), IDOK);
    EXPECT_EQ(save.GetPathName(), L"/tmp/out/harbour.jpeg");
    EXPECT_EQ(save.GetFileName(), L"harbour.jpeg");
    EXPECT_EQ(save.GetFileExt(), L"jpeg");
    EXPECT_EQ(save.GetFilterIndex(), 3u);

    CFGFileDialog::SetModalHook([](CFGFileDialog&) -> INT_PTR { return IDCANCEL; });
    CFGFileDialog open(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST, filter);
    EXPECT_EQ(open.DoModal(), IDCANCEL);
    EXPECT_EQ(open.GetPathName(), L"");
    CFGFileDialog::SetModalHook({});
}

TEST_F(Bars, SliderPostsTrackingMovesAndTheFinalPosition)
{
    MessageRecorder parent;
    CFGSliderCtrl slider;
    ASSERT_TRUE(slider.Create(WS_VISIBLE, RECT{0, 0, 114, 20}, &parent, 101));
    slider.SetRange(0, 100);
    slider.SetPos(40);
    EXPECT_EQ(parent.received.size(), 0u) << "setting the position from code never notifies";

    // 100 pixels of channel for 101 positions: the middle of the channel is 51.
    const QRect channel = slider.GetChannelRect();
    EXPECT_EQ(channel.width(), 100);
    EXPECT_EQ(slider.PosFromPoint(channel.left() + 50), 51);
    EXPECT_EQ(slider.PosFromPoint(-50), 0);
    EXPECT_EQ(slider.PosFromPoint(500), 100);

    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(channel.left() + 50, 10));
    QTest::mouseMove(&slider, QPoint(channel.left() + 60, 10));
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(channel.left() + 60, 10));
    EXPECT_EQ(parent.received.size(), 0u) << "moves while dragging are posted";
    QCoreApplication::processEvents();
    ASSERT_EQ(parent.received.size(), 3u);
    const UINT codes[3] = {SB_THUMBTRACK, SB_THUMBTRACK, SB_THUMBPOSITION};
    const WORD positions[3] = {51, 61, 61};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(parent.received[i].message, WM_HSCROLL);
        EXPECT_EQ(LOWORD(static_cast<DWORD>(parent.received[i].wParam)), codes[i]);
        EXPECT_EQ(HIWORD(static_cast<DWORD>(parent.received[i].wParam)), positions[i]);
        EXPECT_EQ(parent.received[i].lParam, FGControlParam(&slider));
    }

    // A press on the thumb's own position moves nothing and ends without a final position.
    parent.received.clear();
    const int x = channel.left() + 60;
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(x, 10));
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(x, 10));
    QCoreApplication::processEvents();
    EXPECT_EQ(parent.received.size(), 0u);

    // A slider destroyed before its posted move arrives: the move is dropped.
    auto* doomed = new CFGSliderCtrl;
    doomed->Create(WS_VISIBLE, RECT{0, 0, 114, 20}, &parent, 121);
    doomed->SetRange(0, 100);
    QTest::mousePress(doomed, Qt::LeftButton, {}, QPoint(90, 10));
    delete doomed;
    QCoreApplication::processEvents();
    EXPECT_EQ(parent.received.size(), 0u);
}

TEST_F(Bars, TooltipControlForgetsDestroyedTools)
{
    QWidget owner;
    CFGTooltipCtrl tips(&owner);
    auto* tool = new QWidget(&owner);
    EXPECT_FALSE(tips.AddTool(nullptr, L"x"));
    EXPECT_TRUE(tips.AddTool(tool, L"Open a picture"));
    EXPECT_TRUE(tips.AddTool(tool, L"Open a photo"));
    EXPECT_EQ(tips.GetToolCount(), 1);
    EXPECT_EQ(tips.GetToolText(tool), L"Open a photo");
    delete tool;
    EXPECT_EQ(tips.GetToolCount(), 0);
}

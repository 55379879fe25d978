// A dodge stroke in the real main dialog, as a person's drag arrives: the
// brush loaded into the window's image view the way the window loads a
// product tool, the mouse pressed, moved and released through the top-level
// window, then the photo, the history, what the view shows, and Ctrl+Z.
#include <algorithm>
#include <vector>

#include <QTest>
#include <QTransform>
#include <QWindow>

#include "MainWndTestSupport.h"
#include "imagewindow/tools/DodgeBurn.h"

using namespace MainWndTest;
using ImageWindow::EmbeddedTool::DodgeBurn;

namespace {

// A smooth picture with a fine texture, as a photograph's sky over a wall.
QImage Photo()
{
    QImage image(200, 150, QImage::Format_RGB888);
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x)
            image.setPixel(x, y, qRgb(90 + x / 4 + (x * y) % 7, 100 + y / 3, 140 - x / 5 + (x + 2 * y) % 5));
    return image;
}

int Brightness(QRgb c) { return std::max({qRed(c), qGreen(c), qBlue(c)}); }

class DodgeBurnStroke : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        CreateWindow();
        SaveImage(Photo(), folder + L"photo.png");
        OpenThroughDialog(folder + L"photo.png");
        tool = dynamic_cast<DodgeBurn*>(theApp.m_arrTools->Get(CCorvaneLoaderApp::TOOL_DODGEBURN));
        ASSERT_NE(tool, nullptr);
        ASSERT_EQ(tool->SetPen(ImageWindow::EmbeddedTool::STYLE_ROUND, 11, 100, 100), 1);
        ASSERT_EQ(dialog->GetDisplayWnd().LoadEmbeddedTool(*tool), 1);
        dialog->GetDisplayWnd().SetZoom(1.0);
        dialog->activateWindow();
        Pump();
    }
    void TearDown() override
    {
        dialog->GetDisplayWnd().UnloadEmbeddedTool();
        MainWindowFixture::TearDown();
    }

    // Image pixel (x, y) in the top-level window's coordinates.
    QPoint InWindow(int x, int y) { return dialog->GetDisplayWnd().mapTo(dialog.get(), ViewPointOf(x, y)); }
    // The colour the view shows at image pixel (x, y).
    QRgb Shown(int x, int y)
    {
        const DWORD c = dialog->GetDisplayWnd().GetPixelRGBValue(POINT{x, y}, FALSE);
        return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
    }

    // The brush's finished picture, row 0 at the top.
    QImage ToolPicture() const
    {
        BITMAPINFO header{};
        const BYTE* bits = tool->GetBitmap(header);
        const BITMAPINFOHEADER& h = header.bmiHeader;
        const QImage rows(bits, h.biWidth, h.biHeight, static_cast<qsizetype>(DibStride(h.biWidth, h.biBitCount)),
                          QImage::Format_BGR888);
        return rows.mirrored(false, true).convertToFormat(QImage::Format_RGB888);
    }

    DodgeBurn* tool{nullptr};
};

} // namespace

TEST_F(DodgeBurnStroke, ADragLightensItsPathRecordsOneStepAndCtrlZRestoresThePhoto)
{
    const QImage before = CurrentSnapshot();
    const std::size_t entries = HistorySize();
    QWindow* window = dialog->windowHandle();
    ASSERT_NE(window, nullptr);

    // Right along row 75, then down column 160: only moves that arrived
    // make the corner (a press and a release alone would give a diagonal).
    std::vector<QPoint> path;
    for (int x = 50; x <= 160; x += 10) path.push_back(InWindow(x, 75));
    for (int y = 85; y <= 120; y += 10) path.push_back(InWindow(160, y));
    QTest::mousePress(window, Qt::LeftButton, {}, InWindow(40, 75));
    // The tracking thread takes the stroke while the pointer is still where it
    // was pressed (a first sample elsewhere is not joined to the press point).
    QTest::qWait(40);
    for (const QPoint& point : path) {
        QTest::qWait(20);
        QTest::mouseMove(window, point);
    }
    QTest::qWait(20);
    QTest::mouseRelease(window, Qt::LeftButton, {}, path.back());
    Pump();

    ASSERT_EQ(HistorySize(), entries + 1);
    EXPECT_EQ(theApp.m_OptHistory.Current()->m_strName, L"Dodge and Burn");
    EXPECT_TRUE(theApp.m_bModified);
    const QImage after = CurrentSnapshot();
    const auto lighter = [&](int x, int y) {
        return Brightness(after.pixel(x, y)) > Brightness(before.pixel(x, y)) + 20;
    };
    for (int x = 40; x <= 160; ++x) {
        ASSERT_TRUE(lighter(x, 75)) << x;
        ASSERT_EQ(Shown(x, 75), after.pixel(x, 75)) << x;  // what the view shows is what was recorded
    }
    for (int y = 75; y <= 115; ++y) ASSERT_TRUE(lighter(160, y)) << y;
    EXPECT_EQ(after, ToolPicture());  // the operator took over exactly the brush's picture
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x) {
            const bool onRow = x >= 34 && x <= 166 && y >= 69 && y <= 81;
            const bool onColumn = x >= 154 && x <= 166 && y >= 69 && y <= 126;
            if (!onRow && !onColumn) {
                ASSERT_EQ(after.pixel(x, y), before.pixel(x, y)) << x << "," << y;
            }
        }
    EXPECT_FALSE(dialog->GetDisplayWnd().bShowCover());

    QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);
    Pump();
    EXPECT_EQ(CurrentSnapshot(), before);
    EXPECT_EQ(Shown(100, 75), before.pixel(100, 75));
    EXPECT_EQ(HistorySize(), entries + 1);  // the step stays for Redo
}

TEST_F(DodgeBurnStroke, ATurnTypedDuringADragRecordsTheStrokeFirstThenTurnsIt)
{
    const std::size_t entries = HistorySize();
    QWindow* window = dialog->windowHandle();
    QTest::mousePress(window, Qt::LeftButton, {}, InWindow(40, 75));
    QTest::qWait(40);  // the stroke's path starts where the pointer was pressed
    QTest::mouseMove(window, InWindow(100, 75));
    QTest::qWait(30);
    QTest::keyClick(window, Qt::Key_R);  // a quarter turn while the button is held
    WaitForOperation();
    Pump();
    EXPECT_FALSE(tool->IsSketching());
    QTest::mouseMove(window, InWindow(120, 90));
    QTest::mouseRelease(window, Qt::LeftButton, {}, InWindow(120, 90));
    Pump();
    ASSERT_EQ(HistorySize(), entries + 2);  // the stroke, then the turn; the late release adds nothing
    const QImage stroked = ToolPicture();   // what the stroke painted, up to the key
    EXPECT_GT(Brightness(stroked.pixel(70, 75)), Brightness(Photo().pixel(70, 75)) + 20);
    EXPECT_EQ(CurrentSnapshot(), stroked.transformed(QTransform().rotate(90)));
    EXPECT_FALSE(dialog->GetDisplayWnd().bShowCover());
    EXPECT_EQ(dialog->GetDisplayWnd().iBmpWidth(), 150);
}

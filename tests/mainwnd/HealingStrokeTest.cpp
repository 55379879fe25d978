// Healing strokes in the real main dialog, as a person's drag arrives: Shift
// held at the press of the spot remover, the mouse moved along a hair and
// released through the top-level window; what the view shows while dragging
// (the overlay), the photo and the history after the release, and Ctrl+Z.
#include <algorithm>
#include <vector>

#include <QTest>
#include <QWindow>

#include "MainWndTestSupport.h"
#include "controls/FGMultiSliderPanel.h"
#include "imagewindow/tools/SpotRemover.h"

using namespace MainWndTest;
using ImageWindow::EmbeddedTool::SpotRemover;

namespace {

// A soft picture with a fine texture, and the same with a dark hair along
// row 60 from column 30 to column 170, bending down to row 90 at its end.
QImage Clean()
{
    QImage image(200, 150, QImage::Format_RGB888);
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x)
            image.setPixel(x, y, qRgb(120 + x / 5 + (x * 7 + y * 3) % 5, 150 + y / 4, 170 - x / 6 + (x + y) % 3));
    return image;
}

bool OnHair(int x, int y)
{
    if (x >= 30 && x <= 140) return std::abs(y - 60) <= 1;
    if (x > 140 && x <= 170) return std::abs(y - (60 + (x - 140))) <= 1;
    return false;
}

QImage Hairy()
{
    QImage image = Clean();
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x)
            if (OnHair(x, y)) image.setPixel(x, y, qRgb(25, 20, 20));
    return image;
}

int Difference(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

class HealingStroke : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        CreateWindow();
        SaveImage(Hairy(), folder + L"hairy.png");
        OpenThroughDialog(folder + L"hairy.png");
        tool = dynamic_cast<SpotRemover*>(theApp.GetProductTool());
        ASSERT_NE(tool, nullptr);
        dialog->GetSpotRemoverOptions().GetSliderPanel()->SetSliderValue(0, 9);  // the user sets the spot size
        ASSERT_EQ(tool->GetSize(), 9);
        dialog->GetDisplayWnd().SetZoom(1.0);
        dialog->activateWindow();
        Pump();
        window = dialog->windowHandle();
        ASSERT_NE(window, nullptr);
    }

    // Image pixel (x, y) in the top-level window's coordinates.
    QPoint InWindow(int x, int y) { return dialog->GetDisplayWnd().mapTo(dialog.get(), ViewPointOf(x, y)); }
    // The colour the view shows on screen at image pixel (x, y), drawn as
    // its next paint draws it (overlays included).
    QRgb Shown(int x, int y)
    {
        const QImage screen = dialog->GetDisplayWnd().grab().toImage();
        return screen.pixel(ViewPointOf(x, y));
    }
    // Presses with Shift at image pixel `from` and moves through `points`,
    // as a hand does (the stroke engine samples every 10 ms).
    void ShiftDrag(QPoint from, const std::vector<QPoint>& points)
    {
        QTest::mousePress(window, Qt::LeftButton, Qt::ShiftModifier, InWindow(from.x(), from.y()));
        for (const QPoint& p : points) {
            QTest::qWait(15);
            QTest::mouseMove(window, InWindow(p.x(), p.y()));
        }
        QTest::qWait(30);
    }
    void Release(QPoint at)
    {
        QTest::mouseRelease(window, Qt::LeftButton, {}, InWindow(at.x(), at.y()));
        Pump();
    }

    SpotRemover* tool{nullptr};
    QWindow* window{nullptr};
};

} // namespace

TEST_F(HealingStroke, AShiftDragAlongAHairShowsItsAreaThenHealsItAsOneStep)
{
    const QImage before = CurrentSnapshot();
    ASSERT_EQ(before, Hairy());
    const std::size_t entries = HistorySize();
    std::vector<QPoint> path;
    for (int x = 40; x <= 140; x += 10) path.emplace_back(x, 60);
    for (int x = 150; x <= 170; x += 10) path.emplace_back(x, 60 + (x - 140));
    ShiftDrag({30, 60}, path);

    // While the button is down the stroke's area shows under a red overlay,
    // and nothing is recorded yet.
    EXPECT_TRUE(tool->IsStroking());
    EXPECT_TRUE(dialog->GetDisplayWnd().bShowCover());
    for (const QPoint& p : {QPoint(35, 60), QPoint(90, 63), QPoint(150, 70)})
        EXPECT_GT(qRed(Shown(p.x(), p.y())), qRed(before.pixel(p.x(), p.y())) + 30) << p.x() << "," << p.y();
    EXPECT_EQ(Shown(90, 75), before.pixel(90, 75));  // away from the stroke the photo shows as it is
    EXPECT_EQ(HistorySize(), entries);

    Release({170, 90});
    WaitForOperation();
    Pump();
    ASSERT_EQ(HistorySize(), entries + 1);
    EXPECT_EQ(theApp.m_OptHistory.Current()->m_strName, L"Healing Stroke");
    EXPECT_FALSE(dialog->GetDisplayWnd().bShowCover());
    const QImage after = CurrentSnapshot();
    const QImage clean = Clean();
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x) {
            if (OnHair(x, y)) {
                ASSERT_LE(Difference(after.pixel(x, y), clean.pixel(x, y)), 12) << x << "," << y;
            }
            // Nothing changes farther than the stroke's half width (5) from
            // the hair the drag followed.
            bool near = false;
            for (int dy = -6; dy <= 6 && !near; ++dy)
                for (int dx = -6; dx <= 6 && !near; ++dx) near = OnHair(x + dx, y + dy);
            if (!near) {
                ASSERT_EQ(after.pixel(x, y), before.pixel(x, y)) << x << "," << y;
            }
        }
    EXPECT_EQ(Shown(90, 60), after.pixel(90, 60));

    QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);
    Pump();
    EXPECT_EQ(CurrentSnapshot(), before);
    EXPECT_EQ(Shown(90, 60), before.pixel(90, 60));
}

TEST_F(HealingStroke, AStrokeBesideThePictureRecordsNothingAndAPlainClickStillRemovesASpot)
{
    const std::size_t entries = HistorySize();
    // The picture is centred in the larger view; left of it lie only view pixels.
    ShiftDrag({-60, 40}, {{-50, 60}, {-30, 80}});
    Release({-30, 80});
    Pump(50);
    EXPECT_EQ(theApp.m_nAppState, CCorvaneLoaderApp::APPSTATE_EDITING);
    EXPECT_EQ(HistorySize(), entries);
    EXPECT_FALSE(theApp.m_bModified);

    // Without Shift a press and release is a spot removal, as ever.
    QTest::mouseClick(window, Qt::LeftButton, {}, InWindow(100, 60));
    WaitForOperation();
    ASSERT_EQ(HistorySize(), entries + 1);
    EXPECT_EQ(theApp.m_OptHistory.Current()->m_strName, L"Spot Removal");
    EXPECT_EQ(tool->GetSpotPos().x, 100);
}

TEST_F(HealingStroke, ATurnTypedDuringAStrokeHealsItFirstThenTurnsAndItsReleaseIsNoClick)
{
    const std::size_t entries = HistorySize();
    ShiftDrag({30, 60}, {{60, 60}, {90, 60}});
    QTest::keyClick(window, Qt::Key_R);  // a quarter turn while the button is held
    WaitForOperation();
    Pump();
    EXPECT_FALSE(tool->IsStroking());
    EXPECT_FALSE(dialog->GetDisplayWnd().bShowCover());
    Release({100, 60});
    Pump(50);
    EXPECT_EQ(theApp.m_nAppState, CCorvaneLoaderApp::APPSTATE_EDITING);
    ASSERT_EQ(HistorySize(), entries + 2);  // the stroke, then the turn; no spot
    EXPECT_EQ(theApp.m_OptHistory.Current()->m_strName, L"Rotate");
    EXPECT_EQ(dialog->GetDisplayWnd().iBmpWidth(), 150);
}

// The status bar's three texts: image information, cursor position and the
// colour under the cursor.
#include <QTest>

#include "MainWndTestSupport.h"
#include "mainwnd/StatusText.h"

using namespace MainWndTest;

TEST(StatusTexts, ImageInformationRoundsTheShownSize)
{
    EXPECT_EQ(StatusText::FormatImageInfo(4000, 3000, 24, 1.0 / 6.0), L"4000x3000x24BPP (667x500, 16.67%)");
    EXPECT_EQ(StatusText::FormatImageInfo(3, 5, 32, 0.5), L"3x5x32BPP (2x3, 50.00%)");  // 1.5 + 0.5, 2.5 + 0.5
    EXPECT_EQ(StatusText::FormatCursorPos(-4, 1200), L"X=-4,Y=1200");
}

TEST(StatusTexts, ColourShowsDashesForGreyAndBlack)
{
    EXPECT_EQ(StatusText::FormatPixelColor(RGB(255, 0, 0)), L"RGB(255,000,000) HSV(000, 1.00, 1.00)");
    EXPECT_EQ(StatusText::FormatPixelColor(RGB(0, 128, 255)), L"RGB(000,128,255) HSV(209, 1.00, 1.00)");
    EXPECT_EQ(StatusText::FormatPixelColor(RGB(150, 150, 150)), L"RGB(150,150,150) HSV(---, 0.00, 0.59)");
    EXPECT_EQ(StatusText::FormatPixelColor(RGB(0, 0, 0)), L"RGB(000,000,000) HSV(---, -.--, 0.00)");
    // The saturation boundary: -0.00001 and below show dashes, anything above a number.
    EXPECT_EQ(StatusText::FormatPixelColor(1, 2, 3, 10.9, -0.00001, 0.5), L"RGB(001,002,003) HSV(010, -.--, 0.50)");
    EXPECT_EQ(StatusText::FormatPixelColor(1, 2, 3, 0.0, -0.000009, 0.5), L"RGB(001,002,003) HSV(000, -0.00, 0.50)");
}

class StatusBar : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        CreateWindow();
    }
};

TEST_F(StatusBar, ShowsImageCursorAndColourOfThePictureUnderTheMouse)
{
    EXPECT_EQ(StatusText(CMainDlg::STATUS_IMAGEINFO), L"");
    EXPECT_EQ(StatusText(CMainDlg::STATUS_CURSORPOS), L"");
    EXPECT_EQ(StatusText(CMainDlg::STATUS_PIXELCOLOR), L"");
    // Left half black, right half grey, a red pixel at (30, 10).
    QImage picture(64, 40, QImage::Format_RGB888);
    picture.fill(qRgb(0, 0, 0));
    for (int y = 0; y < 40; ++y)
        for (int x = 32; x < 64; ++x) picture.setPixel(x, y, qRgb(100, 100, 100));
    picture.setPixel(30, 10, qRgb(255, 0, 0));
    SaveImage(picture, folder + L"halves.png");
    OpenThroughDialog(folder + L"halves.png");
    dialog->SetDisplayScale(CMainDlg::ADAPT_SCALE, 4);  // 4.0
    EXPECT_EQ(StatusText(CMainDlg::STATUS_IMAGEINFO), L"64x40x24BPP (256x160, 400.00%)");

    const QPoint red = ViewPointOf(30, 10) + QPoint(1, 1);
    QTest::mouseMove(&dialog->GetDisplayWnd(), red);
    EXPECT_EQ(StatusText(CMainDlg::STATUS_CURSORPOS), L"X=30,Y=10");
    dialog->UpdateStatusPixelColor(POINT{red.x(), red.y()});
    EXPECT_EQ(StatusText(CMainDlg::STATUS_PIXELCOLOR), L"RGB(255,000,000) HSV(000, 1.00, 1.00)");
    const QPoint black = ViewPointOf(2, 30) + QPoint(1, 1);
    dialog->UpdateStatusPixelColor(POINT{black.x(), black.y()});
    EXPECT_EQ(StatusText(CMainDlg::STATUS_PIXELCOLOR), L"RGB(000,000,000) HSV(---, -.--, 0.00)");
    const QPoint grey = ViewPointOf(50, 30) + QPoint(1, 1);
    dialog->UpdateStatusPixelColor(POINT{grey.x(), grey.y()});
    EXPECT_EQ(StatusText(CMainDlg::STATUS_PIXELCOLOR), L"RGB(100,100,100) HSV(---, 0.00, 0.39)");

    // Closing the photo empties the image information.
    EXPECT_TRUE(dialog->OnFileClose());
    EXPECT_EQ(StatusText(CMainDlg::STATUS_IMAGEINFO), L"");
}

// What the view puts on screen, checked on grabs of the widget.
#include <thread>

#include "ViewTestSupport.h"

using namespace ViewTest;

namespace {

class ViewRender : public ViewFixture {
protected:
    // Every screen pixel of the usable area shows the image pixel the
    // conversions name, or the background beside the picture.
    void ExpectScreenMatchesImage(const QImage& screen, int k)
    {
        const CRect view_ = view.rcInBitmap();
        const CRect usable = Usable();
        for (int y = 0; y < usable.bottom; ++y)
            for (int x = 0; x < usable.right; ++x) {
                const int dx = x + view_.left, dy = y + view_.top;
                const bool inside = dx >= 0 && dy >= 0 && dx < view.iDispWidth() && dy < view.iDispHeight();
                const QRgb expected = inside ? Pattern(dx / k, dy / k) : qRgb(150, 150, 150);
                ASSERT_EQ(screen.pixel(x, y), expected) << "at " << x << "," << y << " zoom " << k;
            }
    }
};

} // namespace

TEST_F(ViewRender, AtZoomOneThePictureIsPixelExact)
{
    for (int bits : {24, 32}) {
        TestDib dib(257, 190, bits, Pattern);  // odd width: padded 24-bit rows
        Show(dib);
        ExpectScreenMatchesImage(Screen(), 1);
    }
}

TEST_F(ViewRender, AtWholeZoomsEachPixelCoversKByKScreenPixelsWhereverItIsScrolled)
{
    TestDib dib(211, 173, 24, Pattern);
    for (int k : {2, 3}) {
        Show(dib, k);
        ExpectScreenMatchesImage(Screen(), k);
        view.SetDispPosition(k * 17 + 1, k * 11 + 2);  // not on a pixel boundary
        ExpectScreenMatchesImage(Screen(), k);
        QTest::keyClick(&view, Qt::Key_Right);
        ExpectScreenMatchesImage(Screen(), k);
    }
}

TEST_F(ViewRender, ASmallPictureSitsCentredOnTheGreyBackground)
{
    TestDib dib(41, 23, 32, Pattern);
    Show(dib);
    const QImage screen = Screen();
    ExpectScreenMatchesImage(screen, 1);
    EXPECT_EQ(view.rcInBitmap().TopLeft(), CPoint(-129, -88));
    EXPECT_EQ(screen.pixel(128, 87), qRgb(150, 150, 150));
    EXPECT_EQ(screen.pixel(129, 88), Pattern(0, 0));
    EXPECT_EQ(screen.pixel(169, 110), Pattern(40, 22));
    EXPECT_EQ(screen.pixel(170, 111), qRgb(150, 150, 150));
}

TEST_F(ViewRender, ReducedZoomsAverageThePicture)
{
    // Four-pixel stripes of two colours: at 1/4 each stripe becomes one
    // column of its own colour; at 1/8 two stripes blend.
    const auto stripes = [](int x, int) { return (x / 4) % 2 ? qRgb(200, 100, 0) : qRgb(0, 100, 200); };
    TestDib dib(800, 400, 24, stripes);
    Show(dib, 0.25);
    QImage screen = Screen();
    const CPoint origin(-view.rcInBitmap().left, -view.rcInBitmap().top);
    EXPECT_EQ(screen.pixel(origin.x, origin.y + 5), qRgb(0, 100, 200));
    EXPECT_EQ(screen.pixel(origin.x + 1, origin.y + 5), qRgb(200, 100, 0));
    view.SetZoom(0.125);
    screen = Screen();
    EXPECT_EQ(screen.pixel(-view.rcInBitmap().left + 3, -view.rcInBitmap().top + 3), qRgb(100, 100, 100));
}

TEST_F(ViewRender, ANewBufferWithTheSameHeaderIsShownAndTheColourQueryFollowsIt)
{
    TestDib first(100, 80, 24, Pattern);
    TestDib second(100, 80, 24, [](int, int) { return qRgb(10, 20, 30); });
    Show(first);
    Screen();
    const POINT inWindow{-view.rcInBitmap().left + 5, -view.rcInBitmap().top + 6};
    EXPECT_EQ(view.GetPixelRGBValue({5, 6}, FALSE), RGB(qRed(Pattern(5, 6)), qGreen(Pattern(5, 6)), qBlue(Pattern(5, 6))));
    ASSERT_EQ(view.UpdateBitmap(second.info, second.pixels.data()), 1);
    EXPECT_EQ(Screen().pixel(inWindow.x, inWindow.y), qRgb(10, 20, 30));
    EXPECT_EQ(view.GetPixelRGBValue(inWindow, TRUE), RGB(10, 20, 30));
    EXPECT_EQ(view.GetPixelRGBValue({2, 2}, TRUE), kGrey);       // beside the picture
    EXPECT_EQ(view.GetPixelRGBValue({100, 0}, FALSE), kGrey);    // outside the bitmap
    EXPECT_EQ(view.GetPixelRGBValue({-1, 500}, TRUE), kGrey);    // outside the view
    view.SetBackgroundColor(RGB(0, 0, 255));
    EXPECT_EQ(Screen().pixel(2, 2), qRgb(0, 0, 255));
}

TEST_F(ViewRender, TheDisplayedPictureComesBackAsBottomUpRows)
{
    TestDib dib(60, 40, 24, Pattern);
    Show(dib, 2.0);
    RECT rect{};
    std::vector<BYTE> pixels;
    BITMAPINFO header{};
    EXPECT_EQ(view.GetCurDisplayImage(nullptr, pixels, header), 0);
    ASSERT_EQ(view.GetCurDisplayImage(&rect, pixels, header), 1);
    EXPECT_EQ(CRect(rect), CRect(90, 60, 210, 140));
    EXPECT_EQ(header.bmiHeader.biWidth, 120);
    EXPECT_EQ(header.bmiHeader.biHeight, 80);
    EXPECT_EQ(header.bmiHeader.biBitCount, 32);
    ASSERT_EQ(header.bmiHeader.biSizeImage, 120u * 4 * 80);
    const auto at = [&](int x, int y) {  // row 0 at the top
        const BYTE* p = pixels.data() + (79 - y) * 480 + x * 4;
        return qRgb(p[2], p[1], p[0]);
    };
    EXPECT_EQ(at(0, 0), Pattern(0, 0));
    EXPECT_EQ(at(119, 79), Pattern(59, 39));
    EXPECT_EQ(at(3, 78), Pattern(1, 39));
}

TEST_F(ViewRender, TheCoverImageReplacesTheBitmapWhileShown)
{
    TestDib dib(100, 80, 24, Pattern);
    Show(dib);
    TestDib cover(100, 80, 32, [](int, int) { return qRgb(1, 2, 3); });
    view.CoverBmpInfo() = cover.info;
    view.vCoverBmpData() = cover.pixels;
    std::thread worker([&] { view.ShowCoverImage(TRUE, TRUE); });  // as a stroke thread does
    worker.join();
    const POINT centre{150, 100};
    EXPECT_EQ(Screen().pixel(centre.x, centre.y), qRgb(1, 2, 3));
    view.vCoverBmpData().clear();  // an empty cover shows the bitmap
    POINT image = centre;
    view.FromWndToBitmap(image);
    EXPECT_EQ(Screen().pixel(centre.x, centre.y), Pattern(image.x, image.y));
    view.ShowCoverImage(FALSE, FALSE);
    EXPECT_EQ(Screen().pixel(centre.x, centre.y), Pattern(image.x, image.y));
}

TEST_F(ViewRender, ARecordedStrokeShownAsTheBitmapTakesOverTheCoversReducedCopies)
{
    TestDib dib(600, 400, 24, Pattern);
    Show(dib, 0.25);  // drawn through reduced copies
    ASSERT_EQ(view.CopyBitmapToCover(), 1);
    view.ShowCoverImage(TRUE, TRUE);
    const auto paintWhite = [&](const CRect& area) {
        const std::size_t stride = DibStride(600, 24);
        for (int y = area.top; y < area.bottom; ++y)
            std::fill_n(view.vCoverBmpData().begin() + stride * (399 - y) + 3 * area.left, 3 * area.Width(), 0xFF);
        view.InvalidateCover(area);
    };
    paintWhite({40, 40, 120, 100});
    Screen();
    paintWhite({300, 200, 380, 260});  // reported, not drawn yet

    // The stroke comes back as the new bitmap: the same pixels in other memory.
    BITMAPINFO header = view.CoverBmpInfo();
    std::vector<BYTE> recorded = view.vCoverBmpData();
    ASSERT_EQ(view.UpdateBitmap(header, recorded.data()), 1);
    EXPECT_TRUE(view.TakeCoverLevels());
    view.ShowCoverImage(FALSE, FALSE);
    const QImage shown = Screen();

    NotifyRecorder otherParent;
    otherParent.resize(300, 200);
    ImageWindow::CImageWindow fresh;  // builds its reduced copies from the pixels
    ASSERT_EQ(fresh.Create(RECT{0, 0, 300, 200}, &otherParent, kViewId, kGrey), 1);
    fresh.show();
    otherParent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&otherParent));
    ASSERT_EQ(fresh.SetBitmap(header, recorded.data()), 1);
    ASSERT_EQ(fresh.SetZoom(0.25), 1);
    QApplication::processEvents();
    EXPECT_EQ(shown, fresh.grab().toImage().convertToFormat(QImage::Format_RGB32));
    for (POINT block : {POINT{80, 70}, POINT{340, 230}}) {  // both painted blocks show, drawn or not
        view.FromBitmapToWnd(block);
        EXPECT_EQ(shown.pixel(block.x, block.y), qRgb(255, 255, 255));
    }

    std::vector<BYTE> other = recorded;  // a picture that is not the cover's
    other[7] ^= 0xFF;
    ASSERT_EQ(view.UpdateBitmap(header, other.data()), 1);
    EXPECT_FALSE(view.TakeCoverLevels());
}

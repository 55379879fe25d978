// The view's bitmap validation, zoom, scroll bars, centring and scrolling.
#include <cmath>
#include <limits>

#include <QScrollBar>
#include <QWheelEvent>

#include "ViewTestSupport.h"

using namespace ViewTest;
using ImageWindow::CImageWindow;

namespace {

class ViewGeometry : public ViewFixture {};

QRgb Black(int, int) { return qRgb(0, 0, 0); }

} // namespace

TEST_F(ViewGeometry, SetBitmapRejectsBadHeadersAndKeepsTheShownBitmap)
{
    CImageWindow notCreated;
    TestDib good(40, 30, 24, Pattern);
    EXPECT_EQ(notCreated.SetBitmap(good.info, good.pixels.data()), 0);

    Show(good);
    const auto expectRejected = [&](BITMAPINFO info, BYTE* pixels) {
        EXPECT_EQ(view.SetBitmap(info, pixels), 0);
        EXPECT_EQ(view.UpdateBitmap(info, pixels), 0);
        BITMAPINFO shown{};
        EXPECT_EQ(view.GetBitmap(shown), good.pixels.data());
        EXPECT_EQ(shown.bmiHeader.biWidth, 40);
        EXPECT_EQ(view.iBmpHeight(), 30);
    };
    TestDib other(10, 10, 32, Pattern);
    BITMAPINFO bad = other.info;
    bad.bmiHeader.biWidth = 0;
    expectRejected(bad, other.pixels.data());
    bad = other.info;
    bad.bmiHeader.biHeight = -10;  // top-down
    expectRejected(bad, other.pixels.data());
    bad = other.info;
    bad.bmiHeader.biHeight = 0;
    expectRejected(bad, other.pixels.data());
    expectRejected(other.info, nullptr);
    bad = other.info;
    bad.bmiHeader.biSizeImage = 398;  // not a multiple of 4
    expectRejected(bad, other.pixels.data());
    bad = other.info;
    bad.bmiHeader.biSizeImage = 396;  // fewer bytes than ten 40-byte rows
    expectRejected(bad, other.pixels.data());
    bad = other.info;
    bad.bmiHeader.biBitCount = 8;
    expectRejected(bad, other.pixels.data());
    bad = other.info;
    bad.bmiHeader.biCompression = 3;
    expectRejected(bad, other.pixels.data());
}

TEST_F(ViewGeometry, UpdateBitmapKeepsPositionForTheSameHeaderAndResetsForANewOne)
{
    TestDib first(600, 400, 24, Pattern);
    Show(first, 2.0);
    view.SetDispPosition(100, 80);
    TestDib second(600, 400, 24, Black);
    ASSERT_EQ(view.UpdateBitmap(second.info, second.pixels.data()), 1);
    EXPECT_EQ(view.pBmpData(), second.pixels.data());
    EXPECT_EQ(view.GetDispPosition(), CPoint(100, 80));
    EXPECT_EQ(view.dbZoom(), 2.0);

    TestDib turned(400, 600, 24, Black);
    ASSERT_EQ(view.UpdateBitmap(turned.info, turned.pixels.data()), 1);
    EXPECT_EQ(view.iBmpWidth(), 400);
    EXPECT_EQ(view.iDispHeight(), 1200);
    EXPECT_EQ(view.dbZoom(), 2.0);  // the zoom survives a new bitmap

    view.ClearBitmap();
    BITMAPINFO header{};
    EXPECT_EQ(view.GetBitmap(header), nullptr);
    EXPECT_EQ(view.iDispWidth(), 0);
    EXPECT_EQ(view.SetZoom(1.0), 0);
    EXPECT_EQ(view.SetDispPosition(1, 1), 0);
    EXPECT_EQ(Usable(), CRect(0, 0, 300, 200));  // bars hidden
}

TEST_F(ViewGeometry, ZoomIsRaisedSoThePictureKeepsAtLeastOnePixel)
{
    TestDib strip(1000, 10, 24, Black);
    Show(strip, 0.001);
    EXPECT_DOUBLE_EQ(view.dbZoom(), 0.1);
    EXPECT_EQ(view.iDispWidth(), 100);
    EXPECT_EQ(view.iDispHeight(), 1);
    EXPECT_EQ(view.SetZoom(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(view.SetZoom(std::numeric_limits<double>::infinity()), 0);
    EXPECT_DOUBLE_EQ(view.dbZoom(), 0.1);

    ASSERT_EQ(view.SetZoom(1.0e6), 1);  // 10^9 display pixels wide: still addressable
    EXPECT_EQ(view.SetZoom(1.0e7), 0);  // too large
    TestDib large(2000, 1500, 24, Black);
    ASSERT_EQ(view.SetBitmap(large.info, large.pixels.data()), 1);  // 10^6 cannot be kept for it
    EXPECT_EQ(view.dbZoom(), 1.0);
    EXPECT_EQ(view.iDispWidth(), 2000);
}

TEST_F(ViewGeometry, PixelsPerPixelIsTheWholeZoomOrZero)
{
    TestDib dib(50, 40, 32, Black);
    Show(dib);
    const std::pair<double, int> cases[] = {{1.5, 0}, {3.0, 3}, {0.999995, 1}, {0.5, 0},
                                            {2.0, 2}, {1.0, 1}, {2.000001, 2}, {0.99998, 0}};
    for (const auto& [zoom, expected] : cases) {
        ASSERT_EQ(view.SetZoom(zoom), 1);
        EXPECT_EQ(view.iPixelsPerPixel(), expected) << zoom;
        EXPECT_EQ(view.iDispWidth(), static_cast<int>(std::floor(50 * zoom + 0.5))) << zoom;
    }
}

TEST_F(ViewGeometry, ASmallPictureIsCentredWithoutBarsAndBarsAppearWhenTheViewShrinks)
{
    TestDib dib(50, 31, 24, Black);
    Show(dib);
    EXPECT_EQ(view.rcInBitmap(), CRect(-125, -84, 175, 116));
    EXPECT_EQ(Usable(), CRect(0, 0, 300, 200));

    parent.resize(40, 25);
    view.resize(40, 25);
    EXPECT_EQ(Usable(), CRect(0, 0, 40 - Extent(), 25 - Extent()));
    EXPECT_EQ(view.GetDispPosition(), CPoint(0, 0));
    view.ShowScrollBar(FALSE);
    EXPECT_EQ(Usable(), CRect(0, 0, 40, 25));
    view.ShowScrollBar(TRUE);
    EXPECT_EQ(Usable(), CRect(0, 0, 40 - Extent(), 25 - Extent()));
}

TEST_F(ViewGeometry, ShowingTheHorizontalBarCanRequireTheVerticalOneInTheSameUpdate)
{
    // Wider than the view, and only as high as the view until the
    // horizontal bar takes its strip.
    TestDib dib(310, 200 - Extent() / 2, 24, Black);
    Show(dib);
    EXPECT_EQ(Usable(), CRect(0, 0, 300 - Extent(), 200 - Extent()));
}

TEST_F(ViewGeometry, ZoomingKeepsTheCentrePointThenClampsToTheEdges)
{
    TestDib dib(1000, 800, 24, Black);
    Show(dib);
    view.SetDispPosition(350, 300);
    const CRect before = view.rcInBitmap();
    const int cx = (before.left + before.right) / 2, cy = (before.top + before.bottom) / 2;
    view.SetZoom(2.0);
    const CRect after = view.rcInBitmap();
    EXPECT_NEAR((after.left + after.right) / 2, 2 * cx, 1);
    EXPECT_NEAR((after.top + after.bottom) / 2, 2 * cy, 1);

    view.SetDispPosition(1900, 1500);  // beyond the right and bottom edges
    EXPECT_EQ(view.rcInBitmap().right, 2000);
    EXPECT_EQ(view.rcInBitmap().bottom, 1600);
    view.SetZoom(1.0);  // the centre would leave the view past the edge
    EXPECT_EQ(view.rcInBitmap().right, 1000);
    EXPECT_EQ(view.rcInBitmap().bottom, 800);
}

TEST_F(ViewGeometry, LineAndPageScrollingStayWithinRangeLessPage)
{
    TestDib dib(1000, 800, 24, Black);
    Show(dib);
    const int page = Usable().Width();
    view.OnHScroll(SB_LINERIGHT, 0);
    EXPECT_EQ(view.GetDispPosition().x, 4);
    view.SetDispPosition(2, 0);
    view.OnHScroll(SB_LINELEFT, 0);
    EXPECT_EQ(view.GetDispPosition().x, 0);
    view.OnHScroll(SB_PAGERIGHT, 0);
    EXPECT_EQ(view.GetDispPosition().x, page);
    for (int i = 0; i < 10; ++i) view.OnHScroll(SB_PAGERIGHT, 0);
    EXPECT_EQ(view.GetDispPosition().x, 1000 - page);
    view.OnVScroll(SB_THUMBTRACK, 100000);
    EXPECT_EQ(view.GetDispPosition().y, 800 - Usable().Height());
    view.OnVScroll(SB_PAGEUP, 0);
    EXPECT_EQ(view.GetDispPosition().y, 800 - 2 * Usable().Height());

    // The bar's own arrow goes through the same handler.
    auto* bar = view.findChild<QScrollBar*>(QString::number(kViewId + 2));
    ASSERT_NE(bar, nullptr);
    const int y = view.GetDispPosition().y;
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(view.GetDispPosition().y, y + 4);
    EXPECT_EQ(bar->value(), y + 4);
}

TEST_F(ViewGeometry, ArrowKeysStepByATwentiethOfTheWidthAndStopAtTheLastPixel)
{
    TestDib dib(400, 300, 24, Black);
    Show(dib);
    const int width = Usable().Width(), height = Usable().Height();
    const int step = width / 20;
    QTest::keyClick(&view, Qt::Key_Right);
    EXPECT_EQ(view.GetDispPosition().x, step);
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_EQ(view.GetDispPosition().y, step);  // the width's step serves both axes
    for (int i = 0; i < 50; ++i) {
        QTest::keyClick(&view, Qt::Key_Right);
        QTest::keyClick(&view, Qt::Key_Down);
    }
    EXPECT_EQ(view.rcInBitmap().right, 399);
    EXPECT_EQ(view.rcInBitmap().bottom, 299);
    EXPECT_EQ(view.rcInBitmap().Width(), width);
    EXPECT_EQ(view.rcInBitmap().Height(), height);
    view.SetDispPosition(3, 2);
    QTest::keyClick(&view, Qt::Key_Left);
    QTest::keyClick(&view, Qt::Key_Up);
    EXPECT_EQ(view.GetDispPosition(), CPoint(0, 0));
}

TEST_F(ViewGeometry, TheWheelScrollsVerticallyAndWithControlSideways)
{
    TestDib dib(1000, 800, 24, Black);
    Show(dib);
    const int step = Usable().Width() / 20;
    const auto wheel = [&](int delta, Qt::KeyboardModifiers modifiers) {
        const QPointF at(50, 50);
        QWheelEvent event(at, view.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&view, &event);
    };
    wheel(-120, Qt::NoModifier);
    EXPECT_EQ(view.GetDispPosition(), CPoint(0, step));
    wheel(120, Qt::NoModifier);
    EXPECT_EQ(view.GetDispPosition(), CPoint(0, 0));
    wheel(-120, Qt::ControlModifier);
    EXPECT_EQ(view.GetDispPosition(), CPoint(step, 0));
    wheel(120, Qt::ControlModifier);
    EXPECT_EQ(view.GetDispPosition(), CPoint(0, 0));
}

TEST_F(ViewGeometry, MoveImageScrollsBothAxesWithinTheLimits)
{
    TestDib dib(1000, 800, 24, Black);
    Show(dib);
    view.MoveImage(30, 20);
    EXPECT_EQ(view.GetDispPosition(), CPoint(30, 20));
    view.MoveImage(-50, 5);
    EXPECT_EQ(view.GetDispPosition(), CPoint(0, 25));
    view.MoveImage(5000, 5000);
    EXPECT_EQ(view.rcInBitmap().BottomRight(), CPoint(1000, 800));
    EXPECT_TRUE(view.updatesEnabled());
}

TEST_F(ViewGeometry, CoordinateConversionsRoundTripAndTruncate)
{
    TestDib dib(1000, 800, 24, Black);
    Show(dib, 2.0);
    view.SetDispPosition(101, 51);
    POINT p{9, 9};
    view.FromWndToBitmap(p);
    EXPECT_EQ(p.x, 55);  // (9 + 101) / 2
    EXPECT_EQ(p.y, 30);  // (9 + 51) / 2
    view.FromBitmapToWnd(p);
    EXPECT_EQ(p.x, 9);
    EXPECT_EQ(p.y, 9);

    CRgn in, out;
    in.CreateRectRgn(10, 10, 20, 15);
    view.FromBitmapToWnd(in, out);
    RECT box{};
    out.GetRgnBox(&box);
    EXPECT_EQ(CRect(box), CRect(20 - 101, 20 - 51, 40 - 101, 30 - 51));
}

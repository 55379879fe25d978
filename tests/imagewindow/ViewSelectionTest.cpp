// The view's selection: the moving border lands exactly on the outline
// pixels (checked against a pixel-by-pixel reference at fractional zooms and
// scroll positions, with the view's cut edges left open), a tick repaints
// only the border's tiles and stands still while minimised, without a
// selection or while a tool drags it; and bad input is refused.
#include <random>

#include <QPaintEvent>

#include "ViewTestSupport.h"
#include "support/LogWatch.h"

using namespace ViewTest;
using namespace ImageWindow;

namespace {

// Never black or white, so every dash shows.
QRgb Mid(int x, int y) { return qRgb(60 + x % 120, 70 + y % 110, 90); }

// The window pixels of the outline, worked out one by one: selected pixels
// of the usable area with a neighbour outside the selection or the area,
// except along an area edge where the view cuts through the selection.
std::vector<QPoint> ReferenceOutline(CImageWindow& view)
{
    const CRect client = [&] { CRect r; view.GetClientRect(&r); return r; }();
    const CRect& at = view.rcInBitmap();
    CRgn scaled;
    scaled.CreateScaled(view.rgnSelect(), float(view.dbZoom()), float(view.dbZoom()));
    QRegion shown = scaled.GetSafeHandle()->intersected(QRect(0, 0, view.iDispWidth(), view.iDispHeight()));
    shown.translate(-at.left, -at.top);
    const QRect box = shown.boundingRect();
    auto selected = [&](int x, int y) { return client.PtInRect(CPoint(x, y)) && shown.contains(QPoint(x, y)); };
    const bool cutLeft = at.left > 0 && box.left() <= 0, cutTop = at.top > 0 && box.top() <= 0;
    const bool cutRight = at.right < view.iDispWidth() && box.right() + 1 > client.right;
    const bool cutBottom = at.bottom < view.iDispHeight() && box.bottom() + 1 > client.bottom;
    std::vector<QPoint> outline;
    for (int y = 0; y < client.bottom; ++y)
        for (int x = 0; x < client.right; ++x) {
            if (!selected(x, y)) continue;
            if (selected(x - 1, y) && selected(x + 1, y) && selected(x, y - 1) && selected(x, y + 1)) continue;
            if ((cutLeft && x == 0) || (cutTop && y == 0) || (cutRight && x == client.right - 1) ||
                (cutBottom && y == client.bottom - 1))
                continue;
            outline.emplace_back(x, y);
        }
    return outline;
}

// Counts the view's paint events and keeps the last one's region.
class PaintWatch : public QObject {
public:
    int paints{0};
    QRegion region;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
            region = static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }
};

class DraggingTool final : public IEmbeddedTool {
public:
    BOOL moving{FALSE};
    DraggingTool() : IEmbeddedTool(L"dragging_tool", 1) {}
    BOOL IsMovingSelection() const override { return moving; }
};

class ViewSelection : public ViewFixture {
protected:
    TestDib dib{260, 180, 24, Mid};

    void SetUp() override
    {
        ViewFixture::SetUp();
        Show(dib);
    }
    // Selects an ellipse joined with a rectangle (bitmap coordinates).
    void SelectShape()
    {
        CRgn ellipse, box;
        ellipse.CreateEllipticRgn(30, 20, 200, 150);
        box.CreateRectRgn(150, 100, 250, 175);
        CRgn shape;
        shape.CombineRgn(&ellipse, &box, RGN_OR);
        std::vector<BYTE> mask(static_cast<std::size_t>(260) * 180, 255);
        ASSERT_EQ(view.UpdateSelection(shape, mask), 1);
    }
};

} // namespace

TEST_F(ViewSelection, TheBorderCoversExactlyTheOutlineAtAnyZoomAndScroll)
{
    SelectShape();
    struct Case {
        double zoom;
        int x, y;
    };
    for (const Case& c : {Case{1.0, 0, 0}, Case{1.5, 60, 40}, Case{2.0, 250, 150}, Case{0.7, 0, 0}, Case{3.3, 400, 200}}) {
        view.SetZoom(c.zoom);
        view.SetDispPosition(c.x, c.y);
        const QImage shown = Screen();
        const unsigned phase = view.Selection().Phase();  // after the events Screen runs: a tick may come
        const QRegion tiles = view.Selection().BorderArea();
        view.ClearSelection();
        const QImage plain = Screen();
        SelectShape();
        view.SetZoom(c.zoom);
        view.SetDispPosition(c.x, c.y);
        const std::vector<QPoint> outline = ReferenceOutline(view);
        ASSERT_FALSE(outline.empty());
        EXPECT_EQ(view.Selection().OutlinePixelCount(), outline.size()) << c.zoom;
        QImage expected = plain;
        for (const QPoint& p : outline) {
            expected.setPixel(p, CViewSelection::Pattern(phase).pixel(p.x() % 8, p.y() % 8));
            ASSERT_TRUE(tiles.contains(p));
        }
        ASSERT_EQ(shown, expected) << "zoom " << c.zoom;
    }
}

TEST_F(ViewSelection, ATickRepaintsOnlyTheBorderAndStandsStillWhenItShould)
{
    PaintWatch watch;
    view.installEventFilter(&watch);
    view.OnTimer(CImageWindow::TIMER_DRAWSELECTBOX);  // no selection: no step
    EXPECT_EQ(view.Selection().Phase(), 0u);

    SelectShape();
    Screen();
    const int before = watch.paints;
    view.OnTimer(CImageWindow::TIMER_DRAWSELECTBOX);
    QApplication::processEvents();
    EXPECT_EQ(view.Selection().Phase(), 1u);
    EXPECT_EQ(watch.paints, before + 1);
    EXPECT_EQ(watch.region, view.Selection().BorderArea());
    long area = 0;
    for (const QRect& r : watch.region) area += long(r.width()) * r.height();
    EXPECT_LT(area, long(view.width()) * view.height() / 2);  // far less than the whole view

    DraggingTool tool;
    view.LoadEmbeddedTool(tool);
    tool.moving = TRUE;
    view.OnTimer(CImageWindow::TIMER_DRAWSELECTBOX);
    EXPECT_EQ(view.Selection().Phase(), 1u);
    tool.moving = FALSE;
    parent.showMinimized();
    view.OnTimer(CImageWindow::TIMER_DRAWSELECTBOX);
    EXPECT_EQ(view.Selection().Phase(), 1u);
    parent.showNormal();
    for (unsigned expected : {2u, 3u, 0u}) {
        view.OnTimer(CImageWindow::TIMER_DRAWSELECTBOX);
        EXPECT_EQ(view.Selection().Phase(), expected);
    }
}

TEST_F(ViewSelection, BadSelectionsAreRefusedAndTheOldOneStays)
{
    CRgn rect;
    rect.CreateRectRgn(10, 10, 20, 20);
    std::vector<BYTE> mask(static_cast<std::size_t>(260) * 180, 255);
    CImageWindow empty;
    EXPECT_EQ(empty.UpdateSelection(rect, mask), 0);  // no bitmap
    CRgn out;
    EXPECT_EQ(empty.GetSelectRegion(out), 0);
    EXPECT_EQ(empty.GetSelectMask(mask), 0);

    ASSERT_EQ(view.UpdateSelection(rect, mask), 1);
    ASSERT_TRUE(InitLog());
    CorvaneTest::LogWatch log;
    std::vector<BYTE> shorter(mask.size() - 1, 7);
    CRgn other;
    other.CreateRectRgn(50, 50, 60, 60);
    EXPECT_EQ(view.UpdateSelection(other, shorter), 0);
    EXPECT_TRUE(log.Contains("ImageWindow CImageWindow::UpdateSelection: Invalid Argument."));
    UninitLog();
    ASSERT_EQ(view.GetSelectRegion(out), 1);
    EXPECT_TRUE(out.EqualRgn(rect));
    std::vector<BYTE> kept;
    ASSERT_EQ(view.GetSelectMask(kept), 1);
    EXPECT_EQ(kept, mask);

    CRgn nothing;  // no region: the selection goes
    ASSERT_EQ(view.UpdateSelection(nothing, shorter), 1);
    EXPECT_EQ(view.GetSelectRegion(out), 0);
    EXPECT_FALSE(out.HasRegion());
    EXPECT_EQ(view.Selection().OutlinePixelCount(), 0u);
    rect.CreateRectRgn(0, 0, 0, 0);  // an empty box counts as no selection
    ASSERT_EQ(view.UpdateSelection(rect, mask), 1);
    EXPECT_EQ(view.GetSelectRegion(out), 0);
}

TEST(SelectBorderPattern, FourByFourSquaresCrawlOnePixelPerPhase)
{
    for (unsigned k = 0; k < 4; ++k) {
        const QImage& p = CViewSelection::Pattern(k);
        ASSERT_EQ(p.size(), QSize(8, 8));
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                ASSERT_EQ(p.pixel(x, y), ((x + k) % 8 < 4) == ((y + k) % 8 < 4) ? 0xFF000000u : 0xFFFFFFFFu);
        EXPECT_EQ(p.pixel((8 - k) % 8, (8 - k) % 8), CViewSelection::Pattern(0).pixel(0, 0));
    }
}

// The hand tool: dragging scrolls the view so the picture follows the mouse.
#include "ViewTestSupport.h"
#include "imagewindow/ImageMover.h"
#include "imagewindow/ViewNotify.h"

using namespace ViewTest;
using namespace ImageWindow;
using ImageWindow::EmbeddedTool::ImageMover;

namespace {

class HandTool : public ViewFixture {
protected:
    ImageMover tool;
    void Load(int width, int height)
    {
        dib = std::make_unique<TestDib>(width, height, 32, Pattern);
        Show(*dib);
        ASSERT_EQ(view.LoadEmbeddedTool(tool), 1);
        parent.received.clear();
    }
    std::unique_ptr<TestDib> dib;
};

} // namespace

TEST_F(HandTool, APictureThatFitsNeitherDragsNorChangesTheCursor)
{
    Load(100, 80);
    Hover({150, 100});
    EXPECT_EQ(view.cursor(), *view.GetDefCursor());
    parent.received.clear();
    Press({150, 100});
    EXPECT_FALSE(tool.IsDragging());
    EXPECT_EQ(parent.Codes(), std::vector<UINT>{IWN_LBUTTONDOWN});  // the view's own notification only
}

TEST_F(HandTool, DraggingRightScrollsLeftUntilTheEdge)
{
    Load(1000, 800);
    Hover({150, 100});
    EXPECT_EQ(view.cursor().shape(), Qt::SizeAllCursor);
    view.SetDispPosition(25, 40);
    parent.received.clear();
    Press({100, 100});
    EXPECT_TRUE(tool.IsDragging());
    EXPECT_TRUE(view.HasCapture());
    Move({110, 100}, Qt::LeftButton);
    EXPECT_EQ(view.GetDispPosition(), CPoint(15, 40));
    Move({110, 100}, Qt::LeftButton);  // no movement, no notification
    Move({130, 95}, Qt::LeftButton);
    EXPECT_EQ(view.GetDispPosition(), CPoint(0, 45));
    Release({130, 95});
    EXPECT_FALSE(tool.IsDragging());
    EXPECT_FALSE(view.HasCapture());
    // Every mouse hook leaves the view's own notifications (2 and 1) in place.
    EXPECT_EQ(parent.Codes(), (std::vector<UINT>{IWN_MOVER_DRAGSTART, IWN_LBUTTONDOWN, IWN_MOVER_MOVED,
                                                 IWN_MOUSEMOVE, IWN_MOUSEMOVE, IWN_MOVER_MOVED, IWN_MOUSEMOVE,
                                                 IWN_MOVER_DRAGEND}));
}

TEST_F(HandTool, LosingTheCaptureEndsTheDragWithoutTheEndNotification)
{
    Load(1000, 800);
    Press({100, 100});
    ASSERT_TRUE(tool.IsDragging());
    view.ReleaseCapture();
    EXPECT_FALSE(tool.IsDragging());
    Release({100, 100});
    const auto codes = parent.Codes();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), IWN_MOVER_DRAGEND), 0);

    std::vector<BYTE> blob{1, 2, 3};
    tool.SerializeToolSettings(blob);
    EXPECT_TRUE(blob.empty());
    EXPECT_EQ(std::wstring(tool.GetToolName()), L"image_mover");
}

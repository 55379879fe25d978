// How the view offers every input to the loaded tool first, and what it does
// itself when the tool consumes the input or not; the notifications it sends.
#include <QWheelEvent>

#include "ViewTestSupport.h"
#include "imagewindow/ViewNotify.h"

using namespace ViewTest;
using ImageWindow::CImageWindow;

namespace {

class ViewRouting : public ViewFixture {
protected:
    RecordingTool tool;
    TestDib dib{1000, 800, 24, Pattern};

    void LoadTool() { ASSERT_EQ(view.LoadEmbeddedTool(tool), 1); }
    void Wheel(int delta)
    {
        const QPointF at(40, 40);
        QWheelEvent event(at, view.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&view, &event);
    }
};

} // namespace

TEST_F(ViewRouting, WithoutABitmapAClickOnlyTakesTheFocusButCursorAndTimerStillReachTheTool)
{
    LoadTool();
    QWidget other(&parent);
    other.setFocusPolicy(Qt::StrongFocus);
    other.show();
    other.setFocus();
    Press({20, 20});
    Release({20, 20});
    Move({30, 30});
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), &view);
    EXPECT_EQ(tool.Count("OnLButtonDown") + tool.Count("OnLButtonUp") + tool.Count("OnMouseMove") +
                  tool.Count("OnKeyDown"),
              0);
    EXPECT_TRUE(parent.received.empty());

    Hover({50, 50});
    EXPECT_GE(tool.Count("OnSetCursor"), 1);
    view.SetTimer(400, 5);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !tool.timers.empty(); }, 2000));
    EXPECT_EQ(tool.timers.front(), 400u);
    EXPECT_EQ(view.KillTimer(400), TRUE);
    EXPECT_EQ(view.KillTimer(400), FALSE);
}

TEST_F(ViewRouting, ButtonDownNotifiesTheParentUnlessTheToolConsumesIt)
{
    Show(dib);
    LoadTool();
    Press({20, 30});
    EXPECT_EQ(parent.Codes(), std::vector<UINT>{ImageWindow::IWN_LBUTTONDOWN});
    EXPECT_EQ(parent.received.front().from, &view);
    EXPECT_EQ(parent.received.front().id, kViewId);
    EXPECT_EQ(view.GetCursorPos(FALSE), CPoint(20, 30));
    Release({20, 30});

    tool.consume = true;
    Press({40, 50});
    EXPECT_EQ(parent.received.size(), 1u);
    EXPECT_EQ(view.GetCursorPos(FALSE), CPoint(20, 30));
    EXPECT_EQ(tool.Count("OnLButtonDown"), 2);
    EXPECT_EQ(tool.points.back(), CPoint(40, 50));
}

TEST_F(ViewRouting, MouseMoveNotifiesTheParentUnlessTheToolConsumesIt)
{
    Show(dib, 2.0);
    view.SetDispPosition(10, 20);
    LoadTool();
    Move({5, 7});
    EXPECT_EQ(parent.Codes(), std::vector<UINT>{ImageWindow::IWN_MOUSEMOVE});
    EXPECT_EQ(view.GetCursorPos(TRUE), CPoint(7, 13));  // ((5 + 10) / 2, (7 + 20) / 2)

    tool.consume = true;
    Move({60, 70});
    EXPECT_EQ(parent.received.size(), 1u);
    EXPECT_EQ(view.GetCursorPos(FALSE), CPoint(5, 7));
}

TEST_F(ViewRouting, WheelAndKeysScrollOnlyWhenTheToolLeavesThem)
{
    Show(dib);
    LoadTool();
    tool.consume = true;
    Wheel(-120);
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_EQ(view.GetDispPosition(), CPoint(0, 0));
    EXPECT_EQ(tool.Count("OnMouseWheel"), 1);

    tool.consume = false;
    tool.keys.clear();
    Wheel(-120);
    EXPECT_GT(view.GetDispPosition().y, 0);
    ASSERT_FALSE(tool.keys.empty());
    EXPECT_EQ(tool.keys.front(), VK_DOWN);  // the wheel becomes an arrow key the tool sees too
    const int y = view.GetDispPosition().y;
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_GT(view.GetDispPosition().y, y);
}

TEST_F(ViewRouting, KeyUpAndSystemKeysReachTheTool)
{
    Show(dib);
    LoadTool();
    QTest::keyClick(&view, Qt::Key_A);
    QTest::keyClick(&view, Qt::Key_B, Qt::AltModifier);
    EXPECT_EQ(tool.Count("OnKeyDown"), 1);
    EXPECT_EQ(tool.Count("OnKeyUp"), 1);
    // Alt itself goes down and up as a system key around B.
    EXPECT_EQ(tool.Count("OnSysKeyDown"), 2);
    EXPECT_EQ(tool.Count("OnSysKeyUp"), 2);
    EXPECT_EQ(tool.keys, (std::vector<UINT>{'A', 'A', VK_MENU, 'B', 'B', VK_MENU}));
}

TEST_F(ViewRouting, TheButtonUpClosingADoubleClickReachesNoOne)
{
    Show(dib);
    LoadTool();
    Press({10, 10});
    Release({10, 10});
    DoubleClick({10, 10});
    Release({10, 10});
    EXPECT_EQ(tool.Count("OnLButtonDown"), 1);
    EXPECT_EQ(tool.Count("OnLButtonDblClk"), 1);
    EXPECT_EQ(tool.Count("OnLButtonUp"), 1);
    EXPECT_EQ(parent.Codes(), std::vector<UINT>{ImageWindow::IWN_LBUTTONDOWN});
    Press({10, 10});
    Release({10, 10});
    EXPECT_EQ(tool.Count("OnLButtonUp"), 2);  // the next click counts again
}

TEST_F(ViewRouting, TheCursorIsTheToolsTheDefaultOrTheArrowOverTheBarCorner)
{
    Show(dib);
    LoadTool();
    Hover({50, 50});
    EXPECT_EQ(view.cursor(), *view.GetDefCursor());
    tool.consume = true;
    Hover({60, 60});
    EXPECT_EQ(view.cursor().shape(), Qt::PointingHandCursor);
    const CRect usable = Usable();
    ASSERT_LT(usable.right, view.width());  // both bars are shown
    const int calls = tool.Count("OnSetCursor");
    Hover({usable.right + 2, usable.bottom + 2});
    EXPECT_EQ(view.cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(tool.Count("OnSetCursor"), calls);
}

TEST_F(ViewRouting, PaintHooksRunAroundThePictureOnlyWithABitmap)
{
    LoadTool();
    Screen();
    EXPECT_EQ(tool.Count("OnPrePaint"), 0);
    Show(dib);
    tool.calls.clear();
    Screen();
    ASSERT_GE(tool.Count("OnPrePaint"), 1);
    const auto pre = std::find(tool.calls.begin(), tool.calls.end(), "OnPrePaint");
    const auto post = std::find(tool.calls.begin(), tool.calls.end(), "OnPostPaint");
    EXPECT_LT(pre, post);
}

TEST_F(ViewRouting, CaptureZoomAndLoadingHooks)
{
    Show(dib);
    LoadTool();
    view.SetCapture();
    EXPECT_TRUE(view.HasCapture());
    view.ReleaseCapture();
    EXPECT_EQ(tool.Count("OnCaptureChanged"), 1);
    view.SetZoom(0.5);
    EXPECT_EQ(tool.Count("OnZoomChanged"), 1);

    view.ClearBitmap();
    EXPECT_EQ(view.GetEmbeddedTool(), &tool);  // clearing the bitmap keeps the tool

    RecordingTool refusing;
    refusing.loadResult = 0;
    EXPECT_EQ(view.LoadEmbeddedTool(refusing), 0);
    EXPECT_EQ(tool.Count("OnUnload"), 1);
    EXPECT_EQ(view.GetEmbeddedTool(), nullptr);
    EXPECT_EQ(view.LoadEmbeddedTool(tool), 1);
    view.UnloadEmbeddedTool();
    EXPECT_EQ(tool.Count("OnUnload"), 2);
    EXPECT_EQ(view.GetEmbeddedTool(), nullptr);
}

TEST_F(ViewRouting, SentNotificationsCarryTheViewAndReturnTheParentsResult)
{
    parent.result = 77;
    EXPECT_EQ(view.NotifyParent(1281, FALSE), 77);
    ASSERT_EQ(parent.received.size(), 1u);
    const Notification& n = parent.received.front();
    EXPECT_EQ(n.code, 1281u);
    EXPECT_EQ(n.from, &view);
    EXPECT_EQ(n.id, kViewId);
    EXPECT_EQ(n.wParam, reinterpret_cast<WPARAM>(static_cast<QWidget*>(&view)));
    EXPECT_FALSE(n.posted);
}

TEST_F(ViewRouting, PostedNotificationsArriveLaterWithAHeaderTheReceiverOwns)
{
    EXPECT_EQ(view.NotifyParent(772, TRUE), 0);
    EXPECT_TRUE(parent.received.empty());
    QApplication::processEvents();
    ASSERT_EQ(parent.received.size(), 1u);
    EXPECT_TRUE(parent.received.front().posted);
    EXPECT_EQ(parent.received.front().code, 772u);
    EXPECT_EQ(parent.received.front().from, &view);

    // A posted notification nobody receives frees its header with the event.
    auto* orphanParent = new QWidget;
    CImageWindow orphanView;
    ASSERT_EQ(orphanView.Create(RECT{0, 0, 10, 10}, orphanParent, 5, kGrey), 1);
    orphanView.NotifyParent(772, TRUE);
    orphanView.setParent(nullptr);
    delete orphanParent;
    QApplication::processEvents();
}

// The window's parts and their places, the restored placement, the
// toolbar's buttons, and the tool notifications without their tools.
#include <QGuiApplication>
#include <QScreen>

#include "MainWndTestSupport.h"
#include "Wordhoard/LocalizeHelper.h"
#include "app/CommandIds.h"
#include "app/WndState.h"
#include "imagewindow/ViewNotify.h"
#include "platform/NotifyEvent.h"

using namespace MainWndTest;

class WindowLayout : public MainWindowFixture {};

TEST_F(WindowLayout, StacksToolbarStripViewAndStatusBarAndKeepsThemVisible)
{
    CreateWindow();
    dialog->resize(900, 600);
    const QRect toolbar = dialog->GetToolbar().geometry();
    const QRect strip = dialog->GetToolOptions().geometry();
    const QRect view = dialog->GetDisplayWnd().geometry();
    const QRect status = dialog->GetStatusBar().geometry();
    EXPECT_EQ(toolbar, QRect(0, 0, 900, CMainDlg::TOOLBAR_THICKNESS));
    EXPECT_EQ(strip.top(), toolbar.bottom() + 1);
    EXPECT_EQ(strip.width(), 900);
    EXPECT_EQ(view.top(), strip.bottom() + 1);
    EXPECT_EQ(view.bottom() + 1, status.top());
    EXPECT_EQ(status.bottom() + 1, 600);
    EXPECT_EQ(status.width(), 900);
    // The window cannot shrink below 560 pixels or lose any of its bars.
    EXPECT_EQ(dialog->minimumSize(), QSize(560, toolbar.height() + strip.height() + status.height()));
    int edges[3] = {};
    EXPECT_EQ(dialog->GetStatusBar().GetParts(3, edges), 3);
    EXPECT_EQ(edges[0], 300);
    EXPECT_EQ(edges[1], 450);
    EXPECT_EQ(edges[2], -1);
}

TEST_F(WindowLayout, ToolbarHoldsSixteenButtonsInFiveGroupsWithTheirTooltips)
{
    CreateWindow();
    CFGToolbar& toolbar = dialog->GetToolbar();
    ASSERT_EQ(toolbar.GetItemCount(), 21);
    const UINT expected[] = {IDM_OPEN, IDM_SAVE, IDM_SAVEAS, 0, IDM_ZOOMIN, IDM_ZOOMOUT, IDM_MAIN_VIEW_FITWINDOW,
                             IDM_MAIN_VIEW_ORIGINALSIZE, 0, IDM_COPY, IDM_PASTE, 0, IDM_UNDO, IDM_REDO, 0,
                             IDM_ROTATELEFT, IDM_ROTATERIGHT, IDM_HORIZONTALFLIP, IDM_VERTICALFLIP, 0, IDM_ABOUT};
    for (int index = 0; index < 21; ++index) EXPECT_EQ(toolbar.GetItemID(index), expected[index]) << index;
    EXPECT_EQ(toolbar.GetButtonTooltip(IDM_ABOUT), L"About " + theApp.m_strAppName);
    EXPECT_EQ(toolbar.GetButtonTooltip(IDM_SAVEAS),
              LocalizeHelper::GetDictionaryItem("Loader", L"IDS_CORVANELOADER_TOOLTIP_TOOLBAR_SAVEAS"));
    EXPECT_EQ(dialog->GetTooltips().size(), 16u);
}

TEST_F(WindowLayout, RestoresTheStoredPlacementWithoutGrowing)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    CWndState stored(L"corvaneloader_dlg");
    stored.m_rcWindow = RECT{screen.left() + 20, screen.top() + 30, screen.left() + 620, screen.top() + 450};
    const std::vector<BYTE> bytes = StorePlacement(&stored);
    CreateMainDialog();
    if (HasFatalFailure()) return;
    dialog->show();
    EXPECT_EQ(dialog->GetWindowRect(), stored.m_rcWindow);  // saved again, the same rectangle comes back
    theApp.SaveWindowState();
    std::vector<BYTE> again;
    ASSERT_TRUE(theApp.GetProfileBinary(L"", L"corvaneloader_dlg", again));
    EXPECT_EQ(again, bytes);
    Pump();
    EXPECT_TRUE(modalDialogs.empty());  // not a first run
}

TEST_F(WindowLayout, APlacementOnNoScreenOrWithoutSizeIsNotApplied)
{
    CWndState stored(L"corvaneloader_dlg");
    stored.m_rcWindow = RECT{-30000, -30000, -29000, -29500};
    StorePlacement(&stored);
    CreateMainDialog();
    if (HasFatalFailure()) return;
    EXPECT_NE(dialog->GetWindowRect(), stored.m_rcWindow);
    EXPECT_EQ(dialog->size(), CFGDialog::MapDialogUnits(500, 300));
}

TEST_F(WindowLayout, ToolNotificationsWithoutTheirToolsChangeNothing)
{
    CreateWindow();
    SaveImage(PatternImage(40, 30), folder + L"p.png");
    OpenThroughDialog(folder + L"p.png");
    auto notify = [this](UINT code) {
        NMHDR header{&dialog->GetDisplayWnd(), CMainDlg::IDC_DISPLAYWND, code};
        CNotifyEvent event(reinterpret_cast<WPARAM>(&dialog->GetDisplayWnd()), header);
        QCoreApplication::sendEvent(dialog.get(), &event);
        return event.GetResult();
    };
    // A finished clone stroke without a clone stamp: begun, found without a
    // picture, dropped again.
    EXPECT_EQ(notify(ImageWindow::IWN_CLONESTAMP_END), 0);
    EXPECT_EQ(notify(ImageWindow::IWN_BURN_END), 0);
    EXPECT_EQ(notify(ImageWindow::IWN_REDEYE_RECT), 0);
    EXPECT_EQ(theApp.m_nAppState, CCorvaneLoaderApp::APPSTATE_EDITING);
    EXPECT_EQ(HistorySize(), 1u);
    EXPECT_FALSE(theApp.m_bModified);

    // The clone stamp's posted "no source point" is answered with a message.
    auto header = std::make_unique<NMHDR>(
        NMHDR{&dialog->GetDisplayWnd(), CMainDlg::IDC_DISPLAYWND, ImageWindow::IWN_CLONESTAMP_NOSOURCE});
    QCoreApplication::postEvent(dialog.get(), new CNotifyEvent(0, std::move(header)));
    Pump();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], LocalizeHelper::GetDictionaryItem("Dictionary", L"IDS_VELMIRA_MSG_CLONESTAMP_SOURCE_POINT_NOT_SET"));
    EXPECT_EQ(boxTypes[0], static_cast<UINT>(MB_ICONINFORMATION));

    // Notifications of another control are not the view's.
    NMHDR other{dialog.get(), 4711, ImageWindow::IWN_CLONESTAMP_NOSOURCE};
    CNotifyEvent foreign(0, other);
    QCoreApplication::sendEvent(dialog.get(), &foreign);
    EXPECT_EQ(boxes.size(), 1u);
}

#pragma once
// CMainDlg: the program's only top-level window. A skinned toolbar across
// the top, the tool option strip under it, the image view filling the middle
// and a three-part status bar at the bottom (image size and zoom, cursor
// position, colour under the cursor).
//
// The window turns toolbar buttons, keyboard shortcuts (through the
// application's accelerator table), its context menu, dropped files and the
// image view's notifications into calls on the application object `theApp`;
// shows the image the application hands it (the pixels stay the history's);
// keeps the toolbar's enabled buttons in step with the application state; and
// watches the clipboard once a second so that Paste is offered only when
// there is a picture to paste.
//
// Commands share one identifier space (app/CommandIds.h). The command
// handlers are free functions (mainwnd/MainDlgCommands.h); the dispatcher
// ignores every command while an operation is being processed.
//
// Coordinates are client pixels, row 0 at the top. Everything here runs on
// the user-interface thread.

#include <array>
#include <map>
#include <string>
#include <vector>

#include <QIcon>

#include "controls/FGDialog.h"
#include "controls/FGStatusBarCtrl.h"
#include "controls/FGToolbar.h"
#include "imagewindow/ImageWindow.h"
#include "mainwnd/EBDTO_CloneStamp.h"
#include "mainwnd/EBDTO_SpotRemover.h"
#include "mainwnd/EmbeddedToolOptionDlg.h"
#include "mainwnd/MainWindowInterface.h"
#include "platform/CBitmap.h"

class CNotifyEvent;

class CMainDlg : public CFGDialog, public CMainWindowInterface {
    Q_OBJECT
public:
    enum { IDD = 102 };
    static constexpr UINT IDC_TOOLBAR = 1000;
    static constexpr UINT IDC_DISPLAYWND = 1002;
    static constexpr UINT IDC_STATUSBAR = 1003;
    static constexpr UINT TIMER_CLIPBOARD = 1;              ///< the clipboard watch
    static constexpr UINT TIMER_CLIPBOARD_INTERVAL = 1000;  ///< its period in ms
    static constexpr COLORREF DISPLAY_BACKGROUND = RGB(150, 150, 150);
    static constexpr int MIN_CLIENT_WIDTH = 560;  ///< narrowest client area, pixels
    static constexpr int TOOLBAR_THICKNESS = 44;

    /// Status bar parts.
    enum StatusPart { STATUS_IMAGEINFO = 0, STATUS_CURSORPOS = 1, STATUS_PIXELCOLOR = 2 };
    /// Adapt modes of SetDisplayScale.
    enum AdaptMode {
        ADAPT_SCALE = 0,         ///< the table entry at the given index
        ADAPT_FITWINDOW = 1,     ///< the whole image in the view
        ADAPT_FITNOENLARGE = 2,  ///< as 1, but never above 100 %
        ADAPT_ORIGINAL = 3,      ///< 100 %
    };

    /// The window of template 102 (500 × 300 dialog units, resizable, with
    /// minimise and maximise boxes); its controls are made in OnInitDialog.
    explicit CMainDlg(QWidget* parent = nullptr);
    ~CMainDlg() override;

    // ---- what the application asks of the window (IMainWindow) -----------

    BOOL SetImage(BYTE* bits, BITMAPINFO& info) override;
    BOOL UpdateImage(BYTE* bits, BITMAPINFO& info) override;
    BOOL GetImage(CBitmap& bitmap) override;
    double SetDisplayScale(int adaptMode, int index) override;
    void UpdateToolbarState() override;
    void UpdateStatusImageInfo() override;
    void ShowStatusText(const std::wstring& text) override;
    void UpdateStatusCursorPos() override;
    void UpdateStatusPixelColor() override;
    void SetCaption(const std::wstring& caption) override;
    BOOL OnFileClose() override;
    void OnAccelerator(UINT id) override;
    void EnableImageView(bool enable) override;
    void FocusImageView() override;
    void UnloadToolAndClearImage() override;
    BOOL IsWindowVisible() const override;
    /// The window's client area in screen coordinates (its normal placement
    /// while minimised or maximised), so that restoring it gives the same size.
    RECT GetWindowRect() const override;
    bool IsIconic() const override;
    bool IsZoomed() const override;
    QWidget* GetWidget() override { return this; }
    QWidget* GetToolbarWidget() override;
    QWidget* GetImageViewWidget() override;

    // ---- used by the command handlers and tests ------------------------

    /// Runs command `id` as a menu command or shortcut would: nothing while
    /// an operation is processed; otherwise the command's handler and then
    /// UpdateToolbarState. TRUE when a handler ran.
    BOOL DispatchCommand(UINT id);
    /// Shows the About box modally.
    void ShowAboutBox();
    /// The About box's caption and menu text: the "Loader" item
    /// IDS_CORVANELOADER_TOOLTIP_TOOLBAR_ABOUT followed by the application name.
    std::wstring GetAboutText() const;
    /// Closes the window, ending its modal loop.
    void CloseMainWindow();
    /// A system-menu command: 16 (About) opens the About box.
    void OnSysCommand(UINT id);
    /// Files dropped on the window (absolute paths): exactly one is opened
    /// through the application (which asks to save unsaved changes first);
    /// any other number, or a drop while an operation runs, does nothing.
    void OnDropFiles(const std::vector<std::wstring>& paths);
    /// Timer 1: the clipboard watch.
    void OnTimer(UINT_PTR timerId);
    /// A notification of the image view; returns the handler's result.
    LRESULT OnDisplayWndNotify(CNotifyEvent& notification);
    /// The status text of part 2 for the view's point `point` (window
    /// coordinates of the view).
    void UpdateStatusPixelColor(const POINT& point);
    /// Lays the controls out in the client area (status bar at the bottom,
    /// toolbar at the top, option strip under it, the view in between).
    void OnSize();
    /// The smallest client size: MIN_CLIENT_WIDTH wide, and as high as the
    /// visible toolbar, option strip and status bar.
    QSize GetMinimumClientSize() const;

    /// The window's parts and its icon (for tools and tests).
    ImageWindow::CImageWindow& GetDisplayWnd() { return m_DisplayWnd; }
    CFGToolbar& GetToolbar() { return m_wndToolbar; }
    CFGStatusBarCtrl& GetStatusBar() { return m_wndStatusBar; }
    CEmbeddedToolOptionDlg& GetToolOptions() { return m_dlgToolOptions; }
    CEBDTO_CloneStamp& GetCloneStampOptions() { return m_dlgCloneStampOptions; }
    CEBDTO_SpotRemover& GetSpotRemoverOptions() { return m_dlgSpotRemoverOptions; }
    const QIcon& GetIcon() const { return m_hIcon; }
    /// Tooltip of each toolbar button, by command id.
    const std::map<UINT, std::wstring>& GetTooltips() const { return m_mapTooltips; }
    /// True while the clipboard watch runs.
    bool IsClipboardWatchRunning() const { return m_nClipboardTimer != 0; }

protected:
    int RunMainWindow() override;
    BOOL OnInitDialog() override;
    /// Enter does not close the program (an unsaved photo would be lost).
    void OnOK() override;
    /// Escape and the close box: the Exit command (which asks to save), but
    /// only while the window is enabled.
    void OnCancel() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void done(int result) override;

private:
    BOOL CreateStatusBar();
    BOOL CreateToolbar();
    void CreateToolOptions();
    void ShowToolPanel(CFGDialog& panel);
    BOOL CreateDisplayWnd();
    void RestoreWindowState();
    void OnDestroy();
    void PostCommand(UINT id);
    void PrepareStrokeStep();
    bool EndDragFirst();
    static constexpr int kStrokeWaitMs = 60000;
    LRESULT OnDisplayWndCloneStampNotify(CNotifyEvent& notification);
    LRESULT OnDisplayWndDodgeBurnNotify(UINT code);
    LRESULT OnDisplayWndSpotRemovalNotify();
    LRESULT OnDisplayWndHealingStrokeNotify();
    LRESULT OnDisplayWndRedeyeReductionNotify();

    // Members in the order of the window's data model; the controls are
    // children of the window.
    QIcon m_hIcon;
    std::map<UINT, std::wstring> m_mapTooltips;
    std::map<UINT, std::array<CBitmap*, 3>> m_mapButtonBitmaps;  // not owned: the application's skin map
    CFGStatusBarCtrl m_wndStatusBar;
    CFGToolbar m_wndToolbar;
    CEmbeddedToolOptionDlg m_dlgToolOptions;
    ImageWindow::CImageWindow m_DisplayWnd;
    CEBDTO_CloneStamp m_dlgCloneStampOptions;
    CEBDTO_SpotRemover m_dlgSpotRemoverOptions;

    bool m_bStatusBarCreated{false};
    bool m_bToolbarCreated{false};
    bool m_bToolOptionsCreated{false};
    bool m_bDestroyed{false};
    int m_nClipboardTimer{0};
};

/// The main dialog the application runs, or null (none, or the application
/// talks to another main window).
CMainDlg* GetMainDlg();

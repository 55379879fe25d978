// The main dialog: construction, start-up, layout, window events, the
// clipboard watch, dropped files and the image view's notifications. The
// image, zoom and status bar services live in MainDlgImage.cpp, the command
// handlers in MainDlgCommands.cpp.
#include "mainwnd/MainDlg.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QResizeEvent>
#include <QScreen>
#include <QTimer>
#include <QTimerEvent>
#include <QUrl>

#include "Tracewell/Log.h"
#include "Wordhoard/LocalizeHelper.h"
#include "app/CommandIds.h"
#include "app/CorvaneLoaderApp.h"
#include "imagewindow/ViewNotify.h"
#include "io/ClipboardIO.h"
#include "mainwnd/AboutDlg.h"
#include "mainwnd/AppArtwork.h"
#include "mainwnd/MainDlgCommands.h"
#include "mainwnd/ProductLinks.h"
#include "platform/NotifyEvent.h"
#include "platform/TextConvert.h"

namespace {

constexpr const wchar_t* kModule = L"CorvaneLoader";
constexpr COLORREF kTransparent = RGB(255, 0, 255);
constexpr int kStatusEdges[] = {300, 450, -1};
constexpr int kToolOptionsLeft = 8;  // the tool's panel sits this far in from the strip's left edge

// One toolbar button: command, skin picture name, tooltip key ("Loader").
struct ToolbarButton {
    UINT id;
    const wchar_t* skinName;
    const wchar_t* tooltipKey;
    bool separatorAfter;  // the button ends a group
};

constexpr ToolbarButton kToolbarButtons[] = {
    {IDM_OPEN, L"file_open", L"IDS_CORVANELOADER_TOOLTIP_TOOLBAR_OPEN", false},
    {IDM_SAVE, L"file_save", L"IDS_CORVANELOADER_TOOLTIP_TOOLBAR_SAVE", false},
    {IDM_SAVEAS, L"file_saveas", L"IDS_CORVANELOADER_TOOLTIP_TOOLBAR_SAVEAS", true},
    {IDM_ZOOMIN, L"view_zoomin", L"IDS_CORVANELOADER_TOOLTIP_TOOLBAR_ZOOMIN", false},
    {IDM_ZOOMOUT, L"view_zoomout", L"IDS_CORVANELOADER_TOOLTIP_TOOLBAR_ZOOMOUT", false},
    {IDM_MAIN_VIEW_FITWINDOW, L"view_fitwindow", L"IDS_CORVANELOADER_TOOLTIP_TOOLBAR_FITWINDOW", false},
    {IDM_MAIN_VIEW_ORIGINALSIZE, L"view_originalsize", L"IDS_CORVANELOADER_TOOLTIP_TOOLBAR_ORIGINALSIZE", true},
    {IDM_COPY, L"edit_copy", L"IDS_CORVANELOADER_TOOLTIP_TOOLBAR_COPY", false},
    {IDM_PASTE, L"edit_paste", L"IDS_CORVANELOADER_TOOLTIP_TOOLBAR_PASTE", true},
    {IDM_UNDO, L"edit_undo", L"IDS_CORVANELOADER_TOOLTIP_TOOLBAR_UNDO", false},
    {IDM_REDO, L"edit_redo", L"IDS_CORVANELOADER_TOOLTIP_TOOLBAR_REDO", true},
    {IDM_ROTATELEFT, L"image_rotateleft", L"IDS_CORVANELOADER_TOOLTIP_TOOLBAR_ROTATELEFT", false},
    {IDM_ROTATERIGHT, L"image_rotateright", L"IDS_CORVANELOADER_TOOLTIP_TOOLBAR_ROTATERIGHT", false},
    {IDM_HORIZONTALFLIP, L"image_horizontalflip", L"IDS_CORVANELOADER_TOOLTIP_TOOLBAR_HORIZONTALFLIP", false},
    {IDM_VERTICALFLIP, L"image_verticalflip", L"IDS_CORVANELOADER_TOOLTIP_TOOLBAR_VERTICALFLIP", true},
    {IDM_ABOUT, L"help_about", L"IDS_CORVANELOADER_TOOLTIP_TOOLBAR_ABOUT", false},
};

const wchar_t* LoaderItem(const wchar_t* key) { return LocalizeHelper::GetDictionaryItem("Loader", key); }

bool EqualsNoCase(const std::wstring& a, const wchar_t* b)
{
    return QString::fromStdWString(a).compare(QString::fromWCharArray(b), Qt::CaseInsensitive) == 0;
}

// The local files of a drop, as absolute paths; empty when anything dropped
// is not a local file.
std::vector<std::wstring> LocalFilesOf(const QMimeData* data)
{
    std::vector<std::wstring> paths;
    if (!data || !data->hasUrls()) return paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) return {};
        // The URL's own bytes: Qt's file names would turn bytes that are not
        // UTF-8 into replacement characters.
        const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        paths.push_back(FileNameToWide(bytes.toStdString()));
    }
    return paths;
}

} // namespace

CMainDlg* GetMainDlg() { return dynamic_cast<CMainDlg*>(theApp.GetMainWindow()); }

CMainDlg::CMainDlg(QWidget* parent) : CFGDialog(IDD, parent)
{
    SetStyle(WS_POPUP | WS_CAPTION | WS_SYSMENU);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);
    setAcceptDrops(true);
    resize(MapDialogUnits(500, 300));
    m_hIcon = AppArtwork::AppWindowIcon();
}

CMainDlg::~CMainDlg() { OnDestroy(); }

int CMainDlg::RunMainWindow() { return static_cast<int>(CFGDialog::DoModal()); }

// ---- start-up -------------------------------------------------------------------

BOOL CMainDlg::OnInitDialog()
{
    constexpr const wchar_t* kFunction = L"CMainDlg::OnInitDialog";
    CFGDialog::OnInitDialog();
    setWindowIcon(m_hIcon);
    QApplication::setWindowIcon(m_hIcon);  // the About box and the messages carry it too
    if (!CreateStatusBar()) WriteLog(LOG_LEVEL_ERROR, kModule, kFunction, L"Failed to create status-bar");
    if (!CreateToolbar()) WriteLog(LOG_LEVEL_ERROR, kModule, kFunction, L"Failed to create tool-bar");
    CreateToolOptions();
    if (!CreateDisplayWnd()) WriteLog(LOG_LEVEL_ERROR, kModule, kFunction, L"Failed to create image-display-window");
    setMinimumSize(GetMinimumClientSize());
    // Lay out once the loop runs, when the window has its final size.
    QTimer::singleShot(0, this, [this] { OnSize(); });
    UpdateToolbarState();
    RestoreWindowState();
    m_nClipboardTimer = startTimer(static_cast<int>(TIMER_CLIPBOARD_INTERVAL));
    theApp.SetAppState(CCorvaneLoaderApp::APPSTATE_IDLE);
    theApp.UpdateWindowTitle();
    return TRUE;
}

BOOL CMainDlg::CreateStatusBar()
{
    if (!m_wndStatusBar.Create(WS_VISIBLE, RECT{0, 0, 0, 0}, this, IDC_STATUSBAR)) return FALSE;
    m_wndStatusBar.SetParts(3, kStatusEdges);
    for (int part = STATUS_IMAGEINFO; part <= STATUS_PIXELCOLOR; ++part) m_wndStatusBar.SetText(L"", part);
    m_bStatusBarCreated = true;
    return TRUE;
}

BOOL CMainDlg::CreateToolbar()
{
    m_mapTooltips.clear();
    for (const ToolbarButton& button : kToolbarButtons) {
        const std::wstring base = std::wstring(L"toolbar\\") + button.skinName;
        m_mapButtonBitmaps[button.id] = {theApp.GetSkinBitmap(base.c_str()),
                                         theApp.GetSkinBitmap((base + L"_hot").c_str()),
                                         theApp.GetSkinBitmap((base + L"_dis").c_str())};
        std::wstring tooltip = LoaderItem(button.tooltipKey);
        if (button.id == IDM_ABOUT) tooltip += theApp.m_strAppName;
        m_mapTooltips[button.id] = tooltip;
    }
    if (!m_wndToolbar.Create(IDC_TOOLBAR, this, 0, FGTB_HORIZONTAL, TOOLBAR_THICKNESS, 40, 2, 5)) return FALSE;
    for (const ToolbarButton& button : kToolbarButtons) {
        if (m_wndToolbar.InsertButton(button.id, m_mapTooltips[button.id].c_str())) {
            const auto& bitmaps = m_mapButtonBitmaps[button.id];
            if (bitmaps[0] && bitmaps[1] && bitmaps[2])
                m_wndToolbar.SetButtonBitmaps(button.id, bitmaps[0], bitmaps[1], bitmaps[2], kTransparent);
        }
        if (button.separatorAfter) m_wndToolbar.InsertSeparator();
    }
    m_wndToolbar.show();
    m_bToolbarCreated = true;
    return TRUE;
}

void CMainDlg::CreateToolOptions()
{
    m_dlgToolOptions.SetSiblingPage(ProductLinks::SiblingPage(theApp.m_strProductCode));
    if (!m_dlgToolOptions.Create(CEmbeddedToolOptionDlg::IDD, this)) return;
    m_bToolOptionsCreated = true;
    m_dlgToolOptions.show();
    if (EqualsNoCase(theApp.m_strProductCode, L"cst")) {
        if (m_dlgCloneStampOptions.Create(theApp.GetProductTool(), &m_dlgToolOptions))
            ShowToolPanel(m_dlgCloneStampOptions);
    } else if (EqualsNoCase(theApp.m_strProductCode, L"sr")) {
        if (m_dlgSpotRemoverOptions.Create(theApp.GetProductTool(), &m_dlgToolOptions))
            ShowToolPanel(m_dlgSpotRemoverOptions);
    }
}

// The product tool's panel sits at the strip's left, centred in its height.
void CMainDlg::ShowToolPanel(CFGDialog& panel)
{
    const int top = (m_dlgToolOptions.height() - panel.height()) / 2;
    panel.move(kToolOptionsLeft, qMax(0, top));
    panel.show();
}

BOOL CMainDlg::CreateDisplayWnd()
{
    if (!m_DisplayWnd.Create(RECT{0, 0, width(), height()}, this, IDC_DISPLAYWND, DISPLAY_BACKGROUND)) return FALSE;
    m_DisplayWnd.show();
    m_DisplayWnd.setFocus(Qt::OtherFocusReason);
    return TRUE;
}

void CMainDlg::RestoreWindowState()
{
    if (!theApp.LoadWindowState()) {
        // First run: introduce the program as soon as the window is up.
        PostCommand(IDM_ABOUT);
        return;
    }
    const CWndState& state = theApp.m_wndState;
    const QRect stored(state.m_rcWindow.left, state.m_rcWindow.top, state.m_rcWindow.right - state.m_rcWindow.left,
                       state.m_rcWindow.bottom - state.m_rcWindow.top);
    // A placement that lies on no screen any more (a display was removed) or
    // has no size is not applied; the window then opens centred.
    const QScreen* screen = QGuiApplication::screenAt(stored.center());
    if (stored.width() > 0 && stored.height() > 0 && screen) setGeometry(stored);
    else CenterWindow();
    if (state.m_nShowState == CWndState::SHOW_MINIMIZED) setWindowState(Qt::WindowMinimized);
    else if (state.m_nShowState == CWndState::SHOW_MAXIMIZED) setWindowState(Qt::WindowMaximized);
}

void CMainDlg::PostCommand(UINT id) { FGPostMessage(this, WM_COMMAND, id, 0); }

// ---- closing ------------------------------------------------------------------------

void CMainDlg::OnOK() {}

void CMainDlg::OnCancel()
{
    if (!isEnabled()) return;
    theApp.SaveToolSettings();
    DispatchCommand(IDM_EXIT);
}

void CMainDlg::CloseMainWindow() { EndDialog(IDCANCEL); }

void CMainDlg::done(int result)
{
    CFGDialog::done(result);
    OnDestroy();
}

void CMainDlg::OnDestroy()
{
    if (m_bDestroyed) return;
    m_bDestroyed = true;
    if (m_nClipboardTimer != 0) killTimer(m_nClipboardTimer);
    m_nClipboardTimer = 0;
    m_dlgToolOptions.OnDestroy();
    // The clipboard's picture stays the clipboard's: with the watch stopped,
    // the application must not keep (and later delete) its handle.
    theApp.m_bmpClipboard.Detach();
}

// ---- commands -----------------------------------------------------------------------

BOOL CMainDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(static_cast<DWORD>(wParam));
    const UINT code = HIWORD(static_cast<DWORD>(wParam));
    if (lParam == 0 && (code == 0 || code == 1) && id != 0 && DispatchCommand(id)) return TRUE;
    return CFGDialog::OnCommand(wParam, lParam);
}

BOOL CMainDlg::DispatchCommand(UINT id)
{
    if (theApp.m_nAppState == CCorvaneLoaderApp::APPSTATE_PROCESSING) return FALSE;
    if (!EndDragFirst()) return FALSE;
    if (!RunMainDlgCommand(id)) return FALSE;
    UpdateToolbarState();
    return TRUE;
}

// A command typed while the mouse still drags over the view (a brush's or a
// healing stroke) ends that drag first, so the stroke is recorded before the
// command changes, saves or closes the photo under it. A stroke repaired on
// the worker thread is waited for; FALSE when it is still running after
// kStrokeWaitMs (the command is then not run, as any during processing).
bool CMainDlg::EndDragFirst()
{
    if (!m_DisplayWnd.HasCapture()) return true;
    m_DisplayWnd.ReleaseCapture();
    if (theApp.m_nAppState != CCorvaneLoaderApp::APPSTATE_PROCESSING) return true;
    return theApp.WaitWhileProcessing(kStrokeWaitMs) != FALSE;
}

void CMainDlg::OnAccelerator(UINT id)
{
    OnCommand(static_cast<WPARAM>(id) | (static_cast<WPARAM>(1) << 16), 0);
}

LRESULT CMainDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SYSCOMMAND) {
        OnSysCommand(static_cast<UINT>(wParam));
        return 0;
    }
    return CFGDialog::WindowProc(message, wParam, lParam);
}

void CMainDlg::OnSysCommand(UINT id)
{
    if ((id & 0xFFF0) == IDM_ABOUT) ShowAboutBox();
}

std::wstring CMainDlg::GetAboutText() const
{
    return std::wstring(LoaderItem(L"IDS_CORVANELOADER_TOOLTIP_TOOLBAR_ABOUT")) + theApp.m_strAppName;
}

void CMainDlg::ShowAboutBox()
{
    CAboutDlg about(GetAboutText(), ProductLinks::ProductPage(theApp.m_strProductCode),
                    ProductLinks::SiblingPage(theApp.m_strProductCode), this);
    about.DoModal();
}

void CMainDlg::contextMenuEvent(QContextMenuEvent* event)
{
    // The window's own menu (what the title bar's system menu holds on other
    // desktops): right-click the toolbar, the option strip or the status bar.
    if (m_DisplayWnd.geometry().contains(event->pos())) {
        event->ignore();
        return;
    }
    QMenu menu(this);
    QAction* about = menu.addAction(m_hIcon, QString::fromStdWString(GetAboutText()));
    if (menu.exec(event->globalPos()) == about) FGPostMessage(this, WM_SYSCOMMAND, IDM_ABOUT, 0);
}

// ---- window events ------------------------------------------------------------------

bool CMainDlg::event(QEvent* event)
{
    if (event->type() == CNotifyEvent::EventType()) {
        auto* notification = static_cast<CNotifyEvent*>(event);
        notification->SetResult(OnDisplayWndNotify(*notification));
        return true;
    }
    return CFGDialog::event(event);
}

void CMainDlg::resizeEvent(QResizeEvent* event)
{
    CFGDialog::resizeEvent(event);
    OnSize();
}

void CMainDlg::OnSize()
{
    RECT client{};
    GetClientRect(&client);
    const int width = client.right - client.left;
    int top = client.top;
    int bottom = client.bottom;
    if (m_bStatusBarCreated) {
        const int height = m_wndStatusBar.height();
        m_wndStatusBar.setGeometry(client.left, bottom - height, width, height);
        if (m_wndStatusBar.isVisible()) bottom -= height;
    }
    if (m_bToolbarCreated) {
        m_wndToolbar.setGeometry(client.left, top, width, m_wndToolbar.height());
        if (m_wndToolbar.isVisible()) top += m_wndToolbar.height();
    }
    if (m_bToolOptionsCreated) {
        m_dlgToolOptions.setGeometry(client.left, top, width, m_dlgToolOptions.height());
        if (m_dlgToolOptions.isVisible()) top += m_dlgToolOptions.height();
    }
    if (m_DisplayWnd.IsCreated()) m_DisplayWnd.setGeometry(client.left, top, width, qMax(0, bottom - top));
}

QSize CMainDlg::GetMinimumClientSize() const
{
    int height = 0;
    if (m_bToolbarCreated && !m_wndToolbar.isHidden()) height += m_wndToolbar.height();
    if (m_bToolOptionsCreated && !m_dlgToolOptions.isHidden()) height += m_dlgToolOptions.height();
    if (m_bStatusBarCreated && !m_wndStatusBar.isHidden()) height += m_wndStatusBar.height();
    return QSize(MIN_CLIENT_WIDTH, height);
}

void CMainDlg::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_nClipboardTimer) {
        OnTimer(TIMER_CLIPBOARD);
        return;
    }
    CFGDialog::timerEvent(event);
}

void CMainDlg::OnTimer(UINT_PTR timerId)
{
    if (timerId != TIMER_CLIPBOARD) return;
    CBitmap& kept = theApp.m_bmpClipboard;
    CBitmap found;
    if (Carrow::ClipboardIO::GetBitmap(found)) {
        // The handle stays the clipboard's: let go of the old one, never delete it.
        const bool hadOne = kept.GetSafeHandle() != nullptr;
        kept.Detach();
        kept.Attach(found.Detach());
        if (!hadOne) UpdateToolbarState();
    } else if (kept.GetSafeHandle()) {
        kept.Detach();
        UpdateToolbarState();
    }
}

// ---- dropped files --------------------------------------------------------------------

void CMainDlg::dragEnterEvent(QDragEnterEvent* event)
{
    // Only one photo can be edited at a time: a drag of several files shows
    // the "no drop" cursor instead of being accepted and then ignored.
    if (LocalFilesOf(event->mimeData()).size() == 1) event->acceptProposedAction();
}

void CMainDlg::dropEvent(QDropEvent* event)
{
    const std::vector<std::wstring> paths = LocalFilesOf(event->mimeData());
    event->acceptProposedAction();
    // Opening may ask questions; the drag and drop ends first.
    QTimer::singleShot(0, this, [this, paths] { OnDropFiles(paths); });
}

void CMainDlg::OnDropFiles(const std::vector<std::wstring>& paths)
{
    if (paths.size() != 1) return;
    const int state = theApp.m_nAppState;
    // While an operation runs (or before the window is up) the image must not
    // change under it; the drop is ignored like every command then.
    if (state != CCorvaneLoaderApp::APPSTATE_IDLE && state != CCorvaneLoaderApp::APPSTATE_EDITING) return;
    if (!theApp.OpenImageFile(paths.front().c_str()))
        WriteLog(LOG_LEVEL_ERROR, kModule, L"CMainDlg::OnDropFiles", L"Failed to call theApp.OpenImageFile with file '%s'.",
                 paths.front().c_str());
}

// ---- view notifications -------------------------------------------------------------

LRESULT CMainDlg::OnDisplayWndNotify(CNotifyEvent& notification)
{
    const NMHDR& header = notification.GetHeader();
    if (header.idFrom != IDC_DISPLAYWND) return 0;
    switch (header.code) {
    case ImageWindow::IWN_MOUSEMOVE:
        UpdateStatusCursorPos();
        UpdateStatusPixelColor();
        return 0;
    case ImageWindow::IWN_CLONESTAMP_SOURCE:
    case ImageWindow::IWN_CLONESTAMP_START:
    case ImageWindow::IWN_CLONESTAMP_END:
    case ImageWindow::IWN_CLONESTAMP_NOSOURCE: return OnDisplayWndCloneStampNotify(notification);
    case ImageWindow::IWN_DODGE_START:
    case ImageWindow::IWN_DODGE_END:
    case ImageWindow::IWN_BURN_START:
    case ImageWindow::IWN_BURN_END: return OnDisplayWndDodgeBurnNotify(header.code);
    case ImageWindow::IWN_SPOTREMOVER_SPOT: return OnDisplayWndSpotRemovalNotify();
    case ImageWindow::IWN_SPOTREMOVER_STROKE: return OnDisplayWndHealingStrokeNotify();
    case ImageWindow::IWN_REDEYE_RECT: return OnDisplayWndRedeyeReductionNotify();
    default: return 0;
    }
}

// ---- IMainWindow placement and plumbing --------------------------------------------

void CMainDlg::SetCaption(const std::wstring& caption) { setWindowTitle(QString::fromStdWString(caption)); }

BOOL CMainDlg::OnFileClose() { return OnMainDlgFileClose(); }

void CMainDlg::EnableImageView(bool enable) { m_DisplayWnd.setEnabled(enable); }

void CMainDlg::FocusImageView() { m_DisplayWnd.setFocus(Qt::OtherFocusReason); }

void CMainDlg::UnloadToolAndClearImage()
{
    m_DisplayWnd.UnloadEmbeddedTool();
    m_DisplayWnd.ClearBitmap();
}

BOOL CMainDlg::IsWindowVisible() const { return isVisible() ? TRUE : FALSE; }

RECT CMainDlg::GetWindowRect() const
{
    const QRect placed = isMinimized() || isMaximized() ? normalGeometry() : geometry();
    return RECT{placed.left(), placed.top(), placed.left() + placed.width(), placed.top() + placed.height()};
}

bool CMainDlg::IsIconic() const { return isMinimized(); }

bool CMainDlg::IsZoomed() const { return isMaximized(); }

QWidget* CMainDlg::GetToolbarWidget() { return m_bToolbarCreated ? &m_wndToolbar : nullptr; }

QWidget* CMainDlg::GetImageViewWidget() { return m_DisplayWnd.IsCreated() ? &m_DisplayWnd : nullptr; }

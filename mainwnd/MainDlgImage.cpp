// The main dialog's image services: showing the application's images, the
// display scale, the toolbar's enabled buttons and the status bar texts.
#include <algorithm>

#include <QCursor>

#include "Tracewell/Log.h"
#include "app/CommandIds.h"
#include "app/CorvaneLoaderApp.h"
#include "mainwnd/CommonFunctions.h"
#include "mainwnd/DisplayScale.h"
#include "mainwnd/MainDlg.h"
#include "mainwnd/StatusText.h"

namespace {

constexpr const wchar_t* kModule = L"CorvaneLoader";

// Every command the toolbar offers besides About, which is never disabled.
constexpr UINT kStateCommands[] = {
    IDM_OPEN,        IDM_SAVE,         IDM_SAVEAS,        IDM_ZOOMIN,         IDM_ZOOMOUT,
    IDM_COPY,        IDM_PASTE,        IDM_UNDO,          IDM_REDO,           IDM_ROTATELEFT,
    IDM_ROTATERIGHT, IDM_HORIZONTALFLIP, IDM_VERTICALFLIP, IDM_MAIN_VIEW_FITWINDOW, IDM_MAIN_VIEW_ORIGINALSIZE,
};

// What an open image allows whatever the history and clipboard hold.
constexpr UINT kEditingCommands[] = {
    IDM_OPEN,       IDM_SAVE,        IDM_SAVEAS,         IDM_ZOOMIN,       IDM_ZOOMOUT,
    IDM_MAIN_VIEW_FITWINDOW, IDM_MAIN_VIEW_ORIGINALSIZE, IDM_COPY, IDM_ROTATELEFT, IDM_ROTATERIGHT,
    IDM_HORIZONTALFLIP, IDM_VERTICALFLIP,
};

// Hands the application's pixels to the display window by `pass` (which
// returns whether the display took them); false after logging under
// `function` "Invalid Argument." for no pixels, or `failure`.
template <class Pass>
bool PassToDisplay(const wchar_t* function, const BYTE* bits, const wchar_t* failure, Pass pass)
{
    if (!bits) {
        WriteLog(LOG_LEVEL_ERROR, kModule, function, L"Invalid Argument.");
        return false;
    }
    if (!pass()) {
        WriteLog(LOG_LEVEL_ERROR, kModule, function, L"%s", failure);
        return false;
    }
    return true;
}

} // namespace

BOOL CMainDlg::SetImage(BYTE* bits, BITMAPINFO& info)
{
    if (!PassToDisplay(L"CMainDlg::SetImage", bits, L"Failed to set image to display window.",
                       [&] { return m_DisplayWnd.SetBitmap(info, bits); }))
        return FALSE;
    m_DisplayWnd.SetZoom(1.0);
    UpdateStatusImageInfo();
    if (IEmbeddedTool* tool = theApp.GetProductTool()) m_DisplayWnd.LoadEmbeddedTool(*tool);
    return TRUE;
}

BOOL CMainDlg::UpdateImage(BYTE* bits, BITMAPINFO& info)
{
    if (!PassToDisplay(L"CMainDlg::UpdateImage", bits, L"Failed to update image to display window.",
                       [&] { return m_DisplayWnd.UpdateBitmap(info, bits); }))
        return FALSE;
    UpdateStatusImageInfo();
    UpdateStatusCursorPos();
    UpdateStatusPixelColor();
    return TRUE;
}

BOOL CMainDlg::GetImage(CBitmap& bitmap)
{
    constexpr const wchar_t* kFunction = L"CMainDlg::GetImage";
    bitmap.DeleteObject();
    BITMAPINFO info{};
    BYTE* bits = m_DisplayWnd.GetBitmap(info);
    if (!bits) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kFunction, L"Image not set yet.");
        return FALSE;
    }
    if (!CommonFunctions::CreateCBitmap(bitmap, info, bits)) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kFunction,
                 L"Failed to call CommonFunctions::CreateCBitmap( _Bitmap, pDC, ImgInfo, pData ).");
        return FALSE;
    }
    return TRUE;
}

// ---- display scale -------------------------------------------------------------------

double CMainDlg::SetDisplayScale(int adaptMode, int index)
{
    constexpr const wchar_t* kFunction = L"CMainDlg::SetDisplayScale";
    const double previous = m_DisplayWnd.GetZoom();
    double scale = 1.0;
    bool valid = true;
    switch (adaptMode) {
    case ADAPT_SCALE:
        if (index < 0 || index >= DisplayScale::COUNT) {
            WriteLog(LOG_LEVEL_ERROR, kModule, kFunction, L"Invalid display scale index %d.", index);
            valid = false;
        }
        scale = DisplayScale::At(index);
        break;
    case ADAPT_FITWINDOW:
    case ADAPT_FITNOENLARGE: {
        // The whole view counts: once the picture fits, no scroll bar is shown.
        const int width = m_DisplayWnd.iBmpWidth();
        const int height = m_DisplayWnd.iBmpHeight();
        valid = width > 0 && height > 0 && m_DisplayWnd.width() > 0 && m_DisplayWnd.height() > 0;
        if (valid) scale = std::min(static_cast<double>(m_DisplayWnd.width()) / width,
                                    static_cast<double>(m_DisplayWnd.height()) / height);
        if (adaptMode == ADAPT_FITNOENLARGE) scale = std::min(scale, 1.0);
        break;
    }
    case ADAPT_ORIGINAL: scale = 1.0; break;
    default:
        WriteLog(LOG_LEVEL_ERROR, kModule, kFunction, L"Invalid adapt mode %d.", adaptMode);
        valid = false;
        break;
    }
    if (valid && !m_DisplayWnd.SetZoom(scale))
        WriteLog(LOG_LEVEL_ERROR, kModule, kFunction, L"Failed to call m_DisplayWnd.SetZoom with %f.", scale);
    UpdateStatusImageInfo();
    return previous;
}

// ---- toolbar --------------------------------------------------------------------------

void CMainDlg::UpdateToolbarState()
{
    if (!m_bToolbarCreated) return;
    for (UINT id : kStateCommands) m_wndToolbar.EnableButton(id, FALSE);
    const bool clipboardPicture = theApp.m_bmpClipboard.GetSafeHandle() != nullptr;
    switch (theApp.m_nAppState) {
    case CCorvaneLoaderApp::APPSTATE_IDLE:
        m_wndToolbar.EnableButton(IDM_OPEN, TRUE);
        m_wndToolbar.EnableButton(IDM_PASTE, clipboardPicture);
        break;
    case CCorvaneLoaderApp::APPSTATE_EDITING:
        for (UINT id : kEditingCommands) m_wndToolbar.EnableButton(id, TRUE);
        m_wndToolbar.EnableButton(IDM_PASTE, clipboardPicture);
        m_wndToolbar.EnableButton(IDM_UNDO, !theApp.m_OptHistory.IsAtFirst());
        m_wndToolbar.EnableButton(IDM_REDO, !theApp.m_OptHistory.IsAtLast());
        break;
    default: break;
    }
    m_wndToolbar.EnableButton(IDM_ABOUT, TRUE);
}

// ---- status bar -----------------------------------------------------------------------

void CMainDlg::UpdateStatusImageInfo()
{
    if (!m_bStatusBarCreated) return;
    BITMAPINFO info{};
    if (!m_DisplayWnd.GetBitmap(info)) {
        m_wndStatusBar.SetText(L"", STATUS_IMAGEINFO);
        return;
    }
    const BITMAPINFOHEADER& header = info.bmiHeader;
    m_wndStatusBar.SetText(StatusText::FormatImageInfo(header.biWidth, header.biHeight, header.biBitCount,
                                                       m_DisplayWnd.GetZoom())
                               .c_str(),
                           STATUS_IMAGEINFO);
}

void CMainDlg::ShowStatusText(const std::wstring& text)
{
    if (!m_bStatusBarCreated) return;
    if (text.empty()) UpdateStatusImageInfo();
    else m_wndStatusBar.SetText(text.c_str(), STATUS_IMAGEINFO);
}

void CMainDlg::UpdateStatusCursorPos()
{
    if (!m_bStatusBarCreated) return;
    const CPoint point = m_DisplayWnd.GetCursorPos(TRUE);
    m_wndStatusBar.SetText(StatusText::FormatCursorPos(point.x, point.y).c_str(), STATUS_CURSORPOS);
}

void CMainDlg::UpdateStatusPixelColor()
{
    const QPoint local = m_DisplayWnd.mapFromGlobal(QCursor::pos());
    UpdateStatusPixelColor(POINT{local.x(), local.y()});
}

void CMainDlg::UpdateStatusPixelColor(const POINT& point)
{
    if (!m_bStatusBarCreated) return;
    const DWORD colour = m_DisplayWnd.GetPixelRGBValue(point, TRUE);
    m_wndStatusBar.SetText(StatusText::FormatPixelColor(colour).c_str(), STATUS_PIXELCOLOR);
}

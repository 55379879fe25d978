#pragma once
// The interface of everything that plugs into the image view (CImageWindow):
// a tool draws over the picture, takes the view's mouse, keyboard and timer
// input before the view does, and tells the view's parent what the user did.
//
// Every hook has a do-nothing default ("did nothing, not consumed": 0), so a
// tool overrides only what it uses; OnLoad stores the view, OnUnload returns 1.
// For the consuming hooks (OnSetCursor, OnLButtonDown, OnMouseMove,
// OnMouseWheel, OnKeyDown) a non-zero result means the tool handled the event
// and the view skips its own handling; the other results are ignored.
//
// A tool is loaded into at most one view at a time, between OnLoad and
// OnUnload. The host creates the tools, owns them and outlives every loading;
// the view never owns a tool. Every hook runs on the view's (UI) thread.
//
// Points are in the view's window (client) coordinates, row 0 at the top,
// unless a hook says otherwise.

#include <cstdint>
#include <vector>

#include "platform/CPoint.h"
#include "platform/CRect.h"
#include "platform/WinMessages.h"

class QPainter;
class QWidget;

namespace ImageWindow {

class CImageWindow;

class IEmbeddedTool {
public:
    /// Characters of a tool name, terminating zero included.
    static constexpr int MAX_TOOLNAME = 100;

    virtual ~IEmbeddedTool();
    IEmbeddedTool(const IEmbeddedTool&) = delete;
    IEmbeddedTool& operator=(const IEmbeddedTool&) = delete;

    /// The tool's fixed name; also the key under which the host stores the
    /// tool's settings blob.
    virtual const wchar_t* GetToolName() const;

    /// Called by CImageWindow::LoadEmbeddedTool: remembers the view and
    /// returns 1. A result of 0 refuses loading.
    virtual int OnLoad(CImageWindow& view);
    /// Writes the tool's settings blob (a 32-bit little-endian version, then
    /// the tool's fields) into `out`, replacing its contents. The default
    /// leaves it empty: an empty blob, which the host does not store.
    virtual void SerializeToolSettings(std::vector<BYTE>& out) const;
    /// Checks a settings blob: 1 when it is longer than 4 bytes and its first
    /// byte (the low byte of the stored version) is at most the tool's
    /// settings version, else 0. Tools extend it to apply their settings.
    virtual int UnserializeToolSettings(const std::vector<BYTE>& in);
    /// The tool is being taken off the view. Returns 1.
    virtual int OnUnload();

    /// Before the picture is painted; `dc` paints the view's back buffer,
    /// `rcClient` is the usable client area (scroll bars excluded).
    virtual int OnPrePaint(QPainter& dc, CRect& rcClient);
    /// After the picture and the selection border are painted.
    virtual int OnPostPaint(QPainter& dc, CRect& rcClient);
    /// Consuming: the mouse is over the usable client area; set a cursor
    /// (CImageWindow::SetCursor) and return non-zero, or return 0 for the
    /// view's default cursor. `window` is the view, `hitTest` HTCLIENT (or 0
    /// when the tool calls itself), `message` the mouse message or WM_SETCURSOR.
    virtual int OnSetCursor(QWidget* window, UINT hitTest, UINT message);
    /// Every timer tick of the view (its own and those a tool set with
    /// CImageWindow::SetTimer), with the timer's identifier.
    virtual int OnTimer(UINT_PTR timerId);
    /// Consuming. Key flags are MK_* values.
    virtual int OnLButtonDown(UINT flags, CPoint point);
    virtual int OnLButtonUp(UINT flags, CPoint point);
    virtual int OnLButtonDblClk(UINT flags, CPoint point);
    /// Consuming.
    virtual int OnMouseMove(UINT flags, CPoint point);
    /// Consuming. The mouse position of a wheel event is in screen
    /// coordinates, as Windows delivers it; delta is in 1/120 notches,
    /// positive when the wheel turns away from the user.
    virtual int OnMouseWheel(UINT flags, short delta, CPoint screenPoint);
    /// Consuming: virtual-key code, repeat count, key-message flags.
    virtual int OnKeyDown(UINT virtualKey, UINT repeatCount, UINT flags);
    virtual int OnKeyUp(UINT virtualKey, UINT repeatCount, UINT flags);
    virtual int OnSysKeyDown(UINT virtualKey, UINT repeatCount, UINT flags);
    virtual int OnSysKeyUp(UINT virtualKey, UINT repeatCount, UINT flags);
    /// The view lost the mouse capture; `newOwner` is the window taking it
    /// (null when the capture was released).
    virtual int OnCaptureChanged(QWidget* newOwner);
    /// Called after every zoom change of the view.
    virtual void OnZoomChanged();
    /// The view's picture was replaced (SetBitmap, UpdateBitmap with other
    /// pixels, ClearBitmap): a tool working on a copy of the old picture
    /// lets that work go.
    virtual void OnBitmapChanged();

    /// True while the tool drags the view's selection to a new place; the
    /// view's moving selection border then stands still. Default FALSE.
    virtual BOOL IsMovingSelection() const;

    /// Brush tools: the picture their last stroke produced (bottom-up rows
    /// described by `header`, which is filled in), owned by the tool. The
    /// default has none and returns null, leaving `header` as it was.
    virtual const BYTE* GetBitmap(BITMAPINFO& header) const;

    /// The newest settings format the tool writes and reads.
    std::int32_t GetSettingsVersion() const { return m_iSettingsVersion; }
    /// The view the tool was last loaded into; null before the first OnLoad.
    CImageWindow* GetView() const { return m_pView; }

protected:
    /// `name` (truncated to MAX_TOOLNAME - 1 characters) and the tool's
    /// settings version.
    IEmbeddedTool(const wchar_t* name, std::int32_t settingsVersion);

    wchar_t m_szToolName[MAX_TOOLNAME]{};
    CImageWindow* m_pView{nullptr};
    std::int32_t m_iSettingsVersion{0};
};

} // namespace ImageWindow

#pragma once
// The image view: a child widget that shows one 24/32-bit bottom-up bitmap at
// any zoom, with its own scroll bars, a background colour around the picture
// and one pluggable embedded tool (IEmbeddedTool) that draws over the picture
// and takes the mouse and keyboard first.
//
// Three coordinate spaces, each with row 0 at the top:
//   bitmap  - pixel column and row of the image, 0 ≤ x < iBmpWidth;
//   display - bitmap coordinates times the zoom, 0 ≤ x < iDispWidth;
//   window  - client pixels of the view. rcInBitmap is the usable client
//             area (scroll bars excluded) in display coordinates: its
//             top-left is the scroll position, negative when a picture
//             smaller than the view is centred.
//
// The view never owns or copies the pixels it shows: it keeps the caller's
// pointer, which must stay valid until the next SetBitmap, UpdateBitmap or
// ClearBitmap. Everything here runs on the UI thread; the view has no locks.
//
// Notifications to the parent widget arrive as CNotifyEvent
// (platform/NotifyEvent.h); the codes are in imagewindow/ViewNotify.h.

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include <QWidget>

#include "imagewindow/CoverPicture.h"
#include "imagewindow/CursorCache.h"
#include "imagewindow/DibScaler.h"
#include "imagewindow/IEmbeddedTool.h"
#include "imagewindow/IWCursorInfo.h"
#include "imagewindow/PointerSample.h"
#include "imagewindow/ViewSelection.h"
#include "platform/CPoint.h"
#include "platform/CRect.h"
#include "platform/CRgn.h"
#include "platform/WinMessages.h"

class CFGMemDC;
class QScrollBar;

namespace ImageWindow {

class CImageWindow : public QWidget {
    Q_OBJECT

public:
    using IEmbeddedTool = ImageWindow::IEmbeddedTool;

    static constexpr UINT TIMER_DRAWSELECTBOX = 100;          ///< timer of the moving selection border
    static constexpr UINT TIMER_DRAWSELECTBOX_INTERVAL = 250; ///< its period in ms
    static constexpr UINT MAXREPEAT_DRAWSELECTBOX = 4;        ///< phases of the moving border
    static constexpr int MAX_TOOLNAME = IEmbeddedTool::MAX_TOOLNAME;

    /// Builds the view with its default cursor. The window "exists" (accepts
    /// bitmaps) only after Create.
    explicit CImageWindow(QWidget* parent = nullptr);
    /// Clears the bitmap and releases the cursors. A loaded tool is not
    /// unloaded (the host owns it) but is no longer called.
    ~CImageWindow() override;

    // ---- Life cycle and setup -------------------------------------------

    /// Creates the window as a hidden child of `parent` (the caller shows
    /// it) at `rect` (parent coordinates, right/bottom exclusive), with
    /// control id `id` (notifications carry it; the scroll bars get id + 1
    /// and id + 2) and the background colour `background` (COLORREF,
    /// 0x00BBGGRR). Starts the selection-border timer. Returns 1, or 0 when
    /// the window was created before.
    int Create(const RECT& rect, QWidget* parent, UINT id, DWORD background);
    /// True after a successful Create.
    bool IsCreated() const { return m_bCreated; }
    /// The control id given to Create.
    UINT GetDlgCtrlID() const { return m_nID; }
    /// Sets the colour around the picture (COLORREF); returns the previous
    /// one. A change repaints.
    DWORD SetBackgroundColor(DWORD colour);
    /// The colour around the picture (COLORREF).
    DWORD GetBackgroundColor() const { return m_clrBackground; }
    /// Allows (TRUE) or forbids the scroll bars; re-lays out with a bitmap.
    void ShowScrollBar(BOOL show);

    // ---- Bitmap -----------------------------------------------------------

    /// Shows a new bitmap: `header` (44 bytes, copied) describes `pixels`,
    /// bottom-up rows (row 0 in memory is the bottom row) of 24 or 32 bits,
    /// uncompressed, padded to 4 bytes. Returns 0 and leaves the view as it
    /// was when the window was not created, biWidth < 1, biHeight < 1
    /// (top-down bitmaps are refused), pixels is null, biSizeImage is not a
    /// multiple of 4, the depth is not 24 or 32, the bitmap is compressed,
    /// or biSizeImage (when non-zero) is smaller than the rows need.
    /// Otherwise clears the old bitmap and selection, keeps the zoom and
    /// returns 1. The view keeps `pixels` (not a copy).
    int SetBitmap(BITMAPINFO& header, BYTE* const pixels);
    /// Shows changed pixels: validated like SetBitmap. When any of the 44
    /// header bytes differ from the shown header, behaves as SetBitmap.
    /// Otherwise keeps the selection, zoom and scroll position, takes
    /// `pixels` when it is a new buffer (repainting from it) and repaints.
    /// Returns 1 on success.
    int UpdateBitmap(BITMAPINFO& header, BYTE* const pixels);
    /// Copies the shown header into `header`; returns the pixel pointer
    /// (null without a bitmap).
    BYTE* GetBitmap(BITMAPINFO& header) const;
    /// Forgets the bitmap: selection, cached picture, sizes and pointer are
    /// cleared, the scroll bars hidden, the view repainted. A loaded tool
    /// stays loaded.
    void ClearBitmap();
    /// A number that changes whenever the shown picture is replaced
    /// (SetBitmap, UpdateBitmap with other pixels, ClearBitmap): a tool that
    /// copied the picture compares it to tell whether that picture is still
    /// the one shown. UI thread.
    std::uint64_t BitmapSerial() const { return m_uBitmapSerial; }

    // ---- Accessors (copies) --------------------------------------------
    /// Size of the shown bitmap in pixels; 0 without a bitmap.
    int iBmpWidth() const { return m_iBmpWidth; }
    int iBmpHeight() const { return m_iBmpHeight; }
    /// The shown header and the caller's pixel pointer (null without a bitmap).
    BITMAPINFO BmpInfo() const { return m_BmpInfo; }
    BYTE* pBmpData() const { return m_pBmpData; }
    /// The zoom (display pixels per bitmap pixel); dbLastZoom is the zoom
    /// before the last SetZoom.
    double dbZoom() const { return m_dbZoom; }
    double GetZoom() const { return m_dbZoom; }
    double dbLastZoom() const { return m_dbLastZoom; }
    /// Size of the picture at the zoom (display coordinates); 0 without a bitmap.
    int iDispWidth() const { return m_iDispWidth; }
    int iDispHeight() const { return m_iDispHeight; }
    /// The whole-number zoom k (1, 2, 3...) when the zoom is whole, else 0.
    int iPixelsPerPixel() const { return m_iPixelsPerPixel; }
    /// What the last ShowCoverImage set: whether the cover is drawn, and
    /// whether it covers the whole picture (else it sits at rcCoverBmp).
    BOOL bShowCover() const { return m_bShowCover; }
    BOOL bCoverFullImage() const { return m_bCoverFullImage; }

    // ---- Accessors (references the tools work through) -----------------
    /// Cover pixels (bottom-up rows described by CoverBmpInfo), owned by the
    /// tool that fills them.
    std::vector<BYTE>& vCoverBmpData() { return m_vCoverBmpData; }
    /// The header of the cover pixels.
    BITMAPINFO& CoverBmpInfo() { return m_CoverBmpInfo; }
    /// Where a small cover is drawn, window coordinates.
    CRect& rcCoverBmp() { return m_rcCoverBmp; }
    /// The usable client area in display coordinates.
    CRect& rcInBitmap() { return m_rcInBitmap; }
    const CRect& rcInBitmap() const { return m_rcInBitmap; }
    /// (0, 0, iBmpWidth, iBmpHeight) in bitmap coordinates; no region without a bitmap.
    CRgn& rgnBitmap() { return m_rgnBitmap; }
    /// The applied selection in bitmap coordinates (no region: none; a
    /// region with an empty bounding box counts as none).
    CRgn& rgnSelect() { return m_Selection.Region(); }
    /// rgnSelect scaled by the zoom (display coordinates).
    CRgn& rgnSelectScaled() { return m_Selection.ScaledRegion(); }
    /// iBmpWidth × iBmpHeight while a bitmap is shown.
    int& iSelectMaskSize() { return m_Selection.MaskSize(); }
    /// One soft selection value per bitmap pixel (row 0 at the top): 0 not
    /// selected, 255 fully selected.
    std::vector<BYTE>& vSelectMask() { return m_Selection.Mask(); }
    /// The mask of the selection being built, before it is combined with
    /// vSelectMask; laid out as vSelectMask.
    std::vector<BYTE>& vSelectMask_Cur() { return m_Selection.CurrentMask(); }
    /// The selection with its moving border (read-only view for checks).
    const CViewSelection& Selection() const { return m_Selection; }

    // ---- Selection -------------------------------------------------------

    /// Makes `rgn` (bitmap coordinates) and `mask` (iSelectMaskSize bytes,
    /// row 0 at the top) the selection; a `rgn` without a region clears it.
    /// Rebuilds the scaled region and the border and repaints. Returns 0
    /// without a bitmap, and 0 with a log line, the selection unchanged, for
    /// a mask of another length; else 1.
    int UpdateSelection(const CRgn& rgn, const std::vector<BYTE>& mask);
    /// Removes the selection: both regions deleted, both masks zeroed, the
    /// border dropped. Does not repaint.
    void ClearSelection();
    /// Copies the selection's region into `out` (its old region deleted).
    /// 0 without a bitmap or without a selection (no region or an empty
    /// bounding box), else 1.
    int GetSelectRegion(CRgn& out);
    /// Copies the selection mask into `out`; 0 without a bitmap, else 1.
    int GetSelectMask(std::vector<BYTE>& out);
    /// rgnSelectScaled = rgnSelect scaled by the zoom (deleted without a selection).
    void UpdateScaledRegion();
    /// Works out the moving border's outline for the selection and the
    /// current zoom and scroll position (dropped without a selection).
    /// Needs a bitmap.
    void UpdateSelectBorderMaskDC();

    // ---- Zoom and position ---------------------------------------------

    /// Sets the zoom (display pixels per bitmap pixel). A zoom that would
    /// make the picture smaller than one pixel is raised to
    /// max(1 / iBmpWidth, 1 / iBmpHeight); there is no upper limit other than
    /// the display size staying below 2^30 pixels. Keeps the image point at
    /// the centre of the view in place. Returns 0 without a bitmap or for a
    /// zoom that is not a finite number or too large, else 1.
    int SetZoom(double zoom);
    /// Scrolls so the top-left of the usable area shows display point
    /// (x, y), clamped to the picture; 0 without a bitmap, else 1.
    int SetDispPosition(int x, int y);
    /// Top-left of rcInBitmap (display coordinates).
    CPoint GetDispPosition() const { return m_rcInBitmap.TopLeft(); }
    /// Scrolls by (dx, dy) display pixels with one repaint, within the
    /// scroll limits (positive dx shows more of the right side).
    void MoveImage(long dx, long dy);

    // ---- Cover image -----------------------------------------------------

    /// Shows (TRUE) or hides the cover image instead of the bitmap. With
    /// `fullImage` the cover has the bitmap's geometry and is drawn like
    /// it; otherwise it is drawn unscaled at rcCoverBmp. An empty or
    /// malformed cover is not drawn (the bitmap shows). Repaints. Any thread:
    /// from a worker thread the repaint is queued to the view's thread (the
    /// cover pixels themselves are guarded by the tool that owns them).
    void ShowCoverImage(BOOL show, BOOL fullImage);
    /// Schedules a repaint of the whole view; any thread.
    void PostInvalidate();
    /// The full-size cover's pixels changed inside `changed` (bitmap
    /// coordinates, row 0 at the top): its scaled copies are refreshed there,
    /// and only there, before the next paint, which this schedules. Any
    /// thread; call it while the cover is still locked against painting
    /// (brush tools: under their bitmap lock), so no paint sees the new
    /// pixels without the note.
    void InvalidateCover(const RECT& changed);
    /// Makes the cover a copy of the shown bitmap (CoverBmpInfo = BmpInfo,
    /// vCoverBmpData = its pixel bytes) and takes over the bitmap's scaled
    /// copies for it, so the first painting of the cover costs no more than
    /// any other. Returns 0 (nothing changed) without a bitmap, else 1. UI
    /// thread, while nothing else writes the cover.
    int CopyBitmapToCover();
    /// The bitmap now shown holds the very pixels of the cover (a brush's
    /// stroke was recorded and handed back as the new bitmap): the bitmap's
    /// reduced copies are taken over from the cover's instead of being
    /// rebuilt for the whole picture at the next paint. Returns FALSE, and
    /// nothing changes, unless the cover has the bitmap's header and the same
    /// pixel bytes (they are compared). UI thread, while nothing writes the cover.
    BOOL TakeCoverLevels();

    // ---- Coordinates and queries ----------------------------------------

    /// Window → bitmap: x = trunc((x + rcInBitmap.left) / zoom), y likewise.
    /// No change without a bitmap.
    void FromWndToBitmap(POINT& pt) const;
    /// Bitmap → window: x = floor(x × zoom + 0.5) − rcInBitmap.left, y likewise.
    /// No change without a bitmap.
    void FromBitmapToWnd(POINT& pt) const;
    /// out = in scaled by the zoom and moved into window coordinates;
    /// nothing happens when `in` holds no region.
    void FromBitmapToWnd(const CRgn& in, CRgn& out) const;
    /// The last mouse position that no tool consumed (window coordinates);
    /// with inBitmap and a bitmap, in bitmap coordinates.
    CPoint GetCursorPos(BOOL inBitmap) const;
    /// Where the pointer was last seen by the view (every mouse move, press
    /// and release the view received, consumed by a tool or not; while the
    /// mouse is captured also outside the view): window coordinates, or with
    /// inBitmap and a bitmap, bitmap coordinates as FromWndToBitmap computes
    /// them with the scroll position and zoom of the last layout (not clipped
    /// to the image). Any thread: a brush tool's tracking thread samples it.
    CPoint GetPointerPos(BOOL inBitmap) const { return m_PointerSample.Get(inBitmap != FALSE); }
    /// The colour shown at a point (COLORREF: red in bits 0-7): in window
    /// coordinates with inWindow, else in bitmap coordinates. The background
    /// colour without a bitmap and for points outside the usable area or
    /// outside the bitmap.
    DWORD GetPixelRGBValue(const POINT& pt, BOOL inWindow);
    /// Copies the picture exactly as displayed: `pixels` gets bottom-up
    /// 32-bit rows of the drawn part, `header` the matching header (from the
    /// bitmap's, with that width, height, 32 bits and biSizeImage), *rect
    /// the drawn part in window coordinates. Returns 0 (nothing changed)
    /// when rect is null or there is no bitmap, else 1.
    int GetCurDisplayImage(RECT* rect, std::vector<BYTE>& pixels, BITMAPINFO& header);
    /// The usable client area in window coordinates: the client rectangle
    /// less the visible scroll bars.
    virtual void GetClientRect(RECT* rect) const;

    // ---- Embedded tool ---------------------------------------------------

    /// Unloads the loaded tool (OnUnload), then loads `tool` (OnLoad). Returns
    /// 1, or 0 when the tool refused; no tool is loaded then.
    int LoadEmbeddedTool(IEmbeddedTool& tool);
    /// Calls the loaded tool's OnUnload and forgets it.
    void UnloadEmbeddedTool();
    /// The loaded tool, or null.
    IEmbeddedTool* GetEmbeddedTool() const { return m_pTool; }
    /// Notifies the parent widget: a CNotifyEvent whose header carries this
    /// view, its control id and `code`, and whose WPARAM is this view. Sent
    /// (post FALSE): returns the parent's result. Posted (post TRUE): the
    /// header is a heap copy owned by the receiving side; returns 0. Returns
    /// 0 without a parent.
    LRESULT NotifyParent(UINT code, BOOL post);
    /// The cursor for a description, built at the first request and cached;
    /// the view owns it until it is destroyed (tools must not delete it).
    /// Shape -1 without a mark is the default cursor. Null for an invalid
    /// description (image size not a positive multiple of 8, hot spot outside,
    /// a cross or circle too thick for the picture).
    HCURSOR AquireCursor(const IWCURSORINFO& info);
    /// The view's crosshair cursor.
    HCURSOR GetDefCursor() const { return m_pDefaultCursor.get(); }
    /// The monochrome planes a cursor of this view was built from (the
    /// default cursor or any AquireCursor result), built again from its
    /// description: the view keeps only the cursors. Nothing for other cursors.
    std::optional<CCursorPlanes> GetCursorPlanes(HCURSOR cursor) const;
    /// Number of cursors built by AquireCursor and kept in the cache.
    std::size_t GetCachedCursorCount() const { return m_CursorCache.Size(); }
    /// Shows `cursor` over the view (a null cursor is ignored).
    void SetCursor(HCURSOR cursor);
    /// Shows a standard cursor over the view (e.g. Qt::SizeAllCursor).
    void SetCursor(Qt::CursorShape shape);

    /// Captures the mouse: the view receives every mouse event until
    /// ReleaseCapture, wherever the pointer is.
    void SetCapture();
    /// Releases a capture taken with SetCapture; the loaded tool then hears
    /// OnCaptureChanged(null), as when another window takes the capture.
    void ReleaseCapture();
    /// True between SetCapture and ReleaseCapture.
    bool HasCapture() const { return m_bCapture; }

    /// Starts (or restarts) timer `id` firing every `elapseMs` ms; each tick
    /// reaches the loaded tool's OnTimer(id). Returns id, or 0 for id 0.
    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs);
    /// Stops timer `id`; FALSE when it was not running.
    BOOL KillTimer(UINT_PTR id);

    // ---- Handlers the host may drive directly ---------------------------

    /// As WM_KEYDOWN: offers the key to the tool, then scrolls for the arrow
    /// keys. Returns true when the key was used (by the tool or the view).
    bool OnKeyDown(UINT virtualKey, UINT repeatCount, UINT flags);
    /// As WM_HSCROLL / WM_VSCROLL with an SB_* code and the thumb position.
    void OnHScroll(UINT code, int position);
    void OnVScroll(UINT code, int position);
    /// As WM_TIMER: the loaded tool hears the tick; TIMER_DRAWSELECTBOX then
    /// moves the selection border on by one phase (not while the main window
    /// is minimised, there is no selection, or the tool drags the selection)
    /// and schedules the repaint of the tiles the border covers.
    void OnTimer(UINT_PTR timerId);

protected:
    HCURSOR CreateDefaultCursor(std::int32_t mark);
    void ReleaseCursors();

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

    void OnPaint();
    void OnSize();
    BOOL OnSetCursor(QWidget* window, UINT hitTest, UINT message);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnMouseWheel(UINT flags, short delta, CPoint screenPoint);
    void OnKeyUp(UINT virtualKey, UINT repeatCount, UINT flags);
    void OnSysKeyDown(UINT virtualKey, UINT repeatCount, UINT flags);
    void OnSysKeyUp(UINT virtualKey, UINT repeatCount, UINT flags);
    void OnCaptureChanged(QWidget* newOwner);

private:
    enum class Bar { Horizontal, Vertical };
    struct ScrollInfo {
        int nMin{0};
        int nMax{0};
        int nPage{0};
        int nPos{0};
    };

    bool IsValidHeader(const BITMAPINFO& header, const BYTE* pixels) const;
    bool IsMinimised() const;
    void UpdateDisplay();
    void UpdateUI();
    void UpdateScrollBarVisibility();
    bool SetBarVisible(Bar bar, bool visible);
    void PlaceScrollBars();
    void KeepCentreWhileZooming(int width, int height);
    void ClampPosition(int width, int height);
    void SetScrollInfo(Bar bar, const ScrollInfo& info);
    void OnScroll(Bar bar, UINT code, int position);
    void OnScrollBarAction(Bar bar, int action);
    void ScrollByArrowKey(UINT virtualKey);
    void ComputeDrawRects(const CRect& rcPaint, CRect& dest, CRect& src) const;
    void WholeZoomDrawRects(const CRect& rcPaint, CRect& dest, CRect& src) const;
    int DrawBitmap(QPainter& dc, CRect& rcPaint);
    bool DrawCover(QPainter& dc, const CRect& rcPaint, const CRect& dest, const CRect& src);
    bool IsCoverDrawable() const;
    const QImage& RenderCachedPicture(const CRect& rcPaint, const CRect& dest, const CRect& src);
    void DrawSelectBorder(QPainter& dc, UINT phase);
    void RouteSetCursor(const QPoint& position, UINT message);
    bool IsMouseDeliverable(const QPoint& position) const;
    void MarkCacheStale() { m_bBitmapChanged = TRUE; }
    void PublishPointerMapping();
    void StorePointer(const QPoint& position);

    // Members in the order of the view's data model.
    bool m_bCreated{false};
    UINT m_nID{0};
    int m_iBmpWidth{0};
    int m_iBmpHeight{0};
    BYTE* m_pBmpData{nullptr};
    BITMAPINFO m_BmpInfo{};
    std::unique_ptr<CFGMemDC> m_pCachedDC;
    BOOL m_bBitmapChanged{TRUE};
    std::vector<BYTE> m_vCoverBmpData;
    BITMAPINFO m_CoverBmpInfo{};
    CRect m_rcCoverBmp;
    std::atomic<BOOL> m_bShowCover{FALSE};       // written by a tool's worker thread too
    std::atomic<BOOL> m_bCoverFullImage{FALSE};
    double m_dbZoom{1.0};
    double m_dbLastZoom{1.0};
    BOOL m_bZooming{FALSE};
    int m_iPixelsPerPixel{1};
    int m_iDispWidth{0};
    int m_iDispHeight{0};
    CRect m_rcInBitmap;
    CRect m_rcLastDest;
    CRect m_rcLastSrc;
    CRgn m_rgnBitmap;
    CPoint m_ptLastMouse;
    BOOL m_bShowScrollBar{TRUE};
    CViewSelection m_Selection;  // regions, masks, border phase and outline
    DWORD m_clrBackground{0};
    QScrollBar* m_pHScrollBar{nullptr};
    QScrollBar* m_pVScrollBar{nullptr};
    ScrollInfo m_siHorz;
    ScrollInfo m_siVert;
    BOOL m_bHScrollVisible{FALSE};
    BOOL m_bVScrollVisible{FALSE};
    IEmbeddedTool* m_pTool{nullptr};
    CCursorCache m_CursorCache;
    std::unique_ptr<QCursor> m_pDefaultCursor;
    std::optional<CCursorPlanes> m_DefaultPlanes;
    CCursorPlanes m_CrosshairPlanes;
    HCURSOR m_hShownCursor{nullptr};
    BOOL m_bSkipLButtonUp{FALSE};

    // Qt plumbing.
    bool m_bCapture{false};
    std::map<UINT_PTR, int> m_mapTimers;  // timer id → Qt timer id
    CDibScaler m_Scaler;
    QImage m_imgCoverBuffer;  // reused frame for drawing the cover image
    CCoverPicture m_CoverPicture;      // scaled drawing of a full-size cover
    CPointerSample m_PointerSample;    // sampled by brush tools' threads
    std::uint64_t m_uBitmapSerial{0};
};

} // namespace ImageWindow

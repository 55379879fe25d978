#pragma once
// The clone stamp ("clone_stamp"): a brush that paints with pixels copied
// from another place of the same photo. The user holds Alt and clicks the
// place to copy from (the source); the first press after that fixes the
// offset between the source and the press point (the anchor), and every
// stroke from then on copies through that offset, weighted by the pen. A new
// Alt-click chooses a new source and forgets the anchor.
//
// Each batch of the stroke engine stamps the pen at the source positions of
// the path (spacing measured along the destination path), then rebuilds the
// touched area of the view's cover from the photo as it was at the stroke's
// start and blends the source pixels over it by the stroke mask. Going over
// one place again within a stroke never builds up beyond the strongest
// weight, and pixels painted earlier in the stroke are never copied again.
//
// Modes: ready (0), choosing the source (1, while Alt is held over the view,
// checked by the tool's 200 ms timer and at each press), painting (2, from a
// press with a source chosen until the release). A lost mouse capture ends
// choosing, and ends a stroke as its release does (the stroke is recorded).
//
// Markers, drawn over the picture after it is painted (inverting lines, so
// they show on any photo): a cross on the source while no anchor is fixed,
// and during a stroke a cross on the source position under the mouse.
//
// Notifications to the view's parent: IWN_CLONESTAMP_SOURCE (769, sent; a
// source was chosen or cleared), IWN_CLONESTAMP_START (770, sent),
// IWN_CLONESTAMP_END (771, sent; GetBitmap returns the photo with the stroke
// applied, which the main window records as one operation) and
// IWN_CLONESTAMP_NOSOURCE (772, posted; a press without a source, nothing
// painted).
//
// Points are image pixels, row 0 at the top, unless a function says
// otherwise. Every hook runs on the UI thread; ProcessLineSegment on the
// engine's sketching thread (see Sketcher.h).

#include "imagewindow/IWCursorInfo.h"
#include "imagewindow/tools/Sketcher.h"

namespace ImageWindow::EmbeddedTool {

class CloneStamp final : public Sketcher {
public:
    /// The tool's timer on the view (the Alt check) and its period in ms.
    static constexpr UINT_PTR TIMER_CHECKKEYDOWN = 400;
    static constexpr UINT TIMER_CHECKKEYDOWN_INTERVAL = 200;

    /// What a press does.
    enum emMode : std::int32_t {
        MODE_READY = 0,           ///< a press starts a stroke (when a source is chosen)
        MODE_CHOOSING_SOURCE = 1, ///< Alt is held: a press chooses the source
        MODE_PAINTING = 2,        ///< a stroke runs
    };

    CloneStamp();

    /// The source point; UNSET_POINT when none is chosen.
    POINT GetSource() const { return m_ptSource; }
    /// The press point that corresponds to the source; UNSET_POINT until the
    /// first stroke after the source was chosen.
    POINT GetAnchor() const { return m_ptAnchor; }
    /// During a stroke, the source position under the mouse; else UNSET_POINT.
    POINT GetSourceMarker() const { return m_ptSourceMarker; }
    emMode GetMode() const { return m_iMode; }
    /// The offset rule: moves a destination point `pt` in place to the source
    /// position it copies from (by source - anchor).
    void FromDestToSource(POINT& pt) const;

    /// The Alt check with the state read from the platform: `overView` tells
    /// whether the view is the window under the pointer, `altDown` whether an
    /// Alt key is held. Outside the view nothing changes; over it, unless a
    /// stroke runs, the mode becomes "choosing" with Alt down and "ready"
    /// without, and the cursor follows at once.
    void CheckAltKey(bool overView, bool altDown);

    /// Starts the engine and the 200 ms Alt check. Returns 1.
    int OnLoad(CImageWindow& view) override;
    /// Ends a running stroke unrecorded, stops the engine and the timer and
    /// forgets the source, the anchor and the markers. Returns 1.
    int OnUnload() override;
    /// Unlocks the cover (locked by the engine's OnPrePaint) and draws the
    /// markers. Returns 0.
    int OnPostPaint(QPainter& dc, CRect& rcClient) override;
    /// While choosing, the view's target cursor; otherwise the pen's circle.
    int OnSetCursor(QWidget* window, UINT hitTest, UINT message) override;
    /// Timer TIMER_CHECKKEYDOWN: the Alt check. Returns 0.
    int OnTimer(UINT_PTR timerId) override;
    /// `point` in window coordinates. Choosing: the point becomes the source
    /// (or clears it when it lies outside the photo) and 769 is sent. Ready:
    /// without a source 772 is posted; otherwise the first stroke fixes the
    /// anchor and a stroke starts. Returns 0.
    int OnLButtonDown(UINT flags, CPoint point) override;
    /// Ends a running stroke (the main window records it). Returns 0.
    int OnLButtonUp(UINT flags, CPoint point) override;
    /// During a stroke the source marker follows the mouse. Returns 0.
    int OnMouseMove(UINT flags, CPoint point) override;
    /// Choosing ends; a running stroke ends as on its release. Returns 0.
    int OnCaptureChanged(QWidget* newOwner) override;
    /// A stroke painted on the replaced picture is dropped (by the engine)
    /// and the tool is ready again.
    void OnBitmapChanged() override;

protected:
    /// The engine's start (stamping the press point), then 770.
    bool StartSketching(CPoint point) override;
    /// The engine's end, then the stroke's result is handed over with 771
    /// and the cover hidden.
    void EndSketching() override;
    /// Stamps the batch at its source positions and copies the touched area
    /// into the cover (see the class comment). Sketching thread; writes the
    /// cover under the engine's bitmap lock. Returns 1.
    int ProcessLineSegment(PointList& points, CRect& rcDirty) override;

private:
    void FinishStroke();
    void ChooseSource(CPoint point);
    void BeginStroke(CPoint point);
    void MoveSourceMarker(POINT marker);
    void InvalidateMarker(POINT marker);
    void DrawCross(QPainter& dc, POINT imagePoint) const;
    static bool IsAltDown();
    bool IsViewUnderPointer() const;

    POINT m_ptSource{UNSET_POINT};
    POINT m_ptAnchor{UNSET_POINT};
    POINT m_ptSourceMarker{UNSET_POINT};
    POINT m_ptMouse{UNSET_POINT};
    emMode m_iMode{MODE_READY};
    HCURSOR m_hSourceCursor{nullptr};  // the view's, cached while loaded
    IWCURSORINFO m_SourceCursorInfo{CURSOR_SHAPE_TARGET, CURSOR_MARK_NONE, 16, 7, 7, 1, 7, 0};
    // source - anchor of the running stroke: set by the UI thread before the
    // stroke is handed to the sketching thread, read only by it until the end.
    POINT m_ptStrokeOffset{0, 0};
};

} // namespace ImageWindow::EmbeddedTool

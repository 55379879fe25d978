#pragma once
// The red-eye tool ("redeye_reduction"): the user drags a rectangle around an
// eye; while the button is held an inverting rubber band shows it, and when
// the button is released away from where it went down the rectangle, in
// image pixels, is reported to the view's parent with IWN_REDEYE_RECT (1537,
// sent). The receiver reads GetDetectRect() and GetDarkenAmount() and runs
// the red-eye reduction; the tool changes no pixel.
//
// The rectangle is (smaller x, smaller y, larger x, larger y) of the press
// and release points converted with CImageWindow::FromWndToBitmap: row 0 at
// the top, right and bottom exclusive (the release column and row are not
// part of it), and NOT clipped to the image: it may reach over the edge,
// lie wholly outside the picture, or be empty (a drag within one image
// pixel at a zoom below 1). The receiver decides what to do with those.
//
// A lost mouse capture, the tool's unloading or a replaced picture ends a
// drag without a report. Settings blob (8 bytes, little-endian): version
// (32-bit, 1), darken amount (32-bit signed, 1 to 100). UI thread only.

#include <climits>

#include "imagewindow/IEmbeddedTool.h"

namespace ImageWindow::EmbeddedTool {

class RedeyeReduction final : public IEmbeddedTool {
public:
    static constexpr std::int32_t SETTINGS_VERSION = 1;
    /// Range of the darken amount, per cent.
    static constexpr int MIN_DARKEN_AMOUNT = 1;
    static constexpr int MAX_DARKEN_AMOUNT = 100;
    /// The amount of a tool that has no stored settings yet.
    static constexpr int DEFAULT_DARKEN_AMOUNT = 1;
    /// The press point while no drag runs.
    static constexpr POINT UNSET_POINT{INT_MAX, INT_MAX};

    RedeyeReduction();

    /// The last reported rectangle in image pixels (see above); all zero
    /// before the first report. Kept across drags.
    CRect& GetDetectRect() { return m_rcDetect; }
    /// How strongly red pupils are darkened, 1 to 100 per cent.
    int GetDarkenAmount() const { return m_iDarkenAmount; }
    /// Stores `amount` clamped to 1..100.
    void SetDarkenAmount(int amount);
    /// True while the user drags a rectangle.
    bool IsDragging() const { return m_ptDragStart.x != UNSET_POINT.x || m_ptDragStart.y != UNSET_POINT.y; }

    void SerializeToolSettings(std::vector<BYTE>& out) const override;
    /// Applies a blob: refuses (0, nothing changed, an error logged) blobs of
    /// 4 bytes or less, with a first byte above 1, or of version 1 but not
    /// exactly 8 bytes; otherwise takes the amount (version 1), clamps it to
    /// 1..100 and returns 1.
    int UnserializeToolSettings(const std::vector<BYTE>& in) override;
    /// Ends a running drag (the capture is given back). Returns 1.
    int OnUnload() override;
    /// During a drag, draws the rubber band from the press point to where the
    /// view last saw the pointer. Returns 0.
    int OnPostPaint(QPainter& dc, CRect& rcClient) override;
    /// Starts a drag at `point` (window coordinates) and captures the mouse.
    /// Returns 0: the view still records the position.
    int OnLButtonDown(UINT flags, CPoint point) override;
    /// Ends the drag; reports the rectangle when `point` differs from the
    /// press point. Returns 0.
    int OnLButtonUp(UINT flags, CPoint point) override;
    /// During a drag, repaints the view so the band follows. Returns 0.
    int OnMouseMove(UINT flags, CPoint point) override;
    /// Ends the drag unless the view itself takes the capture. Returns 0.
    int OnCaptureChanged(QWidget* newOwner) override;
    /// A drag begun on the old picture is dropped.
    void OnBitmapChanged() override;

private:
    void EndDrag();

    POINT m_ptDragStart{UNSET_POINT};  // window coordinates while a drag runs
    CRect m_rcDetect;                  // image pixels; with m_iDarkenAmount the five values the receiver copies
    std::int32_t m_iDarkenAmount{DEFAULT_DARKEN_AMOUNT};
};

} // namespace ImageWindow::EmbeddedTool

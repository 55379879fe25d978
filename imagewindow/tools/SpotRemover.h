#pragma once
// The spot remover ("spot_remover"): shows a round cursor as large as the
// spot that will be repaired at the current zoom, and on the release of the
// left button reports the clicked point, in image pixels, to the view's
// parent with IWN_SPOTREMOVER_SPOT (1281, sent). The receiver then reads
// GetSize() and GetSpotPos() and runs the removal; the tool changes no pixel.
//
// With Shift held at the press, the drag is a healing stroke instead (a hair,
// a scratch): a SpotStroke samples it, showing the stroke's area under a
// translucent overlay of the spot size while the button is down, and the
// release reports the stroke with IWN_SPOTREMOVER_STROKE (1282, sent); the
// receiver reads GetSize() and GetStrokePath() and heals along the path. A
// lost mouse capture ends a stroke as a release does.
//
// Settings blob (8 bytes, little-endian): version (32-bit, 1), spot size
// (32-bit signed). UI thread only.

#include <memory>

#include "imagewindow/IEmbeddedTool.h"
#include "imagewindow/IWCursorInfo.h"
#include "imagewindow/tools/SpotStroke.h"

namespace ImageWindow::EmbeddedTool {

class SpotRemover final : public IEmbeddedTool {
public:
    /// Largest spot size, in image pixels.
    static constexpr int MAX_SIZE = 500;
    static constexpr std::int32_t SETTINGS_VERSION = 1;

    SpotRemover();
    ~SpotRemover() override;

    /// Stores the spot diameter in image pixels and returns the previous one.
    /// Not clamped: the option panel keeps it within 1..MAX_SIZE.
    int SetSize(int size);
    /// The spot diameter in image pixels.
    int GetSize() const { return m_iSize; }
    /// The last clicked point: image pixels (row 0 at the top) when the view
    /// held a bitmap, else the raw window point; (-1, -1) before any click.
    /// Not checked against the image bounds.
    POINT GetSpotPos() const { return m_ptSpot; }
    /// The path of the last healing stroke: image pixels, row 0 at the top,
    /// in the order drawn; empty before the first one.
    const std::vector<POINT>& GetStrokePath() const;
    /// True while a healing stroke is drawn.
    bool IsStroking() const { return m_bStroking; }
    /// The description of the round cursor as last requested from the view.
    const IWCURSORINFO& GetCursorInfo() const { return m_CursorInfo; }

    /// Radius in screen pixels of the circle for a spot `size` image pixels
    /// wide at `zoom`: trunc(zoom × size / 2 + 0.5), at least 1.
    static int CursorRadius(double zoom, int size);
    /// Cursor picture size (16 to 4096, a multiple of 8) that holds a circle
    /// of `radius`.
    static int CursorImageSize(int radius);

    void SerializeToolSettings(std::vector<BYTE>& out) const override;
    /// Applies a blob: refuses (0, nothing changed, an error logged) blobs of
    /// 4 bytes or less, with a first byte above the settings version, or of
    /// version 1 but not exactly 8 bytes; otherwise takes the size (version
    /// 1), clamps it to 1..MAX_SIZE and returns 1.
    int UnserializeToolSettings(const std::vector<BYTE>& in) override;
    int OnSetCursor(QWidget* window, UINT hitTest, UINT message) override;
    /// With MK_SHIFT in `flags`, starts a healing stroke at the point and
    /// captures the mouse; otherwise nothing (a click counts on its release).
    /// Returns 0.
    int OnLButtonDown(UINT flags, CPoint point) override;
    /// Ends a healing stroke and reports it, or reports the clicked spot.
    int OnLButtonUp(UINT flags, CPoint point) override;
    void OnZoomChanged() override;
    /// Another window took the mouse during a stroke: the stroke ends there
    /// and is reported, as on a release.
    int OnCaptureChanged(QWidget* newOwner) override;
    /// The picture was replaced during a stroke: the stroke is dropped.
    void OnBitmapChanged() override;
    /// Stores the view; a stroke still loaded into an earlier view (which was
    /// destroyed without unloading the tool) is unloaded. Returns 1.
    int OnLoad(CImageWindow& view) override;
    /// Drops a running stroke and stops the stroke's threads. Returns 1.
    int OnUnload() override;
    /// While the stroke's overlay may be painted, its lock is held from the
    /// view's OnPrePaint to its OnPostPaint (see Sketcher).
    int OnPrePaint(QPainter& dc, CRect& rcClient) override;
    int OnPostPaint(QPainter& dc, CRect& rcClient) override;

private:
    bool StartStroke(CPoint point);
    void FinishStroke();
    void UnloadStroke();

    std::int32_t m_iSize{15};
    IWCURSORINFO m_CursorInfo{CURSOR_SHAPE_CIRCLE, CURSOR_MARK_NONE, 16, 7, 7, 1, 7, 0};
    POINT m_ptSpot{-1, -1};
    std::unique_ptr<SpotStroke> m_pStroke;  // made and loaded at the first stroke
    bool m_bStrokeLoaded{false};
    bool m_bStroking{false};
    bool m_bStrokePress{false};  // the button went down with Shift and is not released yet
};

} // namespace ImageWindow::EmbeddedTool

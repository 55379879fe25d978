#pragma once
// The spot remover ("spot_remover"): shows a round cursor as large as the
// spot that will be repaired at the current zoom, and on the release of the
// left button reports the clicked point, in image pixels, to the view's
// parent with IWN_SPOTREMOVER_SPOT (1281, sent). The receiver then reads
// GetSize() and GetSpotPos() and runs the removal; the tool changes no pixel.
//
// Settings blob (8 bytes, little-endian): version (32-bit, 1), spot size
// (32-bit signed). UI thread only.

#include "imagewindow/IEmbeddedTool.h"
#include "imagewindow/IWCursorInfo.h"

namespace ImageWindow::EmbeddedTool {

class SpotRemover final : public IEmbeddedTool {
public:
    /// Largest spot size, in image pixels.
    static constexpr int MAX_SIZE = 500;
    static constexpr std::int32_t SETTINGS_VERSION = 1;

    SpotRemover();

    /// Stores the spot diameter in image pixels and returns the previous one.
    /// Not clamped: the option panel keeps it within 1..MAX_SIZE.
    int SetSize(int size);
    /// The spot diameter in image pixels.
    int GetSize() const { return m_iSize; }
    /// The last clicked point: image pixels (row 0 at the top) when the view
    /// held a bitmap, else the raw window point; (-1, -1) before any click.
    /// Not checked against the image bounds.
    POINT GetSpotPos() const { return m_ptSpot; }
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
    int OnLButtonUp(UINT flags, CPoint point) override;
    void OnZoomChanged() override;

private:
    std::int32_t m_iSize{15};
    IWCURSORINFO m_CursorInfo{CURSOR_SHAPE_CIRCLE, CURSOR_MARK_NONE, 16, 7, 7, 1, 7, 0};
    POINT m_ptSpot{-1, -1};
};

} // namespace ImageWindow::EmbeddedTool

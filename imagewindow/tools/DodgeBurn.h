#pragma once
// Dodge and burn ("dodge_burn"): a brush that lightens (dodge) or darkens
// (burn) the photo where the user paints. Each batch of the stroke engine
// raises (or lowers) the HSV value of the area it touches by 0.1 and blends
// that over the photo, weighted by the stroke mask. Going over one place
// again within a stroke does not strengthen the effect beyond the strongest
// weight the mask holds; a new stroke starts from the photo as it then is.
//
// Notifications to the view's parent (sent): IWN_DODGE_START (1025) and
// IWN_DODGE_END (1026) for a dodge stroke, IWN_BURN_START (1027) and
// IWN_BURN_END (1028) for a burn stroke. At an end GetBitmap returns the photo
// with the stroke applied; the main window records it as one operation.
//
// Settings blob (24 bytes, little-endian 32-bit): version (1), pen style,
// size, hardness, opacity (the engine's 20 bytes), then the mode (bDodge).

#include "imagewindow/tools/Sketcher.h"

namespace ImageWindow::EmbeddedTool {

class DodgeBurn final : public Sketcher {
public:
    static constexpr std::size_t SETTINGS_SIZE = 24;

    DodgeBurn();

    /// The mode: non-zero dodges (lightens), 0 burns (darkens); read or set
    /// through the reference. A stroke keeps the mode it started with. UI thread.
    std::int32_t& bDodge() { return m_bDodge; }

    void SerializeToolSettings(std::vector<BYTE>& out) const override;
    /// Reads the 24-byte blob as the engine reads its 20 bytes, then the mode.
    int UnserializeToolSettings(const std::vector<BYTE>& in) override;
    /// Captures the mouse and starts a stroke at the point (window
    /// coordinates, converted to image pixels). A stroke still running
    /// (its release was lost) is ended first. Returns 0.
    int OnLButtonDown(UINT flags, CPoint point) override;
    /// Ends the stroke (recording it) and releases the capture. Returns 0.
    int OnLButtonUp(UINT flags, CPoint point) override;

protected:
    bool StartSketching(CPoint point) override;
    void EndSketching() override;
    /// Stamps the batch, then rebuilds the touched area of the cover from
    /// the photo as it was at the stroke's start, lightened or darkened once
    /// by 0.1 in value and mixed in by the stroke mask. Sketching thread;
    /// writes the cover under the engine's bitmap lock. Returns 1.
    int ProcessLineSegment(PointList& points, CRect& rcDirty) override;

private:
    std::int32_t m_bDodge{1};
    std::int32_t m_bStrokeDodge{1};  // the mode of the running stroke (handed to the sketching thread with it)
    std::vector<BYTE> m_vBlock;      // the saved area of one batch, reused
};

} // namespace ImageWindow::EmbeddedTool

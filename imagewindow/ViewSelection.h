#pragma once
// The image view's selection: the applied selection as a region of bitmap
// pixels and as a soft mask (one byte per bitmap pixel), the mask of the
// selection being built, the region scaled by the zoom, and the moving
// border: a one-pixel dashed outline just inside the selection whose dashes
// crawl one pixel per phase.
//
// The outline is worked out once whenever the selection, the zoom, the
// scroll position or the view's size changes (RebuildBorder): which window
// pixels it covers and which small tiles of the view hold them. A phase step
// then only recolours those pixels and repaints those tiles, without
// touching the image or the mask.
//
// Coordinates: masks are bitmap pixels with row 0 at the top, index
// y × width + x (the reverse of the bitmap's bottom-up rows). The region is in
// bitmap coordinates, the scaled region in display coordinates (bitmap × zoom),
// the outline in window coordinates. UI thread only.

#include <cstdint>
#include <vector>

#include <QImage>
#include <QRegion>

#include "platform/CRect.h"
#include "platform/CRgn.h"

class QPainter;

namespace ImageWindow {

/// Where the picture lies in the view, as the border needs it.
struct SelectBorderGeometry {
    CRect rcClient;       ///< usable client area, window coordinates (top-left 0, 0)
    CRect rcInBitmap;     ///< the usable area in display coordinates (the scroll position)
    int iDispWidth{0};    ///< display size of the picture
    int iDispHeight{0};
};

class CViewSelection {
public:
    /// Phases of the moving border.
    static constexpr unsigned PHASES = 4;

    /// The dash pattern of `phase` (0 to 3): 8 × 8 pixels, pixel (x, y) (row 0
    /// at the top) black when ((x + phase) mod 8 < 4) equals
    /// ((y + phase) mod 8 < 4), else white: 4 × 4 squares moved one pixel
    /// diagonally per phase. Laid over the view from its top-left corner.
    static const QImage& Pattern(unsigned phase);

    /// The applied selection in bitmap coordinates; no region means none.
    CRgn& Region() { return m_rgnSelect; }
    const CRgn& Region() const { return m_rgnSelect; }
    /// The region scaled by the zoom (display coordinates).
    CRgn& ScaledRegion() { return m_rgnSelectScaled; }
    /// Number of mask bytes (bitmap width × height; 0 without a bitmap).
    int& MaskSize() { return m_iSelectMaskSize; }
    /// The soft mask of the applied selection (0 not selected, 255 fully).
    std::vector<BYTE>& Mask() { return m_vSelectMask; }
    /// The mask of the selection being built.
    std::vector<BYTE>& CurrentMask() { return m_vSelectMask_Cur; }
    /// The phase the border is drawn with (0 to 3).
    unsigned Phase() const { return m_uPhase; }
    /// Moves on to the next phase (3 wraps to 0).
    void AdvancePhase() { m_uPhase = (m_uPhase + 1) % PHASES; }

    /// For a new bitmap of `maskSize` pixels (0: no bitmap): no selection,
    /// both masks `maskSize` zero bytes, no border.
    void Reset(int maskSize);
    /// Deletes both regions and zeroes both masks (their size stays). The
    /// border is dropped by the next RebuildBorder.
    void Clear();
    /// True when there is a region whose bounding box is not empty.
    bool HasSelection() const;
    /// The applied selection becomes a copy of `rgn` and `mask`. `rgn` must
    /// hold a region and `mask` have MaskSize() bytes; otherwise nothing
    /// changes and the result is false.
    bool Assign(const CRgn& rgn, const std::vector<BYTE>& mask);
    /// ScaledRegion = Region scaled by `zoom` on both axes (single
    /// precision); deleted when there is no region or the zoom is not positive.
    void UpdateScaled(double zoom);

    /// Works out the outline for the picture's place in the view. Without a
    /// region the border is dropped. A scaled region reaching outside the
    /// picture's display rectangle is clipped to it (ScaledRegion keeps the
    /// clipped form). The outline holds the selected window pixels of the
    /// usable area that have a left, right, upper or lower neighbour outside
    /// the selection or outside the usable area, except along an edge of the
    /// usable area where the view cuts through a selection that goes on
    /// beyond it (the picture is scrolled there).
    void RebuildBorder(const SelectBorderGeometry& geometry);
    /// Forgets the outline (its picture buffer is kept for reuse).
    void DropBorder();
    /// Number of outline pixels (0 without a border).
    std::size_t OutlinePixelCount() const { return m_nOutlinePixels; }
    /// Window area to repaint when the phase changes: the tiles of the view
    /// that hold outline pixels (empty without a border).
    const QRegion& BorderArea() const { return m_rgnBorderArea; }
    /// Draws the outline with the dash pattern of `phase` on `dc` (window
    /// coordinates); the dc's clip limits what is drawn. Nothing without a border.
    void DrawBorder(QPainter& dc, unsigned phase);

private:
    struct Run {
        int y;
        int x0;
        int x1;  // exclusive
    };
    struct Band {
        int top;
        int bottom;  // exclusive
        std::size_t first;
        std::size_t count;
    };

    void CollectBands(const QRegion& scaled, QPoint offset, const CRect& client);
    void OutlineBand(std::size_t index);
    void AddRowRuns(int y, const Band& band, const Band* above, const Band* below);
    void TrimCutEdges(const SelectBorderGeometry& geometry, const CRect& box);
    void PaintRuns(unsigned phase);
    void EraseRuns();
    void BuildBorderArea(const CRect& client);

    CRgn m_rgnSelect;
    CRgn m_rgnSelectScaled;
    int m_iSelectMaskSize{0};
    std::vector<BYTE> m_vSelectMask;
    std::vector<BYTE> m_vSelectMask_Cur;
    unsigned m_uPhase{0};

    // The border: runs of outline pixels (window coordinates) and a picture
    // of the usable area in which they are painted (transparent elsewhere).
    std::vector<QRect> m_vSpans;  // visible spans of the selection, by band
    std::vector<Band> m_vBands;
    std::vector<Run> m_vRuns;
    std::size_t m_nOutlinePixels{0};
    QRect m_rcOutline;
    QImage m_imgBorder;
    unsigned m_uPaintedPhase{0};
    QRegion m_rgnBorderArea;
};

} // namespace ImageWindow

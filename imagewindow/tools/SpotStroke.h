#pragma once
// The spot remover's healing stroke: a drag with Shift held at the press.
// A brush on the stroke engine (see Sketcher.h) whose pen is a hard disk of
// the spot size: the engine samples the drag, and each batch tints the
// stroke's area on the view's cover with a translucent red, so the person
// sees what will be healed. It changes no pixel of the photo. At the end the
// path is simplified into a polyline that follows the drawn one within a
// pixel, which the spot remover reports; the main window heals along it as
// one operation.
//
// The spot remover owns it and loads it into its own view on the first
// stroke (the engine's two threads and image copies cost nothing until a
// person strokes); it is never the view's loaded tool, so the spot remover
// passes on the view's calls it needs (painting, the picture's replacement,
// unloading).
//
// Threads: as every brush (Sketcher.h). The drawn path is written by
// ProcessLineSegment (the UI thread at the stroke's start, then the
// sketching thread) and read by Finish after the engine's end, which waits
// for the sketching thread's last batch.

#include <vector>

#include "imagewindow/tools/Sketcher.h"

namespace ImageWindow::EmbeddedTool {

class SpotStroke final : public Sketcher {
public:
    /// Opacity of the overlay in per cent of full, and its colour (blue,
    /// green, red bytes).
    static constexpr int OVERLAY_PERCENT = 45;
    static constexpr BYTE OVERLAY_BLUE = 48, OVERLAY_GREEN = 48, OVERLAY_RED = 255;

    SpotStroke();

    /// Starts a stroke at `point` (image pixels) for a spot `size` pixels
    /// wide (the area healed is as wide as that size's odd square: 2 (size /
    /// 2) + 1). False (nothing started, logged by the engine) when no stroke
    /// can run. UI thread; the stroke must be loaded into a view.
    bool Begin(int size, CPoint point);
    /// Ends the running stroke: the engine's end (its last batch), then the
    /// cover is hidden and the path simplified. Nothing happens without a
    /// stroke. UI thread.
    void Finish();
    /// Ends a running stroke without keeping its path (the path is emptied).
    void Abandon();
    /// The finished stroke's path: image pixels, row 0 at the top, in the
    /// order drawn; within a pixel of every position the engine sampled,
    /// consecutive points distinct. Empty before the first Finish.
    const std::vector<POINT>& Path() const { return m_Path; }

    /// The polyline through `drawn` with every point dropped that lies
    /// within `tolerance` pixels of the line between the points kept around
    /// it (Douglas-Peucker), consecutive repeats removed first; the first
    /// and last points are always kept. Any thread.
    static std::vector<POINT> Simplify(const PointList& drawn, double tolerance);

protected:
    /// Stamps the batch (the engine's pen), joins it to the path drawn so
    /// far, and tints the stamped area on the cover. Sketching thread, or
    /// the UI thread at the stroke's start. Returns 1.
    int ProcessLineSegment(PointList& points, CRect& rcDirty) override;

private:
    void Tint(const CRect& area);

    PointList m_vDrawn;          // the path as the engine walked it (see the threading note above)
    std::vector<POINT> m_Path;   // the finished stroke's polyline
};

} // namespace ImageWindow::EmbeddedTool

#pragma once
// The round cursor of the tools that work on a disk of the picture (the spot
// remover's spot, a brush's pen): a circle as large as the disk at the view's
// zoom, built and cached by the view.

#include "imagewindow/IWCursorInfo.h"

class QWidget;

namespace ImageWindow {
class CImageWindow;
}

namespace ImageWindow::EmbeddedTool {

class RoundCursor {
public:
    /// Radius in screen pixels of the circle for a disk `size` image pixels
    /// wide at `zoom`: trunc(zoom × size / 2 + 0.5), at least 1.
    static int Radius(double zoom, int size);
    /// Cursor picture size (16 to 4096, a multiple of 8) that holds a circle
    /// of `radius`.
    static int ImageSize(int radius);
    /// The description of the circle for a disk `size` image pixels wide at
    /// `zoom`: shape circle, no mark, line width 1, hot spot in the middle.
    static IWCURSORINFO Describe(double zoom, int size);
    /// True when the pointer (Qt's cursor position; UI thread) lies inside
    /// the view's usable client area.
    static bool IsPointerOverClient(const CImageWindow& view);
    /// Shows the cursor of `info` over the view; false (nothing changed) when
    /// the view cannot build it.
    static bool Show(CImageWindow& view, const IWCURSORINFO& info);
};

} // namespace ImageWindow::EmbeddedTool

#pragma once
// The magic wand's fill: every pixel 4-connected to a seed through pixels
// whose blue, green and red bytes each differ from the seed's by at most a
// tolerance (the fourth byte of 32-bit pixels is ignored).
//
// The fill works on runs of a row (scanline fill): it walks each run to its
// ends once and looks for further runs only in the rows above and below, so
// it touches every pixel a small, bounded number of times and keeps a stack
// of runs, not of pixels. It selects exactly the same pixels as a fill that
// visits them one by one. Any thread; no shared state.

#include "imagewindow/DibScaler.h"
#include "platform/WinTypes.h"

namespace ImageWindow::EmbeddedTool {

/// Fills `mask` (rows.iWidth × rows.iHeight bytes, row 0 at the top, index
/// y × width + x; must hold no 255 where the fill should go, normally all
/// zero) with 255 at every pixel the wand selects from `seed` (picture
/// coordinates, row 0 at the top) with `tolerance` (0 to 255). `box` receives
/// the bounding box of the filled pixels (right and bottom exclusive).
/// Returns false (mask and box unchanged) when `rows` is empty or the seed
/// lies outside the picture; else true (the seed itself is always filled).
bool MagicWandFill(const PixelRows& rows, POINT seed, BYTE tolerance, BYTE* mask, RECT& box);

} // namespace ImageWindow::EmbeddedTool

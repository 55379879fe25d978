#pragma once
// The exact quarter-turn and mirror kernels behind FixRotate and Flip, shared
// with the free rotation's right-angle cases.

#include "Tinctor/ImageBuffer.h"
#include "Tinctor/ImageProcess.h"

namespace ImageProcess {

/// Writes `src` turned a quarter turn (as seen on screen) into `dst`, which
/// must be src.height x src.width pixels of the same depth. Padding untouched.
void TurnQuarter(const ConstImageBuffer& src, const ImageBuffer& dst, bool clockwise, PROGRESS_CALLBACK progress);

/// Reverses the order of the `width` pixels of one row in place.
void ReverseRow(unsigned char* row, int width, int bytesPerPixel);

/// Writes `src` turned by half a turn into `dst` (same size and depth).
void TurnHalf(const ConstImageBuffer& src, const ImageBuffer& dst);

} // namespace ImageProcess

#pragma once
// Kernels of the selection masks: one byte per picture pixel, row 0 at the
// top, index y × width + x; 0 not selected, 255 fully selected. The callers
// (RegionSelector's mask operations) check sizes; these only do the work.
// Any thread; no shared state.

#include <cstddef>
#include <vector>

#include "platform/WinTypes.h"

namespace ImageWindow::EmbeddedTool::SelectMaskKernels {

/// How a new mask `c` is combined with the selection mask `a`, per pixel.
enum class Overlap {
    New,        ///< a = c
    Add,        ///< where c ≠ 0: min(255, a + c)
    Subtract,   ///< where c ≠ 0: max(0, a − c)
    Intersect,  ///< a × c / 255 when both are non-zero, else 0
};

/// Sets to 255 every byte of `mask` (width × height) inside one of `rects`
/// (right and bottom exclusive); parts outside the picture are skipped.
void FillRects(BYTE* mask, int width, int height, const std::vector<RECT>& rects);

/// Writes into `out` (width × height bytes) the mask `in` moved by (dx, dy)
/// pixels (positive: right, down); pixels moved in from outside are 0.
void Offset(const BYTE* in, BYTE* out, int width, int height, int dx, int dy);

/// The runs of non-zero bytes of every row, top row first and left to right
/// within a row, as rectangles one row high (right exclusive).
std::vector<RECT> Runs(const BYTE* mask, int width, int height);

/// Combines `current` into `selection` (both `count` bytes) by `overlap`.
void Merge(BYTE* selection, const BYTE* current, std::size_t count, Overlap overlap);

} // namespace ImageWindow::EmbeddedTool::SelectMaskKernels

#pragma once
// The display scales the main window steps through with Zoom In and Zoom Out:
// nineteen zoom factors (display pixels per image pixel), index 0 to 18,
// largest first: 8, 7, 6, 5, 4, 3, 2, 1, 1/2, 1/3, ... 1/8, 1/16, 1/32, 1/64,
// 1/128. Index 7 is 100 %. 1/3, 1/5, 1/6 and 1/7 are held as their
// single-precision values widened to double, so a zoom that was set from the
// table compares equal to the table entry again.

namespace DisplayScale {

/// Number of entries of the table.
inline constexpr int COUNT = 19;
/// Index of 100 %.
inline constexpr int INDEX_ORIGINAL = 7;

/// The zoom factor at `index` (0 ... 18); 1.0 for an index outside the table.
double At(int index);

/// The table index nearest to `zoom`: 0 for a zoom of 8 or more, 18 for
/// 1/128 or less; between two entries the nearer one, and exactly half-way
/// the larger scale (the smaller index). A zoom that is not a number counts
/// as 1/128 or less.
int NearestIndex(double zoom);

/// The index Zoom In (`zoomIn` true) or Zoom Out goes to from `zoom`: one
/// step from the nearest index towards larger or smaller scales, kept within
/// 0 ... 18.
int StepIndex(double zoom, bool zoomIn);

} // namespace DisplayScale

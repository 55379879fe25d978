#pragma once
// The kernel of FeatheringRegion: softens the edge of a selection mask by the
// exact Euclidean distance of every selected pixel to the nearest unselected
// one.
//
// For the radii a user picks (up to 64 pixels) the distances are worked out
// only where they can matter: the distance to the nearest unselected pixel in
// each column comes from two passes over the rows, and the full distance is
// then searched for just the selected pixels that lie within the radius of
// an unselected one, a band along the selection's edge. Larger radii use
// OpenCV's distance transform of the whole area.

#include <vector>

#include "Tinctor/RegionView.h"

namespace ImageProcess {

/// Scales every selected byte (above 0) of `mask` (width × height, row 0 at
/// the top) inside `view` whose distance d (centre to centre) to the nearest
/// unselected pixel is below radius + 1 by d / (radius + 1), rounded, at
/// least 1. Pixels outside the picture count as selected. `radius` ≥ 1.
/// May throw std::bad_alloc or cv::Exception (the mask is then unchanged).
void FeatherMask(std::vector<unsigned char>& mask, int width, int height, const RegionView& view, int radius);

} // namespace ImageProcess

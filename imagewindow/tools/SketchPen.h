#pragma once
// A pen: what a brush stamps at each point of a stroke. A square of integer
// weights (0 leaves a pixel alone, 255 applies the brush fully), one per
// pixel, with a hot spot at the pixel that lies on the stroke.

#include <climits>
#include <cstdint>
#include <vector>

#include "platform/WinTypes.h"

namespace ImageWindow::EmbeddedTool {

/// Pen styles.
enum emStyle : std::int32_t {
    STYLE_NONE = -1,  ///< no pen has been set
    STYLE_ROUND = 0,  ///< the round pen built from size and hardness
};

struct SketchPen {
    emStyle eStyle{STYLE_NONE};
    std::int32_t iSize{0};        ///< width and height of the weight square, image pixels
    std::int32_t iHardness{100};  ///< 1 to 100: how sharp the edge is
    std::int32_t iOpacity{100};   ///< 1 to 100: the weights are scaled by opacity / 100
    POINT ptHotSpot{INT_MAX, INT_MAX};  ///< the square's pixel placed on the stroke point (row 0 at the top)
    std::vector<std::int32_t> vWeights; ///< size × size weights, rows bottom-up like an image
};

} // namespace ImageWindow::EmbeddedTool

#pragma once
// A PROCESS_REGION checked against one image: the clipped rectangle and the
// mask, ready for the adjustment kernels.

#include <optional>

#include "Tinctor/ImageProcess.h"

namespace ImageProcess {

struct RegionView {
    int left{0};    ///< picture columns [left, right)
    int top{0};     ///< picture rows [top, bottom), row 0 at the TOP
    int right{0};
    int bottom{0};
    const unsigned char* mask{nullptr};  ///< image width x height bytes, row 0 at the top; null = full weight
    int maskWidth{0};

    /// True when the rectangle holds no pixel.
    bool Empty() const { return right <= left || bottom <= top; }
    /// Mask bytes of picture row `top` (index = column), or null for full weight.
    const unsigned char* MaskRow(int row) const
    {
        return mask == nullptr ? nullptr : mask + static_cast<std::size_t>(row) * static_cast<std::size_t>(maskWidth);
    }
};

/// Clips `rect` (row 0 at the top) to an image of `width` x `height`: an
/// empty rectangle means the whole image; one reaching outside is clipped
/// when `clipToImage` is set and refused (nothing) otherwise. The result has
/// no mask and may be empty when the rectangle lies wholly outside.
std::optional<RegionView> ClipRect(int width, int height, const RECT& rect, bool clipToImage);

/// Checks `region` against an image of `width` x `height`: the mask must be
/// empty or width * height bytes; a rectangle reaching outside the image is
/// clipped when `clipToImage` is set and refused otherwise. An empty
/// rectangle means the whole image. Nothing when refused.
std::optional<RegionView> ResolveRegion(int width, int height, const PROCESS_REGION& region, bool clipToImage);

/// Mixes `changed` into `original` by the mask weight `m` (0 to 255).
inline unsigned char BlendByWeight(unsigned char original, unsigned char changed, unsigned int m)
{
    return static_cast<unsigned char>((original * (255u - m) + changed * m + 127u) / 255u);
}

} // namespace ImageProcess

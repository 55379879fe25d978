#include "Tinctor/RegionView.h"

#include <algorithm>

namespace ImageProcess {

std::optional<RegionView> ClipRect(int width, int height, const RECT& rect, bool clipToImage)
{
    RegionView view;
    view.maskWidth = width;
    if (rect.right <= rect.left || rect.bottom <= rect.top) {
        view.right = width;
        view.bottom = height;
        return view;
    }
    const bool inside = rect.left >= 0 && rect.top >= 0 && rect.right <= width && rect.bottom <= height;
    if (!inside && !clipToImage) return std::nullopt;
    view.left = std::clamp<LONG>(rect.left, 0, width);
    view.top = std::clamp<LONG>(rect.top, 0, height);
    view.right = std::clamp<LONG>(rect.right, 0, width);
    view.bottom = std::clamp<LONG>(rect.bottom, 0, height);
    return view;
}

std::optional<RegionView> ResolveRegion(int width, int height, const PROCESS_REGION& region, bool clipToImage)
{
    const auto pixelCount = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (!region.mask.empty() && region.mask.size() != pixelCount) return std::nullopt;
    auto view = ClipRect(width, height, region.rect, clipToImage);
    if (view && !region.mask.empty()) view->mask = region.mask.data();
    return view;
}

} // namespace ImageProcess

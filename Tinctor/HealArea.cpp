#include <algorithm>
#include <cmath>
#include <cstdint>

#include "Tinctor/AreaHealer.h"
#include "Tinctor/CallGuard.h"
#include "Tinctor/ImageBuffer.h"
#include "Tinctor/ImageProcess.h"
#include "Tinctor/StrokeArea.h"

namespace ImageProcess {

namespace {

// As RemoveSpot: the solver's memory grows with the area's thickness.
constexpr int MaxStrokeSize = 1001;

/// How far the area's pixels lie from its edge at most, in pixels (a
/// chamfer distance in half pixels, so areas thicker than 254 pixels count
/// as 254).
double Thickness(const AreaMask& mask)
{
    const int w = mask.box.right - mask.box.left, h = mask.box.bottom - mask.box.top;
    std::vector<std::uint8_t> distance(static_cast<std::size_t>(w) * h, 0);
    auto at = [&](int x, int y) -> int {
        return x < 0 || y < 0 || x >= w || y >= h ? 0 : distance[static_cast<std::size_t>(y) * w + x];
    };
    auto relax = [&](int x, int y, int step, int sign) {
        const std::size_t i = static_cast<std::size_t>(y) * w + x;
        if (distance[i] == 0) return;
        int d = distance[i];
        d = std::min(d, at(x - sign, y) + 2);
        d = std::min(d, at(x, y - sign) + 2);
        d = std::min(d, at(x - sign, y - sign) + step);
        d = std::min(d, at(x + sign, y - sign) + step);
        distance[i] = static_cast<std::uint8_t>(d);
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            distance[static_cast<std::size_t>(y) * w + x] = mask.Covers(mask.box.left + x, mask.box.top + y) ? 255 : 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) relax(x, y, 3, 1);
    for (int y = h - 1; y >= 0; --y)
        for (int x = w - 1; x >= 0; --x) relax(x, y, 3, -1);
    const std::uint8_t largest = distance.empty() ? 0 : *std::max_element(distance.begin(), distance.end());
    return largest / 2.0;
}

bool HealMask(ImageBuffer& image, const AreaMask& mask, double radius, HEAL_MODE mode, PROGRESS_CALLBACK progress)
{
    if (mask.IsEmpty()) return true;
    const RemoveSpotScratch::Lease scratch;
    AreaHealer healer(image, mask, radius, mode, *scratch);
    return healer.Heal(progress);
}

} // namespace

bool HealArea(std::vector<unsigned char>& pixels, BITMAPINFO& header, const HEAL_AREA& area, HEAL_MODE mode,
              PROGRESS_CALLBACK progress)
{
    std::optional<ImageBuffer> image = MakeImageBuffer(pixels, header);
    if (!image || (mode != HEAL_WHOLE_AREA && mode != HEAL_FLAWS_ONLY)) return false;
    const RECT& box = area.box;
    if (box.right < box.left || box.bottom < box.top) return false;
    const auto width = static_cast<std::size_t>(static_cast<long long>(box.right) - box.left);
    const auto height = static_cast<std::size_t>(static_cast<long long>(box.bottom) - box.top);
    if (area.weights.size() != width * height) return false;
    return Guarded([&] {
        AreaMask mask;
        mask.originX = box.left;
        mask.originY = box.top;
        mask.stride = width;
        mask.weights = area.weights.data();
        mask.box = RECT{std::max<LONG>(box.left, 0), std::max<LONG>(box.top, 0), std::min<LONG>(box.right, image->width),
                        std::min<LONG>(box.bottom, image->height)};
        if (mask.IsEmpty()) return true;
        return HealMask(*image, mask, Thickness(mask), mode, progress);
    });
}

bool HealStroke(std::vector<unsigned char>& pixels, BITMAPINFO& header, int size, const std::vector<POINT>& path,
                float strength, PROGRESS_CALLBACK progress)
{
    std::optional<ImageBuffer> image = MakeImageBuffer(pixels, header);
    if (!image || size < 1 || size > MaxStrokeSize || path.empty() || path.size() > MAX_STROKE_POINTS) return false;
    if (!std::isfinite(strength) || strength < 0.0f || strength > 1.0f) return false;
    return Guarded([&] {
        const StrokeArea stroke(size, path, strength, image->width, image->height);
        return HealMask(*image, stroke.Mask(), stroke.Radius(), HEAL_FLAWS_ONLY, progress);
    });
}

} // namespace ImageProcess

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "Tinctor/ImageBuffer.h"
#include "Tinctor/ImageProcess.h"
#include "Tinctor/RedeyeReductMask.h"

namespace ImageProcess {

namespace {

/// `rect` clipped to the image; empty (right <= left) when it misses the
/// image or is itself empty or inverted.
RECT ClipToImage(const RECT& rect, int width, int height)
{
    const std::int64_t left = std::max<std::int64_t>(rect.left, 0);
    const std::int64_t top = std::max<std::int64_t>(rect.top, 0);
    const std::int64_t right = std::min<std::int64_t>(rect.right, width);
    const std::int64_t bottom = std::min<std::int64_t>(rect.bottom, height);
    if (right <= left || bottom <= top) return RECT{0, 0, 0, 0};
    return RECT{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right), static_cast<LONG>(bottom)};
}

/// The corrected pupil colour: red brought down to the mean of green and blue
/// (a neutral dark pupil that keeps its shading), then every channel darkened
/// by `amount`.
void CorrectPixel(unsigned char* p, float weight, float amount)
{
    const float blue = p[0];
    const float green = p[1];
    const float red = p[2];
    const float neutral = std::min(red, (green + blue) / 2.0f);
    const float keep = 1.0f - amount;
    const float target[3] = {blue * keep, green * keep, neutral * keep};
    for (int c = 0; c < 3; ++c) {
        const float value = p[c] + weight * (target[c] - p[c]);
        p[c] = static_cast<unsigned char>(std::lround(std::clamp(value, 0.0f, 255.0f)));
    }
}

} // namespace

bool RedeyeReduct(std::vector<unsigned char>& pixels, BITMAPINFO& header, RECT rect, float amount,
                  PROGRESS_CALLBACK progress)
{
    const std::optional<ImageBuffer> image = MakeImageBuffer(pixels, header);
    if (!image || !std::isfinite(amount) || amount < 0.0f || amount > 1.0f) return false;
    const RECT area = ClipToImage(rect, image->width, image->height);
    if (area.right <= area.left) return true;

    const RedeyeReductMask mask(*image, area);
    if (progress) progress(1, 2);
    if (!mask.IsEmpty()) {
        for (int y = area.top; y < area.bottom; ++y) {
            unsigned char* row = image->RowFromTop(y);
            for (int x = area.left; x < area.right; ++x) {
                const float weight = mask.Weight(x, y);
                if (weight > 0.0f) CorrectPixel(row + static_cast<std::size_t>(x) * image->bytesPerPixel, weight, amount);
            }
        }
    }
    if (progress) progress(2, 2);
    return true;
}

} // namespace ImageProcess

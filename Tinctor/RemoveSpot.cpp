#include <cmath>

#include "Tinctor/ImageBuffer.h"
#include "Tinctor/ImageProcess.h"
#include "Tinctor/RemoveSpotDisk.h"
#include "Tinctor/RemoveSpotHealer.h"

namespace ImageProcess {

namespace {

// Larger squares than this are refused: the spot tool never asks for more than
// 501, and the solver's memory grows with the square's area.
constexpr int MaxSpotSize = 1001;

} // namespace

bool RemoveSpot(std::vector<unsigned char>& pixels, BITMAPINFO& header, int size, POINT topLeft, float strength,
                PROGRESS_CALLBACK progress)
{
    const std::optional<ImageBuffer> image = MakeImageBuffer(pixels, header);
    if (!image || size < 1 || size > MaxSpotSize) return false;
    if (!std::isfinite(strength) || strength < 0.0f || strength > 1.0f) return false;
    const RemoveSpotDisk disk(size, topLeft, strength, image->width, image->height);
    const RemoveSpotScratch::Lease scratch;
    RemoveSpotHealer healer(*image, disk, *scratch);
    return healer.Heal(progress);
}

} // namespace ImageProcess

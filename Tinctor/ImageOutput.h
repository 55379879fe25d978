#pragma once
// Producing a new image into a caller's vector: the functions that make a
// second image (free rotation, resize, crop) build it in the library's reused
// buffer and hand it over only once it is complete, so a failure leaves the
// caller's output as it was, and the output may be the source vector itself.

#include <cstring>
#include <utility>
#include <vector>

#include "Tinctor/ImageBuffer.h"
#include "Tinctor/ScratchPool.h"

namespace ImageProcess {

/// Sets the padding bytes at the end of every row to 0, so equal pictures
/// are equal byte for byte.
inline void ClearRowPadding(const ImageBuffer& img)
{
    const std::size_t used = img.RowBytes();
    if (used == img.stride) return;
    for (int y = 0; y < img.height; ++y) std::memset(img.Row(y) + used, 0, img.stride - used);
}

/// Creates a `width` x `height` image with the depth and header fields of
/// `like`, lets `fill(ImageBuffer&)` write every pixel, clears the row padding
/// and then moves it into `outPixels` / `outHeader`. The size must have
/// passed IsCreatableImageSize. `like` may be `outHeader`.
template <typename Fill>
void ProduceImage(std::vector<unsigned char>& outPixels, BITMAPINFO& outHeader, const BITMAPINFO& like, int width,
                  int height, Fill&& fill)
{
    BITMAPINFO header = like;
    DescribeImage(header, width, height, like.bmiHeader.biBitCount);
    std::vector<unsigned char> buffer = ScratchPool::Take(header.bmiHeader.biSizeImage);
    ImageBuffer img{buffer.data(), width, height, DibStride(width, header.bmiHeader.biBitCount),
                    header.bmiHeader.biBitCount / 8};
    fill(img);
    ClearRowPadding(img);
    outPixels.swap(buffer);
    outHeader = header;
    ScratchPool::Give(std::move(buffer));
}

} // namespace ImageProcess

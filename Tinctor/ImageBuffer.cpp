#include "Tinctor/ImageBuffer.h"

namespace ImageProcess {

namespace {

template <typename Byte, typename Vector>
std::optional<BasicImageBuffer<Byte>> MakeView(Vector& pixels, const BITMAPINFO& header)
{
    const BITMAPINFOHEADER& h = header.bmiHeader;
    if (h.biWidth <= 0 || h.biHeight <= 0) return std::nullopt;
    if (h.biBitCount != 24 && h.biBitCount != 32) return std::nullopt;
    if (h.biCompression != BI_RGB) return std::nullopt;
    const std::size_t stride = DibStride(h.biWidth, h.biBitCount);
    const std::size_t needed = stride * static_cast<std::size_t>(h.biHeight);
    if (pixels.size() < needed) return std::nullopt;
    if (h.biSizeImage != 0 && h.biSizeImage != needed) return std::nullopt;
    BasicImageBuffer<Byte> b;
    b.data = pixels.data();
    b.width = h.biWidth;
    b.height = h.biHeight;
    b.stride = stride;
    b.bytesPerPixel = h.biBitCount / 8;
    return b;
}

} // namespace

std::optional<ImageBuffer> MakeImageBuffer(std::vector<unsigned char>& pixels, const BITMAPINFO& header)
{
    return MakeView<unsigned char>(pixels, header);
}

std::optional<ConstImageBuffer> MakeConstImageBuffer(const std::vector<unsigned char>& pixels,
                                                     const BITMAPINFO& header)
{
    return MakeView<const unsigned char>(pixels, header);
}

void DescribeImage(BITMAPINFO& header, int width, int height, int bitCount)
{
    BITMAPINFOHEADER& h = header.bmiHeader;
    h.biSize = sizeof(BITMAPINFO);
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bitCount);
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(DibStride(width, static_cast<WORD>(bitCount)) * static_cast<std::size_t>(height));
    h.biClrUsed = 0;
    h.biClrImportant = 0;
}

bool IsCreatableImageSize(long long width, long long height, int bitCount)
{
    if (width <= 0 || height <= 0 || (bitCount != 24 && bitCount != 32)) return false;
    if (width > 0x7FFFFFFFLL / 4 || height > 0x7FFFFFFFLL) return false;
    const auto stride = static_cast<unsigned long long>(DibStride(static_cast<LONG>(width), static_cast<WORD>(bitCount)));
    return stride * static_cast<unsigned long long>(height) <= kMaxImageBytes;
}

} // namespace ImageProcess

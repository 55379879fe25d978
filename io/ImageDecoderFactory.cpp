#include "io/ImageDecoderFactory.h"

#include <cstring>

#include "io/BmpCodec.h"
#include "io/FileReader.h"
#include "io/JpegCodec.h"
#include "io/PngCodec.h"
#include "io/TiffCodec.h"

namespace Carrow::FileIO {

namespace {

bool StartsWith(const unsigned char* head, std::size_t size, const char* magic, std::size_t magicSize)
{
    return size >= magicSize && std::memcmp(head, magic, magicSize) == 0;
}

} // namespace

GUID ImageDecoderFactory::SniffFormat(const std::string& nativePath)
{
    FileReader file;
    unsigned char head[8] = {};
    if (!file.Open(nativePath)) return ImageFormatUndefined;
    const std::size_t n = file.ReadAt(0, head, sizeof head);
    if (StartsWith(head, n, "BM", 2)) return ImageFormatBMP;
    if (StartsWith(head, n, "\xFF\xD8\xFF", 3)) return ImageFormatJPEG;
    if (StartsWith(head, n, "\x89PNG\r\n\x1A\n", 8)) return ImageFormatPNG;
    // Classic and big TIFF, either byte order.
    if (StartsWith(head, n, "II*\0", 4) || StartsWith(head, n, "MM\0*", 4) || StartsWith(head, n, "II+\0", 4) ||
        StartsWith(head, n, "MM\0+", 4))
        return ImageFormatTIFF;
    if (StartsWith(head, n, "GIF87a", 6) || StartsWith(head, n, "GIF89a", 6)) return ImageFormatGIF;
    if (StartsWith(head, n, "\0\0\1\0", 4) || StartsWith(head, n, "\0\0\2\0", 4)) return ImageFormatIcon;
    return ImageFormatUndefined;
}

std::unique_ptr<IImageDecoder> ImageDecoderFactory::Create(const GUID& format, const std::string& nativePath,
                                                           std::size_t maxImageBytes)
{
    if (format == ImageFormatBMP) return std::make_unique<BmpDecoder>(nativePath);
    if (format == ImageFormatJPEG) return std::make_unique<JpegDecoder>(nativePath, maxImageBytes);
    if (format == ImageFormatPNG) return std::make_unique<PngDecoder>(nativePath, maxImageBytes);
    if (format == ImageFormatTIFF) return std::make_unique<TiffDecoder>(nativePath, maxImageBytes);
    return nullptr;
}

} // namespace Carrow::FileIO

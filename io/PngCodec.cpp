#include "io/PngCodec.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QtEndian>
#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

#include "io/ByteOrder.h"

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "32-bit QImage rows are read as blue, green, red, alpha bytes");

namespace Carrow::FileIO {

namespace {

constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint64_t kFirstChunkAfterHeader = 33;
// A real file reaches its first image data chunk long before this.
constexpr int kMaxChunksBeforeData = 10000;
constexpr LONG kDefaultPelsPerMeter = 3780; // 96 dpi

bool IsValidDepth(int colorType, int depth)
{
    switch (colorType) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6: return depth == 8 || depth == 16;
    default: return false;
    }
}

int Classify(int colorType, int depth, bool hasTransparency)
{
    switch (colorType) {
    case 2:
        if (depth == 16) return hasTransparency ? PixelFormat64bppARGB : PixelFormat48bppRGB;
        return hasTransparency ? PixelFormat32bppARGB : PixelFormat24bppRGB;
    case 6: return depth == 16 ? PixelFormat64bppARGB : PixelFormat32bppARGB;
    case 3: return depth == 1 ? PixelFormat1bppIndexed : depth == 8 ? PixelFormat8bppIndexed : PixelFormat4bppIndexed;
    case 0:
        if (depth == 1) return PixelFormat1bppIndexed;
        return depth == 16 ? PixelFormat16bppGrayScale : PixelFormat8bppIndexed;
    default: return PixelFormatUndefined; // grey with alpha: refused like grey
    }
}

QImage::Format QtFormatOf(int pixelFormat)
{
    switch (pixelFormat) {
    case PixelFormat32bppARGB: return QImage::Format_ARGB32;
    case PixelFormat32bppPARGB: return QImage::Format_ARGB32_Premultiplied;
    case PixelFormat32bppRGB: return QImage::Format_RGB32;
    default: return QImage::Format_RGB32; // 24-bit rows are packed from RGB32
    }
}

void CopyIntoTarget(const QImage& image, const DibTarget& target)
{
    const bool packed = target.pixelFormat == PixelFormat24bppRGB;
    for (LONG y = 0; y < target.height; ++y) {
        const uchar* src = image.constScanLine(y);
        BYTE* dst = target.TopDownRow(y);
        if (!packed) {
            std::memcpy(dst, src, static_cast<std::size_t>(target.width) * 4);
            continue;
        }
        for (LONG x = 0; x < target.width; ++x, src += 4, dst += 3) {
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
        }
    }
}

QImage TopDownImage(const DibView& view)
{
    const bool packed = PixelFormatBits(view.pixelFormat) == 24;
    QImage image(view.width, view.height, packed ? QImage::Format_RGB888 : QtFormatOf(view.pixelFormat));
    if (image.isNull()) return image;
    for (LONG y = 0; y < view.height; ++y) {
        const BYTE* src = view.TopDownRow(y);
        uchar* dst = image.scanLine(y);
        if (!packed) {
            std::memcpy(dst, src, static_cast<std::size_t>(view.width) * 4);
            continue;
        }
        for (LONG x = 0; x < view.width; ++x, src += 3, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
    }
    return image;
}

} // namespace

PngDecoder::PngDecoder(std::string utf8Path, std::size_t maxImageBytes)
    : m_path(std::move(utf8Path)), m_maxImageBytes(maxImageBytes)
{
}

bool PngDecoder::ReadHeader(ImageHeaderInfo& info)
{
    unsigned char h[kFirstChunkAfterHeader];
    if (!m_file.Open(m_path) || !m_file.ReadExactAt(0, h, sizeof h)) return false;
    if (std::memcmp(h, kSignature, 8) != 0 || ReadBE32(h + 8) != 13 || std::memcmp(h + 12, "IHDR", 4) != 0) return false;
    const std::uint32_t width = ReadBE32(h + 16);
    const std::uint32_t height = ReadBE32(h + 20);
    const int depth = h[24];
    const int colorType = h[25];
    if (width == 0 || height == 0 || width > INT_MAX || height > INT_MAX) return false;
    if (!IsValidDepth(colorType, depth) || h[26] != 0 || h[27] != 0 || h[28] > 1) return false;

    bool hasTransparency = false;
    ScanChunks(info, hasTransparency);
    info.rawFormat = ImageFormatPNG;
    info.width = static_cast<LONG>(width);
    info.height = static_cast<LONG>(height);
    info.pixelFormat = Classify(colorType, depth, hasTransparency);
    return true;
}

void PngDecoder::ScanChunks(ImageHeaderInfo& info, bool& hasTransparency) const
{
    std::uint64_t offset = kFirstChunkAfterHeader;
    for (int i = 0; i < kMaxChunksBeforeData; ++i) {
        unsigned char chunk[8 + 9];
        if (!m_file.ReadExactAt(offset, chunk, 8)) return;
        const std::uint32_t length = ReadBE32(chunk);
        if (std::memcmp(chunk + 4, "IDAT", 4) == 0 || std::memcmp(chunk + 4, "IEND", 4) == 0) return;
        if (std::memcmp(chunk + 4, "tRNS", 4) == 0) hasTransparency = true;
        if (std::memcmp(chunk + 4, "pHYs", 4) == 0 && length == 9 && m_file.ReadExactAt(offset + 8, chunk + 8, 9) &&
            chunk[16] == 1) {
            info.dpiX = ReadBE32(chunk + 8) * 0.0254;
            info.dpiY = ReadBE32(chunk + 12) * 0.0254;
        }
        offset += 12 + static_cast<std::uint64_t>(length);
        if (offset >= m_file.Size()) return;
    }
}

Status PngDecoder::Decode(const DibTarget& target)
{
    QFile file(QString::fromUtf8(m_path.c_str()));
    if (!file.open(QIODevice::ReadOnly)) return Status::Win32Error;
    QImageReader reader(&file, "png");
    reader.setAutoTransform(false);
    // Qt keeps the image as 32-bit pixels; give it room for that and a little.
    const int previousLimit = QImageReader::allocationLimit();
    const std::size_t limitMb = m_maxImageBytes / (1024 * 1024) * 2 + 1;
    QImageReader::setAllocationLimit(static_cast<int>(std::min<std::size_t>(limitMb, INT_MAX)));
    QImage image;
    const bool read = reader.read(&image);
    QImageReader::setAllocationLimit(previousLimit);
    if (!read || image.width() != target.width || image.height() != target.height) return Status::GenericError;

    const QImage::Format wanted = QtFormatOf(target.pixelFormat);
    const bool usable = image.format() == wanted ||
                        (target.pixelFormat == PixelFormat24bppRGB && image.format() == QImage::Format_ARGB32);
    if (!usable) image.convertTo(wanted);
    if (image.isNull()) return Status::OutOfMemory;
    CopyIntoTarget(image, target);
    return Status::Ok;
}

Status EncodePng(const DibView& view, ByteSink& sink)
{
    QImage image = TopDownImage(view);
    if (image.isNull()) return Status::OutOfMemory;
    image.setDotsPerMeterX(view.xPelsPerMeter > 0 ? view.xPelsPerMeter : kDefaultPelsPerMeter);
    image.setDotsPerMeterY(view.yPelsPerMeter > 0 ? view.yPelsPerMeter : kDefaultPelsPerMeter);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image)) return Status::GenericError;
    buffer.close();
    return sink.Write(bytes.constData(), static_cast<std::size_t>(bytes.size())) ? Status::Ok : Status::Win32Error;
}

} // namespace Carrow::FileIO

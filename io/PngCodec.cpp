#include "io/PngCodec.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QtEndian>
#include <algorithm>
#include <climits>
#include <cstring>
#include <unistd.h>
#include <utility>

#include "io/ByteOrder.h"
#include "io/OrientedRowWriter.h"

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "32-bit QImage rows are read as blue, green, red, alpha bytes");

namespace Carrow::FileIO {

namespace {

constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint64_t kFirstChunkAfterHeader = 33;
// Deflate turns at most 1032 bytes into one.
constexpr std::uint64_t kMaxDeflateRatio = 1032;
// A real file reaches its first image data chunk long before this.
constexpr int kMaxChunksBeforeData = 10000;

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
    const LONG width = target.StoredWidth();
    OrientedRowWriter writer(target);
    for (LONG y = 0; y < target.StoredHeight(); ++y) {
        const uchar* src = image.constScanLine(y);
        BYTE* dst = writer.Row(y);
        if (!packed) {
            std::memcpy(dst, src, static_cast<std::size_t>(width) * 4);
        } else {
            for (LONG x = 0; x < width; ++x, src += 4, dst += 3) {
                dst[0] = src[0];
                dst[1] = src[1];
                dst[2] = src[2];
            }
        }
        writer.RowDone(y);
    }
    writer.Finish();
}

// Bytes of the filtered, uncompressed pixel data: a filter byte and the
// packed samples of every row.
std::uint64_t PixelDataBytes(std::uint32_t width, std::uint32_t height, int colorType, int depth)
{
    static const int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
    const std::uint64_t rowBits = std::uint64_t{width} * kChannels[colorType] * static_cast<unsigned>(depth);
    return std::uint64_t{height} * (1 + (rowBits + 7) / 8);
}

} // namespace

PngDecoder::PngDecoder(std::string nativePath, std::size_t maxImageBytes)
    : m_path(std::move(nativePath)), m_maxImageBytes(maxImageBytes)
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
    info.truncated = TooShortFor(m_file.Size(), PixelDataBytes(width, height, colorType, depth), kMaxDeflateRatio);
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
    // Opened by its bytes: Qt's own file names cannot hold every name the
    // file system can.
    const int fd = FileReader::OpenRegularFile(m_path);
    QFile file;
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0) ::close(fd);
        return Status::Win32Error;
    }
    QImageReader reader(&file, "png");
    reader.setAutoTransform(false);
    // Qt keeps the image as 32-bit pixels; give it room for that and a little.
    const int previousLimit = QImageReader::allocationLimit();
    const std::size_t limitMb = m_maxImageBytes / (1024 * 1024) * 2 + 1;
    QImageReader::setAllocationLimit(static_cast<int>(std::min<std::size_t>(limitMb, INT_MAX)));
    QImage image;
    const bool read = reader.read(&image);
    QImageReader::setAllocationLimit(previousLimit);
    if (!read || image.width() != target.StoredWidth() || image.height() != target.StoredHeight())
        return Status::GenericError;

    const QImage::Format wanted = QtFormatOf(target.pixelFormat);
    const bool usable = image.format() == wanted ||
                        (target.pixelFormat == PixelFormat24bppRGB && image.format() == QImage::Format_ARGB32);
    if (!usable) image.convertTo(wanted);
    if (image.isNull()) return Status::OutOfMemory;
    CopyIntoTarget(image, target);
    return Status::Ok;
}

} // namespace Carrow::FileIO

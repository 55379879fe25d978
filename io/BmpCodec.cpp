#include "io/BmpCodec.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

#include "io/ByteOrder.h"
#include "io/OrientedRowWriter.h"

namespace Carrow::FileIO {

namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kBiAlphaBitfields = 6;
constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;

bool IsKnownHeaderSize(std::uint32_t size)
{
    return size == 12 || size == 40 || size == 52 || size == 56 || size == 64 || size == 108 || size == 124;
}

// Shift of a mask that covers exactly one whole byte, or -1.
int ByteMaskShift(std::uint32_t mask)
{
    for (int shift = 0; shift <= 24; shift += 8) {
        if (mask == (0xFFu << shift)) return shift;
    }
    return -1;
}

int ClassifyRgb(WORD bitCount)
{
    switch (bitCount) {
    case 1: return PixelFormat1bppIndexed;
    case 4: return PixelFormat4bppIndexed;
    case 8: return PixelFormat8bppIndexed;
    case 16: return PixelFormat16bppRGB555;
    case 24: return PixelFormat24bppRGB;
    case 32: return PixelFormat32bppRGB;
    default: return PixelFormatUndefined;
    }
}

} // namespace

BmpDecoder::BmpDecoder(std::string nativePath) : m_path(std::move(nativePath)) {}

bool BmpDecoder::ReadHeader(ImageHeaderInfo& info)
{
    if (!m_file.Open(m_path)) return false;
    unsigned char h[kFileHeaderSize + 124 + 16] = {};
    const std::size_t got = m_file.ReadAt(0, h, sizeof h);
    if (got < kFileHeaderSize + 12 || h[0] != 'B' || h[1] != 'M') return false;
    m_layout.headerSize = ReadLE32(h + 14);
    if (!IsKnownHeaderSize(m_layout.headerSize) || got < kFileHeaderSize + m_layout.headerSize) return false;
    if (!ParseInfoHeader(h, got, info)) return false;

    std::uint64_t minOffset = kFileHeaderSize + m_layout.headerSize;
    if (m_layout.headerSize == kInfoHeaderSize && m_layout.compression == kBiBitfields) minOffset += 12;
    if (m_layout.headerSize == kInfoHeaderSize && m_layout.compression == kBiAlphaBitfields) minOffset += 16;
    m_layout.dataOffset = ReadLE32(h + 10);
    if (m_layout.dataOffset == 0) m_layout.dataOffset = static_cast<std::uint32_t>(minOffset);
    if (m_layout.dataOffset < minOffset || m_layout.dataOffset > m_file.Size()) return false;

    info.rawFormat = ImageFormatBMP;
    info.pixelFormat = Classify();
    // Uncompressed rows take exactly their size; RLE pictures are refused anyway.
    const std::uint64_t rows =
        std::uint64_t{DibStride(info.width, m_layout.bitCount)} * static_cast<std::uint64_t>(info.height);
    info.truncated = m_layout.compression != kBiRle8 && m_layout.compression != kBiRle4 &&
                     TooShortFor(m_file.Size() - m_layout.dataOffset, rows, 1);
    return true;
}

bool BmpDecoder::ParseInfoHeader(const unsigned char* h, std::size_t got, ImageHeaderInfo& info)
{
    std::int64_t width = 0;
    std::int64_t height = 0;
    WORD planes = 0;
    if (m_layout.headerSize == 12) {
        width = ReadLE16(h + 18);
        height = ReadLE16(h + 20);
        planes = ReadLE16(h + 22);
        m_layout.bitCount = ReadLE16(h + 24);
        m_layout.compression = kBiRgb;
    } else {
        width = static_cast<std::int32_t>(ReadLE32(h + 18));
        height = static_cast<std::int32_t>(ReadLE32(h + 22));
        planes = ReadLE16(h + 26);
        m_layout.bitCount = ReadLE16(h + 28);
        m_layout.compression = ReadLE32(h + 30);
        const auto xPels = static_cast<std::int32_t>(ReadLE32(h + 38));
        const auto yPels = static_cast<std::int32_t>(ReadLE32(h + 42));
        if (xPels > 0) info.dpiX = xPels * 0.0254;
        if (yPels > 0) info.dpiY = yPels * 0.0254;
        // Masks follow a 40-byte header, or sit inside the longer ones.
        const bool masksInFile = m_layout.headerSize > kInfoHeaderSize || m_layout.compression == kBiBitfields ||
                                 m_layout.compression == kBiAlphaBitfields;
        if (masksInFile && got >= 70) {
            for (int i = 0; i < 3; ++i) m_layout.masks[i] = ReadLE32(h + 54 + 4 * i);
            if (m_layout.headerSize >= 56 || m_layout.compression == kBiAlphaBitfields) m_layout.masks[3] = ReadLE32(h + 66);
        }
    }
    if (planes != 1 || width <= 0 || height == 0 || height == INT_MIN) return false;
    m_layout.topDown = height < 0;
    info.width = static_cast<LONG>(width);
    info.height = static_cast<LONG>(height < 0 ? -height : height);
    return true;
}

int BmpDecoder::Classify() const
{
    const std::uint32_t c = m_layout.compression;
    // The 64-byte OS/2 header gives the compression numbers other meanings.
    if (m_layout.headerSize == 64 && c != kBiRgb) return PixelFormatUndefined;
    if (c == kBiRgb) return ClassifyRgb(m_layout.bitCount);
    if (c == kBiRle8) return PixelFormat8bppIndexed;
    if (c == kBiRle4) return PixelFormat4bppIndexed;
    if (c != kBiBitfields && c != kBiAlphaBitfields) return PixelFormatUndefined;
    if (m_layout.bitCount == 16) return PixelFormat16bppRGB565;
    if (m_layout.bitCount != 32) return PixelFormatUndefined;
    const int r = ByteMaskShift(m_layout.masks[0]);
    const int g = ByteMaskShift(m_layout.masks[1]);
    const int b = ByteMaskShift(m_layout.masks[2]);
    const int a = m_layout.masks[3] ? ByteMaskShift(m_layout.masks[3]) : -2;
    if (r < 0 || g < 0 || b < 0 || a == -1 || r == g || g == b || r == b || a == r || a == g || a == b)
        return PixelFormatUndefined;
    return a >= 0 ? PixelFormat32bppARGB : PixelFormat32bppRGB;
}

bool BmpDecoder::HasStandardMasks() const
{
    const std::uint32_t c = m_layout.compression;
    if (c != kBiBitfields && c != kBiAlphaBitfields) return true;
    return m_layout.masks[0] == 0x00FF0000u && m_layout.masks[1] == 0x0000FF00u && m_layout.masks[2] == 0x000000FFu &&
           (m_layout.masks[3] == 0 || m_layout.masks[3] == 0xFF000000u);
}

Status BmpDecoder::Decode(const DibTarget& target)
{
    const LONG width = target.StoredWidth();
    const LONG height = target.StoredHeight();
    const std::size_t fileStride = DibStride(width, m_layout.bitCount);
    if (fileStride == 0 || DibStride(width, PixelFormatBits(target.pixelFormat)) < fileStride)
        return Status::InvalidParameter;
    const std::uint64_t total = static_cast<std::uint64_t>(fileStride) * static_cast<std::uint64_t>(height);
    if (m_layout.dataOffset + total > m_file.Size()) return Status::GenericError;

    if (!m_layout.topDown && target.stride == fileStride && target.orientation == 1) {
        if (!m_file.ReadExactAt(m_layout.dataOffset, target.bits, static_cast<std::size_t>(total)))
            return Status::GenericError;
    } else {
        PixelBuffer row(fileStride);
        const std::size_t used = static_cast<std::size_t>(width) * (PixelFormatBits(target.pixelFormat) / 8);
        OrientedRowWriter writer(target);
        for (LONG y = 0; y < height; ++y) {
            const LONG fileRow = m_layout.topDown ? y : height - 1 - y;
            const std::uint64_t offset = m_layout.dataOffset + static_cast<std::uint64_t>(fileRow) * fileStride;
            if (!m_file.ReadExactAt(offset, row.data(), fileStride)) return Status::GenericError;
            std::memcpy(writer.Row(y), row.data(), used);
            writer.RowDone(y);
        }
        writer.Finish();
    }
    if (!HasStandardMasks()) ShuffleMaskedPixels(target);
    return Status::Ok;
}

void BmpDecoder::ShuffleMaskedPixels(const DibTarget& target) const
{
    const int r = ByteMaskShift(m_layout.masks[0]);
    const int g = ByteMaskShift(m_layout.masks[1]);
    const int b = ByteMaskShift(m_layout.masks[2]);
    const int a = m_layout.masks[3] ? ByteMaskShift(m_layout.masks[3]) : -1;
    for (LONG y = 0; y < target.height; ++y) {
        BYTE* p = target.bits + static_cast<std::size_t>(y) * target.stride;
        for (LONG x = 0; x < target.width; ++x, p += 4) {
            const std::uint32_t v = ReadLE32(p);
            p[0] = static_cast<BYTE>(v >> b);
            p[1] = static_cast<BYTE>(v >> g);
            p[2] = static_cast<BYTE>(v >> r);
            p[3] = a >= 0 ? static_cast<BYTE>(v >> a) : 0xFF;
        }
    }
}

Status EncodeBmp(const DibView& view, ByteSink& sink)
{
    const WORD bits = PixelFormatBits(view.pixelFormat);
    const std::size_t fileStride = DibStride(view.width, bits);
    const std::uint64_t imageSize = static_cast<std::uint64_t>(fileStride) * static_cast<std::uint64_t>(view.height);
    if (imageSize + kFileHeaderSize + kInfoHeaderSize > 0xFFFFFFFFu) return Status::ValueOverflow;

    unsigned char h[kFileHeaderSize + kInfoHeaderSize] = {'B', 'M'};
    WriteLE32(h + 2, static_cast<std::uint32_t>(imageSize + sizeof h));
    WriteLE32(h + 10, static_cast<std::uint32_t>(sizeof h));
    WriteLE32(h + 14, kInfoHeaderSize);
    WriteLE32(h + 18, static_cast<std::uint32_t>(view.width));
    WriteLE32(h + 22, static_cast<std::uint32_t>(view.height));
    WriteLE16(h + 26, 1);
    WriteLE16(h + 28, bits);
    WriteLE32(h + 30, kBiRgb);
    WriteLE32(h + 34, static_cast<std::uint32_t>(imageSize));
    WriteLE32(h + 38, static_cast<std::uint32_t>(std::max<LONG>(view.xPelsPerMeter, 0)));
    WriteLE32(h + 42, static_cast<std::uint32_t>(std::max<LONG>(view.yPelsPerMeter, 0)));
    if (!sink.Write(h, sizeof h)) return Status::Win32Error;

    if (view.stride == fileStride) {
        return sink.Write(view.bits, static_cast<std::size_t>(imageSize)) ? Status::Ok : Status::Win32Error;
    }
    for (LONG y = 0; y < view.height; ++y) {
        if (!sink.Write(view.bits + static_cast<std::size_t>(y) * view.stride, fileStride)) return Status::Win32Error;
    }
    return Status::Ok;
}

} // namespace Carrow::FileIO

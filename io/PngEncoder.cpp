#include "io/PngEncoder.h"

#include <algorithm>
#include <cstring>

#include <zlib.h>

#include "io/ByteOrder.h"
#include "io/ZlibRleEncoder.h"

namespace Carrow::FileIO {

namespace {

constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr unsigned char kColourTypeRgb = 2;
constexpr unsigned char kColourTypeRgba = 6;
constexpr unsigned char kFilterSub = 1;
constexpr LONG kDefaultPelsPerMeter = 3780; // 96 dpi
// Compressed bytes per IDAT chunk, and rows filtered per call into the
// compressor (a few hundred kilobytes, still in the cache when it reads them).
constexpr std::size_t kIdatBytes = 1 << 20;
constexpr LONG kRowsPerBatch = 16;
const char kIccProfileName[] = "ICC profile";

// Writes whole chunks: length, type, data and CRC.
class ChunkWriter {
public:
    explicit ChunkWriter(ByteSink& sink) : m_sink(sink) {}

    bool Write(const char* type, const BYTE* data, std::size_t size)
    {
        BYTE head[8];
        WriteBE32(head, static_cast<std::uint32_t>(size));
        std::memcpy(head + 4, type, 4);
        uLong crc = crc32_z(0, head + 4, 4);
        if (size) crc = crc32_z(crc, data, size);
        BYTE tail[4];
        WriteBE32(tail, static_cast<std::uint32_t>(crc));
        return m_sink.Write(head, sizeof head) && (size == 0 || m_sink.Write(data, size)) &&
               m_sink.Write(tail, sizeof tail);
    }

private:
    ByteSink& m_sink;
};

// Gathers the bytes of the image data's zlib stream into IDAT chunks.
class IdatWriter final : public ByteSink {
public:
    explicit IdatWriter(ChunkWriter& chunks) : m_chunks(chunks) { m_buffer.reserve(kIdatBytes); }

    bool Write(const void* data, std::size_t size) override
    {
        const auto* bytes = static_cast<const BYTE*>(data);
        while (size > 0) {
            const std::size_t room = kIdatBytes - m_buffer.size();
            const std::size_t n = std::min(room, size);
            m_buffer.insert(m_buffer.end(), bytes, bytes + n);
            bytes += n;
            size -= n;
            if (m_buffer.size() == kIdatBytes && !Flush()) return false;
        }
        return true;
    }

    bool Flush()
    {
        if (m_buffer.empty()) return true;
        const bool written = m_chunks.Write("IDAT", m_buffer.data(), m_buffer.size());
        m_buffer.clear();
        return written;
    }

private:
    ChunkWriter& m_chunks;
    PixelBuffer m_buffer;
};

bool HasAlpha(int pixelFormat)
{
    return pixelFormat == PixelFormat32bppARGB || pixelFormat == PixelFormat32bppPARGB;
}

// One bottom-up row as PNG samples: RGB, or RGBA with straight alpha.
void ToSamples(const BYTE* src, LONG width, int pixelFormat, BYTE* dst)
{
    const std::size_t step = PixelFormatBits(pixelFormat) / 8;
    if (!HasAlpha(pixelFormat)) {
        for (LONG x = 0; x < width; ++x, src += step, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
        return;
    }
    const bool premultiplied = pixelFormat == PixelFormat32bppPARGB;
    for (LONG x = 0; x < width; ++x, src += 4, dst += 4) {
        const unsigned a = src[3];
        const bool keep = !premultiplied || a == 255;
        dst[0] = keep ? src[2] : Unpremultiply(src[2], a);
        dst[1] = keep ? src[1] : Unpremultiply(src[1], a);
        dst[2] = keep ? src[0] : Unpremultiply(src[0], a);
        dst[3] = static_cast<BYTE>(a);
    }
}

// The "Sub" filter: each byte less the same sample of the pixel to its left.
void FilterSub(const BYTE* samples, std::size_t rowBytes, std::size_t channels, BYTE* out)
{
    out[0] = kFilterSub;
    std::memcpy(out + 1, samples, std::min(channels, rowBytes));
    for (std::size_t i = channels; i < rowBytes; ++i)
        out[1 + i] = static_cast<BYTE>(samples[i] - samples[i - channels]);
}

bool WriteHeaderChunks(ChunkWriter& chunks, const DibView& view, const std::vector<BYTE>& iccProfile)
{
    BYTE header[13] = {};
    WriteBE32(header, static_cast<std::uint32_t>(view.width));
    WriteBE32(header + 4, static_cast<std::uint32_t>(view.height));
    header[8] = 8;
    header[9] = HasAlpha(view.pixelFormat) ? kColourTypeRgba : kColourTypeRgb;
    BYTE physical[9] = {};
    WriteBE32(physical, static_cast<std::uint32_t>(view.xPelsPerMeter > 0 ? view.xPelsPerMeter : kDefaultPelsPerMeter));
    WriteBE32(physical + 4,
              static_cast<std::uint32_t>(view.yPelsPerMeter > 0 ? view.yPelsPerMeter : kDefaultPelsPerMeter));
    physical[8] = 1; // pixels per metre
    if (!chunks.Write("IHDR", header, sizeof header) || !chunks.Write("pHYs", physical, sizeof physical)) return false;
    if (iccProfile.empty()) return true;
    uLongf packedSize = compressBound(static_cast<uLong>(iccProfile.size()));
    PixelBuffer chunk(sizeof kIccProfileName + 1 + packedSize);
    std::memcpy(chunk.data(), kIccProfileName, sizeof kIccProfileName); // with its zero
    chunk[sizeof kIccProfileName] = 0;                                   // deflate
    if (compress2(chunk.data() + sizeof kIccProfileName + 1, &packedSize, iccProfile.data(),
                  static_cast<uLong>(iccProfile.size()), Z_BEST_COMPRESSION) != Z_OK)
        return false;
    return chunks.Write("iCCP", chunk.data(), sizeof kIccProfileName + 1 + packedSize);
}

// The zlib stream of the filtered rows, cut into IDAT chunks.
Status WriteImageData(IdatWriter& idat, const DibView& view)
{
    const std::size_t channels = HasAlpha(view.pixelFormat) ? 4 : 3;
    const std::size_t rowBytes = static_cast<std::size_t>(view.width) * channels;
    PixelBuffer samples(rowBytes);
    PixelBuffer filtered((rowBytes + 1) * kRowsPerBatch);
    ZlibRleEncoder deflater(idat);
    for (LONG first = 0; first < view.height; first += kRowsPerBatch) {
        const LONG rows = std::min(kRowsPerBatch, view.height - first);
        for (LONG i = 0; i < rows; ++i) {
            ToSamples(view.TopDownRow(first + i), view.width, view.pixelFormat, samples.data());
            BYTE* out = filtered.data() + static_cast<std::size_t>(i) * (rowBytes + 1);
            FilterSub(samples.data(), rowBytes, channels, out);
        }
        if (!deflater.Add(filtered.data(), static_cast<std::size_t>(rows) * (rowBytes + 1))) return Status::Win32Error;
        view.CountRows(rows);
    }
    return deflater.Finish() && idat.Flush() ? Status::Ok : Status::Win32Error;
}

} // namespace

Status EncodePng(const DibView& view, const std::vector<BYTE>& iccProfile, ByteSink& sink)
{
    ChunkWriter chunks(sink);
    if (!sink.Write(kSignature, sizeof kSignature) || !WriteHeaderChunks(chunks, view, iccProfile))
        return Status::Win32Error;
    IdatWriter idat(chunks);
    const Status status = WriteImageData(idat, view);
    if (status != Status::Ok) return status;
    return chunks.Write("IEND", nullptr, 0) ? Status::Ok : Status::Win32Error;
}

} // namespace Carrow::FileIO

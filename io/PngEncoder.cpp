#include "io/PngEncoder.h"

#include <algorithm>
#include <cstring>

#include <zlib.h>

#include "io/ByteOrder.h"

namespace Carrow::FileIO {

namespace {

constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr unsigned char kColourTypeRgb = 2;
constexpr unsigned char kColourTypeRgba = 6;
constexpr unsigned char kFilterSub = 1;
constexpr LONG kDefaultPelsPerMeter = 3780; // 96 dpi
// Deflate output per IDAT chunk, and rows filtered per call into zlib (a few
// hundred kilobytes, so they are still in the cache when zlib reads them).
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

// The image data: one zlib stream cut into IDAT chunks as its output fills.
class IdatStream {
public:
    explicit IdatStream(ChunkWriter& chunks) : m_chunks(chunks), m_out(kIdatBytes) {}
    ~IdatStream()
    {
        if (m_started) deflateEnd(&m_z);
    }
    IdatStream(const IdatStream&) = delete;
    IdatStream& operator=(const IdatStream&) = delete;

    // Run-length matching only: filtered photographs repeat in runs far more
    // than in longer patterns, and it is several times faster than a search.
    bool Start()
    {
        m_started = deflateInit2(&m_z, Z_BEST_SPEED, Z_DEFLATED, 15, 8, Z_RLE) == Z_OK;
        ResetOutput();
        return m_started;
    }

    bool Add(const BYTE* data, std::size_t size) { return Deflate(data, size, Z_NO_FLUSH); }
    bool Finish() { return Deflate(nullptr, 0, Z_FINISH) && Emit(); }

private:
    bool Deflate(const BYTE* data, std::size_t size, int flush)
    {
        m_z.next_in = const_cast<Bytef*>(data);
        m_z.avail_in = static_cast<uInt>(size);
        for (;;) {
            if (m_z.avail_out == 0 && !Emit()) return false;
            const int result = deflate(&m_z, flush);
            if (result == Z_STREAM_ERROR) return false;
            if (flush == Z_FINISH ? result == Z_STREAM_END : m_z.avail_in == 0 && m_z.avail_out != 0) return true;
        }
    }

    bool Emit()
    {
        const std::size_t used = m_out.size() - m_z.avail_out;
        if (used && !m_chunks.Write("IDAT", m_out.data(), used)) return false;
        ResetOutput();
        return true;
    }

    void ResetOutput()
    {
        m_z.next_out = m_out.data();
        m_z.avail_out = static_cast<uInt>(m_out.size());
    }

    ChunkWriter& m_chunks;
    PixelBuffer m_out;
    z_stream m_z{};
    bool m_started{};
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

bool WriteRows(IdatStream& idat, const DibView& view)
{
    const std::size_t channels = HasAlpha(view.pixelFormat) ? 4 : 3;
    const std::size_t rowBytes = static_cast<std::size_t>(view.width) * channels;
    PixelBuffer samples(rowBytes);
    PixelBuffer filtered((rowBytes + 1) * kRowsPerBatch);
    for (LONG first = 0; first < view.height; first += kRowsPerBatch) {
        const LONG count = std::min(kRowsPerBatch, view.height - first);
        for (LONG i = 0; i < count; ++i) {
            ToSamples(view.TopDownRow(first + i), view.width, view.pixelFormat, samples.data());
            FilterSub(samples.data(), rowBytes, channels, filtered.data() + static_cast<std::size_t>(i) * (rowBytes + 1));
        }
        if (!idat.Add(filtered.data(), static_cast<std::size_t>(count) * (rowBytes + 1))) return false;
        view.ReportRows(first + count);
    }
    return idat.Finish();
}

} // namespace

Status EncodePng(const DibView& view, const std::vector<BYTE>& iccProfile, ByteSink& sink)
{
    ChunkWriter chunks(sink);
    if (!sink.Write(kSignature, sizeof kSignature) || !WriteHeaderChunks(chunks, view, iccProfile))
        return Status::Win32Error;
    IdatStream idat(chunks);
    if (!idat.Start()) return Status::OutOfMemory;
    if (!WriteRows(idat, view) || !chunks.Write("IEND", nullptr, 0)) return Status::Win32Error;
    return Status::Ok;
}

} // namespace Carrow::FileIO

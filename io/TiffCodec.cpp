#include "io/TiffCodec.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include <tiffio.h>

#include "io/FileReader.h"
#include "io/OrientedRowWriter.h"

namespace Carrow::FileIO {

namespace {

// libtiff's diagnostics would go to standard error; a damaged file is already
// reported through the result.
int SilentHandler(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;
}

TIFFOpenOptions* MakeOptions(std::size_t maxMemory)
{
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) return nullptr;
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, static_cast<tmsize_t>(std::min<std::size_t>(maxMemory, LLONG_MAX)));
    TIFFOpenOptionsSetErrorHandlerExtR(options, SilentHandler, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, SilentHandler, nullptr);
    return options;
}

int ClassifyRgb(unsigned bits, unsigned samples, unsigned extraKind)
{
    if (bits == 16) return samples == 3 ? PixelFormat48bppRGB : PixelFormat64bppARGB;
    if (bits != 8) return PixelFormatUndefined;
    if (samples == 3) return PixelFormat24bppRGB;
    if (samples != 4) return PixelFormatUndefined;
    if (extraKind == EXTRASAMPLE_ASSOCALPHA) return PixelFormat32bppPARGB;
    if (extraKind == EXTRASAMPLE_UNASSALPHA) return PixelFormat32bppARGB;
    return PixelFormat32bppRGB;
}

int Classify(unsigned photometric, unsigned bits, unsigned samples, unsigned extraKind)
{
    switch (photometric) {
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_MINISBLACK:
        if (bits == 1) return PixelFormat1bppIndexed;
        return bits == 16 ? PixelFormat16bppGrayScale : PixelFormat8bppIndexed;
    case PHOTOMETRIC_PALETTE:
        return bits == 1 ? PixelFormat1bppIndexed : bits == 4 ? PixelFormat4bppIndexed : PixelFormat8bppIndexed;
    case PHOTOMETRIC_SEPARATED: return PixelFormat32bppCMYK;
    case PHOTOMETRIC_RGB:
    case PHOTOMETRIC_YCBCR: return ClassifyRgb(bits, samples, extraKind);
    default: return PixelFormatUndefined;
    }
}

// Most bytes of pixels one byte of the file can hold under each coding: a
// PackBits run of 128 bytes takes 2; LZW's longest strings grow by one byte
// per 12-bit code; deflate gives at most 1032 to 1; Huffman-coded JPEG at
// least one bit per block of 64 pixels (and a file that lies about its coding
// fails when decoded anyway).
std::uint64_t MaxCompressionRatio(unsigned compression)
{
    switch (compression) {
    case COMPRESSION_NONE: return 1;
    case COMPRESSION_PACKBITS: return 64;
    case COMPRESSION_LZW: return 2048;
    case COMPRESSION_DEFLATE:
    case COMPRESSION_ADOBE_DEFLATE: return 1032;
    case COMPRESSION_JPEG:
    case COMPRESSION_OJPEG: return 1536;
    default: return 1 << 16;
    }
}

std::uint64_t FileSizeOf(int fd)
{
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
}

double ResolutionDpi(TIFF* tiff, ttag_t tag, unsigned unit)
{
    float value = 0;
    if (!TIFFGetField(tiff, tag, &value) || !(value > 0) || !std::isfinite(value)) return 0;
    if (unit == RESUNIT_INCH) return value;
    if (unit == RESUNIT_CENTIMETER) return value * 2.54;
    return 0;
}

} // namespace

TiffDecoder::TiffDecoder(std::string nativePath, std::size_t maxMemoryBytes)
    : m_path(std::move(nativePath)), m_maxMemory(maxMemoryBytes)
{
}

TiffDecoder::~TiffDecoder()
{
    if (m_tiff) TIFFClose(m_tiff);
}

bool TiffDecoder::ReadHeader(ImageHeaderInfo& info)
{
    const int fd = FileReader::OpenRegularFile(m_path);
    if (fd < 0) return false;
    const std::uint64_t fileBytes = FileSizeOf(fd);
    TIFFOpenOptions* options = MakeOptions(m_maxMemory);
    m_tiff = TIFFFdOpenExt(fd, m_path.c_str(), "r", options);
    TIFFOpenOptionsFree(options);
    if (!m_tiff) {
        ::close(fd);
        return false;
    }
    uint32_t width = 0, height = 0;
    uint16_t bits = 1, samples = 1, photometric = 0, planar = PLANARCONFIG_CONTIG, sampleFormat = SAMPLEFORMAT_UINT;
    uint16_t extraCount = 0, unit = RESUNIT_INCH, compression = COMPRESSION_NONE;
    uint16_t* extra = nullptr;
    if (!TIFFGetField(m_tiff, TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(m_tiff, TIFFTAG_IMAGELENGTH, &height) ||
        !TIFFGetField(m_tiff, TIFFTAG_PHOTOMETRIC, &photometric))
        return false;
    if (width == 0 || height == 0 || width > INT_MAX || height > INT_MAX) return false;
    TIFFGetFieldDefaulted(m_tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(m_tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(m_tiff, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(m_tiff, TIFFTAG_SAMPLEFORMAT, &sampleFormat);
    TIFFGetFieldDefaulted(m_tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
    TIFFGetFieldDefaulted(m_tiff, TIFFTAG_COMPRESSION, &compression);
    const bool hasExtra = TIFFGetField(m_tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extra) && extraCount > 0 && extra;

    m_samples = samples;
    m_bits = bits;
    m_photometric = photometric;
    m_planar = planar;
    info.rawFormat = ImageFormatTIFF;
    info.width = static_cast<LONG>(width);
    info.height = static_cast<LONG>(height);
    info.pixelFormat = sampleFormat == SAMPLEFORMAT_UINT
                           ? Classify(photometric, bits, samples, hasExtra ? extra[0] : EXTRASAMPLE_UNSPECIFIED)
                           : PixelFormatUndefined;
    info.dpiX = ResolutionDpi(m_tiff, TIFFTAG_XRESOLUTION, unit);
    info.dpiY = ResolutionDpi(m_tiff, TIFFTAG_YRESOLUTION, unit);
    const std::uint64_t pixelBytes = std::uint64_t{width} * height * samples * bits / 8;
    info.truncated = TooShortFor(fileBytes, pixelBytes, MaxCompressionRatio(compression));
    return true;
}

bool TiffDecoder::IsPlainRgb() const
{
    return m_photometric == PHOTOMETRIC_RGB && m_bits == 8 && m_planar == PLANARCONFIG_CONTIG &&
           !TIFFIsTiled(m_tiff) && (m_samples == 3 || m_samples == 4);
}

Status TiffDecoder::Decode(const DibTarget& target)
{
    if (!m_tiff) return Status::InvalidParameter;
    uint32_t width = 0, height = 0;
    TIFFGetField(m_tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(m_tiff, TIFFTAG_IMAGELENGTH, &height);
    if (width != static_cast<uint32_t>(target.StoredWidth()) || height != static_cast<uint32_t>(target.StoredHeight()))
        return Status::GenericError;
    const unsigned targetBytes = PixelFormatBits(target.pixelFormat) / 8;
    if (IsPlainRgb() && m_samples == targetBytes) return DecodeScanlines(target);
    return DecodeThroughRgba(target);
}

Status TiffDecoder::DecodeScanlines(const DibTarget& target)
{
    const LONG width = target.StoredWidth();
    const tmsize_t lineSize = TIFFScanlineSize(m_tiff);
    const std::size_t needed = static_cast<std::size_t>(width) * m_samples;
    if (lineSize <= 0 || static_cast<std::size_t>(lineSize) < needed) return Status::GenericError;
    std::vector<BYTE> line(static_cast<std::size_t>(lineSize));
    OrientedRowWriter writer(target);
    for (LONG y = 0; y < target.StoredHeight(); ++y) {
        if (TIFFReadScanline(m_tiff, line.data(), static_cast<uint32_t>(y), 0) < 0) return Status::GenericError;
        const BYTE* src = line.data();
        BYTE* dst = writer.Row(y);
        for (LONG x = 0; x < width; ++x, src += m_samples, dst += m_samples) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
            if (m_samples == 4) dst[3] = src[3];
        }
        writer.RowDone(y);
    }
    writer.Finish();
    return Status::Ok;
}

namespace {

// libtiff's RGBA reader hands out premultiplied colours for images with alpha.
void PutRgbaPixel(uint32_t pixel, int pixelFormat, BYTE* dst)
{
    const unsigned a = TIFFGetA(pixel);
    unsigned r = TIFFGetR(pixel), g = TIFFGetG(pixel), b = TIFFGetB(pixel);
    if (pixelFormat == PixelFormat32bppARGB && a != 0 && a != 255) {
        r = Unpremultiply(r, a);
        g = Unpremultiply(g, a);
        b = Unpremultiply(b, a);
    }
    dst[0] = static_cast<BYTE>(b);
    dst[1] = static_cast<BYTE>(g);
    dst[2] = static_cast<BYTE>(r);
    if (pixelFormat != PixelFormat24bppRGB) dst[3] = static_cast<BYTE>(a);
}

} // namespace

bool TiffDecoder::ReadStoredRgba(uint32_t* raster, uint32_t width, uint32_t height)
{
    TIFFRGBAImage image{};
    char message[1024] = {};
    if (!TIFFRGBAImageBegin(&image, m_tiff, 1, message)) return false;
    // libtiff would apply the file's orientation itself, and only the flips
    // of it: the raster takes the rows as stored, first stored row first, and
    // the orientation is applied like on every other decode path.
    image.orientation = ORIENTATION_TOPLEFT;
    image.req_orientation = ORIENTATION_TOPLEFT;
    const int read = TIFFRGBAImageGet(&image, raster, width, height);
    TIFFRGBAImageEnd(&image);
    return read != 0;
}

Status TiffDecoder::DecodeThroughRgba(const DibTarget& target)
{
    char message[1024] = {};
    if (!TIFFRGBAImageOK(m_tiff, message)) return Status::GenericError;
    const LONG width = target.StoredWidth();
    const LONG height = target.StoredHeight();
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (pixels > m_maxMemory / 4) return Status::OutOfMemory;
    std::unique_ptr<uint32_t[]> raster(new (std::nothrow) uint32_t[pixels]);
    if (!raster) return Status::OutOfMemory;
    if (!ReadStoredRgba(raster.get(), static_cast<uint32_t>(width), static_cast<uint32_t>(height)))
        return Status::GenericError;
    const unsigned bytes = PixelFormatBits(target.pixelFormat) / 8;
    OrientedRowWriter writer(target);
    for (LONG y = 0; y < height; ++y) {
        const uint32_t* src = raster.get() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        BYTE* dst = writer.Row(y);
        for (LONG x = 0; x < width; ++x, dst += bytes) PutRgbaPixel(src[x], target.pixelFormat, dst);
        writer.RowDone(y);
    }
    writer.Finish();
    return Status::Ok;
}

namespace {

// libtiff writes through these callbacks into a growing buffer; it seeks back
// to patch offsets, so the buffer is random access.
struct MemoryStream {
    PixelBuffer* bytes{};
    std::uint64_t position{};
    bool failed{};
};

tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t size)
{
    auto* s = static_cast<MemoryStream*>(handle);
    if (size <= 0 || s->position >= s->bytes->size()) return 0;
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(size), s->bytes->size() - s->position);
    std::memcpy(buffer, s->bytes->data() + s->position, n);
    s->position += n;
    return static_cast<tmsize_t>(n);
}

tmsize_t WriteProc(thandle_t handle, void* buffer, tmsize_t size)
{
    auto* s = static_cast<MemoryStream*>(handle);
    if (size < 0) return -1;
    const std::size_t oldSize = s->bytes->size();
    const std::uint64_t end = s->position + static_cast<std::uint64_t>(size);
    try {
        if (end > oldSize) s->bytes->resize(static_cast<std::size_t>(end));
    } catch (const std::bad_alloc&) {
        s->failed = true;
        return -1;
    }
    if (s->position > oldSize) std::memset(s->bytes->data() + oldSize, 0, s->position - oldSize);
    if (size) std::memcpy(s->bytes->data() + s->position, buffer, static_cast<std::size_t>(size));
    s->position = end;
    return size;
}

toff_t SeekProc(thandle_t handle, toff_t offset, int whence)
{
    auto* s = static_cast<MemoryStream*>(handle);
    if (whence == SEEK_SET) s->position = offset;
    else if (whence == SEEK_CUR) s->position += offset; // wraps for negative steps
    else if (whence == SEEK_END) s->position = s->bytes->size() + offset;
    return s->position;
}

int CloseProc(thandle_t)
{
    return 0;
}

toff_t SizeProc(thandle_t handle)
{
    return static_cast<MemoryStream*>(handle)->bytes->size();
}

int MapProc(thandle_t, void**, toff_t*)
{
    return 0;
}

void UnmapProc(thandle_t, void*, toff_t) {}

float DpiOf(LONG pelsPerMeter)
{
    if (pelsPerMeter <= 0) return 96.0f;
    // A whole dpi value that reads back as the same pixels per metre is
    // friendlier to other programs than 72.009.
    const double dpi = pelsPerMeter * 0.0254;
    const double whole = std::round(dpi);
    if (whole > 0 && std::floor(whole * 39.37008 + 0.5) == static_cast<double>(pelsPerMeter))
        return static_cast<float>(whole);
    return static_cast<float>(dpi);
}

uint16_t ExtraSampleOf(int pixelFormat)
{
    if (pixelFormat == PixelFormat32bppARGB) return EXTRASAMPLE_UNASSALPHA;
    if (pixelFormat == PixelFormat32bppPARGB) return EXTRASAMPLE_ASSOCALPHA;
    return EXTRASAMPLE_UNSPECIFIED;
}

// No orientation tag: rows are written top row first, which is what a file
// without one means, and a tag here would override the photograph's own when
// its metadata is put back.
bool WriteFields(TIFF* tiff, const DibView& view, uint16_t compression, uint16_t samples)
{
    bool ok = TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(view.width)) &&
              TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(view.height)) &&
              TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8) && TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples) &&
              TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB) &&
              TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
              TIFFSetField(tiff, TIFFTAG_COMPRESSION, compression) &&
              TIFFSetField(tiff, TIFFTAG_XRESOLUTION, DpiOf(view.xPelsPerMeter)) &&
              TIFFSetField(tiff, TIFFTAG_YRESOLUTION, DpiOf(view.yPelsPerMeter)) &&
              TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH) &&
              TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff, 0));
    if (ok && samples == 4) {
        const uint16_t extra = ExtraSampleOf(view.pixelFormat);
        ok = TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, &extra);
    }
    // LZW finds few repeats in a photograph's raw samples (the file came out
    // larger than uncompressed); in the differences between neighbours it
    // finds many, as every TIFF reader knows to undo.
    if (ok && compression == COMPRESSION_LZW) ok = TIFFSetField(tiff, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    return ok;
}

bool WriteRows(TIFF* tiff, const DibView& view, uint16_t samples)
{
    std::vector<BYTE> line(static_cast<std::size_t>(view.width) * samples);
    for (LONG y = 0; y < view.height; ++y) {
        const BYTE* src = view.TopDownRow(y);
        BYTE* dst = line.data();
        for (LONG x = 0; x < view.width; ++x, src += samples, dst += samples) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
            if (samples == 4) dst[3] = src[3];
        }
        if (TIFFWriteScanline(tiff, line.data(), static_cast<uint32_t>(y), 0) < 0) return false;
        view.CountRows(1);
    }
    return true;
}

} // namespace

Status EncodeTiff(const DibView& view, LONG compression, PixelBuffer& out)
{
    uint16_t tiffCompression = 0;
    if (compression == EncoderValueCompressionNone) tiffCompression = COMPRESSION_NONE;
    else if (compression == EncoderValueCompressionLZW) tiffCompression = COMPRESSION_LZW;
    else return Status::InvalidParameter;

    out.clear();
    MemoryStream stream{&out, 0, false};
    TIFFOpenOptions* options = MakeOptions(SIZE_MAX / 2);
    TIFF* tiff = TIFFClientOpenExt("memory", "w", &stream, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                                   MapProc, UnmapProc, options);
    TIFFOpenOptionsFree(options);
    if (!tiff) return Status::GenericError;
    const uint16_t samples = PixelFormatBits(view.pixelFormat) == 24 ? 3 : 4;
    const bool written = WriteFields(tiff, view, tiffCompression, samples) && WriteRows(tiff, view, samples) &&
                         TIFFFlush(tiff) == 1;
    TIFFClose(tiff);
    if (stream.failed) return Status::OutOfMemory;
    return written ? Status::Ok : Status::GenericError;
}

} // namespace Carrow::FileIO

#include "io/JpegCodec.h"

// libjpeg reports fatal errors through a callback that must not return; the
// callbacks below leave by longjmp to the setjmp of the calling function. Those
// functions keep only trivially destructible locals, so nothing is skipped.
#include <algorithm>
#include <climits>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <optional>
#include <sys/stat.h>
#include <utility>

#include <jpeglib.h>
#include <jerror.h>

#include "io/FileReader.h"
#include "io/OrientedRowWriter.h"

namespace Carrow::FileIO {

namespace {

// Far above any real progressive file (typically 10 scans); stops files made
// of endless tiny scans from spinning the decoder.
constexpr int kMaxScans = 1000;
constexpr int kRowsPerCall = OrientedRowWriter::kMaxPendingRows;
constexpr std::size_t kOutputBufferBytes = 64 * 1024;

struct ErrorManager {
    jpeg_error_mgr pub{};
    std::jmp_buf jump{};
    bool outOfMemory{};
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (cinfo->err->msg_code == JERR_OUT_OF_MEMORY) err->outOfMemory = true;
    std::longjmp(err->jump, 1);
}

// Warnings that the compressed data is damaged or ends early. The decoder
// would go on and fill the rest of the picture with grey or garbage and
// report success; such a picture must not open as if it were whole.
bool IsDamageWarning(const jpeg_error_mgr& err)
{
    switch (err.msg_code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_MUST_RESYNC: return true;
    // Stray bytes before the end-of-image marker come after the last pixel.
    case JWRN_EXTRANEOUS_DATA: return err.msg_parm.i[1] != 0xD9;
    default: return false;
    }
}

void EmitMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0) return;
    if (IsDamageWarning(*cinfo->err)) ErrorExit(cinfo);
    cinfo->err->num_warnings++;
}

void OutputMessage(j_common_ptr) {}

void ProgressMonitor(j_common_ptr cinfo)
{
    if (!cinfo->is_decompressor) return;
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) ErrorExit(cinfo);
}

void InstallErrorManager(ErrorManager& err)
{
    jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.emit_message = EmitMessage;
    err.pub.output_message = OutputMessage;
}

int ClassifyComponents(int components)
{
    switch (components) {
    case 1: return PixelFormat8bppIndexed;
    case 3: return PixelFormat24bppRGB;
    case 4: return PixelFormat32bppCMYK;
    default: return PixelFormatUndefined;
    }
}

// Huffman coding spends at least one bit on every 8x8 block of every
// component; arithmetic coding can spend far less on flat areas, so only a
// file shorter than any real one is refused there.
constexpr std::uint64_t kArithmeticBlocksPerBit = 32768;

bool TooShortForBlocks(const jpeg_decompress_struct& cinfo, std::uint64_t fileBytes)
{
    std::uint64_t blocks = 0;
    for (int i = 0; i < cinfo.num_components; ++i)
        blocks += static_cast<std::uint64_t>(cinfo.comp_info[i].width_in_blocks) * cinfo.comp_info[i].height_in_blocks;
    const std::uint64_t bitsNeeded = cinfo.arith_code ? blocks / kArithmeticBlocksPerBit : blocks;
    return fileBytes * 8 < bitsNeeded;
}

std::uint64_t FileSizeOf(std::FILE* file)
{
    struct stat st {};
    return ::fstat(::fileno(file), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
}

double DensityToDpi(UINT8 unit, UINT16 density)
{
    if (density == 0) return 0;
    if (unit == 1) return density;
    if (unit == 2) return density * 2.54;
    return 0;
}

} // namespace

struct JpegDecoder::State {
    std::string path;
    std::size_t maxMemory{};
    std::FILE* file{};
    jpeg_decompress_struct cinfo{};
    ErrorManager err;
    jpeg_progress_mgr progress{};
    bool created{};
    // Lives here rather than on the stack of Decode, whose locals a longjmp
    // must not skip.
    std::optional<OrientedRowWriter> writer;

    ~State()
    {
        if (created) jpeg_destroy_decompress(&cinfo);
        if (file) std::fclose(file);
    }
};

JpegDecoder::JpegDecoder(std::string nativePath, std::size_t maxMemoryBytes) : m_state(std::make_unique<State>())
{
    m_state->path = std::move(nativePath);
    m_state->maxMemory = maxMemoryBytes;
}

JpegDecoder::~JpegDecoder() = default;

bool JpegDecoder::ReadHeader(ImageHeaderInfo& info)
{
    State& s = *m_state;
    s.file = FileReader::OpenStream(s.path);
    if (!s.file) return false;
    std::setvbuf(s.file, nullptr, _IOFBF, kOutputBufferBytes);
    s.cinfo.err = &s.err.pub;
    InstallErrorManager(s.err);
    if (setjmp(s.err.jump)) return false;
    jpeg_create_decompress(&s.cinfo);
    s.created = true;
    s.cinfo.mem->max_memory_to_use = static_cast<long>(std::min<std::size_t>(s.maxMemory, LONG_MAX));
    s.progress.progress_monitor = ProgressMonitor;
    s.cinfo.progress = &s.progress;
    jpeg_stdio_src(&s.cinfo, s.file);
    if (jpeg_read_header(&s.cinfo, TRUE) != JPEG_HEADER_OK) return false;

    info.rawFormat = ImageFormatJPEG;
    info.width = static_cast<LONG>(s.cinfo.image_width);
    info.height = static_cast<LONG>(s.cinfo.image_height);
    info.pixelFormat = s.cinfo.data_precision == 8 ? ClassifyComponents(s.cinfo.num_components) : PixelFormat48bppRGB;
    if (s.cinfo.saw_JFIF_marker) {
        info.dpiX = DensityToDpi(s.cinfo.density_unit, s.cinfo.X_density);
        info.dpiY = DensityToDpi(s.cinfo.density_unit, s.cinfo.Y_density);
    }
    info.truncated = TooShortForBlocks(s.cinfo, FileSizeOf(s.file));
    return true;
}

Status JpegDecoder::Decode(const DibTarget& target)
{
    State& s = *m_state;
    if (!s.created || target.pixelFormat != PixelFormat24bppRGB) return Status::InvalidParameter;
    if (setjmp(s.err.jump)) return s.err.outOfMemory ? Status::OutOfMemory : Status::GenericError;
    s.cinfo.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&s.cinfo);
    if (s.cinfo.output_width != static_cast<JDIMENSION>(target.StoredWidth()) ||
        s.cinfo.output_height != static_cast<JDIMENSION>(target.StoredHeight()) || s.cinfo.output_components != 3) {
        jpeg_abort_decompress(&s.cinfo);
        return Status::GenericError;
    }
    OrientedRowWriter& writer = s.writer.emplace(target);
    JSAMPROW rows[kRowsPerCall];
    while (s.cinfo.output_scanline < s.cinfo.output_height) {
        const JDIMENSION first = s.cinfo.output_scanline;
        const JDIMENSION count = std::min<JDIMENSION>(kRowsPerCall, s.cinfo.output_height - first);
        for (JDIMENSION i = 0; i < count; ++i) rows[i] = writer.Row(static_cast<LONG>(first + i));
        const JDIMENSION got = jpeg_read_scanlines(&s.cinfo, rows, count);
        if (got == 0) {
            jpeg_abort_decompress(&s.cinfo);
            return Status::GenericError;
        }
        for (JDIMENSION i = 0; i < got; ++i) writer.RowDone(static_cast<LONG>(first + i));
    }
    writer.Finish();
    // Every pixel is in; whatever follows the last scan does not matter.
    jpeg_abort_decompress(&s.cinfo);
    return Status::Ok;
}

namespace {

struct Destination {
    jpeg_destination_mgr pub{};
    ByteSink* sink{};
    bool failed{};
    JOCTET buffer[kOutputBufferBytes];
};

void InitDestination(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kOutputBufferBytes;
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
    if (!dest->sink->Write(dest->buffer, kOutputBufferBytes)) {
        dest->failed = true;
        ERREXIT(cinfo, JERR_FILE_WRITE);
    }
    InitDestination(cinfo);
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
    const std::size_t used = kOutputBufferBytes - dest->pub.free_in_buffer;
    if (used && !dest->sink->Write(dest->buffer, used)) {
        dest->failed = true;
        ERREXIT(cinfo, JERR_FILE_WRITE);
    }
}

struct EncodeContext {
    jpeg_compress_struct cinfo{};
    ErrorManager err;
    Destination dest;
};

UINT16 DpiOf(LONG pelsPerMeter)
{
    if (pelsPerMeter <= 0) return 96;
    return static_cast<UINT16>(std::clamp<long>(std::lround(pelsPerMeter * 0.0254), 1, 65535));
}

void SetUpCompressor(EncodeContext& c, const DibView& view, int quality)
{
    c.cinfo.image_width = static_cast<JDIMENSION>(view.width);
    c.cinfo.image_height = static_cast<JDIMENSION>(view.height);
    const bool packed = PixelFormatBits(view.pixelFormat) == 24;
    c.cinfo.input_components = packed ? 3 : 4;
    c.cinfo.in_color_space = packed ? JCS_EXT_BGR : JCS_EXT_BGRX;
    jpeg_set_defaults(&c.cinfo);
    jpeg_set_quality(&c.cinfo, quality, TRUE);
    c.cinfo.density_unit = 1;
    c.cinfo.X_density = DpiOf(view.xPelsPerMeter);
    c.cinfo.Y_density = DpiOf(view.yPelsPerMeter);
}

Status RunEncoder(EncodeContext& c, const DibView& view, int quality, const std::vector<JpegMarker>& markers)
{
    if (setjmp(c.err.jump)) {
        jpeg_destroy_compress(&c.cinfo);
        if (c.dest.failed) return Status::Win32Error;
        return c.err.outOfMemory ? Status::OutOfMemory : Status::GenericError;
    }
    jpeg_create_compress(&c.cinfo);
    c.cinfo.dest = &c.dest.pub;
    SetUpCompressor(c, view, quality);
    jpeg_start_compress(&c.cinfo, TRUE);
    for (const JpegMarker& marker : markers)
        jpeg_write_marker(&c.cinfo, marker.code, marker.payload.data(), static_cast<unsigned>(marker.payload.size()));
    JSAMPROW rows[kRowsPerCall];
    while (c.cinfo.next_scanline < c.cinfo.image_height) {
        const JDIMENSION first = c.cinfo.next_scanline;
        const JDIMENSION count = std::min<JDIMENSION>(kRowsPerCall, c.cinfo.image_height - first);
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = const_cast<JSAMPROW>(view.TopDownRow(static_cast<LONG>(first + i)));
        view.CountRows(static_cast<LONG>(jpeg_write_scanlines(&c.cinfo, rows, count)));
    }
    jpeg_finish_compress(&c.cinfo);
    jpeg_destroy_compress(&c.cinfo);
    return Status::Ok;
}

} // namespace

Status EncodeJpeg(const DibView& view, int quality, const std::vector<JpegMarker>& markers, ByteSink& sink)
{
    if (quality < 0 || quality > 100) return Status::InvalidParameter;
    if (view.width > JPEG_MAX_DIMENSION || view.height > JPEG_MAX_DIMENSION) return Status::ValueOverflow;
    auto context = std::make_unique<EncodeContext>();
    context->cinfo.err = &context->err.pub;
    InstallErrorManager(context->err);
    context->dest.sink = &sink;
    context->dest.pub.init_destination = InitDestination;
    context->dest.pub.empty_output_buffer = EmptyOutputBuffer;
    context->dest.pub.term_destination = TermDestination;
    return RunEncoder(*context, view, quality, markers);
}

} // namespace Carrow::FileIO

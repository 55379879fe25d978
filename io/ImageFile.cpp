#include "io/ImageFile.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <future>
#include <limits>
#include <new>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

#include "Tracewell/Log.h"
#include "io/AtomicFileWriter.h"
#include "io/EncoderCatalog.h"
#include "io/Exiv2Headers.h"
#include "io/IEncoderOptionsProvider.h"
#include "io/ImageDecoderFactory.h"
#include "io/ImageEncoder.h"
#include "io/ISaveProgress.h"
#include "io/ImageMetadata.h"
#include "platform/InvalidArgException.h"
#include "platform/TextConvert.h"

namespace Carrow::FileIO {

namespace {

const wchar_t kModule[] = L"Carrow";
const wchar_t kFromFile[] = L"FileIO::ImageFile::FromFile";
const wchar_t kToFile[] = L"FileIO::ImageFile::ToFile";
constexpr double kDefaultDpi = 96.0;
constexpr std::size_t kDefaultMaxImageBytes = 0x7FFFFFFF;
constexpr auto kProgressInterval = std::chrono::milliseconds(40);

std::atomic<std::size_t> g_maxImageBytes{kDefaultMaxImageBytes};

LONG PelsPerMeter(double dpi)
{
    if (!(dpi > 0) || !std::isfinite(dpi)) dpi = kDefaultDpi;
    constexpr LONG kLargest = std::numeric_limits<LONG>::max();
    const double value = dpi * 39.37008 + 0.5;
    return value >= static_cast<double>(kLargest) ? kLargest : static_cast<LONG>(value);
}

// Only a regular file can be read as an image; a FIFO would block and a
// device never end.
bool IsReadableFile(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), R_OK) == 0;
}

// Decoders write the pixels only; the bytes that pad each row to a multiple
// of 4 would otherwise keep whatever the memory held.
void ClearRowPadding(const DibTarget& target)
{
    const std::size_t used = static_cast<std::size_t>(target.width) * (PixelFormatBits(target.pixelFormat) / 8);
    if (used >= target.stride) return;
    for (LONG y = 0; y < target.height; ++y)
        std::memset(target.bits + static_cast<std::size_t>(y) * target.stride + used, 0, target.stride - used);
}

bool Contains(const std::vector<GUID>& guids, const GUID& wanted)
{
    return std::find(guids.begin(), guids.end(), wanted) != guids.end();
}

bool IsQuarterTurn(int orientation)
{
    return orientation >= 5;
}

// True when both paths name the same existing file (links followed).
bool SameFile(const std::string& a, const std::string& b)
{
    struct stat first {};
    struct stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

int PercentOf(LONG rows, LONG height)
{
    if (height <= 0) return 0;
    return static_cast<int>(std::min<std::int64_t>(100, std::int64_t{rows} * 100 / height));
}

} // namespace

struct ImageFile::SaveOptions {
    LONG nQuality{100};
    LONG nCompression{EncoderValueCompressionNone};
    BOOL bDropMetadata{TRUE};
    // Entries point at nQuality or nCompression of this object.
    std::vector<EncoderParameter> parameters;
};

struct ImageFile::SaveTarget {
    std::string nativePath; // the file system's bytes of `path`
    const wchar_t* path{};  // as the caller gave it, for the log
    GUID format{};
    GUID clsid{};           // the encoder
};

ImageFile::ImageFile() = default;

ImageFile::~ImageFile()
{
    Reset();
}

ImageFile::ImageFile(const ImageFile& other)
    : m_strFilePath(other.m_strFilePath),
      m_guidFormat(other.m_guidFormat),
      m_bmpInfo(other.m_bmpInfo),
      m_nPixelFormat(other.m_nPixelFormat),
      m_vecData(other.m_vecData),
      m_metadata(other.m_metadata.Clone())
{
}

ImageFile& ImageFile::operator=(const ImageFile& other)
{
    if (this == &other) return *this;
    ImageFile copy(other);
    std::swap(m_strFilePath, copy.m_strFilePath);
    std::swap(m_guidFormat, copy.m_guidFormat);
    std::swap(m_bmpInfo, copy.m_bmpInfo);
    std::swap(m_nPixelFormat, copy.m_nPixelFormat);
    m_vecData.swap(copy.m_vecData);
    std::swap(m_metadata, copy.m_metadata);
    return *this;
}

void ImageFile::SetMaxImageBytes(std::size_t bytes)
{
    g_maxImageBytes = bytes;
}

std::size_t ImageFile::GetMaxImageBytes()
{
    return g_maxImageBytes;
}

int ImageFile::FromFile(const wchar_t* path)
{
    if (!path) throw CInvalidArgException("ImageFile::FromFile: null path");
    const std::string nativePath = WideToFileName(path);
    if (!IsReadableFile(nativePath)) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kFromFile, L"File '%s' doesn't exit or is not readable.", path);
        return 0;
    }
    const GUID container = ImageDecoderFactory::SniffFormat(nativePath);
    std::unique_ptr<IImageDecoder> decoder = ImageDecoderFactory::Create(container, nativePath, GetMaxImageBytes());
    ImageHeaderInfo header;
    header.rawFormat = container;
    if (decoder ? !decoder->ReadHeader(header) : container == ImageFormatUndefined) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kFromFile, L"The format of file '%s' is not identified.", path);
        return -1;
    }
    if (!decoder || header.pixelFormat == PixelFormatUndefined ||
        !IsFormatSupported(header.rawFormat, header.pixelFormat)) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kFromFile, L"The format of file '%s' is not supported.", path);
        return -2;
    }
    Reset();
    const int checked = CheckDeclaredSize(header);
    if (checked != 1) return checked;
    // The metadata comes first: it gives the orientation in which the pixels
    // are decoded. Damaged pixels are still the failure reported first.
    PhotoMetadata metadata;
    const ImageMetadata::Result read = ReadMetadata(nativePath, header.rawFormat, metadata);
    const int orientation = read == ImageMetadata::Result::Ok ? ImageMetadata::TakeOrientation(metadata) : 1;
    const int pixels = ReadPixels(*decoder, header, orientation);
    if (pixels != 1) return pixels;
    if (read != ImageMetadata::Result::Ok) return MetadataFailure(read, path);
    StoreHeader(header, path, orientation, metadata);
    m_metadata = std::move(metadata);
    m_nPixelFormat = header.pixelFormat;
    return 1;
}

// Refuses, before anything is allocated or decoded, a picture too large for
// the memory limit and one whose file cannot hold what its header declares.
int ImageFile::CheckDeclaredSize(const ImageHeaderInfo& header)
{
    const std::size_t stride = DibStride(header.width, PixelFormatBits(header.pixelFormat));
    const std::uint64_t size = static_cast<std::uint64_t>(stride) * static_cast<std::uint64_t>(header.height);
    if (size > GetMaxImageBytes() || size > 0xFFFFFFFFu) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kFromFile, L"Not enough memory.");
        return -4;
    }
    if (header.truncated) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kFromFile, L"Failed to call Bitmap::LockBits, returned: %d.",
                 static_cast<int>(Status::GenericError));
        return -3;
    }
    return 1;
}

int ImageFile::ReadPixels(IImageDecoder& decoder, const ImageHeaderInfo& header, int orientation)
{
    const LONG width = IsQuarterTurn(orientation) ? header.height : header.width;
    const LONG height = IsQuarterTurn(orientation) ? header.width : header.height;
    const std::size_t stride = DibStride(width, PixelFormatBits(header.pixelFormat));
    const std::uint64_t size = static_cast<std::uint64_t>(stride) * static_cast<std::uint64_t>(height);
    bool allocated = size <= GetMaxImageBytes() && size <= 0xFFFFFFFFu;
    if (allocated) {
        try {
            // A buffer kept from a much larger image is given back first.
            if (m_vecData.capacity() > 2 * size) PixelBuffer().swap(m_vecData);
            m_vecData.resize(static_cast<std::size_t>(size));
        } catch (const std::bad_alloc&) {
            allocated = false;
        }
    }
    if (!allocated || m_vecData.size() != size) {
        Reset();
        WriteLog(LOG_LEVEL_ERROR, kModule, kFromFile, L"Not enough memory.");
        return -4;
    }
    const DibTarget target{m_vecData.data(), width, height, stride, header.pixelFormat, orientation};
    ClearRowPadding(target);
    Status status = Status::OutOfMemory;
    try {
        status = decoder.Decode(target);
    } catch (const std::bad_alloc&) {
        // reported below like any failed decode
    }
    if (status != Status::Ok) {
        Reset();
        WriteLog(LOG_LEVEL_ERROR, kModule, kFromFile, L"Failed to call Bitmap::LockBits, returned: %d.",
                 static_cast<int>(status));
        return -3;
    }
    return 1;
}

void ImageFile::StoreHeader(const ImageHeaderInfo& header, const wchar_t* path, int orientation,
                            const PhotoMetadata& metadata)
{
    m_guidFormat = header.rawFormat;
    m_strFilePath = path;
    double dpiX = header.dpiX;
    double dpiY = header.dpiY;
    // A camera JPEG often states its resolution only in the Exif data.
    if (header.rawFormat == ImageFormatJPEG && (dpiX <= 0 || dpiY <= 0)) {
        double exifX = 0, exifY = 0;
        ImageMetadata::ExifResolution(*metadata.exif, exifX, exifY);
        if (dpiX <= 0) dpiX = exifX;
        if (dpiY <= 0) dpiY = exifY;
    }
    const bool turned = IsQuarterTurn(orientation);
    BITMAPINFOHEADER& h = m_bmpInfo.bmiHeader;
    h.biBitCount = PixelFormatBits(header.pixelFormat);
    h.biWidth = turned ? header.height : header.width;
    h.biHeight = turned ? header.width : header.height;
    h.biSizeImage = static_cast<DWORD>(m_vecData.size());
    h.biXPelsPerMeter = PelsPerMeter(turned ? dpiY : dpiX);
    h.biYPelsPerMeter = PelsPerMeter(turned ? dpiX : dpiY);
}

ImageMetadata::Result ImageFile::ReadMetadata(const std::string& nativePath, const GUID& format,
                                             PhotoMetadata& metadata)
{
    const ImageMetadata::Result result = ImageMetadata::Read(nativePath, metadata);
    // Exiv2 reads no metadata from a BMP at all, and misses small ones among
    // its file types; an empty set is then the whole truth.
    if (result != ImageMetadata::Result::NoImage || format != ImageFormatBMP) return result;
    metadata = ImageMetadata::Empty();
    return ImageMetadata::Result::Ok;
}

int ImageFile::MetadataFailure(ImageMetadata::Result result, const wchar_t* path)
{
    Reset();
    if (result == ImageMetadata::Result::NoImage)
        WriteLog(LOG_LEVEL_ERROR, kModule, kFromFile, L"Source file '%s' is not a valid image file for Exiv2.", path);
    else
        WriteLog(LOG_LEVEL_ERROR, kModule, kFromFile, L"Exception occurred while reading metadata.");
    return -5;
}

int ImageFile::ToFile(const wchar_t* path, GUID format) const
{
    if (!path || !IsValid()) throw CInvalidArgException("ImageFile::ToFile: null path or nothing loaded");
    if (format == GUID_NULL) format = m_guidFormat;
    SaveTarget target{WideToFileName(path), path, format, GUID_NULL};
    if (!AtomicFileWriter::CanReplace(target.nativePath)) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kToFile, L"File '%s' doesn't exit or is not writable.", path);
        return -1;
    }
    if (!IsFormatSupported(format, 0)) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kToFile, L"Format not suppored.");
        return -2;
    }
    if (!GetEncoderClsidFromFormat(format, target.clsid)) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kToFile, L"Encoder not found.");
        return -3;
    }
    SaveOptions options;
    if (!AskSaveOptions(format, target.clsid, options)) return -5;
    return SaveWithProgress(target, options);
}

bool ImageFile::AskSaveOptions(const GUID& format, GUID& clsid, SaveOptions& options) const
{
    std::vector<GUID> supported;
    GetSupportedParameters(clsid, supported);
    const std::shared_ptr<IEncoderOptionsProvider> provider = GetEncoderOptionsProvider();
    // A PNG has no options to ask: it keeps the colour profile unless the
    // provider drops metadata without being asked.
    if (format == ImageFormatPNG) options.bDropMetadata = provider->DropsMetadataUnasked();
    const bool jpeg = format == ImageFormatJPEG;
    if (!jpeg && format != ImageFormatTIFF) return true;
    const EncoderOptions answer = provider->AskEncoderOptions(jpeg ? EncoderDialog::Jpeg : EncoderDialog::Tiff);
    if (!answer.bConfirmed) return false;
    options.nQuality = answer.nQuality;
    options.nCompression = answer.nCompression;
    options.bDropMetadata = answer.bDropMetadata;
    const GUID& parameter = jpeg ? EncoderQuality : EncoderCompression;
    if (Contains(supported, parameter)) {
        options.parameters.push_back(
            {parameter, 1, EncoderParameterValueTypeLong, jpeg ? &options.nQuality : &options.nCompression});
    }
    return true;
}

// With an observer installed, the file is encoded and written on a worker
// thread while this thread reports the progress; the worker only reads the
// rows and the metadata (and merges a TIFF encoder's values into the stored
// Exif set), and the future's result hands everything back.
int ImageFile::SaveWithProgress(const SaveTarget& target, const SaveOptions& options) const
{
    std::atomic<LONG> rowsDone{0};
    const std::shared_ptr<ISaveProgress> observer = GetSaveProgress();
    if (!observer) return EncodeAndWrite(target, options, &rowsDone);
    observer->OnSaveStarted();
    const auto start = std::chrono::steady_clock::now();
    std::future<int> result;
    try {
        result = std::async(std::launch::async, [&] { return EncodeAndWrite(target, options, &rowsDone); });
    } catch (const std::system_error&) {
        observer->OnSaveFinished();
        return EncodeAndWrite(target, options, &rowsDone); // no thread to be had: save without reports
    }
    while (result.wait_for(kProgressInterval) != std::future_status::ready) {
        using std::chrono::milliseconds;
        const auto elapsed = std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start);
        observer->OnSaveProgress(PercentOf(rowsDone.load(), m_bmpInfo.bmiHeader.biHeight),
                                 static_cast<unsigned>(elapsed.count()));
    }
    observer->OnSaveFinished();
    return result.get();
}

int ImageFile::EncodeAndWrite(const SaveTarget& target, const SaveOptions& options, std::atomic<LONG>* rowsDone) const
{
    const bool keepMetadata = !options.bDropMetadata;
    const bool ownFile = IsOwnFile(target.nativePath);
    if (keepMetadata)
        ImageMetadata::StatePixelSize(m_metadata, m_bmpInfo.bmiHeader.biWidth, std::abs(m_bmpInfo.bmiHeader.biHeight));
    EmbeddedMetadata embedded;
    bool metadataLost = keepMetadata && target.format == ImageFormatJPEG && !BuildJpegMarkers(embedded.jpegMarkers);
    if (keepMetadata && target.format == ImageFormatPNG) embedded.pngIccProfile = m_metadata.iccProfile;

    AtomicFileWriter writer(target.nativePath);
    Status status = metadataLost && ownFile ? Status::Aborted : Status::Ok;
    if (status == Status::Ok && !writer.Open()) status = Status::Win32Error;
    if (status == Status::Ok && keepMetadata && target.format == ImageFormatTIFF) {
        // The metadata goes into the complete TIFF in memory, so the file on
        // disk is only ever the finished result.
        MemoryByteSink memory;
        status = ImageEncoder::Encode(View(rowsDone), target.clsid, options.parameters, embedded, memory);
        if (status == Status::Ok) metadataLost = !PutMetadataIntoTiff(memory.Bytes(), target.path);
        if (status == Status::Ok && metadataLost && ownFile) status = Status::Aborted;
        if (status == Status::Ok && !writer.WriteBuffer(std::move(memory.Bytes()))) status = Status::Win32Error;
    } else if (status == Status::Ok) {
        status = ImageEncoder::Encode(View(rowsDone), target.clsid, options.parameters, embedded, writer);
    }
    if (status == Status::Ok && !writer.Commit()) status = Status::Win32Error;
    if (status == Status::Aborted) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kToFile, L"File '%s' was left as it was: its metadata could not be saved.",
                 target.path);
        return 0;
    }
    if (status != Status::Ok) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kToFile, L"Failed to call Image::Save. Retured: %d(Status).",
                 static_cast<int>(status));
        return 0;
    }
    return metadataLost ? -4 : 1;
}

bool ImageFile::BuildJpegMarkers(std::vector<JpegMarker>& markers) const
{
    std::vector<std::string> dropped;
    if (ImageMetadata::BuildJpegMarkers(m_metadata, markers, dropped) == ImageMetadata::Result::Ok) {
        for (const std::string& what : dropped)
            WriteLog(LOG_LEVEL_WARNING, kModule, kToFile, L"The Exif data was too large for a JPEG file; dropped %hs.",
                     what.c_str());
        return true;
    }
    markers.clear();
    WriteLog(LOG_LEVEL_ERROR, kModule, kToFile, L"Exception occurred while copying metadata.");
    return false;
}

bool ImageFile::PutMetadataIntoTiff(PixelBuffer& tiff, const wchar_t* path) const
{
    const ImageMetadata::Result result = ImageMetadata::WriteIntoTiff(tiff, m_metadata);
    if (result == ImageMetadata::Result::Ok) return true;
    if (result == ImageMetadata::Result::NoImage)
        WriteLog(LOG_LEVEL_ERROR, kModule, kToFile, L"File '%s' is not a valid image file for Exiv2.", path);
    else
        WriteLog(LOG_LEVEL_ERROR, kModule, kToFile, L"Exception occurred while copying metadata.");
    return false;
}

bool ImageFile::IsOwnFile(const std::string& nativePath) const
{
    return SameFile(nativePath, WideToFileName(m_strFilePath));
}

DibView ImageFile::View(std::atomic<LONG>* rowsDone) const
{
    const BITMAPINFOHEADER& h = m_bmpInfo.bmiHeader;
    const std::size_t stride = h.biHeight > 0 ? h.biSizeImage / static_cast<DWORD>(h.biHeight) : 0;
    const bool fits = static_cast<std::uint64_t>(stride) * static_cast<std::uint64_t>(std::max<LONG>(h.biHeight, 0)) <=
                      m_vecData.size();
    return DibView{fits ? m_vecData.data() : nullptr,
                   h.biWidth,
                   h.biHeight,
                   stride,
                   m_nPixelFormat,
                   h.biXPelsPerMeter,
                   h.biYPelsPerMeter,
                   rowsDone};
}

int ImageFile::UpdateData(const void* bits, const BITMAPINFO& info)
{
    const BITMAPINFOHEADER& h = info.bmiHeader;
    if (!IsValid() || !bits || h.biWidth <= 0 || h.biHeight <= 0 || h.biSizeImage == 0) return 0;
    // Rows of another depth or too short for the header would make the
    // encoder read past them.
    if (h.biBitCount != PixelFormatBits(m_nPixelFormat)) return 0;
    if (static_cast<std::uint64_t>(DibStride(h.biWidth, h.biBitCount)) * static_cast<std::uint64_t>(h.biHeight) >
        h.biSizeImage)
        return 0;
    const auto* src = static_cast<const BYTE*>(bits);
    try {
        if (src >= m_vecData.data() && src < m_vecData.data() + m_vecData.size()) {
            PixelBuffer copy(src, src + h.biSizeImage); // the caller handed our own rows back
            m_vecData.swap(copy);
        } else {
            m_vecData.resize(h.biSizeImage);
            std::memcpy(m_vecData.data(), src, h.biSizeImage);
        }
    } catch (const std::bad_alloc&) {
        return 0;
    }
    m_bmpInfo = info;
    return 1;
}

void* ImageFile::GetImageDataInfo(BITMAPINFO& info) const
{
    if (!IsValid()) return nullptr;
    info = m_bmpInfo;
    return const_cast<BYTE*>(m_vecData.data());
}

wchar_t* ImageFile::GetFilePath() const
{
    return IsValid() ? const_cast<wchar_t*>(m_strFilePath.c_str()) : nullptr;
}

GUID ImageFile::GetFileFormat() const
{
    return m_guidFormat;
}

void ImageFile::Reset()
{
    m_strFilePath.clear();
    m_guidFormat = GUID_NULL;
    m_bmpInfo = BITMAPINFO{};
    m_bmpInfo.bmiHeader.biSize = sizeof(BITMAPINFO);
    m_bmpInfo.bmiHeader.biPlanes = 1;
    m_nPixelFormat = 0;
    // The capacity stays for the next load of a similar image.
    m_vecData.clear();
    m_metadata.Reset();
}

int ImageFile::IsValid() const
{
    const BITMAPINFOHEADER& h = m_bmpInfo.bmiHeader;
    return !(m_guidFormat == GUID_NULL) && !m_strFilePath.empty() && h.biWidth > 0 && h.biHeight > 0 &&
           !m_vecData.empty() && m_metadata.exif && m_metadata.iptc;
}

int ImageFile::IsFormatSupported(const GUID& format, const int& pixelFormat) const
{
    if (!EncoderCatalog::MimeTypeOfFormat(format)) return 0;
    return pixelFormat == 0 || IsAcceptedPixelFormat(pixelFormat) ? 1 : 0;
}

void ImageFile::GetSupportedParameters(GUID& encoderClsid, std::vector<GUID>& parameters) const
{
    parameters = EncoderCatalog::SupportedParameters(encoderClsid);
}

} // namespace Carrow::FileIO

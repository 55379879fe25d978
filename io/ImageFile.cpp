#include "io/ImageFile.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <limits>
#include <cmath>
#include <cstring>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

#include "Tracewell/Log.h"
#include "io/AtomicFileWriter.h"
#include "io/EncoderCatalog.h"
#include "io/Exiv2Headers.h"
#include "io/IEncoderOptionsProvider.h"
#include "io/ImageDecoderFactory.h"
#include "io/ImageEncoder.h"
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

} // namespace

struct ImageFile::SaveOptions {
    LONG nQuality{100};
    LONG nCompression{EncoderValueCompressionNone};
    BOOL bDropMetadata{TRUE};
    // Entries point at nQuality or nCompression of this object.
    std::vector<EncoderParameter> parameters;
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
      m_pExifData(ImageMetadata::Clone(other.m_pExifData.get())),
      m_pIptcData(ImageMetadata::Clone(other.m_pIptcData.get()))
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
    m_pExifData.swap(copy.m_pExifData);
    m_pIptcData.swap(copy.m_pIptcData);
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
    const std::string utf8Path = WideToUtf8(path);
    if (!IsReadableFile(utf8Path)) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kFromFile, L"File '%s' doesn't exit or is not readable.", path);
        return 0;
    }
    const GUID container = ImageDecoderFactory::SniffFormat(utf8Path);
    std::unique_ptr<IImageDecoder> decoder = ImageDecoderFactory::Create(container, utf8Path, GetMaxImageBytes());
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
    const int pixels = ReadPixels(*decoder, header);
    decoder.reset();
    if (pixels != 1) return pixels;
    StoreHeader(header, path);
    return ReadMetadata(utf8Path, path, header);
}

int ImageFile::ReadPixels(IImageDecoder& decoder, const ImageHeaderInfo& header)
{
    const std::size_t stride = DibStride(header.width, PixelFormatBits(header.pixelFormat));
    const std::uint64_t size = static_cast<std::uint64_t>(stride) * static_cast<std::uint64_t>(header.height);
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
    const DibTarget target{m_vecData.data(), header.width, header.height, stride, header.pixelFormat};
    ClearRowPadding(target);
    const Status status = decoder.Decode(target);
    if (status != Status::Ok) {
        Reset();
        WriteLog(LOG_LEVEL_ERROR, kModule, kFromFile, L"Failed to call Bitmap::LockBits, returned: %d.",
                 static_cast<int>(status));
        return -3;
    }
    return 1;
}

void ImageFile::StoreHeader(const ImageHeaderInfo& header, const wchar_t* path)
{
    m_guidFormat = header.rawFormat;
    m_strFilePath = path;
    BITMAPINFOHEADER& h = m_bmpInfo.bmiHeader;
    h.biBitCount = PixelFormatBits(header.pixelFormat);
    h.biWidth = header.width;
    h.biHeight = header.height;
    h.biSizeImage = static_cast<DWORD>(m_vecData.size());
    h.biXPelsPerMeter = PelsPerMeter(header.dpiX);
    h.biYPelsPerMeter = PelsPerMeter(header.dpiY);
}

int ImageFile::ReadMetadata(const std::string& utf8Path, const wchar_t* path, const ImageHeaderInfo& header)
{
    std::unique_ptr<Exiv2::ExifData> exif;
    std::unique_ptr<Exiv2::IptcData> iptc;
    ImageMetadata::Result result = ImageMetadata::Read(utf8Path, exif, iptc);
    // Exiv2 reads no metadata from a BMP at all, and misses small ones among
    // its file types; an empty set is then the whole truth.
    if (result == ImageMetadata::Result::NoImage && header.rawFormat == ImageFormatBMP) {
        exif = ImageMetadata::EmptyExif();
        iptc = ImageMetadata::EmptyIptc();
        result = ImageMetadata::Result::Ok;
    }
    if (result != ImageMetadata::Result::Ok) {
        Reset();
        if (result == ImageMetadata::Result::NoImage)
            WriteLog(LOG_LEVEL_ERROR, kModule, kFromFile, L"Source file '%s' is not a valid image file for Exiv2.", path);
        else
            WriteLog(LOG_LEVEL_ERROR, kModule, kFromFile, L"Exception occurred while reading metadata.");
        return -5;
    }
    m_pExifData = std::move(exif);
    m_pIptcData = std::move(iptc);
    // A camera JPEG often states its resolution only in the Exif data.
    if (header.rawFormat == ImageFormatJPEG && (header.dpiX <= 0 || header.dpiY <= 0)) {
        double dpiX = 0, dpiY = 0;
        ImageMetadata::ExifResolution(*m_pExifData, dpiX, dpiY);
        if (header.dpiX <= 0) m_bmpInfo.bmiHeader.biXPelsPerMeter = PelsPerMeter(dpiX);
        if (header.dpiY <= 0) m_bmpInfo.bmiHeader.biYPelsPerMeter = PelsPerMeter(dpiY);
    }
    m_nPixelFormat = header.pixelFormat;
    return 1;
}

int ImageFile::ToFile(const wchar_t* path, GUID format) const
{
    if (!path || !IsValid()) throw CInvalidArgException("ImageFile::ToFile: null path or nothing loaded");
    if (format == GUID_NULL) format = m_guidFormat;
    const std::string utf8Path = WideToUtf8(path);
    if (!AtomicFileWriter::CanReplace(utf8Path)) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kToFile, L"File '%s' doesn't exit or is not writable.", path);
        return -1;
    }
    if (!IsFormatSupported(format, 0)) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kToFile, L"Format not suppored.");
        return -2;
    }
    GUID clsid{};
    if (!GetEncoderClsidFromFormat(format, clsid)) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kToFile, L"Encoder not found.");
        return -3;
    }
    SaveOptions options;
    if (!AskSaveOptions(format, clsid, options)) return -5;
    return EncodeAndWrite(utf8Path, path, format, clsid, options);
}

bool ImageFile::AskSaveOptions(const GUID& format, GUID& clsid, SaveOptions& options) const
{
    std::vector<GUID> supported;
    GetSupportedParameters(clsid, supported);
    const bool jpeg = format == ImageFormatJPEG;
    if (!jpeg && format != ImageFormatTIFF) return true;
    const EncoderOptions answer =
        GetEncoderOptionsProvider()->AskEncoderOptions(jpeg ? EncoderDialog::Jpeg : EncoderDialog::Tiff);
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

int ImageFile::EncodeAndWrite(const std::string& utf8Path, const wchar_t* path, const GUID& format,
                              const GUID& clsid, const SaveOptions& options) const
{
    const bool keepMetadata = !options.bDropMetadata && (format == ImageFormatJPEG || format == ImageFormatTIFF);
    std::vector<JpegMarker> markers;
    bool metadataLost = keepMetadata && format == ImageFormatJPEG && !BuildJpegMarkers(markers, path);

    AtomicFileWriter writer(utf8Path);
    Status status = writer.Open() ? Status::Ok : Status::Win32Error;
    if (status == Status::Ok && keepMetadata && format == ImageFormatTIFF) {
        // The metadata goes into the complete TIFF in memory, so the file on
        // disk is only ever the finished result.
        MemoryByteSink memory;
        status = ImageEncoder::Encode(View(), clsid, options.parameters, markers, memory);
        if (status == Status::Ok) {
            metadataLost = !PutMetadataIntoTiff(memory.Bytes(), path);
            if (!writer.WriteBuffer(std::move(memory.Bytes()))) status = Status::Win32Error;
        }
    } else if (status == Status::Ok) {
        status = ImageEncoder::Encode(View(), clsid, options.parameters, markers, writer);
    }
    if (status == Status::Ok && !writer.Commit()) status = Status::Win32Error;
    if (status != Status::Ok) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kToFile, L"Failed to call Image::Save. Retured: %d(Status).",
                 static_cast<int>(status));
        return 0;
    }
    return metadataLost ? -4 : 1;
}

bool ImageFile::BuildJpegMarkers(std::vector<JpegMarker>& markers, const wchar_t*) const
{
    if (ImageMetadata::BuildJpegMarkers(*m_pExifData, *m_pIptcData, markers) == ImageMetadata::Result::Ok) return true;
    markers.clear();
    WriteLog(LOG_LEVEL_ERROR, kModule, kToFile, L"Exception occurred while copying metadata.");
    return false;
}

bool ImageFile::PutMetadataIntoTiff(PixelBuffer& tiff, const wchar_t* path) const
{
    const ImageMetadata::Result result = ImageMetadata::WriteIntoTiff(tiff, *m_pExifData, *m_pIptcData);
    if (result == ImageMetadata::Result::Ok) return true;
    if (result == ImageMetadata::Result::NoImage)
        WriteLog(LOG_LEVEL_ERROR, kModule, kToFile, L"File '%s' is not a valid image file for Exiv2.", path);
    else
        WriteLog(LOG_LEVEL_ERROR, kModule, kToFile, L"Exception occurred while copying metadata.");
    return false;
}

DibView ImageFile::View() const
{
    const BITMAPINFOHEADER& h = m_bmpInfo.bmiHeader;
    const std::size_t stride = h.biHeight > 0 ? h.biSizeImage / static_cast<DWORD>(h.biHeight) : 0;
    const bool fits = static_cast<std::uint64_t>(stride) * static_cast<std::uint64_t>(std::max<LONG>(h.biHeight, 0)) <=
                      m_vecData.size();
    return DibView{fits ? m_vecData.data() : nullptr, h.biWidth,         h.biHeight,       stride,
                   m_nPixelFormat,                   h.biXPelsPerMeter, h.biYPelsPerMeter};
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
    m_pExifData.reset();
    m_pIptcData.reset();
}

int ImageFile::IsValid() const
{
    const BITMAPINFOHEADER& h = m_bmpInfo.bmiHeader;
    return !(m_guidFormat == GUID_NULL) && !m_strFilePath.empty() && h.biWidth > 0 && h.biHeight > 0 &&
           !m_vecData.empty() && m_pExifData && m_pIptcData;
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

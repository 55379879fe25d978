#include "io/ImageMetadata.h"

// Exiv2 0.27 hands images and I/O objects out as std::auto_ptr.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

#include <algorithm>
#include <cstring>

#include "Tracewell/Log.h"
#include "io/Exiv2Headers.h"

namespace Carrow::FileIO {

namespace {

constexpr std::size_t kMaxExifPayload = 65527;     // 65533 less the "Exif\0\0" header
constexpr long kMaxPhotoshopChunk = 0xFFFF - 16;   // 65533 less "Photoshop 3.0\0"
const char kExifHeader[] = "Exif\0\0";
const char kPhotoshopHeader[] = "Photoshop 3.0";   // with its terminating zero: 14 bytes

void EraseThumbnailGroup(Exiv2::ExifData& exif)
{
    for (auto it = exif.begin(); it != exif.end();) {
        if (it->groupName() == "Thumbnail") {
            it = exif.erase(it);
        } else {
            ++it;
        }
    }
}

JpegMarker MakeMarker(int code, const char* header, std::size_t headerSize, const Exiv2::byte* data, std::size_t size)
{
    JpegMarker marker;
    marker.code = code;
    marker.payload.reserve(headerSize + size);
    marker.payload.insert(marker.payload.end(), header, header + headerSize);
    marker.payload.insert(marker.payload.end(), data, data + size);
    return marker;
}

// Splits the IPTC resource block the way Exiv2 itself writes it.
void AppendPhotoshopMarkers(const Exiv2::DataBuf& block, std::vector<JpegMarker>& markers)
{
    const Exiv2::byte* start = block.pData_;
    const Exiv2::byte* end = start + block.size_;
    while (start < end) {
        long chunk = static_cast<long>(end - start);
        if (chunk > kMaxPhotoshopChunk) {
            chunk = kMaxPhotoshopChunk;
            const long written = static_cast<long>(start - block.pData_);
            if (Exiv2::Photoshop::valid(block.pData_, written + chunk)) chunk -= 8;
        }
        markers.push_back(MakeMarker(0xED, kPhotoshopHeader, sizeof kPhotoshopHeader, start, static_cast<std::size_t>(chunk)));
        start += chunk;
    }
}

void LogExiv2Message(int, const char* message)
{
    WriteLog(LOG_LEVEL_WARNING, L"Carrow", L"Exiv2", L"%hs", message ? message : "");
}

} // namespace

ImageMetadata::Result ImageMetadata::Read(const std::string& utf8Path, std::unique_ptr<Exiv2::ExifData>& exif,
                                          std::unique_ptr<Exiv2::IptcData>& iptc)
{
    Exiv2::Image::AutoPtr image;
    try {
        Exiv2::BasicIo::AutoPtr io(new Exiv2::FileIo(utf8Path));
        image = Exiv2::ImageFactory::open(io);
    } catch (...) {
        return Result::NoImage;
    }
    if (!image.get()) return Result::NoImage;
    try {
        image->readMetadata();
        auto newExif = std::make_unique<Exiv2::ExifData>(image->exifData());
        EraseThumbnailGroup(*newExif);
        auto newIptc = std::make_unique<Exiv2::IptcData>(image->iptcData());
        exif = std::move(newExif);
        iptc = std::move(newIptc);
    } catch (...) {
        return Result::Exception;
    }
    return Result::Ok;
}

ImageMetadata::Result ImageMetadata::BuildJpegMarkers(const Exiv2::ExifData& exif, const Exiv2::IptcData& iptc,
                                                      std::vector<JpegMarker>& markers)
{
    try {
        std::vector<JpegMarker> built;
        if (!exif.empty()) {
            Exiv2::Blob blob;
            Exiv2::ExifParser::encode(blob, nullptr, 0, Exiv2::littleEndian, exif);
            if (blob.size() > kMaxExifPayload) return Result::Exception;
            if (!blob.empty()) built.push_back(MakeMarker(0xE1, kExifHeader, 6, blob.data(), blob.size()));
        }
        if (!iptc.empty()) AppendPhotoshopMarkers(Exiv2::Photoshop::setIptcIrb(nullptr, 0, iptc), built);
        markers = std::move(built);
    } catch (...) {
        return Result::Exception;
    }
    return Result::Ok;
}

ImageMetadata::Result ImageMetadata::WriteIntoTiff(PixelBuffer& tiff, Exiv2::ExifData& stored,
                                                   const Exiv2::IptcData& iptc)
{
    Exiv2::Image::AutoPtr image;
    try {
        image = Exiv2::ImageFactory::open(tiff.data(), static_cast<long>(tiff.size()));
    } catch (...) {
        return Result::NoImage;
    }
    if (!image.get()) return Result::NoImage;
    try {
        image->readMetadata();
        for (const Exiv2::Exifdatum& datum : image->exifData()) stored[datum.key()].setValue(&datum.value());
        image->setExifData(stored);
        image->setIptcData(iptc);
        image->writeMetadata();
        Exiv2::BasicIo& io = image->io();
        const long size = io.size();
        const Exiv2::byte* data = io.mmap();
        PixelBuffer written(data, data + size);
        io.munmap();
        tiff.swap(written);
    } catch (...) {
        return Result::Exception;
    }
    return Result::Ok;
}

void ImageMetadata::ExifResolution(const Exiv2::ExifData& exif, double& dpiX, double& dpiY)
{
    dpiX = dpiY = 0;
    try {
        long unit = 2;
        const auto unitIt = exif.findKey(Exiv2::ExifKey("Exif.Image.ResolutionUnit"));
        if (unitIt != exif.end() && unitIt->count() > 0) unit = unitIt->toLong();
        const double scale = unit == 2 ? 1.0 : unit == 3 ? 2.54 : 0.0;
        const auto xIt = exif.findKey(Exiv2::ExifKey("Exif.Image.XResolution"));
        const auto yIt = exif.findKey(Exiv2::ExifKey("Exif.Image.YResolution"));
        if (xIt != exif.end() && xIt->count() > 0) dpiX = std::max(0.0, static_cast<double>(xIt->toFloat()) * scale);
        if (yIt != exif.end() && yIt->count() > 0) dpiY = std::max(0.0, static_cast<double>(yIt->toFloat()) * scale);
    } catch (...) {
        dpiX = dpiY = 0;
    }
}

std::unique_ptr<Exiv2::ExifData> ImageMetadata::EmptyExif()
{
    return std::make_unique<Exiv2::ExifData>();
}

std::unique_ptr<Exiv2::IptcData> ImageMetadata::EmptyIptc()
{
    return std::make_unique<Exiv2::IptcData>();
}

std::unique_ptr<Exiv2::ExifData> ImageMetadata::Clone(const Exiv2::ExifData* exif)
{
    return exif ? std::make_unique<Exiv2::ExifData>(*exif) : nullptr;
}

std::unique_ptr<Exiv2::IptcData> ImageMetadata::Clone(const Exiv2::IptcData* iptc)
{
    return iptc ? std::make_unique<Exiv2::IptcData>(*iptc) : nullptr;
}

void ImageMetadata::RouteExiv2Messages(bool toLog)
{
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::error);
    Exiv2::LogMsg::setHandler(toLog ? LogExiv2Message : Exiv2::LogMsg::defaultHandler);
}

} // namespace Carrow::FileIO

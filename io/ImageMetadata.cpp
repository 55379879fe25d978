#include "io/ImageMetadata.h"

// Exiv2 0.27 hands images and I/O objects out as std::auto_ptr.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

#include <algorithm>
#include <cstring>

#include "Tracewell/Log.h"
#include "io/Exiv2Headers.h"
#include "io/JpegExifFitter.h"

namespace Carrow::FileIO {

namespace {

constexpr long kMaxPhotoshopChunk = 0xFFFF - 16;   // 65533 less "Photoshop 3.0\0"
constexpr std::size_t kMaxMarkerPayload = 65533;
const char kExifHeader[] = "Exif\0\0";
const char kPhotoshopHeader[] = "Photoshop 3.0";   // with its terminating zero: 14 bytes
const char kXmpHeader[] = "http://ns.adobe.com/xap/1.0/"; // with its terminating zero: 29 bytes
const char kIccHeader[] = "ICC_PROFILE";                  // with its zero, then sequence number and count
constexpr std::size_t kIccChunkHeader = sizeof kIccHeader + 2;
constexpr std::size_t kMaxIccChunks = 255;
const char kOrientationKey[] = "Exif.Image.Orientation";
const char kXmpOrientationKey[] = "Xmp.tiff.Orientation";

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

// A TIFF carries its profile and XMP packet as IFD0 tags; they are kept
// apart so that they go where each format keeps them.
void EraseCarriedApart(Exiv2::ExifData& exif)
{
    for (const char* key : {"Exif.Image.InterColorProfile", "Exif.Image.XMLPacket"}) {
        const auto it = exif.findKey(Exiv2::ExifKey(key));
        if (it != exif.end()) exif.erase(it);
    }
}

JpegMarker MakeMarker(int code, const char* header, std::size_t headerSize, const BYTE* data, std::size_t size)
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

// The profile in numbered APP2 "ICC_PROFILE" chunks, the way JPEG files
// carry it. False when it is too large for 255 chunks.
bool AppendIccMarkers(const std::vector<BYTE>& profile, std::vector<JpegMarker>& markers)
{
    const std::size_t perChunk = kMaxMarkerPayload - kIccChunkHeader;
    const std::size_t chunks = (profile.size() + perChunk - 1) / perChunk;
    if (chunks > kMaxIccChunks) return false;
    for (std::size_t i = 0; i < chunks; ++i) {
        char header[kIccChunkHeader];
        std::memcpy(header, kIccHeader, sizeof kIccHeader);
        header[sizeof kIccHeader] = static_cast<char>(i + 1);
        header[sizeof kIccHeader + 1] = static_cast<char>(chunks);
        const std::size_t offset = i * perChunk;
        markers.push_back(MakeMarker(0xE2, header, sizeof header, profile.data() + offset,
                                     std::min(perChunk, profile.size() - offset)));
    }
    return true;
}

bool AppendXmpMarker(const std::string& packet, std::vector<JpegMarker>& markers)
{
    if (packet.size() > kMaxMarkerPayload - sizeof kXmpHeader) return false;
    markers.push_back(MakeMarker(0xE1, kXmpHeader, sizeof kXmpHeader, reinterpret_cast<const BYTE*>(packet.data()),
                                 packet.size()));
    return true;
}

bool IsOrientation(long value)
{
    return value >= 1 && value <= 8;
}

// The XMP packet's orientation (0 when it has none); sets it to 1 in the
// packet when it says otherwise.
int TakeXmpOrientation(std::string& packet)
{
    Exiv2::XmpData xmp;
    if (packet.empty() || Exiv2::XmpParser::decode(xmp, packet) != 0) return 0;
    const auto it = xmp.findKey(Exiv2::XmpKey(kXmpOrientationKey));
    if (it == xmp.end()) return 0;
    const long value = it->toLong();
    if (value == 1) return 1;
    it->setValue("1");
    std::string encoded;
    if (Exiv2::XmpParser::encode(encoded, xmp, Exiv2::XmpParser::useCompactFormat) == 0) packet.swap(encoded);
    return IsOrientation(value) ? static_cast<int>(value) : 1;
}

void LogExiv2Message(int, const char* message)
{
    WriteLog(LOG_LEVEL_WARNING, L"Carrow", L"Exiv2", L"%hs", message ? message : "");
}

} // namespace

PhotoMetadata::PhotoMetadata() = default;
PhotoMetadata::~PhotoMetadata() = default;
PhotoMetadata::PhotoMetadata(PhotoMetadata&&) noexcept = default;
PhotoMetadata& PhotoMetadata::operator=(PhotoMetadata&&) noexcept = default;

PhotoMetadata PhotoMetadata::Clone() const
{
    PhotoMetadata copy;
    if (exif) copy.exif = std::make_unique<Exiv2::ExifData>(*exif);
    if (iptc) copy.iptc = std::make_unique<Exiv2::IptcData>(*iptc);
    copy.xmpPacket = xmpPacket;
    copy.iccProfile = iccProfile;
    return copy;
}

void PhotoMetadata::Reset()
{
    exif.reset();
    iptc.reset();
    xmpPacket.clear();
    iccProfile.clear();
}

ImageMetadata::Result ImageMetadata::Read(const std::string& nativePath, PhotoMetadata& metadata)
{
    Exiv2::Image::AutoPtr image;
    try {
        Exiv2::BasicIo::AutoPtr io(new Exiv2::FileIo(nativePath));
        image = Exiv2::ImageFactory::open(io);
    } catch (...) {
        return Result::NoImage;
    }
    if (!image.get()) return Result::NoImage;
    try {
        image->readMetadata();
        PhotoMetadata read;
        read.exif = std::make_unique<Exiv2::ExifData>(image->exifData());
        EraseThumbnailGroup(*read.exif);
        EraseCarriedApart(*read.exif);
        read.iptc = std::make_unique<Exiv2::IptcData>(image->iptcData());
        read.xmpPacket = image->xmpPacket();
        if (image->iccProfileDefined()) {
            const Exiv2::DataBuf* profile = image->iccProfile();
            read.iccProfile.assign(profile->pData_, profile->pData_ + profile->size_);
        }
        metadata = std::move(read);
    } catch (...) {
        return Result::Exception;
    }
    return Result::Ok;
}

int ImageMetadata::TakeOrientation(PhotoMetadata& metadata)
{
    int orientation = 0;
    try {
        if (metadata.exif) {
            const auto it = metadata.exif->findKey(Exiv2::ExifKey(kOrientationKey));
            if (it != metadata.exif->end() && it->count() > 0) {
                const long value = it->toLong();
                orientation = IsOrientation(value) ? static_cast<int>(value) : 1;
                it->setValue("1");
            }
        }
        const int xmpOrientation = TakeXmpOrientation(metadata.xmpPacket);
        if (orientation == 0) orientation = xmpOrientation;
    } catch (...) {
        // A tag Exiv2 cannot convert counts as no orientation.
    }
    return IsOrientation(orientation) ? orientation : 1;
}

void ImageMetadata::StatePixelSize(PhotoMetadata& metadata, long width, long height)
{
    if (!metadata.exif) return;
    const std::pair<const char*, long> sizes[] = {{"Exif.Photo.PixelXDimension", width},
                                                  {"Exif.Photo.PixelYDimension", height}};
    for (const auto& [key, value] : sizes) {
        const auto it = metadata.exif->findKey(Exiv2::ExifKey(key));
        if (it == metadata.exif->end()) continue;
        // SHORT or LONG, as the photo had it, where the value still fits.
        if (it->typeId() == Exiv2::unsignedShort && value <= 0xFFFF)
            it->setValue(std::to_string(value));
        else
            *it = static_cast<uint32_t>(value);
    }
}

ImageMetadata::Result ImageMetadata::BuildJpegMarkers(const PhotoMetadata& metadata, std::vector<JpegMarker>& markers,
                                                      std::vector<std::string>& dropped)
{
    try {
        std::vector<JpegMarker> built;
        if (metadata.exif && !metadata.exif->empty()) {
            Exiv2::Blob blob;
            if (!JpegExifFitter::Fit(*metadata.exif, blob, dropped)) return Result::Exception;
            if (!blob.empty()) built.push_back(MakeMarker(0xE1, kExifHeader, 6, blob.data(), blob.size()));
        }
        if (!metadata.xmpPacket.empty() && !AppendXmpMarker(metadata.xmpPacket, built)) return Result::Exception;
        if (!AppendIccMarkers(metadata.iccProfile, built)) return Result::Exception;
        if (metadata.iptc && !metadata.iptc->empty())
            AppendPhotoshopMarkers(Exiv2::Photoshop::setIptcIrb(nullptr, 0, *metadata.iptc), built);
        markers = std::move(built);
    } catch (...) {
        return Result::Exception;
    }
    return Result::Ok;
}

ImageMetadata::Result ImageMetadata::WriteIntoTiff(PixelBuffer& tiff, PhotoMetadata& metadata)
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
        Exiv2::ExifData& stored = *metadata.exif;
        for (const Exiv2::Exifdatum& datum : image->exifData()) stored[datum.key()].setValue(&datum.value());
        image->setExifData(stored);
        image->setIptcData(*metadata.iptc);
        if (!metadata.xmpPacket.empty()) {
            image->setXmpPacket(metadata.xmpPacket);
            image->writeXmpFromPacket(true);
        }
        if (!metadata.iccProfile.empty()) {
            Exiv2::DataBuf profile(metadata.iccProfile.data(), static_cast<long>(metadata.iccProfile.size()));
            image->setIccProfile(profile, false);
        }
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

PhotoMetadata ImageMetadata::Empty()
{
    PhotoMetadata metadata;
    metadata.exif = std::make_unique<Exiv2::ExifData>();
    metadata.iptc = std::make_unique<Exiv2::IptcData>();
    return metadata;
}

void ImageMetadata::RouteExiv2Messages(bool toLog)
{
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::error);
    Exiv2::LogMsg::setHandler(toLog ? LogExiv2Message : Exiv2::LogMsg::defaultHandler);
}

} // namespace Carrow::FileIO

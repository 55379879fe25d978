#pragma once
// A photograph's metadata through Exiv2: reading it from a file, and putting
// it into a newly encoded JPEG or TIFF. Besides Exif and IPTC data it keeps
// the colour profile (ICC) and the XMP packet, which travel with them.

#include <memory>
#include <string>
#include <vector>

#include "io/DibImage.h"
#include "io/JpegCodec.h"

namespace Exiv2 {
class ExifData;
class IptcData;
} // namespace Exiv2

namespace Carrow::FileIO {

/// The metadata of one photograph as the library keeps it.
struct PhotoMetadata {
    /// Exif data without the "Thumbnail" group and without the tags that
    /// carry the profile and the XMP packet inside a TIFF (kept below).
    std::unique_ptr<Exiv2::ExifData> exif;
    std::unique_ptr<Exiv2::IptcData> iptc;
    std::string xmpPacket;        ///< the raw XMP packet; empty when none
    std::vector<BYTE> iccProfile; ///< the ICC colour profile; empty when none

    PhotoMetadata();
    ~PhotoMetadata();
    PhotoMetadata(PhotoMetadata&&) noexcept;
    PhotoMetadata& operator=(PhotoMetadata&&) noexcept;

    /// A deep copy.
    PhotoMetadata Clone() const;
    /// Empties everything; the Exif and IPTC sets become null.
    void Reset();
};

class ImageMetadata final {
public:
    enum class Result {
        Ok,
        NoImage,   ///< Exiv2 does not recognise (or cannot open) the file
        Exception, ///< reading, converting or writing failed, or it does not fit
    };

    /// Reads the metadata of the file at `nativePath` (the file system's
    /// bytes; opened as a plain file, never as a URL or standard input). On
    /// Ok `metadata` holds it all (Exif and IPTC sets present, maybe empty);
    /// otherwise it is left alone.
    static Result Read(const std::string& nativePath, PhotoMetadata& metadata);

    /// The orientation the metadata gives the stored picture (1 to 8): the
    /// Exif Orientation tag, else the XMP one, else 1. Both tags are then set
    /// to 1 (those present), since the pixels are turned upright when read and
    /// a saved file must not turn them again.
    static int TakeOrientation(PhotoMetadata& metadata);

    /// Sets the Exif image size (Exif.Photo.PixelXDimension/PixelYDimension)
    /// to the picture being saved, where the photo states one: after a turn,
    /// a crop or a resize the camera's figures would describe another picture.
    static void StatePixelSize(PhotoMetadata& metadata, long width, long height);

    /// The JPEG markers that carry the metadata: APP1 Exif (made to fit, see
    /// JpegExifFitter; `dropped` gains what was left out for that), APP1 XMP,
    /// APP2 ICC profile (split into chunks) and APP13 IPTC ("Photoshop 3.0",
    /// split when large); none for what is empty. Exception when something
    /// cannot be written at all (`markers` untouched).
    static Result BuildJpegMarkers(const PhotoMetadata& metadata, std::vector<JpegMarker>& markers,
                                   std::vector<std::string>& dropped);

    /// Puts the metadata into the TIFF file held in `tiff`: every Exif datum
    /// the encoder wrote is first set into `metadata.exif` (its value wins),
    /// then the file's Exif data becomes that set, with the IPTC data, the
    /// XMP packet and the colour profile. `tiff` is replaced by the new file
    /// only on Ok.
    static Result WriteIntoTiff(PixelBuffer& tiff, PhotoMetadata& metadata);

    /// Resolution stated by the Exif data (IFD0 XResolution/YResolution with
    /// their unit) in dots per inch; 0 where it states none.
    static void ExifResolution(const Exiv2::ExifData& exif, double& dpiX, double& dpiY);

    /// Empty metadata: empty Exif and IPTC sets, no XMP, no profile.
    static PhotoMetadata Empty();

    /// Sends Exiv2's own error messages to the log (level 2) instead of
    /// standard error, or puts Exiv2's default back.
    static void RouteExiv2Messages(bool toLog);
};

} // namespace Carrow::FileIO

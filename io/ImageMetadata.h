#pragma once
// A photograph's Exif and IPTC metadata through Exiv2: reading them from a
// file, and putting them into a newly encoded JPEG or TIFF.

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

class ImageMetadata final {
public:
    enum class Result {
        Ok,
        NoImage,   ///< Exiv2 does not recognise (or cannot open) the file
        Exception, ///< reading, converting or writing raised an exception
    };

    /// Reads the file's metadata: a copy of its Exif data without any datum
    /// of the group "Thumbnail", and a copy of its IPTC data. On Ok both
    /// pointers are set; otherwise they are left alone. `utf8Path` is opened
    /// as a plain file (never as a URL or standard input).
    static Result Read(const std::string& utf8Path, std::unique_ptr<Exiv2::ExifData>& exif,
                       std::unique_ptr<Exiv2::IptcData>& iptc);

    /// The JPEG markers that carry `exif` (APP1 "Exif") and `iptc` (APP13
    /// "Photoshop 3.0", split into several markers when large); none for an
    /// empty set. Exception when the Exif data cannot fit one marker.
    static Result BuildJpegMarkers(const Exiv2::ExifData& exif, const Exiv2::IptcData& iptc,
                                   std::vector<JpegMarker>& markers);

    /// Puts the metadata into the TIFF file held in `tiff`: every Exif datum
    /// the encoder wrote is first set into `stored` (its value wins), then the
    /// file's Exif data becomes `stored` and its IPTC data `iptc`. `tiff` is
    /// replaced by the new file only on Ok.
    static Result WriteIntoTiff(PixelBuffer& tiff, Exiv2::ExifData& stored, const Exiv2::IptcData& iptc);

    /// Resolution stated by the Exif data (IFD0 XResolution/YResolution with
    /// their unit) in dots per inch; 0 where it states none.
    static void ExifResolution(const Exiv2::ExifData& exif, double& dpiX, double& dpiY);

    /// Empty sets.
    static std::unique_ptr<Exiv2::ExifData> EmptyExif();
    static std::unique_ptr<Exiv2::IptcData> EmptyIptc();

    /// Deep copies; null for null.
    static std::unique_ptr<Exiv2::ExifData> Clone(const Exiv2::ExifData* exif);
    static std::unique_ptr<Exiv2::IptcData> Clone(const Exiv2::IptcData* iptc);

    /// Sends Exiv2's own error messages to the log (level 2) instead of
    /// standard error, or puts Exiv2's default back.
    static void RouteExiv2Messages(bool toLog);
};

} // namespace Carrow::FileIO

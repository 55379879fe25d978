#pragma once
// The photograph being edited, as read from and written to a file: its path,
// container format, bitmap header, pixel rows and metadata (Exif, IPTC, XMP
// and the colour profile).
//
// The picture is turned upright when it is read: the Exif/TIFF orientation is
// applied to the pixels in every format, the stored metadata then says
// Orientation 1, and no saved file carries a tag that turns it again.
//
// Pixel rows run bottom-up: the first row in memory is the bottom row of the
// picture. Each row is `biSizeImage / biHeight` bytes long (a multiple of 4
// after FromFile): 3 bytes blue, green, red per pixel for 24 bits, 4 bytes
// blue, green, red, alpha (or padding) for 32 bits.
//
// Result codes of FromFile:
//    1 loaded
//    0 the file does not exist or cannot be read (object unchanged)
//   -1 the file is not a decodable image (object unchanged)
//   -2 the container or pixel format is not accepted (object unchanged)
//   -3 the pixel data cannot be decoded: damaged, truncated, or far too short
//      for the size the header declares (object empty)
//   -4 not enough memory for the pixel rows (object empty)
//   -5 the metadata cannot be read (object empty)
// Result codes of ToFile (the object is never changed, except that the
// stored Exif set takes over the values a TIFF encoder wrote):
//    1 saved
//    0 the encoder failed or the file could not be written (also past the
//      file-size limit), or the metadata could not be put into the photo's own
//      file; the old file is intact
//   -1 the target exists and is not writable, or its folder does not take new files
//   -2 the requested format is not BMP, JPEG, PNG or TIFF
//   -3 no encoder for the format
//   -4 the image was saved to another file than the photo's own, but without
//      the old metadata (which could not be put in)
//   -5 the user cancelled the encoder options; nothing was written
// Every failure writes one log line (module "Carrow") except -5 of ToFile;
// metadata dropped to fit a JPEG adds warnings.
//
// Paths are wide strings that keep every byte of the file system's names
// (see FileNameToWide).
//
// FromFile and ToFile run on one thread at a time per object; ToFile may ask
// the encoder options provider, which may show a modal dialog, and encodes on
// a worker thread while it reports to the save progress observer (see
// ISaveProgress) when one is installed.

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "io/DibImage.h"
#include "io/ImageFormatIds.h"
#include "io/ImageMetadata.h"
#include "platform/WinTypes.h"

namespace Carrow::FileIO {

struct ImageHeaderInfo;
class IImageDecoder;

class ImageFile {
public:
    /// An empty object: no path, GUID_NULL format, all-zero header, no rows,
    /// no metadata.
    ImageFile();
    ~ImageFile();

    /// Copies path, format, header, pixel format, rows and the metadata
    /// (deep copies: the copies are independent).
    ImageFile(const ImageFile& other);
    ImageFile& operator=(const ImageFile& other);

    /// Loads the BMP, JPEG, PNG or TIFF file at `path` (wide, any name the
    /// file system takes): its first image as 24-bit RGB or 32-bit ARGB, PARGB
    /// or RGB rows turned upright as its orientation says, its Exif data
    /// without the thumbnail, its IPTC data, XMP packet and colour profile.
    /// The resolution fields are the file's dots per inch x 39.37008 (96 dpi
    /// when the file states none), swapped with a quarter turn. Returns a
    /// result code (see the top of this file). Throws CInvalidArgException
    /// for a null path.
    int FromFile(const wchar_t* path);

    /// Saves the rows to `path` as `format` (GUID_NULL: the format that was
    /// read). JPEG and TIFF ask the encoder options provider for quality or
    /// compression and whether to keep the metadata (Exif, IPTC, XMP and the
    /// colour profile); a PNG keeps only the colour profile, unless the
    /// provider drops metadata unasked; a BMP keeps none. The file is
    /// replaced only once the new one is complete, and the photo's own file
    /// only when its metadata went in too.
    /// Returns a result code (see the top of this file). Throws
    /// CInvalidArgException for a null path or an invalid object.
    int ToFile(const wchar_t* path, GUID format) const;

    /// Replaces header and rows with the caller's: copies the 44-byte `info`
    /// and `info.bmiHeader.biSizeImage` bytes from `bits` (bottom-up rows). The
    /// path, format, pixel format and metadata stay. Returns 1, or 0 when the
    /// object is not valid, `bits` is null, width or height is not positive,
    /// `biSizeImage` is 0, `biBitCount` differs from the pixel format's, or
    /// `biSizeImage` is too small for the padded rows.
    int UpdateData(const void* bits, const BITMAPINFO& info);

    /// When valid, copies the 44-byte header into `info` and returns the first
    /// byte of the rows (owned by the object; valid until the next FromFile,
    /// UpdateData, Reset or destruction). Otherwise null, `info` untouched.
    void* GetImageDataInfo(BITMAPINFO& info) const;

    /// The stored path when valid, else null. Owned by the object.
    wchar_t* GetFilePath() const;

    /// The stored container format (GUID_NULL when empty).
    GUID GetFileFormat() const;

    /// Empties the object: no path, GUID_NULL, header zero except biSize 44
    /// and biPlanes 1, pixel format 0, no rows, no metadata.
    void Reset();

    /// Non-zero when loaded: format and path set, positive size, rows and both
    /// metadata sets present.
    int IsValid() const;

    /// Largest pixel-row buffer FromFile accepts (bytes); a file whose header
    /// claims more fails with -4 before anything is decoded. Default 2 GiB - 1
    /// (about 700 megapixels at 24 bits). Process-wide; tools that read
    /// untrusted files may lower it. Any thread.
    static void SetMaxImageBytes(std::size_t bytes);
    static std::size_t GetMaxImageBytes();

protected:
    /// 1 when `format` is BMP, JPEG, PNG or TIFF and `pixelFormat` is 0 (not
    /// checked) or one of the four accepted pixel formats; else 0.
    int IsFormatSupported(const GUID& format, const int& pixelFormat) const;

    /// Fills `parameters` with the parameter GUIDs the encoder `encoderClsid`
    /// accepts (empty for GUID_NULL or an unknown encoder).
    void GetSupportedParameters(GUID& encoderClsid, std::vector<GUID>& parameters) const;

private:
    struct SaveOptions;

    struct SaveTarget;

    int CheckDeclaredSize(const ImageHeaderInfo& header);
    static ImageMetadata::Result ReadMetadata(const std::string& nativePath, const GUID& format,
                                              PhotoMetadata& metadata);
    int MetadataFailure(ImageMetadata::Result result, const wchar_t* path);
    int ReadPixels(IImageDecoder& decoder, const ImageHeaderInfo& header, int orientation);
    void StoreHeader(const ImageHeaderInfo& header, const wchar_t* path, int orientation,
                     const PhotoMetadata& metadata);
    bool AskSaveOptions(const GUID& format, GUID& clsid, SaveOptions& options) const;
    int SaveWithProgress(const SaveTarget& target, const SaveOptions& options) const;
    int EncodeAndWrite(const SaveTarget& target, const SaveOptions& options, std::atomic<LONG>* rowsDone) const;
    bool BuildJpegMarkers(std::vector<JpegMarker>& markers) const;
    bool PutMetadataIntoTiff(PixelBuffer& tiff, const wchar_t* path) const;
    bool IsOwnFile(const std::string& nativePath) const;
    DibView View(std::atomic<LONG>* rowsDone) const;

    std::wstring m_strFilePath;
    GUID m_guidFormat{};
    BITMAPINFO m_bmpInfo{};
    int m_nPixelFormat{};
    PixelBuffer m_vecData;
    // ToFile merges the values a TIFF encoder wrote into the stored Exif set.
    mutable PhotoMetadata m_metadata;
};

} // namespace Carrow::FileIO

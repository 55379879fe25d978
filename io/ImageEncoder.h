#pragma once
// Encoding of bottom-up rows by encoder class identifier, with the encoder's
// parameters, as ImageFile::ToFile and the clipboard's temporary bitmap file
// need it.

#include <vector>

#include "io/ByteSink.h"
#include "io/DibImage.h"
#include "io/ImageFormatIds.h"
#include "io/JpegCodec.h"

namespace Carrow::FileIO {

/// What an encoder puts into the new file beside the pixels.
struct EmbeddedMetadata {
    std::vector<JpegMarker> jpegMarkers; ///< JPEG: markers written after the JFIF header
    std::vector<BYTE> pngIccProfile;     ///< PNG: colour profile for an iCCP chunk (none when empty)
};

class ImageEncoder final {
public:
    /// Encodes `view` with the encoder `clsid` (see EncoderCatalog) into
    /// `sink`. Parameters: `EncoderQuality` for JPEG (one long, 0 to 100,
    /// default 75), `EncoderCompression` for TIFF (one long, 6 none or 2 LZW,
    /// default LZW); unknown parameters are ignored. `embedded` goes into a
    /// JPEG or PNG (see EmbeddedMetadata). InvalidParameter for a malformed
    /// view or parameter, UnknownImageFormat for an unknown encoder,
    /// Win32Error when the sink fails.
    static Status Encode(const DibView& view, const GUID& clsid, const std::vector<EncoderParameter>& parameters,
                         const EmbeddedMetadata& embedded, ByteSink& sink);

    /// True when `view` describes usable rows: bits set, positive size, one of
    /// the four accepted pixel formats, stride at least the padded row length.
    static bool IsValidView(const DibView& view);
};

/// Writes the bottom-up rows `bits` described by `info` (24 or 32 bits per
/// pixel, rows padded to 4 bytes, `biSizeImage` / `biHeight` bytes apart) to
/// `path` with the encoder `encoderClsid` and no parameters, replacing the
/// file only when the whole image was written. `pixelFormat` 0 means 24-bit
/// RGB or 32-bit RGB by `biBitCount`. Returns the Status as int (0 = Ok).
int SaveBitmapToFile(const void* bits, const BITMAPINFO& info, const wchar_t* path, const GUID& encoderClsid,
                     int pixelFormat = 0);

} // namespace Carrow::FileIO

#pragma once
// The image encoders the library has and how to find one: the format table
// (container format -> MIME type) and the encoder list (class identifier,
// MIME type, accepted parameters).

#include <vector>

#include "io/ImageFormatIds.h"

namespace Carrow::FileIO {

/// Description of one installed encoder.
struct ImageEncoderInfo {
    GUID Clsid;                    ///< the encoder's class identifier
    GUID FormatID;                 ///< the container format it writes
    const wchar_t* MimeType;       ///< e.g. L"image/jpeg"
    std::vector<GUID> Parameters;  ///< parameter GUIDs it accepts, in order
};

class EncoderCatalog final {
public:
    /// The installed encoders in lookup order (BMP, JPEG, TIFF, PNG; an
    /// encoder whose codec is missing at run time is left out). Any thread.
    static const std::vector<ImageEncoderInfo>& Encoders();

    /// MIME type of one of the four formats of the format table, checked in
    /// the order BMP, JPEG, PNG, TIFF; null for any other GUID.
    static const wchar_t* MimeTypeOfFormat(const GUID& format);

    /// The parameter GUIDs that the encoder `clsid` accepts; empty for
    /// GUID_NULL or an unknown encoder.
    static std::vector<GUID> SupportedParameters(const GUID& clsid);
};

/// Finds the class identifier of the encoder for `format` (one of the four
/// formats): the first encoder whose MIME type equals the format's exactly.
/// Returns 1 and fills `clsid`, or 0 after logging "Format not supported." or
/// "Encoder not found.". Any thread.
int GetEncoderClsidFromFormat(const GUID& format, GUID& clsid);

} // namespace Carrow::FileIO

#pragma once
// A decoder for one image file: first the header (size, pixel format,
// resolution) without touching the pixel data, then the pixels straight into
// the caller's bottom-up rows.

#include <cstddef>
#include <cstdint>

#include "io/DibImage.h"
#include "io/ImageFormatIds.h"

namespace Carrow::FileIO {

/// What a file's header says about its first image.
struct ImageHeaderInfo {
    GUID rawFormat{ImageFormatUndefined}; ///< container format
    int pixelFormat{PixelFormatUndefined}; ///< pixel format the image decodes to
    LONG width{};                          ///< pixels
    LONG height{};                         ///< pixels
    double dpiX{};                         ///< dots per inch; 0 when the file states none
    double dpiY{};
    /// The file is far too short to hold the pixels the header declares, even
    /// at the best compression its coding allows: damaged, or made to make a
    /// reader allocate and decode a huge picture for nothing.
    bool truncated{};
};

/// True when `fileBytes` cannot hold `pixelBytes` of pixel data that its
/// coding compresses at most `maxRatio` to 1.
constexpr bool TooShortFor(std::uint64_t fileBytes, std::uint64_t pixelBytes, std::uint64_t maxRatio)
{
    return fileBytes < pixelBytes / maxRatio;
}

class IImageDecoder {
public:
    virtual ~IImageDecoder() = default;

    /// Reads the header. False when the file is not a well-formed file of the
    /// decoder's format (nothing is identified then). Call once, first.
    virtual bool ReadHeader(ImageHeaderInfo& info) = 0;

    /// Decodes the pixels into `target`, whose stored size (StoredWidth,
    /// StoredHeight) and pixel format are the header's (one of the four
    /// accepted formats) and whose rows run bottom-up, applying the target's
    /// orientation. Not Ok when the pixel data is damaged or truncated (the
    /// rows are then partly written), or memory runs out.
    virtual Status Decode(const DibTarget& target) = 0;
};

} // namespace Carrow::FileIO

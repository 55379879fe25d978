#pragma once
// PNG files: the header (colour type, bit depth, transparency, resolution) is
// read here, the pixels go through Qt's PNG reader and writer.

#include <string>

#include "io/ByteSink.h"
#include "io/FileReader.h"
#include "io/IImageDecoder.h"

namespace Carrow::FileIO {

class PngDecoder final : public IImageDecoder {
public:
    /// A decoder for the file at `utf8Path`; Qt may allocate up to about
    /// twice `maxImageBytes` for its own copy of the image.
    PngDecoder(std::string utf8Path, std::size_t maxImageBytes);

    /// Classifies colour type and depth: 8-bit RGB as 24-bit RGB (32-bit ARGB
    /// with a transparency chunk), 8-bit RGBA as 32-bit ARGB; palette, grey
    /// and 16-bit images get formats the library refuses.
    bool ReadHeader(ImageHeaderInfo& info) override;

    Status Decode(const DibTarget& target) override;

private:
    void ScanChunks(ImageHeaderInfo& info, bool& hasTransparency) const;

    std::string m_path;
    std::size_t m_maxImageBytes;
    FileReader m_file;
};

/// Encodes `view` as PNG: 24-bit rows as 8-bit RGB, 32-bit ARGB and PARGB as
/// 8-bit RGBA (straight alpha), 32-bit RGB as 8-bit RGB; the resolution as a
/// pHYs chunk (96 dpi when unknown). No other chunks.
Status EncodePng(const DibView& view, ByteSink& sink);

} // namespace Carrow::FileIO

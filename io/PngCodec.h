#pragma once
// Reading PNG files: the header (colour type, bit depth, transparency,
// resolution) is read here, the pixels go through Qt's PNG reader. Writing is
// PngEncoder's.

#include <string>

#include "io/FileReader.h"
#include "io/IImageDecoder.h"

namespace Carrow::FileIO {

class PngDecoder final : public IImageDecoder {
public:
    /// A decoder for the file at `nativePath`; Qt may allocate up to about
    /// twice `maxImageBytes` for its own copy of the image.
    PngDecoder(std::string nativePath, std::size_t maxImageBytes);

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

} // namespace Carrow::FileIO

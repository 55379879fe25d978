#pragma once
// JPEG files through libjpeg-turbo: decoding straight into bottom-up BGR rows
// and encoding from them, without an intermediate copy of the image.

#include <memory>
#include <string>
#include <vector>

#include "io/ByteSink.h"
#include "io/IImageDecoder.h"

namespace Carrow::FileIO {

class JpegDecoder final : public IImageDecoder {
public:
    /// A decoder for the file at `nativePath`; libjpeg's own working memory
    /// (progressive coefficient buffers) is held below `maxMemoryBytes`.
    JpegDecoder(std::string nativePath, std::size_t maxMemoryBytes);
    ~JpegDecoder() override;

    /// Reads the markers up to the first scan. The pixel format is 24-bit RGB
    /// for three components, 8-bit indexed (grey) for one, CMYK for four; the
    /// resolution comes from the JFIF header (0 when it gives none). A file
    /// with fewer bits than the picture has 8x8 blocks is marked truncated.
    bool ReadHeader(ImageHeaderInfo& info) override;

    /// Decodes into 24-bit rows. It stops with a failure at the first sign of
    /// damage: data that ends before the last pixel (also when an end marker
    /// follows), a bad code or a lost restart marker (instead of filling the
    /// rest with grey).
    Status Decode(const DibTarget& target) override;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

/// One application marker to write after the JFIF header (APP1 Exif, APP13
/// IPTC...): `code` is the marker number (0xE1...), `payload` at most 65533
/// bytes.
struct JpegMarker {
    int code{};
    std::vector<BYTE> payload;
};

/// Encodes `view` (24-bit, or 32-bit with the fourth byte ignored) as a
/// baseline JFIF JPEG of quality `quality` (0 to 100) with 2x2 chroma
/// subsampling, the view's resolution in dots per inch (96 when unknown),
/// followed by `markers`. InvalidParameter for a quality out of range,
/// ValueOverflow for a side over 65500 pixels, Win32Error when the sink fails.
Status EncodeJpeg(const DibView& view, int quality, const std::vector<JpegMarker>& markers, ByteSink& sink);

} // namespace Carrow::FileIO

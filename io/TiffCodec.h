#pragma once
// TIFF files through libtiff: 8-bit RGB and RGBA images read exactly
// (associated and unassociated alpha kept as stored), written uncompressed or
// with LZW.

#include <cstdint>
#include <string>

#include "io/IImageDecoder.h"

typedef struct tiff TIFF;

namespace Carrow::FileIO {

class TiffDecoder final : public IImageDecoder {
public:
    /// A decoder for the first image of the file at `nativePath`; no single
    /// allocation of libtiff exceeds `maxMemoryBytes`.
    TiffDecoder(std::string nativePath, std::size_t maxMemoryBytes);
    ~TiffDecoder() override;

    /// Classifies the first image: 8-bit RGB (or YCbCr) with three samples as
    /// 24-bit RGB; with four as 32-bit ARGB (unassociated alpha), PARGB
    /// (associated alpha) or RGB (unspecified extra sample); grey, palette,
    /// CMYK, 16-bit and floating-point images get formats the library refuses.
    bool ReadHeader(ImageHeaderInfo& info) override;

    Status Decode(const DibTarget& target) override;

private:
    bool IsPlainRgb() const;
    Status DecodeScanlines(const DibTarget& target);
    Status DecodeThroughRgba(const DibTarget& target);
    bool ReadStoredRgba(uint32_t* raster, uint32_t width, uint32_t height);

    std::string m_path;
    std::size_t m_maxMemory;
    TIFF* m_tiff{};
    unsigned m_samples{};
    unsigned m_bits{};
    unsigned m_photometric{};
    unsigned m_planar{};
};

/// Encodes `view` as a one-image TIFF into `out` (replacing its contents):
/// 8-bit RGB for 24-bit rows, 8-bit RGBA for 32-bit rows with the extra
/// sample marked as unassociated alpha (ARGB), associated alpha (PARGB) or
/// unspecified (RGB); resolution in dots per inch (96 when unknown).
/// `compression` is an EncoderValue: 6 none or 2 LZW; any other value gives
/// InvalidParameter (the others are for bilevel images).
Status EncodeTiff(const DibView& view, LONG compression, PixelBuffer& out);

} // namespace Carrow::FileIO

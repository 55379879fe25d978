#pragma once
// Windows bitmap files: reading of the uncompressed 24- and 32-bit kinds the
// library accepts (and classification of all others so they can be refused),
// writing of uncompressed 24- and 32-bit files.

#include <cstdint>
#include <string>

#include "io/ByteSink.h"
#include "io/FileReader.h"
#include "io/IImageDecoder.h"

namespace Carrow::FileIO {

class BmpDecoder final : public IImageDecoder {
public:
    /// A decoder for the file at `nativePath` (opened by ReadHeader).
    explicit BmpDecoder(std::string nativePath);

    bool ReadHeader(ImageHeaderInfo& info) override;
    Status Decode(const DibTarget& target) override;

private:
    struct Layout {
        std::uint32_t headerSize{};
        std::uint32_t dataOffset{};
        std::uint32_t compression{};
        WORD bitCount{};
        bool topDown{};
        std::uint32_t masks[4]{}; // red, green, blue, alpha
    };

    bool ParseInfoHeader(const unsigned char* h, std::size_t got, ImageHeaderInfo& info);
    int Classify() const;
    bool HasStandardMasks() const;
    void ShuffleMaskedPixels(const DibTarget& target) const;

    std::string m_path;
    FileReader m_file;
    Layout m_layout;
};

/// Writes `view` as an uncompressed bottom-up BMP with a 40-byte header:
/// 24-bit rows as 24-bit, every 32-bit format as 32-bit with the fourth byte
/// as it is; resolution from the view (0 when unknown).
Status EncodeBmp(const DibView& view, ByteSink& sink);

} // namespace Carrow::FileIO

#pragma once
// Recognises a file's container format from its first bytes and makes the
// decoder for it.

#include <cstddef>
#include <memory>
#include <string>

#include "io/IImageDecoder.h"

namespace Carrow::FileIO {

class ImageDecoderFactory final {
public:
    /// The container format that the first bytes of the file at `nativePath`
    /// announce: BMP, JPEG, PNG, TIFF, GIF or Icon; ImageFormatUndefined for
    /// anything else or a file that cannot be read.
    static GUID SniffFormat(const std::string& nativePath);

    /// A decoder for `format` (BMP, JPEG, PNG or TIFF) reading `nativePath`,
    /// whose working memory stays within about `maxImageBytes`; null for any
    /// other format.
    static std::unique_ptr<IImageDecoder> Create(const GUID& format, const std::string& nativePath,
                                                 std::size_t maxImageBytes);
};

} // namespace Carrow::FileIO

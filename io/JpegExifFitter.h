#pragma once
// Exif data for a JPEG file, which holds it in one APP1 segment of at most
// 64 KiB. Data rebuilt from a camera's file can come out larger (a big maker
// note, private blocks of other programs, data a TIFF held); rather than
// losing all of it, what matters least is dropped in a fixed order until the
// rest fits: the thumbnail, then the maker note, then undocumented blocks
// (tags Exiv2 does not know, private data of other programs), largest first.
// Documented tags are never dropped.

#include <string>
#include <vector>

#include "io/Exiv2Headers.h"

namespace Carrow::FileIO {

class JpegExifFitter final {
public:
    /// Most bytes of Exif data an APP1 segment holds after its "Exif" header.
    static constexpr std::size_t kMaxPayload = 65527;

    /// Encodes `exif` into `blob` (little-endian TIFF structure), dropping
    /// what matters least until it fits kMaxPayload. `dropped` gains a line
    /// for each thing dropped (the group and its number of entries, or the
    /// key and its size). False, with `blob` empty, when the data does not
    /// fit even without all of those. Exiv2 errors pass through as
    /// exceptions. Any thread.
    static bool Fit(const Exiv2::ExifData& exif, Exiv2::Blob& blob, std::vector<std::string>& dropped);
};

} // namespace Carrow::FileIO

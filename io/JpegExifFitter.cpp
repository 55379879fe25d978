#include "io/JpegExifFitter.h"

#include <algorithm>

namespace Carrow::FileIO {

namespace {

// Once its output passes 64 KiB, Exiv2's encoder quietly leaves out every tag
// larger than this; such a result has lost data and does not count as fitting.
constexpr long kExiv2OmittedSize = 4096;
// An IFD entry of its own, besides the value stored elsewhere.
constexpr std::size_t kEntryBytes = 12;

std::size_t CostOf(const Exiv2::Exifdatum& datum)
{
    return kEntryBytes + static_cast<std::size_t>(std::max(0L, datum.size()));
}

// Encodes `exif` and returns the size the result has with every tag in it:
// the blob's size plus whatever Exiv2 left out.
std::size_t Encode(const Exiv2::ExifData& exif, Exiv2::Blob& blob)
{
    blob.clear();
    Exiv2::ExifParser::encode(blob, nullptr, 0, Exiv2::littleEndian, exif);
    std::size_t size = blob.size();
    const auto large = [](const Exiv2::Exifdatum& d) { return d.size() > kExiv2OmittedSize; };
    if (std::none_of(exif.begin(), exif.end(), large)) return size;
    Exiv2::ExifData back;
    Exiv2::ExifParser::decode(back, blob.data(), static_cast<uint32_t>(blob.size()));
    for (const Exiv2::Exifdatum& datum : exif) {
        if (large(datum) && back.findKey(Exiv2::ExifKey(datum.key())) == back.end()) size += CostOf(datum);
    }
    return size;
}

bool IsThumbnail(const Exiv2::Exifdatum& datum)
{
    return datum.groupName() == "Thumbnail";
}

bool IsMakerNote(const Exiv2::Exifdatum& datum)
{
    const std::string group = datum.groupName();
    return datum.key() == "Exif.Photo.MakerNote" || group == "MakerNote" || Exiv2::ExifTags::isMakerGroup(group);
}

bool IsUndocumentedBlock(const Exiv2::Exifdatum& datum)
{
    if (datum.size() <= 4) return false; // held in its entry: no block to drop
    const std::string name = datum.tagName();
    return name.rfind("0x", 0) == 0 || name == "PrintImageMatching" || name == "DNGPrivateData";
}

// Erases every datum `is` picks; notes "<what> (<n> entries)" when any.
template <class Predicate>
bool DropGroup(Exiv2::ExifData& exif, Predicate is, const char* what, std::vector<std::string>& dropped)
{
    std::size_t count = 0;
    for (auto it = exif.begin(); it != exif.end();) {
        if (is(*it)) {
            it = exif.erase(it);
            ++count;
        } else {
            ++it;
        }
    }
    if (count) dropped.push_back(std::string(what) + " (" + std::to_string(count) + " entries)");
    return count > 0;
}

Exiv2::ExifData::iterator LargestUndocumented(Exiv2::ExifData& exif)
{
    auto largest = exif.end();
    for (auto it = exif.begin(); it != exif.end(); ++it) {
        if (IsUndocumentedBlock(*it) && (largest == exif.end() || it->size() > largest->size())) largest = it;
    }
    return largest;
}

// Drops undocumented blocks, largest first, until `excess` bytes are gone.
bool DropUndocumented(Exiv2::ExifData& exif, std::size_t excess, std::vector<std::string>& dropped)
{
    std::size_t shed = 0;
    while (shed < excess) {
        const auto largest = LargestUndocumented(exif);
        if (largest == exif.end()) return false;
        shed += CostOf(*largest);
        dropped.push_back(largest->key() + " (" + std::to_string(largest->size()) + " bytes)");
        exif.erase(largest);
    }
    return true;
}

} // namespace

bool JpegExifFitter::Fit(const Exiv2::ExifData& exif, Exiv2::Blob& blob, std::vector<std::string>& dropped)
{
    Exiv2::ExifData work(exif);
    std::size_t size = Encode(work, blob);
    if (size > kMaxPayload && DropGroup(work, IsThumbnail, "the thumbnail", dropped)) size = Encode(work, blob);
    if (size > kMaxPayload && DropGroup(work, IsMakerNote, "the maker note", dropped)) size = Encode(work, blob);
    while (size > kMaxPayload) {
        if (!DropUndocumented(work, size - kMaxPayload, dropped)) {
            blob.clear();
            return false;
        }
        size = Encode(work, blob);
    }
    return true;
}

} // namespace Carrow::FileIO

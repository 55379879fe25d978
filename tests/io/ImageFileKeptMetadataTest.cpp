// Metadata that must survive a save: Exif data too large for a JPEG segment
// (what is dropped to fit, and the photo's own file never saved without it),
// the colour profile and the XMP packet, and the resolution a camera states
// in centimetres.

#include "IoTestSupport.h"
#include "io/ByteOrder.h"
#include "io/Exiv2Headers.h"
#include "io/FixedEncoderOptionsProvider.h"
#include "io/ImageFile.h"
#include "io/ScopedEncoderOptionsProvider.h"

#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

using namespace Carrow::FileIO;
using namespace IoTest;

namespace {

// One IFD entry of a hand-made Exif block; entries with the same `block`
// share one value in the file, as some cameras' files do, and Exiv2 writes
// each of them out in full.
struct Entry {
    std::uint16_t tag;
    std::uint16_t type; // 2 ASCII, 7 UNDEFINED
    int block;          // index into the value blocks
};

void Put16(std::string& s, std::size_t at, std::uint16_t v)
{
    WriteLE16(reinterpret_cast<unsigned char*>(&s[at]), v);
}

void Put32(std::string& s, std::size_t at, std::uint32_t v)
{
    WriteLE32(reinterpret_cast<unsigned char*>(&s[at]), v);
}

// An IFD at `at` with `entries`, their values from `blocks` placed after it;
// returns the end.
std::size_t WriteIfd(std::string& tiff, std::size_t at, const std::vector<Entry>& entries,
                     const std::vector<std::string>& blocks, std::uint32_t next = 0)
{
    const std::size_t valuesAt = at + 2 + entries.size() * 12 + 4;
    std::vector<std::size_t> offsets;
    std::size_t end = valuesAt;
    for (const std::string& block : blocks) {
        offsets.push_back(end);
        end += block.size() + (block.size() & 1);
    }
    tiff.resize(std::max(tiff.size(), end));
    Put16(tiff, at, static_cast<std::uint16_t>(entries.size()));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::size_t e = at + 2 + i * 12;
        Put16(tiff, e, entries[i].tag);
        Put16(tiff, e + 2, entries[i].type);
        const std::string& value = blocks[static_cast<std::size_t>(entries[i].block)];
        Put32(tiff, e + 4, static_cast<std::uint32_t>(value.size()));
        Put32(tiff, e + 8, static_cast<std::uint32_t>(offsets[static_cast<std::size_t>(entries[i].block)]));
    }
    Put32(tiff, at + 2 + entries.size() * 12, next);
    for (std::size_t b = 0; b < blocks.size(); ++b) tiff.replace(offsets[b], blocks[b].size(), blocks[b]);
    return end;
}

// Exif data: IFD0 with Make, Model and `ifd0`; with a maker note of
// `makerNoteBytes` in the Exif IFD when not 0.
std::string MakeExif(const std::vector<Entry>& ifd0, const std::vector<std::string>& blocks, std::size_t makerNoteBytes)
{
    std::vector<Entry> entries{{0x010F, 2, 0}, {0x0110, 2, 1}};
    std::vector<std::string> values{std::string("CorvaneCam\0", 11), std::string("X100\0", 5)};
    for (Entry e : ifd0) {
        e.block += 2;
        entries.push_back(e);
    }
    values.insert(values.end(), blocks.begin(), blocks.end());
    if (makerNoteBytes) {
        entries.push_back({0x8769, 4, static_cast<int>(values.size())}); // Exif IFD pointer, patched below
        values.push_back(std::string(4, '\0'));
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
    std::string tiff("II*\0\x08\0\0\0", 8);
    const std::size_t end = WriteIfd(tiff, 8, entries, values);
    if (!makerNoteBytes) return tiff;
    // The pointer is a LONG of count 1: its value sits in the entry itself.
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].tag != 0x8769) continue;
        Put32(tiff, 8 + 2 + i * 12 + 4, 1);
        Put32(tiff, 8 + 2 + i * 12 + 8, static_cast<std::uint32_t>(end));
    }
    std::string note(makerNoteBytes, '\0');
    for (std::size_t i = 0; i < note.size(); ++i) note[i] = static_cast<char>(i * 31 + 7);
    WriteIfd(tiff, end, {{0x927C, 7, 0}}, {note});
    return tiff;
}

// A JPEG of Qt's writer with `exif` in an APP1 segment after its SOI.
void WriteJpegWithExif(const fs::path& path, const std::string& exif)
{
    WriteWithQt(SmoothImage(32, 24), path, "jpeg", 90);
    std::string jpeg = ReadBytes(path);
    const std::size_t length = 2 + 6 + exif.size();
    ASSERT_LE(length, 0xFFFFu);
    std::string segment = "\xFF\xE1";
    segment += static_cast<char>(length >> 8);
    segment += static_cast<char>(length & 0xFF);
    segment += std::string("Exif\0\0", 6) + exif;
    WriteBytes(path, jpeg.insert(2, segment));
}

// `count` unknown tags (0xC000 on) sharing one block of `bytes`.
std::vector<Entry> SharedUnknown(int count)
{
    std::vector<Entry> entries;
    for (int i = 0; i < count; ++i) entries.push_back({static_cast<std::uint16_t>(0xC000 + i), 7, 0});
    return entries;
}

Exiv2::Image::AutoPtr ReadBack(const fs::path& path)
{
    auto image = Exiv2::ImageFactory::open(path.string());
    image->readMetadata();
    return image;
}

bool Has(Exiv2::Image& image, const char* key)
{
    return image.exifData().findKey(Exiv2::ExifKey(key)) != image.exifData().end();
}

ScopedEncoderOptionsProvider Keep(BOOL drop = FALSE)
{
    EncoderOptions options;
    options.nQuality = 90;
    options.nCompression = EncoderValueCompressionLZW;
    options.bDropMetadata = drop;
    return ScopedEncoderOptionsProvider(std::make_shared<FixedEncoderOptionsProvider>(options));
}

int SaveOver(const TempFolder& folder, const char* name, const char* target = nullptr)
{
    ImageFile file;
    if (file.FromFile(folder.Wide(name).c_str()) != 1) return 99;
    return file.ToFile(folder.Wide(target ? target : name).c_str(), GUID_NULL);
}

} // namespace

TEST(ImageFileExifFit, ExifJustOverASegmentLosesTheMakerNoteFirst)
{
    TempFolder folder;
    // 30 KB of maker note and 40 tags of 1 KB each: 70 KB once rebuilt.
    WriteJpegWithExif(folder.File("photo.jpg"), MakeExif(SharedUnknown(40), {std::string(1000, 'u')}, 30000));
    const auto scoped = Keep();
    const LogWatch log;
    ASSERT_EQ(SaveOver(folder, "photo.jpg"), 1);
    const auto saved = ReadBack(folder.File("photo.jpg"));
    EXPECT_FALSE(Has(*saved, "Exif.Photo.MakerNote"));
    EXPECT_TRUE(Has(*saved, "Exif.Image.0xc027")) << "the undocumented tags fit once the maker note is gone";
    EXPECT_EQ(saved->exifData()["Exif.Image.Make"].toString(), "CorvaneCam");
    EXPECT_TRUE(log.Contains("The Exif data was too large for a JPEG file; dropped the maker note (1 entries)."));
}

TEST(ImageFileExifFit, ExifWellOverASegmentLosesUndocumentedBlocksUntilItFits)
{
    TempFolder folder;
    // 30 KB of maker note and 150 tags of 1 KB each: 180 KB once rebuilt.
    WriteJpegWithExif(folder.File("photo.jpg"), MakeExif(SharedUnknown(150), {std::string(1000, 'u')}, 30000));
    const auto scoped = Keep();
    ASSERT_EQ(SaveOver(folder, "photo.jpg"), 1);
    const auto saved = ReadBack(folder.File("photo.jpg"));
    EXPECT_FALSE(Has(*saved, "Exif.Photo.MakerNote"));
    int unknownLeft = 0;
    for (const auto& datum : saved->exifData()) unknownLeft += datum.tagName().rfind("0x", 0) == 0;
    EXPECT_GT(unknownLeft, 40) << "only as many as needed are dropped";
    EXPECT_LT(unknownLeft, 66);
    EXPECT_EQ(saved->exifData()["Exif.Image.Model"].toString(), "X100");
}

TEST(ImageFileExifFit, ExifThatCannotFitLeavesThePhotosOwnFileUntouched)
{
    TempFolder folder;
    // Twelve documented texts of 6 KB each: 72 KB that may not be dropped.
    std::vector<Entry> texts;
    for (std::uint16_t tag : {0x010D, 0x010E, 0x011D, 0x0131, 0x013B, 0x013C, 0x0151, 0x8298, 0x800D, 0x9212,
                              0x9213, 0xC614})
        texts.push_back({tag, 2, 0});
    WriteJpegWithExif(folder.File("photo.jpg"), MakeExif(texts, {std::string(5999, 't') + '\0'}, 0));
    const std::string before = ReadBytes(folder.File("photo.jpg"));
    const auto scoped = Keep();
    const LogWatch log;
    EXPECT_EQ(SaveOver(folder, "photo.jpg"), 0);
    EXPECT_EQ(ReadBytes(folder.File("photo.jpg")), before);
    EXPECT_TRUE(log.Contains("photo.jpg' was left as it was: its metadata could not be saved."));
    EXPECT_EQ(SaveOver(folder, "photo.jpg", "copy.jpg"), -4) << "another file is written without the metadata";
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"copy.jpg", "photo.jpg"}));
}

TEST(ImageFileKeptMetadata, ColourProfileAndXmpTravelUnlessDropped)
{
    TempFolder folder;
    WriteWithQt(SmoothImage(32, 24), folder.File("adobe.jpg"), "jpeg", 90);
    // Not a real profile, only its size field right: the bytes are carried as they are.
    std::string profile(300, '\0');
    for (std::size_t i = 4; i < profile.size(); ++i) profile[i] = static_cast<char>(i * 13);
    WriteBE32(reinterpret_cast<unsigned char*>(profile.data()), 300);
    {
        auto image = ReadBack(folder.File("adobe.jpg"));
        Exiv2::DataBuf icc(reinterpret_cast<const Exiv2::byte*>(profile.data()), static_cast<long>(profile.size()));
        image->setIccProfile(icc, false);
        image->xmpData()["Xmp.dc.title"] = "Harbour at dawn";
        image->writeMetadata();
    }
    const auto profileOf = [](Exiv2::Image& image) {
        return image.iccProfileDefined() ? std::string(reinterpret_cast<const char*>(image.iccProfile()->pData_),
                                                       static_cast<std::size_t>(image.iccProfile()->size_))
                                         : std::string();
    };
    for (BOOL drop : {FALSE, TRUE}) {
        const auto scoped = Keep(drop);
        ImageFile file;
        ASSERT_EQ(file.FromFile(folder.Wide("adobe.jpg").c_str()), 1);
        for (const char* name : {"out.jpg", "out.tif", "out.png"}) {
            const GUID format = name[4] == 'j' ? ImageFormatJPEG : name[4] == 't' ? ImageFormatTIFF : ImageFormatPNG;
            ASSERT_EQ(file.ToFile(folder.Wide(name).c_str(), format), 1) << name;
            const auto saved = ReadBack(folder.File(name));
            EXPECT_EQ(profileOf(*saved), drop ? std::string() : profile) << name << " drop " << drop;
            if (format == ImageFormatPNG) continue; // PNG carries only the profile
            const auto title = saved->xmpData().findKey(Exiv2::XmpKey("Xmp.dc.title"));
            EXPECT_EQ(title != saved->xmpData().end(), !drop) << name << " drop " << drop;
        }
    }
}

TEST(ImageFileKeptMetadata, ACameraResolutionInCentimetresIsConvertedToInches)
{
    TempFolder folder;
    // A JPEG without JFIF density whose Exif says 100 pixels per centimetre.
    WriteJpegWithExif(folder.File("cm.jpg"), MakeExif({}, {}, 0));
    {
        auto image = ReadBack(folder.File("cm.jpg"));
        image->exifData()["Exif.Image.XResolution"] = Exiv2::URational(100, 1);
        image->exifData()["Exif.Image.YResolution"] = Exiv2::URational(50, 1);
        image->exifData()["Exif.Image.ResolutionUnit"] = static_cast<uint16_t>(3);
        image->writeMetadata();
    }
    std::string jpeg = ReadBytes(folder.File("cm.jpg"));
    const auto jfif = jpeg.find("JFIF");
    ASSERT_NE(jfif, std::string::npos);
    jpeg[jfif + 7] = 0; // density unit: none, so the Exif data decides
    WriteBytes(folder.File("cm.jpg"), jpeg);
    ImageFile file;
    ASSERT_EQ(file.FromFile(folder.Wide("cm.jpg").c_str()), 1);
    BITMAPINFO info{};
    file.GetImageDataInfo(info);
    EXPECT_EQ(info.bmiHeader.biXPelsPerMeter, 10000); // 254 dpi
    EXPECT_EQ(info.bmiHeader.biYPelsPerMeter, 5000);
}

// Exif and IPTC data through a load and a save, checked with the exiv2
// program as an independent reader.

#include "IoTestSupport.h"
#include "io/FixedEncoderOptionsProvider.h"
#include "io/ImageFile.h"
#include "io/ImageFormatIds.h"
#include "io/ScopedEncoderOptionsProvider.h"

using namespace Carrow::FileIO;
using namespace IoTest;

namespace {

using Metadata = std::map<std::string, std::vector<std::string>>;

// What the set-up writes into each source file.
const Metadata kWritten = {
    {"Exif.Image.Make", {"CorvaneCam"}},
    {"Exif.Image.Model", {"X100"}},
    {"Exif.Image.Artist", {"Ann Example"}},
    {"Exif.Image.Orientation", {"6"}},
    {"Exif.Photo.DateTimeOriginal", {"2021:05:06 07:08:09"}},
    {"Exif.Photo.ExposureTime", {"1/250"}},
    {"Iptc.Application2.Caption", {"A caption"}},
    {"Iptc.Application2.Keywords", {"one", "two"}},
    {"Iptc.Application2.City", {"Zürich"}},
};

// The orientation is applied to the pixels when a photo is opened, so a saved
// file says 1 where its source said otherwise.
Metadata AsSaved(Metadata metadata)
{
    const auto orientation = metadata.find("Exif.Image.Orientation");
    if (orientation != metadata.end()) orientation->second = {"1"};
    return metadata;
}

bool HasThumbnail(const Metadata& metadata)
{
    return std::any_of(metadata.begin(), metadata.end(),
                       [](const auto& entry) { return entry.first.rfind("Exif.Thumbnail.", 0) == 0; });
}

// Tags that describe the file's own layout; they differ between files and
// formats by nature.
bool IsLayoutTag(const std::string& key)
{
    static const char* const kLayout[] = {
        "Exif.Image.ImageWidth",   "Exif.Image.ImageLength",     "Exif.Image.BitsPerSample",
        "Exif.Image.Compression",  "Exif.Image.PhotometricInterpretation", "Exif.Image.StripOffsets",
        "Exif.Image.SamplesPerPixel", "Exif.Image.RowsPerStrip", "Exif.Image.StripByteCounts",
        "Exif.Image.PlanarConfiguration", "Exif.Image.XResolution", "Exif.Image.YResolution",
        "Exif.Image.ResolutionUnit", "Exif.Image.ExtraSamples", "Exif.Image.ExifTag",
        "Exif.Image.IPTCNAA",      "Exif.Image.FillOrder",       "Exif.Image.PageNumber",
        "Exif.Image.WhitePoint",   "Exif.Image.PrimaryChromaticities", "Exif.Image.Software",
        "Exif.Image.Predictor"};
    return std::any_of(std::begin(kLayout), std::end(kLayout), [&](const char* tag) { return key == tag; });
}

Metadata WithoutLayout(const Metadata& metadata)
{
    Metadata kept;
    for (const auto& [key, values] : metadata) {
        if (!IsLayoutTag(key) && key.rfind("Exif.Thumbnail.", 0) != 0) kept[key] = values;
    }
    return kept;
}

class ImageFileMetadata : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HaveExiv2Tool()) GTEST_SKIP() << "the exiv2 program is not installed";
        WriteWithQt(SmoothImage(64, 48), m_folder.File("source.jpg"), "jpeg", 90);
        WriteWithQt(SmoothImage(64, 48), m_folder.File("source.tif"), "tiff");
        WriteWithQt(SmoothImage(16, 12), m_folder.File("thumbnail.jpg"), "jpeg", 80);
        for (const char* name : {"source.jpg", "source.tif"}) AddMetadata(m_folder.File(name));
    }

    void AddMetadata(const fs::path& path)
    {
        std::string command = "exiv2 -q";
        for (const auto& [key, values] : kWritten) {
            for (const std::string& value : values) {
                const bool repeated = key == "Iptc.Application2.Keywords";
                command += " -M" + ShellQuote((repeated ? "add " : "set ") + key + " " + value);
            }
        }
        int status = -1;
        RunShell(command + " " + ShellQuote(path.string()) + " 2>&1", &status);
        ASSERT_EQ(status, 0);
        // The thumbnail comes from "<name>-thumb.jpg" beside the file.
        fs::copy_file(m_folder.File("thumbnail.jpg"), path.parent_path() / (path.stem().string() + "-thumb.jpg"),
                      fs::copy_options::overwrite_existing);
        RunShell("exiv2 -q -it " + ShellQuote(path.string()) + " 2>&1", &status);
        ASSERT_EQ(status, 0);
        const Metadata written = ReadMetadataWithExiv2(path);
        ASSERT_TRUE(HasThumbnail(written)) << "set-up: " << path;
        for (const auto& [key, values] : kWritten) ASSERT_EQ(written.at(key), values) << "set-up: " << key;
    }

    int Save(const char* source, const char* target, GUID format, BOOL dropMetadata)
    {
        ImageFile file;
        if (file.FromFile(m_folder.Wide(source).c_str()) != 1) return 99;
        EncoderOptions options;
        options.nQuality = 90;
        options.nCompression = EncoderValueCompressionLZW;
        options.bDropMetadata = dropMetadata;
        const ScopedEncoderOptionsProvider scoped(std::make_shared<FixedEncoderOptionsProvider>(options));
        return file.ToFile(m_folder.Wide(target).c_str(), format);
    }

    TempFolder m_folder;
};

} // namespace

TEST_F(ImageFileMetadata, KeptMetadataComesBackWithoutTheThumbnail)
{
    struct Case {
        const char* source;
        const char* target;
        GUID format;
    };
    const Case cases[] = {{"source.jpg", "out.jpg", ImageFormatJPEG},
                          {"source.tif", "out.tif", ImageFormatTIFF},
                          {"source.jpg", "jpg-to.tif", ImageFormatTIFF},
                          {"source.tif", "tif-to.jpg", ImageFormatJPEG}};
    for (const Case& c : cases) {
        ASSERT_EQ(Save(c.source, c.target, c.format, FALSE), 1) << c.target;
        const Metadata source = ReadMetadataWithExiv2(m_folder.File(c.source));
        const Metadata saved = ReadMetadataWithExiv2(m_folder.File(c.target));
        EXPECT_FALSE(HasThumbnail(saved)) << c.target;
        for (const auto& [key, values] : AsSaved(kWritten)) {
            ASSERT_TRUE(saved.count(key)) << c.target << " lacks " << key;
            EXPECT_EQ(saved.at(key), values) << c.target << " " << key;
        }
        EXPECT_EQ(WithoutLayout(saved), WithoutLayout(AsSaved(source))) << c.target;
    }
}

TEST_F(ImageFileMetadata, SavingOverTheSourceKeepsItsMetadata)
{
    ASSERT_EQ(Save("source.jpg", "source.jpg", GUID_NULL, FALSE), 1);
    const Metadata saved = ReadMetadataWithExiv2(m_folder.File("source.jpg"));
    for (const auto& [key, values] : AsSaved(kWritten))
        EXPECT_EQ(saved.count(key) ? saved.at(key) : std::vector<std::string>{}, values) << key;
    EXPECT_FALSE(HasThumbnail(saved));
}

TEST_F(ImageFileMetadata, DroppedMetadataAndBmpPngCarryNone)
{
    ASSERT_EQ(Save("source.jpg", "drop.jpg", ImageFormatJPEG, TRUE), 1);
    ASSERT_EQ(Save("source.tif", "drop.tif", ImageFormatTIFF, TRUE), 1);
    // BMP and PNG never take the old metadata, whatever the options say.
    ASSERT_EQ(Save("source.jpg", "out.png", ImageFormatPNG, FALSE), 1);
    ASSERT_EQ(Save("source.tif", "out.bmp", ImageFormatBMP, FALSE), 1);
    for (const char* name : {"drop.jpg", "drop.tif", "out.png", "out.bmp"}) {
        const Metadata saved = ReadMetadataWithExiv2(m_folder.File(name));
        EXPECT_FALSE(HasThumbnail(saved)) << name;
        for (const auto& [key, values] : kWritten) EXPECT_EQ(saved.count(key), 0u) << name << " has " << key;
        for (const auto& [key, values] : saved) EXPECT_TRUE(IsLayoutTag(key)) << name << " has " << key;
    }
}

TEST_F(ImageFileMetadata, MetadataTooLargeForJpegSavesTheImageWithoutIt)
{
    // A TIFF takes any amount of Exif text; a JPEG Exif segment holds 64 KiB
    // (Exiv2 drops single tags over 4 KiB to fit, so many smaller ones).
    static const char* const kTextTags[] = {
        "Exif.Image.ImageDescription", "Exif.Image.Software",        "Exif.Image.Copyright",
        "Exif.Image.DocumentName",     "Exif.Image.PageName",        "Exif.Image.HostComputer",
        "Exif.Image.TargetPrinter",    "Exif.Photo.ImageUniqueID",   "Exif.Photo.CameraOwnerName",
        "Exif.Photo.BodySerialNumber", "Exif.Photo.LensMake",        "Exif.Photo.LensModel",
        "Exif.Photo.LensSerialNumber", "Exif.Photo.SpectralSensitivity", "Exif.Photo.RelatedSoundFile",
        "Exif.Photo.SubSecTime",       "Exif.Photo.SubSecTimeOriginal", "Exif.Photo.SubSecTimeDigitized",
        "Exif.Photo.OffsetTime",       "Exif.Photo.OffsetTimeOriginal"};
    std::string commands;
    for (const char* tag : kTextTags) commands += std::string("set ") + tag + " Ascii " + std::string(3800, 'x') + "\n";
    WriteBytes(m_folder.File("commands.txt"), commands);
    int status = -1;
    RunShell("exiv2 -q -m " + ShellQuote(m_folder.File("commands.txt").string()) + " " +
                 ShellQuote(m_folder.File("source.tif").string()) + " 2>&1",
             &status);
    ASSERT_EQ(status, 0);
    const IoTest::LogWatch log;
    ASSERT_EQ(Save("source.tif", "big.jpg", ImageFormatJPEG, FALSE), -4);
    const auto lines = log.NewLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("Exception occurred while copying metadata."), std::string::npos) << lines[0];
    ImageFile saved;
    EXPECT_EQ(saved.FromFile(m_folder.Wide("big.jpg").c_str()), 1) << "a whole image, only the metadata is missing";
    const Metadata metadata = ReadMetadataWithExiv2(m_folder.File("big.jpg"));
    EXPECT_EQ(metadata.count("Exif.Image.Make"), 0u);
    EXPECT_EQ(metadata.count("Iptc.Application2.City"), 0u);
}

// Loading and saving pixels: layout of the loaded rows, exact round trips,
// row order, resolution and paths.

#include <QImageReader>
#include <cstring>

#include "IoTestSupport.h"
#include "io/FixedEncoderOptionsProvider.h"
#include "io/ImageFile.h"
#include "io/ImageFormatIds.h"
#include "io/ScopedEncoderOptionsProvider.h"
#include "platform/InvalidArgException.h"
#include "platform/TextConvert.h"

using namespace Carrow::FileIO;
using namespace IoTest;

namespace {

EncoderOptions Options(int quality, int compression, BOOL dropMetadata)
{
    EncoderOptions options;
    options.nQuality = quality;
    options.nCompression = compression;
    options.bDropMetadata = dropMetadata;
    return options;
}

ScopedEncoderOptionsProvider UseOptions(const EncoderOptions& options)
{
    return ScopedEncoderOptionsProvider(std::make_shared<FixedEncoderOptionsProvider>(options));
}

} // namespace

TEST(ImageFileLayout, Bmp24LoadsBottomUpWithPaddedRows)
{
    TempFolder folder;
    const QImage source = PatternImage(7, 5, QImage::Format_RGB888);
    WriteWithQt(source, folder.File("a.bmp"), "bmp");
    ImageFile file;
    ASSERT_EQ(file.FromFile(folder.Wide("a.bmp").c_str()), 1);

    BITMAPINFO info{};
    const std::vector<BYTE> rows = RowsOf(file, &info);
    const BITMAPINFOHEADER& h = info.bmiHeader;
    EXPECT_EQ(h.biSize, 44u);
    EXPECT_EQ(h.biWidth, 7);
    EXPECT_EQ(h.biHeight, 5);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biBitCount, 24);
    EXPECT_EQ(h.biCompression, 0u);
    EXPECT_EQ(h.biSizeImage, 5u * 24u); // 7 x 3 = 21 bytes, padded to 24
    EXPECT_EQ(h.biClrUsed, 0u);
    // The first row in memory is the bottom row of the picture.
    const QRgb bottomLeft = source.pixel(0, 4);
    EXPECT_EQ(rows[0], qBlue(bottomLeft));
    EXPECT_EQ(rows[1], qGreen(bottomLeft));
    EXPECT_EQ(rows[2], qRed(bottomLeft));
    EXPECT_EQ(MaxPixelDifference(file, source, false), 0);
    EXPECT_EQ(file.GetFileFormat(), ImageFormatBMP);
    EXPECT_EQ(std::wstring(file.GetFilePath()), folder.Wide("a.bmp"));
}

TEST(ImageFileLayout, FilesOfOtherWritersLoadWithTheirPixels)
{
    TempFolder folder;
    const QImage alpha = PatternImage(9, 6, QImage::Format_ARGB32);
    WriteWithQt(alpha, folder.File("alpha.png"), "png");
    const QImage rgb = PatternImage(9, 6, QImage::Format_RGB888);
    WriteWithQt(rgb, folder.File("rgb.tif"), "tiff");
    const QImage smooth = SmoothImage(40, 30);
    WriteWithQt(smooth, folder.File("smooth.jpg"), "jpeg", 100);

    ImageFile file;
    ASSERT_EQ(file.FromFile(folder.Wide("alpha.png").c_str()), 1);
    EXPECT_EQ(RowsOf(file).size(), 6u * 36u);
    EXPECT_EQ(MaxPixelDifference(file, alpha, true), 0) << "alpha bytes kept";
    ASSERT_EQ(file.FromFile(folder.Wide("rgb.tif").c_str()), 1);
    EXPECT_EQ(file.GetFileFormat(), ImageFormatTIFF);
    EXPECT_EQ(MaxPixelDifference(file, rgb, false), 0);
    ASSERT_EQ(file.FromFile(folder.Wide("smooth.jpg").c_str()), 1);
    EXPECT_EQ(file.GetFileFormat(), ImageFormatJPEG);
    EXPECT_LE(MaxPixelDifference(file, smooth, false), 8);
}

struct RoundTripCase {
    const char* name;
    GUID format;
    int compression;
    QImage::Format sourceFormat;
};

class ImageFileRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(ImageFileRoundTrip, PixelBytesSurviveSaveAndReload)
{
    const RoundTripCase& c = GetParam();
    TempFolder folder;
    WriteWithQt(PatternImage(13, 11, c.sourceFormat), folder.File("source.png"), "png");
    ImageFile source;
    ASSERT_EQ(source.FromFile(folder.Wide("source.png").c_str()), 1);
    BITMAPINFO before{};
    const std::vector<BYTE> rows = RowsOf(source, &before);

    const auto options = UseOptions(Options(100, c.compression, TRUE));
    ASSERT_EQ(source.ToFile(folder.Wide("copy").c_str(), c.format), 1);
    ImageFile copy;
    ASSERT_EQ(copy.FromFile(folder.Wide("copy").c_str()), 1);
    BITMAPINFO after{};
    EXPECT_EQ(RowsOf(copy, &after), rows);
    EXPECT_EQ(copy.GetFileFormat(), c.format);
    EXPECT_EQ(std::memcmp(&before.bmiHeader, &after.bmiHeader, sizeof(BITMAPINFOHEADER)), 0);
}

INSTANTIATE_TEST_SUITE_P(
    AllLosslessFormats, ImageFileRoundTrip,
    ::testing::Values(RoundTripCase{"Bmp24", ImageFormatBMP, 6, QImage::Format_RGB888},
                      RoundTripCase{"Bmp32", ImageFormatBMP, 6, QImage::Format_ARGB32},
                      RoundTripCase{"Png24", ImageFormatPNG, 6, QImage::Format_RGB888},
                      RoundTripCase{"Png32", ImageFormatPNG, 6, QImage::Format_ARGB32},
                      RoundTripCase{"Tiff24", ImageFormatTIFF, 6, QImage::Format_RGB888},
                      RoundTripCase{"Tiff32", ImageFormatTIFF, 6, QImage::Format_ARGB32},
                      RoundTripCase{"Tiff24Lzw", ImageFormatTIFF, 2, QImage::Format_RGB888},
                      RoundTripCase{"Tiff32Lzw", ImageFormatTIFF, 2, QImage::Format_ARGB32}),
    [](const ::testing::TestParamInfo<RoundTripCase>& info) { return std::string(info.param.name); });

TEST(ImageFileRoundTripJpeg, Quality100StaysCloseAndUpright)
{
    TempFolder folder;
    for (QImage::Format format : {QImage::Format_RGB888, QImage::Format_ARGB32}) {
        const QImage smooth = SmoothImage(64, 48).convertToFormat(format);
        WriteWithQt(smooth, folder.File("source.png"), "png");
        ImageFile source;
        ASSERT_EQ(source.FromFile(folder.Wide("source.png").c_str()), 1);
        const auto options = UseOptions(Options(100, 6, TRUE));
        ASSERT_EQ(source.ToFile(folder.Wide("copy.jpg").c_str(), ImageFormatJPEG), 1);
        ImageFile copy;
        ASSERT_EQ(copy.FromFile(folder.Wide("copy.jpg").c_str()), 1);
        EXPECT_LE(MaxPixelDifference(copy, smooth, false), 6) << "format " << format;
        // An independent decoder sees the same picture the right way up.
        const QImage decoded = QImageReader(QString::fromStdString(folder.File("copy.jpg").string())).read();
        ASSERT_FALSE(decoded.isNull());
        EXPECT_LE(MaxPixelDifference(source, decoded, false), 6);
    }
}

TEST(ImageFileRoundTrip, SavedRowsAreTheRightWayUpForOtherReaders)
{
    TempFolder folder;
    const QImage pattern = PatternImage(10, 7, QImage::Format_RGB888);
    WriteWithQt(pattern, folder.File("source.png"), "png");
    ImageFile file;
    ASSERT_EQ(file.FromFile(folder.Wide("source.png").c_str()), 1);
    const auto options = UseOptions(Options(100, 6, TRUE));
    for (const char* name : {"out.png", "out.bmp", "out.tif"}) {
        const GUID format = name[4] == 'p' ? ImageFormatPNG : name[4] == 'b' ? ImageFormatBMP : ImageFormatTIFF;
        ASSERT_EQ(file.ToFile(folder.Wide(name).c_str(), format), 1);
        const QImage decoded = QImageReader(QString::fromStdString(folder.File(name).string())).read();
        ASSERT_FALSE(decoded.isNull()) << name;
        EXPECT_EQ(MaxPixelDifference(file, decoded, false), 0) << name;
    }
}

TEST(ImageFileResolution, DotsPerInchBecomePixelsPerMetre)
{
    TempFolder folder;
    QImage image = SmoothImage(16, 12);
    image.setDotsPerMeterX(2835); // 72 dpi
    image.setDotsPerMeterY(11811); // 300 dpi
    WriteWithQt(image, folder.File("a.jpg"), "jpeg", 90);
    WriteWithQt(image, folder.File("a.png"), "png");
    WriteWithQt(image, folder.File("a.tif"), "tiff");
    const auto options = UseOptions(Options(90, 6, TRUE));
    for (const char* name : {"a.jpg", "a.png", "a.tif"}) {
        ImageFile file;
        ASSERT_EQ(file.FromFile(folder.Wide(name).c_str()), 1) << name;
        BITMAPINFO info{};
        file.GetImageDataInfo(info);
        EXPECT_EQ(info.bmiHeader.biXPelsPerMeter, 2835) << name;
        EXPECT_EQ(info.bmiHeader.biYPelsPerMeter, 11811) << name;
        // Saving keeps the resolution in every format.
        for (GUID format : {ImageFormatJPEG, ImageFormatPNG, ImageFormatTIFF, ImageFormatBMP}) {
            ASSERT_EQ(file.ToFile(folder.Wide("copy").c_str(), format), 1);
            ImageFile copy;
            ASSERT_EQ(copy.FromFile(folder.Wide("copy").c_str()), 1);
            BITMAPINFO copied{};
            copy.GetImageDataInfo(copied);
            EXPECT_EQ(copied.bmiHeader.biXPelsPerMeter, 2835) << name << " saved as format " << format.Data1;
            EXPECT_EQ(copied.bmiHeader.biYPelsPerMeter, 11811) << name;
        }
    }
}

TEST(ImageFileResolution, FileWithoutResolutionReads96Dpi)
{
    TempFolder folder;
    // A 24-bit BMP whose header leaves the resolution at zero.
    std::string bmp(54 + 2 * 12, '\0');
    const unsigned char header[54] = {'B', 'M', 54 + 24, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 3, 0, 0,
                                      0,   2,  0,       0, 0, 1, 0, 24, 0};
    std::memcpy(bmp.data(), header, sizeof header);
    WriteBytes(folder.File("a.bmp"), bmp);
    ImageFile file;
    ASSERT_EQ(file.FromFile(folder.Wide("a.bmp").c_str()), 1);
    BITMAPINFO info{};
    file.GetImageDataInfo(info);
    EXPECT_EQ(info.bmiHeader.biXPelsPerMeter, 3780);
    EXPECT_EQ(info.bmiHeader.biYPelsPerMeter, 3780);

    // An absurd resolution is clamped rather than overflowing.
    bmp[38] = '\xFE';
    bmp[39] = bmp[40] = '\xFF';
    bmp[41] = '\x7F';
    WriteBytes(folder.File("b.bmp"), bmp);
    ASSERT_EQ(file.FromFile(folder.Wide("b.bmp").c_str()), 1);
    file.GetImageDataInfo(info);
    EXPECT_GE(info.bmiHeader.biXPelsPerMeter, 0x7FFFFF00);
    EXPECT_EQ(info.bmiHeader.biYPelsPerMeter, 3780);
    const auto options = UseOptions(Options(90, 6, TRUE));
    for (GUID format : {ImageFormatJPEG, ImageFormatPNG, ImageFormatTIFF, ImageFormatBMP})
        EXPECT_EQ(file.ToFile(folder.Wide("b.out").c_str(), format), 1) << format.Data1;
}

TEST(ImageFilePaths, NonAsciiPathOpensAndSaves)
{
    TempFolder folder;
    const std::string name = "Fotoğraf çiçek 写真 ü.png";
    WriteWithQt(PatternImage(5, 4, QImage::Format_RGB888), folder.File(name), "png");
    ImageFile file;
    ASSERT_EQ(file.FromFile(folder.Wide(name).c_str()), 1);
    const auto options = UseOptions(Options(95, 6, FALSE));
    const std::string target = "Kopie – é 写真.jpg";
    ASSERT_EQ(file.ToFile(folder.Wide(target).c_str(), ImageFormatJPEG), 1);
    ImageFile copy;
    EXPECT_EQ(copy.FromFile(folder.Wide(target).c_str()), 1);
}

TEST(ImageFileFormats, NullFormatKeepsTheSourceFormatAndOtherGuidsConvert)
{
    TempFolder folder;
    WriteWithQt(SmoothImage(8, 8), folder.File("a.jpg"), "jpeg", 90);
    ImageFile file;
    ASSERT_EQ(file.FromFile(folder.Wide("a.jpg").c_str()), 1);
    const auto options = UseOptions(Options(90, 6, FALSE));
    ASSERT_EQ(file.ToFile(folder.Wide("same").c_str(), GUID_NULL), 1);
    EXPECT_EQ(ReadBytes(folder.File("same")).substr(0, 3), "\xFF\xD8\xFF");
    ASSERT_EQ(file.ToFile(folder.Wide("other").c_str(), ImageFormatPNG), 1);
    EXPECT_EQ(ReadBytes(folder.File("other")).substr(0, 4), "\x89PNG");
}

TEST(ImageFileObject, EmptyObjectRefusesAccess)
{
    ImageFile file;
    BITMAPINFO info{};
    info.bmiHeader.biWidth = 123;
    EXPECT_EQ(file.GetImageDataInfo(info), nullptr);
    EXPECT_EQ(info.bmiHeader.biWidth, 123) << "left alone";
    EXPECT_EQ(file.GetFilePath(), nullptr);
    EXPECT_EQ(file.IsValid(), 0);
    EXPECT_EQ(file.GetFileFormat(), GUID_NULL);
    const BYTE pixel[4] = {};
    BITMAPINFO one{};
    one.bmiHeader = {44, 1, 1, 1, 24, 0, 4, 0, 0, 0, 0};
    EXPECT_EQ(file.UpdateData(pixel, one), 0);
    EXPECT_THROW(file.ToFile(L"/tmp/x.png", ImageFormatPNG), CInvalidArgException);
    EXPECT_THROW(file.FromFile(nullptr), CInvalidArgException);
}

TEST(ImageFileObject, UpdateDataTakesRotatedRowsAndRefusesMismatchedOnes)
{
    TempFolder folder;
    WriteWithQt(PatternImage(5, 3, QImage::Format_RGB888), folder.File("a.png"), "png");
    ImageFile file;
    ASSERT_EQ(file.FromFile(folder.Wide("a.png").c_str()), 1);
    // A quarter turn: 3 x 5, rows of 12 bytes.
    const QImage turned = PatternImage(3, 5, QImage::Format_RGB888);
    std::vector<BYTE> rows(12 * 5);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 3; ++x) {
            const QRgb p = turned.pixel(x, 4 - y);
            rows[y * 12 + x * 3] = static_cast<BYTE>(qBlue(p));
            rows[y * 12 + x * 3 + 1] = static_cast<BYTE>(qGreen(p));
            rows[y * 12 + x * 3 + 2] = static_cast<BYTE>(qRed(p));
        }
    }
    BITMAPINFO info{};
    info.bmiHeader = {44, 3, 5, 1, 24, 0, 60, 2835, 2835, 0, 0};
    BITMAPINFO wrongDepth = info;
    wrongDepth.bmiHeader.biBitCount = 32;
    EXPECT_EQ(file.UpdateData(rows.data(), wrongDepth), 0);
    BITMAPINFO tooShort = info;
    tooShort.bmiHeader.biSizeImage = 59;
    EXPECT_EQ(file.UpdateData(rows.data(), tooShort), 0);
    ASSERT_EQ(file.UpdateData(rows.data(), info), 1);
    EXPECT_EQ(std::wstring(file.GetFilePath()), folder.Wide("a.png")) << "path stays";

    const auto options = UseOptions(Options(100, 6, TRUE));
    ASSERT_EQ(file.ToFile(folder.Wide("turned.png").c_str(), GUID_NULL), 1);
    const QImage decoded = QImageReader(QString::fromStdString(folder.File("turned.png").string())).read();
    EXPECT_EQ(decoded.size(), QSize(3, 5));
    EXPECT_EQ(MaxPixelDifference(file, decoded, false), 0);
    EXPECT_EQ(MaxPixelDifference(file, turned, false), 0);
}

TEST(ImageFileObject, CopiesAreIndependent)
{
    TempFolder folder;
    WriteWithQt(SmoothImage(6, 4), folder.File("a.jpg"), "jpeg", 90);
    auto original = std::make_unique<ImageFile>();
    ASSERT_EQ(original->FromFile(folder.Wide("a.jpg").c_str()), 1);
    ImageFile copy(*original);
    ImageFile assigned;
    assigned = *original;
    const std::vector<BYTE> rows = RowsOf(*original);
    std::vector<BYTE> black(rows.size(), 0);
    BITMAPINFO info{};
    original->GetImageDataInfo(info);
    ASSERT_EQ(original->UpdateData(black.data(), info), 1);
    EXPECT_EQ(RowsOf(copy), rows);
    EXPECT_EQ(RowsOf(assigned), rows);
    original.reset(); // the copies own their metadata sets
    const auto options = UseOptions(Options(90, 6, FALSE));
    EXPECT_EQ(copy.ToFile(folder.Wide("b.jpg").c_str(), GUID_NULL), 1);
    EXPECT_EQ(assigned.ToFile(folder.Wide("c.jpg").c_str(), GUID_NULL), 1);
}

TEST(ImageFileLayout, ATopDownBmpLoadsTheRightWayUp)
{
    TempFolder folder;
    const QImage source = PatternImage(5, 3, QImage::Format_RGB888);
    // 24 bits, height -3: the first row in the file is the top row.
    std::string bmp(54, '\0');
    const unsigned char header[30] = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0,
                                      5,   0,   0, 0, 0xFD, 0xFF, 0xFF, 0xFF, 1, 0, 24, 0};
    std::memcpy(bmp.data(), header, sizeof header);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            const QRgb p = source.pixel(x, y);
            bmp += {static_cast<char>(qBlue(p)), static_cast<char>(qGreen(p)), static_cast<char>(qRed(p))};
        }
        bmp += std::string(1, '\0'); // 15 bytes padded to 16
    }
    WriteBytes(folder.File("topdown.bmp"), bmp);
    ImageFile file;
    ASSERT_EQ(file.FromFile(folder.Wide("topdown.bmp").c_str()), 1);
    EXPECT_EQ(MaxPixelDifference(file, source, false), 0);
}

TEST(ImageFilePaths, NamesThatAreNotUtf8ReachTheFileSystemByteForByte)
{
    TempFolder folder;
    // "café" as an old camera or disk wrote it: a Latin-1 byte.
    const std::string source = folder.Path().string() + "/caf\xE9.png";
    const std::string target = folder.Path().string() + "/copie-caf\xE9.jpg";
    WriteWithQt(PatternImage(6, 4, QImage::Format_RGB888), folder.File("plain.png"), "png");
    fs::rename(folder.File("plain.png"), fs::path(source));
    ImageFile file;
    ASSERT_EQ(file.FromFile(FileNameToWide(source).c_str()), 1);
    EXPECT_EQ(WideToFileName(file.GetFilePath()), source);
    const auto scoped = UseOptions(Options(90, 6, FALSE));
    ASSERT_EQ(file.ToFile(FileNameToWide(target).c_str(), ImageFormatJPEG), 1);
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"caf\xE9.png", "copie-caf\xE9.jpg"}));
}

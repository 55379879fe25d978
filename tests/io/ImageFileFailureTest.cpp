// Files the library refuses or cannot read, targets it cannot write, and
// saves that fail or are cancelled: result codes, log lines, object state, and
// that no file is damaged.

#include <QImageWriter>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <tiffio.h>

#include "IoTestSupport.h"
#include "io/FixedEncoderOptionsProvider.h"
#include "io/IImageDecoder.h"
#include "io/ImageDecoderFactory.h"
#include "io/ImageEncoder.h"
#include "io/ImageFile.h"
#include "io/ImageFormatIds.h"
#include "io/ScopedEncoderOptionsProvider.h"

using namespace Carrow::FileIO;
using namespace IoTest;

namespace {

// A small valid TIFF written with libtiff itself.
void WriteTiff(const fs::path& path, int bits, int samples, int photometric, int extraSample)
{
    TIFF* tiff = TIFFOpen(path.string().c_str(), "w");
    ASSERT_NE(tiff, nullptr);
    const uint32_t width = 4, height = 3;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, photometric);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    if (extraSample >= 0) {
        const uint16_t extra = static_cast<uint16_t>(extraSample);
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, &extra);
    }
    std::vector<unsigned char> line(width * samples * bits / 8);
    for (uint32_t y = 0; y < height; ++y) {
        for (std::size_t i = 0; i < line.size(); ++i) line[i] = static_cast<unsigned char>(i * 17 + y * 40);
        TIFFWriteScanline(tiff, line.data(), y, 0);
    }
    TIFFClose(tiff);
}

// A minimal GIF: 1 x 1 pixel.
const char kGif[] = "GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff\x21\xf9\x04\x01\x00\x00\x00\x00"
                    "\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00\x3b";

int Load(const fs::path& path)
{
    ImageFile file;
    return file.FromFile(WidePath(path).c_str());
}

bool SetImmutable(const fs::path& path, bool on)
{
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
}

std::shared_ptr<FixedEncoderOptionsProvider> Provider(int quality, int compression, BOOL drop)
{
    EncoderOptions options;
    options.nQuality = quality;
    options.nCompression = compression;
    options.bDropMetadata = drop;
    return std::make_shared<FixedEncoderOptionsProvider>(options);
}

} // namespace

TEST(ImageFileRefusals, UnacceptedPixelFormatsAndContainersGiveMinus2)
{
    TempFolder folder;
    const QImage pattern = PatternImage(6, 4, QImage::Format_RGB888);
    WriteWithQt(pattern.convertToFormat(QImage::Format_Indexed8), folder.File("palette.png"), "png");
    WriteWithQt(pattern.convertToFormat(QImage::Format_RGBA64), folder.File("deep.png"), "png");
    WriteWithQt(pattern.convertToFormat(QImage::Format_Grayscale8), folder.File("grey.png"), "png");
    WriteWithQt(pattern.convertToFormat(QImage::Format_Grayscale8), folder.File("grey.jpg"), "jpeg");
    WriteWithQt(pattern.convertToFormat(QImage::Format_Mono), folder.File("mono.bmp"), "bmp");
    WriteWithQt(pattern.convertToFormat(QImage::Format_Indexed8), folder.File("palette.bmp"), "bmp");
    WriteTiff(folder.File("deep.tif"), 16, 3, PHOTOMETRIC_RGB, -1);
    WriteTiff(folder.File("grey.tif"), 8, 1, PHOTOMETRIC_MINISBLACK, -1);
    WriteTiff(folder.File("cmyk.tif"), 8, 4, PHOTOMETRIC_SEPARATED, -1);
    WriteBytes(folder.File("a.gif"), std::string(kGif, sizeof kGif - 1));

    const LogWatch log;
    const char* names[] = {"palette.png", "deep.png", "grey.png", "grey.jpg", "mono.bmp",
                           "palette.bmp", "deep.tif", "grey.tif", "cmyk.tif", "a.gif"};
    for (const char* name : names) EXPECT_EQ(Load(folder.File(name)), -2) << name;
    const auto lines = log.NewLines();
    ASSERT_EQ(lines.size(), std::size(names)) << "one log line per failure";
    EXPECT_NE(lines[0].find("FileIO::ImageFile::FromFile: The format of file '"), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("' is not supported."), std::string::npos) << lines[0];
}

TEST(ImageFileRefusals, TiffAlphaKindsAreKept)
{
    TempFolder folder;
    WriteTiff(folder.File("assoc.tif"), 8, 4, PHOTOMETRIC_RGB, EXTRASAMPLE_ASSOCALPHA);
    WriteTiff(folder.File("unassoc.tif"), 8, 4, PHOTOMETRIC_RGB, EXTRASAMPLE_UNASSALPHA);
    const auto scoped = ScopedEncoderOptionsProvider(Provider(100, 2, TRUE));
    for (const char* name : {"assoc.tif", "unassoc.tif"}) {
        ImageFile file;
        ASSERT_EQ(file.FromFile(WidePath(folder.File(name)).c_str()), 1) << name;
        BITMAPINFO info{};
        const std::vector<BYTE> rows = RowsOf(file, &info);
        EXPECT_EQ(info.bmiHeader.biBitCount, 32);
        // Top-left pixel of the file: samples 0, 17, 34, 51 are R, G, B, A.
        const BYTE* topLeft = rows.data() + 2 * 16;
        EXPECT_EQ(topLeft[0], 34);
        EXPECT_EQ(topLeft[1], 17);
        EXPECT_EQ(topLeft[2], 0);
        EXPECT_EQ(topLeft[3], 51);
        ASSERT_EQ(file.ToFile(WidePath(folder.File("copy.tif")).c_str(), GUID_NULL), 1);
        ImageFile copy;
        ASSERT_EQ(copy.FromFile(WidePath(folder.File("copy.tif")).c_str()), 1);
        EXPECT_EQ(RowsOf(copy), rows) << name;
    }
}

TEST(ImageFileFailures, DamagedFilesGiveMinus1OrMinus3)
{
    TempFolder folder;
    const QImage image = SmoothImage(64, 64);
    WriteWithQt(image, folder.File("a.jpg"), "jpeg", 90);
    WriteWithQt(image, folder.File("a.png"), "png");
    WriteWithQt(image, folder.File("a.tif"), "tiff");
    WriteWithQt(image, folder.File("a.bmp"), "bmp");
    for (const char* name : {"a.jpg", "a.png", "a.tif", "a.bmp"}) {
        const std::string bytes = ReadBytes(folder.File(name));
        WriteBytes(folder.File(std::string("half-") + name), bytes.substr(0, bytes.size() / 2));
        WriteBytes(folder.File(std::string("head-") + name), bytes.substr(0, 20));
        const int half = Load(folder.File(std::string("half-") + name));
        EXPECT_TRUE(half == -3 || half == -1) << name << " cut in half gave " << half;
        EXPECT_EQ(Load(folder.File(std::string("head-") + name)), -1) << name;
    }
    WriteBytes(folder.File("text.jpg"), "This is not a picture at all, only words.\n");
    WriteBytes(folder.File("empty.png"), "");
    std::string noise(5000, '\0');
    for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 7919 + 13) % 251);
    WriteBytes(folder.File("noise.tif"), noise);
    WriteBytes(folder.File("fake.png"), "\x89PNG\r\n\x1A\n" + noise);
    for (const char* name : {"text.jpg", "empty.png", "noise.tif", "fake.png"})
        EXPECT_EQ(Load(folder.File(name)), -1) << name;
}

TEST(ImageFileFailures, MissingOrUnreadablePathsGive0)
{
    TempFolder folder;
    EXPECT_EQ(Load(folder.File("missing.png")), 0);
    EXPECT_EQ(Load(folder.Path()), 0) << "a folder is not a readable file";
    const LogWatch log;
    EXPECT_EQ(Load(folder.File("missing.jpg")), 0);
    const auto lines = log.NewLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("missing.jpg' doesn't exit or is not readable."), std::string::npos) << lines[0];
}

TEST(ImageFileFailures, FailedLoadKeepsOrEmptiesTheObjectAsItsCodeSays)
{
    TempFolder folder;
    WriteWithQt(SmoothImage(32, 32), folder.File("good.png"), "png");
    WriteWithQt(SmoothImage(256, 256), folder.File("good.jpg"), "jpeg", 90);
    const std::string jpeg = ReadBytes(folder.File("good.jpg"));
    WriteBytes(folder.File("cut.jpg"), jpeg.substr(0, jpeg.size() - 200));
    WriteBytes(folder.File("a.gif"), std::string(kGif, sizeof kGif - 1));

    ImageFile file;
    ASSERT_EQ(file.FromFile(WidePath(folder.File("good.png")).c_str()), 1);
    const std::vector<BYTE> rows = RowsOf(file);
    EXPECT_EQ(file.FromFile(WidePath(folder.File("missing.png")).c_str()), 0);
    EXPECT_EQ(file.FromFile(WidePath(folder.File("a.gif")).c_str()), -2);
    EXPECT_EQ(RowsOf(file), rows) << "codes 0, -1 and -2 leave the object as it was";
    EXPECT_EQ(file.GetFileFormat(), ImageFormatPNG);
    EXPECT_EQ(file.FromFile(WidePath(folder.File("cut.jpg")).c_str()), -3) << "a truncated JPEG is not filled with grey";
    EXPECT_EQ(file.IsValid(), 0);
    EXPECT_EQ(file.GetFileFormat(), GUID_NULL);
}

TEST(ImageFileFailures, HeadersClaimingHugeImagesFailFastWithMinus4)
{
    TempFolder folder;
    // PNG: IHDR of 100000 x 100000 RGB, then almost nothing.
    std::string png = "\x89PNG\r\n\x1A\n";
    png += std::string("\0\0\0\x0dIHDR\0\x01\x86\xa0\0\x01\x86\xa0\x08\x02\0\0\0\0\0\0\0", 25);
    png += std::string("\0\0\0\0IDAT\0\0\0\0\0\0\0\0IEND\xae\x42\x60\x82", 24);
    WriteBytes(folder.File("bomb.png"), png);
    // JPEG: a real file whose frame header claims 65000 x 65000.
    WriteWithQt(SmoothImage(16, 16), folder.File("small.jpg"), "jpeg", 90);
    std::string jpeg = ReadBytes(folder.File("small.jpg"));
    const auto sof = jpeg.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    jpeg.replace(sof + 5, 4, "\xFD\xE8\xFD\xE8");
    WriteBytes(folder.File("bomb.jpg"), jpeg);
    // BMP: 60000 x 60000 at 24 bits.
    std::string bmp(54, '\0');
    const unsigned char header[30] = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0,
                                      0x60, 0xEA, 0, 0, 0x60, 0xEA, 0, 0, 1, 0, 24, 0};
    std::memcpy(bmp.data(), header, sizeof header);
    WriteBytes(folder.File("bomb.bmp"), bmp);

    for (const char* name : {"bomb.png", "bomb.jpg", "bomb.bmp"}) {
        const auto start = std::chrono::steady_clock::now();
        const LogWatch log;
        EXPECT_EQ(Load(folder.File(name)), -4) << name;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << name;
        const auto lines = log.NewLines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_NE(lines[0].find("Not enough memory."), std::string::npos) << lines[0];
    }
}

TEST(ImageFileFailures, HundredMegapixelPhotoStillOpens)
{
    TempFolder folder;
    const LONG width = 10000, height = 10000;
    const std::size_t stride = DibStride(width, 24);
    std::vector<BYTE> rows(stride * height);
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<BYTE>((i / 3000) ^ (i % 97));
    BITMAPINFO info{};
    info.bmiHeader = {44, width, height, 1, 24, 0, static_cast<DWORD>(rows.size()), 2835, 2835, 0, 0};
    ASSERT_EQ(SaveBitmapToFile(rows.data(), info, WidePath(folder.File("big.jpg")).c_str(), EncoderClsidJPEG), 0);
    ImageFile file;
    ASSERT_EQ(file.FromFile(WidePath(folder.File("big.jpg")).c_str()), 1);
    BITMAPINFO loaded{};
    ASSERT_NE(file.GetImageDataInfo(loaded), nullptr);
    EXPECT_EQ(loaded.bmiHeader.biWidth, width);
    EXPECT_EQ(loaded.bmiHeader.biHeight, height);
}

TEST(ImageFileSaveFailures, UnwritableTargetsGiveMinus1)
{
    TempFolder folder;
    WriteWithQt(SmoothImage(8, 8), folder.File("a.png"), "png");
    ImageFile file;
    ASSERT_EQ(file.FromFile(WidePath(folder.File("a.png")).c_str()), 1);
    const auto scoped = ScopedEncoderOptionsProvider(Provider(90, 6, FALSE));
    // A path whose folder is a file.
    EXPECT_EQ(file.ToFile(WidePath(folder.File("a.png") / "b.png").c_str(), ImageFormatPNG), -1);
    EXPECT_EQ(file.ToFile(WidePath(folder.File("no-such-folder") / "b.png").c_str(), ImageFormatPNG), -1);

    WriteWithQt(SmoothImage(4, 4), folder.File("locked.png"), "png");
    const std::string before = ReadBytes(folder.File("locked.png"));
    bool madeReadOnly = false;
    if (::geteuid() != 0) {
        fs::permissions(folder.File("locked.png"), fs::perms::owner_read);
        madeReadOnly = true;
    } else {
        madeReadOnly = SetImmutable(folder.File("locked.png"), true);
    }
    if (!madeReadOnly) GTEST_SKIP() << "cannot make a file read-only here (root without chattr support)";
    const LogWatch log;
    EXPECT_EQ(file.ToFile(WidePath(folder.File("locked.png")).c_str(), ImageFormatPNG), -1);
    const auto lines = log.NewLines();
    if (::geteuid() == 0) SetImmutable(folder.File("locked.png"), false);
    EXPECT_EQ(ReadBytes(folder.File("locked.png")), before);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("locked.png' doesn't exit or is not writable."), std::string::npos) << lines[0];
}

TEST(ImageFileSaveFailures, EncoderFailureLeavesTheSourceIntact)
{
    TempFolder folder;
    WriteWithQt(SmoothImage(24, 16), folder.File("photo.tif"), "tiff");
    WriteWithQt(SmoothImage(24, 16), folder.File("photo.jpg"), "jpeg", 90);
    for (const char* name : {"photo.tif", "photo.jpg"}) {
        const std::string before = ReadBytes(folder.File(name));
        ImageFile file;
        ASSERT_EQ(file.FromFile(WidePath(folder.File(name)).c_str()), 1);
        // RLE is for bilevel images and quality 150 is out of range: the encoder refuses.
        const auto scoped = ScopedEncoderOptionsProvider(Provider(150, EncoderValueCompressionRle, FALSE));
        const LogWatch log;
        EXPECT_EQ(file.ToFile(WidePath(folder.File(name)).c_str(), GUID_NULL), 0) << name;
        const auto lines = log.NewLines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_NE(lines[0].find("Failed to call Image::Save. Retured: 2(Status)."), std::string::npos) << lines[0];
        EXPECT_EQ(ReadBytes(folder.File(name)), before) << name;
    }
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"photo.jpg", "photo.tif"})) << "no temporary file left";
}

TEST(ImageFileSaveFailures, SavingOverTheSourceReplacesItKeepingItsMode)
{
    TempFolder folder;
    WriteWithQt(SmoothImage(24, 16), folder.File("photo.jpg"), "jpeg", 90);
    fs::permissions(folder.File("photo.jpg"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(folder.File("photo.jpg"), folder.File("link.jpg"));
    ImageFile file;
    ASSERT_EQ(file.FromFile(WidePath(folder.File("link.jpg")).c_str()), 1);
    const auto scoped = ScopedEncoderOptionsProvider(Provider(50, 6, FALSE));
    ASSERT_EQ(file.ToFile(WidePath(folder.File("link.jpg")).c_str(), GUID_NULL), 1);
    EXPECT_TRUE(fs::is_symlink(folder.File("link.jpg"))) << "the link stays, its file is replaced";
    EXPECT_EQ(fs::status(folder.File("photo.jpg")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(Load(folder.File("photo.jpg")), 1);
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"link.jpg", "photo.jpg"}));
}

TEST(ImageFileSaveFailures, CancelWritesNothingAndLogsNothing)
{
    TempFolder folder;
    WriteWithQt(SmoothImage(8, 8), folder.File("a.png"), "png");
    ImageFile file;
    ASSERT_EQ(file.FromFile(WidePath(folder.File("a.png")).c_str()), 1);
    const auto provider = std::make_shared<FixedEncoderOptionsProvider>(FixedEncoderOptionsProvider::Cancelled());
    const ScopedEncoderOptionsProvider scoped(provider);
    const LogWatch log;
    EXPECT_EQ(file.ToFile(WidePath(folder.File("b.jpg")).c_str(), ImageFormatJPEG), -5);
    EXPECT_EQ(file.ToFile(WidePath(folder.File("b.tif")).c_str(), ImageFormatTIFF), -5);
    EXPECT_EQ(provider->AskCount(), 2);
    // BMP and PNG ask nothing and so cannot be cancelled.
    EXPECT_EQ(file.ToFile(WidePath(folder.File("b.png")).c_str(), ImageFormatPNG), 1);
    EXPECT_EQ(file.ToFile(WidePath(folder.File("b.bmp")).c_str(), ImageFormatBMP), 1);
    EXPECT_EQ(provider->AskCount(), 2);
    EXPECT_TRUE(log.NewLines().empty());
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"a.png", "b.bmp", "b.png"}));
}

TEST(ImageFileSaveFailures, FormatOutsideTheFourGivesMinus2)
{
    TempFolder folder;
    WriteWithQt(SmoothImage(8, 8), folder.File("a.png"), "png");
    ImageFile file;
    ASSERT_EQ(file.FromFile(WidePath(folder.File("a.png")).c_str()), 1);
    EXPECT_EQ(file.ToFile(WidePath(folder.File("b.gif")).c_str(), ImageFormatGIF), -2);
    EXPECT_FALSE(fs::exists(folder.File("b.gif")));
}

namespace {

// `jpeg` cut after `keep` bytes, closed with an end-of-image marker as a
// broken copy often is.
std::string CutWithEnd(const std::string& jpeg, std::size_t keep)
{
    return jpeg.substr(0, keep) + "\xFF\xD9";
}

} // namespace

TEST(ImageFileFailures, JpegsCutShortAreDamagedEvenWithAnEndMarker)
{
    TempFolder folder;
    QImage image = SmoothImage(256, 192);
    for (int y = 0; y < image.height(); y += 3) image.setPixel((y * 7) % 256, y, qRgb(y, 255 - y, 99));
    WriteWithQt(image, folder.File("baseline.jpg"), "jpeg", 92);
    QImageWriter progressive(QString::fromStdString(folder.File("progressive.jpg").string()), "jpeg");
    progressive.setProgressiveScanWrite(true);
    ASSERT_TRUE(progressive.write(image));
    for (const char* name : {"baseline.jpg", "progressive.jpg"}) {
        const std::string bytes = ReadBytes(folder.File(name));
        WriteBytes(folder.File(std::string("cut-") + name), CutWithEnd(bytes, bytes.size() / 2));
        const LogWatch log;
        EXPECT_EQ(Load(folder.File(std::string("cut-") + name)), -3) << name;
        const auto lines = log.NewLines();
        ASSERT_EQ(lines.size(), 1u) << name;
        EXPECT_NE(lines[0].find("Failed to call Bitmap::LockBits, returned: "), std::string::npos) << lines[0];
    }
}

// A header of `width` x `height` 8-bit RGB pixels with LZW, and one tiny strip.
void WriteTiffClaiming(const fs::path& path, uint32_t width, uint32_t height)
{
    TIFF* tiff = StartRgbTiff(path, width, height);
    ASSERT_NE(tiff, nullptr);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, height);
    unsigned char data[64] = {0x80};
    TIFFWriteRawStrip(tiff, 0, data, sizeof data);
    TIFFClose(tiff);
}

TEST(ImageFileFailures, PicturesTooShortForTheSizeTheyDeclareAreRefusedBeforeDecoding)
{
    TempFolder folder;
    WriteWithQt(SmoothImage(16, 16), folder.File("small.jpg"), "jpeg", 90);
    WriteWithQt(SmoothImage(16, 16), folder.File("small.png"), "png");
    WriteWithQt(SmoothImage(16, 16), folder.File("small.bmp"), "bmp");
    WriteTiffClaiming(folder.File("small.tif"), 16, 16);
    std::string jpeg = ReadBytes(folder.File("small.jpg"));
    jpeg.replace(jpeg.find("\xFF\xC0") + 5, 4, "\x65\x90\x65\x90"); // 26000 x 26000 in a few hundred bytes
    WriteBytes(folder.File("claims.jpg"), jpeg);
    std::string png = ReadBytes(folder.File("small.png"));
    png.replace(16, 8, std::string("\0\0\x4E\x20\0\0\x4E\x20", 8)); // 20000 x 20000
    WriteBytes(folder.File("claims.png"), png);
    std::string bmp = ReadBytes(folder.File("small.bmp"));
    bmp.replace(18, 8, std::string("\x10\x27\0\0\x10\x27\0\0", 8)); // 10000 x 10000
    WriteBytes(folder.File("claims.bmp"), bmp);
    WriteTiffClaiming(folder.File("claims.tif"), 20000, 20000);

    for (const char* kind : {"jpg", "png", "bmp", "tif"}) {
        for (const char* name : {"small.", "claims."}) {
            const std::string file = name + std::string(kind);
            const GUID format = ImageDecoderFactory::SniffFormat(folder.File(file).string());
            const auto decoder = ImageDecoderFactory::Create(format, folder.File(file).string(), 0x7FFFFFFF);
            ImageHeaderInfo header;
            ASSERT_TRUE(decoder && decoder->ReadHeader(header)) << file;
            EXPECT_EQ(header.truncated, name == std::string("claims.")) << file;
        }
    }
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Load(folder.File("claims.jpg")), -3);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
}

TEST(ImageFileSaveFailures, ASaveCutOffByTheFileSizeLimitFailsAndLeavesNothingBehind)
{
    TempFolder folder;
    WriteWithQt(PatternImage(300, 200, QImage::Format_RGB888), folder.File("photo.bmp"), "bmp");
    const std::string before = ReadBytes(folder.File("photo.bmp"));
    ImageFile file;
    ASSERT_EQ(file.FromFile(folder.Wide("photo.bmp").c_str()), 1);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlimit limit{64 * 1024, 64 * 1024}; // the photo takes 180 KB
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const int result = file.ToFile(folder.Wide("photo.bmp").c_str(), GUID_NULL);
        ::_exit(result == 0 ? 0 : 10);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status)) << "killed by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0) << "the save reported the failed write";
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"photo.bmp"}) << "no temporary file left";
    EXPECT_EQ(ReadBytes(folder.File("photo.bmp")), before);
}

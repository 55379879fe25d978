// Small files written by another program (ImageMagick), covering layouts our
// own encoder never writes: BMP with alpha bit fields, progressive JPEG,
// interlaced PNG, tiled and JPEG-compressed TIFF. They also seed the fuzzer.

#include <QImageReader>
#include <cstdlib>

#include "IoTestSupport.h"
#include "io/ImageFile.h"

using namespace Carrow::FileIO;
using namespace IoTest;

namespace {

fs::path DataFile(const char* name)
{
    const char* root = std::getenv("CORVANE_TEST_DATA");
    return fs::path(root ? root : "tests/data") / "io" / name;
}

struct Reference {
    const char* name;
    int result;     // of FromFile
    int bitCount;   // when loaded
    int tolerance;  // against Qt's own decoding; -1: not compared
};

} // namespace

TEST(ReferenceFiles, LoadLikeAnIndependentDecoderSeesThem)
{
    const Reference references[] = {
        {"rgb24.bmp", 1, 24, 0},        {"argb32.bmp", 1, 32, 0},   {"rgb.jpg", 1, 24, 3},
        {"progressive.jpg", 1, 24, 3},  {"meta.jpg", 1, 24, 3},     {"rgb.png", 1, 24, 0},
        {"rgba.png", 1, 32, 0},         {"interlaced.png", 1, 24, 0}, {"plain.tif", 1, 24, 0},
        {"lzw.tif", 1, 24, 0},          {"tiled.tif", 1, 24, -1},    {"jpegc.tif", 1, 24, 3},
        {"rgba.tif", 1, 32, -1},        {"meta.tif", 1, 24, 0},     {"grey.jpg", -2, 0, -1},
        {"palette.png", -2, 0, -1},     {"deep.png", -2, 0, -1},    {"deep.tif", -2, 0, -1},
    };
    for (const Reference& r : references) {
        const fs::path path = DataFile(r.name);
        ASSERT_TRUE(fs::exists(path)) << path;
        ImageFile file;
        ASSERT_EQ(file.FromFile(WidePath(path).c_str()), r.result) << r.name;
        if (r.result != 1) continue;
        BITMAPINFO info{};
        ASSERT_NE(file.GetImageDataInfo(info), nullptr);
        EXPECT_EQ(info.bmiHeader.biWidth, 12) << r.name;
        EXPECT_EQ(info.bmiHeader.biHeight, 9) << r.name;
        EXPECT_EQ(info.bmiHeader.biBitCount, r.bitCount) << r.name;
        if (r.tolerance < 0) continue;
        const QImage decoded = QImageReader(QString::fromStdString(path.string())).read();
        ASSERT_FALSE(decoded.isNull()) << r.name;
        EXPECT_LE(MaxPixelDifference(file, decoded, r.bitCount == 32), r.tolerance) << r.name;
    }
}

TEST(ReferenceFiles, TiledTiffHasThePixelsOfTheStripedOne)
{
    // Qt's reader does not take tiles; the same picture in strips does.
    ImageFile tiled;
    ImageFile striped;
    ASSERT_EQ(tiled.FromFile(WidePath(DataFile("tiled.tif")).c_str()), 1);
    ASSERT_EQ(striped.FromFile(WidePath(DataFile("plain.tif")).c_str()), 1);
    EXPECT_EQ(RowsOf(tiled), RowsOf(striped));
}

TEST(ReferenceFiles, CameraJpegTakesItsResolutionFromExif)
{
    // JFIF states only an aspect ratio; the Exif data says 300 dpi.
    ImageFile file;
    ASSERT_EQ(file.FromFile(WidePath(DataFile("meta.jpg")).c_str()), 1);
    BITMAPINFO info{};
    file.GetImageDataInfo(info);
    EXPECT_EQ(info.bmiHeader.biXPelsPerMeter, 11811);
    EXPECT_EQ(info.bmiHeader.biYPelsPerMeter, 11811);
}

TEST(ReferenceFiles, UnassociatedAlphaTiffKeepsItsStraightColours)
{
    ImageFile file;
    ASSERT_EQ(file.FromFile(WidePath(DataFile("rgba.tif")).c_str()), 1);
    const QImage decoded = QImageReader(QString::fromStdString(DataFile("rgba.tif").string())).read();
    // Qt hands this one out premultiplied, so its colours are off by rounding.
    EXPECT_LE(MaxPixelDifference(file, decoded, true), 2);
}

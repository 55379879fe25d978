// Pictures are turned upright on open as their Exif/TIFF orientation says, in
// every format and on every decode path, and a saved file says Orientation 1.

#include "IoTestSupport.h"
#include "io/Exiv2Headers.h"
#include "io/FixedEncoderOptionsProvider.h"
#include "io/ImageFile.h"
#include "io/ScopedEncoderOptionsProvider.h"

#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

using namespace Carrow::FileIO;
using namespace IoTest;

namespace {

// The picture as it must look: six blocks of 8 x 8 pixels in distinct
// colours, three across and two down, so that every turn and mirror shows.
QImage Upright()
{
    static const QRgb kColours[6] = {qRgb(230, 20, 20), qRgb(20, 200, 30), qRgb(30, 40, 220),
                                     qRgb(240, 240, 30), qRgb(20, 220, 220), qRgb(250, 250, 250)};
    QImage image(24, 16, QImage::Format_RGB888);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x) image.setPixel(x, y, kColours[(y / 8) * 3 + x / 8]);
    return image;
}

// The picture a file with `orientation` stores so that it shows `upright`:
// stored pixel (x, y) is shown at the place the orientation gives it.
QImage Stored(const QImage& upright, int orientation)
{
    const bool turned = orientation >= 5;
    const int w = turned ? upright.height() : upright.width();
    const int h = turned ? upright.width() : upright.height();
    QImage stored(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int mx = w - 1 - x, my = h - 1 - y;
            const int ux[9] = {0, x, mx, mx, x, y, my, my, y}; // where it shows, by orientation
            const int uy[9] = {0, y, y, my, my, x, x, mx, mx};
            stored.setPixel(x, y, upright.pixel(ux[orientation], uy[orientation]));
        }
    }
    return stored;
}

enum class TiffLayout { Striped, Tiled, Planar };

void WriteTiff(const QImage& image, int orientation, TiffLayout layout, const fs::path& path)
{
    const uint32_t w = static_cast<uint32_t>(image.width()), h = static_cast<uint32_t>(image.height());
    TIFF* tiff = StartRgbTiff(path, w, h);
    ASSERT_NE(tiff, nullptr);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, orientation);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, layout == TiffLayout::Planar ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
    const auto sample = [&](uint32_t x, uint32_t y, int s) {
        const QRgb p = image.pixel(static_cast<int>(x), static_cast<int>(y));
        return static_cast<unsigned char>(s == 0 ? qRed(p) : s == 1 ? qGreen(p) : qBlue(p));
    };
    if (layout == TiffLayout::Tiled) {
        TIFFSetField(tiff, TIFFTAG_TILEWIDTH, 16);
        TIFFSetField(tiff, TIFFTAG_TILELENGTH, 16);
        std::vector<unsigned char> tile(16 * 16 * 3);
        for (uint32_t ty = 0; ty < h; ty += 16) {
            for (uint32_t tx = 0; tx < w; tx += 16) {
                for (uint32_t i = 0; i < 16 * 16 * 3; ++i) {
                    const uint32_t x = tx + i / 3 % 16, y = ty + i / 48;
                    tile[i] = x < w && y < h ? sample(x, y, static_cast<int>(i % 3)) : 0;
                }
                TIFFWriteTile(tiff, tile.data(), tx, ty, 0, 0);
            }
        }
    } else {
        const int planes = layout == TiffLayout::Planar ? 3 : 1;
        std::vector<unsigned char> line(w * 3);
        for (int plane = 0; plane < planes; ++plane) {
            for (uint32_t y = 0; y < h; ++y) {
                for (uint32_t x = 0; x < w; ++x)
                    for (int s = 0; s < 3 / planes; ++s) line[x * (3 / planes) + s] = sample(x, y, planes == 3 ? plane : s);
                TIFFWriteScanline(tiff, line.data(), y, static_cast<uint16_t>(plane));
            }
        }
    }
    TIFFClose(tiff);
}

void SetExifOrientation(const fs::path& path, int orientation)
{
    auto image = Exiv2::ImageFactory::open(path.string());
    image->readMetadata();
    image->exifData()["Exif.Image.Orientation"] = static_cast<uint16_t>(orientation);
    image->writeMetadata();
}

// Largest colour difference at the centres of the blocks (a small JPEG
// smears the colours across the blocks' edges); -1 for another size.
int CentreDifference(const ImageFile& file, const QImage& upright)
{
    BITMAPINFO info{};
    const std::vector<BYTE> rows = RowsOf(file, &info);
    const BITMAPINFOHEADER& h = info.bmiHeader;
    if (h.biWidth != upright.width() || h.biHeight != upright.height()) return -1;
    const std::size_t stride = h.biSizeImage / static_cast<DWORD>(h.biHeight);
    int worst = 0;
    for (int y = 4; y < upright.height(); y += 8) {
        for (int x = 4; x < upright.width(); x += 8) {
            const BYTE* p = rows.data() + static_cast<std::size_t>(h.biHeight - 1 - y) * stride + x * 3;
            const QRgb want = upright.pixel(x, y);
            worst = std::max({worst, std::abs(p[0] - qBlue(want)), std::abs(p[1] - qGreen(want)),
                              std::abs(p[2] - qRed(want))});
        }
    }
    return worst;
}

long ExifNumber(const fs::path& path, const char* key)
{
    auto image = Exiv2::ImageFactory::open(path.string());
    image->readMetadata();
    const auto it = image->exifData().findKey(Exiv2::ExifKey(key));
    return it == image->exifData().end() ? 0 : it->toLong();
}

long OrientationIn(const fs::path& path) { return ExifNumber(path, "Exif.Image.Orientation"); }

// The camera's statement of the stored picture's size, one as SHORT, one as LONG.
void SetExifPixelSize(const fs::path& path, int width, int height)
{
    auto image = Exiv2::ImageFactory::open(path.string());
    image->readMetadata();
    image->exifData()["Exif.Photo.PixelXDimension"] = static_cast<uint16_t>(width);
    image->exifData()["Exif.Photo.PixelYDimension"] = static_cast<uint32_t>(height);
    image->writeMetadata();
}

} // namespace

TEST(ImageFileOrientation, AllEightOrientationsOpenUprightInJpegAndEveryTiffLayout)
{
    TempFolder folder;
    const QImage upright = Upright();
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const QImage stored = Stored(upright, orientation);
        const std::string tag = std::to_string(orientation);
        WriteWithQt(stored, folder.File(tag + ".jpg"), "jpeg", 95);
        SetExifOrientation(folder.File(tag + ".jpg"), orientation);
        WriteWithQt(stored, folder.File(tag + ".png"), "png");
        SetExifOrientation(folder.File(tag + ".png"), orientation);
        WriteTiff(stored, orientation, TiffLayout::Striped, folder.File(tag + "-striped.tif"));
        WriteTiff(stored, orientation, TiffLayout::Tiled, folder.File(tag + "-tiled.tif"));
        WriteTiff(stored, orientation, TiffLayout::Planar, folder.File(tag + "-planar.tif"));
        for (const char* suffix : {".jpg", ".png", "-striped.tif", "-tiled.tif", "-planar.tif"}) {
            ImageFile file;
            ASSERT_EQ(file.FromFile(folder.Wide(tag + suffix).c_str()), 1) << tag << suffix;
            if (suffix == std::string(".jpg")) EXPECT_LE(CentreDifference(file, upright), 12) << "orientation " << tag;
            else EXPECT_EQ(MaxPixelDifference(file, upright, false), 0) << "orientation " << tag << suffix;
        }
    }
}

TEST(ImageFileOrientation, ASavedFileSaysOrientationOneAndIsNotTurnedAgain)
{
    TempFolder folder;
    const QImage upright = Upright();
    WriteWithQt(Stored(upright, 6), folder.File("camera.jpg"), "jpeg", 95);
    SetExifOrientation(folder.File("camera.jpg"), 6);
    SetExifPixelSize(folder.File("camera.jpg"), upright.height(), upright.width());
    WriteTiff(Stored(upright, 8), 8, TiffLayout::Tiled, folder.File("scan.tif"));
    EncoderOptions keep;
    keep.bDropMetadata = FALSE;
    const ScopedEncoderOptionsProvider scoped(std::make_shared<FixedEncoderOptionsProvider>(keep));
    for (const char* name : {"camera.jpg", "scan.tif"}) {
        ImageFile file;
        ASSERT_EQ(file.FromFile(folder.Wide(name).c_str()), 1);
        ASSERT_EQ(file.ToFile(folder.Wide(name).c_str(), GUID_NULL), 1) << name;
        EXPECT_EQ(OrientationIn(folder.File(name)), 1) << name;
        ImageFile again;
        ASSERT_EQ(again.FromFile(folder.Wide(name).c_str()), 1);
        EXPECT_LE(CentreDifference(again, upright), 12) << name << " shows upright once saved";
    }
    // The stated size is the upright picture's, not the stored one's.
    EXPECT_EQ(ExifNumber(folder.File("camera.jpg"), "Exif.Photo.PixelXDimension"), upright.width());
    EXPECT_EQ(ExifNumber(folder.File("camera.jpg"), "Exif.Photo.PixelYDimension"), upright.height());
}

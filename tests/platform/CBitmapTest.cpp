#include "platform/CBitmap.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QTemporaryDir>

#include <vector>

namespace {

// A 3 x 2 picture, 24 bits per pixel, rows bottom-up: the bottom row is red
// then green then blue, the top row white, black, grey.
struct Dib24 {
    BITMAPINFO info{};
    std::vector<BYTE> bits;
    Dib24()
    {
        info.bmiHeader = {40, 3, 2, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        const std::size_t stride = DibStride(3, 24);
        bits.assign(stride * 2, 0xEE); // padding bytes set to catch stride mistakes
        const BYTE bottom[9] = {0, 0, 255, 0, 255, 0, 255, 0, 0};
        const BYTE top[9] = {255, 255, 255, 0, 0, 0, 128, 128, 128};
        std::copy(bottom, bottom + 9, bits.begin());
        std::copy(top, top + 9, bits.begin() + static_cast<long>(stride));
        info.bmiHeader.biSizeImage = static_cast<DWORD>(bits.size());
    }
};

} // namespace

TEST(CBitmap, HandleLifecycleAndOwnership)
{
    const std::size_t before = CountBitmapHandles();
    {
        CBitmap bmp;
        EXPECT_EQ(bmp.GetSafeHandle(), nullptr);
        EXPECT_FALSE(bmp.DeleteObject());
        ASSERT_TRUE(bmp.CreateFromImage(QImage(4, 5, QImage::Format_RGB888)));
        EXPECT_FALSE(bmp.CreateFromImage(QImage(1, 1, QImage::Format_RGB32))) << "holder already full";
        EXPECT_EQ(CountBitmapHandles(), before + 1);

        BITMAP desc{};
        ASSERT_EQ(bmp.GetBitmap(&desc), static_cast<int>(sizeof(BITMAP)));
        EXPECT_EQ(desc.bmWidth, 4);
        EXPECT_EQ(desc.bmHeight, 5);
        EXPECT_EQ(desc.bmBitsPixel, 32) << "pictures are kept at display depth";

        HBITMAP h = bmp.Detach();
        EXPECT_EQ(bmp.GetSafeHandle(), nullptr);
        EXPECT_TRUE(IsBitmapHandle(h)) << "detaching must not delete";

        CBitmap other;
        EXPECT_FALSE(other.Attach(nullptr));
        ASSERT_TRUE(other.Attach(h));
        EXPECT_FALSE(other.Attach(h)) << "a full holder refuses a second handle";
        EXPECT_TRUE(other.DeleteObject());
        EXPECT_FALSE(IsBitmapHandle(h));
        EXPECT_FALSE(DeleteBitmapHandle(h)) << "deleting a dead handle again is harmless";
        EXPECT_TRUE(GetBitmapHandleImage(h).isNull());

        CBitmap owner;
        ASSERT_TRUE(owner.CreateFromImage(QImage(2, 2, QImage::Format_RGB32)));
    } // owner's destructor deletes its bitmap
    EXPECT_EQ(CountBitmapHandles(), before);
}

TEST(CBitmap, CreateFromDibKeepsOrientationAndIgnoresPadding)
{
    Dib24 dib;
    CBitmap bottomUp;
    ASSERT_TRUE(bottomUp.CreateFromDib(dib.info, dib.bits.data()));
    QImage img = bottomUp.GetImage();
    ASSERT_EQ(img.size(), QSize(3, 2));
    // Top row of the picture (row 0 of the QImage) is the last row in memory.
    EXPECT_EQ(img.pixelColor(0, 0), QColor(255, 255, 255));
    EXPECT_EQ(img.pixelColor(2, 0), QColor(128, 128, 128));
    EXPECT_EQ(img.pixelColor(0, 1), QColor(255, 0, 0));
    EXPECT_EQ(img.pixelColor(1, 1), QColor(0, 255, 0));
    EXPECT_EQ(img.pixelColor(2, 1), QColor(0, 0, 255));

    BITMAPINFO topDown = dib.info;
    topDown.bmiHeader.biHeight = -2;
    CBitmap td;
    ASSERT_TRUE(td.CreateFromDib(topDown, dib.bits.data()));
    EXPECT_EQ(td.GetImage().pixelColor(0, 0), QColor(255, 0, 0));

    // 32-bit rows: BGRA bytes.
    BITMAPINFO info32{};
    info32.bmiHeader = {40, 1, 2, 1, 32, BI_RGB, 8, 0, 0, 0, 0};
    const BYTE rows32[8] = {10, 20, 30, 0, 40, 50, 60, 0};
    CBitmap b32;
    ASSERT_TRUE(b32.CreateFromDib(info32, rows32));
    EXPECT_EQ(b32.GetImage().pixelColor(0, 1), QColor(30, 20, 10));
    EXPECT_EQ(b32.GetImage().pixelColor(0, 0), QColor(60, 50, 40));
}

TEST(CBitmap, CreateFromDibRefusesWhatItCannotRead)
{
    Dib24 dib;
    CBitmap bmp;
    EXPECT_FALSE(bmp.CreateFromDib(dib.info, nullptr));
    BITMAPINFO bad = dib.info;
    bad.bmiHeader.biBitCount = 8;
    EXPECT_FALSE(bmp.CreateFromDib(bad, dib.bits.data()));
    bad = dib.info;
    bad.bmiHeader.biWidth = 0;
    EXPECT_FALSE(bmp.CreateFromDib(bad, dib.bits.data()));
    bad = dib.info;
    bad.bmiHeader.biCompression = 1;
    EXPECT_FALSE(bmp.CreateFromDib(bad, dib.bits.data()));
    EXPECT_EQ(bmp.GetSafeHandle(), nullptr);
}

TEST(CBitmap, LoadFromFileReadsBmpOnly)
{
    QTemporaryDir dir;
    const QString bmpPath = dir.filePath("a.bmp");
    QImage source(3, 3, QImage::Format_RGB888);
    source.fill(QColor(1, 2, 3));
    ASSERT_TRUE(source.save(bmpPath, "BMP"));
    const QString pngPath = dir.filePath("b.bmp");
    ASSERT_TRUE(source.save(pngPath, "PNG")); // a PNG wearing a BMP name

    CBitmap ok;
    EXPECT_TRUE(ok.LoadFromFile(bmpPath.toStdWString().c_str()));
    EXPECT_EQ(ok.GetImage().pixelColor(1, 1), QColor(1, 2, 3));
    CBitmap notBmp;
    EXPECT_FALSE(notBmp.LoadFromFile(pngPath.toStdWString().c_str()));
    CBitmap missing;
    EXPECT_FALSE(missing.LoadFromFile(dir.filePath("none.bmp").toStdWString().c_str()));
}

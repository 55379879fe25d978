#include "io/ClipboardIO.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QColor>
#include <QGuiApplication>
#include <QMimeData>

using namespace Carrow::ClipboardIO;

namespace {

QImage Asymmetric()
{
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setPixelColor(0, 0, QColor(200, 10, 20)); // top left
    image.setPixelColor(2, 1, QColor(5, 6, 250));   // bottom right
    return image;
}

} // namespace

TEST(ClipboardIO, SetThenGetInOneProcess)
{
    CBitmap copy;
    ASSERT_TRUE(copy.CreateFromImage(Asymmetric()));
    const HBITMAP given = copy.GetSafeHandle();
    ASSERT_TRUE(SetBitmap(copy));
    copy.Detach(); // the clipboard owns it now
    EXPECT_FALSE(IsBitmapHandle(given)) << "the clipboard keeps its own copy";

    CBitmap pasted;
    ASSERT_TRUE(GetBitmap(pasted));
    const QImage picture = pasted.GetImage();
    ASSERT_EQ(picture.size(), QSize(3, 2));
    EXPECT_EQ(picture.pixelColor(0, 0), QColor(200, 10, 20));
    EXPECT_EQ(picture.pixelColor(2, 1), QColor(5, 6, 250));
    BITMAP desc{};
    pasted.GetBitmap(&desc);
    EXPECT_EQ(desc.bmBitsPixel, 32);

    // Asking again while nothing changed gives the same handle and makes no new one.
    const HBITMAP first = pasted.Detach();
    const std::size_t handles = CountBitmapHandles();
    CBitmap again;
    ASSERT_TRUE(GetBitmap(again));
    EXPECT_EQ(again.Detach(), first);
    EXPECT_EQ(CountBitmapHandles(), handles);

    // Another picture on the clipboard releases the old handle.
    QImage other(1, 1, QImage::Format_RGB32);
    other.fill(Qt::green);
    QGuiApplication::clipboard()->setImage(other);
    CBitmap changed;
    ASSERT_TRUE(GetBitmap(changed));
    EXPECT_EQ(changed.GetImage().pixelColor(0, 0), QColor(Qt::green));
    EXPECT_FALSE(IsBitmapHandle(first));
    EXPECT_EQ(CountBitmapHandles(), handles);
    changed.Detach();
}

TEST(ClipboardIO, RefusalsLeaveEverythingAlone)
{
    QGuiApplication::clipboard()->setText("some text");
    CBitmap empty;
    EXPECT_FALSE(SetBitmap(empty));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "some text") << "an empty bitmap never reaches the clipboard";
    EXPECT_FALSE(GetBitmap(empty)) << "no picture on the clipboard";
    EXPECT_EQ(empty.GetSafeHandle(), nullptr);

    QGuiApplication::clipboard()->setImage(Asymmetric());
    CBitmap full;
    ASSERT_TRUE(full.CreateFromImage(QImage(4, 4, QImage::Format_RGB32)));
    const HBITMAP mine = full.GetSafeHandle();
    EXPECT_FALSE(GetBitmap(full));
    EXPECT_EQ(full.GetSafeHandle(), mine);
    EXPECT_EQ(full.GetImage().size(), QSize(4, 4));
    EXPECT_TRUE(QGuiApplication::clipboard()->mimeData()->hasImage());

    // A handle that is no longer alive is taken over but cannot be placed.
    CBitmap dead;
    ASSERT_TRUE(dead.CreateFromImage(QImage(1, 1, QImage::Format_RGB32)));
    DeleteBitmapHandle(dead.GetSafeHandle());
    EXPECT_FALSE(SetBitmap(dead));
    dead.Detach();
}

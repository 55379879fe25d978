#pragma once
// What the image-view benchmarks share: a 6000 × 4000 photo held as the
// program holds it (a 24-bit bottom-up DIB, plus a second buffer with the
// same picture), built once, and a 1280 × 800 view showing it offscreen.
// The photo is /usr/share/doc/opencv-doc/examples/data/building.jpg (package
// opencv-doc) enlarged; without it a drawn picture is used: a pattern with a
// plain sky in its top-left quarter.
#include <algorithm>
#include <vector>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "imagewindow/ImageWindow.h"

namespace BenchPhoto {

constexpr int kPhotoWidth = 6000, kPhotoHeight = 4000;
constexpr int kViewWidth = 1280, kViewHeight = 800;

struct Photo {
    BITMAPINFO info{};
    std::vector<BYTE> pixels;
    std::vector<BYTE> copy;  // the same picture in a second buffer
};

inline QImage SourcePicture()
{
    QImage photo(QStringLiteral("/usr/share/doc/opencv-doc/examples/data/building.jpg"));
    if (photo.isNull()) {
        photo = QImage(600, 400, QImage::Format_RGB32);
        for (int y = 0; y < photo.height(); ++y)
            for (int x = 0; x < photo.width(); ++x) photo.setPixel(x, y, qRgb(x % 256, y % 256, (x ^ y) % 256));
        QPainter(&photo).fillRect(0, 0, 300, 200, QColor(120, 170, 220));
    }
    return photo.scaled(kPhotoWidth, kPhotoHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

/// The photo, built at the first call.
inline Photo& TheImage()
{
    static Photo photo = [] {
        Photo p;
        const QImage picture = SourcePicture();
        const std::size_t stride = DibStride(kPhotoWidth, 24);
        p.info.bmiHeader = {sizeof(BITMAPINFOHEADER), kPhotoWidth, kPhotoHeight, 1, 24, BI_RGB,
                            static_cast<DWORD>(stride * kPhotoHeight), 0, 0, 0, 0};
        p.pixels.resize(stride * kPhotoHeight);
        for (int y = 0; y < kPhotoHeight; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
            BYTE* out = p.pixels.data() + stride * (kPhotoHeight - 1 - y);
            for (int x = 0; x < kPhotoWidth; ++x) {
                out[3 * x] = static_cast<BYTE>(qBlue(row[x]));
                out[3 * x + 1] = static_cast<BYTE>(qGreen(row[x]));
                out[3 * x + 2] = static_cast<BYTE>(qRed(row[x]));
            }
        }
        p.copy = p.pixels;
        return p;
    }();
    return photo;
}

inline double FitZoom() { return std::min(double(kViewWidth) / kPhotoWidth, double(kViewHeight) / kPhotoHeight); }

/// A shown 1280 × 800 view with the photo at `zoom`, painted once (the
/// reduced copy, the cached picture and the back buffers exist).
struct View {
    QWidget parent;
    ImageWindow::CImageWindow view;

    explicit View(double zoom)
    {
        parent.resize(kViewWidth, kViewHeight);
        view.Create(RECT{0, 0, kViewWidth, kViewHeight}, &parent, 1002, RGB(150, 150, 150));
        view.show();
        parent.show();
        QApplication::processEvents();
        Photo& photo = TheImage();
        view.SetBitmap(photo.info, photo.pixels.data());
        view.SetZoom(zoom);
        view.repaint();
        QApplication::processEvents();
    }
};

} // namespace BenchPhoto

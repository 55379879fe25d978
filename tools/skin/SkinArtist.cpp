#include "SkinArtist.h"

#include <QPainter>

#include <cstdio>

namespace SkinArtist {

Inks NormalInks()
{
    return {QColor(58, 66, 78), Accent(), QColor(255, 255, 255)};
}

Inks HotInks()
{
    return {QColor(18, 92, 152), QColor(24, 140, 222), QColor(255, 255, 255)};
}

Inks DisabledInks()
{
    return {QColor(168, 168, 168), QColor(192, 192, 192), QColor(246, 246, 246)};
}

QColor Accent()
{
    return QColor(28, 128, 200);
}

QImage Draw(int width, int height, const std::function<void(QPainter&)>& draw)
{
    QImage canvas(width, height, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    painter.end();
    return canvas;
}

QImage OnBackground(const QImage& canvas, const QColor& background)
{
    QImage flat(canvas.size(), QImage::Format_RGB32);
    flat.fill(background);
    QPainter painter(&flat);
    painter.drawImage(0, 0, canvas);
    painter.end();
    return flat;
}

QImage OnMagenta(const QImage& canvas, const QColor& usualBackground)
{
    const QImage source = canvas.convertToFormat(QImage::Format_ARGB32);
    QImage flat = OnBackground(canvas, usualBackground);
    for (int y = 0; y < source.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(flat.scanLine(y));
        for (int x = 0; x < source.width(); ++x)
            if (qAlpha(in[x]) < 85) out[x] = qRgb(255, 0, 255);
    }
    return flat;
}

bool WriteBmp(const QImage& image, const QString& path)
{
    if (image.convertToFormat(QImage::Format_RGB888).save(path, "BMP")) return true;
    std::fprintf(stderr, "skingen: cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace SkinArtist

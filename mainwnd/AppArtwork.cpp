#include "mainwnd/AppArtwork.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace AppArtwork {

namespace {

// An icon of `size` × `size` pixels with transparent corners: a rounded tile
// shaded from `top` to `bottom`, then what `paintContent(painter, size)` draws
// over it (antialiased).
template <class PaintContent>
QPixmap PaintIcon(int size, const QColor& top, const QColor& bottom, PaintContent paintContent)
{
    QPixmap pixmap(QSize(size, size));
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    QLinearGradient tile(0, 0, 0, s);
    tile.setColorAt(0.0, top);
    tile.setColorAt(1.0, bottom);
    painter.setPen(Qt::NoPen);
    painter.setBrush(tile);
    painter.drawRoundedRect(QRectF(0, 0, s, s).adjusted(s * 0.02, s * 0.02, -s * 0.02, -s * 0.02), s * 0.2, s * 0.2);
    paintContent(painter, s);
    painter.end();
    return pixmap;
}

// A hill across `frame`, filled in `colour` down to the frame's bottom. Its
// ridge runs from the left edge at `left` to the right edge at `right`,
// curved by two control points; all are fractions of the frame's width (x)
// and height (y, from the top).
void PaintHill(QPainter& painter, const QRectF& frame, qreal left, const QPointF& control1, const QPointF& control2,
               qreal right, const QColor& colour)
{
    const qreal w = frame.width();
    const qreal h = frame.height();
    QPainterPath hill;
    hill.moveTo(frame.left(), frame.top() + h * left);
    hill.cubicTo(frame.left() + w * control1.x(), frame.top() + h * control1.y(), frame.left() + w * control2.x(),
                 frame.top() + h * control2.y(), frame.right(), frame.top() + h * right);
    hill.lineTo(frame.bottomRight());
    hill.lineTo(frame.bottomLeft());
    painter.setBrush(colour);
    painter.drawPath(hill);
}

// A small landscape photograph filling `frame`: sky, sun, two hills.
void PaintLandscape(QPainter& painter, const QRectF& frame)
{
    const qreal w = frame.width();
    const qreal h = frame.height();
    QLinearGradient sky(frame.topLeft(), frame.bottomLeft());
    sky.setColorAt(0.0, QColor(96, 170, 226));
    sky.setColorAt(1.0, QColor(200, 230, 248));
    painter.fillRect(frame, sky);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 210, 90));
    painter.drawEllipse(QPointF(frame.left() + w * 0.74, frame.top() + h * 0.28), w * 0.11, w * 0.11);
    PaintHill(painter, frame, 0.70, {0.30, 0.38}, {0.55, 0.52}, 0.62, QColor(88, 160, 96));
    PaintHill(painter, frame, 0.86, {0.40, 0.66}, {0.70, 0.80}, 0.74, QColor(56, 124, 72));
}

// A white-bordered photograph card at `card`, turned by `angle` degrees.
void PaintPhotoCard(QPainter& painter, const QRectF& card, qreal angle, qreal border)
{
    painter.save();
    painter.translate(card.center());
    painter.rotate(angle);
    const QRectF local(-card.width() / 2, -card.height() / 2, card.width(), card.height());
    painter.setPen(QPen(QColor(0, 0, 0, 60), qMax<qreal>(1.0, border / 4)));
    painter.setBrush(QColor(252, 252, 250));
    painter.drawRect(local);
    PaintLandscape(painter, local.adjusted(border, border, -border, -border));
    painter.restore();
}

} // namespace

QPixmap AppIcon(int size)
{
    return PaintIcon(size, QColor(46, 84, 140), QColor(24, 48, 92), [](QPainter& painter, qreal s) {
        // The photograph.
        const qreal margin = s * 0.16;
        PaintPhotoCard(painter, QRectF(margin, margin * 1.15, s - 2 * margin, (s - 2 * margin) * 0.8), 0.0,
                       qMax<qreal>(1.0, s * 0.035));
        // The spot remover's ring over the photograph.
        const QPointF centre(s * 0.36, s * 0.52);
        const qreal radius = s * 0.15;
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(255, 255, 255, 230), qMax<qreal>(1.5, s * 0.07)));
        painter.drawEllipse(centre, radius, radius);
        painter.setPen(QPen(QColor(230, 72, 60), qMax<qreal>(1.0, s * 0.04)));
        painter.drawEllipse(centre, radius, radius);
    });
}

QIcon AppWindowIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(AppIcon(size));
    return icon;
}

QPixmap SiblingIcon(int size)
{
    return PaintIcon(size, QColor(244, 160, 64), QColor(214, 110, 36), [](QPainter& painter, qreal s) {
        // Two photographs, one turned over the other.
        const qreal border = qMax<qreal>(1.0, s * 0.04);
        const QRectF card(s * 0.22, s * 0.28, s * 0.56, s * 0.44);
        PaintPhotoCard(painter, card.translated(-s * 0.06, -s * 0.04), -12.0, border);
        PaintPhotoCard(painter, card.translated(s * 0.06, s * 0.06), 8.0, border);
    });
}

QPixmap AboutBanner(const QSize& size, const QString& title, const QString& subtitle)
{
    QPixmap pixmap(size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const qreal w = size.width();
    const qreal h = size.height();
    QLinearGradient band(0, 0, w, h);
    band.setColorAt(0.0, QColor(22, 44, 84));
    band.setColorAt(1.0, QColor(38, 96, 130));
    painter.fillRect(pixmap.rect(), band);
    // Soft rings echo the spot remover's cursor.
    painter.setBrush(Qt::NoBrush);
    for (int i = 0; i < 4; ++i) {
        painter.setPen(QPen(QColor(255, 255, 255, 18 + 6 * i), 2.0));
        const qreal r = h * (0.9 - 0.18 * i);
        painter.drawEllipse(QPointF(w * 0.86, h * 0.5), r, r);
    }
    const int iconSize = static_cast<int>(h * 0.64);
    const int iconTop = (size.height() - iconSize) / 2;
    painter.drawPixmap(iconTop, iconTop, AppIcon(iconSize));
    const qreal textLeft = iconTop * 2 + iconSize;
    const QRectF titleRect(textLeft, h * 0.22, w - textLeft - 10, h * 0.32);
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setBold(true);
    // The largest letters up to a fifth of the band's height that fit the line.
    for (int pixels = qMax(10, static_cast<int>(h * 0.22)); pixels >= 10; --pixels) {
        titleFont.setPixelSize(pixels);
        if (QFontMetricsF(titleFont).horizontalAdvance(title) <= titleRect.width()) break;
    }
    painter.setFont(titleFont);
    painter.setPen(Qt::white);
    painter.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter, title);
    QFont subtitleFont(QStringLiteral("Arial"));
    subtitleFont.setPixelSize(qMax(9, static_cast<int>(h * 0.14)));
    painter.setFont(subtitleFont);
    painter.setPen(QColor(200, 222, 240));
    painter.drawText(QRectF(textLeft, h * 0.54, w - textLeft - 10, h * 0.24), Qt::AlignLeft | Qt::AlignVCenter,
                     subtitle);
    return pixmap;
}

} // namespace AppArtwork

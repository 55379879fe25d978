#include "mainwnd/AppArtwork.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace AppArtwork {

namespace {

QPixmap TransparentPixmap(const QSize& size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    return pixmap;
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
    QPainterPath back;
    back.moveTo(frame.left(), frame.top() + h * 0.70);
    back.cubicTo(frame.left() + w * 0.30, frame.top() + h * 0.38, frame.left() + w * 0.55, frame.top() + h * 0.52,
                 frame.right(), frame.top() + h * 0.62);
    back.lineTo(frame.bottomRight());
    back.lineTo(frame.bottomLeft());
    painter.setBrush(QColor(88, 160, 96));
    painter.drawPath(back);
    QPainterPath front;
    front.moveTo(frame.left(), frame.top() + h * 0.86);
    front.cubicTo(frame.left() + w * 0.40, frame.top() + h * 0.66, frame.left() + w * 0.70, frame.top() + h * 0.80,
                  frame.right(), frame.top() + h * 0.74);
    front.lineTo(frame.bottomRight());
    front.lineTo(frame.bottomLeft());
    painter.setBrush(QColor(56, 124, 72));
    painter.drawPath(front);
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
    QPixmap pixmap = TransparentPixmap(QSize(size, size));
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    // Rounded tile.
    QLinearGradient tile(0, 0, 0, s);
    tile.setColorAt(0.0, QColor(46, 84, 140));
    tile.setColorAt(1.0, QColor(24, 48, 92));
    painter.setPen(Qt::NoPen);
    painter.setBrush(tile);
    painter.drawRoundedRect(QRectF(0, 0, s, s).adjusted(s * 0.02, s * 0.02, -s * 0.02, -s * 0.02), s * 0.2, s * 0.2);
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
    return pixmap;
}

QIcon AppWindowIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(AppIcon(size));
    return icon;
}

QPixmap SiblingIcon(int size)
{
    QPixmap pixmap = TransparentPixmap(QSize(size, size));
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    QLinearGradient tile(0, 0, 0, s);
    tile.setColorAt(0.0, QColor(244, 160, 64));
    tile.setColorAt(1.0, QColor(214, 110, 36));
    painter.setPen(Qt::NoPen);
    painter.setBrush(tile);
    painter.drawRoundedRect(QRectF(0, 0, s, s).adjusted(s * 0.02, s * 0.02, -s * 0.02, -s * 0.02), s * 0.2, s * 0.2);
    const qreal border = qMax<qreal>(1.0, s * 0.04);
    const QRectF card(s * 0.22, s * 0.28, s * 0.56, s * 0.44);
    PaintPhotoCard(painter, card.translated(-s * 0.06, -s * 0.04), -12.0, border);
    PaintPhotoCard(painter, card.translated(s * 0.06, s * 0.06), 8.0, border);
    return pixmap;
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

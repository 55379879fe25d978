#include "controls/FGPaint.h"

#include "controls/FGResource.h"

#include <QPainter>
#include <QPainterPath>

QColor FGAccentColor()
{
    return QColor(28, 128, 200);
}

void FGPaintRoundedBox(QPainter& painter, const QRectF& rect, const QColor& fill, const QColor& border,
                       double radius)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = rect.adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(border.alpha() == 0 ? QPen(Qt::NoPen) : QPen(border, 1.0));
    painter.setBrush(fill.alpha() == 0 ? QBrush(Qt::NoBrush) : QBrush(fill));
    painter.drawRoundedRect(box, radius, radius);
    painter.restore();
}

void FGPaintFocusRect(QPainter& painter, const QRect& rect)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(FGGetQColor(10), 1, Qt::DotLine));
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    painter.restore();
}

void FGPaintFallbackMark(QPainter& painter, const QRect& rect, bool radio, int check)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect).adjusted(1.5, 1.5, -1.5, -1.5);
    painter.setPen(QPen(QColor(120, 120, 120), 1.0));
    painter.setBrush(Qt::white);
    if (radio) painter.drawEllipse(box);
    else painter.drawRoundedRect(box, 2, 2);
    painter.setPen(Qt::NoPen);
    painter.setBrush(FGAccentColor());
    if (check == 1 && radio) painter.drawEllipse(box.adjusted(3, 3, -3, -3));
    else if (check == 1) painter.drawRect(box.adjusted(3, 3, -3, -3));
    else if (check == 2) painter.drawRect(box.adjusted(3, box.height() / 2 - 1.5, -3, -box.height() / 2 + 1.5));
    painter.restore();
}

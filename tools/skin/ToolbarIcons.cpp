#include "ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QTransform>

namespace ToolbarIcons {

namespace {

using SkinArtist::Inks;

QPen Stroke(const QColor& colour, double width, Qt::PenCapStyle cap = Qt::RoundCap)
{
    return QPen(colour, width, Qt::SolidLine, cap, Qt::RoundJoin);
}

void Fill(QPainter& p, const QPolygonF& shape, const QColor& colour)
{
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(shape);
}

void Outline(QPainter& p, const QPainterPath& path, const QColor& ink, const QColor& fill, double width = 2.0)
{
    p.setPen(Stroke(ink, width));
    p.setBrush(fill.alpha() ? QBrush(fill) : QBrush(Qt::NoBrush));
    p.drawPath(path);
}

QPainterPath Poly(std::initializer_list<QPointF> points, bool closed = true)
{
    QPainterPath path;
    auto it = points.begin();
    path.moveTo(*it);
    for (++it; it != points.end(); ++it) path.lineTo(*it);
    if (closed) path.closeSubpath();
    return path;
}

void Mirror(QPainter& p)
{
    p.translate(kSize, 0);
    p.scale(-1, 1);
}

void FileOpen(QPainter& p, const Inks& k)
{
    Outline(p, Poly({{4, 18}, {4, 5}, {10, 5}, {12, 7}, {19, 7}, {19, 10}}, false), k.ink, Qt::transparent);
    Fill(p, QPolygonF({{3.5, 19.5}, {7.5, 11}, {22, 11}, {18.5, 19.5}}), k.accent);
}

void Floppy(QPainter& p, const Inks& k, double l, double t, double size)
{
    const double r = l + size, b = t + size, cut = size * 0.2;
    p.setPen(Qt::NoPen);
    p.setBrush(k.fill);
    p.drawPath(Poly({{l, t}, {r - cut, t}, {r, t + cut}, {r, b}, {l, b}}));
    p.setBrush(k.accent);
    p.drawRect(QRectF(l + size * 0.2, t + size * 0.56, size * 0.6, size * 0.44));
    Outline(p, Poly({{l, t}, {r - cut, t}, {r, t + cut}, {r, b}, {l, b}}), k.ink, Qt::transparent);
    Outline(p, Poly({{l + size * 0.25, t}, {l + size * 0.25, t + size * 0.31}, {r - size * 0.3, t + size * 0.31},
                     {r - size * 0.3, t}},
                    false),
            k.ink, Qt::transparent);
}

void FileSave(QPainter& p, const Inks& k)
{
    Floppy(p, k, 4, 4, 16);
}

void FileSaveAs(QPainter& p, const Inks& k)
{
    Floppy(p, k, 3, 3, 12);
    p.setPen(Stroke(k.accent, 3.5, Qt::FlatCap));
    p.drawLine(QPointF(14, 19), QPointF(21, 12));
    Fill(p, QPolygonF({{15.24, 20.24}, {12.76, 17.76}, {11.2, 21.8}}), k.ink);
}

void Magnifier(QPainter& p, const Inks& k, bool plus)
{
    p.setPen(Stroke(k.ink, 3.0));
    p.drawLine(QPointF(14.8, 14.8), QPointF(20, 20));
    p.setPen(Stroke(k.ink, 2.0));
    p.setBrush(k.fill);
    p.drawEllipse(QRectF(4, 4, 12, 12));
    p.setPen(Stroke(k.accent, 2.0, Qt::FlatCap));
    p.drawLine(QPointF(7, 10), QPointF(13, 10));
    if (plus) p.drawLine(QPointF(10, 7), QPointF(10, 13));
}

void ZoomIn(QPainter& p, const Inks& k)
{
    Magnifier(p, k, true);
}

void ZoomOut(QPainter& p, const Inks& k)
{
    Magnifier(p, k, false);
}

void FitWindow(QPainter& p, const Inks& k)
{
    p.setPen(Stroke(k.ink, 2.0, Qt::SquareCap));
    p.setBrush(Qt::NoBrush);
    for (const auto& corner : {Poly({{4, 8}, {4, 5}, {7, 5}}, false), Poly({{17, 5}, {20, 5}, {20, 8}}, false),
                               Poly({{20, 16}, {20, 19}, {17, 19}}, false), Poly({{7, 19}, {4, 19}, {4, 16}}, false)})
        p.drawPath(corner);
    p.setPen(Qt::NoPen);
    p.setBrush(k.accent);
    p.drawRoundedRect(QRectF(7.5, 8.5, 9, 7), 1.2, 1.2);
    Fill(p, QPolygonF({{8.5, 14.5}, {11, 11}, {12.8, 13.2}, {13.8, 12.2}, {15.5, 14.5}}), k.fill);
}

void OriginalSize(QPainter& p, const Inks& k)
{
    p.setPen(Stroke(k.ink, 2.0));
    p.setBrush(k.fill);
    p.drawRoundedRect(QRectF(3, 5, 18, 14), 1.5, 1.5);
    p.setPen(Stroke(k.accent, 2.0));
    for (double x : {8.0, 16.0}) {
        p.drawLine(QPointF(x, 9), QPointF(x, 15.5));
        p.drawLine(QPointF(x - 1.6, 10.4), QPointF(x, 9));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(k.accent);
    p.drawEllipse(QPointF(12, 10.5), 1.1, 1.1);
    p.drawEllipse(QPointF(12, 14.5), 1.1, 1.1);
}

void Copy(QPainter& p, const Inks& k)
{
    p.setPen(Stroke(k.ink, 2.0));
    p.setBrush(k.fill);
    p.drawRoundedRect(QRectF(4, 3, 11, 13), 1.5, 1.5);
    p.setPen(Stroke(k.accent, 2.0));
    p.drawRoundedRect(QRectF(9, 8, 11, 13), 1.5, 1.5);
    p.setPen(Stroke(k.accent, 1.6, Qt::FlatCap));
    p.drawLine(QPointF(12, 12.5), QPointF(17, 12.5));
    p.drawLine(QPointF(12, 16.5), QPointF(16, 16.5));
}

void Paste(QPainter& p, const Inks& k)
{
    p.setPen(Stroke(k.ink, 2.0));
    p.setBrush(k.fill);
    p.drawRoundedRect(QRectF(5, 5, 14, 16), 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(k.accent);
    p.drawRoundedRect(QRectF(8.5, 3, 7, 4.5), 1.2, 1.2);
    p.setPen(Stroke(k.ink, 1.6, Qt::FlatCap));
    p.drawLine(QPointF(8.5, 11.5), QPointF(15.5, 11.5));
    p.drawLine(QPointF(8.5, 15), QPointF(13.5, 15));
}

void Undo(QPainter& p, const Inks& k)
{
    QPainterPath curve;
    curve.moveTo(19.5, 18.5);
    curve.cubicTo(19.5, 12, 16, 9.5, 10, 9.5);
    p.setPen(Stroke(k.ink, 2.2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
    Fill(p, QPolygonF({{3.5, 9.5}, {10.5, 4}, {10.5, 15}}), k.accent);
}

void Redo(QPainter& p, const Inks& k)
{
    Mirror(p);
    Undo(p, k);
}

void RotateLeft(QPainter& p, const Inks& k)
{
    p.setPen(Stroke(k.ink, 2.0));
    p.setBrush(k.accent);
    p.drawRoundedRect(QRectF(10, 10, 10, 10), 1.5, 1.5);
    QPainterPath arc;
    arc.moveTo(17, 6);
    arc.cubicTo(12, 3, 6.5, 5, 6, 10.5);
    p.setBrush(Qt::NoBrush);
    p.drawPath(arc);
    Fill(p, QPolygonF({{2.8, 10}, {9.2, 10}, {6, 14.8}}), k.ink);
}

void RotateRight(QPainter& p, const Inks& k)
{
    Mirror(p);
    RotateLeft(p, k);
}

void FlipHorizontal(QPainter& p, const Inks& k)
{
    QPen axis = Stroke(k.accent, 2.0, Qt::FlatCap);
    axis.setDashPattern({1.25, 1.0});
    p.setPen(axis);
    p.drawLine(QPointF(12, 2), QPointF(12, 22));
    Fill(p, QPolygonF({{9.5, 5}, {9.5, 19}, {2.5, 12}}), k.ink);
    p.setPen(Stroke(k.ink, 1.8));
    p.setBrush(k.fill);
    p.drawPolygon(QPolygonF({{15, 6.2}, {15, 17.8}, {20.8, 12}}));
}

void FlipVertical(QPainter& p, const Inks& k)
{
    // The horizontal flip mirrored across the diagonal: the axis lies across.
    p.setTransform(QTransform(0, 1, 1, 0, 0, 0), true);
    FlipHorizontal(p, k);
}

void About(QPainter& p, const Inks& k)
{
    p.setPen(Qt::NoPen);
    p.setBrush(k.accent);
    p.drawEllipse(QRectF(3, 3, 18, 18));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(12, 7.6), 1.45, 1.45);
    p.setPen(Stroke(Qt::white, 2.4));
    p.drawLine(QPointF(12, 11), QPointF(12, 16.8));
}

} // namespace

const std::vector<Icon>& All()
{
    static const std::vector<Icon> icons = {
        {"file_open", FileOpen},
        {"file_save", FileSave},
        {"file_saveas", FileSaveAs},
        {"view_zoomin", ZoomIn},
        {"view_zoomout", ZoomOut},
        {"view_fitwindow", FitWindow},
        {"view_originalsize", OriginalSize},
        {"edit_copy", Copy},
        {"edit_paste", Paste},
        {"edit_undo", Undo},
        {"edit_redo", Redo},
        {"image_rotateleft", RotateLeft},
        {"image_rotateright", RotateRight},
        {"image_horizontalflip", FlipHorizontal},
        {"image_verticalflip", FlipVertical},
        {"help_about", About},
    };
    return icons;
}

} // namespace ToolbarIcons

// skingen: draws the skin of the controls and the toolbar pictures and writes
// them as 24-bit BMP files.
//
//   skingen <resources-folder>
//
// writes <resources-folder>/Skin/*.bmp (check boxes, radio buttons, menu
// check mark, toolbar background and button frames, message box icons) and
// <resources-folder>/Bitmap/toolbar/<name>.bmp, <name>_hot.bmp and
// <name>_dis.bmp for every toolbar command. Magenta (255, 0, 255) marks
// see-through pixels where a picture does not fill its square.

#include "SkinArtist.h"
#include "ToolbarIcons.h"

#include <QDir>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

using namespace SkinArtist;

const QColor kDialogBackground(230, 230, 230); // colour 1 of the skin
const QColor kToolbarBackground(243, 243, 243);
const QColor kMenuBackground(240, 240, 240);
constexpr int kMarkSize = 16;
constexpr int kToolbarHeight = 44;
constexpr int kButtonSize = 40;

enum class MarkState { Normal, Hot, Down, Disabled };

struct MarkColours {
    QColor box, border, mark;
};

// Unchecked marks are white boxes; checked ones are filled with the accent.
MarkColours Colours(bool checked, MarkState state)
{
    if (state == MarkState::Disabled)
        return checked ? MarkColours{QColor(196, 196, 196), QColor(196, 196, 196), QColor(250, 250, 250)}
                       : MarkColours{QColor(242, 242, 242), QColor(196, 196, 196), QColor(196, 196, 196)};
    if (!checked) {
        const QColor box = state == MarkState::Down ? QColor(210, 229, 246) : QColor(255, 255, 255);
        const QColor border = state == MarkState::Normal ? QColor(128, 134, 142) : Accent();
        return {box, border, Accent()};
    }
    QColor fill = Accent();
    if (state == MarkState::Hot) fill = QColor(48, 148, 222);
    if (state == MarkState::Down) fill = QColor(18, 98, 160);
    return {fill, fill, QColor(255, 255, 255)};
}

QImage CheckBox(int check, MarkState state)
{
    const MarkColours c = Colours(check != 0, state);
    return OnBackground(Draw(kMarkSize, kMarkSize, [&](QPainter& p) {
        p.setPen(QPen(c.border, 1.0));
        p.setBrush(c.box);
        p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 2.5, 2.5);
        QPen pen(c.mark, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        if (check == 1) {
            QPainterPath tick;
            tick.moveTo(4.5, 8.2);
            tick.lineTo(7, 10.7);
            tick.lineTo(11.6, 5.4);
            p.drawPath(tick);
        } else if (check == 2) {
            p.drawLine(QPointF(5, 8), QPointF(11, 8));
        }
    }), kDialogBackground);
}

QImage Radio(bool checked, MarkState state)
{
    MarkColours c = Colours(false, state);
    if (checked && state != MarkState::Disabled) c.border = Colours(true, state).box;
    const QColor dot = state == MarkState::Disabled ? QColor(180, 180, 180) : Colours(true, state).box;
    return OnBackground(Draw(kMarkSize, kMarkSize, [&](QPainter& p) {
        p.setPen(QPen(c.border, checked ? 1.6 : 1.0));
        p.setBrush(c.box);
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        if (!checked) return;
        p.setPen(Qt::NoPen);
        p.setBrush(dot);
        p.drawEllipse(QPointF(8, 8), 3.4, 3.4);
    }), kDialogBackground);
}

QImage MenuCheckmark()
{
    return OnMagenta(Draw(20, 20, [](QPainter& p) {
        QPainterPath tick;
        tick.moveTo(5, 10.5);
        tick.lineTo(8.5, 14);
        tick.lineTo(15, 6.5);
        p.setPen(QPen(QColor(40, 46, 56), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(tick);
    }), kMenuBackground);
}

QImage ToolbarBackground(int width)
{
    QImage image(width, kToolbarHeight, QImage::Format_RGB32);
    for (int y = 0; y < kToolbarHeight; ++y) {
        const int level = 250 - (12 * y) / (kToolbarHeight - 2);
        const QRgb colour = y == kToolbarHeight - 1 ? qRgb(200, 200, 200) : qRgb(level, level, level);
        for (int x = 0; x < width; ++x) image.setPixel(x, y, colour);
    }
    return image;
}

QImage ButtonFrame(const QColor& fill, const QColor& border)
{
    return OnMagenta(Draw(kButtonSize, kButtonSize, [&](QPainter& p) {
        if (!fill.isValid()) return;
        p.setPen(QPen(border, 1.0));
        p.setBrush(fill);
        p.drawRoundedRect(QRectF(1.5, 1.5, kButtonSize - 3, kButtonSize - 3), 5, 5);
    }), kToolbarBackground);
}

// The message box icons: a 32 x 32 badge per kind in the skin's flat style.
QImage MessageIcon(const QString& kind)
{
    return OnMagenta(Draw(32, 32, [&](QPainter& p) {
        const QPen white(Qt::white, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        if (kind == "warning") {
            const QPolygonF triangle({{16, 3.5}, {29.5, 27.5}, {2.5, 27.5}});
            p.setPen(QPen(QColor(236, 168, 28), 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(QColor(236, 168, 28));
            p.drawPolygon(triangle);
            p.setPen(QPen(QColor(58, 50, 30), 3.0, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(16, 11.5), QPointF(16, 19));
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(58, 50, 30));
            p.drawEllipse(QPointF(16, 23.3), 1.8, 1.8);
            return;
        }
        p.setPen(Qt::NoPen);
        p.setBrush(kind == "error" ? QColor(206, 52, 52) : Accent());
        p.drawEllipse(QRectF(1, 1, 30, 30));
        p.setPen(white);
        p.setBrush(Qt::NoBrush);
        if (kind == "error") {
            p.drawLine(QPointF(11, 11), QPointF(21, 21));
            p.drawLine(QPointF(21, 11), QPointF(11, 21));
        } else if (kind == "question") {
            QPainterPath hook;
            hook.moveTo(11.5, 12.5);
            hook.cubicTo(11.5, 7.2, 20.5, 7.2, 20.5, 12.5);
            hook.cubicTo(20.5, 15.8, 16, 16, 16, 19.2);
            p.drawPath(hook);
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            p.drawEllipse(QPointF(16, 23.8), 2.0, 2.0);
        } else {
            p.drawLine(QPointF(16, 14.5), QPointF(16, 23));
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            p.drawEllipse(QPointF(16, 9.5), 2.1, 2.1);
        }
    }), kDialogBackground);
}

bool WriteSkin(const QDir& skin)
{
    bool ok = true;
    const char* checkNames[3] = {"uncheck", "check", "mid"}; // by check state: 0, 1, 2
    const struct { const char* suffix; MarkState state; } states[4] = {
        {"", MarkState::Normal}, {"_hot", MarkState::Hot}, {"_down", MarkState::Down}, {"_dis", MarkState::Disabled}};
    for (const auto& s : states) {
        for (int check = 0; check < 3; ++check)
            ok &= WriteBmp(CheckBox(check, s.state), skin.filePath(QString("checkbox_%1%2.bmp").arg(checkNames[check], s.suffix)));
        ok &= WriteBmp(Radio(false, s.state), skin.filePath(QString("radio_uncheck%1.bmp").arg(s.suffix)));
        ok &= WriteBmp(Radio(true, s.state), skin.filePath(QString("radio_check%1.bmp").arg(s.suffix)));
    }
    ok &= WriteBmp(MenuCheckmark(), skin.filePath("menu_checkmark.bmp"));
    for (const char* kind : {"error", "question", "warning", "information"})
        ok &= WriteBmp(MessageIcon(kind), skin.filePath(QString("msgbox_%1.bmp").arg(kind)));
    ok &= WriteBmp(ToolbarBackground(4), skin.filePath("toolbar_bk_start.bmp"));
    ok &= WriteBmp(ToolbarBackground(4), skin.filePath("toolbar_bk_end.bmp"));
    ok &= WriteBmp(ToolbarBackground(8), skin.filePath("toolbar_bk_fill.bmp"));
    ok &= WriteBmp(ButtonFrame(QColor(), QColor()), skin.filePath("toolbar_btn_normal.bmp"));
    ok &= WriteBmp(ButtonFrame(QColor(), QColor()), skin.filePath("toolbar_btn_disable.bmp"));
    ok &= WriteBmp(ButtonFrame(QColor(222, 238, 251), QColor(150, 196, 232)), skin.filePath("toolbar_btn_over.bmp"));
    ok &= WriteBmp(ButtonFrame(QColor(198, 224, 246), QColor(92, 156, 212)), skin.filePath("toolbar_btn_down.bmp"));
    return ok;
}

bool WriteToolbar(const QDir& toolbar)
{
    bool ok = true;
    const struct { const char* suffix; Inks inks; } variants[3] = {
        {"", NormalInks()}, {"_hot", HotInks()}, {"_dis", DisabledInks()}};
    for (const ToolbarIcons::Icon& icon : ToolbarIcons::All()) {
        for (const auto& v : variants) {
            const QImage canvas = Draw(ToolbarIcons::kSize, ToolbarIcons::kSize,
                                       [&](QPainter& p) { icon.draw(p, v.inks); });
            ok &= WriteBmp(OnMagenta(canvas, kToolbarBackground), toolbar.filePath(icon.name + v.suffix + ".bmp"));
        }
    }
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: skingen <resources-folder>\n");
        return 2;
    }
    const QDir resources(QString::fromLocal8Bit(argv[1]));
    if (!resources.exists()) {
        std::fprintf(stderr, "skingen: no folder %s\n", argv[1]);
        return 2;
    }
    resources.mkpath("Skin");
    resources.mkpath("Bitmap/toolbar");
    const bool ok = WriteSkin(QDir(resources.filePath("Skin"))) && WriteToolbar(QDir(resources.filePath("Bitmap/toolbar")));
    return ok ? 0 : 1;
}

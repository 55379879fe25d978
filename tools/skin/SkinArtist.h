#pragma once
// Drawing and writing of skin bitmaps. Every picture is drawn anti-aliased on
// a transparent canvas, then flattened for a 24-bit BMP: either onto a solid
// background (controls that sit on the dialog colour) or onto magenta for
// see-through pixels, with edge pixels blended with the colour they will
// usually be shown on.

#include <QColor>
#include <QImage>
#include <QString>

#include <functional>

class QPainter;

namespace SkinArtist {

/// The palette of the skin.
struct Inks {
    QColor ink;     ///< outlines and main strokes
    QColor accent;  ///< the one accent colour
    QColor fill;    ///< inner surfaces (paper, boxes)
};

/// Normal, hot and disabled ink sets.
Inks NormalInks();
Inks HotInks();
Inks DisabledInks();

/// The accent colour of the whole skin: RGB(28, 128, 200).
QColor Accent();

/// A transparent canvas of `width` x `height` with `draw` applied.
QImage Draw(int width, int height, const std::function<void(QPainter&)>& draw);

/// Flattens `canvas` onto `background` (every pixel opaque).
QImage OnBackground(const QImage& canvas, const QColor& background);

/// Flattens `canvas` onto magenta: pixels less than a third covered become
/// magenta (see-through), the others are blended with `usualBackground`.
QImage OnMagenta(const QImage& canvas, const QColor& usualBackground);

/// Writes `image` as a 24-bit BMP; false on failure (with a message on
/// standard error).
bool WriteBmp(const QImage& image, const QString& path);

} // namespace SkinArtist

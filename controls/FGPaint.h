#pragma once
// Drawing helpers shared by the skinned controls, so that every control draws
// boxes, focus marks and the accent colour the same way.

#include <QColor>
#include <QRect>

class QPainter;

/// The one accent colour of the skin (selection, default button, slider
/// fill, check marks): RGB(28, 128, 200), the deep tone of the skin's blues.
QColor FGAccentColor();

/// A box with a 1-pixel `border` (none when transparent) and `fill` (none
/// when transparent) and corners of `radius` pixels, inside `rect`.
void FGPaintRoundedBox(QPainter& painter, const QRectF& rect, const QColor& fill, const QColor& border,
                       double radius);

/// A dotted focus rectangle inside `rect`.
void FGPaintFocusRect(QPainter& painter, const QRect& rect);

/// A check box or radio mark drawn without skin bitmaps (used when the skin
/// lacks them): `check` is 0 unchecked, 1 checked, 2 indeterminate.
void FGPaintFallbackMark(QPainter& painter, const QRect& rect, bool radio, int check);

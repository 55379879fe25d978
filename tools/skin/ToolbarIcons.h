#pragma once
// The sixteen toolbar pictures, drawn on a 24 x 24 grid with 2-pixel strokes
// on whole pixels (crisp at 1:1), an ink colour for outlines and the skin's
// one accent colour for the part that tells the commands apart.

#include "SkinArtist.h"

#include <QString>

#include <vector>

class QPainter;

namespace ToolbarIcons {

/// Size of a toolbar picture in pixels (square).
constexpr int kSize = 24;

/// One picture: its skin name and how to draw it with a set of inks.
struct Icon {
    QString name;
    void (*draw)(QPainter& painter, const SkinArtist::Inks& inks);
};

/// Every toolbar picture, in toolbar order.
const std::vector<Icon>& All();

} // namespace ToolbarIcons

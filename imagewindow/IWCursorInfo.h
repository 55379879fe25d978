#pragma once
// The description of a cursor picture that the image view builds for a tool.
// Two descriptions name the same cursor when all eight fields are equal.

#include <cstdint>

namespace ImageWindow {

/// Picture of a view-built cursor.
enum emCursorShape : std::int32_t {
    CURSOR_SHAPE_DEFAULT = -1,        ///< the view's crosshair (default cursor)
    CURSOR_SHAPE_CROSS = 0,           ///< inverting cross over the whole cursor, bars of the line width
    CURSOR_SHAPE_CIRCLE = 1,          ///< white ring of the line width around the radius, black inner edge
    CURSOR_SHAPE_TARGET = 2,          ///< inverting circle with a cross (16 × 16)
    CURSOR_SHAPE_CROSSHAIR = 3,       ///< the default crosshair (16 × 16)
    CURSOR_SHAPE_CROSSHAIR_ALT = 4,   ///< the default crosshair (16 × 16)
    CURSOR_SHAPE_CROSSHAIR_OVAL = 5,  ///< crosshair with a small ellipse at the lower right (16 × 16)
    CURSOR_SHAPE_MAGICWAND = 6,       ///< magic wand (16 × 16)
};

/// Small mark drawn into the cursor's lower corner.
enum emCursorExtraMark : std::int32_t {
    CURSOR_MARK_NONE = -1,
    CURSOR_MARK_PLUS = 0,
    CURSOR_MARK_MINUS = 1,
};

/// Cursor description: eight 32-bit fields in this order.
struct IWCURSORINFO {
    std::int32_t iShape{CURSOR_SHAPE_DEFAULT};      ///< emCursorShape value
    std::int32_t emExtraMark{CURSOR_MARK_NONE};     ///< emCursorExtraMark value
    std::int32_t iImageSize{0};                     ///< width = height in pixels; a positive multiple of 8
    std::int32_t iHotSpotX{0};                      ///< 0 ≤ x < image size, row 0 at the top
    std::int32_t iHotSpotY{0};                      ///< 0 ≤ y < image size
    std::int32_t iLineWidth{0};                     ///< cross: bar width; circle: ring width
    std::int32_t iRadius{0};                        ///< circle: inner radius
    std::int32_t iReserved{0};                      ///< not used in drawing; part of the identity

    friend bool operator==(const IWCURSORINFO&, const IWCURSORINFO&) = default;
};
static_assert(sizeof(IWCURSORINFO) == 32);

} // namespace ImageWindow

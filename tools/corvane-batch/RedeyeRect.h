#pragma once
// Red-eye rectangles as corvane-batch takes them: "X0,Y0,X1,Y1" or
// "X0,Y0,X1,Y1,AMOUNT". The rectangle is in image pixels with row 0 at the
// top, from column X0 and row Y0 up to but not including column X1 and row
// Y1, as the red-eye tool reports a drag; AMOUNT is how strongly the red
// pupils inside are darkened, 1 to 100 per cent (the tool's default when
// left out).

#include <optional>
#include <string>
#include <string_view>

#include "platform/WinTypes.h"

namespace CorvaneBatch {

/// One red-eye repair.
struct RedeyeRect {
    RECT rect{0, 0, 0, 0};  ///< image pixels, row 0 at the top, right and bottom exclusive
    int amount{1};          ///< per cent, 1 to 100

    /// "X0,Y0,X1,Y1", as it was given.
    std::wstring Text() const;
};

/// Parses `text`; a missing AMOUNT is the red-eye tool's default. Nothing,
/// with `error` set to a one-line reason, for anything but four or five
/// whole numbers, an amount outside 1..100, or a rectangle that is empty
/// (X1 = X0 or Y1 = Y0) or reversed (X1 < X0 or Y1 < Y0). A rectangle
/// reaching beyond any photo is accepted here; the run checks it against
/// each photo.
std::optional<RedeyeRect> ParseRedeye(std::string_view text, std::string& error);

} // namespace CorvaneBatch

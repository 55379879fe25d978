#pragma once
// Healing strokes, as corvane-batch takes them: "SIZE:X1,Y1:X2,Y2[:...]",
// the spot size followed by the points of the stroke's path, each "X,Y" in
// image pixels with row 0 at the top (as the spot remover reports a drag
// with Shift held). The area healed is every pixel within half the size of
// the polyline through the points, as the spot remover's healing stroke.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WinTypes.h"

namespace CorvaneBatch {

/// One healing stroke: the spot size and the path.
struct Stroke {
    int size{15};
    std::vector<POINT> path;
};

/// Most points a stroke may have: a path scripted or typed on a command line
/// (whose single argument holds at most 128 KiB on Linux), well within what
/// its operation record holds.
inline constexpr std::size_t kMaxStrokePoints = 10000;

/// Parses "SIZE:X1,Y1[:X2,Y2...]": a size of 1 to MaxSpotSize() and 1 to
/// kMaxStrokePoints points (one point heals a disk). Nothing, with `error`
/// set to a one-line reason, for malformed text, a size outside its range or
/// too many points.
std::optional<Stroke> ParseStroke(std::string_view text, std::string& error);

} // namespace CorvaneBatch

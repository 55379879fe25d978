#include "StrokeList.h"

#include "SpotList.h"
#include "operations/OptParam_HealingStroke.h"

namespace CorvaneBatch {

namespace {

// "X,Y" with whole numbers.
std::optional<POINT> ParsePoint(std::string_view text)
{
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos) return std::nullopt;
    const auto x = ParseInt(text.substr(0, comma));
    const auto y = ParseInt(text.substr(comma + 1));
    if (!x || !y) return std::nullopt;
    return POINT{*x, *y};
}

} // namespace

static_assert(kMaxStrokePoints <= OptParam_HealingStroke::kMaxPoints, "a stroke must fit its operation record");

std::optional<Stroke> ParseStroke(std::string_view text, std::string& error)
{
    const std::string usage = "--stroke takes SIZE:X1,Y1[:X2,Y2...]: " + std::string(text.substr(0, 80)) +
                              (text.size() > 80 ? "..." : "");
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) return error = usage, std::nullopt;
    const auto size = ParseInt(text.substr(0, colon));
    if (!size) return error = usage, std::nullopt;
    if (*size < 1 || *size > MaxSpotSize())
        return error = "--stroke: the size " + std::to_string(*size) + " is not 1 to " + std::to_string(MaxSpotSize()),
               std::nullopt;
    Stroke stroke{*size, {}};
    for (std::size_t start = colon + 1;;) {
        if (stroke.path.size() == kMaxStrokePoints)
            return error = "--stroke: more than " + std::to_string(kMaxStrokePoints) + " points", std::nullopt;
        const std::size_t end = text.find(':', start);
        const auto point = ParsePoint(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (!point) return error = usage, std::nullopt;
        stroke.path.push_back(*point);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return stroke;
}

} // namespace CorvaneBatch

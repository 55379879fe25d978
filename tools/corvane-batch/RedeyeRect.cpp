#include "RedeyeRect.h"

#include <vector>

#include "SpotList.h"
#include "imagewindow/tools/RedeyeReduction.h"

namespace CorvaneBatch {

using ImageWindow::EmbeddedTool::RedeyeReduction;

std::wstring RedeyeRect::Text() const
{
    return std::to_wstring(rect.left) + L"," + std::to_wstring(rect.top) + L"," + std::to_wstring(rect.right) + L"," +
           std::to_wstring(rect.bottom);
}

std::optional<RedeyeRect> ParseRedeye(std::string_view text, std::string& error)
{
    const std::string shown = ": " + std::string(text);
    const std::vector<std::string_view> parts = SplitAtCommas(text);
    std::optional<int> values[5];
    for (std::size_t i = 0; i < parts.size() && i < 5; ++i) values[i] = ParseInt(parts[i]);
    const bool numbers = (parts.size() == 4 || parts.size() == 5) && values[0] && values[1] && values[2] && values[3] &&
                         (parts.size() == 4 || values[4]);
    if (!numbers) {
        error = "--redeye takes X0,Y0,X1,Y1 or X0,Y0,X1,Y1,AMOUNT (whole numbers from -2147483648 to 2147483647)";
        return error += shown, std::nullopt;
    }
    RedeyeRect redeye{{*values[0], *values[1], *values[2], *values[3]},
                      parts.size() == 5 ? *values[4] : RedeyeReduction::DEFAULT_DARKEN_AMOUNT};
    if (redeye.amount < RedeyeReduction::MIN_DARKEN_AMOUNT || redeye.amount > RedeyeReduction::MAX_DARKEN_AMOUNT)
        return error = "--redeye: AMOUNT must be 1 to 100" + shown, std::nullopt;
    const RECT& r = redeye.rect;
    if (r.right == r.left || r.bottom == r.top)
        return error = "--redeye: the rectangle is empty (X1 must differ from X0 and Y1 from Y0)" + shown, std::nullopt;
    if (r.right < r.left || r.bottom < r.top)
        return error = "--redeye: the rectangle is reversed (X1,Y1 must lie right of and below X0,Y0)" + shown,
               std::nullopt;
    return redeye;
}

} // namespace CorvaneBatch

#include "mainwnd/DisplayScale.h"

#include <array>

namespace DisplayScale {

namespace {

constexpr std::array<double, COUNT> kScales = {
    8.0,
    7.0,
    6.0,
    5.0,
    4.0,
    3.0,
    2.0,
    1.0,
    0.5,
    static_cast<double>(1.0f / 3.0f),
    0.25,
    static_cast<double>(1.0f / 5.0f),
    static_cast<double>(1.0f / 6.0f),
    static_cast<double>(1.0f / 7.0f),
    0.125,
    1.0 / 16.0,
    1.0 / 32.0,
    1.0 / 64.0,
    1.0 / 128.0,
};

} // namespace

double At(int index)
{
    return index >= 0 && index < COUNT ? kScales[static_cast<std::size_t>(index)] : 1.0;
}

int NearestIndex(double zoom)
{
    if (zoom >= kScales.front()) return 0;
    if (!(zoom > kScales.back())) return COUNT - 1;  // also catches NaN
    for (std::size_t i = 0; i + 1 < kScales.size(); ++i) {
        if (zoom < kScales[i] && zoom >= kScales[i + 1])
            return zoom - kScales[i + 1] < kScales[i] - zoom ? static_cast<int>(i + 1) : static_cast<int>(i);
    }
    return COUNT - 1;
}

int StepIndex(double zoom, bool zoomIn)
{
    const int current = NearestIndex(zoom);
    if (zoomIn) return current > 0 ? current - 1 : 0;
    return current < COUNT - 1 ? current + 1 : COUNT - 1;
}

} // namespace DisplayScale

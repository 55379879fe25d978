#include "mainwnd/StatusText.h"

#include "Tinctor/ImageProcess.h"
#include "platform/WideFormat.h"

namespace StatusText {

std::wstring FormatImageInfo(int width, int height, int bitsPerPixel, double zoom)
{
    const int shownWidth = static_cast<int>(zoom * width + 0.5);
    const int shownHeight = static_cast<int>(zoom * height + 0.5);
    return FormatWide(L"%dx%dx%dBPP (%dx%d, %.2f%%)", width, height, bitsPerPixel, shownWidth, shownHeight,
                      zoom * 100.0);
}

std::wstring FormatCursorPos(int x, int y) { return FormatWide(L"X=%d,Y=%d", x, y); }

std::wstring FormatPixelColor(COLORREF colour)
{
    const BYTE red = GetRValue(colour);
    const BYTE green = GetGValue(colour);
    const BYTE blue = GetBValue(colour);
    double hue = 0.0, saturation = 0.0, value = 0.0;
    ImageProcess::RGB2HSV(red, green, blue, hue, saturation, value);
    return FormatPixelColor(red, green, blue, hue, saturation, value);
}

std::wstring FormatPixelColor(BYTE red, BYTE green, BYTE blue, double hue, double saturation, double value)
{
    const std::wstring hueText = hue < 0.0 ? L"---" : FormatWide(L"%.3d", static_cast<int>(hue));
    const std::wstring saturationText = saturation > -0.00001 ? FormatWide(L"%.2f", saturation) : L"-.--";
    return FormatWide(L"RGB(%.3d,%.3d,%.3d) ", red, green, blue) +
           FormatWide(L"HSV(%s, %s, %.2f)", hueText.c_str(), saturationText.c_str(), value);
}

} // namespace StatusText

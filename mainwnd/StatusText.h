#pragma once
// The texts of the main window's status bar: the image information, the
// cursor position and the colour under the cursor.

#include <string>

#include "platform/WinTypes.h"

namespace StatusText {

/// "%dx%dx%dBPP (%dx%d, %.2f%%)": image width, height and bits per pixel,
/// then the displayed width and height (zoom × size + 0.5, truncated) and the
/// zoom in per cent. Example: "4000x3000x24BPP (667x500, 16.67%)".
std::wstring FormatImageInfo(int width, int height, int bitsPerPixel, double zoom);

/// "X=%d,Y=%d" with a point in image pixels (row 0 at the top).
std::wstring FormatCursorPos(int x, int y);

/// "RGB(%.3d,%.3d,%.3d) HSV(h, s, v)" for a COLORREF (red in bits 0-7):
/// the hue in whole degrees as "%.3d", or "---" for a grey pixel (no hue);
/// the saturation as "%.2f", or "-.--" when it is -0.00001 or less (black);
/// the value as "%.2f". Example: "RGB(255,000,000) HSV(000, 1.00, 1.00)".
std::wstring FormatPixelColor(COLORREF colour);

/// The same text from hue, saturation and value already computed (hue in
/// degrees, negative when there is none; saturation and value 0 to 1).
std::wstring FormatPixelColor(BYTE red, BYTE green, BYTE blue, double hue, double saturation, double value);

} // namespace StatusText

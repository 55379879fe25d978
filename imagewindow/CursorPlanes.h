#pragma once
// Monochrome cursor pictures as the two planes of a classic cursor: an AND
// plane and an XOR plane, `size` pixels square, rows of size / 8 bytes from
// the top row down, bit 7 of a byte being the leftmost pixel.
//
//   AND 1, XOR 0: transparent      AND 1, XOR 1: inverts the screen
//   AND 0, XOR 0: black            AND 0, XOR 1: white
//
// ToQCursor turns the planes into a bitmap cursor; an inverting pixel shows
// black, since Qt cannot invert the screen under a cursor on every platform.

#include <optional>
#include <vector>

#include <QCursor>

#include "imagewindow/IWCursorInfo.h"
#include "platform/WinTypes.h"

namespace ImageWindow {

class CCursorPlanes {
public:
    /// Transparent planes of size × size pixels (AND all 0xFF, XOR all 0).
    /// `size` must be a positive multiple of 8.
    explicit CCursorPlanes(int size);

    /// Width and height in pixels.
    int Size() const { return m_iSize; }
    /// Bytes per row (size / 8).
    int RowBytes() const { return m_iSize / 8; }
    /// The planes: RowBytes() bytes per row, top row first, the leftmost
    /// pixel in the high bit of each byte.
    const std::vector<BYTE>& AndPlane() const { return m_vAnd; }
    const std::vector<BYTE>& XorPlane() const { return m_vXor; }

    /// Bit of a plane at column x, row y (row 0 at the top); false outside.
    bool AndBit(int x, int y) const;
    bool XorBit(int x, int y) const;
    /// Sets or clears one bit; positions outside the picture are ignored.
    void SetAndBit(int x, int y, bool on);
    void SetXorBit(int x, int y, bool on);

    /// The 16 × 16 crosshair with the hot spot at (7, 7): black lines through
    /// row 7 and column 7, outlined in white, the centre inverting.
    static CCursorPlanes Crosshair();

    /// Builds the planes a description asks for. `crosshair` supplies the
    /// planes of shapes 3 to 5 and of shape -1, the crosshair with the
    /// description's extra mark at (13, 13) (its other fields do not count).
    /// Returns nothing for an invalid description: image size not a positive
    /// multiple of 8 (or above 8192), hot spot outside the picture, a cross
    /// or circle too thick for the picture. A shape other than -1..6 draws
    /// nothing and yields an empty cursor.
    static std::optional<CCursorPlanes> Build(const IWCURSORINFO& info, const CCursorPlanes& crosshair);

    /// Draws a plus (CURSOR_MARK_PLUS: lines of 5 pixels through (x, y)) or
    /// a minus (the horizontal line only) into the XOR plane; nothing for
    /// any other mark.
    void DrawExtraMark(std::int32_t mark, int x, int y);

    /// A bitmap cursor of these planes with the hot spot (hotX, hotY).
    QCursor ToQCursor(int hotX, int hotY) const;

private:
    // One bit of `plane` (one of the two members) at (x, y); outside the
    // picture reads false and is not written.
    bool Bit(const std::vector<BYTE>& plane, int x, int y) const;
    void SetBit(std::vector<BYTE>& plane, int x, int y, bool on) const;
    void CopyLeadingBytes(const BYTE* andBytes, const BYTE* xorBytes, std::size_t count);
    bool DrawCross(int lineWidth);
    bool DrawCircle(int lineWidth, int radius);
    void DrawFixedPicture(std::int32_t shape, const CCursorPlanes& crosshair);

    int m_iSize{0};
    std::vector<BYTE> m_vAnd;
    std::vector<BYTE> m_vXor;
};

} // namespace ImageWindow

#include "imagewindow/tools/MagicWand.h"

#include <algorithm>
#include <vector>

namespace ImageWindow::EmbeddedTool {

namespace {

// A run of picture row y, columns x1..x2 (inclusive), still to be looked at;
// dy says from which side it was reached (+1: from the row above).
struct Span {
    int x1;
    int x2;
    int y;
    int dy;
};

// The colour test: every byte within [lo, lo + range].
struct ColourWindow {
    int lo[3];
    unsigned range[3];

    ColourWindow(const BYTE* reference, int tolerance)
    {
        for (int c = 0; c < 3; ++c) {
            lo[c] = std::max(0, reference[c] - tolerance);
            range[c] = static_cast<unsigned>(std::min(255, reference[c] + tolerance) - lo[c]);
        }
    }
    bool Contains(const BYTE* p) const
    {
        return static_cast<unsigned>(p[0] - lo[0]) <= range[0] && static_cast<unsigned>(p[1] - lo[1]) <= range[1] &&
               static_cast<unsigned>(p[2] - lo[2]) <= range[2];
    }
};

template <int BytesPerPixel>
class ScanlineFill {
public:
    ScanlineFill(const PixelRows& rows, const ColourWindow& colour, BYTE* mask)
        : m_Rows(rows), m_Colour(colour), m_pMask(mask)
    {
    }

    RECT Run(POINT seed)
    {
        m_Box = {seed.x, seed.y, seed.x, seed.y};
        m_vStack.reserve(256);
        m_vStack.push_back({seed.x, seed.x, seed.y, 1});
        m_vStack.push_back({seed.x, seed.x, seed.y - 1, -1});
        while (!m_vStack.empty()) {
            const Span span = m_vStack.back();
            m_vStack.pop_back();
            if (span.y >= 0 && span.y < m_Rows.iHeight) FillSpan(span);
        }
        return m_Box;
    }

private:
    bool Inside(const BYTE* pixels, const BYTE* mask, int x) const
    {
        return mask[x] == 0 && m_Colour.Contains(pixels + static_cast<std::ptrdiff_t>(x) * BytesPerPixel);
    }

    // Fills the runs of row span.y that touch span.x1..x2 and queues the
    // parts of the neighbouring rows they reach.
    void FillSpan(const Span& span)
    {
        const int width = m_Rows.iWidth, y = span.y, dy = span.dy;
        const BYTE* pixels = m_Rows.pTop + static_cast<std::ptrdiff_t>(y) * m_Rows.iStep;
        BYTE* mask = m_pMask + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        int x1 = span.x1, x2 = span.x2, x = x1;
        if (Inside(pixels, mask, x)) {
            while (x > 0 && Inside(pixels, mask, x - 1)) mask[--x] = 255;
            if (x < x1) m_vStack.push_back({x, x1 - 1, y - dy, -dy});
        }
        while (x1 <= x2) {
            while (x1 < width && Inside(pixels, mask, x1)) mask[x1++] = 255;
            if (x1 > x) {
                m_vStack.push_back({x, x1 - 1, y + dy, dy});
                Include(x, x1, y);
            }
            if (x1 - 1 > x2) m_vStack.push_back({x2 + 1, x1 - 1, y - dy, -dy});
            ++x1;
            while (x1 < x2 && !Inside(pixels, mask, x1)) ++x1;
            x = x1;
        }
    }

    void Include(int left, int right, int y)
    {
        m_Box.left = std::min<LONG>(m_Box.left, left);
        m_Box.right = std::max<LONG>(m_Box.right, right);
        m_Box.top = std::min<LONG>(m_Box.top, y);
        m_Box.bottom = std::max<LONG>(m_Box.bottom, y + 1);
    }

    const PixelRows& m_Rows;
    const ColourWindow& m_Colour;
    BYTE* m_pMask;
    std::vector<Span> m_vStack;
    RECT m_Box{};
};

} // namespace

bool MagicWandFill(const PixelRows& rows, POINT seed, BYTE tolerance, BYTE* mask, RECT& box)
{
    if (rows.IsEmpty() || !mask || seed.x < 0 || seed.y < 0 || seed.x >= rows.iWidth || seed.y >= rows.iHeight)
        return false;
    const BYTE* reference =
        rows.pTop + static_cast<std::ptrdiff_t>(seed.y) * rows.iStep + static_cast<std::ptrdiff_t>(seed.x) * rows.iBytesPerPixel;
    const ColourWindow colour(reference, tolerance);
    box = rows.iBytesPerPixel == 4 ? ScanlineFill<4>(rows, colour, mask).Run(seed)
                                   : ScanlineFill<3>(rows, colour, mask).Run(seed);
    return true;
}

} // namespace ImageWindow::EmbeddedTool

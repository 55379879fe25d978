#pragma once
// Internal view of the area an area heal repairs: soft weights over a box.

#include <cstddef>
#include <cstdint>

#include "platform/WinTypes.h"

namespace ImageProcess {

/// The weights of an area (0 outside it, up to 255 for pixels repaired
/// fully) over `box` (image pixels, row 0 at the top, right and bottom
/// exclusive, inside the image), and optionally the pixels the user pointed
/// at (always repaired). Both are laid out row by row over a rectangle whose
/// top-left pixel is (`originX`, `originY`) and whose rows are `stride`
/// bytes; `box` lies inside it. Pixels outside the box are not in the area.
/// Keeps pointers: the caller's bytes must outlive the view. Any thread.
struct AreaMask {
    RECT box{0, 0, 0, 0};
    int originX{0};
    int originY{0};
    std::size_t stride{0};
    const std::uint8_t* weights{nullptr};
    const std::uint8_t* pointed{nullptr};   ///< may be null: nothing pointed at

    /// Weight of pixel (x, y), 0 outside the box.
    std::uint8_t At(int x, int y) const
    {
        if (x < box.left || y < box.top || x >= box.right || y >= box.bottom) return 0;
        return weights[Index(x, y)];
    }
    /// True when pixel (x, y) belongs to the area.
    bool Covers(int x, int y) const { return At(x, y) != 0; }
    /// True when the user pointed at pixel (x, y).
    bool Pointed(int x, int y) const
    {
        return pointed != nullptr && x >= box.left && y >= box.top && x < box.right && y < box.bottom &&
               pointed[Index(x, y)] != 0;
    }
    bool IsEmpty() const { return box.right <= box.left || box.bottom <= box.top; }

private:
    std::size_t Index(int x, int y) const
    {
        return static_cast<std::size_t>(y - originY) * stride + static_cast<std::size_t>(x - originX);
    }
};

} // namespace ImageProcess

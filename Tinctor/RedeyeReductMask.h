#pragma once
// Finds the red pupils inside a red-eye rectangle.

#include <cstdint>
#include <vector>

#include "Tinctor/ImageBuffer.h"

namespace ImageProcess {

/// The red pupils inside a rectangle of an image, as a soft mask.
///
/// A pixel's redness is how far red rises above the larger of green and blue,
/// relative to red: (r - max(g, b)) / (r + 1). Skin stays below about 0.25,
/// a red pupil lies well above 0.45. Pupils are the 8-connected groups of
/// reddish pixels (redness from 0.3) that hold clearly red ones (from 0.45 with
/// red at least 50) and are shaped like a pupil (a compact blob: its box at
/// most 2.5 times longer one way than the other, at least 35 % of it
/// covered): the reddest such group and any other with at least a quarter of
/// its area (the second eye when the rectangle holds both). Stray red specks,
/// red lips or clothes in a rectangle drawn around a whole face, skin, the
/// white of the eye and the catch-light (white, not red) stay out. The weight of a pupil pixel rises smoothly with redness from 0 at
/// 0.3 to 1 at 0.45, so the pupil's rim blends into the iris. Immutable once
/// built; any thread.
class RedeyeReductMask {
public:
    /// `area`: the rectangle, already clipped to the image and not empty, in
    /// image pixels with row 0 at the TOP (right and bottom exclusive).
    RedeyeReductMask(const ImageBuffer& image, const RECT& area);

    /// Weight (0 to 1) of pixel (x, y) of the rectangle, in image pixels with
    /// row 0 at the top; 0 outside the pupils.
    float Weight(int x, int y) const;

    /// True when no pupil was found.
    bool IsEmpty() const { return m_empty; }

    /// The redness measure above, for one pixel's channels.
    static float Redness(float red, float green, float blue);

private:
    void Label(const ImageBuffer& image);
    /// Labels the group holding `start` with the next id; returns its summed
    /// weight, or 0 when it holds no clearly red pixel or is not shaped like
    /// a pupil.
    float FloodGroup(int start, const std::vector<std::uint8_t>& red);
    void KeepPupils();

    RECT m_area{};
    int m_width{0};
    int m_height{0};
    std::vector<float> m_weight;        ///< redness weight of every pixel of the rectangle
    std::vector<int> m_label;           ///< pupil candidate group of each pixel, -1 for none
    std::vector<float> m_groupArea;     ///< summed weight of each group
    bool m_empty{true};
};

} // namespace ImageProcess

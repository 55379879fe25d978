#pragma once
// A face-like test picture for the red-eye repair, drawn by the tests (never
// tuned on a photograph): skin with a gentle shading and a fine texture, two
// eyes (white, brown iris, red pupil with a white catch-light up and left of
// its centre, every edge soft over about a pixel and a half) and red lips
// below them. ExpectRepaired checks a repaired copy against the original.

#include <array>

#include <QImage>
#include <QPoint>
#include <QRect>

namespace CorvaneTest {

class RedEyeFace {
public:
    static constexpr int kWidth = 240;
    static constexpr int kHeight = 180;

    struct Eye {
        QPoint centre;   ///< centre of iris and pupil, image pixels, row 0 at the top
        QPoint light;    ///< centre of the catch-light
    };
    static constexpr std::array<Eye, 2> kEyes{{{{75, 70}, {72, 67}}, {{165, 72}, {162, 69}}}};

    /// The picture, 24-bit RGB, row 0 at the top.
    static QImage Draw();
    /// A rectangle around eye `index` that leaves the other eye and the lips
    /// out: left, top inclusive, right, bottom exclusive as QRect(x, y, w, h).
    static QRect EyeBox(int index);

    /// Checks `after` against `before` for a repair of the eyes inside
    /// `boxes` with `amountPercent`: inside a box the pupils' core has its red
    /// brought to the mean of green and blue and every channel darkened by
    /// the amount (within 2 levels of that); catch-light cores and the skin
    /// are unchanged within 2 levels; outside every box no pixel changed at
    /// all. Reports failures through GoogleTest.
    static void ExpectRepaired(const QImage& before, const QImage& after, const std::vector<QRect>& boxes,
                               int amountPercent);
};

} // namespace CorvaneTest

#include "RedEyeFace.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

namespace CorvaneTest {

namespace {

constexpr double kScleraRx = 24.0, kScleraRy = 13.0;
constexpr double kIrisRadius = 12.0, kPupilRadius = 8.0, kLightRadius = 3.0;
constexpr QRgb kSclera = qRgb(236, 232, 226), kIris = qRgb(96, 70, 50), kPupil = qRgb(205, 36, 46);
constexpr QRgb kLight = qRgb(252, 252, 250), kLips = qRgb(186, 72, 82);

// How much of a pixel a shape covers when the pixel's centre lies `inside`
// pixels within its edge (negative: outside): a soft edge 1.5 pixels wide.
double Coverage(double inside)
{
    const double t = std::clamp((inside + 0.75) / 1.5, 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

// Distance inside an ellipse, approximately, in pixels.
double InsideEllipse(double dx, double dy, double rx, double ry)
{
    return (1.0 - std::hypot(dx / rx, dy / ry)) * std::min(rx, ry);
}

QRgb Mix(QRgb under, QRgb over, double alpha)
{
    const auto channel = [&](int a, int b) { return static_cast<int>(std::lround(a + alpha * (b - a))); };
    return qRgb(channel(qRed(under), qRed(over)), channel(qGreen(under), qGreen(over)),
                channel(qBlue(under), qBlue(over)));
}

QRgb Skin(int x, int y)
{
    const int texture = (x * 7 + y * 3) % 5 - 2;
    return qRgb(222 - y / 9 + texture, 172 - y / 10 + texture, 142 - y / 12 + texture);
}

QRgb FacePixel(int x, int y)
{
    QRgb c = Skin(x, y);
    c = Mix(c, kLips, Coverage(InsideEllipse(x - 120.0, y - 145.0, 30.0, 9.0)));
    for (const RedEyeFace::Eye& eye : RedEyeFace::kEyes) {
        const double dx = x - eye.centre.x(), dy = y - eye.centre.y();
        c = Mix(c, kSclera, Coverage(InsideEllipse(dx, dy, kScleraRx, kScleraRy)));
        c = Mix(c, kIris, Coverage(kIrisRadius - std::hypot(dx, dy)));
        c = Mix(c, kPupil, Coverage(kPupilRadius - std::hypot(dx, dy)));
        c = Mix(c, kLight, Coverage(kLightRadius - std::hypot(x - eye.light.x(), y - eye.light.y())));
    }
    return c;
}

int Darkened(double value, int amountPercent)
{
    return static_cast<int>(std::lround(value * (100 - amountPercent) / 100.0));
}

enum class Part { PupilCore, LightCore, Skin, Other };

Part PartAt(int x, int y)
{
    for (const RedEyeFace::Eye& eye : RedEyeFace::kEyes) {
        const double dx = x - eye.centre.x(), dy = y - eye.centre.y();
        const double fromLight = std::hypot(x - eye.light.x(), y - eye.light.y());
        if (fromLight <= kLightRadius - 1.0) return Part::LightCore;
        if (std::hypot(dx, dy) <= kPupilRadius - 2.0 && fromLight >= kLightRadius + 2.0) return Part::PupilCore;
        if (InsideEllipse(dx, dy, kScleraRx, kScleraRy) > -3.0) return Part::Other;
    }
    return InsideEllipse(x - 120.0, y - 145.0, 30.0, 9.0) > -3.0 ? Part::Other : Part::Skin;
}

bool InAnyBox(const std::vector<QRect>& boxes, int x, int y)
{
    return std::any_of(boxes.begin(), boxes.end(), [&](const QRect& box) { return box.contains(x, y); });
}

bool Near(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) <= 2 && std::abs(qGreen(a) - qGreen(b)) <= 2 &&
           std::abs(qBlue(a) - qBlue(b)) <= 2;
}

} // namespace

QImage RedEyeFace::Draw()
{
    QImage image(kWidth, kHeight, QImage::Format_RGB888);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) image.setPixel(x, y, FacePixel(x, y));
    return image;
}

QRect RedEyeFace::EyeBox(int index)
{
    const QPoint c = kEyes[static_cast<std::size_t>(index)].centre;
    return QRect(c.x() - 30, c.y() - 19, 61, 39);
}

void RedEyeFace::ExpectRepaired(const QImage& before, const QImage& after, const std::vector<QRect>& boxes,
                                int amountPercent)
{
    ASSERT_EQ(after.size(), before.size());
    int pupilPixels = 0;
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x) {
            const QRgb was = before.pixel(x, y), now = after.pixel(x, y);
            if (!InAnyBox(boxes, x, y)) {
                ASSERT_EQ(now, was) << "outside the rectangles at " << x << "," << y;
                continue;
            }
            switch (PartAt(x, y)) {
            case Part::PupilCore: {
                ++pupilPixels;
                const QRgb expected = qRgb(Darkened((qGreen(was) + qBlue(was)) / 2.0, amountPercent),
                                           Darkened(qGreen(was), amountPercent), Darkened(qBlue(was), amountPercent));
                ASSERT_TRUE(Near(now, expected)) << "pupil at " << x << "," << y << ": " << std::hex << now
                                                 << " instead of " << expected;
                break;
            }
            case Part::LightCore:
            case Part::Skin:
                ASSERT_TRUE(Near(now, was)) << "catch-light or skin at " << x << "," << y << ": " << std::hex << now
                                            << " was " << was;
                break;
            case Part::Other: break;
            }
        }
    EXPECT_GT(pupilPixels, 40 * static_cast<int>(boxes.size()));
}

} // namespace CorvaneTest

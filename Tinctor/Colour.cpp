// Hue, saturation and value: RGB2HSV for one pixel and AdjustHSV for a region.

#include <algorithm>
#include <cmath>
#include <memory>

#include "Tinctor/ImageProcess.h"
#include "Tinctor/PointOps.h"

namespace ImageProcess {

namespace {

inline unsigned char RoundLevel(float v)
{
    return static_cast<unsigned char>(std::clamp(v, 0.0f, 255.0f) + 0.5f);
}

// Reciprocals 1 / n for n = 1 to 255 (index 0 unused), so a pixel costs no division.
struct Reciprocals {
    float of[256];
    Reciprocals()
    {
        of[0] = 0.0f;
        for (int n = 1; n < 256; ++n) of[n] = 1.0f / static_cast<float>(n);
    }
};

const Reciprocals& Reciprocal()
{
    static const Reciprocals table;
    return table;
}

// The HSV change of one pixel; hue and saturation stay out of it for greys.
struct HsvShift {
    float sixths;      // hue turn in sixths of the circle, 0 to 6
    float saturation;  // added, -1 to 1
    float value;       // added, -1 to 1
    const float* inverse;

    void Apply(const unsigned char* bgr, unsigned char* out) const
    {
        const int b = bgr[0], g = bgr[1], r = bgr[2];
        const int max = std::max({r, g, b});
        const int min = std::min({r, g, b});
        const float v = std::clamp(max * (1.0f / 255.0f) + value, 0.0f, 1.0f) * 255.0f;
        const int delta = max - min;
        if (delta == 0) {
            out[0] = out[1] = out[2] = RoundLevel(v);
            return;
        }
        float h;  // in sixths of the circle, -1 to 5
        if (max == r)
            h = static_cast<float>(g - b) * inverse[delta];
        else if (max == g)
            h = static_cast<float>(b - r) * inverse[delta] + 2.0f;
        else
            h = static_cast<float>(r - g) * inverse[delta] + 4.0f;
        h += sixths;  // now -1 to 11
        if (h < 0.0f) h += 6.0f;
        if (h >= 6.0f) h -= 6.0f;
        const float s = std::clamp(static_cast<float>(delta) * inverse[max] + saturation, 0.0f, 1.0f);
        ToBgr(h, s, v, out);
    }

    static void ToBgr(float h, float s, float v, unsigned char* out)
    {
        int sector = static_cast<int>(h);
        if (sector > 5) sector = 5;
        const float f = h - sector;
        const float p = v * (1.0f - s);
        const float q = v * (1.0f - s * f);
        const float t = v * (1.0f - s * (1.0f - f));
        float r, g, b;
        switch (sector) {
        case 0: r = v, g = t, b = p; break;
        case 1: r = q, g = v, b = p; break;
        case 2: r = p, g = v, b = t; break;
        case 3: r = p, g = q, b = v; break;
        case 4: r = t, g = p, b = v; break;
        default: r = v, g = p, b = q; break;
        }
        out[0] = RoundLevel(b);
        out[1] = RoundLevel(g);
        out[2] = RoundLevel(r);
    }
};

// A change of value alone scales every channel by new max / old max, the
// same for every pixel with the same brightest channel: one table of
// 256 x 256 entries (brightest level, channel level) answers it.
std::unique_ptr<unsigned char[]> ValueTable(double valueShift)
{
    auto table = std::make_unique<unsigned char[]>(256 * 256);
    for (int max = 0; max < 256; ++max) {
        const double newMax = std::clamp(max / 255.0 + valueShift, 0.0, 1.0) * 255.0;
        for (int c = 0; c <= max; ++c) {
            const double level = max == 0 ? newMax : c * newMax / max;
            table[max * 256 + c] = static_cast<unsigned char>(std::clamp(level, 0.0, 255.0) + 0.5);
        }
    }
    return table;
}

} // namespace

void RGB2HSV(BYTE r, BYTE g, BYTE b, double& h, double& s, double& v)
{
    const int max = std::max({r, g, b});
    const int min = std::min({r, g, b});
    const int delta = max - min;
    v = max / 255.0;
    s = max == 0 ? -1.0 : static_cast<double>(delta) / max;
    if (delta == 0) {
        h = -1.0;
        return;
    }
    if (max == r)
        h = 60.0 * (g - b) / delta;
    else if (max == g)
        h = 60.0 * ((b - r) / static_cast<double>(delta) + 2.0);
    else
        h = 60.0 * ((r - g) / static_cast<double>(delta) + 4.0);
    if (h < 0.0) h += 360.0;
    if (h >= 360.0) h -= 360.0;
}

bool AdjustHSV(std::vector<unsigned char>& pixels, const BITMAPINFO& header, const PROCESS_REGION& region,
               double hue, double saturation, double value, PROGRESS_CALLBACK progress, bool clipToImage)
{
    if (!std::isfinite(hue) || !(saturation >= -1.0 && saturation <= 1.0) || !(value >= -1.0 && value <= 1.0))
        return false;
    const double turn = hue - 360.0 * std::floor(hue / 360.0);
    return RunAdjustment(pixels, header, region, clipToImage, [&](const ImageBuffer& img, const RegionView& view) {
        if (turn == 0.0 && saturation == 0.0) {
            if (value == 0.0) return;
            const auto table = ValueTable(value);
            const unsigned char* t = table.get();
            ApplyPointOp(img, view, progress, [t](const unsigned char* in, unsigned char* out) {
                const unsigned char* row = t + std::max({in[0], in[1], in[2]}) * 256;
                out[0] = row[in[0]];
                out[1] = row[in[1]];
                out[2] = row[in[2]];
            });
            return;
        }
        const HsvShift shift{static_cast<float>(turn / 60.0), static_cast<float>(saturation),
                             static_cast<float>(value), Reciprocal().of};
        ApplyPointOp(img, view, progress,
                     [&shift](const unsigned char* in, unsigned char* out) { shift.Apply(in, out); });
    });
}

} // namespace ImageProcess

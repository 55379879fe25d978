#pragma once
// The direction of the structure around a repaired area (an edge crossing a
// spot or a stroke) and bilinear reads of the picture along it, shared by
// the directional fills of disks and of pieces of any area.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

#include "Tinctor/ImageBuffer.h"

namespace ImageProcess {

/// Sums of the outer products of grey gradients (the structure tensor) over
/// some pixels, and the direction along the structure they show.
struct StructureTensor {
    double xx{0.0};
    double xy{0.0};
    double yy{0.0};
    int count{0};

    void Add(double gx, double gy)
    {
        xx += gx * gx;
        xy += gx * gy;
        yy += gy * gy;
        ++count;
    }

    /// The unit vector along the structure and its coherence (l1 - l2) /
    /// (l1 + l2), 0 to 1: 1 for one straight edge, near 0 for grain. False,
    /// the outputs untouched, when the mean squared gradient is below
    /// `minStructure` (too flat to tell a direction).
    bool Direction(double minStructure, double& alongX, double& alongY, double& coherence) const
    {
        if (count == 0 || (xx + yy) / count < minStructure) return false;
        coherence = std::sqrt((xx - yy) * (xx - yy) + 4.0 * xy * xy) / (xx + yy);
        // The gradients point across the structure: the direction along it is
        // the tensor's eigenvector of the smaller eigenvalue.
        const double across = 0.5 * std::atan2(2.0 * xy, xx - yy);
        alongX = -std::sin(across);
        alongY = std::cos(across);
        return true;
    }
};

/// The colour at (x, y) (row 0 at the top) interpolated bilinearly between
/// the four nearest pixels, the position clamped into the image.
inline std::array<float, 3> BilinearSample(const ImageBuffer& image, double x, double y)
{
    const int x0 = std::clamp(static_cast<int>(std::floor(x)), 0, image.width - 2);
    const int y0 = std::clamp(static_cast<int>(std::floor(y)), 0, image.height - 2);
    const double fx = std::clamp(x - x0, 0.0, 1.0), fy = std::clamp(y - y0, 0.0, 1.0);
    const std::size_t bpp = static_cast<std::size_t>(image.bytesPerPixel);
    const unsigned char* a = image.RowFromTop(y0) + x0 * bpp;
    const unsigned char* b = image.RowFromTop(y0 + 1) + x0 * bpp;
    std::array<float, 3> out{};
    for (int c = 0; c < 3; ++c) {
        const double upper = a[c] + fx * (a[bpp + c] - a[c]);
        const double lower = b[c] + fx * (b[bpp + c] - b[c]);
        out[c] = static_cast<float>(upper + fy * (lower - upper));
    }
    return out;
}

} // namespace ImageProcess

// The feathering kernel against a brute-force reference: every selected pixel
// of the box scaled by its exact distance to the nearest unselected pixel,
// on random masks of blobs and noise, odd sizes, boxes inside and at the
// picture's edges, radii on both sides of the band search's limit.
#include <cmath>
#include <random>

#include <gtest/gtest.h>

#include "Tinctor/Feathering.h"

using namespace ImageProcess;

namespace {

std::vector<unsigned char> Reference(const std::vector<unsigned char>& mask, int width, int height,
                                     const RegionView& view, int radius)
{
    std::vector<unsigned char> out = mask;
    const double reach = radius + 1.0;
    for (int y = view.top; y < view.bottom; ++y)
        for (int x = view.left; x < view.right; ++x) {
            unsigned char& m = out[static_cast<std::size_t>(y) * width + x];
            if (m == 0) continue;
            double best = 1e18;
            for (int v = 0; v < height; ++v)
                for (int u = 0; u < width; ++u)
                    if (mask[static_cast<std::size_t>(v) * width + u] == 0)
                        best = std::min(best, double(u - x) * (u - x) + double(v - y) * (v - y));
            const double d = std::sqrt(best);
            if (d < reach) m = static_cast<unsigned char>(std::max(1L, std::lround(m * d / reach)));
        }
    return out;
}

// Random discs of random values on an empty mask, and some noise.
std::vector<unsigned char> RandomMask(std::mt19937& random, int width, int height)
{
    std::vector<unsigned char> mask(static_cast<std::size_t>(width) * height, 0);
    for (int disc = 0; disc < 4; ++disc) {
        const int cx = random() % width, cy = random() % height, r = 2 + random() % 20;
        const auto value = static_cast<unsigned char>(1 + random() % 255);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r) mask[static_cast<std::size_t>(y) * width + x] = value;
    }
    for (int dot = 0; dot < width * height / 50; ++dot) mask[random() % mask.size()] ^= 200;
    return mask;
}

} // namespace

TEST(FeatherMask, ScalesByTheExactDistanceToTheNearestUnselectedPixel)
{
    std::mt19937 random(11);
    for (int round = 0; round < 40; ++round) {
        const int width = 5 + random() % 50, height = 5 + random() % 40;
        const std::vector<unsigned char> mask = RandomMask(random, width, height);
        const int left = random() % width, top = random() % height;
        const RegionView view{left, top, left + 1 + static_cast<int>(random() % (width - left)),
                              top + 1 + static_cast<int>(random() % (height - top))};
        for (int radius : {1, 3, 17, 64, 65}) {
            std::vector<unsigned char> feathered = mask;
            FeatherMask(feathered, width, height, view, radius);
            ASSERT_EQ(feathered, Reference(mask, width, height, view, radius)) << "round " << round << " radius " << radius;
        }
    }
}

// ImageProcess::RemoveSpot: flaws vanish, nothing outside the square changes,
// every size and position is safe, bad arguments are refused.

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "Tinctor/RemoveSpotDisk.h"
#include "TinctorTestImage.h"

using namespace TinctorTest;

namespace {

struct Square {
    int left;
    int top;
    int size;
};

bool Spot(TestImage& image, const Square& s, float strength = 0.8f)
{
    return ImageProcess::RemoveSpot(image.pixels, image.header, s.size, POINT{s.left, s.top}, strength, nullptr);
}

bool InSquare(const Square& s, int x, int y)
{
    return x >= s.left && x < s.left + s.size && y >= s.top && y < s.top + s.size;
}

/// Every pixel outside the square, every alpha byte and every padding byte is
/// as it was.
void ExpectOnlySquareChanged(const TestImage& before, const TestImage& after, const Square& s)
{
    ASSERT_EQ(before.pixels.size(), after.pixels.size());
    const std::size_t rowBytes = static_cast<std::size_t>(before.Width()) * before.Bpp();
    for (int y = 0; y < before.Height(); ++y) {
        for (int x = 0; x < before.Width(); ++x) {
            const Bgra a = before.Get(x, y);
            const Bgra b = after.Get(x, y);
            ASSERT_EQ(a.a, b.a) << "alpha at " << x << "," << y;
            if (!InSquare(s, x, y)) {
                ASSERT_EQ(a, b) << "outside the square at " << x << "," << y;
            }
        }
        const std::size_t row = static_cast<std::size_t>(y) * before.Stride();
        for (std::size_t k = rowBytes; k < before.Stride(); ++k)
            ASSERT_EQ(before.pixels[row + k], after.pixels[row + k]) << "padding of row " << y;
    }
}

/// A smooth, asymmetric picture: a gentle gradient in each channel.
TestImage Gradient(int width, int height, int bits)
{
    TestImage image(width, height, bits);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.Set(x, y, {static_cast<unsigned char>(60 + 100 * x / width), static_cast<unsigned char>(90 + 60 * y / height),
                             static_cast<unsigned char>(140 + 50 * (x + y) / (width + height)),
                             static_cast<unsigned char>(7 * x + y)});
    return image;
}

/// True when the spot's disk covers every pixel of the image.
bool DiskCoversImage(const Square& s, int width, int height)
{
    const ImageProcess::RemoveSpotDisk disk(s.size, POINT{s.left, s.top}, 0.8f, width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (disk.Weight(x, y) <= 0.0f) return false;
    return true;
}

void PaintDot(TestImage& image, double cx, double cy, double radius, Bgra colour)
{
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            if (std::hypot(x - cx, y - cy) <= radius) {
                colour.a = image.Get(x, y).a;
                image.Set(x, y, colour);
            }
}

int LargestDifference(const TestImage& a, const TestImage& b, double cx, double cy, double radius)
{
    int largest = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            if (std::hypot(x - cx, y - cy) > radius) continue;
            const Bgra p = a.Get(x, y), q = b.Get(x, y);
            largest = std::max({largest, std::abs(p.b - q.b), std::abs(p.g - q.g), std::abs(p.r - q.r)});
        }
    return largest;
}

/// A gentle gradient in each channel with photographic grain (standard
/// deviation 2 grey levels).
TestImage GrainyGradient(int width, int height, int bits, unsigned seed)
{
    TestImage image(width, height, bits);
    std::mt19937 rng(seed);
    std::normal_distribution<double> grain(0.0, 2.0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            auto level = [&](double base) {
                return static_cast<unsigned char>(std::clamp(base + grain(rng), 0.0, 255.0));
            };
            image.Set(x, y, {level(90.0 + 40.0 * x / width), level(110.0), level(130.0 - 30.0 * y / height), 0});
        }
    return image;
}

/// Lays `colour` over pixel (x, y) with opacity `alpha` (0 to 1).
void Lay(TestImage& image, int x, int y, Bgra colour, double alpha)
{
    const Bgra p = image.Get(x, y);
    auto mix = [alpha](unsigned char a, unsigned char b) {
        return static_cast<unsigned char>(std::lround(a + alpha * (b - a)));
    };
    image.Set(x, y, {mix(p.b, colour.b), mix(p.g, colour.g), mix(p.r, colour.r), p.a});
}

/// How much of a flaw a repair left, as a share of its contrast: the repair's
/// difference from the clean picture in the direction the flaw pushed each
/// channel, summed over `pixels`, divided by the flaw's own difference there.
double Leftover(const TestImage& clean, const TestImage& flawed, const TestImage& repaired,
                const std::vector<POINT>& pixels)
{
    double contrast = 0.0;
    double left = 0.0;
    for (const POINT& p : pixels) {
        const Bgra c = clean.Get(p.x, p.y), f = flawed.Get(p.x, p.y), r = repaired.Get(p.x, p.y);
        const int cs[] = {c.b, c.g, c.r}, fs[] = {f.b, f.g, f.r}, rs[] = {r.b, r.g, r.r};
        for (int k = 0; k < 3; ++k) {
            const int d = fs[k] - cs[k];
            contrast += std::abs(d);
            left += (d > 0 ? 1 : d < 0 ? -1 : 0) * (rs[k] - cs[k]);
        }
    }
    return contrast > 0.0 ? left / contrast : 0.0;
}

} // namespace

TEST(RemoveSpotTest, DarkDotOnFlatImageComesBackFlat)
{
    for (int bits : {24, 32}) {
        for (int size : {15, 101}) {
            TestImage clean(221, 187, bits);
            clean.Fill({120, 130, 140, 33});
            TestImage image = clean;
            const int cx = 97, cy = 83;
            PaintDot(image, cx, cy, size / 3.0, {10, 12, 15, 0});
            const Square s{cx - size / 2, cy - size / 2, size};
            ASSERT_TRUE(Spot(image, s));
            EXPECT_LE(LargestDifference(image, clean, cx, cy, size / 2.0 + 1), 2) << bits << " bits, size " << size;
            ExpectOnlySquareChanged(clean, image, s);
        }
    }
}

TEST(RemoveSpotTest, SmoothGradientIsRebuiltUnderTheSpot)
{
    const TestImage clean = Gradient(301, 203, 24);
    TestImage image = clean;
    PaintDot(image, 150, 100, 18, {250, 250, 250, 0});
    ASSERT_TRUE(Spot(image, {150 - 25, 100 - 25, 51}));
    EXPECT_LE(LargestDifference(image, clean, 150, 100, 26), 2);
}

TEST(RemoveSpotTest, OnlyTheSquareChangesOnRandomTextures)
{
    const Square squares[] = {{20, 15, 15}, {-7, -7, 15}, {50, 30, 31}, {60, -10, 41}, {-20, 40, 61}, {3, 4, 1}};
    unsigned seed = 1;
    for (int bits : {24, 32}) {
        for (int width : {77, 90, 101}) {
            const TestImage before = RandomImage(width, 69, bits, seed++);
            for (const Square& s : squares) {
                TestImage after = before;
                ASSERT_TRUE(Spot(after, s)) << width << "x69 " << bits << " bits, square " << s.left << "," << s.top;
                ExpectOnlySquareChanged(before, after, s);
            }
        }
    }
}

TEST(RemoveSpotTest, EverySizeWorksOnImagesSmallerAndLargerThanTheSquare)
{
    const int sizes[] = {1, 2, 3, 15, 101, 1001};
    const int dimensions[][2] = {{7, 5}, {64, 40}, {333, 251}};
    for (int size : sizes) {
        for (const auto& d : dimensions) {
            const TestImage before = RandomImage(d[0], d[1], 24, static_cast<unsigned>(size + d[0]));
            // A square centred on the image's left edge leaves the right half
            // of the image as surroundings.
            const Square s{-size / 2, d[1] / 2 - size / 2, size};
            TestImage after = before;
            // Nothing is left to repair from when the disk covers the image.
            EXPECT_EQ(Spot(after, s), !DiskCoversImage(s, d[0], d[1])) << "size " << size << " on " << d[0] << "x" << d[1];
            ExpectOnlySquareChanged(before, after, s);
        }
    }
}

TEST(RemoveSpotTest, LargestSpotOnALargeImage)
{
    const TestImage clean = Gradient(1400, 1300, 32);
    TestImage image = clean;
    PaintDot(image, 700, 650, 300, {0, 0, 0, 0});
    const Square s{700 - 500, 650 - 500, 1001};
    ASSERT_TRUE(Spot(image, s));
    EXPECT_LE(LargestDifference(image, clean, 700, 650, 301), 2);
    ExpectOnlySquareChanged(clean, image, s);
}

TEST(RemoveSpotTest, CornerAndEdgeSquaresRepairWhatLiesInTheImage)
{
    const Square squares[] = {{-7, -7, 15}, {64 - 8, -7, 15}, {-7, 48 - 8, 15}, {64 - 8, 48 - 8, 15}, {20, -7, 15}};
    for (int bits : {24, 32}) {
        for (const Square& s : squares) {
            TestImage clean(64, 48, bits);
            clean.Fill({90, 100, 110, 200});
            TestImage image = clean;
            const double cx = s.left + 7, cy = s.top + 7;
            PaintDot(image, cx, cy, 5, {250, 0, 0, 0});
            ASSERT_TRUE(Spot(image, s));
            EXPECT_LE(LargestDifference(image, clean, cx, cy, 8), 2) << "square at " << s.left << "," << s.top;
            ExpectOnlySquareChanged(clean, image, s);
        }
    }
}

TEST(RemoveSpotTest, SquaresWhollyOutsideChangeNothingAndSucceed)
{
    const TestImage before = RandomImage(50, 40, 32, 7);
    const Square outside[] = {{-15, 10, 15}, {50, 10, 15}, {10, -15, 15}, {10, 40, 15}, {INT_MAX - 5, 3, 15},
                              {INT_MIN, INT_MIN, 1001}, {-1000, -1000, 999}};
    for (const Square& s : outside) {
        TestImage after = before;
        EXPECT_TRUE(Spot(after, s)) << s.left << "," << s.top;
        EXPECT_EQ(after.pixels, before.pixels);
    }
    // Overlapping only with a corner of the square, outside the disk.
    TestImage after = before;
    EXPECT_TRUE(Spot(after, {-13, -13, 15}));
    EXPECT_EQ(after.pixels, before.pixels);
}

TEST(RemoveSpotTest, TinyImages)
{
    // A one-pixel image has no surroundings to repair from.
    TestImage one(1, 1, 24);
    one.Fill({1, 2, 3});
    const TestImage oneBefore = one;
    EXPECT_FALSE(Spot(one, {0, 0, 1}));
    EXPECT_FALSE(Spot(one, {-7, -7, 15}));
    EXPECT_EQ(one.pixels, oneBefore.pixels);

    // 2 x 3: one odd pixel takes its neighbours' colour.
    for (int bits : {24, 32}) {
        TestImage small(2, 3, bits);
        small.Fill({100, 110, 120, 9});
        small.Set(1, 1, {0, 255, 0, 9});
        const TestImage before = small;
        ASSERT_TRUE(Spot(small, {1, 1, 1}));
        EXPECT_EQ(small.Get(1, 1), before.Get(0, 0));
        EXPECT_EQ(small.Get(1, 2), before.Get(1, 2));
    }
}

TEST(RemoveSpotTest, BadArgumentsAreRefusedWithoutChange)
{
    const TestImage good = RandomImage(40, 30, 24, 3);
    const Square s{10, 10, 15};
    for (int size : {0, -1, -15, 1002, INT_MAX}) {
        TestImage image = good;
        EXPECT_FALSE(Spot(image, {10, 10, size})) << size;
        EXPECT_EQ(image.pixels, good.pixels);
    }
    for (float strength : {-0.1f, 1.1f, std::nanf(""), INFINITY}) {
        TestImage image = good;
        EXPECT_FALSE(Spot(image, s, strength)) << strength;
        EXPECT_EQ(image.pixels, good.pixels);
    }
    TestImage shortVector = good;
    shortVector.pixels.resize(shortVector.pixels.size() - 1);
    EXPECT_FALSE(Spot(shortVector, s));
    TestImage sixteenBits = good;
    sixteenBits.header.bmiHeader.biBitCount = 16;
    EXPECT_FALSE(Spot(sixteenBits, s));
    TestImage topDown = good;
    topDown.header.bmiHeader.biHeight = -30;
    EXPECT_FALSE(Spot(topDown, s));
    TestImage wrongSize = good;
    wrongSize.header.bmiHeader.biSizeImage += 4;
    EXPECT_FALSE(Spot(wrongSize, s));
    EXPECT_EQ(sixteenBits.pixels, good.pixels);
}

TEST(RemoveSpotTest, RowZeroIsTheTopOfThePicture)
{
    const TestImage clean = Gradient(120, 90, 24);
    TestImage dotted = clean;
    PaintDot(dotted, 30, 20, 4, {0, 0, 0, 0});
    TestImage image = dotted;
    // The same square counted from the bottom misses the dot.
    ASSERT_TRUE(Spot(image, {30 - 7, 90 - 1 - 20 - 7, 15}));
    EXPECT_GT(LargestDifference(image, clean, 30, 20, 4), 50);
    image = dotted;
    ASSERT_TRUE(Spot(image, {30 - 7, 20 - 7, 15}));
    EXPECT_LE(LargestDifference(image, clean, 30, 20, 8), 2);
}

TEST(RemoveSpotTest, ResultsAreRepeatable)
{
    const TestImage before = RandomImage(200, 150, 24, 11);
    TestImage first = before;
    TestImage second = before;
    ASSERT_TRUE(Spot(first, {80, 60, 41}));
    ASSERT_TRUE(Spot(second, {80, 60, 41}));
    EXPECT_EQ(first.pixels, second.pixels);
    EXPECT_NE(first.pixels, before.pixels);
}

TEST(RemoveSpotTest, KeptWorkingMemoryDoesNotChangeResults)
{
    // The library keeps its working memory between repairs and lends it to one
    // repair at a time: a repair gives the same result after a larger one
    // (other grid sizes, stale contents) and while others run on other threads.
    const TestImage before = GrainyGradient(260, 220, 24, 5);
    TestImage flawed = before;
    PaintDot(flawed, 120, 100, 9, {20, 20, 30, 0});
    for (int x = 100; x < 150; ++x) flawed.Set(x, 130, {15, 15, 15, 0});
    const Square squares[] = {{120 - 15, 100 - 15, 31}, {125 - 30, 128 - 30, 61}};
    std::vector<TestImage> expected;
    for (const Square& s : squares) {
        expected.push_back(flawed);
        ASSERT_TRUE(Spot(expected.back(), s));
    }
    TestImage large = RandomImage(700, 600, 32, 9);
    ASSERT_TRUE(Spot(large, {100, 50, 501}));
    for (std::size_t k = 0; k < std::size(squares); ++k) {
        TestImage again = flawed;
        ASSERT_TRUE(Spot(again, squares[k]));
        EXPECT_EQ(again.pixels, expected[k].pixels) << "after a larger repair, square " << k;
    }
    std::vector<TestImage> results(6, flawed);
    std::vector<int> ok(results.size(), 0);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < results.size(); ++t)
        threads.emplace_back([&, t] { ok[t] = Spot(results[t], squares[t % 2]) ? 1 : 0; });
    for (std::thread& thread : threads) thread.join();
    for (std::size_t t = 0; t < results.size(); ++t) {
        EXPECT_EQ(ok[t], 1);
        EXPECT_EQ(results[t].pixels, expected[t % 2].pixels) << "thread " << t;
    }
}

TEST(RemoveSpotTest, ThinHairGoesAndTheRestOfTheDiskStays)
{
    const TestImage clean = Gradient(240, 200, 24);
    TestImage image = clean;
    for (int x = 95; x <= 145; ++x) image.Set(x, 100, {20, 20, 20, 0});
    const Square s{120 - 35, 100 - 35, 71};
    ASSERT_TRUE(Spot(image, s));
    EXPECT_LE(LargestDifference(image, clean, 120, 100, 36), 3);
    // Pixels well away from the hair are intact, so they are kept exactly.
    for (int y = s.top; y < s.top + s.size; ++y)
        for (int x = s.left; x < s.left + s.size; ++x)
            if (std::abs(y - 100) >= 12) {
                ASSERT_EQ(image.Get(x, y), clean.Get(x, y)) << x << "," << y;
            }
}

TEST(RemoveSpotDiskTest, WeightsStayInsideTheSquareAndRepairTheCentre)
{
    for (float strength : {0.0f, 0.5f, 0.8f, 1.0f}) {
        for (int size = 1; size <= 40; ++size) {
            const ImageProcess::RemoveSpotDisk disk(size, POINT{10, 20}, strength, 100, 100);
            for (int y = 5; y < 75; ++y)
                for (int x = 5; x < 65; ++x)
                    if (!InSquare({10, 20, size}, x, y)) {
                        ASSERT_EQ(disk.Weight(x, y), 0.0f) << size;
                    }
            if (size % 2) {
                EXPECT_EQ(disk.Weight(10 + size / 2, 20 + size / 2), 1.0f) << size;
            }
        }
    }
}

TEST(RemoveSpotDiskTest, StrengthSetsTheWidthOfTheSoftEdge)
{
    // Radius 50: at 0.8 only the outer tenth of the radius is soft.
    const ImageProcess::RemoveSpotDisk hard(101, POINT{0, 0}, 1.0f, 200, 200);
    const ImageProcess::RemoveSpotDisk usual(101, POINT{0, 0}, 0.8f, 200, 200);
    const ImageProcess::RemoveSpotDisk soft(101, POINT{0, 0}, 0.0f, 200, 200);
    EXPECT_EQ(usual.Weight(50 + 43, 50), 1.0f);
    EXPECT_LT(usual.Weight(50 + 48, 50), 1.0f);
    EXPECT_EQ(hard.Weight(50 + 49, 50), 1.0f);
    EXPECT_LT(soft.Weight(50 + 30, 50), 1.0f);
    EXPECT_GT(soft.Weight(50 + 30, 50), 0.0f);
    EXPECT_EQ(soft.Weight(50, 50), 1.0f);
}

TEST(RemoveSpotTest, FaintHaloAroundDustGoes)
{
    // A dark speck in a faint bright halo that fades out towards its edge, as
    // dust on a scanned slide leaves, on a grainy ground, clicked with a
    // generous square: the halo goes to its faint edge, and the picture well
    // beyond it is kept as it was.
    for (int bits : {24, 32}) {
        const TestImage clean = GrainyGradient(200, 160, bits, 21);
        TestImage flawed = clean;
        const int cx = 100, cy = 80;
        std::vector<POINT> halo;
        for (int y = cy - 15; y <= cy + 15; ++y)
            for (int x = cx - 15; x <= cx + 15; ++x) {
                const double d = std::hypot(x - cx, y - cy);
                const double haloAlpha = 0.35 * std::clamp((12.0 - d) / 6.0, 0.0, 1.0);
                if (haloAlpha <= 0.0) continue;
                Lay(flawed, x, y, {230, 235, 235, 0}, haloAlpha);
                if (d <= 5.0) Lay(flawed, x, y, {25, 25, 30, 0}, 0.9);
                else if (haloAlpha >= 0.05) halo.push_back(POINT{x, y});
            }
        TestImage repaired = flawed;
        ASSERT_TRUE(Spot(repaired, {cx - 25, cy - 25, 51}));
        EXPECT_LT(Leftover(clean, flawed, repaired, halo), 0.1) << bits << " bits";
        for (int y = cy - 25; y <= cy + 25; ++y)
            for (int x = cx - 25; x <= cx + 25; ++x)
                if (std::hypot(x - cx, y - cy) >= 21 && std::hypot(x - cx, y - cy) < 24) {
                    ASSERT_EQ(repaired.Get(x, y), clean.Get(x, y)) << x << "," << y;
                }
    }
}

TEST(RemoveSpotTest, FadingHairTipGoes)
{
    // A hair across a large disk whose end thins out to nothing, on a grainy
    // ground: its faint tip goes with the rest, and the picture beside it stays.
    const TestImage clean = GrainyGradient(240, 200, 24, 33);
    TestImage flawed = clean;
    const int cx = 120, cy = 100;
    std::vector<POINT> tip;
    for (int x = cx - 30; x <= cx + 30; ++x) {
        const double t = (x - (cx - 30)) / 60.0;
        const double alpha = 0.9 * std::clamp((1.0 - t) / 0.45, 0.0, 1.0);
        const int y = cy + static_cast<int>(std::lround(6.0 * std::sin(t * 3.0)));
        if (alpha <= 0.0) continue;
        Lay(flawed, x, y, {20, 20, 25, 0}, alpha);
        if (t > 0.6 && alpha >= 0.05) tip.push_back(POINT{x, y});
    }
    TestImage repaired = flawed;
    const Square s{cx - 40, cy - 40, 81};
    ASSERT_TRUE(Spot(repaired, s));
    EXPECT_LT(Leftover(clean, flawed, repaired, tip), 0.1);
    // Far from the hair the picture is kept as it was.
    for (int y = s.top; y < s.top + s.size; ++y)
        for (int x = s.left; x < s.left + s.size; ++x)
            if (std::abs(y - cy) >= 24 && std::hypot(x - cx, y - cy) < 30) {
                ASSERT_EQ(repaired.Get(x, y), clean.Get(x, y)) << x << "," << y;
            }
}

namespace {

/// A small dark bird of 3 x 2 pixels whose top-left pixel is (x, y).
void PaintBird(TestImage& image, int x, int y)
{
    for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 3; ++dx) Lay(image, x + dx, y + dy, {30, 30, 35, 0}, 0.8);
}

/// A bright speck of dust of `radius` around (cx, cy).
void PaintDust(TestImage& image, int cx, int cy, double radius)
{
    for (int y = cy - static_cast<int>(radius); y <= cy + static_cast<int>(radius); ++y)
        for (int x = cx - static_cast<int>(radius); x <= cx + static_cast<int>(radius); ++x)
            if (std::hypot(x - cx, y - cy) <= radius) Lay(image, x, y, {235, 240, 240, 0}, 0.85);
}

} // namespace

TEST(RemoveSpotTest, ObjectsAroundTheSpotAreNotCopiedIntoIt)
{
    // Dust in a clear sky, ringed by birds a little beyond it, one more bird
    // right beside the disk: the nearest patches of sky match the sky around
    // the dust as well as any, but hold birds; the repair takes none of them
    // into the spot.
    for (int bits : {24, 32}) {
        const int cx = 120, cy = 100;
        TestImage clean = GrainyGradient(240, 200, bits, 41);
        for (int k = 0; k < 18; ++k) {
            const double angle = k * 20.0 * 3.14159265 / 180.0;
            PaintBird(clean, cx + static_cast<int>(std::lround(44.0 * std::cos(angle))),
                      cy + static_cast<int>(std::lround(44.0 * std::sin(angle))));
        }
        PaintBird(clean, cx + 18, cy + 3);
        TestImage repaired = clean;
        PaintDust(repaired, cx, cy, 10);
        ASSERT_TRUE(Spot(repaired, {cx - 15, cy - 15, 31}));
        EXPECT_LE(LargestDifference(repaired, clean, cx, cy, 16), 15) << bits << " bits";
    }
}

TEST(RemoveSpotTest, SpotAmongObjectsEverywhereGetsTheSmoothFill)
{
    // Every area around the spot holds dark specks: no source is clean, so the
    // spot is filled smoothly from its surroundings, without specks.
    TestImage clean = GrainyGradient(200, 160, 24, 7);
    const int cx = 100, cy = 80;
    for (int y = 4; y < 156; y += 9)
        for (int x = 4; x < 196; x += 9)
            if (std::hypot(x - cx, y - cy) > 24) PaintBird(clean, x, y);
    TestImage repaired = clean;
    PaintDust(repaired, cx, cy, 9);
    ASSERT_TRUE(Spot(repaired, {cx - 12, cy - 12, 25}));
    EXPECT_LE(LargestDifference(repaired, clean, cx, cy, 13), 15);
}

TEST(RemoveSpotTest, EdgeThroughTheSpotCarriesOn)
{
    // Dust on a sharp, slanted border between two grainy areas: the border
    // runs on through the repaired disk, each side keeping its colour.
    const int cx = 120, cy = 100;
    auto below = [&](int x, int y) { return 3 * (y - cy) > (x - cx); };
    TestImage clean = GrainyGradient(240, 200, 24, 9);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 240; ++x)
            if (below(x, y)) {
                const Bgra p = clean.Get(x, y);
                clean.Set(x, y, {static_cast<unsigned char>(p.b / 3), static_cast<unsigned char>(p.g / 2 + 40),
                                 static_cast<unsigned char>(p.r / 3), 0});
            }
    TestImage repaired = clean;
    PaintDust(repaired, cx, cy, 14);
    ASSERT_TRUE(Spot(repaired, {cx - 20, cy - 20, 41}));
    int largest = 0;
    for (int y = cy - 20; y <= cy + 20; ++y)
        for (int x = cx - 20; x <= cx + 20; ++x) {
            // Pixels clearly on one side of the border.
            if (std::hypot(x - cx, y - cy) > 20 || std::abs(3 * (y - cy) - (x - cx)) < 12) continue;
            const Bgra c = clean.Get(x, y), r = repaired.Get(x, y);
            largest = std::max({largest, std::abs(c.b - r.b), std::abs(c.g - r.g), std::abs(c.r - r.r)});
        }
    EXPECT_LE(largest, 20);
}

TEST(RemoveSpotTest, SpotNearABoundaryTakesItsOwnSide)
{
    // Dust in a grainy sky just above a blurred crowd (soft blobs of random
    // shades, as out of focus): the boundary passes a few pixels below the
    // disk, and the ring of the spot holds a strip of crowd that no other
    // place matches. The repair is sky: no piece of crowd comes into the disk.
    for (int size : {21, 41}) {
        const int cx = 120, cy = 100, boundary = cy + size / 2 + 4;
        TestImage clean = GrainyGradient(240, 200, 24, 13);
        std::mt19937 rng(static_cast<unsigned>(size));
        std::vector<double> shades(30 * 20);
        for (double& shade : shades) shade = 20.0 + static_cast<double>(rng() % 120);
        for (int y = boundary; y < 200; ++y)
            for (int x = 0; x < 240; ++x) {
                // Bilinear between blobs 8 pixels apart: soft, no sharp detail.
                const double u = x / 8.0, v = y / 8.0;
                const int i = std::min(static_cast<int>(u), 28), j = std::min(static_cast<int>(v), 18);
                const double fu = u - i, fv = v - j;
                const double level = (1 - fv) * ((1 - fu) * shades[j * 30 + i] + fu * shades[j * 30 + i + 1]) +
                                     fv * ((1 - fu) * shades[(j + 1) * 30 + i] + fu * shades[(j + 1) * 30 + i + 1]);
                const auto tone = static_cast<unsigned char>(level);
                clean.Set(x, y, {static_cast<unsigned char>(tone / 2), static_cast<unsigned char>(tone / 2 + 10), tone, 0});
            }
        TestImage repaired = clean;
        PaintDust(repaired, cx, cy, size / 3.0);
        ASSERT_TRUE(Spot(repaired, {cx - size / 2, cy - size / 2, size}));
        EXPECT_LE(LargestDifference(repaired, clean, cx, cy, size / 2.0), 15) << "size " << size;
    }
}

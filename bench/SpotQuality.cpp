// Quality benchmark of ImageProcess::RemoveSpot against OpenCV's inpainting.
//
// Synthetic flaws (dark and bright dust, short curved hairs, ring-shaped dust
// with a halo; 5 to 120 px across) are painted one at a time onto real
// photographs, each is repaired with RemoveSpot the way a user would click it
// (a square a little larger than the flaw, strength 0.8) and, in the same run,
// with cv::inpaint TELEA and NS on exactly the pixels RemoveSpot may change.
// Every repair is scored against the clean photograph:
//   - PSNR and SSIM inside the repaired disk, and in its rim (the outermost
//     3 px of the disk, where a seam would show; SSIM's 11 px window there
//     also sees the untouched pixels just outside);
//   - how much of the flaw is gone: its contrast against the clean photo
//     before and after the repair, weighted by the painted opacity and signed
//     by the way each painted layer pushed the colour (darker or brighter
//     than its ground), so that texture which differs from the clean photo in
//     no particular direction averages out (a plain mean absolute difference
//     would count every texture difference as flaw left over, and favour
//     blurred fills). The mean absolute difference to the clean photo over
//     the flaw's pixels, before and after, is printed beside it.
// Areas are classed flat or textured by the high-pass energy of the clean
// photo around the flaw. Fixed seed; prints tables of medians.
//
// Usage: bench_SpotQuality [--list] [photo folder]  (default: OpenCV's sample
// images); --list also prints one line per flaw.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/photo.hpp>

#include "Tinctor/ImageProcess.h"

namespace {

const char* const DefaultFolder = "/usr/share/doc/opencv-doc/examples/data/";
const char* const Photos[] = {"baboon.jpg", "fruits.jpg", "building.jpg", "home.jpg",
                              "board.jpg",  "messi5.jpg", "orange.jpg",   "squirrel_cls.jpg"};
constexpr int FlawsPerPhoto = 64;
constexpr unsigned Seed = 20240611u;
const int Diameters[] = {5, 7, 10, 14, 20, 28, 40, 56, 80, 120};
constexpr int RimWidth = 3;
constexpr double TextureThreshold = 4.0;    // high-pass standard deviation, grey levels
// Flaws show because they contrast with their ground: dark flaws go on grounds
// at least this bright (mean grey), bright dust on grounds at most this bright.
constexpr double DarkFlawGround = 80.0;
constexpr double BrightFlawGround = 175.0;
constexpr double SpotStrength = 0.8;
constexpr int InpaintRadius = 3;

enum class FlawKind { DarkDust, BrightDust, Hair, RingDust };
const char* const KindNames[] = {"dark dust", "bright dust", "hair", "ring dust"};
enum class Method { RemoveSpot, Telea, NavierStokes };
const char* const MethodNames[] = {"RemoveSpot", "TELEA", "NS"};
constexpr int MethodCount = 3;

struct Flaw {
    FlawKind kind{FlawKind::DarkDust};
    int cx{0};
    int cy{0};
    int diameter{0};
    bool textured{false};
    double ground{0.0};         ///< mean grey of the clean photo under the flaw
};

struct Score {
    double psnrDisk{0.0};
    double psnrRim{0.0};
    double ssimDisk{0.0};
    double ssimRim{0.0};
    double gone{0.0};           ///< share of the flaw removed, 0 to 1
    double absBefore{0.0};      ///< mean |flawed - clean| over flaw pixels
    double absAfter{0.0};       ///< mean |repair - clean| over flaw pixels
};

struct Result {
    Flaw flaw;
    std::array<Score, MethodCount> scores;
};

double Uniform(std::mt19937& rng, double lo, double hi)
{
    return lo + (hi - lo) * (static_cast<double>(rng()) / 4294967296.0);
}

int UniformInt(std::mt19937& rng, int lo, int hi)
{
    return lo + static_cast<int>(rng() % static_cast<unsigned>(hi - lo + 1));
}

/// The side of the square a user would click around a flaw of this diameter.
int ClickSize(int diameter)
{
    return diameter + std::max(4, diameter / 4);
}

/// The square RemoveSpot gets, as the spot tool computes it: odd side 2*(n/2)+1.
cv::Rect SpotSquare(const Flaw& flaw)
{
    const int half = ClickSize(flaw.diameter) / 2;
    return cv::Rect(flaw.cx - half, flaw.cy - half, 2 * half + 1, 2 * half + 1);
}

/// Pixels RemoveSpot may change: centres closer than radius + 0.5 to the centre.
cv::Mat DiskMask(cv::Size size, const Flaw& flaw, double inner, double outer)
{
    cv::Mat mask(size, CV_8U, cv::Scalar(0));
    const cv::Rect square = SpotSquare(flaw);
    const double radius = square.width / 2.0;
    for (int y = std::max(0, square.y - 8); y < std::min(size.height, square.br().y + 8); ++y)
        for (int x = std::max(0, square.x - 8); x < std::min(size.width, square.br().x + 8); ++x) {
            const double d = std::hypot(x - flaw.cx, y - flaw.cy);
            if (d < radius + 0.5 - inner && d >= radius + 0.5 - outer) mask.at<uchar>(y, x) = 255;
        }
    return mask;
}

double HighPassDeviation(const cv::Mat& grey, const Flaw& flaw)
{
    const cv::Rect square = SpotSquare(flaw);
    const int pad = std::max(6, square.width / 4);
    const cv::Rect roi = (square + cv::Size(2 * pad, 2 * pad) - cv::Point(pad, pad)) & cv::Rect(0, 0, grey.cols, grey.rows);
    cv::Mat patch, blurred;
    grey(roi).convertTo(patch, CV_32F);
    cv::GaussianBlur(patch, blurred, cv::Size(0, 0), 2.0);
    cv::Scalar mean, deviation;
    cv::meanStdDev(patch - blurred, mean, deviation);
    return deviation[0];
}

void Blend(cv::Vec3b& pixel, const cv::Vec3d& colour, double alpha)
{
    for (int c = 0; c < 3; ++c) pixel[c] = cv::saturate_cast<uchar>(pixel[c] + alpha * (colour[c] - pixel[c]));
}

/// Records that a layer of opacity `alpha` was painted over the pixel, pushing
/// it darker (`push` -1) or brighter (+1) than its ground.
void Cover(cv::Mat& opacity, int x, int y, double alpha, double push)
{
    opacity.at<double>(y, x) += push * alpha;
}

/// Pixels a flaw may cover: its diameter's square around its centre.
cv::Rect FlawBox(const Flaw& flaw)
{
    const int reach = flaw.diameter / 2 + 1;
    return cv::Rect(flaw.cx - reach, flaw.cy - reach, 2 * reach + 1, 2 * reach + 1);
}

double SoftEdge(double insideBy, double softness)
{
    return std::clamp(insideBy / softness + 0.5, 0.0, 1.0);
}

void PaintDust(cv::Mat& image, cv::Mat& opacity, const Flaw& flaw, std::mt19937& rng)
{
    const bool dark = flaw.kind == FlawKind::DarkDust;
    const double level = dark ? flaw.ground * Uniform(rng, 0.05, 0.4)
                              : flaw.ground + (255 - flaw.ground) * Uniform(rng, 0.6, 0.95);
    const cv::Vec3d colour(level, level * Uniform(rng, 0.95, 1.05), level * Uniform(rng, 0.95, 1.05));
    const double strength = Uniform(rng, 0.7, 0.95);
    const double radius = flaw.diameter / 2.0;
    const double softness = std::max(0.8, radius * 0.25);
    const cv::Rect box = FlawBox(flaw);
    for (int y = box.y; y < box.br().y; ++y)
        for (int x = box.x; x < box.br().x; ++x) {
            const double d = std::hypot(x - flaw.cx, y - flaw.cy);
            if (d >= radius) continue;
            // Soft edge that reaches zero at the flaw's diameter.
            const double alpha = strength * std::min(1.0, (radius - d) / softness);
            Blend(image.at<cv::Vec3b>(y, x), colour, alpha);
            Cover(opacity, x, y, alpha, dark ? -1.0 : 1.0);
        }
}

void PaintHair(cv::Mat& image, cv::Mat& opacity, const Flaw& flaw, std::mt19937& rng)
{
    const double radius = flaw.diameter / 2.0 - 1.5;
    const double angle = Uniform(rng, 0, CV_PI);
    const cv::Point2d a(flaw.cx + radius * std::cos(angle), flaw.cy + radius * std::sin(angle));
    const cv::Point2d b(flaw.cx - radius * std::cos(angle), flaw.cy - radius * std::sin(angle));
    const cv::Point2d bend(flaw.cx + Uniform(rng, -0.5, 0.5) * radius, flaw.cy + Uniform(rng, -0.5, 0.5) * radius);
    const double width = Uniform(rng, 0.8, std::clamp(flaw.diameter / 20.0, 1.0, 2.5));
    const double level = flaw.ground * Uniform(rng, 0.05, 0.35);
    const cv::Vec3d colour(level, level, level * 1.1);
    cv::Mat alpha(image.size(), CV_64F, cv::Scalar(0));
    const int steps = flaw.diameter * 8;
    for (int i = 0; i <= steps; ++i) {
        const double t = static_cast<double>(i) / steps;
        const cv::Point2d p = (1 - t) * (1 - t) * a + 2 * (1 - t) * t * bend + t * t * b;
        for (int y = static_cast<int>(p.y) - 3; y <= static_cast<int>(p.y) + 3; ++y)
            for (int x = static_cast<int>(p.x) - 3; x <= static_cast<int>(p.x) + 3; ++x) {
                if (std::hypot(x - flaw.cx, y - flaw.cy) >= flaw.diameter / 2.0) continue;
                const double cover = SoftEdge(width / 2.0 - std::hypot(x - p.x, y - p.y), 1.0);
                alpha.at<double>(y, x) = std::max(alpha.at<double>(y, x), 0.9 * cover);
            }
    }
    const cv::Rect box = FlawBox(flaw);
    for (int y = box.y; y < box.br().y; ++y)
        for (int x = box.x; x < box.br().x; ++x)
            if (alpha.at<double>(y, x) > 0) {
                Blend(image.at<cv::Vec3b>(y, x), colour, alpha.at<double>(y, x));
                Cover(opacity, x, y, alpha.at<double>(y, x), -1.0);
            }
}

void PaintRingDust(cv::Mat& image, cv::Mat& opacity, const Flaw& flaw, std::mt19937& rng)
{
    const double outer = flaw.diameter / 2.0;
    const double ringRadius = outer * Uniform(rng, 0.45, 0.6);
    const double ringWidth = std::max(1.0, outer * 0.15);
    const double level = flaw.ground * Uniform(rng, 0.1, 0.4);
    const cv::Vec3d dark(level, level, level);
    const cv::Vec3d halo(235, 235, 225);
    const cv::Rect box = FlawBox(flaw);
    for (int y = box.y; y < box.br().y; ++y)
        for (int x = box.x; x < box.br().x; ++x) {
            const double d = std::hypot(x - flaw.cx, y - flaw.cy);
            if (d >= outer) continue;
            cv::Vec3b& pixel = image.at<cv::Vec3b>(y, x);
            // A faint bright halo over the whole flaw, fading out at its edge,
            // under a dark ring.
            const double haloAlpha = 0.3 * std::min(1.0, (outer - d) / std::max(1.0, outer * 0.3));
            const double ringAlpha = 0.85 * SoftEdge(ringWidth / 2.0 - std::abs(d - ringRadius), 1.0);
            Blend(pixel, halo, haloAlpha);
            Blend(pixel, dark, ringAlpha);
            Cover(opacity, x, y, haloAlpha, 1.0);
            Cover(opacity, x, y, ringAlpha, -1.0);
        }
}

/// Paints the flaw and returns its signed opacity at every pixel: negative
/// where it darkened the photo, positive where it brightened it, 0 where it
/// left it alone.
cv::Mat PaintFlaw(cv::Mat& image, const Flaw& flaw, std::mt19937& rng)
{
    cv::Mat opacity(image.size(), CV_64F, cv::Scalar(0));
    switch (flaw.kind) {
    case FlawKind::DarkDust:
    case FlawKind::BrightDust: PaintDust(image, opacity, flaw, rng); break;
    case FlawKind::Hair: PaintHair(image, opacity, flaw, rng); break;
    case FlawKind::RingDust: PaintRingDust(image, opacity, flaw, rng); break;
    }
    return opacity;
}

/// Picks a flaw whose click square lies inside the photo, on a ground it
/// contrasts with, on a flat or a textured area as asked (when the photo has
/// such an area).
Flaw PlaceFlaw(const cv::Mat& grey, FlawKind kind, int diameter, bool wantTextured, std::mt19937& rng)
{
    Flaw flaw;
    flaw.kind = kind;
    flaw.diameter = diameter;
    const int half = ClickSize(diameter) / 2 + 2;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        flaw.cx = UniformInt(rng, half, grey.cols - 1 - half);
        flaw.cy = UniformInt(rng, half, grey.rows - 1 - half);
        flaw.ground = cv::mean(grey(FlawBox(flaw)))[0];
        const bool shows = kind == FlawKind::BrightDust ? flaw.ground <= BrightFlawGround : flaw.ground >= DarkFlawGround;
        flaw.textured = HighPassDeviation(grey, flaw) > TextureThreshold;
        if (shows && flaw.textured == wantTextured) break;
    }
    return flaw;
}

/// Runs RemoveSpot on a bottom-up 24-bit copy of `image`, as the program holds it.
cv::Mat RepairWithRemoveSpot(const cv::Mat& image, const Flaw& flaw)
{
    const int stride = (image.cols * 3 + 3) & ~3;
    std::vector<unsigned char> pixels(static_cast<std::size_t>(stride) * image.rows);
    for (int y = 0; y < image.rows; ++y)
        std::copy_n(image.ptr<uchar>(y), image.cols * 3, &pixels[static_cast<std::size_t>(image.rows - 1 - y) * stride]);
    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof(BITMAPINFO);
    header.bmiHeader.biWidth = image.cols;
    header.bmiHeader.biHeight = image.rows;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 24;
    header.bmiHeader.biSizeImage = static_cast<DWORD>(pixels.size());
    const cv::Rect square = SpotSquare(flaw);
    if (!ImageProcess::RemoveSpot(pixels, header, square.width, POINT{square.x, square.y},
                                  static_cast<float>(SpotStrength), nullptr))
        std::fprintf(stderr, "RemoveSpot failed at (%d, %d)\n", flaw.cx, flaw.cy);
    cv::Mat result(image.size(), CV_8UC3);
    for (int y = 0; y < image.rows; ++y)
        std::copy_n(&pixels[static_cast<std::size_t>(image.rows - 1 - y) * stride], image.cols * 3, result.ptr<uchar>(y));
    return result;
}

/// cv::inpaint on a region around the disk (the disk grown by 16 px, which
/// holds everything either method reads at radius 3), with the disk as mask.
cv::Mat RepairWithInpaint(const cv::Mat& image, const Flaw& flaw, int method)
{
    const cv::Mat mask = DiskMask(image.size(), flaw, 0.0, 1e9);
    const cv::Rect square = SpotSquare(flaw);
    const cv::Rect roi = (square + cv::Size(32, 32) - cv::Point(16, 16)) & cv::Rect(0, 0, image.cols, image.rows);
    cv::Mat result = image.clone();
    cv::Mat repaired;
    cv::inpaint(image(roi), mask(roi), repaired, InpaintRadius, method);
    repaired.copyTo(result(roi));
    return result;
}

double Psnr(const cv::Mat& a, const cv::Mat& b, const cv::Mat& mask)
{
    double sum = 0.0;
    int count = 0;
    for (int y = 0; y < a.rows; ++y)
        for (int x = 0; x < a.cols; ++x) {
            if (!mask.at<uchar>(y, x)) continue;
            for (int c = 0; c < 3; ++c) {
                const double d = a.at<cv::Vec3b>(y, x)[c] - b.at<cv::Vec3b>(y, x)[c];
                sum += d * d;
            }
            count += 3;
        }
    if (count == 0) return 99.0;
    const double mse = sum / count;
    return mse <= 0.0 ? 99.0 : std::min(99.0, 10.0 * std::log10(255.0 * 255.0 / mse));
}

/// Mean of the SSIM map (11 px Gaussian window, sigma 1.5, averaged over the
/// three channels) over the mask's pixels.
double Ssim(const cv::Mat& a, const cv::Mat& b, const cv::Mat& mask, const cv::Rect& around)
{
    const cv::Rect roi = (around + cv::Size(24, 24) - cv::Point(12, 12)) & cv::Rect(0, 0, a.cols, a.rows);
    cv::Mat x, y;
    a(roi).convertTo(x, CV_32F);
    b(roi).convertTo(y, CV_32F);
    const double c1 = 6.5025, c2 = 58.5225;
    cv::Mat mx, my, sxx, syy, sxy;
    const cv::Size window(11, 11);
    cv::GaussianBlur(x, mx, window, 1.5);
    cv::GaussianBlur(y, my, window, 1.5);
    cv::GaussianBlur(x.mul(x), sxx, window, 1.5);
    cv::GaussianBlur(y.mul(y), syy, window, 1.5);
    cv::GaussianBlur(x.mul(y), sxy, window, 1.5);
    sxx -= mx.mul(mx);
    syy -= my.mul(my);
    sxy -= mx.mul(my);
    cv::Mat numerator = (2 * mx.mul(my) + c1).mul(2 * sxy + c2);
    cv::Mat denominator = (mx.mul(mx) + my.mul(my) + c1).mul(sxx + syy + c2);
    cv::Mat map;
    cv::divide(numerator, denominator, map);
    const cv::Scalar mean = cv::mean(map, mask(roi));
    return (mean[0] + mean[1] + mean[2]) / 3.0;
}

// The flaw is what was painted: layers of some opacity that pushed the clean
// colours darker or brighter than their ground. What is left of it is the
// repair's difference from the clean photo, weighted by that signed opacity,
// as a share of the flawed photo's (1 = untouched, 0 = gone). An error that
// has no particular direction, as a texture that differs from the clean photo
// has, averages out and does not count as flaw left over; a repair that is
// darker where a dark flaw was does. The mean absolute difference to the
// clean photo over the flaw's pixels, before and after, is kept beside it.
void ScoreFlawRemoval(const cv::Mat& clean, const cv::Mat& flawed, const cv::Mat& repaired, const cv::Mat& opacity,
                      const Flaw& flaw, Score& score)
{
    double before = 0.0, left = 0.0, absBefore = 0.0, absAfter = 0.0;
    int count = 0;
    const cv::Rect box = FlawBox(flaw);
    for (int y = box.y; y < box.br().y; ++y)
        for (int x = box.x; x < box.br().x; ++x) {
            const double push = opacity.at<double>(y, x);
            if (push == 0.0) continue;
            const cv::Vec3b c = clean.at<cv::Vec3b>(y, x), f = flawed.at<cv::Vec3b>(y, x), r = repaired.at<cv::Vec3b>(y, x);
            for (int k = 0; k < 3; ++k) {
                before += push * (double(f[k]) - c[k]);
                left += push * (double(r[k]) - c[k]);
                absBefore += std::abs(double(f[k]) - c[k]);
                absAfter += std::abs(double(r[k]) - c[k]);
            }
            count += 3;
        }
    score.gone = before > 0 ? 1.0 - std::clamp(left / before, 0.0, 1.0) : 1.0;
    score.absBefore = count ? absBefore / count : 0.0;
    score.absAfter = count ? absAfter / count : 0.0;
}

Score ScoreRepair(const cv::Mat& clean, const cv::Mat& flawed, const cv::Mat& repaired, const cv::Mat& opacity,
                  const Flaw& flaw)
{
    Score score;
    const cv::Mat disk = DiskMask(clean.size(), flaw, 0.0, 1e9);
    const cv::Mat rim = DiskMask(clean.size(), flaw, 0.0, RimWidth);
    const cv::Rect square = SpotSquare(flaw);
    score.psnrDisk = Psnr(repaired, clean, disk);
    score.psnrRim = Psnr(repaired, clean, rim);
    score.ssimDisk = Ssim(repaired, clean, disk, square);
    score.ssimRim = Ssim(repaired, clean, rim, square);
    ScoreFlawRemoval(clean, flawed, repaired, opacity, flaw, score);
    return score;
}

double Median(std::vector<double> values)
{
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

template <typename Pick>
std::vector<double> Collect(const std::vector<const Result*>& results, int method, Pick pick)
{
    std::vector<double> values;
    for (const Result* r : results) values.push_back(pick(r->scores[method]));
    return values;
}

void PrintGroup(const char* name, const std::vector<const Result*>& group)
{
    if (group.empty()) return;
    std::printf("%-22s %4zu", name, group.size());
    for (int m = 0; m < MethodCount; ++m)
        std::printf(" | %6.2f %6.2f %6.4f %6.4f", Median(Collect(group, m, [](const Score& s) { return s.psnrDisk; })),
                    Median(Collect(group, m, [](const Score& s) { return s.psnrRim; })),
                    Median(Collect(group, m, [](const Score& s) { return s.ssimDisk; })),
                    Median(Collect(group, m, [](const Score& s) { return s.ssimRim; })));
    std::printf("\n");
}

void PrintQualityTable(const std::vector<Result>& results)
{
    std::printf("\nMedians. Per method: PSNR disk, PSNR rim (dB), SSIM disk, SSIM rim\n");
    std::printf("%-22s %4s", "group", "n");
    for (const char* m : MethodNames) std::printf(" | %-30s", m);
    std::printf("\n");
    auto select = [&](auto predicate) {
        std::vector<const Result*> group;
        for (const Result& r : results)
            if (predicate(r)) group.push_back(&r);
        return group;
    };
    PrintGroup("all", select([](const Result&) { return true; }));
    PrintGroup("flat", select([](const Result& r) { return !r.flaw.textured; }));
    PrintGroup("textured", select([](const Result& r) { return r.flaw.textured; }));
    for (int k = 0; k < 4; ++k)
        PrintGroup(KindNames[k], select([k](const Result& r) { return static_cast<int>(r.flaw.kind) == k; }));
    const int buckets[][2] = {{5, 10}, {14, 28}, {40, 56}, {80, 120}};
    for (const auto& b : buckets) {
        char name[32];
        std::snprintf(name, sizeof name, "diameter %d-%d", b[0], b[1]);
        PrintGroup(name, select([&b](const Result& r) { return r.flaw.diameter >= b[0] && r.flaw.diameter <= b[1]; }));
    }
}

void PrintRemovalTable(const std::vector<Result>& results)
{
    std::printf("\nFlaw removal. Per method: share of the flaw gone (median, minimum), flaws under 90 %%;"
                " mean |difference to clean| over flaw pixels before -> after (median)\n");
    for (int m = 0; m < MethodCount; ++m) {
        std::vector<const Result*> all;
        for (const Result& r : results) all.push_back(&r);
        const auto gone = Collect(all, m, [](const Score& s) { return s.gone; });
        const auto under = std::count_if(gone.begin(), gone.end(), [](double g) { return g < 0.9; });
        std::printf("%-12s gone %5.1f %% (min %5.1f %%), under 90 %%: %3ld of %zu; |diff| %5.1f -> %5.1f\n", MethodNames[m],
                    100 * Median(gone), 100 * *std::min_element(gone.begin(), gone.end()), static_cast<long>(under),
                    gone.size(), Median(Collect(all, m, [](const Score& s) { return s.absBefore; })),
                    Median(Collect(all, m, [](const Score& s) { return s.absAfter; })));
    }
}

void PrintTargets(const std::vector<Result>& results)
{
    auto medianOf = [&](int method, bool onlyTextured, auto pick) {
        std::vector<double> v;
        for (const Result& r : results)
            if (!onlyTextured || r.flaw.textured) v.push_back(pick(r.scores[method]));
        return Median(v);
    };
    auto disk = [](const Score& s) { return s.psnrDisk; };
    auto rim = [](const Score& s) { return s.psnrRim; };
    std::printf("\nTargets\n");
    std::printf("median PSNR over TELEA, all flaws:         %+6.2f dB (target >= +1.50)\n",
                medianOf(0, false, disk) - medianOf(1, false, disk));
    std::printf("median PSNR over TELEA, textured:          %+6.2f dB (target > 0)\n",
                medianOf(0, true, disk) - medianOf(1, true, disk));
    std::printf("median PSNR over NS, textured:             %+6.2f dB (target > 0)\n",
                medianOf(0, true, disk) - medianOf(2, true, disk));
    std::printf("median rim PSNR over TELEA / NS:           %+6.2f / %+6.2f dB (target >= 0)\n",
                medianOf(0, false, rim) - medianOf(1, false, rim), medianOf(0, false, rim) - medianOf(2, false, rim));
}

std::vector<Result> RunPhoto(const cv::Mat& clean, std::mt19937& rng)
{
    cv::Mat grey;
    cv::cvtColor(clean, grey, cv::COLOR_BGR2GRAY);
    std::vector<Result> results;
    for (int i = 0; i < FlawsPerPhoto; ++i) {
        const auto kind = static_cast<FlawKind>(i % 4);
        const int diameter = Diameters[(i / 4 + i) % std::size(Diameters)];
        Result result;
        result.flaw = PlaceFlaw(grey, kind, diameter, (i / 2) % 2 == 1, rng);
        cv::Mat flawed = clean.clone();
        const cv::Mat opacity = PaintFlaw(flawed, result.flaw, rng);
        const Flaw& f = result.flaw;
        result.scores[0] = ScoreRepair(clean, flawed, RepairWithRemoveSpot(flawed, f), opacity, f);
        result.scores[1] = ScoreRepair(clean, flawed, RepairWithInpaint(flawed, f, cv::INPAINT_TELEA), opacity, f);
        result.scores[2] = ScoreRepair(clean, flawed, RepairWithInpaint(flawed, f, cv::INPAINT_NS), opacity, f);
        results.push_back(result);
    }
    return results;
}

} // namespace

void PrintFlaw(const char* photo, const Result& r)
{
    std::printf("%-16s %-11s d=%3d (%3d,%3d) %s", photo, KindNames[static_cast<int>(r.flaw.kind)], r.flaw.diameter,
                r.flaw.cx, r.flaw.cy, r.flaw.textured ? "tex " : "flat");
    for (const Score& s : r.scores) std::printf(" | %5.1f %5.1f %4.0f%%", s.psnrDisk, s.psnrRim, 100 * s.gone);
    std::printf(" | contrast %5.1f\n", r.scores[0].absBefore);
}

int main(int argc, char** argv)
{
    bool list = false;
    std::string folder = DefaultFolder;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--list") list = true;
        else folder = std::string(argv[i]) + "/";
    }
    std::mt19937 rng(Seed);
    std::vector<Result> all;
    std::printf("%-18s %6s %6s | median PSNR disk: RemoveSpot TELEA NS\n", "photo", "flaws", "tex");
    for (const char* name : Photos) {
        const cv::Mat clean = cv::imread(folder + name, cv::IMREAD_COLOR);
        if (clean.empty()) {
            std::fprintf(stderr, "cannot read %s%s\n", folder.c_str(), name);
            continue;
        }
        const std::vector<Result> results = RunPhoto(clean, rng);
        if (list)
            for (const Result& r : results) PrintFlaw(name, r);
        std::vector<const Result*> view;
        for (const Result& r : results) view.push_back(&r);
        const auto textured = std::count_if(results.begin(), results.end(), [](const Result& r) { return r.flaw.textured; });
        std::printf("%-18s %6zu %6ld |", name, results.size(), static_cast<long>(textured));
        for (int m = 0; m < MethodCount; ++m)
            std::printf(" %6.2f", Median(Collect(view, m, [](const Score& s) { return s.psnrDisk; })));
        std::printf("\n");
        all.insert(all.end(), results.begin(), results.end());
    }
    if (all.empty()) return 1;
    PrintQualityTable(all);
    PrintRemovalTable(all);
    PrintTargets(all);
    return 0;
}

// Quality benchmark of ImageProcess::RemoveSpot against OpenCV's inpainting
// and a plain heal.
//
// Synthetic flaws (dark and bright dust, short curved hairs, ring-shaped dust
// with a halo; 5 to 120 px across) are painted one at a time onto real
// photographs, each is repaired with RemoveSpot the way a user would click it
// (a square a little larger than the flaw, strength 0.8) and, in the same run,
// with cv::inpaint TELEA and NS on exactly the pixels RemoveSpot may change,
// and with a plain heal (the best-matching ring patch, seamlessClone'd; see
// SpotQualityPlainHeal.h). Flaws lie anywhere on flat or textured ground, on
// a strong boundary between two regions (an edge crosses the disk), or near
// one (it passes just outside the disk, so the repair must come from the
// spot's own side).
//
// Two sets of photographs, fixed before the healer was tuned:
//   - the TUNING set: eight of OpenCV's sample photos, on which the healer's
//     constants were chosen;
//   - the HELD-OUT set: sixteen other photographs (OpenCV's samples and
//     scikit-image's data, Debian packages opencv-doc and python3-skimage)
//     that were never looked at, nor measured, while tuning. Its figures
//     say how the healer does on photos it was not fitted to.
// --set picks which run (tuning by default).
//
// Every repair is scored against the clean photograph:
//   - PSNR and SSIM inside the repaired disk, and in its rim (the outermost
//     3 px of the disk, where a seam would show; SSIM's 11 px window there
//     also sees the untouched pixels just outside); the tables give medians
//     per method and the medians of the per-flaw PSNR differences between
//     RemoveSpot and each other method (paired);
//   - edge continuity where the clean disk holds a strong edge: the error of
//     the gradient's direction and the distance between the repair's and the
//     clean photo's edges (see SpotQualityEdges.h);
//   - whether the flaw is gone (see GoneDefinition below, which is printed
//     at the top of the output); failures are listed and crops of the flaws
//     removed worst (flawed / repaired / control repair / clean / difference,
//     enlarged) are written as PNG into /tmp/spotfails/ (or the folder given
//     with --fails);
//   - whether the repair brought in a foreign object: sharp, localized detail
//     in the disk that neither the clean disk nor the ring around it holds
//     (a bird copied into clear sky, ghosts of several), or colours that
//     neither the clean disk nor its edge holds (a piece of the region on the
//     other side of a nearby boundary); see ForeignDefinition, printed at the
//     top of the output. The cases are listed and crops (flawed / RemoveSpot /
//     TELEA / NS / plain / clean / RemoveSpot's foreign pixels in red) are
//     written into /tmp/spotforeign/ (or the folder given with --foreign).
//   - crops of the ten flaws where RemoveSpot does worst against the best
//     other method (flawed / RemoveSpot / plain / TELEA / NS / clean) go into
//     /tmp/spotworst/ (or the folder given with --worst).
// Areas are classed flat or textured by the high-pass energy of the clean
// photo around the flaw. Fixed seed; prints tables of medians.
//
// Usage: bench_SpotQuality [--set tuning|held-out|all] [--quick] [--list]
// [--fails folder] [--foreign folder] [--worst folder] [--seed n]; --quick
// paints a quarter of the flaws (a quick look while iterating), --list also
// prints one line per flaw, --seed draws another set of flaws.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/photo.hpp>

#include "QualityMeasures.h"
#include "QualityPhotos.h"
#include "SpotQualityEdges.h"
#include "SpotQualityPlainHeal.h"
#include "Tinctor/ImageProcess.h"

namespace {

using QualityMeasures::Collect;
using QualityMeasures::Median;
using QualityMeasures::Options;
using QualityMeasures::Psnr;
using QualityMeasures::Ssim;
using QualityMeasures::Uniform;

const std::vector<std::string>& TuningPhotos = QualityPhotos::Tuning;
const std::vector<std::string>& HeldOutPhotos = QualityPhotos::HeldOut;
constexpr int FlawsPerPhoto = 64;
// --quick paints every QuickStride-th flaw only.
constexpr int QuickStride = 4;
constexpr unsigned Seed = 20240611u;
const int Diameters[] = {5, 7, 10, 14, 20, 28, 40, 56, 80, 120};
constexpr int RimWidth = 3;
constexpr double TextureThreshold = 4.0;    // high-pass standard deviation, grey levels
// Flaws show because they contrast with their ground: dark flaws go on grounds
// at least this bright (mean grey), bright dust on grounds at most this bright.
constexpr double DarkFlawGround = 80.0;
constexpr double BrightFlawGround = 175.0;
constexpr double SpotStrength = 0.8;
// Pixels under layers of less total opacity than this are not part of the flaw.
constexpr double MinFlawOpacity = 0.05;
constexpr double GoneThreshold = 0.9;
// Crops are kept for flaws less gone than this (failures and near misses),
// and the worst SavedCrops of them are written.
constexpr double CropBelow = 0.95;
constexpr std::size_t SavedCrops = 24;
// Comparison crops are written for this many flaws where RemoveSpot does worst.
constexpr std::size_t WorstCases = 10;

const char* const GoneDefinition =
    "A flaw is GONE when less than 10 % of its contrast remains beyond the noise floor:\n"
    "  F        = pixels under painted layers of total opacity >= 0.05\n"
    "  s        = sign(flawed - clean) per pixel and channel (the direction the flaw pushed)\n"
    "  C        = sum over F of |flawed - clean|           (the flaw's contrast before repair)\n"
    "  control  = the same method on the same square of the CLEAN photo\n"
    "  F splits into pixels the repair left as they were (kept), pixels both the repair and the\n"
    "  control changed (both), and pixels only the repair changed (only):\n"
    "  L(part)  = sum over the part of s * (repaired - clean)  (signed leftover; texture error\n"
    "             with no particular direction cancels)\n"
    "  L0       = max(0, sum over 'both' of s * (control - clean))  (the noise floor: the error\n"
    "             in the flaw's direction that the repair makes there anyway, without the flaw)\n"
    "  left     = max(0, L(kept)) + max(0, L(only)) + max(0, L(both) - L0)\n"
    "  gone     = 1 - min(1, left / C);  a failure when gone < 90 %\n"
    "Kept pixels count with the flaw they still hold; pixels only the flawed run repaired get\n"
    "no floor. The listing shows L = L(all) / C and L0 / C.\n";

// Introduced detail (see ForeignDefinition). The thresholds were set by
// looking at crops: at twice the reference level (and 1.5 grey levels more) a
// few thin birds copied into sky with soft clouds count, and so do the dark
// wedges TELEA and NS draw into smooth bokeh from a dark edge; grain, JPEG
// blocks and the soft texture of a blended repair do not.
constexpr double DetailBlur = 2.0;          // sigma of the blur the high-pass takes away
constexpr double DetailWindow = 1.5;        // sigma of the window local detail is measured in
constexpr double ReferenceQuantile = 0.95;
constexpr double ForeignFactor = 2.0;
constexpr double ForeignMargin = 1.5;       // grey levels
constexpr double ForeignOverClean = 2.0;
constexpr int MinForeignPixels = 12;
constexpr double MinForeignShare = 0.01;

const char* const ForeignDefinition =
    "A repair brings in a FOREIGN OBJECT when it puts strong, localized detail into the disk that neither\n"
    "the clean photo's disk nor the ring around it holds (an object copied from elsewhere, a ghost of one):\n"
    "  detail   = local RMS (Gaussian window, sigma 1.5) of the grey image minus its blur (sigma 2)\n"
    "  ring     = the pixels just outside the disk, max(4, radius / 2) wide (no method changes them)\n"
    "  ref      = 95th percentile of the clean photo's detail over ring and disk\n"
    "  foreign pixel: a disk pixel where the repair's detail exceeds max(2 ref, ref + 1.5) and twice the\n"
    "             clean photo's detail at that pixel\n"
    "  foreign object: at least max(12, 1 % of the disk) foreign pixels\n"
    "or puts colours into the disk that neither the clean disk nor its edge holds (a piece of the region on\n"
    "the other side of a nearby boundary):\n"
    "  allowed  = colours of the clean photo in the disk and 3 px around it\n"
    "  foreign colour: a disk pixel of the repair more than 40 grey levels (largest channel difference)\n"
    "             from the clean pixel there and from every allowed colour\n"
    "  foreign object: at least max(12, 2 % of the disk) such pixels\n"
    "The listing shows the foreign pixels, the peak of the repair's detail over ref and the foreign colours.\n";

// Foreign colours (see ForeignDefinition).
constexpr int ColourEdge = 3;
constexpr int ColourMargin = 40;
constexpr int ColourCell = 8;               // grey levels per cell of the allowed-colour grid
constexpr double MinForeignColourShare = 0.02;

enum class FlawKind { DarkDust, BrightDust, Hair, RingDust };
const char* const KindNames[] = {"dark dust", "bright dust", "hair", "ring dust"};
enum class Method { RemoveSpot, Telea, NavierStokes, PlainHeal };
const char* const MethodNames[] = {"RemoveSpot", "TELEA", "NS", "plain"};
constexpr int MethodCount = 4;
// Where a flaw lies: anywhere on flat or textured ground, on a strong
// boundary between two regions, or near one (just outside the disk).
enum class Placement { Flat, Textured, OnEdge, NearEdge };
const char* const PlacementNames[] = {"anywhere flat", "anywhere textured", "on an edge", "near an edge"};
// Size classes of the flaws' diameters.
const int SizeClasses[][2] = {{5, 9}, {10, 20}, {21, 50}, {51, 120}};

struct Flaw {
    FlawKind kind{FlawKind::DarkDust};
    int cx{0};
    int cy{0};
    int diameter{0};
    bool textured{false};
    Placement placement{Placement::Flat};
    double ground{0.0};         ///< mean grey of the clean photo under the flaw
};

struct Score {
    double psnrDisk{0.0};
    double psnrRim{0.0};
    double ssimDisk{0.0};
    double ssimRim{0.0};
    double gone{0.0};           ///< share of the flaw removed, 0 to 1 (see GoneDefinition)
    double remains{0.0};        ///< L(all) / C: signed leftover of the flaw after repair
    double floor{0.0};          ///< L0: the control's leftover on pixels both repairs changed, share of C
    double contrast{0.0};       ///< mean |flawed - clean| over the flaw's pixels and channels
    double absAfter{0.0};       ///< mean |repair - clean| over flaw pixels
    int foreignPixels{0};       ///< disk pixels with detail far beyond the clean photo's there (see ForeignDefinition)
    double foreignPeak{0.0};    ///< largest local detail in the disk, as a multiple of the reference level
    int foreignColours{0};      ///< disk pixels of colours the clean disk and its edge lack (see ForeignDefinition)
    bool foreign{false};        ///< the repair brought in a foreign object
    SpotBench::EdgeContinuity edge;
};

struct Result {
    std::string photo;
    Flaw flaw;
    std::array<Score, MethodCount> scores;
    cv::Mat crops;              ///< flawed / RemoveSpot / its control / clean / difference, when RemoveSpot's gone < CropBelow
    cv::Mat foreignCrops;       ///< flawed / RemoveSpot / TELEA / NS / plain / clean / foreign map, when some method is foreign
    cv::Mat comparison;         ///< flawed / RemoveSpot / plain / TELEA / NS / clean
};

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

/// The area crops show: the click square with a margin.
cv::Rect CropRegion(const Flaw& flaw, cv::Size size)
{
    const cv::Rect square = SpotSquare(flaw);
    const int pad = std::max(4, square.width / 4);
    return (square + cv::Size(2 * pad, 2 * pad) - cv::Point(pad, pad)) & cv::Rect(cv::Point(0, 0), size);
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
    return QualityMeasures::HighPassDeviation(grey, roi);
}

void Blend(cv::Vec3b& pixel, const cv::Vec3d& colour, double alpha)
{
    for (int c = 0; c < 3; ++c) pixel[c] = cv::saturate_cast<uchar>(pixel[c] + alpha * (colour[c] - pixel[c]));
}

/// Records that a layer of opacity `alpha` was painted over the pixel.
void Cover(cv::Mat& opacity, int x, int y, double alpha)
{
    opacity.at<double>(y, x) += alpha;
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
            Cover(opacity, x, y, alpha);
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
                Cover(opacity, x, y, alpha.at<double>(y, x));
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
            Cover(opacity, x, y, haloAlpha);
            Cover(opacity, x, y, ringAlpha);
        }
}

/// Paints the flaw and returns the total opacity of its layers at every pixel
/// (0 where it left the photo alone).
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

/// True when a flaw centred where the nearest strong boundary is `distance`
/// pixels away lies as `placement` asks: on an edge, the boundary passes
/// within a pixel of the centre; near one, it passes 1.5 to max(3, r / 2)
/// pixels outside the disk of radius r (the click square's half side).
bool PlacedAsAsked(const Flaw& flaw, Placement placement, double distance)
{
    const double radius = SpotSquare(flaw).width / 2.0;
    switch (placement) {
    case Placement::Flat: return !flaw.textured && distance > radius + 1.5;
    case Placement::Textured: return flaw.textured;
    case Placement::OnEdge: return distance <= 1.0;
    case Placement::NearEdge: return distance >= radius + 1.5 && distance <= radius + std::max(3.0, radius / 2.0);
    }
    return false;
}

/// Picks a flaw whose click square lies inside the photo, on a ground it
/// contrasts with, placed as asked (when the photo has such a place).
/// `boundaryDistance`: distance of every pixel to the nearest strong boundary.
Flaw PlaceFlaw(const cv::Mat& grey, const cv::Mat& boundaryDistance, FlawKind kind, int diameter, Placement placement,
               std::mt19937& rng)
{
    Flaw flaw;
    flaw.kind = kind;
    flaw.diameter = diameter;
    flaw.placement = placement;
    const int half = ClickSize(diameter) / 2 + 2;
    for (int attempt = 0; attempt < 4000; ++attempt) {
        flaw.cx = UniformInt(rng, half, grey.cols - 1 - half);
        flaw.cy = UniformInt(rng, half, grey.rows - 1 - half);
        flaw.ground = cv::mean(grey(FlawBox(flaw)))[0];
        const bool shows = kind == FlawKind::BrightDust ? flaw.ground <= BrightFlawGround : flaw.ground >= DarkFlawGround;
        flaw.textured = HighPassDeviation(grey, flaw) > TextureThreshold;
        if (shows && PlacedAsAsked(flaw, placement, boundaryDistance.at<float>(flaw.cy, flaw.cx))) break;
    }
    return flaw;
}

/// Runs RemoveSpot on a bottom-up 24-bit copy of `image`, as the program holds it.
cv::Mat RepairWithRemoveSpot(const cv::Mat& image, const Flaw& flaw)
{
    QualityMeasures::Dib dib = QualityMeasures::ToDib(image);
    const cv::Rect square = SpotSquare(flaw);
    if (!ImageProcess::RemoveSpot(dib.pixels, dib.header, square.width, POINT{square.x, square.y},
                                  static_cast<float>(SpotStrength), nullptr))
        std::fprintf(stderr, "RemoveSpot failed at (%d, %d)\n", flaw.cx, flaw.cy);
    return QualityMeasures::FromDib(dib);
}

/// cv::inpaint on a region around the disk (the disk grown by 16 px, which
/// holds everything either method reads at radius 3), with the disk as mask.
cv::Mat RepairWithInpaint(const cv::Mat& image, const Flaw& flaw, int method)
{
    return QualityMeasures::Inpaint(image, DiskMask(image.size(), flaw, 0.0, 1e9), SpotSquare(flaw), method);
}

bool Changed(const cv::Vec3b& before, const cv::Vec3b& after)
{
    return before[0] != after[0] || before[1] != after[1] || before[2] != after[2];
}

/// Fills the removal fields of `score` (see GoneDefinition) from the repair of
/// the flawed photo and the control repair of the clean one.
void ScoreFlawRemoval(const cv::Mat& clean, const cv::Mat& flawed, const cv::Mat& repaired, const cv::Mat& control,
                      const cv::Mat& opacity, const Flaw& flaw, Score& score)
{
    enum Part { Kept, Both, Only };
    double left[3] = {0.0, 0.0, 0.0};
    double before = 0.0, noiseFloor = 0.0, absAfter = 0.0;
    int count = 0;
    const cv::Rect box = FlawBox(flaw);
    for (int y = box.y; y < box.br().y; ++y)
        for (int x = box.x; x < box.br().x; ++x) {
            if (opacity.at<double>(y, x) < MinFlawOpacity) continue;
            const cv::Vec3b c = clean.at<cv::Vec3b>(y, x), f = flawed.at<cv::Vec3b>(y, x);
            const cv::Vec3b r = repaired.at<cv::Vec3b>(y, x), r0 = control.at<cv::Vec3b>(y, x);
            const Part part = !Changed(f, r) ? Kept : Changed(c, r0) ? Both : Only;
            for (int k = 0; k < 3; ++k) {
                const double d = double(f[k]) - c[k];
                const double sign = d > 0 ? 1.0 : d < 0 ? -1.0 : 0.0;
                before += std::abs(d);
                left[part] += sign * (double(r[k]) - c[k]);
                if (part == Both) noiseFloor += sign * (double(r0[k]) - c[k]);
                absAfter += std::abs(double(r[k]) - c[k]);
            }
            count += 3;
        }
    noiseFloor = std::max(noiseFloor, 0.0);
    const double remaining =
        std::max(left[Kept], 0.0) + std::max(left[Only], 0.0) + std::max(left[Both] - noiseFloor, 0.0);
    score.contrast = count ? before / count : 0.0;
    score.absAfter = count ? absAfter / count : 0.0;
    score.remains = before > 0.0 ? (left[Kept] + left[Both] + left[Only]) / before : 0.0;
    score.floor = before > 0.0 ? noiseFloor / before : 0.0;
    score.gone = before > 0.0 ? 1.0 - std::min(1.0, remaining / before) : 1.0;
}

/// Local detail of the grey version of `image` over `roi`: the root mean
/// square of its high-pass in a small Gaussian window.
cv::Mat LocalDetail(const cv::Mat& image, const cv::Rect& roi)
{
    cv::Mat grey, blurred, energy;
    cv::cvtColor(image(roi), grey, cv::COLOR_BGR2GRAY);
    grey.convertTo(grey, CV_32F);
    cv::GaussianBlur(grey, blurred, cv::Size(0, 0), DetailBlur);
    const cv::Mat highPass = grey - blurred;
    cv::GaussianBlur(highPass.mul(highPass), energy, cv::Size(0, 0), DetailWindow);
    cv::sqrt(energy, energy);
    return energy;
}

double Quantile(std::vector<float> values, double q)
{
    if (values.empty()) return 0.0;
    const auto k = static_cast<std::ptrdiff_t>(q * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + k, values.end());
    return values[static_cast<std::size_t>(k)];
}

/// The disk pixels where `repaired` holds detail that neither the clean disk
/// nor the ring around it has (see ForeignDefinition), as a mask of the
/// photo's size; `peak` gets the repair's largest local detail in the disk
/// over the reference level and `diskPixels` the disk's size.
cv::Mat ForeignPixels(const cv::Mat& clean, const cv::Mat& repaired, const Flaw& flaw, double& peak, int& diskPixels)
{
    const cv::Rect square = SpotSquare(flaw);
    const double radius = square.width / 2.0;
    const double ringWidth = std::max(4.0, radius / 2.0);
    const int pad = static_cast<int>(std::ceil(ringWidth)) + 8;
    const cv::Rect roi = (square + cv::Size(2 * pad, 2 * pad) - cv::Point(pad, pad)) & cv::Rect(0, 0, clean.cols, clean.rows);
    const cv::Mat cleanDetail = LocalDetail(clean, roi);
    const cv::Mat repairDetail = LocalDetail(repaired, roi);
    std::vector<float> reference;
    std::vector<cv::Point> disk;
    for (int y = 0; y < roi.height; ++y)
        for (int x = 0; x < roi.width; ++x) {
            const double d = std::hypot(roi.x + x - flaw.cx, roi.y + y - flaw.cy);
            if (d >= radius + 0.5 + ringWidth) continue;
            reference.push_back(cleanDetail.at<float>(y, x));
            if (d < radius + 0.5) disk.emplace_back(x, y);
        }
    const double ref = Quantile(reference, ReferenceQuantile);
    const double threshold = std::max(ForeignFactor * ref, ref + ForeignMargin);
    cv::Mat mask(clean.size(), CV_8U, cv::Scalar(0));
    peak = 0.0;
    diskPixels = static_cast<int>(disk.size());
    for (const cv::Point& p : disk) {
        const double detail = repairDetail.at<float>(p);
        peak = std::max(peak, detail / std::max(ref, 0.5));
        if (detail > threshold && detail > ForeignOverClean * cleanDetail.at<float>(p))
            mask.at<uchar>(p + roi.tl()) = 255;
    }
    return mask;
}

/// Index of a colour's cell in the allowed-colour grid.
int ColourCellOf(const cv::Vec3b& colour)
{
    constexpr int cells = 256 / ColourCell;
    return (colour[0] / ColourCell * cells + colour[1] / ColourCell) * cells + colour[2] / ColourCell;
}

/// Grows the marked cells of the allowed-colour grid by `reach` cells along
/// each axis (a cube around every marked cell).
void GrowColourCells(std::vector<std::uint8_t>& marked, int reach)
{
    constexpr int cells = 256 / ColourCell;
    const int strides[] = {cells * cells, cells, 1};
    for (const int stride : strides) {
        const std::vector<std::uint8_t> before = marked;
        for (int i = 0; i < cells * cells * cells; ++i) {
            const int along = i / stride % cells;
            for (int k = std::max(0, along - reach); k <= std::min(cells - 1, along + reach) && !marked[i]; ++k)
                marked[i] = before[i + (k - along) * stride];
        }
    }
}

/// The disk pixels of `repaired` whose colours neither the clean disk nor
/// the ColourEdge pixels around it hold (see ForeignDefinition).
cv::Mat ForeignColourPixels(const cv::Mat& clean, const cv::Mat& repaired, const Flaw& flaw)
{
    const double radius = SpotSquare(flaw).width / 2.0 + 0.5;
    const cv::Rect roi = CropRegion(flaw, clean.size());
    std::vector<std::uint8_t> allowed(static_cast<std::size_t>(256 / ColourCell) * (256 / ColourCell) * (256 / ColourCell), 0);
    for (int y = roi.y; y < roi.br().y; ++y)
        for (int x = roi.x; x < roi.br().x; ++x)
            if (std::hypot(x - flaw.cx, y - flaw.cy) < radius + ColourEdge)
                allowed[ColourCellOf(clean.at<cv::Vec3b>(y, x))] = 1;
    GrowColourCells(allowed, (ColourMargin + ColourCell - 1) / ColourCell);
    cv::Mat mask(clean.size(), CV_8U, cv::Scalar(0));
    for (int y = roi.y; y < roi.br().y; ++y)
        for (int x = roi.x; x < roi.br().x; ++x) {
            if (std::hypot(x - flaw.cx, y - flaw.cy) >= radius) continue;
            const cv::Vec3b r = repaired.at<cv::Vec3b>(y, x), c = clean.at<cv::Vec3b>(y, x);
            const int apart = std::max({std::abs(r[0] - c[0]), std::abs(r[1] - c[1]), std::abs(r[2] - c[2])});
            if (apart > ColourMargin && !allowed[ColourCellOf(r)]) mask.at<uchar>(y, x) = 255;
        }
    return mask;
}

/// Fills the foreign-object fields of `score`.
void ScoreIntroducedDetail(const cv::Mat& clean, const cv::Mat& repaired, const Flaw& flaw, Score& score)
{
    int diskPixels = 0;
    const cv::Mat mask = ForeignPixels(clean, repaired, flaw, score.foreignPeak, diskPixels);
    score.foreignPixels = cv::countNonZero(mask);
    score.foreignColours = cv::countNonZero(ForeignColourPixels(clean, repaired, flaw));
    const double minimum = std::max<double>(MinForeignPixels, MinForeignShare * diskPixels);
    const double minimumColours = std::max<double>(MinForeignPixels, MinForeignColourShare * diskPixels);
    score.foreign = score.foreignPixels >= minimum || score.foreignColours >= minimumColours;
}

Score ScoreRepair(const cv::Mat& clean, const cv::Mat& flawed, const cv::Mat& repaired, const cv::Mat& control,
                  const cv::Mat& opacity, const Flaw& flaw)
{
    Score score;
    const cv::Mat disk = DiskMask(clean.size(), flaw, 0.0, 1e9);
    const cv::Mat rim = DiskMask(clean.size(), flaw, 0.0, RimWidth);
    const cv::Rect square = SpotSquare(flaw);
    score.psnrDisk = Psnr(repaired, clean, disk);
    score.psnrRim = Psnr(repaired, clean, rim);
    score.ssimDisk = Ssim(repaired, clean, disk, square);
    score.ssimRim = Ssim(repaired, clean, rim, square);
    ScoreFlawRemoval(clean, flawed, repaired, control, opacity, flaw, score);
    ScoreIntroducedDetail(clean, repaired, flaw, score);
    score.edge = SpotBench::MeasureEdgeContinuity(clean, repaired, cv::Point(flaw.cx, flaw.cy), square.width / 2.0);
    return score;
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

bool Failed(const Score& score)
{
    return score.gone < GoneThreshold;
}

void PrintRemovalTable(const std::vector<Result>& results)
{
    std::printf("\nFlaw removal. Per method: share gone (median, minimum), failures (gone < 90 %%) in all and by"
                " kind; medians of L and L0; mean |difference to clean| over F before -> after (median)\n");
    std::vector<const Result*> all;
    for (const Result& r : results) all.push_back(&r);
    for (int m = 0; m < MethodCount; ++m) {
        const auto gone = Collect(all, m, [](const Score& s) { return s.gone; });
        int failures[4] = {0, 0, 0, 0};
        for (const Result& r : results)
            if (Failed(r.scores[m])) ++failures[static_cast<int>(r.flaw.kind)];
        std::printf("%-12s gone %5.1f %% (min %5.1f %%), failures %3d of %zu (dark %d, bright %d, hair %d, ring %d);"
                    " L %5.1f %%, L0 %5.1f %%; |diff| %5.1f -> %5.1f\n",
                    MethodNames[m], 100 * Median(gone), 100 * *std::min_element(gone.begin(), gone.end()),
                    failures[0] + failures[1] + failures[2] + failures[3], gone.size(), failures[0], failures[1],
                    failures[2], failures[3], 100 * Median(Collect(all, m, [](const Score& s) { return s.remains; })),
                    100 * Median(Collect(all, m, [](const Score& s) { return s.floor; })),
                    Median(Collect(all, m, [](const Score& s) { return s.contrast; })),
                    Median(Collect(all, m, [](const Score& s) { return s.absAfter; })));
    }
}

/// "flat" or "tex", then "e" for a flaw on an edge, "n" for one near an edge.
const char* AreaCode(const Flaw& flaw)
{
    static const char* const codes[2][3] = {{"flat", "flae", "flan"}, {"tex ", "texe", "texn"}};
    const int placement = flaw.placement == Placement::OnEdge ? 1 : flaw.placement == Placement::NearEdge ? 2 : 0;
    return codes[flaw.textured ? 1 : 0][placement];
}

void PrintFlaw(const Result& r)
{
    std::printf("%-16s %-11s d=%3d (%3d,%3d) %s", r.photo.c_str(), KindNames[static_cast<int>(r.flaw.kind)], r.flaw.diameter,
                r.flaw.cx, r.flaw.cy, AreaCode(r.flaw));
    for (const Score& s : r.scores)
        std::printf(" | %5.1f %5.1f %4.0f%% %+4.0f%% %+4.0f%% %4d %4.1f", s.psnrDisk, s.psnrRim, 100 * s.gone,
                    100 * s.remains, 100 * s.floor, s.foreignPixels, s.foreignPeak);
    std::printf(" | C %5.1f\n", r.scores[0].contrast);
}

void PrintFlawHeading()
{
    std::printf("%-16s %-11s %-5s %-9s %-4s", "photo", "kind", "size", "centre", "area");
    for (const char* m : MethodNames) std::printf(" | %-39s", m);
    std::printf(" | flaw contrast\n%-16s %-11s %-5s %-9s %-4s", "", "", "", "", "");
    for (int m = 0; m < MethodCount; ++m) std::printf(" | %-39s", "PSNR disk, rim; gone, L, L0; foreign");
    std::printf(" |\n");
}

/// Lists every flaw that some method failed to remove, RemoveSpot's worst first.
void PrintFailures(std::vector<const Result*> failed)
{
    std::sort(failed.begin(), failed.end(),
              [](const Result* a, const Result* b) { return a->scores[0].gone < b->scores[0].gone; });
    std::printf("\nFlaws some method failed to remove (gone < 90 %%): %zu\n", failed.size());
    if (failed.empty()) return;
    PrintFlawHeading();
    for (const Result* r : failed) PrintFlaw(*r);
}

/// `region` of each image (or the whole of images of the region's size),
/// enlarged to about 200 px and set side by side.
cv::Mat Strip(const std::vector<cv::Mat>& images, const cv::Rect& region)
{
    const int zoom = std::max(2, 200 / region.width);
    std::vector<cv::Mat> panels;
    for (const cv::Mat& image : images) {
        cv::Mat panel;
        const cv::Mat part = image.size() == region.size() ? image : image(region);
        cv::resize(part, panel, cv::Size(), zoom, zoom, cv::INTER_NEAREST);
        cv::copyMakeBorder(panel, panel, 0, 0, 0, 4, cv::BORDER_CONSTANT, cv::Scalar(255, 0, 255));
        panels.push_back(panel);
    }
    cv::Mat strip;
    cv::hconcat(panels, strip);
    return strip;
}

/// Side by side, enlarged: the flawed photo, RemoveSpot's repair, its control
/// repair of the clean photo, the clean photo and the difference between the
/// repair and the control (three times, around mid grey), around the click
/// square.
cv::Mat CropStrip(const cv::Mat& flawed, const cv::Mat& repaired, const cv::Mat& control, const cv::Mat& clean,
                  const Flaw& flaw)
{
    const cv::Rect roi = CropRegion(flaw, clean.size());
    cv::Mat difference;
    cv::Mat(repaired(roi)).convertTo(difference, CV_16SC3);
    cv::Mat controlRoi;
    cv::Mat(control(roi)).convertTo(controlRoi, CV_16SC3);
    difference = 3 * (difference - controlRoi) + cv::Scalar(128, 128, 128);
    difference.convertTo(difference, CV_8UC3);
    return Strip({flawed, repaired, control, clean, difference}, roi);
}

/// Side by side, enlarged: the flawed photo, the repairs of RemoveSpot, TELEA
/// and NS, the clean photo, and RemoveSpot's repair with its foreign pixels
/// in red.
cv::Mat ForeignCropStrip(const cv::Mat& flawed, const std::array<cv::Mat, MethodCount>& repairs, const cv::Mat& clean,
                         const Flaw& flaw)
{
    double peak = 0.0;
    int diskPixels = 0;
    const cv::Mat foreign = ForeignPixels(clean, repairs[0], flaw, peak, diskPixels) |
                            ForeignColourPixels(clean, repairs[0], flaw);
    cv::Mat marked = repairs[0].clone();
    marked.setTo(cv::Scalar(0, 0, 255), foreign);
    return Strip({flawed, repairs[0], repairs[1], repairs[2], repairs[3], clean, marked}, CropRegion(flaw, clean.size()));
}

/// Side by side at the photo's scale: the flawed photo, the repairs of
/// RemoveSpot, the plain heal, TELEA and NS, and the clean photo, around the
/// click square (enlarged when written).
cv::Mat ComparisonStrip(const cv::Mat& flawed, const std::array<cv::Mat, MethodCount>& repairs, const cv::Mat& clean,
                        const Flaw& flaw)
{
    const cv::Rect roi = CropRegion(flaw, clean.size());
    std::vector<cv::Mat> panels;
    for (const cv::Mat* image : {&flawed, &repairs[0], &repairs[3], &repairs[1], &repairs[2], &clean}) {
        cv::Mat panel;
        cv::copyMakeBorder((*image)(roi), panel, 0, 0, 0, 1, cv::BORDER_CONSTANT, cv::Scalar(255, 0, 255));
        panels.push_back(panel);
    }
    cv::Mat strip;
    cv::hconcat(panels, strip);
    return strip;
}

/// Writes `crop` into `folder` (made if need be) as
/// "<index>_<tag>_<photo>_<kind>_d<diameter>_<x>_<y>.png".
void WriteCrop(const std::string& folder, std::size_t index, const std::string& tag, const Result& r,
               const cv::Mat& crop)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    char name[200];
    std::snprintf(name, sizeof name, "%02zu_%s_%.*s_%s_d%d_%d_%d.png", index, tag.c_str(),
                  static_cast<int>(std::strcspn(r.photo.c_str(), ".")), r.photo.c_str(),
                  KindNames[static_cast<int>(r.flaw.kind)], r.flaw.diameter, r.flaw.cx, r.flaw.cy);
    for (char* c = name; *c; ++c)
        if (*c == ' ') *c = '-';
    cv::imwrite(folder + "/" + name, crop);
}

/// Writes the crops of the flaws RemoveSpot removed worst (failures first,
/// then near misses) as PNG into `folder`.
void SaveWorstCrops(const std::vector<Result>& results, const std::string& folder)
{
    std::vector<const Result*> worst;
    for (const Result& r : results)
        if (!r.crops.empty()) worst.push_back(&r);
    std::sort(worst.begin(), worst.end(),
              [](const Result* a, const Result* b) { return a->scores[0].gone < b->scores[0].gone; });
    if (worst.size() > SavedCrops) worst.resize(SavedCrops);
    if (worst.empty()) return;
    for (std::size_t i = 0; i < worst.size(); ++i) {
        char tag[16];
        std::snprintf(tag, sizeof tag, "gone%03d", static_cast<int>(std::lround(100 * worst[i]->scores[0].gone)));
        WriteCrop(folder, i, tag, *worst[i], worst[i]->crops);
    }
    std::printf("\nCrops of the %zu flaws RemoveSpot removed worst (flawed | repaired | control | clean |"
                " 3 x (repaired - control)) in %s\n", worst.size(), folder.c_str());
}

bool Foreign(const Score& score)
{
    return score.foreign;
}

/// Counts the repairs that brought in a foreign object, per method, in all
/// and by area and kind, and lists the flaws concerned, RemoveSpot's worst
/// first.
void PrintForeignTable(const std::vector<Result>& results)
{
    std::printf("\nForeign objects (see the definition at the top). Per method: repairs with one, in all, flat,"
                " textured and by kind\n");
    for (int m = 0; m < MethodCount; ++m) {
        int total = 0, flat = 0, kinds[4] = {0, 0, 0, 0};
        for (const Result& r : results)
            if (Foreign(r.scores[m])) {
                ++total;
                flat += r.flaw.textured ? 0 : 1;
                ++kinds[static_cast<int>(r.flaw.kind)];
            }
        std::printf("%-12s %3d of %zu (flat %d, textured %d; dark %d, bright %d, hair %d, ring %d)\n", MethodNames[m],
                    total, results.size(), flat, total - flat, kinds[0], kinds[1], kinds[2], kinds[3]);
    }
    std::vector<const Result*> listed;
    for (const Result& r : results)
        if (std::any_of(r.scores.begin(), r.scores.end(), Foreign)) listed.push_back(&r);
    std::sort(listed.begin(), listed.end(), [](const Result* a, const Result* b) {
        return a->scores[0].foreignPixels > b->scores[0].foreignPixels;
    });
    if (listed.empty()) return;
    std::printf("%-16s %-11s %-5s %-9s %-4s", "photo", "kind", "size", "centre", "area");
    for (const char* m : MethodNames) std::printf(" | %-16s", m);
    std::printf("\n%-16s %-11s %-5s %-9s %-4s", "", "", "", "", "");
    for (int m = 0; m < MethodCount; ++m) std::printf(" | %-16s", "pix, peak, col");
    std::printf("\n");
    for (const Result* r : listed) {
        std::printf("%-16s %-11s d=%3d (%3d,%3d) %s", r->photo.c_str(), KindNames[static_cast<int>(r->flaw.kind)],
                    r->flaw.diameter, r->flaw.cx, r->flaw.cy, AreaCode(r->flaw));
        for (const Score& s : r->scores)
            std::printf(" | %5d %5.1f %4d %s", s.foreignPixels, s.foreignPeak, s.foreignColours, s.foreign ? "F" : " ");
        std::printf("\n");
    }
}

/// Writes the crops of the flaws where some method brought in a foreign
/// object (RemoveSpot's cases first, most foreign pixels first) as PNG into
/// `folder`.
void SaveForeignCrops(const std::vector<Result>& results, const std::string& folder)
{
    std::vector<const Result*> cases;
    for (const Result& r : results)
        if (!r.foreignCrops.empty()) cases.push_back(&r);
    auto rank = [](const Result* r) {
        return std::make_pair(r->scores[0].foreign ? 1 : 0, r->scores[0].foreign ? r->scores[0].foreignPixels
                                                                                 : std::max(r->scores[1].foreignPixels,
                                                                                            r->scores[2].foreignPixels));
    };
    std::sort(cases.begin(), cases.end(), [&](const Result* a, const Result* b) { return rank(a) > rank(b); });
    if (cases.size() > SavedCrops) cases.resize(SavedCrops);
    if (cases.empty()) return;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        std::string methods;
        for (int m = 0; m < MethodCount; ++m)
            if (cases[i]->scores[m].foreign) methods += std::string(methods.empty() ? "" : "+") + MethodNames[m];
        WriteCrop(folder, i, methods, *cases[i], cases[i]->foreignCrops);
    }
    std::printf("\nCrops of %zu flaws with a foreign object (flawed | RemoveSpot | TELEA | NS | plain | clean |"
                " RemoveSpot's foreign pixels in red) in %s\n", cases.size(), folder.c_str());
}

/// Median of the per-flaw differences of PSNR in the disk between RemoveSpot
/// and `method` (positive: RemoveSpot is better).
double PairedMedian(const std::vector<const Result*>& group, int method)
{
    return QualityMeasures::PairedMedian(group, method, [](const Score& s) { return s.psnrDisk; });
}

std::vector<const Result*> Select(const std::vector<Result>& results, const std::function<bool(const Result&)>& predicate)
{
    return QualityMeasures::Select(results, predicate);
}

bool InSizeClass(const Result& r, int sizeClass)
{
    return r.flaw.diameter >= SizeClasses[sizeClass][0] && r.flaw.diameter <= SizeClasses[sizeClass][1];
}

/// Calls `row(name, group)` for every group the tables report: all flaws,
/// flat and textured ground, each placement, each flaw kind and each size
/// class.
template <typename Row>
void ForEachGroup(const std::vector<Result>& results, Row row)
{
    row("all", Select(results, [](const Result&) { return true; }));
    row("flat", Select(results, [](const Result& r) { return !r.flaw.textured; }));
    row("textured", Select(results, [](const Result& r) { return r.flaw.textured; }));
    for (int p = 0; p < 4; ++p)
        row(PlacementNames[p], Select(results, [p](const Result& r) { return static_cast<int>(r.flaw.placement) == p; }));
    for (int k = 0; k < 4; ++k)
        row(KindNames[k], Select(results, [k](const Result& r) { return static_cast<int>(r.flaw.kind) == k; }));
    for (int c = 0; c < static_cast<int>(std::size(SizeClasses)); ++c) {
        char name[32];
        std::snprintf(name, sizeof name, "diameter %d-%d", SizeClasses[c][0], SizeClasses[c][1]);
        row(name, Select(results, [c](const Result& r) { return InSizeClass(r, c); }));
    }
}

void PrintQualityTable(const std::vector<Result>& results)
{
    std::printf("\nMedians. Per method: PSNR disk, PSNR rim (dB), SSIM disk, SSIM rim\n");
    std::printf("%-22s %4s", "group", "n");
    for (const char* m : MethodNames) std::printf(" | %-30s", m);
    std::printf("\n");
    ForEachGroup(results, [](const char* name, const std::vector<const Result*>& group) { PrintGroup(name, group); });
}

/// Median PSNR in the disk per method and the paired medians of RemoveSpot
/// against each other method, per group.
void PrintPairedTable(const std::vector<Result>& results)
{
    std::printf("\nPSNR in the disk (dB): medians per method, and medians of the per-flaw differences RemoveSpot"
                " minus each other method (paired)\n");
    QualityMeasures::PrintPairedHeading(MethodNames);
    ForEachGroup(results, [](const char* name, const std::vector<const Result*>& group) {
        QualityMeasures::PrintPairedRow(name, group, [](const Score& s) { return s.psnrDisk; });
    });
}

/// Edge continuity per method over the flaws whose clean disk holds a strong
/// edge: medians of the direction error and of the edge offset.
void PrintEdgeTable(const std::vector<Result>& results)
{
    std::printf("\nEdge continuity where the clean disk holds a strong edge (see SpotQualityEdges.h). Per method:"
                " median direction error (degrees), median edge offset (px)\n");
    std::printf("%-22s %4s", "group", "n");
    for (const char* m : MethodNames) std::printf(" | %-14s", m);
    std::printf("\n");
    ForEachGroup(results, [](const char* name, const std::vector<const Result*>& group) {
        std::vector<const Result*> measured;
        for (const Result* r : group)
            if (r->scores[0].edge.measured) measured.push_back(r);
        if (measured.empty()) return;
        std::printf("%-22s %4zu", name, measured.size());
        for (int m = 0; m < MethodCount; ++m)
            std::printf(" | %6.1f %6.2f ", Median(Collect(measured, m, [](const Score& s) { return s.edge.angleError; })),
                        Median(Collect(measured, m, [](const Score& s) { return s.edge.offset; })));
        std::printf("\n");
    });
}

/// Writes the comparison crops of the flaws where RemoveSpot's PSNR in the
/// disk falls furthest below the best other method's, and lists them.
void SaveWorstCases(const std::vector<Result>& results, const std::string& folder)
{
    const auto psnr = [](const Score& s) { return s.psnrDisk; };
    const auto margin = [&](const Result* r) { return QualityMeasures::Margin(*r, psnr); };
    const std::vector<const Result*> worst = QualityMeasures::Worst(results, WorstCases, psnr);
    std::printf("\nThe %zu flaws where RemoveSpot falls furthest below the best other method (PSNR disk); crops"
                " (flawed | RemoveSpot | plain | TELEA | NS | clean) in %s\n", worst.size(), folder.c_str());
    PrintFlawHeading();
    for (std::size_t i = 0; i < worst.size(); ++i) {
        PrintFlaw(*worst[i]);
        const Result& r = *worst[i];
        const int zoom = std::max(2, 200 / r.comparison.rows);
        cv::Mat enlarged;
        cv::resize(r.comparison, enlarged, cv::Size(), zoom, zoom, cv::INTER_NEAREST);
        char tag[32];
        std::snprintf(tag, sizeof tag, "%+.1fdB", margin(worst[i]));
        WriteCrop(folder, i, tag, r, enlarged);
    }
}

void PrintTargets(const std::vector<Result>& results)
{
    const std::vector<const Result*> all = Select(results, [](const Result&) { return true; });
    auto rim = [](const Score& s) { return s.psnrRim; };
    std::printf("\nTargets\n");
    std::printf("paired median PSNR over TELEA / NS, all:   %+6.2f / %+6.2f dB (target >= +1.50)\n",
                PairedMedian(all, 1), PairedMedian(all, 2));
    for (int c = 0; c < static_cast<int>(std::size(SizeClasses)); ++c)
        std::printf("paired median PSNR over plain, %3d-%3d px: %+6.2f dB (target > 0)\n", SizeClasses[c][0],
                    SizeClasses[c][1], PairedMedian(Select(results, [c](const Result& r) { return InSizeClass(r, c); }), 3));
    std::printf("median rim PSNR over TELEA / NS:           %+6.2f / %+6.2f dB (target >= 0)\n",
                Median(Collect(all, 0, rim)) - Median(Collect(all, 1, rim)),
                Median(Collect(all, 0, rim)) - Median(Collect(all, 2, rim)));
    const auto failures = std::count_if(results.begin(), results.end(), [](const Result& r) { return Failed(r.scores[0]); });
    std::printf("flaws less than 90 %% gone:                 %6ld (target 0)\n", static_cast<long>(failures));
    auto foreign = [&](int method) {
        return static_cast<long>(
            std::count_if(results.begin(), results.end(), [method](const Result& r) { return Foreign(r.scores[method]); }));
    };
    std::printf("repairs with a foreign object:             %6ld (target 0; TELEA %ld, NS %ld, plain %ld)\n", foreign(0),
                foreign(1), foreign(2), foreign(3));
}

cv::Mat Repair(const cv::Mat& image, const Flaw& flaw, Method method)
{
    switch (method) {
    case Method::Telea: return RepairWithInpaint(image, flaw, cv::INPAINT_TELEA);
    case Method::NavierStokes: return RepairWithInpaint(image, flaw, cv::INPAINT_NS);
    case Method::PlainHeal: return SpotBench::PlainHeal(image, cv::Point(flaw.cx, flaw.cy), SpotSquare(flaw).width / 2.0);
    case Method::RemoveSpot: break;
    }
    return RepairWithRemoveSpot(image, flaw);
}

/// Paints one flaw after another on copies of the photo (the first `flaws`
/// of its schedule), repairs each with every method and repairs the same
/// square of the clean photo as control.
std::vector<Result> RunPhoto(const std::string& name, const cv::Mat& clean, int flaws, std::mt19937& rng)
{
    cv::Mat grey;
    cv::cvtColor(clean, grey, cv::COLOR_BGR2GRAY);
    const cv::Mat boundaryDistance = SpotBench::DistanceToBoundary(clean);
    std::vector<Result> results;
    for (int i = 0; i < flaws; ++i) {
        const auto kind = static_cast<FlawKind>(i % 4);
        const auto placement = static_cast<Placement>((i / 4) % 4);
        const int diameter = Diameters[(i / 4 + i) % std::size(Diameters)];
        Result result;
        result.photo = name;
        result.flaw = PlaceFlaw(grey, boundaryDistance, kind, diameter, placement, rng);
        cv::Mat flawed = clean.clone();
        const cv::Mat opacity = PaintFlaw(flawed, result.flaw, rng);
        const Flaw& f = result.flaw;
        std::array<cv::Mat, MethodCount> repairs;
        for (int m = 0; m < MethodCount; ++m) {
            repairs[m] = Repair(flawed, f, static_cast<Method>(m));
            const cv::Mat control = Repair(clean, f, static_cast<Method>(m));
            result.scores[m] = ScoreRepair(clean, flawed, repairs[m], control, opacity, f);
            if (m == 0 && result.scores[0].gone < CropBelow)
                result.crops = CropStrip(flawed, repairs[m], control, clean, f);
        }
        if (std::any_of(result.scores.begin(), result.scores.end(), [](const Score& s) { return s.foreign; }))
            result.foreignCrops = ForeignCropStrip(flawed, repairs, clean, f);
        result.comparison = ComparisonStrip(flawed, repairs, clean, f);
        results.push_back(result);
    }
    return results;
}

/// Runs every photo of one set and prints its tables; false when no photo
/// could be read.
bool RunSet(const char* title, const std::vector<std::string>& photos, const Options& options)
{
    std::printf("\n==================== %s set ====================\n", title);
    std::mt19937 rng(options.seed);
    std::vector<Result> all;
    std::printf("%-18s %6s %6s | median PSNR disk:", "photo", "flaws", "tex");
    for (const char* m : MethodNames) std::printf(" %10s", m);
    std::printf("\n");
    for (const std::string& path : photos) {
        const cv::Mat clean = cv::imread(path, cv::IMREAD_COLOR);
        if (clean.empty()) {
            std::fprintf(stderr, "cannot read %s\n", path.c_str());
            continue;
        }
        const std::string name = std::filesystem::path(path).filename().string();
        const std::vector<Result> results =
            RunPhoto(name, clean, options.quick ? FlawsPerPhoto / QuickStride : FlawsPerPhoto, rng);
        if (options.list) {
            PrintFlawHeading();
            for (const Result& r : results) PrintFlaw(r);
        }
        std::vector<const Result*> view;
        for (const Result& r : results) view.push_back(&r);
        const auto textured = std::count_if(results.begin(), results.end(), [](const Result& r) { return r.flaw.textured; });
        std::printf("%-18s %6zu %6ld |                  ", name.c_str(), results.size(), static_cast<long>(textured));
        for (int m = 0; m < MethodCount; ++m)
            std::printf(" %10.2f", Median(Collect(view, m, [](const Score& s) { return s.psnrDisk; })));
        std::printf("\n");
        all.insert(all.end(), results.begin(), results.end());
    }
    if (all.empty()) return false;
    const std::string suffix = std::string("/") + title;
    PrintPairedTable(all);
    PrintEdgeTable(all);
    PrintQualityTable(all);
    PrintRemovalTable(all);
    std::vector<const Result*> failed;
    for (const Result& r : all)
        if (std::any_of(r.scores.begin(), r.scores.end(), Failed)) failed.push_back(&r);
    PrintFailures(failed);
    SaveWorstCrops(all, options.folders.at("fails") + suffix);
    PrintForeignTable(all);
    SaveForeignCrops(all, options.folders.at("foreign") + suffix);
    SaveWorstCases(all, options.folders.at("worst") + suffix);
    PrintTargets(all);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    options.seed = Seed;
    options.folders = {{"fails", "/tmp/spotfails"}, {"foreign", "/tmp/spotforeign"}, {"worst", "/tmp/spotworst"}};
    if (!options.Parse(argc, argv)) return 2;
    std::printf("%s\n%s\n", GoneDefinition, ForeignDefinition);
    return QualityMeasures::RunSets(options, TuningPhotos, HeldOutPhotos,
                                    [&](const char* title, const std::vector<std::string>& photos) {
                                        return RunSet(title, photos, options);
                                    });
}

// Quality benchmark of ImageProcess::HealStroke (healing along a drag)
// against OpenCV's inpainting and a row of RemoveSpot disks.
//
// Synthetic hairs (dark) and scratches (bright), 1 to 6 px wide and 50 to
// 800 px long (shorter where a photo is too small to hold them), thin and
// curved, with a soft edge and a strength that varies along their length, are
// painted one at a time onto real photographs: anywhere on flat ground, on
// textured ground, or across a strong boundary between two regions. Each is
// repaired as a user would stroke it: a path of points every few pixels along
// the hair, off by up to a pixel as a hand is, with a spot size 5 px more than
// the hair's width. In the same run the same area (every pixel within the
// size's half of the path: what HealStroke may change) is repaired with
// cv::inpaint TELEA and NS (radius 3), and with a row of RemoveSpot disks of
// the same size along the path, half a disk apart, in the path's order (what
// a user would otherwise click).
//
// The photographs are those of bench_SpotQuality (see QualityPhotos.h): the
// tuning set, on which the stroke healer's constants were chosen, and the
// held-out set, never looked at while tuning. --set picks which run (tuning
// by default).
//
// Every repair is scored against the clean photograph:
//   - PSNR and SSIM in the area, and in its rim (its outermost 3 px, where a
//     seam would show; the seam measure of bench_SpotQuality);
//   - the junction step: along the path, the repair's error against the
//     clean photo averaged across the stroke (its perpendicular section) at
//     every pixel of the path; a seam between pieces of a repair makes that
//     error jump from one pixel to the next. The figure is the 99th
//     percentile of the jumps (grey levels, largest channel) over the path;
//   - how much of the hair is gone: 1 - (signed leftover in the direction
//     the hair pushed the pixels) / (the hair's contrast), over the hair's
//     pixels.
// The tables give medians per method and the medians of the per-stroke PSNR
// differences between HealStroke and each other method (paired), by ground,
// kind, width and length. Crops (flawed | HealStroke | row of disks | TELEA |
// NS | clean) of the strokes where HealStroke does worst against the best
// other method go into /tmp/strokeworst/ (or --worst folder).
//
// Usage: bench_StrokeQuality [--set tuning|held-out|all] [--quick] [--list]
// [--worst folder] [--seed n]; --quick paints a quarter of the strokes.

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
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
#include "Tinctor/ImageProcess.h"

namespace {

using QualityMeasures::Collect;
using QualityMeasures::Median;
using QualityMeasures::Options;
using QualityMeasures::Uniform;

constexpr int StrokesPerPhoto = 24;
constexpr int QuickStride = 4;
constexpr unsigned Seed = 20240707u;
const double Lengths[] = {50, 100, 200, 400, 800};
constexpr double MinWidth = 1.0;
constexpr double MaxWidth = 6.0;
// The user's spot size: the hair's width plus this much (the hand is off by
// up to HandError on either side, and the soft edge needs room).
constexpr int SizeMargin = 5;
constexpr double HandError = 1.0;
// Points of the user's path lie this far apart along the hair.
constexpr double PathSpacing = 8.0;
constexpr double Strength = 0.8;
constexpr int RimWidth = 3;
constexpr double TextureThreshold = 4.0;
constexpr double DarkGround = 80.0;
constexpr double BrightGround = 175.0;
constexpr double MinFlawOpacity = 0.05;
constexpr double GoneThreshold = 0.9;
constexpr std::size_t WorstCases = 12;

enum class Kind { DarkHair, BrightScratch };
const char* const KindNames[] = {"dark hair", "bright scratch"};
enum class Placement { Flat, Textured, AcrossEdge };
const char* const PlacementNames[] = {"flat ground", "textured ground", "across an edge"};
enum class Method { HealStroke, RowOfDisks, Telea, NavierStokes };
const char* const MethodNames[] = {"HealStroke", "disks", "TELEA", "NS"};
constexpr int MethodCount = 4;

struct Stroke {
    Kind kind{Kind::DarkHair};
    Placement placement{Placement::Flat};
    double width{1.0};
    double length{0.0};
    std::vector<cv::Point2d> curve;     ///< the hair's centreline, half a pixel apart
    std::vector<POINT> path;            ///< the user's stroke
    int size{0};                        ///< odd spot size, as the operator passes it
    double ground{0.0};
    cv::Rect box;                       ///< the area's bounding box
};

struct Score {
    double psnr{0.0};
    double psnrRim{0.0};
    double ssim{0.0};
    double ssimRim{0.0};
    double junction{0.0};
    double gone{0.0};
    double seconds{0.0};
};

struct Result {
    std::string photo;
    Stroke stroke;
    std::array<Score, MethodCount> scores;
    cv::Mat comparison;
};

// ---- the stroke's geometry ------------------------------------------------------

double SegmentDistance(const cv::Point2d& p, const cv::Point2d& a, const cv::Point2d& b)
{
    const cv::Point2d d = b - a;
    const double length2 = d.dot(d);
    const double t = length2 > 0.0 ? std::clamp((p - a).dot(d) / length2, 0.0, 1.0) : 0.0;
    return cv::norm(p - (a + t * d));
}

/// Distance of every pixel of `box` to the polyline, where it is below
/// `reach` (`reach` elsewhere).
cv::Mat PathDistance(const std::vector<POINT>& path, const cv::Rect& box, double reach)
{
    cv::Mat distance(box.size(), CV_64F, cv::Scalar(reach));
    for (std::size_t i = 0; i < path.size(); ++i) {
        const cv::Point2d a(path[i == 0 ? 0 : i - 1].x, path[i == 0 ? 0 : i - 1].y), b(path[i].x, path[i].y);
        const int r = static_cast<int>(std::ceil(reach)) + 1;
        const cv::Rect near = (cv::Rect(cv::Point(cvFloor(std::min(a.x, b.x)) - r, cvFloor(std::min(a.y, b.y)) - r),
                                        cv::Point(cvCeil(std::max(a.x, b.x)) + r + 1, cvCeil(std::max(a.y, b.y)) + r + 1)) &
                               box);
        for (int y = near.y; y < near.br().y; ++y)
            for (int x = near.x; x < near.br().x; ++x) {
                double& d = distance.at<double>(y - box.y, x - box.x);
                d = std::min(d, SegmentDistance(cv::Point2d(x, y), a, b));
            }
    }
    return distance;
}

/// Pixels whose centres lie closer to the path than `from` and at least
/// `to` (both measured inwards from the area's outer edge at radius + 0.5).
cv::Mat AreaMask(cv::Size image, const Stroke& stroke, double inner, double outer)
{
    cv::Mat mask(image, CV_8U, cv::Scalar(0));
    const double edge = stroke.size / 2.0 + 0.5;
    const cv::Mat distance = PathDistance(stroke.path, stroke.box, edge - std::min(inner, 0.0) + 1.0);
    for (int y = 0; y < stroke.box.height; ++y)
        for (int x = 0; x < stroke.box.width; ++x) {
            const double d = distance.at<double>(y, x);
            if (d < edge - inner && d >= edge - outer) mask.at<uchar>(stroke.box.y + y, stroke.box.x + x) = 255;
        }
    return mask;
}

/// A smooth curve of `length` pixels: a heading that turns at a slowly
/// varying rate, as a hair curls, and by up to one and a half half-turns
/// over its length (so that long hairs fit into small photos).
std::vector<cv::Point2d> Curve(cv::Point2d start, double length, std::mt19937& rng)
{
    double heading = Uniform(rng, 0.0, 2.0 * CV_PI);
    const double bend = Uniform(rng, -1.5, 1.5) * CV_PI / length;
    const double a1 = Uniform(rng, -1.0, 1.0) / Uniform(rng, 60.0, 300.0);
    const double a2 = Uniform(rng, -1.0, 1.0) / Uniform(rng, 60.0, 300.0);
    const double w1 = 2.0 * CV_PI / Uniform(rng, 80.0, 400.0), w2 = 2.0 * CV_PI / Uniform(rng, 30.0, 150.0);
    const double p1 = Uniform(rng, 0.0, 6.3), p2 = Uniform(rng, 0.0, 6.3);
    std::vector<cv::Point2d> curve{start};
    for (double s = 0.0; s < length; s += 0.5) {
        heading += 0.5 * (bend + a1 * std::sin(w1 * s + p1) + a2 * std::sin(w2 * s + p2));
        curve.push_back(curve.back() + 0.5 * cv::Point2d(std::cos(heading), std::sin(heading)));
    }
    return curve;
}

bool Inside(const std::vector<cv::Point2d>& curve, cv::Size size, double margin)
{
    return std::all_of(curve.begin(), curve.end(), [&](const cv::Point2d& p) {
        return p.x >= margin && p.y >= margin && p.x <= size.width - 1 - margin && p.y <= size.height - 1 - margin;
    });
}

/// The user's path: points every PathSpacing pixels along the hair, moved
/// across it by a slowly wandering hand error of up to HandError pixels.
std::vector<POINT> UserPath(const std::vector<cv::Point2d>& curve, std::mt19937& rng)
{
    const double phase = Uniform(rng, 0.0, 6.3), wave = 2.0 * CV_PI / Uniform(rng, 40.0, 120.0);
    std::vector<POINT> path;
    const int step = static_cast<int>(2 * PathSpacing);
    for (std::size_t i = 0; i < curve.size(); i += step) {
        const std::size_t j = std::min(i + 1, curve.size() - 1), k = i > 0 ? i - 1 : i;
        const cv::Point2d tangent = curve[j] - curve[k];
        const cv::Point2d normal = cv::Point2d(-tangent.y, tangent.x) * (1.0 / std::max(cv::norm(tangent), 1e-9));
        const cv::Point2d p = curve[i] + HandError * std::sin(wave * static_cast<double>(i) + phase) * normal;
        path.push_back(POINT{static_cast<LONG>(std::lround(p.x)), static_cast<LONG>(std::lround(p.y))});
    }
    const cv::Point2d& last = curve.back();
    path.push_back(POINT{static_cast<LONG>(std::lround(last.x)), static_cast<LONG>(std::lround(last.y))});
    return path;
}

// ---- placing and painting ---------------------------------------------------------

double MeanAlong(const cv::Mat& grey, const std::vector<cv::Point2d>& curve)
{
    double sum = 0.0;
    for (const cv::Point2d& p : curve) sum += grey.at<uchar>(cvRound(p.y), cvRound(p.x));
    return sum / static_cast<double>(curve.size());
}

/// High-pass standard deviation of the clean photo around the path.
double Texture(const cv::Mat& grey, const Stroke& stroke)
{
    const cv::Rect roi = (stroke.box + cv::Size(12, 12) - cv::Point(6, 6)) & cv::Rect(0, 0, grey.cols, grey.rows);
    return QualityMeasures::HighPassDeviation(grey, roi, AreaMask(grey.size(), stroke, -4.0, 1e9)(roi));
}

bool CrossesEdge(const cv::Mat& boundaryDistance, const std::vector<cv::Point2d>& curve)
{
    return std::any_of(curve.begin(), curve.end(), [&](const cv::Point2d& p) {
        return boundaryDistance.at<float>(cvRound(p.y), cvRound(p.x)) <= 1.0f;
    });
}

bool NearEdge(const cv::Mat& boundaryDistance, const std::vector<cv::Point2d>& curve, double reach)
{
    return std::any_of(curve.begin(), curve.end(), [&](const cv::Point2d& p) {
        return boundaryDistance.at<float>(cvRound(p.y), cvRound(p.x)) <= reach;
    });
}

/// Places a stroke of the asked kind, width, length and placement: the curve
/// inside the photo, on a ground it contrasts with; the length halves when
/// the photo cannot hold it.
Stroke PlaceStroke(const cv::Mat& grey, const cv::Mat& boundaryDistance, Kind kind, Placement placement,
                   double length, std::mt19937& rng)
{
    Stroke stroke;
    stroke.kind = kind;
    stroke.placement = placement;
    stroke.width = Uniform(rng, MinWidth, MaxWidth);
    const int n = static_cast<int>(std::ceil(stroke.width)) + SizeMargin;
    stroke.size = 2 * (n / 2) + 1;
    const double margin = stroke.size / 2.0 + 8.0;
    for (int attempt = 0; attempt < 6000; ++attempt) {
        if (attempt > 0 && attempt % 1000 == 0) length = std::max(50.0, length / 2.0);
        const cv::Point2d start(Uniform(rng, margin, grey.cols - 1 - margin), Uniform(rng, margin, grey.rows - 1 - margin));
        std::vector<cv::Point2d> curve = Curve(start, length, rng);
        if (!Inside(curve, grey.size(), margin)) continue;
        stroke.curve = std::move(curve);
        stroke.length = length;
        stroke.ground = MeanAlong(grey, stroke.curve);
        const bool shows = kind == Kind::BrightScratch ? stroke.ground <= BrightGround : stroke.ground >= DarkGround;
        if (!shows) continue;
        stroke.path = UserPath(stroke.curve, rng);
        std::vector<cv::Point2f> points(stroke.curve.begin(), stroke.curve.end());
        const cv::Rect bounds = cv::boundingRect(points);
        const int reach = stroke.size / 2 + 3;
        stroke.box = (bounds + cv::Size(2 * reach + 1, 2 * reach + 1) - cv::Point(reach, reach)) &
                     cv::Rect(0, 0, grey.cols, grey.rows);
        const bool crosses = CrossesEdge(boundaryDistance, stroke.curve);
        const bool near = NearEdge(boundaryDistance, stroke.curve, stroke.size / 2.0 + 1.5);
        const bool textured = Texture(grey, stroke) > TextureThreshold;
        const bool fits = placement == Placement::AcrossEdge ? crosses
                          : placement == Placement::Textured ? textured && !near
                                                              : !textured && !near;
        if (fits) return stroke;
    }
    return stroke;
}

/// Paints the hair and returns its opacity at every pixel.
cv::Mat PaintStroke(cv::Mat& image, const Stroke& stroke, std::mt19937& rng)
{
    const bool dark = stroke.kind == Kind::DarkHair;
    const double level = dark ? stroke.ground * Uniform(rng, 0.05, 0.35)
                              : stroke.ground + (255 - stroke.ground) * Uniform(rng, 0.6, 0.95);
    const cv::Vec3d colour(level, level * Uniform(rng, 0.95, 1.05), level * Uniform(rng, 0.95, 1.1));
    const double opacity = Uniform(rng, 0.8, 0.95);
    const double fadePhase = Uniform(rng, 0.0, 6.3), fadeWave = 2.0 * CV_PI / Uniform(rng, 60.0, 300.0);
    cv::Mat alpha(image.size(), CV_64F, cv::Scalar(0));
    const double half = stroke.width / 2.0;
    for (std::size_t i = 0; i < stroke.curve.size(); ++i) {
        const cv::Point2d& p = stroke.curve[i];
        const double strength = opacity * (0.85 + 0.15 * std::sin(fadeWave * 0.5 * static_cast<double>(i) + fadePhase));
        for (int y = cvFloor(p.y - half - 2); y <= cvCeil(p.y + half + 2); ++y)
            for (int x = cvFloor(p.x - half - 2); x <= cvCeil(p.x + half + 2); ++x) {
                if (x < 0 || y < 0 || x >= image.cols || y >= image.rows) continue;
                const double cover = std::clamp(half - std::hypot(x - p.x, y - p.y) + 0.5, 0.0, 1.0);
                alpha.at<double>(y, x) = std::max(alpha.at<double>(y, x), strength * cover);
            }
    }
    for (int y = stroke.box.y; y < stroke.box.br().y; ++y)
        for (int x = stroke.box.x; x < stroke.box.br().x; ++x) {
            const double a = alpha.at<double>(y, x);
            if (a <= 0.0) continue;
            cv::Vec3b& pixel = image.at<cv::Vec3b>(y, x);
            for (int c = 0; c < 3; ++c) pixel[c] = cv::saturate_cast<uchar>(pixel[c] + a * (colour[c] - pixel[c]));
        }
    return alpha;
}

// ---- repairs ------------------------------------------------------------------------

cv::Mat RepairWithHealStroke(const cv::Mat& image, const Stroke& stroke)
{
    QualityMeasures::Dib dib = QualityMeasures::ToDib(image);
    if (!ImageProcess::HealStroke(dib.pixels, dib.header, stroke.size, stroke.path, static_cast<float>(Strength), nullptr))
        std::fprintf(stderr, "HealStroke failed\n");
    return QualityMeasures::FromDib(dib);
}

/// RemoveSpot disks of the stroke's size centred along the path, half a disk
/// apart, in the path's order.
cv::Mat RepairWithDisks(const cv::Mat& image, const Stroke& stroke)
{
    QualityMeasures::Dib dib = QualityMeasures::ToDib(image);
    const double spacing = std::max(1.0, stroke.size / 2.0);
    const int half = stroke.size / 2;
    auto heal = [&](double x, double y) {
        const POINT corner{static_cast<LONG>(std::lround(x)) - half, static_cast<LONG>(std::lround(y)) - half};
        ImageProcess::RemoveSpot(dib.pixels, dib.header, stroke.size, corner, static_cast<float>(Strength), nullptr);
    };
    double carried = 0.0;
    heal(stroke.path.front().x, stroke.path.front().y);
    for (std::size_t i = 1; i < stroke.path.size(); ++i) {
        const cv::Point2d a(stroke.path[i - 1].x, stroke.path[i - 1].y), b(stroke.path[i].x, stroke.path[i].y);
        const double length = cv::norm(b - a);
        double s = spacing - carried;
        for (; s <= length; s += spacing) {
            const cv::Point2d p = a + (s / length) * (b - a);
            heal(p.x, p.y);
        }
        carried = length - (s - spacing);
    }
    heal(stroke.path.back().x, stroke.path.back().y);
    return QualityMeasures::FromDib(dib);
}

cv::Mat RepairWithInpaint(const cv::Mat& image, const Stroke& stroke, int method)
{
    return QualityMeasures::Inpaint(image, AreaMask(image.size(), stroke, 0.0, 1e9), stroke.box, method);
}

cv::Mat Repair(const cv::Mat& image, const Stroke& stroke, Method method)
{
    switch (method) {
    case Method::RowOfDisks: return RepairWithDisks(image, stroke);
    case Method::Telea: return RepairWithInpaint(image, stroke, cv::INPAINT_TELEA);
    case Method::NavierStokes: return RepairWithInpaint(image, stroke, cv::INPAINT_NS);
    case Method::HealStroke: break;
    }
    return RepairWithHealStroke(image, stroke);
}

// ---- scores -------------------------------------------------------------------------

/// Bilinear colour of `image` at (x, y), clamped to the image.
cv::Vec3d Sample(const cv::Mat& image, double x, double y)
{
    x = std::clamp(x, 0.0, image.cols - 1.001);
    y = std::clamp(y, 0.0, image.rows - 1.001);
    const int x0 = static_cast<int>(x), y0 = static_cast<int>(y);
    const double fx = x - x0, fy = y - y0;
    cv::Vec3d out;
    for (int c = 0; c < 3; ++c)
        out[c] = (1 - fy) * ((1 - fx) * image.at<cv::Vec3b>(y0, x0)[c] + fx * image.at<cv::Vec3b>(y0, x0 + 1)[c]) +
                 fy * ((1 - fx) * image.at<cv::Vec3b>(y0 + 1, x0)[c] + fx * image.at<cv::Vec3b>(y0 + 1, x0 + 1)[c]);
    return out;
}

/// 99th percentile of the jumps of the across-stroke mean error from one
/// pixel of the path to the next (see the junction step at the top).
double JunctionStep(const cv::Mat& clean, const cv::Mat& repaired, const Stroke& stroke)
{
    const double half = stroke.size / 2.0 - 1.0;
    std::vector<cv::Vec3d> errors;
    for (std::size_t i = 1; i < stroke.path.size(); ++i) {
        const cv::Point2d a(stroke.path[i - 1].x, stroke.path[i - 1].y), b(stroke.path[i].x, stroke.path[i].y);
        const double length = cv::norm(b - a);
        if (length < 1e-9) continue;
        const cv::Point2d along = (b - a) * (1.0 / length), across(-along.y, along.x);
        for (double s = 0.0; s < length; s += 1.0) {
            cv::Vec3d sum(0, 0, 0);
            int count = 0;
            for (double t = -half; t <= half; t += 1.0, ++count) {
                const cv::Point2d p = a + s * along + t * across;
                sum += Sample(repaired, p.x, p.y) - Sample(clean, p.x, p.y);
            }
            errors.push_back(sum * (1.0 / std::max(count, 1)));
        }
    }
    std::vector<double> jumps;
    for (std::size_t i = 1; i < errors.size(); ++i) {
        const cv::Vec3d d = errors[i] - errors[i - 1];
        jumps.push_back(std::max({std::abs(d[0]), std::abs(d[1]), std::abs(d[2])}));
    }
    if (jumps.empty()) return 0.0;
    std::sort(jumps.begin(), jumps.end());
    return jumps[static_cast<std::size_t>(0.99 * static_cast<double>(jumps.size() - 1))];
}

/// 1 - signed leftover / contrast over the hair's pixels.
double Gone(const cv::Mat& clean, const cv::Mat& flawed, const cv::Mat& repaired, const cv::Mat& opacity,
            const cv::Rect& box)
{
    double before = 0.0, left = 0.0;
    for (int y = box.y; y < box.br().y; ++y)
        for (int x = box.x; x < box.br().x; ++x) {
            if (opacity.at<double>(y, x) < MinFlawOpacity) continue;
            for (int c = 0; c < 3; ++c) {
                const double d = double(flawed.at<cv::Vec3b>(y, x)[c]) - clean.at<cv::Vec3b>(y, x)[c];
                before += std::abs(d);
                left += (d > 0 ? 1.0 : d < 0 ? -1.0 : 0.0) * (double(repaired.at<cv::Vec3b>(y, x)[c]) - clean.at<cv::Vec3b>(y, x)[c]);
            }
        }
    return before > 0.0 ? 1.0 - std::clamp(left / before, 0.0, 1.0) : 1.0;
}

Score ScoreRepair(const cv::Mat& clean, const cv::Mat& flawed, const cv::Mat& repaired, const cv::Mat& opacity,
                  const Stroke& stroke, const cv::Mat& area, const cv::Mat& rim)
{
    Score score;
    score.psnr = QualityMeasures::Psnr(repaired, clean, area);
    score.psnrRim = QualityMeasures::Psnr(repaired, clean, rim);
    score.ssim = QualityMeasures::Ssim(repaired, clean, area, stroke.box);
    score.ssimRim = QualityMeasures::Ssim(repaired, clean, rim, stroke.box);
    score.junction = JunctionStep(clean, repaired, stroke);
    score.gone = Gone(clean, flawed, repaired, opacity, stroke.box);
    return score;
}

/// Side by side around the stroke (at most 240 px of it): the flawed photo,
/// the repairs of HealStroke, the disks, TELEA and NS, and the clean photo.
cv::Mat ComparisonStrip(const cv::Mat& flawed, const std::array<cv::Mat, MethodCount>& repairs, const cv::Mat& clean,
                        const Stroke& stroke)
{
    cv::Rect roi = stroke.box;
    roi.width = std::min(roi.width, 240);
    roi.height = std::min(roi.height, 240);
    std::vector<cv::Mat> panels;
    for (const cv::Mat* image : {&flawed, &repairs[0], &repairs[1], &repairs[2], &repairs[3], &clean}) {
        cv::Mat panel;
        cv::copyMakeBorder((*image)(roi), panel, 0, 0, 0, 2, cv::BORDER_CONSTANT, cv::Scalar(255, 0, 255));
        panels.push_back(panel);
    }
    cv::Mat strip;
    cv::hconcat(panels, strip);
    return strip;
}

std::vector<Result> RunPhoto(const std::string& name, const cv::Mat& clean, int strokes, std::mt19937& rng)
{
    cv::Mat grey;
    cv::cvtColor(clean, grey, cv::COLOR_BGR2GRAY);
    const cv::Mat boundaryDistance = SpotBench::DistanceToBoundary(clean);
    std::vector<Result> results;
    for (int i = 0; i < strokes; ++i) {
        Result result;
        result.photo = name;
        const auto kind = static_cast<Kind>(i % 2);
        const auto placement = static_cast<Placement>((i / 2) % 3);
        const double length = Lengths[(i / 6 + i) % std::size(Lengths)];
        result.stroke = PlaceStroke(grey, boundaryDistance, kind, placement, length, rng);
        if (result.stroke.curve.empty()) continue;
        cv::Mat flawed = clean.clone();
        const cv::Mat opacity = PaintStroke(flawed, result.stroke, rng);
        const cv::Mat area = AreaMask(clean.size(), result.stroke, 0.0, 1e9);
        const cv::Mat rim = AreaMask(clean.size(), result.stroke, 0.0, RimWidth);
        std::array<cv::Mat, MethodCount> repairs;
        for (int m = 0; m < MethodCount; ++m) {
            const auto start = std::chrono::steady_clock::now();
            repairs[m] = Repair(flawed, result.stroke, static_cast<Method>(m));
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            result.scores[m] = ScoreRepair(clean, flawed, repairs[m], opacity, result.stroke, area, rim);
            result.scores[m].seconds = seconds;
        }
        result.comparison = ComparisonStrip(flawed, repairs, clean, result.stroke);
        results.push_back(std::move(result));
    }
    return results;
}

// ---- tables ---------------------------------------------------------------------------

double PairedMedian(const std::vector<const Result*>& group, int method)
{
    return QualityMeasures::PairedMedian(group, method, [](const Score& s) { return s.psnr; });
}

std::vector<const Result*> Select(const std::vector<Result>& results, const std::function<bool(const Result&)>& predicate)
{
    return QualityMeasures::Select(results, predicate);
}

template <typename Row>
void ForEachGroup(const std::vector<Result>& results, Row row)
{
    row("all", Select(results, [](const Result&) { return true; }));
    for (int p = 0; p < 3; ++p)
        row(PlacementNames[p], Select(results, [p](const Result& r) { return static_cast<int>(r.stroke.placement) == p; }));
    for (int k = 0; k < 2; ++k)
        row(KindNames[k], Select(results, [k](const Result& r) { return static_cast<int>(r.stroke.kind) == k; }));
    const double widths[][2] = {{1, 2}, {2, 4}, {4, 6}};
    for (const auto& w : widths) {
        char name[32];
        std::snprintf(name, sizeof name, "width %.0f-%.0f px", w[0], w[1]);
        row(name, Select(results, [&](const Result& r) { return r.stroke.width >= w[0] && r.stroke.width < w[1]; }));
    }
    const double lengths[][2] = {{0, 150}, {150, 500}, {500, 1e9}};
    for (const auto& l : lengths) {
        char name[32];
        std::snprintf(name, sizeof name, "length %.0f-%.0f px", l[0], std::min(l[1], 800.0));
        row(name, Select(results, [&](const Result& r) { return r.stroke.length >= l[0] && r.stroke.length < l[1]; }));
    }
}

void PrintTables(const std::vector<Result>& results)
{
    std::printf("\nPSNR in the area (dB): medians per method, and medians of the per-stroke differences HealStroke"
                " minus each other method (paired)\n");
    QualityMeasures::PrintPairedHeading(MethodNames);
    ForEachGroup(results, [](const char* name, const std::vector<const Result*>& group) {
        QualityMeasures::PrintPairedRow(name, group, [](const Score& s) { return s.psnr; });
    });
    std::printf("\nMedians. Per method: PSNR rim (dB), SSIM area, SSIM rim, junction step (grey levels), gone\n"
                "%-22s %4s", "group", "n");
    for (const char* m : MethodNames) std::printf(" | %-33s", m);
    std::printf("\n");
    ForEachGroup(results, [](const char* name, const std::vector<const Result*>& group) {
        if (group.empty()) return;
        std::printf("%-22s %4zu", name, group.size());
        for (int m = 0; m < MethodCount; ++m)
            std::printf(" | %5.2f %6.4f %6.4f %5.2f %4.0f%%", Median(Collect(group, m, [](const Score& s) { return s.psnrRim; })),
                        Median(Collect(group, m, [](const Score& s) { return s.ssim; })),
                        Median(Collect(group, m, [](const Score& s) { return s.ssimRim; })),
                        Median(Collect(group, m, [](const Score& s) { return s.junction; })),
                        100 * Median(Collect(group, m, [](const Score& s) { return s.gone; })));
        std::printf("\n");
    });
}

void PrintStroke(const Result& r)
{
    std::printf("%-16s %-14s %-15s w=%.1f s=%2d len=%3.0f (%3ld,%3ld)", r.photo.c_str(),
                KindNames[static_cast<int>(r.stroke.kind)], PlacementNames[static_cast<int>(r.stroke.placement)],
                r.stroke.width, r.stroke.size, r.stroke.length, static_cast<long>(r.stroke.path.front().x),
                static_cast<long>(r.stroke.path.front().y));
    for (const Score& s : r.scores) std::printf(" | %5.1f %5.1f %4.1f %3.0f%% %5.0fms", s.psnr, s.psnrRim, s.junction, 100 * s.gone, 1000 * s.seconds);
    std::printf("\n");
}

void SaveWorstCases(const std::vector<Result>& results, const std::string& folder)
{
    const auto psnr = [](const Score& s) { return s.psnr; };
    const auto margin = [&](const Result* r) { return QualityMeasures::Margin(*r, psnr); };
    const std::vector<const Result*> worst = QualityMeasures::Worst(results, WorstCases, psnr);
    std::printf("\nThe %zu strokes where HealStroke falls furthest below the best other method (PSNR); crops"
                " (flawed | HealStroke | disks | TELEA | NS | clean) in %s\n", worst.size(), folder.c_str());
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (std::size_t i = 0; i < worst.size(); ++i) {
        PrintStroke(*worst[i]);
        cv::Mat enlarged;
        cv::resize(worst[i]->comparison, enlarged, cv::Size(), 2, 2, cv::INTER_NEAREST);
        char name[160];
        std::snprintf(name, sizeof name, "%s/%02zu_%+.1fdB_%.*s.png", folder.c_str(), i, margin(worst[i]),
                      static_cast<int>(std::strcspn(worst[i]->photo.c_str(), ".")), worst[i]->photo.c_str());
        cv::imwrite(name, enlarged);
    }
}

void PrintTargets(const std::vector<Result>& results)
{
    const std::vector<const Result*> all = Select(results, [](const Result&) { return true; });
    auto rim = [](const Score& s) { return s.psnrRim; };
    auto junction = [](const Score& s) { return s.junction; };
    std::printf("\nTargets\n");
    std::printf("paired median PSNR over TELEA / NS:        %+6.2f / %+6.2f dB (target >= +1.50)\n", PairedMedian(all, 2),
                PairedMedian(all, 3));
    std::printf("paired median PSNR over the row of disks:  %+6.2f dB (target > 0)\n", PairedMedian(all, 1));
    std::printf("median rim PSNR over TELEA / NS / disks:   %+6.2f / %+6.2f / %+6.2f dB (target >= 0)\n",
                Median(Collect(all, 0, rim)) - Median(Collect(all, 2, rim)),
                Median(Collect(all, 0, rim)) - Median(Collect(all, 3, rim)),
                Median(Collect(all, 0, rim)) - Median(Collect(all, 1, rim)));
    std::printf("median junction step HealStroke / disks / TELEA / NS: %.2f / %.2f / %.2f / %.2f grey levels\n",
                Median(Collect(all, 0, junction)), Median(Collect(all, 1, junction)), Median(Collect(all, 2, junction)),
                Median(Collect(all, 3, junction)));
    for (int m = 0; m < MethodCount; ++m) {
        const auto failures = std::count_if(results.begin(), results.end(),
                                            [m](const Result& r) { return r.scores[m].gone < GoneThreshold; });
        std::printf("%-10s hairs less than 90 %% gone: %ld of %zu; median time %.1f ms\n", MethodNames[m],
                    static_cast<long>(failures), results.size(),
                    1000 * Median(Collect(all, m, [](const Score& s) { return s.seconds; })));
    }
}

bool RunSet(const char* title, const std::vector<std::string>& photos, const Options& options)
{
    std::printf("\n==================== %s set ====================\n", title);
    std::mt19937 rng(options.seed);
    std::vector<Result> all;
    for (const std::string& path : photos) {
        const cv::Mat clean = cv::imread(path, cv::IMREAD_COLOR);
        if (clean.empty()) {
            std::fprintf(stderr, "cannot read %s\n", path.c_str());
            continue;
        }
        const std::string name = std::filesystem::path(path).filename().string();
        std::vector<Result> results =
            RunPhoto(name, clean, options.quick ? StrokesPerPhoto / QuickStride : StrokesPerPhoto, rng);
        std::vector<const Result*> view;
        for (const Result& r : results) view.push_back(&r);
        std::printf("%-18s %3zu strokes | median PSNR", name.c_str(), results.size());
        for (int m = 0; m < MethodCount; ++m)
            std::printf(" %s %.2f", MethodNames[m], Median(Collect(view, m, [](const Score& s) { return s.psnr; })));
        std::printf("\n");
        if (options.list)
            for (const Result& r : results) PrintStroke(r);
        std::fflush(stdout);
        all.insert(all.end(), std::make_move_iterator(results.begin()), std::make_move_iterator(results.end()));
    }
    if (all.empty()) return false;
    PrintTables(all);
    SaveWorstCases(all, options.folders.at("worst") + "/" + title);
    PrintTargets(all);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    options.seed = Seed;
    options.folders = {{"worst", "/tmp/strokeworst"}};
    if (!options.Parse(argc, argv)) return 2;
    return QualityMeasures::RunSets(options, QualityPhotos::Tuning, QualityPhotos::HeldOut,
                                    [&](const char* title, const std::vector<std::string>& photos) {
                                        return RunSet(title, photos, options);
                                    });
}

#pragma once
// Edges for bench_SpotQuality: where strong region boundaries lie (to place
// flaws on and near them) and whether an edge that crosses a spot carries on
// through its repair.

#include <algorithm>
#include <cmath>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

namespace SpotBench {

// Smoothing before gradients, so that grain and JPEG blocks do not count.
constexpr double EdgeBlur = 1.5;
// A boundary between two regions: at least this gradient (grey levels per
// pixel after the blur), which a step of about 40 grey levels reaches.
constexpr double BoundaryGradient = 10.0;
// A repaired pixel whose gradient is weaker than this share of the clean
// one's has lost the edge: its direction counts as wholly wrong.
constexpr double LostEdgeShare = 0.25;

/// Gradient magnitude and direction of the grey version of `image` over
/// `roi`, after a Gaussian blur of sigma EdgeBlur (grey levels per pixel).
inline void Gradients(const cv::Mat& image, const cv::Rect& roi, cv::Mat& gx, cv::Mat& gy)
{
    cv::Mat grey;
    cv::cvtColor(image(roi), grey, cv::COLOR_BGR2GRAY);
    grey.convertTo(grey, CV_32F);
    cv::GaussianBlur(grey, grey, cv::Size(0, 0), EdgeBlur);
    cv::Sobel(grey, gx, CV_32F, 1, 0, 3, 1.0 / 8.0);
    cv::Sobel(grey, gy, CV_32F, 0, 1, 3, 1.0 / 8.0);
}

/// Distance (pixels) from every pixel of `image` to the nearest pixel of a
/// strong region boundary (gradient of BoundaryGradient or more).
inline cv::Mat DistanceToBoundary(const cv::Mat& image)
{
    cv::Mat gx, gy, magnitude;
    Gradients(image, cv::Rect(0, 0, image.cols, image.rows), gx, gy);
    cv::magnitude(gx, gy, magnitude);
    cv::Mat notBoundary = magnitude < BoundaryGradient;
    cv::Mat distance;
    cv::distanceTransform(notBoundary, distance, cv::DIST_L2, cv::DIST_MASK_PRECISE);
    return distance;
}

/// Thin edges: pixels of `magnitude` at least `threshold` that are the
/// largest along their gradient's direction (non-maximum suppression).
inline cv::Mat ThinEdges(const cv::Mat& gx, const cv::Mat& gy, const cv::Mat& magnitude, double threshold)
{
    cv::Mat edges(magnitude.size(), CV_8U, cv::Scalar(0));
    for (int y = 1; y + 1 < magnitude.rows; ++y)
        for (int x = 1; x + 1 < magnitude.cols; ++x) {
            const float m = magnitude.at<float>(y, x);
            if (m < threshold) continue;
            const int sx = static_cast<int>(std::lround(gx.at<float>(y, x) / m));
            const int sy = static_cast<int>(std::lround(gy.at<float>(y, x) / m));
            if (m >= magnitude.at<float>(y + sy, x + sx) && m >= magnitude.at<float>(y - sy, x - sx))
                edges.at<uchar>(y, x) = 255;
        }
    return edges;
}

/// How well an edge through a spot survives its repair.
struct EdgeContinuity {
    bool measured{false};       ///< the clean disk holds a strong edge
    double angleError{0.0};     ///< degrees, 0 to 90: the repair's gradient direction against the clean one's
    double offset{0.0};         ///< pixels: how far the repair's edges lie from the clean ones (and back)
};

/// Mean over the pixels of `from` (inside `disk`) of `distanceTo`, capped.
inline double MeanDistance(const cv::Mat& from, const cv::Mat& distanceTo, const cv::Mat& disk, double cap)
{
    double sum = 0.0;
    int count = 0;
    for (int y = 0; y < from.rows; ++y)
        for (int x = 0; x < from.cols; ++x)
            if (from.at<uchar>(y, x) && disk.at<uchar>(y, x)) {
                sum += std::min(static_cast<double>(distanceTo.at<float>(y, x)), cap);
                ++count;
            }
    return count ? sum / count : cap;
}

/// Compares the edges of `repaired` with those of `clean` inside the disk of
/// `radius` around `centre` (pixels whose centres lie closer than
/// radius + 0.5). Strong pixels are those whose clean gradient reaches
/// BoundaryGradient and half the clean disk's largest gradient. The angle
/// error is the mean, weighted by the clean gradient, of the angle between
/// the repair's and the clean gradient's directions (as lines, 0 to 90
/// degrees; 90 where the repair's gradient fell below LostEdgeShare of the
/// clean one). The offset is the mean of the distances from the clean
/// photo's thin edges in the disk to the repair's nearest thin edge and
/// back, each capped at the radius (the cap when the repair has none).
inline EdgeContinuity MeasureEdgeContinuity(const cv::Mat& clean, const cv::Mat& repaired, cv::Point centre,
                                            double radius)
{
    const int pad = static_cast<int>(std::ceil(radius)) + 6;
    const cv::Rect roi = cv::Rect(centre.x - pad, centre.y - pad, 2 * pad + 1, 2 * pad + 1) &
                         cv::Rect(0, 0, clean.cols, clean.rows);
    cv::Mat cx, cy, rx, ry, cm, rm;
    Gradients(clean, roi, cx, cy);
    Gradients(repaired, roi, rx, ry);
    cv::magnitude(cx, cy, cm);
    cv::magnitude(rx, ry, rm);
    cv::Mat disk(roi.size(), CV_8U, cv::Scalar(0));
    double largest = 0.0;
    for (int y = 0; y < roi.height; ++y)
        for (int x = 0; x < roi.width; ++x)
            if (std::hypot(roi.x + x - centre.x, roi.y + y - centre.y) < radius + 0.5) {
                disk.at<uchar>(y, x) = 255;
                largest = std::max(largest, static_cast<double>(cm.at<float>(y, x)));
            }
    EdgeContinuity result;
    const double threshold = std::max(BoundaryGradient, 0.5 * largest);
    if (largest < BoundaryGradient) return result;
    result.measured = true;
    double weighted = 0.0, weights = 0.0;
    for (int y = 0; y < roi.height; ++y)
        for (int x = 0; x < roi.width; ++x) {
            const float m = cm.at<float>(y, x);
            if (!disk.at<uchar>(y, x) || m < threshold) continue;
            double angle = 90.0;
            if (rm.at<float>(y, x) >= LostEdgeShare * m) {
                const double cosine = (cx.at<float>(y, x) * rx.at<float>(y, x) + cy.at<float>(y, x) * ry.at<float>(y, x)) /
                                      (m * rm.at<float>(y, x));
                angle = std::acos(std::min(1.0, std::fabs(cosine))) * 180.0 / CV_PI;
            }
            weighted += m * angle;
            weights += m;
        }
    result.angleError = weights > 0.0 ? weighted / weights : 0.0;
    const cv::Mat cleanEdges = ThinEdges(cx, cy, cm, threshold);
    const cv::Mat repairEdges = ThinEdges(rx, ry, rm, threshold);
    cv::Mat toClean, toRepair;
    cv::distanceTransform(cleanEdges == 0, toClean, cv::DIST_L2, cv::DIST_MASK_PRECISE);
    cv::distanceTransform(repairEdges == 0, toRepair, cv::DIST_L2, cv::DIST_MASK_PRECISE);
    const bool repairHasEdges = cv::countNonZero(repairEdges) > 0;
    const double there = repairHasEdges ? MeanDistance(cleanEdges, toRepair, disk, radius) : radius;
    const double back = repairHasEdges ? MeanDistance(repairEdges, toClean, disk, radius) : radius;
    result.offset = 0.5 * (there + back);
    return result;
}

} // namespace SpotBench

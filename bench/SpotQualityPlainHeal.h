#pragma once
// The plain heal that bench_SpotQuality measures RemoveSpot against: the
// source patch whose ring best matches the spot's ring, copied over the disk
// with cv::seamlessClone (Poisson blending of the source's gradients into the
// spot's surroundings).

#include <algorithm>
#include <cmath>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/photo.hpp>

namespace SpotBench {

// seamlessClone takes the source's gradients only this many pixels inside
// its mask's edge (it erodes the mask by 3 pixels, and the destination's
// forward differences reach one pixel further in).
constexpr double CloneErosion = 4.0;

/// Pixels whose centres lie at a distance in [inner, outer) from `centre`, in
/// a square of side 2 * reach + 1 centred on it.
inline cv::Mat AnnulusMask(int reach, double inner, double outer)
{
    cv::Mat mask(2 * reach + 1, 2 * reach + 1, CV_8U, cv::Scalar(0));
    for (int y = -reach; y <= reach; ++y)
        for (int x = -reach; x <= reach; ++x) {
            const double d = std::hypot(x, y);
            if (d >= inner && d < outer) mask.at<uchar>(y + reach, x + reach) = 255;
        }
    return mask;
}

/// The plain heal of the disk of `radius` around `centre` (pixels whose
/// centres lie closer than radius + 0.5): the ring max(3, radius / 2) pixels
/// wide around the disk (the part of it inside the image) is compared (sum of
/// squared colour differences, cv::matchTemplate with the ring as mask) with
/// the ring around every position up to max(3 radius, 24) pixels beyond the
/// disk and its ring whose disk and ring lie in the image and stay clear of
/// the spot's; the best one's disk is seamlessClone'd over the spot (near the
/// image's border, the border pixels act as its boundary). Returns a copy of
/// `image` with the disk replaced, or the image unchanged when no position
/// fits.
inline cv::Mat PlainHeal(const cv::Mat& image, cv::Point centre, double radius)
{
    const double rim = radius + 0.5;
    const double ringWidth = std::max(3.0, std::round(radius / 2.0));
    const int reach = static_cast<int>(std::ceil(rim + ringWidth));
    const int search = reach + static_cast<int>(std::max(3.0 * radius, 24.0));
    const cv::Rect all(0, 0, image.cols, image.rows);
    const cv::Rect window =
        cv::Rect(centre.x - search - reach, centre.y - search - reach, 2 * (search + reach) + 1, 2 * (search + reach) + 1) &
        all;
    cv::Mat result = image.clone();
    if (window.width <= 2 * reach + 1 || window.height <= 2 * reach + 1) return result;
    // The target with the ring's pixels outside the image left out.
    cv::Mat padded;
    cv::copyMakeBorder(image, padded, reach, reach, reach, reach, cv::BORDER_CONSTANT, cv::Scalar::all(0));
    const cv::Mat target = padded(cv::Rect(centre.x, centre.y, 2 * reach + 1, 2 * reach + 1));
    cv::Mat ring = AnnulusMask(reach, rim, rim + ringWidth);
    for (int y = 0; y < ring.rows; ++y)
        for (int x = 0; x < ring.cols; ++x)
            if (!all.contains(cv::Point(centre.x - reach + x, centre.y - reach + y))) ring.at<uchar>(y, x) = 0;
    cv::Mat costs;
    cv::matchTemplate(image(window), target, costs, cv::TM_SQDIFF, ring);
    double best = HUGE_VAL;
    cv::Point bestAt(-1, -1);
    for (int y = 0; y < costs.rows; ++y)
        for (int x = 0; x < costs.cols; ++x) {
            const cv::Point at(window.x + x + reach, window.y + y + reach);
            if (std::hypot(at.x - centre.x, at.y - centre.y) < 2.0 * rim + ringWidth) continue;
            if (costs.at<float>(y, x) < best) {
                best = costs.at<float>(y, x);
                bestAt = at;
            }
        }
    if (bestAt.x < 0) return result;
    // The mask is the disk grown by CloneErosion, in a box one pixel larger
    // still (seamlessClone keeps the box's outermost rows and columns); near the border the destination is padded by repeating
    // its edge.
    const double grown = rim + CloneErosion;
    const int box = static_cast<int>(std::ceil(grown)) + 1;
    const cv::Rect source(bestAt.x - box, bestAt.y - box, 2 * box + 1, 2 * box + 1);
    if ((source & all) != source) return result;
    cv::Mat destination;
    cv::copyMakeBorder(image, destination, box, box, box, box, cv::BORDER_REPLICATE);
    cv::Mat cloned;
    cv::seamlessClone(image(source), destination, AnnulusMask(box, 0.0, grown), centre + cv::Point(box, box), cloned,
                      cv::NORMAL_CLONE);
    const cv::Rect spot(centre.x - box, centre.y - box, 2 * box + 1, 2 * box + 1);
    const cv::Rect inImage = spot & all;
    const cv::Mat disk = AnnulusMask(box, 0.0, rim);
    cloned(inImage + cv::Point(box, box)).copyTo(result(inImage), disk(inImage - spot.tl()));
    return result;
}

} // namespace SpotBench

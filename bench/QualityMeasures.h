#pragma once
// What the quality benchmarks share: PSNR and SSIM over a mask, medians and
// paired medians over their results, random draws, texture, OpenCV's
// inpainting as a baseline, the program's bottom-up 24-bit image form, and
// their command line.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/photo.hpp>

#include "platform/WinTypes.h"

namespace QualityMeasures {

/// PSNR (dB) of `a` against `b` (8-bit, 3 channels) over the mask's pixels;
/// 99 for no difference or an empty mask.
inline double Psnr(const cv::Mat& a, const cv::Mat& b, const cv::Mat& mask)
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
/// three channels) over the mask's pixels, computed on `around` grown by 12 px.
inline double Ssim(const cv::Mat& a, const cv::Mat& b, const cv::Mat& mask, const cv::Rect& around)
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

inline double Median(std::vector<double> values)
{
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

/// A uniform draw from [lo, hi).
inline double Uniform(std::mt19937& rng, double lo, double hi)
{
    return lo + (hi - lo) * (static_cast<double>(rng()) / 4294967296.0);
}

/// The results a predicate selects. `Result` holds one score per method in
/// `scores`.
template <typename Result, typename Predicate>
std::vector<const Result*> Select(const std::vector<Result>& results, Predicate predicate)
{
    std::vector<const Result*> group;
    for (const Result& r : results)
        if (predicate(r)) group.push_back(&r);
    return group;
}

/// `pick` of each result's score of `method`.
template <typename Result, typename Pick>
std::vector<double> Collect(const std::vector<const Result*>& group, int method, Pick pick)
{
    std::vector<double> values;
    for (const Result* r : group) values.push_back(pick(r->scores[method]));
    return values;
}

/// Median of the per-result differences of `pick` between method 0 (the
/// program's) and `method` (positive: the program's is better).
template <typename Result, typename Pick>
double PairedMedian(const std::vector<const Result*>& group, int method, Pick pick)
{
    std::vector<double> differences;
    for (const Result* r : group) differences.push_back(pick(r->scores[0]) - pick(r->scores[method]));
    return Median(differences);
}

/// The heading of a paired table: group, count, each method, then "vs" each
/// method after the first.
template <std::size_t Count>
void PrintPairedHeading(const char* const (&methods)[Count])
{
    std::printf("%-22s %4s", "group", "n");
    for (const char* m : methods) std::printf(" %10s", m);
    for (std::size_t m = 1; m < Count; ++m) std::printf(" %10s", (std::string("vs ") + methods[m]).c_str());
    std::printf("\n");
}

/// One row of a paired table: the group's name and size, the median of
/// `pick` per method, then the paired medians of method 0 against each other
/// (nothing for an empty group).
template <typename Result, typename Pick>
void PrintPairedRow(const char* name, const std::vector<const Result*>& group, Pick pick)
{
    if (group.empty()) return;
    const std::size_t methods = group.front()->scores.size();
    std::printf("%-22s %4zu", name, group.size());
    for (std::size_t m = 0; m < methods; ++m) std::printf(" %10.2f", Median(Collect(group, static_cast<int>(m), pick)));
    for (std::size_t m = 1; m < methods; ++m) std::printf(" %+10.2f", PairedMedian(group, static_cast<int>(m), pick));
    std::printf("\n");
}

/// How far method 0's `pick` lies above the best other method's (negative:
/// below it); `Result` holds one score per method in `scores`.
template <typename Result, typename Pick>
double Margin(const Result& r, Pick pick)
{
    double best = -1e300;
    for (std::size_t m = 1; m < r.scores.size(); ++m) best = std::max(best, pick(r.scores[m]));
    return pick(r.scores[0]) - best;
}

/// The `count` results where method 0 falls furthest below the best other
/// method (see Margin), worst first.
template <typename Result, typename Pick>
std::vector<const Result*> Worst(const std::vector<Result>& results, std::size_t count, Pick pick)
{
    std::vector<const Result*> worst;
    for (const Result& r : results) worst.push_back(&r);
    std::sort(worst.begin(), worst.end(),
              [&](const Result* a, const Result* b) { return Margin(*a, pick) < Margin(*b, pick); });
    if (worst.size() > count) worst.resize(count);
    return worst;
}

/// The command line of a quality benchmark: --set tuning|held-out|all,
/// --quick, --list, --seed n, and --NAME folder for each folder it names.
struct Options {
    bool list{false};
    bool quick{false};
    std::string set{"tuning"};
    unsigned seed{0};
    std::map<std::string, std::string> folders;  ///< option name (without "--") -> folder

    /// Reads the command line into the options (whose seed and folders hold
    /// the defaults); false, with a message on standard error, for anything else.
    bool Parse(int argc, char** argv)
    {
        for (int i = 1; i < argc; ++i) {
            const std::string arg = argv[i];
            const bool valued = i + 1 < argc;
            if (arg == "--list") list = true;
            else if (arg == "--quick") quick = true;
            else if (arg == "--set" && valued) set = argv[++i];
            else if (arg == "--seed" && valued) seed = static_cast<unsigned>(std::stoul(argv[++i]));
            else if (arg.rfind("--", 0) == 0 && folders.count(arg.substr(2)) && valued) folders[arg.substr(2)] = argv[++i];
            else {
                std::fprintf(stderr, "unknown argument %s\n", arg.c_str());
                return false;
            }
        }
        if (set == "tuning" || set == "held-out" || set == "all") return true;
        std::fprintf(stderr, "--set takes tuning, held-out or all\n");
        return false;
    }
};

/// Runs `runSet(title, photos)` on the sets the options choose; the exit
/// status: 0 when some set ran, 1 when no photo could be read.
inline int RunSets(const Options& options, const std::vector<std::string>& tuning,
                   const std::vector<std::string>& heldOut,
                   const std::function<bool(const char*, const std::vector<std::string>&)>& runSet)
{
    bool any = false;
    if (options.set != "held-out") any |= runSet("tuning", tuning);
    if (options.set != "tuning") any |= runSet("held-out", heldOut);
    return any ? 0 : 1;
}

/// How busy `grey` is in `roi`: the standard deviation of its high-pass
/// (itself minus its Gaussian blur of sigma 2), over the pixels `near` marks
/// (roi-sized; all of them when empty).
inline double HighPassDeviation(const cv::Mat& grey, const cv::Rect& roi, const cv::Mat& near = cv::Mat())
{
    cv::Mat patch, blurred;
    grey(roi).convertTo(patch, CV_32F);
    cv::GaussianBlur(patch, blurred, cv::Size(0, 0), 2.0);
    const cv::Mat highPass = patch - blurred;
    cv::Scalar mean, deviation;
    cv::meanStdDev(highPass, mean, deviation, near);
    return deviation[0];
}

/// `image` repaired inside `mask` by cv::inpaint (`method`, radius 3), run on
/// `box` grown by 16 px (which holds everything either method reads at that
/// radius), clipped to the image.
inline cv::Mat Inpaint(const cv::Mat& image, const cv::Mat& mask, const cv::Rect& box, int method)
{
    constexpr int Radius = 3, Margin = 16;
    const cv::Rect roi =
        (box + cv::Size(2 * Margin, 2 * Margin) - cv::Point(Margin, Margin)) & cv::Rect(0, 0, image.cols, image.rows);
    cv::Mat result = image.clone();
    cv::Mat repaired;
    cv::inpaint(image(roi), mask(roi), repaired, Radius, method);
    repaired.copyTo(result(roi));
    return result;
}

/// An 8-bit 3-channel image in the program's form: bottom-up rows padded to
/// 4 bytes, and its header.
struct Dib {
    std::vector<unsigned char> pixels;
    BITMAPINFO header{};
    int stride{0};
};

inline Dib ToDib(const cv::Mat& image)
{
    Dib dib;
    dib.stride = (image.cols * 3 + 3) & ~3;
    dib.pixels.resize(static_cast<std::size_t>(dib.stride) * image.rows);
    for (int y = 0; y < image.rows; ++y)
        std::copy_n(image.ptr<uchar>(y), image.cols * 3, &dib.pixels[static_cast<std::size_t>(image.rows - 1 - y) * dib.stride]);
    BITMAPINFOHEADER& h = dib.header.bmiHeader;
    h.biSize = sizeof(BITMAPINFO);
    h.biWidth = image.cols;
    h.biHeight = image.rows;
    h.biPlanes = 1;
    h.biBitCount = 24;
    h.biSizeImage = static_cast<DWORD>(dib.pixels.size());
    return dib;
}

inline cv::Mat FromDib(const Dib& dib)
{
    const int width = dib.header.bmiHeader.biWidth, height = dib.header.bmiHeader.biHeight;
    cv::Mat result(height, width, CV_8UC3);
    for (int y = 0; y < height; ++y)
        std::copy_n(&dib.pixels[static_cast<std::size_t>(height - 1 - y) * dib.stride], width * 3, result.ptr<uchar>(y));
    return result;
}

} // namespace QualityMeasures

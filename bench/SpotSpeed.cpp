// Speed of ImageProcess::RemoveSpot on a 6000 x 4000 photo, next to OpenCV's
// TELEA inpainting of the same disk.
//
// The photo is fruits.jpg from OpenCV's samples scaled up to 6000 x 4000 with
// a little grain added (fixed seed), held once as a 24-bit and once as a
// 32-bit bottom-up buffer, as the program holds images. A dark speck is
// painted at the centre; each iteration repairs the square around it, as the
// spot tool asks for sizes 15, 101 and 501, and the square is then put back
// with timing paused, so only the library call is timed on memory already in
// use. RemoveSpot keeps its own working memory from one call to the next, so
// after the first iteration its grids are warm as well, as they are in the
// program after its first spot.
//
// Baseline: cv::inpaint (INPAINT_TELEA, radius 3) on the 24-bit photo, given
// a region of interest of the square grown by 8 pixels on every side (TELEA
// reads at most its radius beyond the mask, so this crop gives the same
// result as the whole photo) and the same disk as its mask; its output goes
// to a matrix allocated before timing. TELEA takes 3-channel images only, so
// it is timed once and both depths of RemoveSpot compare with it.
//
// Usage: bench_SpotSpeed [Google Benchmark flags] (photo read from OpenCV's
// sample folder).

#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include <benchmark/benchmark.h>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/photo.hpp>

#include "GrainyPhoto.h"
#include "Tinctor/ImageProcess.h"

namespace {

constexpr int Width = 6000;
constexpr int Height = 4000;
constexpr int CenterX = 3000;
constexpr int CenterY = 2000;
constexpr int RoiMargin = 8;

/// The photo in program form (bottom-up rows, padded stride) for one depth.
struct Photo {
    std::vector<unsigned char> pixels;
    BITMAPINFO header{};
    std::size_t stride{0};
    int bytesPerPixel{3};

    /// Address of pixel (x, y), row 0 at the top.
    unsigned char* At(int x, int y) { return pixels.data() + (Height - 1 - y) * stride + x * bytesPerPixel; }
};

cv::Mat LoadLargePhoto()
{
    cv::Mat large = GrainyPhoto::Make(Width, Height);
    // The speck every benchmark repairs: dark, 70 % of the largest square.
    cv::circle(large, cv::Point(CenterX, CenterY), 175, cv::Scalar(20, 20, 25), cv::FILLED, cv::LINE_AA);
    return large;
}

const cv::Mat& LargePhoto()
{
    static const cv::Mat photo = LoadLargePhoto();
    return photo;
}

Photo& PhotoOfDepth(int bits)
{
    static Photo photos[2];
    Photo& photo = photos[bits == 32 ? 1 : 0];
    if (!photo.pixels.empty()) return photo;
    GrainyPhoto::ProgramImage image = GrainyPhoto::ToProgramImage(LargePhoto(), bits);
    photo.pixels = std::move(image.pixels);
    photo.header = image.header;
    photo.bytesPerPixel = bits / 8;
    photo.stride = DibStride(Width, static_cast<WORD>(bits));
    return photo;
}

/// The square the spot tool passes for a size: odd side, centred on the click.
cv::Rect SpotSquare(int size)
{
    const int half = size / 2;
    return cv::Rect(CenterX - half, CenterY - half, 2 * half + 1, 2 * half + 1);
}

void BM_RemoveSpot(benchmark::State& state)
{
    const int size = static_cast<int>(state.range(0));
    const int bits = static_cast<int>(state.range(1));
    Photo& photo = PhotoOfDepth(bits);
    const cv::Rect square = SpotSquare(size);
    // The rows of the square as they were, to put back after each repair.
    std::vector<unsigned char> saved(static_cast<std::size_t>(square.width) * square.height * photo.bytesPerPixel);
    const std::size_t rowBytes = static_cast<std::size_t>(square.width) * photo.bytesPerPixel;
    for (int y = 0; y < square.height; ++y) std::memcpy(&saved[y * rowBytes], photo.At(square.x, square.y + y), rowBytes);
    for (auto _ : state) {
        const bool ok = ImageProcess::RemoveSpot(photo.pixels, photo.header, square.width, POINT{square.x, square.y},
                                                 0.8f, nullptr);
        if (!ok) state.SkipWithError("RemoveSpot failed");
        state.PauseTiming();
        for (int y = 0; y < square.height; ++y) std::memcpy(photo.At(square.x, square.y + y), &saved[y * rowBytes], rowBytes);
        state.ResumeTiming();
    }
    state.SetLabel(std::to_string(bits) + " bits");
}

void BM_Telea(benchmark::State& state)
{
    const int size = static_cast<int>(state.range(0));
    const cv::Rect square = SpotSquare(size);
    const cv::Rect roi(square.x - RoiMargin, square.y - RoiMargin, square.width + 2 * RoiMargin,
                       square.height + 2 * RoiMargin);
    const cv::Mat source = LargePhoto()(roi);
    cv::Mat mask(roi.size(), CV_8U, cv::Scalar(0));
    cv::circle(mask, cv::Point(CenterX - roi.x, CenterY - roi.y), square.width / 2, cv::Scalar(255), cv::FILLED);
    cv::Mat repaired(roi.size(), CV_8UC3);
    for (auto _ : state) {
        cv::inpaint(source, mask, repaired, 3, cv::INPAINT_TELEA);
        benchmark::DoNotOptimize(repaired.data);
    }
    state.SetLabel("24 bits, ROI = square + 8 px");
}

} // namespace

BENCHMARK(BM_RemoveSpot)->ArgsProduct({{15, 101, 501}, {24, 32}})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Telea)->Arg(15)->Arg(101)->Arg(501)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();

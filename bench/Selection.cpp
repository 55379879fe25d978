// Selections on a 6000 × 4000 photo, each beside its baseline in the same run:
//
//   MagicWand/20        the magic wand's fill of a large even area (the
//                       sky) at tolerance 20, the mask cleared first;
//   CvFloodFill/20      cv::floodFill from the same seed: 4-connected, fixed
//                       range ±20 per channel, mask only (mask cleared first);
//   CreateSelectMask/0  the mask of an ellipse covering most of the photo;
//   CreateSelectMask/20 the same feathered over 20 pixels;
//   CvGaussianBlur/20   cv::GaussianBlur of that ellipse's hard mask with a
//                       41 × 41 kernel (radius 20);
//   BorderTick/fit, /100  one step of the moving border (phase, recolouring
//                       and the repaint of its tiles) in a 1280 × 800 view at
//                       the fit-to-window zoom and at 100 %; .../sky the same
//                       around the sky the wand selects, whose outline follows
//                       every twig of the trees;
//   BorderRebuild       working out the border's outline after a scroll at 100 %.
//
// Run from build*/bin: ./bench_Selection --benchmark_repetitions=5
//   --benchmark_report_aggregates_only=true
// The photo is the one of BenchPhoto.h. The counter "pixels" is the number
// of selected pixels, which must be the same for the wand and floodFill;
// "outline" the number of border pixels.
#include <algorithm>
#include <vector>

#include <benchmark/benchmark.h>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "BenchPhoto.h"
#include "imagewindow/tools/MagicWand.h"
#include "imagewindow/tools/RegionSelector.h"

namespace {

using namespace BenchPhoto;
using ImageWindow::EmbeddedTool::RegionSelector;

constexpr int kWidth = kPhotoWidth, kHeight = kPhotoHeight;
constexpr int kTolerance = 20;
constexpr POINT kSkySeed{600, 1200};  // picture coordinates, row 0 at the top: the sky

CRgn Ellipse()
{
    CRgn rgn;
    rgn.CreateEllipticRgn(kWidth / 20, kHeight / 20, kWidth - kWidth / 20, kHeight - kHeight / 20);
    return rgn;
}

void BM_MagicWand(benchmark::State& state)
{
    Photo& photo = TheImage();
    const auto rows = ImageWindow::PixelRows::FromDib(photo.info.bmiHeader, photo.pixels.data());
    std::vector<BYTE> mask(static_cast<std::size_t>(kWidth) * kHeight, 0);
    RECT box{};
    for (auto _ : state) {
        std::fill(mask.begin(), mask.end(), 0);
        ImageWindow::EmbeddedTool::MagicWandFill(rows, kSkySeed, kTolerance, mask.data(), box);
        benchmark::DoNotOptimize(mask.data());
    }
    state.counters["pixels"] = static_cast<double>(std::count(mask.begin(), mask.end(), BYTE{255}));
}

void BM_CvFloodFill(benchmark::State& state)
{
    Photo& photo = TheImage();
    // The DIB's rows are bottom-up; cv::Mat sees them in memory order, so
    // the seed's row is mirrored.
    cv::Mat image(kHeight, kWidth, CV_8UC3, photo.pixels.data(), DibStride(kWidth, 24));
    cv::Mat mask(kHeight + 2, kWidth + 2, CV_8UC1, cv::Scalar(0));
    const cv::Point seed(kSkySeed.x, kHeight - 1 - kSkySeed.y);
    const cv::Scalar range(kTolerance, kTolerance, kTolerance);
    const int flags = 4 | cv::FLOODFILL_FIXED_RANGE | cv::FLOODFILL_MASK_ONLY | (255 << 8);
    for (auto _ : state) {
        mask.setTo(0);
        cv::floodFill(image, mask, seed, cv::Scalar(), nullptr, range, range, flags);
        benchmark::DoNotOptimize(mask.data);
    }
    // floodFill marks the mask's one-pixel frame itself; only the inside counts.
    state.counters["pixels"] = cv::countNonZero(mask(cv::Rect(1, 1, kWidth, kHeight)));
}

void BM_CreateSelectMask(benchmark::State& state)
{
    const CRgn ellipse = Ellipse();
    std::vector<BYTE> mask;
    const int radius = static_cast<int>(state.range(0));
    RegionSelector::CreateSelectMask(ellipse, mask, kWidth, kHeight, radius);  // the mask's memory is touched
    for (auto _ : state) {
        RegionSelector::CreateSelectMask(ellipse, mask, kWidth, kHeight, radius);
        benchmark::DoNotOptimize(mask.data());
    }
}

void BM_CvGaussianBlur(benchmark::State& state)
{
    std::vector<BYTE> hard;
    RegionSelector::CreateSelectMask(Ellipse(), hard, kWidth, kHeight, 0);
    const cv::Mat source(kHeight, kWidth, CV_8UC1, hard.data());
    cv::Mat blurred(kHeight, kWidth, CV_8UC1);
    const int size = 2 * static_cast<int>(state.range(0)) + 1;
    for (auto _ : state) {
        cv::GaussianBlur(source, blurred, cv::Size(size, size), 0);
        benchmark::DoNotOptimize(blurred.data);
    }
}

// A view showing the photo with the ellipse selected, or the sky the magic
// wand takes at tolerance 20 (an outline along every twig of the trees).
struct SelectionView : View {
    SelectionView(double zoom, bool sky) : View(zoom)
    {
        std::vector<BYTE> mask;
        CRgn selection = Ellipse();
        RegionSelector::CreateSelectMask(selection, mask, kWidth, kHeight, 0);
        if (sky) {
            Photo& photo = TheImage();
            std::fill(mask.begin(), mask.end(), 0);
            RECT box;
            ImageWindow::EmbeddedTool::MagicWandFill(ImageWindow::PixelRows::FromDib(photo.info.bmiHeader, photo.pixels.data()),
                                                     kSkySeed, kTolerance, mask.data(), box);
            RegionSelector::CreateRgnFromMask(selection, mask, kWidth, kHeight);
        }
        view.UpdateSelection(selection, mask);
        view.repaint();
        QApplication::processEvents();
    }
};

void BorderTick(benchmark::State& state, double zoom, CPoint position, bool sky = false)
{
    SelectionView v(zoom, sky);
    if (position.x >= 0) v.view.SetDispPosition(position.x, position.y);
    v.view.repaint();
    for (auto _ : state) {
        v.view.OnTimer(ImageWindow::CImageWindow::TIMER_DRAWSELECTBOX);
        QApplication::processEvents();  // the repaint of the border's tiles
    }
    state.counters["outline"] = static_cast<double>(v.view.Selection().OutlinePixelCount());
}

void BM_BorderTickFit(benchmark::State& state) { BorderTick(state, FitZoom(), CPoint(-1, -1)); }
// At 100 % the view shows the ellipse's left end, where the outline is longest.
void BM_BorderTickFullSize(benchmark::State& state) { BorderTick(state, 1.0, CPoint(0, 1600)); }
void BM_BorderTickFitSky(benchmark::State& state) { BorderTick(state, FitZoom(), CPoint(-1, -1), true); }
void BM_BorderTickFullSizeSky(benchmark::State& state) { BorderTick(state, 1.0, CPoint(0, 600), true); }

void BM_BorderRebuild(benchmark::State& state)
{
    SelectionView v(1.0, false);
    int flip = 0;
    for (auto _ : state) {
        state.PauseTiming();
        v.view.SetDispPosition((++flip & 1) ? 40 : 0, 1600);  // a scroll, with the rebuild it brings
        state.ResumeTiming();
        v.view.UpdateSelectBorderMaskDC();
    }
    state.counters["outline"] = static_cast<double>(v.view.Selection().OutlinePixelCount());
}

} // namespace

// CPU time of the whole process: OpenCV spreads some of its work over threads.
BENCHMARK(BM_MagicWand)->Name("MagicWand/20")->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CvFloodFill)->Name("CvFloodFill/20")->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreateSelectMask)->Name("CreateSelectMask")->Arg(0)->Arg(20)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CvGaussianBlur)->Name("CvGaussianBlur")->Arg(20)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BorderTickFit)->Name("BorderTick/fit")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BorderTickFullSize)->Name("BorderTick/100")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BorderTickFitSky)->Name("BorderTick/fit/sky")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BorderTickFullSizeSky)->Name("BorderTick/100/sky")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BorderRebuild)->Name("BorderRebuild")->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

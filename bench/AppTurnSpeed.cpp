// End-to-end quarter turn of a 24-megapixel photo through the application:
// BeginProcessImage (private copy of the image), the worker thread running
// the rotate operator, the thread message, EndProcessImage (history append)
// and the image handed to the main window; beside it cv::rotate of the same
// image into a buffer already in use, in the same run.
//
// Run from the build's bin folder: bench_AppTurnSpeed [--benchmark_repetitions=N]
#include <benchmark/benchmark.h>

#include <QImage>

#include "AppBench.h"
#include "app/HeadlessMainWindow.h"
#include "operations/OptParam_Rotate.h"
#include "operations/PixelBuffer.h"

namespace {

using AppBench::kHeight;
using AppBench::kWidth;
using AppBench::Photo;

// The main window of the benchmark: takes the image as the view would.
CHeadlessMainWindow g_window;

void QuarterTurnThroughTheApp(bool clockwise)
{
    auto* param = new OptParam_Rotate;
    param->m_nMode = OptParam_Rotate::ROTATE_90;
    param->m_fAngle = 90.0f;
    param->m_bClockwise = clockwise;
    AppBench::RunThroughTheApp(OPTGUID_ROTATE, L"Rotate", param);
}

void BM_AppQuarterTurn(benchmark::State& state)
{
    AppBench::OpenPhotoInApp();
    bool clockwise = true;
    QuarterTurnThroughTheApp(clockwise);  // warm-up: buffers, threads, code
    for (auto _ : state) {
        clockwise = !clockwise;
        QuarterTurnThroughTheApp(clockwise);
        state.PauseTiming();
        ReduceHistory();  // keep two snapshots, as a long session would after saves
        state.ResumeTiming();
    }
    const LONG shownWidth = g_window.ShownHeader().bmiHeader.biWidth;
    if (shownWidth != kWidth && shownWidth != kHeight) state.SkipWithError("no image reached the window");
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(DibStride(kWidth, 24)) * kHeight);
}

void BM_CvRotate(benchmark::State& state)
{
    const cv::Mat& photo = Photo();
    cv::Mat turned;
    cv::rotate(photo, turned, cv::ROTATE_90_CLOCKWISE);  // the output buffer is in use from now on
    for (auto _ : state) {
        cv::rotate(photo, turned, cv::ROTATE_90_CLOCKWISE);
        benchmark::DoNotOptimize(turned.data);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(photo.total() * photo.elemSize()));
}

void BM_CopyIntoWarmBuffer(benchmark::State& state)
{
    const cv::Mat& photo = Photo();
    std::vector<unsigned char> target(photo.total() * photo.elemSize());
    for (auto _ : state) {
        PixelBuffer::AssignCopy(target, photo.data, target.size());
        benchmark::DoNotOptimize(target.data());
    }
}

BENCHMARK(BM_AppQuarterTurn)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(12)->Repetitions(5);
BENCHMARK(BM_CvRotate)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(12)->Repetitions(5);
BENCHMARK(BM_CopyIntoWarmBuffer)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(12)->Repetitions(5);

} // namespace

int main(int argc, char** argv) { return AppBench::RunBenchmarks(argc, argv, g_window); }

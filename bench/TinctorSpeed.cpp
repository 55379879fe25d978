// Speed of the image-processing library on a 6000 x 4000 photograph at 24 and
// 32 bits, beside OpenCV doing the same job and a plain copy of the buffer.
//
// The photo is a real one (building.jpg from the OpenCV examples, or the file
// named by CORVANE_BENCH_PHOTO) scaled up to 6000 x 4000. Every buffer is
// touched before timing starts, so page faults of fresh memory are not timed.
//
// FixRotate works in place and changes the buffer's shape, so each iteration
// times one turn (manual timing) and then turns the buffer back untimed:
// every timed turn starts from the same landscape image in warm memory.
// Flip is its own inverse; each iteration times one flip of the same buffer,
// which alternates between two mirror images of equal cost.
//
// FixRotate's CPU column includes the untimed turn back; its counter
// turn_cpu_ms is the CPU time of the timed turn alone. On a shared machine the
// CPU times of the single-threaded kernels (turns, flips, copies) are the
// steadier comparison; random interleaving spreads load changes evenly.
//
// Run:  bench_TinctorSpeed --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
//                          --benchmark_enable_random_interleaving=true

#include <chrono>
#include <ctime>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "Tinctor/ImageProcess.h"

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

std::string PhotoPath()
{
    const char* env = std::getenv("CORVANE_BENCH_PHOTO");
    if (env != nullptr && *env != '\0') return env;
    return "/usr/share/doc/opencv-doc/examples/data/building.jpg";
}

// The photo at 6000 x 4000 with 3 or 4 channels, top row first.
const cv::Mat& Photo(int channels)
{
    static const cv::Mat bgr = [] {
        cv::Mat small = cv::imread(PhotoPath(), cv::IMREAD_COLOR);
        if (small.empty()) throw std::runtime_error("cannot read the benchmark photo " + PhotoPath());
        cv::Mat big;
        cv::resize(small, big, cv::Size(kWidth, kHeight), 0, 0, cv::INTER_CUBIC);
        return big;
    }();
    static const cv::Mat bgra = [] {
        cv::Mat m;
        cv::cvtColor(bgr, m, cv::COLOR_BGR2BGRA);
        return m;
    }();
    return channels == 4 ? bgra : bgr;
}

// A library image: bottom-up rows padded to 4 bytes.
struct Dib {
    std::vector<unsigned char> pixels;
    BITMAPINFO header{};
};

Dib MakeDib(int bits)
{
    const cv::Mat& m = Photo(bits / 8);
    Dib d;
    BITMAPINFOHEADER& h = d.header.bmiHeader;
    h.biSize = sizeof(BITMAPINFO);
    h.biWidth = m.cols;
    h.biHeight = m.rows;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bits);
    h.biCompression = BI_RGB;
    const std::size_t stride = DibStride(m.cols, static_cast<WORD>(bits));
    h.biSizeImage = static_cast<DWORD>(stride * m.rows);
    d.pixels.assign(h.biSizeImage, 0);
    for (int y = 0; y < m.rows; ++y)
        std::memcpy(d.pixels.data() + (m.rows - 1 - y) * stride, m.ptr(y), m.cols * m.elemSize());
    return d;
}

double Seconds(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b)
{
    return std::chrono::duration<double>(b - a).count();
}

// CPU time of the calling thread, in seconds.
double ThreadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

void SetBytes(benchmark::State& state, std::size_t bytes)
{
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}

// ----------------------------------------------------------------- baselines

void BM_Memcpy(benchmark::State& state)
{
    const int bits = static_cast<int>(state.range(0));
    Dib src = MakeDib(bits);
    std::vector<unsigned char> dst(src.pixels.size(), 1);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.pixels.data(), src.pixels.size());
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    SetBytes(state, src.pixels.size());
}

void BM_CvRotate(benchmark::State& state)
{
    const int bits = static_cast<int>(state.range(0));
    const bool clockwise = state.range(1) == 1;
    const cv::Mat& src = Photo(bits / 8);
    cv::Mat dst;
    cv::rotate(src, dst, clockwise ? cv::ROTATE_90_CLOCKWISE : cv::ROTATE_90_COUNTERCLOCKWISE);
    for (auto _ : state) {
        cv::rotate(src, dst, clockwise ? cv::ROTATE_90_CLOCKWISE : cv::ROTATE_90_COUNTERCLOCKWISE);
        benchmark::DoNotOptimize(dst.data);
        benchmark::ClobberMemory();
    }
    SetBytes(state, src.total() * src.elemSize());
}

void BM_CvFlip(benchmark::State& state)
{
    const int bits = static_cast<int>(state.range(0));
    const bool vertical = state.range(1) == 1;
    const cv::Mat& src = Photo(bits / 8);
    cv::Mat dst;
    cv::flip(src, dst, vertical ? 0 : 1);
    for (auto _ : state) {
        cv::flip(src, dst, vertical ? 0 : 1);
        benchmark::DoNotOptimize(dst.data);
        benchmark::ClobberMemory();
    }
    SetBytes(state, src.total() * src.elemSize());
}

// ------------------------------------------------------------------ library

void BM_FixRotate(benchmark::State& state)
{
    const int bits = static_cast<int>(state.range(0));
    const int mode = static_cast<int>(state.range(1));
    const int back = mode == ImageProcess::FIXROTATE_CLOCKWISE ? ImageProcess::FIXROTATE_COUNTERCLOCKWISE
                                                               : ImageProcess::FIXROTATE_CLOCKWISE;
    Dib d = MakeDib(bits);
    // Warm both buffers the turn alternates between.
    ImageProcess::FixRotate(d.pixels, d.header, mode, nullptr);
    ImageProcess::FixRotate(d.pixels, d.header, back, nullptr);
    double cpu = 0.0;
    for (auto _ : state) {
        const double c0 = ThreadCpuSeconds();
        const auto t0 = std::chrono::steady_clock::now();
        const bool ok = ImageProcess::FixRotate(d.pixels, d.header, mode, nullptr);
        const auto t1 = std::chrono::steady_clock::now();
        cpu += ThreadCpuSeconds() - c0;
        state.SetIterationTime(Seconds(t0, t1));
        if (!ok || !ImageProcess::FixRotate(d.pixels, d.header, back, nullptr)) state.SkipWithError("FixRotate failed");
    }
    // The CPU column also counts the untimed turn back; this is the timed turn's alone.
    state.counters["turn_cpu_ms"] = benchmark::Counter(cpu * 1e3, benchmark::Counter::kAvgIterations);
    SetBytes(state, d.pixels.size());
}

void BM_Flip(benchmark::State& state)
{
    const int bits = static_cast<int>(state.range(0));
    const bool vertical = state.range(1) == 1;
    Dib d = MakeDib(bits);
    for (auto _ : state) {
        if (!ImageProcess::Flip(d.pixels, d.header, vertical, nullptr)) state.SkipWithError("Flip failed");
        benchmark::ClobberMemory();
    }
    SetBytes(state, d.pixels.size());
}

// Times `adjust(Dib&)` on the photo, restoring the original pixels untimed
// before every call so each one starts from the same warm image.
template <typename Adjust>
void TimeAdjustment(benchmark::State& state, int bits, Adjust adjust)
{
    const Dib original = MakeDib(bits);
    Dib d = original;
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(d.pixels.data(), original.pixels.data(), d.pixels.size());
        state.ResumeTiming();
        if (!adjust(d)) state.SkipWithError("adjustment failed");
        benchmark::ClobberMemory();
    }
    SetBytes(state, d.pixels.size());
}

void BM_AdjustHSV(benchmark::State& state)
{
    const bool valueOnly = state.range(1) == 1;
    const ImageProcess::PROCESS_REGION whole;
    TimeAdjustment(state, static_cast<int>(state.range(0)), [&](Dib& d) {
        return valueOnly ? ImageProcess::AdjustHSV(d.pixels, d.header, whole, 0.0, 0.0, 0.1, nullptr, true)
                         : ImageProcess::AdjustHSV(d.pixels, d.header, whole, 30.0, 0.1, 0.05, nullptr, true);
    });
}

void BM_GaussBlur(benchmark::State& state)
{
    const double radius = static_cast<double>(state.range(1));
    const ImageProcess::PROCESS_REGION whole;
    TimeAdjustment(state, static_cast<int>(state.range(0)), [&](Dib& d) {
        return ImageProcess::GaussBlur(d.pixels, d.header, whole, radius, nullptr, true);
    });
}

void BM_CvGaussianBlur(benchmark::State& state)
{
    const int bits = static_cast<int>(state.range(0));
    const double sigma = static_cast<double>(state.range(1));
    const cv::Mat& src = Photo(bits / 8);
    cv::Mat dst;
    cv::GaussianBlur(src, dst, cv::Size(), sigma);
    for (auto _ : state) {
        cv::GaussianBlur(src, dst, cv::Size(), sigma);
        benchmark::DoNotOptimize(dst.data);
        benchmark::ClobberMemory();
    }
    SetBytes(state, src.total() * src.elemSize());
}

} // namespace

// Arguments: bits per pixel, then the mode (1 clockwise / 2 counter-clockwise;
// 1 vertical / 0 horizontal; 1 value only / 0 all three; blur radius).
BENCHMARK(BM_Memcpy)->ArgNames({"bits"})->Args({24})->Args({32})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CvRotate)->ArgNames({"bits", "cw"})->ArgsProduct({{24, 32}, {1, 0}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FixRotate)
    ->ArgNames({"bits", "mode"})
    ->ArgsProduct({{24, 32}, {1, 2}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CvFlip)->ArgNames({"bits", "vertical"})->ArgsProduct({{24, 32}, {1, 0}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Flip)->ArgNames({"bits", "vertical"})->ArgsProduct({{24, 32}, {1, 0}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AdjustHSV)->ArgNames({"bits", "valueonly"})->ArgsProduct({{24, 32}, {1, 0}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CvGaussianBlur)->ArgNames({"bits", "radius"})->ArgsProduct({{24, 32}, {3}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GaussBlur)->ArgNames({"bits", "radius"})->ArgsProduct({{24, 32}, {3}})->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

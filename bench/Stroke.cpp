// A dodge stroke on a 6000 × 4000 photo in a 1280 × 800 image view
// (offscreen), pen 100 px: a scripted path of 2000 image pixels (a 600 × 400
// rectangle around the photo's centre, 10 pixels per step) is fed to the
// view as mouse moves every 10 ms, so it reaches the engine's queue through
// the tracking thread as a person's drag does; the UI thread meanwhile runs
// its event loop (the repaints). At fit zoom and at 100 %:
//
//   batch_ms       median time from a batch's start on the sketching thread
//                  to the end of the first repaint that shows it (goal: one
//                  frame, 16 ms); p90 and max beside it;
//   paint_ms       median time of those repaints alone;
//   stop_ms        the engine's "Stop Sketching cost" after the release
//                  (goal: 30 ms), median over the strokes;
//   release_ms     the whole release as the UI thread sees it (the engine's
//                  end, the stroke's picture taken, the cover hidden).
//
// Baseline beside it: the same strokes with the cover's reduced copies
// rebuilt for the whole photo before every repaint (what a refresh without
// the batch's dirty rectangle would cost).
//
// Idle cost: the CPU time of the whole process over 10 s while a loaded
// brush waits for a stroke and the UI thread sleeps, beside the same 10 s
// with no brush loaded, and with two threads polling their events as the
// engine's threads were designed to (1 ms and 10 + 200 ms waits).
//
// Run from build*/bin: ./bench_Stroke (each case runs three strokes, or 10 s).
#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include <QApplication>
#include <QEventLoop>
#include <QMouseEvent>
#include <QTimer>

#include <benchmark/benchmark.h>

#include "BenchPhoto.h"
#include "imagewindow/ImageWindow.h"
#include "imagewindow/tools/DodgeBurn.h"
#include "platform/Event.h"

namespace {

using ImageWindow::EmbeddedTool::DodgeBurn;

using BenchPhoto::FitZoom;
using BenchPhoto::kPhotoHeight;
using BenchPhoto::kPhotoWidth;
using BenchPhoto::kViewHeight;
using BenchPhoto::kViewWidth;

constexpr int kStep = 10, kStepMs = 10;

std::int64_t NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double Median(std::vector<double> values)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Percentile90(std::vector<double> values)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() * 9 / 10];
}

// The view, timing each repaint and noting the batches it was the first to show.
class TimedView : public ImageWindow::CImageWindow {
public:
    const DodgeBurn* tool{nullptr};
    bool rebuildCoverEveryPaint{false};
    std::vector<double> batchMs, paintMs;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        const std::uint64_t batches = tool->GetStrokeTimings().uBatches;
        if (rebuildCoverEveryPaint && bShowCover() && batches != m_uRebuilt) {
            m_uRebuilt = batches;
            ShowCoverImage(FALSE, FALSE);  // forgets the cover's reduced copies
            ShowCoverImage(TRUE, TRUE);
        }
        const std::int64_t start = NowNs();
        CImageWindow::paintEvent(event);
        const std::int64_t end = NowNs();
        const auto timings = tool->GetStrokeTimings();
        if (!bShowCover() || timings.uBatches == m_uSeen || timings.iBatchEndNs == 0 || timings.iBatchEndNs > start)
            return;
        m_uSeen = timings.uBatches;
        batchMs.push_back((end - timings.iBatchStartNs) / 1e6);
        paintMs.push_back((end - start) / 1e6);
    }

private:
    std::uint64_t m_uSeen{0};
    std::uint64_t m_uRebuilt{0};
};

void RunEventLoopFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Bench {
    QWidget parent;
    TimedView view;
    DodgeBurn tool;

    explicit Bench(double zoom)
    {
        parent.resize(kViewWidth, kViewHeight);
        view.Create(RECT{0, 0, kViewWidth, kViewHeight}, &parent, 1002, RGB(150, 150, 150));
        view.show();
        parent.show();
        BenchPhoto::Photo& photo = BenchPhoto::TheImage();
        view.SetBitmap(photo.info, photo.pixels.data());
        view.SetZoom(zoom);
        view.SetDispPosition((kPhotoWidth - kViewWidth) / 2, (kPhotoHeight - kViewHeight) / 2);
        view.tool = &tool;
        tool.SetPen(ImageWindow::EmbeddedTool::STYLE_ROUND, 100, 80, 100);
        view.LoadEmbeddedTool(tool);
        view.repaint();
        QApplication::processEvents();
    }
    ~Bench() { view.UnloadEmbeddedTool(); }

    void Send(QEvent::Type type, const POINT& image, Qt::MouseButton button, Qt::MouseButtons held)
    {
        POINT p = image;
        view.FromBitmapToWnd(p);
        QMouseEvent event(type, QPointF(p.x, p.y), view.mapToGlobal(QPointF(p.x, p.y)), button, held, Qt::NoModifier);
        QApplication::sendEvent(&view, &event);
    }

    // The 2000-pixel rectangle, one position every 10 ms; returns the time
    // the release took on the UI thread, in ms.
    double Stroke()
    {
        const LONG cx = kPhotoWidth / 2, cy = kPhotoHeight / 2;
        const POINT corners[] = {{cx - 300, cy - 200}, {cx + 300, cy - 200}, {cx + 300, cy + 200},
                                 {cx - 300, cy + 200}, {cx - 300, cy - 200}};
        Send(QEvent::MouseButtonPress, corners[0], Qt::LeftButton, Qt::LeftButton);
        POINT at = corners[0];
        for (int leg = 1; leg < 5; ++leg)
            while (at.x != corners[leg].x || at.y != corners[leg].y) {
                at.x += std::clamp<LONG>(corners[leg].x - at.x, -kStep, kStep);
                at.y += std::clamp<LONG>(corners[leg].y - at.y, -kStep, kStep);
                RunEventLoopFor(kStepMs);
                Send(QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
            }
        RunEventLoopFor(kStepMs);
        const std::int64_t start = NowNs();
        Send(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
        const double release = (NowNs() - start) / 1e6;
        QApplication::processEvents();
        return release;
    }
};

void Strokes(benchmark::State& state, double zoom, bool rebuildEveryPaint)
{
    Bench bench(zoom);
    bench.view.rebuildCoverEveryPaint = rebuildEveryPaint;
    std::vector<double> stop, release;
    for (auto _ : state) {
        release.push_back(bench.Stroke());
        stop.push_back(bench.tool.GetStrokeTimings().iStopSketchingNs / 1e6);
    }
    state.counters["batch_ms"] = Median(bench.view.batchMs);
    state.counters["batch_p90_ms"] = Percentile90(bench.view.batchMs);
    state.counters["batch_max_ms"] =
        bench.view.batchMs.empty() ? 0 : *std::max_element(bench.view.batchMs.begin(), bench.view.batchMs.end());
    state.counters["paint_ms"] = Median(bench.view.paintMs);
    state.counters["batches"] = static_cast<double>(bench.view.batchMs.size());
    state.counters["stop_ms"] = Median(stop);
    state.counters["release_ms"] = Median(release);
}

void BM_StrokeFit(benchmark::State& state) { Strokes(state, FitZoom(), false); }
void BM_StrokeFitRebuildingCover(benchmark::State& state) { Strokes(state, FitZoom(), true); }
void BM_StrokeFullSize(benchmark::State& state) { Strokes(state, 1.0, false); }
void BM_StrokeFullSizeRebuildingCover(benchmark::State& state) { Strokes(state, 1.0, true); }

// ---- idle cost ----------------------------------------------------------------------

double ProcessCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

void IdleFor(benchmark::State& state, const std::function<void()>& setUp, const std::function<void()>& tearDown)
{
    setUp();
    for (auto _ : state) {
        const double before = ProcessCpuMs();
        std::this_thread::sleep_for(std::chrono::seconds(10));
        const double used = ProcessCpuMs() - before;
        state.counters["cpu_ms_per_10s"] = used;
        state.counters["core_percent"] = used / 10000.0 * 100.0;
    }
    tearDown();
}

void BM_IdleLoadedBrush(benchmark::State& state)
{
    std::unique_ptr<Bench> bench;
    IdleFor(state, [&] { bench = std::make_unique<Bench>(FitZoom()); }, [&] { bench.reset(); });
}

void BM_IdleNoBrush(benchmark::State& state)
{
    std::unique_ptr<Bench> bench;
    IdleFor(state, [&] {
        bench = std::make_unique<Bench>(FitZoom());
        bench->view.UnloadEmbeddedTool();
    }, [&] { bench.reset(); });
}

// Two threads waiting as the engine's threads were designed to wait between
// strokes: 1 ms for a stop and 1 ms for a stroke, and 200 ms and 10 ms.
void BM_IdleDesignedPolling(benchmark::State& state)
{
    CEvent stopA(CEvent::ResetMode::Manual), begin(CEvent::ResetMode::Automatic), stopB(CEvent::ResetMode::Manual);
    std::thread tracking, sketching;
    IdleFor(state, [&] {
        tracking = std::thread([&] {
            while (stopA.Wait(1) == WAIT_TIMEOUT) begin.Wait(1);
        });
        sketching = std::thread([&] {
            while (stopB.Wait(200) == WAIT_TIMEOUT) begin.Wait(10);
        });
    }, [&] {
        stopA.Set();
        stopB.Set();
        tracking.join();
        sketching.join();
    });
}

BENCHMARK(BM_StrokeFit)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StrokeFitRebuildingCover)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StrokeFullSize)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StrokeFullSizeRebuildingCover)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IdleLoadedBrush)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IdleNoBrush)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IdleDesignedPolling)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    BenchPhoto::TheImage();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

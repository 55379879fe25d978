// Brush strokes on a 6000 × 4000 photo in a 1280 × 800 image view
// (offscreen): a scripted path of 2000 image pixels (a 600 × 400 rectangle
// around the photo's centre, 10 pixels per step) is fed to the view as mouse
// moves every 10 ms, so it reaches the engine's queue through the tracking
// thread as a person's drag does; the UI thread meanwhile runs its event
// loop (the repaints). A dodge stroke with a 100 px pen and a clone stroke
// with a 200 px pen (copying from 1500 pixels to the left), at fit zoom and
// at 100 %:
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
// The clone stroke through the real main window (the clone-stamp edition's
// CMainDlg with the application behind it, the photo opened from a file):
//
//   recorded_ms    median time from the release to the stroke recorded as
//                  a history step (the operation begun, the operator's copy,
//                  EndProcessImage, the view handed the new snapshot);
//   shown_ms       ... and the view repainted with it (goal: 50 ms);
// beside it the same with the snapshot's memory, which the main window has
// faulted in during the stroke, given up before the release (recording
// then faults fresh memory in), and copy_ms, one copy of the photo's 72 MB
// into a buffer in use, the least that recording a snapshot costs.
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
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QMouseEvent>
#include <QTimer>

#include <benchmark/benchmark.h>

#include "BenchPhoto.h"
#include "app/CorvaneLoaderApp.h"
#include "imagewindow/ImageWindow.h"
#include "imagewindow/tools/CloneStamp.h"
#include "imagewindow/tools/DodgeBurn.h"
#include "mainwnd/MainDlg.h"
#include "operations/PixelBuffer.h"
#include "platform/Event.h"

namespace {

using ImageWindow::EmbeddedTool::CloneStamp;
using ImageWindow::EmbeddedTool::DodgeBurn;
using ImageWindow::EmbeddedTool::Sketcher;

using BenchPhoto::FitZoom;
using BenchPhoto::kPhotoHeight;
using BenchPhoto::kPhotoWidth;
using BenchPhoto::kViewHeight;
using BenchPhoto::kViewWidth;

constexpr int kStep = 10, kStepMs = 10;
// The clone stroke copies from this far to the left of the path.
constexpr LONG kCloneOffsetX = -1500;

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
    const Sketcher* tool{nullptr};
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

void SendMouse(ImageWindow::CImageWindow& view, QEvent::Type type, const POINT& image, Qt::MouseButton button,
               Qt::MouseButtons held)
{
    POINT p = image;
    view.FromBitmapToWnd(p);
    QMouseEvent event(type, QPointF(p.x, p.y), view.mapToGlobal(QPointF(p.x, p.y)), button, held, Qt::NoModifier);
    QApplication::sendEvent(&view, &event);
}

// Chooses the clone stamp's source as an Alt-click does; the first stroke
// then copies from kCloneOffsetX to the left.
void ChooseCloneSource(CloneStamp& tool, ImageWindow::CImageWindow& view)
{
    const POINT source{kPhotoWidth / 2 - 300 + kCloneOffsetX, kPhotoHeight / 2 - 200};
    tool.CheckAltKey(true, true);
    SendMouse(view, QEvent::MouseButtonPress, source, Qt::LeftButton, Qt::LeftButton);
    SendMouse(view, QEvent::MouseButtonRelease, source, Qt::LeftButton, Qt::NoButton);
    tool.CheckAltKey(true, false);
}

// The 2000-pixel rectangle, one position every 10 ms, up to the release
// (not sent); returns where the release goes.
POINT DragRectangle(ImageWindow::CImageWindow& view)
{
    const LONG cx = kPhotoWidth / 2, cy = kPhotoHeight / 2;
    const POINT corners[] = {{cx - 300, cy - 200}, {cx + 300, cy - 200}, {cx + 300, cy + 200},
                             {cx - 300, cy + 200}, {cx - 300, cy - 200}};
    SendMouse(view, QEvent::MouseButtonPress, corners[0], Qt::LeftButton, Qt::LeftButton);
    POINT at = corners[0];
    for (int leg = 1; leg < 5; ++leg)
        while (at.x != corners[leg].x || at.y != corners[leg].y) {
            at.x += std::clamp<LONG>(corners[leg].x - at.x, -kStep, kStep);
            at.y += std::clamp<LONG>(corners[leg].y - at.y, -kStep, kStep);
            RunEventLoopFor(kStepMs);
            SendMouse(view, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
        }
    RunEventLoopFor(kStepMs);
    return at;
}

template <typename Tool>
struct Bench {
    QWidget parent;
    TimedView view;
    Tool tool;

    Bench(double zoom, int penSize)
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
        tool.SetPen(ImageWindow::EmbeddedTool::STYLE_ROUND, penSize, 80, 100);
        view.LoadEmbeddedTool(tool);
        if constexpr (std::is_same_v<Tool, CloneStamp>) ChooseCloneSource(tool, view);
        view.repaint();
        QApplication::processEvents();
    }
    ~Bench() { view.UnloadEmbeddedTool(); }

    // One stroke; returns the time the release took on the UI thread, in ms.
    double Stroke()
    {
        const POINT end = DragRectangle(view);
        const std::int64_t start = NowNs();
        SendMouse(view, QEvent::MouseButtonRelease, end, Qt::LeftButton, Qt::NoButton);
        const double release = (NowNs() - start) / 1e6;
        QApplication::processEvents();
        return release;
    }
};

template <typename Tool>
void Strokes(benchmark::State& state, double zoom, int penSize, bool rebuildEveryPaint)
{
    Bench<Tool> bench(zoom, penSize);
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

constexpr int kDodgePen = 100, kClonePen = 200;

void BM_StrokeFit(benchmark::State& state) { Strokes<DodgeBurn>(state, FitZoom(), kDodgePen, false); }
void BM_StrokeFitRebuildingCover(benchmark::State& state) { Strokes<DodgeBurn>(state, FitZoom(), kDodgePen, true); }
void BM_StrokeFullSize(benchmark::State& state) { Strokes<DodgeBurn>(state, 1.0, kDodgePen, false); }
void BM_StrokeFullSizeRebuildingCover(benchmark::State& state) { Strokes<DodgeBurn>(state, 1.0, kDodgePen, true); }
void BM_CloneStrokeFit(benchmark::State& state) { Strokes<CloneStamp>(state, FitZoom(), kClonePen, false); }
void BM_CloneStrokeFitRebuildingCover(benchmark::State& state)
{
    Strokes<CloneStamp>(state, FitZoom(), kClonePen, true);
}
void BM_CloneStrokeFullSize(benchmark::State& state) { Strokes<CloneStamp>(state, 1.0, kClonePen, false); }

// ---- the clone stroke recorded by the main window ----------------------------------

// The clone-stamp edition's main window showing the photo, opened from a file
// as a person opens it.
class CloneEdition {
public:
    CloneEdition()
    {
        theApp.m_strProductCode = L"cst";
        // No question and no About box of a first run waits for an answer.
        theApp.SetMessageBoxHook([](const std::wstring&, UINT) { return IDNO; });
        CFGDialog::SetModalHook([](CFGDialog&) -> INT_PTR { return IDOK; });
        m_path = QDir::temp().filePath(QStringLiteral("corvane-bench-stroke.bmp"));
        BenchPhoto::Photo& photo = BenchPhoto::TheImage();
        const QImage rows(photo.pixels.data(), kPhotoWidth, kPhotoHeight,
                          static_cast<qsizetype>(DibStride(kPhotoWidth, 24)), QImage::Format_BGR888);
        rows.mirrored(false, true).save(m_path, "BMP");
        m_dialog = std::make_unique<CMainDlg>();
        theApp.SetMainWindow(m_dialog.get());
        m_dialog->Create(CMainDlg::IDD, nullptr);
        m_dialog->resize(kViewWidth, kViewHeight + 100);
        m_dialog->show();
        QApplication::processEvents();
        theApp.OpenImageFile(m_path.toStdWString().c_str());
        QFile::remove(m_path);
        auto* tool = dynamic_cast<CloneStamp*>(theApp.GetProductTool());
        tool->SetPen(ImageWindow::EmbeddedTool::STYLE_ROUND, kClonePen, 80, 100);
        View().SetZoom(FitZoom());
        ChooseCloneSource(*tool, View());
        View().repaint();
        QApplication::processEvents();
    }
    ~CloneEdition()
    {
        View().UnloadEmbeddedTool();
        theApp.m_bModified = FALSE;
        m_dialog->CloseMainWindow();
        m_dialog.reset();
        theApp.SetMainWindow(nullptr);
        theApp.SetMessageBoxHook(nullptr);
        CFGDialog::SetModalHook(nullptr);
    }
    ImageWindow::CImageWindow& View() { return m_dialog->GetDisplayWnd(); }

private:
    QString m_path;
    std::unique_ptr<CMainDlg> m_dialog;
};

// `freshMemory`: the snapshot's memory prepared during the stroke is given
// up before the release, so recording faults fresh memory in (the baseline).
void CloneStrokesRecorded(benchmark::State& state, bool freshMemory)
{
    CloneEdition edition;
    ImageWindow::CImageWindow& view = edition.View();
    std::vector<double> recorded, shown;
    for (auto _ : state) {
        const std::size_t steps = theApp.m_OptHistory.size();
        const POINT end = DragRectangle(view);
        if (freshMemory) PixelBuffer::ReleaseSpare();
        const std::int64_t start = NowNs();
        SendMouse(view, QEvent::MouseButtonRelease, end, Qt::LeftButton, Qt::NoButton);
        const std::int64_t done = NowNs();
        view.repaint();
        const std::int64_t painted = NowNs();
        if (theApp.m_OptHistory.size() != steps + 1) state.SkipWithError("the stroke was not recorded");
        recorded.push_back((done - start) / 1e6);
        shown.push_back((painted - start) / 1e6);
        state.PauseTiming();
        ReduceHistory();  // two snapshots stay, as a long session keeps them after saves
        state.ResumeTiming();
    }
    state.counters["recorded_ms"] = Median(recorded);
    state.counters["shown_ms"] = Median(shown);
}

void BM_CloneStrokeRecordedAndShown(benchmark::State& state) { CloneStrokesRecorded(state, false); }
void BM_CloneStrokeRecordedInFreshMemory(benchmark::State& state) { CloneStrokesRecorded(state, true); }

void BM_CopyPhotoIntoWarmBuffer(benchmark::State& state)
{
    const BenchPhoto::Photo& photo = BenchPhoto::TheImage();
    std::vector<unsigned char> target(photo.pixels.size());
    std::vector<double> copy;
    for (auto _ : state) {
        const std::int64_t start = NowNs();
        PixelBuffer::AssignCopy(target, photo.pixels.data(), target.size());
        copy.push_back((NowNs() - start) / 1e6);
        benchmark::DoNotOptimize(target.data());
    }
    state.counters["copy_ms"] = Median(copy);
}

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
    std::unique_ptr<Bench<DodgeBurn>> bench;
    IdleFor(state, [&] { bench = std::make_unique<Bench<DodgeBurn>>(FitZoom(), kDodgePen); }, [&] { bench.reset(); });
}

void BM_IdleNoBrush(benchmark::State& state)
{
    std::unique_ptr<Bench<DodgeBurn>> bench;
    IdleFor(state, [&] {
        bench = std::make_unique<Bench<DodgeBurn>>(FitZoom(), kDodgePen);
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
BENCHMARK(BM_CloneStrokeFit)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CloneStrokeFitRebuildingCover)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CloneStrokeFullSize)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CloneStrokeRecordedAndShown)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CloneStrokeRecordedInFreshMemory)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyPhotoIntoWarmBuffer)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IdleLoadedBrush)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IdleNoBrush)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IdleDesignedPolling)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The main window's case runs against the application, as the program does.
    theApp.InitServices(CCorvaneLoaderApp::InstanceCheck::Shared);
    benchmark::Initialize(&argc, argv);
    BenchPhoto::TheImage();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    theApp.ExitInstance();
    return 0;
}

// Painting a 6000 × 4000 photo in a 1280 × 800 image view (offscreen):
// at the fit-to-window zoom and at 100 %, from the cached picture (an overlay
// repaint) and redrawn from the pixels (cache stale, as after scrolling or a
// new zoom), plus one arrow-key scroll step with its repaint and the first
// paint of a new buffer at fit zoom (which builds the reduced copy); and the
// stretch alone from full resolution beside the stretch from the reduced copy.
//
// Run from build*/bin: ./bench_ViewPaint --benchmark_repetitions=5
//   --benchmark_report_aggregates_only=true
// The photo is /usr/share/doc/opencv-doc/examples/data/building.jpg (package
// opencv-doc) enlarged to 6000 × 4000; without it a synthetic picture is used.
#include <memory>
#include <vector>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>

#include <benchmark/benchmark.h>

#include "BenchPhoto.h"

namespace {

using namespace BenchPhoto;

void Cached(benchmark::State& state, double zoom)
{
    View v(zoom);
    for (auto _ : state) v.view.repaint();
}

void Uncached(benchmark::State& state, double zoom)
{
    View v(zoom);
    int flip = 0;
    for (auto _ : state) {
        // A background change makes the cached picture stale without
        // touching the pixels or the reduced copy.
        v.view.SetBackgroundColor((++flip & 1) ? RGB(150, 150, 151) : RGB(150, 150, 150));
        v.view.repaint();
    }
}

void BM_FitCached(benchmark::State& state) { Cached(state, FitZoom()); }
void BM_FitUncached(benchmark::State& state) { Uncached(state, FitZoom()); }
void BM_FullSizeCached(benchmark::State& state) { Cached(state, 1.0); }
void BM_FullSizeUncached(benchmark::State& state) { Uncached(state, 1.0); }

void BM_FullSizeArrowStep(benchmark::State& state)
{
    View v(1.0);
    v.view.SetDispPosition(2000, 1500);
    int step = 0;
    for (auto _ : state) {
        QKeyEvent key(QEvent::KeyPress, (++step & 1) ? Qt::Key_Right : Qt::Key_Left, Qt::NoModifier);
        QApplication::sendEvent(&v.view, &key);
        v.view.repaint();
    }
}

void BM_FitOverlayRepaint(benchmark::State& state)
{
    View v(FitZoom());
    for (auto _ : state) v.view.repaint(QRect(600, 380, 80, 40));  // a tool outline's area
}

void BM_FitNewBuffer(benchmark::State& state)
{
    View v(FitZoom());
    Photo& photo = TheImage();
    int flip = 0;
    for (auto _ : state) {
        v.view.UpdateBitmap(photo.info, (++flip & 1) ? photo.copy.data() : photo.pixels.data());
        v.view.repaint();
    }
}

// The stretch alone at fit zoom, into a warmed 1280 × 800 picture: from the
// full-resolution rows (what every uncached paint would cost without the
// reduced copy) and from the reduced copy the view keeps.
RECT FitDest() { return {40, 0, 40 + 1200, 800}; }

void BM_FitStretchFullResolution(benchmark::State& state)
{
    Photo& photo = TheImage();
    const ImageWindow::PixelRows rows = ImageWindow::PixelRows::FromDib(photo.info.bmiHeader, photo.pixels.data());
    QImage target(kViewWidth, kViewHeight, QImage::Format_RGB32);
    target.fill(Qt::gray);
    for (auto _ : state) ImageWindow::CDibScaler::DrawDirect(rows, target, FitDest(), {0, 0, kPhotoWidth, kPhotoHeight});
}

void BM_FitStretchReduced(benchmark::State& state)
{
    Photo& photo = TheImage();
    ImageWindow::CDibScaler scaler;
    scaler.SetSource(ImageWindow::PixelRows::FromDib(photo.info.bmiHeader, photo.pixels.data()));
    QImage target(kViewWidth, kViewHeight, QImage::Format_RGB32);
    target.fill(Qt::gray);
    scaler.Draw(target, FitDest(), {0, 0, kPhotoWidth, kPhotoHeight});  // builds the reduced copy
    for (auto _ : state) scaler.Draw(target, FitDest(), {0, 0, kPhotoWidth, kPhotoHeight});
}

BENCHMARK(BM_FitStretchFullResolution)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FitStretchReduced)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FitCached)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FitUncached)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullSizeCached)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullSizeUncached)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullSizeArrowStep)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FitOverlayRepaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FitNewBuffer)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    TheImage();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

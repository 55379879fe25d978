// End-to-end quarter turn of a 24-megapixel photo through the application:
// BeginProcessImage (private copy of the image), the worker thread running
// the rotate operator, the thread message, EndProcessImage (history append)
// and the image handed to the main window; beside it cv::rotate of the same
// image into a buffer already in use, in the same run.
//
// Run from the build's bin folder: bench_AppTurnSpeed [--benchmark_repetitions=N]
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "app/CorvaneLoaderApp.h"
#include "app/HeadlessMainWindow.h"
#include "app/HistoryLock.h"
#include "operations/ImageData.h"
#include "operations/OptGuids.h"
#include "operations/OptParam_Rotate.h"
#include "operations/PixelBuffer.h"

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;  // 24 megapixels, 72 MB at 24 bits

// The main window of the benchmark: takes the image as the view would.
CHeadlessMainWindow g_window;

// A real photo scaled up to 24 MP, as 24-bit BGR rows top first.
cv::Mat LoadPhoto()
{
    cv::Mat photo = cv::imread("/usr/share/doc/opencv-doc/examples/data/aloeL.jpg", cv::IMREAD_COLOR);
    if (photo.empty()) photo = cv::Mat(480, 640, CV_8UC3, cv::Scalar(40, 90, 160));
    cv::Mat large;
    cv::resize(photo, large, cv::Size(kWidth, kHeight), 0, 0, cv::INTER_LINEAR);
    return large;
}

const cv::Mat& Photo()
{
    static const cv::Mat photo = LoadPhoto();
    return photo;
}

// Puts the photo into the history as an opened image (bottom-up DIB rows).
void OpenPhotoInApp()
{
    const cv::Mat& photo = Photo();
    auto* data = new ImageData;
    auto& h = data->m_Header.bmiHeader;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = kWidth;
    h.biHeight = kHeight;
    h.biPlanes = 1;
    h.biBitCount = 24;
    const std::size_t stride = DibStride(kWidth, 24);
    h.biSizeImage = static_cast<DWORD>(stride * kHeight);
    data->m_Pixels.resize(h.biSizeImage);
    for (int y = 0; y < kHeight; ++y)
        std::memcpy(data->m_Pixels.data() + (kHeight - 1 - y) * stride, photo.ptr(y), kWidth * 3);
    auto* open = new OperationManage::Operation;
    open->m_Kind = OPTGUID_OPEN;
    open->m_pData = data;
    {
        HistoryLockGuard lock(HistoryMutex());
        theApp.m_OptHistory.clear();
        theApp.m_OptHistory.Append(*open);
    }
    theApp.m_nAppState = CCorvaneLoaderApp::APPSTATE_EDITING;
}

void QuarterTurnThroughTheApp(bool clockwise)
{
    OperationManage::Operation* operation = theApp.BeginProcessImage();
    OperationManage::OptGuidCopy(operation->m_Kind, OPTGUID_ROTATE);
    operation->m_strName = L"Rotate";
    auto* param = new OptParam_Rotate;
    param->m_nMode = OptParam_Rotate::ROTATE_90;
    param->m_fAngle = 90.0f;
    param->m_bClockwise = clockwise;
    operation->m_pParam = param;
    BeginImageProcessThread(operation);
    theApp.WaitWhileProcessing(60000);
}

void BM_AppQuarterTurn(benchmark::State& state)
{
    OpenPhotoInApp();
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

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    theApp.InitServices(CCorvaneLoaderApp::InstanceCheck::Shared);
    theApp.SetMainWindow(&g_window);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    theApp.m_nAppState = CCorvaneLoaderApp::APPSTATE_IDLE;
    theApp.m_OptHistory.clear();
    theApp.ExitInstance();
    theApp.SetMainWindow(nullptr);
    return 0;
}

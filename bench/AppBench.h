#pragma once
// Shared by the benchmarks that drive the application object: a real photo
// scaled up to 24 megapixels, put into the history as an opened image; one
// operation run through the application as a command would run it
// (BeginProcessImage, the worker thread, the thread message, EndProcessImage);
// and the program's main(). User-interface thread.

#include <cstring>

#include <benchmark/benchmark.h>

#include <QApplication>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "app/CorvaneLoaderApp.h"
#include "app/HistoryLock.h"
#include "operations/ImageData.h"
#include "operations/OptGuids.h"

namespace AppBench {

inline constexpr int kWidth = 6000;
inline constexpr int kHeight = 4000;  // 24 megapixels, 72 MB at 24 bits

/// The photo as 24-bit BGR rows, top row first (loaded once).
inline const cv::Mat& Photo()
{
    static const cv::Mat photo = [] {
        cv::Mat source = cv::imread("/usr/share/doc/opencv-doc/examples/data/aloeL.jpg", cv::IMREAD_COLOR);
        if (source.empty()) source = cv::Mat(480, 640, CV_8UC3, cv::Scalar(40, 90, 160));
        cv::Mat large;
        cv::resize(source, large, cv::Size(kWidth, kHeight), 0, 0, cv::INTER_LINEAR);
        return large;
    }();
    return photo;
}

/// Makes the photo the application's opened image (bottom-up DIB rows, the
/// history holding only its Open entry) and enters the editing state.
inline void OpenPhotoInApp()
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

/// Runs one operation of `kind` with `param` (owned by the operation from
/// now on) through the application and waits until it is recorded; false
/// when none could be begun or it did not end in time.
inline bool RunThroughTheApp(const OperationManage::OPTGUID& kind, const wchar_t* name,
                             OperationManage::IOptParam* param)
{
    OperationManage::Operation* operation = theApp.BeginProcessImage();
    if (!operation) {
        delete param;
        return false;
    }
    OperationManage::OptGuidCopy(operation->m_Kind, kind);
    operation->m_strName = name;
    operation->m_pParam = param;
    BeginImageProcessThread(operation);
    return theApp.WaitWhileProcessing(60000) != FALSE;
}

/// The benchmark program's main(): brings the application up without a
/// screen (offscreen Qt unless QT_QPA_PLATFORM says otherwise) with `window`
/// as its main window, runs the registered benchmarks and shuts down.
inline int RunBenchmarks(int argc, char** argv, IMainWindow& window)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    theApp.InitServices(CCorvaneLoaderApp::InstanceCheck::Shared);
    theApp.SetMainWindow(&window);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    theApp.m_nAppState = CCorvaneLoaderApp::APPSTATE_IDLE;
    theApp.m_OptHistory.clear();
    theApp.ExitInstance();
    theApp.SetMainWindow(nullptr);
    return 0;
}

} // namespace AppBench

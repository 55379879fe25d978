#pragma once
// Helpers of the application-core tests: a main window stand-in that records
// what the application asked of it, a reader of new log lines, small test
// images and a fixture that puts `theApp` into a known state.

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/CorvaneLoaderApp.h"
#include "operations/ImageData.h"
#include "support/LogWatch.h"

namespace AppTest {

/// Records every call of the application; results can be set per test.
class RecordingMainWindow : public IMainWindow {
public:
    int DoModal() override { return 0; }
    BOOL SetImage(BYTE* bits, BITMAPINFO& info) override;
    BOOL UpdateImage(BYTE* bits, BITMAPINFO& info) override;
    BOOL GetImage(CBitmap&) override { return FALSE; }
    double SetDisplayScale(int adaptMode, int index) override;
    void UpdateToolbarState() override { calls.push_back("UpdateToolbarState"); }
    void UpdateStatusImageInfo() override { calls.push_back("UpdateStatusImageInfo"); }
    void UpdateStatusCursorPos() override { calls.push_back("UpdateStatusCursorPos"); }
    void UpdateStatusPixelColor() override { calls.push_back("UpdateStatusPixelColor"); }
    void SetCaption(const std::wstring& text) override { caption = text; }
    BOOL OnFileClose() override;
    void OnAccelerator(UINT id) override { commands.push_back(id); }
    void EnableImageView(bool enable) override { viewEnabled = enable; calls.push_back(enable ? "Enable" : "Disable"); }
    void FocusImageView() override { calls.push_back("FocusImageView"); }
    void UnloadToolAndClearImage() override;
    BOOL IsWindowVisible() const override { return visible; }
    RECT GetWindowRect() const override { return rect; }
    bool IsIconic() const override { return iconic; }
    bool IsZoomed() const override { return zoomed; }
    QWidget* GetWidget() override { return widget; }
    QWidget* GetToolbarWidget() override { return toolbar; }
    QWidget* GetImageViewWidget() override { return view; }

    /// Width and height of the image the view shows now (0 when none).
    LONG ShownWidth() const { return shown ? shownHeader.bmiHeader.biWidth : 0; }
    LONG ShownHeight() const { return shown ? shownHeader.bmiHeader.biHeight : 0; }

    std::vector<std::string> calls;
    std::vector<UINT> commands;
    std::wstring caption;
    bool viewEnabled{true};
    BYTE* shown{nullptr};         ///< pixels the view shows now
    BITMAPINFO shownHeader{};
    int setImageCount{0};
    int updateImageCount{0};
    bool failSetImage{false};
    bool failUpdateImage{false};
    std::size_t historyAtUnload{0};  ///< history entries when the view last let go of its image
    BOOL closeResult{TRUE};       ///< what OnFileClose answers
    bool closeEndsEditing{true};  ///< OnFileClose ends the editing period as the real window does
    int lastAdaptMode{-1};
    int lastScaleIndex{-1};
    BOOL visible{TRUE};
    RECT rect{10, 20, 810, 620};
    bool iconic{false};
    bool zoomed{false};
    QWidget* widget{nullptr};
    QWidget* toolbar{nullptr};
    QWidget* view{nullptr};

private:
    // Records `call`; unless `fail` is set or there are no pixels, counts it
    // in `count` and shows the image.
    BOOL Show(const char* call, bool fail, int& count, BYTE* bits, const BITMAPINFO& info);
};

/// Reads the log lines written since construction (or the last Mark()); the
/// log of this test program has a folder of its own.
using LogWatch = CorvaneTest::LogWatch;

/// A `width` x `height` picture at `bitCount` (24 or 32) bits, bottom-up rows,
/// whose every pixel differs: blue = x, green = y, red = x + 2y (mod 256).
ImageData MakeImage(int width, int height, int bitCount = 24);
/// Byte offset of picture pixel (x, y), row 0 at the TOP.
std::size_t PixelOffset(const BITMAPINFO& header, int x, int yFromTop);
/// Writes a 24- or 32-bit picture with that pattern to `path` (format from
/// the extension) with Qt; true when written.
bool WriteTestPicture(const std::wstring& path, int width, int height);

/// Fixture: `theApp` set up once for the test program (libraries,
/// dictionaries, message queue) and, for each test, back in the idle state
/// with an empty history, the recording window and a message-box hook that
/// answers `boxAnswer` and records every text.
class AppFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Opens `path` as the editing period; fails the test when it cannot.
    void Open(const std::wstring& path);
    /// Begins an operation of `kind` with `param`, runs it on the worker
    /// thread and waits for its message to be handled.
    void RunThreaded(const OperationManage::OPTGUID& kind, OperationManage::IOptParam* param,
                     const wchar_t* name = L"Test");

    RecordingMainWindow window;
    std::vector<std::wstring> boxes;  ///< texts of the message boxes shown
    std::vector<UINT> boxTypes;
    int boxAnswer{IDOK};
};

} // namespace AppTest

#include "AppTestSupport.h"

#include <filesystem>
#include <cstdlib>
#include <fstream>

#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QImage>

#include "Tracewell/Log.h"
#include "app/HistoryLock.h"
#include "io/ImageFile.h"
#include "operations/Operators.h"
#include "platform/TextConvert.h"

namespace AppTest {

namespace {

// Puts theApp back into the idle state with nothing loaded.
void ResetApp()
{
    theApp.DispatchThreadMessages();
    {
        HistoryLockGuard lock(HistoryMutex());
        theApp.m_OptHistory.clear();
    }
    theApp.m_pEditFile.reset();
    theApp.m_bModified = FALSE;
    theApp.m_bFromClipboard = FALSE;
    theApp.m_nAppState = CCorvaneLoaderApp::APPSTATE_IDLE;
}

// Brings the application object up once for the whole test program, as the
// batch tool does: libraries, dictionaries, file types, hotkeys, queue.
class AppEnvironment : public ::testing::Environment {
public:
    // The log of this test program goes to a folder of its own, so that the
    // lines other test programs write at the same time never mix into the
    // lines a test reads back.
    void SetUp() override
    {
        const char* base = std::getenv("CORVANE_LOG_DIR");
        m_logFolder = std::filesystem::path(base && *base ? base : QDir::tempPath().toStdString()) /
                      ("test_app-" + std::to_string(getpid()));
        setenv("CORVANE_LOG_DIR", m_logFolder.c_str(), 1);
        theApp.InitServices(CCorvaneLoaderApp::InstanceCheck::Shared);
    }
    void TearDown() override
    {
        ResetApp();
        theApp.ExitInstance();
        std::error_code ignored;
        if (::testing::UnitTest::GetInstance()->Passed()) std::filesystem::remove_all(m_logFolder, ignored);
    }

private:
    std::filesystem::path m_logFolder;
};

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new AppEnvironment);

} // namespace

// ---- RecordingMainWindow ----------------------------------------------------------

BOOL RecordingMainWindow::SetImage(BYTE* bits, BITMAPINFO& info)
{
    calls.push_back("SetImage");
    if (failSetImage || !bits) return FALSE;
    ++setImageCount;
    shown = bits;
    shownHeader = info;
    return TRUE;
}

BOOL RecordingMainWindow::UpdateImage(BYTE* bits, BITMAPINFO& info)
{
    calls.push_back("UpdateImage");
    if (failUpdateImage || !bits) return FALSE;
    ++updateImageCount;
    shown = bits;
    shownHeader = info;
    return TRUE;
}

double RecordingMainWindow::SetDisplayScale(int adaptMode, int index)
{
    calls.push_back("SetDisplayScale");
    lastAdaptMode = adaptMode;
    lastScaleIndex = index;
    return 1.0;
}

BOOL RecordingMainWindow::OnFileClose()
{
    calls.push_back("OnFileClose");
    if (!closeResult) return FALSE;
    if (closeEndsEditing && theApp.m_nAppState == CCorvaneLoaderApp::APPSTATE_EDITING) {
        theApp.EndEditImageFile();
        theApp.UpdateWindowTitle();
    }
    return TRUE;
}

void RecordingMainWindow::UnloadToolAndClearImage()
{
    calls.push_back("UnloadToolAndClearImage");
    shown = nullptr;
}

// ---- LogWatch -----------------------------------------------------------------------

void LogWatch::Mark()
{
    std::error_code error;
    const auto size = std::filesystem::file_size(WideToUtf8(GetLogFilePath()), error);
    m_offset = error ? 0 : size;
}

std::vector<std::string> LogWatch::Lines() const
{
    std::ifstream in(WideToUtf8(GetLogFilePath()), std::ios::binary);
    in.seekg(static_cast<std::streamoff>(m_offset));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool LogWatch::Contains(const std::string& text) const { return Count(text) > 0; }

int LogWatch::Count(const std::string& text) const
{
    int count = 0;
    for (const std::string& line : Lines()) count += line.find(text) != std::string::npos ? 1 : 0;
    return count;
}

// ---- images ---------------------------------------------------------------------------

std::size_t PixelOffset(const BITMAPINFO& header, int x, int yFromTop)
{
    const auto& h = header.bmiHeader;
    const std::size_t stride = DibStride(h.biWidth, h.biBitCount);
    return static_cast<std::size_t>(h.biHeight - 1 - yFromTop) * stride + static_cast<std::size_t>(x) * (h.biBitCount / 8);
}

ImageData MakeImage(int width, int height, int bitCount)
{
    ImageData data;
    auto& h = data.m_Header.bmiHeader;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bitCount);
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(DibStride(width, h.biBitCount) * height);
    data.m_Pixels.assign(h.biSizeImage, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            unsigned char* p = data.m_Pixels.data() + PixelOffset(data.m_Header, x, y);
            p[0] = static_cast<unsigned char>(x);
            p[1] = static_cast<unsigned char>(y);
            p[2] = static_cast<unsigned char>(x + 2 * y);
            if (bitCount == 32) p[3] = 255;
        }
    }
    return data;
}

bool WriteTestPicture(const std::wstring& path, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb((x + 2 * y) & 0xFF, y & 0xFF, x & 0xFF));
    return image.save(QString::fromStdWString(path), nullptr, 95);
}

std::wstring ScratchFolder(const std::string& name)
{
    const std::filesystem::path folder =
        std::filesystem::path(QDir::tempPath().toStdString()) / ("corvane-app-tests-" + std::to_string(getpid())) / name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return Utf8ToWide(folder.string() + "/");
}

// ---- AppFixture -------------------------------------------------------------------------

void AppFixture::SetUp()
{
    ResetApp();
    theApp.SetMainWindow(&window);
    theApp.SetMessageBoxHook([this](const std::wstring& text, UINT type) {
        boxes.push_back(text);
        boxTypes.push_back(type);
        return boxAnswer;
    });
}

void AppFixture::TearDown()
{
    theApp.WaitWhileProcessing(10000);
    ResetApp();
    theApp.SetMainWindow(nullptr);
    theApp.SetMessageBoxHook(nullptr);
}

void AppFixture::Open(const std::wstring& path)
{
    ASSERT_TRUE(theApp.SetEditImageFile(path.c_str()));
    ASSERT_EQ(theApp.m_nAppState, CCorvaneLoaderApp::APPSTATE_EDITING);
}

void AppFixture::RunThreaded(const OperationManage::OPTGUID& kind, OperationManage::IOptParam* param,
                             const wchar_t* name)
{
    OperationManage::Operation* operation = theApp.BeginProcessImage();
    ASSERT_NE(operation, nullptr);
    OperationManage::OptGuidCopy(operation->m_Kind, kind);
    operation->m_strName = name;
    operation->m_pParam = param;
    ASSERT_TRUE(BeginImageProcessThread(operation));
    ASSERT_TRUE(theApp.WaitWhileProcessing(20000));
}

} // namespace AppTest

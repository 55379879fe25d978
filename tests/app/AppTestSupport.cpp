#include "AppTestSupport.h"

#include <optional>

#include <QImage>

#include "io/ImageFile.h"
#include "operations/Operators.h"
#include "support/AppReset.h"
#include "support/PrivateLogFolder.h"
#include "support/TempFolder.h"

namespace AppTest {

namespace {

// Puts theApp back into the idle state with nothing loaded.
void ResetApp()
{
    CorvaneTest::ClearEditing();
    theApp.m_nAppState = CCorvaneLoaderApp::APPSTATE_IDLE;
}

// Brings the application object up once for the whole test program, as the
// batch tool does: libraries, dictionaries, file types, hotkeys, queue.
class AppEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        m_logFolder.emplace("test_app");
        theApp.InitServices(CCorvaneLoaderApp::InstanceCheck::Shared);
    }
    void TearDown() override
    {
        ResetApp();
        theApp.ExitInstance();
        m_logFolder.reset();
    }

private:
    std::optional<CorvaneTest::PrivateLogFolder> m_logFolder;
};

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new AppEnvironment);

} // namespace

// ---- RecordingMainWindow ----------------------------------------------------------

BOOL RecordingMainWindow::SetImage(BYTE* bits, BITMAPINFO& info)
{
    return Show("SetImage", failSetImage, setImageCount, bits, info);
}

BOOL RecordingMainWindow::UpdateImage(BYTE* bits, BITMAPINFO& info)
{
    return Show("UpdateImage", failUpdateImage, updateImageCount, bits, info);
}

BOOL RecordingMainWindow::Show(const char* call, bool fail, int& count, BYTE* bits, const BITMAPINFO& info)
{
    calls.push_back(call);
    if (fail || !bits) return FALSE;
    ++count;
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
    historyAtUnload = theApp.m_OptHistory.size();
    shown = nullptr;
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

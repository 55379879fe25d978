#include "MainWndTestSupport.h"

#include <algorithm>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QTest>

#include "app/CommandIds.h"
#include "app/WndState.h"
#include "controls/FGToolbar.h"
#include "io/FixedEncoderOptionsProvider.h"
#include "io/ImageFile.h"
#include "io/IEncoderOptionsProvider.h"
#include "operations/ImageData.h"
#include "platform/TextConvert.h"
#include "support/AppReset.h"
#include "support/TempFolder.h"

namespace MainWndTest {

namespace {

// Brings the application object up once for the test program, as the batch
// tool does (libraries, dictionaries, skin, tools, message queue), and shuts
// it down at the end.
class AppEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        theApp.InitServices(CCorvaneLoaderApp::InstanceCheck::Shared);
        // Saves never ask for JPEG or TIFF options in these tests.
        Carrow::FileIO::SetEncoderOptionsProvider(std::make_shared<Carrow::FileIO::FixedEncoderOptionsProvider>());
    }
    void TearDown() override { theApp.ExitInstance(); }
};

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new AppEnvironment);

void ResetApp()
{
    theApp.WaitWhileProcessing(20000);
    CorvaneTest::ClearEditing();
    theApp.m_bmpClipboard.Detach();
}

const ImageData* CurrentData()
{
    for (std::size_t index = theApp.m_OptHistory.CurrentIndex() + 1; index-- > 0;) {
        const auto* data = dynamic_cast<const ImageData*>(theApp.m_OptHistory.Get(index)->m_pData);
        if (data && data->HasPixels()) return data;
    }
    return nullptr;
}

} // namespace

std::vector<BYTE> StorePlacement(CWndState* placement)
{
    std::vector<BYTE> bytes;
    if (placement) placement->Serialize(bytes);
    // An empty value counts as nothing stored.
    theApp.WriteProfileBinary(L"", L"corvaneloader_dlg", bytes);
    return bytes;
}

QImage PatternImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(x & 0xFF, y & 0xFF, (x + 2 * y) & 0xFF));
    return image;
}

void SaveImage(const QImage& image, const std::wstring& path)
{
    ASSERT_TRUE(image.save(QString::fromStdWString(path))) << WideToUtf8(path);
}

QImage CurrentSnapshot()
{
    if (theApp.m_OptHistory.empty()) return {};
    const ImageData* data = CurrentData();
    if (!data) return {};
    const BITMAPINFOHEADER& h = data->m_Header.bmiHeader;
    const QImage::Format format = h.biBitCount == 32 ? QImage::Format_RGB32 : QImage::Format_BGR888;
    const QImage rows(data->m_Pixels.data(), h.biWidth, h.biHeight, static_cast<qsizetype>(DibStride(h.biWidth, h.biBitCount)),
                      format);
    return rows.mirrored(false, true).convertToFormat(QImage::Format_RGB888);  // bottom-up rows, row 0 at the top now
}

std::size_t HistorySize() { return theApp.m_OptHistory.size(); }

// ---- fixture -----------------------------------------------------------------------

void MainWindowFixture::SetUp()
{
    ResetApp();
    theApp.m_nAppState = CCorvaneLoaderApp::APPSTATE_STARTING;
    folder = scratch.WideFolder();
    theApp.SetMessageBoxHook([this](const std::wstring& text, UINT type) {
        boxes.push_back(text);
        boxTypes.push_back(type);
        if (boxAnswers.empty()) return IDOK;
        const int answer = boxAnswers.front();
        boxAnswers.erase(boxAnswers.begin());
        return answer;
    });
    CFGFileDialog::SetModalHook([this](CFGFileDialog& fileDialog) -> INT_PTR {
        fileDialogs.push_back({fileDialog.IsOpenDialog() == TRUE, fileDialog.GetProposedFileName(),
                               fileDialog.GetFilters()});
        if (m_fileAnswers.empty() || m_fileAnswers.front().first.empty()) {
            if (!m_fileAnswers.empty()) m_fileAnswers.erase(m_fileAnswers.begin());
            return IDCANCEL;
        }
        fileDialog.SetResult(m_fileAnswers.front().first.c_str(), m_fileAnswers.front().second);
        m_fileAnswers.erase(m_fileAnswers.begin());
        return IDOK;
    });
    CFGDialog::SetModalHook([this](CFGDialog& modal) -> INT_PTR {
        modalDialogs.push_back(modal.metaObject()->className());
        return IDOK;
    });
}

void MainWindowFixture::TearDown()
{
    theApp.WaitWhileProcessing(20000);
    if (dialog) dialog->hide();
    ResetApp();
    theApp.m_nAppState = CCorvaneLoaderApp::APPSTATE_IDLE;
    dialog.reset();
    theApp.SetMainWindow(nullptr);
    theApp.SetMessageBoxHook(nullptr);
    CFGFileDialog::SetModalHook(nullptr);
    CFGDialog::SetModalHook(nullptr);
    QGuiApplication::clipboard()->clear();
    Pump();
}

void MainWindowFixture::CreateMainDialog()
{
    dialog = std::make_unique<CMainDlg>();
    theApp.SetMainWindow(dialog.get());
    ASSERT_TRUE(dialog->Create(CMainDlg::IDD, nullptr));
}

void MainWindowFixture::CreateWindow(bool storedPlacement)
{
    CWndState placement(L"corvaneloader_dlg");
    placement.m_rcWindow = RECT{40, 40, 1040, 740};
    StorePlacement(storedPlacement ? &placement : nullptr);
    CreateMainDialog();
    if (HasFatalFailure()) return;
    dialog->resize(1000, 700);
    dialog->show();
    Pump();
    ASSERT_EQ(theApp.m_nAppState, CCorvaneLoaderApp::APPSTATE_IDLE);
}

void MainWindowFixture::AnswerFileDialog(const std::wstring& path, DWORD filterIndex)
{
    m_fileAnswers.emplace_back(path, filterIndex);
}

void MainWindowFixture::OpenThroughDialog(const std::wstring& path)
{
    AnswerFileDialog(path);
    dialog->DispatchCommand(IDM_OPEN);
    ASSERT_EQ(theApp.m_nAppState, CCorvaneLoaderApp::APPSTATE_EDITING);
}

void MainWindowFixture::PressKey(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(&dialog->GetDisplayWnd(), key, modifiers);
}

void MainWindowFixture::TypeIntoWindow(QWidget* focus, Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    focus->setFocus(Qt::OtherFocusReason);
    ASSERT_EQ(QApplication::focusWidget(), focus);
    QTest::keyClick(dialog->windowHandle(), key, modifiers);
}

void MainWindowFixture::ClickThroughWindow(const QPoint& point)
{
    const QPoint inWindow = dialog->GetDisplayWnd().mapTo(dialog.get(), point);
    QTest::mouseClick(dialog->windowHandle(), Qt::LeftButton, {}, inWindow);
}

void MainWindowFixture::WaitForOperation() { ASSERT_TRUE(theApp.WaitWhileProcessing(20000)); }

void MainWindowFixture::ClickView(const QPoint& point)
{
    QTest::mousePress(&dialog->GetDisplayWnd(), Qt::LeftButton, {}, point);
    QTest::mouseRelease(&dialog->GetDisplayWnd(), Qt::LeftButton, {}, point);
}

QPoint MainWindowFixture::ViewPointOf(int x, int y)
{
    POINT point{x, y};
    dialog->GetDisplayWnd().FromBitmapToWnd(point);
    return QPoint(point.x, point.y);
}

void MainWindowFixture::Pump(int ms)
{
    QCoreApplication::processEvents();
    if (ms > 0) QTest::qWait(ms);
    QCoreApplication::processEvents();
}

std::wstring MainWindowFixture::StatusText(int part) { return dialog->GetStatusBar().GetText(part); }

std::vector<UINT> MainWindowFixture::EnabledButtons()
{
    std::vector<UINT> enabled;
    CFGToolbar& toolbar = dialog->GetToolbar();
    for (int index = 0; index < toolbar.GetItemCount(); ++index) {
        const UINT id = toolbar.GetItemID(index);
        if (id != 0 && toolbar.IsButtonEnabled(id)) enabled.push_back(id);
    }
    std::sort(enabled.begin(), enabled.end());
    return enabled;
}

} // namespace MainWndTest

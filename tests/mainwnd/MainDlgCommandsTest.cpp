// The main window driven as a user drives it: opening, the spot remover's
// click, undo and redo, turns and flips by key, the toolbar in each state,
// commands while an operation runs, saving (a long save shows its progress)
// and closing with their questions,
// pasting, dropping files and copying.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

#include <QClipboard>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QTransform>
#include <QUrl>

#include "MainWndTestSupport.h"
#include "Wordhoard/LocalizeHelper.h"
#include "app/CommandIds.h"
#include "app/SaveProgressReporter.h"
#include "controls/FGMultiSliderPanel.h"
#include "imagewindow/tools/SpotRemover.h"
#include "io/FixedEncoderOptionsProvider.h"
#include "io/ScopedEncoderOptionsProvider.h"
#include "io/AtomicFileWriter.h"
#include "io/ISaveProgress.h"
#include "platform/TextConvert.h"
#include "platform/WideFormat.h"

using namespace MainWndTest;
using App = CCorvaneLoaderApp;

namespace {

// A smooth picture (gradients, as a photograph's sky) with a dark blot of
// radius 3 around (100, 75).
QImage BlottedPicture()
{
    QImage image(200, 150, QImage::Format_RGB888);
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x) image.setPixel(x, y, qRgb(120 + x / 4, 140 + y / 5, 200 - x / 8));
    for (int y = 72; y <= 78; ++y)
        for (int x = 97; x <= 103; ++x)
            if ((x - 100) * (x - 100) + (y - 75) * (y - 75) <= 9) image.setPixel(x, y, qRgb(20, 15, 10));
    return image;
}

std::vector<UINT> Ids(std::initializer_list<UINT> ids)
{
    std::vector<UINT> sorted(ids);
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

} // namespace

class MainWindow : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        CreateWindow();
        original = PatternImage(60, 40);
        photo = folder + L"pattern.png";
        SaveImage(original, photo);
    }

    // Sends `key`, waits for the operation it starts, and expects the shown
    // picture to be `expected`.
    void ExpectKeyGives(Qt::Key key, const QImage& expected)
    {
        PressKey(key);
        WaitForOperation();
        EXPECT_EQ(CurrentSnapshot(), expected) << "key " << key;
    }

    // A drag of `urls` enters the window (which makes it the drop's target),
    // then drops.
    void Drop(const QList<QUrl>& urls)
    {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(200, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(dialog.get(), &enter);
        QDropEvent event(QPointF(200, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(dialog.get(), &event);
        Pump();
    }

    QImage original;
    std::wstring photo;
};

TEST_F(MainWindow, OpensAPhotoChosenInTheOpenDialog)
{
    AnswerFileDialog(L"");  // the first time the user cancels
    dialog->DispatchCommand(IDM_OPEN);
    EXPECT_EQ(theApp.m_nAppState, App::APPSTATE_IDLE);
    OpenThroughDialog(photo);
    ASSERT_EQ(fileDialogs.size(), 2u);
    EXPECT_TRUE(fileDialogs[1].open);
    ASSERT_EQ(fileDialogs[1].filters.size(), 5u);  // all supported types first, then the four
    EXPECT_EQ(fileDialogs[1].filters[0].second, L"*.bmp;*.jpg;*.jpeg;*.png;*.tif;*.tiff");
    EXPECT_EQ(HistorySize(), 1u);
    EXPECT_EQ(CurrentSnapshot(), original);
    EXPECT_EQ(dialog->GetDisplayWnd().iBmpWidth(), 60);
    EXPECT_NE(dialog->GetDisplayWnd().GetEmbeddedTool(), nullptr);  // the spot remover is loaded
    EXPECT_TRUE(dialog->windowTitle().endsWith(QStringLiteral(" - pattern.png")));
    EXPECT_FALSE(StatusText(CMainDlg::STATUS_IMAGEINFO).empty());
}

TEST_F(MainWindow, ToolbarOffersWhatTheApplicationStateAllows)
{
    EXPECT_EQ(EnabledButtons(), Ids({IDM_ABOUT, IDM_OPEN}));
    QGuiApplication::clipboard()->setImage(PatternImage(8, 8));
    dialog->OnTimer(CMainDlg::TIMER_CLIPBOARD);
    EXPECT_EQ(EnabledButtons(), Ids({IDM_ABOUT, IDM_OPEN, IDM_PASTE}));
    QGuiApplication::clipboard()->clear();
    dialog->OnTimer(CMainDlg::TIMER_CLIPBOARD);
    EXPECT_EQ(EnabledButtons(), Ids({IDM_ABOUT, IDM_OPEN}));

    OpenThroughDialog(photo);
    const std::vector<UINT> editing = Ids({IDM_ABOUT, IDM_OPEN, IDM_SAVE, IDM_SAVEAS, IDM_ZOOMIN, IDM_ZOOMOUT,
                                           IDM_MAIN_VIEW_FITWINDOW, IDM_MAIN_VIEW_ORIGINALSIZE, IDM_COPY,
                                           IDM_ROTATELEFT, IDM_ROTATERIGHT, IDM_HORIZONTALFLIP, IDM_VERTICALFLIP});
    EXPECT_EQ(EnabledButtons(), editing);

    PressKey(Qt::Key_R);
    EXPECT_EQ(theApp.m_nAppState, App::APPSTATE_PROCESSING);
    EXPECT_EQ(EnabledButtons(), Ids({IDM_ABOUT}));
    EXPECT_FALSE(dialog->GetDisplayWnd().isEnabled());
    WaitForOperation();
    std::vector<UINT> withUndo = editing;
    withUndo.push_back(IDM_UNDO);
    std::sort(withUndo.begin(), withUndo.end());
    EXPECT_EQ(EnabledButtons(), withUndo);
    EXPECT_TRUE(dialog->GetDisplayWnd().isEnabled());

    dialog->DispatchCommand(IDM_UNDO);
    std::vector<UINT> withRedo = editing;
    withRedo.push_back(IDM_REDO);
    std::sort(withRedo.begin(), withRedo.end());
    EXPECT_EQ(EnabledButtons(), withRedo);
}

TEST_F(MainWindow, ASpotClickMakesOneHistoryEntryAndChangesOnlyTheRepairedSquare)
{
    const QImage blotted = BlottedPicture();
    SaveImage(blotted, folder + L"blot.png");
    OpenThroughDialog(folder + L"blot.png");
    dialog->GetSpotRemoverOptions().GetSliderPanel()->SetSliderValue(0, 15);  // the user sets the spot size
    auto* tool = dynamic_cast<ImageWindow::EmbeddedTool::SpotRemover*>(theApp.GetProductTool());
    ASSERT_NE(tool, nullptr);
    EXPECT_EQ(tool->GetSize(), 15);
    dialog->GetDisplayWnd().SetZoom(1.0);

    ClickView(ViewPointOf(100, 75));
    WaitForOperation();
    EXPECT_EQ(tool->GetSpotPos().x, 100);
    EXPECT_EQ(tool->GetSpotPos().y, 75);
    ASSERT_EQ(HistorySize(), 2u);
    EXPECT_EQ(theApp.m_OptHistory.Current()->m_strName, L"Spot Removal");
    EXPECT_TRUE(theApp.m_bModified);

    const QImage repaired = CurrentSnapshot();
    int changedInside = 0;
    for (int y = 0; y < 150; ++y) {
        for (int x = 0; x < 200; ++x) {
            const bool inSquare = x >= 93 && x <= 107 && y >= 68 && y <= 82;
            if (!inSquare) ASSERT_EQ(repaired.pixel(x, y), blotted.pixel(x, y)) << x << "," << y;
            else changedInside += repaired.pixel(x, y) != blotted.pixel(x, y) ? 1 : 0;
        }
    }
    EXPECT_GT(changedInside, 20);
    EXPECT_GT(qRed(repaired.pixel(100, 75)), 100);  // the dark blot is gone
}

TEST_F(MainWindow, LettersTurnAndFlipAndCtrlZYStepThroughTheHistory)
{
    OpenThroughDialog(photo);
    const QImage left = original.transformed(QTransform().rotate(-90));
    ExpectKeyGives(Qt::Key_L, left);
    ExpectKeyGives(Qt::Key_R, original);
    ExpectKeyGives(Qt::Key_H, original.mirrored(true, false));
    ExpectKeyGives(Qt::Key_V, original.mirrored(true, true));
    EXPECT_EQ(HistorySize(), 5u);

    PressKey(Qt::Key_Z, Qt::ControlModifier);
    PressKey(Qt::Key_Z, Qt::ControlModifier);
    PressKey(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(CurrentSnapshot(), left);
    EXPECT_EQ(dialog->GetDisplayWnd().iBmpWidth(), 40);  // the view shows the undone step
    PressKey(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(CurrentSnapshot(), original);
    EXPECT_EQ(dialog->GetDisplayWnd().iBmpWidth(), 60);
    EXPECT_EQ(HistorySize(), 5u);  // undo and redo never remove entries
}

TEST_F(MainWindow, EveryCommandIsIgnoredWhileAnOperationRuns)
{
    OpenThroughDialog(photo);
    PressKey(Qt::Key_R);
    PressKey(Qt::Key_R);  // still turning: ignored
    EXPECT_FALSE(dialog->DispatchCommand(IDM_OPEN));
    dialog->close();  // the close box does nothing either
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(fileDialogs.size() == 1u && boxes.empty());
    WaitForOperation();
    EXPECT_EQ(HistorySize(), 2u);
    EXPECT_EQ(CurrentSnapshot(), original.transformed(QTransform().rotate(90)));  // turned once
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(MainWindow, CtrlSSavesInPlaceAndCtrlShiftSReachesSaveAs)
{
    OpenThroughDialog(photo);
    ExpectKeyGives(Qt::Key_H, original.mirrored(true, false));
    PressKey(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(fileDialogs.size(), 1u);  // Save asked nothing
    EXPECT_FALSE(theApp.m_bModified);
    EXPECT_EQ(QImage(QString::fromStdWString(photo)).convertToFormat(QImage::Format_RGB888),
              original.mirrored(true, false));

    AnswerFileDialog(L"");
    PressKey(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(fileDialogs.size(), 2u);
    EXPECT_FALSE(fileDialogs[1].open);
    EXPECT_EQ(fileDialogs[1].proposedName, L"pattern.png");
    ASSERT_EQ(fileDialogs[1].filters.size(), 4u);  // no entry for all types; the photo's own type first
    EXPECT_EQ(fileDialogs[1].filters[0].second, L"*.png");
    EXPECT_EQ(fileDialogs[1].filters[1].second, L"*.bmp");
}

TEST_F(MainWindow, SaveAsWritesTheChosenTypeAndContinuesWithTheNewFile)
{
    OpenThroughDialog(photo);
    ExpectKeyGives(Qt::Key_V, original.mirrored(false, true));
    AnswerFileDialog(folder + L"copy", 2);  // BMP, typed without an extension
    dialog->DispatchCommand(IDM_SAVEAS);
    const std::wstring copy = folder + L"copy.bmp";
    ASSERT_TRUE(std::filesystem::exists(copy));
    EXPECT_EQ(std::wstring(theApp.GetEditFilePath()), copy);
    EXPECT_EQ(HistorySize(), 1u);
    EXPECT_FALSE(theApp.m_bModified);
    EXPECT_EQ(CurrentSnapshot(), original.mirrored(false, true));
    EXPECT_EQ(QImage(QString::fromStdWString(photo)).convertToFormat(QImage::Format_RGB888), original);
}

TEST_F(MainWindow, SaveAsWritesTheFormatOfATypedExtensionWhateverTypeIsSelected)
{
    auto options = std::make_shared<Carrow::FileIO::FixedEncoderOptionsProvider>();
    Carrow::FileIO::ScopedEncoderOptionsProvider scope(options);
    auto magicOf = [](const std::wstring& path) {
        std::ifstream file(std::filesystem::path(path), std::ios::binary);
        std::string head(4, '\0');
        file.read(head.data(), 4);
        return head;
    };
    OpenThroughDialog(photo);
    ExpectKeyGives(Qt::Key_H, original.mirrored(true, false));
    // The types are offered with the photo's own first: PNG, BMP, JPEG, TIFF.
    AnswerFileDialog(folder + L"typed.png", 3);  // JPEG selected, "typed.png" typed
    dialog->DispatchCommand(IDM_SAVEAS);
    EXPECT_EQ(magicOf(folder + L"typed.png"), std::string("\x89PNG"));
    EXPECT_EQ(options->AskCount(), 0);  // no JPEG question for a PNG
    EXPECT_EQ(std::wstring(theApp.GetEditFilePath()), folder + L"typed.png");

    ExpectKeyGives(Qt::Key_H, original);
    AnswerFileDialog(folder + L"typed.JPG", 1);  // PNG selected, a JPEG name typed
    dialog->DispatchCommand(IDM_SAVEAS);
    EXPECT_EQ(magicOf(folder + L"typed.JPG").substr(0, 3), std::string("\xFF\xD8\xFF"));
    EXPECT_EQ(options->AskCount(), 1);  // the JPEG options were asked

    PressKey(Qt::Key_V);  // the reopened JPEG is lossy: no exact picture to expect
    WaitForOperation();
    AnswerFileDialog(folder + L"typed.xyz", 2);  // an unknown extension: the selected type
    dialog->DispatchCommand(IDM_SAVEAS);
    EXPECT_EQ(magicOf(folder + L"typed.xyz").substr(0, 2), std::string("BM"));
}

TEST_F(MainWindow, ClosingAModifiedFileAsksAndHonoursTheAnswer)
{
    OpenThroughDialog(photo);
    ExpectKeyGives(Qt::Key_H, original.mirrored(true, false));
    boxAnswers = {IDCANCEL};
    EXPECT_FALSE(dialog->OnFileClose());
    EXPECT_EQ(theApp.m_nAppState, App::APPSTATE_EDITING);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find(photo), std::wstring::npos);
    EXPECT_EQ(boxTypes[0], static_cast<UINT>(MB_YESNOCANCEL | MB_ICONQUESTION));

    boxAnswers = {IDYES};
    EXPECT_TRUE(dialog->OnFileClose());
    EXPECT_EQ(theApp.m_nAppState, App::APPSTATE_IDLE);
    EXPECT_EQ(QImage(QString::fromStdWString(photo)).convertToFormat(QImage::Format_RGB888),
              original.mirrored(true, false));
    EXPECT_TRUE(dialog->windowTitle().endsWith(QString::fromStdWString(theApp.m_strAppName)));

    OpenThroughDialog(photo);
    ExpectKeyGives(Qt::Key_H, original);
    boxAnswers = {IDNO};
    EXPECT_TRUE(dialog->OnFileClose());
    EXPECT_EQ(QImage(QString::fromStdWString(photo)).convertToFormat(QImage::Format_RGB888),
              original.mirrored(true, false));  // not saved
}

TEST_F(MainWindow, APastedPictureIsSavedOnlyThroughSaveAsAndStaysOpenWhenThatIsCancelled)
{
    const QImage pasted = PatternImage(30, 20);
    QGuiApplication::clipboard()->setImage(pasted);
    dialog->OnTimer(CMainDlg::TIMER_CLIPBOARD);
    dialog->DispatchCommand(IDM_PASTE);
    ASSERT_EQ(theApp.m_nAppState, App::APPSTATE_EDITING);
    EXPECT_TRUE(theApp.m_bFromClipboard && theApp.m_bModified);
    EXPECT_TRUE(dialog->windowTitle().endsWith(QStringLiteral(" - Clipboard.bmp")));
    EXPECT_EQ(CurrentSnapshot(), pasted);

    AnswerFileDialog(L"");
    PressKey(Qt::Key_S, Qt::ControlModifier);  // Save of a pasted picture is Save As
    ASSERT_EQ(fileDialogs.size(), 1u);
    EXPECT_FALSE(fileDialogs[0].open);
    EXPECT_EQ(fileDialogs[0].proposedName, L"Clipboard.bmp");

    // Yes, then cancelling Save As, keeps the picture for Close, Open and Paste.
    boxAnswers = {IDYES, IDYES, IDYES};
    AnswerFileDialog(L"");
    EXPECT_FALSE(dialog->OnFileClose());
    AnswerFileDialog(L"");
    dialog->DispatchCommand(IDM_OPEN);
    AnswerFileDialog(L"");
    dialog->DispatchCommand(IDM_PASTE);
    EXPECT_EQ(theApp.m_nAppState, App::APPSTATE_EDITING);
    EXPECT_TRUE(theApp.m_bFromClipboard && theApp.m_bModified);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxTypes[1], static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));  // Open asks Yes or No
    for (const auto& call : fileDialogs) EXPECT_FALSE(call.open);  // no Open dialog was reached

    // Yes with a name: saved, and that file is now the one being edited.
    boxAnswers = {IDYES};
    AnswerFileDialog(folder + L"pasted.png", 1);
    EXPECT_TRUE(dialog->OnFileClose());
    EXPECT_EQ(QImage(QString::fromStdWString(folder + L"pasted.png")).convertToFormat(QImage::Format_RGB888), pasted);
    EXPECT_EQ(theApp.m_nAppState, App::APPSTATE_IDLE);
}

TEST_F(MainWindow, OnlyASingleDroppedFileIsOpened)
{
    auto drop = [this](const std::vector<std::wstring>& paths) {
        QList<QUrl> urls;
        for (const auto& path : paths) urls << QUrl::fromLocalFile(QString::fromStdWString(path));
        Drop(urls);
    };
    const std::wstring other = folder + L"other.png";
    SaveImage(PatternImage(20, 10), other);
    drop({photo, other});
    EXPECT_EQ(theApp.m_nAppState, App::APPSTATE_IDLE);
    drop({photo});
    ASSERT_EQ(theApp.m_nAppState, App::APPSTATE_EDITING);
    EXPECT_EQ(std::wstring(theApp.GetEditFilePath()), photo);

    PressKey(Qt::Key_R);
    dialog->OnDropFiles({other});  // while turning: ignored
    WaitForOperation();
    EXPECT_EQ(std::wstring(theApp.GetEditFilePath()), photo);
    EXPECT_EQ(HistorySize(), 2u);

    boxAnswers = {IDNO};  // drop onto a modified photo: asked, not saved
    drop({other});
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(std::wstring(theApp.GetEditFilePath()), other);
}

TEST_F(MainWindow, ADroppedPhotoWhoseNameIsNotUtf8OpensAndIsNamedReadably)
{
    // "café" with a Latin-1 byte, as a file manager puts it into the drop.
    const std::string latin1 = WideToUtf8(folder) + "caf\xE9.png";
    std::filesystem::rename(std::filesystem::path(WideToUtf8(photo)), std::filesystem::path(latin1));
    Drop({QUrl::fromEncoded(QByteArray("file://") + QByteArray(latin1.c_str()).toPercentEncoding("/"))});
    ASSERT_EQ(theApp.m_nAppState, App::APPSTATE_EDITING);
    EXPECT_EQ(WideToFileName(theApp.GetEditFilePath()), latin1);
    EXPECT_TRUE(dialog->windowTitle().endsWith(QString::fromUtf8(" - caf\xC3\xA9.png"))) << dialog->windowTitle().toStdString();

    // Save As under such a name with a typed extension: the extension picks
    // the format and the bytes of the name reach the file system unchanged.
    const std::string copy = WideToUtf8(folder) + "caf\xE9-copy.bmp";
    AnswerFileDialog(FileNameToWide(copy), 1);  // PNG selected, ".bmp" typed
    dialog->DispatchCommand(IDM_SAVEAS);
    std::ifstream file(std::filesystem::path(copy), std::ios::binary);
    std::string head(2, '\0');
    file.read(head.data(), 2);
    EXPECT_EQ(head, "BM");
    EXPECT_EQ(WideToFileName(theApp.GetEditFilePath()), copy);
}

TEST_F(MainWindow, CopyPutsTheShownPictureOnTheClipboard)
{
    OpenThroughDialog(photo);
    ExpectKeyGives(Qt::Key_V, original.mirrored(false, true));
    PressKey(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB888),
              original.mirrored(false, true));
    dialog->OnTimer(CMainDlg::TIMER_CLIPBOARD);
    EXPECT_NE(theApp.m_bmpClipboard.GetSafeHandle(), nullptr);
}

TEST_F(MainWindow, EnterKeepsTheWindowAndEscapeExitsStoringThePlacement)
{
    PressKey(Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible());
    theApp.WriteProfileBinary(L"", L"corvaneloader_dlg", {});
    PressKey(Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(dialog->IsClipboardWatchRunning());
    EXPECT_FALSE(dialog->GetToolOptions().IsLineTimerRunning());
    std::vector<BYTE> stored;
    EXPECT_TRUE(theApp.GetProfileBinary(L"", L"corvaneloader_dlg", stored));
    EXPECT_EQ(stored.size(), 28u);
}

TEST_F(MainWindow, TheCloseBoxAsksBeforeAModifiedPhotoIsLost)
{
    OpenThroughDialog(photo);
    ExpectKeyGives(Qt::Key_H, original.mirrored(true, false));
    boxAnswers = {IDCANCEL};
    dialog->close();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(boxes.size(), 1u);
    boxAnswers = {IDNO};
    dialog->close();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(theApp.m_nAppState, App::APPSTATE_IDLE);
}

TEST_F(MainWindow, KeysTypedIntoTheSpotSizeBoxStayInTheBox)
{
    OpenThroughDialog(photo);
    QLineEdit* box = dialog->findChild<QLineEdit*>();
    ASSERT_NE(box, nullptr);
    for (Qt::Key key : {Qt::Key_R, Qt::Key_L, Qt::Key_H, Qt::Key_V, Qt::Key_Up}) QTest::keyClick(box, key);
    QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(theApp.m_nAppState, App::APPSTATE_EDITING);
    EXPECT_EQ(HistorySize(), 1u);  // nothing turned or flipped

    // Back on the picture, the same key turns it.
    PressKey(Qt::Key_R);
    WaitForOperation();
    EXPECT_EQ(HistorySize(), 2u);
}

namespace {

// A disk that takes 1.2 s to flush a saved file.
int SlowFlush(int fd)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    return ::fsync(fd);
}

// Counts the paint events a widget gets while the application is busy.
class BusyPaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && theApp.m_nAppState == App::APPSTATE_PROCESSING) ++paints;
        return false;
    }
};

} // namespace

TEST_F(MainWindow, ASaveLongerThanHalfASecondShowsItsProgressWhileTheWindowRepaints)
{
    OpenThroughDialog(photo);
    ExpectKeyGives(Qt::Key_H, original.mirrored(true, false));
    const std::wstring imageInfo = StatusText(CMainDlg::STATUS_IMAGEINFO);
    const auto previousObserver = Carrow::FileIO::SetSaveProgress(std::make_shared<CSaveProgressReporter>());
    const auto previousCalls = Carrow::FileIO::AtomicFileWriter::SetSystemCalls({SlowFlush, nullptr});
    BusyPaintCounter counter;
    dialog->GetStatusBar().installEventFilter(&counter);
    // A timer fires only while the window's event loop runs.
    std::wstring shownDuringSave;
    QTimer::singleShot(900, dialog.get(), [&] { shownDuringSave = StatusText(CMainDlg::STATUS_IMAGEINFO); });
    PressKey(Qt::Key_S, Qt::ControlModifier);
    dialog->GetStatusBar().removeEventFilter(&counter);
    Carrow::FileIO::AtomicFileWriter::SetSystemCalls(previousCalls);
    Carrow::FileIO::SetSaveProgress(previousObserver);

    EXPECT_EQ(shownDuringSave, FormatWide(LocalizeHelper::GetDictionaryItem("Dictionary", L"IDS_VELMIRA_MSG_SAVING"), L"100 %"));
    EXPECT_GT(counter.paints, 0) << "the status bar repainted during the save";
    EXPECT_EQ(StatusText(CMainDlg::STATUS_IMAGEINFO), imageInfo) << "the image information is back";
    EXPECT_EQ(theApp.m_nAppState, App::APPSTATE_EDITING);
    EXPECT_FALSE(theApp.m_bModified);
    EXPECT_EQ(QImage(QString::fromStdWString(photo)).convertToFormat(QImage::Format_RGB888),
              original.mirrored(true, false));
}

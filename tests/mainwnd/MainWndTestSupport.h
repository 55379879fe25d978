#pragma once
// Helpers of the main window tests: the application object brought up once
// for the test program, and a fixture that runs the real main dialog
// (modeless, offscreen) against the real `theApp`, with every dialog the
// program may open answered by the test.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QImage>

#include <gtest/gtest.h>

#include "app/CorvaneLoaderApp.h"
#include "app/WndState.h"
#include "controls/FGFileDialog.h"
#include "mainwnd/MainDlg.h"
#include "support/TempFolder.h"

namespace MainWndTest {

/// A picture whose every pixel differs (red = x, green = y, blue = x + 2y,
/// each mod 256), as a 24-bit RGB QImage (row 0 at the top).
QImage PatternImage(int width, int height);
/// Writes `image` to `path` (format from the extension); fails the test when
/// it cannot.
void SaveImage(const QImage& image, const std::wstring& path);

/// Stores `placement` as the main window's saved placement (the value
/// "corvaneloader_dlg"); null stores an empty value, which counts as nothing
/// stored, as on the first run. Returns the stored bytes.
std::vector<BYTE> StorePlacement(CWndState* placement);

/// The pixels of the image the history shows now (the current snapshot),
/// as a QImage with row 0 at the top; null when there is none.
QImage CurrentSnapshot();
/// Number of entries of the history.
std::size_t HistorySize();

/// What a file dialog was asked and what the test answered.
struct FileDialogCall {
    bool open;                          ///< Open dialog (true) or Save dialog
    std::wstring proposedName;          ///< the proposed file name
    std::vector<CFGFileDialog::Filter> filters;
};

class MainWindowFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Makes and initialises the main dialog (the application state goes
    /// from STARTING to IDLE). `storedPlacement` false: nothing is stored
    /// under "corvaneloader_dlg", as on the first run.
    void CreateWindow(bool storedPlacement = true);
    /// Makes the main dialog and creates it as the program does at start-up
    /// (it reads the stored placement), without showing it or setting a size.
    void CreateMainDialog();
    /// Opens `path` through the Open command and its dialog.
    void OpenThroughDialog(const std::wstring& path);
    /// Sends a key press (with `modifiers`) to the image view, as the user
    /// typing in the window does.
    void PressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    /// Types `key` as a person does: `focus` gets the keyboard focus in the
    /// active main window and the press is delivered to the top-level window,
    /// which hands it on as the platform would (through the application's
    /// event filter first).
    void TypeIntoWindow(QWidget* focus, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    /// Clicks the left button at the view's window point `point`, delivered
    /// through the top-level window as a person's click is.
    void ClickThroughWindow(const QPoint& point);
    /// Waits until no operation is being processed; fails the test after 20 s.
    void WaitForOperation();
    /// Clicks the left button on the image view at window point `point`.
    void ClickView(const QPoint& point);
    /// The view's window point of image pixel (x, y), row 0 at the top.
    QPoint ViewPointOf(int x, int y);
    /// Runs the event loop for `ms` milliseconds.
    static void Pump(int ms = 0);
    /// The status bar text of `part`.
    std::wstring StatusText(int part);
    /// Enabled toolbar commands, in id order.
    std::vector<UINT> EnabledButtons();

    /// Answers the next file dialogs: the path to choose (empty: cancel) and
    /// the 1-based filter index.
    void AnswerFileDialog(const std::wstring& path, DWORD filterIndex = 1);

    std::unique_ptr<CMainDlg> dialog;
    CorvaneTest::TempFolder scratch;      ///< the test's own folder, removed after it
    std::wstring folder;                  ///< scratch, with a trailing separator
    std::vector<std::wstring> boxes;      ///< texts of the message boxes shown
    std::vector<UINT> boxTypes;
    std::vector<int> boxAnswers;          ///< answers given in turn (then IDOK)
    std::vector<FileDialogCall> fileDialogs;
    std::vector<std::string> modalDialogs;  ///< class names of skinned modal dialogs shown

private:
    std::vector<std::pair<std::wstring, DWORD>> m_fileAnswers;
};

} // namespace MainWndTest

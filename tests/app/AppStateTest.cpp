// The application state machine, the shortcut table and its routing, the
// window-state record and the persisted settings.
#include <filesystem>
#include <fstream>
#include <utility>

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QTimer>
#include <QWheelEvent>
#include <QtTest/QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "app/CommandIds.h"
#include "controls/FGMessageBox.h"
#include "app/WndState.h"
#include "platform/Registry.h"
#include "Wordhoard/LocalizeHelper.h"
#include "platform/SingleInstanceLock.h"
#include "platform/TextConvert.h"
#include "platform/WideFormat.h"
#include "support/ScopedEnv.h"
#include "support/TempFolder.h"

using AppTest::AppFixture;
using AppTest::LogWatch;
using App = CCorvaneLoaderApp;

namespace {

void DeleteProfileValue(const wchar_t* entry)
{
    HKEY key = nullptr;
    const std::wstring path = L"Software\\Quillmark\\" + theApp.m_strAppName;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    RegDeleteValue(key, entry);
    RegCloseKey(key);
}

// A product tool whose settings are one version and one 32-bit field.
class FakeTool : public IEmbeddedTool {
public:
    FakeTool() : IEmbeddedTool(L"FakeSpotRemover", 1) {}
    void SerializeToolSettings(std::vector<BYTE>& out) const override { out = {1, 0, 0, 0, value, 0, 0, 0}; }
    int UnserializeToolSettings(const std::vector<BYTE>& in) override
    {
        if (in.size() != 8 || in[0] != 1) return 0;
        value = in[4];
        return 1;
    }
    BYTE value{0};
};

} // namespace

class AppStates : public AppFixture {};

TEST_F(AppStates, AllowsExactlyTheDesignedTransitions)
{
    const bool allowed[5][5] = {
        // to: STARTING IDLE  EDITING PROCESSING EXITING      from:
        {false, true, false, false, true},   // STARTING
        {false, false, true, false, true},   // IDLE
        {false, true, false, true, false},   // EDITING
        {false, false, true, false, false},  // PROCESSING
        {false, false, false, false, false}, // EXITING
    };
    for (int from = 0; from < 5; ++from) {
        for (int to = 0; to < 5; ++to) {
            theApp.m_nAppState = from;
            window.calls.clear();
            LogWatch log;
            theApp.SetAppState(to);
            const std::string changed = WideToUtf8(FormatWide(L"Application State Changed, CurrentState = %d, NewState = %d", from, to));
            const std::string refused = WideToUtf8(FormatWide(L"Invalid state transition. CurrentState = %d, NewState = %d", from, to));
            if (allowed[from][to]) {
                EXPECT_EQ(theApp.m_nAppState, to) << from << "->" << to;
                EXPECT_TRUE(log.Contains("INFO CorvaneLoader CCorvaneLoaderApp::SetAppState: " + changed));
                if (to == App::APPSTATE_EXITING) {
                    EXPECT_TRUE(window.calls.empty());
                } else {
                    EXPECT_EQ(window.viewEnabled, to != App::APPSTATE_PROCESSING);
                    EXPECT_EQ(window.calls.back(), "UpdateToolbarState");
                }
            } else {
                EXPECT_EQ(theApp.m_nAppState, from) << from << "->" << to;
                EXPECT_TRUE(log.Contains("ERROR CorvaneLoader CCorvaneLoaderApp::SetAppState: " + refused));
                EXPECT_TRUE(window.calls.empty());
            }
        }
    }
}

TEST(Hotkeys, TableHoldsTheTwentyShortcutsInOrder)
{
    const CHotkeyTable table = CHotkeyTable::CreateDefault();
    const std::vector<std::tuple<WORD, BYTE, UINT>> expected = {
        {'O', FCONTROL, IDM_OPEN}, {'S', FCONTROL, IDM_SAVE}, {'S', FCONTROL | FSHIFT, IDM_SAVEAS},
        {0x6B, 0, IDM_ZOOMIN}, {0x6D, 0, IDM_ZOOMOUT}, {'W', FSHIFT, IDM_MAIN_VIEW_FITWINDOW},
        {'H', FCONTROL, IDM_MAIN_VIEW_ORIGINALSIZE}, {'C', FCONTROL, IDM_COPY}, {'V', FCONTROL, IDM_PASTE},
        {'Z', FCONTROL, IDM_UNDO}, {'Y', FCONTROL, IDM_REDO}, {'L', 0, IDM_ROTATELEFT}, {'R', 0, IDM_ROTATERIGHT},
        {'H', 0, IDM_HORIZONTALFLIP}, {'V', 0, IDM_VERTICALFLIP}, {0x70, 0, IDM_ABOUT}, {0x26, 0, IDM_MOVEUP},
        {0x28, 0, IDM_MOVEDOWN}, {0x25, 0, IDM_MOVELEFT}, {0x27, 0, IDM_MOVERIGHT}};
    ASSERT_EQ(table.Entries().size(), 20u);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto& [key, modifiers, command] = expected[i];
        EXPECT_EQ(table.Entries()[i].key, key) << i;
        EXPECT_EQ(table.Entries()[i].fVirt, FVIRTKEY | modifiers) << i;
        EXPECT_EQ(table.Entries()[i].cmd, command) << i;
        EXPECT_EQ(table.Translate(key, modifiers), command) << i;
    }
    EXPECT_EQ(table.Translate(30002, 0), std::nullopt);
}

TEST(Hotkeys, QtKeysNeedExactlyTheirModifiers)
{
    const CHotkeyTable table = CHotkeyTable::CreateDefault();
    auto press = [&](int key, Qt::KeyboardModifiers mods) {
        return table.Translate(QKeyEvent(QEvent::KeyPress, key, mods));
    };
    EXPECT_EQ(press(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier), IDM_SAVEAS);
    EXPECT_EQ(press(Qt::Key_S, Qt::ControlModifier), IDM_SAVE);
    EXPECT_EQ(press(Qt::Key_H, Qt::NoModifier), IDM_HORIZONTALFLIP);
    EXPECT_EQ(press(Qt::Key_H, Qt::ControlModifier), IDM_MAIN_VIEW_ORIGINALSIZE);
    EXPECT_EQ(press(Qt::Key_H, Qt::ShiftModifier), std::nullopt);
    EXPECT_EQ(press(Qt::Key_V, Qt::NoModifier), IDM_VERTICALFLIP);
    EXPECT_EQ(press(Qt::Key_R, Qt::AltModifier), std::nullopt);
    EXPECT_EQ(press(Qt::Key_Plus, Qt::KeypadModifier), IDM_ZOOMIN);
    EXPECT_EQ(press(Qt::Key_Plus, Qt::NoModifier), IDM_ZOOMIN);  // the main keyboard's +
    EXPECT_EQ(press(Qt::Key_Minus, Qt::ControlModifier), IDM_ZOOMOUT);
    EXPECT_EQ(press(Qt::Key_Minus, Qt::AltModifier), std::nullopt);
    EXPECT_EQ(press(Qt::Key_Minus, Qt::KeypadModifier), IDM_ZOOMOUT);
    EXPECT_EQ(press(Qt::Key_Up, Qt::KeypadModifier), IDM_MOVEUP);
    EXPECT_EQ(press(Qt::Key_F1, Qt::NoModifier), IDM_ABOUT);
    EXPECT_EQ(press(Qt::Key_W, Qt::ShiftModifier), IDM_MAIN_VIEW_FITWINDOW);
}

TEST_F(AppStates, ShortcutsReachTheMainWindowOnlyWhileNoOtherDialogIsModal)
{
    QWidget main;
    QWidget view(&main);
    window.widget = &main;
    main.show();
    QKeyEvent r(QEvent::KeyPress, Qt::Key_R, Qt::NoModifier);
    QCoreApplication::sendEvent(&view, &r);
    ASSERT_EQ(window.commands, (std::vector<UINT>{IDM_ROTATERIGHT}));

    QDialog dialog;
    dialog.setModal(true);
    dialog.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &dialog);
    QKeyEvent again(QEvent::KeyPress, Qt::Key_R, Qt::NoModifier);
    QCoreApplication::sendEvent(&dialog, &again);
    EXPECT_EQ(window.commands.size(), 1u);
    dialog.hide();
    QKeyEvent other(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier);
    QCoreApplication::sendEvent(&view, &other);
    EXPECT_EQ(window.commands.size(), 1u);
}

TEST(WindowState, SerialisesTwentyEightBytes)
{
    CWndState state(L"corvaneloader_dlg");
    state.m_bVisible = TRUE;
    state.m_nShowState = 2;
    state.m_rcWindow = {-5, 10, 1000, 700};
    std::vector<unsigned char> out;
    state.Serialize(out);
    const std::vector<unsigned char> expected = {1, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 0xFB, 0xFF, 0xFF, 0xFF,
                                                 10, 0, 0, 0, 0xE8, 3, 0, 0, 0xBC, 2, 0, 0};
    EXPECT_EQ(out, expected);
}

TEST(WindowState, ReadsShowStatesAndVersionsAsDesigned)
{
    CWndState state;
    std::vector<unsigned char> record;
    CWndState source;
    source.m_nShowState = 7;
    source.m_rcWindow = {1, 2, 3, 4};
    source.Serialize(record);
    ASSERT_TRUE(state.Unserialize(record));
    EXPECT_EQ(state.m_nShowState, 0);
    EXPECT_EQ(state.m_rcWindow, (RECT{1, 2, 3, 4}));

    source.m_nShowState = -1;
    source.Serialize(record);
    ASSERT_TRUE(state.Unserialize(record));
    EXPECT_EQ(state.m_nShowState, -1);

    CWndState fresh;
    record[0] = 2;  // another version: accepted, nothing read
    EXPECT_TRUE(fresh.Unserialize(record));
    EXPECT_EQ(fresh.m_bVisible, TRUE);
    EXPECT_EQ(fresh.m_nShowState, 0);
    EXPECT_EQ(fresh.m_rcWindow, (RECT{0, 0, 0, 0}));

    record[0] = 1;
    record.push_back(0);
    LogWatch log;
    EXPECT_FALSE(fresh.Unserialize(record));
    EXPECT_TRUE(log.Contains("CWndState::Unserialize: Invalid parameter data size for version 1."));
}

TEST_F(AppStates, WindowStateGoesThroughTheHive)
{
    DeleteProfileValue(L"corvaneloader_dlg");
    EXPECT_FALSE(theApp.LoadWindowState());  // first run: nothing stored

    window.rect = {30, 40, 930, 740};
    window.zoomed = true;
    theApp.SaveWindowState();
    std::vector<BYTE> stored;
    ASSERT_TRUE(theApp.GetProfileBinary(L"", L"CORVANELOADER_DLG", stored));  // names ignore case
    EXPECT_EQ(stored.size(), 28u);
    ASSERT_TRUE(theApp.LoadWindowState());
    EXPECT_EQ(theApp.m_wndState.m_nShowState, CWndState::SHOW_MAXIMIZED);
    EXPECT_EQ(theApp.m_wndState.m_rcWindow, (RECT{30, 40, 930, 740}));

    window.iconic = true;  // minimised wins over maximised
    theApp.SaveWindowState();
    ASSERT_TRUE(theApp.LoadWindowState());
    EXPECT_EQ(theApp.m_wndState.m_nShowState, CWndState::SHOW_MINIMIZED);

    stored.push_back(0);
    ASSERT_TRUE(theApp.WriteProfileBinary(L"", L"corvaneloader_dlg", stored));
    EXPECT_FALSE(theApp.LoadWindowState());
}

TEST_F(AppStates, ToolSettingsRoundTripOnlyForTheProductTool)
{
    ASSERT_EQ(theApp.m_strProductCode, L"sr");
    auto* tool = new FakeTool;
    tool->value = 42;
    theApp.m_arrTools->Set(App::TOOL_SPOTREMOVER, std::unique_ptr<IEmbeddedTool>(tool));
    DeleteProfileValue(L"FakeSpotRemover");
    EXPECT_FALSE(theApp.LoadToolSettings());  // nothing stored yet
    theApp.SaveToolSettings();
    tool->value = 0;
    ASSERT_TRUE(theApp.LoadToolSettings());
    EXPECT_EQ(tool->value, 42);

    const std::wstring code = theApp.m_strProductCode;
    theApp.m_strProductCode = L"xyz";
    EXPECT_EQ(theApp.GetProductTool(), nullptr);
    DeleteProfileValue(L"FakeSpotRemover");
    theApp.SaveToolSettings();
    tool->value = 7;
    EXPECT_FALSE(theApp.LoadToolSettings());
    std::vector<BYTE> stored;
    EXPECT_FALSE(theApp.GetProfileBinary(L"", L"FakeSpotRemover", stored));
    EXPECT_EQ(tool->value, 7);
    theApp.m_strProductCode = code;
    theApp.m_arrTools->Set(App::TOOL_SPOTREMOVER, nullptr);
    EXPECT_EQ(theApp.GetProductTool(), nullptr);  // a tool not built yet is no crash
    EXPECT_FALSE(theApp.LoadToolSettings());
    theApp.SaveToolSettings();
    theApp.m_arrTools->CreateAll();
    ASSERT_NE(theApp.GetProductTool(), nullptr);
    EXPECT_EQ(theApp.GetProductTool(), theApp.m_arrTools->Get(App::TOOL_SPOTREMOVER));
}

TEST_F(AppStates, FileFiltersListTheFourTypes)
{
    std::vector<App::FILE_FORMAT_DESCRIPTOR> formats;
    theApp.GetFileFormats(formats, TRUE);
    ASSERT_EQ(formats.size(), 4u);
    std::wstring open;
    theApp.BuildFileFilter(formats, open, TRUE);
    const std::wstring all = LocalizeHelper::GetDictionaryItem("Dictionary", L"IDS_FILE_FORMAT_NAME_ALL_SUPPORT");
    const std::wstring bmp = LocalizeHelper::GetDictionaryItem("Dictionary", L"IDS_FILE_FORMAT_NAME_BMP");
    const std::wstring jpeg = LocalizeHelper::GetDictionaryItem("Dictionary", L"IDS_FILE_FORMAT_NAME_JPEG");
    const std::wstring png = LocalizeHelper::GetDictionaryItem("Dictionary", L"IDS_FILE_FORMAT_NAME_PNG");
    const std::wstring tiff = LocalizeHelper::GetDictionaryItem("Dictionary", L"IDS_FILE_FORMAT_NAME_TIFF");
    const std::wstring each = bmp + L" (*.bmp)|*.bmp|" + jpeg + L" (*.jpg;*.jpeg)|*.jpg;*.jpeg|" + png +
                              L" (*.png)|*.png|" + tiff + L" (*.tif;*.tiff)|*.tif;*.tiff|";
    EXPECT_EQ(open, all + L" (*.bmp;*.jpg;*.jpeg;*.png;*.tif;*.tiff)|*.bmp;*.jpg;*.jpeg;*.png;*.tif;*.tiff|" + each + L"|");
    std::wstring save = L"x";
    theApp.GetFileFormats(formats, FALSE);
    theApp.BuildFileFilter(formats, save, FALSE);
    EXPECT_EQ(save, L"x" + each + L"|");
    EXPECT_FALSE(bmp.empty());
}

TEST_F(AppStates, SecondCopyStopsAtTheSingleInstanceLock)
{
    // Held here, or by a copy of the program another test runs meanwhile.
    CSingleInstanceLock first(theApp.m_strAppName);
    ASSERT_NE(first.Acquire(), CSingleInstanceLock::Result::Failed);
    CCorvaneLoaderApp second;
    EXPECT_FALSE(second.InitServices(CCorvaneLoaderApp::InstanceCheck::Exclusive));
    EXPECT_EQ(second.m_pInstanceMutex, nullptr);
}

TEST_F(AppStates, ALockThatCannotBeMadeIsLoggedAndTheProgramStarts)
{
    CorvaneTest::TempFolder folder;
    std::ofstream(folder.File("file")) << "not a folder";
    const std::pair<std::filesystem::path, const char*> cases[] = {
        {folder.File("file") / "run", "Not a directory"},  // the runtime folder lies inside a file
        {folder.File("run"), "Is a directory"},             // a folder stands where the lock file belongs
    };
    for (const auto& [runtimeFolder, reason] : cases) {
        CorvaneTest::ScopedEnv runtime("CORVANE_RUNTIME_DIR", runtimeFolder.c_str());
        if (runtimeFolder == folder.File("run"))
            std::filesystem::create_directories(WideToUtf8(CSingleInstanceLock(theApp.m_strAppName).GetLockFilePath()));
        LogWatch log;
        EXPECT_TRUE(theApp.AcquireInstanceLock()) << reason;
        EXPECT_EQ(theApp.m_pInstanceMutex, nullptr);
        EXPECT_EQ(log.Count("ERROR CorvaneLoader CCorvaneLoaderApp::InitInstance: Failed to create the "
                            "single-instance lock '" + runtimeFolder.string()),
                  1)
            << reason;
        EXPECT_TRUE(log.Contains(std::string("': ") + reason + ". Starting without it.")) << reason;
    }
}

TEST_F(AppStates, MessageBoxesCarryTheAppNameAndTranslatedButtons)
{
    theApp.SetMessageBoxHook(nullptr);
    std::wstring caption, text, cancel;
    std::vector<int> shown;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<CFGMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        caption = box->GetCaption();
        text = box->GetMessageText();
        cancel = box->GetButtonText(IDCANCEL);
        shown = box->GetShownButtons();
        box->reject();  // Escape: the box ends with Cancel
    });
    EXPECT_EQ(theApp.DoMessageBox(L"Save the changes?", MB_OKCANCEL | MB_ICONQUESTION), IDCANCEL);
    EXPECT_EQ(caption, theApp.m_strAppName);
    EXPECT_EQ(text, L"Save the changes?");
    EXPECT_EQ(cancel, LocalizeHelper::GetDictionaryItem("Dictionary", L"IDS_VELMIRA_MSGBOX_BUTTON_CANCEL"));
    EXPECT_EQ(shown, (std::vector<int>{IDOK, IDCANCEL}));
}

namespace {
// A widget that counts the wheel events it receives.
class WheelCounter : public QWidget {
public:
    using QWidget::QWidget;
    int wheels{0};

protected:
    void wheelEvent(QWheelEvent* event) override
    {
        ++wheels;
        event->accept();
    }
};
} // namespace

TEST_F(AppStates, TheWheelActsOnTheControlUnderTheMouse)
{
    QWidget main;
    main.setGeometry(100, 100, 400, 300);
    WheelCounter toolbar(&main);
    toolbar.setGeometry(0, 0, 400, 40);
    WheelCounter view(&main);
    view.setGeometry(0, 40, 400, 260);
    window.widget = &main;
    window.toolbar = &toolbar;
    window.view = &view;
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    const QPoint overView = view.mapToGlobal(QPoint(200, 100));
    ASSERT_EQ(QApplication::widgetAt(overView), &view);

    // The toolbar has the focus and receives the wheel; the view gets it.
    QWheelEvent wheel(toolbar.mapFromGlobal(overView), overView, QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&toolbar, &wheel);
    EXPECT_EQ(view.wheels, 1);
    EXPECT_EQ(toolbar.wheels, 0);

    // Over the toolbar it stays with the toolbar.
    const QPoint overToolbar = toolbar.mapToGlobal(QPoint(50, 20));
    QWheelEvent own(QPointF(50, 20), overToolbar, QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&toolbar, &own);
    EXPECT_EQ(toolbar.wheels, 1);
    EXPECT_EQ(view.wheels, 1);
}

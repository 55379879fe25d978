// The application object: construction, start-up and shutdown, states,
// shortcuts and wheel routing, message boxes, the window title, the skin map
// and the persisted settings. The editing period lives in
// CorvaneLoaderAppEdit.cpp, history navigation and the image-processing
// protocol in CorvaneLoaderAppProcess.cpp.
#include "app/CorvaneLoaderApp.h"

#include <algorithm>
#include <cwctype>
#include <filesystem>
#include <system_error>

#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QWheelEvent>
#include <QWidget>

#include "Tinctor/ImageProcess.h"
#include "Tracewell/CrashHandler.h"
#include "Tracewell/Log.h"
#include "Wordhoard/LocalizeHelper.h"
#include "Wordhoard/UserLanguages.h"
#include "app/AppEventFilter.h"
#include "app/AppMessageBox.h"
#include "app/AppToolArray.h"
#include "app/HistoryLock.h"
#include "app/SaveProgressReporter.h"
#include "controls/FGResource.h"
#include "io/Carrow.h"
#include "io/EncoderDialogProvider.h"
#include "io/ISaveProgress.h"
#include "io/ImageFile.h"
#include "operations/ImageData.h"
#include "operations/Operators.h"
#include "platform/QtTranslations.h"
#include "platform/SingleInstanceLock.h"
#include "platform/SystemFolders.h"
#include "platform/TextConvert.h"
#include "platform/WideFormat.h"

void InstallNewHandler();  // NewHandler.cpp

CCorvaneLoaderApp theApp;

namespace {

constexpr const wchar_t* kModule = L"CorvaneLoader";
constexpr const wchar_t* kCompany = L"Quillmark";
constexpr const wchar_t* kWindowStateEntry = L"corvaneloader_dlg";

std::wstring ToLower(std::wstring text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towlower(c); });
    return text;
}

// True when `widget` is `other` or lies inside it.
bool IsWithin(const QWidget* widget, const QWidget* other)
{
    return widget && other && (widget == other || other->isAncestorOf(widget));
}

// True for a control the user types into (the option strip's number boxes).
bool IsTextEntry(const QObject* receiver)
{
    return qobject_cast<const QLineEdit*>(receiver) || qobject_cast<const QAbstractSpinBox*>(receiver);
}

// Keys a text box uses itself: typing, moving the caret and the editing
// shortcuts. Function keys and the other Ctrl shortcuts stay hotkeys.
bool IsTextEditingKey(const QKeyEvent& key)
{
    if (key.key() >= Qt::Key_F1 && key.key() <= Qt::Key_F35) return false;
    const Qt::KeyboardModifiers mods = key.modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    if (mods == Qt::NoModifier) return true;
    if (mods != Qt::ControlModifier) return false;
    switch (key.key()) {
    case Qt::Key_A: case Qt::Key_C: case Qt::Key_V: case Qt::Key_X: case Qt::Key_Y: case Qt::Key_Z:
        return true;
    default:
        return false;
    }
}

// Keys a slider uses itself: the arrows, Page Up/Down, Home and End.
bool IsSliderKey(const QKeyEvent& key)
{
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
    switch (key.key()) {
    case Qt::Key_Left: case Qt::Key_Right: case Qt::Key_Up: case Qt::Key_Down:
    case Qt::Key_PageUp: case Qt::Key_PageDown: case Qt::Key_Home: case Qt::Key_End:
        return true;
    default:
        return false;
    }
}

// True when `control` (the option strip's number box or slider) handles
// `key` itself, so the key must not act as a shortcut.
bool IsKeyOfControl(const QObject* control, const QKeyEvent& key)
{
    if (IsTextEntry(control)) return IsTextEditingKey(key);
    if (qobject_cast<const QAbstractSlider*>(control)) return IsSliderKey(key);
    return false;
}

// The brush operators take the picture of the clone stamp or dodge/burn tool.
const unsigned char* AppBrushBitmap(int toolIndex, BITMAPINFO& header)
{
    return theApp.m_arrTools ? theApp.m_arrTools->GetSketcherBitmap(toolIndex, header) : nullptr;
}

} // namespace

CCorvaneLoaderApp::CCorvaneLoaderApp() : m_arrTools(std::make_unique<CAppToolArray>())
{
    InstallNewHandler();
    m_strModulePath = GetModuleFilePath();
    const std::size_t slash = m_strModulePath.find_last_of(L"/\\");
    m_strModuleName = slash == std::wstring::npos ? m_strModulePath : m_strModulePath.substr(slash + 1);
    m_strWorkingPath = slash == std::wstring::npos ? std::wstring() : m_strModulePath.substr(0, slash + 1);
    m_strBitmapPath = m_strWorkingPath + L"Bitmap/";
    // The dictionaries are opened by bare file name, so they are found beside
    // the executable.
    std::error_code ignored;
    const std::filesystem::path launch = std::filesystem::current_path(ignored);
    if (!launch.empty()) m_strLaunchFolder = (launch / "").wstring();
    if (!m_strWorkingPath.empty()) std::filesystem::current_path(m_strWorkingPath, ignored);
}

CCorvaneLoaderApp::~CCorvaneLoaderApp()
{
    m_pEventFilter.reset();
    m_threadMessages.Detach();
}

// ---- start-up and shutdown --------------------------------------------------

BOOL CCorvaneLoaderApp::InitServices(InstanceCheck check)
{
    InitLog();
    EnableSEHandler();
    LocalizeHelper::Initialize();
    LocalizeHelper::LoadDictionary(L"Lan.lc", "Dictionary");
    LocalizeHelper::LoadDictionary(L"Loader.lc", "Loader");
    LocalizeHelper::LoadDictionary(L"Tool.lc", "Tool");
    Carrow::InitCarrow();
    ImageProcess::Init();
    WriteLog(LOG_LEVEL_INFO, kModule, L"CCorvaneLoaderApp::InitInstance", L"Application Working-Path: '%s'.",
             m_strWorkingPath.c_str());

    m_strProductCode = ToLower(LocalizeHelper::GetDictionaryItem("Tool", L"IDS_CORVANE_CODE"));
    m_strAppName = LocalizeHelper::GetDictionaryItem("Tool", L"IDS_CORVANE_APPNAME");
    if (QCoreApplication::instance()) QCoreApplication::setApplicationName(QString::fromStdWString(m_strAppName));
    SetRegistryKey(kCompany);

    if (check == InstanceCheck::Exclusive && !AcquireInstanceLock()) return FALSE;

    AttachMessageQueue();
    SetBrushBitmapSource(&AppBrushBitmap);
    BuildFileFormats();
    FGLoadBitmaps(m_strBitmapPath.c_str(), m_mapBitmaps, &m_mapBitmapNames, nullptr);
    FGLoadResource((m_strWorkingPath + L"Skin").c_str());
    CreateHotkeys();
    CreateEmbeddedTools();
    LoadToolSettings();
    return TRUE;
}

BOOL CCorvaneLoaderApp::AcquireInstanceLock()
{
    auto instanceLock = std::make_unique<CSingleInstanceLock>(m_strAppName);
    switch (instanceLock->Acquire()) {
    case CSingleInstanceLock::Result::Acquired:
        m_pInstanceMutex = std::move(instanceLock);
        return TRUE;
    case CSingleInstanceLock::Result::AlreadyRunning:
        // A second copy ends here, silently: it shows nothing and leaves the
        // first one alone.
        return FALSE;
    case CSingleInstanceLock::Result::Failed:
        break;
    }
    // Nothing shows that another copy runs: refusing to start would leave the
    // user with no window and no reason.
    WriteLog(LOG_LEVEL_ERROR, kModule, L"CCorvaneLoaderApp::InitInstance",
             L"Failed to create the single-instance lock '%s': %hs. Starting without it.",
             instanceLock->GetLockFilePath().c_str(),
             std::system_category().message(instanceLock->GetLastError()).c_str());
    return TRUE;
}

BOOL CCorvaneLoaderApp::InitInstance()
{
    if (!InitServices()) return FALSE;
    // Only the interactive program asks for JPEG and TIFF options; tools and
    // tests keep the fixed answers of their own providers.
    Carrow::FileIO::InstallEncoderDialogs();
    Carrow::FileIO::SetSaveProgress(std::make_shared<CSaveProgressReporter>());
    // Qt's file dialog speaks the language of the dictionaries.
    if (const auto language = Wordhoard::TranslationLanguage(WideToUtf8(m_strWorkingPath + L"Lan.lc")))
        InstallQtTranslations(*language);
    if (!m_mainWindowFactory) return FALSE;
    m_pOwnedMainWnd = m_mainWindowFactory();
    m_pMainWnd = m_pOwnedMainWnd.get();
    if (m_pMainWnd) m_pMainWnd->DoModal();
    m_pMainWnd = nullptr;
    m_pOwnedMainWnd.reset();
    return FALSE;
}

int CCorvaneLoaderApp::ExitInstance()
{
    SetAppState(APPSTATE_EXITING);
    SaveToolSettings();
    m_pEventFilter.reset();
    m_hAccel.reset();
    FGUnloadBitmaps(m_mapBitmaps);
    m_mapBitmapNames.clear();
    SetBrushBitmapSource(nullptr);
    m_threadMessages.Detach();
    Carrow::FileIO::SetSaveProgress(nullptr);
    Carrow::UnInitCarrow();
    ImageProcess::Uninit();
    LocalizeHelper::UnInitialize();
    DisableSEHandler();
    UninitLog();
    m_pInstanceMutex.reset();
    return 0;
}

void CCorvaneLoaderApp::CreateEmbeddedTools() { m_arrTools->CreateAll(); }

// ---- states -------------------------------------------------------------------

void CCorvaneLoaderApp::SetAppState(int newState)
{
    const int current = m_nAppState;
    bool allowed = false;
    switch (newState) {
    case APPSTATE_IDLE: allowed = current == APPSTATE_STARTING || current == APPSTATE_EDITING; break;
    case APPSTATE_EDITING: allowed = current == APPSTATE_IDLE || current == APPSTATE_PROCESSING; break;
    case APPSTATE_PROCESSING: allowed = current == APPSTATE_EDITING; break;
    case APPSTATE_EXITING: allowed = current == APPSTATE_STARTING || current == APPSTATE_IDLE; break;
    default: break;
    }
    if (!allowed) {
        WriteLog(LOG_LEVEL_ERROR, kModule, L"CCorvaneLoaderApp::SetAppState",
                 L"Invalid state transition. CurrentState = %d, NewState = %d", current, newState);
        return;
    }
    WriteLog(LOG_LEVEL_INFO, kModule, L"CCorvaneLoaderApp::SetAppState",
             L"Application State Changed, CurrentState = %d, NewState = %d", current, newState);
    m_nAppState = newState;
    if (current == APPSTATE_STARTING && newState == APPSTATE_IDLE) OpenLaunchFileLater();
    if (newState == APPSTATE_EXITING || !m_pMainWnd) return;
    m_pMainWnd->EnableImageView(newState != APPSTATE_PROCESSING);
    m_pMainWnd->UpdateToolbarState();
}

void CCorvaneLoaderApp::SetLaunchFile(const std::wstring& path)
{
    m_strLaunchFile = path.empty() || path.front() == L'/' ? path : m_strLaunchFolder + path;
}

void CCorvaneLoaderApp::OpenLaunchFileLater()
{
    if (m_strLaunchFile.empty() || !QCoreApplication::instance()) return;
    // The main window is still initialising: open the photo once its event
    // loop runs, as if it had been dropped on the window.
    QTimer::singleShot(0, [path = std::move(m_strLaunchFile)] {
        if (theApp.m_nAppState == APPSTATE_IDLE && theApp.SetEditImageFile(path.c_str()) && theApp.m_pMainWnd)
            theApp.m_pMainWnd->UpdateToolbarState();
    });
    m_strLaunchFile.clear();
}

// ---- shortcuts and wheel routing ---------------------------------------------

BOOL CCorvaneLoaderApp::CreateHotkeys()
{
    m_hAccel = std::make_unique<CHotkeyTable>(CHotkeyTable::CreateDefault());
    if (!m_pEventFilter && QCoreApplication::instance()) m_pEventFilter = std::make_unique<CAppEventFilter>();
    return TRUE;
}

bool CCorvaneLoaderApp::IsMainWindowInFront() const
{
    if (!m_pMainWnd) return false;
    // The main window itself runs modally; any other modal dialog in front
    // of it means the main window is not the one the user talks to.
    const QWidget* modal = QApplication::activeModalWidget();
    return modal == nullptr || modal == m_pMainWnd->GetWidget();
}

BOOL CCorvaneLoaderApp::PreTranslateMessage(QObject* receiver, QEvent* event)
{
    // Thread-message wake-ups are made on the worker thread; they are not
    // input and are left to the queue, which reads them under its lock.
    if (m_threadMessages.IsReceiver(receiver)) return FALSE;
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::Wheel) return FALSE;
    if (!IsMainWindowInFront()) return FALSE;

    if (type == QEvent::KeyPress) {
        if (!m_hAccel) return FALSE;
        const auto& key = *static_cast<QKeyEvent*>(event);
        // A number typed into the spot-size box must not turn the photo, and
        // the arrows belong to the box or slider, not to the image. A key
        // arrives here addressed to the top-level window first (and travels
        // on to the parents when the control ignores it), so the control
        // with the keyboard focus decides; the receiver counts for keys sent
        // straight to a control.
        if (IsKeyOfControl(QApplication::focusWidget(), key) || IsKeyOfControl(receiver, key)) return FALSE;
        const auto command = m_hAccel->Translate(key);
        if (!command) return FALSE;
        m_pMainWnd->OnAccelerator(*command);
        return TRUE;
    }

    // The wheel acts on the toolbar or image view under the mouse, not on the
    // control that has the focus.
    auto* wheel = static_cast<QWheelEvent*>(event);
    auto* widget = qobject_cast<QWidget*>(receiver);
    if (!widget) return FALSE;
    const QPointF global = wheel->globalPosition();
    QWidget* under = QApplication::widgetAt(global.toPoint());
    QWidget* target = nullptr;
    for (QWidget* candidate : {m_pMainWnd->GetToolbarWidget(), m_pMainWnd->GetImageViewWidget()}) {
        if (IsWithin(under, candidate)) target = candidate;
    }
    // Already on its way to the target (or propagating up from it): leave it.
    if (!target || IsWithin(widget, target) || IsWithin(target, widget)) return FALSE;
    QWheelEvent copy(target->mapFromGlobal(global), global, wheel->pixelDelta(), wheel->angleDelta(),
                     wheel->buttons(), wheel->modifiers(), wheel->phase(), wheel->inverted(), wheel->source());
    QCoreApplication::sendEvent(target, &copy);
    return TRUE;
}

// ---- message boxes, title, skin ------------------------------------------------

int CCorvaneLoaderApp::DoMessageBox(const wchar_t* prompt, UINT type, UINT /*helpId*/)
{
    const std::wstring text = prompt ? prompt : L"";
    if (m_messageBoxHook) return m_messageBoxHook(text, type);
    return ShowMessageBox(text, type);
}

int CCorvaneLoaderApp::ShowMessageBox(const std::wstring& text, UINT type)
{
    return ShowAppMessageBox(m_pMainWnd ? m_pMainWnd->GetWidget() : nullptr, m_strAppName, text, type);
}

std::wstring CCorvaneLoaderApp::BuildWindowTitle() const
{
    std::wstring title = FormatWide(L"[%s]  %s", kCompany, m_strAppName.c_str());
    if (m_nAppState == APPSTATE_EDITING && m_pEditFile) {
        const wchar_t* file = m_pEditFile->GetFilePath();
        const std::wstring path = file ? file : L"";
        const std::size_t slash = path.find_last_of(L"/\\");
        title += L" - " + ReadableFileName(slash == std::wstring::npos ? path : path.substr(slash + 1));
    }
    return title;
}

void CCorvaneLoaderApp::UpdateWindowTitle()
{
    if (m_pMainWnd) m_pMainWnd->SetCaption(BuildWindowTitle());
}

CBitmap* CCorvaneLoaderApp::GetSkinBitmap(const wchar_t* name)
{
    if (!name) return nullptr;
    return m_mapBitmaps[name];  // an unknown name gets an empty entry
}

IEmbeddedTool* CCorvaneLoaderApp::GetProductTool()
{
    int index = -1;
    if (m_strProductCode == L"cst") index = TOOL_CLONESTAMP;
    if (m_strProductCode == L"sr") index = TOOL_SPOTREMOVER;
    return index < 0 ? nullptr : m_arrTools->Get(index);
}

// ---- persisted settings ----------------------------------------------------------

void CCorvaneLoaderApp::SetRegistryKey(const wchar_t* company)
{
    m_Profile.SetAppName(m_strAppName);
    m_Profile.SetRegistryKey(company);
}

BOOL CCorvaneLoaderApp::GetProfileBinary(const wchar_t* section, const wchar_t* entry, std::vector<BYTE>& out)
{
    // An empty stored value counts as nothing stored.
    return m_Profile.GetProfileBinary(section, entry, out) && !out.empty() ? TRUE : FALSE;
}

BOOL CCorvaneLoaderApp::WriteProfileBinary(const wchar_t* section, const wchar_t* entry, const std::vector<BYTE>& bytes)
{
    return m_Profile.WriteProfileBinary(section, entry, bytes);
}

BOOL CCorvaneLoaderApp::LoadToolSettings()
{
    LoadSettingsOf(m_arrTools->Get(TOOL_REGIONSELECTOR));
    LoadSettingsOf(m_arrTools->Get(TOOL_REDEYEREDUCTION));
    return LoadSettingsOf(GetProductTool());
}

void CCorvaneLoaderApp::SaveToolSettings()
{
    SaveSettingsOf(m_arrTools->Get(TOOL_REGIONSELECTOR));
    SaveSettingsOf(m_arrTools->Get(TOOL_REDEYEREDUCTION));
    SaveSettingsOf(GetProductTool());
}

// A tool's settings blob lives in the value named after the tool.
BOOL CCorvaneLoaderApp::LoadSettingsOf(IEmbeddedTool* tool)
{
    if (!tool) return FALSE;
    std::vector<BYTE> bytes;
    if (!GetProfileBinary(L"", tool->GetToolName(), bytes)) return FALSE;
    return tool->UnserializeToolSettings(bytes) != 0 ? TRUE : FALSE;
}

void CCorvaneLoaderApp::SaveSettingsOf(IEmbeddedTool* tool)
{
    if (!tool) return;
    std::vector<BYTE> bytes;
    tool->SerializeToolSettings(bytes);
    if (!bytes.empty()) WriteProfileBinary(L"", tool->GetToolName(), bytes);
}

BOOL CCorvaneLoaderApp::LoadWindowState()
{
    std::vector<BYTE> bytes;
    if (!GetProfileBinary(L"", kWindowStateEntry, bytes)) return FALSE;
    return m_wndState.Unserialize(bytes);
}

void CCorvaneLoaderApp::SaveWindowState()
{
    if (!m_pMainWnd) return;
    CWndState state(kWindowStateEntry);
    state.m_bVisible = m_pMainWnd->IsWindowVisible();
    state.m_rcWindow = m_pMainWnd->GetWindowRect();
    state.m_nShowState = m_pMainWnd->IsIconic()  ? CWndState::SHOW_MINIMIZED
                         : m_pMainWnd->IsZoomed() ? CWndState::SHOW_MAXIMIZED
                                                  : CWndState::SHOW_NORMAL;
    std::vector<BYTE> bytes;
    state.Serialize(bytes);
    WriteProfileBinary(L"", state.m_strName.c_str(), bytes);
}

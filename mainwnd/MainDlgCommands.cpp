#include "mainwnd/MainDlgCommands.h"

#include <algorithm>
#include <cctype>
#include <cwctype>
#include <filesystem>
#include <iterator>

#include "Tracewell/Log.h"
#include "Wordhoard/LocalizeHelper.h"
#include "app/CommandIds.h"
#include "app/CorvaneLoaderApp.h"
#include "controls/FGFileDialog.h"
#include "io/ClipboardIO.h"
#include "io/ImageFile.h"
#include "io/ImageFormatIds.h"
#include "mainwnd/DisplayScale.h"
#include "mainwnd/MainDlg.h"
#include "mainwnd/WaitCursor.h"
#include "operations/OptGuids.h"
#include "operations/OptParam_Flip.h"
#include "operations/OptParam_Rotate.h"
#include "platform/NotSupportedException.h"
#include "platform/TextConvert.h"
#include "platform/WideFormat.h"

using OperationManage::Operation;

namespace {

constexpr const wchar_t* kModule = L"CorvaneLoader";
constexpr DWORD kOpenFlags =
    OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_NONETWORKBUTTON | OFN_ENABLESIZING;
constexpr DWORD kSaveFlags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOREADONLYRETURN |
                             OFN_NONETWORKBUTTON | OFN_ENABLESIZING;

void Trace(const wchar_t* function, const wchar_t* command) { WriteLog(LOG_LEVEL_TRACE, kModule, function, command); }

void TraceCommand(const wchar_t* function, UINT id)
{
    WriteLog(LOG_LEVEL_TRACE, kModule, function, L"Command: %d.", static_cast<int>(id));
}

const wchar_t* Item(const wchar_t* key) { return LocalizeHelper::GetDictionaryItem("Dictionary", key); }

bool IsEditing() { return theApp.m_nAppState == CCorvaneLoaderApp::APPSTATE_EDITING; }

QWidget* Owner()
{
    CMainDlg* dialog = GetMainDlg();
    return dialog ? static_cast<QWidget*>(dialog) : nullptr;
}

std::wstring FileNameOf(const std::wstring& path)
{
    const std::size_t slash = path.find_last_of(L"/\\");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring FolderOf(const std::wstring& path)
{
    const std::size_t slash = path.find_last_of(L"/\\");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// The question before unsaved changes are given up: "save the pasted
// picture?" or "save <file>?", with Yes, No and Cancel or Yes and No.
int AskToSave(UINT buttons)
{
    std::wstring text;
    if (theApp.m_bFromClipboard) {
        text = Item(L"IDS_VELMIRA_MSG_DO_YOU_WANT_TO_SAVE_MODIFICATION_CLIPBOARD");
    } else {
        const wchar_t* path = theApp.GetEditFilePath();
        const std::wstring file = ReadableFileName(path ? path : L"");
        text = FormatWide(Item(L"IDS_VELMIRA_MSG_DO_YOU_WANT_TO_SAVE_MODIFICATION"), file.c_str());
    }
    return theApp.DoMessageBox(text.c_str(), buttons | MB_ICONQUESTION);
}

// Yes: save first (Save As for a pasted picture); true when the caller may go
// on, i.e. nothing unsaved is left or the user chose No.
bool SaveOrDiscard(UINT buttons)
{
    if (!IsEditing() || !theApp.m_bModified) return true;
    const int answer = AskToSave(buttons);
    if (answer == IDCANCEL) return false;
    if (answer != IDYES) return true;
    OnMainDlgFileSave();
    return !theApp.m_bModified;
}

// The folder a file dialog opens in: the edited file's own folder, else the
// folder the program was started in (the program's own folder is never
// where a user keeps photos).
std::wstring DialogFolder()
{
    if (IsEditing() && !theApp.m_bFromClipboard) {
        const wchar_t* path = theApp.GetEditFilePath();
        if (path) return FolderOf(path);
    }
    return theApp.m_strLaunchFolder;
}

// A typed name without an extension gets the chosen type's first one
// ("photo" saved as JPEG becomes "photo.jpg"), so the file opens again as
// what it is.
std::wstring WithExtension(const std::wstring& path, const CCorvaneLoaderApp::FILE_FORMAT_DESCRIPTOR& format)
{
    if (std::filesystem::path(WideToFileName(path)).has_extension() || format.arrPatterns.empty()) return path;
    const std::wstring& pattern = format.arrPatterns.front();  // "*.jpg"
    const std::size_t dot = pattern.find(L'.');
    return dot == std::wstring::npos ? path : path + pattern.substr(dot);
}

// The extension of a path or pattern in lower case (".png"); empty when none.
// The path goes to the file system's bytes first: a wide name holding a kept
// non-UTF-8 byte would make std::filesystem throw. Known extensions are
// ASCII, so lowering the bytes one by one is enough.
std::wstring LowerExtensionOf(const std::wstring& path)
{
    const std::string extension = std::filesystem::path(WideToFileName(path)).extension().string();
    std::wstring lower;
    for (const unsigned char c : extension) lower += static_cast<wchar_t>(std::tolower(c));
    return lower;
}

// The type a typed name asks for: a name ending in one of the known
// extensions ("photo.png") is saved in that format whatever type the dialog
// had selected; null for a name without one.
const CCorvaneLoaderApp::FILE_FORMAT_DESCRIPTOR* FormatOfExtension(
    const std::wstring& path, const std::vector<CCorvaneLoaderApp::FILE_FORMAT_DESCRIPTOR>& formats)
{
    const std::wstring extension = LowerExtensionOf(path);
    if (extension.empty()) return nullptr;
    for (const auto& format : formats)
        for (const std::wstring& pattern : format.arrPatterns)  // "*.png"
            if (LowerExtensionOf(pattern) == extension) return &format;
    return nullptr;
}

// The save list with the edited file's own type first, so that it is the
// preselected type of the Save dialog.
std::vector<CCorvaneLoaderApp::FILE_FORMAT_DESCRIPTOR> SaveFormatsOwnFirst()
{
    std::vector<CCorvaneLoaderApp::FILE_FORMAT_DESCRIPTOR> formats;
    theApp.GetFileFormats(formats, FALSE);
    if (!theApp.m_pEditFile) return formats;
    const GUID own = theApp.m_pEditFile->GetFileFormat();
    const auto found = std::find_if(formats.begin(), formats.end(),
                                    [&own](const auto& format) { return format.guidFormat == own; });
    if (found != formats.end()) std::rotate(formats.begin(), found, std::next(found));
    return formats;
}

// Hands a prepared operation to the worker thread; an operation that cannot
// be started is dropped again so the program leaves the processing state.
void StartWorker(Operation* operation, const wchar_t* function)
{
    if (BeginImageProcessThread(operation)) return;
    WriteLog(LOG_LEVEL_ERROR, kModule, function, L"Failed to start the image-processing thread.");
    theApp.CancelProcessImage(operation);
}

// Begins an operation of `kind` named by the dictionary item `nameKey`; null
// (logged under `function`) when none could be begun.
Operation* BeginOperation(const OperationManage::OPTGUID& kind, const wchar_t* nameKey, const wchar_t* function)
{
    Operation* operation = theApp.BeginProcessImage();
    if (!operation) {
        WriteLog(LOG_LEVEL_ERROR, kModule, function, L"Failed to call theApp.BeginProcessImage.");
        return nullptr;
    }
    OperationManage::OptGuidCopy(operation->m_Kind, kind);
    operation->m_strName = Item(nameKey);
    return operation;
}

} // namespace

// ---- file --------------------------------------------------------------------------

void OnMainDlgFileOpen()
{
    constexpr const wchar_t* kFunction = L"OnMainDlgFileOpen";
    Trace(kFunction, L"IDM_OPEN");
    if (!SaveOrDiscard(MB_YESNO)) return;
    std::vector<CCorvaneLoaderApp::FILE_FORMAT_DESCRIPTOR> formats;
    theApp.GetFileFormats(formats, TRUE);
    std::wstring filter;
    theApp.BuildFileFilter(formats, filter, TRUE);
    CFGFileDialog dialog(TRUE, nullptr, nullptr, kOpenFlags, filter.c_str(), Owner());
    dialog.SetInitialFolder(DialogFolder().c_str());
    if (dialog.DoModal() != IDOK) return;
    const std::wstring path = dialog.GetPathName();
    CWaitCursor wait;
    if (!theApp.SetEditImageFile(path.c_str()))
        WriteLog(LOG_LEVEL_TRACE, kModule, kFunction, L"Failed to call theApp.SetEditImageFile with file '%s'.",
                 path.c_str());
}

void OnMainDlgFileSave()
{
    constexpr const wchar_t* kFunction = L"OnMainDlgFileSave";
    Trace(kFunction, L"IDM_SAVE");
    if (theApp.m_bFromClipboard) {
        OnMainDlgFileSaveAs();
        return;
    }
    if (!IsEditing() || !theApp.m_bModified) return;
    int result = 0;
    {
        CWaitCursor wait;
        result = theApp.SaveEditImageFileTo(Carrow::FileIO::GUID_NULL, nullptr);
    }
    if (result != -1) return;
    WriteLog(LOG_LEVEL_TRACE, kModule, kFunction, L"Failed to call theApp.SaveEditImageFileTo, start SaveAs process.");
    OnMainDlgFileSaveAs();
}

void OnMainDlgFileSaveAs()
{
    constexpr const wchar_t* kFunction = L"OnMainDlgFileSaveAs";
    Trace(kFunction, L"IDM_SAVEAS");
    if (!IsEditing()) return;
    const wchar_t* own = theApp.GetEditFilePath();
    const std::wstring proposed = FileNameOf(own ? own : L"");
    const auto formats = SaveFormatsOwnFirst();
    std::wstring filter;
    theApp.BuildFileFilter(formats, filter, FALSE);
    CFGFileDialog dialog(FALSE, L"", proposed.c_str(), kSaveFlags, filter.c_str(), Owner());
    dialog.SetInitialFolder(DialogFolder().c_str());
    if (dialog.DoModal() != IDOK) return;
    const DWORD filterIndex = dialog.GetFilterIndex();
    if (filterIndex < 1 || filterIndex > formats.size()) {
        // The dialog offered only the listed types; anything else is not saved.
        WriteLog(LOG_LEVEL_ERROR, kModule, kFunction, L"Invalid filter index %d.", static_cast<int>(filterIndex));
        return;
    }
    const std::wstring typed = dialog.GetPathName();
    const auto* named = FormatOfExtension(typed, formats);
    const auto& format = named ? *named : formats[filterIndex - 1];
    const std::wstring path = WithExtension(typed, format);
    CWaitCursor wait;
    const int result = theApp.SaveEditImageFileTo(format.guidFormat, path.c_str());
    if (result == -1) {
        WriteLog(LOG_LEVEL_TRACE, kModule, kFunction, L"Failed to call theApp.SaveEditImageFileTo, strFile = '%s'.",
                 path.c_str());
    } else if (result == 0 && !theApp.SetEditImageFile(path.c_str())) {
        WriteLog(LOG_LEVEL_TRACE, kModule, kFunction, L"Failed to call theApp.SetEditImageFile with file '%s'.",
                 path.c_str());
    }
}

BOOL OnMainDlgFileClose()
{
    constexpr const wchar_t* kFunction = L"OnMainDlgFileClose";
    Trace(kFunction, L"IDM_MAIN_FILE_CLOSE");
    if (!IsEditing()) return TRUE;
    if (theApp.m_bModified) {
        const int answer = AskToSave(MB_YESNOCANCEL);
        if (answer == IDCANCEL) return FALSE;
        if (answer == IDYES && theApp.m_bFromClipboard) {
            OnMainDlgFileSave();
            if (theApp.m_bModified) return FALSE;
        } else if (answer == IDYES) {
            const wchar_t* own = theApp.GetEditFilePath();
            const std::wstring path = own ? own : L"";
            int result = 0;
            {
                CWaitCursor wait;
                result = theApp.SaveEditImageFileTo(Carrow::FileIO::GUID_NULL, nullptr);
            }
            if (result == -1) {
                WriteLog(LOG_LEVEL_TRACE, kModule, kFunction,
                         L"Failed to call theApp.SaveEditImageFileTo, strFile = '%s'.", path.c_str());
                return FALSE;
            }
            if (result == 1) {
                WriteLog(LOG_LEVEL_TRACE, kModule, kFunction, L"Failed to call theApp.SaveEditImageFileTo. User cancel.");
                return FALSE;
            }
        }
    }
    theApp.EndEditImageFile();
    theApp.UpdateWindowTitle();
    return TRUE;
}

void OnMainDlgFileExit()
{
    constexpr const wchar_t* kFunction = L"OnMainDlgFileExit";
    Trace(kFunction, L"IDM_EXIT");
    const int state = theApp.m_nAppState;
    if (state == CCorvaneLoaderApp::APPSTATE_EDITING) {
        if (!OnMainDlgFileClose()) return;
    } else if (state != CCorvaneLoaderApp::APPSTATE_IDLE) {
        WriteLog(LOG_LEVEL_TRACE, kModule, kFunction, L"Invalid AppState: %d.", state);
        return;
    }
    theApp.SaveWindowState();
    if (CMainDlg* dialog = GetMainDlg()) dialog->CloseMainWindow();
}

// ---- edit ----------------------------------------------------------------------------

void OnMainDlgEditUndoRedo(UINT id)
{
    constexpr const wchar_t* kFunction = L"OnMainDlgEditUndoRedo";
    Trace(kFunction, L"IDM_UNDO/REDO");
    CWaitCursor wait;
    if (id == IDM_UNDO) {
        if (!theApp.GotoHistory(CCorvaneLoaderApp::GOTOHISTORY_PREVIOUS))
            WriteLog(LOG_LEVEL_ERROR, kModule, kFunction,
                     L"Failed to call theApp.GotoHistory( CCorvaneLoaderApp::GOTOHISTORY_PREVIOUS ).");
    } else if (!theApp.GotoHistory(CCorvaneLoaderApp::GOTOHISTORY_NEXT)) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kFunction,
                 L"Failed to call theApp.GotoHistory( CCorvaneLoaderApp::GOTOHISTORY_NEXT ).");
    }
}

void OnMainDlgEditCopy()
{
    constexpr const wchar_t* kFunction = L"OnMainDlgEditCopy";
    Trace(kFunction, L"IDM_COPY");
    CMainDlg* dialog = GetMainDlg();
    if (!IsEditing() || !dialog) return;
    CBitmap bmpClipboard;
    if (!dialog->GetImage(bmpClipboard)) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kFunction, L"Failed to call pMainDlg->GetImage( bmpClipboard ).");
        return;
    }
    Carrow::ClipboardIO::SetBitmap(bmpClipboard);
    bmpClipboard.Detach();  // the clipboard owns the picture now
}

void OnMainDlgEditPaste()
{
    constexpr const wchar_t* kFunction = L"OnMainDlgEditPaste";
    Trace(kFunction, L"IDM_PASTE");
    if (!theApp.m_bmpClipboard.GetSafeHandle()) return;
    if (!SaveOrDiscard(MB_YESNOCANCEL)) return;
    CWaitCursor wait;
    if (!theApp.SetEditBitmap(&theApp.m_bmpClipboard))
        WriteLog(LOG_LEVEL_TRACE, kModule, kFunction, L"Failed to call theApp.SetEditBitmap.");
}

// ---- view ----------------------------------------------------------------------------

void OnMainDlgViewZoom(UINT id)
{
    Trace(L"OnMainDlgViewZoom", L"IDM_ZOOMIN/IDM_ZOOMOUT");
    CMainDlg* dialog = GetMainDlg();
    if (!dialog) return;
    const double zoom = dialog->GetDisplayWnd().GetZoom();
    const int current = DisplayScale::NearestIndex(zoom);
    const int next = DisplayScale::StepIndex(zoom, id == IDM_ZOOMIN);
    if (next != current) dialog->SetDisplayScale(CMainDlg::ADAPT_SCALE, next);
}

void OnMainDlgViewFitWindow()
{
    Trace(L"OnMainDlgViewFitWindow", L"IDM_MAIN_VIEW_FITWINDOW");
    if (CMainDlg* dialog = GetMainDlg()) dialog->SetDisplayScale(CMainDlg::ADAPT_FITWINDOW, DisplayScale::INDEX_ORIGINAL);
}

void OnMainDlgViewOriginalSize()
{
    Trace(L"OnMainDlgViewOriginalSize", L"IDM_MAIN_VIEW_ORIGINALSIZE");
    CMainDlg* dialog = GetMainDlg();
    if (!dialog) return;
    if (!dialog->GetDisplayWnd().SetZoom(1.0))
        WriteLog(LOG_LEVEL_ERROR, kModule, L"CMainDlg::SetDisplayScale", L"Failed to call m_DisplayWnd.SetZoom with %f.",
                 1.0);
    dialog->UpdateStatusImageInfo();
}

void OnMainDlgViewMoveImage(UINT id)
{
    TraceCommand(L"OnMainDlgViewMoveImage", id);
    CMainDlg* dialog = GetMainDlg();
    if (!dialog) return;
    UINT key = 0;
    switch (id) {
    case IDM_MOVEUP: key = VK_UP; break;
    case IDM_MOVEDOWN: key = VK_DOWN; break;
    case IDM_MOVELEFT: key = VK_LEFT; break;
    case IDM_MOVERIGHT: key = VK_RIGHT; break;
    default: return;
    }
    dialog->GetDisplayWnd().OnKeyDown(key, 1, 0);
}

// ---- image ---------------------------------------------------------------------------

void OnMainDlgImageRotate(UINT id)
{
    constexpr const wchar_t* kFunction = L"OnMainDlgImageRotate";
    TraceCommand(kFunction, id);
    if (id != IDM_ROTATELEFT && id != IDM_ROTATERIGHT) AfxThrowNotSupportedException();
    if (!IsEditing()) return;
    Operation* operation = BeginOperation(OPTGUID_ROTATE, L"IDS_VELMIRA_OPERATION_NAME_ROTATE", kFunction);
    if (!operation) return;
    auto* param = new OptParam_Rotate();
    param->m_nMode = OptParam_Rotate::ROTATE_90;
    param->m_bClockwise = id == IDM_ROTATERIGHT;
    param->m_fAngle = 90.0f;
    operation->m_pParam = param;
    StartWorker(operation, kFunction);
}

void OnMainDlgImageFlip(UINT id)
{
    constexpr const wchar_t* kFunction = L"OnMainDlgImageFlip";
    TraceCommand(kFunction, id);
    if (id != IDM_HORIZONTALFLIP && id != IDM_VERTICALFLIP) AfxThrowNotSupportedException();
    if (!IsEditing()) return;
    Operation* operation = BeginOperation(OPTGUID_FLIP, L"IDS_VELMIRA_OPERATION_NAME_FLIP", kFunction);
    if (!operation) return;
    auto* param = new OptParam_Flip();
    param->m_bVertical = id == IDM_VERTICALFLIP;
    operation->m_pParam = param;
    StartWorker(operation, kFunction);
}

// ---- help ----------------------------------------------------------------------------

void OnMainDlgHelpUpgradeDetect()
{
    Trace(L"OnMainDlgHelpUpgradeDetect", L"IDM_ABOUT");
    if (CMainDlg* dialog = GetMainDlg()) dialog->ShowAboutBox();
}

// ---- dispatch ------------------------------------------------------------------------

bool RunMainDlgCommand(UINT id)
{
    switch (id) {
    case IDM_ABOUT: OnMainDlgHelpUpgradeDetect(); return true;
    case IDM_OPEN: OnMainDlgFileOpen(); return true;
    case IDM_SAVE: OnMainDlgFileSave(); return true;
    case IDM_SAVEAS: OnMainDlgFileSaveAs(); return true;
    case IDM_ZOOMIN:
    case IDM_ZOOMOUT: OnMainDlgViewZoom(id); return true;
    case IDM_COPY: OnMainDlgEditCopy(); return true;
    case IDM_PASTE: OnMainDlgEditPaste(); return true;
    case IDM_UNDO:
    case IDM_REDO: OnMainDlgEditUndoRedo(id); return true;
    case IDM_ROTATELEFT:
    case IDM_ROTATERIGHT: OnMainDlgImageRotate(id); return true;
    case IDM_HORIZONTALFLIP:
    case IDM_VERTICALFLIP: OnMainDlgImageFlip(id); return true;
    case IDM_EXIT: OnMainDlgFileExit(); return true;
    case IDM_MAIN_VIEW_FITWINDOW: OnMainDlgViewFitWindow(); return true;
    case IDM_MAIN_VIEW_ORIGINALSIZE: OnMainDlgViewOriginalSize(); return true;
    case IDM_MOVEUP:
    case IDM_MOVEDOWN:
    case IDM_MOVELEFT:
    case IDM_MOVERIGHT: OnMainDlgViewMoveImage(id); return true;
    default: return false;
    }
}

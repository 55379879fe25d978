#pragma once
// The application object: start-up and shutdown, the application state
// machine, keyboard shortcuts, persisted window placement and tool settings,
// message boxes, the editing period (open, paste, save), history navigation
// and the image-processing protocol (begin, worker thread, end or cancel).
//
// One global instance, `theApp`, exists from static initialisation on; its
// constructor touches no Qt object. main() creates the QApplication, then runs
// InitInstance (which runs the main window modally) and ExitInstance.
// Everything here runs on the user-interface thread unless a function says
// otherwise.

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Recallo/Operations.h"
#include "app/AppToolArray.h"
#include "app/HotkeyTable.h"
#include "app/IMainWindow.h"
#include "app/ThreadMessageQueue.h"
#include "app/WndState.h"
#include "platform/AppProfile.h"
#include "platform/CBitmap.h"
#include "platform/WinTypes.h"
#include "platform/WinUser.h"

class QObject;
class QEvent;
class CSingleInstanceLock;
class CAppEventFilter;
class ImageData;
namespace Carrow::FileIO {
class ImageFile;
}

// Thread messages the image-processing thread posts to the user-interface
// thread; WPARAM is 0 and LPARAM the Operation*.
inline constexpr UINT WM_IMAGEPROCESS_DONE = WM_USER + 0x1000;      // 0x1400
inline constexpr UINT WM_IMAGEPROCESS_FAILED = WM_USER + 0x1001;    // 0x1401
inline constexpr UINT WM_IMAGEPROCESS_PROGRESS = WM_USER + 0x1002;  // 0x1402

class CCorvaneLoaderApp {
public:
    /// Application states (m_nAppState).
    enum {
        APPSTATE_STARTING = 0,    ///< before the main window is initialised
        APPSTATE_IDLE = 1,        ///< main window up, no image
        APPSTATE_EDITING = 2,     ///< an image is loaded
        APPSTATE_PROCESSING = 3,  ///< an operation is in flight; commands are ignored
        APPSTATE_EXITING = 4,     ///< ExitInstance has begun
    };
    /// Directions of GotoHistory.
    enum { GOTOHISTORY_PREVIOUS = 0, GOTOHISTORY_NEXT = 1 };
    /// Indexes of the embedded tools in the tool array.
    enum {
        TOOL_IMAGEMOVER = 0,
        TOOL_REGIONSELECTOR = 1,
        TOOL_CLONESTAMP = 2,
        TOOL_DODGEBURN = 3,
        TOOL_SPOTREMOVER = 4,
        TOOL_REDEYEREDUCTION = 5,
        TOOL_COUNT = 6,
    };

    /// One file type of the Open and Save As dialogs.
    struct FILE_FORMAT_DESCRIPTOR {
        GUID guidFormat{};                      ///< image format identifier
        std::wstring strName;                   ///< display name from the dictionary
        std::vector<std::wstring> arrPatterns;  ///< file-name patterns ("*.jpg")
    };

    /// Answers a message box in place of the user: gets the text and type,
    /// returns the button pressed (IDOK...). Used by tests and batch runs.
    using MessageBoxHook = std::function<int(const std::wstring& text, UINT type)>;
    /// Makes the main window (the real dialog in the program).
    using MainWindowFactory = std::function<std::unique_ptr<IMainWindow>()>;

    /// Static construction: state STARTING, no image, empty history; installs
    /// the allocation-failure handler; finds the executable's folder and makes
    /// it the current directory. Touches no Qt object.
    CCorvaneLoaderApp();
    ~CCorvaneLoaderApp();
    CCorvaneLoaderApp(const CCorvaneLoaderApp&) = delete;
    CCorvaneLoaderApp& operator=(const CCorvaneLoaderApp&) = delete;

    // ---- start-up and shutdown -------------------------------------------

    /// Start-up: libraries, dictionaries, single-instance lock, skin, hotkeys,
    /// tools, tool settings; then runs the main window modally. Always FALSE
    /// once the main window has closed (and for a second instance). A
    /// QApplication must exist.
    BOOL InitInstance();
    /// Whether start-up takes the single-instance lock.
    enum class InstanceCheck {
        Exclusive,  ///< the program: a second copy stops at start-up
        Shared,     ///< the batch tool and tests: run beside the program
    };
    /// The steps of InitInstance before the main window: FALSE when `check`
    /// is Exclusive and another copy of the program runs (nothing but the
    /// libraries is then set up). Tests and the batch tool use it with
    /// Shared instead of InitInstance.
    BOOL InitServices(InstanceCheck check = InstanceCheck::Exclusive);
    /// Takes the single-instance lock into m_pInstanceMutex. FALSE only when
    /// another copy of the program holds it (this copy then ends quietly);
    /// any other failure to lock (an unusable runtime folder, a folder in the
    /// lock file's place) is logged with its reason and the program runs
    /// without the lock: TRUE.
    BOOL AcquireInstanceLock();
    /// Shutdown in reverse order; returns the process's exit code (0).
    int ExitInstance();
    /// Makes the main window; InitInstance uses it for step "run the main window".
    void SetMainWindowFactory(MainWindowFactory factory) { m_mainWindowFactory = std::move(factory); }
    /// Sets the main window the application talks to (not owned). Tests and
    /// the batch tool pass their stand-in; InitInstance passes the real one.
    void SetMainWindow(IMainWindow* window) { m_pMainWnd = window; }
    IMainWindow* GetMainWindow() const { return m_pMainWnd; }
    /// A photo named on the command line: it is opened as soon as the main
    /// window is up (its move from STARTING to IDLE), from the event loop.
    /// A relative `path` is taken relative to the folder the program was
    /// started in.
    void SetLaunchFile(const std::wstring& path);

    // ---- states, hotkeys, messages ---------------------------------------

    /// The only way the state changes; invalid transitions are logged and ignored.
    void SetAppState(int newState);
    /// Builds the shortcut table; FALSE when it cannot be made.
    BOOL CreateHotkeys();
    /// Shortcuts and wheel routing for one event of the application-wide
    /// event filter; TRUE when the event was consumed.
    BOOL PreTranslateMessage(QObject* receiver, QEvent* event);
    /// Every message box of the program: `prompt` with the application name
    /// as caption, buttons and icon from `type` (MB_...). Returns IDOK... .
    int DoMessageBox(const wchar_t* prompt, UINT type, UINT helpId = 0);
    /// Replaces the message box by `hook` (empty: real message boxes again).
    void SetMessageBoxHook(MessageBoxHook hook) { m_messageBoxHook = std::move(hook); }
    /// Reads a file for SetEditImageFile into `file` and returns FromFile's
    /// result code. Tests replace it to produce codes the library never
    /// returns; empty (the default) calls ImageFile::FromFile.
    using ImageFileReader = std::function<int(Carrow::FileIO::ImageFile& file, const wchar_t* path)>;
    void SetImageFileReader(ImageFileReader reader) { m_imageFileReader = std::move(reader); }
    /// Sets the main window's caption: "[Quillmark]  <app name>" and, while
    /// editing, " - <file name>".
    void UpdateWindowTitle();
    /// The caption UpdateWindowTitle sets.
    std::wstring BuildWindowTitle() const;
    /// The skin bitmap stored under `name`; null when none (looking a name up
    /// adds an empty entry for it).
    CBitmap* GetSkinBitmap(const wchar_t* name);
    /// The one tool this product is built around: the clone stamp for the
    /// product code "cst", the spot remover for "sr"; null for other codes
    /// or while that tool does not exist.
    IEmbeddedTool* GetProductTool();

    // ---- persisted settings (profile values on the user's registry hive) --

    /// Sets the company key: profile values live under
    /// HKEY_CURRENT_USER\Software\<company>\<application name>.
    void SetRegistryKey(const wchar_t* company);
    /// Reads a binary profile value; FALSE (and `out` empty) when none is stored.
    BOOL GetProfileBinary(const wchar_t* section, const wchar_t* entry, std::vector<BYTE>& out);
    /// Writes a binary profile value; FALSE when it could not be stored.
    BOOL WriteProfileBinary(const wchar_t* section, const wchar_t* entry, const std::vector<BYTE>& bytes);
    /// Loads the product tool's settings; FALSE when there is no product tool
    /// or nothing stored, else the tool's own result. The region selector's
    /// and the red-eye tool's settings, kept between runs as well, are
    /// loaded first.
    BOOL LoadToolSettings();
    /// Stores the product tool's settings (nothing without a product tool),
    /// the region selector's and the red-eye tool's.
    void SaveToolSettings();
    /// Loads the main window's placement into m_wndState; FALSE when none is stored
    /// or it is damaged.
    BOOL LoadWindowState();
    /// Stores the main window's current placement under "corvaneloader_dlg".
    void SaveWindowState();

    // ---- editing period ---------------------------------------------------

    /// Empties `out` and fills it with a copy of the open or save list.
    void GetFileFormats(std::vector<FILE_FORMAT_DESCRIPTOR>& out, BOOL forOpen) const;
    /// Appends a file-dialog filter ("Name (*.a;*.b)|*.a;*.b|...|") to `filter`,
    /// first with the entry for all supported types when asked.
    void BuildFileFilter(const std::vector<FILE_FORMAT_DESCRIPTOR>& formats, std::wstring& filter,
                         BOOL withAllSupported) const;
    /// Path of the edited file; null (logged) when none is set.
    const wchar_t* GetEditFilePath();
    /// Starts an editing period with the file at `path` (ending the current
    /// one first); failures of the file reach the user as their message.
    BOOL SetEditImageFile(const wchar_t* path);
    /// Starts a modified editing period with a pasted 24- or 32-bit bitmap,
    /// saved first as "Clipboard.bmp" in the temporary folder.
    BOOL SetEditBitmap(CBitmap* bitmap);
    /// Closes the current editing period through the main window's Close
    /// command (which may ask to save), then opens `path` (a dropped file).
    BOOL OpenImageFile(const wchar_t* path);
    /// Ends the editing period without saving.
    void EndEditImageFile();
    /// Saves the current image: 0 saved, 1 the user cancelled the encoder
    /// options, -1 failed (the message was shown). A null `path` saves over
    /// the edited file in its own format.
    int SaveEditImageFileTo(GUID format, const wchar_t* path);

    /// The "Dictionary" key of the message for a FromFile result (0 or
    /// negative); IDS_VELMIRA_MSG_UNKNOWN_ERROR for codes without their own.
    static const wchar_t* GetReadResultMessageKey(int result);
    /// The "Dictionary" key of the message for a failed ToFile result.
    static const wchar_t* GetWriteResultMessageKey(int result);

    // ---- history ----------------------------------------------------------

    /// Undo (GOTOHISTORY_PREVIOUS) or redo (GOTOHISTORY_NEXT): moves the cursor
    /// and shows the snapshot under it. Throws CNotSupportedException for
    /// another direction.
    BOOL GotoHistory(int direction);

    // ---- image processing -------------------------------------------------

    /// What the history keeps of the operations.
    enum class HistoryMode {
        /// The program: every operation works on a private copy of the
        /// current image and each snapshot stays for undo.
        Undoable,
        /// Runs that never undo (the batch tool): an operation works on the
        /// current snapshot's own pixels, without a copy, and once it is
        /// recorded every entry before it is given up, so the history holds
        /// one snapshot however many operations run. While an operation runs
        /// the history has no pixels of its own to show or save; only for a
        /// main window that shows nothing meanwhile.
        LatestOnly,
    };
    /// Sets how the next operations use the history (Undoable until set).
    void SetHistoryMode(HistoryMode mode) { m_historyMode = mode; }

    /// A new operation holding the current image (a private copy, or in
    /// HistoryMode::LatestOnly the snapshot's own pixels), and the state
    /// PROCESSING; null outside EDITING.
    OperationManage::Operation* BeginProcessImage();
    /// Shows the operation's image and appends it to the history (taking
    /// ownership); cancels it when it cannot be shown.
    void EndProcessImage(OperationManage::Operation* operation);
    /// Destroys the operation and returns to EDITING; pixels the operation
    /// took from the history (HistoryMode::LatestOnly) go back to their entry.
    void CancelProcessImage(OperationManage::Operation* operation);
    /// Posts a thread message to the user-interface thread (never lost).
    /// FALSE before InitServices/AttachMessageQueue. Any thread.
    BOOL PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam);
    /// Binds the thread-message queue to the calling (user-interface) thread.
    /// InitServices does it; tests that skip InitServices call it themselves.
    void AttachMessageQueue();
    /// Handles every queued thread message now (user-interface thread).
    void DispatchThreadMessages() { m_threadMessages.DispatchPending(); }
    /// Number of thread messages waiting to be handled. Any thread.
    std::size_t GetPendingThreadMessageCount() const { return m_threadMessages.Size(); }
    /// Runs the Qt event loop until the state is no longer PROCESSING or
    /// `timeoutMs` milliseconds have passed; TRUE when processing ended.
    /// For callers without a main loop of their own (the batch tool, tests).
    BOOL WaitWhileProcessing(int timeoutMs);

    // Thread-message handlers.
    LRESULT OnImageProcessDone(WPARAM wParam, LPARAM lParam);
    LRESULT OnImageProcessFailed(WPARAM wParam, LPARAM lParam);
    LRESULT OnImageProcessProgress(WPARAM wParam, LPARAM lParam);

    // ---- members (declaration order is construction order) ----------------

    std::unique_ptr<CSingleInstanceLock> m_pInstanceMutex;  ///< single-instance lock; null when none held
    std::wstring m_strLaunchFolder;   ///< the current directory the process started in, with a trailing separator
    std::wstring m_strModulePath;     ///< full path of the executable
    std::wstring m_strModuleName;     ///< its file name
    std::wstring m_strWorkingPath;    ///< its folder, with the trailing separator; the current directory
    std::wstring m_strBitmapPath;     ///< m_strWorkingPath + "Bitmap/"
    std::wstring m_strAppName;        ///< display name (IDS_CORVANE_APPNAME of "Tool")
    std::wstring m_strProductCode;    ///< product code (IDS_CORVANE_CODE of "Tool"), lower case
    int m_nAppState{APPSTATE_STARTING};
    std::unique_ptr<CHotkeyTable> m_hAccel;  ///< shortcut table; null when none
    BOOL m_bModified{FALSE};          ///< the edited image has unsaved changes
    std::map<std::wstring, CBitmap*> m_mapBitmaps;          ///< skin bitmaps
    std::map<std::wstring, std::wstring> m_mapBitmapNames;  ///< second map of the skin loader
    std::vector<FILE_FORMAT_DESCRIPTOR> m_arrOpenFormats;
    std::vector<FILE_FORMAT_DESCRIPTOR> m_arrSaveFormats;
    std::unique_ptr<Carrow::FileIO::ImageFile> m_pEditFile;  ///< the edited file; null when none
    OperationManage::Operations m_OptHistory;         ///< undo/redo history
    std::unique_ptr<CAppToolArray> m_arrTools;        ///< the six embedded tools
    CBitmap m_bmpClipboard;           ///< the clipboard's bitmap, kept current by the main window
    BOOL m_bFromClipboard{FALSE};     ///< the edited image came from the clipboard
    CWndState m_wndState;             ///< main window placement

private:
    void BuildFileFormats();
    void CreateEmbeddedTools();
    void HandleThreadMessage(const THREAD_MSG& msg);
    void ShowFileResultMessage(const wchar_t* key);
    BOOL ApplyOpenedFile(std::unique_ptr<Carrow::FileIO::ImageFile> file, const wchar_t* path);
    ImageData* FindSnapshotWithPixels(std::size_t fromIndex) const;
    std::unique_ptr<ImageData> ImageForOperation(ImageData& current);
    void DropEntriesBeforeCurrent();
    bool IsMainWindowInFront() const;
    int ShowMessageBox(const std::wstring& text, UINT type);
    void OpenLaunchFileLater();
    BOOL LoadSettingsOf(IEmbeddedTool* tool);
    void SaveSettingsOf(IEmbeddedTool* tool);

    IMainWindow* m_pMainWnd{nullptr};  // not owned
    std::unique_ptr<IMainWindow> m_pOwnedMainWnd;
    MainWindowFactory m_mainWindowFactory;
    MessageBoxHook m_messageBoxHook;
    ImageFileReader m_imageFileReader;
    CThreadMessageQueue m_threadMessages;
    std::unique_ptr<CAppEventFilter> m_pEventFilter;
    CAppProfile m_Profile;  // profile values under the company and application keys
    std::wstring m_strEditFilePath;  // GetEditFilePath's result stays valid while the call's caller uses it
    std::wstring m_strLaunchFile;    // photo to open once the main window is up; empty when none
    HistoryMode m_historyMode{HistoryMode::Undoable};
    // The entry whose pixels the operation in flight took (LatestOnly); null
    // when it works on a copy. User-interface thread.
    ImageData* m_pTakenSnapshot{nullptr};
};

/// The one application object.
extern CCorvaneLoaderApp theApp;

/// Removes the oldest history entry and every following entry without pixels
/// of its own; TRUE when something was removed and the history now begins
/// with a full snapshot. Never removes the entry under the cursor or the
/// snapshot it shows (HistoryBudget::CanGiveUpOldest). Any thread (see the
/// history lock in the .cpp).
BOOL ReduceHistory();

/// The allocation-failure handler: gives up history and asks for a retry
/// (non-zero) or gives up (0). Any thread.
int New_Handler(std::size_t size);

/// The worker thread body: runs the operator of `operation`'s kind, logs the
/// time it took and posts WM_IMAGEPROCESS_DONE or _FAILED. Returns 0.
UINT ImageProcessThread(void* operation);

/// Starts ImageProcessThread with `operation` on a new detached thread, which
/// owns the operation until its message is handled. FALSE when the thread
/// could not be started (the caller then still owns the operation).
BOOL BeginImageProcessThread(OperationManage::Operation* operation);

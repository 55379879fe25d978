// History navigation and the image-processing protocol of the application
// object: BeginProcessImage, the worker thread, EndProcessImage and
// CancelProcessImage, and the thread messages that connect them.
//
// Ownership of an operation in flight: the initiator between
// BeginProcessImage and starting the worker; the worker thread while it runs;
// the queued thread message (CThreadMessageQueue) until the user-interface
// thread handles it; then the history (EndProcessImage) or nobody
// (CancelProcessImage deletes it). Nothing reads the operation's data between
// the start of the worker and the arrival of its message.
#include <chrono>
#include <new>
#include <thread>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include "Tracewell/Log.h"
#include "app/CorvaneLoaderApp.h"
#include "app/HistoryBudget.h"
#include "app/HistoryLock.h"
#include "operations/ImageData.h"
#include "operations/Operators.h"
#include "operations/OptGuids.h"
#include "operations/PixelBuffer.h"
#include "platform/NotSupportedException.h"
#include "platform/TickCount.h"

using OperationManage::Operation;

namespace {

constexpr const wchar_t* kModule = L"CorvaneLoader";

ImageData* DataOf(const Operation* operation)
{
    return operation ? dynamic_cast<ImageData*>(operation->m_pData) : nullptr;
}

// The image a new operation works on: the current entry's header and the
// pixels of `shown`, the snapshot on screen (the entry's own, or the nearest
// earlier one when it has none), copied into `storage` (reused when it is
// large enough); no selection. Caller holds the history lock.
std::unique_ptr<ImageData> CopyForOperation(const ImageData& current, const ImageData* shown,
                                            std::vector<unsigned char> storage)
{
    auto copy = std::make_unique<ImageData>();
    copy->m_Header = shown ? shown->m_Header : current.m_Header;
    copy->m_Pixels = std::move(storage);
    copy->m_Pixels.clear();
    if (shown) PixelBuffer::AssignCopy(copy->m_Pixels, shown->m_Pixels.data(), shown->m_Pixels.size());
    return copy;
}

} // namespace

// Walks from `fromIndex` towards the oldest entry to the nearest snapshot that
// holds pixels. Caller holds the history lock.
ImageData* CCorvaneLoaderApp::FindSnapshotWithPixels(std::size_t fromIndex) const
{
    for (std::size_t index = fromIndex + 1; index-- > 0;) {
        ImageData* data = DataOf(m_OptHistory.Get(index));
        if (data && data->HasPixels()) return data;
    }
    return nullptr;
}

// ---- history navigation ---------------------------------------------------------

BOOL CCorvaneLoaderApp::GotoHistory(int direction)
{
    constexpr const wchar_t* kFunction = L"CCorvaneLoaderApp::GotoHistory";
    if (m_nAppState != APPSTATE_EDITING) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kFunction, L"Invalid AppState: %d.", m_nAppState);
        return FALSE;
    }
    HistoryLockGuard lock(HistoryMutex());
    if (m_OptHistory.empty()) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kFunction, L"Invalid Argument.");
        return FALSE;
    }
    if (direction == GOTOHISTORY_PREVIOUS) {
        if (!m_OptHistory.Previous()) {
            WriteLog(LOG_LEVEL_ERROR, kModule, kFunction, L"Failed to call m_OptHistory.Previous.");
            return TRUE;
        }
    } else if (direction == GOTOHISTORY_NEXT) {
        if (!m_OptHistory.Next()) {
            WriteLog(LOG_LEVEL_ERROR, kModule, kFunction, L"Failed to call m_OptHistory.Next.");
            return TRUE;
        }
    } else {
        AfxThrowNotSupportedException();
    }
    if (m_pMainWnd) m_pMainWnd->UpdateToolbarState();
    const Operation* current = m_OptHistory.Current();
    ImageData* data = DataOf(current);
    // Only entries of the no-image kind may lack pixels; show the nearest
    // earlier snapshot for them.
    if (current && OperationManage::IsOptGuidEqual(current->m_Kind, OPTGUID_NOIMAGE) && !(data && data->HasPixels()))
        data = FindSnapshotWithPixels(m_OptHistory.CurrentIndex());
    if (data && m_pMainWnd && m_pMainWnd->UpdateImage(data->m_Pixels.data(), data->m_Header)) return TRUE;
    WriteLog(LOG_LEVEL_ERROR, kModule, kFunction, L"Failed to call pMainDlg->SetImage.");
    return FALSE;
}

// ---- the processing protocol --------------------------------------------------

Operation* CCorvaneLoaderApp::BeginProcessImage()
{
    constexpr const wchar_t* kFunction = L"CCorvaneLoaderApp::BeginProcessImage";
    if (m_nAppState != APPSTATE_EDITING) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kFunction, L"Invalid AppState: %d", m_nAppState);
        return nullptr;
    }
    std::unique_ptr<Operation> operation;
    try {
        HistoryLockGuard lock(HistoryMutex());
        ImageData* current = DataOf(m_OptHistory.Current());
        if (!current) {
            WriteLog(LOG_LEVEL_ERROR, kModule, kFunction, L"Invalid Argument.");
            return nullptr;
        }
        operation = std::make_unique<Operation>();
        operation->m_pData = ImageForOperation(*current).release();
    } catch (const std::bad_alloc&) {
        // Even after giving up history there was no room for the copy: the
        // command is refused and the image stays as it is.
        WriteLog(LOG_LEVEL_ERROR, kModule, kFunction, L"Not enough memory to copy the image.");
        return nullptr;
    }
    SetAppState(APPSTATE_PROCESSING);
    return operation.release();
}

// The image an operation works on: the current snapshot's own pixels in
// LatestOnly mode (when it holds any), otherwise a copy of the nearest
// snapshot. Caller holds the history lock.
std::unique_ptr<ImageData> CCorvaneLoaderApp::ImageForOperation(ImageData& current)
{
    if (m_historyMode == HistoryMode::LatestOnly && current.HasPixels()) {
        auto image = std::make_unique<ImageData>();
        image->m_Header = current.m_Header;
        image->m_Pixels.swap(current.m_Pixels);
        m_pTakenSnapshot = &current;
        return image;
    }
    // The new entry's snapshot must fit in the history's budget: the oldest
    // entries go first, as when memory runs out, and the pixel storage of one
    // of them takes the copy. The current entry is never given up, but the
    // snapshot on screen is looked up again after the trimming.
    std::vector<unsigned char> storage;
    if (const ImageData* shown = FindSnapshotWithPixels(m_OptHistory.CurrentIndex()))
        HistoryBudget::MakeRoom(shown->m_Pixels.size(), &storage);
    return CopyForOperation(current, FindSnapshotWithPixels(m_OptHistory.CurrentIndex()), std::move(storage));
}

// LatestOnly mode: nothing will be undone, so only the entry on screen stays.
void CCorvaneLoaderApp::DropEntriesBeforeCurrent()
{
    HistoryLockGuard lock(HistoryMutex());
    const ImageData* current = DataOf(m_OptHistory.Current());
    if (!current || !current->HasPixels()) return;
    while (m_OptHistory.RemoveFirstOnly()) {
    }
}

void CCorvaneLoaderApp::EndProcessImage(Operation* operation)
{
    constexpr const wchar_t* kFunction = L"CCorvaneLoaderApp::EndProcessImage";
    if (!operation) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kFunction, L"Invalid Argument.");
        return;
    }
    ImageData* data = DataOf(operation);
    const bool shown = !OperationManage::IsOptGuidEqual(operation->m_Kind, OPTGUID_NULL) && data && m_pMainWnd &&
                       m_pMainWnd->UpdateImage(data->m_Pixels.data(), data->m_Header);
    if (!shown) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kFunction, L"Invalid Operation, it should be canceledd.");
        CancelProcessImage(operation);
        return;
    }
    try {
        HistoryLockGuard lock(HistoryMutex());
        m_OptHistory.Append(*operation);
    } catch (const std::bad_alloc&) {
        // The view already shows the operation's pixels, which are about to
        // be freed: put the current snapshot back on screen first.
        WriteLog(LOG_LEVEL_ERROR, kModule, kFunction, L"Not enough memory to record the operation.");
        HistoryLockGuard lock(HistoryMutex());
        if (ImageData* current = FindSnapshotWithPixels(m_OptHistory.CurrentIndex()))
            m_pMainWnd->UpdateImage(current->m_Pixels.data(), current->m_Header);
        CancelProcessImage(operation);
        return;
    }
    m_pTakenSnapshot = nullptr;
    if (m_historyMode == HistoryMode::LatestOnly) DropEntriesBeforeCurrent();
    SetAppState(APPSTATE_EDITING);
    m_bModified = TRUE;
    m_pMainWnd->FocusImageView();
}

void CCorvaneLoaderApp::CancelProcessImage(Operation* operation)
{
    if (!operation) {
        WriteLog(LOG_LEVEL_ERROR, kModule, L"CCorvaneLoaderApp::CancelProcessImage", L"Invalid Argument.");
        return;
    }
    if (m_pTakenSnapshot) {
        // The pixels go back to the entry they came from, as the operator
        // left them: an operator that fails changes nothing, and a partial
        // change is still better than a history without a picture.
        HistoryLockGuard lock(HistoryMutex());
        if (ImageData* data = DataOf(operation)) {
            m_pTakenSnapshot->m_Header = data->m_Header;
            m_pTakenSnapshot->m_Pixels.swap(data->m_Pixels);
        }
        m_pTakenSnapshot = nullptr;
    }
    SetAppState(APPSTATE_EDITING);
    delete operation;  // releases its parameter and data records
}

// ---- thread messages -----------------------------------------------------------

void CCorvaneLoaderApp::AttachMessageQueue()
{
    m_threadMessages.Attach([this](const THREAD_MSG& msg) { HandleThreadMessage(msg); });
}

BOOL CCorvaneLoaderApp::PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return m_threadMessages.Post(message, wParam, lParam);
}

void CCorvaneLoaderApp::HandleThreadMessage(const THREAD_MSG& msg)
{
    switch (msg.message) {
    case WM_IMAGEPROCESS_DONE: OnImageProcessDone(msg.wParam, msg.lParam); break;
    case WM_IMAGEPROCESS_FAILED: OnImageProcessFailed(msg.wParam, msg.lParam); break;
    case WM_IMAGEPROCESS_PROGRESS: OnImageProcessProgress(msg.wParam, msg.lParam); break;
    default: break;
    }
}

LRESULT CCorvaneLoaderApp::OnImageProcessDone(WPARAM, LPARAM lParam)
{
    EndProcessImage(reinterpret_cast<Operation*>(lParam));
    return 0;
}

LRESULT CCorvaneLoaderApp::OnImageProcessFailed(WPARAM, LPARAM lParam)
{
    CancelProcessImage(reinterpret_cast<Operation*>(lParam));
    return 0;
}

LRESULT CCorvaneLoaderApp::OnImageProcessProgress(WPARAM, LPARAM)
{
    // Progress reports pile up faster than they can be shown: drop the queued
    // ones up to the report that says the work is complete.
    while (const auto next = m_threadMessages.TakeMessage(WM_IMAGEPROCESS_PROGRESS)) {
        if (next->wParam == static_cast<WPARAM>(next->lParam)) break;
    }
    return 0;
}

BOOL CCorvaneLoaderApp::WaitWhileProcessing(int timeoutMs)
{
    // Sleeps until an event arrives (the worker's message among them): the
    // timed processEvents never sleeps, and spinning here would take a core
    // from the worker. The timer makes sure the sleep ends at the deadline.
    QDeadlineTimer deadline(timeoutMs);
    QTimer wakeAtDeadline;
    wakeAtDeadline.setSingleShot(true);
    wakeAtDeadline.start(timeoutMs);
    while (m_nAppState == APPSTATE_PROCESSING && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return m_nAppState == APPSTATE_PROCESSING ? FALSE : TRUE;
}

// ---- the worker ------------------------------------------------------------------

UINT ImageProcessThread(void* parameter)
{
    auto* operation = static_cast<Operation*>(parameter);
    const DWORD start = GetTickCount();
    bool succeeded = false;
    try {
        succeeded = RunOperator(*operation);
    } catch (const std::bad_alloc&) {
        succeeded = false;  // the operator ran out of memory: the operation fails
    }
    const DWORD elapsed = GetTickCount() - start;
    WriteLog(LOG_LEVEL_INFO, kModule, L"ImageProcessThread", L"Operation \"%s\" cost %dms. Returned: %s\n",
             operation->m_strName.c_str(), static_cast<int>(elapsed), succeeded ? L"Success" : L"False");
    const LPARAM message = reinterpret_cast<LPARAM>(operation);
    if (succeeded) {
        // The result must reach the user-interface thread: retry until queued.
        while (!theApp.PostThreadMessage(WM_IMAGEPROCESS_DONE, 0, message)) std::this_thread::yield();
    } else {
        theApp.PostThreadMessage(WM_IMAGEPROCESS_FAILED, 0, message);
    }
    return 0;
}

BOOL BeginImageProcessThread(Operation* operation)
{
    try {
        std::thread(ImageProcessThread, static_cast<void*>(operation)).detach();
        return TRUE;
    } catch (const std::system_error&) {
        return FALSE;
    }
}

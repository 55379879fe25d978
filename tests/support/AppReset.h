#pragma once
// Puts the application object back to "nothing open" between tests. Header
// only, because it works on `theApp`, and only the test programs that link
// the application core include it.

#include "app/CorvaneLoaderApp.h"
#include <filesystem>
#include <system_error>

#include "app/HistoryLock.h"
#include "platform/SystemFolders.h"
#include "platform/TextConvert.h"

namespace CorvaneTest {

/// Forgets what `theApp` was editing: handles the messages the image
/// thread left, empties the history (under its lock), closes the file and
/// clears the modified and from-clipboard flags; operations keep undo steps
/// again; removes the "Clipboard.bmp" a paste leaves in the temporary folder.
/// The application state is left as it is. User-interface thread, with no operation running.
inline void ClearEditing()
{
    theApp.DispatchThreadMessages();
    {
        HistoryLockGuard lock(HistoryMutex());
        theApp.m_OptHistory.clear();
    }
    theApp.m_pEditFile.reset();
    theApp.m_bModified = FALSE;
    theApp.m_bFromClipboard = FALSE;
    theApp.SetHistoryMode(CCorvaneLoaderApp::HistoryMode::Undoable);
    std::error_code ignored;
    std::filesystem::remove(WideToUtf8(GetTempFolder() + L"Clipboard.bmp"), ignored);
}

} // namespace CorvaneTest

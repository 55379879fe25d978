#pragma once
// Keeps a second copy of the program from running: the first copy holds an
// exclusive lock on a file named after the application in the user's runtime
// folder (see SystemFolders.h). The operating system drops the lock when the
// holding process ends in any way, crash and SIGKILL included, so a stale
// lock never blocks the next start. The lock file itself stays on disk; it
// holds nothing.

#include <string>

class CSingleInstanceLock {
public:
    enum class Result {
        Acquired,        ///< this object now holds the lock: no other copy runs
        AlreadyRunning,  ///< another process (or another lock object) holds it
        Failed           ///< the lock file could not be created or locked
    };

    /// A lock for the application named `appName` (any text; characters a
    /// file name cannot hold are replaced). Does not lock yet.
    explicit CSingleInstanceLock(const std::wstring& appName);
    /// Releases the lock when held.
    ~CSingleInstanceLock();
    CSingleInstanceLock(const CSingleInstanceLock&) = delete;
    CSingleInstanceLock& operator=(const CSingleInstanceLock&) = delete;

    /// Tries once, without waiting, to take the lock; creates the runtime
    /// folder when needed. Calling it again while held returns Acquired.
    /// The lock is not passed to programs this process starts with exec.
    Result Acquire();

    /// Gives the lock up; nothing happens when it is not held.
    void Release();

    /// True while this object holds the lock.
    bool IsHeld() const { return m_fd >= 0; }

    /// Full path of the lock file.
    const std::wstring& GetLockFilePath() const { return m_path; }

    /// The system's error number of the last Acquire that returned Failed
    /// (EISDIR for a folder in the lock file's place, ENOTDIR or EACCES for
    /// an unusable runtime folder...); 0 after any other result.
    int GetLastError() const { return m_lastError; }

private:
    std::wstring m_path;
    int m_fd{-1};
    int m_lastError{0};
};

#pragma once
// The destination of log lines: memory before the log is opened, the log file
// while it is open, standard error once it has been closed (or could not be
// opened). One mutex guards all of it, so a line is written whole and lines
// keep the order in which they took the lock.
//
// Rotation: before a line is written, a file that has reached
// Limits::rotateBytes is renamed to "<log>.1" (replacing the older one) and a
// fresh file is started. Several processes append to the same file; the one
// that finds it overgrown renames it while holding an exclusive flock on the
// log folder, and every other process, finding the file it writes to
// overgrown too, sees under the same lock that the path now names another
// file and switches to that. So the log and its one older generation stay
// near rotateBytes each, however long the processes run.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace Tracewell {

class LogSink {
public:
    struct Limits {
        std::size_t maxPendingLines = 2000;      ///< lines kept before the log opens
        std::size_t maxPendingBytes = 1u << 20;  ///< bytes kept before the log opens
        std::uintmax_t rotateBytes = 8u << 20;   ///< a file this large is moved aside before the next line
    };

    enum class WriteResult { Buffered, Written, Failed };

    LogSink() = default;
    explicit LogSink(const Limits& limits) : m_limits(limits) {}
    ~LogSink();
    LogSink(const LogSink&) = delete;
    LogSink& operator=(const LogSink&) = delete;

    /// The process-wide sink behind WriteLog. Never destroyed, so lines written
    /// from static destructors and atexit handlers still have somewhere to go.
    static LogSink& Global();

    /// Opens the file at LogFilePath() (counting nested calls), rotating it
    /// when it has outgrown Limits::rotateBytes, and writes the kept
    /// lines. False when the file cannot be opened: kept lines then go to
    /// standard error and so does everything after. Any thread.
    bool Open();

    /// Balances one successful Open; the last one closes the file. Lines kept
    /// in memory (no Open ever succeeded) go to standard error. Any thread.
    void Close();

    /// Writes one complete line (ending in '\n') with a single write(2):
    /// kept in memory before the first Open (or to standard error when the
    /// memory limits are reached), else to the file (rotated first when it
    /// has outgrown Limits::rotateBytes), or standard error when
    /// the file is closed or the write fails. Failed only when nothing could
    /// be written at all. Any thread.
    WriteResult Write(std::string_view line);

    /// Sends the lines still kept in memory to standard error and stops keeping
    /// lines. Used at process exit when the log was never opened.
    void FlushPendingToStderr();

    /// The open file's path, or the path Open would use now.
    std::filesystem::path Path() const;

    /// The open file's descriptor, or -1. Read without the lock (for the crash
    /// handler, which must not take locks); rotation keeps the number and
    /// points it at the new file in one step.
    int FileDescriptor() const { return m_fileFd.load(std::memory_order_acquire); }

private:
    enum class State { Keeping, Open, Closed };

    bool OpenFileLocked();
    void RotateIfOvergrownLocked();
    void SwitchToFileAtPathLocked();
    void WritePendingLocked(int fd);
    static bool WriteAll(int fd, std::string_view bytes);

    const Limits m_limits{};
    mutable std::mutex m_mutex;
    State m_state{State::Keeping};
    int m_fd{-1};
    int m_openCount{0};
    std::filesystem::path m_path;
    std::vector<std::string> m_pending;
    std::size_t m_pendingBytes{0};
    std::size_t m_spilled{0}; ///< lines sent to stderr because the memory was full
    std::atomic<int> m_fileFd{-1};
};

} // namespace Tracewell

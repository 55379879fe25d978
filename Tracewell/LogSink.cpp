#include "Tracewell/LogSink.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Tracewell/LogLine.h"
#include "Tracewell/LogLocation.h"
#include "platform/WideFormat.h"

namespace Tracewell {

namespace {

std::string NoticeLine(int level, const std::wstring& text)
{
    return FormatLogLine(CurrentStamp(), level, L"Tracewell", L"InitLog", text);
}

// An exclusive flock on the log folder for the life of the object, so that
// the processes writing one log rotate it one at a time. A folder that cannot
// be opened gives no lock; the rotation then goes ahead unguarded.
class FolderLock {
public:
    explicit FolderLock(const std::filesystem::path& folder)
        : m_fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        if (m_fd < 0) return;
        while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~FolderLock()
    {
        if (m_fd >= 0) ::close(m_fd);  // closing drops the lock
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int m_fd;
};

bool IsSameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

LogSink::~LogSink()
{
    if (m_fd >= 0) ::close(m_fd);
}

LogSink& LogSink::Global()
{
    static LogSink* const sink = new LogSink();
    return *sink;
}

bool LogSink::WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool LogSink::OpenFileLocked()
{
    const std::filesystem::path path = LogFilePath();
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        const int error = errno;
        WriteAll(STDERR_FILENO, NoticeLine(1, FormatWide(L"Cannot open the log file '%hs': %hs. Lines go to "
                                                         L"standard error.",
                                                         path.c_str(), std::strerror(error))));
        return false;
    }
    m_fd = fd;
    m_path = path;
    RotateIfOvergrownLocked();
    m_fileFd.store(fd, std::memory_order_release);
    return true;
}

void LogSink::RotateIfOvergrownLocked()
{
    struct stat mine {};
    if (::fstat(m_fd, &mine) != 0 || static_cast<std::uintmax_t>(mine.st_size) < m_limits.rotateBytes) return;
    FolderLock lock(m_path.parent_path());
    // Another process may have moved the file aside since our fstat; then the
    // path already names a fresh file and only the switch is left to do.
    struct stat atPath {};
    const bool stillAtPath = ::stat(m_path.c_str(), &atPath) == 0 && IsSameFile(atPath, mine);
    if (stillAtPath && ::rename(m_path.c_str(), RotatedLogFilePath(m_path).c_str()) != 0) return;
    SwitchToFileAtPathLocked();
}

void LogSink::SwitchToFileAtPathLocked()
{
    const int fd = ::open(m_path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;  // go on writing to the old file rather than lose lines
    // dup3 points our descriptor number at the new file in one step, so the
    // crash handler, which reads the number without a lock, never finds it
    // closed or reused.
    ::dup3(fd, m_fd, O_CLOEXEC);
    ::close(fd);
}

void LogSink::WritePendingLocked(int fd)
{
    for (const std::string& line : m_pending)
        if (!WriteAll(fd, line)) WriteAll(STDERR_FILENO, line);
    if (m_spilled > 0 && fd != STDERR_FILENO) {
        const std::string note = NoticeLine(2, FormatWide(L"%zu lines written before the log was opened went to "
                                                          L"standard error.",
                                                          m_spilled));
        WriteAll(fd, note);
    }
    m_pending.clear();
    m_pending.shrink_to_fit();
    m_pendingBytes = 0;
    m_spilled = 0;
}

bool LogSink::Open()
{
    std::lock_guard lock(m_mutex);
    if (m_state == State::Open) {
        ++m_openCount;
        return true;
    }
    if (!OpenFileLocked()) {
        WritePendingLocked(STDERR_FILENO);
        m_state = State::Closed;
        return false;
    }
    WritePendingLocked(m_fd);
    m_state = State::Open;
    m_openCount = 1;
    return true;
}

void LogSink::Close()
{
    std::lock_guard lock(m_mutex);
    if (m_state == State::Keeping) {
        WritePendingLocked(STDERR_FILENO);
        m_state = State::Closed;
        return;
    }
    if (m_state != State::Open || --m_openCount > 0) return;
    m_fileFd.store(-1, std::memory_order_release);
    ::close(m_fd);
    m_fd = -1;
    m_state = State::Closed;
}

LogSink::WriteResult LogSink::Write(std::string_view line)
{
    std::lock_guard lock(m_mutex);
    if (m_state == State::Keeping) {
        if (m_pending.size() < m_limits.maxPendingLines && m_pendingBytes + line.size() <= m_limits.maxPendingBytes) {
            m_pending.emplace_back(line);
            m_pendingBytes += line.size();
            return WriteResult::Buffered;
        }
        ++m_spilled;
        return WriteAll(STDERR_FILENO, line) ? WriteResult::Written : WriteResult::Failed;
    }
    if (m_state == State::Open) {
        RotateIfOvergrownLocked();
        if (WriteAll(m_fd, line)) return WriteResult::Written;
    }
    return WriteAll(STDERR_FILENO, line) ? WriteResult::Written : WriteResult::Failed;
}

void LogSink::FlushPendingToStderr()
{
    std::lock_guard lock(m_mutex);
    if (m_state != State::Keeping) return;
    WritePendingLocked(STDERR_FILENO);
    m_state = State::Closed;
}

std::filesystem::path LogSink::Path() const
{
    std::lock_guard lock(m_mutex);
    return m_state == State::Open ? m_path : LogFilePath();
}

} // namespace Tracewell

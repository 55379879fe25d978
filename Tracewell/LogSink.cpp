#include "Tracewell/LogSink.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
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

void MoveAsideWhenTooLarge(const std::filesystem::path& file, std::uintmax_t limit)
{
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(file, ec);
    if (ec || size < limit) return;
    std::filesystem::rename(file, RotatedLogFilePath(file), ec);
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
    MoveAsideWhenTooLarge(path, m_limits.rotateBytes);
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
    m_fileFd.store(fd, std::memory_order_release);
    return true;
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
    if (m_state == State::Open && WriteAll(m_fd, line)) return WriteResult::Written;
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

#include "io/AtomicFileWriter.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace Carrow::FileIO {

namespace {

constexpr int kNameAttempts = 64;

std::atomic<int (*)(int)> g_fsync{nullptr};
std::atomic<int (*)(const char*, const char*)> g_rename{nullptr};

int SyncFile(int fd)
{
    const auto call = g_fsync.load();
    return call ? call(fd) : ::fsync(fd);
}

int RenameFile(const char* from, const char* to)
{
    const auto call = g_rename.load();
    return call ? call(from, to) : ::rename(from, to);
}

void IgnoreSignal(int) {}

// With SIGXFSZ caught, a write past the file-size limit fails with EFBIG
// instead of ending the program, and the save fails cleanly. A handler (or
// an ignore) set by someone else is left alone.
void CatchFileSizeSignal()
{
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction current {};
        if (::sigaction(SIGXFSZ, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) return;
        struct sigaction caught {};
        caught.sa_handler = IgnoreSignal;
        sigemptyset(&caught.sa_mask);
        ::sigaction(SIGXFSZ, &caught, nullptr);
    });
}

// The file a path finally names: an existing target with every link resolved,
// otherwise the path as given.
std::string ResolveTarget(const std::string& path)
{
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved)) return resolved;
    return path;
}

std::string FolderOf(const std::string& path)
{
    const std::string::size_type slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string RandomSuffix()
{
    static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    thread_local std::mt19937 engine{std::random_device{}()};
    std::uniform_int_distribution<int> pick(0, 35);
    std::string suffix(8, '0');
    for (char& c : suffix) c = kDigits[pick(engine)];
    return suffix;
}

} // namespace

AtomicFileWriter::AtomicFileWriter(const std::string& targetPath) : m_target(ResolveTarget(targetPath)) {}

AtomicFileWriter::~AtomicFileWriter()
{
    if (m_fd >= 0) ::close(m_fd);
    if (!m_bCommitted && !m_tempPath.empty()) ::unlink(m_tempPath.c_str());
}

bool AtomicFileWriter::CanReplace(const std::string& targetPath)
{
    const std::string target = ResolveTarget(targetPath);
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode) || ::access(target.c_str(), W_OK) != 0) return false;
    } else if (errno != ENOENT) {
        return false; // e.g. a path whose folder is a file
    }
    const std::string folder = FolderOf(target);
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

AtomicFileWriter::SystemCalls AtomicFileWriter::SetSystemCalls(const SystemCalls& calls)
{
    SystemCalls previous;
    previous.fsync = g_fsync.exchange(calls.fsync);
    previous.rename = g_rename.exchange(calls.rename);
    return previous;
}

bool AtomicFileWriter::Open()
{
    CatchFileSizeSignal();
    const std::string folder = FolderOf(m_target);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string candidate = folder + "/.corvane-" + RandomSuffix() + ".tmp";
        // 0666 lets the umask decide, as for any new file of the user's.
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            m_fd = fd;
            m_tempPath = candidate;
            return true;
        }
        if (errno != EEXIST) break;
    }
    Fail(errno ? errno : EEXIST);
    return false;
}

bool AtomicFileWriter::Write(const void* data, std::size_t size)
{
    if (m_fd < 0 || m_nError) return false;
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(m_fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            Fail(n < 0 ? errno : ENOSPC);
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

void AtomicFileWriter::CopyOwnerAndMode() const
{
    struct stat st {};
    if (::stat(m_target.c_str(), &st) != 0) return;
    // Only a privileged user may give the file to its old owner; anyone else
    // saving someone else's writable file becomes its owner, as with any
    // replace-by-rename save. The mode is set afterwards because a change of
    // owner clears set-id bits.
    if (st.st_uid != ::geteuid() || st.st_gid != ::getegid()) {
        if (::fchown(m_fd, st.st_uid, st.st_gid) != 0 && ::fchown(m_fd, static_cast<uid_t>(-1), st.st_gid) != 0) {
            // Keeping our own ownership is the only option left.
        }
    }
    ::fchmod(m_fd, st.st_mode & 07777);
}

bool AtomicFileWriter::Commit()
{
    if (m_fd < 0 || m_nError) return false;
    CopyOwnerAndMode();
    if (SyncFile(m_fd) != 0) {
        Fail(errno);
        return false;
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        Fail(errno);
        return false;
    }
    if (RenameFile(m_tempPath.c_str(), m_target.c_str()) != 0) {
        Fail(errno);
        return false;
    }
    m_bCommitted = true;
    return true;
}

void AtomicFileWriter::Fail(int error)
{
    if (!m_nError) m_nError = error ? error : EIO;
}

} // namespace Carrow::FileIO

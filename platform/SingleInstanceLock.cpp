#include "platform/SingleInstanceLock.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <system_error>
#include <unistd.h>

#include "platform/SystemFolders.h"
#include "platform/TextConvert.h"

namespace {

constexpr size_t kMaxFileNameBytes = 200;

// A file name made from the application name: path separators, control
// characters and a leading dot become '_', and the UTF-8 form is cut (on a
// character boundary) so that the name fits every file system.
std::string LockFileName(const std::wstring& appName)
{
    std::wstring safe;
    for (wchar_t c : appName)
        safe += (c == L'/' || c == L'\\' || c < 0x20 || c == 0x7F) ? L'_' : c;
    if (safe.empty() || safe.front() == L'.') safe.insert(safe.begin(), L'_');
    std::string name = WideToUtf8(safe);
    if (name.size() > kMaxFileNameBytes) {
        size_t cut = kMaxFileNameBytes;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
        name.resize(cut);
    }
    return name + ".lock";
}

} // namespace

CSingleInstanceLock::CSingleInstanceLock(const std::wstring& appName)
    : m_path(GetRuntimeFolder() + Utf8ToWide(LockFileName(appName)))
{
}

CSingleInstanceLock::~CSingleInstanceLock()
{
    Release();
}

CSingleInstanceLock::Result CSingleInstanceLock::Acquire()
{
    m_lastError = 0;
    if (IsHeld()) return Result::Acquired;
    const std::filesystem::path file(WideToUtf8(m_path));
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    const int fd = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        m_lastError = errno;
        return Result::Failed;
    }
    // flock belongs to the open file description, so a second lock object of
    // this same process conflicts too, like a second process would.
    int rc;
    do {
        rc = flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const int error = errno;
        close(fd);
        if (error == EWOULDBLOCK) return Result::AlreadyRunning;
        m_lastError = error;
        return Result::Failed;
    }
    m_fd = fd;
    return Result::Acquired;
}

void CSingleInstanceLock::Release()
{
    if (!IsHeld()) return;
    close(m_fd); // closing the only descriptor drops the lock
    m_fd = -1;
}

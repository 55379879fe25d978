#include "io/FileReader.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Carrow::FileIO {

FileReader::~FileReader()
{
    if (m_fd >= 0) ::close(m_fd);
}

int FileReader::OpenRegularFile(const std::string& nativePath)
{
    // O_NONBLOCK keeps a FIFO from blocking the open; it is refused below.
    const int fd = ::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

bool FileReader::Open(const std::string& nativePath)
{
    const int fd = OpenRegularFile(nativePath);
    struct stat st {};
    if (fd < 0) return false;
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return false;
    }
    if (m_fd >= 0) ::close(m_fd);
    m_fd = fd;
    m_size = static_cast<std::uint64_t>(st.st_size);
    return true;
}

std::FILE* FileReader::OpenStream(const std::string& nativePath)
{
    const int fd = OpenRegularFile(nativePath);
    if (fd < 0) return nullptr;
    std::FILE* stream = ::fdopen(fd, "rb");
    if (!stream) ::close(fd);
    return stream;
}

std::size_t FileReader::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const
{
    std::size_t done = 0;
    auto* out = static_cast<char*>(buffer);
    while (done < size && m_fd >= 0) {
        const ssize_t n = ::pread(m_fd, out + done, size - done, static_cast<off_t>(offset + done));
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            break;
        }
    }
    return done;
}

} // namespace Carrow::FileIO

#include "SpotList.h"

#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

#include "imagewindow/tools/SpotRemover.h"
#include "platform/TextConvert.h"

namespace CorvaneBatch {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

std::string SystemError(int error) { return std::system_category().message(error); }

// Closes a descriptor when it goes out of scope.
struct FileDescriptor {
    int fd;
    ~FileDescriptor()
    {
        if (fd >= 0) ::close(fd);
    }
};

// The whole content of a regular file of at most kMaxSpotsFileBytes. The
// file is opened without waiting (a pipe would otherwise block the open) and
// looked at before anything is read from it. `bytes` holds the file system's
// bytes; messages name the file as `path`.
std::optional<std::string> ReadBoundedRegularFile(const std::string& bytes, const std::string& path,
                                                  std::string& error)
{
    const FileDescriptor file{::open(bytes.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (file.fd < 0) return error = "cannot read the spots file " + path + ": " + SystemError(errno), std::nullopt;
    struct stat info {};
    if (::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode))
        return error = "the spots file " + path + " is not a regular file", std::nullopt;
    const std::string tooLarge =
        "the spots file " + path + " is larger than " + std::to_string(kMaxSpotsFileBytes >> 20) + " MiB";
    if (static_cast<std::uintmax_t>(info.st_size) > kMaxSpotsFileBytes) return error = tooLarge, std::nullopt;
    // The file may grow while it is read: one byte more than allowed is enough
    // to tell.
    std::string content(kMaxSpotsFileBytes + 1, '\0');
    std::size_t length = 0;
    while (length < content.size()) {
        const ssize_t n = ::read(file.fd, content.data() + length, content.size() - length);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return error = "cannot read the spots file " + path + ": " + SystemError(errno), std::nullopt;
        if (n == 0) break;
        length += static_cast<std::size_t>(n);
    }
    if (length > kMaxSpotsFileBytes) return error = tooLarge, std::nullopt;
    content.resize(length);
    return content;
}

// The spots of the file's text; `where` names the file in messages.
std::optional<std::vector<Spot>> ParseSpotLines(std::string_view text, const std::string& where, int defaultSize,
                                                std::string& error)
{
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) text.remove_prefix(kUtf8Bom.size());
    std::vector<Spot> spots;
    for (int lineNumber = 1; !text.empty(); ++lineNumber) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        const std::string at = where + ":" + std::to_string(lineNumber) + ": ";
        if (line.size() > kMaxSpotsLineBytes)
            return error = at + "line longer than " + std::to_string(kMaxSpotsLineBytes) + " bytes", std::nullopt;
        line = Trim(line.substr(0, line.find('#')));
        if (line.empty()) continue;
        const auto spot = ParseSpot(line, defaultSize);
        if (!spot) return error = at + "expected X,Y or X,Y,SIZE (SIZE 1 to " + std::to_string(MaxSpotSize()) + ")", std::nullopt;
        spots.push_back(*spot);
    }
    if (spots.empty()) return error = "the spots file " + where + " holds no spots", std::nullopt;
    return spots;
}

} // namespace

int MaxSpotSize() { return ImageWindow::EmbeddedTool::SpotRemover::MAX_SIZE; }

std::optional<int> ParseInt(std::string_view text)
{
    text = Trim(text);
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

std::vector<std::string_view> SplitAtCommas(std::string_view text)
{
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos) return parts;
        start = comma + 1;
    }
}

std::optional<Spot> ParseSpot(std::string_view text, int defaultSize)
{
    const std::vector<std::string_view> parts = SplitAtCommas(text);
    if (parts.size() != 2 && parts.size() != 3) return std::nullopt;
    const auto x = ParseInt(parts[0]);
    const auto y = ParseInt(parts[1]);
    const auto size = parts.size() == 3 ? ParseInt(parts[2]) : std::optional<int>(defaultSize);
    if (!x || !y || !size || *size < 1 || *size > MaxSpotSize()) return std::nullopt;
    return Spot{*x, *y, *size};
}

std::optional<std::vector<Spot>> ReadSpotsFile(const std::wstring& path, int defaultSize, std::string& error)
{
    const std::string shown = WideToUtf8(ReadableFileName(path));
    const auto content = ReadBoundedRegularFile(WideToFileName(path), shown, error);
    if (!content) return std::nullopt;
    return ParseSpotLines(*content, shown, defaultSize, error);
}

} // namespace CorvaneBatch

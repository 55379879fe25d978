#include "Tracewell/LogLocation.h"

#include <cstdlib>
#include <pwd.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace Tracewell {

namespace {

const char kAppFolder[] = "CorvaneLoader";

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string HomeFolder()
{
    std::string home = Environment("HOME");
    if (!home.empty()) return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return {};
}

} // namespace

std::filesystem::path LogFolder()
{
    const std::string explicitFolder = Environment("CORVANE_LOG_DIR");
    if (!explicitFolder.empty()) return explicitFolder;
    // The XDG base-directory rules ignore relative paths in XDG_* variables.
    const std::string state = Environment("XDG_STATE_HOME");
    if (!state.empty() && state.front() == '/') return std::filesystem::path(state) / kAppFolder;
    const std::string home = HomeFolder();
    if (!home.empty()) return std::filesystem::path(home) / ".local" / "state" / kAppFolder;
    std::error_code ec;
    const std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
    return (ec ? std::filesystem::path("/tmp") : temp) / kAppFolder;
}

std::filesystem::path LogFilePath()
{
    return LogFolder() / "CorvaneLoader.log";
}

std::filesystem::path RotatedLogFilePath(const std::filesystem::path& logFile)
{
    std::filesystem::path rotated = logFile;
    rotated += ".1";
    return rotated;
}

} // namespace Tracewell

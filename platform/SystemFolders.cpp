#include "platform/SystemFolders.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <system_error>
#include <unistd.h>
#include <vector>

#include "platform/TextConvert.h"

namespace {

constexpr const char* kAppFolder = "CorvaneLoader";
constexpr const char* kMachineDefault = "/var/lib/CorvaneLoader";

// The value of an environment variable; empty when unset or empty.
std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// The folder as an absolute path with a trailing '/'; a relative value of an
// environment variable is taken from the current directory.
std::wstring AsFolder(std::string path)
{
    std::error_code ec;
    if (const auto absolute = std::filesystem::absolute(path, ec); !ec) path = absolute.string();
    if (path.empty() || path.back() != '/') path += '/';
    return Utf8ToWide(path);
}

std::string HomeFolder()
{
    std::string home = Env("HOME");
    if (!home.empty()) return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/tmp";
}

// True when this user may create files in `folder`, or could create `folder`
// itself when it does not exist yet. Nothing is created here.
bool IsWritableFolder(const std::filesystem::path& folder)
{
    std::error_code ec;
    if (std::filesystem::exists(folder, ec))
        return std::filesystem::is_directory(folder, ec) && access(folder.c_str(), W_OK | X_OK) == 0;
    return access(folder.parent_path().c_str(), W_OK | X_OK) == 0;
}

} // namespace

std::wstring GetModuleFilePath()
{
    std::vector<char> buf(4096);
    const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n <= 0) return {};
    return Utf8ToWide(std::string_view(buf.data(), static_cast<size_t>(n)));
}

std::wstring GetTempFolder()
{
    const std::string tmp = Env("TMPDIR");
    return AsFolder(tmp.empty() ? "/tmp" : tmp);
}

std::wstring GetRuntimeFolder()
{
    if (std::string dir = Env("CORVANE_RUNTIME_DIR"); !dir.empty()) return AsFolder(dir);
    if (std::string dir = Env("XDG_RUNTIME_DIR"); !dir.empty()) return AsFolder(dir);
    return GetTempFolder();
}

std::wstring GetConfigFolder()
{
    if (std::string dir = Env("CORVANE_CONFIG_DIR"); !dir.empty()) return AsFolder(dir);
    std::string base = Env("XDG_CONFIG_HOME");
    if (base.empty()) base = HomeFolder() + "/.config";
    return AsFolder(base + "/" + kAppFolder);
}

std::wstring GetMachineFolder()
{
    if (std::string dir = Env("CORVANE_MACHINE_DIR"); !dir.empty()) return AsFolder(dir);
    if (IsWritableFolder(kMachineDefault)) return AsFolder(kMachineDefault);
    return GetConfigFolder();
}

std::wstring GetSharedDataFolder()
{
    if (std::string dir = Env("CORVANE_SHARED_DIR"); !dir.empty()) return AsFolder(dir);
    return GetMachineFolder() + L"Shared/";
}

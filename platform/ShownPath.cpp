#include "platform/ShownPath.h"

#include <dirent.h>
#include <sys/stat.h>

#include "platform/TextConvert.h"

namespace {

bool Exists(const std::wstring& path)
{
    struct stat st {};
    return ::lstat(WideToFileName(path).c_str(), &st) == 0;
}

// The one entry of `folder` shown as `name`; `name` itself when none or
// several are.
std::wstring EntryShownAs(const std::wstring& folder, const std::wstring& name)
{
    DIR* dir = ::opendir(WideToFileName(folder).c_str());
    if (!dir) return name;
    std::wstring found;
    int matches = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::wstring real = FileNameToWide(entry->d_name);
        if (real != name && ReadableFileName(real) == name) {
            found = real;
            ++matches;
        }
    }
    ::closedir(dir);
    return matches == 1 ? found : name;
}

} // namespace

std::wstring ResolveShownPath(const std::wstring& path)
{
    const std::size_t slash = path.find_last_of(L'/');
    if (slash == std::wstring::npos || Exists(path)) return path;
    const std::wstring folder = slash == 0 ? std::wstring(L"/") : ResolveShownPath(path.substr(0, slash));
    const std::wstring name = EntryShownAs(folder, path.substr(slash + 1));
    return folder.back() == L'/' ? folder + name : folder + L'/' + name;
}

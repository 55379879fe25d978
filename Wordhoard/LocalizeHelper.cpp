#include "Wordhoard/LocalizeHelper.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "Tracewell/Log.h"
#include "Wordhoard/Dictionary.h"
#include "Wordhoard/DictionaryStore.h"
#include "Wordhoard/UserLanguages.h"
#include "platform/TextConvert.h"

namespace {

const wchar_t kModule[] = L"Wordhoard";
const wchar_t kLoadFunction[] = L"LocalizeHelper::LoadDictionary";
// A dictionary is a few kilobytes; anything this large is the wrong file.
constexpr off_t kMaxFileBytes = 64 * 1024 * 1024;
// A wrong file full of bad lines should not flood the log.
constexpr std::size_t kMaxReportedProblems = 20;

void LogLoadFailure(const wchar_t* file, const char* reason)
{
    WriteLog(LOG_LEVEL_WARNING, kModule, kLoadFunction, L"Failed to load dictionary file '%s': %hs.", file, reason);
}

bool ReadAll(int fd, std::string& bytes)
{
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n > 0) {
            bytes.append(chunk, static_cast<std::size_t>(n));
        } else if (n == 0) {
            return true;
        } else if (errno != EINTR) {
            return false;
        }
    }
}

// The whole content of a regular file, or nothing (the failure is logged).
std::optional<std::string> ReadDictionaryFile(const wchar_t* file)
{
    const std::string path = WideToUtf8(file);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        LogLoadFailure(file, std::strerror(errno));
        return std::nullopt;
    }
    struct stat info{};
    std::optional<std::string> bytes;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        LogLoadFailure(file, "not a regular file");
    } else if (info.st_size > kMaxFileBytes) {
        LogLoadFailure(file, "the file is too large for a dictionary");
    } else {
        bytes.emplace();
        bytes->reserve(static_cast<std::size_t>(info.st_size));
        if (!ReadAll(fd, *bytes)) {
            LogLoadFailure(file, std::strerror(errno));
            bytes.reset();
        }
    }
    ::close(fd);
    return bytes;
}

void LogProblems(const wchar_t* file, const std::vector<Wordhoard::DictionaryProblem>& problems)
{
    for (std::size_t i = 0; i < problems.size() && i < kMaxReportedProblems; ++i)
        WriteLog(LOG_LEVEL_WARNING, kModule, kLoadFunction, L"Skipped line %zu of '%s': %hs.", problems[i].line, file,
                 problems[i].reason.c_str());
    if (problems.size() > kMaxReportedProblems)
        WriteLog(LOG_LEVEL_WARNING, kModule, kLoadFunction, L"Skipped %zu more lines of '%s'.",
                 problems.size() - kMaxReportedProblems, file);
}

std::unique_ptr<Wordhoard::Dictionary> ParseDictionary(const std::string& bytes, const wchar_t* file)
{
    std::vector<Wordhoard::DictionaryProblem> problems;
    auto dictionary = std::make_unique<Wordhoard::Dictionary>(Wordhoard::Dictionary::Parse(bytes, &problems));
    LogProblems(file, problems);
    return dictionary;
}

// Lays the translation of `file` into the user's language, when there is one,
// over `dictionary`; items it lacks stay English.
void OverlayTranslation(const wchar_t* file, Wordhoard::Dictionary& dictionary)
{
    const std::filesystem::path english = WideToUtf8(file);
    const std::optional<std::string> language = Wordhoard::TranslationLanguage(english);
    if (!language) return;
    const std::wstring translation = Utf8ToWide(Wordhoard::TranslationPath(english, *language).string());
    const std::optional<std::string> bytes = ReadDictionaryFile(translation.c_str());
    if (!bytes) return;
    dictionary.Overlay(*ParseDictionary(*bytes, translation.c_str()));
    WriteLog(LOG_LEVEL_INFO, kModule, kLoadFunction, L"Texts of '%s' in language '%hs' from '%s'.", file,
             language->c_str(), translation.c_str());
}

} // namespace

namespace LocalizeHelper {

bool Initialize()
{
    Wordhoard::DictionaryStore::Global().AddUser();
    return true;
}

bool LoadDictionary(const wchar_t* file, const char* name)
{
    if (file == nullptr || name == nullptr) {
        WriteLog(LOG_LEVEL_WARNING, kModule, kLoadFunction, L"Invalid Argument.");
        return false;
    }
    const std::optional<std::string> bytes = ReadDictionaryFile(file);
    if (!bytes) return false;
    std::unique_ptr<Wordhoard::Dictionary> dictionary = ParseDictionary(*bytes, file);
    OverlayTranslation(file, *dictionary);
    Wordhoard::DictionaryStore::Global().Install(name, std::move(dictionary));
    return true;
}

const wchar_t* GetDictionaryItem(const char* name, const wchar_t* key)
{
    if (name == nullptr || key == nullptr) return L"";
    const wchar_t* text = Wordhoard::DictionaryStore::Global().Find(name, key);
    return text ? text : L"";
}

void UnInitialize()
{
    Wordhoard::DictionaryStore::Global().RemoveUser();
}

} // namespace LocalizeHelper

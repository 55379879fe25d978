#include "Wordhoard/UserLanguages.h"

#include <cstdlib>

namespace Wordhoard {

namespace {

bool AllOf(std::string_view text, bool (*accept)(char))
{
    for (const char c : text)
        if (!accept(c)) return false;
    return true;
}

bool IsLower(char c) { return c >= 'a' && c <= 'z'; }
bool IsUpperOrDigit(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// "de", "gsw": two or three lower-case letters.
bool IsLanguage(std::string_view text) { return text.size() >= 2 && text.size() <= 3 && AllOf(text, IsLower); }

// "DE", "419": two upper-case letters or three digits.
bool IsTerritory(std::string_view text) { return text.size() >= 2 && text.size() <= 3 && AllOf(text, IsUpperOrDigit); }

} // namespace

std::vector<std::string> LanguageFoldersOf(std::string_view locale)
{
    // language[_TERRITORY][.codeset][@modifier]: the codeset and modifier do
    // not choose other words.
    locale = locale.substr(0, locale.find_first_of(".@"));
    const std::size_t underscore = locale.find('_');
    const std::string_view language = locale.substr(0, underscore);
    if (!IsLanguage(language)) return {};
    if (underscore == std::string_view::npos) return {std::string(language)};
    if (!IsTerritory(locale.substr(underscore + 1))) return {};
    return {std::string(locale), std::string(language)};
}

std::vector<std::string> UserLanguageFolders()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return LanguageFoldersOf(value);
    }
    return {};
}

std::filesystem::path TranslationPath(const std::filesystem::path& file, const std::string& language)
{
    return file.parent_path() / language / file.filename();
}

std::optional<std::string> TranslationLanguage(const std::filesystem::path& file)
{
    for (const std::string& language : UserLanguageFolders()) {
        std::error_code ignored;
        if (std::filesystem::is_regular_file(TranslationPath(file, language), ignored)) return language;
    }
    return std::nullopt;
}

} // namespace Wordhoard

#pragma once
// The language of the user-interface texts: which translation folders to look
// in, from the locale the user chose for messages.
//
// A translation of a dictionary lives in a folder named after its language
// beside the English file: "de/Lan.lc" translates "Lan.lc". Items a
// translation lacks keep their English text.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Wordhoard {

/// The language folders a locale name asks for, most specific first:
/// "de_DE.UTF-8@euro" gives {"de_DE", "de"}, "de" gives {"de"}. "C",
/// "POSIX", an empty name and anything that is not a plain language[_TERRITORY]
/// (so no name can reach outside the dictionaries' folder) give none, which
/// means English.
std::vector<std::string> LanguageFoldersOf(std::string_view locale);

/// LanguageFoldersOf the locale the C library uses for messages: the first of
/// LC_ALL, LC_MESSAGES and LANG that is set and not empty. Any thread, but
/// reads the environment: do not call while another thread changes it.
std::vector<std::string> UserLanguageFolders();

/// The first of UserLanguageFolders() that holds a translation of `file`
/// (a regular file of the same name in that folder beside `file`), or nothing
/// when the texts of `file` stay English.
std::optional<std::string> TranslationLanguage(const std::filesystem::path& file);

/// Where the translation of `file` into `language` lies.
std::filesystem::path TranslationPath(const std::filesystem::path& file, const std::string& language);

} // namespace Wordhoard

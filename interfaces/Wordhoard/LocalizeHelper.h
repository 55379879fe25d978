#pragma once
// Wordhoard: translation dictionaries in ".lc" files.
//
// The ".lc" format: UTF-8 text (a leading byte-order mark is skipped), one
// `KEY=text` per line; blank lines and lines whose first non-blank character
// is `#` are ignored; LF, CRLF and CR line ends are accepted; in the text the
// escapes `\n`, `\t` and `\\` stand for a line feed, a tab and a backslash
// (any other backslash is kept). Keys are case-sensitive and trimmed of
// blanks; the text is everything after the first '=', kept as written,
// trailing blanks included. Where a key appears twice the later line wins. A
// line that is not valid (no '=', an empty key, invalid UTF-8, a NUL byte) is
// skipped with a level-2 log line. Format texts that take a path carry exactly
// one `%s`. resources/README.md describes the format for translators.
//
// Every function may be called from any thread.

namespace LocalizeHelper {

/// Prepares the dictionary store. Calls nest with UnInitialize (the
/// application and the I/O library each make one); always true. Loading and
/// looking up also work without it.
bool Initialize();

/// Loads `file` (a path, relative ones to the current folder) as the
/// dictionary called `name`, replacing a dictionary of that name. False, with
/// a level-2 log line, when the file cannot be read or is not a regular file,
/// or an argument is null; nothing is replaced then. Bad lines do not make it
/// fail. When the user's locale (LC_ALL, LC_MESSAGES, LANG) names a language
/// with a translation beside `file` ("de/Lan.lc" for "Lan.lc", "de_AT/" before
/// "de/"), its items replace the English ones; items it lacks stay English.
bool LoadDictionary(const wchar_t* file, const char* name);

/// The text of `key` in dictionary `name`. Never null: an unknown dictionary
/// or key, or a null argument, gives an empty text. The pointer stays valid,
/// even when the dictionary is reloaded, until the UnInitialize that balances
/// the last Initialize.
const wchar_t* GetDictionaryItem(const char* name, const wchar_t* key);

/// Balances one Initialize; the last one (or one without any Initialize)
/// forgets every dictionary and frees the texts handed out.
void UnInitialize();

} // namespace LocalizeHelper

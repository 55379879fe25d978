#pragma once
// Wordhoard: translation dictionaries in ".lc" files.
//
// The ".lc" format: UTF-8 text, one `KEY=text` per line; blank lines and lines
// starting with `#` are ignored; CRLF line ends are accepted; in the text the
// escapes `\n`, `\t` and `\\` stand for a line feed, a tab and a backslash.
// Keys are case-sensitive and trimmed of blanks; the text is kept as written.
// Where a key appears twice the later line wins. A line that is not valid
// (no '=', an empty key, invalid UTF-8) is skipped with a level-2 log line.
// Format texts that take a path carry one `%s`.

namespace LocalizeHelper {

/// Prepares the dictionary store. Idempotent; always true.
bool Initialize();

/// Loads `file` (a path) as the dictionary called `name`, replacing a
/// dictionary of that name. False when the file cannot be read (nothing is
/// replaced then) or an argument is null.
bool LoadDictionary(const wchar_t* file, const char* name);

/// The text of `key` in dictionary `name`. Never null: an unknown dictionary
/// or key, or a null argument, gives an empty text. The pointer stays valid
/// until the dictionary is reloaded or UnInitialize runs. Any thread.
const wchar_t* GetDictionaryItem(const char* name, const wchar_t* key);

/// Forgets every dictionary.
void UnInitialize();

} // namespace LocalizeHelper

#pragma once
// One translation dictionary: the items of one ".lc" file, key to text.
//
// Parsing rules (the file format is described for translators in
// resources/README.md):
// - UTF-8; a byte-order mark at the start is skipped.
// - Lines end in LF, CRLF or a lone CR.
// - Blank lines and lines whose first non-blank character is '#' are ignored.
// - Every other line is KEY=text. The key is trimmed of spaces and tabs and is
//   case-sensitive; the text is everything after the first '=', kept as
//   written (leading and trailing blanks included), with the escapes \n, \t
//   and \\ turned into line feed, tab and backslash. A backslash before any
//   other character is kept as it is.
// - A later line with the same key replaces the earlier one.
// - A line that is not valid UTF-8, holds a NUL byte, has no '=' or has an
//   empty key is skipped and reported as a problem.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace Wordhoard {

/// A skipped line: its 1-based number and why it was skipped.
struct DictionaryProblem {
    std::size_t line = 0;
    std::string reason;
};

class Dictionary {
public:
    /// Parses the bytes of a ".lc" file. Never fails: bad lines are skipped
    /// and listed in `problems` (which is cleared first) when it is not null.
    static Dictionary Parse(std::string_view bytes, std::vector<DictionaryProblem>* problems);

    /// The text of `key`, or null when the dictionary has no such item. The
    /// pointer stays valid as long as the dictionary object lives.
    const std::wstring* Find(std::wstring_view key) const;

    /// Number of items.
    std::size_t Size() const { return m_items.size(); }

    /// Every key, sorted.
    std::vector<std::wstring> Keys() const;

    /// Takes every item of `translation`, replacing the item of the same key,
    /// so that keys the translation lacks keep their text from this one.
    void Overlay(const Dictionary& translation);

private:
    struct KeyHash {
        using is_transparent = void;
        std::size_t operator()(std::wstring_view key) const { return std::hash<std::wstring_view>{}(key); }
    };

    void ParseLine(std::string_view line, std::size_t number, std::vector<DictionaryProblem>* problems);

    std::unordered_map<std::wstring, std::wstring, KeyHash, std::equal_to<>> m_items;
};

} // namespace Wordhoard

#include "Wordhoard/Dictionary.h"

#include <algorithm>

#include "platform/TextConvert.h"

namespace Wordhoard {

namespace {

std::string_view TrimBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::string Unescape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        switch (text[i + 1]) {
        case 'n': out += '\n'; ++i; break;
        case 't': out += '\t'; ++i; break;
        case '\\': out += '\\'; ++i; break;
        default: out += '\\'; break; // any other backslash is literal text
        }
    }
    return out;
}

void Report(std::vector<DictionaryProblem>* problems, std::size_t line, const char* reason)
{
    if (problems) problems->push_back({line, reason});
}

// Splits off the next line; `rest` keeps what follows its line end.
std::string_view NextLine(std::string_view& rest)
{
    const auto end = rest.find_first_of("\r\n");
    if (end == std::string_view::npos) {
        const std::string_view line = rest;
        rest = {};
        return line;
    }
    const std::string_view line = rest.substr(0, end);
    const std::size_t breakLength = (rest[end] == '\r' && end + 1 < rest.size() && rest[end + 1] == '\n') ? 2 : 1;
    rest.remove_prefix(end + breakLength);
    return line;
}

} // namespace

Dictionary Dictionary::Parse(std::string_view bytes, std::vector<DictionaryProblem>* problems)
{
    if (problems) problems->clear();
    static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) bytes.remove_prefix(kByteOrderMark.size());
    Dictionary dictionary;
    std::size_t number = 0;
    while (!bytes.empty()) dictionary.ParseLine(NextLine(bytes), ++number, problems);
    return dictionary;
}

void Dictionary::ParseLine(std::string_view line, std::size_t number, std::vector<DictionaryProblem>* problems)
{
    const std::string_view content = TrimBlanks(line);
    if (content.empty() || content.front() == '#') return;
    if (line.find('\0') != std::string_view::npos) return Report(problems, number, "it holds a NUL byte");
    if (!IsValidUtf8(line)) return Report(problems, number, "it is not valid UTF-8");
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) return Report(problems, number, "it has no '='");
    const std::string_view key = TrimBlanks(line.substr(0, equals));
    if (key.empty()) return Report(problems, number, "its key is empty");
    m_items.insert_or_assign(Utf8ToWide(key), Utf8ToWide(Unescape(line.substr(equals + 1))));
}

const std::wstring* Dictionary::Find(std::wstring_view key) const
{
    const auto found = m_items.find(key);
    return found == m_items.end() ? nullptr : &found->second;
}

std::vector<std::wstring> Dictionary::Keys() const
{
    std::vector<std::wstring> keys;
    keys.reserve(m_items.size());
    for (const auto& item : m_items) keys.push_back(item.first);
    std::sort(keys.begin(), keys.end());
    return keys;
}

void Dictionary::Overlay(const Dictionary& translation)
{
    for (const auto& item : translation.m_items) m_items.insert_or_assign(item.first, item.second);
}

} // namespace Wordhoard

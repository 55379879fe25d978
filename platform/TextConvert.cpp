#include "platform/TextConvert.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point at `i`, advancing `i`; nothing valid gives U+FFFD and
// advances by one byte so decoding resynchronises on the next byte.
char32_t DecodeOne(std::string_view s, size_t& i)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int extra = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if ((b0 & 0xE0) == 0xC0) { extra = 1; cp = b0 & 0x1F; minimum = 0x80; }
    else if ((b0 & 0xF0) == 0xE0) { extra = 2; cp = b0 & 0x0F; minimum = 0x800; }
    else if ((b0 & 0xF8) == 0xF0) { extra = 3; cp = b0 & 0x07; minimum = 0x10000; }
    else { ++i; return kReplacement; }
    if (i + extra >= s.size()) { ++i; return kReplacement; }
    for (int k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) { ++i; return kReplacement; }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) { ++i; return kReplacement; }
    i += extra + 1;
    return cp;
}

void EncodeOne(char32_t cp, std::string& out)
{
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

constexpr char32_t kKeptByteBase = 0xDC00; // a kept byte b is U+DC00 + b, b >= 0x80

bool IsKeptByte(char32_t c)
{
    return c >= kKeptByteBase + 0x80 && c <= kKeptByteBase + 0xFF;
}

// Windows-1252 where it differs from Latin-1 (0x80 to 0x9F); 0 where it has
// no character.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

} // namespace

std::wstring Utf8ToWide(std::string_view utf8)
{
    std::wstring out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();)
        out += static_cast<wchar_t>(DecodeOne(utf8, i));
    return out;
}

std::string WideToUtf8(std::wstring_view wide)
{
    std::string out;
    out.reserve(wide.size());
    for (wchar_t c : wide)
        EncodeOne(static_cast<char32_t>(c), out);
    return out;
}

bool IsValidUtf8(std::string_view bytes)
{
    for (size_t i = 0; i < bytes.size();) {
        const size_t start = i;
        const char32_t cp = DecodeOne(bytes, i);
        if (cp == kReplacement) {
            // A literal U+FFFD (EF BF BD) is valid; a decoding failure advanced one byte.
            if (i - start != 3) return false;
        }
    }
    return true;
}

std::wstring FileNameToWide(std::string_view bytes)
{
    std::wstring out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        const size_t start = i;
        const char32_t cp = DecodeOne(bytes, i);
        // A decoding failure advanced by one byte; a literal U+FFFD by three.
        const bool failed = cp == kReplacement && i - start == 1;
        out += static_cast<wchar_t>(failed ? kKeptByteBase + static_cast<unsigned char>(bytes[start]) : cp);
    }
    return out;
}

std::string WideToFileName(std::wstring_view wide)
{
    std::string out;
    out.reserve(wide.size());
    for (wchar_t c : wide) {
        const auto cp = static_cast<char32_t>(c);
        if (IsKeptByte(cp)) out += static_cast<char>(cp - kKeptByteBase);
        else EncodeOne(cp, out);
    }
    return out;
}

std::wstring ReadableFileName(std::wstring_view wide)
{
    std::wstring out(wide);
    for (wchar_t& c : out) {
        const auto cp = static_cast<char32_t>(c);
        if (!IsKeptByte(cp)) continue;
        const char32_t byte = cp - kKeptByteBase;
        const char16_t high = byte < 0xA0 ? kWindows1252High[byte - 0x80] : static_cast<char16_t>(byte);
        c = static_cast<wchar_t>(high ? high : kReplacement);
    }
    return out;
}

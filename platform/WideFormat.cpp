#include "platform/WideFormat.h"

#include <clocale>
#include <cwchar>
#include <locale.h>
#include <string_view>
#include <vector>

#include "platform/TextConvert.h"

namespace {

enum class Length { None, Char, Short, Long, LongLong, LongDouble, SizeT, IntMax, PtrDiff };

// One conversion of the format, parsed: flags, width and precision as text,
// the length modifier and the conversion character.
struct Conversion {
    std::wstring flags;
    int width = -1;          // -1: none
    bool widthStar = false;
    int precision = -1;      // -1: none
    bool precisionStar = false;
    Length length = Length::None;
    bool lengthWide = false;   // 'l' given on c/s
    bool lengthNarrow = false; // 'h' given on c/s
    wchar_t conv = 0;
};

int ReadNumber(const wchar_t*& p)
{
    int n = 0;
    while (*p >= L'0' && *p <= L'9') {
        if (n < 100000) n = n * 10 + (*p - L'0');
        ++p;
    }
    return n;
}

void ReadLength(const wchar_t*& p, Conversion& s)
{
    if (p[0] == L'I' && p[1] == L'6' && p[2] == L'4') { s.length = Length::LongLong; p += 3; return; }
    if (p[0] == L'I' && p[1] == L'3' && p[2] == L'2') { s.length = Length::None; p += 3; return; }
    switch (*p) {
    case L'I': s.length = Length::SizeT; ++p; return;
    case L'h':
        ++p;
        s.lengthNarrow = true;
        if (*p == L'h') { s.length = Length::Char; ++p; } else s.length = Length::Short;
        return;
    case L'l':
        ++p;
        s.lengthWide = true;
        if (*p == L'l') { s.length = Length::LongLong; ++p; } else s.length = Length::Long;
        return;
    case L'L': s.length = Length::LongDouble; ++p; return;
    case L'z': s.length = Length::SizeT; ++p; return;
    case L'j': s.length = Length::IntMax; ++p; return;
    case L't': s.length = Length::PtrDiff; ++p; return;
    default: return;
    }
}

// Parses the conversion after '%'; `p` is left after the conversion character.
Conversion ParseConversion(const wchar_t*& p)
{
    Conversion s;
    while (*p && std::wstring_view(L"-+ #0").find(*p) != std::wstring_view::npos) s.flags += *p++;
    if (*p == L'*') { s.widthStar = true; ++p; }
    else if (*p >= L'0' && *p <= L'9') s.width = ReadNumber(p);
    if (*p == L'.') {
        ++p;
        if (*p == L'*') { s.precisionStar = true; ++p; }
        else s.precision = ReadNumber(p);
    }
    ReadLength(p, s);
    s.conv = *p;
    if (*p) ++p;
    return s;
}

// The conversion rebuilt for swprintf with resolved width and precision and the
// given length text and conversion.
std::wstring BuildPattern(const Conversion& s, const wchar_t* length, wchar_t conv)
{
    std::wstring out = L"%" + s.flags;
    if (s.width >= 0) out += std::to_wstring(s.width);
    if (s.precision >= 0) out += L"." + std::to_wstring(s.precision);
    out += length;
    out += conv;
    return out;
}

template <typename T>
void Append(std::wstring& out, const std::wstring& pattern, T value)
{
    std::vector<wchar_t> buf(64);
    for (;;) {
        const int n = std::swprintf(buf.data(), buf.size(), pattern.c_str(), value);
        if (n >= 0 && static_cast<size_t>(n) < buf.size()) {
            out.append(buf.data(), static_cast<size_t>(n));
            return;
        }
        if (buf.size() >= (size_t{1} << 26)) return;
        buf.resize(buf.size() * 4);
    }
}

void AppendInteger(std::wstring& out, const Conversion& s, va_list& args)
{
    const bool isSigned = s.conv == L'd' || s.conv == L'i';
    const std::wstring pattern = BuildPattern(s, L"ll", s.conv);
    long long v = 0;
    switch (s.length) {
    case Length::Long: v = isSigned ? va_arg(args, long) : static_cast<long long>(va_arg(args, unsigned long)); break;
    case Length::LongLong:
    case Length::IntMax:
        v = isSigned ? va_arg(args, long long) : static_cast<long long>(va_arg(args, unsigned long long));
        break;
    case Length::SizeT:
    case Length::PtrDiff: v = static_cast<long long>(va_arg(args, size_t)); break;
    case Length::Short: {
        const int raw = va_arg(args, int);
        v = isSigned ? static_cast<short>(raw) : static_cast<unsigned short>(raw);
        break;
    }
    case Length::Char: {
        const int raw = va_arg(args, int);
        v = isSigned ? static_cast<signed char>(raw) : static_cast<unsigned char>(raw);
        break;
    }
    default: v = isSigned ? va_arg(args, int) : static_cast<long long>(va_arg(args, unsigned int)); break;
    }
    if (isSigned) Append(out, pattern, v);
    else Append(out, pattern, static_cast<unsigned long long>(v));
}

void AppendString(std::wstring& out, const Conversion& s, bool narrow, va_list& args)
{
    std::wstring text;
    if (narrow) {
        const char* p = va_arg(args, const char*);
        text = p ? Utf8ToWide(p) : L"(null)";
    } else {
        const wchar_t* p = va_arg(args, const wchar_t*);
        text = p ? p : L"(null)";
    }
    Append(out, BuildPattern(s, L"l", L's'), text.c_str());
}

void AppendChar(std::wstring& out, const Conversion& s, bool narrow, va_list& args)
{
    const int raw = va_arg(args, int);
    const wint_t c = narrow ? static_cast<wint_t>(static_cast<unsigned char>(raw)) : static_cast<wint_t>(raw);
    Append(out, BuildPattern(s, L"l", L'c'), c);
}

void AppendConversion(std::wstring& out, Conversion& s, va_list& args)
{
    if (s.widthStar) {
        s.width = va_arg(args, int);
        if (s.width < 0) { s.flags += L'-'; s.width = -s.width; }
    }
    if (s.precisionStar) {
        s.precision = va_arg(args, int);
        if (s.precision < 0) s.precision = -1;
    }
    switch (s.conv) {
    case L'd': case L'i': case L'u': case L'o': case L'x': case L'X':
        AppendInteger(out, s, args);
        return;
    case L'f': case L'F': case L'e': case L'E': case L'g': case L'G': case L'a': case L'A':
        if (s.length == Length::LongDouble) Append(out, BuildPattern(s, L"L", s.conv), va_arg(args, long double));
        else Append(out, BuildPattern(s, L"", s.conv), va_arg(args, double));
        return;
    case L's': AppendString(out, s, s.lengthNarrow, args); return;
    case L'S': AppendString(out, s, !s.lengthWide, args); return;
    case L'c': AppendChar(out, s, s.lengthNarrow, args); return;
    case L'C': AppendChar(out, s, !s.lengthWide, args); return;
    case L'p': Append(out, BuildPattern(s, L"", L'p'), va_arg(args, void*)); return;
    case L'n': (void)va_arg(args, void*); return; // never written: format texts come from dictionaries
    case L'%': out += L'%'; return;
    default: return; // unknown conversion: printed as nothing, no argument consumed
    }
}

// Numbers are formatted in the "C" locale, as the Windows runtime does by
// default: Qt switches the process to the user's locale at start-up, which
// would otherwise turn "%.2f" into "1,50" in log lines and messages.
class CLocaleScope {
public:
    CLocaleScope()
    {
        static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
        if (cLocale) m_previous = uselocale(cLocale);
    }
    ~CLocaleScope()
    {
        if (m_previous) uselocale(m_previous);
    }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    locale_t m_previous{static_cast<locale_t>(nullptr)};
};

} // namespace

std::wstring FormatWideV(const wchar_t* format, va_list args)
{
    std::wstring out;
    if (!format) return out;
    CLocaleScope cLocale; // this thread only
    va_list ap;
    va_copy(ap, args);
    for (const wchar_t* p = format; *p;) {
        if (*p != L'%') {
            out += *p++;
            continue;
        }
        ++p;
        Conversion s = ParseConversion(p);
        AppendConversion(out, s, ap);
    }
    va_end(ap);
    return out;
}

std::wstring FormatWide(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    std::wstring out = FormatWideV(format, args);
    va_end(args);
    return out;
}

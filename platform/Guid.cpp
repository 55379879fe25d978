#include "platform/Guid.h"

#include <cstring>
#include <cwchar>

bool IsEqualGUID(const GUID& a, const GUID& b)
{
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}

std::wstring GuidToString(const GUID& g)
{
    wchar_t buf[40];
    std::swprintf(buf, 40, L"{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2],
                  g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return buf;
}

namespace {

int HexValue(wchar_t c)
{
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// Reads `digits` hex digits at `pos`; nothing when any of them is not hex.
std::optional<unsigned long> ReadHex(const std::wstring& text, size_t pos, size_t digits)
{
    unsigned long value = 0;
    for (size_t i = 0; i < digits; ++i) {
        const int v = HexValue(text[pos + i]);
        if (v < 0) return std::nullopt;
        value = value * 16 + static_cast<unsigned long>(v);
    }
    return value;
}

} // namespace

std::optional<GUID> GuidFromString(const std::wstring& text)
{
    if (text.size() != 38 || text.front() != L'{' || text.back() != L'}') return std::nullopt;
    for (size_t dash : {9u, 14u, 19u, 24u})
        if (text[dash] != L'-') return std::nullopt;
    GUID g{};
    const auto d1 = ReadHex(text, 1, 8);
    const auto d2 = ReadHex(text, 10, 4);
    const auto d3 = ReadHex(text, 15, 4);
    if (!d1 || !d2 || !d3) return std::nullopt;
    g.Data1 = static_cast<DWORD>(*d1);
    g.Data2 = static_cast<WORD>(*d2);
    g.Data3 = static_cast<WORD>(*d3);
    const size_t bytePos[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (int i = 0; i < 8; ++i) {
        const auto b = ReadHex(text, bytePos[i], 2);
        if (!b) return std::nullopt;
        g.Data4[i] = static_cast<BYTE>(*b);
    }
    return g;
}

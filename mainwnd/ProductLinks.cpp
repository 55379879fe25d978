#include "mainwnd/ProductLinks.h"

#include <cwctype>

namespace ProductLinks {

namespace {

constexpr const wchar_t* kSite = L"https://www.quillmark.com/";

// Only letters and digits go into an address; anything else in a damaged
// dictionary item is left out rather than producing a broken link.
std::wstring SafeCode(const std::wstring& code)
{
    std::wstring safe;
    for (wchar_t c : code)
        if (c < 128 && std::iswalnum(c)) safe += static_cast<wchar_t>(std::towlower(c));
    return safe;
}

} // namespace

std::wstring ProductPage(const std::wstring& productCode)
{
    const std::wstring code = SafeCode(productCode);
    return std::wstring(kSite) + L"corvaneloader/" + (code.empty() ? L"" : code + L"/");
}

std::wstring SiblingPage(const std::wstring& productCode)
{
    const std::wstring code = SafeCode(productCode);
    return std::wstring(kSite) + L"tarnwick/" + (code.empty() ? L"" : L"?from=corvaneloader-" + code);
}

} // namespace ProductLinks

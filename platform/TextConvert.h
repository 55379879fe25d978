#pragma once
// Conversions between wide strings and UTF-8. Invalid input never fails:
// undecodable bytes become U+FFFD and lone surrogates are encoded as U+FFFD.

#include <string>
#include <string_view>

/// UTF-8 bytes to a wide string (UTF-32 on this platform).
std::wstring Utf8ToWide(std::string_view utf8);

/// A wide string to UTF-8 bytes.
std::string WideToUtf8(std::wstring_view wide);

/// True when the bytes are well-formed UTF-8 (no overlongs, no surrogates).
bool IsValidUtf8(std::string_view bytes);

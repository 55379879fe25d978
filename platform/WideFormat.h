#pragma once
// printf-style formatting of wide strings with the Windows rules every format
// text of the program is written for: in a wide format `%s` and `%c` take a
// wide string and a wide character; `%hs`/`%S` and `%hc`/`%C` take narrow
// (UTF-8) ones; `%ls`/`%lc` stay wide; `%I64d`, `%I32d` and `%Id` are the
// 64-bit, 32-bit and pointer-sized integers. `%n` is refused (it writes
// nothing and prints nothing). A null string prints "(null)". Numbers use
// the "C" locale (a dot before the decimals) whatever locale the process has.
// Everyone formats wide texts through these functions.

#include <cstdarg>
#include <string>

/// Formats `format` with the arguments of `args`; a null format gives "".
std::wstring FormatWideV(const wchar_t* format, va_list args);

/// Formats `format` with the following arguments; a null format gives "".
std::wstring FormatWide(const wchar_t* format, ...);

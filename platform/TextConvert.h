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

// File names are bytes on Linux, and not every name is valid UTF-8 (names
// from old disks and cameras often hold Latin-1 bytes). The program keeps a
// path as a wide string without losing any byte: UTF-8 is decoded, and every
// byte that is not part of valid UTF-8 is kept as the code point
// U+DC80 + byte, a lone low surrogate that no valid UTF-8 decodes to.

/// A file name's bytes as a wide string, byte for byte (see above).
std::wstring FileNameToWide(std::string_view bytes);

/// The bytes of a path: U+DC80 to U+DCFF become the byte they keep,
/// everything else is encoded as UTF-8. Inverse of FileNameToWide.
std::string WideToFileName(std::wstring_view wide);

/// A path from FileNameToWide as a person reads it: every kept byte shows as
/// the Windows-1252 character it stands for (as old cameras and disks meant
/// it), or U+FFFD where that code page has none.
std::wstring ReadableFileName(std::wstring_view wide);

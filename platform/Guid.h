#pragma once
// Text form and comparison of GUIDs.

#include <optional>
#include <string>

#include "platform/WinTypes.h"

/// True when both GUIDs hold the same 16 bytes.
bool IsEqualGUID(const GUID& a, const GUID& b);
inline bool operator==(const GUID& a, const GUID& b) { return IsEqualGUID(a, b); }

/// The registry form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper-case hex.
std::wstring GuidToString(const GUID& guid);

/// Parses the registry form (braces required, hex digits of either case).
/// Returns nothing for any other text: wrong length, missing braces or dashes,
/// non-hex digits, signs or blanks.
std::optional<GUID> GuidFromString(const std::wstring& text);

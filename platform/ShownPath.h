#pragma once
// Paths that come back from a display. A file dialog shows a name that is not
// valid UTF-8 readably (see ReadableFileName) and hands back what it showed,
// which names no file; such a path is mapped back to the file's real name.

#include <string>

/// `path` (from FileNameToWide, or a display) as the file system names it.
/// A path that exists is returned unchanged. Otherwise each part of it that
/// does not exist, but matches exactly one entry of its folder when that
/// entry is shown readably, becomes that entry's real name; a part without
/// such an entry (a new file's name) stays as it is. Reads folders; any thread.
std::wstring ResolveShownPath(const std::wstring& path);

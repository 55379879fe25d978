#pragma once
// Formatting of one log line: time stamp, thread id, level, module, function
// and text, in UTF-8, always exactly one line ending in '\n'.

#include <chrono>
#include <string>
#include <string_view>

namespace Tracewell {

/// When and on which thread a line was written.
struct LineStamp {
    std::chrono::system_clock::time_point time;
    long threadId = 0; ///< kernel thread id (gettid)
};

/// The stamp of a line written now by the calling thread.
LineStamp CurrentStamp();

/// The level as the log writes it: ERROR, WARNING, INFO, TRACE for 1 to 4,
/// "LEVEL<n>" for any other value.
std::string LevelName(int level);

/// "YYYY-MM-DD HH:MM:SS.mmm" in local time, milliseconds truncated.
std::string FormatLocalTime(std::chrono::system_clock::time_point time);

/// Appends `text` (UTF-8) to `out` so that it cannot break the line: line feed,
/// carriage return and other control characters but tab become the escapes
/// "\n", "\r" and "\xNN".
void AppendEscaped(std::string& out, std::string_view text);

/// The complete line "<time> [tid N] <LEVEL> <module> <function>: <text>\n".
/// A null module or function is written as "-"; trailing line breaks of
/// `text` are dropped. Any thread.
std::string FormatLogLine(const LineStamp& stamp, int level, const wchar_t* module, const wchar_t* function,
                          std::wstring_view text);

} // namespace Tracewell

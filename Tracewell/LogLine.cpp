#include "Tracewell/LogLine.h"

#include <cstdio>
#include <ctime>
#include <sys/syscall.h>
#include <unistd.h>

#include "platform/TextConvert.h"

namespace Tracewell {

namespace {

long ThisThreadId()
{
    // The kernel id is what debuggers, top and core dumps show; it is cached
    // because every line needs it.
    thread_local const long id = static_cast<long>(::syscall(SYS_gettid));
    return id;
}

std::wstring_view WithoutTrailingBreaks(std::wstring_view text)
{
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.remove_suffix(1);
    return text;
}

void AppendField(std::string& out, const wchar_t* field)
{
    if (field == nullptr) {
        out += '-';
        return;
    }
    AppendEscaped(out, WideToUtf8(field));
}

} // namespace

LineStamp CurrentStamp()
{
    return LineStamp{std::chrono::system_clock::now(), ThisThreadId()};
}

std::string LevelName(int level)
{
    switch (level) {
    case 1: return "ERROR";
    case 2: return "WARNING";
    case 3: return "INFO";
    case 4: return "TRACE";
    default: return "LEVEL" + std::to_string(level);
    }
}

std::string FormatLocalTime(std::chrono::system_clock::time_point time)
{
    using namespace std::chrono;
    const auto sinceEpoch = time.time_since_epoch();
    auto secs = duration_cast<seconds>(sinceEpoch);
    auto millis = duration_cast<milliseconds>(sinceEpoch - secs).count();
    if (millis < 0) { // times before 1970 round towards the earlier second
        millis += 1000;
        secs -= seconds(1);
    }
    const std::time_t t = static_cast<std::time_t>(secs.count());
    std::tm local{};
    localtime_r(&t, &local);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%03d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(millis));
    return buffer;
}

void AppendEscaped(std::string& out, std::string_view text)
{
    static const char hex[] = "0123456789ABCDEF";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 || c == '\t') {
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += "\\x";
            out += hex[byte >> 4];
            out += hex[byte & 0x0F];
        }
    }
}

std::string FormatLogLine(const LineStamp& stamp, int level, const wchar_t* module, const wchar_t* function,
                          std::wstring_view text)
{
    std::string line = FormatLocalTime(stamp.time);
    line += " [tid ";
    line += std::to_string(stamp.threadId);
    line += "] ";
    line += LevelName(level);
    line += ' ';
    AppendField(line, module);
    line += ' ';
    AppendField(line, function);
    line += ": ";
    AppendEscaped(line, WideToUtf8(WithoutTrailingBreaks(text)));
    line += '\n';
    return line;
}

} // namespace Tracewell

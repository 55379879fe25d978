// Placeholder log: writes every line to standard error. Replaced by the real
// log file writer.
#include "Tracewell/Log.h"

#include <cstdio>
#include <mutex>

#include "platform/TextConvert.h"
#include "platform/WideFormat.h"

namespace {
std::mutex g_mutex;
}

bool InitLog() { return true; }

bool WriteLogV(LOG_LEVEL level, const wchar_t* module, const wchar_t* function, const wchar_t* format, va_list args)
{
    const std::wstring text = FormatWideV(format, args);
    const std::string line = WideToUtf8(std::to_wstring(level) + L" " + (module ? module : L"") + L" " +
                                        (function ? function : L"") + L": " + text);
    std::lock_guard lock(g_mutex);
    std::fprintf(stderr, "%s\n", line.c_str());
    return true;
}

bool WriteLog(LOG_LEVEL level, const wchar_t* module, const wchar_t* function, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    const bool ok = WriteLogV(level, module, function, format, args);
    va_end(args);
    return ok;
}

void UninitLog() {}

std::wstring GetLogFilePath() { return L""; }

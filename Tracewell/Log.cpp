#include "Tracewell/Log.h"

#include <atomic>
#include <climits>
#include <cstdlib>
#include <mutex>

#include "Tracewell/LogLine.h"
#include "Tracewell/LogSink.h"
#include "platform/TextConvert.h"
#include "platform/WideFormat.h"

namespace {

std::atomic<int> g_threshold{INT_MAX};

void FlushKeptLinesAtExit()
{
    Tracewell::LogSink::Global().FlushPendingToStderr();
}

// Lines kept in memory must not vanish when the program ends without ever
// opening the log; the hook is registered with the first kept line.
void EnsureExitFlush()
{
    static std::once_flag once;
    std::call_once(once, [] { std::atexit(FlushKeptLinesAtExit); });
}

} // namespace

bool InitLog()
{
    return Tracewell::LogSink::Global().Open();
}

bool WriteLogV(LOG_LEVEL level, const wchar_t* module, const wchar_t* function, const wchar_t* format, va_list args)
{
    // Checked before any formatting, so a dropped line costs next to nothing.
    if (level > 0 && level > g_threshold.load(std::memory_order_relaxed)) return true;
    const Tracewell::LineStamp stamp = Tracewell::CurrentStamp();
    const std::wstring text = FormatWideV(format, args);
    const std::string line = Tracewell::FormatLogLine(stamp, level, module, function, text);
    const auto result = Tracewell::LogSink::Global().Write(line);
    if (result == Tracewell::LogSink::WriteResult::Buffered) EnsureExitFlush();
    return result != Tracewell::LogSink::WriteResult::Failed;
}

bool WriteLog(LOG_LEVEL level, const wchar_t* module, const wchar_t* function, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    const bool ok = WriteLogV(level, module, function, format, args);
    va_end(args);
    return ok;
}

void SetLogThreshold(int mostDetailed)
{
    g_threshold.store(mostDetailed, std::memory_order_relaxed);
}

int GetLogThreshold()
{
    return g_threshold.load(std::memory_order_relaxed);
}

void UninitLog()
{
    Tracewell::LogSink::Global().Close();
}

std::wstring GetLogFilePath()
{
    return Utf8ToWide(Tracewell::LogSink::Global().Path().string());
}

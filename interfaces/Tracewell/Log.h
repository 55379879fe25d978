#pragma once
// Tracewell's log: one line per call, safe from any thread at any time.
//
// Each line reads
//   2026-12-07 20:31:05.123 [tid 12345] <level> <module> <function>: <text>
// with the local time to the millisecond, the calling thread's id, the level
// as a word (ERROR, WARNING, INFO, TRACE) and the formatted text; a trailing
// line feed of the text is dropped and inner line breaks are kept as "\n" so
// every call stays one line.
//
// Where the log lives: the folder named by the environment variable
// CORVANE_LOG_DIR, else "$XDG_STATE_HOME/CorvaneLoader" (by default
// "~/.local/state/CorvaneLoader"); the file is "CorvaneLoader.log" there.
// Lines written before InitLog are kept in memory and written when it runs;
// lines written after UninitLog go to standard error.

#include <cstdarg>
#include <string>

enum LOG_LEVEL {
    LOG_LEVEL_ERROR = 1,
    LOG_LEVEL_WARNING = 2,
    LOG_LEVEL_INFO = 3,
    LOG_LEVEL_TRACE = 4,
};

/// Opens the log file for appending (creating its folder). Returns false when
/// the file cannot be opened; lines then go to standard error. Any thread.
bool InitLog();

/// Writes one line: `format` with the following arguments, formatted with the
/// Windows rules of FormatWide (`%s` takes a wide string). Any thread, any time.
/// Returns false only when the line could not be written anywhere.
bool WriteLog(LOG_LEVEL level, const wchar_t* module, const wchar_t* function, const wchar_t* format, ...);

/// WriteLog with an argument list.
bool WriteLogV(LOG_LEVEL level, const wchar_t* module, const wchar_t* function, const wchar_t* format, va_list args);

/// Flushes and closes the log file. Any thread; later lines go to standard error.
void UninitLog();

/// Full path of the log file that InitLog opens (or opened).
std::wstring GetLogFilePath();

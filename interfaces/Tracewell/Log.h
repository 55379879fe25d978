#pragma once
// Tracewell's log: one line per call, safe from any thread at any time.
//
// Each line reads
//   2026-12-07 20:31:05.123 [tid 12345] <level> <module> <function>: <text>
// with the local time to the millisecond, the calling thread's kernel id, the
// level as a word (ERROR, WARNING, INFO, TRACE; other values as LEVEL<n>) and
// the formatted text in UTF-8; a trailing line break of the text is dropped,
// inner line breaks are written as "\n" (carriage returns as "\r", other
// control characters but tab as "\xNN") so every call stays one line. A null
// module or function is written as "-".
//
// Each line is written with one write(2) to a file opened with O_APPEND, so
// lines of different threads and of different processes sharing the file
// never interleave.
//
// Where the log lives: the folder named by the environment variable
// CORVANE_LOG_DIR when it is set and not empty, else "$XDG_STATE_HOME/CorvaneLoader"
// when XDG_STATE_HOME is an absolute path, else "$HOME/.local/state/CorvaneLoader"
// (the home folder from the password database when HOME is unset); the file is
// "CorvaneLoader.log" there. The folder is created when missing. Whenever the
// file has reached 8 MiB (when InitLog opens it, or before a line is written),
// it is renamed to "CorvaneLoader.log.1" (replacing an older one) and a fresh
// file is started, so the log never keeps much more than twice that. Every
// process writing the same log takes part: one renames the file, holding a
// lock on the folder, and the others follow to the fresh file.
//
// Lines written before the first InitLog are kept in memory (at most 2000
// lines or 1 MiB; beyond that they go straight to standard error) and written
// to the file, in order, when InitLog opens it; when the log is never opened
// they go to standard error at exit. Lines written while the log is closed
// after UninitLog, or when InitLog could not open the file, go to standard error.
//
// InitLog and UninitLog nest: several parts of the program (the application,
// the I/O library) each open the log at start and close it at exit, and the
// file stays open until the last UninitLog balances the InitLog calls.

#include <cstdarg>
#include <string>

enum LOG_LEVEL {
    LOG_LEVEL_ERROR = 1,
    LOG_LEVEL_WARNING = 2,
    LOG_LEVEL_INFO = 3,
    LOG_LEVEL_TRACE = 4,
};

/// Opens the log file for appending (creating its folder) and writes the lines
/// kept since start. When the log is already open it only counts the call.
/// Returns false when the file cannot be opened; lines then go to standard
/// error (a later InitLog tries again). Any thread.
bool InitLog();

/// Writes one line: `format` with the following arguments, formatted with the
/// Windows rules of FormatWide (`%s` takes a wide string). Any thread, any time.
/// Returns false only when the line could not be written anywhere.
bool WriteLog(LOG_LEVEL level, const wchar_t* module, const wchar_t* function, const wchar_t* format, ...);

/// WriteLog with an argument list (consumed by the call).
bool WriteLogV(LOG_LEVEL level, const wchar_t* module, const wchar_t* function, const wchar_t* format, va_list args);

/// Drops every later line whose level is greater than `mostDetailed` (for
/// LOG_LEVEL_WARNING: information and command-trace lines go, warnings and
/// errors stay) until it is called again; lines of level 0 or below always
/// stay. The default keeps every line. For long unattended runs that need
/// only their own summary. Any thread.
void SetLogThreshold(int mostDetailed);

/// The threshold SetLogThreshold set last (INT_MAX when none was set). Any thread.
int GetLogThreshold();

/// Balances one InitLog; the last one closes the log file. Extra calls do
/// nothing harmful. Any thread; lines after the file closed go to standard error.
void UninitLog();

/// Full path of the log file: the one that is open, else the one InitLog would
/// open now (from the environment rules above). Any thread.
std::wstring GetLogFilePath();

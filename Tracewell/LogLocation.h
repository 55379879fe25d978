#pragma once
// Where the log file lives, from the environment.

#include <filesystem>

namespace Tracewell {

/// The log folder: $CORVANE_LOG_DIR when set and not empty; else
/// $XDG_STATE_HOME/CorvaneLoader when XDG_STATE_HOME is an absolute path; else
/// <home>/.local/state/CorvaneLoader with <home> from $HOME or, when that is
/// unset or empty, from the password database; else <temp>/CorvaneLoader.
/// Reads the environment at each call. Any thread.
std::filesystem::path LogFolder();

/// LogFolder() / "CorvaneLoader.log".
std::filesystem::path LogFilePath();

/// Name of the file an overgrown log is moved to when it is opened:
/// LogFilePath() with ".1" appended.
std::filesystem::path RotatedLogFilePath(const std::filesystem::path& logFile);

} // namespace Tracewell

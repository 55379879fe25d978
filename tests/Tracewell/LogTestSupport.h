#pragma once
// Helpers of the log tests: a private log folder per test and reading the log.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/ScopedEnv.h"
#include "support/TempFolder.h"

namespace TracewellTest {

/// Points CORVANE_LOG_DIR at a fresh temporary folder for the life of the
/// object and restores the previous value afterwards. A death-test child
/// (which re-runs the test from the start in a new process) finds the
/// parent's folder in TW_CHILD_LOG_DIR and uses that instead.
class ScopedLogFolder {
public:
    ScopedLogFolder();
    ~ScopedLogFolder();
    ScopedLogFolder(const ScopedLogFolder&) = delete;
    ScopedLogFolder& operator=(const ScopedLogFolder&) = delete;

    const std::filesystem::path& Folder() const { return m_folder; }
    std::filesystem::path LogFile() const { return m_folder / "CorvaneLoader.log"; }
    /// Lets death-test children write into this folder.
    void ShareWithChildren() const;

private:
    std::unique_ptr<CorvaneTest::TempFolder> m_owned; // null when inherited from the parent
    std::filesystem::path m_folder;
    std::optional<CorvaneTest::ScopedEnv> m_logDir;
};

/// The lines of a file, without their line feeds; a last line without a line
/// feed is returned with "<unterminated>" appended so tests notice it.
std::vector<std::string> ReadLines(const std::filesystem::path& file);

/// Sets `name` to `value` (or unsets it for null) and restores it when destroyed.
using CorvaneTest::ScopedEnv;

} // namespace TracewellTest

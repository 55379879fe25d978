#pragma once
// The temporary folder of one test program: every test program gets a
// folder of its own inside the system's temporary folder for the whole run,
// and every test must leave it as it found it.

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/ScopedEnv.h"

namespace CorvaneTest {

/// Makes "<TMPDIR>/corvane-<program>-XXXXXX" (TMPDIR is created when
/// missing; /tmp when unset) and points TMPDIR at it, and XDG_RUNTIME_DIR
/// too when that is unset (at a private subfolder), for the life of the
/// object: everything the tests, the program's code, Qt and the child
/// processes put in "the temporary folder" lands there. When destroyed it
/// removes the folder with everything in it, whatever the outcome of the
/// run. Make it before the QApplication. Test program's main thread only.
/// Processes started meanwhile inherit the area (CORVANE_TEST_TEMP_AREA).
class TestTempArea {
public:
    explicit TestTempArea(const std::string& program);
    /// True in a process started by a test program that has an area.
    static bool IsInherited();
    ~TestTempArea();
    TestTempArea(const TestTempArea&) = delete;
    TestTempArea& operator=(const TestTempArea&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
    std::optional<ScopedEnv> m_tmpdir;
    std::optional<ScopedEnv> m_runtime;
    std::optional<ScopedEnv> m_marker;
};

/// Notes every test after which the folder holds an entry it did not hold
/// before the test. Register it with GoogleTest's listeners (which own it)
/// and ask Leftovers() after the run.
class LeftoverWatch : public ::testing::EmptyTestEventListener {
public:
    explicit LeftoverWatch(std::filesystem::path folder) : m_folder(std::move(folder)) {}

    void OnTestStart(const ::testing::TestInfo& test) override;
    void OnTestEnd(const ::testing::TestInfo& test) override;

    /// "<suite>.<test>: <entry>" for every entry a test left behind.
    const std::vector<std::string>& Leftovers() const { return m_leftovers; }

private:
    std::set<std::string> Entries() const;

    std::filesystem::path m_folder;
    std::set<std::string> m_before;
    std::vector<std::string> m_leftovers;
};

} // namespace CorvaneTest

#pragma once
// Helpers of the registry and settings tests: private registry hives and
// shared-data folder per test, log lines as the tests expect them, and child
// processes that run one hidden test of this program.

#include <filesystem>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

#include "IoTestSupport.h"
#include "support/ScopedEnv.h"

namespace RegistryTest {

namespace fs = std::filesystem;

/// Points the user and machine hives (CORVANE_CONFIG_DIR, CORVANE_MACHINE_DIR)
/// and the shared-data folder (CORVANE_SHARED_DIR) into a fresh folder for
/// the life of the object; child processes inherit them. The registry's open
/// hives are closed on the way in and out. In a child started by
/// SpawnChildTest it keeps the folders the parent chose.
class ScopedSettingsHome {
public:
    ScopedSettingsHome();
    ~ScopedSettingsHome();
    ScopedSettingsHome(const ScopedSettingsHome&) = delete;
    ScopedSettingsHome& operator=(const ScopedSettingsHome&) = delete;

    fs::path UserHive() const { return m_root / "config" / "HKEY_CURRENT_USER.sqlite"; }
    fs::path ConfigFolder() const { return m_root / "config"; }
    fs::path SharedFolder() const { return m_root / "shared"; }

private:
    std::unique_ptr<IoTest::TempFolder> m_folder; // null in a child
    fs::path m_root;
    std::vector<std::unique_ptr<CorvaneTest::ScopedEnv>> m_variables; // empty in a child
};

/// True when one of `lines` ends in "<LEVEL> Carrow <function>: <text>"
/// (LEVEL: ERROR for 1, INFO for 3).
bool HasLine(const std::vector<std::string>& lines, int level, const std::string& function, const std::string& text);

/// How many of `lines` contain `part`.
int CountContaining(const std::vector<std::string>& lines, const std::string& part);

/// All `lines` joined, for failure messages.
std::string Joined(const std::vector<std::string>& lines);

/// Starts this test program again as a new process that runs only the test
/// `test` (a DISABLED_ one), with the environment variable
/// CORVANE_REGISTRY_CHILD set to `mode`. Returns the child's process id.
pid_t SpawnChildTest(const std::string& test, const std::string& mode);

/// Waits for `child`; its exit status, or -1 when it did not exit normally.
int WaitExitStatus(pid_t child);

/// The value of CORVANE_REGISTRY_CHILD in a child, empty otherwise.
std::string ChildMode();

} // namespace RegistryTest

#include "RegistryTestSupport.h"

#include <cstdlib>
#include <utility>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/Registry.h"

namespace RegistryTest {

ScopedSettingsHome::ScopedSettingsHome()
{
    if (!ChildMode().empty()) {
        m_root = fs::path(std::getenv("CORVANE_CONFIG_DIR")).parent_path();
        RegCloseHives();
        return;
    }
    m_folder = std::make_unique<IoTest::TempFolder>();
    m_root = m_folder->Path();
    constexpr std::pair<const char*, const char*> kFolders[] = {
        {"CORVANE_CONFIG_DIR", "config"}, {"CORVANE_MACHINE_DIR", "machine"}, {"CORVANE_SHARED_DIR", "shared"}};
    for (const auto& [name, folder] : kFolders)
        m_variables.push_back(std::make_unique<CorvaneTest::ScopedEnv>(name, (m_root / folder).c_str()));
    RegCloseHives();
}

ScopedSettingsHome::~ScopedSettingsHome()
{
    // The hives close here; the variables return to their previous values
    // as the members go, so the next registry call opens the previous hives.
    RegCloseHives();
}

bool HasLine(const std::vector<std::string>& lines, int level, const std::string& function, const std::string& text)
{
    const std::string tail = std::string(level == 1 ? "ERROR" : "INFO") + " Carrow " + function + ": " + text;
    for (const auto& line : lines)
        if (line.size() >= tail.size() && line.compare(line.size() - tail.size(), tail.size(), tail) == 0) return true;
    return false;
}

int CountContaining(const std::vector<std::string>& lines, const std::string& part)
{
    int count = 0;
    for (const auto& line : lines)
        if (line.find(part) != std::string::npos) ++count;
    return count;
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string all;
    for (const auto& line : lines) all += line + "\n";
    return all;
}

pid_t SpawnChildTest(const std::string& test, const std::string& mode)
{
    const std::string filter = "--gtest_filter=" + test;
    const pid_t pid = fork();
    if (pid != 0) return pid;
    setenv("CORVANE_REGISTRY_CHILD", mode.c_str(), 1);
    char* const args[] = {const_cast<char*>("child"), const_cast<char*>(filter.c_str()),
                          const_cast<char*>("--gtest_also_run_disabled_tests"), nullptr};
    execv("/proc/self/exe", args);
    _exit(127);
}

int WaitExitStatus(pid_t child)
{
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

std::string ChildMode()
{
    const char* mode = std::getenv("CORVANE_REGISTRY_CHILD");
    return mode ? mode : "";
}

} // namespace RegistryTest

#include "RegistryTestSupport.h"

#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/Registry.h"

namespace RegistryTest {

namespace {

const char kUnset[] = "\x01";

} // namespace

ScopedSettingsHome::ScopedSettingsHome()
{
    if (!ChildMode().empty()) {
        m_root = fs::path(std::getenv("CORVANE_CONFIG_DIR")).parent_path();
        RegCloseHives();
        return;
    }
    m_folder = std::make_unique<IoTest::TempFolder>();
    m_root = m_folder->Path();
    for (const char* name : {"CORVANE_CONFIG_DIR", "CORVANE_MACHINE_DIR", "CORVANE_SHARED_DIR"}) {
        const char* previous = std::getenv(name);
        m_saved.emplace_back(name, previous ? previous : kUnset);
    }
    setenv("CORVANE_CONFIG_DIR", (m_root / "config").c_str(), 1);
    setenv("CORVANE_MACHINE_DIR", (m_root / "machine").c_str(), 1);
    setenv("CORVANE_SHARED_DIR", (m_root / "shared").c_str(), 1);
    RegCloseHives();
}

ScopedSettingsHome::~ScopedSettingsHome()
{
    RegCloseHives();
    for (const auto& [name, value] : m_saved) {
        if (value == kUnset) unsetenv(name.c_str());
        else setenv(name.c_str(), value.c_str(), 1);
    }
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

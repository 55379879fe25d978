// The registry across processes: two writers at once lose nothing, and a
// writer killed mid-write leaves a hive with every committed value.
#include <gtest/gtest.h>

#include <csignal>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "ScratchFolder.h"
#include "platform/Registry.h"

namespace {

const wchar_t* const kKeyPath = L"Software\\Quillmark\\ProcessTest";

LONG WriteDword(const std::wstring& name, DWORD value)
{
    HKEY key = nullptr;
    LONG rc = RegCreateKeyEx(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    rc = RegSetValueEx(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
    return rc;
}

// The DWORD value `name`, or nothing.
std::optional<DWORD> ReadDword(HKEY key, const std::wstring& name)
{
    DWORD value = 0, size = sizeof value, type = 0;
    if (RegQueryValueEx(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return value;
}

class RegistryProcessTest : public testing::Test {
protected:
    void SetUp() override
    {
        RegSetErrorReporter([this](const std::wstring&, const std::wstring& message) { m_problems.push_back(message); });
        ASSERT_EQ(WriteDword(L"parent", 1), ERROR_SUCCESS);
        RegCloseHives(); // no database connection may cross fork()
    }
    void TearDown() override { RegSetErrorReporter(nullptr); }

    HKEY OpenTestKey()
    {
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, kKeyPath, 0, KEY_READ, &key), ERROR_SUCCESS);
        return key;
    }

    ScopedRegistryFolders m_folders;
    std::vector<std::wstring> m_problems;
};

// Forks a child that waits for a byte on `gate`, runs `work` and ends with
// its result as exit status.
template <typename Work>
pid_t ForkWriter(int gate, Work work)
{
    const pid_t pid = fork();
    if (pid != 0) return pid;
    char go = 0;
    const bool started = read(gate, &go, 1) == 1;
    _exit(started ? work() : 3);
}

} // namespace

TEST_F(RegistryProcessTest, TwoProcessesWritingAtOnceLoseNothing)
{
    constexpr int kValues = 500;
    int gate[2];
    ASSERT_EQ(pipe(gate), 0);
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = ForkWriter(gate[0], [c] {
            for (int i = 0; i < kValues; ++i)
                if (WriteDword(L"c" + std::to_wstring(c) + L"-" + std::to_wstring(i), static_cast<DWORD>(c * 10000 + i)) !=
                    ERROR_SUCCESS)
                    return 1;
            return 0;
        });
        ASSERT_GT(children[c], 0);
    }
    const char go[2] = {'g', 'g'};
    ASSERT_EQ(write(gate[1], go, 2), 2); // both start together
    close(gate[0]);
    close(gate[1]);
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }

    RegCloseHives(); // read back through a fresh connection
    HKEY key = OpenTestKey();
    int found = 0;
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < kValues; ++i) {
            const auto value = ReadDword(key, L"c" + std::to_wstring(c) + L"-" + std::to_wstring(i));
            if (value && *value == static_cast<DWORD>(c * 10000 + i)) ++found;
        }
    EXPECT_EQ(found, 2 * kValues);
    DWORD values = 0;
    ASSERT_EQ(RegQueryInfoKey(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                              nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, static_cast<DWORD>(2 * kValues + 1)); // and the parent's own
    RegCloseKey(key);
    EXPECT_TRUE(m_problems.empty());
}

TEST_F(RegistryProcessTest, WriterKilledMidLoopLeavesEveryCommittedValue)
{
    int gate[2], done[2];
    ASSERT_EQ(pipe(gate), 0);
    ASSERT_EQ(pipe(done), 0);
    const pid_t child = ForkWriter(gate[0], [&done] {
        close(done[0]);
        const std::vector<BYTE> blob(2000, 0x5A); // big writes: the kill lands mid-write more often
        HKEY key = nullptr;
        if (RegCreateKeyEx(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr))
            return 1;
        for (DWORD i = 0;; ++i) {
            const std::wstring name = L"k" + std::to_wstring(i);
            if (RegSetValueEx(key, (name + L"-blob").c_str(), 0, REG_BINARY, blob.data(), 2000) ||
                RegSetValueEx(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&i), 4))
                return 2;
            if (write(done[1], &i, sizeof i) != sizeof i) return 4; // i is committed
        }
    });
    ASSERT_GT(child, 0);
    close(done[1]);
    ASSERT_EQ(write(gate[1], "g", 1), 1);
    DWORD last = 0;
    for (DWORD i = 0; i < 300; ++i) ASSERT_EQ(read(done[0], &last, sizeof last), static_cast<ssize_t>(sizeof last));
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "writer ended by itself with " << WEXITSTATUS(status);
    close(done[0]);
    close(gate[0]);
    close(gate[1]);

    RegCloseHives();
    HKEY key = OpenTestKey();
    for (DWORD i = 0; i <= last; ++i) {
        const auto value = ReadDword(key, L"k" + std::to_wstring(i));
        ASSERT_TRUE(value && *value == i) << "value " << i << " of " << last << " lost";
    }
    // The hive is sound: it takes new writes and nothing was reported.
    EXPECT_EQ(WriteDword(L"after", 5), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_TRUE(m_problems.empty());
}

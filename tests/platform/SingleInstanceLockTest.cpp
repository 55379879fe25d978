// The single-instance lock: a second holder is refused, and the lock comes
// free when its holder ends, even by SIGKILL.
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "ScratchFolder.h"
#include "platform/SingleInstanceLock.h"
#include "platform/TextConvert.h"
#include "support/ScopedEnv.h"

namespace {

// Runs the test with the runtime folder in a scratch folder.
class SingleInstanceLockTest : public testing::Test {
protected:
    ScratchFolder m_folder;
    CorvaneTest::ScopedEnv m_runtime{"CORVANE_RUNTIME_DIR", (m_folder.Path() / "run").c_str()};
};

} // namespace

TEST_F(SingleInstanceLockTest, SecondLockIsRefusedUntilTheFirstIsReleased)
{
    CSingleInstanceLock first(L"Corvane Spot Remover");
    CSingleInstanceLock second(L"Corvane Spot Remover");
    EXPECT_EQ(first.Acquire(), CSingleInstanceLock::Result::Acquired);
    EXPECT_EQ(first.Acquire(), CSingleInstanceLock::Result::Acquired); // idempotent
    EXPECT_EQ(second.Acquire(), CSingleInstanceLock::Result::AlreadyRunning);
    EXPECT_FALSE(second.IsHeld());
    first.Release();
    EXPECT_EQ(second.Acquire(), CSingleInstanceLock::Result::Acquired);
}

TEST_F(SingleInstanceLockTest, DifferentApplicationsDoNotConflict)
{
    CSingleInstanceLock a(L"Corvane Spot Remover");
    CSingleInstanceLock b(L"Corvane Clone Stamp");
    EXPECT_EQ(a.Acquire(), CSingleInstanceLock::Result::Acquired);
    EXPECT_EQ(b.Acquire(), CSingleInstanceLock::Result::Acquired);
    EXPECT_NE(a.GetLockFilePath(), b.GetLockFilePath());
}

TEST_F(SingleInstanceLockTest, LockFileLivesInTheRuntimeFolderWithASafeName)
{
    CSingleInstanceLock lock(L"../evil/name");
    const std::wstring folder = Utf8ToWide((m_folder.Path() / "run").string()) + L"/";
    ASSERT_EQ(lock.GetLockFilePath().compare(0, folder.size(), folder), 0);
    const std::wstring file = lock.GetLockFilePath().substr(folder.size());
    EXPECT_EQ(file.find(L'/'), std::wstring::npos);
    EXPECT_NE(file.front(), L'.');
    EXPECT_EQ(lock.Acquire(), CSingleInstanceLock::Result::Acquired); // creates the folder
}

TEST_F(SingleInstanceLockTest, LockOfAKilledProcessComesFree)
{
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(ready[0]);
        CSingleInstanceLock lock(L"Corvane Spot Remover");
        const char answer = lock.Acquire() == CSingleInstanceLock::Result::Acquired ? 'y' : 'n';
        // A child that cannot report ends, so the parent's read sees the
        // pipe close instead of waiting for an answer that never comes.
        if (write(ready[1], &answer, 1) != 1) _exit(1);
        for (;;) pause(); // hold the lock until killed
    }
    close(ready[1]);
    char answer = 0;
    ASSERT_EQ(read(ready[0], &answer, 1), 1);
    close(ready[0]);
    ASSERT_EQ(answer, 'y');

    CSingleInstanceLock mine(L"Corvane Spot Remover");
    EXPECT_EQ(mine.Acquire(), CSingleInstanceLock::Result::AlreadyRunning);
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(mine.Acquire(), CSingleInstanceLock::Result::Acquired);
}

TEST_F(SingleInstanceLockTest, UnusableRuntimeFolderFails)
{
    const auto blocker = m_folder.Path() / "file";
    FILE* f = fopen(blocker.c_str(), "w");
    ASSERT_TRUE(f);
    fclose(f);
    setenv("CORVANE_RUNTIME_DIR", (blocker / "sub").c_str(), 1); // a folder inside a plain file
    CSingleInstanceLock lock(L"App");
    EXPECT_EQ(lock.Acquire(), CSingleInstanceLock::Result::Failed);
    EXPECT_FALSE(lock.IsHeld());
    EXPECT_EQ(lock.GetLastError(), ENOTDIR);

    // A folder where the lock file belongs.
    setenv("CORVANE_RUNTIME_DIR", (m_folder.Path() / "run").c_str(), 1);
    CSingleInstanceLock blocked(L"App");
    std::filesystem::create_directories(WideToUtf8(blocked.GetLockFilePath()));
    EXPECT_EQ(blocked.Acquire(), CSingleInstanceLock::Result::Failed);
    EXPECT_EQ(blocked.GetLastError(), EISDIR);
}

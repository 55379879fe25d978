// Folder lookup: environment overrides, fall-backs and the trailing
// separator every caller appends file names to.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "ScratchFolder.h"
#include "platform/InvalidArgException.h"
#include "platform/NotSupportedException.h"
#include "platform/SystemFolders.h"
#include "platform/TextConvert.h"
#include "support/ScopedEnv.h"

namespace {

using CorvaneTest::ScopedEnv;

std::wstring W(const std::string& s) { return Utf8ToWide(s); }

} // namespace

TEST(SystemFolders, ModulePathIsThisTestProgram)
{
    const std::wstring path = GetModuleFilePath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), L'/');
    EXPECT_TRUE(std::filesystem::exists(WideToUtf8(path)));
    EXPECT_NE(path.find(L"test_platform"), std::wstring::npos);
}

TEST(SystemFolders, TempFolderFollowsTmpdirAndEndsWithSeparator)
{
    {
        ScopedEnv tmp("TMPDIR", "/some/where");
        EXPECT_EQ(GetTempFolder(), L"/some/where/");
    }
    {
        ScopedEnv tmp("TMPDIR", "/some/where/");
        EXPECT_EQ(GetTempFolder(), L"/some/where/");
    }
    {
        ScopedEnv tmp("TMPDIR", nullptr);
        EXPECT_EQ(GetTempFolder(), L"/tmp/");
    }
}

TEST(SystemFolders, RuntimeFolderFallsBackInOrder)
{
    ScopedEnv tmp("TMPDIR", "/t");
    {
        ScopedEnv own("CORVANE_RUNTIME_DIR", "/own/run");
        ScopedEnv xdg("XDG_RUNTIME_DIR", "/xdg/run");
        EXPECT_EQ(GetRuntimeFolder(), L"/own/run/");
    }
    {
        ScopedEnv own("CORVANE_RUNTIME_DIR", nullptr);
        ScopedEnv xdg("XDG_RUNTIME_DIR", "/xdg/run");
        EXPECT_EQ(GetRuntimeFolder(), L"/xdg/run/");
    }
    {
        ScopedEnv own("CORVANE_RUNTIME_DIR", nullptr);
        ScopedEnv xdg("XDG_RUNTIME_DIR", nullptr);
        EXPECT_EQ(GetRuntimeFolder(), L"/t/");
    }
}

TEST(SystemFolders, ConfigFolderFallsBackInOrder)
{
    {
        ScopedEnv own("CORVANE_CONFIG_DIR", "/own/config");
        EXPECT_EQ(GetConfigFolder(), L"/own/config/");
    }
    ScopedEnv own("CORVANE_CONFIG_DIR", nullptr);
    ScopedEnv home("HOME", "/home/someone");
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "/xdg/config");
        EXPECT_EQ(GetConfigFolder(), L"/xdg/config/CorvaneLoader/");
    }
    ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(GetConfigFolder(), L"/home/someone/.config/CorvaneLoader/");
}

TEST(SystemFolders, MachineAndSharedFolders)
{
    {
        ScopedEnv machine("CORVANE_MACHINE_DIR", "/own/machine");
        ScopedEnv shared("CORVANE_SHARED_DIR", nullptr);
        EXPECT_EQ(GetMachineFolder(), L"/own/machine/");
        EXPECT_EQ(GetSharedDataFolder(), L"/own/machine/Shared/");
    }
    ScopedEnv shared("CORVANE_SHARED_DIR", "/own/shared");
    EXPECT_EQ(GetSharedDataFolder(), L"/own/shared/");
    // Without an override the machine folder is the system one when this user
    // may write there, else the configuration folder.
    ScopedEnv machine("CORVANE_MACHINE_DIR", nullptr);
    const std::wstring folder = GetMachineFolder();
    EXPECT_TRUE(folder == L"/var/lib/CorvaneLoader/" || folder == GetConfigFolder()) << WideToUtf8(folder);
    if (access("/var/lib", W_OK) != 0) {
        EXPECT_EQ(folder, GetConfigFolder());
    }
}

TEST(SystemFolders, RelativeOverridesBecomeAbsolute)
{
    ScopedEnv own("CORVANE_CONFIG_DIR", "relative/config");
    const std::wstring folder = GetConfigFolder();
    EXPECT_EQ(folder.front(), L'/');
    EXPECT_EQ(folder, W(std::filesystem::current_path().string()) + L"/relative/config/");
}

TEST(Exceptions, DeriveFromStandardTypes)
{
    EXPECT_THROW(AfxThrowInvalidArgException(), std::invalid_argument);
    EXPECT_THROW(AfxThrowNotSupportedException(), std::logic_error);
    try {
        AfxThrowNotSupportedException();
    } catch (const std::exception& e) {
        EXPECT_NE(dynamic_cast<const CNotSupportedException*>(&e), nullptr);
        EXPECT_STRNE(e.what(), "");
    }
}

// Profile values of the application: where they live in the registry and
// how each kind reads back.
#include <gtest/gtest.h>

#include <vector>

#include "ScratchFolder.h"
#include "platform/AppProfile.h"

namespace {

class AppProfileTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_profile.SetAppName(L"Corvane Spot Remover");
        m_profile.SetRegistryKey(L"Quillmark");
    }

    // Reads the value `entry` of the key at `path` under HKEY_CURRENT_USER
    // directly, to see where the profile put it.
    static bool RawValue(const wchar_t* path, const wchar_t* entry, DWORD& type, std::vector<BYTE>& data)
    {
        HKEY key = nullptr;
        if (RegOpenKeyEx(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        DWORD size = 0;
        LONG rc = RegQueryValueEx(key, entry, nullptr, &type, nullptr, &size);
        if (rc == ERROR_SUCCESS) {
            data.resize(size);
            rc = RegQueryValueEx(key, entry, nullptr, &type, data.data(), &size);
        }
        RegCloseKey(key);
        return rc == ERROR_SUCCESS;
    }

    ScopedRegistryFolders m_folders;
    CAppProfile m_profile;
};

} // namespace

TEST_F(AppProfileTest, BinaryRoundTripUnderTheApplicationKey)
{
    const std::vector<BYTE> state = {1, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 10, 0, 0, 0,
                                     20, 0, 0, 0, 0xFF, 3, 0, 0, 0x80, 2, 0, 0};
    ASSERT_TRUE(m_profile.WriteProfileBinary(L"", L"corvaneloader_dlg", state));
    std::vector<BYTE> back = {9, 9};
    ASSERT_TRUE(m_profile.GetProfileBinary(L"", L"corvaneloader_dlg", back));
    EXPECT_EQ(back, state);

    // An empty section is the application key itself.
    DWORD type = 0;
    std::vector<BYTE> raw;
    ASSERT_TRUE(RawValue(L"Software\\Quillmark\\Corvane Spot Remover", L"corvaneloader_dlg", type, raw));
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(raw, state);
    EXPECT_EQ(m_profile.GetAppKeyPath(), L"Software\\Quillmark\\Corvane Spot Remover");

    // A null section means the same.
    ASSERT_TRUE(m_profile.GetProfileBinary(nullptr, L"CORVANELOADER_DLG", back));
    EXPECT_EQ(back, state);
}

TEST_F(AppProfileTest, SectionsAreSubkeys)
{
    const BYTE bytes[] = {0, 1, 2};
    ASSERT_TRUE(m_profile.WriteProfileBinary(L"Tools", L"spot_remover", bytes, 3));
    DWORD type = 0;
    std::vector<BYTE> raw;
    EXPECT_TRUE(RawValue(L"Software\\Quillmark\\Corvane Spot Remover\\Tools", L"spot_remover", type, raw));
    std::vector<BYTE> back;
    EXPECT_FALSE(m_profile.GetProfileBinary(L"", L"spot_remover", back)); // not in the application key
    EXPECT_TRUE(m_profile.GetProfileBinary(L"tools", L"Spot_Remover", back));
    EXPECT_EQ(back, (std::vector<BYTE>{0, 1, 2}));
}

TEST_F(AppProfileTest, MissingOrMistypedValuesReadAsAbsent)
{
    std::vector<BYTE> back = {1, 2, 3};
    EXPECT_FALSE(m_profile.GetProfileBinary(L"", L"never written", back));
    EXPECT_TRUE(back.empty());
    ASSERT_TRUE(m_profile.WriteProfileInt(L"", L"number", 5));
    back = {1};
    EXPECT_FALSE(m_profile.GetProfileBinary(L"", L"number", back)); // a DWORD is not binary
    EXPECT_TRUE(back.empty());
    EXPECT_EQ(m_profile.GetProfileInt(L"", L"never written", 17), 17u);
    ASSERT_TRUE(m_profile.WriteProfileBinary(L"", L"blob", std::vector<BYTE>{1, 2, 3, 4}));
    EXPECT_EQ(m_profile.GetProfileInt(L"", L"blob", -1), static_cast<UINT>(-1)); // binary is not a DWORD
    EXPECT_EQ(m_profile.GetProfileString(L"", L"blob", L"dflt"), L"dflt");
}

TEST_F(AppProfileTest, EmptyBinaryIsStoredAsEmpty)
{
    ASSERT_TRUE(m_profile.WriteProfileBinary(L"", L"empty", std::vector<BYTE>{}));
    std::vector<BYTE> back = {7};
    EXPECT_TRUE(m_profile.GetProfileBinary(L"", L"empty", back));
    EXPECT_TRUE(back.empty());
    EXPECT_FALSE(m_profile.WriteProfileBinary(L"", L"bad", nullptr, 4));
    EXPECT_FALSE(m_profile.WriteProfileBinary(L"", nullptr, std::vector<BYTE>{1}));
}

TEST_F(AppProfileTest, IntegersAndStrings)
{
    ASSERT_TRUE(m_profile.WriteProfileInt(L"Options", L"Size", -15));
    EXPECT_EQ(static_cast<int>(m_profile.GetProfileInt(L"Options", L"size", 0)), -15);
    ASSERT_TRUE(m_profile.WriteProfileString(L"Options", L"Folder", L"/home/\u00E4\u4E2D"));
    EXPECT_EQ(m_profile.GetProfileString(L"Options", L"FOLDER"), L"/home/\u00E4\u4E2D");
    EXPECT_EQ(m_profile.GetProfileString(L"Options", L"absent"), L"");
    EXPECT_EQ(m_profile.GetProfileString(L"Options", L"absent", L"dflt"), L"dflt");

    ASSERT_TRUE(m_profile.WriteProfileString(L"Options", L"Folder", nullptr)); // deletes the entry
    EXPECT_EQ(m_profile.GetProfileString(L"Options", L"Folder", L"gone"), L"gone");
    EXPECT_TRUE(m_profile.WriteProfileString(L"Options", L"Folder", nullptr)); // deleting again is fine

    ASSERT_TRUE(m_profile.WriteProfileString(L"Options", nullptr, nullptr)); // deletes the section
    EXPECT_EQ(m_profile.GetProfileInt(L"Options", L"Size", 3), 3u);
    EXPECT_FALSE(m_profile.WriteProfileString(L"", nullptr, nullptr)); // never the application key
}

TEST_F(AppProfileTest, NothingIsStoredWithoutCompanyAndApplication)
{
    CAppProfile bare;
    EXPECT_FALSE(bare.WriteProfileInt(L"", L"x", 1));
    EXPECT_EQ(bare.GetProfileInt(L"", L"x", 4), 4u);
    bare.SetAppName(L"App");
    EXPECT_FALSE(bare.WriteProfileBinary(L"", L"x", std::vector<BYTE>{1}));
    bare.SetRegistryKey(L"Quillmark");
    EXPECT_TRUE(bare.WriteProfileBinary(L"", L"x", std::vector<BYTE>{1}));
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, L"Software\\Quillmark\\App", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST_F(AppProfileTest, ValuesSurviveReopeningTheHive)
{
    ASSERT_TRUE(m_profile.WriteProfileBinary(L"", L"clone_stamp", std::vector<BYTE>{1, 0, 0, 0, 30, 0, 0, 0}));
    RegCloseHives();
    CAppProfile later;
    later.SetAppName(L"Corvane Spot Remover");
    later.SetRegistryKey(L"Quillmark");
    std::vector<BYTE> back;
    ASSERT_TRUE(later.GetProfileBinary(L"", L"clone_stamp", back));
    EXPECT_EQ(back, (std::vector<BYTE>{1, 0, 0, 0, 30, 0, 0, 0}));
}

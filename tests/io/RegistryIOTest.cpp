// The logged registry layer: results, log lines and untouched values on every
// failure, and the invalid-argument exception for arguments never allowed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RegistryTestSupport.h"
#include "io/Carrow.h"
#include "io/RegistryIO.h"
#include "platform/InvalidArgException.h"
#include "platform/Registry.h"

using namespace Carrow::RegistryIO;
using RegistryTest::HasLine;
using RegistryTest::Joined;

namespace {

const wchar_t kBase[] = L"Software\\Quillmark\\RegistryIOTest";

class RegistryIOTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(Carrow::InitCarrow(), 1); // opens the log
        HKEY base = nullptr;
        ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, kBase, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &base, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(base);
        m_key = OpenKey(ROOTKEY_CURRENT_USER, kBase);
        ASSERT_NE(m_key, nullptr);
    }
    void TearDown() override
    {
        if (m_key) CloseKey(m_key);
    }

    void PutRaw(const wchar_t* name, DWORD type, const std::vector<BYTE>& bytes)
    {
        ASSERT_EQ(RegSetValueEx(m_key, name, 0, type, bytes.data(), static_cast<DWORD>(bytes.size())), ERROR_SUCCESS);
    }
    // The raw type and bytes of a value; type 0xFFFF when it is missing.
    std::pair<DWORD, std::vector<BYTE>> Raw(const wchar_t* name)
    {
        DWORD type = 0, size = 0;
        if (RegQueryValueEx(m_key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {0xFFFF, {}};
        std::vector<BYTE> bytes(size + 1);
        RegQueryValueEx(m_key, name, nullptr, &type, bytes.data(), &size);
        bytes.resize(size);
        return {type, bytes};
    }
    bool KeyExists(const std::wstring& path)
    {
        HKEY key = nullptr;
        if (RegOpenKeyEx(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }

    RegistryTest::ScopedSettingsHome m_home;
    HKEY m_key{nullptr};
};

} // namespace

TEST(RegistryIOMapping, RootKeysAndValueTypes)
{
    EXPECT_EQ(GetRootKeyHandle(ROOTKEY_CLASSES_ROOT), HKEY_CLASSES_ROOT);
    EXPECT_EQ(GetRootKeyHandle(ROOTKEY_CURRENT_CONFIG), HKEY_CURRENT_CONFIG);
    EXPECT_EQ(GetRootKeyHandle(ROOTKEY_CURRENT_USER), HKEY_CURRENT_USER);
    EXPECT_EQ(GetRootKeyHandle(ROOTKEY_LOCAL_MACHINE), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(GetRootKeyHandle(ROOTKEY_USERS), HKEY_USERS);
    EXPECT_EQ(GetRootKeyHandle(static_cast<enumRootKey>(5)), nullptr);
    EXPECT_EQ(GetRootKeyHandle(static_cast<enumRootKey>(-1)), nullptr);

    EXPECT_EQ(GetDwordValueType(VALUETYPE_DWORD), 4u);
    EXPECT_EQ(GetDwordValueType(VALUETYPE_STRING), 1u);
    EXPECT_EQ(GetDwordValueType(VALUETYPE_BINARY), 3u);
    EXPECT_EQ(GetDwordValueType(static_cast<enumValueType>(3)), static_cast<DWORD>(-1));

    EXPECT_EQ(GetValueType(REG_DWORD), VALUETYPE_DWORD);
    EXPECT_EQ(GetValueType(REG_SZ), VALUETYPE_STRING);
    EXPECT_EQ(GetValueType(REG_EXPAND_SZ), VALUETYPE_STRING);
    EXPECT_EQ(GetValueType(REG_BINARY), VALUETYPE_BINARY);
    for (DWORD other : {REG_NONE, REG_MULTI_SZ, REG_QWORD, REG_DWORD_BIG_ENDIAN, 255u})
        EXPECT_EQ(GetValueType(other), static_cast<enumValueType>(-1)) << other;
}

TEST_F(RegistryIOTest, ArgumentsNeverAllowedThrow)
{
    enumValueType type = VALUETYPE_DWORD;
    DWORD size = 0;
    BYTE byte = 0;
    EXPECT_THROW(OpenKey(ROOTKEY_CURRENT_USER, nullptr), CInvalidArgException);
    EXPECT_THROW(OpenKey(ROOTKEY_CURRENT_USER, L""), CInvalidArgException);
    EXPECT_THROW(CreateKey(ROOTKEY_CURRENT_USER, nullptr, L"a"), CInvalidArgException);
    EXPECT_THROW(CreateKey(ROOTKEY_CURRENT_USER, kBase, L""), CInvalidArgException);
    EXPECT_THROW(CreateKey(ROOTKEY_CURRENT_USER, L"", L"a"), CInvalidArgException);
    EXPECT_THROW(CloseKey(nullptr), CInvalidArgException);
    EXPECT_THROW(DeleteKey(ROOTKEY_CURRENT_USER, nullptr), CInvalidArgException);
    EXPECT_THROW(DeleteKey(ROOTKEY_CURRENT_USER, L""), CInvalidArgException);
    EXPECT_THROW(DeleteTree(nullptr), CInvalidArgException);
    EXPECT_THROW(CreateValue(nullptr, L"v", VALUETYPE_DWORD, &byte, 1), CInvalidArgException);
    EXPECT_THROW(CreateValue(m_key, nullptr, VALUETYPE_DWORD, &byte, 1), CInvalidArgException);
    EXPECT_THROW(DeleteValue(nullptr, L"v"), CInvalidArgException);
    EXPECT_THROW(DeleteValue(m_key, nullptr), CInvalidArgException);
    EXPECT_THROW(GetValue(nullptr, L"v", type, nullptr, size), CInvalidArgException);
    EXPECT_THROW(GetValue(m_key, nullptr, type, nullptr, size), CInvalidArgException);
    EXPECT_THROW(SetValue(nullptr, L"v", VALUETYPE_DWORD, &byte, 1), CInvalidArgException);
    EXPECT_THROW(SetValue(m_key, nullptr, VALUETYPE_DWORD, &byte, 1), CInvalidArgException);
    EXPECT_THROW(SetValue(m_key, L"v", VALUETYPE_BINARY, nullptr, 4), CInvalidArgException);
    // The exception is the standard library's invalid_argument as well.
    EXPECT_THROW(OpenKey(ROOTKEY_CURRENT_USER, nullptr), std::invalid_argument);
}

TEST_F(RegistryIOTest, OpenKeyFailuresLogTheSystemCode)
{
    IoTest::LogWatch log;
    EXPECT_EQ(OpenKey(ROOTKEY_CURRENT_USER, L"Software\\Quillmark\\NoSuchKey"), nullptr);
    EXPECT_EQ(OpenKey(static_cast<enumRootKey>(9), L"Software"), nullptr);
    const auto lines = log.NewLines();
    EXPECT_TRUE(HasLine(lines, 1, "RegOperate::OpenKey", "Failed to call RegOpenKeyEx! Error: 2")) << Joined(lines);
    EXPECT_TRUE(HasLine(lines, 1, "RegOperate::OpenKey", "Failed to call RegOpenKeyEx! Error: 6")) << Joined(lines);
}

TEST_F(RegistryIOTest, CreateKeyMakesOpensOrRefuses)
{
    IoTest::LogWatch log;
    HKEY created = CreateKey(ROOTKEY_CURRENT_USER, kBase, L"Child");
    ASSERT_NE(created, nullptr);
    const DWORD seven = 7;
    EXPECT_TRUE(CreateValue(created, L"n", VALUETYPE_DWORD, reinterpret_cast<const BYTE*>(&seven), 4));
    EXPECT_TRUE(CloseKey(created));
    EXPECT_FALSE(HasLine(log.NewLines(), 3, "RegOperate::CreateKey", "The key that to be created has already existed!"));

    HKEY again = CreateKey(ROOTKEY_CURRENT_USER, kBase, L"child"); // names compare without case
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(Raw(L"n").first, 0xFFFFu) << "the value lives in the child, not the base";
    enumValueType type = VALUETYPE_DWORD;
    DWORD value = 0, size = 4;
    EXPECT_TRUE(GetValue(again, L"n", type, reinterpret_cast<BYTE*>(&value), size));
    EXPECT_EQ(value, 7u);
    EXPECT_TRUE(CloseKey(again));

    EXPECT_EQ(CreateKey(ROOTKEY_CURRENT_USER, L"Software\\Quillmark\\Missing", L"Child"), nullptr);
    EXPECT_FALSE(KeyExists(L"Software\\Quillmark\\Missing"));
    const auto lines = log.NewLines();
    EXPECT_TRUE(HasLine(lines, 3, "RegOperate::CreateKey", "The key that to be created has already existed!"));
    EXPECT_TRUE(HasLine(lines, 1, "RegOperate::CreateKey", "The path that to create the key dosen't exist!"));
    EXPECT_TRUE(HasLine(lines, 1, "RegOperate::OpenKey", "Failed to call RegOpenKeyEx! Error: 2")) << Joined(lines);
}

TEST_F(RegistryIOTest, CloseKeyOfAHandleNotOpenFails)
{
    HKEY key = OpenKey(ROOTKEY_CURRENT_USER, kBase);
    ASSERT_NE(key, nullptr);
    EXPECT_TRUE(CloseKey(key));
    IoTest::LogWatch log;
    EXPECT_FALSE(CloseKey(key));
    EXPECT_TRUE(HasLine(log.NewLines(), 1, "RegOperate::CloseKey", "Failed to call RegCloseKey!"));
}

TEST_F(RegistryIOTest, DeletingWhatDoesNotExistSucceeds)
{
    IoTest::LogWatch log;
    EXPECT_TRUE(DeleteKey(ROOTKEY_CURRENT_USER, L"Software\\Quillmark\\RegistryIOTest\\Nothing"));
    EXPECT_TRUE(DeleteKey(ROOTKEY_CURRENT_USER, L"Software\\NoCompany\\NoProduct"));
    EXPECT_TRUE(DeleteValue(m_key, L"nothing"));
    EXPECT_TRUE(log.NewLines().empty()) << Joined(log.NewLines());
}

TEST_F(RegistryIOTest, DeleteKeyRemovesALeafAndRefusesAKeyWithSubkeys)
{
    HKEY leaf = CreateKey(ROOTKEY_CURRENT_USER, kBase, L"Parent\\Leaf");
    ASSERT_NE(leaf, nullptr);
    CloseKey(leaf);
    IoTest::LogWatch log;
    EXPECT_FALSE(DeleteKey(ROOTKEY_CURRENT_USER, L"Software\\Quillmark\\RegistryIOTest\\Parent"));
    EXPECT_TRUE(HasLine(log.NewLines(), 1, "RegOperate::DeleteKey", "Failed to call RegDeleteKey! Error: 5"));
    EXPECT_TRUE(KeyExists(L"Software\\Quillmark\\RegistryIOTest\\Parent\\Leaf"));
    EXPECT_TRUE(DeleteKey(ROOTKEY_CURRENT_USER, L"Software\\Quillmark\\RegistryIOTest\\Parent\\Leaf"));
    EXPECT_FALSE(KeyExists(L"Software\\Quillmark\\RegistryIOTest\\Parent\\Leaf"));
    EXPECT_TRUE(KeyExists(L"Software\\Quillmark\\RegistryIOTest\\Parent"));
}

TEST_F(RegistryIOTest, DeleteTreeEmptiesTheKeyAtEveryDepthAndKeepsIt)
{
    HKEY deep = CreateKey(ROOTKEY_CURRENT_USER, kBase, L"A\\B\\C\\D");
    ASSERT_NE(deep, nullptr);
    PutRaw(L"own", REG_DWORD, {1, 0, 0, 0});
    const std::wstring longName(300, L'x'); // longer than a 260-character name buffer
    PutRaw(longName.c_str(), REG_BINARY, {9});
    ASSERT_EQ(RegSetValueEx(deep, L"deep", 0, REG_SZ, nullptr, 0), ERROR_SUCCESS);
    CloseKey(deep);
    HKEY sibling = CreateKey(ROOTKEY_CURRENT_USER, kBase, L"Z");
    ASSERT_NE(sibling, nullptr);
    CloseKey(sibling);

    EXPECT_TRUE(DeleteTree(m_key));
    DWORD subKeys = 1, values = 1;
    ASSERT_EQ(RegQueryInfoKey(m_key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr, nullptr,
                              nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subKeys, 0u);
    EXPECT_EQ(values, 0u);
    EXPECT_TRUE(KeyExists(kBase));
    EXPECT_FALSE(KeyExists(std::wstring(kBase) + L"\\A"));
    EXPECT_TRUE(DeleteTree(m_key)) << "an empty key stays empty";
}

TEST_F(RegistryIOTest, DeleteTreeRefusedLeavesEverything)
{
    HKEY child = CreateKey(ROOTKEY_CURRENT_USER, kBase, L"Kept");
    ASSERT_NE(child, nullptr);
    CloseKey(child);
    HKEY limited = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, kBase, 0, KEY_SET_VALUE, &limited), ERROR_SUCCESS);
    IoTest::LogWatch log;
    EXPECT_FALSE(DeleteTree(limited));
    EXPECT_TRUE(HasLine(log.NewLines(), 1, "RegOperate::DeleteTree", "Failed to call RegDeleteTree! Error: 5"));
    EXPECT_TRUE(KeyExists(std::wstring(kBase) + L"\\Kept"));
    RegCloseKey(limited);
}

TEST_F(RegistryIOTest, CreateValueWritesNewOverwritesSameTypeAndKeepsOtherType)
{
    const BYTE block[] = {1, 2, 3};
    EXPECT_TRUE(CreateValue(m_key, L"block", VALUETYPE_BINARY, block, 3));
    EXPECT_EQ(Raw(L"block"), (std::pair<DWORD, std::vector<BYTE>>{REG_BINARY, {1, 2, 3}}));

    IoTest::LogWatch log;
    const BYTE other[] = {7, 7};
    EXPECT_TRUE(CreateValue(m_key, L"BLOCK", VALUETYPE_BINARY, other, 2));
    EXPECT_EQ(Raw(L"block"), (std::pair<DWORD, std::vector<BYTE>>{REG_BINARY, {7, 7}}));
    EXPECT_TRUE(HasLine(log.NewLines(), 3, "RegOperate::CreateValue", "The value that to be create has already existed!"));

    const DWORD number = 0x01020304;
    EXPECT_FALSE(CreateValue(m_key, L"block", VALUETYPE_DWORD, reinterpret_cast<const BYTE*>(&number), 4));
    EXPECT_EQ(Raw(L"block"), (std::pair<DWORD, std::vector<BYTE>>{REG_BINARY, {7, 7}}));
    EXPECT_TRUE(HasLine(log.NewLines(), 1, "RegOperate::CreateValue",
                        "Existed value type is different from the creating type!"));

    // A type outside the table is written as registry type 255.
    EXPECT_TRUE(CreateValue(m_key, L"odd", static_cast<enumValueType>(7), block, 1));
    EXPECT_EQ(Raw(L"odd").first, 255u);
    EXPECT_TRUE(CreateValue(m_key, L"empty", VALUETYPE_BINARY, nullptr, 0));
    EXPECT_EQ(Raw(L"empty"), (std::pair<DWORD, std::vector<BYTE>>{REG_BINARY, {}}));
}

TEST_F(RegistryIOTest, GetValueQueriesThenReadsOnlyAnExactMatch)
{
    PutRaw(L"text", REG_SZ, {'h', 0, 'i', 0, 0, 0});
    PutRaw(L"path", REG_EXPAND_SZ, {'%', 0, 0, 0});
    PutRaw(L"qword", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8});

    enumValueType type = VALUETYPE_DWORD;
    DWORD size = 0;
    ASSERT_TRUE(GetValue(m_key, L"text", type, nullptr, size));
    EXPECT_EQ(type, VALUETYPE_STRING);
    EXPECT_EQ(size, 6u);
    ASSERT_TRUE(GetValue(m_key, L"PATH", type, nullptr, size));
    EXPECT_EQ(type, VALUETYPE_STRING);
    ASSERT_TRUE(GetValue(m_key, L"qword", type, nullptr, size));
    EXPECT_EQ(type, static_cast<enumValueType>(-1));

    BYTE buffer[8] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    type = VALUETYPE_STRING;
    size = 6;
    ASSERT_TRUE(GetValue(m_key, L"text", type, buffer, size));
    EXPECT_EQ(std::vector<BYTE>(buffer, buffer + 8), (std::vector<BYTE>{'h', 0, 'i', 0, 0, 0, 0xEE, 0xEE}));

    IoTest::LogWatch log;
    BYTE untouched[8] = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
    type = VALUETYPE_STRING;
    size = 8; // too big
    EXPECT_FALSE(GetValue(m_key, L"text", type, untouched, size));
    type = VALUETYPE_BINARY;
    size = 6; // wrong type
    EXPECT_FALSE(GetValue(m_key, L"text", type, untouched, size));
    EXPECT_FALSE(GetValue(m_key, L"missing", type, untouched, size));
    EXPECT_EQ(std::vector<BYTE>(untouched, untouched + 8), std::vector<BYTE>(8, 0xAA));
    const auto lines = log.NewLines();
    EXPECT_EQ(RegistryTest::CountContaining(lines, "Value type or data-size is not correct!"), 2) << Joined(lines);
    EXPECT_TRUE(HasLine(lines, 1, "RegOperate::GetValue", "Failed to call RegQueryValueEx! Error: 2"));
}

TEST_F(RegistryIOTest, SetValueNeedsAnExistingValueOfTheSameType)
{
    PutRaw(L"n", REG_DWORD, {1, 0, 0, 0});
    const BYTE two[] = {2, 0, 0, 0};
    EXPECT_TRUE(SetValue(m_key, L"n", VALUETYPE_DWORD, two, 4));
    EXPECT_EQ(Raw(L"n"), (std::pair<DWORD, std::vector<BYTE>>{REG_DWORD, {2, 0, 0, 0}}));

    IoTest::LogWatch log;
    EXPECT_FALSE(SetValue(m_key, L"n", VALUETYPE_BINARY, two, 4));
    EXPECT_FALSE(SetValue(m_key, L"absent", VALUETYPE_DWORD, two, 4));
    EXPECT_EQ(Raw(L"n"), (std::pair<DWORD, std::vector<BYTE>>{REG_DWORD, {2, 0, 0, 0}}));
    EXPECT_EQ(Raw(L"absent").first, 0xFFFFu);
    const auto lines = log.NewLines();
    EXPECT_TRUE(HasLine(lines, 1, "RegOperate::SetValue", "Can't set value to a different type!")) << Joined(lines);
    EXPECT_TRUE(HasLine(lines, 1, "RegOperate::SetValue", "Failed to call GetValue!")) << Joined(lines);
}

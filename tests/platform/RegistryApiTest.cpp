// The Win32-shaped registry functions: handles, paths, the buffer-size
// protocols, access rights and the root hives' files.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <mutex>
#include <thread>

#include "ScratchFolder.h"
#include "platform/Registry.h"

namespace {

class RegistryApiTest : public testing::Test {
protected:
    void SetUp() override
    {
        RegSetErrorReporter([this](const std::wstring& function, const std::wstring& message) {
            std::lock_guard lock(m_problemsMutex);
            m_problems.push_back(function + L": " + message);
        });
    }
    void TearDown() override
    {
        for (HKEY key : m_open) RegCloseKey(key);
        RegSetErrorReporter(nullptr);
    }

    HKEY CreateKey(HKEY root, const wchar_t* path, REGSAM access = KEY_ALL_ACCESS, DWORD* disposition = nullptr)
    {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyEx(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key, disposition),
                  ERROR_SUCCESS);
        m_open.push_back(key);
        return key;
    }

    static LONG SetDword(HKEY key, const wchar_t* name, DWORD value)
    {
        return RegSetValueEx(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    }

    ScopedRegistryFolders m_folders;
    std::mutex m_problemsMutex;
    std::vector<std::wstring> m_problems;
    std::vector<HKEY> m_open;
};

} // namespace

TEST_F(RegistryApiTest, CreateOpenAndDisposition)
{
    DWORD disposition = 0;
    CreateKey(HKEY_CURRENT_USER, L"Software\\Quillmark\\Corvane", KEY_ALL_ACCESS, &disposition);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    CreateKey(HKEY_CURRENT_USER, L"software\\QUILLMARK\\corvane\\", KEY_ALL_ACCESS, &disposition);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));

    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, L"Software\\Quillmark", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, L"Software\\Missing", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, L"\\Software", 0, KEY_READ, &key), ERROR_BAD_PATHNAME);
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, L"a\\\\b", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_BAD_PATHNAME);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);

    // An empty path gives a new handle to the same key.
    HKEY parent = CreateKey(HKEY_CURRENT_USER, L"Software");
    HKEY same = nullptr;
    ASSERT_EQ(RegOpenKeyEx(parent, L"", 0, KEY_ALL_ACCESS, &same), ERROR_SUCCESS);
    EXPECT_NE(same, parent);
    EXPECT_EQ(SetDword(same, L"via-same", 3), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueEx(parent, L"VIA-SAME", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(same), ERROR_SUCCESS);
}

TEST_F(RegistryApiTest, HandlesCloseOnceAndRootsAlwaysWork)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, L"h", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(SetDword(key, L"v", 1), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
    EXPECT_EQ(SetDword(HKEY_CURRENT_USER, L"root value", 1), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(reinterpret_cast<HKEY>(std::uintptr_t{0x12345678})), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(nullptr), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryApiTest, QueryValueSizeProtocol)
{
    HKEY key = CreateKey(HKEY_CURRENT_USER, L"q");
    const BYTE data[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    ASSERT_EQ(RegSetValueEx(key, L"blob", 0, REG_BINARY, data, sizeof data), ERROR_SUCCESS);

    DWORD type = 0, size = 0;
    ASSERT_EQ(RegQueryValueEx(key, L"blob", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(size, 10u);

    BYTE small[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    size = sizeof small;
    EXPECT_EQ(RegQueryValueEx(key, L"blob", nullptr, &type, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 10u);
    EXPECT_EQ(small[0], 0xEE); // nothing copied

    BYTE exact[10] = {};
    size = sizeof exact;
    ASSERT_EQ(RegQueryValueEx(key, L"blob", nullptr, &type, exact, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::memcmp(exact, data, 10), 0);

    BYTE roomy[32] = {};
    size = sizeof roomy;
    ASSERT_EQ(RegQueryValueEx(key, L"BLOB", nullptr, nullptr, roomy, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 10u);

    EXPECT_EQ(RegQueryValueEx(key, L"blob", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS); // existence only
    EXPECT_EQ(RegQueryValueEx(key, L"blob", nullptr, &type, roomy, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueEx(key, L"none", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegSetValueEx(key, L"bad", 0, REG_BINARY, nullptr, 3), ERROR_INVALID_PARAMETER);

    // A null or empty name is the default value.
    ASSERT_EQ(SetDword(key, nullptr, 77), ERROR_SUCCESS);
    DWORD value = 0;
    size = sizeof value;
    ASSERT_EQ(RegQueryValueEx(key, L"", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
    EXPECT_EQ(value, 77u);
}

TEST_F(RegistryApiTest, StringValuesAreUtf16LikeWindows)
{
    const std::wstring text = L"Quillmark \u00C4 \u4E2D \U0001F600";
    const std::vector<BYTE> data = RegStringToData(text);
    // 15 characters of which one needs a surrogate pair, plus the zero.
    EXPECT_EQ(data.size(), 2u * (text.size() + 1 + 1));
    EXPECT_EQ(data[0], 'Q');
    EXPECT_EQ(data[1], 0);
    EXPECT_EQ(data[data.size() - 2], 0);
    EXPECT_EQ(data.back(), 0);
    EXPECT_EQ(RegDataToString(data.data(), data.size()), text);
    EXPECT_EQ(RegStringToData(L"abc").size(), 8u);

    const BYTE early[] = {'a', 0, 0, 0, 'b', 0};
    EXPECT_EQ(RegDataToString(early, sizeof early), L"a");
    const BYTE odd[] = {'a', 0, 'b'};
    EXPECT_EQ(RegDataToString(odd, sizeof odd), L"a");
    const BYTE lone[] = {0x00, 0xD8, 'x', 0};
    EXPECT_EQ(RegDataToString(lone, sizeof lone), L"\uFFFDx");
    EXPECT_EQ(RegDataToString(nullptr, 4), L"");

    HKEY key = CreateKey(HKEY_CURRENT_USER, L"s");
    ASSERT_EQ(RegSetValueEx(key, L"text", 0, REG_SZ, data.data(), static_cast<DWORD>(data.size())), ERROR_SUCCESS);
    std::vector<BYTE> back(data.size());
    DWORD size = static_cast<DWORD>(back.size()), type = 0;
    ASSERT_EQ(RegQueryValueEx(key, L"text", nullptr, &type, back.data(), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(RegDataToString(back.data(), size), text);
}

TEST_F(RegistryApiTest, EnumerationProtocols)
{
    HKEY key = CreateKey(HKEY_CURRENT_USER, L"enum");
    CreateKey(key, L"Zeta");
    CreateKey(key, L"alpha");
    ASSERT_EQ(SetDword(key, L"second-made-first", 1), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(key, L"a", 2), ERROR_SUCCESS);

    wchar_t name[64];
    DWORD chars = 64;
    FILETIME written{};
    ASSERT_EQ(RegEnumKeyEx(key, 0, name, &chars, nullptr, nullptr, nullptr, &written), ERROR_SUCCESS);
    EXPECT_STREQ(name, L"alpha");
    EXPECT_EQ(chars, 5u);
    EXPECT_NE(written.dwHighDateTime, 0u);
    chars = 3;
    EXPECT_EQ(RegEnumKeyEx(key, 1, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    EXPECT_EQ(chars, 5u); // "Zeta" and its zero
    chars = 5;
    ASSERT_EQ(RegEnumKeyEx(key, 1, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, L"Zeta");
    chars = 64;
    EXPECT_EQ(RegEnumKeyEx(key, 2, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);

    DWORD type = 0, value = 0, size = sizeof value;
    chars = 64;
    ASSERT_EQ(RegEnumValue(key, 0, name, &chars, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(name, L"second-made-first");
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(value, 1u);
    chars = 64;
    size = 2;
    EXPECT_EQ(RegEnumValue(key, 1, name, &chars, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 4u);
    chars = 64;
    EXPECT_EQ(RegEnumValue(key, 2, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);

    DWORD subKeys = 0, maxSubKey = 0, values = 0, maxValueName = 0, maxValue = 0, classChars = 8;
    wchar_t className[8] = L"junk";
    ASSERT_EQ(RegQueryInfoKey(key, className, &classChars, nullptr, &subKeys, &maxSubKey, nullptr, &values,
                              &maxValueName, &maxValue, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subKeys, 2u);
    EXPECT_EQ(maxSubKey, 5u);
    EXPECT_EQ(values, 2u);
    EXPECT_EQ(maxValueName, 17u);
    EXPECT_EQ(maxValue, 4u);
    EXPECT_EQ(classChars, 0u);
    EXPECT_STREQ(className, L"");
}

TEST_F(RegistryApiTest, DeletingValuesKeysAndTrees)
{
    HKEY app = CreateKey(HKEY_CURRENT_USER, L"Software\\Quillmark\\App");
    CreateKey(app, L"Section\\Deep");
    ASSERT_EQ(SetDword(app, L"v", 1), ERROR_SUCCESS);

    EXPECT_EQ(RegDeleteValue(app, L"V"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValue(app, L"v"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKey(app, L"Section"), ERROR_ACCESS_DENIED); // has a subkey
    EXPECT_EQ(RegDeleteKey(app, L"Section\\Deep"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKey(app, L"Section\\Deep"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, L""), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKey(app, nullptr), ERROR_INVALID_PARAMETER);

    CreateKey(app, L"Tree\\A\\B");
    CreateKey(app, L"Tree\\C");
    EXPECT_EQ(RegDeleteTree(app, L"Tree"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteTree(app, L"Tree"), ERROR_FILE_NOT_FOUND);

    // A null subkey empties the key and keeps it.
    CreateKey(app, L"More");
    ASSERT_EQ(SetDword(app, L"w", 2), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteTree(app, nullptr), ERROR_SUCCESS);
    DWORD subKeys = 9, values = 9;
    ASSERT_EQ(RegQueryInfoKey(app, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr, nullptr,
                              nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subKeys, 0u);
    EXPECT_EQ(values, 0u);
    EXPECT_EQ(SetDword(app, L"still usable", 1), ERROR_SUCCESS);
}

TEST_F(RegistryApiTest, HandleOfADeletedKeyReportsIt)
{
    HKEY key = CreateKey(HKEY_CURRENT_USER, L"doomed");
    ASSERT_EQ(RegDeleteKey(HKEY_CURRENT_USER, L"doomed"), ERROR_SUCCESS);
    EXPECT_EQ(SetDword(key, L"v", 1), ERROR_KEY_DELETED);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueEx(key, L"v", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    HKEY sub = nullptr;
    EXPECT_EQ(RegCreateKeyEx(key, L"child", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr), ERROR_KEY_DELETED);
    EXPECT_EQ(RegFlushKey(key), ERROR_KEY_DELETED);
    // A key of the same name made later is a different key.
    HKEY again = CreateKey(HKEY_CURRENT_USER, L"doomed");
    EXPECT_EQ(SetDword(again, L"v", 1), ERROR_SUCCESS);
    EXPECT_EQ(SetDword(key, L"v", 1), ERROR_KEY_DELETED);
}

TEST_F(RegistryApiTest, AccessRightsOfTheHandleAreChecked)
{
    CreateKey(HKEY_CURRENT_USER, L"rights\\existing");
    HKEY readOnly = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, L"rights", 0, KEY_READ, &readOnly), ERROR_SUCCESS);
    m_open.push_back(readOnly);
    EXPECT_EQ(SetDword(readOnly, L"v", 1), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValue(readOnly, L"v"), ERROR_ACCESS_DENIED);
    HKEY sub = nullptr;
    EXPECT_EQ(RegCreateKeyEx(readOnly, L"new", 0, nullptr, 0, KEY_READ, nullptr, &sub, nullptr), ERROR_ACCESS_DENIED);
    ASSERT_EQ(RegCreateKeyEx(readOnly, L"existing", 0, nullptr, 0, KEY_READ, nullptr, &sub, nullptr), ERROR_SUCCESS);
    RegCloseKey(sub);
    wchar_t name[16];
    DWORD chars = 16;
    EXPECT_EQ(RegEnumKeyEx(readOnly, 0, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);

    HKEY writeOnly = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, L"rights", 0, KEY_WRITE, &writeOnly), ERROR_SUCCESS);
    m_open.push_back(writeOnly);
    EXPECT_EQ(SetDword(writeOnly, L"v", 1), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueEx(writeOnly, L"v", nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
    chars = 16;
    EXPECT_EQ(RegEnumKeyEx(writeOnly, 0, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_ACCESS_DENIED);
}

TEST_F(RegistryApiTest, EachRootHasItsOwnHiveFile)
{
    HKEY user = CreateKey(HKEY_CURRENT_USER, L"Software\\Same");
    HKEY machine = CreateKey(HKEY_LOCAL_MACHINE, L"Software\\Same");
    ASSERT_EQ(SetDword(user, L"where", 1), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(machine, L"where", 2), ERROR_SUCCESS);
    EXPECT_TRUE(std::filesystem::exists(m_folders.UserHive()));
    EXPECT_TRUE(std::filesystem::exists(m_folders.MachineHive()));
    DWORD value = 0, size = sizeof value;
    ASSERT_EQ(RegQueryValueEx(user, L"where", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 1u);
    CreateKey(HKEY_CLASSES_ROOT, L".jpg");
    CreateKey(HKEY_USERS, L"u");
    CreateKey(HKEY_CURRENT_CONFIG, L"c");
    HKEY none = nullptr;
    EXPECT_EQ(RegOpenKeyEx(reinterpret_cast<HKEY>(std::intptr_t{-2147483644}), L"x", 0, KEY_READ, &none),
              ERROR_INVALID_HANDLE); // HKEY_PERFORMANCE_DATA has no hive
}

TEST_F(RegistryApiTest, DamagedUserHiveIsRepairedAndReported)
{
    std::filesystem::create_directories(m_folders.UserHive().parent_path());
    {
        std::ofstream out(m_folders.UserHive(), std::ios::binary);
        out << std::string(4096, 'G');
    }
    HKEY key = CreateKey(HKEY_CURRENT_USER, L"Software\\After");
    EXPECT_EQ(SetDword(key, L"v", 1), ERROR_SUCCESS);
    std::lock_guard lock(m_problemsMutex);
    ASSERT_EQ(m_problems.size(), 1u);
    EXPECT_NE(m_problems[0].find(L"HKEY_CURRENT_USER.sqlite"), std::wstring::npos);
    EXPECT_NE(m_problems[0].find(L"set aside"), std::wstring::npos);
}

TEST_F(RegistryApiTest, ThreadsWritingAtOnceLoseNothing)
{
    HKEY key = CreateKey(HKEY_CURRENT_USER, L"threads");
    constexpr int kThreads = 4;
    constexpr int kValues = 50;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([key, t] {
            HKEY own = nullptr;
            ASSERT_EQ(RegOpenKeyEx(key, nullptr, 0, KEY_ALL_ACCESS, &own), ERROR_SUCCESS);
            for (int i = 0; i < kValues; ++i) {
                const std::wstring name = L"t" + std::to_wstring(t) + L"-" + std::to_wstring(i);
                const DWORD value = static_cast<DWORD>(t * 1000 + i);
                ASSERT_EQ(SetDword(i % 2 ? own : key, name.c_str(), value), ERROR_SUCCESS);
            }
            RegCloseKey(own);
        });
    for (auto& t : threads) t.join();
    DWORD values = 0;
    ASSERT_EQ(RegQueryInfoKey(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                              nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, static_cast<DWORD>(kThreads * kValues));
}

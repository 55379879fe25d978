// The settings store: item declarations, typed access, registry and shared
// items written and read back (also by another process), the shared file
// format byte for byte, and failures that leave every value as it was.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "RegistryTestSupport.h"
#include "io/AppSettings.h"
#include "io/RegistryIO.h"
#include "platform/InvalidArgException.h"
#include "platform/Registry.h"

using namespace Carrow::RegistryIO;
using RegistryTest::HasLine;
using RegistryTest::Joined;
using Desc = CAppSettings::Item::ITEM_DESC;

namespace {

const wchar_t kCompany[] = L"Quillmark";
const wchar_t kProduct[] = L"SettingsTest";
const wchar_t kKeyPath[] = L"software\\Quillmark\\SettingsTest";

const Desc kItems[] = {
    {TRUE, L"Width", CAppSettings::ITEMTYPE_DWORD},
    {TRUE, L"Title", CAppSettings::ITEMTYPE_STRING},
    {TRUE, L"Blob", CAppSettings::ITEMTYPE_BINARY},
    {FALSE, L"SharedCount", CAppSettings::ITEMTYPE_DWORD},
    {FALSE, L"SharedText", CAppSettings::ITEMTYPE_STRING},
    {FALSE, L"SharedBlob", CAppSettings::ITEMTYPE_BINARY},
};
constexpr UINT kItemCount = sizeof kItems / sizeof kItems[0];

// Text with characters beyond ASCII and beyond the Basic Multilingual Plane.
const std::wstring kTitle = L"R\u00e9glages \u2014 \U0001F4F7";

DWORD Number(CAppSettings& settings, const wchar_t* name)
{
    const void* value = settings.GetItemValue(name, nullptr);
    return value ? *static_cast<const DWORD*>(value) : 0xDEADBEEF;
}

std::wstring Text(CAppSettings& settings, const wchar_t* name)
{
    const void* value = settings.GetItemValue(name, nullptr);
    return value ? std::wstring(static_cast<const wchar_t*>(value)) : L"<null>";
}

std::vector<BYTE> Block(CAppSettings& settings, const wchar_t* name)
{
    DWORD size = 0;
    const auto* value = static_cast<const BYTE*>(settings.GetItemValue(name, &size));
    return value ? std::vector<BYTE>(value, value + size) : std::vector<BYTE>();
}

class AppSettingsTest : public testing::Test {
protected:
    // The product key, as an installer makes it: Save writes into it but
    // never creates it.
    void CreateProductKey()
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    CAppSettings MakeSettings()
    {
        CAppSettings settings(kCompany, kProduct);
        EXPECT_EQ(settings.AddItems(kItems, kItemCount), static_cast<int>(kItemCount));
        return settings;
    }
    void FillValues(CAppSettings& settings, DWORD seed)
    {
        const std::vector<BYTE> blob = {0, 1, static_cast<BYTE>(seed), 0xFF};
        EXPECT_TRUE(settings.SetItemValue(L"Width", seed));
        EXPECT_TRUE(settings.SetItemValue(L"Title", kTitle.c_str()));
        EXPECT_TRUE(settings.SetItemValue(L"Blob", blob.data(), 4));
        EXPECT_TRUE(settings.SetItemValue(L"SharedCount", seed + 1));
        EXPECT_TRUE(settings.SetItemValue(L"SharedText", (L"shared " + kTitle).c_str()));
        EXPECT_TRUE(settings.SetItemValue(L"SharedBlob", blob.data(), 3));
    }
    void ExpectValues(CAppSettings& settings, DWORD seed)
    {
        EXPECT_EQ(Number(settings, L"Width"), seed);
        EXPECT_EQ(Text(settings, L"Title"), kTitle);
        EXPECT_EQ(Block(settings, L"Blob"), (std::vector<BYTE>{0, 1, static_cast<BYTE>(seed), 0xFF}));
        EXPECT_EQ(Number(settings, L"SharedCount"), seed + 1);
        EXPECT_EQ(Text(settings, L"SharedText"), L"shared " + kTitle);
        EXPECT_EQ(Block(settings, L"SharedBlob"), (std::vector<BYTE>{0, 1, static_cast<BYTE>(seed)}));
    }
    RegistryTest::fs::path SharedFile(const std::string& name) const
    {
        return m_home.SharedFolder() / "Quillmark" / "SettingsTest" / (name + ".val");
    }
    std::pair<DWORD, std::vector<BYTE>> RawValue(const wchar_t* name)
    {
        HKEY key = nullptr;
        if (RegOpenKeyEx(HKEY_CURRENT_USER, kKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return {0xFFFF, {}};
        DWORD type = 0, size = 0;
        std::pair<DWORD, std::vector<BYTE>> raw{0xFFFF, {}};
        if (RegQueryValueEx(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
            raw.second.resize(size + 1);
            RegQueryValueEx(key, name, nullptr, &type, raw.second.data(), &size);
            raw.second.resize(size);
            raw.first = type;
        }
        RegCloseKey(key);
        return raw;
    }

    RegistryTest::ScopedSettingsHome m_home;
};

} // namespace

// ---- the object in memory ----

TEST_F(AppSettingsTest, ConstructorRefusesMissingNames)
{
    EXPECT_THROW(CAppSettings(nullptr, kProduct), CInvalidArgException);
    EXPECT_THROW(CAppSettings(L"", kProduct), CInvalidArgException);
    EXPECT_THROW(CAppSettings(kCompany, nullptr), CInvalidArgException);
    EXPECT_THROW(CAppSettings(kCompany, L""), CInvalidArgException);
    EXPECT_NO_THROW(CAppSettings(kCompany, kProduct));
}

TEST_F(AppSettingsTest, AddItemsSkipsEmptyUntypedAndRepeatedDeclarations)
{
    CAppSettings settings(kCompany, kProduct);
    EXPECT_EQ(settings.AddItems(nullptr, 3), -1);
    EXPECT_EQ(settings.AddItems(kItems, 0), -1);

    const Desc twice[] = {{TRUE, L"Mode", CAppSettings::ITEMTYPE_DWORD}, {FALSE, L"Mode", CAppSettings::ITEMTYPE_STRING}};
    EXPECT_EQ(settings.AddItems(twice, 2), 1);
    EXPECT_NE(settings.GetItemValue(L"Mode", nullptr), nullptr) << "the first declaration (a number) wins";
    EXPECT_FALSE(settings.SetItemValue(L"Mode", L"text"));

    const Desc skipped[] = {{TRUE, L"", CAppSettings::ITEMTYPE_DWORD},
                            {TRUE, L"NoType", CAppSettings::ITEMTYPE_NONE},
                            {TRUE, L"Mode", CAppSettings::ITEMTYPE_DWORD},
                            {TRUE, L"mode", CAppSettings::ITEMTYPE_DWORD}}; // names compare with case
    EXPECT_EQ(settings.AddItems(skipped, 4), 1);
    EXPECT_EQ(settings.GetItemValue(L"NoType", nullptr), nullptr);

    // New items start without a value.
    EXPECT_EQ(Number(settings, L"Mode"), 0u);
    settings.Clear();
    EXPECT_EQ(settings.GetItemValue(L"Mode", nullptr), nullptr);
    EXPECT_EQ(settings.AddItems(twice, 2), 1) << "cleared names may be declared again";
}

TEST_F(AppSettingsTest, GetItemValueGivesPointerAndSizePerType)
{
    CAppSettings settings = MakeSettings();
    DWORD size = 99;
    ASSERT_TRUE(settings.SetItemValue(L"Title", L"abc"));
    const auto* text = static_cast<const wchar_t*>(settings.GetItemValue(L"Title", &size));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::wstring(text), L"abc");
    EXPECT_EQ(size, 4u) << "characters and the terminating zero";

    ASSERT_TRUE(settings.SetItemValue(L"Width", 640u));
    EXPECT_EQ(*static_cast<const DWORD*>(settings.GetItemValue(L"Width", &size)), 640u);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(settings[L"Width"], settings.GetItemValue(L"Width", nullptr));

    size = 99;
    EXPECT_EQ(settings.GetItemValue(L"Blob", &size), nullptr) << "an empty block has no first byte";
    EXPECT_EQ(size, 0u);
    for (const wchar_t* name : {static_cast<const wchar_t*>(nullptr), L"", L"Unknown", L"width"}) {
        size = 99;
        EXPECT_EQ(settings.GetItemValue(name, &size), nullptr);
        EXPECT_EQ(size, 0u);
    }

    const Desc odd[] = {{TRUE, L"Odd", 7}};
    ASSERT_EQ(settings.AddItems(odd, 1), 1);
    EXPECT_THROW(settings.GetItemValue(L"Odd", &size), CInvalidArgException);
}

TEST_F(AppSettingsTest, SetItemValueChangesOnlyAMatchingItem)
{
    CAppSettings settings = MakeSettings();
    ASSERT_TRUE(settings.SetItemValue(L"Title", L"kept"));
    EXPECT_FALSE(settings.SetItemValue(L"Title", 5));
    EXPECT_FALSE(settings.SetItemValue(L"Title", static_cast<const wchar_t*>(nullptr)));
    EXPECT_FALSE(settings.SetItemValue(L"Title", reinterpret_cast<const BYTE*>("x"), 1));
    EXPECT_EQ(Text(settings, L"Title"), L"kept");

    EXPECT_FALSE(settings.SetItemValue(L"Width", L"text"));
    EXPECT_FALSE(settings.SetItemValue(L"", 1u));
    EXPECT_FALSE(settings.SetItemValue(L"Unknown", 1u));
    EXPECT_FALSE(settings.SetItemValue(static_cast<const wchar_t*>(nullptr), 1u));

    const BYTE bytes[] = {5, 6, 7};
    ASSERT_TRUE(settings.SetItemValue(L"Blob", bytes, 3));
    EXPECT_EQ(Block(settings, L"Blob"), (std::vector<BYTE>{5, 6, 7}));
    ASSERT_TRUE(settings.SetItemValue(L"Blob", bytes, 0));
    EXPECT_TRUE(Block(settings, L"Blob").empty());
    ASSERT_TRUE(settings.SetItemValue(L"Blob", bytes, 3));
    ASSERT_TRUE(settings.SetItemValue(L"Blob", nullptr, 3));
    EXPECT_TRUE(Block(settings, L"Blob").empty());
}

TEST_F(AppSettingsTest, CopiesAreIndependent)
{
    CAppSettings original = MakeSettings();
    FillValues(original, 3);
    CAppSettings copy(original);
    ExpectValues(copy, 3);
    ASSERT_TRUE(copy.SetItemValue(L"Width", 4u));
    EXPECT_EQ(Number(original, L"Width"), 3u);

    CAppSettings assigned(L"Other", L"Product");
    assigned = original;
    ExpectValues(assigned, 3);
    original.Clear();
    EXPECT_EQ(Number(assigned, L"Width"), 3u);
}

// ---- registry and shared files ----

TEST_F(AppSettingsTest, SaveThenLoadRestoresEveryItem)
{
    CreateProductKey();
    CAppSettings writer = MakeSettings();
    FillValues(writer, 42);
    writer.Save();

    EXPECT_EQ(RawValue(L"Width"), (std::pair<DWORD, std::vector<BYTE>>{REG_DWORD, {42, 0, 0, 0}}));
    EXPECT_EQ(RawValue(L"Title").first, REG_SZ);
    EXPECT_EQ(RawValue(L"Title").second, RegStringToData(kTitle));
    EXPECT_EQ(RawValue(L"Blob").first, REG_BINARY);

    CAppSettings reader = MakeSettings();
    reader.Load();
    ExpectValues(reader, 42);

    // Emptied values come back empty, and saving again replaces every value.
    ASSERT_TRUE(writer.SetItemValue(L"Title", L""));
    ASSERT_TRUE(writer.SetItemValue(L"Blob", nullptr, 0));
    ASSERT_TRUE(writer.SetItemValue(L"SharedText", L""));
    writer.Save();
    reader.Load();
    EXPECT_EQ(Text(reader, L"Title"), L"");
    EXPECT_TRUE(Block(reader, L"Blob").empty());
    EXPECT_EQ(Text(reader, L"SharedText"), L"");
    EXPECT_EQ(RawValue(L"Blob"), (std::pair<DWORD, std::vector<BYTE>>{REG_BINARY, {}}));
}

TEST_F(AppSettingsTest, SaveNeverCreatesTheProductKey)
{
    CAppSettings settings = MakeSettings();
    FillValues(settings, 1);
    IoTest::LogWatch log;
    settings.Save();
    const auto lines = log.NewLines();
    EXPECT_EQ(RegistryTest::CountContaining(lines, "CAppSettings::Save: Failed to call RegOperate::OpenKey"), 3)
        << Joined(lines);
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, kKeyPath, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    // Shared items do not depend on the key.
    EXPECT_TRUE(RegistryTest::fs::exists(SharedFile("SharedCount")));
}

TEST_F(AppSettingsTest, LoadKeepsValuesThatCannotBeRead)
{
    CreateProductKey();
    HKEY key = OpenKey(ROOTKEY_CURRENT_USER, kKeyPath);
    ASSERT_NE(key, nullptr);
    const BYTE number[] = {1, 0, 0, 0};
    ASSERT_TRUE(CreateValue(key, L"Title", VALUETYPE_DWORD, number, 4)); // a number where a text belongs
    ASSERT_TRUE(CreateValue(key, L"Blob", VALUETYPE_STRING, RegStringToData(L"ab").data(), 6));
    ASSERT_TRUE(CreateValue(key, L"Width", VALUETYPE_BINARY, number, 3));
    CloseKey(key);

    CAppSettings settings = MakeSettings();
    FillValues(settings, 9);
    IoTest::LogWatch log;
    settings.Load();
    EXPECT_EQ(Number(settings, L"Width"), 9u);
    EXPECT_EQ(Text(settings, L"Title"), kTitle);
    EXPECT_EQ(Block(settings, L"Blob"), (std::vector<BYTE>{0, 1, 9, 0xFF}));
    const auto lines = log.NewLines();
    for (const char* name : {"Width", "Title", "Blob"})
        EXPECT_TRUE(HasLine(lines, 1, "CAppSettings::Load",
                            std::string("Failed to call RegOperate::GetValue with name '") + name + "'"))
            << name << "\n" << Joined(lines);
}

TEST_F(AppSettingsTest, LoadWithoutTheKeyOrTheFilesChangesNothing)
{
    CAppSettings settings = MakeSettings();
    FillValues(settings, 5);
    IoTest::LogWatch log;
    settings.Load();
    ExpectValues(settings, 5);
    const auto lines = log.NewLines();
    EXPECT_EQ(RegistryTest::CountContaining(lines, "CAppSettings::Load: Failed to call RegOperate::OpenKey"), 3);
    const std::string missing = (m_home.SharedFolder() / "Quillmark" / "SettingsTest" / "SharedCount.val").string();
    EXPECT_TRUE(HasLine(lines, 1, "CAppSettings::Load",
                        "Failed to call open file '" + missing + "', ErrorInfo: No such file or directory"))
        << Joined(lines);
    EXPECT_TRUE(HasLine(lines, 3, "RegistryIO::CAppSettings::CreateNonUserFolder",
                        "CSIDL_COMMON_DOCUMENTS: '" + (m_home.SharedFolder() / "Quillmark" / "SettingsTest").string() +
                            "/'."))
        << Joined(lines);
}

TEST_F(AppSettingsTest, SharedFilesHoldTheTypeThenTheValue)
{
    CAppSettings settings = MakeSettings();
    ASSERT_TRUE(settings.SetItemValue(L"SharedCount", 0x0A0B0C0Du));
    ASSERT_TRUE(settings.SetItemValue(L"SharedText", L"h\u00e9"));
    const BYTE bytes[] = {0xFF, 0x00, 0x7F};
    ASSERT_TRUE(settings.SetItemValue(L"SharedBlob", bytes, 3));
    settings.Save();

    EXPECT_EQ(IoTest::ReadBytes(SharedFile("SharedCount")), std::string("\x01\0\0\0\x0D\x0C\x0B\x0A", 8));
    EXPECT_EQ(IoTest::ReadBytes(SharedFile("SharedText")), std::string("\x02\0\0\0h\0\xE9\0\0\0", 10));
    EXPECT_EQ(IoTest::ReadBytes(SharedFile("SharedBlob")), std::string("\x03\0\0\0\xFF\0\x7F", 7));
    ASSERT_TRUE(settings.SetItemValue(L"SharedBlob", nullptr, 0));
    settings.Save();
    EXPECT_EQ(IoTest::ReadBytes(SharedFile("SharedBlob")), std::string("\x03\0\0\0", 4));
    // The emptied block reads back as empty, without a complaint, over a
    // reader's older value.
    CAppSettings reader = MakeSettings();
    ASSERT_TRUE(reader.SetItemValue(L"SharedBlob", bytes, 3));
    reader.CreateNonUserFolder();
    IoTest::LogWatch log;
    reader.Load();
    DWORD size = 99;
    EXPECT_EQ(reader.GetItemValue(L"SharedBlob", &size), nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_FALSE(log.Contains("SharedBlob")) << Joined(log.NewLines());
    // Nothing but the value files is left in the folder.
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : RegistryTest::fs::directory_iterator(SharedFile("x").parent_path()))
        ++entries;
    EXPECT_EQ(entries, 3);
}

TEST_F(AppSettingsTest, DamagedSharedFilesAreRefusedAndTheItemKeepsItsValue)
{
    CAppSettings settings = MakeSettings();
    FillValues(settings, 7);
    settings.CreateNonUserFolder();
    IoTest::WriteBytes(SharedFile("SharedCount"), std::string("\x01\0\0\0", 4));            // type only
    IoTest::WriteBytes(SharedFile("SharedText"), std::string("\x03\0\0\0\x41\0\0\0", 8));  // a block
    IoTest::WriteBytes(SharedFile("SharedBlob"), std::string("\x03\0", 2));                // too short
    IoTest::LogWatch log;
    settings.Load();
    ExpectValues(settings, 7);
    const auto lines = log.NewLines();
    EXPECT_TRUE(HasLine(lines, 1, "CAppSettings::Load",
                        "Invalid file length of file '" + SharedFile("SharedCount").string() + "'."))
        << Joined(lines);
    EXPECT_TRUE(HasLine(lines, 1, "CAppSettings::Load", "Invalid value-type 3 with name 'SharedText'")) << Joined(lines);
    EXPECT_TRUE(HasLine(lines, 1, "CAppSettings::Load",
                        "Invalid file length of file '" + SharedFile("SharedBlob").string() + "'."));

    IoTest::WriteBytes(SharedFile("SharedCount"), std::string("\x01\0\0\0\x05\0", 6)); // number cut short
    settings.Load();
    EXPECT_EQ(Number(settings, L"SharedCount"), 8u);
    EXPECT_TRUE(HasLine(log.NewLines(), 1, "CAppSettings::Load", "Failed to call fValue.Read with name 'SharedCount'"));
}

TEST_F(AppSettingsTest, SharedFileThatCannotBeWrittenKeepsItsOldContent)
{
    CAppSettings settings = MakeSettings();
    FillValues(settings, 1);
    settings.Save();
    const std::string before = IoTest::ReadBytes(SharedFile("SharedText"));
    // A folder where the count's file belongs cannot be replaced by a file.
    RegistryTest::fs::remove(SharedFile("SharedCount"));
    RegistryTest::fs::create_directory(SharedFile("SharedCount"));
    ASSERT_TRUE(settings.SetItemValue(L"SharedText", L"new"));
    IoTest::LogWatch log;
    settings.Save();
    EXPECT_TRUE(HasLine(log.NewLines(), 1, "CAppSettings::Save",
                        "Failed to write to file '" + SharedFile("SharedCount").string() +
                            "', ErrorInfo: Is a directory"))
        << Joined(log.NewLines());
    EXPECT_NE(IoTest::ReadBytes(SharedFile("SharedText")), before) << "the other items are still written";

    // A product folder that is a file: nothing can be opened in it.
    RegistryTest::fs::remove_all(SharedFile("x").parent_path());
    IoTest::WriteBytes(SharedFile("x").parent_path(), "not a folder");
    settings.Save();
    EXPECT_TRUE(HasLine(log.NewLines(), 1, "CAppSettings::Save",
                        "Failed to call open file '" + SharedFile("SharedText").string() +
                            "', ErrorInfo: Not a directory"))
        << Joined(log.NewLines());
}

// ---- another process ----

// Run by ValuesSurviveANewProcess in a child process: checks the values the
// parent saved, then saves values of its own.
TEST_F(AppSettingsTest, DISABLED_ChildReadsAndWrites)
{
    if (RegistryTest::ChildMode() != "read-write") GTEST_SKIP();
    CAppSettings settings = MakeSettings();
    settings.Load();
    ExpectValues(settings, 11);
    if (HasFailure()) _exit(2);
    FillValues(settings, 12);
    settings.Save();
    _exit(HasFailure() ? 3 : 0);
}

TEST_F(AppSettingsTest, ValuesSurviveANewProcess)
{
    CreateProductKey();
    CAppSettings settings = MakeSettings();
    FillValues(settings, 11);
    settings.Save();
    RegCloseHives();

    const pid_t child = RegistryTest::SpawnChildTest("AppSettingsTest.DISABLED_ChildReadsAndWrites", "read-write");
    ASSERT_GT(child, 0);
    ASSERT_EQ(RegistryTest::WaitExitStatus(child), 0) << "2: the child read other values; 3: it could not save";
    settings.Load();
    ExpectValues(settings, 12);
}

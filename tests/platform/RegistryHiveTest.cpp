// The registry hive on files of its own: typed values, case-insensitive
// names, persistence, the key tree, and the handling of damaged files.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sqlite3.h>
#include <string>
#include <vector>

#include "ScratchFolder.h"
#include "platform/RegistryHive.h"

namespace {

using KeyId = CRegistryHive::KeyId;
using Path = std::vector<std::wstring>;

struct Problem {
    std::wstring function;
    std::wstring message;
};

class RegistryHiveTest : public testing::Test {
protected:
    std::unique_ptr<CRegistryHive> MakeHive(const std::string& name = "hive.sqlite")
    {
        return std::make_unique<CRegistryHive>(m_folder.File(name), [this](const std::wstring& f, const std::wstring& m) {
            m_problems.push_back({f, m});
        });
    }

    KeyId Create(CRegistryHive& hive, const Path& path)
    {
        KeyId key = 0;
        bool created = false;
        EXPECT_EQ(hive.CreateKey(CRegistryHive::kRootKey, path, key, created), ERROR_SUCCESS);
        return key;
    }

    static void SetDword(CRegistryHive& hive, KeyId key, const std::wstring& name, DWORD value)
    {
        BYTE data[4];
        std::memcpy(data, &value, 4);
        ASSERT_EQ(hive.SetValue(key, name, REG_DWORD, data, 4), ERROR_SUCCESS);
    }

    // Files in the scratch folder whose names begin with `prefix`.
    std::vector<std::filesystem::path> FilesStartingWith(const std::string& prefix) const
    {
        std::vector<std::filesystem::path> found;
        for (const auto& e : std::filesystem::directory_iterator(m_folder.Path()))
            if (e.path().filename().string().rfind(prefix, 0) == 0) found.push_back(e.path());
        return found;
    }

    static std::vector<char> ReadFile(const std::filesystem::path& file)
    {
        std::ifstream in(file, std::ios::binary);
        return std::vector<char>(std::istreambuf_iterator<char>(in), {});
    }

    static void WriteFile(const std::filesystem::path& file, const std::vector<char>& bytes)
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    // Runs `sql` on the hive file with SQLite directly, behind the hive's back.
    void RawSql(const std::string& name, const char* sql)
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(m_folder.File(name).c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_close(db);
    }

    ScratchFolder m_folder;
    std::vector<Problem> m_problems;
};

} // namespace

TEST_F(RegistryHiveTest, ValuesKeepTypeAndExactBytes)
{
    auto hive = MakeHive();
    const KeyId key = Create(*hive, {L"Software", L"Quillmark"});
    const DWORD dword = 0xDEADBEEF;
    const ULONGLONG qword = 0x0123456789ABCDEFULL;
    const std::vector<BYTE> text = RegStringToData(L"Gr\u00FC\u00DFe");
    const std::vector<BYTE> binary = {0, 1, 0, 255, 0};
    const struct {
        const wchar_t* name;
        DWORD type;
        std::vector<BYTE> bytes;
    } values[] = {
        {L"dword", REG_DWORD, {reinterpret_cast<const BYTE*>(&dword), reinterpret_cast<const BYTE*>(&dword) + 4}},
        {L"qword", REG_QWORD, {reinterpret_cast<const BYTE*>(&qword), reinterpret_cast<const BYTE*>(&qword) + 8}},
        {L"text", REG_SZ, text},
        {L"binary", REG_BINARY, binary},
        {L"empty", REG_BINARY, {}},
        {L"none", REG_NONE, {7}},
        {L"odd type", 0x12345, {1, 2, 3}},
        {L"", REG_SZ, RegStringToData(L"default")},
    };
    for (const auto& v : values)
        ASSERT_EQ(hive->SetValue(key, v.name, v.type, v.bytes.data(), v.bytes.size()), ERROR_SUCCESS);
    for (const auto& v : values) {
        CRegistryHive::Value read;
        ASSERT_EQ(hive->QueryValue(key, v.name, read), ERROR_SUCCESS);
        EXPECT_EQ(read.type, v.type);
        EXPECT_EQ(read.data, v.bytes);
    }
    CRegistryHive::Value missing;
    EXPECT_EQ(hive->QueryValue(key, L"absent", missing), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(m_problems.empty());
}

TEST_F(RegistryHiveTest, ReplacingAValueChangesTypeAndKeepsItsPlace)
{
    auto hive = MakeHive();
    const KeyId key = Create(*hive, {L"K"});
    SetDword(*hive, key, L"First", 1);
    SetDword(*hive, key, L"Second", 2);
    const BYTE bytes[] = {9, 9};
    ASSERT_EQ(hive->SetValue(key, L"FIRST", REG_BINARY, bytes, 2), ERROR_SUCCESS);
    std::wstring name;
    CRegistryHive::Value value;
    ASSERT_EQ(hive->EnumValue(key, 0, name, value), ERROR_SUCCESS);
    EXPECT_EQ(name, L"First"); // spelling of the first write
    EXPECT_EQ(value.type, REG_BINARY);
    EXPECT_EQ(value.data, (std::vector<BYTE>{9, 9}));
    ASSERT_EQ(hive->EnumValue(key, 1, name, value), ERROR_SUCCESS);
    EXPECT_EQ(name, L"Second");
    EXPECT_EQ(hive->EnumValue(key, 2, name, value), ERROR_NO_MORE_ITEMS);
}

TEST_F(RegistryHiveTest, NamesCompareWithoutCaseForAllOfUnicode)
{
    auto hive = MakeHive();
    const struct {
        const wchar_t* created;
        const wchar_t* looked;
    } same[] = {
        {L"Software", L"SOFTWARE"},
        {L"\u00C4\u00D6", L"\u00E4\u00F6"},             // ÄÖ / äö
        {L"\u03A3\u03BF\u03C6\u03AF\u03B1", L"\u03C3\u039F\u03A6\u038A\u0391"}, // Σοφία / σΟΦΊΑ
        {L"\u0416\u0443\u043A", L"\u0436\u0423\u041A"}, // Cyrillic
        {L"\U00010400x", L"\U00010428X"},               // Deseret, outside the BMP
    };
    for (const auto& s : same) {
        const KeyId created = Create(*hive, {s.created});
        KeyId found = 0;
        EXPECT_EQ(hive->OpenKey(CRegistryHive::kRootKey, {s.looked}, found), ERROR_SUCCESS);
        EXPECT_EQ(found, created);
        SetDword(*hive, created, s.created, 5);
        CRegistryHive::Value value;
        EXPECT_EQ(hive->QueryValue(created, s.looked, value), ERROR_SUCCESS);
    }
    // Names that only look alike stay apart.
    const KeyId sharp = Create(*hive, {L"Stra\u00DFe"});
    const KeyId ss = Create(*hive, {L"STRASSE"});
    EXPECT_NE(sharp, ss);
    KeyId found = 0;
    EXPECT_EQ(hive->OpenKey(CRegistryHive::kRootKey, {L"A\u0308"}, found), ERROR_FILE_NOT_FOUND); // not normalised
}

TEST_F(RegistryHiveTest, ValuesSurviveReopening)
{
    {
        auto hive = MakeHive();
        const KeyId key = Create(*hive, {L"Software", L"Quillmark", L"Corvane"});
        SetDword(*hive, key, L"Count", 42);
        const std::vector<BYTE> blob(3000, 0xAB);
        ASSERT_EQ(hive->SetValue(key, L"Blob", REG_BINARY, blob.data(), blob.size()), ERROR_SUCCESS);
    }
    auto again = MakeHive();
    KeyId key = 0;
    ASSERT_EQ(again->OpenKey(CRegistryHive::kRootKey, {L"software", L"QUILLMARK", L"corvane"}, key), ERROR_SUCCESS);
    CRegistryHive::Value value;
    ASSERT_EQ(again->QueryValue(key, L"count", value), ERROR_SUCCESS);
    EXPECT_EQ(value.type, REG_DWORD);
    EXPECT_EQ(value.data, (std::vector<BYTE>{42, 0, 0, 0}));
    ASSERT_EQ(again->QueryValue(key, L"blob", value), ERROR_SUCCESS);
    EXPECT_EQ(value.data, std::vector<BYTE>(3000, 0xAB));
    EXPECT_TRUE(m_problems.empty());
}

TEST_F(RegistryHiveTest, CreateReportsWhetherTheKeyIsNew)
{
    auto hive = MakeHive();
    KeyId first = 0, second = 0, parent = 0;
    bool created = false;
    ASSERT_EQ(hive->CreateKey(CRegistryHive::kRootKey, {L"a", L"b", L"c"}, first, created), ERROR_SUCCESS);
    EXPECT_TRUE(created);
    ASSERT_EQ(hive->CreateKey(CRegistryHive::kRootKey, {L"A", L"B", L"C"}, second, created), ERROR_SUCCESS);
    EXPECT_FALSE(created);
    EXPECT_EQ(first, second);
    ASSERT_EQ(hive->OpenKey(CRegistryHive::kRootKey, {L"a", L"b"}, parent), ERROR_SUCCESS);
    KeyId viaParent = 0;
    EXPECT_EQ(hive->OpenKey(parent, {L"c"}, viaParent), ERROR_SUCCESS);
    EXPECT_EQ(viaParent, first);
    KeyId self = 0;
    EXPECT_EQ(hive->OpenKey(parent, {}, self), ERROR_SUCCESS);
    EXPECT_EQ(self, parent);
}

TEST_F(RegistryHiveTest, RefusesBadNames)
{
    auto hive = MakeHive();
    KeyId key = 0;
    bool created = false;
    const KeyId root = CRegistryHive::kRootKey;
    EXPECT_EQ(hive->CreateKey(root, {L"a", L"", L"b"}, key, created), ERROR_BAD_PATHNAME);
    EXPECT_EQ(hive->CreateKey(root, {L"a\\b"}, key, created), ERROR_BAD_PATHNAME);
    EXPECT_EQ(hive->CreateKey(root, {std::wstring(256, L'k')}, key, created), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(hive->CreateKey(root, {std::wstring(255, L'k')}, key, created), ERROR_SUCCESS);
    const BYTE b = 1;
    EXPECT_EQ(hive->SetValue(key, std::wstring(16384, L'v'), REG_BINARY, &b, 1), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(hive->SetValue(key, std::wstring(16383, L'v'), REG_BINARY, &b, 1), ERROR_SUCCESS);
    EXPECT_EQ(hive->SetValue(key, L"back\\slash is fine in values", REG_BINARY, &b, 1), ERROR_SUCCESS);
    EXPECT_EQ(hive->SetValue(key, L"x", REG_BINARY, nullptr, 4), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(hive->CreateKey(root, {L"a"}, key, created), ERROR_SUCCESS); // nothing of the refused path was made
    EXPECT_TRUE(created);
}

TEST_F(RegistryHiveTest, DeleteKeyRefusesKeysWithSubkeysAndTheRoot)
{
    auto hive = MakeHive();
    const KeyId parent = Create(*hive, {L"p"});
    const KeyId child = Create(*hive, {L"p", L"c"});
    SetDword(*hive, child, L"v", 1);
    const KeyId root = CRegistryHive::kRootKey;
    EXPECT_EQ(hive->DeleteKey(root, {L"p"}), ERROR_ACCESS_DENIED);
    EXPECT_EQ(hive->DeleteKey(root, {}), ERROR_ACCESS_DENIED);
    EXPECT_EQ(hive->DeleteKey(root, {L"p", L"missing"}), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(hive->DeleteKey(root, {L"P", L"C"}), ERROR_SUCCESS);
    EXPECT_EQ(hive->CheckKey(child), ERROR_KEY_DELETED);
    EXPECT_EQ(hive->DeleteKey(parent, {}), ERROR_SUCCESS); // the key itself, now childless
    EXPECT_EQ(hive->CheckKey(parent), ERROR_KEY_DELETED);
    CRegistryHive::Value value;
    EXPECT_EQ(hive->QueryValue(child, L"v", value), ERROR_KEY_DELETED);
}

TEST_F(RegistryHiveTest, KeyIdsAreNeverReused)
{
    auto hive = MakeHive();
    const KeyId old = Create(*hive, {L"gone"});
    ASSERT_EQ(hive->DeleteKey(CRegistryHive::kRootKey, {L"gone"}), ERROR_SUCCESS);
    const KeyId fresh = Create(*hive, {L"gone"});
    EXPECT_NE(fresh, old);
    EXPECT_EQ(hive->CheckKey(old), ERROR_KEY_DELETED);
    KeyId key = 0;
    bool created = false;
    EXPECT_EQ(hive->CreateKey(old, {L"x"}, key, created), ERROR_KEY_DELETED);
}

TEST_F(RegistryHiveTest, DeleteTreeRemovesEverythingBelow)
{
    auto hive = MakeHive();
    const KeyId top = Create(*hive, {L"top"});
    SetDword(*hive, top, L"own", 1);
    for (const Path& p : {Path{L"top", L"a"}, Path{L"top", L"a", L"deep", L"deeper"}, Path{L"top", L"b"}})
        SetDword(*hive, Create(*hive, p), L"v", 2);
    const KeyId sibling = Create(*hive, {L"topsibling"});

    ASSERT_EQ(hive->DeleteTree(CRegistryHive::kRootKey, {L"top"}, false), ERROR_SUCCESS);
    CRegistryHive::KeyInfo info;
    ASSERT_EQ(hive->QueryInfo(top, info), ERROR_SUCCESS);
    EXPECT_EQ(info.subKeys, 0u);
    EXPECT_EQ(info.values, 0u);
    EXPECT_EQ(hive->CheckKey(sibling), ERROR_SUCCESS);

    Create(*hive, {L"top", L"again"});
    ASSERT_EQ(hive->DeleteTree(CRegistryHive::kRootKey, {L"TOP"}, true), ERROR_SUCCESS);
    EXPECT_EQ(hive->CheckKey(top), ERROR_KEY_DELETED);
    EXPECT_EQ(hive->CheckKey(sibling), ERROR_SUCCESS);
    EXPECT_EQ(hive->DeleteTree(CRegistryHive::kRootKey, {L"top"}, true), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(hive->DeleteTree(CRegistryHive::kRootKey, {}, true), ERROR_ACCESS_DENIED);
}

TEST_F(RegistryHiveTest, EnumerationAndKeyInformation)
{
    auto hive = MakeHive();
    const KeyId key = Create(*hive, {L"e"});
    for (const wchar_t* name : {L"beta", L"Alpha", L"gamma-long-name"}) Create(*hive, {L"e", name});
    SetDword(*hive, key, L"z", 1);
    const std::vector<BYTE> big(300, 1);
    ASSERT_EQ(hive->SetValue(key, L"a-longer-name", REG_BINARY, big.data(), big.size()), ERROR_SUCCESS);

    std::vector<std::wstring> names;
    std::wstring name;
    ULONGLONG written = 0;
    for (DWORD i = 0; hive->EnumKey(key, i, name, written) == ERROR_SUCCESS; ++i) {
        names.push_back(name);
        EXPECT_GT(written, 116444736000000000ULL); // after 1970
    }
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Alpha", L"beta", L"gamma-long-name"}));

    CRegistryHive::KeyInfo info;
    ASSERT_EQ(hive->QueryInfo(key, info), ERROR_SUCCESS);
    EXPECT_EQ(info.subKeys, 3u);
    EXPECT_EQ(info.maxSubKeyNameLength, 15u);
    EXPECT_EQ(info.values, 2u);
    EXPECT_EQ(info.maxValueNameLength, 13u);
    EXPECT_EQ(info.maxValueSize, 300u);

    EXPECT_EQ(hive->DeleteValue(key, L"Z"), ERROR_SUCCESS);
    EXPECT_EQ(hive->DeleteValue(key, L"z"), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(hive->QueryInfo(key, info), ERROR_SUCCESS);
    EXPECT_EQ(info.values, 1u);
}

TEST_F(RegistryHiveTest, GarbageFileIsSetAsideAndReplaced)
{
    std::vector<char> garbage(5000);
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>((i * 7919) ^ 0x5A);
    WriteFile(m_folder.File("hive.sqlite"), garbage);

    auto hive = MakeHive();
    EXPECT_EQ(hive->Open(), ERROR_SUCCESS);
    ASSERT_EQ(m_problems.size(), 1u);
    EXPECT_EQ(m_problems[0].function, L"CRegistryHive::Open");
    EXPECT_NE(m_problems[0].message.find(L"set aside"), std::wstring::npos);

    const auto aside = FilesStartingWith("hive.sqlite.corrupt-");
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(ReadFile(aside[0]), garbage); // kept for inspection, unchanged
    const KeyId key = Create(*hive, {L"works"});
    SetDword(*hive, key, L"again", 1);
}

TEST_F(RegistryHiveTest, TruncatedHiveIsDetected)
{
    {
        auto hive = MakeHive();
        const KeyId key = Create(*hive, {L"Software", L"Quillmark"});
        const std::vector<BYTE> blob(900, 0x11);
        for (int i = 0; i < 200; ++i)
            ASSERT_EQ(hive->SetValue(key, L"v" + std::to_wstring(i), REG_BINARY, blob.data(), blob.size()),
                      ERROR_SUCCESS);
    } // closing checkpoints the log into the file
    const auto file = m_folder.File("hive.sqlite");
    ASSERT_FALSE(std::filesystem::exists(m_folder.Path() / "hive.sqlite-wal"));
    const auto size = std::filesystem::file_size(file);
    ASSERT_GT(size, 100000u);
    std::filesystem::resize_file(file, size / 2);

    auto hive = MakeHive();
    EXPECT_EQ(hive->Open(), ERROR_SUCCESS);
    ASSERT_EQ(m_problems.size(), 1u);
    EXPECT_EQ(FilesStartingWith("hive.sqlite.corrupt-").size(), 1u);
    KeyId key = 0;
    EXPECT_EQ(hive->OpenKey(CRegistryHive::kRootKey, {L"Software"}, key), ERROR_FILE_NOT_FOUND); // fresh
}

TEST_F(RegistryHiveTest, ForeignDatabaseIsSetAsideButNewerHiveIsLeftAlone)
{
    RawSql("foreign.sqlite", "CREATE TABLE photos(x); INSERT INTO photos VALUES(1);");
    auto foreign = MakeHive("foreign.sqlite");
    EXPECT_EQ(foreign->Open(), ERROR_SUCCESS);
    EXPECT_EQ(FilesStartingWith("foreign.sqlite.corrupt-").size(), 1u);
    ASSERT_EQ(m_problems.size(), 1u);
    m_problems.clear();

    {
        auto hive = MakeHive("newer.sqlite");
        Create(*hive, {L"k"});
    }
    RawSql("newer.sqlite", "PRAGMA user_version = 99;");
    auto newer = MakeHive("newer.sqlite");
    EXPECT_EQ(newer->Open(), ERROR_BADDB);
    KeyId key = 0;
    EXPECT_EQ(newer->OpenKey(CRegistryHive::kRootKey, {L"k"}, key), ERROR_BADDB);
    EXPECT_EQ(m_problems.size(), 1u); // reported once, not on every call
    EXPECT_TRUE(FilesStartingWith("newer.sqlite.corrupt-").empty());
}

TEST_F(RegistryHiveTest, EmptyFileBecomesAFreshHive)
{
    WriteFile(m_folder.File("hive.sqlite"), {});
    auto hive = MakeHive();
    EXPECT_EQ(hive->Open(), ERROR_SUCCESS);
    EXPECT_TRUE(m_problems.empty());
    EXPECT_TRUE(FilesStartingWith("hive.sqlite.corrupt-").empty());
}

TEST_F(RegistryHiveTest, UnwritableFolderFailsWithoutCrashing)
{
    WriteFile(m_folder.File("plainfile"), {'x'});
    CRegistryHive hive(m_folder.File("plainfile") / "hive.sqlite", nullptr); // no reporter at all
    EXPECT_NE(hive.Open(), ERROR_SUCCESS);
    KeyId key = 0;
    EXPECT_NE(hive.OpenKey(CRegistryHive::kRootKey, {}, key), ERROR_SUCCESS);
}

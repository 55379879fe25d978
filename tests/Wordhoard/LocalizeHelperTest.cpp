// The dictionary library as the program calls it: loading files by name,
// lookups that never fail, reloads, nesting and concurrent use.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "Tracewell/Log.h"
#include "Wordhoard/LocalizeHelper.h"
#include "Wordhoard/UserLanguages.h"
#include "support/ScopedEnv.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

class LocalizeHelperTest : public testing::Test {
protected:
    void SetUp() override { LocalizeHelper::Initialize(); }
    void TearDown() override { LocalizeHelper::UnInitialize(); }
    std::wstring Write(const char* name, const std::string& bytes)
    {
        const fs::path path = m_folder / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.wstring();
    }
    CorvaneTest::TempFolder m_temp;
    const fs::path m_folder{m_temp.Path()};
};

} // namespace

TEST_F(LocalizeHelperTest, LoadsAFileAndLooksItemsUpByDictionaryName)
{
    const std::wstring file = Write("a.lc", "IDS_HELLO=Hello\nIDS_FMT=Save '%s'?\n");
    ASSERT_TRUE(LocalizeHelper::LoadDictionary(file.c_str(), "Test"));
    EXPECT_STREQ(LocalizeHelper::GetDictionaryItem("Test", L"IDS_HELLO"), L"Hello");
    EXPECT_STREQ(LocalizeHelper::GetDictionaryItem("Test", L"IDS_FMT"), L"Save '%s'?");
    EXPECT_STREQ(LocalizeHelper::GetDictionaryItem("Other", L"IDS_HELLO"), L"");
}

TEST_F(LocalizeHelperTest, LookupsNeverGiveNull)
{
    ASSERT_TRUE(LocalizeHelper::LoadDictionary(Write("a.lc", "IDS_A=a\n").c_str(), "Test"));
    for (const wchar_t* text : {LocalizeHelper::GetDictionaryItem("Test", L"IDS_MISSING"),
                                LocalizeHelper::GetDictionaryItem("Nope", L"IDS_A"),
                                LocalizeHelper::GetDictionaryItem(nullptr, L"IDS_A"),
                                LocalizeHelper::GetDictionaryItem("Test", nullptr)}) {
        ASSERT_NE(text, nullptr);
        EXPECT_STREQ(text, L"");
    }
}

TEST_F(LocalizeHelperTest, FailedLoadKeepsTheLoadedDictionary)
{
    ASSERT_TRUE(LocalizeHelper::LoadDictionary(Write("a.lc", "IDS_A=kept\n").c_str(), "Test"));
    EXPECT_FALSE(LocalizeHelper::LoadDictionary((m_folder / "missing.lc").wstring().c_str(), "Test"));
    EXPECT_FALSE(LocalizeHelper::LoadDictionary(m_folder.wstring().c_str(), "Test")); // a folder
    EXPECT_FALSE(LocalizeHelper::LoadDictionary(nullptr, "Test"));
    EXPECT_FALSE(LocalizeHelper::LoadDictionary(Write("b.lc", "IDS_A=x\n").c_str(), nullptr));
    EXPECT_STREQ(LocalizeHelper::GetDictionaryItem("Test", L"IDS_A"), L"kept");
}

TEST_F(LocalizeHelperTest, ReloadReplacesItemsButEarlierTextsStayReadable)
{
    ASSERT_TRUE(LocalizeHelper::LoadDictionary(Write("a.lc", "IDS_A=first version\nIDS_B=b\n").c_str(), "Test"));
    const wchar_t* before = LocalizeHelper::GetDictionaryItem("Test", L"IDS_A");
    ASSERT_TRUE(LocalizeHelper::LoadDictionary(Write("a2.lc", "IDS_A=second version\n").c_str(), "Test"));
    EXPECT_STREQ(before, L"first version");
    EXPECT_STREQ(LocalizeHelper::GetDictionaryItem("Test", L"IDS_A"), L"second version");
    EXPECT_STREQ(LocalizeHelper::GetDictionaryItem("Test", L"IDS_B"), L"");
}

TEST_F(LocalizeHelperTest, NestedInitializeKeepsDictionariesUntilTheLastUnInitialize)
{
    ASSERT_TRUE(LocalizeHelper::LoadDictionary(Write("a.lc", "IDS_A=a\n").c_str(), "Test"));
    LocalizeHelper::Initialize();
    LocalizeHelper::UnInitialize();
    EXPECT_STREQ(LocalizeHelper::GetDictionaryItem("Test", L"IDS_A"), L"a");
    LocalizeHelper::UnInitialize();
    EXPECT_STREQ(LocalizeHelper::GetDictionaryItem("Test", L"IDS_A"), L"");
    LocalizeHelper::Initialize(); // balances TearDown
}

TEST_F(LocalizeHelperTest, BadLinesAreLoggedAsWarningsWithABound)
{
    {
        const CorvaneTest::ScopedEnv logDir("CORVANE_LOG_DIR", m_folder.c_str());
        ASSERT_TRUE(InitLog());
        std::string bytes = "IDS_A=a\nIDS_BAD=\xFF\n";
        for (int i = 0; i < 30; ++i) bytes += "no equals sign\n";
        EXPECT_TRUE(LocalizeHelper::LoadDictionary(Write("bad.lc", bytes).c_str(), "Test"));
        UninitLog();
    }

    std::ifstream in(m_folder / "CorvaneLoader.log");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        if (line.find("bad.lc'") != std::string::npos) lines.push_back(line); // earlier tests' lines may precede
    ASSERT_EQ(lines.size(), 21u);
    EXPECT_NE(lines[0].find("WARNING Wordhoard LocalizeHelper::LoadDictionary: Skipped line 2 of '"), std::string::npos)
        << lines[0];
    EXPECT_NE(lines[0].find("not valid UTF-8"), std::string::npos) << lines[0];
    EXPECT_NE(lines[20].find("Skipped 11 more lines"), std::string::npos) << lines[20];
    EXPECT_STREQ(LocalizeHelper::GetDictionaryItem("Test", L"IDS_A"), L"a");
}

TEST_F(LocalizeHelperTest, FileNamesWithoutFolderAreOpenedInTheCurrentFolder)
{
    Write("bare.lc", "IDS_A=found\n");
    const fs::path previous = fs::current_path();
    fs::current_path(m_folder);
    const bool loaded = LocalizeHelper::LoadDictionary(L"bare.lc", "Test");
    fs::current_path(previous);
    ASSERT_TRUE(loaded);
    EXPECT_STREQ(LocalizeHelper::GetDictionaryItem("Test", L"IDS_A"), L"found");
}

TEST_F(LocalizeHelperTest, ConcurrentLookupsAndReloadsAreSafe)
{
    const std::wstring one = Write("one.lc", "IDS_A=one\n");
    const std::wstring two = Write("two.lc", "IDS_A=two\n");
    ASSERT_TRUE(LocalizeHelper::LoadDictionary(one.c_str(), "Test"));
    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    std::vector<std::thread> readers;
    for (int r = 0; r < 4; ++r)
        readers.emplace_back([&] {
            while (!stop.load()) {
                const std::wstring text = LocalizeHelper::GetDictionaryItem("Test", L"IDS_A");
                if (text != L"one" && text != L"two") ++bad;
                std::this_thread::yield();
            }
        });
    for (int i = 0; i < 100; ++i) LocalizeHelper::LoadDictionary((i % 2 ? one : two).c_str(), "Test");
    stop = true;
    for (auto& reader : readers) reader.join();
    EXPECT_EQ(bad.load(), 0);
}

TEST_F(LocalizeHelperTest, TheUsersLanguageReplacesTheEnglishItemsItTranslates)
{
    const std::wstring english = Write("ui.lc", "IDS_A=Open\nIDS_B=Save\n");
    fs::create_directories(m_folder / "de");
    fs::create_directories(m_folder / "de_AT");
    Write("de/ui.lc", "IDS_A=Öffnen\n");  // IDS_B not translated yet
    Write("de_AT/ui.lc", "IDS_A=Aufmachen\n");
    const auto itemsFor = [&](const char* lcAll, const char* lcMessages, const char* lang) {
        const CorvaneTest::ScopedEnv all("LC_ALL", lcAll), messages("LC_MESSAGES", lcMessages), fallback("LANG", lang);
        EXPECT_TRUE(LocalizeHelper::LoadDictionary(english.c_str(), "Test"));
        return std::wstring(LocalizeHelper::GetDictionaryItem("Test", L"IDS_A")) + L"|" +
               LocalizeHelper::GetDictionaryItem("Test", L"IDS_B");
    };
    EXPECT_EQ(itemsFor(nullptr, nullptr, "de_DE.UTF-8"), L"Öffnen|Save");
    EXPECT_EQ(itemsFor(nullptr, nullptr, "de_AT.UTF-8@euro"), L"Aufmachen|Save");
    EXPECT_EQ(itemsFor(nullptr, "de_CH.UTF-8", "C.UTF-8"), L"Öffnen|Save");  // LC_MESSAGES before LANG
    EXPECT_EQ(itemsFor("C", "de_DE.UTF-8", "de_DE.UTF-8"), L"Open|Save");  // LC_ALL before both
    EXPECT_EQ(itemsFor("", "", "de_DE.UTF-8"), L"Öffnen|Save");          // empty means unset
    EXPECT_EQ(itemsFor(nullptr, nullptr, "fr_FR.UTF-8"), L"Open|Save");   // no French: English
    EXPECT_EQ(itemsFor(nullptr, nullptr, nullptr), L"Open|Save");
}

TEST(UserLanguages, OnlyPlainLanguageNamesChooseAFolder)
{
    using Wordhoard::LanguageFoldersOf;
    EXPECT_EQ(LanguageFoldersOf("de_DE.UTF-8@euro"), (std::vector<std::string>{"de_DE", "de"}));
    EXPECT_EQ(LanguageFoldersOf("es_419"), (std::vector<std::string>{"es_419", "es"}));
    EXPECT_EQ(LanguageFoldersOf("gsw"), (std::vector<std::string>{"gsw"}));
    for (const char* english : {"", "C", "C.UTF-8", "POSIX", "../de", "de/../../etc", "de_..", "DE", "de_de", "deutsch"})
        EXPECT_TRUE(LanguageFoldersOf(english).empty()) << english;
}

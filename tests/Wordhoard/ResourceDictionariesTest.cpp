// The dictionaries shipped with the program: they load cleanly, hold exactly
// the keys the code uses, every translation has the English keys with the
// same printf conversions, each product code's Tool.lc names its code and
// application, and format texts are safe.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "CorvaneVersion.h"
#include "Wordhoard/Dictionary.h"
#include "Wordhoard/LocalizeHelper.h"
#include "platform/TextConvert.h"

namespace fs = std::filesystem;
using Wordhoard::Dictionary;

namespace {

// The source tree's resources/, found from the test data folder that ctest
// names (the compiler's idea of __FILE__ may be relative under ccache).
fs::path ResourceFolder()
{
    const char* data = std::getenv("CORVANE_TEST_DATA");
    return fs::path(data ? data : "tests/data").parent_path().parent_path() / "resources";
}

Dictionary LoadClean(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    EXPECT_TRUE(in.good()) << file;
    std::stringstream bytes;
    bytes << in.rdbuf();
    std::vector<Wordhoard::DictionaryProblem> problems;
    Dictionary dictionary = Dictionary::Parse(bytes.str(), &problems);
    for (const auto& problem : problems) ADD_FAILURE() << file << " line " << problem.line << ": " << problem.reason;
    return dictionary;
}

std::wstring TextOf(const Dictionary& dictionary, const wchar_t* key)
{
    const std::wstring* text = dictionary.Find(key);
    return text ? *text : L"<missing>";
}

// The printf conversions of a text, in order, as written ("%s", "%.2f",
// "%%").
std::vector<std::wstring> Conversions(const std::wstring& text)
{
    static const std::wregex conversion(LR"(%[-+ #0]*(\*|[0-9]+)?(\.(\*|[0-9]+))?(hh|h|ll|l|L|z|j|t)?[diouxXeEfFgGaAcsSpn%])");
    std::vector<std::wstring> found;
    for (auto it = std::wsregex_iterator(text.begin(), text.end(), conversion); it != std::wsregex_iterator(); ++it)
        found.push_back(it->str());
    return found;
}

// The English dictionaries, by their path under resources/; a translation
// into language L lies at L/<the same path>.
const char* const kEnglishFiles[] = {"Lan.lc", "Loader.lc", "sr/Tool.lc", "cst/Tool.lc"};

// Every language folder under resources/ (one holding a translated Lan.lc).
std::vector<std::string> Languages()
{
    std::vector<std::string> languages;
    for (const auto& entry : fs::directory_iterator(ResourceFolder()))
        if (fs::exists(entry.path() / "Lan.lc")) languages.push_back(entry.path().filename().string());
    return languages;
}

// Every dictionary file of every language.
std::vector<fs::path> AllDictionaryFiles()
{
    std::vector<fs::path> files;
    for (const char* file : kEnglishFiles) {
        files.push_back(ResourceFolder() / file);
        for (const std::string& language : Languages()) files.push_back(ResourceFolder() / language / file);
    }
    return files;
}

// The keys the code asks the dictionaries for: every "IDS_..." string in
// the sources of the programs and tools. A key written with "%d" at its end ("..._LINE%d") stands
// for a numbered family.
struct KeysInCode {
    std::set<std::wstring> keys;
    std::set<std::wstring> families;
};

KeysInCode KeysTheCodeUses()
{
    static const std::regex quotedKey(R"re("(IDS_[A-Z0-9_]+)(%d)?")re");
    KeysInCode used;
    const fs::path root = ResourceFolder().parent_path();
    for (const char* folder : {"app", "operations", "mainwnd", "imagewindow", "io", "controls", "platform",
                               "interfaces", "Tinctor", "Recallo", "Wordhoard", "Tracewell", "tools"}) {
        for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
            const std::string extension = entry.path().extension().string();
            if (extension != ".cpp" && extension != ".h") continue;
            std::ifstream in(entry.path());
            const std::string code{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            for (auto it = std::sregex_iterator(code.begin(), code.end(), quotedKey); it != std::sregex_iterator(); ++it)
                ((*it)[2].matched ? used.families : used.keys).insert(Utf8ToWide((*it)[1].str()));
        }
    }
    return used;
}

// The family a key belongs to ("..._LINE" for "..._LINE2"), or nothing.
std::optional<std::wstring> FamilyOf(const std::wstring& key, const std::set<std::wstring>& families)
{
    const std::size_t digits = key.find_last_not_of(L"0123456789") + 1;
    if (digits == key.size() || !families.count(key.substr(0, digits))) return std::nullopt;
    return key.substr(0, digits);
}

} // namespace

TEST(ResourceDictionaries, TheEnglishDictionariesHoldExactlyTheKeysTheCodeUses)
{
    const KeysInCode used = KeysTheCodeUses();
    ASSERT_GT(used.keys.size(), 50u) << "the sources were not found";
    std::set<std::wstring> english;
    for (const char* file : {"Lan.lc", "Loader.lc", "sr/Tool.lc"})
        for (const std::wstring& key : LoadClean(ResourceFolder() / file).Keys()) english.insert(key);
    for (const std::wstring& key : used.keys) EXPECT_TRUE(english.count(key)) << "missing: " << WideToUtf8(key);
    std::map<std::wstring, std::set<std::wstring>> members;
    for (const std::wstring& key : english) {
        const auto family = FamilyOf(key, used.families);
        if (family) members[*family].insert(key);
        EXPECT_TRUE(used.keys.count(key) || family) << "unused: " << WideToUtf8(key);
    }
    // A numbered family runs from 0 without gaps, as the code counts it.
    for (const std::wstring& family : used.families) {
        EXPECT_FALSE(members[family].empty()) << "missing: " << WideToUtf8(family) << "0";
        for (std::size_t n = 0; n < members[family].size(); ++n)
            EXPECT_TRUE(members[family].count(family + std::to_wstring(n))) << WideToUtf8(family) << n;
    }
}

TEST(ResourceDictionaries, EveryTranslationHasTheEnglishKeysWithTheSameConversions)
{
    ASSERT_FALSE(Languages().empty());
    for (const std::string& language : Languages()) {
        for (const char* file : kEnglishFiles) {
            const Dictionary english = LoadClean(ResourceFolder() / file);
            const Dictionary translated = LoadClean(ResourceFolder() / language / file);
            const std::string where = language + "/" + file;
            for (const std::wstring& key : translated.Keys())
                EXPECT_NE(english.Find(key), nullptr) << where << ": not in English: " << WideToUtf8(key);
            for (const std::wstring& key : english.Keys()) {
                EXPECT_NE(translated.Find(key), nullptr) << where << ": missing: " << WideToUtf8(key);
                const std::wstring text = TextOf(translated, key.c_str());
                EXPECT_EQ(Conversions(text), Conversions(TextOf(english, key.c_str())))
                    << where << ": " << WideToUtf8(key) << "=" << WideToUtf8(text);
            }
            // The product code and name choose the tool, the settings and the
            // single-instance lock: they are the same in every language.
            for (const wchar_t* key : {L"IDS_CORVANE_CODE", L"IDS_CORVANE_APPNAME"})
                EXPECT_EQ(TextOf(translated, key), TextOf(english, key)) << where;
        }
    }
}

TEST(ResourceDictionaries, PathMessagesTakeExactlyOneStringAndOtherTextsNoConversions)
{
    const Dictionary lan = LoadClean(ResourceFolder() / "Lan.lc");
    const auto conversions = Conversions(TextOf(lan, L"IDS_VELMIRA_MSG_DO_YOU_WANT_TO_SAVE_MODIFICATION"));
    ASSERT_EQ(conversions.size(), 1u);
    EXPECT_EQ(conversions[0], L"%s");

    for (const fs::path& file : AllDictionaryFiles()) {
        const Dictionary dictionary = LoadClean(file);
        for (const std::wstring& key : dictionary.Keys()) {
            const auto found = Conversions(TextOf(dictionary, key.c_str()));
            EXPECT_TRUE(found.empty() || (found.size() == 1 && found[0] == L"%s")) << file << ": " << WideToUtf8(key);
        }
    }
}

TEST(ResourceDictionaries, TheAboutTooltipEndsWithABlankInEveryLanguage)
{
    for (const fs::path& file : AllDictionaryFiles()) {
        if (file.filename() != "Loader.lc") continue;
        const std::wstring about = TextOf(LoadClean(file), L"IDS_CORVANELOADER_TOOLTIP_TOOLBAR_ABOUT");
        ASSERT_FALSE(about.empty()) << file;
        EXPECT_EQ(about.back(), L' ') << file << ": the application name is appended directly";
    }
}

TEST(ResourceDictionaries, LaidOutCopiesLoadByBareNameAsTheProgramOpensThem)
{
    if (!fs::exists("Lan.lc")) GTEST_SKIP() << "not run from the folder beside the executable";
    LocalizeHelper::Initialize();
    EXPECT_TRUE(LocalizeHelper::LoadDictionary(L"Lan.lc", "Dictionary"));
    EXPECT_TRUE(LocalizeHelper::LoadDictionary(L"Loader.lc", "Loader"));
    EXPECT_TRUE(LocalizeHelper::LoadDictionary(L"Tool.lc", "Tool"));
    EXPECT_STREQ(LocalizeHelper::GetDictionaryItem("Dictionary", L"IDS_VELMIRA_MSGBOX_BUTTON_OK"), L"OK");
    EXPECT_STRNE(LocalizeHelper::GetDictionaryItem("Loader", L"IDS_CORVANELOADER_TOOLTIP_TOOLBAR_OPEN"), L"");
    const std::wstring code = LocalizeHelper::GetDictionaryItem("Tool", L"IDS_CORVANE_CODE");
    EXPECT_TRUE(code == L"sr" || code == L"cst") << "unexpected code";
    EXPECT_EQ(WideToUtf8(LocalizeHelper::GetDictionaryItem("Tool", L"IDS_CORVANE_APPVER")), CORVANE_VERSION)
        << "the About box shows the version of project()";
    LocalizeHelper::UnInitialize();
}

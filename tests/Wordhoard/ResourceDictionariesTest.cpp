// The dictionaries shipped with the program: they load cleanly, each product
// code's Tool.lc names its code and application, and format texts are safe.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

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

// The printf conversions of a text, as written after each '%'.
std::vector<std::wstring> Conversions(const std::wstring& text)
{
    std::vector<std::wstring> found;
    for (std::size_t at = text.find(L'%'); at != std::wstring::npos; at = text.find(L'%', at + 2))
        found.push_back(text.substr(at, 2));
    return found;
}

const char* const kFiles[] = {"Lan.lc", "Loader.lc", "sr/Tool.lc", "cst/Tool.lc"};

} // namespace

TEST(ResourceDictionaries, EveryProductCodeNamesItselfAndItsApplication)
{
    for (const char* code : {"sr", "cst"}) {
        const Dictionary tool = LoadClean(ResourceFolder() / code / "Tool.lc");
        EXPECT_EQ(TextOf(tool, L"IDS_CORVANE_CODE"), Utf8ToWide(code));
        const std::wstring name = TextOf(tool, L"IDS_CORVANE_APPNAME");
        EXPECT_NE(name, L"<missing>");
        EXPECT_FALSE(name.empty());
        EXPECT_NE(TextOf(tool, L"IDS_CORVANE_APPVER"), L"<missing>");
    }
}

TEST(ResourceDictionaries, PathMessagesTakeExactlyOneStringAndOtherTextsNoConversions)
{
    const Dictionary lan = LoadClean(ResourceFolder() / "Lan.lc");
    const auto conversions = Conversions(TextOf(lan, L"IDS_VELMIRA_MSG_DO_YOU_WANT_TO_SAVE_MODIFICATION"));
    ASSERT_EQ(conversions.size(), 1u);
    EXPECT_EQ(conversions[0], L"%s");

    for (const char* file : kFiles) {
        std::ifstream in(ResourceFolder() / file);
        std::string line;
        while (std::getline(in, line)) {
            const auto equals = line.find('=');
            if (line.empty() || line[0] == '#' || equals == std::string::npos) continue;
            const std::wstring text = Utf8ToWide(line.substr(equals + 1));
            const auto found = Conversions(text);
            EXPECT_TRUE(found.empty() || (found.size() == 1 && found[0] == L"%s")) << file << ": " << line;
        }
    }
}

TEST(ResourceDictionaries, TextsTheProgramJoinsOrRotatesAreThere)
{
    const Dictionary loader = LoadClean(ResourceFolder() / "Loader.lc");
    const std::wstring about = TextOf(loader, L"IDS_CORVANELOADER_TOOLTIP_TOOLBAR_ABOUT");
    ASSERT_FALSE(about.empty());
    EXPECT_EQ(about.back(), L' ') << "the application name is appended directly";
    for (const wchar_t* key : {L"IDS_CORVANELOADER_VISIT_TARNWICK_SINGLE_LINE0",
                               L"IDS_CORVANELOADER_VISIT_TARNWICK_SINGLE_LINE1",
                               L"IDS_CORVANELOADER_VISIT_TARNWICK_SINGLE_LINE2"})
        EXPECT_FALSE(TextOf(loader, key).empty()) << "missing";
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
    LocalizeHelper::UnInitialize();
}

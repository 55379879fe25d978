// Parsing of ".lc" dictionaries: what loads, what is skipped, what wins.
#include <gtest/gtest.h>

#include <string>

#include "Wordhoard/Dictionary.h"

using Wordhoard::Dictionary;
using Wordhoard::DictionaryProblem;

namespace {

std::wstring TextOf(const Dictionary& dictionary, const wchar_t* key)
{
    const std::wstring* text = dictionary.Find(key);
    return text ? *text : L"<missing>";
}

} // namespace

TEST(Dictionary, ReadsItemsAndIgnoresCommentsAndBlankLines)
{
    std::vector<DictionaryProblem> problems;
    const Dictionary d = Dictionary::Parse("# comment\n"
                                           "\n"
                                           "   \t\n"
                                           "  # indented comment=not an item\n"
                                           "IDS_A=Open\n"
                                           "  IDS_B \t=  spaced text  \n"
                                           "IDS_C=a=b=c\n"
                                           "IDS_EMPTY=\n"
                                           "ids_a=lower case is another key\n"
                                           "IDS_LAST=no line end",
                                           &problems);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(d.Size(), 6u);
    EXPECT_EQ(TextOf(d, L"IDS_A"), L"Open");
    EXPECT_EQ(TextOf(d, L"IDS_B"), L"  spaced text  ");
    EXPECT_EQ(TextOf(d, L"IDS_C"), L"a=b=c");
    EXPECT_EQ(TextOf(d, L"IDS_EMPTY"), L"");
    EXPECT_EQ(TextOf(d, L"ids_a"), L"lower case is another key");
    EXPECT_EQ(TextOf(d, L"IDS_LAST"), L"no line end");
    EXPECT_EQ(d.Find(L"IDS_MISSING"), nullptr);
    EXPECT_EQ(d.Find(L"# indented comment"), nullptr);
}

TEST(Dictionary, AcceptsCrlfCrAndAByteOrderMark)
{
    const Dictionary d = Dictionary::Parse("\xEF\xBB\xBFIDS_A=one\r\nIDS_B=two \r\nIDS_C=three\rIDS_D=four\r\n", nullptr);
    EXPECT_EQ(TextOf(d, L"IDS_A"), L"one");
    EXPECT_EQ(TextOf(d, L"IDS_B"), L"two ");
    EXPECT_EQ(TextOf(d, L"IDS_C"), L"three");
    EXPECT_EQ(TextOf(d, L"IDS_D"), L"four");
}

TEST(Dictionary, TurnsEscapesIntoCharactersAndKeepsOtherBackslashes)
{
    const Dictionary d = Dictionary::Parse(R"(IDS_A=line 1\nline 2\tend\\)"
                                           "\n"
                                           R"(IDS_B=C:\temp\x \\n trailing\)"
                                           "\n",
                                           nullptr);
    EXPECT_EQ(TextOf(d, L"IDS_A"), L"line 1\nline 2\tend\\");
    EXPECT_EQ(TextOf(d, L"IDS_B"), L"C:\temp\\x \\n trailing\\");
}

TEST(Dictionary, LaterDuplicateWins)
{
    const Dictionary d = Dictionary::Parse("IDS_A=first\nIDS_B=other\nIDS_A=second\n", nullptr);
    EXPECT_EQ(d.Size(), 2u);
    EXPECT_EQ(TextOf(d, L"IDS_A"), L"second");
}

TEST(Dictionary, SkipsBadLinesReportsThemAndKeepsTheRest)
{
    std::vector<DictionaryProblem> problems;
    std::string bytes = "IDS_OK1=fine\n"
                        "IDS_BAD=caf\xC3 broken\n"  // truncated UTF-8 sequence
                        "just some words\n"
                        "=no key\n"
                        "IDS_OVERLONG=\xC0\xAF\n";  // overlong encoding of '/'
    bytes += std::string("IDS_NUL=a\0b\n", 12);
    bytes += "IDS_OK2=caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\xB7\n";
    const Dictionary d = Dictionary::Parse(bytes, &problems);

    EXPECT_EQ(d.Size(), 2u);
    EXPECT_EQ(TextOf(d, L"IDS_OK1"), L"fine");
    EXPECT_EQ(TextOf(d, L"IDS_OK2"), L"caf\u00e9 \u20ac \U0001F4F7");
    EXPECT_EQ(d.Find(L"IDS_BAD"), nullptr);
    EXPECT_EQ(d.Find(L"IDS_NUL"), nullptr);
    ASSERT_EQ(problems.size(), 5u);
    EXPECT_EQ(problems[0].line, 2u);
    EXPECT_EQ(problems[1].line, 3u);
    EXPECT_EQ(problems[2].line, 4u);
    EXPECT_EQ(problems[3].line, 5u);
    EXPECT_EQ(problems[4].line, 6u);
}

TEST(Dictionary, ReadsAOneMegabyteLine)
{
    const std::string longText(1 << 20, 'x');
    const Dictionary d = Dictionary::Parse("IDS_BEFORE=a\nIDS_LONG=" + longText + "\nIDS_AFTER=b\n", nullptr);
    const std::wstring* text = d.Find(L"IDS_LONG");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->size(), longText.size());
    EXPECT_EQ(TextOf(d, L"IDS_AFTER"), L"b");
}

TEST(Dictionary, BinaryGarbageNeverCrashes)
{
    std::string bytes;
    unsigned state = 12345;
    for (int i = 0; i < 200000; ++i) {
        state = state * 1103515245u + 12345u;
        bytes += static_cast<char>(state >> 16);
    }
    std::vector<DictionaryProblem> problems;
    const Dictionary d = Dictionary::Parse(bytes, &problems);
    for (const auto& problem : problems) EXPECT_FALSE(problem.reason.empty());
}

// UTF-8 <-> wide conversion: round trips and what becomes of broken input.
#include <gtest/gtest.h>

#include <string>

#include "platform/TextConvert.h"

namespace {

// True when `text` is `before`, one or more U+FFFD, then `after`.
bool IsReplacedBetween(const std::wstring& text, const std::wstring& before, const std::wstring& after)
{
    if (text.size() < before.size() + after.size() + 1) return false;
    if (text.compare(0, before.size(), before) != 0) return false;
    if (text.compare(text.size() - after.size(), after.size(), after) != 0) return false;
    for (size_t i = before.size(); i < text.size() - after.size(); ++i)
        if (text[i] != 0xFFFD) return false;
    return true;
}

} // namespace

TEST(TextConvert, RoundTripsEveryEncodingLength)
{
    const std::wstring wide = L"A\u00E4\u00DF\u20AC\u4E2D\U0001F600\U0010FFFF";
    const std::string utf8 = "A\xC3\xA4\xC3\x9F\xE2\x82\xAC\xE4\xB8\xAD\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF";
    EXPECT_EQ(WideToUtf8(wide), utf8);
    EXPECT_EQ(Utf8ToWide(utf8), wide);
    EXPECT_TRUE(IsValidUtf8(utf8));
    EXPECT_EQ(Utf8ToWide(""), L"");
    EXPECT_EQ(WideToUtf8(L""), "");
}

TEST(TextConvert, KeepsEmbeddedZeros)
{
    const std::string utf8("a\0b", 3);
    const std::wstring wide(L"a\0b", 3);
    EXPECT_EQ(Utf8ToWide(utf8), wide);
    EXPECT_EQ(WideToUtf8(wide), utf8);
}

TEST(TextConvert, BrokenUtf8BecomesReplacementAndResynchronises)
{
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"overlong slash", "a\xC0\xAF" "b"},
        {"overlong 3-byte", "a\xE0\x80\xAF" "b"},
        {"encoded surrogate", "a\xED\xA0\x80" "b"},
        {"above U+10FFFF", "a\xF4\x90\x80\x80" "b"},
        {"invalid lead F8", "a\xF8\x88\x80\x80\x80" "b"},
        {"stray continuation", "a\x80" "b"},
        {"lead without continuation", "a\xE2" "b"},
        {"truncated 3-byte", "a\xE2\x82" "b"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(IsReplacedBetween(Utf8ToWide(c.bytes), L"a", L"b")) << c.name;
        EXPECT_FALSE(IsValidUtf8(c.bytes)) << c.name;
    }
    // Cut off at the very end of the input.
    EXPECT_TRUE(IsReplacedBetween(Utf8ToWide("ab\xF0\x9F\x98"), L"ab", L""));
    EXPECT_FALSE(IsValidUtf8("ab\xF0\x9F\x98"));
}

TEST(TextConvert, LiteralReplacementCharacterIsValid)
{
    EXPECT_TRUE(IsValidUtf8("\xEF\xBF\xBD"));
    EXPECT_EQ(Utf8ToWide("\xEF\xBF\xBD"), L"\uFFFD");
}

TEST(TextConvert, UnencodableWideCharactersBecomeReplacement)
{
    std::wstring wide = L"x";
    wide += static_cast<wchar_t>(0xD800);   // lone surrogate
    wide += static_cast<wchar_t>(0x110000); // beyond Unicode
    wide += static_cast<wchar_t>(-1);
    wide += L'y';
    EXPECT_EQ(WideToUtf8(wide), "x\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBDy");
}

TEST(TextConvert, FileNamesKeepEveryByteAndShowLatin1Readably)
{
    // A Latin-1 name, a stray continuation byte, a cut sequence, valid UTF-8
    // and a literal U+FFFD side by side.
    const std::string bytes = "caf\xE9 \x80x \xC3 \xC3\xA9 \xEF\xBF\xBD.jpg";
    const std::wstring wide = FileNameToWide(bytes);
    EXPECT_EQ(WideToFileName(wide), bytes);
    EXPECT_EQ(ReadableFileName(wide), L"caf\u00E9 \u20ACx \u00C3 \u00E9 \uFFFD.jpg");
    EXPECT_EQ(FileNameToWide("plain/\xC3\xA9t\xC3\xA9.png"), Utf8ToWide("plain/\xC3\xA9t\xC3\xA9.png"));
    EXPECT_EQ(ReadableFileName(FileNameToWide("\x81")), L"\uFFFD") << "no Windows-1252 character";
}

// Wide formatting with the Windows rules: %s takes a wide string, %hs/%S a
// narrow UTF-8 one, and the usual flags, widths and lengths work.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "platform/WideFormat.h"

TEST(WideFormat, StringConversions)
{
    EXPECT_EQ(FormatWide(L"[%s]", L"wide \u00E4\u4E2D"), L"[wide \u00E4\u4E2D]");
    EXPECT_EQ(FormatWide(L"[%ls]", L"wide"), L"[wide]");
    EXPECT_EQ(FormatWide(L"[%hs]", "narrow \xC3\xA4"), L"[narrow \u00E4]");
    EXPECT_EQ(FormatWide(L"[%S]", "narrow \xE4\xB8\xAD"), L"[narrow \u4E2D]");
    EXPECT_EQ(FormatWide(L"[%5s]", L"ab"), L"[   ab]");
    EXPECT_EQ(FormatWide(L"[%-5s]", L"ab"), L"[ab   ]");
    EXPECT_EQ(FormatWide(L"[%.2s]", L"abcdef"), L"[ab]");
    EXPECT_EQ(FormatWide(L"[%s]", static_cast<const wchar_t*>(nullptr)), L"[(null)]");
    EXPECT_EQ(FormatWide(L"[%hs]", static_cast<const char*>(nullptr)), L"[(null)]");
}

TEST(WideFormat, CharacterConversions)
{
    EXPECT_EQ(FormatWide(L"%c%c", L'A', L'\u4E2D'), L"A\u4E2D");
    EXPECT_EQ(FormatWide(L"%hc|%C", 'x', 'y'), L"x|y");
    EXPECT_EQ(FormatWide(L"[%3c]", L'z'), L"[  z]");
}

TEST(WideFormat, IntegerConversions)
{
    EXPECT_EQ(FormatWide(L"%d %i %u", -42, 7, 4000000000u), L"-42 7 4000000000");
    EXPECT_EQ(FormatWide(L"[%.3d]", 7), L"[007]");
    EXPECT_EQ(FormatWide(L"[%-5d]", 42), L"[42   ]");
    EXPECT_EQ(FormatWide(L"[%5d]", -42), L"[  -42]");
    EXPECT_EQ(FormatWide(L"[%05d]", 42), L"[00042]");
    EXPECT_EQ(FormatWide(L"%x %X %#x %o", 255, 255, 255, 8), L"ff FF 0xff 10");
    EXPECT_EQ(FormatWide(L"%I64d", static_cast<long long>(-9000000000LL)), L"-9000000000");
    EXPECT_EQ(FormatWide(L"%I64u", 18000000000000000000ULL), L"18000000000000000000");
    EXPECT_EQ(FormatWide(L"%I32d", -5), L"-5");
    EXPECT_EQ(FormatWide(L"%lld %llu", -1LL, 1ULL << 40), L"-1 1099511627776");
    EXPECT_EQ(FormatWide(L"%Iu", static_cast<size_t>(123456789012ULL)), L"123456789012");
    EXPECT_EQ(FormatWide(L"%hd %hu", 70000, 70000), L"4464 4464"); // narrowed as short
    EXPECT_EQ(FormatWide(L"[%*d]", 4, 1), L"[   1]");
    EXPECT_EQ(FormatWide(L"[%*d]", -4, 1), L"[1   ]");
}

TEST(WideFormat, FloatingPointAndPercent)
{
    EXPECT_EQ(FormatWide(L"%.2f", 3.14159), L"3.14");
    EXPECT_EQ(FormatWide(L"%.1f", 90.0), L"90.0");
    EXPECT_EQ(FormatWide(L"%6.2f|", 1.5), L"  1.50|");
    EXPECT_EQ(FormatWide(L"100%%"), L"100%");
    EXPECT_EQ(FormatWide(L"%d%%", 50), L"50%");
}

TEST(WideFormat, MixedArgumentsStayInStep)
{
    EXPECT_EQ(FormatWide(L"%s: %d px, (%d, %d) %hs %.1f", L"Size", 15, -1, 2, "ok", 0.3),
              L"Size: 15 px, (-1, 2) ok 0.3");
}

TEST(WideFormat, NullFormatAndOddSpecs)
{
    EXPECT_EQ(FormatWide(nullptr), L"");
    EXPECT_EQ(FormatWide(L"end %"), L"end ");
    int written = 99;
    EXPECT_EQ(FormatWide(L"a%nb", &written), L"ab");
    EXPECT_EQ(written, 99); // %n never writes
}

TEST(WideFormat, LongArgumentIsNotCut)
{
    const std::wstring big(100 * 1024, L'x');
    const std::wstring out = FormatWide(L"<%s>", big.c_str());
    ASSERT_EQ(out.size(), big.size() + 2);
    EXPECT_EQ(out.front(), L'<');
    EXPECT_EQ(out.back(), L'>');
    EXPECT_EQ(out.substr(1, big.size()), big);
    const std::string narrow(100 * 1024, 'y');
    EXPECT_EQ(FormatWide(L"%hs", narrow.c_str()).size(), narrow.size());
}

TEST(WideFormat, NumbersIgnoreTheProcessLocale)
{
    // Qt puts the process into the user's locale; a comma-decimal locale must
    // not leak into formatted texts.
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    const char* comma = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "nl_NL.UTF-8"})
        if (std::setlocale(LC_NUMERIC, name)) {
            comma = name;
            break;
        }
    if (!comma) GTEST_SKIP() << "no locale with a decimal comma is installed";
    const std::wstring text = FormatWide(L"%.2f", 1.5);
    std::setlocale(LC_NUMERIC, previous.c_str());
    EXPECT_EQ(text, L"1.50") << comma;
}

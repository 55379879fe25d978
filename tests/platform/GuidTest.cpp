// Text form of GUIDs: the registry form round-trips, anything else is refused.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/Guid.h"

namespace {

const GUID kSample = {0x944A6B3A, 0x411E, 0x4C27, {0xBE, 0xBD, 0xF0, 0x6E, 0x5F, 0xC5, 0xC7, 0x8F}};
const wchar_t* const kSampleText = L"{944A6B3A-411E-4C27-BEBD-F06E5FC5C78F}";

} // namespace

TEST(Guid, FormatsInRegistryForm)
{
    EXPECT_EQ(GuidToString(kSample), kSampleText);
    EXPECT_EQ(GuidToString(GUID{}), L"{00000000-0000-0000-0000-000000000000}");
    const GUID ones = {0xFFFFFFFF, 0xFFFF, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};
    EXPECT_EQ(GuidToString(ones), L"{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}");
}

TEST(Guid, ParsesBothCasesAndRoundTrips)
{
    const auto upper = GuidFromString(kSampleText);
    ASSERT_TRUE(upper);
    EXPECT_TRUE(IsEqualGUID(*upper, kSample));
    const auto lower = GuidFromString(L"{944a6b3a-411e-4c27-bebd-f06e5fc5c78f}");
    ASSERT_TRUE(lower);
    EXPECT_TRUE(*lower == kSample);

    // Every byte position distinct, so a swapped field would show.
    const GUID distinct = {0x01234567, 0x89AB, 0xCDEF, {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE}};
    const auto back = GuidFromString(GuidToString(distinct));
    ASSERT_TRUE(back);
    EXPECT_EQ(std::memcmp(&*back, &distinct, sizeof(GUID)), 0);
}

TEST(Guid, RefusesMalformedText)
{
    const wchar_t* const bad[] = {
        L"",
        L"{}",
        L"944A6B3A-411E-4C27-BEBD-F06E5FC5C78F",        // no braces
        L"(944A6B3A-411E-4C27-BEBD-F06E5FC5C78F)",      // wrong brackets
        L"{944A6B3A-411E-4C27-BEBD-F06E5FC5C78}",       // one digit short
        L"{944A6B3A-411E-4C27-BEBD-F06E5FC5C78FF}",     // one digit long
        L"{944A6B3A-411E-4C27-BEBD-F06E5FC5C78F} ",     // trailing blank
        L" {944A6B3A-411E-4C27-BEBD-F06E5FC5C78F}",     // leading blank
        L"{944A6B3G-411E-4C27-BEBD-F06E5FC5C78F}",      // G is not hex
        L"{944A6B3A-411E-4C27-BEBD-F06E5FC5C7 F}",      // blank inside
        L"{944A6B3A0411E-4C27-BEBD-F06E5FC5C78F}",      // dash replaced
        L"{944A6B3-A411E-4C27-BEBD-F06E5FC5C78F}",      // dash misplaced
        L"{944A6B3A-411E-4C27-BEBDF-06E5FC5C78F}",      // last dash misplaced
        L"{+44A6B3A-411E-4C27-BEBD-F06E5FC5C78F}",      // sign
        L"{944A6B3A-411E-4C27-BEBD-F06E5FC5C78\u0661}", // non-ASCII digit
    };
    for (const wchar_t* text : bad) EXPECT_FALSE(GuidFromString(text)) << testing::PrintToString(std::wstring(text));
}

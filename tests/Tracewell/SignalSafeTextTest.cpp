// The crash line's allocation-free text: dates must agree with the C library,
// and a full buffer must still give one terminated line.
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "Tracewell/SignalSafeText.h"

using Tracewell::SignalSafeText;

namespace {

std::string Reference(std::int64_t seconds, int millis, long offset)
{
    const std::time_t t = static_cast<std::time_t>(seconds + offset);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%03d", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, millis);
    return buffer;
}

} // namespace

TEST(SignalSafeText, TimeMatchesTheCLibraryAcrossLeapYearsAndOffsets)
{
    // Steps of a little over a day and a half from 1970 to beyond 2100 (not a
    // leap year) hit every month end and leap day.
    for (std::int64_t seconds = 0; seconds < 4200000000LL; seconds += 137777) {
        for (const long offset : {0L, 3600L * 2, -3600L * 5 - 1800}) {
            char buffer[64];
            SignalSafeText text(buffer, sizeof buffer);
            text.AppendTime(seconds, 7, offset);
            ASSERT_EQ(std::string(text.Data(), text.Size()), Reference(seconds, 7, offset))
                << seconds << " " << offset;
        }
    }
}

TEST(SignalSafeText, NumbersAndTruncation)
{
    char buffer[64];
    SignalSafeText text(buffer, sizeof buffer);
    text.AppendDecimal(-9223372036854775807LL - 1);
    text.Append(' ');
    text.AppendHex(0xdeadbeef);
    text.Append(' ');
    text.AppendCString(nullptr);
    text.FinishLine();
    EXPECT_EQ(std::string(text.Data(), text.Size()), "-9223372036854775808 0xdeadbeef ?\n");

    char small[8];
    SignalSafeText cut(small, sizeof small);
    cut.Append("far too long for it");
    cut.FinishLine();
    EXPECT_TRUE(cut.Truncated());
    EXPECT_EQ(std::string(cut.Data(), cut.Size()), "far ...\n");
}

// The sink's memory before the log opens: order, limits and where overflow goes.
#include <gtest/gtest.h>

#include "LogTestSupport.h"
#include "Tracewell/LogSink.h"

using Tracewell::LogSink;
using TracewellTest::ReadLines;
using TracewellTest::ScopedLogFolder;

TEST(LogSink, KeptLinesAreWrittenInOrderWhenOpenedAndOverflowGoesToStderr)
{
    ScopedLogFolder folder;
    LogSink::Limits limits;
    limits.maxPendingLines = 3;
    LogSink sink(limits);
    EXPECT_EQ(sink.Write("one\n"), LogSink::WriteResult::Buffered);
    EXPECT_EQ(sink.Write("two\n"), LogSink::WriteResult::Buffered);
    EXPECT_EQ(sink.Write("three\n"), LogSink::WriteResult::Buffered);
    testing::internal::CaptureStderr();
    EXPECT_EQ(sink.Write("four\n"), LogSink::WriteResult::Written);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "four\n");
    EXPECT_FALSE(std::filesystem::exists(folder.LogFile()));

    ASSERT_TRUE(sink.Open());
    EXPECT_EQ(sink.Path(), folder.LogFile());
    EXPECT_GE(sink.FileDescriptor(), 0);
    EXPECT_EQ(sink.Write("five\n"), LogSink::WriteResult::Written);
    sink.Close();
    EXPECT_EQ(sink.FileDescriptor(), -1);

    const auto lines = ReadLines(folder.LogFile());
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "one");
    EXPECT_EQ(lines[2], "three");
    EXPECT_NE(lines[3].find("1 lines written before the log was opened went to standard error"), std::string::npos)
        << lines[3];
    EXPECT_EQ(lines[4], "five");
}

TEST(LogSink, ByteLimitAlsoBoundsTheMemory)
{
    ScopedLogFolder folder;
    LogSink::Limits limits;
    limits.maxPendingBytes = 10;
    LogSink sink(limits);
    EXPECT_EQ(sink.Write("12345678\n"), LogSink::WriteResult::Buffered);
    testing::internal::CaptureStderr();
    EXPECT_EQ(sink.Write("abc\n"), LogSink::WriteResult::Written);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "abc\n");
}

TEST(LogSink, KeptLinesGoToStderrWhenClosedOrFlushedWithoutOpening)
{
    {
        LogSink sink;
        sink.Write("kept a\n");
        testing::internal::CaptureStderr();
        sink.Close();
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "kept a\n");
    }
    LogSink sink;
    sink.Write("kept b\n");
    testing::internal::CaptureStderr();
    sink.FlushPendingToStderr();
    sink.Write("later\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "kept b\nlater\n");
}

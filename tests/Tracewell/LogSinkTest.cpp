// The sink's memory before the log opens: order, limits and where overflow goes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

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

namespace {

// Line `n` of writer `who`, padded so that a rotation happens every few
// dozen lines.
std::string RotationLine(int who, int n)
{
    return "writer " + std::to_string(who) + " line " + std::to_string(n) + " " + std::string(100, 'x') + "\n";
}

// Parses "writer W line N ..." into (W, N); (-1, -1) for anything else.
std::pair<int, int> WriterAndLine(const std::string& line)
{
    int who = -1;
    int n = -1;
    if (std::sscanf(line.c_str(), "writer %d line %d ", &who, &n) != 2) return {-1, -1};
    return line == RotationLine(who, n).substr(0, line.size()) && line.size() + 1 == RotationLine(who, n).size()
               ? std::make_pair(who, n)
               : std::make_pair(-1, -1);
}

} // namespace

TEST(LogSink, ProcessesSharingTheLogRotateItWhileTheyRunAndKeepItsSizeBounded)
{
    ScopedLogFolder folder;
    constexpr std::uintmax_t kRotate = 16 * 1024;
    constexpr int kWriters = 3;
    constexpr int kLines = 1500;  // about 170 KiB each, ten times the limit
    std::vector<pid_t> children;
    for (int who = 0; who < kWriters; ++who) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            LogSink::Limits limits;
            limits.rotateBytes = kRotate;
            LogSink sink(limits);
            bool ok = sink.Open();
            for (int n = 0; n < kLines; ++n) ok = sink.Write(RotationLine(who, n)) == LogSink::WriteResult::Written && ok;
            sink.Close();
            _exit(ok ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    // A writer that checked the size just before another rotated may add its
    // line to the older file: a line per writer of slack on each.
    const std::filesystem::path older = folder.Folder() / "CorvaneLoader.log.1";
    const std::uintmax_t slack = kWriters * RotationLine(0, kLines).size();
    EXPECT_LE(std::filesystem::file_size(folder.LogFile()), kRotate + slack);
    EXPECT_LE(std::filesystem::file_size(older), kRotate + 2 * slack);
    // What is kept is whole lines, each writer's in order, and the newest
    // among them is the last line of a writer.
    std::vector<int> last(kWriters, -1);
    for (const auto& file : {older, folder.LogFile()}) {
        for (const std::string& line : ReadLines(file)) {
            const auto [who, n] = WriterAndLine(line);
            ASSERT_GE(who, 0) << "damaged line: " << line;
            EXPECT_GT(n, last[who]) << line;
            last[who] = n;
        }
    }
    EXPECT_EQ(*std::max_element(last.begin(), last.end()), kLines - 1);
}

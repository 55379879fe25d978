// The log as the program uses it: whole lines from many threads and
// processes, lines before InitLog and after UninitLog, nesting, location.
#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "LogTestSupport.h"
#include "Tracewell/Log.h"

using TracewellTest::ReadLines;
using TracewellTest::ScopedEnv;
using TracewellTest::ScopedLogFolder;

namespace {

struct ParsedLine {
    std::string tid, level, module, function, text;
};

// Splits "YYYY-MM-DD HH:MM:SS.mmm [tid N] LEVEL module function: text";
// nothing when the line does not have that shape.
std::optional<ParsedLine> ParseLine(const std::string& line)
{
    const std::string stamp = "0000-00-00 00:00:00.000";
    if (line.size() < stamp.size() + 7) return std::nullopt;
    for (std::size_t i = 0; i < stamp.size(); ++i)
        if (stamp[i] == '0' ? !std::isdigit(static_cast<unsigned char>(line[i])) : line[i] != stamp[i])
            return std::nullopt;
    if (line.compare(stamp.size(), 6, " [tid ") != 0) return std::nullopt;
    const std::size_t tidEnd = line.find("] ", stamp.size() + 6);
    if (tidEnd == std::string::npos) return std::nullopt;
    ParsedLine parsed;
    parsed.tid = line.substr(stamp.size() + 6, tidEnd - stamp.size() - 6);
    std::istringstream fields(line.substr(tidEnd + 2));
    fields >> parsed.level >> parsed.module >> parsed.function;
    if (parsed.function.empty() || parsed.function.back() != ':') return std::nullopt;
    parsed.function.pop_back();
    std::getline(fields, parsed.text);
    if (!parsed.text.empty() && parsed.text.front() == ' ') parsed.text.erase(0, 1);
    return parsed;
}

// Counts each "<who> <n>" payload of the worker lines; fails on any line
// that is not a complete, well-formed log line.
std::map<std::string, int> CountPayloads(const std::vector<std::string>& lines, const std::string& module)
{
    std::map<std::string, int> counts;
    for (const std::string& line : lines) {
        const auto parsed = ParseLine(line);
        EXPECT_TRUE(parsed.has_value()) << "malformed line: " << line;
        if (parsed && parsed->module == module) ++counts[parsed->text];
    }
    return counts;
}

std::string Payload(const char* who, int id, int n)
{
    return std::string(who) + " " + std::to_string(id) + " line " + std::to_string(n) +
           " padding-that-makes-lines-long-enough-to-overlap-if-writes-were-split";
}

} // namespace

TEST(Log, ManyThreadsWriteEveryLineExactlyOnceAndWhole)
{
    ScopedLogFolder folder;
    ASSERT_TRUE(InitLog());
    constexpr int kThreads = 8;
    constexpr int kLines = 1000;
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < kLines; ++i)
                if (!WriteLog(LOG_LEVEL_INFO, L"Worker", L"Worker::Run", L"thread %d line %d %s", t, i,
                              L"padding-that-makes-lines-long-enough-to-overlap-if-writes-were-split"))
                    ++failures;
        });
    for (auto& thread : threads) thread.join();
    UninitLog();

    EXPECT_EQ(failures.load(), 0);
    const auto counts = CountPayloads(ReadLines(folder.LogFile()), "Worker");
    ASSERT_EQ(counts.size(), static_cast<std::size_t>(kThreads * kLines));
    for (int t = 0; t < kThreads; ++t)
        for (int i = 0; i < kLines; ++i) {
            const auto found = counts.find(Payload("thread", t, i));
            ASSERT_NE(found, counts.end()) << "missing thread " << t << " line " << i;
            EXPECT_EQ(found->second, 1);
        }
}

TEST(Log, ProcessesAppendingToOneFileDoNotInterleave)
{
    ScopedLogFolder folder;
    constexpr int kChildren = 3;
    constexpr int kLines = 400;
    std::vector<pid_t> children;
    for (int c = 0; c < kChildren; ++c) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            InitLog();
            for (int i = 0; i < kLines; ++i)
                WriteLog(LOG_LEVEL_INFO, L"Child", L"main", L"process %d line %d %s", c, i,
                         L"padding-that-makes-lines-long-enough-to-overlap-if-writes-were-split");
            UninitLog();
            _exit(0);
        }
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const auto counts = CountPayloads(ReadLines(folder.LogFile()), "Child");
    EXPECT_EQ(counts.size(), static_cast<std::size_t>(kChildren * kLines));
    for (const auto& [payload, count] : counts) EXPECT_EQ(count, 1) << payload;
}

TEST(Log, LineCarriesLevelModuleFunctionAndStaysOneLine)
{
    ScopedLogFolder folder;
    ASSERT_TRUE(InitLog());
    WriteLog(LOG_LEVEL_ERROR, L"CorvaneLoader", L"CCorvaneLoaderApp::SetAppState",
             L"Invalid state transition. CurrentState = %d, NewState = %d", 2, 2);
    WriteLog(LOG_LEVEL_TRACE, nullptr, nullptr, L"two\nlines\r\n");
    WriteLog(LOG_LEVEL_WARNING, L"M", L"F", L"path '%s' \x1b[31m", L"/photos/caf\u00e9.jpg");
    WriteLog(static_cast<LOG_LEVEL>(9), L"M", L"F", nullptr);
    UninitLog();

    const auto lines = ReadLines(folder.LogFile());
    ASSERT_EQ(lines.size(), 4u);
    const auto parsed = ParseLine(lines[0]);
    ASSERT_TRUE(parsed.has_value()) << lines[0];
    EXPECT_EQ(parsed->tid, std::to_string(gettid()));
    EXPECT_EQ(lines[0].substr(lines[0].find("] ")),
              "] ERROR CorvaneLoader CCorvaneLoaderApp::SetAppState: Invalid state transition. CurrentState = 2, "
              "NewState = 2");
    EXPECT_NE(lines[1].find("] TRACE - -: two\\nlines"), std::string::npos) << lines[1];
    EXPECT_EQ(lines[1].substr(lines[1].size() - 5), "lines") << "trailing line break kept";
    EXPECT_NE(lines[2].find("] WARNING M F: path '/photos/caf\xC3\xA9.jpg' \\x1B[31m"), std::string::npos)
        << lines[2];
    EXPECT_NE(lines[3].find("] LEVEL9 M F: "), std::string::npos) << lines[3];
}

TEST(Log, NestedInitKeepsTheFileOpenUntilTheLastUninit)
{
    ScopedLogFolder folder;
    ASSERT_TRUE(InitLog());
    ASSERT_TRUE(InitLog());
    UninitLog();
    WriteLog(LOG_LEVEL_INFO, L"Nest", L"f", L"still open");
    UninitLog();
    testing::internal::CaptureStderr();
    WriteLog(LOG_LEVEL_INFO, L"Nest", L"f", L"after close");
    const std::string err = testing::internal::GetCapturedStderr();
    UninitLog(); // unbalanced: harmless

    const auto lines = ReadLines(folder.LogFile());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("still open"), std::string::npos);
    EXPECT_NE(err.find("INFO Nest f: after close\n"), std::string::npos) << err;
}

TEST(Log, UnopenableFolderSendsLinesToStderr)
{
    ScopedLogFolder folder;
    const auto blocker = folder.Folder() / "file";
    std::ofstream(blocker) << "x";
    ScopedEnv env("CORVANE_LOG_DIR", (blocker / "sub").c_str());
    testing::internal::CaptureStderr();
    EXPECT_FALSE(InitLog());
    EXPECT_TRUE(WriteLog(LOG_LEVEL_ERROR, L"X", L"Y", L"nowhere else"));
    const std::string err = testing::internal::GetCapturedStderr();
    UninitLog();
    EXPECT_NE(err.find("Cannot open the log file"), std::string::npos) << err;
    EXPECT_NE(err.find("ERROR X Y: nowhere else"), std::string::npos) << err;
}

TEST(Log, LocationFollowsTheEnvironment)
{
    {
        ScopedEnv dir("CORVANE_LOG_DIR", "/var/tmp/corvane-logs");
        EXPECT_EQ(GetLogFilePath(), L"/var/tmp/corvane-logs/CorvaneLoader.log");
    }
    ScopedEnv noDir("CORVANE_LOG_DIR", "");
    ScopedEnv home("HOME", "/home/anna");
    {
        ScopedEnv state("XDG_STATE_HOME", "/srv/state");
        EXPECT_EQ(GetLogFilePath(), L"/srv/state/CorvaneLoader/CorvaneLoader.log");
    }
    {
        ScopedEnv relative("XDG_STATE_HOME", "relative/state");
        EXPECT_EQ(GetLogFilePath(), L"/home/anna/.local/state/CorvaneLoader/CorvaneLoader.log");
    }
    ScopedEnv noState("XDG_STATE_HOME", nullptr);
    EXPECT_EQ(GetLogFilePath(), L"/home/anna/.local/state/CorvaneLoader/CorvaneLoader.log");
}

TEST(Log, OvergrownLogIsMovedAsideWhenOpened)
{
    ScopedLogFolder folder;
    {
        std::ofstream old(folder.LogFile());
        old << "old line\n";
    }
    std::filesystem::resize_file(folder.LogFile(), 9u << 20);
    ASSERT_TRUE(InitLog());
    WriteLog(LOG_LEVEL_INFO, L"Rotate", L"f", L"fresh");
    UninitLog();
    EXPECT_EQ(std::filesystem::file_size(folder.Folder() / "CorvaneLoader.log.1"), 9u << 20);
    const auto lines = ReadLines(folder.LogFile());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("fresh"), std::string::npos);
}

// Lines before the first InitLog exist only once per process, so they are
// checked in fresh child processes.
TEST(LogDeathTest, LinesBeforeInitLogReachTheFileFirst)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ScopedLogFolder folder;
    folder.ShareWithChildren();
    EXPECT_EXIT(
        {
            WriteLog(LOG_LEVEL_INFO, L"Early", L"main", L"before %d", 1);
            WriteLog(LOG_LEVEL_INFO, L"Early", L"main", L"before %d", 2);
            InitLog();
            WriteLog(LOG_LEVEL_INFO, L"Early", L"main", L"after");
            UninitLog();
            std::exit(0);
        },
        testing::ExitedWithCode(0), "");
    const auto lines = ReadLines(folder.LogFile());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0].find("before 1"), std::string::npos);
    EXPECT_NE(lines[1].find("before 2"), std::string::npos);
    EXPECT_NE(lines[2].find("after"), std::string::npos);
}

TEST(LogDeathTest, LinesOfALogNeverOpenedGoToStderrAtExit)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            WriteLog(LOG_LEVEL_WARNING, L"Early", L"main", L"kept until exit");
            std::exit(0);
        },
        testing::ExitedWithCode(0), "WARNING Early main: kept until exit");
}

TEST(Log, ThresholdDropsTheDetailedLevelsOnly)
{
    ScopedLogFolder folder;
    ASSERT_TRUE(InitLog());
    const int before = GetLogThreshold();
    SetLogThreshold(LOG_LEVEL_WARNING);
    EXPECT_TRUE(WriteLog(LOG_LEVEL_INFO, L"Quiet", L"f", L"information"));
    WriteLog(LOG_LEVEL_TRACE, L"Quiet", L"f", L"trace");
    WriteLog(LOG_LEVEL_WARNING, L"Quiet", L"f", L"warning");
    WriteLog(LOG_LEVEL_ERROR, L"Quiet", L"f", L"error");
    SetLogThreshold(before);
    WriteLog(LOG_LEVEL_INFO, L"Quiet", L"f", L"information again");
    UninitLog();
    std::vector<std::string> texts;
    for (const std::string& line : ReadLines(folder.LogFile())) texts.push_back(ParseLine(line)->text);
    EXPECT_EQ(texts, (std::vector<std::string>{"warning", "error", "information again"}));
}

// The crash handler in child processes: the crash line reaches the log and the
// process still dies of the signal that hit it.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

#include "LogTestSupport.h"
#include "Tracewell/CrashHandler.h"
#include "Tracewell/Log.h"

using TracewellTest::ReadLines;
using TracewellTest::ScopedEnv;
using TracewellTest::ScopedLogFolder;

namespace {

// Sanitizer runtimes catch SIGSEGV and friends themselves and end the
// process with an exit code; the children must see the plain signal.
class ChildSanitizerOptions {
public:
    ChildSanitizerOptions()
        : m_asan("ASAN_OPTIONS", With("ASAN_OPTIONS").c_str()), m_tsan("TSAN_OPTIONS", With("TSAN_OPTIONS").c_str())
    {
    }

private:
    static std::string With(const char* name)
    {
        const char* current = std::getenv(name);
        std::string options = current ? std::string(current) + ":" : std::string();
        return options + "handle_segv=0:handle_sigbus=0:handle_sigfpe=0:handle_sigill=0:handle_abort=0";
    }
    ScopedEnv m_asan;
    ScopedEnv m_tsan;
};

void WriteToProtectedPage()
{
    void* page = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    *static_cast<volatile int*>(page) = 1;
}

volatile int g_depthLimit = -1;

int Recurse(int depth)
{
    volatile char frame[2048];
    frame[0] = static_cast<char>(depth);
    if (depth == g_depthLimit) return frame[0];
    return Recurse(depth + 1) + frame[0];
}

std::string CrashLine(const ScopedLogFolder& folder)
{
    for (const std::string& line : ReadLines(folder.LogFile()))
        if (line.find("ERROR Tracewell CrashHandler: Fatal signal") != std::string::npos) return line;
    return {};
}

class CrashHandlerDeathTest : public testing::Test {
protected:
    void SetUp() override
    {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        m_folder.ShareWithChildren();
    }
    ScopedLogFolder m_folder;
    ChildSanitizerOptions m_sanitizerOptions;
};

} // namespace

TEST_F(CrashHandlerDeathTest, SegmentationFaultIsLoggedWithBacktraceAndKillsBySIGSEGV)
{
    EXPECT_EXIT(
        {
            InitLog();
            EnableSEHandler();
            WriteToProtectedPage();
        },
        testing::KilledBySignal(SIGSEGV), "Fatal signal 11 \\(SIGSEGV\\)");
    const std::string line = CrashLine(m_folder);
    ASSERT_FALSE(line.empty());
    EXPECT_NE(line.find("(SIGSEGV), code "), std::string::npos) << line;
    EXPECT_NE(line.find("; backtrace: #0 "), std::string::npos) << line;
    EXPECT_NE(line.find(" | #1 "), std::string::npos) << line;
}

TEST_F(CrashHandlerDeathTest, AbortIsLoggedAndKillsBySIGABRT)
{
    EXPECT_EXIT(
        {
            InitLog();
            EnableSEHandler();
            std::abort();
        },
        testing::KilledBySignal(SIGABRT), "Fatal signal 6 \\(SIGABRT\\) sent by process");
    EXPECT_FALSE(CrashLine(m_folder).empty());
}

TEST_F(CrashHandlerDeathTest, StackOverflowIsCaughtOnTheAlternateStack)
{
    EXPECT_EXIT(
        {
            InitLog();
            EnableSEHandler();
            Recurse(0);
        },
        testing::KilledBySignal(SIGSEGV), "Fatal signal 11");
    EXPECT_FALSE(CrashLine(m_folder).empty());
}

TEST_F(CrashHandlerDeathTest, EarlierHandlerStillRunsAfterTheCrashLine)
{
    EXPECT_EXIT(
        {
            signal(SIGABRT, [](int) {
                const char text[] = "earlier handler ran\n";
                write(STDERR_FILENO, text, sizeof text - 1);
                _exit(3);
            });
            InitLog();
            EnableSEHandler();
            std::abort();
        },
        testing::ExitedWithCode(3), "Fatal signal 6[^\n]*\n(.|\n)*earlier handler ran");
    EXPECT_FALSE(CrashLine(m_folder).empty());
}

TEST_F(CrashHandlerDeathTest, WithoutAnOpenLogTheLineStillReachesStderr)
{
    EXPECT_EXIT(
        {
            EnableSEHandler();
            raise(SIGBUS);
        },
        testing::KilledBySignal(SIGBUS), "ERROR Tracewell CrashHandler: Fatal signal 7 \\(SIGBUS\\)");
}

TEST(CrashHandler, DisableRestoresTheHandlersThatWereThereBefore)
{
    struct sigaction original{};
    sigaction(SIGFPE, nullptr, &original);
    struct sigaction custom{};
    custom.sa_handler = [](int) {};
    sigaction(SIGFPE, &custom, nullptr);

    EnableSEHandler();
    EnableSEHandler(); // a second call must not take our own handler for the earlier one
    struct sigaction during{};
    sigaction(SIGFPE, nullptr, &during);
    EXPECT_TRUE(during.sa_flags & SA_SIGINFO);
    DisableSEHandler();

    struct sigaction after{};
    sigaction(SIGFPE, nullptr, &after);
    EXPECT_EQ(after.sa_handler, custom.sa_handler);
    sigaction(SIGFPE, &original, nullptr);
}

// The allocation-failure handler under a real allocation failure: a child
// process lowers its address-space limit, fills the history and asks for
// more than is left.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <new>

#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "app/HistoryLock.h"
#include "operations/OptGuids.h"

using AppTest::LogWatch;

namespace {

constexpr std::size_t kEntryBytes = 40u << 20;  // one 40 MiB snapshot
constexpr std::size_t kLargeRequest = 300u << 20;

std::size_t AddressSpaceInUse()
{
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    statm >> pages;
    return pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

void AppendSnapshot()
{
    auto* operation = new OperationManage::Operation;
    operation->m_Kind = OPTGUID_FLIP;
    auto* data = new ImageData;
    data->m_Pixels.assign(kEntryBytes, 0x5A);
    operation->m_pData = data;
    HistoryLockGuard lock(HistoryMutex());
    theApp.m_OptHistory.Append(*operation);
}

// Runs in the child: 0 when the handler behaved, another code naming the fault.
int ChildBody()
{
    for (int i = 0; i < 8; ++i) AppendSnapshot();
    const rlimit limit{AddressSpaceInUse() + (120u << 20), RLIM_INFINITY};
    if (setrlimit(RLIMIT_AS, &limit) != 0) return 10;
    try {
        std::vector<unsigned char> large(kLargeRequest, 1);  // fits only after history is given up
        if (large[kLargeRequest - 1] != 1) return 11;
    } catch (const std::bad_alloc&) {
        return 12;
    }
    if (theApp.m_OptHistory.size() >= 8) return 13;
    try {
        std::vector<unsigned char> impossible(std::size_t{8} << 30);
        return 14;
    } catch (const std::bad_alloc&) {
    }
    return theApp.m_OptHistory.size() == 1 ? 0 : 15;
}

} // namespace

TEST(NewHandler, GivesUpHistoryUnderARealAllocationFailure)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "sanitizers reserve their own address space and allocator";
#endif
    LogWatch log;
    std::fflush(nullptr);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(ChildBody());
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(log.Contains("INFO CorvaneLoader New_Handler: Failed to allocate 314572800 bytes! History was reduced."));
    EXPECT_TRUE(log.Contains("INFO CorvaneLoader New_Handler: Failed to allocate 8589934592 bytes! History was reduced."));
    EXPECT_TRUE(log.Contains("INFO CorvaneLoader New_Handler: Failed to allocate 8589934592 bytes! History can't be reduced!"));
}

TEST(NewHandler, ReduceHistoryStopsAtTheCurrentEntryAndAtFullSnapshots)
{
    {
        HistoryLockGuard lock(HistoryMutex());
        theApp.m_OptHistory.clear();
    }
    EXPECT_FALSE(ReduceHistory());
    auto add = [](bool pixels) {
        auto* operation = new OperationManage::Operation;
        auto* data = new ImageData;
        if (pixels) data->m_Pixels.assign(4, 1);
        operation->m_pData = data;
        theApp.m_OptHistory.Append(*operation);
    };
    add(true);
    add(false);  // unchanged since the previous entry
    add(true);
    add(true);
    ASSERT_TRUE(ReduceHistory());  // the oldest and the one without pixels go
    EXPECT_EQ(theApp.m_OptHistory.size(), 2u);
    ASSERT_TRUE(ReduceHistory());
    EXPECT_FALSE(ReduceHistory());  // only the current entry is left
    EXPECT_EQ(theApp.m_OptHistory.size(), 1u);
    theApp.m_OptHistory.clear();
}

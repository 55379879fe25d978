// The history under memory pressure: the program's new-handler trims the
// history (RemoveFirstOnly) from inside whatever allocation failed, which can
// be an allocation of the history itself. This program replaces the global
// allocation functions so a test can make the next allocation fail once.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "RecordCounter.h"
#include "Recallo/Operations.h"

namespace {

// Allocations of at least this many bytes fail once on this thread (0: off).
thread_local std::size_t t_failFrom = 0;

void* Allocate(std::size_t size)
{
    if (size == 0) size = 1;
    for (;;) {
        void* p = nullptr;
        if (t_failFrom != 0 && size >= t_failFrom) t_failFrom = 0; // fail this one
        else p = std::malloc(size);
        if (p) return p;
        const std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}

OperationManage::Operations* g_history = nullptr;
int g_handlerCalls = 0;

void TrimHistoryHandler()
{
    ++g_handlerCalls;
    if (!g_history || !g_history->RemoveFirstOnly()) throw std::bad_alloc();
}

} // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

TEST(OperationsUnderMemoryPressure, AppendSurvivesTrimmingInsideItsOwnAllocation)
{
    RecordCounter::Reset();
    OperationManage::Operations history;
    std::vector<OperationManage::Operation*> entries;
    // Fill until the next Append must grow the history's storage: from then
    // on one Append allocates a block of pointers (at least 8 of them).
    for (int i = 0; i < 8; ++i) {
        entries.push_back(MakeOperation());
        history.Append(*entries.back());
    }
    OperationManage::Operation* fresh = MakeOperation();

    g_history = &history;
    g_handlerCalls = 0;
    const std::new_handler previous = std::set_new_handler(&TrimHistoryHandler);
    t_failFrom = 8 * sizeof(void*) + 1;
    const std::size_t index = history.Append(*fresh);
    t_failFrom = 0;
    std::set_new_handler(previous);
    g_history = nullptr;

    EXPECT_EQ(g_handlerCalls, 1);
    // The oldest entry was trimmed during the Append, and the result is
    // exactly what a trim followed by the Append gives.
    EXPECT_EQ(history.size(), 8u);
    EXPECT_EQ(index, 7u);
    EXPECT_EQ(history.Current(), fresh);
    EXPECT_EQ(history.Get(0), entries[1]);
    EXPECT_EQ(history.Get(6), entries[7]);
    EXPECT_EQ(RecordCounter::ParamsDestroyed(), 1);
    history.clear();
    EXPECT_EQ(RecordCounter::Alive(), 0);
}

TEST(OperationsUnderMemoryPressure, FailedAppendChangesNothingAndLeavesOwnershipWithTheCaller)
{
    RecordCounter::Reset();
    OperationManage::Operations history;
    for (int i = 0; i < 8; ++i) history.Append(*MakeOperation());
    history.Previous();
    OperationManage::Operation* fresh = MakeOperation();
    t_failFrom = 8 * sizeof(void*) + 1; // no handler installed: the allocation just fails
    EXPECT_THROW(history.Append(*fresh), std::bad_alloc);
    t_failFrom = 0;
    EXPECT_EQ(history.size(), 8u);
    EXPECT_EQ(history.CurrentIndex(), 6u);
    EXPECT_TRUE(history.Next()); // the redo entry is still there
    EXPECT_EQ(RecordCounter::ParamsDestroyed(), 0);
    delete fresh; // still the caller's
}

// The history container: cursor movement, what Append does to the entries
// past the cursor, trimming, and the ownership of entries and records.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "RecordCounter.h"
#include "Recallo/Operations.h"

using OperationManage::Operation;
using OperationManage::Operations;

namespace {

class OperationsTest : public testing::Test {
protected:
    void SetUp() override { RecordCounter::Reset(); }

    // Appends `count` entries, each with both records; returns them oldest first.
    std::vector<Operation*> Fill(Operations& history, int count)
    {
        std::vector<Operation*> entries;
        for (int i = 0; i < count; ++i) {
            Operation* op = MakeOperation();
            const std::size_t index = history.Append(*op);
            EXPECT_EQ(index, history.size() - 1);
            entries.push_back(op);
        }
        return entries;
    }
};

} // namespace

TEST_F(OperationsTest, EmptyHistory)
{
    Operations history;
    EXPECT_EQ(history.size(), 0u);
    EXPECT_TRUE(history.empty());
    EXPECT_EQ(history.Current(), nullptr);
    EXPECT_EQ(history.Get(0), nullptr);
    EXPECT_EQ(history.CurrentIndex(), 0u);
    EXPECT_TRUE(history.IsAtFirst());
    EXPECT_TRUE(history.IsAtLast());
    EXPECT_FALSE(history.Previous());
    EXPECT_FALSE(history.Next());
    EXPECT_FALSE(history.RemoveFirstOnly());
}

TEST_F(OperationsTest, AppendMakesTheNewEntryCurrentAndLast)
{
    Operations history;
    const auto entries = Fill(history, 3);
    EXPECT_EQ(history.size(), 3u);
    EXPECT_EQ(history.Current(), entries[2]);
    EXPECT_EQ(history.CurrentIndex(), 2u);
    EXPECT_TRUE(history.IsAtLast());
    EXPECT_FALSE(history.IsAtFirst());
    for (size_t i = 0; i < entries.size(); ++i) EXPECT_EQ(history.Get(i), entries[i]);
    EXPECT_EQ(history.Get(3), nullptr);
}

TEST_F(OperationsTest, PreviousAndNextStopAtTheEndsAndKeepTheCursor)
{
    Operations history;
    const auto entries = Fill(history, 3);
    EXPECT_FALSE(history.Next()); // already at the last
    EXPECT_EQ(history.CurrentIndex(), 2u);
    EXPECT_TRUE(history.Previous());
    EXPECT_TRUE(history.Previous());
    EXPECT_TRUE(history.IsAtFirst());
    EXPECT_FALSE(history.IsAtLast());
    EXPECT_EQ(history.Current(), entries[0]);
    EXPECT_FALSE(history.Previous()); // already at the first
    EXPECT_EQ(history.CurrentIndex(), 0u);
    EXPECT_TRUE(history.Next());
    EXPECT_EQ(history.Current(), entries[1]);
    EXPECT_FALSE(history.IsAtFirst());
    EXPECT_FALSE(history.IsAtLast());
}

TEST_F(OperationsTest, SingleEntryIsBothFirstAndLast)
{
    Operations history;
    Fill(history, 1);
    EXPECT_TRUE(history.IsAtFirst());
    EXPECT_TRUE(history.IsAtLast());
    EXPECT_FALSE(history.Previous());
    EXPECT_FALSE(history.Next());
}

TEST_F(OperationsTest, AppendAfterUndoDiscardsTheRedoEntries)
{
    Operations history;
    const auto entries = Fill(history, 4);
    ASSERT_TRUE(history.Previous());
    ASSERT_TRUE(history.Previous()); // cursor on entry 1
    Operation* fresh = MakeOperation();
    EXPECT_EQ(history.Append(*fresh), 2u);
    EXPECT_EQ(history.size(), 3u);
    EXPECT_EQ(history.Current(), fresh);
    EXPECT_TRUE(history.IsAtLast());
    EXPECT_FALSE(history.Next()); // Redo is gone
    EXPECT_EQ(history.Get(0), entries[0]);
    EXPECT_EQ(history.Get(1), entries[1]);
    // The two discarded entries were destroyed with both their records.
    EXPECT_EQ(RecordCounter::ParamsDestroyed(), 2);
    EXPECT_EQ(RecordCounter::DataDestroyed(), 2);
}

TEST_F(OperationsTest, AppendAtTheFirstEntryKeepsOnlyIt)
{
    Operations history;
    const auto entries = Fill(history, 3);
    history.Previous();
    history.Previous();
    Operation* fresh = MakeOperation();
    EXPECT_EQ(history.Append(*fresh), 1u);
    EXPECT_EQ(history.size(), 2u);
    EXPECT_EQ(history.Get(0), entries[0]);
    EXPECT_EQ(RecordCounter::ParamsDestroyed(), 2);
}

TEST_F(OperationsTest, RemoveFirstOnlyNeverRemovesTheCurrentEntry)
{
    Operations history;
    const auto entries = Fill(history, 3);
    history.Previous(); // cursor on entry 1
    EXPECT_TRUE(history.RemoveFirstOnly());
    EXPECT_EQ(history.size(), 2u);
    EXPECT_EQ(history.Current(), entries[1]); // still current
    EXPECT_EQ(history.CurrentIndex(), 0u);
    EXPECT_TRUE(history.IsAtFirst());
    EXPECT_EQ(RecordCounter::ParamsDestroyed(), 1);
    EXPECT_FALSE(history.RemoveFirstOnly()); // the oldest is now the current one
    EXPECT_EQ(history.size(), 2u);
    EXPECT_EQ(history.Get(1), entries[2]); // the redo entry survives trimming
    EXPECT_TRUE(history.Next());
    EXPECT_TRUE(history.RemoveFirstOnly());
    EXPECT_EQ(history.size(), 1u);
    EXPECT_EQ(history.Current(), entries[2]);
    EXPECT_EQ(RecordCounter::ParamsDestroyed(), 2);
}

TEST_F(OperationsTest, ClearDestroysEveryEntryAndResetsTheCursor)
{
    Operations history;
    Fill(history, 5);
    history.Previous();
    history.clear();
    EXPECT_EQ(history.size(), 0u);
    EXPECT_EQ(history.CurrentIndex(), 0u);
    EXPECT_EQ(history.Current(), nullptr);
    EXPECT_TRUE(history.IsAtFirst());
    EXPECT_TRUE(history.IsAtLast());
    EXPECT_EQ(RecordCounter::ParamsDestroyed(), 5);
    EXPECT_EQ(RecordCounter::DataDestroyed(), 5);
    Fill(history, 1); // usable again
    EXPECT_EQ(history.CurrentIndex(), 0u);
}

TEST_F(OperationsTest, DestroyingTheHistoryFreesEveryRecord)
{
    {
        Operations history;
        Fill(history, 20);
        history.Previous();
        history.Previous();
    }
    EXPECT_EQ(RecordCounter::ParamsDestroyed(), 20);
    EXPECT_EQ(RecordCounter::DataDestroyed(), 20);
    EXPECT_EQ(RecordCounter::Alive(), 0);
}

TEST_F(OperationsTest, ManyEntriesKeepTheirOrder)
{
    Operations history;
    const auto entries = Fill(history, 100); // grows its storage several times
    for (size_t i = 0; i < entries.size(); ++i) ASSERT_EQ(history.Get(i), entries[i]);
    for (int i = 0; i < 60; ++i) ASSERT_TRUE(history.RemoveFirstOnly());
    EXPECT_EQ(history.Get(0), entries[60]);
    EXPECT_EQ(history.Current(), entries[99]);
    EXPECT_EQ(history.CurrentIndex(), 39u);
}

TEST_F(OperationsTest, TrimmingFromAnotherThreadKeepsTheHistorySound)
{
    // The allocation-failure handler trims the history from whatever thread
    // fails an allocation, while the user-interface thread appends and moves.
    Operations history;
    Fill(history, 1);
    std::atomic<bool> stop{false};
    std::thread trimmer([&] {
        while (!stop) history.RemoveFirstOnly();
    });
    int appended = 1;
    for (int i = 0; i < 2000; ++i) {
        history.Append(*MakeOperation());
        ++appended;
        if (i % 3 == 0) history.Previous();
        if (i % 7 == 0) history.Next();
        ASSERT_NE(history.Current(), nullptr);
    }
    stop = true;
    trimmer.join();
    const int kept = static_cast<int>(history.size());
    EXPECT_GE(kept, 1);
    EXPECT_EQ(RecordCounter::Alive(), 2 * kept); // every other entry was destroyed
    EXPECT_EQ(RecordCounter::ParamsDestroyed(), appended - kept);
}

// The history's memory budget: spot clicks past it give up the oldest steps
// as memory pressure would, and the budget comes from the environment or
// from the machine's memory.
#include <algorithm>

#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "app/HistoryBudget.h"
#include "operations/OptGuids.h"
#include "operations/OptParam_SpotRemoval.h"
#include "platform/SystemMemory.h"
#include "support/ScopedEnv.h"
#include "support/TempFolder.h"

using AppTest::LogWatch;
using App = CCorvaneLoaderApp;

namespace {

class HistoryBudgetFixture : public AppTest::AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        const std::wstring folder = m_scratch.WideFolder();
        ASSERT_TRUE(AppTest::WriteTestPicture(folder + L"photo.png", kWidth, kHeight));
        Open(folder + L"photo.png");
    }
    void TearDown() override
    {
        HistoryBudget::Set(0);
        AppFixture::TearDown();
    }

    void ClickSpot(int x, int y)
    {
        auto* spot = new OptParam_SpotRemoval;
        spot->m_nX = x;
        spot->m_nY = y;
        RunThreaded(OPTGUID_SPOTREMOVAL, spot, L"Spot Removal");
    }

    CorvaneTest::TempFolder m_scratch;
    static constexpr int kWidth = 64, kHeight = 48;
    static constexpr std::size_t kSnapshotBytes = kWidth * 3 * kHeight;  // rows of 192 bytes need no padding
};

} // namespace

TEST_F(HistoryBudgetFixture, ClicksPastTheBudgetGiveUpTheOldestStepsAsMemoryPressureWould)
{
    HistoryBudget::Set(5 * kSnapshotBytes);
    LogWatch log;
    std::size_t mostKept = 0;
    for (int click = 0; click < 20; ++click) {
        ClickSpot(5 + 3 * click, 20);
        mostKept = std::max(mostKept, HistoryBudget::KeptBytes());
    }
    EXPECT_LE(mostKept, HistoryBudget::Get());
    EXPECT_EQ(theApp.m_OptHistory.size(), 5u);
    EXPECT_EQ(theApp.m_OptHistory.Current()->m_strName, L"Spot Removal");
    EXPECT_TRUE(log.Contains("INFO CorvaneLoader New_Handler: Failed to allocate 9216 bytes! History was reduced."));
    EXPECT_FALSE(log.Contains("History can't be reduced!"));
    // The four kept steps can still be undone, and the picture shown follows.
    const BYTE* shown = window.shown;
    for (int step = 0; step < 4; ++step) EXPECT_TRUE(theApp.GotoHistory(App::GOTOHISTORY_PREVIOUS));
    EXPECT_TRUE(theApp.m_OptHistory.IsAtFirst());
    EXPECT_NE(window.shown, shown);

    // Steps past the cursor do not count: they go when the next click is recorded.
    ClickSpot(30, 30);
    EXPECT_EQ(theApp.m_OptHistory.size(), 2u);

    // A budget smaller than one photo still keeps the photo on screen and one step.
    HistoryBudget::Set(100);
    ClickSpot(40, 10);
    ClickSpot(45, 10);
    EXPECT_EQ(theApp.m_OptHistory.size(), 2u);
    EXPECT_TRUE(theApp.GotoHistory(App::GOTOHISTORY_PREVIOUS));
    EXPECT_TRUE(theApp.m_OptHistory.IsAtFirst());
}

TEST(HistoryBudget, IsAQuarterOfPhysicalMemoryUnlessTheEnvironmentSaysOtherwise)
{
    {
        CorvaneTest::ScopedEnv unset(HistoryBudget::kEnvironmentVariable, nullptr);
        EXPECT_EQ(HistoryBudget::DefaultBytes(), GetPhysicalMemoryBytes() / 4);
    }
    {
        CorvaneTest::ScopedEnv megabytes(HistoryBudget::kEnvironmentVariable, "300");
        EXPECT_EQ(HistoryBudget::DefaultBytes(), std::size_t{300} << 20);
        HistoryBudget::Set(0);
        EXPECT_EQ(HistoryBudget::Get(), std::size_t{300} << 20);
    }
    for (const char* wrong : {"0", "-5", "12abc", "lots"}) {
        CorvaneTest::ScopedEnv invalid(HistoryBudget::kEnvironmentVariable, wrong);
        LogWatch log;
        EXPECT_EQ(HistoryBudget::DefaultBytes(), GetPhysicalMemoryBytes() / 4) << wrong;
        EXPECT_TRUE(log.Contains(std::string("WARNING CorvaneLoader HistoryBudget::DefaultBytes: Ignoring "
                                             "CORVANE_HISTORY_BUDGET_MB='") + wrong))
            << wrong;
    }
    HistoryBudget::Set(0);
}

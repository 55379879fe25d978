// Events, critical sections and tick counts: the hand-shake primitives the
// tools' threads rely on.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/CriticalSection.h"
#include "platform/Event.h"
#include "platform/SingleLock.h"
#include "platform/TickCount.h"

TEST(Event, ManualResetStaysSignalledUntilReset)
{
    CEvent ev(CEvent::ResetMode::Manual);
    EXPECT_EQ(ev.Wait(0), WAIT_TIMEOUT);
    ev.Set();
    EXPECT_EQ(ev.Wait(0), WAIT_OBJECT_0);
    EXPECT_EQ(ev.Wait(0), WAIT_OBJECT_0);
    EXPECT_TRUE(ev.IsSignalled());
    ev.Reset();
    EXPECT_EQ(ev.Wait(0), WAIT_TIMEOUT);
}

TEST(Event, AutomaticResetReleasesOneWaitOnly)
{
    CEvent ev(CEvent::ResetMode::Automatic);
    ev.Set();
    ev.Set(); // a second Set before anyone waited does not count twice
    EXPECT_EQ(ev.Wait(0), WAIT_OBJECT_0);
    EXPECT_EQ(ev.Wait(0), WAIT_TIMEOUT);
    EXPECT_FALSE(ev.IsSignalled());
}

TEST(Event, InitialStateAndReset)
{
    CEvent on(CEvent::ResetMode::Automatic, CEvent::InitialState::Signalled);
    EXPECT_EQ(on.Wait(0), WAIT_OBJECT_0);
    CEvent manualOn(CEvent::ResetMode::Manual, CEvent::InitialState::Signalled);
    manualOn.Reset();
    EXPECT_EQ(manualOn.Wait(0), WAIT_TIMEOUT);
}

TEST(Event, WaitTimesOutAfterAboutTheGivenTime)
{
    CEvent ev(CEvent::ResetMode::Manual);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ev.Wait(30), WAIT_TIMEOUT);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(30));
}

TEST(Event, InfiniteWaitEndsWhenAnotherThreadSets)
{
    CEvent ready(CEvent::ResetMode::Automatic);
    CEvent go(CEvent::ResetMode::Automatic);
    std::atomic<bool> woke{false};
    std::thread waiter([&] {
        ready.Set();
        EXPECT_EQ(go.Wait(INFINITE), WAIT_OBJECT_0);
        woke = true;
    });
    ASSERT_EQ(ready.Wait(INFINITE), WAIT_OBJECT_0);
    go.Set();
    waiter.join();
    EXPECT_TRUE(woke);
    EXPECT_FALSE(go.IsSignalled()); // consumed by the waiter
}

TEST(Event, ManualResetReleasesEveryWaiterAndAutomaticJustOne)
{
    constexpr int kWaiters = 4;
    for (const auto mode : {CEvent::ResetMode::Manual, CEvent::ResetMode::Automatic}) {
        CEvent ev(mode);
        std::atomic<int> released{0};
        std::vector<std::thread> threads;
        for (int i = 0; i < kWaiters; ++i)
            threads.emplace_back([&] {
                if (ev.Wait(2000) == WAIT_OBJECT_0) ++released;
            });
        ev.Set();
        if (mode == CEvent::ResetMode::Automatic) {
            // Let the others go one by one, each with its own Set.
            for (int i = 1; i < kWaiters; ++i) {
                while (released < i) std::this_thread::yield();
                ev.Set();
            }
        }
        for (auto& t : threads) t.join();
        EXPECT_EQ(released, kWaiters);
        EXPECT_EQ(ev.IsSignalled(), mode == CEvent::ResetMode::Manual);
    }
}

TEST(Event, WaitAnyTakesTheFirstSignalledInListOrder)
{
    CEvent stop(CEvent::ResetMode::Manual), begin(CEvent::ResetMode::Automatic);
    EXPECT_EQ(CEvent::WaitAny({&stop, &begin}, 0), WAIT_TIMEOUT);
    begin.Set();
    EXPECT_EQ(CEvent::WaitAny({&stop, nullptr, &begin}, 0), WAIT_OBJECT_0 + 2);
    EXPECT_FALSE(begin.IsSignalled());  // an automatic event is consumed
    begin.Set();
    stop.Set();
    EXPECT_EQ(CEvent::WaitAny({&stop, &begin}, 0), WAIT_OBJECT_0);  // the earlier one wins
    EXPECT_TRUE(stop.IsSignalled());    // a manual one stays set
    EXPECT_TRUE(begin.IsSignalled());   // and the one not taken is left alone
    const auto start = std::chrono::steady_clock::now();
    stop.Reset();
    begin.Reset();
    EXPECT_EQ(CEvent::WaitAny({&stop, &begin}, 30), WAIT_TIMEOUT);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
}

TEST(Event, WaitAnySleepsUntilAnotherThreadSetsOneAndDeregisters)
{
    for (int which = 0; which < 2; ++which) {
        CEvent first(CEvent::ResetMode::Automatic), second(CEvent::ResetMode::Manual);
        CEvent waiting(CEvent::ResetMode::Manual);
        DWORD result = WAIT_TIMEOUT;
        std::thread waiter([&] {
            waiting.Set();
            result = CEvent::WaitAny({&first, &second}, INFINITE);
        });
        waiting.Wait(INFINITE);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        (which ? second : first).Set();
        waiter.join();
        EXPECT_EQ(result, WAIT_OBJECT_0 + which);
    }
    // Setting events after a WaitAny returned must not touch its finished waiter.
    CEvent a(CEvent::ResetMode::Automatic), b(CEvent::ResetMode::Automatic);
    a.Set();
    EXPECT_EQ(CEvent::WaitAny({&a, &b}, INFINITE), WAIT_OBJECT_0);
    b.Set();
    a.Set();
    EXPECT_EQ(b.Wait(0), WAIT_OBJECT_0);
}

TEST(CriticalSection, IsReentrantAndExcludesOtherThreads)
{
    CCriticalSection cs;
    cs.Lock();
    cs.Lock(); // the owner may enter again
    std::atomic<bool> otherGotIn{false};
    std::thread other([&] { otherGotIn = cs.TryLock(); });
    other.join();
    EXPECT_FALSE(otherGotIn);
    cs.Unlock();
    cs.Unlock();
    std::thread later([&] {
        otherGotIn = cs.TryLock();
        if (otherGotIn) cs.Unlock();
    });
    later.join();
    EXPECT_TRUE(otherGotIn);
}

TEST(CriticalSection, SingleLockCountsCorrectlyUnderContention)
{
    CCriticalSection cs;
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 10000; ++i) {
                CSingleLock lock(cs);
                ++counter;
            }
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(counter, 40000);
}

TEST(CriticalSection, SingleLockUnlocksEarlyAndOnlyOnce)
{
    CCriticalSection cs;
    {
        CSingleLock lock(cs, CSingleLock::InitialLock::No);
        EXPECT_FALSE(lock.IsLocked());
        lock.Lock();
        lock.Lock(); // already held: no second entry
        EXPECT_TRUE(lock.IsLocked());
        lock.Unlock();
        EXPECT_FALSE(lock.IsLocked());
        lock.Unlock();
    }
    std::atomic<bool> free{false};
    std::thread other([&] {
        free = cs.TryLock();
        if (free) cs.Unlock();
    });
    other.join();
    EXPECT_TRUE(free);
}

TEST(TickCount, FollowsTheSteadyClock)
{
    const ULONGLONG start64 = GetTickCount64();
    const DWORD start = GetTickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
    const DWORD elapsed = GetTickCount() - start; // DWORD arithmetic, as callers do
    EXPECT_GE(elapsed, 25u);
    EXPECT_LT(elapsed, 5000u);
    EXPECT_GE(GetTickCount64() - start64, 25u);
    // The 32-bit count is the low half of the 64-bit one.
    const ULONGLONG wide = GetTickCount64();
    const DWORD narrow = GetTickCount();
    EXPECT_LE(static_cast<DWORD>(narrow - static_cast<DWORD>(wide)), 1000u);
}

#pragma once
// An event object for hand-shakes between threads, with the behaviour of a
// Win32 event: a manual-reset event stays signalled until Reset and releases
// every waiter; an automatic-reset event releases one waiter and returns to
// not signalled as that waiter leaves Wait. WaitAny waits for the first of
// several events, as WaitForMultipleObjects does without "wait all".

#include <condition_variable>
#include <initializer_list>
#include <mutex>
#include <vector>

#include "platform/WinTypes.h"

#ifdef _WIN32
#include <windows.h>
#else
/// Time-out value that makes Wait block until the event is signalled.
constexpr DWORD INFINITE = 0xFFFFFFFF;
/// Result of Wait: the event was signalled.
constexpr DWORD WAIT_OBJECT_0 = 0;
/// Result of Wait: the time-out passed without the event being signalled.
constexpr DWORD WAIT_TIMEOUT = 258;
#endif

class CEvent {
public:
    enum class ResetMode { Manual, Automatic };
    enum class InitialState { NotSignalled, Signalled };

    /// An event with the given reset behaviour and initial state.
    explicit CEvent(ResetMode mode = ResetMode::Automatic, InitialState initial = InitialState::NotSignalled);
    CEvent(const CEvent&) = delete;
    CEvent& operator=(const CEvent&) = delete;

    /// Signals the event: a manual-reset event releases every waiter and
    /// stays signalled; an automatic-reset event releases one waiter (or the
    /// next one to come). Any thread.
    void Set();

    /// Returns the event to not signalled. Any thread.
    void Reset();

    /// Waits up to `milliseconds` (INFINITE: no limit; 0: just test) for the
    /// event. Returns WAIT_OBJECT_0 when it was signalled (an automatic-reset
    /// event is then reset) or WAIT_TIMEOUT. Any thread.
    DWORD Wait(DWORD milliseconds);

    /// True while the event is signalled; does not reset it. Any thread.
    bool IsSignalled() const;

    /// Waits up to `milliseconds` (INFINITE: no limit; 0: just test) until
    /// one of `events` is signalled. Returns WAIT_OBJECT_0 + i for the first
    /// signalled event in list order (an automatic-reset one is then reset;
    /// the others are left as they are) or WAIT_TIMEOUT. The waiting thread
    /// sleeps until an event is set; no polling. Null entries never signal.
    /// Any thread.
    static DWORD WaitAny(std::initializer_list<CEvent*> events, DWORD milliseconds);

private:
    // A thread inside WaitAny: woken by Set of any event it is registered with.
    struct Waiter {
        std::mutex mutex;
        std::condition_variable wake;
        bool woken{false};  // guarded by mutex
    };

    bool TryConsume();          // takes the signal if set (and resets an automatic event)
    void Register(Waiter& waiter);
    void Unregister(Waiter& waiter);

    const ResetMode m_mode;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_signalled{false};          // guarded by m_mutex
    std::vector<Waiter*> m_vWaiters;  // guarded by m_mutex; WaitAny callers, not owned
};

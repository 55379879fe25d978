#include "platform/Event.h"

#include <algorithm>
#include <chrono>

CEvent::CEvent(ResetMode mode, InitialState initial)
    : m_mode(mode), m_signalled(initial == InitialState::Signalled)
{
}

void CEvent::Set()
{
    std::lock_guard lock(m_mutex);
    m_signalled = true;
    // Waiters of WaitAny are told while the event's lock is held, so none can
    // unregister and vanish between being found here and being woken.
    for (Waiter* waiter : m_vWaiters) {
        std::lock_guard wakeLock(waiter->mutex);
        waiter->woken = true;
        waiter->wake.notify_one();
    }
    if (m_mode == ResetMode::Manual) m_changed.notify_all();
    else m_changed.notify_one();
}

void CEvent::Reset()
{
    std::lock_guard lock(m_mutex);
    m_signalled = false;
}

DWORD CEvent::Wait(DWORD milliseconds)
{
    std::unique_lock lock(m_mutex);
    const auto isSignalled = [this] { return m_signalled; };
    if (milliseconds == INFINITE) {
        m_changed.wait(lock, isSignalled);
    } else {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        if (!m_changed.wait_until(lock, deadline, isSignalled)) return WAIT_TIMEOUT;
    }
    if (m_mode == ResetMode::Automatic) m_signalled = false;
    return WAIT_OBJECT_0;
}

bool CEvent::IsSignalled() const
{
    std::lock_guard lock(m_mutex);
    return m_signalled;
}

bool CEvent::TryConsume()
{
    std::lock_guard lock(m_mutex);
    if (!m_signalled) return false;
    if (m_mode == ResetMode::Automatic) m_signalled = false;
    return true;
}

void CEvent::Register(Waiter& waiter)
{
    std::lock_guard lock(m_mutex);
    m_vWaiters.push_back(&waiter);
}

void CEvent::Unregister(Waiter& waiter)
{
    std::lock_guard lock(m_mutex);
    m_vWaiters.erase(std::remove(m_vWaiters.begin(), m_vWaiters.end(), &waiter), m_vWaiters.end());
}

DWORD CEvent::WaitAny(std::initializer_list<CEvent*> events, DWORD milliseconds)
{
    const auto firstSignalled = [&events]() -> DWORD {
        DWORD index = 0;
        for (CEvent* event : events) {
            if (event && event->TryConsume()) return WAIT_OBJECT_0 + index;
            ++index;
        }
        return WAIT_TIMEOUT;
    };
    // Registered before the first test: a Set after the test still wakes us.
    Waiter waiter;
    for (CEvent* event : events)
        if (event) event->Register(waiter);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    DWORD result = firstSignalled();
    while (result == WAIT_TIMEOUT) {
        std::unique_lock lock(waiter.mutex);
        if (milliseconds == INFINITE) {
            waiter.wake.wait(lock, [&] { return waiter.woken; });
        } else if (!waiter.wake.wait_until(lock, deadline, [&] { return waiter.woken; })) {
            break;
        }
        waiter.woken = false;
        lock.unlock();
        result = firstSignalled();
    }
    if (result == WAIT_TIMEOUT) result = firstSignalled();  // a Set that raced the time-out still counts
    for (CEvent* event : events)
        if (event) event->Unregister(waiter);
    return result;
}

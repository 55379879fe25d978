#include "platform/Event.h"

#include <chrono>

CEvent::CEvent(ResetMode mode, InitialState initial)
    : m_mode(mode), m_signalled(initial == InitialState::Signalled)
{
}

void CEvent::Set()
{
    {
        std::lock_guard lock(m_mutex);
        m_signalled = true;
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

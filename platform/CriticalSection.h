#pragma once
// A critical section with the behaviour of a Win32 one: the owning thread may
// enter it again (each Lock needs its Unlock). It also meets the C++
// "Lockable" requirements, so std::lock_guard and std::unique_lock work on it.

#include <mutex>

class CCriticalSection {
public:
    CCriticalSection() = default;
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    /// Enters the section, waiting while another thread is inside. Any thread.
    void Lock() { m_mutex.lock(); }
    /// Enters the section only if that needs no waiting; true when entered.
    bool TryLock() { return m_mutex.try_lock(); }
    /// Leaves the section; the calling thread must be inside it.
    void Unlock() { m_mutex.unlock(); }

    /// Lock, TryLock and Unlock under the names std::lock_guard and
    /// std::unique_lock call.
    void lock() { Lock(); }
    bool try_lock() { return TryLock(); }
    void unlock() { Unlock(); }

private:
    std::recursive_mutex m_mutex;
};

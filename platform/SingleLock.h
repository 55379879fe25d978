#pragma once
// Scoped ownership of a CCriticalSection: the section is left when the lock
// object goes out of scope, whatever way the scope ends.

#include "platform/CriticalSection.h"

class CSingleLock {
public:
    enum class InitialLock { No, Yes };

    /// Binds the lock to `section` (not owned; must outlive the lock) and
    /// enters it at once unless `initial` is InitialLock::No.
    explicit CSingleLock(CCriticalSection& section, InitialLock initial = InitialLock::Yes);
    /// Leaves the section when this object holds it.
    ~CSingleLock();
    CSingleLock(const CSingleLock&) = delete;
    CSingleLock& operator=(const CSingleLock&) = delete;

    /// Enters the section unless this object already holds it.
    void Lock();
    /// Leaves the section when this object holds it.
    void Unlock();
    /// True while this object holds the section.
    bool IsLocked() const { return m_locked; }

private:
    CCriticalSection& m_section;
    bool m_locked{false};
};

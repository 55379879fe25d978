#include "platform/SingleLock.h"

CSingleLock::CSingleLock(CCriticalSection& section, InitialLock initial) : m_section(section)
{
    if (initial == InitialLock::Yes) Lock();
}

CSingleLock::~CSingleLock()
{
    Unlock();
}

void CSingleLock::Lock()
{
    if (m_locked) return;
    m_section.Lock();
    m_locked = true;
}

void CSingleLock::Unlock()
{
    if (!m_locked) return;
    m_section.Unlock();
    m_locked = false;
}

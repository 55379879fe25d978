#include "platform/RegistryBatch.h"

#ifndef _WIN32
#include "platform/RegistryKeyTable.h"
#endif

#ifdef _WIN32

CRegistryBatch::CRegistryBatch(HKEY) : m_startResult(ERROR_NOT_SUPPORTED) {}
CRegistryBatch::~CRegistryBatch() = default;
LONG CRegistryBatch::Commit() { return ERROR_SUCCESS; }

#else

CRegistryBatch::CRegistryBatch(HKEY key) : m_startResult(ERROR_INVALID_HANDLE)
{
    const auto entry = CRegistryKeyTable::Instance().Resolve(key);
    if (!entry) return;
    m_startResult = entry->hive->BeginBatch();
    if (m_startResult == ERROR_SUCCESS) m_hive = entry->hive;
}

CRegistryBatch::~CRegistryBatch()
{
    if (m_hive) m_hive->EndBatch(false);
}

LONG CRegistryBatch::Commit()
{
    if (!m_hive) return ERROR_SUCCESS;
    const LONG rc = m_hive->EndBatch(true);
    m_hive.reset();
    return rc;
}

#endif // _WIN32

#include "Recallo/Operations.h"

namespace OperationManage {

std::size_t Operations::Append(Operation& operation)
{
    if (!m_entries.empty())
        m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(m_nCurrent) + 1, m_entries.end());
    m_entries.emplace_back(&operation);
    m_nCurrent = m_entries.size() - 1;
    return m_nCurrent;
}

bool Operations::Previous()
{
    if (m_nCurrent == 0) return false;
    --m_nCurrent;
    return true;
}

bool Operations::Next()
{
    if (IsAtLast()) return false;
    ++m_nCurrent;
    return true;
}

Operation* Operations::Current() const
{
    return m_entries.empty() ? nullptr : m_entries[m_nCurrent].get();
}

Operation* Operations::Get(std::size_t index) const
{
    return index < m_entries.size() ? m_entries[index].get() : nullptr;
}

bool Operations::RemoveFirstOnly()
{
    if (m_entries.empty() || m_nCurrent == 0) return false;
    m_entries.pop_front();
    --m_nCurrent;
    return true;
}

void Operations::clear()
{
    m_entries.clear();
    m_nCurrent = 0;
}

} // namespace OperationManage

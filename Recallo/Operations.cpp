#include "Recallo/Operations.h"

#include <algorithm>
#include <iterator>

namespace OperationManage {

using Lock = std::lock_guard<std::recursive_mutex>;

void Operations::MakeRoomForOne()
{
    if (m_entries.size() < m_entries.capacity()) return;
    // The allocation may run the new-handler, which may remove entries from
    // m_entries on this very thread; so the new storage is filled only after
    // the allocation returned, from whatever entries are left by then.
    std::vector<std::unique_ptr<Operation>> larger;
    larger.reserve(std::max<std::size_t>(8, m_entries.capacity() * 2));
    std::move(m_entries.begin(), m_entries.end(), std::back_inserter(larger));
    m_entries.swap(larger);
}

std::size_t Operations::Append(Operation& operation)
{
    Lock lock(m_mutex);
    MakeRoomForOne();
    if (!m_entries.empty())
        m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(m_nCurrent) + 1, m_entries.end());
    m_entries.emplace_back(&operation); // fits: no allocation, cannot throw
    m_nCurrent = m_entries.size() - 1;
    return m_nCurrent;
}

bool Operations::Previous()
{
    Lock lock(m_mutex);
    if (m_nCurrent == 0) return false;
    --m_nCurrent;
    return true;
}

bool Operations::Next()
{
    Lock lock(m_mutex);
    if (m_entries.empty() || m_nCurrent + 1 == m_entries.size()) return false;
    ++m_nCurrent;
    return true;
}

Operation* Operations::Current() const
{
    Lock lock(m_mutex);
    return m_entries.empty() ? nullptr : m_entries[m_nCurrent].get();
}

unsigned Operations::CurrentIndex() const
{
    Lock lock(m_mutex);
    return static_cast<unsigned>(m_nCurrent);
}

Operation* Operations::Get(std::size_t index) const
{
    Lock lock(m_mutex);
    return index < m_entries.size() ? m_entries[index].get() : nullptr;
}

std::size_t Operations::size() const
{
    Lock lock(m_mutex);
    return m_entries.size();
}

bool Operations::RemoveFirstOnly()
{
    Lock lock(m_mutex);
    if (m_entries.empty() || m_nCurrent == 0) return false;
    m_entries.erase(m_entries.begin());
    --m_nCurrent;
    return true;
}

void Operations::clear()
{
    Lock lock(m_mutex);
    m_entries.clear();
    m_nCurrent = 0;
}

bool Operations::IsAtFirst() const
{
    Lock lock(m_mutex);
    return m_nCurrent == 0;
}

bool Operations::IsAtLast() const
{
    Lock lock(m_mutex);
    return m_entries.empty() || m_nCurrent + 1 == m_entries.size();
}

} // namespace OperationManage

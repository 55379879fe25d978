#include "Wordhoard/DictionaryStore.h"

#include <mutex>

namespace Wordhoard {

DictionaryStore& DictionaryStore::Global()
{
    static DictionaryStore* const store = new DictionaryStore();
    return *store;
}

void DictionaryStore::AddUser()
{
    std::unique_lock lock(m_mutex);
    ++m_users;
}

void DictionaryStore::RemoveUser()
{
    std::unique_lock lock(m_mutex);
    if (m_users > 0 && --m_users > 0) return;
    m_users = 0;
    m_dictionaries.clear();
    m_retired.clear();
}

void DictionaryStore::Install(std::string_view name, std::unique_ptr<Dictionary> dictionary)
{
    std::unique_lock lock(m_mutex);
    auto found = m_dictionaries.find(name);
    if (found == m_dictionaries.end()) {
        m_dictionaries.emplace(std::string(name), std::move(dictionary));
        return;
    }
    m_retired.push_back(std::move(found->second));
    found->second = std::move(dictionary);
}

const wchar_t* DictionaryStore::Find(std::string_view name, std::wstring_view key) const
{
    std::shared_lock lock(m_mutex);
    const auto found = m_dictionaries.find(name);
    if (found == m_dictionaries.end()) return nullptr;
    const std::wstring* text = found->second->Find(key);
    return text ? text->c_str() : nullptr;
}

} // namespace Wordhoard

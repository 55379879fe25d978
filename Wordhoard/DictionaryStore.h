#pragma once
// The loaded dictionaries by name, shared by every thread.
//
// Texts handed out stay valid until the store is emptied: a dictionary that is
// replaced by a reload is kept (retired) rather than freed, because a caller on
// another thread may still be using one of its texts. Initialize/UnInitialize
// calls nest; the store empties when the last user leaves.

#include <map>
#include <memory>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <vector>

#include "Wordhoard/Dictionary.h"

namespace Wordhoard {

class DictionaryStore {
public:
    /// The process-wide store behind LocalizeHelper. Never destroyed, so
    /// texts may be looked up from static destructors.
    static DictionaryStore& Global();

    /// Counts one more user (LocalizeHelper::Initialize). Any thread.
    void AddUser();

    /// Counts one user less; when none is left (or none was counted) every
    /// dictionary, retired ones included, is freed. Any thread.
    void RemoveUser();

    /// Makes `dictionary` the one called `name`, retiring the one it replaces.
    void Install(std::string_view name, std::unique_ptr<Dictionary> dictionary);

    /// The text of `key` in dictionary `name`: a pointer that stays valid until
    /// the store empties, or null when there is no such dictionary or item.
    /// Any thread.
    const wchar_t* Find(std::string_view name, std::wstring_view key) const;

private:
    mutable std::shared_mutex m_mutex;
    std::map<std::string, std::unique_ptr<Dictionary>, std::less<>> m_dictionaries;
    std::vector<std::unique_ptr<Dictionary>> m_retired;
    int m_users{0};
};

} // namespace Wordhoard

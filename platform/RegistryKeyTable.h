#pragma once
// The process-wide state behind the registry functions of Registry.h: one
// hive per root key, opened on first use, and the table of open key handles.
// Any thread; the table's own lock is never held while a hive works.

#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/Registry.h"
#include "platform/RegistryHive.h"

class CRegistryKeyTable {
public:
    /// What a handle stands for.
    struct Entry {
        std::shared_ptr<CRegistryHive> hive;
        CRegistryHive::KeyId key{CRegistryHive::kRootKey};
        REGSAM access{KEY_ALL_ACCESS};
        bool isRoot{false};
    };

    /// The one table of the process. It lives until the process ends; at exit
    /// the hives' database connections are closed (handles stay usable and
    /// re-open them).
    static CRegistryKeyTable& Instance();

    /// The hive, key and rights of `handle` (a root key or an open handle);
    /// nothing for a handle that is not open.
    std::optional<Entry> Resolve(HKEY handle);

    /// A new handle for `key` of `hive` with the rights `access`.
    HKEY Add(const std::shared_ptr<CRegistryHive>& hive, CRegistryHive::KeyId key, REGSAM access);

    /// Forgets `handle`; false when it was not open. Root keys are not in the
    /// table.
    bool Remove(HKEY handle);

    /// Sets the reporter every hive reports to (empty: standard error).
    void SetReporter(RegistryErrorReporter reporter);

    /// Closes all hives and forgets every handle.
    void CloseHives();

    /// Closes the hives' database connections; hives and handles stay.
    void CloseConnections();

private:
    CRegistryKeyTable() = default;
    std::shared_ptr<CRegistryHive> RootHive(HKEY root);
    void ReportProblem(const std::wstring& function, const std::wstring& message);

    std::mutex m_mutex; // guards every member below
    std::map<HKEY, std::shared_ptr<CRegistryHive>> m_roots;
    std::map<HKEY, Entry> m_handles;
    std::uintptr_t m_nextHandle{0x100};
    RegistryErrorReporter m_reporter;
};

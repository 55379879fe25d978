#include "platform/RegistryKeyTable.h"

#include <cstdio>
#include <cstdlib>

#include "platform/SystemFolders.h"
#include "platform/TextConvert.h"

namespace {

struct RootHiveFile {
    HKEY root;
    const wchar_t* fileName;
    bool perUser;
};

const RootHiveFile* FindRoot(HKEY root)
{
    static const RootHiveFile kRoots[] = {
        {HKEY_CURRENT_USER, L"HKEY_CURRENT_USER.sqlite", true},
        {HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE.sqlite", false},
        {HKEY_CLASSES_ROOT, L"HKEY_CLASSES_ROOT.sqlite", false},
        {HKEY_USERS, L"HKEY_USERS.sqlite", false},
        {HKEY_CURRENT_CONFIG, L"HKEY_CURRENT_CONFIG.sqlite", false},
    };
    for (const auto& r : kRoots)
        if (r.root == root) return &r;
    return nullptr;
}

} // namespace

CRegistryKeyTable& CRegistryKeyTable::Instance()
{
    // Never destroyed: static objects (the application object among them) may
    // still use the registry while the process ends.
    static CRegistryKeyTable* table = [] {
        auto* t = new CRegistryKeyTable;
        std::atexit([] { CRegistryKeyTable::Instance().CloseConnections(); });
        return t;
    }();
    return *table;
}

std::shared_ptr<CRegistryHive> CRegistryKeyTable::RootHive(HKEY root)
{
    const RootHiveFile* file = FindRoot(root);
    if (!file) return nullptr;
    auto& hive = m_roots[root];
    if (!hive) {
        const std::wstring folder = file->perUser ? GetConfigFolder() : GetMachineFolder();
        hive = std::make_shared<CRegistryHive>(
            std::filesystem::path(WideToUtf8(folder + file->fileName)),
            [this](const std::wstring& function, const std::wstring& message) { ReportProblem(function, message); });
    }
    return hive;
}

std::optional<CRegistryKeyTable::Entry> CRegistryKeyTable::Resolve(HKEY handle)
{
    std::lock_guard lock(m_mutex);
    if (auto hive = RootHive(handle)) return Entry{hive, CRegistryHive::kRootKey, KEY_ALL_ACCESS, true};
    const auto it = m_handles.find(handle);
    if (it == m_handles.end()) return std::nullopt;
    return it->second;
}

HKEY CRegistryKeyTable::Add(const std::shared_ptr<CRegistryHive>& hive, CRegistryHive::KeyId key, REGSAM access)
{
    std::lock_guard lock(m_mutex);
    const auto handle = reinterpret_cast<HKEY>(m_nextHandle);
    m_nextHandle += 4;
    m_handles[handle] = Entry{hive, key, access, false};
    return handle;
}

bool CRegistryKeyTable::Remove(HKEY handle)
{
    std::lock_guard lock(m_mutex);
    return m_handles.erase(handle) != 0;
}

void CRegistryKeyTable::SetReporter(RegistryErrorReporter reporter)
{
    std::lock_guard lock(m_mutex);
    m_reporter = std::move(reporter);
}

void CRegistryKeyTable::CloseHives()
{
    std::map<HKEY, std::shared_ptr<CRegistryHive>> roots;
    std::map<HKEY, Entry> handles;
    {
        std::lock_guard lock(m_mutex);
        roots.swap(m_roots);
        handles.swap(m_handles);
    }
    // The hives close here, outside the lock; a call still running on another
    // thread keeps its hive alive until it returns.
}

void CRegistryKeyTable::CloseConnections()
{
    std::map<HKEY, std::shared_ptr<CRegistryHive>> roots;
    {
        std::lock_guard lock(m_mutex);
        roots = m_roots;
    }
    for (auto& [root, hive] : roots) hive->Close();
}

void CRegistryKeyTable::ReportProblem(const std::wstring& function, const std::wstring& message)
{
    RegistryErrorReporter reporter;
    {
        std::lock_guard lock(m_mutex);
        reporter = m_reporter;
    }
    if (reporter) reporter(function, message);
    else std::fprintf(stderr, "%s: %s\n", WideToUtf8(function).c_str(), WideToUtf8(message).c_str());
}

#include "platform/RegistryHive.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <new>
#include <optional>
#include <sqlite3.h>
#include <sys/file.h>
#include <system_error>
#include <thread>
#include <unistd.h>

#include <QString>

#include "platform/SqliteStatement.h"
#include "platform/TextConvert.h"

namespace {

using KeyId = CRegistryHive::KeyId;
using Statement = CSqliteStatement;

constexpr int kBusyTimeoutMs = 10000;
constexpr std::int64_t kApplicationId = 0x43524547; // "CREG": marks the file as a hive
constexpr std::int64_t kFormatVersion = 1;
constexpr ULONGLONG kUnixEpochAsFileTime = 116444736000000000ULL;

constexpr const char* kSchema = R"sql(
CREATE TABLE keys(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    parent INTEGER NOT NULL,
    name TEXT NOT NULL,
    folded TEXT NOT NULL,
    modified INTEGER NOT NULL,
    UNIQUE(parent, folded));
CREATE TABLE vals(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    key INTEGER NOT NULL,
    name TEXT NOT NULL,
    folded TEXT NOT NULL,
    type INTEGER NOT NULL,
    data BLOB NOT NULL,
    UNIQUE(key, folded));
)sql";

// Connections of a parent process found in a forked child: closing them there
// could disturb the parent's locks, so they are kept, unused, for good.
std::vector<sqlite3*>& AbandonedConnections()
{
    static auto* connections = new std::vector<sqlite3*>;
    return *connections;
}

ULONGLONG FileTimeNow()
{
    const auto since = std::chrono::system_clock::now().time_since_epoch();
    const auto steps = std::chrono::duration_cast<std::chrono::microseconds>(since).count() * 10;
    return kUnixEpochAsFileTime + static_cast<ULONGLONG>(steps);
}

std::string Utf8(const std::wstring& text) { return WideToUtf8(text); }
std::string Folded(const std::wstring& name) { return WideToUtf8(CRegistryHive::FoldName(name)); }

LONG CheckKeyName(const std::wstring& name)
{
    if (name.empty() || name.find(L'\\') != std::wstring::npos) return ERROR_BAD_PATHNAME;
    if (name.size() > CRegistryHive::kMaxKeyNameLength) return ERROR_INVALID_PARAMETER;
    return ERROR_SUCCESS;
}

LONG CheckKeyPath(const std::vector<std::wstring>& path)
{
    for (const auto& name : path)
        if (LONG rc = CheckKeyName(name); rc != ERROR_SUCCESS) return rc;
    return ERROR_SUCCESS;
}

bool KeyAlive(sqlite3* db, KeyId key)
{
    Statement s(db, "SELECT 1 FROM keys WHERE id = ?1");
    return s.Bind(1, key).Step();
}

std::optional<KeyId> FindChild(sqlite3* db, KeyId parent, const std::wstring& name)
{
    Statement s(db, "SELECT id FROM keys WHERE parent = ?1 AND folded = ?2");
    if (!s.Bind(1, parent).Bind(2, Folded(name)).Step()) return std::nullopt;
    return s.Int(0);
}

bool HasChildren(sqlite3* db, KeyId key)
{
    Statement s(db, "SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1");
    return s.Bind(1, key).Step();
}

void Touch(sqlite3* db, KeyId key)
{
    Statement(db, "UPDATE keys SET modified = ?2 WHERE id = ?1")
        .Bind(1, key)
        .Bind(2, static_cast<std::int64_t>(FileTimeNow()))
        .Run();
}

// Walks `path` down from `parent`; ERROR_KEY_DELETED when `parent` is gone.
LONG Resolve(sqlite3* db, KeyId parent, const std::vector<std::wstring>& path, KeyId& key)
{
    if (!KeyAlive(db, parent)) return ERROR_KEY_DELETED;
    key = parent;
    for (const auto& name : path) {
        const auto child = FindChild(db, key, name);
        if (!child) return ERROR_FILE_NOT_FOUND;
        key = *child;
    }
    return ERROR_SUCCESS;
}

KeyId InsertKey(sqlite3* db, KeyId parent, const std::wstring& name)
{
    Statement(db, "INSERT INTO keys(parent, name, folded, modified) VALUES(?1, ?2, ?3, ?4)")
        .Bind(1, parent)
        .Bind(2, Utf8(name))
        .Bind(3, Folded(name))
        .Bind(4, static_cast<std::int64_t>(FileTimeNow()))
        .Run();
    Touch(db, parent);
    return sqlite3_last_insert_rowid(db);
}

// Removes every key below `key` (not `key` itself) with their values. UNION
// (not UNION ALL) keeps the walk finite even over a damaged parent chain.
void DeleteDescendants(sqlite3* db, KeyId key)
{
    constexpr const char* kTree =
        "WITH RECURSIVE tree(id) AS (SELECT id FROM keys WHERE parent = ?1"
        " UNION SELECT k.id FROM keys k JOIN tree t ON k.parent = t.id) ";
    Statement(db, (std::string(kTree) + "DELETE FROM vals WHERE key IN tree").c_str()).Bind(1, key).Run();
    Statement(db, (std::string(kTree) + "DELETE FROM keys WHERE id IN tree").c_str()).Bind(1, key).Run();
}

void DeleteOwnValues(sqlite3* db, KeyId key)
{
    Statement(db, "DELETE FROM vals WHERE key = ?1").Bind(1, key).Run();
}

void DeleteKeyRow(sqlite3* db, KeyId key)
{
    Statement s(db, "SELECT parent FROM keys WHERE id = ?1");
    const KeyId parent = s.Bind(1, key).Step() ? s.Int(0) : 0;
    DeleteOwnValues(db, key);
    Statement(db, "DELETE FROM keys WHERE id = ?1").Bind(1, key).Run();
    if (parent != 0) Touch(db, parent);
}

std::int64_t PragmaInt(sqlite3* db, const char* sql)
{
    Statement s(db, sql);
    return s.Step() ? s.Int(0) : 0;
}

// First row of PRAGMA quick_check: "ok" for a sound file.
std::string QuickCheck(sqlite3* db)
{
    Statement s(db, "PRAGMA quick_check(1)");
    return s.Step() ? s.Text(0) : std::string("no result");
}

void CreateSchema(sqlite3* db)
{
    Statement::Exec(db, kSchema);
    Statement(db, "INSERT INTO keys(id, parent, name, folded, modified) VALUES(1, 0, '', '', ?1)")
        .Bind(1, static_cast<std::int64_t>(FileTimeNow()))
        .Run();
    Statement::Exec(db, ("PRAGMA application_id = " + std::to_string(kApplicationId)).c_str());
    Statement::Exec(db, ("PRAGMA user_version = " + std::to_string(kFormatVersion)).c_str());
}

bool IsDamage(int primary)
{
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

LONG ErrorCodeOf(int primary)
{
    switch (primary) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return ERROR_REGISTRY_CORRUPT;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return ERROR_BUSY;
    case SQLITE_FULL: return ERROR_DISK_FULL;
    case SQLITE_NOMEM: return ERROR_OUTOFMEMORY;
    case SQLITE_TOOBIG: return ERROR_INVALID_PARAMETER;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
    case SQLITE_CANTOPEN: return ERROR_ACCESS_DENIED;
    default: return ERROR_REGISTRY_IO_FAILED;
    }
}

// An exclusive advisory lock on "<hive>.lock" for the open-check-repair
// sequence, so that two processes never repair the same file at once (one
// could otherwise set aside the fresh hive the other just made).
class RepairLock {
public:
    explicit RepairLock(const std::filesystem::path& hive)
    {
        const std::string path = hive.string() + ".lock";
        m_fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd >= 0)
            while (flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
            }
    }
    ~RepairLock()
    {
        if (m_fd >= 0) close(m_fd);
    }
    RepairLock(const RepairLock&) = delete;
    RepairLock& operator=(const RepairLock&) = delete;

private:
    int m_fd{-1};
};

std::string TimeStamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

std::wstring Wide(const std::filesystem::path& path) { return Utf8ToWide(path.string()); }
std::wstring Wide(const char* text) { return Utf8ToWide(text ? text : ""); }
std::wstring Wide(const std::string& text) { return Utf8ToWide(text); }

} // namespace

CRegistryHive::CRegistryHive(std::filesystem::path file, RegistryErrorReporter reporter)
    : m_file(std::move(file)), m_reporter(std::move(reporter))
{
}

CRegistryHive::~CRegistryHive()
{
    Close();
}

std::wstring CRegistryHive::FoldName(const std::wstring& name)
{
    return QString::fromStdWString(name).toCaseFolded().toStdWString();
}

LONG CRegistryHive::Open()
{
    Problems problems;
    LONG rc;
    {
        std::lock_guard lock(m_mutex);
        rc = OpenLocked(problems);
    }
    Report(problems);
    return rc;
}

void CRegistryHive::Close()
{
    std::lock_guard lock(m_mutex);
    CloseLocked();
    m_tooNew = false;
}

void CRegistryHive::CloseLocked()
{
    if (!m_db) return;
    if (m_pid == getpid()) sqlite3_close_v2(m_db);
    else AbandonedConnections().push_back(m_db);
    m_db = nullptr;
}

LONG CRegistryHive::OpenLocked(Problems& problems)
{
    if (m_db && m_pid == getpid()) return ERROR_SUCCESS;
    CloseLocked();
    if (m_tooNew) return ERROR_BADDB;
    std::error_code ec;
    std::filesystem::create_directories(m_file.parent_path(), ec);
    if (ec) {
        problems.push_back({L"CRegistryHive::Open", L"Cannot create the folder of the registry hive '" + Wide(m_file) +
                                                         L"': " + Wide(ec.message())});
        return ERROR_ACCESS_DENIED;
    }
    RepairLock repairLock(m_file);
    std::wstring problem;
    LONG rc = OpenAndCheck(problem);
    if (rc == ERROR_REGISTRY_CORRUPT && SetAside(problem, problems)) rc = OpenAndCheck(problem);
    if (rc == ERROR_BADDB) m_tooNew = true;
    if (rc != ERROR_SUCCESS)
        problems.push_back({L"CRegistryHive::Open", L"Cannot open the registry hive '" + Wide(m_file) + L"': " + problem});
    return rc;
}

LONG CRegistryHive::OpenAndCheck(std::wstring& problem)
{
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
    const int rc = sqlite3_open_v2(m_file.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        problem = Wide(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close_v2(db);
        return ErrorCodeOf(rc & 0xFF);
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    try {
        Statement::Exec(db, "PRAGMA journal_mode = WAL");
        Statement::Exec(db, "PRAGMA synchronous = NORMAL");
        if (const std::string check = QuickCheck(db); check != "ok") {
            problem = L"integrity check: " + Wide(check);
            sqlite3_close_v2(db);
            return ERROR_REGISTRY_CORRUPT;
        }
        Statement::Exec(db, "BEGIN IMMEDIATE");
        const std::int64_t appId = PragmaInt(db, "PRAGMA application_id");
        const std::int64_t version = PragmaInt(db, "PRAGMA user_version");
        const std::int64_t objects = PragmaInt(db, "SELECT count(*) FROM sqlite_schema");
        LONG result = ERROR_SUCCESS;
        if (appId == 0 && version == 0 && objects == 0) {
            CreateSchema(db);
        } else if (appId != kApplicationId) {
            problem = L"the file is not a registry hive";
            result = ERROR_REGISTRY_CORRUPT;
        } else if (version > kFormatVersion) {
            problem = L"the hive was written by a newer version (format " + std::to_wstring(version) + L")";
            result = ERROR_BADDB;
        } else if (!KeyAlive(db, kRootKey)) {
            problem = L"the root key is missing";
            result = ERROR_REGISTRY_CORRUPT;
        } else {
            Statement(db, "SELECT count(*) FROM vals").Run(); // both tables must exist
        }
        Statement::Exec(db, result == ERROR_SUCCESS ? "COMMIT" : "ROLLBACK");
        if (result != ERROR_SUCCESS) {
            sqlite3_close_v2(db);
            return result;
        }
    } catch (const Statement::Error& e) {
        problem = Wide(e.message);
        sqlite3_close_v2(db);
        // A missing table ("no such table") means a damaged hive as well.
        return IsDamage(e.Primary()) || e.Primary() == SQLITE_ERROR ? ERROR_REGISTRY_CORRUPT : ErrorCodeOf(e.Primary());
    }
    m_db = db;
    m_pid = getpid();
    return ERROR_SUCCESS;
}

bool CRegistryHive::SetAside(const std::wstring& reason, Problems& problems)
{
    const std::string base = m_file.string() + ".corrupt-" + TimeStamp();
    std::string target = base;
    std::error_code ec;
    for (int n = 2; std::filesystem::exists(target, ec); ++n) target = base + "-" + std::to_string(n);
    std::filesystem::rename(m_file, target, ec);
    if (ec) {
        problems.push_back({L"CRegistryHive::Open", L"The registry hive '" + Wide(m_file) + L"' is damaged (" + reason +
                                                         L") and cannot be set aside: " + Wide(ec.message())});
        return false;
    }
    // The log belongs to the damaged file; the shared-memory index is rebuilt.
    std::filesystem::rename(m_file.string() + "-wal", target + "-wal", ec);
    std::filesystem::remove(m_file.string() + "-shm", ec);
    problems.push_back({L"CRegistryHive::Open", L"The registry hive '" + Wide(m_file) + L"' is damaged (" + reason +
                                                     L"); it was set aside as '" + Wide(target) +
                                                     L"' and a fresh hive was created."});
    return true;
}

void CRegistryHive::Report(const Problems& problems) const
{
    if (!m_reporter) return;
    for (const auto& p : problems) m_reporter(p.function, p.message);
}

LONG CRegistryHive::Run(const wchar_t* function, Access access, const std::function<LONG(sqlite3*)>& body)
{
    Problems problems;
    LONG rc;
    {
        std::unique_lock lock(m_mutex);
        WaitForOtherBatch(lock);
        if (OwnsBatch()) {
            rc = RunInBatch(function, body, problems);
        } else {
            rc = OpenLocked(problems);
            if (rc == ERROR_SUCCESS) rc = RunLocked(function, access, body, problems);
        }
    }
    Report(problems);
    return rc;
}

LONG CRegistryHive::RunLocked(const wchar_t* function, Access access, const std::function<LONG(sqlite3*)>& body,
                              Problems& problems)
{
    // Inside a batch each call is a savepoint, so a failed call undoes only itself.
    const char* begin = access == Access::InBatch ? "SAVEPOINT batch_call"
                        : access == Access::Write ? "BEGIN IMMEDIATE"
                                                  : "BEGIN";
    const char* commit = access == Access::InBatch ? "RELEASE batch_call" : "COMMIT";
    const char* rollback = access == Access::InBatch ? "ROLLBACK TO batch_call; RELEASE batch_call" : "ROLLBACK";
    try {
        Statement::Exec(m_db, begin);
        const LONG rc = body(m_db);
        Statement::Exec(m_db, rc == ERROR_SUCCESS ? commit : rollback);
        return rc;
    } catch (const Statement::Error& e) {
        sqlite3_exec(m_db, rollback, nullptr, nullptr, nullptr); // fails harmlessly when none is open
        std::wstring message = L"Registry hive '" + Wide(m_file) + L"': " + Wide(e.message);
        if (IsDamage(e.Primary())) {
            message += L"; the hive will be checked and repaired when it is next opened.";
            CloseLocked();
        }
        problems.push_back({function, message});
        return ErrorCodeOf(e.Primary());
    } catch (const std::bad_alloc&) {
        sqlite3_exec(m_db, rollback, nullptr, nullptr, nullptr);
        return ERROR_OUTOFMEMORY;
    }
}

bool CRegistryHive::OwnsBatch() const
{
    return m_batchOwner && *m_batchOwner == std::this_thread::get_id();
}

void CRegistryHive::WaitForOtherBatch(std::unique_lock<std::mutex>& lock)
{
    m_batchEnded.wait(lock, [this] { return !m_batchOwner || OwnsBatch(); });
}

// True while the batch's transaction is still open on the connection. SQLite
// ends a transaction by itself after some failures (a full disk, I/O errors)
// and a damaged file closes the connection; later calls would then commit one
// by one, so the batch must notice and stop.
bool CRegistryHive::BatchTransactionAlive() const
{
    return m_db && m_pid == getpid() && sqlite3_get_autocommit(m_db) == 0;
}

LONG CRegistryHive::RunInBatch(const wchar_t* function, const std::function<LONG(sqlite3*)>& body,
                               Problems& problems)
{
    const auto abandon = [&](LONG error) {
        m_batchError = error != ERROR_SUCCESS ? error : ERROR_REGISTRY_IO_FAILED;
        problems.push_back({function, L"Registry hive '" + Wide(m_file) +
                                          L"': the batch of changes was abandoned; none of it was kept."});
    };
    if (m_batchError == ERROR_SUCCESS && !BatchTransactionAlive()) abandon(ERROR_REGISTRY_IO_FAILED);
    if (m_batchError != ERROR_SUCCESS) return m_batchError;
    const LONG rc = RunLocked(function, Access::InBatch, body, problems);
    if (!BatchTransactionAlive()) abandon(rc);
    return rc;
}

LONG CRegistryHive::ExecLocked(const wchar_t* function, const char* sql, Problems& problems)
{
    try {
        Statement::Exec(m_db, sql);
        return ERROR_SUCCESS;
    } catch (const Statement::Error& e) {
        problems.push_back({function, L"Registry hive '" + Wide(m_file) + L"': " + Wide(e.message)});
        if (IsDamage(e.Primary())) CloseLocked();
        return ErrorCodeOf(e.Primary());
    }
}

LONG CRegistryHive::BeginBatch()
{
    Problems problems;
    LONG rc;
    {
        std::unique_lock lock(m_mutex);
        if (OwnsBatch()) return ERROR_BUSY;
        WaitForOtherBatch(lock);
        rc = OpenLocked(problems);
        if (rc == ERROR_SUCCESS) rc = ExecLocked(L"CRegistryHive::BeginBatch", "BEGIN IMMEDIATE", problems);
        if (rc == ERROR_SUCCESS) {
            m_batchOwner = std::this_thread::get_id();
            m_batchError = ERROR_SUCCESS;
        }
    }
    Report(problems);
    return rc;
}

LONG CRegistryHive::EndBatch(bool commit)
{
    Problems problems;
    LONG rc = ERROR_SUCCESS;
    {
        std::lock_guard lock(m_mutex);
        if (!OwnsBatch()) return ERROR_INVALID_PARAMETER;
        const bool alive = BatchTransactionAlive();
        if (commit) {
            rc = m_batchError != ERROR_SUCCESS ? m_batchError : alive ? ERROR_SUCCESS : ERROR_REGISTRY_IO_FAILED;
            if (rc == ERROR_SUCCESS) rc = ExecLocked(L"CRegistryHive::EndBatch", "COMMIT", problems);
        }
        if (BatchTransactionAlive() && (!commit || rc != ERROR_SUCCESS))
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        m_batchOwner.reset();
        m_batchError = ERROR_SUCCESS;
        m_batchEnded.notify_all();
    }
    Report(problems);
    return rc;
}

LONG CRegistryHive::OpenKey(KeyId parent, const std::vector<std::wstring>& path, KeyId& key)
{
    if (LONG rc = CheckKeyPath(path); rc != ERROR_SUCCESS) return rc;
    return Run(L"CRegistryHive::OpenKey", Access::Read,
               [&](sqlite3* db) { return Resolve(db, parent, path, key); });
}

LONG CRegistryHive::CreateKey(KeyId parent, const std::vector<std::wstring>& path, KeyId& key, bool& created)
{
    if (LONG rc = CheckKeyPath(path); rc != ERROR_SUCCESS) return rc;
    return Run(L"CRegistryHive::CreateKey", Access::Write, [&](sqlite3* db) {
        if (!KeyAlive(db, parent)) return ERROR_KEY_DELETED;
        KeyId current = parent;
        bool madeLast = false;
        for (const auto& name : path) {
            const auto child = FindChild(db, current, name);
            madeLast = !child;
            current = child ? *child : InsertKey(db, current, name);
        }
        key = current;
        created = madeLast;
        return ERROR_SUCCESS;
    });
}

LONG CRegistryHive::CheckKey(KeyId key)
{
    return Run(L"CRegistryHive::CheckKey", Access::Read,
               [&](sqlite3* db) { return KeyAlive(db, key) ? ERROR_SUCCESS : ERROR_KEY_DELETED; });
}

LONG CRegistryHive::DeleteKey(KeyId parent, const std::vector<std::wstring>& path)
{
    if (LONG rc = CheckKeyPath(path); rc != ERROR_SUCCESS) return rc;
    return Run(L"CRegistryHive::DeleteKey", Access::Write, [&](sqlite3* db) {
        KeyId key = 0;
        if (LONG rc = Resolve(db, parent, path, key); rc != ERROR_SUCCESS) return rc;
        if (key == kRootKey || HasChildren(db, key)) return ERROR_ACCESS_DENIED;
        DeleteKeyRow(db, key);
        return ERROR_SUCCESS;
    });
}

LONG CRegistryHive::DeleteTree(KeyId parent, const std::vector<std::wstring>& path, bool includeKey)
{
    if (LONG rc = CheckKeyPath(path); rc != ERROR_SUCCESS) return rc;
    return Run(L"CRegistryHive::DeleteTree", Access::Write, [&](sqlite3* db) {
        KeyId key = 0;
        if (LONG rc = Resolve(db, parent, path, key); rc != ERROR_SUCCESS) return rc;
        if (includeKey && key == kRootKey) return ERROR_ACCESS_DENIED;
        DeleteDescendants(db, key);
        if (includeKey) {
            DeleteKeyRow(db, key);
        } else {
            DeleteOwnValues(db, key);
            Touch(db, key);
        }
        return ERROR_SUCCESS;
    });
}

LONG CRegistryHive::SetValue(KeyId key, const std::wstring& name, DWORD type, const BYTE* data, size_t size)
{
    if (name.size() > kMaxValueNameLength) return ERROR_INVALID_PARAMETER;
    if (!data && size != 0) return ERROR_INVALID_PARAMETER;
    return Run(L"CRegistryHive::SetValue", Access::Write, [&](sqlite3* db) {
        if (!KeyAlive(db, key)) return ERROR_KEY_DELETED;
        Statement(db, "INSERT INTO vals(key, name, folded, type, data) VALUES(?1, ?2, ?3, ?4, ?5)"
                      " ON CONFLICT(key, folded) DO UPDATE SET type = excluded.type, data = excluded.data")
            .Bind(1, key)
            .Bind(2, Utf8(name))
            .Bind(3, Folded(name))
            .Bind(4, static_cast<std::int64_t>(type))
            .BindBlob(5, data, size)
            .Run();
        Touch(db, key);
        return ERROR_SUCCESS;
    });
}

LONG CRegistryHive::QueryValue(KeyId key, const std::wstring& name, Value& value)
{
    return Run(L"CRegistryHive::QueryValue", Access::Read, [&](sqlite3* db) {
        if (!KeyAlive(db, key)) return ERROR_KEY_DELETED;
        Statement s(db, "SELECT type, data FROM vals WHERE key = ?1 AND folded = ?2");
        if (!s.Bind(1, key).Bind(2, Folded(name)).Step()) return ERROR_FILE_NOT_FOUND;
        value.type = static_cast<DWORD>(s.Int(0));
        value.data = s.Blob(1);
        return ERROR_SUCCESS;
    });
}

LONG CRegistryHive::DeleteValue(KeyId key, const std::wstring& name)
{
    return Run(L"CRegistryHive::DeleteValue", Access::Write, [&](sqlite3* db) {
        if (!KeyAlive(db, key)) return ERROR_KEY_DELETED;
        Statement(db, "DELETE FROM vals WHERE key = ?1 AND folded = ?2").Bind(1, key).Bind(2, Folded(name)).Run();
        if (sqlite3_changes(db) == 0) return ERROR_FILE_NOT_FOUND;
        Touch(db, key);
        return ERROR_SUCCESS;
    });
}

LONG CRegistryHive::EnumKey(KeyId key, DWORD index, std::wstring& name, ULONGLONG& lastWriteTime)
{
    return Run(L"CRegistryHive::EnumKey", Access::Read, [&](sqlite3* db) {
        if (!KeyAlive(db, key)) return ERROR_KEY_DELETED;
        Statement s(db, "SELECT name, modified FROM keys WHERE parent = ?1 ORDER BY folded LIMIT 1 OFFSET ?2");
        if (!s.Bind(1, key).Bind(2, static_cast<std::int64_t>(index)).Step()) return ERROR_NO_MORE_ITEMS;
        name = Utf8ToWide(s.Text(0));
        lastWriteTime = static_cast<ULONGLONG>(s.Int(1));
        return ERROR_SUCCESS;
    });
}

LONG CRegistryHive::EnumValue(KeyId key, DWORD index, std::wstring& name, Value& value)
{
    return Run(L"CRegistryHive::EnumValue", Access::Read, [&](sqlite3* db) {
        if (!KeyAlive(db, key)) return ERROR_KEY_DELETED;
        Statement s(db, "SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY id LIMIT 1 OFFSET ?2");
        if (!s.Bind(1, key).Bind(2, static_cast<std::int64_t>(index)).Step()) return ERROR_NO_MORE_ITEMS;
        name = Utf8ToWide(s.Text(0));
        value.type = static_cast<DWORD>(s.Int(1));
        value.data = s.Blob(2);
        return ERROR_SUCCESS;
    });
}

LONG CRegistryHive::QueryInfo(KeyId key, KeyInfo& info)
{
    return Run(L"CRegistryHive::QueryInfo", Access::Read, [&](sqlite3* db) {
        Statement self(db, "SELECT modified FROM keys WHERE id = ?1");
        if (!self.Bind(1, key).Step()) return ERROR_KEY_DELETED;
        info.lastWriteTime = static_cast<ULONGLONG>(self.Int(0));
        Statement keys(db, "SELECT count(*), coalesce(max(length(name)), 0) FROM keys WHERE parent = ?1");
        keys.Bind(1, key).Step();
        info.subKeys = static_cast<DWORD>(keys.Int(0));
        info.maxSubKeyNameLength = static_cast<DWORD>(keys.Int(1));
        Statement vals(db, "SELECT count(*), coalesce(max(length(name)), 0), coalesce(max(length(data)), 0)"
                           " FROM vals WHERE key = ?1");
        vals.Bind(1, key).Step();
        info.values = static_cast<DWORD>(vals.Int(0));
        info.maxValueNameLength = static_cast<DWORD>(vals.Int(1));
        info.maxValueSize = static_cast<DWORD>(vals.Int(2));
        return ERROR_SUCCESS;
    });
}

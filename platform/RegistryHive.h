#pragma once
// One registry hive: a tree of keys holding typed values, stored in one
// SQLite database file. The registry functions of Registry.h keep one hive
// per root key; tests use the class directly on files of their own.
//
// Storage: table `keys` (id, parent id, name as created, case-folded name,
// last write time) with the root key as id 1, and table `vals` (key id,
// name, case-folded name, type, bytes). Lookups go through the case-folded
// names, so names compare without regard to case for all of Unicode. Key
// ids are never reused, so a handle of a deleted key cannot reach a newer one.
//
// Safety: the database runs in write-ahead-log mode; each public call is one
// transaction (writes take the write lock up front and wait up to 10 s for
// other processes). A process killed at any moment leaves the last committed
// state. Opening checks the file (SQLite's quick check, the hive's identity,
// its tables): a damaged file, or one that is not a hive, is renamed to
// "<file>.corrupt-<YYYYMMDD-HHMMSS>", reported, and replaced by an empty
// hive. A hive written by a newer format is reported and left alone; the
// calls then fail with ERROR_BADDB. Damage met later makes the call fail with
// ERROR_REGISTRY_CORRUPT and closes the hive, so the next call re-opens (and
// repairs) it.
//
// Batches: between BeginBatch and EndBatch, every call of the thread that
// began the batch joins one transaction (each call a savepoint of its own, so
// a failed call still undoes only itself). The batch's changes reach the file
// together at EndBatch(true), or not at all. While a batch is open, calls of
// other threads of this process wait for its end, and other processes see the
// hive as it was before the batch (their writes wait, up to 10 s).
//
// Threads: every public function may be called from any thread; calls on one
// hive object are serialised. Processes: SQLite connections and SQLite's
// per-process lock bookkeeping cannot cross fork(), so a process that forks a
// child which will use a hive closes the hive first (Close, or RegCloseHives
// for the registry's own hives). As a safeguard a hive never uses nor closes
// a connection that another process opened; it opens its own.

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

#include "platform/Registry.h"

struct sqlite3;

class CRegistryHive {
public:
    using KeyId = std::int64_t;
    /// Id of the hive's root key, which always exists and cannot be deleted.
    static constexpr KeyId kRootKey = 1;
    /// Longest key name, in characters.
    static constexpr size_t kMaxKeyNameLength = 255;
    /// Longest value name, in characters.
    static constexpr size_t kMaxValueNameLength = 16383;

    /// A value's type and bytes.
    struct Value {
        DWORD type{0};
        std::vector<BYTE> data;
    };

    /// Counts and sizes of one key, as RegQueryInfoKey reports them.
    struct KeyInfo {
        DWORD subKeys{0};
        DWORD maxSubKeyNameLength{0};   ///< characters
        DWORD values{0};
        DWORD maxValueNameLength{0};    ///< characters
        DWORD maxValueSize{0};          ///< bytes
        ULONGLONG lastWriteTime{0};     ///< 100 ns steps since 1601-01-01 UTC
    };

    /// A hive stored in `file`, reporting its problems to `reporter` (may be
    /// empty: problems are then only returned as codes). Opens nothing yet.
    CRegistryHive(std::filesystem::path file, RegistryErrorReporter reporter);
    /// Closes the database.
    ~CRegistryHive();
    CRegistryHive(const CRegistryHive&) = delete;
    CRegistryHive& operator=(const CRegistryHive&) = delete;

    /// Opens the file (creating it and its folder when missing), checks it and
    /// repairs it as described above. Every other call opens the hive on demand,
    /// so calling this first is only needed to learn the result early.
    LONG Open();
    /// Closes the database; the next call opens it again.
    void Close();
    /// The database file.
    const std::filesystem::path& GetFilePath() const { return m_file; }

    /// Finds the key at `path` (names, one per level) below `parent`; an empty
    /// path names `parent` itself. ERROR_FILE_NOT_FOUND when missing,
    /// ERROR_KEY_DELETED when `parent` no longer exists.
    LONG OpenKey(KeyId parent, const std::vector<std::wstring>& path, KeyId& key);

    /// Finds or creates the key at `path` below `parent`, with the missing
    /// keys on the way; `created` tells whether the last one was new.
    /// ERROR_BAD_PATHNAME for an empty name or one holding a backslash,
    /// ERROR_INVALID_PARAMETER for a name over 255 characters.
    LONG CreateKey(KeyId parent, const std::vector<std::wstring>& path, KeyId& key, bool& created);

    /// ERROR_SUCCESS when `key` exists, else ERROR_KEY_DELETED.
    LONG CheckKey(KeyId key);

    /// Deletes the key at `path` below `parent` (empty path: `parent`) with its
    /// values. ERROR_ACCESS_DENIED when it has subkeys or is the root key.
    LONG DeleteKey(KeyId parent, const std::vector<std::wstring>& path);

    /// Deletes every key and value below the key at `path` below `parent`, and
    /// the key itself when `includeKey` (never the root key).
    LONG DeleteTree(KeyId parent, const std::vector<std::wstring>& path, bool includeKey);

    /// Creates or replaces the value `name` of `key`; a replaced value keeps its
    /// spelling and position. ERROR_INVALID_PARAMETER for a name over 16383
    /// characters.
    LONG SetValue(KeyId key, const std::wstring& name, DWORD type, const BYTE* data, size_t size);

    /// Reads the value `name` of `key`; ERROR_FILE_NOT_FOUND when absent.
    LONG QueryValue(KeyId key, const std::wstring& name, Value& value);

    /// Deletes the value `name` of `key`; ERROR_FILE_NOT_FOUND when absent.
    LONG DeleteValue(KeyId key, const std::wstring& name);

    /// The subkey number `index` of `key`, in the order of the case-folded
    /// names; ERROR_NO_MORE_ITEMS past the last.
    LONG EnumKey(KeyId key, DWORD index, std::wstring& name, ULONGLONG& lastWriteTime);

    /// The value number `index` of `key`, in the order the values were first
    /// written; ERROR_NO_MORE_ITEMS past the last.
    LONG EnumValue(KeyId key, DWORD index, std::wstring& name, Value& value);

    /// Counts and sizes of `key`.
    LONG QueryInfo(KeyId key, KeyInfo& info);

    /// The case-folded form of a name, the form names are compared in.
    static std::wstring FoldName(const std::wstring& name);

    /// Opens a batch for the calling thread (see the file comment), waiting
    /// while another thread's batch is open. ERROR_BUSY when this thread has
    /// one open already, or the error that kept the transaction from
    /// starting; the calls then run one by one as usual. The thread must end
    /// the batch with EndBatch and must not wait for another thread that uses
    /// this hive meanwhile (that thread waits for the batch).
    LONG BeginBatch();

    /// Ends the calling thread's batch: with `commit`, writes its changes and
    /// returns ERROR_SUCCESS, or the failure that lost them all (a call in the
    /// batch met a damaged file or a full disk, or the hive was closed);
    /// without, drops them and returns ERROR_SUCCESS. ERROR_INVALID_PARAMETER
    /// when the thread has no batch open. Wakes threads waiting for the batch.
    LONG EndBatch(bool commit);

private:
    enum class Access { Read, Write, InBatch };
    struct Problem {
        std::wstring function;
        std::wstring message;
    };
    using Problems = std::vector<Problem>;

    LONG Run(const wchar_t* function, Access access, const std::function<LONG(sqlite3*)>& body);
    LONG RunLocked(const wchar_t* function, Access access, const std::function<LONG(sqlite3*)>& body,
                   Problems& problems);
    LONG OpenLocked(Problems& problems);
    LONG OpenAndCheck(std::wstring& problem);
    bool SetAside(const std::wstring& reason, Problems& problems);
    void CloseLocked();
    void Report(const Problems& problems) const;
    bool OwnsBatch() const;
    void WaitForOtherBatch(std::unique_lock<std::mutex>& lock);
    LONG RunInBatch(const wchar_t* function, const std::function<LONG(sqlite3*)>& body, Problems& problems);
    bool BatchTransactionAlive() const;
    LONG ExecLocked(const wchar_t* function, const char* sql, Problems& problems);

    const std::filesystem::path m_file;
    const RegistryErrorReporter m_reporter;
    std::mutex m_mutex;         // guards the members below
    sqlite3* m_db{nullptr};
    pid_t m_pid{0};             // process that opened m_db
    bool m_tooNew{false};       // the file holds a newer format: left alone
    std::optional<std::thread::id> m_batchOwner; // thread whose batch is open
    LONG m_batchError{ERROR_SUCCESS}; // first failure that ended the open batch's transaction
    std::condition_variable m_batchEnded; // signalled (under m_mutex) when a batch ends
};

#pragma once
// A prepared SQLite statement with binding and reading helpers. Every SQLite
// failure is thrown as CSqliteStatement::Error, so a sequence of statements
// reads straight and one catch (around the transaction) handles them all.
// Used by the registry hive only; one thread at a time per connection.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

struct sqlite3;
struct sqlite3_stmt;

class CSqliteStatement {
public:
    /// An SQLite failure: the extended result code and SQLite's message.
    struct Error {
        int code;
        std::string message;
        /// The primary result code (SQLITE_BUSY, SQLITE_CORRUPT ...).
        int Primary() const { return code & 0xFF; }
    };

    /// Prepares `sql` on `db`; throws Error when it does not compile.
    CSqliteStatement(sqlite3* db, const char* sql);
    ~CSqliteStatement();
    CSqliteStatement(const CSqliteStatement&) = delete;
    CSqliteStatement& operator=(const CSqliteStatement&) = delete;

    /// Binds parameter `index` (from 1) to an integer.
    CSqliteStatement& Bind(int index, std::int64_t value);
    /// Binds parameter `index` to UTF-8 text.
    CSqliteStatement& Bind(int index, const std::string& text);
    /// Binds parameter `index` to `size` bytes (an empty blob, not NULL, for 0).
    CSqliteStatement& BindBlob(int index, const BYTE* data, size_t size);

    /// Runs one step: true with a result row ready, false when done.
    bool Step();
    /// Runs the statement to its end.
    void Run();

    /// Column `column` of the current row as an integer (0 for NULL).
    std::int64_t Int(int column) const;
    /// Column `column` of the current row as UTF-8 text.
    std::string Text(int column) const;
    /// Column `column` of the current row as bytes.
    std::vector<BYTE> Blob(int column) const;

    /// Runs `sql` (one or more statements without parameters) on `db`;
    /// throws Error on failure.
    static void Exec(sqlite3* db, const char* sql);
    /// Throws the Error of `code` with `db`'s current message.
    [[noreturn]] static void Throw(sqlite3* db, int code);

private:
    void Check(int code) const;

    sqlite3* m_db;
    sqlite3_stmt* m_stmt{nullptr};
};

#include "platform/SqliteStatement.h"

#include <sqlite3.h>

CSqliteStatement::CSqliteStatement(sqlite3* db, const char* sql) : m_db(db)
{
    const int rc = sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        Throw(db, rc);
    }
}

CSqliteStatement::~CSqliteStatement()
{
    sqlite3_finalize(m_stmt);
}

CSqliteStatement& CSqliteStatement::Bind(int index, std::int64_t value)
{
    Check(sqlite3_bind_int64(m_stmt, index, value));
    return *this;
}

CSqliteStatement& CSqliteStatement::Bind(int index, const std::string& text)
{
    Check(sqlite3_bind_text64(m_stmt, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8));
    return *this;
}

CSqliteStatement& CSqliteStatement::BindBlob(int index, const BYTE* data, size_t size)
{
    static const BYTE kNothing = 0;
    Check(sqlite3_bind_blob64(m_stmt, index, size ? data : &kNothing, size, SQLITE_TRANSIENT));
    return *this;
}

bool CSqliteStatement::Step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    Throw(m_db, rc);
}

void CSqliteStatement::Run()
{
    while (Step()) {
    }
}

std::int64_t CSqliteStatement::Int(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

std::string CSqliteStatement::Text(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(m_stmt, column))) : std::string();
}

std::vector<BYTE> CSqliteStatement::Blob(int column) const
{
    const auto* data = static_cast<const BYTE*>(sqlite3_column_blob(m_stmt, column));
    const int size = sqlite3_column_bytes(m_stmt, column);
    return data ? std::vector<BYTE>(data, data + size) : std::vector<BYTE>();
}

void CSqliteStatement::Exec(sqlite3* db, const char* sql)
{
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) Throw(db, rc);
}

void CSqliteStatement::Throw(sqlite3* db, int code)
{
    const int extended = db ? sqlite3_extended_errcode(db) : code;
    // The connection's last error may belong to another call when `code` came
    // from elsewhere; keep `code`'s primary meaning in that case.
    const int reported = (extended & 0xFF) == (code & 0xFF) ? extended : code;
    throw Error{reported, db ? sqlite3_errmsg(db) : sqlite3_errstr(code)};
}

void CSqliteStatement::Check(int code) const
{
    if (code != SQLITE_OK) Throw(m_db, code);
}

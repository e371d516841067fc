#include "memory/Sqlite.h"

#include <sqlite3.h>

#include <cstring>

namespace lumeward::memory {

namespace {

// SQLite's words, with the system's when a file operation failed underneath
// ("unable to open database file (Permission denied)").
std::string reasonOf(sqlite3* db, int code) {
    std::string reason = (db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(code));
    const int primary = code & 0xff;
    const bool fileFailed =
        primary == SQLITE_CANTOPEN || primary == SQLITE_IOERR || primary == SQLITE_FULL;
    if (const int systemError = db != nullptr ? sqlite3_system_errno(db) : 0;
        fileFailed && systemError != 0) {
        reason += std::string(" (") + std::strerror(systemError) + ")";
    }
    if (code == SQLITE_READONLY_DIRECTORY) {
        reason += " (its folder is not writable)";
    }
    return reason;
}

void check(sqlite3_stmt* statement, int code) {
    if (code != SQLITE_OK) {
        throw SqliteError(reasonOf(sqlite3_db_handle(statement), code), code);
    }
}

}  // namespace

SqliteError::SqliteError(const std::string& what, int code)
    : std::runtime_error(what), m_code(code) {}

bool SqliteError::damaged() const {
    const int primary = m_code & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

bool SqliteError::busy() const {
    return (m_code & 0xff) == SQLITE_BUSY;
}

Query::Query(sqlite3_stmt* statement) : m_statement(statement) {}

Query::~Query() {
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
}

Query& Query::bind(int index, std::string_view text) {
    // An empty view may have no data at all, which SQLite would bind as NULL.
    check(m_statement, sqlite3_bind_text64(m_statement, index, text.empty() ? "" : text.data(),
                                           text.size(), SQLITE_STATIC, SQLITE_UTF8));
    return *this;
}

Query& Query::bindBlob(int index, std::string_view bytes) {
    // A zero-length blob still binds a blob, never NULL.
    static const char kNothing = 0;
    check(m_statement,
          sqlite3_bind_blob64(m_statement, index, bytes.empty() ? &kNothing : bytes.data(),
                              bytes.size(), SQLITE_STATIC));
    return *this;
}

Query& Query::bind(int index, std::int64_t value) {
    check(m_statement, sqlite3_bind_int64(m_statement, index, value));
    return *this;
}

bool Query::step() {
    const int code = sqlite3_step(m_statement);
    if (code == SQLITE_ROW || code == SQLITE_DONE) {
        return code == SQLITE_ROW;
    }
    throw SqliteError(reasonOf(sqlite3_db_handle(m_statement), code), code);
}

std::string_view Query::text(int column) const {
    // The blob accessor gives the bytes of text and blob columns alike, unconverted.
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(m_statement, column));
    const auto size = static_cast<std::size_t>(sqlite3_column_bytes(m_statement, column));
    return bytes != nullptr ? std::string_view(bytes, size) : std::string_view();
}

std::int64_t Query::integer(int column) const {
    return sqlite3_column_int64(m_statement, column);
}

Connection::Connection(const std::filesystem::path& file, std::chrono::milliseconds busyTimeout) {
    // One thread at a time by the owner's lock, so SQLite's own per-connection lock is left out.
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    if (const int code = sqlite3_open_v2(file.c_str(), &m_db, flags, nullptr); code != SQLITE_OK) {
        const std::string reason = reasonOf(m_db, code);
        sqlite3_close_v2(m_db);
        throw SqliteError(reason, code);
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, static_cast<int>(busyTimeout.count()));
}

Connection::~Connection() {
    // Closes once the statements, members, are finalized after this.
    sqlite3_close_v2(m_db);
}

void Connection::execute(const char* sql) {
    if (const int code = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr); code != SQLITE_OK) {
        fail(code);
    }
}

Query Connection::query(const char* sql) {
    auto& statement = m_statements[sql];
    if (!statement) {
        sqlite3_stmt* prepared = nullptr;
        if (const int code =
                sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &prepared, nullptr);
            code != SQLITE_OK) {
            m_statements.erase(sql);
            fail(code);
        }
        statement.reset(prepared);
    }
    return Query(statement.get());
}

std::int64_t Connection::userVersion() {
    auto version = query("PRAGMA user_version");
    version.step();
    return version.integer(0);
}

void Connection::fail(int code) const {
    throw SqliteError(reasonOf(m_db, code), code);
}

void Connection::StatementDeleter::operator()(sqlite3_stmt* statement) const {
    sqlite3_finalize(statement);
}

Transaction::Transaction(Connection& connection) : m_connection(connection) {
    m_connection.execute("BEGIN IMMEDIATE");
}

Transaction::~Transaction() {
    if (!m_done) {
        try {
            m_connection.execute("ROLLBACK");
        } catch (const SqliteError&) {
            // SQLite has rolled back by itself after some failures; nothing is left to undo.
        }
    }
}

void Transaction::commit() {
    m_connection.execute("COMMIT");
    m_done = true;
}

}  // namespace lumeward::memory

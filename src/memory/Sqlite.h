#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace lumeward::memory {

// A failed SQLite call: what SQLite said, with the system's reason when there is one.
class SqliteError : public std::runtime_error {
public:
    SqliteError(const std::string& what, int code);
    // The file is not a database or its content is damaged.
    bool damaged() const;
    // Another connection holds a lock this one needs.
    bool busy() const;

private:
    int m_code;
};

class Connection;

// A statement in use: bound, stepped, then reset with its bindings cleared when
// it goes, so that no read stays open and holds an old view of the file.
class Query {
public:
    explicit Query(sqlite3_stmt* statement);
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    // Parameters count from 1, as in the SQL text's "?1", "?2"...
    Query& bind(int index, std::string_view text);
    Query& bindBlob(int index, std::string_view bytes);
    Query& bind(int index, std::int64_t value);
    // True when a row is ready, false when the statement is done. Throws SqliteError.
    bool step();
    // Columns count from 0 and stay valid until the next step.
    std::string_view text(int column) const;
    std::int64_t integer(int column) const;

private:
    sqlite3_stmt* m_statement;
};

// One connection to a database file, used by one thread at a time. Statements
// are prepared once and kept for the connection's lifetime.
class Connection {
public:
    // Opens an existing or new file for reading and writing; waits up to busyTimeout
    // for other connections' locks. Throws SqliteError.
    Connection(const std::filesystem::path& file, std::chrono::milliseconds busyTimeout);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Runs one or more statements that return nothing of interest.
    void execute(const char* sql);
    // The statement for sql, prepared on first use; sql must outlive the connection.
    Query query(const char* sql);
    std::int64_t userVersion();

private:
    [[noreturn]] void fail(int code) const;

    struct StatementDeleter {
        void operator()(sqlite3_stmt* statement) const;
    };
    sqlite3* m_db = nullptr;
    std::map<const char*, std::unique_ptr<sqlite3_stmt, StatementDeleter>> m_statements;
};

// A write transaction that takes the write lock at once (BEGIN IMMEDIATE), so
// that it never fails half-way for want of it; rolled back unless committed.
class Transaction {
public:
    explicit Transaction(Connection& connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();

private:
    Connection& m_connection;
    bool m_done = false;
};

}  // namespace lumeward::memory

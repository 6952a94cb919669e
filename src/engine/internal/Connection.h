#pragma once

#include "engine/internal/SqliteStatement.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <cstdint>
#include <memory>

struct sqlite3;

// A prepared statement borrowed from the connection's cache; it is reset when the
// borrower is done, so no read stays open between calls.
class StatementLease {
public:
    explicit StatementLease(std::shared_ptr<SqliteStatement> statement)
        : m_stmt(std::move(statement)) {}
    ~StatementLease() {
        if (m_stmt)
            m_stmt->reset();
    }
    StatementLease(const StatementLease&) = delete;
    StatementLease& operator=(const StatementLease&) = delete;

    SqliteStatement* operator->() const { return m_stmt.get(); }
    SqliteStatement& operator*() const { return *m_stmt; }

private:
    std::shared_ptr<SqliteStatement> m_stmt;
};

// The open SQLite handle shared by a Database and every recordset opened on it. Closing
// it finalises every statement still alive, so the file is released even while a window
// still holds a recordset; that recordset then reports InvalidObject.
struct Connection {
    Connection(sqlite3* handle, const QString& filePath) : db(handle), path(filePath) {}
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool isOpen() const { return db != nullptr; }
    // Throws InvalidObject once the database has been closed.
    void checkOpen() const;
    void close();

    // A reusable statement for this SQL text. Repeated SQL (a million INSERTs in one
    // transaction, the fetch of a row by its key) is compiled once.
    StatementLease prepared(const QString& sql);

    // Throws the error the tests armed (tests/support/DatabaseFaults.h), if any.
    void takeInjectedWriteFailure();

    void registerStatement(SqliteStatement* statement);
    void unregisterStatement(SqliteStatement* statement);

    sqlite3* db = nullptr;
    QString path;
    int failWritesLeft = 0;
    int failWritesNumber = 0;
    int transactionDepth = 0;

private:
    struct CacheEntry {
        std::shared_ptr<SqliteStatement> statement;
        std::uint64_t lastUse = 0;
    };
    static constexpr int CacheLimit = 64;

    QSet<SqliteStatement*> m_live;
    QHash<QString, CacheEntry> m_cache;
    std::uint64_t m_useCounter = 0;
};

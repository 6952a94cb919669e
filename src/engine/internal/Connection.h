#pragma once

#include "engine/internal/Statement.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

// A prepared statement borrowed from the connection's cache; it is reset when the
// borrower is done, so no read stays open between calls.
class StatementLease {
public:
    explicit StatementLease(std::shared_ptr<Statement> statement) : m_stmt(std::move(statement)) {}
    ~StatementLease() {
        if (m_stmt)
            m_stmt->reset();
    }
    StatementLease(const StatementLease&) = delete;
    StatementLease& operator=(const StatementLease&) = delete;

    Statement* operator->() const { return m_stmt.get(); }
    Statement& operator*() const { return *m_stmt; }

private:
    std::shared_ptr<Statement> m_stmt;
};

// The open connection to the data, shared by a Database and every recordset opened on it:
// a SQLite file (SqliteConnection) or a PostgreSQL server (PgConnection). Closing it
// finalises every statement still alive, so the data is released even while a window
// still holds a recordset; that recordset then reports InvalidObject.
//
// What differs between the backends beyond the statements lives here: how a transaction
// begins, how the next key is handed out, what the catalogue says about tables, columns
// and indexes, and where the layout version is kept.
struct Connection {
    explicit Connection(const QString& location) : path(location) {}
    // Each backend's destructor closes its handle: the base cannot reach it any more.
    virtual ~Connection() = default;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    virtual bool isOpen() const = 0;
    // Throws InvalidObject once the database has been closed.
    void checkOpen() const;
    void close();

    // A reusable statement for this SQL text. Repeated SQL (a million INSERTs in one
    // transaction, the fetch of a row by its key) is compiled once.
    StatementLease prepared(const QString& sql);
    // A statement of its own, not cached: for a large read or a script's next statement.
    virtual std::unique_ptr<Statement> newStatement(const QString& sql) = 0;

    // Rows changed by the last INSERT, UPDATE or DELETE.
    virtual std::int64_t changes() const = 0;
    // Whether a transaction is open on this connection.
    virtual bool inTransaction() const = 0;
    // The statement that opens the outermost transaction of Database::transaction.
    virtual QString beginSql() const = 0;
    // Ends a failed transaction (or returns to a savepoint) without throwing.
    virtual void rollbackQuietly(bool outermost, const QString& savepoint) = 0;

    // The key AddNew hands out for a new row of table: never one in use or handed out
    // before, also when another user adds rows at the same time.
    virtual std::int64_t nextKey(const QString& table, const QString& keyColumn) = 0;

    // A table or view of that name, case ignored.
    virtual bool tableExists(const QString& table) = 0;
    // The table's column names as stored; empty when there is no such table.
    virtual QStringList columnNames(const QString& table) = 0;
    // The names of every index.
    virtual QStringList indexNames() = 0;
    // What the backend's own check of its storage finds wrong; empty when sound.
    virtual QStringList integrityProblems() = 0;
    // The version of the layout the data was made with (0 before any was set).
    virtual int schemaVersion() = 0;
    virtual void setSchemaVersion(int version) = 0;

    // The first column of every row of a query, read with a cached statement.
    QVariantList firstColumn(const QString& sql, const QVariantList& params = {});

    // Throws the error the tests armed (tests/support/DatabaseFaults.h), if any.
    void takeInjectedWriteFailure();

    void registerStatement(Statement* statement);
    void unregisterStatement(Statement* statement);

    QString path;
    int failWritesLeft = 0;
    int failWritesNumber = 0;
    int transactionDepth = 0;

protected:
    // Lets go of the backend's handle; statements are already detached.
    virtual void closeHandle() = 0;

private:
    struct CacheEntry {
        std::shared_ptr<Statement> statement;
        std::uint64_t lastUse = 0;
    };
    static constexpr int CacheLimit = 64;

    QSet<Statement*> m_live;
    QHash<QString, CacheEntry> m_cache;
    std::uint64_t m_useCounter = 0;
};

#pragma once

#include "engine/internal/Connection.h"

struct sqlite3;

// The SQLite file: one handle, held by one process (exclusively, as Database opens it).
class SqliteConnection final : public Connection {
public:
    SqliteConnection(sqlite3* handle, const QString& filePath) : Connection(filePath), db(handle) {}
    ~SqliteConnection() override;

    bool isOpen() const override { return db != nullptr; }
    std::unique_ptr<Statement> newStatement(const QString& sql) override;
    std::int64_t changes() const override;
    bool inTransaction() const override;
    QString beginSql() const override;
    void rollbackQuietly(bool outermost, const QString& savepoint) override;
    std::int64_t nextKey(const QString& table, const QString& keyColumn) override;
    bool tableExists(const QString& table) override;
    QStringList columnNames(const QString& table) override;
    QStringList indexNames() override;
    QStringList integrityProblems() override;
    int schemaVersion() override;
    void setSchemaVersion(int version) override;

    sqlite3* db = nullptr;

protected:
    void closeHandle() override;
};

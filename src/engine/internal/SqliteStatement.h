#pragma once

#include "engine/internal/ValueConversion.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

struct sqlite3;
struct sqlite3_stmt;
struct Connection;

// One prepared statement, finalised when destroyed or when its connection closes
// (a statement that outlives its database then reports InvalidObject).
class SqliteStatement {
public:
    SqliteStatement(Connection& connection, const QString& sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    const QString& sql() const { return m_sql; }
    // The part of the SQL text after the first statement, when there was more than one.
    const QString& tail() const { return m_tail; }
    bool isEmpty() const { return m_stmt == nullptr && m_live; }
    // Whether running it changes the file (or a transaction).
    bool writes() const { return m_writes; }
    // Refuses SQL text that holds more than one statement where only one is run, so
    // nothing after a semicolon is silently ignored.
    void requireSingle() const;

    // Resets the statement and binds params to ?1..?n.
    void bind(const QVariantList& params);
    // Steps once: true while there is a row.
    bool step();
    void reset();

    int columnCount() const { return m_columnCount; }
    QString columnName(int column) const;
    QVariant value(int column) const;
    QVariantList row() const;
    std::int64_t int64Value(int column) const;

    // Called by the connection when it closes.
    void detach();

private:
    sqlite3_stmt* handle() const;

    Connection* m_conn;
    sqlite3_stmt* m_stmt = nullptr;
    QString m_sql;
    QString m_tail;
    std::vector<ColumnKind> m_kinds;
    int m_columnCount = 0;
    bool m_writes = false;
    bool m_live = true;
};

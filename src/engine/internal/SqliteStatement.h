#pragma once

#include "engine/internal/Statement.h"
#include "engine/internal/ValueConversion.h"

#include <QString>
#include <QVariant>

#include <vector>

struct sqlite3_stmt;
class SqliteConnection;

// One prepared SQLite statement, finalised when destroyed or when its connection closes
// (a statement that outlives its database then reports InvalidObject).
class SqliteStatement final : public Statement {
public:
    SqliteStatement(SqliteConnection& connection, const QString& sql);
    ~SqliteStatement() override;

    bool isEmpty() const override { return m_stmt == nullptr && m_live; }

    // Resets the statement and binds params to ?1..?n.
    void bind(const QVariantList& params) override;
    bool step() override;
    void reset() override;

    int columnCount() const override { return m_columnCount; }
    QString columnName(int column) const override;
    QVariant value(int column) const override;
    QVariantList row() const override;
    std::int64_t int64Value(int column) const override;

    void detach() override;

private:
    sqlite3_stmt* handle() const;

    SqliteConnection* m_conn;
    sqlite3_stmt* m_stmt = nullptr;
    std::vector<ColumnKind> m_kinds;
    int m_columnCount = 0;
    bool m_live = true;
};

#pragma once

#include "engine/Recordset.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <vector>

struct Connection;
class Statement;

// A read-only recordset over any query. Walked front to back it streams from the
// statement and holds no rows, however large the result; moving back, to the last row
// or finding a row reads the whole result into memory once (the query is run again
// from its start for that). As with the engine the forms were written for, RecordCount
// counts the rows reached so far: 0 exactly when the result is empty, and complete after
// MoveLast.
class Snapshot final : public Recordset {
public:
    Snapshot(std::shared_ptr<Connection> connection, const QString& sql,
             const QVariantList& params);
    ~Snapshot() override;

    RecordsetType type() const override { return RecordsetType::Snapshot; }
    int recordCount() const override;
    bool bof() const override;
    bool eof() const override;
    void moveFirst() override;
    void moveLast() override;
    void moveNext() override;
    void movePrevious() override;

    QStringList fieldNames() const override;
    QVariant value(const QString& field) const override;

    bool findFirst(const QString& field, const QVariant& value) override;
    bool findFirstWhere(const QString& condition, const QVariantList& params = {}) override;
    bool noMatch() const override;

    void addNew() override;
    void edit() override;
    void setValue(const QString& field, const QVariant& value) override;
    void update() override;
    void cancelUpdate() override;
    void deleteRecord() override;
    bool isEditing() const override;

    void close() override;

private:
    Connection& usable() const;
    int fieldIndex(const QString& field) const;
    bool isEmpty() const;
    void restart();
    void materialise();
    [[noreturn]] void refuseWrite() const;

    // Declared before the statement, so the statement is finalised while its
    // connection is still there.
    std::shared_ptr<Connection> m_conn;
    std::unique_ptr<Statement> m_stmt;
    QStringList m_fields;
    QHash<QString, int> m_fieldIndex;

    bool m_materialised = false;
    std::vector<QVariantList> m_rows;
    // Index of the current row; -1 before the first. While streaming, m_streamEnded
    // marks the position after the last row.
    std::ptrdiff_t m_pos = -1;
    std::ptrdiff_t m_seen = 0;
    bool m_streamEnded = false;

    bool m_noMatch = false;
    bool m_closed = false;
};

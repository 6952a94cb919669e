#pragma once

#include "engine/Recordset.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstdint>
#include <memory>
#include <vector>

struct Connection;

// An updatable recordset over one table. The keys of the table are read once, in the
// recordset's order; a row is fetched by its key when it becomes current. Rows added
// through the dynaset are appended to the keys, so they come last until it is reopened,
// and deleted rows leave the keys at once.
class Dynaset final : public Recordset {
public:
    Dynaset(std::shared_ptr<Connection> connection, const QString& table, const QString& orderBy,
            const QString& keyColumn);

    RecordsetType type() const override { return RecordsetType::Dynaset; }
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
    enum class EditMode { None, Adding, Editing };

    Connection& usable() const;
    int fieldIndex(const QString& field) const;
    bool hasCurrent() const;
    const QVariantList& currentRow() const;
    void leaveRow();
    bool moveToFirstOf(const std::vector<std::int64_t>& matches);
    std::int64_t nextKey();
    [[noreturn]] void refuseChangedRow();

    std::shared_ptr<Connection> m_conn;
    QString m_table;
    QString m_key;
    QString m_fetchSql;
    QStringList m_fields;
    QHash<QString, int> m_fieldIndex;
    int m_keyIndex = -1;
    // The column rowversion, where the table has one (a database on a server): bumped by
    // every Update, which writes only while it still holds the value read for editing.
    int m_versionIndex = -1;

    std::vector<std::int64_t> m_keys;
    // -1 before the first row, m_keys.size() after the last.
    std::ptrdiff_t m_pos = -1;
    // The current row was deleted: m_pos already names the row that followed it.
    bool m_onDeleted = false;

    mutable std::int64_t m_rowKey = 0;
    mutable bool m_rowValid = false;
    mutable QVariantList m_row;

    EditMode m_mode = EditMode::None;
    QVariantList m_buffer;
    std::vector<bool> m_changed;
    std::int64_t m_bufferKey = 0;

    bool m_noMatch = false;
    bool m_closed = false;
};

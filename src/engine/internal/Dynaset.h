#pragma once

#include "engine/Recordset.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

struct Connection;
class Statement;

// An updatable recordset over one table, in the order of one of its columns (or of its key).
// Nothing is read ahead: each move is one or two index searches from the row it leaves, by
// the sort value and then the key, so opening and paging cost the same however large the
// table is. Rows that sort alike follow one another by key; rows without a sort value come
// first, or last when the order is descending, where the file itself sorts them.
// The rows are those the table held when the dynaset was opened: rows added through it
// follow them, in the order added, until it is reopened (rows inserted by other means wait
// for the reopening), and rows deleted, through it or otherwise, are passed over.
class Dynaset final : public Recordset {
public:
    // The searches that moves are made of, from one row to the next (Dynaset.cpp).
    enum Search {
        FirstByKey,
        LastByKey,
        KeyAfter,
        KeyBefore,
        FirstWithout,
        LastWithout,
        FirstWith,
        LastWith,
        WithoutAfter,
        WithoutBefore,
        AlikeAfter,
        AlikeBefore,
        Above,
        Below,
        SearchCount
    };

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

    enum class Where { BeforeFirst, OnOrdered, OnAdded, AfterLast };
    // A row of the opened table's order: its sort value as stored, and its key.
    struct Anchor {
        QVariant sortValue;
        std::int64_t key = 0;
    };

    Connection& usable() const;
    int fieldIndex(const QString& field) const;
    void parseOrder(const QString& orderBy);
    bool hasCurrent() const;
    std::int64_t currentKey() const;
    const QVariantList& currentRow() const;
    void leaveRow();
    bool isEmpty() const;
    bool hasFollower() const;

    // The next row of the opened table's order after `from` (before it when !forward), or
    // the first (last) row when from is null.
    std::optional<Anchor> seek(const Anchor* from, bool forward) const;
    QString searchColumns() const;
    Anchor takeRow(const Statement& search) const;
    const QString& searchSql(Search search) const;
    std::optional<Anchor> pick(Search search, const QVariant& first = {},
                               const QVariant& second = {}) const;
    QString orderClause(bool up) const;
    void stepForward();
    void stepBackward();
    void goFirst();
    void goLast();
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

    // The sort column, quoted; empty when the rows are in key order.
    QString m_sortColumn;
    bool m_descending = false;
    // Keys above it were given out after opening: those rows follow, or wait for a reopening.
    std::int64_t m_openedHighestKey = 0;
    mutable std::array<QString, SearchCount> m_searchSql;
    // Rows added through this dynaset, in the order added.
    std::vector<std::int64_t> m_added;

    Where m_where = Where::BeforeFirst;
    Anchor m_anchor;
    std::size_t m_addedIndex = 0;
    // The current row was deleted: moving on goes from where it was. For an added row,
    // m_addedIndex already names the one that followed it.
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

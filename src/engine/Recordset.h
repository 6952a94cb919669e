#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

enum class RecordsetType { Dynaset = 2, Snapshot = 4 };

// A cursor over a query result with the semantics the forms rely on: BOF before the first
// row, EOF after the last, RecordCount 0 exactly when empty. Values are QVariants; a null
// QVariant is Null. Dates come back as QDate (or QDateTime when a time of day was stored),
// amounts as Currency, yes/no fields as bool.
class Recordset {
public:
    virtual ~Recordset() = default;

    virtual RecordsetType type() const = 0;
    virtual int recordCount() const = 0;
    virtual bool bof() const = 0;
    virtual bool eof() const = 0;
    virtual void moveFirst() = 0;
    virtual void moveLast() = 0;
    virtual void moveNext() = 0;
    virtual void movePrevious() = 0;

    virtual QStringList fieldNames() const = 0;
    // The named field of the current row, or of the row being added or edited.
    virtual QVariant value(const QString& field) const = 0;

    // Moves to the first row, in recordset order, whose field equals value (text
    // compared without regard to case). Returns false and sets NoMatch when none does.
    virtual bool findFirst(const QString& field, const QVariant& value) = 0;
    // Dynaset only: the first row in recordset order matching a WHERE condition
    // with bound parameters.
    virtual bool findFirstWhere(const QString& condition, const QVariantList& params = {}) = 0;
    virtual bool noMatch() const = 0;

    // Changes nothing here: every Update locks its row only while it runs (optimistic
    // locking) whatever this says. A file is held exclusively, so no other writer can hold
    // a record; on a server, an Update finds a row another user changed or deleted since it
    // was read by its row version and fails with RecordChanged, writing nothing. Kept for
    // the call sites, which set it after each open.
    void setLockEdits(bool lock) { m_lockEdits = lock; }
    bool lockEdits() const { return m_lockEdits; }

    // Dynaset only. AddNew assigns the new row's key at once, readable before Update.
    virtual void addNew() = 0;
    virtual void edit() = 0;
    virtual void setValue(const QString& field, const QVariant& value) = 0;
    // Writes the added or edited row in one statement: all of it or nothing.
    virtual void update() = 0;
    virtual void cancelUpdate() = 0;
    virtual void deleteRecord() = 0;
    virtual bool isEditing() const = 0;

    virtual void close() = 0;

private:
    bool m_lockEdits = true;
};

#pragma once

#include <QString>
#include <QVariant>

#include <cstdint>

// One prepared statement of whichever backend holds the data: SQL text with ? placeholders,
// values bound afresh for each run, rows stepped through front to back. Values come back
// as the program works with them (ValueConversion.h). A statement whose connection has
// closed reports InvalidObject.
class Statement {
public:
    virtual ~Statement() = default;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    const QString& sql() const { return m_sql; }
    // The part of the SQL text after the first statement, when there was more than one.
    const QString& tail() const { return m_tail; }
    // Whether the text held no statement at all (only blanks or comments).
    virtual bool isEmpty() const = 0;
    // Whether running it changes the data (or a transaction).
    bool writes() const { return m_writes; }
    // Refuses SQL text that holds more than one statement where only one is run, so
    // nothing after a semicolon is silently ignored.
    void requireSingle() const;

    // Resets the statement and binds params to the placeholders in order.
    virtual void bind(const QVariantList& params) = 0;
    // Steps once: true while there is a row.
    virtual bool step() = 0;
    virtual void reset() = 0;

    virtual int columnCount() const = 0;
    virtual QString columnName(int column) const = 0;
    virtual QVariant value(int column) const = 0;
    virtual QVariantList row() const;
    virtual std::int64_t int64Value(int column) const = 0;

    // Called by the connection when it closes.
    virtual void detach() = 0;

protected:
    explicit Statement(const QString& sql) : m_sql(sql) {}

    QString m_sql;
    QString m_tail;
    bool m_writes = false;
};

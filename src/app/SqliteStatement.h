#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

struct sqlite3;
struct sqlite3_stmt;
struct Connection;

// How a column's declared type asks its values to be read. Values stored in a storage
// class the declared type does not expect are read as stored, so nothing is lost.
enum class ColumnKind { Unknown, Integer, Real, Currency, Date, Boolean, Text, Blob };

ColumnKind columnKindOf(const char* declaredType);

// What a statement was doing when SQLite failed: a busy file means "in use" while
// opening or reading, but "locked record" while writing.
enum class SqlContext { Open, Read, Write };

// The EngineError for a SQLite result code, with the numbers the error trap knows.
[[noreturn]] void throwSqliteError(sqlite3* db, int rc, SqlContext context, const QString& path);

// The text of an EngineError with a number the engine adapter raises itself.
QString engineErrorText(int number, const QString& subject = {});
[[noreturn]] void throwEngineError(int number, const QString& subject = {});

// SQL text helpers for names that come from our own code, never from the user.
QString quoteIdentifier(const QString& name);

// A LIKE pattern matching every text that begins with `text`, taken literally: the
// wildcards % and _ and the escape character \ in it are escaped. Use it with
// ESCAPE '\', e.g. "pvx_fold(descr) LIKE pvx_fold(?) ESCAPE '\'".
QString likePrefixPattern(const QString& text);

// Lets QVariant convert Currency to and from numbers and text (toDouble(), toString(),
// value<Currency>() of a number). Safe to call more than once.
void registerValueTypes();

// Writes a value the way the file stores it: dates as ISO text, amounts as numbers,
// yes/no as 0/1, Null as NULL, an empty string as an empty string.
void bindVariant(sqlite3_stmt* stmt, int index, const QVariant& value);

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

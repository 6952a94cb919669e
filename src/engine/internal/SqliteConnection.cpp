#include "engine/internal/SqliteConnection.h"

#include "engine/SqlText.h"
#include "engine/internal/SqliteStatement.h"

#include <sqlite3.h>

#include <algorithm>

namespace {

QStringList texts(const QVariantList& values) {
    QStringList list;
    list.reserve(values.size());
    for (const QVariant& value : values)
        list << value.toString();
    return list;
}

} // namespace

SqliteConnection::~SqliteConnection() {
    close();
}

void SqliteConnection::closeHandle() {
    if (db) {
        sqlite3_close_v2(db);
        db = nullptr;
    }
}

std::unique_ptr<Statement> SqliteConnection::newStatement(const QString& sql) {
    return std::make_unique<SqliteStatement>(*this, sql);
}

std::int64_t SqliteConnection::changes() const {
    return db ? sqlite3_changes64(db) : 0;
}

bool SqliteConnection::inTransaction() const {
    return db && !sqlite3_get_autocommit(db);
}

QString SqliteConnection::beginSql() const {
    // The write lock is taken at the start, so a transaction never fails halfway for a lock.
    return QStringLiteral("BEGIN IMMEDIATE");
}

void SqliteConnection::rollbackQuietly(bool outermost, const QString& savepoint) {
    if (!db)
        return;
    if (outermost) {
        if (!sqlite3_get_autocommit(db))
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        return;
    }
    const QByteArray sql = QStringLiteral("ROLLBACK TO %1; RELEASE %1").arg(savepoint).toUtf8();
    sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
}

// The engine's counter: one past both the highest key ever handed out (which survives the
// deletion of the last row) and the highest key present. The file is held exclusively, so
// nobody else hands out a key in between.
std::int64_t SqliteConnection::nextKey(const QString& table, const QString& keyColumn) {
    std::int64_t highest = 0;
    if (!firstColumn(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' "
                                    "AND name = 'sqlite_sequence'"))
             .isEmpty()) {
        const QVariantList sequence = firstColumn(
            QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = ? COLLATE NOCASE"),
            {table});
        if (!sequence.isEmpty())
            highest = sequence.constFirst().toLongLong();
    }
    const QVariantList maxKey =
        firstColumn(QStringLiteral("SELECT max(%1) FROM %2")
                        .arg(quoteIdentifier(keyColumn), quoteIdentifier(table)));
    if (!maxKey.isEmpty())
        highest = std::max(highest, std::int64_t(maxKey.constFirst().toLongLong()));
    return highest + 1;
}

bool SqliteConnection::tableExists(const QString& table) {
    return !firstColumn(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type IN ('table', "
                                       "'view') AND name = ? COLLATE NOCASE"),
                        {table})
                .isEmpty();
}

QStringList SqliteConnection::columnNames(const QString& table) {
    return texts(firstColumn(QStringLiteral("SELECT name FROM pragma_table_info(?)"), {table}));
}

QStringList SqliteConnection::indexNames() {
    return texts(
        firstColumn(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index'")));
}

QStringList SqliteConnection::integrityProblems() {
    QStringList problems = texts(firstColumn(QStringLiteral("PRAGMA integrity_check")));
    problems.removeAll(QStringLiteral("ok"));
    return problems;
}

int SqliteConnection::schemaVersion() {
    return firstColumn(QStringLiteral("PRAGMA user_version")).value(0).toInt();
}

void SqliteConnection::setSchemaVersion(int version) {
    auto statement = newStatement(QStringLiteral("PRAGMA user_version = %1").arg(version));
    statement->bind({});
    while (statement->step()) {
    }
}

#include "engine/internal/SqliteStatement.h"

#include "engine/internal/ErrorMapping.h"
#include "engine/internal/SqliteConnection.h"
#include "engine/internal/ValueConversion.h"

#include <sqlite3.h>

namespace {

bool startsWithTransactionWord(const QString& sql) {
    static const char* const words[] = {"BEGIN",    "COMMIT",    "END",
                                        "ROLLBACK", "SAVEPOINT", "RELEASE"};
    const QString trimmed = sql.trimmed();
    for (const char* word : words) {
        if (trimmed.startsWith(QLatin1String(word), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

} // namespace

SqliteStatement::SqliteStatement(SqliteConnection& connection, const QString& sql)
    : Statement(sql), m_conn(&connection) {
    connection.checkOpen();
    const QByteArray utf8 = sql.toUtf8();
    const char* tail = nullptr;
    const int rc =
        sqlite3_prepare_v2(connection.db, utf8.constData(), int(utf8.size()), &m_stmt, &tail);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        throwSqliteError(connection.db, rc, SqlContext::Read, connection.path);
    }
    if (tail && tail < utf8.constData() + utf8.size())
        m_tail = QString::fromUtf8(tail, utf8.constData() + utf8.size() - tail).trimmed();
    if (m_stmt) {
        m_writes = !sqlite3_stmt_readonly(m_stmt) || startsWithTransactionWord(sql);
        m_columnCount = sqlite3_column_count(m_stmt);
        m_kinds.reserve(m_columnCount);
        for (int column = 0; column < m_columnCount; ++column)
            m_kinds.push_back(columnKindOf(sqlite3_column_decltype(m_stmt, column)));
    }
    connection.registerStatement(this);
}

SqliteStatement::~SqliteStatement() {
    if (m_conn)
        m_conn->unregisterStatement(this);
    sqlite3_finalize(m_stmt);
}

void SqliteStatement::detach() {
    sqlite3_finalize(m_stmt);
    m_stmt = nullptr;
    m_conn = nullptr;
    m_live = false;
}

sqlite3_stmt* SqliteStatement::handle() const {
    if (!m_live)
        throwEngineError(ErrorNumber::InvalidObject);
    return m_stmt;
}

void SqliteStatement::bind(const QVariantList& params) {
    sqlite3_stmt* stmt = handle();
    if (!stmt) {
        if (!params.isEmpty())
            throwEngineError(ErrorNumber::EngineFailure,
                             QStringLiteral("parameters given for an empty statement"));
        return;
    }
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    const int expected = sqlite3_bind_parameter_count(stmt);
    if (expected != params.size())
        throwEngineError(ErrorNumber::EngineFailure,
                         QStringLiteral("the statement takes %1 parameters, %2 were given: %3")
                             .arg(expected)
                             .arg(params.size())
                             .arg(m_sql));
    for (int i = 0; i < expected; ++i)
        bindVariant(stmt, i + 1, params.at(i));
}

bool SqliteStatement::step() {
    sqlite3_stmt* stmt = handle();
    if (!stmt)
        return false;
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    try {
        throwSqliteError(m_conn->db, rc, m_writes ? SqlContext::Write : SqlContext::Read,
                         m_conn->path);
    } catch (...) {
        sqlite3_reset(stmt);
        throw;
    }
}

void SqliteStatement::reset() {
    if (m_stmt)
        sqlite3_reset(m_stmt);
}

QString SqliteStatement::columnName(int column) const {
    sqlite3_stmt* stmt = handle();
    return stmt ? QString::fromUtf8(sqlite3_column_name(stmt, column)) : QString();
}

QVariant SqliteStatement::value(int column) const {
    sqlite3_stmt* stmt = handle();
    if (!stmt || column < 0 || column >= m_columnCount)
        return QVariant();
    return convertedValue(stmt, column, m_kinds[column]);
}

QVariantList SqliteStatement::row() const {
    sqlite3_stmt* stmt = handle();
    QVariantList values;
    values.reserve(m_columnCount);
    for (int column = 0; column < m_columnCount; ++column)
        values.append(convertedValue(stmt, column, m_kinds[column]));
    return values;
}

std::int64_t SqliteStatement::int64Value(int column) const {
    return sqlite3_column_int64(handle(), column);
}

#include "engine/internal/PgConnection.h"

#include "engine/Schema.h"
#include "engine/SqlText.h"
#include "engine/internal/ErrorMapping.h"
#include "engine/internal/PgStatement.h"

#include <libpq-fe.h>

#include <QSet>

#include <vector>

namespace {

// How long a write waits for a row another user's unfinished write holds before it is
// reported as locked, so the locked-record protocol (its 99 silent retries, then the
// question: two seconds in all) takes over instead of the window hanging.
constexpr const char* LockWait = "SET lock_timeout = '20ms'";

QStringList texts(const QVariantList& values) {
    QStringList list;
    list.reserve(values.size());
    for (const QVariant& value : values)
        list << PgConnection::spelling(value.toString());
    return list;
}

ColumnKind kindOfTypeName(const QByteArray& name) {
    if (name == "pvx_date")
        return ColumnKind::Date;
    if (name == "pvx_currency")
        return ColumnKind::Currency;
    if (name == "bool")
        return ColumnKind::Boolean;
    if (name == "int2" || name == "int4" || name == "int8")
        return ColumnKind::Integer;
    if (name == "float4" || name == "float8")
        return ColumnKind::Real;
    if (name == "bytea")
        return ColumnKind::Blob;
    if (name == "text" || name == "varchar" || name == "bpchar" || name == "name")
        return ColumnKind::Text;
    return ColumnKind::Unknown;
}

ColumnKind kindOfType(Oid type) {
    switch (type) {
    case 16:
        return ColumnKind::Boolean;
    case 17:
        return ColumnKind::Blob;
    case 20:
    case 21:
    case 23:
        return ColumnKind::Integer;
    case 700:
    case 701:
        return ColumnKind::Real;
    case 25:
    case 1042:
    case 1043:
        return ColumnKind::Text;
    default:
        return ColumnKind::Unknown;
    }
}

void runQuietly(PGconn* pg, const char* sql) {
    PQclear(PQexec(pg, sql));
}

} // namespace

PgConnection::PgConnection(PGconn* connection) : Connection(QString()), pg(connection) {
    path = serverName();
}

PgConnection::~PgConnection() {
    close();
}

std::shared_ptr<PgConnection> PgConnection::connect(const QString& connectionString) {
    registerValueTypes();
    // The string is checked before anything is sent: a password in it is refused, as Purvex
    // never keeps one, and a string libpq cannot read is named as such.
    char* parseError = nullptr;
    PQconninfoOption* options = PQconninfoParse(connectionString.toUtf8().constData(), &parseError);
    if (!options) {
        const QString reason =
            parseError ? QString::fromUtf8(parseError).trimmed() : QStringLiteral("out of memory");
        PQfreemem(parseError);
        throw EngineError(ErrorNumber::CannotOpenFile,
                          QStringLiteral("The connection string cannot be read: %1").arg(reason));
    }
    bool password = false;
    bool timeoutGiven = !qEnvironmentVariableIsEmpty("PGCONNECT_TIMEOUT") ||
                        !qEnvironmentVariableIsEmpty("PGSERVICE");
    for (const PQconninfoOption* option = options; option->keyword; ++option) {
        const bool given = option->val && *option->val;
        if (qstrcmp(option->keyword, "password") == 0 && given)
            password = true;
        // A named service is the administrator's place for settings, its timeout included.
        if ((qstrcmp(option->keyword, "connect_timeout") == 0 ||
             qstrcmp(option->keyword, "service") == 0) &&
            given)
            timeoutGiven = true;
    }
    PQconninfoFree(options);
    if (password)
        throw EngineError(ErrorNumber::CannotOpenFile,
                          QStringLiteral("The connection string holds a password.  Purvex never "
                                         "keeps one: remove it and put it in the password file "
                                         "~/.pgpass (or a service file, or PGPASSWORD) instead."));
    // libpq waits for a server that never answers for as long as the network lets it, so
    // start-up would hang with no window; without a timeout of the user's own it gives up
    // after DefaultConnectTimeout. The string comes last so that what it says wins.
    const QByteArray string = connectionString.toUtf8();
    const QByteArray timeout = QByteArray::number(DefaultConnectTimeout);
    std::vector<const char*> keywords;
    std::vector<const char*> values;
    if (!timeoutGiven) {
        keywords.push_back("connect_timeout");
        values.push_back(timeout.constData());
    }
    keywords.push_back("dbname");
    values.push_back(string.constData());
    keywords.push_back(nullptr);
    values.push_back(nullptr);
    PGconn* handle = PQconnectdbParams(keywords.data(), values.data(), 1);
    if (!handle || PQstatus(handle) != CONNECTION_OK) {
        const QString reason = handle ? QString::fromUtf8(PQerrorMessage(handle)).trimmed()
                                      : QStringLiteral("out of memory");
        const QString server = handle ? serverNameOf(handle) : QString();
        PQfinish(handle);
        const QString where = server.isEmpty() ? QString() : QLatin1Char(' ') + server;
        throw EngineError(
            ErrorNumber::CannotOpenFile,
            QStringLiteral("Could not connect to the database server%1: %2").arg(where, reason));
    }
    PQsetClientEncoding(handle, "UTF8");
    runQuietly(handle, LockWait);
    return std::shared_ptr<PgConnection>(new PgConnection(handle));
}

void PgConnection::closeHandle() {
    if (pg) {
        PQfinish(pg);
        pg = nullptr;
    }
}

QString PgConnection::serverName() const {
    return pg ? serverNameOf(pg) : QString();
}

QString PgConnection::serverNameOf(PGconn* connection) {
    const QString host = QString::fromUtf8(PQhost(connection));
    return QStringLiteral("%1 on %2:%3")
        .arg(QString::fromUtf8(PQdb(connection)),
             host.isEmpty() ? QStringLiteral("localhost") : host,
             QString::fromUtf8(PQport(connection)));
}

QString PgConnection::setting(const char* keyword) const {
    if (!pg)
        return {};
    PQconninfoOption* options = PQconninfo(pg);
    QString value;
    for (const PQconninfoOption* option = options; option && option->keyword; ++option) {
        if (qstrcmp(option->keyword, keyword) == 0 && option->val)
            value = QString::fromUtf8(option->val);
    }
    PQconninfoFree(options);
    return value;
}

QByteArray PgConnection::nextStatementName() {
    return "pvx_s" + QByteArray::number(qulonglong(++m_statementCounter));
}

std::unique_ptr<Statement> PgConnection::newStatement(const QString& sql) {
    return std::make_unique<PgStatement>(*this, sql);
}

bool PgConnection::inTransaction() const {
    return pg && PQtransactionStatus(pg) != PQTRANS_IDLE;
}

QString PgConnection::beginSql() const {
    return QStringLiteral("BEGIN");
}

void PgConnection::rollbackQuietly(bool outermost, const QString& savepoint) {
    if (!pg)
        return;
    if (outermost) {
        if (PQtransactionStatus(pg) != PQTRANS_IDLE)
            runQuietly(pg, "ROLLBACK");
        return;
    }
    runQuietly(pg, QStringLiteral("ROLLBACK TO SAVEPOINT %1; RELEASE SAVEPOINT %1")
                       .arg(savepoint)
                       .toUtf8()
                       .constData());
}

// The server's sequence of the key column hands out keys, which no two users ever share,
// and which no rollback gives back. Rows brought in with their own keys (an import) leave
// the sequence behind; it is then moved past them. A key below the highest stored one is
// usually just another user's later key saved first, so the sequence is moved only when
// the key it gave is really taken, and only forwards: moving it back to the highest stored
// key would hand out again the keys other users hold for rows they have not saved yet.
std::int64_t PgConnection::nextKey(const QString& table, const QString& keyColumn) {
    const QVariant sequence = firstColumn(QStringLiteral("SELECT pg_get_serial_sequence(?, ?)"),
                                          {quoteIdentifier(table.toLower()), keyColumn.toLower()})
                                  .value(0);
    const QString maxSql = QStringLiteral("SELECT coalesce(max(%1), 0) FROM %2")
                               .arg(quoteIdentifier(keyColumn), quoteIdentifier(table));
    if (sequence.isNull())
        return firstColumn(maxSql).value(0).toLongLong() + 1;
    const QString takenSql = QStringLiteral("SELECT 1 FROM %2 WHERE %1 = ?")
                                 .arg(quoteIdentifier(keyColumn), quoteIdentifier(table));
    const QString nextSql = QStringLiteral("SELECT nextval(?::regclass)");
    std::int64_t key = firstColumn(nextSql, {sequence}).value(0).toLongLong();
    while (!firstColumn(takenSql, {qlonglong(key)}).isEmpty()) {
        const std::int64_t highest = firstColumn(maxSql).value(0).toLongLong();
        firstColumn(QStringLiteral("SELECT setval(?::regclass, greatest(?, "
                                   "pg_sequence_last_value(?::regclass)))"),
                    {sequence, qlonglong(highest), sequence});
        key = firstColumn(nextSql, {sequence}).value(0).toLongLong();
    }
    return key;
}

bool PgConnection::tableExists(const QString& table) {
    return !firstColumn(QStringLiteral("SELECT 1 FROM pg_catalog.pg_class c WHERE c.relkind IN "
                                       "('r', 'v', 'p', 'm') AND lower(c.relname) = lower(?) "
                                       "AND pg_catalog.pg_table_is_visible(c.oid)"),
                        {table})
                .isEmpty();
}

QStringList PgConnection::columnNames(const QString& table) {
    return texts(firstColumn(
        QStringLiteral("SELECT a.attname FROM pg_catalog.pg_attribute a JOIN pg_catalog.pg_class c "
                       "ON c.oid = a.attrelid WHERE lower(c.relname) = lower(?) AND "
                       "pg_catalog.pg_table_is_visible(c.oid) AND a.attnum > 0 AND NOT "
                       "a.attisdropped ORDER BY a.attnum"),
        {table}));
}

QStringList PgConnection::indexNames() {
    return texts(firstColumn(QStringLiteral(
        "SELECT indexname FROM pg_catalog.pg_indexes WHERE schemaname = current_schema()")));
}

QStringList PgConnection::integrityProblems() {
    return {};
}

// The server has no version number of its own for a database's layout; a table of one row
// keeps it.
int PgConnection::schemaVersion() {
    if (!tableExists(QStringLiteral("LayoutVersion")))
        return 0;
    return firstColumn(QStringLiteral("SELECT max(version) FROM LayoutVersion")).value(0).toInt();
}

void PgConnection::setSchemaVersion(int version) {
    for (const QString& sql :
         {QStringLiteral("CREATE TABLE IF NOT EXISTS LayoutVersion (version integer NOT NULL)"),
          QStringLiteral("DELETE FROM LayoutVersion")}) {
        StatementLease statement = prepared(sql);
        statement->bind({});
        statement->step();
    }
    StatementLease insert =
        prepared(QStringLiteral("INSERT INTO LayoutVersion (version) VALUES (?)"));
    insert->bind({version});
    insert->step();
}

ColumnKind PgConnection::kindOf(Oid table, int tableColumn, Oid type) {
    if (table == 0 || tableColumn <= 0 || !pg)
        return kindOfType(type);
    auto found = m_columnKinds.find(table);
    if (found == m_columnKinds.end()) {
        // Read with libpq directly: a statement of ours would ask for the kinds of the
        // catalogue's own columns in turn.
        QHash<int, ColumnKind> kinds;
        bool read = false;
        const QByteArray oid = QByteArray::number(table);
        const char* values[] = {oid.constData()};
        PGresult* result = PQexecParams(
            pg,
            "SELECT a.attnum, t.typname FROM pg_catalog.pg_attribute a JOIN pg_catalog.pg_type t "
            "ON t.oid = a.atttypid WHERE a.attrelid = $1::oid AND a.attnum > 0",
            1, nullptr, values, nullptr, nullptr, 0);
        if (PQresultStatus(result) == PGRES_TUPLES_OK) {
            read = true;
            for (int row = 0; row < PQntuples(result); ++row)
                kinds.insert(QByteArray(PQgetvalue(result, row, 0)).toInt(),
                             kindOfTypeName(QByteArray(PQgetvalue(result, row, 1))));
        }
        PQclear(result);
        // Inside a failed transaction nothing can be read; the next statement asks again.
        if (!read)
            return kindOfType(type);
        found = m_columnKinds.insert(table, kinds);
    }
    return found->value(tableColumn, kindOfType(type));
}

QString PgConnection::spelling(const QString& name) {
    static const QHash<QString, QString> names = [] {
        QHash<QString, QString> map;
        for (const QString& known : Schema::names())
            map.insert(known.toLower(), known);
        return map;
    }();
    return names.value(name, name);
}

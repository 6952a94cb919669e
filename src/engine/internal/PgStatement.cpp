#include "engine/internal/PgStatement.h"

#include "engine/Currency.h"
#include "engine/internal/ErrorMapping.h"
#include "engine/internal/PgConnection.h"
#include "engine/internal/PgSqlText.h"

#include <QDate>
#include <QDateTime>

#include <libpq-fe.h>

#include <climits>

namespace {

// Statements that only read; anything else changes the data or a transaction.
bool onlyReads(const QString& sql) {
    static const char* const words[] = {"SELECT", "WITH", "VALUES", "SHOW", "TABLE", "EXPLAIN"};
    for (const char* word : words) {
        if (sql.startsWith(QLatin1String(word), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QVariant integerVariant(qlonglong value) {
    if (value >= INT_MIN && value <= INT_MAX)
        return QVariant(int(value));
    return QVariant(value);
}

// Type numbers of the server's built-in types (pg_type.oid), fixed since its first release.
enum : Oid {
    BoolOid = 16,
    ByteaOid = 17,
    Int8Oid = 20,
    Int2Oid = 21,
    Int4Oid = 23,
    Float4Oid = 700,
    Float8Oid = 701,
    NumericOid = 1700,
};

// The text form a value is sent in: dates as ISO text, amounts as exact decimals, yes/no as
// true/false, bytes in binary form.
struct BoundValue {
    QByteArray bytes;
    bool null = false;
    bool binary = false;
};

BoundValue boundValue(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return {{}, true, false};
    if (value.metaType() == QMetaType::fromType<Currency>()) {
        const Currency amount = value.value<Currency>();
        if (!amount.isStorable())
            throw EngineError(ErrorNumber::Overflow, QStringLiteral("Overflow"));
        return {amount.toDecimalText().toUtf8()};
    }
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return {value.toBool() ? QByteArray("true") : QByteArray("false")};
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Char:
        return {value.toString().toUtf8()};
    case QMetaType::Double:
    case QMetaType::Float:
        return {QByteArray::number(value.toDouble(), 'g', 17)};
    case QMetaType::QDate: {
        const QDate date = value.toDate();
        if (!date.isValid())
            return {{}, true, false};
        return {date.toString(QStringLiteral("yyyy-MM-dd")).toUtf8()};
    }
    case QMetaType::QDateTime: {
        const QDateTime when = value.toDateTime();
        if (!when.isValid())
            return {{}, true, false};
        return {when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8()};
    }
    case QMetaType::QByteArray:
        return {value.toByteArray(), false, true};
    default:
        if (value.metaType().id() != QMetaType::QString && !value.canConvert<QString>())
            throwEngineError(ErrorNumber::TypeMismatch);
        return {value.toString().toUtf8()};
    }
}

QVariant numericValue(const QByteArray& text) {
    bool whole = false;
    const qlonglong number = text.toLongLong(&whole);
    if (whole)
        return integerVariant(number);
    return QVariant(text.toDouble());
}

QVariant convertedText(const char* data, int length, ColumnKind kind, Oid type) {
    const QByteArray text = QByteArray::fromRawData(data, length);
    switch (kind) {
    case ColumnKind::Integer:
        return numericValue(text);
    case ColumnKind::Real:
        return QVariant(text.toDouble());
    case ColumnKind::Currency: {
        const QString decimal = QString::fromLatin1(text);
        if (const auto amount = Currency::fromDecimalText(decimal))
            return QVariant::fromValue(*amount);
        return numericValue(text);
    }
    case ColumnKind::Date: {
        const QString stored = QString::fromUtf8(text);
        const QVariant date = dateFromText(stored);
        return date.isValid() ? date : QVariant(stored);
    }
    case ColumnKind::Boolean:
        return QVariant(length > 0 && (data[0] == 't' || data[0] == '1'));
    case ColumnKind::Blob: {
        // The server writes bytes as \x and hex digits.
        if (text.startsWith("\\x"))
            return QVariant(QByteArray::fromHex(text.mid(2)));
        return QVariant(QByteArray(data, length));
    }
    case ColumnKind::Text:
        break;
    case ColumnKind::Unknown:
        if (type == NumericOid)
            return numericValue(text);
        break;
    }
    // An empty text is an empty string, never Null.
    return length == 0 ? QVariant(QString(QLatin1String("")))
                       : QVariant(QString::fromUtf8(data, length));
}

} // namespace

PgStatement::PgStatement(PgConnection& connection, const QString& sql)
    : Statement(sql), m_conn(&connection) {
    connection.checkOpen();
    const PgSqlText translated = translateForServer(sql);
    m_tail = translated.tail;
    m_empty = translated.empty;
    m_placeholders = translated.placeholders;
    m_writes = !onlyReads(translated.text);
    if (!m_empty) {
        m_name = connection.nextStatementName();
        const QByteArray text = translated.text.toUtf8();
        PGresult* prepared =
            PQprepare(connection.pg, m_name.constData(), text.constData(), 0, nullptr);
        const bool ok = prepared && PQresultStatus(prepared) == PGRES_COMMAND_OK;
        if (!ok) {
            const QString state =
                QString::fromLatin1(PQresultErrorField(prepared, PG_DIAG_SQLSTATE));
            const QString message =
                QString::fromUtf8(prepared ? PQresultErrorField(prepared, PG_DIAG_MESSAGE_PRIMARY)
                                           : PQerrorMessage(connection.pg))
                    .trimmed();
            PQclear(prepared);
            throwServerError(state, message, SqlContext::Read);
        }
        PQclear(prepared);
        PGresult* described = PQdescribePrepared(connection.pg, m_name.constData());
        if (described && PQresultStatus(described) == PGRES_COMMAND_OK) {
            m_placeholders = PQnparams(described);
            const int fields = PQnfields(described);
            for (int column = 0; column < fields; ++column) {
                m_names.push_back(
                    PgConnection::spelling(QString::fromUtf8(PQfname(described, column))));
                m_kinds.push_back(connection.kindOf(PQftable(described, column),
                                                    PQftablecol(described, column),
                                                    PQftype(described, column)));
            }
        }
        PQclear(described);
    }
    connection.registerStatement(this);
}

PgStatement::~PgStatement() {
    clearResult();
    if (m_conn) {
        m_conn->unregisterStatement(this);
        // Inside a failed transaction the server refuses this; the name then lasts until
        // the connection closes, which is harmless.
        if (!m_name.isEmpty() && m_conn->pg)
            PQclear(PQexec(m_conn->pg, ("DEALLOCATE " + m_name).constData()));
    }
}

void PgStatement::detach() {
    clearResult();
    m_conn = nullptr;
    m_live = false;
}

PgConnection& PgStatement::usable() const {
    if (!m_live || !m_conn || !m_conn->pg)
        throwEngineError(ErrorNumber::InvalidObject);
    return *m_conn;
}

void PgStatement::clearResult() {
    if (m_result)
        PQclear(m_result);
    m_result = nullptr;
    m_ran = false;
    m_row = -1;
}

void PgStatement::bind(const QVariantList& params) {
    usable();
    clearResult();
    if (m_empty) {
        if (!params.isEmpty())
            throwEngineError(ErrorNumber::EngineFailure,
                             QStringLiteral("parameters given for an empty statement"));
        return;
    }
    if (m_placeholders != params.size())
        throwEngineError(ErrorNumber::EngineFailure,
                         QStringLiteral("the statement takes %1 parameters, %2 were given: %3")
                             .arg(m_placeholders)
                             .arg(params.size())
                             .arg(m_sql));
    m_values.clear();
    m_nulls.clear();
    m_binary.clear();
    for (const QVariant& param : params) {
        BoundValue bound = boundValue(param);
        m_values.push_back(std::move(bound.bytes));
        m_nulls.push_back(bound.null);
        m_binary.push_back(bound.binary);
    }
}

void PgStatement::run() {
    PgConnection& conn = usable();
    std::vector<const char*> values(m_values.size());
    std::vector<int> lengths(m_values.size());
    std::vector<int> formats(m_values.size());
    for (std::size_t i = 0; i < m_values.size(); ++i) {
        // An empty string is sent as an empty string, never as NULL.
        values[i] = m_nulls[i] ? nullptr : (m_values[i].isEmpty() ? "" : m_values[i].constData());
        lengths[i] = int(m_values[i].size());
        formats[i] = m_binary[i] ? 1 : 0;
    }
    m_result = PQexecPrepared(conn.pg, m_name.constData(), int(values.size()), values.data(),
                              lengths.data(), formats.data(), 0);
    m_ran = true;
    m_row = -1;
    const ExecStatusType status = m_result ? PQresultStatus(m_result) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK) {
        conn.lastChanges = QByteArray(PQcmdTuples(m_result)).toLongLong();
        return;
    }
    if (status == PGRES_TUPLES_OK)
        return;
    const QString state =
        QString::fromLatin1(m_result ? PQresultErrorField(m_result, PG_DIAG_SQLSTATE) : "");
    const QString message =
        QString::fromUtf8(m_result ? PQresultErrorField(m_result, PG_DIAG_MESSAGE_PRIMARY)
                                   : PQerrorMessage(conn.pg))
            .trimmed();
    clearResult();
    throwServerError(
        state, message.isEmpty() ? QString::fromUtf8(PQerrorMessage(conn.pg)).trimmed() : message,
        m_writes ? SqlContext::Write : SqlContext::Read);
}

bool PgStatement::step() {
    usable();
    if (m_empty)
        return false;
    if (!m_ran)
        run();
    if (!m_result || PQresultStatus(m_result) != PGRES_TUPLES_OK)
        return false;
    if (m_row + 1 >= PQntuples(m_result)) {
        m_row = PQntuples(m_result);
        return false;
    }
    ++m_row;
    return true;
}

void PgStatement::reset() {
    clearResult();
}

QString PgStatement::columnName(int column) const {
    usable();
    return column >= 0 && column < columnCount() ? m_names[std::size_t(column)] : QString();
}

QVariant PgStatement::value(int column) const {
    usable();
    if (!m_result || m_row < 0 || m_row >= PQntuples(m_result) || column < 0 ||
        column >= columnCount() || PQgetisnull(m_result, m_row, column))
        return QVariant();
    return convertedText(PQgetvalue(m_result, m_row, column), PQgetlength(m_result, m_row, column),
                         m_kinds[std::size_t(column)], PQftype(m_result, column));
}

std::int64_t PgStatement::int64Value(int column) const {
    usable();
    if (!m_result || m_row < 0 || m_row >= PQntuples(m_result) || column < 0 ||
        column >= columnCount() || PQgetisnull(m_result, m_row, column))
        return 0;
    return QByteArray(PQgetvalue(m_result, m_row, column)).toLongLong();
}

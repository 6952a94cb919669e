#include "SqliteStatement.h"

#include "Connection.h"
#include "Currency.h"
#include "EngineError.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QMetaType>
#include <QTime>

#include <sqlite3.h>

#include <climits>
#include <cmath>
#include <mutex>

namespace {

QVariant integerVariant(sqlite3_int64 value) {
    if (value >= INT_MIN && value <= INT_MAX)
        return QVariant(int(value));
    return QVariant(qlonglong(value));
}

QString columnText(sqlite3_stmt* stmt, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    const int bytes = sqlite3_column_bytes(stmt, column);
    return text ? QString::fromUtf8(text, bytes) : QString(QLatin1String(""));
}

QByteArray columnBlob(sqlite3_stmt* stmt, int column) {
    const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt, column));
    const int bytes = sqlite3_column_bytes(stmt, column);
    return data ? QByteArray(data, bytes) : QByteArray("");
}

QVariant storedValue(sqlite3_stmt* stmt, int column) {
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
        return integerVariant(sqlite3_column_int64(stmt, column));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt, column));
    case SQLITE_TEXT:
        return QVariant(columnText(stmt, column));
    case SQLITE_BLOB:
        return QVariant(columnBlob(stmt, column));
    default:
        return QVariant();
    }
}

// The number written by `count` ASCII digits at pos, or -1.
int digitsAt(const QString& text, qsizetype pos, int count) {
    if (pos + count > text.size())
        return -1;
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const char16_t c = text.at(pos + i).unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

bool charAt(const QString& text, qsizetype pos, char16_t wanted) {
    return pos < text.size() && text.at(pos).unicode() == wanted;
}

// "1998-05-30" is a date; "1998-05-30 14:05:00" (or with a T, without seconds, or with
// milliseconds) is a date with the time of day the user typed. Anything else is not
// ours to reinterpret. Parsed by hand: reports read this for every row.
QVariant dateFromText(const QString& text) {
    const qsizetype size = text.size();
    if (size < 10 || !charAt(text, 4, u'-') || !charAt(text, 7, u'-'))
        return {};
    const QDate date(digitsAt(text, 0, 4), digitsAt(text, 5, 2), digitsAt(text, 8, 2));
    if (!date.isValid() || date.year() < 1)
        return {};
    if (size == 10)
        return QVariant(date);
    if (!(charAt(text, 10, u' ') || charAt(text, 10, u'T')) || !charAt(text, 13, u':'))
        return {};
    const int hour = digitsAt(text, 11, 2);
    const int minute = digitsAt(text, 14, 2);
    int second = 0;
    int msec = 0;
    if (size > 16) {
        if (!charAt(text, 16, u':'))
            return {};
        second = digitsAt(text, 17, 2);
        if (size > 19) {
            if (!charAt(text, 19, u'.') || size == 20)
                return {};
            int scale = 100;
            for (qsizetype i = 20; i < size; ++i) {
                const int digit = digitsAt(text, i, 1);
                if (digit < 0)
                    return {};
                msec += digit * scale;
                scale /= 10;
            }
        }
    } else if (size != 16) {
        return {};
    }
    const QTime time(hour, minute, second, msec);
    if (!time.isValid())
        return {};
    return QVariant(QDateTime(date, time));
}

// An amount another tool stored beyond what Currency holds comes back as the number it is,
// to be shown as such: reading a record must never fail on its amount.
QVariant currencyFromInteger(sqlite3_int64 value) {
    if (value > INT64_MAX / Currency::Scale || value < INT64_MIN / Currency::Scale)
        return QVariant(qlonglong(value));
    return QVariant::fromValue(Currency::fromRaw(value * Currency::Scale));
}

QVariant currencyFromDouble(double value) {
    if (const auto amount = Currency::tryFromDouble(value))
        return QVariant::fromValue(*amount);
    return QVariant(value);
}

QVariant convertedValue(sqlite3_stmt* stmt, int column, ColumnKind kind) {
    const int storage = sqlite3_column_type(stmt, column);
    if (storage == SQLITE_NULL)
        return QVariant();
    switch (kind) {
    case ColumnKind::Integer:
        break;
    case ColumnKind::Real:
        if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT)
            return QVariant(sqlite3_column_double(stmt, column));
        break;
    case ColumnKind::Currency:
        if (storage == SQLITE_INTEGER)
            return currencyFromInteger(sqlite3_column_int64(stmt, column));
        if (storage == SQLITE_FLOAT)
            return currencyFromDouble(sqlite3_column_double(stmt, column));
        if (storage == SQLITE_TEXT) {
            const QString text = columnText(stmt, column);
            if (const auto amount = Currency::fromDecimalText(text))
                return QVariant::fromValue(*amount);
            return QVariant(text);
        }
        break;
    case ColumnKind::Date:
        if (storage == SQLITE_TEXT) {
            const QString text = columnText(stmt, column);
            const QVariant date = dateFromText(text);
            return date.isValid() ? date : QVariant(text);
        }
        break;
    case ColumnKind::Boolean:
        if (storage == SQLITE_INTEGER)
            return QVariant(sqlite3_column_int64(stmt, column) != 0);
        if (storage == SQLITE_FLOAT)
            return QVariant(sqlite3_column_double(stmt, column) != 0.0);
        break;
    case ColumnKind::Text:
        if (storage != SQLITE_BLOB)
            return QVariant(columnText(stmt, column));
        break;
    case ColumnKind::Blob:
    case ColumnKind::Unknown:
        break;
    }
    return storedValue(stmt, column);
}

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

// The name SQLite puts after "no such table: " and similar, without the schema prefix.
QString nameAfter(const QString& message, const QString& marker) {
    const qsizetype at = message.indexOf(marker, 0, Qt::CaseInsensitive);
    if (at < 0)
        return {};
    QString name = message.mid(at + marker.size()).trimmed();
    if (name.startsWith(QLatin1String("main."), Qt::CaseInsensitive))
        name = name.mid(5);
    return name;
}

} // namespace

ColumnKind columnKindOf(const char* declaredType) {
    if (!declaredType)
        return ColumnKind::Unknown;
    QString type = QString::fromUtf8(declaredType).toUpper();
    const qsizetype paren = type.indexOf(QLatin1Char('('));
    if (paren >= 0)
        type.truncate(paren);
    type = type.simplified();
    auto is = [&](const char* name) { return type == QLatin1String(name); };
    auto has = [&](const char* part) { return type.contains(QLatin1String(part)); };

    if (is("BOOLEAN") || is("BOOL") || is("YESNO") || is("BIT") || is("LOGICAL"))
        return ColumnKind::Boolean;
    if (is("CURRENCY") || is("MONEY"))
        return ColumnKind::Currency;
    if (is("DATE") || is("DATETIME") || is("TIMESTAMP"))
        return ColumnKind::Date;
    if (has("CHAR") || has("TEXT") || has("CLOB") || is("MEMO") || is("STRING"))
        return ColumnKind::Text;
    if (has("INT") || is("COUNTER") || is("AUTOINCREMENT") || is("LONG") || is("BYTE"))
        return ColumnKind::Integer;
    if (is("REAL") || is("SINGLE") || is("DOUBLE") || is("DOUBLE PRECISION") || is("FLOAT"))
        return ColumnKind::Real;
    if (has("BLOB") || has("BINARY") || is("OLEOBJECT"))
        return ColumnKind::Blob;
    return ColumnKind::Unknown;
}

QString engineErrorText(int number, const QString& subject) {
    using namespace ErrorNumber;
    switch (number) {
    case TypeMismatch:
        return QStringLiteral("Type mismatch");
    case DiskFull:
        return QStringLiteral("Disk full");
    case PermissionDenied:
        return subject.isEmpty() ? QStringLiteral("Permission denied")
                                 : QStringLiteral("Permission denied: '%1'").arg(subject);
    case PathNotFound:
        return QStringLiteral("Path not found: '%1'").arg(subject);
    case DatabaseFileNotFound:
        return QStringLiteral("Could not find file '%1'.").arg(subject);
    case DatabaseInUse:
        return QStringLiteral("Could not use '%1'; file already in use.").arg(subject);
    case CannotOpenFile:
        return QStringLiteral("The database engine cannot open the file '%1'.").arg(subject);
    case TableNotFound:
        return QStringLiteral("The database engine cannot find the input table or query '%1'. "
                              "Make sure it exists and that its name is spelled correctly.")
            .arg(subject);
    case RecordLocked:
    case RecordLockedOnSave:
        return QStringLiteral("Could not update; currently locked.");
    case NotADatabase:
        return QStringLiteral("Unrecognized database format '%1'.").arg(subject);
    case InvalidObject:
        return QStringLiteral("Object invalid or no longer set.");
    case NoCurrentRecord:
        return QStringLiteral("No current record.");
    case UpdateWithoutAddNew:
        return QStringLiteral("Update or CancelUpdate without AddNew or Edit.");
    case FieldNotFound:
        return subject.isEmpty()
                   ? QStringLiteral("Item not found in this collection.")
                   : QStringLiteral("Item '%1' not found in this collection.").arg(subject);
    case SyntaxError:
        return QStringLiteral("Syntax error in query expression: %1").arg(subject);
    case DatabaseCorrupt:
        return QStringLiteral("Cannot open database '%1'. It may not be a database that your "
                              "application recognizes, or the file may be corrupt.")
            .arg(subject);
    case ReadOnly:
        return QStringLiteral("Cannot update. Database or object is read-only.");
    case EngineFailure:
        return QStringLiteral("Database engine failure: %1").arg(subject);
    default:
        return subject.isEmpty() ? QStringLiteral("Error %1").arg(number) : subject;
    }
}

void throwEngineError(int number, const QString& subject) {
    throw EngineError(number, engineErrorText(number, subject));
}

void throwSqliteError(sqlite3* db, int rc, SqlContext context, const QString& path) {
    using namespace ErrorNumber;
    const QString message = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    const QString file = QDir::toNativeSeparators(path);
    switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        if (context == SqlContext::Write)
            throwEngineError(RecordLocked);
        throwEngineError(DatabaseInUse, file);
    case SQLITE_FULL:
        throwEngineError(DiskFull);
    case SQLITE_READONLY:
        if (context == SqlContext::Open)
            throwEngineError(CannotOpenFile, file);
        throwEngineError(ReadOnly);
    case SQLITE_CANTOPEN:
        throwEngineError(CannotOpenFile, file);
    case SQLITE_PERM:
        throwEngineError(PermissionDenied, file);
    case SQLITE_CORRUPT:
        throwEngineError(DatabaseCorrupt, file);
    case SQLITE_NOTADB:
        throwEngineError(NotADatabase, file);
    case SQLITE_MISMATCH:
        throwEngineError(TypeMismatch);
    case SQLITE_ERROR: {
        const QString table = nameAfter(message, QStringLiteral("no such table:"));
        if (!table.isEmpty())
            throwEngineError(TableNotFound, table);
        QString column = nameAfter(message, QStringLiteral("no such column:"));
        if (column.isEmpty())
            column = nameAfter(message, QStringLiteral("has no column named"));
        if (!column.isEmpty())
            throwEngineError(FieldNotFound, column);
        if (message.contains(QLatin1String("syntax error")) ||
            message.contains(QLatin1String("unrecognized token")) ||
            message.contains(QLatin1String("incomplete input")) ||
            message.contains(QLatin1String("no such function")) ||
            message.contains(QLatin1String("wrong number of arguments")))
            throwEngineError(SyntaxError, message);
        break;
    }
    default:
        break;
    }
    throwEngineError(EngineFailure, message);
}

QString quoteIdentifier(const QString& name) {
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString likePrefixPattern(const QString& text) {
    QString pattern;
    pattern.reserve(text.size() + 1);
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_'))
            pattern += QLatin1Char('\\');
        pattern += c;
    }
    pattern += QLatin1Char('%');
    return pattern;
}

void registerValueTypes() {
    static std::once_flag once;
    std::call_once(once, [] {
        QMetaType::registerConverter<Currency, double>(&Currency::toDouble);
        QMetaType::registerConverter<Currency, QString>(&Currency::toDecimalText);
        // A conversion has no way to report an overflow, so an amount out of range
        // converts to zero; reading it from the file reports the overflow instead.
        QMetaType::registerConverter<double, Currency>(
            [](double value) { return Currency::tryFromDouble(value).value_or(Currency()); });
        QMetaType::registerConverter<int, Currency>(
            [](int value) { return Currency::fromRaw(std::int64_t(value) * Currency::Scale); });
    });
}

void bindVariant(sqlite3_stmt* stmt, int index, const QVariant& value) {
    int rc = SQLITE_OK;
    const int type = value.metaType().id();
    if (!value.isValid() || value.isNull()) {
        rc = sqlite3_bind_null(stmt, index);
    } else if (value.metaType() == QMetaType::fromType<Currency>()) {
        // Beyond the storable range the double would not give the amount back exactly; the
        // amount box refuses such amounts, so getting here is a fault, not a choice.
        const Currency amount = value.value<Currency>();
        if (!amount.isStorable())
            throw EngineError(ErrorNumber::Overflow, QStringLiteral("Overflow"));
        rc = sqlite3_bind_double(stmt, index, amount.toDouble());
    } else {
        switch (type) {
        case QMetaType::Bool:
            rc = sqlite3_bind_int(stmt, index, value.toBool() ? 1 : 0);
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::LongLong:
        case QMetaType::SChar:
        case QMetaType::UChar:
        case QMetaType::Char:
            rc = sqlite3_bind_int64(stmt, index, value.toLongLong());
            break;
        case QMetaType::ULongLong: {
            const qulonglong number = value.toULongLong();
            if (number > qulonglong(INT64_MAX))
                rc = sqlite3_bind_double(stmt, index, double(number));
            else
                rc = sqlite3_bind_int64(stmt, index, sqlite3_int64(number));
            break;
        }
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(stmt, index, value.toDouble());
            break;
        case QMetaType::QDate: {
            const QDate date = value.toDate();
            if (!date.isValid()) {
                rc = sqlite3_bind_null(stmt, index);
                break;
            }
            const QByteArray text = date.toString(QStringLiteral("yyyy-MM-dd")).toUtf8();
            rc = sqlite3_bind_text(stmt, index, text.constData(), int(text.size()),
                                   SQLITE_TRANSIENT);
            break;
        }
        case QMetaType::QDateTime: {
            const QDateTime when = value.toDateTime();
            if (!when.isValid()) {
                rc = sqlite3_bind_null(stmt, index);
                break;
            }
            const QByteArray text = when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
            rc = sqlite3_bind_text(stmt, index, text.constData(), int(text.size()),
                                   SQLITE_TRANSIENT);
            break;
        }
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            rc = sqlite3_bind_blob(stmt, index, bytes.isEmpty() ? "" : bytes.constData(),
                                   int(bytes.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            if (type != QMetaType::QString && !value.canConvert<QString>())
                throwEngineError(ErrorNumber::TypeMismatch);
            // An empty string is stored as an empty string, never as NULL.
            const QByteArray text = value.toString().toUtf8();
            rc = sqlite3_bind_text(stmt, index, text.isEmpty() ? "" : text.constData(),
                                   int(text.size()), SQLITE_TRANSIENT);
            break;
        }
        }
    }
    if (rc != SQLITE_OK)
        throwSqliteError(sqlite3_db_handle(stmt), rc, SqlContext::Read, QString());
}

SqliteStatement::SqliteStatement(Connection& connection, const QString& sql)
    : m_conn(&connection), m_sql(sql) {
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

void SqliteStatement::requireSingle() const {
    if (!m_tail.isEmpty())
        throwEngineError(ErrorNumber::SyntaxError,
                         QStringLiteral("only one statement is allowed here: %1").arg(m_sql));
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

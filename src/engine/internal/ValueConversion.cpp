#include "engine/internal/ValueConversion.h"

#include "engine/Currency.h"
#include "engine/internal/ErrorMapping.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
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

} // namespace

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

namespace {

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

} // namespace

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

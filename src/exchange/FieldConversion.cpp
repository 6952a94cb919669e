#include "exchange/FieldConversion.h"

#include "engine/Currency.h"
#include "engine/Money.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QTime>

#include <climits>
#include <cmath>

using namespace Qt::StringLiterals;

namespace FieldConversion {
namespace {

using Kind = SourceValue::Kind;
using OrderFields::Field;

Result refused(const QString& problem) {
    return {QVariant(), problem};
}

Result stored(QVariant value) {
    return {std::move(value), QString()};
}

// A date and time kept as the clock reading it is: no time zone moves it, and no hour the
// clocks skip in spring is missing.
QVariant clockReading(const QDate& date, const QTime& time) {
    return QDateTime(date, time, Qt::UTC);
}

QString isoText(const QVariant& date) {
    if (date.typeId() == QMetaType::QDate)
        return date.toDate().toString(u"yyyy-MM-dd"_s);
    return date.toDateTime().toString(u"yyyy-MM-dd HH:mm:ss"_s);
}

// --- record numbers ------------------------------------------------------------------

Result toKey(const SourceValue& value) {
    const QString problem = u"not a record number (a whole number from 1 to %1)"_s.arg(INT_MAX);
    qint64 number = 0;
    switch (value.kind) {
    case Kind::Integer:
        number = value.integer;
        break;
    case Kind::Real:
        if (value.real != std::floor(value.real) || std::fabs(value.real) > double(INT_MAX))
            return refused(problem);
        number = qint64(value.real);
        break;
    case Kind::Text: {
        static const QRegularExpression digits(u"^\\s*\\d{1,10}\\s*$"_s);
        if (!digits.match(value.text).hasMatch())
            return refused(problem);
        number = value.text.trimmed().toLongLong();
        break;
    }
    default:
        return refused(problem);
    }
    if (number < 1 || number > INT_MAX)
        return refused(problem);
    return stored(int(number));
}

// --- Type and status -----------------------------------------------------------------

Result toCode(const Field& field, const SourceValue& value) {
    const QStringList& texts = OrderFields::listTexts(field.kind);
    const QString problem =
        u"not 0, 1, 2, \"%1\", \"%2\" or \"%3\""_s.arg(texts.at(0), texts.at(1), texts.at(2));
    qint64 code = -1;
    switch (value.kind) {
    case Kind::Integer:
        code = value.integer;
        break;
    case Kind::Real:
        if (value.real == std::floor(value.real) && std::fabs(value.real) < 10)
            code = qint64(value.real);
        break;
    case Kind::Text: {
        const QString text = value.text.trimmed();
        for (int i = 0; i < texts.size(); ++i) {
            if (text.compare(texts.at(i), Qt::CaseInsensitive) == 0 || text == QString::number(i))
                code = i;
        }
        break;
    }
    default:
        break;
    }
    if (code < 0 || code >= texts.size())
        return refused(problem);
    return stored(int(code));
}

// --- dates ---------------------------------------------------------------------------

Result toDate(const SourceValue& value, const Options& options) {
    switch (value.kind) {
    case Kind::Date:
        return fromAccessDate(value.real);
    case Kind::Text: {
        const QString text = value.text.trimmed();
        QVariant date = fromIsoText(text);
        if (!date.isValid() && options.readLocaleDate)
            date = options.readLocaleDate(text);
        if (!date.isValid())
            return refused(options.readLocaleDate
                               ? u"not a date (yyyy-mm-dd, or the locale's short date)"_s
                               : u"not a date (yyyy-mm-dd)"_s);
        if (date.typeId() == QMetaType::QDateTime) {
            const QDateTime when = date.toDateTime();
            date = clockReading(when.date(), when.time());
        }
        return stored(date);
    }
    case Kind::Integer:
    case Kind::Real:
    case Kind::Money:
        return refused(u"a number, not a date"_s);
    default:
        return refused(u"not a date"_s);
    }
}

// --- amounts -------------------------------------------------------------------------

// Whether the digits after the decimal mark at `point` go beyond the four decimals kept,
// with something other than zeros.
bool beyondFourDecimals(const QString& text, qsizetype point) {
    int place = 0;
    for (qsizetype i = point + 1; i < text.size() && text.at(i).isDigit(); ++i) {
        if (++place > 4 && text.at(i).digitValue() != 0)
            return true;
    }
    return false;
}

Result storableAmount(Currency amount) {
    if (!amount.isStorable())
        return refused(u"more than %1 digits, more than an amount keeps exactly"_s.arg(
            Currency::StorableDigits));
    return stored(QVariant::fromValue(amount));
}

Result amountFromText(const QString& raw, const QLocale& locale) {
    const QString text = raw.trimmed();
    static const QRegularExpression plain(u"^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)$"_s);
    const QString tooManyDecimals = u"more than four decimals, more than an amount keeps"_s;
    if (plain.match(text).hasMatch()) {
        // "1.234" is a thousand and more where the locale groups digits with a point, and
        // one and a bit in plain form: taking either would be a guess.
        static const QRegularExpression grouped(u"^[+-]?\\d{1,3}\\.\\d{3}$"_s);
        if (locale.groupSeparator() == u"."_s && grouped.match(text).hasMatch())
            return refused(u"could be read either way, with the point as the decimal mark or "
                           u"between thousands; write it without grouping, with the decimal "
                           u"mark \"%1\""_s.arg(locale.decimalPoint()));
        if (beyondFourDecimals(text, text.indexOf(u'.')))
            return refused(tooManyDecimals);
        const std::optional<Currency> amount = Currency::fromDecimalText(text);
        if (!amount)
            return refused(u"more than an amount holds"_s);
        return storableAmount(*amount);
    }
    bool tooLarge = false;
    const std::optional<Currency> amount = parseCurrency(text, locale, &tooLarge);
    if (!amount)
        return refused(tooLarge ? u"more than an amount holds"_s
                                : u"not an amount (1234.56, or as the locale writes money)"_s);
    if (beyondFourDecimals(text, text.lastIndexOf(locale.decimalPoint())))
        return refused(tooManyDecimals);
    return storableAmount(*amount);
}

Result toAmount(const SourceValue& value, const Options& options) {
    switch (value.kind) {
    case Kind::Money:
        return storableAmount(Currency::fromRaw(value.integer));
    case Kind::Integer:
        if (std::llabs(value.integer) > INT64_MAX / Currency::Scale)
            return refused(u"more than an amount holds"_s);
        return storableAmount(Currency::fromRaw(value.integer * Currency::Scale));
    case Kind::Real: {
        const std::optional<Currency> amount = Currency::tryFromDouble(value.real);
        if (!amount)
            return refused(u"more than an amount holds"_s);
        if (amount->toDouble() != value.real)
            return refused(u"more than four decimals, more than an amount keeps"_s);
        return storableAmount(*amount);
    }
    case Kind::Text:
        return amountFromText(value.text, options.locale);
    default:
        return refused(u"not an amount"_s);
    }
}

// --- text ----------------------------------------------------------------------------

Result toText(const Field& field, const SourceValue& value) {
    QString text;
    switch (value.kind) {
    case Kind::Null:
        break;
    case Kind::Text:
        text = value.text;
        break;
    case Kind::Integer:
        text = QString::number(value.integer);
        break;
    case Kind::Money:
        text = Currency::fromRaw(value.integer).toDecimalText();
        break;
    case Kind::Real:
        text = QString::number(value.real, 'g', QLocale::FloatingPointShortest);
        break;
    case Kind::Date: {
        const Result date = fromAccessDate(value.real);
        if (!date.ok())
            return date;
        text = isoText(date.value);
        break;
    }
    default:
        return refused(u"not text"_s);
    }
    if (field.limit > 0 && text.size() > field.limit)
        return refused(u"%1 characters, longer than the %2 the field holds"_s.arg(text.size())
                           .arg(field.limit));
    return stored(text);
}

} // namespace

Result convert(const Field& field, const SourceValue& value, const Options& options) {
    if (value.kind == Kind::Unreadable)
        return refused(value.text);
    if (value.kind == Kind::Boolean)
        return refused(u"a yes/no value, which this field does not take"_s);
    if (value.kind == Kind::Binary)
        return refused(u"binary data, which this field does not take"_s);
    // Blank is Null, and an empty text in a text field, as the program writes it.
    if (value.isBlank())
        return stored(field.kind == OrderFields::Kind::Text ? QVariant(QString()) : QVariant());
    switch (field.kind) {
    case OrderFields::Kind::Key:
        return toKey(value);
    case OrderFields::Kind::Text:
        return toText(field, value);
    case OrderFields::Kind::Type:
    case OrderFields::Kind::Status:
        return toCode(field, value);
    case OrderFields::Kind::Date:
        return toDate(value, options);
    case OrderFields::Kind::Amount:
        return toAmount(value, options);
    }
    return refused(u"not a value of this field"_s);
}

Result fromAccessDate(double days) {
    // Days from 1 January 100 to the end of 31 December 9999, what Access holds.
    const QString outside = u"a date outside the years 100 to 9999"_s;
    if (!std::isfinite(days) || days <= -657435.0 || days >= 2958466.0)
        return refused(outside);
    // The whole part counts days from 30 December 1899; the fraction is the time of day
    // whichever side of that day the date lies.
    const double whole = std::trunc(days);
    qint64 seconds = std::llround(std::fabs(days - whole) * 86400.0);
    QDate date = QDate(1899, 12, 30).addDays(qint64(whole));
    if (seconds >= 86400) {
        date = date.addDays(1);
        seconds -= 86400;
    }
    if (!date.isValid() || date.year() < 100 || date.year() > 9999)
        return refused(outside);
    if (seconds == 0)
        return stored(date);
    return stored(clockReading(date, QTime(0, 0).addSecs(int(seconds))));
}

QVariant fromIsoText(const QString& text) {
    static const QRegularExpression iso(
        u"^(\\d{4})-(\\d{2})-(\\d{2})(?:[T ](\\d{2}):(\\d{2})(?::(\\d{2}))?)?$"_s);
    const QRegularExpressionMatch match = iso.match(text);
    if (!match.hasMatch())
        return {};
    const QDate date(match.captured(1).toInt(), match.captured(2).toInt(),
                     match.captured(3).toInt());
    if (!date.isValid() || date.year() < 1)
        return {};
    if (!match.hasCaptured(4))
        return date;
    const QTime time(match.captured(4).toInt(), match.captured(5).toInt(),
                     match.hasCaptured(6) ? match.captured(6).toInt() : 0);
    if (!time.isValid())
        return {};
    return clockReading(date, time);
}

QString shownValue(const SourceValue& value) {
    switch (value.kind) {
    case Kind::Null:
        return u"(empty)"_s;
    case Kind::Text: {
        QString text = value.text;
        text.replace(u'\r', u' ').replace(u'\n', u' ');
        if (text.size() > 40)
            text = text.left(40) + u"..."_s;
        return u"\"%1\""_s.arg(text);
    }
    case Kind::Integer:
        return QString::number(value.integer);
    case Kind::Money:
        return Currency::fromRaw(value.integer).toDecimalText();
    case Kind::Real:
    case Kind::Date:
        return QString::number(value.real, 'g', QLocale::FloatingPointShortest);
    case Kind::Boolean:
        return u"yes/no"_s;
    case Kind::Binary:
        return u"binary data"_s;
    case Kind::Unreadable:
        return u"(not read)"_s;
    }
    return {};
}

} // namespace FieldConversion

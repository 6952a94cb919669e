#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTime>
#include <QVariant>

#include <optional>

// A date read from text, with the time of day when one was typed.
struct DateValue {
    QDate date;
    std::optional<QTime> time;

    // QDate without a time of day, QDateTime with one: what the database stores.
    QVariant toVariant() const;
};

// The locale's conversions between dates and text that every date field, the record
// writer and the reports use.
namespace LocaleDates {

// The locale's short-date pattern with the year always written in four digits, so that
// a date shown and saved again never moves to another century.
QString shortDateFormat(const QLocale& locale);
QString shortDate(const QDate& date, const QLocale& locale);
// Date part only of a stored date (QDate or QDateTime); empty text for Null.
QString shortDate(const QVariant& stored, const QLocale& locale);

// Reads a date typed by the user. Accepts the locale's day-month-year order with any of
// the separators / - . and blank, two- and four-digit years, ISO yyyy-mm-dd, month names,
// and an optional time of day. Nullopt when the text is not a date (a day the month lacks
// included).
std::optional<DateValue> toDate(const QString& text, const QLocale& locale);
// True exactly when toDate would succeed.
bool isDate(const QString& text, const QLocale& locale);

// The fixed window for two-digit years: 00-29 are 2000-2029, 30-99 are 1930-1999.
int expandTwoDigitYear(int twoDigitYear);

} // namespace LocaleDates

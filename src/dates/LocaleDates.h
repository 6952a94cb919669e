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
// Date part only of a stored date (QDate or QDateTime); empty text for Null. A value another
// tool stored that is no date ("2021-13-45", "hello", a number) is shown as it is stored.
QString shortDate(const QVariant& stored, const QLocale& locale);

// Reads a date typed by the user. Accepts the locale's day-month-year order with any of
// the separators / - . and blank, two- and four-digit years, ISO yyyy-mm-dd, month names,
// and an optional time of day. Nullopt when the text is not a date (a day the month lacks
// included).
//
// In detail:
// - Three fields, each two apart by one of / - . , with blanks around it or by blanks
//   alone ("30. 05. 1998"); blanks around the whole text are ignored, anything left over
//   makes the text no date. The literal text a locale's short date ends with (the dot of
//   "1998. 05. 30.") may be left out.
// - Numbers are read in the locale's field order. yyyy-mm-dd is always ISO, and a first
//   field of three or four digits is a year followed by month and day in any locale.
// - A month name (the locale's full or abbreviated name, standalone forms too, or the
//   English one; any case, a trailing dot ignored) may stand for the month anywhere:
//   "30 May 1998", "May 30, 1998", "30-May-98". Of the other two numbers one with three or
//   more digits or above 31 is the year; otherwise the locale's order of day and year
//   decides.
// - Years of one or two digits go through expandTwoDigitYear, three or four digits are
//   taken as written; years 100 to 9999 only, the years the calendar can show. A day the
//   month lacks never rolls over.
// - Two fields ("5/30") are not a date: the current year is never assumed, so what is
//   stored never depends on the day it was typed.
// - A time of day may follow after a blank (or the T of ISO): h:mm or h:mm:ss, 24-hour, or
//   12-hour with the locale's AM/PM text or AM/PM before or after it.
// - The locale's own digits read as well as ASCII digits.
// currentYear is the year of today's date by the program's clock; it places two-digit years.
std::optional<DateValue> toDate(const QString& text, const QLocale& locale, int currentYear);
// True exactly when toDate would succeed.
bool isDate(const QString& text, const QLocale& locale, int currentYear);

// The text to read: the locale's own digits as ASCII digits, every kind of blank as a
// plain blank, the invisible direction marks some locales put around date fields dropped,
// and blanks around it trimmed.
QString plainText(const QString& text);

// A two-digit year is the year ending in those digits within the hundred years from 50
// before currentYear to 49 after it: in 2026, 30 is 2030, 75 is 2075 and 76 is 1976. The
// window slides with the clock, so a due date typed a few years ahead never lands a century
// back. Values outside 0-99 are full years already and come back unchanged.
int expandTwoDigitYear(int twoDigitYear, int currentYear);

} // namespace LocaleDates

#pragma once

#include "exchange/OrderFields.h"
#include "exchange/SourceValue.h"

#include <QLocale>
#include <QString>
#include <QVariant>

#include <functional>

// Turns a value of a source file into what a field of pvx stores, exactly or not at all:
// a value that would change on the way (a date libmdb cannot place, an amount with more
// decimals than are kept, a text longer than its field) is refused with the reason.
namespace FieldConversion {

struct Options {
    // The locale amounts and short dates are written in.
    QLocale locale;
    // Reads a date in the locale's short-date form, a time of day included: a QDate, a
    // QDateTime, or an invalid QVariant when the text is no date. Without one only ISO 8601
    // text is read as a date.
    std::function<QVariant(const QString&)> readLocaleDate;
};

struct Result {
    // What the field stores: Null for a blank value (text fields: the empty string).
    QVariant value;
    // Why the value cannot be stored; empty when it can.
    QString problem;

    bool ok() const { return problem.isEmpty(); }
};

Result convert(const OrderFields::Field& field, const SourceValue& value, const Options& options);

// The moment an Access date value stands for: days since 30 December 1899 with the time of
// day as the fraction (of the day's own length, also for days before 1899, whose whole part
// is negative), rounded to the second. A QDate when it falls on midnight, otherwise a
// QDateTime without a time zone. Refused outside the years 100 to 9999, which Access holds.
Result fromAccessDate(double days);

// ISO 8601 text: "2026-01-31", or with a time of day "2026-01-31 14:05", "...T14:05:00";
// years 0001 to 9999. An invalid QVariant when the text is not written so.
QVariant fromIsoText(const QString& text);

// How a value is shown in a message: text in quotes, cut at 40 characters.
QString shownValue(const SourceValue& value);

} // namespace FieldConversion

#pragma once

#include "custom/ReportCatalogue.h"
#include "engine/Decimal.h"

#include "engine/Currency.h"

#include <QHash>
#include <QLocale>
#include <QString>
#include <QVariant>

// The total of one number column, exact: money to the ten-thousandth, which no report can
// overflow, other numbers as decimals. A Null, or a value that is no number, adds nothing. A
// decimal sum that leaves the decimals' range cannot be shown exactly; the total says so
// instead of showing a wrong figure.
class ColumnTotal {
public:
    explicit ColumnTotal(bool currency = false) : m_currency(currency) {}

    bool isCurrency() const { return m_currency; }
    void add(const Currency& amount);
    // In a money column the number counts as the amount it rounds to.
    void add(const Decimal& number);
    // False once the sum left the range in which it can be shown exactly.
    bool isExact() const { return m_exact; }
    const Decimal& sum() const { return m_sum; }

private:
    Decimal m_sum;
    bool m_currency = false;
    bool m_exact = true;
};

// The text of a report cell, by the kind of field, in the user's locale:
// - text: as stored, Null empty;
// - number: money in the currency format, other numbers as the platform writes a number
//   (the locale's decimal mark, no grouping); Null empty;
// - date: the short date with a four-digit year, no time of day; Null empty;
// - yes/no: "Yes" when the value is true, otherwise "No", Null included.
class CellFormatter {
public:
    explicit CellFormatter(const QLocale& locale);

    // The cell of a value; when total is given, a number is added to it as well.
    QString cell(const CatalogueField& field, bool isCurrency, const QVariant& value,
                 ColumnTotal* total = nullptr) const;
    // The total in the column's format; empty when it cannot be shown exactly.
    QString totalCell(const ColumnTotal& total) const;

    // Whether a yes/no value prints "Yes": the same rule as the query's "True" criterion,
    // a value that is a non-zero number.
    static bool isTrue(const QVariant& value);

private:
    QString number(bool isCurrency, const QVariant& value, ColumnTotal* total) const;
    QString money(const Currency& amount) const;
    QString date(const QDate& day) const;

    // A report writes the same days and often the same amounts row after row; each is
    // formatted once. Bounded, so that a report of many distinct values does not grow them
    // without end.
    static constexpr qsizetype MaxRemembered = 20000;

    QLocale m_locale;
    QString m_dateFormat;
    mutable QHash<qint64, QString> m_dates;
    mutable QHash<qint64, QString> m_amounts;
};

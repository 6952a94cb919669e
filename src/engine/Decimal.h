#pragma once

#include "engine/WideInteger.h"

#include <QLocale>
#include <QString>
#include <QVariant>

#include <optional>

// An exact decimal number for the figures of a custom report that are not money: the
// bounds a user types and the totals of number columns. 0.1 + 0.2 is 0.3 here, and a bound
// of 1000 typed as "1.000" in Germany is exactly 1000.
//
// The value is a 128-bit whole number of units of 10^-scale. A sum that leaves that range
// throws EngineError 6 (Overflow).
class Decimal {
public:
    // More decimals than any stored number shows; a value with more is rounded there.
    static constexpr int MaxScale = 28;

    Decimal() = default;
    static Decimal fromInteger(qint64 value);
    // The shortest decimal text that reads back as the same double, so that 0.1 stored by
    // another tool counts as 0.1. Nullopt for infinities and NaN.
    static std::optional<Decimal> fromDouble(double value);
    // Plain C-locale text: an optional sign, digits with an optional "." fraction, and an
    // optional exponent ("-12.5", "3", "1e-3"). Nullopt, like text that is no number, for a
    // number beyond the range (1e308).
    static std::optional<Decimal> fromPlainText(QStringView text);
    // units * 10^-scale, scale from 0 to MaxScale.
    static Decimal fromUnits(Int128 units, int scale);
    // A value read from the database: whole numbers, doubles, currency amounts and numeric
    // text. Nullopt for Null and for whatever is no number.
    static std::optional<Decimal> fromStored(const QVariant& value);

    // Without grouping, in the locale's digits, decimal mark and minus sign, as the
    // platform turns a number into text ("1234.5", "1234,5").
    QString toString(const QLocale& locale) const;
    // Plain C-locale text ("-1234.5").
    QString toPlainText() const;
    // The value to compare with stored numbers: a whole number where it is one, so that
    // integer columns compare exactly, otherwise the nearest double, which is exactly what
    // a stored double of the same text holds.
    QVariant toBindValue() const;
    double toDouble() const;
    bool isZero() const { return m_units == 0; }

    Decimal& operator+=(const Decimal& other);
    friend Decimal operator+(Decimal a, const Decimal& b) { return a += b; }
    friend bool operator==(const Decimal& a, const Decimal& b);

private:
    using Units = Int128;

    void normalise();

    Units m_units = 0;
    int m_scale = 0;
};

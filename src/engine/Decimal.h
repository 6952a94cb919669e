#pragma once

#include "engine/WideInteger.h"

#include <QLocale>
#include <QString>
#include <QVariant>

#include <optional>

// The program's exact decimal number: what money amounts are made of (Currency is one held
// at four places within the file's 64 bits), the totals of reports, and the numbers of custom
// reports that are not money: the bounds a user types and the totals of number columns.
// 0.1 + 0.2 is 0.3 here, never 0.30000000000000004.
//
// The value is a 128-bit whole number of units of 10^-scale, below 10^38 units either way. A
// sum that leaves that range throws EngineError 6 (Overflow); no sum of amounts comes near it,
// since an amount is below 2^63 ten-thousandths and a file holds fewer than 2^63 rows.
class Decimal {
public:
    // More decimals than any stored number shows; a value with more is rounded there.
    static constexpr int MaxScale = 28;
    // Digits a value may have: 10^38 is the largest power of ten below 2^127.
    static constexpr int MaxDigits = 38;

    Decimal() = default;
    static Decimal fromInteger(qint64 value);
    // units * 10^-scale, scale from 0 to MaxScale, exactly.
    static Decimal fromUnits(Int128 units, int scale);
    // The shortest decimal text that reads back as the same double, so that 0.1 stored by
    // another tool counts as 0.1. Nullopt for infinities and NaN.
    static std::optional<Decimal> fromDouble(double value);
    // Plain C-locale text: an optional sign, digits with an optional "." fraction, and an
    // optional exponent ("-12.5", "3", "1e-3"), blanks around it ignored, rounded half away
    // from zero to at most `places` decimals. Nullopt, like text that is no number, for a
    // number beyond the range (1e308). The program's one reader of decimal text: amounts
    // stored as text, what the locale readers have made plain.
    static std::optional<Decimal> fromPlainText(QStringView text, int places = MaxScale);
    // A value read from the database: whole numbers, doubles, currency amounts and numeric
    // text. Nullopt for Null and for whatever is no number.
    static std::optional<Decimal> fromStored(const QVariant& value);

    // The value as a whole number of units of 10^-places (places 0 to MaxScale), rounded half
    // away from zero; nullopt when that number leaves the range.
    std::optional<Int128> unitsAt(int places) const;

    // Without grouping, in the locale's digits, decimal mark and minus sign, as the
    // platform turns a number into text ("1234.5", "1234,5").
    QString toString(const QLocale& locale) const;
    // Plain C-locale text without trailing zeros ("-1234.5").
    QString toPlainText() const;
    // The value to compare with stored numbers: a whole number where it is one, so that
    // integer columns compare exactly, otherwise the nearest double, which is exactly what
    // a stored double of the same text holds.
    QVariant toBindValue() const;
    double toDouble() const;
    // The value is units() * 10^-scale().
    Int128 units() const { return m_units; }
    int scale() const { return m_scale; }
    bool isZero() const { return m_units == 0; }
    bool isNegative() const { return m_units < 0; }

    // Exact. Sums keep the larger scale of the two, so that adding amounts costs one
    // addition.
    Decimal& operator+=(const Decimal& other);
    friend Decimal operator+(Decimal a, const Decimal& b) { return a += b; }
    // Equal in value: 1.50 equals 1.5.
    friend bool operator==(const Decimal& a, const Decimal& b);

private:
    // The same value without trailing zeros in its fraction.
    Decimal normalised() const;

    Int128 m_units = 0;
    int m_scale = 0;
};

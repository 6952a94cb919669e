#pragma once

#include "engine/Decimal.h"

#include <QMetaType>
#include <QString>

#include <cstdint>
#include <optional>

// A money amount as the file keeps it: an exact Decimal of four places (ten-thousandths of
// the currency unit) within 64 bits, so that sums are exact: 0.10 + 0.20 is 0.30, never
// 0.30000000000000004. A total of many amounts, which may leave the range of one, is a
// Decimal (toDecimal()).
class Currency {
public:
    // The one place that says how exact an amount is: ten-thousandths.
    static constexpr int Places = 4;
    static constexpr std::int64_t Scale = [] {
        std::int64_t scale = 1;
        for (int i = 0; i < Places; ++i)
            scale *= 10;
        return scale;
    }();

    constexpr Currency() = default;
    static constexpr Currency fromRaw(std::int64_t tenThousandths) {
        Currency c;
        c.m_raw = tenThousandths;
        return c;
    }
    // Amounts are kept in the file as double-precision numbers, which carry any decimal of
    // up to this many significant digits there and back exactly; the amount box takes no
    // amount with more.
    static constexpr int StorableDigits = 15;

    // The amount a double stands for: the one whose toDouble() it is, where there is one
    // (so every storable amount comes back exactly), otherwise the value rounded half away
    // from zero to the nearest ten-thousandth. Throws Overflow (6) when the value is not
    // finite or beyond the range.
    static Currency fromDouble(double value);
    // The same, or nullopt where fromDouble would throw.
    static std::optional<Currency> tryFromDouble(double value);
    // The decimal rounded half away from zero to ten-thousandths; nullopt beyond the range.
    static std::optional<Currency> fromDecimal(const Decimal& value);
    // Reads the C-locale decimal text stored by other tools ("-12.5", "3", "1e2") as
    // Decimal::fromPlainText does.
    static std::optional<Currency> fromDecimalText(const QString& text);

    constexpr std::int64_t raw() const { return m_raw; }
    // At most StorableDigits significant digits.
    bool isStorable() const;
    // The double nearest to the amount (correctly rounded).
    double toDouble() const;
    // The same amount, exactly.
    Decimal toDecimal() const { return Decimal::fromUnits(m_raw, Places); }
    // Plain decimal text with up to four decimals and no grouping ("-1234.5").
    QString toDecimalText() const { return toDecimal().toPlainText(); }

    constexpr Currency& operator+=(Currency other) {
        m_raw += other.m_raw;
        return *this;
    }
    friend constexpr Currency operator+(Currency a, Currency b) { return a += b; }
    friend constexpr Currency operator-(Currency a) { return fromRaw(-a.m_raw); }
    friend constexpr bool operator==(Currency a, Currency b) = default;
    friend constexpr auto operator<=>(Currency a, Currency b) = default;

private:
    std::int64_t m_raw = 0;
};

Q_DECLARE_METATYPE(Currency)

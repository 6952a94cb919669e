#include "engine/Currency.h"

#include "engine/EngineError.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace {

// Beyond this many decimal digits a mantissa cannot fit in 64 bits.
constexpr int MaxDigits = 19;

// Whole numbers up to 2^53 are exact as doubles.
bool exactDouble(std::int64_t value) {
    constexpr std::int64_t limit = std::int64_t(1) << 53;
    return value > -limit && value < limit;
}

std::optional<std::uint64_t> digitsValue(const QString& digits) {
    if (digits.size() > MaxDigits)
        return std::nullopt;
    std::uint64_t value = 0;
    for (const QChar c : digits) {
        const std::uint64_t digit = std::uint64_t(c.unicode() - '0');
        if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

} // namespace

Currency Currency::fromDouble(double value) {
    if (const auto amount = tryFromDouble(value))
        return *amount;
    throw EngineError(ErrorNumber::Overflow, QStringLiteral("Overflow"));
}

std::optional<Currency> Currency::tryFromDouble(double value) {
    const double scaled = value * double(Scale);
    // 2^63 is the first double outside the range of the raw value.
    if (!std::isfinite(scaled) || std::fabs(scaled) >= 9223372036854775808.0)
        return std::nullopt;
    // llround rounds halves away from zero. The product is rounded to the nearest double
    // first, which turns 1.00005 (stored as 1.0000499999...) into 10000.5, as the user meant.
    const std::int64_t nearest = std::llround(scaled);
    // The product may land one ten-thousandth off the amount the double was made from; the
    // amount whose own double this is wins.
    for (const std::int64_t candidate : {nearest, nearest - 1, nearest + 1}) {
        if (exactDouble(candidate) && double(candidate) / double(Scale) == value)
            return fromRaw(candidate);
    }
    if (exactDouble(nearest))
        return fromRaw(nearest);
    // Beyond 2^53 ten-thousandths the shortest decimal that reads back as the double is
    // the amount it was written from.
    return fromDecimalText(QString::number(value, 'g', QLocale::FloatingPointShortest));
}

bool Currency::isStorable() const {
    std::uint64_t magnitude = m_raw < 0 ? 0ULL - std::uint64_t(m_raw) : std::uint64_t(m_raw);
    while (magnitude != 0 && magnitude % 10 == 0)
        magnitude /= 10;
    int digits = 0;
    for (; magnitude != 0; magnitude /= 10)
        ++digits;
    return digits <= StorableDigits;
}

double Currency::toDouble() const {
    // Both operands exact, so the quotient is the correctly rounded double of the amount.
    if (exactDouble(m_raw))
        return double(m_raw) / double(Scale);
    return toDecimalText().toDouble();
}

std::optional<Currency> Currency::fromDecimalText(const QString& text) {
    const QString s = text.trimmed();
    qsizetype i = 0;
    const qsizetype n = s.size();
    bool negative = false;
    if (i < n && (s[i] == QLatin1Char('-') || s[i] == QLatin1Char('+'))) {
        negative = s[i] == QLatin1Char('-');
        ++i;
    }
    QString digits;
    qsizetype fractionDigits = 0;
    bool anyDigit = false;
    while (i < n && s[i].isDigit() && s[i].unicode() < 128) {
        digits += s[i++];
        anyDigit = true;
    }
    if (i < n && s[i] == QLatin1Char('.')) {
        ++i;
        while (i < n && s[i].isDigit() && s[i].unicode() < 128) {
            digits += s[i++];
            ++fractionDigits;
            anyDigit = true;
        }
    }
    if (!anyDigit)
        return std::nullopt;
    qint64 exponent = 0;
    if (i < n && (s[i] == QLatin1Char('e') || s[i] == QLatin1Char('E'))) {
        ++i;
        bool negativeExponent = false;
        if (i < n && (s[i] == QLatin1Char('-') || s[i] == QLatin1Char('+'))) {
            negativeExponent = s[i] == QLatin1Char('-');
            ++i;
        }
        bool anyExponentDigit = false;
        while (i < n && s[i].isDigit() && s[i].unicode() < 128) {
            // Past a few hundred the answer is zero or overflow either way.
            exponent = std::min<qint64>(exponent * 10 + (s[i++].unicode() - '0'), 100000);
            anyExponentDigit = true;
        }
        if (!anyExponentDigit)
            return std::nullopt;
        if (negativeExponent)
            exponent = -exponent;
    }
    if (i != n)
        return std::nullopt;

    while (digits.size() > 1 && digits.startsWith(QLatin1Char('0')))
        digits.remove(0, 1);
    if (digits == QLatin1String("0"))
        return Currency();

    // The raw value is digits * 10^shift, rounded half away from zero to an integer.
    const qint64 shift = exponent - fractionDigits + 4;
    std::uint64_t magnitude = 0;
    if (shift >= 0) {
        if (digits.size() + shift > MaxDigits)
            return std::nullopt;
        const auto value = digitsValue(digits + QString(qsizetype(shift), QLatin1Char('0')));
        if (!value)
            return std::nullopt;
        magnitude = *value;
    } else {
        const qint64 kept = digits.size() + shift;
        if (kept < 0)
            return Currency();
        const auto value = digitsValue(digits.left(kept));
        if (!value)
            return std::nullopt;
        magnitude = *value;
        if (digits.at(kept).unicode() >= '5')
            ++magnitude;
    }
    if (magnitude > std::uint64_t(std::numeric_limits<std::int64_t>::max()))
        return std::nullopt;
    const auto raw = std::int64_t(magnitude);
    return fromRaw(negative ? -raw : raw);
}

QString Currency::toDecimalText() const {
    const bool negative = m_raw < 0;
    const std::uint64_t magnitude = negative ? 0ULL - std::uint64_t(m_raw) : std::uint64_t(m_raw);
    QString text = QString::number(magnitude / std::uint64_t(Scale));
    const std::uint64_t fraction = magnitude % std::uint64_t(Scale);
    if (fraction != 0) {
        QString decimals = QString::number(fraction).rightJustified(4, QLatin1Char('0'));
        while (decimals.endsWith(QLatin1Char('0')))
            decimals.chop(1);
        text += QLatin1Char('.') + decimals;
    }
    if (negative)
        text.prepend(QLatin1Char('-'));
    return text;
}

#include "engine/Currency.h"

#include "engine/EngineError.h"

#include <cmath>
#include <limits>

namespace {

// Whole numbers up to 2^53 are exact as doubles.
bool exactDouble(std::int64_t value) {
    constexpr std::int64_t limit = std::int64_t(1) << 53;
    return value > -limit && value < limit;
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
    const auto exact = Decimal::fromDouble(value);
    return exact ? fromDecimal(*exact) : std::nullopt;
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
    return toDecimal().toDouble();
}

std::optional<Currency> Currency::fromDecimal(const Decimal& value) {
    const auto raw = value.unitsAt(Places);
    if (!raw || *raw > std::numeric_limits<std::int64_t>::max() ||
        *raw < std::numeric_limits<std::int64_t>::min())
        return std::nullopt;
    return fromRaw(std::int64_t(*raw));
}

std::optional<Currency> Currency::fromDecimalText(const QString& text) {
    // Rounded once, straight to ten-thousandths.
    const auto value = Decimal::fromPlainText(text, Places);
    return value ? fromDecimal(*value) : std::nullopt;
}

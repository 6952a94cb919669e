#include "engine/Decimal.h"

#include "engine/Currency.h"
#include "engine/EngineError.h"

#include <algorithm>
#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

constexpr int OverflowError = 6;

constexpr Int128 powerOfTen(int exponent) {
    Int128 value = 1;
    for (int i = 0; i < exponent; ++i)
        value *= 10;
    return value;
}

// No value reaches this many units, either way.
constexpr Int128 Limit = powerOfTen(Decimal::MaxDigits);

[[noreturn]] void overflow() {
    throw EngineError(OverflowError, u"Overflow"_s);
}

// value * 10^exponent, or nothing when the result would leave the range (Limit itself is out).
std::optional<Int128> scaledUp(Int128 value, int exponent) {
    for (int i = 0; i < exponent; ++i) {
        if (value >= Limit / 10 || value <= -Limit / 10)
            return std::nullopt;
        value *= 10;
    }
    return value;
}

QString digitsOf(Int128 value) {
    if (value == 0)
        return u"0"_s;
    QString digits;
    while (value > 0) {
        digits.prepend(QChar(u'0' + int(value % 10)));
        value /= 10;
    }
    return digits;
}

} // namespace

Decimal Decimal::fromInteger(qint64 value) {
    Decimal d;
    d.m_units = value;
    return d;
}

Decimal Decimal::fromUnits(Int128 units, int scale) {
    Decimal d;
    d.m_units = units;
    d.m_scale = scale;
    return d;
}

std::optional<Decimal> Decimal::fromDouble(double value) {
    if (!std::isfinite(value))
        return std::nullopt;
    return fromPlainText(QString::number(value, 'g', QLocale::FloatingPointShortest));
}

std::optional<Decimal> Decimal::fromPlainText(QStringView text, int places) {
    const QStringView s = text.trimmed();
    qsizetype i = 0;
    const qsizetype n = s.size();
    bool negative = false;
    if (i < n && (s[i] == u'-' || s[i] == u'+')) {
        negative = s[i] == u'-';
        ++i;
    }
    QString digits;
    int fraction = 0;
    bool anyDigit = false;
    const auto isAsciiDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    while (i < n && isAsciiDigit(s[i])) {
        digits += s[i++];
        anyDigit = true;
    }
    if (i < n && s[i] == u'.') {
        ++i;
        while (i < n && isAsciiDigit(s[i])) {
            digits += s[i++];
            ++fraction;
            anyDigit = true;
        }
    }
    if (!anyDigit)
        return std::nullopt;
    long long exponent = 0;
    if (i < n && (s[i] == u'e' || s[i] == u'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < n && (s[i] == u'-' || s[i] == u'+')) {
            negativeExponent = s[i] == u'-';
            ++i;
        }
        if (i >= n || !isAsciiDigit(s[i]))
            return std::nullopt;
        while (i < n && isAsciiDigit(s[i])) {
            exponent = std::min(exponent * 10 + (s[i++].unicode() - u'0'), 100000LL);
        }
        if (negativeExponent)
            exponent = -exponent;
    }
    if (i != n)
        return std::nullopt;

    // Leading zeros carry nothing and would only count against the digit limit.
    qsizetype firstSignificant = 0;
    while (firstSignificant < digits.size() - 1 && digits[firstSignificant] == u'0')
        ++firstSignificant;
    digits = digits.mid(firstSignificant);

    long long scale = fraction - exponent;
    places = std::clamp(places, 0, MaxScale);
    if (scale > places) {
        // Digits beyond the last kept decimal are rounded away, once.
        const long long drop = scale - places;
        if (drop >= digits.size()) {
            const bool roundsUp = drop == digits.size() && digits[0] >= u'5';
            digits = roundsUp ? u"1"_s : u"0"_s;
        } else {
            const QString kept = digits.left(digits.size() - drop);
            const bool roundsUp = digits[digits.size() - drop] >= u'5';
            digits = kept;
            if (roundsUp) {
                Int128 value = 0;
                for (QChar c : digits) {
                    if (value > Limit / 10)
                        return std::nullopt;
                    value = value * 10 + (c.unicode() - u'0');
                }
                digits = digitsOf(value + 1);
            }
        }
        scale = places;
    }
    // Beyond the range a number is no number this type can hold: nothing, not an error, so
    // that a width or a bound of 1e308 is refused as any other unusable text is.
    if (digits.size() > MaxDigits)
        return std::nullopt;
    Int128 value = 0;
    for (QChar c : digits)
        value = value * 10 + (c.unicode() - u'0');
    if (scale < 0) {
        if (-scale > MaxDigits && value != 0)
            return std::nullopt;
        const auto scaled = scaledUp(value, int(-scale));
        if (!scaled)
            return std::nullopt;
        value = *scaled;
        scale = 0;
    }
    Decimal d;
    d.m_units = negative ? -value : value;
    d.m_scale = int(scale);
    return d.normalised();
}

std::optional<Decimal> Decimal::fromStored(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return std::nullopt;
    if (value.metaType() == QMetaType::fromType<Currency>())
        return value.value<Currency>().toDecimal();
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return fromInteger(value.toBool() ? 1 : 0);
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return fromInteger(value.toLongLong());
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return fromPlainText(QString::number(value.toULongLong()));
    case QMetaType::Double:
    case QMetaType::Float:
        return fromDouble(value.toDouble());
    case QMetaType::QString:
        return fromPlainText(value.toString());
    default:
        return std::nullopt;
    }
}

std::optional<Int128> Decimal::unitsAt(int places) const {
    if (places >= m_scale)
        return scaledUp(m_units, places - m_scale);
    // Quotient and remainder instead of adding half a unit, so the largest values cannot
    // overflow while being rounded.
    const Int128 unit = powerOfTen(m_scale - places);
    Int128 units = m_units / unit;
    const Int128 rest = m_units % unit;
    if (rest != 0 && (rest > 0 ? rest : -rest) * 2 >= unit)
        units += rest > 0 ? 1 : -1;
    return units;
}

Decimal Decimal::normalised() const {
    Decimal d = *this;
    while (d.m_scale > 0 && d.m_units % 10 == 0) {
        d.m_units /= 10;
        --d.m_scale;
    }
    if (d.m_units == 0)
        d.m_scale = 0;
    return d;
}

QString Decimal::toPlainText() const {
    const Decimal d = normalised();
    const bool negative = d.m_units < 0;
    QString digits = digitsOf(negative ? -d.m_units : d.m_units);
    if (d.m_scale > 0) {
        if (digits.size() <= d.m_scale)
            digits.prepend(QString(d.m_scale - digits.size() + 1, u'0'));
        digits.insert(digits.size() - d.m_scale, u'.');
    }
    return negative ? u'-' + digits : digits;
}

QString Decimal::toString(const QLocale& locale) const {
    const QString plain = toPlainText();
    const QString zero = locale.zeroDigit();
    // Locales whose digits are not ASCII give theirs as one UTF-16 code unit or a pair.
    const char32_t zeroCode = zero.isEmpty() ? U'0' : zero.toUcs4().value(0, U'0');
    QString text;
    text.reserve(plain.size() + 2);
    for (QChar c : plain) {
        if (c == u'-') {
            text += locale.negativeSign();
        } else if (c == u'.') {
            text += locale.decimalPoint();
        } else if (zeroCode == U'0') {
            text += c;
        } else {
            const char32_t digit = zeroCode + char32_t(c.unicode() - u'0');
            text += QString::fromUcs4(&digit, 1);
        }
    }
    return text;
}

QVariant Decimal::toBindValue() const {
    const Decimal d = normalised();
    if (d.m_scale == 0 && d.m_units <= std::numeric_limits<qint64>::max() &&
        d.m_units >= std::numeric_limits<qint64>::min())
        return QVariant(qint64(d.m_units));
    return QVariant(toDouble());
}

double Decimal::toDouble() const {
    return QLocale::c().toDouble(toPlainText());
}

Decimal& Decimal::operator+=(const Decimal& other) {
    const int scale = std::max(m_scale, other.m_scale);
    const auto left = scaledUp(m_units, scale - m_scale);
    const auto right = scaledUp(other.m_units, scale - other.m_scale);
    if (!left || !right)
        overflow();
    const Int128 sum = *left + *right;
    if (sum >= Limit || sum <= -Limit)
        overflow();
    m_units = sum;
    m_scale = scale;
    return *this;
}

bool operator==(const Decimal& a, const Decimal& b) {
    const Decimal left = a.normalised();
    const Decimal right = b.normalised();
    return left.m_units == right.m_units && left.m_scale == right.m_scale;
}

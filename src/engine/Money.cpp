#include "engine/Money.h"

#include <QStringList>

#include <cmath>

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

namespace {

constexpr Int128 pow10(int exponent) {
    Int128 result = 1;
    for (int i = 0; i < exponent; ++i)
        result *= 10;
    return result;
}

// Blanks and invisible direction marks carry no meaning in an amount; the locale's own
// output contains them (narrow no-break spaces in French, a right-to-left mark after the
// Egyptian pound sign), so they are dropped from the text and from what it is compared with.
bool isIgnorable(QChar c) {
    return c.isSpace() || c.category() == QChar::Other_Format;
}

QString withoutIgnorables(const QString& text) {
    QString result;
    result.reserve(text.size());
    for (QChar c : text) {
        if (!isIgnorable(c))
            result.append(c);
    }
    return result;
}

// The locale's digits 0 to 9 as it writes them (most locales use ASCII, Arabic ones do not).
std::array<QString, 10> localeDigits(const QLocale& locale) {
    std::array<QString, 10> digits;
    for (int d = 0; d < 10; ++d)
        digits[d] = locale.toString(qlonglong(d));
    return digits;
}

// The digit at the front of text, as ASCII or in the locale's script; its length in chars.
int digitAt(QStringView text, const std::array<QString, 10>& digits, int* length) {
    const QChar c = text.front();
    if (c >= u'0' && c <= u'9') {
        *length = 1;
        return c.unicode() - u'0';
    }
    for (int d = 0; d < 10; ++d) {
        if (!digits[d].isEmpty() && text.startsWith(digits[d])) {
            *length = int(digits[d].size());
            return d;
        }
    }
    return -1;
}

bool stripFront(QString& text, const QStringList& tokens) {
    for (const QString& token : tokens) {
        if (!token.isEmpty() && text.startsWith(token, Qt::CaseInsensitive)) {
            text.remove(0, token.size());
            return true;
        }
    }
    return false;
}

bool stripBack(QString& text, const QStringList& tokens) {
    for (const QString& token : tokens) {
        if (!token.isEmpty() && text.endsWith(token, Qt::CaseInsensitive)) {
            text.chop(token.size());
            return true;
        }
    }
    return false;
}

bool stripEither(QString& text, const QStringList& tokens) {
    return stripFront(text, tokens) || stripBack(text, tokens);
}

QStringList currencyTokens(const QLocale& locale) {
    QStringList tokens;
    auto add = [&tokens](const QString& token) {
        const QString cleaned = withoutIgnorables(token);
        if (!cleaned.isEmpty() && !tokens.contains(cleaned, Qt::CaseInsensitive))
            tokens << cleaned;
    };
    const QString symbol = locale.currencySymbol(QLocale::CurrencySymbol);
    add(symbol);
    add(locale.currencySymbol(QLocale::CurrencyIsoCode));
    // Japanese keyboards offer both the full-width and the plain yen sign.
    if (symbol == QStringLiteral("\uFFE5"))
        add(QStringLiteral("\u00A5"));
    else if (symbol == QStringLiteral("\u00A5"))
        add(QStringLiteral("\uFFE5"));
    // Longest first, so "kr." is not taken for "kr" followed by a stray dot.
    std::sort(tokens.begin(), tokens.end(),
              [](const QString& a, const QString& b) { return a.size() > b.size(); });
    return tokens;
}

QStringList signTokens(const QString& localeSign, QStringList ascii) {
    const QString cleaned = withoutIgnorables(localeSign);
    if (!cleaned.isEmpty() && !ascii.contains(cleaned))
        ascii.prepend(cleaned);
    return ascii;
}

// Grouping is checked loosely but enough to refuse a decimal mark typed in the wrong
// convention: in "1,50" under en_US the comma cannot be a thousands separator, so the
// text is refused rather than read as 150. Groups after the first hold two digits
// (Indian lakh grouping) or three, and the last one always three. The first may be longer:
// some locales group only the last three digits ("3385,972" in Ewe), and what the program
// shows must read back.
bool groupsAreSound(const QList<int>& groupLengths) {
    if (groupLengths.size() < 2)
        return true;
    if (groupLengths.first() < 1)
        return false;
    for (qsizetype i = 1; i + 1 < groupLengths.size(); ++i) {
        if (groupLengths[i] != 2 && groupLengths[i] != 3)
            return false;
    }
    return groupLengths.last() == 3;
}

} // namespace

int currencyDigits(const QLocale& locale) {
    const QString zero = locale.toCurrencyString(0.0);
    const QString point = locale.decimalPoint();
    const QString zeroDigit = locale.zeroDigit();
    // A symbol may itself contain the decimal mark ("kr."), so the mark counts only
    // where zeros follow it.
    int best = 0;
    for (qsizetype at = zero.indexOf(point); at >= 0; at = zero.indexOf(point, at + 1)) {
        int count = 0;
        qsizetype pos = at + point.size();
        while (zero.mid(pos, zeroDigit.size()) == zeroDigit) {
            ++count;
            pos += zeroDigit.size();
        }
        best = std::max(best, count);
    }
    return std::min(best, Currency::Places);
}

namespace {

// The whole part of an amount with the locale's grouping. Qt groups integers of up to 64
// bits; a larger total takes its grouping from a number of as many digits that Qt formats
// (a power of ten as a double, whose digits may differ but whose count does not), and puts
// its own digits in place of those.
QString groupedWhole(UInt128 whole, const QLocale& locale) {
    if (whole <= std::numeric_limits<qulonglong>::max())
        return locale.toString(qulonglong(whole));
    QString digits;
    for (UInt128 rest = whole; rest != 0; rest /= 10)
        digits.prepend(QChar(u'0' + int(rest % 10)));
    const QString pattern = locale.toString(std::pow(10.0, double(digits.size() - 1)), 'f', 0);
    const auto shapes = localeDigits(locale);
    QString grouped;
    qsizetype next = 0;
    for (QStringView rest(pattern); !rest.isEmpty();) {
        int length = 0;
        if (digitAt(rest, shapes, &length) >= 0 && next < digits.size()) {
            grouped += shapes[digits.at(next++).unicode() - u'0'];
        } else {
            length = 1;
            grouped += rest.front();
        }
        rest = rest.mid(length);
    }
    return grouped;
}

// The value of units * 10^-scale in the locale's currency format, rounded half away from
// zero to the currency's decimal places.
QString formatUnits(Int128 units, int scale, const QLocale& locale) {
    const int digits = currencyDigits(locale);
    UInt128 whole = 0;
    std::uint64_t fraction = 0;
    bool negative = false;
    if (scale > digits) {
        // Quotient and remainder instead of adding half a unit, so the largest amounts
        // cannot overflow while being rounded.
        const Int128 unit = pow10(scale - digits);
        Int128 rounded = units / unit;
        const Int128 rest = units % unit;
        if (rest != 0 && (rest > 0 ? rest : -rest) * 2 >= unit)
            rounded += rest > 0 ? 1 : -1;
        negative = rounded < 0;
        const UInt128 magnitude = negative ? UInt128(-(rounded + 1)) + 1 : UInt128(rounded);
        whole = magnitude / UInt128(pow10(digits));
        fraction = std::uint64_t(magnitude % UInt128(pow10(digits)));
    } else {
        negative = units < 0;
        const UInt128 magnitude = negative ? UInt128(-(units + 1)) + 1 : UInt128(units);
        whole = magnitude / UInt128(pow10(scale));
        fraction =
            std::uint64_t(magnitude % UInt128(pow10(scale))) * std::uint64_t(pow10(digits - scale));
    }

    QString number = groupedWhole(whole, locale);
    if (digits > 0) {
        QString fractionText;
        for (std::uint64_t place = std::uint64_t(pow10(digits)) / 10; place > 0; place /= 10) {
            fractionText += locale.toString(qlonglong(fraction / place));
            fraction %= place;
        }
        number += locale.decimalPoint() + fractionText;
    }

    // Qt knows the locale's currency pattern (symbol position, the negative form with a
    // sign or parentheses) but formats only doubles and 64-bit integers through it; a
    // double cannot carry every amount exactly, so the pattern is taken from formatting
    // one whole unit and the exact number is put in place of its digit.
    const QString pattern = locale.toCurrencyString(qlonglong(negative ? -1 : 1));
    const QString one = locale.toString(qlonglong(1));
    const qsizetype at = pattern.lastIndexOf(one);
    if (at < 0)
        return number; // a locale without digits in its currency pattern does not exist
    return QString(pattern).replace(at, one.size(), number);
}

} // namespace

QString formatCurrency(Currency amount, const QLocale& locale) {
    return formatUnits(amount.raw(), Currency::Places, locale);
}

QString formatCurrency(const Decimal& total, const QLocale& locale) {
    return formatUnits(total.units(), total.scale(), locale);
}

std::optional<Currency> parseCurrency(const QString& text, const QLocale& locale, bool* tooLarge) {
    if (tooLarge)
        *tooLarge = false;
    QString s = withoutIgnorables(text);
    if (s.isEmpty())
        return std::nullopt;

    const QStringList symbols = currencyTokens(locale);
    const QStringList minusSigns =
        signTokens(locale.negativeSign(), {QStringLiteral("-"), QStringLiteral("\u2212")});
    const QStringList plusSigns = signTokens(locale.positiveSign(), {QStringLiteral("+")});

    bool negative = false;
    bool haveSymbol = stripEither(s, symbols);
    bool haveSign = false;
    if (s.startsWith(u'(') && s.endsWith(u')') && s.size() >= 2) {
        s = s.mid(1, s.size() - 2);
        negative = true;
        haveSign = true;
    }
    if (!haveSymbol)
        haveSymbol = stripEither(s, symbols);
    if (!haveSign) {
        if (stripFront(s, minusSigns) || stripBack(s, minusSigns)) {
            negative = true;
            haveSign = true;
        } else if (stripFront(s, plusSigns) || stripBack(s, plusSigns)) {
            haveSign = true;
        }
    }
    if (!haveSymbol)
        haveSymbol = stripEither(s, symbols);
    if (s.isEmpty())
        return std::nullopt;

    const auto digits = localeDigits(locale);
    const QString point = withoutIgnorables(locale.decimalPoint());
    QStringList groupMarks;
    const QString group = withoutIgnorables(locale.groupSeparator());
    if (!group.isEmpty() && group != point)
        groupMarks << group;
    // Swiss grouping is printed with a typographic apostrophe but typed with a plain one.
    if (group == QStringLiteral("\u2019"))
        groupMarks << QStringLiteral("'");

    // The digits as plain text for the one reader of decimal text; of the fraction only one
    // digit beyond ten-thousandths is kept, since only that one decides the rounding: half
    // or more of the last place rounds away from zero.
    QString whole;
    QString fraction;
    bool sawDigit = false;
    bool inFraction = false;
    QList<int> groupLengths{0};

    QStringView rest(s);
    while (!rest.isEmpty()) {
        int length = 0;
        const int digit = digitAt(rest, digits, &length);
        if (digit >= 0) {
            sawDigit = true;
            if (!inFraction) {
                whole += QChar(u'0' + digit);
                ++groupLengths.last();
            } else if (fraction.size() <= Currency::Places) {
                fraction += QChar(u'0' + digit);
            }
            rest = rest.mid(length);
            continue;
        }
        if (!point.isEmpty() && rest.startsWith(point)) {
            if (inFraction)
                return std::nullopt;
            inFraction = true;
            rest = rest.mid(point.size());
            continue;
        }
        bool grouped = false;
        for (const QString& mark : groupMarks) {
            if (!inFraction && rest.startsWith(mark) && groupLengths.last() > 0) {
                groupLengths << 0;
                rest = rest.mid(mark.size());
                grouped = true;
                break;
            }
        }
        if (!grouped)
            return std::nullopt;
    }
    if (!sawDigit || !groupsAreSound(groupLengths))
        return std::nullopt;

    // The magnitude first, so that the same range holds either way of zero.
    const auto magnitude = Decimal::fromPlainText(QString(whole + u'.' + fraction));
    const auto amount = magnitude ? Currency::fromDecimal(*magnitude) : std::nullopt;
    if (!amount) {
        if (tooLarge)
            *tooLarge = true;
        return std::nullopt;
    }
    return negative ? -*amount : *amount;
}

QString storedAmountText(const QVariant& stored, const QLocale& locale) {
    if (stored.isNull())
        return {};
    if (stored.metaType() == QMetaType::fromType<Currency>())
        return formatCurrency(stored.value<Currency>(), locale);
    if (stored.typeId() == QMetaType::Double)
        return QString::number(stored.toDouble(), 'g', QLocale::FloatingPointShortest);
    return stored.toString();
}

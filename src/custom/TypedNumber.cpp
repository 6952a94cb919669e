#include "custom/TypedNumber.h"

#include "dates/LocaleDates.h"
#include "engine/Money.h"

std::optional<Decimal> typedNumber(const QString& text, const QLocale& locale) {
    // Locale digits become ASCII, every kind of blank a plain blank.
    QString plain = LocaleDates::plainText(text);
    if (plain.isEmpty())
        return std::nullopt;
    const QString group = locale.groupSeparator();
    // Nobody types the narrow no-break blank some locales group with; a blank stands for it.
    const bool blankGroups = group.size() == 1 && group.at(0).isSpace();
    QString forLocale = plain;
    if (blankGroups)
        forLocale.replace(u' ', group.at(0));
    bool ok = false;
    locale.toDouble(forLocale, &ok);
    if (ok) {
        QString c;
        const QString point = locale.decimalPoint();
        const QString minus = locale.negativeSign();
        const QString plus = locale.positiveSign();
        for (qsizetype i = 0; i < plain.size();) {
            const QStringView rest = QStringView(plain).sliced(i);
            if (!point.isEmpty() && rest.startsWith(point)) {
                c += u'.';
                i += point.size();
            } else if (blankGroups ? rest.startsWith(u' ')
                                   : (!group.isEmpty() && rest.startsWith(group))) {
                i += blankGroups ? 1 : group.size();
            } else if (!minus.isEmpty() && rest.startsWith(minus)) {
                c += u'-';
                i += minus.size();
            } else if (rest.startsWith(QChar(0x2212))) {
                c += u'-';
                ++i;
            } else if (!plus.isEmpty() && rest.startsWith(plus)) {
                c += u'+';
                i += plus.size();
            } else {
                c += plain.at(i);
                ++i;
            }
        }
        if (const auto exact = Decimal::fromPlainText(c))
            return exact;
    }
    // What the amount box accepts: a currency sign, parentheses for a negative.
    if (const auto amount = parseCurrency(text, locale))
        return amount->toDecimal();
    return std::nullopt;
}

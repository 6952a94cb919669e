#pragma once

#include "engine/Currency.h"
#include "engine/Decimal.h"

#include <QLocale>
#include <QString>
#include <QVariant>

#include <optional>

// Decimal places of the locale's currency (2 for dollars and euros, 0 for yen).
int currencyDigits(const QLocale& locale);

// The amount in the locale's currency format, rounded half away from zero to the
// currency's decimal places in exact arithmetic ("$1,234.50", "1.234,50 €", "￥1,235").
QString formatCurrency(Currency amount, const QLocale& locale);
// A total, or any other decimal, in the same format, exact however large.
QString formatCurrency(const Decimal& total, const QLocale& locale);

// An amount as read from the file, the way the user sees it: a Currency in the locale's
// currency format; a number another tool stored beyond that range as its plain number text
// ("1e+300"); any other value (text in the amount column) as stored; Null as empty text.
QString storedAmountText(const QVariant& stored, const QLocale& locale);

// Reads an amount typed in the locale: currency sign before or after, grouping, the
// decimal mark, a minus sign, a Unicode minus or parentheses for negatives, blanks
// (non-breaking ones too) around or inside. Nullopt when the text is not a number, or is a
// number beyond the amounts a Currency holds (then *tooLarge is set, when given).
std::optional<Currency> parseCurrency(const QString& text, const QLocale& locale,
                                      bool* tooLarge = nullptr);

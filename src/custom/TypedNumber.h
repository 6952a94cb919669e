#pragma once

#include "engine/Decimal.h"

#include <QLocale>
#include <QString>

#include <optional>

// A number as the user typed it in the locale: its decimal mark, its digit grouping (a blank
// stands for a grouping blank), its minus sign, its digits; failing that an amount in the
// locale's currency format. The widths and bounds of a custom report are read this way.
std::optional<Decimal> typedNumber(const QString& text, const QLocale& locale);

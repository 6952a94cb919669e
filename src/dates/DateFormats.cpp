#include "dates/DateFormats.h"

#include "core/AppState.h"
#include "dates/LocaleDates.h"
#include "engine/EngineError.h"

#include <QDate>
#include <QRegularExpression>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

// 30 May 1998: its month, its day and either way of writing its year all differ, so each
// field of its short-date text tells by its value alone what it is.
constexpr int referenceYear = 1998;
constexpr int referenceMonth = 5;
constexpr int referenceDay = 30;

// A field of the short date as a 16-bit number, the way the platform reads typed numbers:
// blanks around it are fine, anything else that is not a number is a type mismatch. Some
// locales write their own digits and wrap fields in invisible direction marks; those are
// still numbers.
short toInteger(const QString& text) {
    bool ok = false;
    const short value = LocaleDates::plainText(text).toShort(&ok);
    if (!ok)
        throw EngineError(ErrorNumber::TypeMismatch, QStringLiteral("Type mismatch"));
    return value;
}

// The fields of a short date are what lies between runs of separators: a locale may put
// different ones between its fields ("30/05 1998") or a blank after each dot
// ("30. 05. 1998"), so every separator ends a field, not only the one that was chosen.
QStringList dateFields(const QString& text, const QString& separator) {
    if (separator.isEmpty())
        return {};
    QStringList alternatives;
    for (const QString& mark : {u"/"_s, u"."_s, u" "_s, u"-"_s, separator})
        alternatives.append(QRegularExpression::escape(mark));
    return text.split(QRegularExpression(u"(?:"_s + alternatives.join(u'|') + u")+"_s));
}

QChar fieldLetter(int value) {
    if (value == referenceMonth)
        return u'm';
    if (value == referenceDay)
        return u'd';
    return u'y';
}

} // namespace

void ChkDateFmt(AppState& state, const QLocale& locale) {
    ChkDateFmt(state,
               LocaleDates::shortDate(QDate(referenceYear, referenceMonth, referenceDay), locale));
}

void ChkDateFmt(AppState& state, const QString& shortDate) {
    // Some locales write a word after the date (Bulgarian "30.05.1998 г."); it is no field,
    // and reading it as part of the year would keep the program from starting there.
    qsizetype end = shortDate.size();
    while (end > 0) {
        const bool pair = end >= 2 && shortDate.at(end - 1).isLowSurrogate() &&
                          shortDate.at(end - 2).isHighSurrogate();
        const char32_t last =
            pair ? QChar::surrogateToUcs4(shortDate.at(end - 2), shortDate.at(end - 1))
                 : shortDate.at(end - 1).unicode();
        if (QChar::isDigit(last))
            break;
        end -= pair ? 2 : 1;
    }
    const QString shortDateText = LocaleDates::plainText(shortDate.left(end));

    // The order matters: "30. 05. 1998" holds both a dot and blanks, and the dot is the
    // separator. Without any of them the separator found last time is used again.
    QString separator = state.gDateSep;
    for (const QStringView candidate : {u"/", u".", u" ", u"-"}) {
        if (shortDateText.contains(candidate)) {
            separator = candidate.toString();
            break;
        }
    }

    // All three fields are converted before either global changes, so a short date that
    // cannot be read leaves the previous answer intact.
    const QStringList fields = dateFields(shortDateText, separator);
    const short first = toInteger(fields.value(0));
    const short second = toInteger(fields.value(1));
    const short third = toInteger(fields.value(2));

    state.gDateSep = separator;
    const QChar letters[] = {fieldLetter(first), fieldLetter(second), fieldLetter(third)};
    state.gDateFmt = QString(letters, 3);
}

QString FormatDate(int month, int day, int year, const QString& dateFmt) {
    // Blanks rather than the locale's separator: the text-to-date conversion reads blanks
    // in every locale, whatever separator its short date uses.
    const auto join = [](int a, int b, int c) {
        return QStringLiteral("%1 %2 %3").arg(a).arg(b).arg(c);
    };
    if (dateFmt == u"dmy")
        return join(day, month, year);
    if (dateFmt == u"ymd")
        return join(year, month, day);
    if (dateFmt == u"ydm")
        return join(year, day, month);
    return join(month, day, year);
}

QString GetToken(const QString& text, const QString& delimiter, int n) {
    // An empty delimiter is found wherever the search starts, so every field it bounds is
    // empty.
    if (n <= 0 || delimiter.isEmpty())
        return {};
    qsizetype start = 0;
    for (int found = 1; found < n; ++found) {
        const qsizetype at = text.indexOf(delimiter, start);
        if (at < 0)
            return {};
        start = at + delimiter.size();
    }
    const qsizetype end = text.indexOf(delimiter, start);
    return end < 0 ? text.mid(start) : text.mid(start, end - start);
}

#include "dates/LocaleDates.h"

#include <algorithm>

#include <QList>
#include <QRegularExpression>
#include <QStringList>

QVariant DateValue::toVariant() const {
    if (!date.isValid())
        return {};
    if (!time)
        return date;
    const QDateTime local(date, *time);
    if (local.isValid())
        return local;
    // The hour the clocks skip in spring has no local time; the time of day typed is still
    // what the user means, so it is kept as a plain clock reading.
    return QDateTime(date, *time, Qt::UTC);
}

QString LocaleDates::plainText(const QString& text) {
    QString plain;
    plain.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        if (QChar::category(c) == QChar::Other_Format)
            continue;
        if (QChar::isDigit(c))
            plain += QChar(char16_t(u'0' + QChar::digitValue(c)));
        else if (QChar::isSpace(c))
            plain += u' ';
        else
            plain += QString::fromUcs4(&c, 1);
    }
    return plain.trimmed();
}

namespace {

using LocaleDates::plainText;

struct PatternField {
    QChar letter;
    qsizetype count;
};

// The day, month and year fields of a Qt date pattern in order, and the literal text after
// the last of them (quotes resolved).
struct PatternScan {
    QList<PatternField> fields;
    QString trailingLiteral;
};

PatternScan scanPattern(const QString& pattern) {
    PatternScan scan;
    bool quoted = false;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern.at(i);
        if (c == u'\'') {
            if (i + 1 < pattern.size() && pattern.at(i + 1) == u'\'') {
                scan.trailingLiteral += c;
                i += 2;
            } else {
                quoted = !quoted;
                ++i;
            }
            continue;
        }
        if (!quoted && (c == u'd' || c == u'M' || c == u'y')) {
            qsizetype end = i;
            while (end < pattern.size() && pattern.at(end) == c)
                ++end;
            scan.fields.append({c, end - i});
            scan.trailingLiteral.clear();
            i = end;
            continue;
        }
        scan.trailingLiteral += c;
        ++i;
    }
    return scan;
}

// "dmy", "mdy", "ymd", ... as the locale's short date writes its fields; month-day-year
// for a pattern that lacks one of them.
QString fieldOrder(const QLocale& locale) {
    QString order;
    for (const PatternField& field : scanPattern(locale.dateFormat(QLocale::ShortFormat)).fields) {
        // dddd and ddd are the weekday's name, not the day of the month.
        if (field.letter == u'd' && field.count > 2)
            continue;
        const QChar letter = field.letter == u'M' ? QChar(u'm') : field.letter;
        if (!order.contains(letter))
            order += letter;
    }
    return order.size() == 3 ? order : QStringLiteral("mdy");
}

// Text some short dates end with after the last field, such as the dot of "1998. 05. 30.".
QString trailingLiteral(const QLocale& locale) {
    return plainText(scanPattern(locale.dateFormat(QLocale::ShortFormat)).trailingLiteral);
}

QString nameKey(const QString& name) {
    QString key = plainText(name).toCaseFolded();
    key.remove(u'.');
    return key;
}

// 1-12 for a month name of the locale (full or abbreviated, standalone forms too) or, when
// the locale has no such name, of English; 0 for any other word.
int monthFromName(const QString& word, const QLocale& locale) {
    const QString key = nameKey(word);
    if (key.isEmpty())
        return 0;
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    for (const QLocale* names : {&locale, &english}) {
        for (int month = 1; month <= 12; ++month) {
            for (const auto format : {QLocale::LongFormat, QLocale::ShortFormat}) {
                if (nameKey(names->monthName(month, format)) == key ||
                    nameKey(names->standaloneMonthName(month, format)) == key)
                    return month;
            }
        }
    }
    return 0;
}

struct DatePiece {
    bool isNumber;
    QString text;
};

bool isSeparator(QChar c) {
    return c == u' ' || c == u'/' || c == u'-' || c == u'.' || c == u',';
}

// Letters outside the basic plane come as surrogate pairs; they too make up words.
bool isWordCharacter(QChar c) {
    return c.isLetter() || c.isMark() || c.isSurrogate();
}

// Exactly three fields (numbers or one word), each two apart by one separator character
// with any blanks around it; a word and a number may also touch. Nothing else is allowed,
// so trailing junk makes the text no date.
std::optional<QList<DatePiece>> splitFields(const QString& text) {
    QList<DatePiece> fields;
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text.at(i);
        qsizetype end = i + 1;
        if (c.isDigit() || isWordCharacter(c)) {
            const bool number = c.isDigit();
            while (end < text.size() &&
                   (number ? text.at(end).isDigit() : isWordCharacter(text.at(end))))
                ++end;
            fields.append({number, text.mid(i, end - i)});
        } else if (isSeparator(c)) {
            int marks = 0;
            for (end = i; end < text.size() && isSeparator(text.at(end)); ++end) {
                if (text.at(end) != u' ')
                    ++marks;
            }
            if (fields.isEmpty() || end == text.size() || marks > 1)
                return std::nullopt;
        } else {
            return std::nullopt;
        }
        i = end;
    }
    if (fields.size() != 3)
        return std::nullopt;
    return fields;
}

// The years a date may have: those the calendar can show, so no date typed or stored by the
// program is one the calendar cannot open on.
constexpr int FirstYear = 100;
constexpr int LastYear = 9999;

std::optional<int> yearOf(const QString& digits, int currentYear) {
    if (digits.size() > 4)
        return std::nullopt;
    const int value = digits.toInt();
    return digits.size() <= 2 ? LocaleDates::expandTwoDigitYear(value, currentYear) : value;
}

std::optional<QDate> makeDate(const QString& yearDigits, int month, const QString& dayDigits,
                              int currentYear) {
    const std::optional<int> year = yearOf(yearDigits, currentYear);
    if (!year || dayDigits.size() > 2)
        return std::nullopt;
    const int day = dayDigits.toInt();
    if (*year < FirstYear || *year > LastYear || !QDate::isValid(*year, month, day))
        return std::nullopt;
    return QDate(*year, month, day);
}

std::optional<QDate> numericDate(const QList<DatePiece>& fields, const QString& order,
                                 int currentYear) {
    QString year, month, day;
    for (int i = 0; i < 3; ++i) {
        const QChar letter = order.at(i);
        (letter == u'y' ? year : letter == u'm' ? month : day) = fields.at(i).text;
    }
    if (month.size() > 2)
        return std::nullopt;
    return makeDate(year, month.toInt(), day, currentYear);
}

std::optional<QDate> dateFromNumbers(const QList<DatePiece>& fields, const QString& datePart,
                                     const QString& order, int currentYear) {
    static const QRegularExpression iso(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    if (iso.match(datePart).hasMatch())
        return numericDate(fields, QStringLiteral("ymd"), currentYear);
    if (const auto date = numericDate(fields, order, currentYear))
        return date;
    // Days and months never take three digits, so a first field that long can only be a
    // year, written year-month-day as in ISO.
    if (fields.first().text.size() >= 3 && order.at(0) != u'y')
        return numericDate(fields, QStringLiteral("ymd"), currentYear);
    return std::nullopt;
}

std::optional<QDate> dateWithMonthName(const QList<DatePiece>& fields, const QLocale& locale,
                                       const QString& order, int currentYear) {
    // Exactly one word, and it names a month, beside exactly two numbers: a weekday name is
    // no month, and a month name with one number ("July 1984") is not a whole date.
    QStringList numbers;
    QStringList words;
    for (const DatePiece& field : fields)
        (field.isNumber ? numbers : words).append(field.text);
    if (words.size() != 1 || numbers.size() != 2)
        return std::nullopt;
    const int month = monthFromName(words.constFirst(), locale);
    if (month == 0)
        return std::nullopt;
    // Of the two numbers left, one that a day cannot be is the year; when both could be
    // days the locale's order of day and year decides.
    const auto yearLike = [](const QString& digits) {
        return digits.size() >= 3 || digits.toInt() > 31;
    };
    const bool firstIsYear = yearLike(numbers.at(0));
    const bool secondIsYear = yearLike(numbers.at(1));
    if (firstIsYear && secondIsYear)
        return std::nullopt;
    const bool yearFirst =
        firstIsYear || (!secondIsYear && order.indexOf(u'y') < order.indexOf(u'd'));
    return yearFirst ? makeDate(numbers.at(0), month, numbers.at(1), currentYear)
                     : makeDate(numbers.at(1), month, numbers.at(0), currentYear);
}

QString alternatives(const QStringList& texts) {
    QStringList escaped;
    for (const QString& text : texts) {
        if (!text.isEmpty())
            escaped.append(QRegularExpression::escape(text));
    }
    return escaped.join(u'|');
}

struct SplitText {
    QString datePart;
    std::optional<QTime> time;
    bool valid = true;
};

// Splits off a time of day at the end: h:mm or h:mm:ss, after a blank (or the T of ISO),
// with the locale's or the English AM/PM text before or after it.
SplitText splitTime(const QString& text, const QLocale& locale) {
    const QString am = alternatives({locale.amText(), QStringLiteral("AM")});
    const QString pm = alternatives({locale.pmText(), QStringLiteral("PM")});
    const QRegularExpression pattern(
        QStringLiteral("^(.*?\\S)(?:\\s+|T)(?:((?i:%1|%2))\\s*)?(\\d{1,2}):(\\d{2})(?::(\\d{2}))?"
                       "(?:\\s*((?i:%1|%2)))?$")
            .arg(am, pm));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return {text, std::nullopt};

    const QString before = match.captured(2);
    const QString after = match.captured(6);
    if (!before.isEmpty() && !after.isEmpty())
        return {{}, std::nullopt, false};
    const QString dayHalf = before.isEmpty() ? after : before;

    int hour = match.captured(3).toInt();
    const int minute = match.captured(4).toInt();
    const int second = match.captured(5).toInt();
    if (!dayHalf.isEmpty()) {
        if (hour < 1 || hour > 12)
            return {{}, std::nullopt, false};
        const QRegularExpression isPm(QStringLiteral("^(?i:%1)$").arg(pm));
        hour = hour % 12 + (isPm.match(dayHalf).hasMatch() ? 12 : 0);
    }
    if (!QTime::isValid(hour, minute, second))
        return {{}, std::nullopt, false};
    return {match.captured(1), QTime(hour, minute, second)};
}

} // namespace

namespace LocaleDates {

QString shortDateFormat(const QLocale& locale) {
    const QString pattern = locale.dateFormat(QLocale::ShortFormat);
    QString widened;
    bool quoted = false;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern.at(i);
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u'y') {
            while (i < pattern.size() && pattern.at(i) == u'y')
                ++i;
            widened += QStringLiteral("yyyy");
            continue;
        }
        widened += c;
        ++i;
    }
    return widened;
}

QString shortDate(const QDate& date, const QLocale& locale) {
    if (!date.isValid())
        return {};
    return locale.toString(date, shortDateFormat(locale));
}

QString shortDate(const QVariant& stored, const QLocale& locale) {
    if (stored.isNull())
        return {};
    const int type = stored.typeId();
    if (type == QMetaType::QDate || type == QMetaType::QDateTime) {
        const QDate day = stored.toDate();
        if (day.isValid())
            return shortDate(day, locale);
    }
    return stored.toString();
}

std::optional<DateValue> toDate(const QString& text, const QLocale& locale, int currentYear) {
    const SplitText split = splitTime(plainText(text), locale);
    if (!split.valid)
        return std::nullopt;

    QString datePart = split.datePart;
    const QString suffix = trailingLiteral(locale);
    if (!suffix.isEmpty() && datePart.endsWith(suffix, Qt::CaseInsensitive)) {
        datePart.chop(suffix.size());
        datePart = datePart.trimmed();
    }

    const std::optional<QList<DatePiece>> fields = splitFields(datePart);
    if (!fields)
        return std::nullopt;
    const QString order = fieldOrder(locale);
    const bool allNumbers =
        std::all_of(fields->begin(), fields->end(), [](const DatePiece& f) { return f.isNumber; });
    const std::optional<QDate> date = allNumbers
                                          ? dateFromNumbers(*fields, datePart, order, currentYear)
                                          : dateWithMonthName(*fields, locale, order, currentYear);
    if (!date)
        return std::nullopt;
    return DateValue{*date, split.time};
}

bool isDate(const QString& text, const QLocale& locale, int currentYear) {
    return toDate(text, locale, currentYear).has_value();
}

int expandTwoDigitYear(int twoDigitYear, int currentYear) {
    if (twoDigitYear < 0 || twoDigitYear > 99)
        return twoDigitYear;
    const int first = currentYear - 50;
    int year = first - ((first % 100) + 100) % 100 + twoDigitYear;
    if (year < first)
        year += 100;
    return year;
}

} // namespace LocaleDates

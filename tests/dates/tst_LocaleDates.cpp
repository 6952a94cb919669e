#include "core/AppState.h"
#include "dates/DateFormats.h"
#include "dates/LocaleDates.h"
#include "engine/EngineError.h"

#include <QtTest>

#include <algorithm>
#include <cstdlib>
#include <ctime>

namespace {

// The year the tests' clock stands in: two-digit years are read within 50 years of it.
constexpr int ClockYear = 2026;

const QStringList testLocales{"en_US", "en_GB", "de_DE", "fr_FR", "ja_JP", "sv_SE", "hu_HU"};

// Dates on both sides of the two-digit-year window and at the ends of the range.
const QList<QDate> centuryDates{QDate(1901, 1, 1),   QDate(1929, 12, 31), QDate(1930, 1, 1),
                                QDate(1999, 12, 31), QDate(2000, 2, 29),  QDate(2029, 6, 15),
                                QDate(2030, 7, 4),   QDate(9999, 12, 31)};

} // namespace

class tst_LocaleDates : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void shortDate_data();
    void shortDate();
    void shortDateOfStoredValue_data();
    void shortDateOfStoredValue();
    void shortDateRoundTrips_data();
    void shortDateRoundTrips();
    void startUpDatesRoundTripInEveryLocale();
    void formatDateReadsBack_data();
    void formatDateReadsBack();
    void accepts_data();
    void accepts();
    void rejects_data();
    void rejects();
    void expandTwoDigitYear_data();
    void expandTwoDigitYear();
    void storedValueCarriesTheTimeOnlyWhenTyped();
    void timeInTheSkippedSpringHourIsKept();
};

void tst_LocaleDates::shortDate_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("expected");

    QTest::newRow("en_US") << "en_US" << QDate(1998, 5, 30) << "5/30/1998";
    QTest::newRow("en_US 2030") << "en_US" << QDate(2030, 1, 2) << "1/2/2030";
    QTest::newRow("en_GB") << "en_GB" << QDate(1998, 5, 30) << "30/05/1998";
    QTest::newRow("de_DE") << "de_DE" << QDate(1998, 5, 30) << "30.05.1998";
    QTest::newRow("de_DE 1901") << "de_DE" << QDate(1901, 1, 1) << "01.01.1901";
    QTest::newRow("fr_FR") << "fr_FR" << QDate(2029, 12, 31) << "31/12/2029";
    QTest::newRow("ja_JP") << "ja_JP" << QDate(1998, 5, 30) << "1998/05/30";
    QTest::newRow("sv_SE") << "sv_SE" << QDate(1998, 5, 30) << "1998-05-30";
    QTest::newRow("hu_HU") << "hu_HU" << QDate(1998, 5, 30) << "1998. 05. 30.";
    QTest::newRow("invalid") << "en_US" << QDate() << "";
}

void tst_LocaleDates::shortDate() {
    QFETCH(QString, locale);
    QFETCH(QDate, date);
    QFETCH(QString, expected);
    QCOMPARE(LocaleDates::shortDate(date, QLocale(locale)), expected);
}

void tst_LocaleDates::shortDateOfStoredValue_data() {
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("expected");

    QTest::newRow("Null") << QVariant() << "";
    QTest::newRow("null date") << QVariant(QDate()) << "";
    QTest::newRow("date") << QVariant(QDate(1998, 5, 30)) << "30.05.1998";
    QTest::newRow("date and time")
        << QVariant(QDateTime(QDate(1998, 5, 30), QTime(23, 59, 30))) << "30.05.1998";
}

void tst_LocaleDates::shortDateOfStoredValue() {
    QFETCH(QVariant, stored);
    QFETCH(QString, expected);
    QCOMPARE(LocaleDates::shortDate(stored, QLocale("de_DE")), expected);
}

void tst_LocaleDates::shortDateRoundTrips_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QDate>("date");
    for (const QString& locale : testLocales) {
        for (const QDate& date : centuryDates) {
            QTest::addRow("%s %s", qPrintable(locale), qPrintable(date.toString(Qt::ISODate)))
                << locale << date;
        }
    }
}

void tst_LocaleDates::shortDateRoundTrips() {
    QFETCH(QString, locale);
    QFETCH(QDate, date);
    const QString shown = LocaleDates::shortDate(date, QLocale(locale));
    // The whole year is shown, so saving the text again cannot move it to another century.
    QVERIFY2(shown.contains(QString::number(date.year())), qPrintable(shown));
    const auto read = LocaleDates::toDate(shown, QLocale(locale), ClockYear);
    QVERIFY2(read.has_value(), qPrintable(shown));
    QCOMPARE(read->date, date);
    QVERIFY(!read->time.has_value());
}

void tst_LocaleDates::startUpDatesRoundTripInEveryLocale() {
    // The user's locale may be any the platform knows, with its own digits, direction marks,
    // words around the date and different separators between its fields ("30/05 1998").
    // Each goes through what start-up and the calendar do with dates: find the field order,
    // build dates from numbers in that order and read them back, and read back a date as the
    // fields show it.
    const QList<QLocale> all =
        QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    QVERIFY(all.size() > 500);
    for (const QLocale& locale : all) {
        // Qt's C locale is never the user's: the program takes en_US conventions instead.
        if (locale.language() == QLocale::C)
            continue;
        const QString where = locale.name() + " (" + locale.dateFormat(QLocale::ShortFormat) + ")";
        AppState state;
        try {
            ChkDateFmt(state, locale);
        } catch (const EngineError& error) {
            QFAIL(qPrintable(where + ": " + error.description()));
        }
        const QStringView letters(u"dmy");
        QVERIFY2(std::is_permutation(state.gDateFmt.begin(), state.gDateFmt.end(), letters.begin(),
                                     letters.end()),
                 qPrintable(where + ": " + state.gDateFmt));
        // 5 December 1999 tells day, month and year apart; 1 January is what start-up builds.
        for (const QDate& date : {QDate(ClockYear, 1, 1), QDate(1999, 12, 5)}) {
            const QString built = FormatDate(date.month(), date.day(), date.year(), state.gDateFmt);
            const auto read = LocaleDates::toDate(built, locale, ClockYear);
            QVERIFY2(read && read->date == date, qPrintable(where + ": " + built));
        }
        for (const QDate& date : {QDate(1929, 12, 31), QDate(1998, 5, 30), QDate(2030, 1, 2)}) {
            const QString shown = LocaleDates::shortDate(date, locale);
            const auto read = LocaleDates::toDate(shown, locale, ClockYear);
            QVERIFY2(read && read->date == date, qPrintable(where + ": " + shown));
        }
    }
}

void tst_LocaleDates::formatDateReadsBack_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QDate>("date");
    for (const QString& locale : testLocales) {
        for (const QDate& date : {QDate(2026, 1, 1), QDate(1998, 5, 30), QDate(2000, 2, 29),
                                  QDate(1999, 12, 5), QDate(9999, 12, 31)}) {
            QTest::addRow("%s %s", qPrintable(locale), qPrintable(date.toString(Qt::ISODate)))
                << locale << date;
        }
    }
}

void tst_LocaleDates::formatDateReadsBack() {
    QFETCH(QString, locale);
    QFETCH(QDate, date);
    AppState state;
    ChkDateFmt(state, QLocale(locale));
    const QString text = FormatDate(date.month(), date.day(), date.year(), state.gDateFmt);
    const auto read = LocaleDates::toDate(text, QLocale(locale), ClockYear);
    QVERIFY2(read.has_value(), qPrintable(text));
    QCOMPARE(read->date, date);
    QVERIFY(!read->time.has_value());
    QVERIFY(LocaleDates::isDate(text, QLocale(locale), ClockYear));
}

void tst_LocaleDates::accepts_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QTime>("time"); // null when no time of day was typed

    const QDate may30(1998, 5, 30);
    const auto row = [](const char* name, const char* locale, const QString& text,
                        const QDate& date, const QTime& time = {}) {
        QTest::newRow(name) << QString(locale) << text << date << time;
    };
    row("en_US slashes", "en_US", "5/30/1998", may30);
    row("en_US dashes, two-digit year", "en_US", "5-30-98", may30);
    row("en_US dots", "en_US", "5.30.1998", may30);
    row("en_US blanks", "en_US", "5 30 1998", may30);
    row("en_US blanks around", "en_US", "  5/30/1998 ", may30);
    row("en_US separators with blanks", "en_US", "5 / 30 / 1998", may30);
    row("en_US leading zeros", "en_US", "05/30/1998", may30);
    row("en_US year 29", "en_US", "1/1/29", QDate(2029, 1, 1));
    row("en_US year 30", "en_US", "1/1/30", QDate(2030, 1, 1));
    row("en_US year 76", "en_US", "1/1/76", QDate(1976, 1, 1));
    row("en_US year 00", "en_US", "1/1/00", QDate(2000, 1, 1));
    row("en_US year written in three digits", "en_US", "1/5/999", QDate(999, 1, 5));
    row("en_US first year the calendar shows", "en_US", "1/5/100", QDate(100, 1, 5));
    row("en_US leap day", "en_US", "2/29/2000", QDate(2000, 2, 29));
    row("en_US ISO", "en_US", "1998-05-30", may30);
    row("en_US year first", "en_US", "1998/5/30", may30);
    row("en_US day month-name year", "en_US", "30 May 1998", may30);
    row("en_US month-name day, year", "en_US", "May 30, 1998", may30);
    row("en_US dashed month name", "en_US", "30-May-98", may30);
    row("en_US month name any case", "en_US", "30-MAY-98", may30);
    row("en_US full month name", "en_US", "September 3, 2001", QDate(2001, 9, 3));
    row("en_US abbreviation with dot", "en_US", "Sep. 3, 2001", QDate(2001, 9, 3));
    row("en_US month name, small numbers", "en_US", "May 5 10", QDate(2010, 5, 5));
    row("en_US time", "en_US", "5/30/1998 14:05", may30, QTime(14, 5));
    row("en_US time with seconds", "en_US", "5/30/1998 14:05:30", may30, QTime(14, 5, 30));
    row("en_US PM", "en_US", "5/30/1998 2:05 PM", may30, QTime(14, 5));
    row("en_US pm touching", "en_US", "5/30/1998 2:05pm", may30, QTime(14, 5));
    row("en_US 12 AM", "en_US", "5/30/1998 12:05 AM", may30, QTime(0, 5));
    row("en_US 12 PM", "en_US", "5/30/1998 12:05 PM", may30, QTime(12, 5));
    row("en_US AM before the time", "en_US", "5/30/1998 PM 2:05", may30, QTime(14, 5));
    row("en_US stored text", "en_US", "1998-05-30 14:05:00", may30, QTime(14, 5));
    row("en_US ISO with T", "en_US", "1998-05-30T14:05", may30, QTime(14, 5));
    row("en_US midnight", "en_US", "5/30/1998 0:00", may30, QTime(0, 0));
    row("en_GB", "en_GB", "30/05/1998", may30);
    row("en_GB two-digit year", "en_GB", "30/5/98", may30);
    row("en_GB pm", "en_GB", "30/05/1998 2:05 pm", may30, QTime(14, 5));
    row("de_DE", "de_DE", "30.05.1998", may30);
    row("de_DE dot and blank", "de_DE", "30. 05. 1998", may30);
    row("de_DE month name", "de_DE", "30. Mai 1998", may30);
    row("de_DE month name dotted", "de_DE", "30.Mai.1998", may30);
    row("de_DE English month name", "de_DE", "30 March 1998", QDate(1998, 3, 30));
    row("de_DE month name abbreviated", "de_DE", "3. Okt. 1990", QDate(1990, 10, 3));
    row("de_DE dashes", "de_DE", "30-05-1998", may30);
    row("de_DE time", "de_DE", "30.05.1998 14:05", may30, QTime(14, 5));
    row("fr_FR", "fr_FR", "30/05/1998", may30);
    row("fr_FR month name", "fr_FR", "30 mai 1998", may30);
    row("fr_FR accented month name", "fr_FR", "1 février 2000", QDate(2000, 2, 1));
    row("fr_FR accented abbreviation", "fr_FR", "1 févr. 2000", QDate(2000, 2, 1));
    row("ja_JP", "ja_JP", "1998/05/30", may30);
    row("ja_JP short fields", "ja_JP", "98/5/30", may30);
    row("ja_JP afternoon", "ja_JP", "1998/05/30 午後2:05", may30, QTime(14, 5));
    row("sv_SE", "sv_SE", "1998-05-30", may30);
    row("sv_SE two-digit year", "sv_SE", "98-05-30", may30);
    row("sv_SE month name", "sv_SE", "30 maj 1998", may30);
    row("sv_SE month name, two-digit year", "sv_SE", "30-May-98", may30);
    row("sv_SE afternoon", "sv_SE", "1998-05-30 2:05 em", may30, QTime(14, 5));
    row("hu_HU", "hu_HU", "1998. 05. 30.", may30);
    row("hu_HU without the last dot", "hu_HU", "1998. 05. 30", may30);
    row("hu_HU plain dots", "hu_HU", "1998.05.30", may30);
    row("hu_HU month name", "hu_HU", "1998. május 30.", may30);
    row("hu_HU abbreviated month name", "hu_HU", "1998. máj. 30.", may30);
    row("hu_HU time", "hu_HU", "1998. 05. 30. 14:05", may30, QTime(14, 5));
    row("hu_HU afternoon before the time", "hu_HU", "1998. 05. 30. du. 2:05", may30, QTime(14, 5));
    row("ru_RU genitive month name", "ru_RU", "30 мая 1998", may30);
    row("ru_RU standalone month name", "ru_RU", "30 май 1998", may30);
    row("ar_EG Arabic digits", "ar_EG", QString::fromUtf8("٣٠/٥/١٩٩٨"), may30);
    row("ar_EG ASCII digits", "ar_EG", "30/5/1998", may30);
}

void tst_LocaleDates::accepts() {
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(QDate, date);
    QFETCH(QTime, time);
    const auto read = LocaleDates::toDate(text, QLocale(locale), ClockYear);
    QVERIFY(read.has_value());
    QCOMPARE(read->date, date);
    QCOMPARE(read->time.has_value(), time.isValid());
    if (time.isValid())
        QCOMPARE(*read->time, time);
    QVERIFY(LocaleDates::isDate(text, QLocale(locale), ClockYear));
}

void tst_LocaleDates::rejects_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");

    const auto row = [](const char* name, const char* locale, const char* text) {
        QTest::newRow(name) << QString(locale) << QString::fromUtf8(text);
    };
    row("empty", "en_US", "");
    row("blanks", "en_US", "   ");
    row("31 April", "en_US", "4/31/1998");
    row("29 February 1999", "en_US", "2/29/1999");
    row("day 0", "en_US", "5/0/1998");
    row("day 32", "en_US", "1/32/1998");
    row("month 13", "en_US", "13/1/1998");
    row("month 0", "en_US", "0/1/1998");
    row("year 0", "en_US", "5/30/0000");
    row("year above 9999", "en_US", "5/30/10000");
    row("day in the month's place", "en_US", "30/5/1998");
    row("two fields", "en_US", "5/30");
    row("four fields", "en_US", "5/30/19/98");
    row("trailing junk", "en_US", "5/30/1998x");
    row("trailing separator", "en_US", "5/30/1998/");
    row("leading separator", "en_US", "/5/30/1998");
    row("doubled separator", "en_US", "5//30/1998");
    row("junk after the time", "en_US", "5/30/1998 14:05 x");
    row("time alone", "en_US", "14:05");
    row("hour 24", "en_US", "5/30/1998 24:00");
    row("minute 60", "en_US", "5/30/1998 14:60");
    row("one-digit minutes", "en_US", "5/30/1998 2:5");
    row("13 PM", "en_US", "5/30/1998 13:05 PM");
    row("0 AM", "en_US", "5/30/1998 0:05 AM");
    row("PM twice", "en_US", "5/30/1998 PM 2:05 PM");
    row("not a month name", "en_US", "30 Mayo 1998");
    row("weekday name", "en_US", "Saturday 30 1998");
    row("two month names", "en_US", "May 30 June");
    row("three-digit day", "en_US", "5/030/1998");
    row("other separator", "en_US", "5_30_1998");
    row("month name and two years", "en_US", "May 1998 1999");
    row("31 April, day-first locale", "de_DE", "31.04.1998");
    row("29 February 1999, day-first locale", "de_DE", "29.02.1999");
    row("trailing dot, de_DE", "de_DE", "30.05.1998.");
    row("month-first in a day-first locale", "en_GB", "5/30/1998");
    row("day 31 in November, year-first", "sv_SE", "1998-11-31");
    row("ISO with a missing day", "ja_JP", "1999-02-29");
    // Below the first year the calendar can show.
    row("year 50 in four digits", "de_DE", "30.05.0050");
    row("year 99 in three digits", "en_US", "1/5/099");
    // A weekday name is no month, and one number beside a month name is no whole date.
    row("weekday, day and month", "en_US", "Tue 5 May");
    row("weekday, month and day", "en_US", "Monday May 5");
    row("weekday, month and year", "en_US", "Sunday, July 1984");
    row("Hindi weekday, month, year and time", "hi_IN", "रविवार, जुलाई 1384 5:45 PM");
    row("Persian weekday, month, year and time", "fa_IR", "چهارشنبه  مارس ۲۷۷۵ ۲:۱۹");
}

void tst_LocaleDates::rejects() {
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QVERIFY(!LocaleDates::toDate(text, QLocale(locale), ClockYear).has_value());
    QVERIFY(!LocaleDates::isDate(text, QLocale(locale), ClockYear));
}

void tst_LocaleDates::expandTwoDigitYear_data() {
    QTest::addColumn<int>("clockYear");
    QTest::addColumn<int>("twoDigits");
    QTest::addColumn<int>("year");
    // The window runs from 50 years before the clock's year to 49 after it.
    QTest::newRow("2026: 00") << 2026 << 0 << 2000;
    QTest::newRow("2026: 30") << 2026 << 30 << 2030;
    QTest::newRow("2026: 75") << 2026 << 75 << 2075;
    QTest::newRow("2026: 76") << 2026 << 76 << 1976;
    QTest::newRow("2026: 99") << 2026 << 99 << 1999;
    QTest::newRow("2079: 29") << 2079 << 29 << 2029;
    QTest::newRow("2079: 28") << 2079 << 28 << 2128;
    QTest::newRow("2079: 99") << 2079 << 99 << 2099;
    QTest::newRow("2099: 49") << 2099 << 49 << 2049;
    QTest::newRow("2099: 48") << 2099 << 48 << 2148;
    QTest::newRow("2099: 00") << 2099 << 0 << 2100;
    QTest::newRow("full year") << 2026 << 1998 << 1998;
}

void tst_LocaleDates::expandTwoDigitYear() {
    QFETCH(int, clockYear);
    QFETCH(int, twoDigits);
    QFETCH(int, year);
    QCOMPARE(LocaleDates::expandTwoDigitYear(twoDigits, clockYear), year);
    // And so a date typed with that year.
    const auto typed =
        LocaleDates::toDate(QStringLiteral("6/1/%1").arg(twoDigits, 2, 10, QLatin1Char('0')),
                            QLocale(QStringLiteral("en_US")), clockYear);
    if (twoDigits < 100) {
        QVERIFY(typed);
        QCOMPARE(typed->date, QDate(year, 6, 1));
    }
}

void tst_LocaleDates::storedValueCarriesTheTimeOnlyWhenTyped() {
    const QLocale locale("en_US");
    const QVariant dateOnly = LocaleDates::toDate("5/30/1998", locale, ClockYear)->toVariant();
    QCOMPARE(dateOnly.typeId(), QMetaType::QDate);
    QCOMPARE(dateOnly.toDate(), QDate(1998, 5, 30));

    const QVariant withTime =
        LocaleDates::toDate("5/30/1998 2:05 PM", locale, ClockYear)->toVariant();
    QCOMPARE(withTime.typeId(), QMetaType::QDateTime);
    QCOMPARE(withTime.toDateTime().date(), QDate(1998, 5, 30));
    QCOMPARE(withTime.toDateTime().time(), QTime(14, 5));

    QVERIFY(DateValue{}.toVariant().isNull());
}

void tst_LocaleDates::timeInTheSkippedSpringHourIsKept() {
    const QByteArray savedZone = qgetenv("TZ");
    qputenv("TZ", "Europe/Berlin");
    tzset();
    const QDate springForward(2024, 3, 31);
    const bool skipped = !QDateTime(springForward, QTime(2, 30)).isValid();
    const QVariant stored = DateValue{springForward, QTime(2, 30)}.toVariant();
    if (savedZone.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", savedZone);
    tzset();
    if (!skipped)
        QSKIP("no time zone data for Europe/Berlin");

    QVERIFY(stored.toDateTime().isValid());
    QCOMPARE(stored.toDateTime().date(), springForward);
    QCOMPARE(stored.toDateTime().time(), QTime(2, 30));
}

QTEST_GUILESS_MAIN(tst_LocaleDates)
#include "tst_LocaleDates.moc"

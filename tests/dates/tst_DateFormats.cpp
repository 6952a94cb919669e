#include "core/AppState.h"
#include "dates/DateFormats.h"
#include "engine/EngineError.h"

#include <QtTest>

class tst_DateFormats : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void getToken_data();
    void getToken();
    void formatDate_data();
    void formatDate();
    void chkDateFmtFromPattern_data();
    void chkDateFmtFromPattern();
    void chkDateFmtFromLocale_data();
    void chkDateFmtFromLocale();
    void chkDateFmtRefusesFieldsThatAreNoNumbers_data();
    void chkDateFmtRefusesFieldsThatAreNoNumbers();
    void chkDateFmtUsesThePreviousSeparatorWhenNoneIsFound();
    void chkDateFmtReplacesTheEarlierOrder();
};

void tst_DateFormats::getToken_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("expected");

    QTest::newRow("first") << "5/30/98"
                           << "/" << 1 << "5";
    QTest::newRow("second") << "5/30/98"
                            << "/" << 2 << "30";
    QTest::newRow("third") << "5/30/98"
                           << "/" << 3 << "98";
    QTest::newRow("beyond the last") << "5/30/98"
                                     << "/" << 4 << "";
    QTest::newRow("far beyond") << "5/30/98"
                                << "/" << 30 << "";
    QTest::newRow("no delimiter, first") << "abc"
                                         << "/" << 1 << "abc";
    QTest::newRow("no delimiter, second") << "abc"
                                          << "/" << 2 << "";
    QTest::newRow("delimiter at the end") << "a;"
                                          << ";" << 2 << "";
    QTest::newRow("empty field between") << "a;;b"
                                         << ";" << 2 << "";
    QTest::newRow("after an empty field") << "a;;b"
                                          << ";" << 3 << "b";
    QTest::newRow("delimiter first") << ";b"
                                     << ";" << 1 << "";
    QTest::newRow("n zero") << "5/30/98"
                            << "/" << 0 << "";
    QTest::newRow("n negative") << "5/30/98"
                                << "/" << -1 << "";
    QTest::newRow("empty delimiter, first") << "5/30/98"
                                            << "" << 1 << "";
    QTest::newRow("empty delimiter, second") << "5/30/98"
                                             << "" << 2 << "";
    QTest::newRow("empty text") << ""
                                << "/" << 1 << "";
    QTest::newRow("case matters") << "aXbxc"
                                  << "x" << 2 << "c";
    QTest::newRow("query builder pair") << "1998-01-01;1998-12-31"
                                        << ";" << 2 << "1998-12-31";
}

void tst_DateFormats::getToken() {
    QFETCH(QString, text);
    QFETCH(QString, delimiter);
    QFETCH(int, n);
    QFETCH(QString, expected);
    QCOMPARE(GetToken(text, delimiter, n), expected);
}

void tst_DateFormats::formatDate_data() {
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("year");
    QTest::addColumn<QString>("dateFmt");
    QTest::addColumn<QString>("expected");

    QTest::newRow("dmy") << 5 << 30 << 1998 << "dmy"
                         << "30 5 1998";
    QTest::newRow("mdy") << 5 << 30 << 1998 << "mdy"
                         << "5 30 1998";
    QTest::newRow("ymd") << 5 << 30 << 1998 << "ymd"
                         << "1998 5 30";
    QTest::newRow("ydm") << 12 << 5 << 1999 << "ydm"
                         << "1999 5 12";
    QTest::newRow("empty order") << 1 << 1 << 2000 << ""
                                 << "1 1 2000";
    QTest::newRow("unknown order") << 1 << 2 << 2000 << "myd"
                                   << "1 2 2000";
    QTest::newRow("no leading zeros") << 1 << 9 << 9999 << "dmy"
                                      << "9 1 9999";
}

void tst_DateFormats::formatDate() {
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(int, year);
    QFETCH(QString, dateFmt);
    QFETCH(QString, expected);
    QCOMPARE(FormatDate(month, day, year, dateFmt), expected);
}

void tst_DateFormats::chkDateFmtFromPattern_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("dateFmt");
    QTest::addColumn<QString>("dateSep");

    QTest::newRow("M/d/yy") << "M/d/yy"
                            << "mdy"
                            << "/";
    QTest::newRow("dd.MM.yyyy") << "dd.MM.yyyy"
                                << "dmy"
                                << ".";
    QTest::newRow("yyyy-MM-dd") << "yyyy-MM-dd"
                                << "ymd"
                                << "-";
    QTest::newRow("yyyy/dd/MM") << "yyyy/dd/MM"
                                << "ydm"
                                << "/";
    QTest::newRow("dot and blank") << "dd. MM. yyyy"
                                   << "dmy"
                                   << ".";
    QTest::newRow("blanks only") << "d M yyyy"
                                 << "dmy"
                                 << " ";
    QTest::newRow("dashes") << "M-d-yy"
                            << "mdy"
                            << "-";
    QTest::newRow("trailing dot") << "yyyy. MM. dd."
                                  << "ymd"
                                  << ".";
    QTest::newRow("word after the date") << "d.MM.yyyy 'г'."
                                         << "dmy"
                                         << ".";
    QTest::newRow("blank before the year") << "dd/MM yyyy"
                                           << "dmy"
                                           << "/";
    QTest::newRow("dash and dot") << "yyyy-MM.dd"
                                  << "ymd"
                                  << ".";
}

void tst_DateFormats::chkDateFmtFromPattern() {
    QFETCH(QString, pattern);
    QFETCH(QString, dateFmt);
    QFETCH(QString, dateSep);
    AppState state;
    ChkDateFmt(state, QLocale::c().toString(QDate(1998, 5, 30), pattern));
    QCOMPARE(state.gDateFmt, dateFmt);
    QCOMPARE(state.gDateSep, dateSep);
}

void tst_DateFormats::chkDateFmtFromLocale_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("dateFmt");
    QTest::addColumn<QString>("dateSep");

    QTest::newRow("en_US") << "en_US"
                           << "mdy"
                           << "/";
    QTest::newRow("en_GB") << "en_GB"
                           << "dmy"
                           << "/";
    QTest::newRow("de_DE") << "de_DE"
                           << "dmy"
                           << ".";
    QTest::newRow("fr_FR") << "fr_FR"
                           << "dmy"
                           << "/";
    QTest::newRow("ja_JP") << "ja_JP"
                           << "ymd"
                           << "/";
    QTest::newRow("sv_SE") << "sv_SE"
                           << "ymd"
                           << "-";
    QTest::newRow("hu_HU") << "hu_HU"
                           << "ymd"
                           << ".";
    QTest::newRow("bg_BG") << "bg_BG"
                           << "dmy"
                           << ".";
    // Arabic digits and right-to-left marks between the fields.
    QTest::newRow("ar_EG") << "ar_EG"
                           << "dmy"
                           << "/";
}

void tst_DateFormats::chkDateFmtFromLocale() {
    QFETCH(QString, locale);
    QFETCH(QString, dateFmt);
    QFETCH(QString, dateSep);
    AppState state;
    ChkDateFmt(state, QLocale(locale));
    QCOMPARE(state.gDateFmt, dateFmt);
    QCOMPARE(state.gDateSep, dateSep);
}

void tst_DateFormats::chkDateFmtRefusesFieldsThatAreNoNumbers_data() {
    QTest::addColumn<QString>("shortDate");

    QTest::newRow("month name") << QLocale::c().toString(QDate(1998, 5, 30), "dd-MMM-yy");
    QTest::newRow("two fields") << "30/05";
    QTest::newRow("no separator") << "30051998";
    QTest::newRow("empty") << "";
    QTest::newRow("letters in a field") << "3O/05/1998";
}

void tst_DateFormats::chkDateFmtRefusesFieldsThatAreNoNumbers() {
    QFETCH(QString, shortDate);
    AppState state;
    state.gDateFmt = "dmy";
    state.gDateSep = ".";
    try {
        ChkDateFmt(state, shortDate);
        QFAIL("no error for a short date that cannot be read");
    } catch (const EngineError& error) {
        QCOMPARE(error.number(), ErrorNumber::TypeMismatch);
        QCOMPARE(error.description(), QString("Type mismatch"));
    }
    QCOMPARE(state.gDateFmt, QString("dmy"));
    QCOMPARE(state.gDateSep, QString("."));
}

void tst_DateFormats::chkDateFmtUsesThePreviousSeparatorWhenNoneIsFound() {
    AppState state;
    state.gDateSep = "x";
    ChkDateFmt(state, "5x30x1998");
    QCOMPARE(state.gDateFmt, QString("mdy"));
    QCOMPARE(state.gDateSep, QString("x"));
}

void tst_DateFormats::chkDateFmtReplacesTheEarlierOrder() {
    AppState state;
    ChkDateFmt(state, QLocale("de_DE"));
    ChkDateFmt(state, QLocale("sv_SE"));
    QCOMPARE(state.gDateFmt, QString("ymd"));
    QCOMPARE(state.gDateSep, QString("-"));
}

QTEST_GUILESS_MAIN(tst_DateFormats)
#include "tst_DateFormats.moc"

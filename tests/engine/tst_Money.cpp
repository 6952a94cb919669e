#include "engine/Money.h"

#include <QTest>

#include <limits>

namespace {

constexpr qint64 dollars(qint64 whole, qint64 hundredths = 0) {
    return (whole * 100 + hundredths) * 100;
}

const char* const locales[] = {"en_US", "en_GB", "de_DE", "fr_FR", "ja_JP", "sv_SE", "hu_HU"};

} // namespace

class tst_Money : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void currencyDigitsFollowTheCurrency_data();
    void currencyDigitsFollowTheCurrency();
    void formatsInTheLocalesCurrencyForm_data();
    void formatsInTheLocalesCurrencyForm();
    void agreesWithQtsOwnCurrencyFormat_data();
    void agreesWithQtsOwnCurrencyFormat();
    void totalsBeyondOneAmountKeepTheLocalesForm_data();
    void totalsBeyondOneAmountKeepTheLocalesForm();
    void formattedAmountsReadBack_data();
    void formattedAmountsReadBack();
    void readsWhatUsersType_data();
    void readsWhatUsersType();
    void refusesTextThatIsNoAmount_data();
    void refusesTextThatIsNoAmount();
};

void tst_Money::currencyDigitsFollowTheCurrency_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("digits");
    QTest::newRow("dollar") << "en_US" << 2;
    QTest::newRow("pound") << "en_GB" << 2;
    QTest::newRow("euro de") << "de_DE" << 2;
    QTest::newRow("euro fr") << "fr_FR" << 2;
    QTest::newRow("yen") << "ja_JP" << 0;
    QTest::newRow("krona") << "sv_SE" << 2;
    QTest::newRow("forint") << "hu_HU" << 2;
}

void tst_Money::currencyDigitsFollowTheCurrency() {
    QFETCH(QString, locale);
    QFETCH(int, digits);
    QCOMPARE(currencyDigits(QLocale(locale)), digits);
}

void tst_Money::formatsInTheLocalesCurrencyForm_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<qint64>("raw");
    QTest::addColumn<QString>("expected");

    constexpr qint64 max = std::numeric_limits<qint64>::max();
    constexpr qint64 min = std::numeric_limits<qint64>::min();
    QTest::newRow("us plain") << "en_US" << dollars(1234, 50) << "$1,234.50";
    QTest::newRow("us negative in parentheses") << "en_US" << -dollars(1234, 50) << "($1,234.50)";
    QTest::newRow("us zero") << "en_US" << qint64(0) << "$0.00";
    QTest::newRow("us half a cent rounds up") << "en_US" << qint64(50) << "$0.01";
    QTest::newRow("us minus half a cent rounds away") << "en_US" << qint64(-50) << "($0.01)";
    QTest::newRow("us below half a cent") << "en_US" << qint64(49) << "$0.00";
    QTest::newRow("us tiny negative is no negative zero") << "en_US" << qint64(-49) << "$0.00";
    QTest::newRow("us cents carry into dollars") << "en_US" << qint64(99995) << "$10.00";
    QTest::newRow("us largest two-decimal amount")
        << "en_US" << qint64(9223372036854700) << "$922,337,203,685.47";
    QTest::newRow("us largest amount") << "en_US" << max << "$922,337,203,685,477.58";
    QTest::newRow("us smallest amount") << "en_US" << min << "($922,337,203,685,477.58)";
    QTest::newRow("gb") << "en_GB" << -dollars(3) << u"(\u00A33.00)"_qs;
    QTest::newRow("de") << "de_DE" << dollars(1234, 50) << u"1.234,50\u00A0\u20AC"_qs;
    QTest::newRow("de negative") << "de_DE" << -dollars(1234, 50) << u"-1.234,50\u00A0\u20AC"_qs;
    QTest::newRow("fr") << "fr_FR" << dollars(1234, 5) << u"1\u202F234,05\u00A0\u20AC"_qs;
    QTest::newRow("ja rounds half a yen up") << "ja_JP" << qint64(12345000) << u"\uFFE51,235"_qs;
    QTest::newRow("ja below half a yen") << "ja_JP" << qint64(12344999) << u"\uFFE51,234"_qs;
    QTest::newRow("ja negative") << "ja_JP" << qint64(-5000) << u"(\uFFE51)"_qs;
    QTest::newRow("sv negative") << "sv_SE" << -dollars(1234, 50)
                                 << u"\u22121\u00A0234,50\u00A0kr"_qs;
    QTest::newRow("hu") << "hu_HU" << dollars(1234567) << u"1\u00A0234\u00A0567,00\u00A0Ft"_qs;
}

void tst_Money::formatsInTheLocalesCurrencyForm() {
    QFETCH(QString, locale);
    QFETCH(qint64, raw);
    QFETCH(QString, expected);
    QCOMPARE(formatCurrency(Currency::fromRaw(raw), QLocale(locale)), expected);
}

// Where a double holds the amount exactly, Qt's own formatting must give the same text:
// symbol position, grouping and negative form are the locale's, not ours. No amount here
// ends in exactly half a yen, where Qt's rounding of doubles differs from ours.
void tst_Money::agreesWithQtsOwnCurrencyFormat_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<qint64>("raw");
    const qint64 amounts[] = {0,
                              dollars(7),
                              dollars(12, 25),
                              -dollars(1),
                              dollars(999, 99),
                              -dollars(1000),
                              dollars(1234567, 89),
                              -dollars(9876543, 21),
                              dollars(0, 5)};
    for (const char* locale : locales) {
        for (qint64 raw : amounts)
            QTest::addRow("%s %lld", locale, raw) << QString::fromLatin1(locale) << raw;
    }
}

void tst_Money::agreesWithQtsOwnCurrencyFormat() {
    QFETCH(QString, locale);
    QFETCH(qint64, raw);
    const QLocale loc(locale);
    QCOMPARE(formatCurrency(Currency::fromRaw(raw), loc), loc.toCurrencyString(raw / 10000.0));
}

// A total beyond the range of one amount is exact and in the locale's form. Where its whole
// units are still exact as a double, Qt's own formatting is the measure; beyond 64 bits of
// whole units the grouping is taken from the locale (the lakh in India) and the digits are
// the total's own.
void tst_Money::totalsBeyondOneAmountKeepTheLocalesForm_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<qint64>("amount");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("expected");
    const qint64 max = std::numeric_limits<qint64>::max();
    QStringList all{QString::fromLatin1("hi_IN"), QString::fromLatin1("ar_EG")};
    for (const char* locale : locales)
        all << QString::fromLatin1(locale);
    for (const QString& locale : std::as_const(all)) {
        const QLocale loc(locale);
        QTest::addRow("%s two halves", qPrintable(locale))
            << locale << dollars(500000000000000) << 2 << loc.toCurrencyString(1e15);
        QTest::addRow("%s nine below", qPrintable(locale))
            << locale << -dollars(900000000000001) << 9
            << loc.toCurrencyString(-8100000000000009.0);
    }
    QTest::newRow("us beyond 64 bits")
        << "en_US" << max << 100000 << "$92,233,720,368,547,758,070.00";
    QTest::newRow("us beyond 64 bits, negative")
        << "en_US" << -max << 100000 << "($92,233,720,368,547,758,070.00)";
    QTest::newRow("de beyond 64 bits")
        << "de_DE" << max << 100000 << u"92.233.720.368.547.758.070,00\u00A0\u20AC"_qs;
    QTest::newRow("in beyond 64 bits")
        << "hi_IN" << max << 100000 << u"\u20B99,22,33,72,03,68,54,77,58,070.00"_qs;
}

void tst_Money::totalsBeyondOneAmountKeepTheLocalesForm() {
    QFETCH(QString, locale);
    QFETCH(qint64, amount);
    QFETCH(int, count);
    QFETCH(QString, expected);
    Decimal total;
    for (int i = 0; i < count; ++i)
        total += Currency::fromRaw(amount).toDecimal();
    QCOMPARE(formatCurrency(total, QLocale(locale)), expected);
}

void tst_Money::formattedAmountsReadBack_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<qint64>("raw");
    const qint64 amounts[] = {0,
                              dollars(1),
                              -dollars(1),
                              dollars(0, 1),
                              -dollars(0, 50),
                              dollars(1234, 50),
                              -dollars(1234, 56),
                              dollars(1000000),
                              dollars(922337203685, 47),
                              -dollars(922337203685, 47),
                              12345678};
    for (const char* locale : locales) {
        for (qint64 raw : amounts)
            QTest::addRow("%s %lld", locale, raw) << QString::fromLatin1(locale) << raw;
    }
}

void tst_Money::formattedAmountsReadBack() {
    QFETCH(QString, locale);
    QFETCH(qint64, raw);
    const QLocale loc(locale);
    // What is shown is rounded to the currency's places, so that is what comes back.
    const qint64 unit = currencyDigits(loc) == 0 ? 10000 : 100;
    qint64 rounded = raw / unit * unit;
    if (std::abs(raw % unit) * 2 >= unit)
        rounded += raw < 0 ? -unit : unit;

    const QString text = formatCurrency(Currency::fromRaw(raw), loc);
    const auto parsed = parseCurrency(text, loc);
    QVERIFY2(parsed.has_value(), qPrintable(text));
    QCOMPARE(parsed->raw(), rounded);
}

void tst_Money::readsWhatUsersType_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("raw");

    QTest::newRow("us bare") << "en_US"
                             << "1234.5" << dollars(1234, 50);
    QTest::newRow("us zero") << "en_US"
                             << "0" << qint64(0);
    QTest::newRow("us minus zero") << "en_US"
                                   << "-0" << qint64(0);
    QTest::newRow("us symbol and grouping") << "en_US"
                                            << "$1,234.50" << dollars(1234, 50);
    QTest::newRow("us indian grouping") << "en_US"
                                        << "12,34,567" << dollars(1234567);
    QTest::newRow("us minus before symbol") << "en_US"
                                            << "-$1,234.50" << -dollars(1234, 50);
    QTest::newRow("us minus after symbol") << "en_US"
                                           << "$-1,234.50" << -dollars(1234, 50);
    QTest::newRow("us trailing minus") << "en_US"
                                       << "12-" << -dollars(12);
    QTest::newRow("us plus") << "en_US"
                             << "+12" << dollars(12);
    QTest::newRow("us parentheses") << "en_US"
                                    << "($1,234.50)" << -dollars(1234, 50);
    QTest::newRow("us symbol outside parentheses") << "en_US"
                                                   << "$(5)" << -dollars(5);
    QTest::newRow("us unicode minus") << "en_US" << u"\u22125"_qs << -dollars(5);
    QTest::newRow("us blanks around and inside")
        << "en_US" << u" $ 1,234.50\u00A0 "_qs << dollars(1234, 50);
    QTest::newRow("us iso code") << "en_US"
                                 << "USD 12.00" << dollars(12);
    QTest::newRow("us iso code after") << "en_US"
                                       << "12usd" << dollars(12);
    QTest::newRow("us leading decimal mark") << "en_US"
                                             << ".5" << dollars(0, 50);
    QTest::newRow("us trailing decimal mark") << "en_US"
                                              << "5." << dollars(5);
    QTest::newRow("us four decimals kept") << "en_US"
                                           << "1.2345" << qint64(12345);
    QTest::newRow("us fifth decimal rounds up") << "en_US"
                                                << "1.23455" << qint64(12346);
    QTest::newRow("us fifth decimal rounds down") << "en_US"
                                                  << "1.234549" << qint64(12345);
    QTest::newRow("us negative rounds away from zero") << "en_US"
                                                       << "-1.23455" << qint64(-12346);
    QTest::newRow("us largest two-decimal amount")
        << "en_US"
        << "922,337,203,685.47" << qint64(9223372036854700);
    QTest::newRow("us largest amount")
        << "en_US"
        << "922337203685477.5807" << std::numeric_limits<qint64>::max();
    QTest::newRow("gb") << "en_GB" << u"\u00A31,234.50"_qs << dollars(1234, 50);
    QTest::newRow("gb negative") << "en_GB" << u"(\u00A33.00)"_qs << -dollars(3);
    QTest::newRow("gb iso") << "en_GB"
                            << "GBP 3" << dollars(3);
    QTest::newRow("de") << "de_DE" << u"1.234,50 \u20AC"_qs << dollars(1234, 50);
    QTest::newRow("de bare") << "de_DE"
                             << "1234,5" << dollars(1234, 50);
    QTest::newRow("de negative") << "de_DE" << u"-1.234,50\u00A0\u20AC"_qs << -dollars(1234, 50);
    QTest::newRow("de symbol first") << "de_DE" << u"\u20AC12"_qs << dollars(12);
    QTest::newRow("de iso code") << "de_DE"
                                 << "1234,50 EUR" << dollars(1234, 50);
    QTest::newRow("fr typed with plain blanks")
        << "fr_FR" << u"1 234,50 \u20AC"_qs << dollars(1234, 50);
    QTest::newRow("fr as shown") << "fr_FR" << u"(1\u202F234,50\u00A0\u20AC)"_qs
                                 << -dollars(1234, 50);
    QTest::newRow("fr minus") << "fr_FR"
                              << "-1234,5" << -dollars(1234, 50);
    QTest::newRow("ja full-width yen") << "ja_JP" << u"\uFFE51,235"_qs << dollars(1235);
    QTest::newRow("ja plain yen") << "ja_JP" << u"\u00A51,235"_qs << dollars(1235);
    QTest::newRow("ja decimals kept") << "ja_JP"
                                      << "12.34" << dollars(12, 34);
    QTest::newRow("ja iso") << "ja_JP"
                            << "JPY 100" << dollars(100);
    QTest::newRow("sv") << "sv_SE"
                        << "1 234,50 kr" << dollars(1234, 50);
    QTest::newRow("sv unicode minus")
        << "sv_SE" << u"\u22121\u00A0234,50\u00A0kr"_qs << -dollars(1234, 50);
    QTest::newRow("sv iso") << "sv_SE"
                            << "1234,5 SEK" << dollars(1234, 50);
    QTest::newRow("hu") << "hu_HU"
                        << "1 234,50 Ft" << dollars(1234, 50);
    QTest::newRow("hu negative") << "hu_HU"
                                 << "-1234 Ft" << -dollars(1234);
    QTest::newRow("hu iso") << "hu_HU"
                            << "HUF 5" << dollars(5);
}

void tst_Money::readsWhatUsersType() {
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(qint64, raw);
    const auto parsed = parseCurrency(text, QLocale(locale));
    QVERIFY(parsed.has_value());
    QCOMPARE(parsed->raw(), raw);
}

void tst_Money::refusesTextThatIsNoAmount_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << "en_US"
                           << "";
    QTest::newRow("blanks") << "en_US" << u" \u00A0 "_qs;
    QTest::newRow("symbol alone") << "en_US"
                                  << "$";
    QTest::newRow("minus alone") << "en_US"
                                 << "-";
    QTest::newRow("parentheses alone") << "en_US"
                                       << "()";
    QTest::newRow("decimal mark alone") << "en_US"
                                        << ".";
    QTest::newRow("letters") << "en_US"
                             << "abc";
    QTest::newRow("trailing letters") << "en_US"
                                      << "12a";
    QTest::newRow("exponent") << "en_US"
                              << "1e5";
    QTest::newRow("two decimal marks") << "en_US"
                                       << "1.2.3";
    QTest::newRow("grouping after the decimal mark") << "en_US"
                                                     << "1.234,5";
    QTest::newRow("comma where a decimal mark was meant") << "en_US"
                                                          << "1,50";
    QTest::newRow("group separator at the end") << "en_US"
                                                << "1,";
    QTest::newRow("group separator first") << "en_US"
                                           << ",123";
    QTest::newRow("two minus signs") << "en_US"
                                     << "--5";
    QTest::newRow("minus and parentheses") << "en_US"
                                           << "(-5)";
    QTest::newRow("unbalanced parenthesis") << "en_US"
                                            << "(5";
    QTest::newRow("sign inside") << "en_US"
                                 << "1-2";
    QTest::newRow("two symbols") << "en_US"
                                 << "$$5";
    QTest::newRow("another currency") << "en_US" << u"5 \u20AC"_qs;
    QTest::newRow("too large") << "en_US"
                               << "922337203685477.5808";
    QTest::newRow("far too large") << "en_US"
                                   << "99999999999999999999";
    QTest::newRow("de two decimal marks") << "de_DE"
                                          << "1,2,3";
    QTest::newRow("de dot where a comma was meant") << "de_DE"
                                                    << "1.50";
    QTest::newRow("ja letters") << "ja_JP" << u"\uFFE5abc"_qs;
    QTest::newRow("sv symbol alone") << "sv_SE"
                                     << "kr";
}

void tst_Money::refusesTextThatIsNoAmount() {
    QFETCH(QString, locale);
    QFETCH(QString, text);
    const auto parsed = parseCurrency(text, QLocale(locale));
    QVERIFY2(!parsed.has_value(), qPrintable(parsed ? QString::number(parsed->raw()) : QString()));
}

QTEST_GUILESS_MAIN(tst_Money)
#include "tst_Money.moc"

#include "engine/Currency.h"
#include "engine/Decimal.h"
#include "engine/EngineError.h"

#include <QTest>

#include <cmath>
#include <limits>

class TestCurrency : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fromDoubleRoundsHalfAwayFromZero_data();
    void fromDoubleRoundsHalfAwayFromZero();
    void fromDoubleRefusesWhatDoesNotFit_data();
    void fromDoubleRefusesWhatDoesNotFit();
    void fromDecimalText_data();
    void fromDecimalText();
    void toDecimalText_data();
    void toDecimalText();
    void decimalTextRoundTrips();
    void sumsAreExact();
    void storableAmountsComeBackExactlyFromTheirDouble_data();
    void storableAmountsComeBackExactlyFromTheirDouble();
    void amountsAreDecimalsOfFourPlaces_data();
    void amountsAreDecimalsOfFourPlaces();
    void decimalsEndBeforeThirtyNineDigits_data();
    void decimalsEndBeforeThirtyNineDigits();
};

void TestCurrency::fromDoubleRoundsHalfAwayFromZero_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<qint64>("raw");
    QTest::newRow("ten cents") << 0.1 << qint64(1000);
    QTest::newRow("twenty cents") << 0.2 << qint64(2000);
    QTest::newRow("half up") << 1.00005 << qint64(10001);
    QTest::newRow("half away below zero") << -1.00005 << qint64(-10001);
    QTest::newRow("below half") << 0.000049 << qint64(0);
    QTest::newRow("smallest half") << 0.00005 << qint64(1);
    QTest::newRow("negative smallest half") << -0.00005 << qint64(-1);
    QTest::newRow("large") << 922337203685.47 << qint64(9223372036854700);
    QTest::newRow("zero") << 0.0 << qint64(0);
}

void TestCurrency::fromDoubleRoundsHalfAwayFromZero() {
    QFETCH(double, value);
    QFETCH(qint64, raw);
    QCOMPARE(Currency::fromDouble(value).raw(), raw);
}

void TestCurrency::fromDoubleRefusesWhatDoesNotFit_data() {
    QTest::addColumn<double>("value");
    QTest::newRow("huge") << 1e300;
    QTest::newRow("just past the range") << 922337203685477.6;
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity();
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN();
}

void TestCurrency::fromDoubleRefusesWhatDoesNotFit() {
    QFETCH(double, value);
    try {
        Currency::fromDouble(value);
        QFAIL("no overflow reported");
    } catch (const EngineError& error) {
        QCOMPARE(error.number(), 6);
    }
}

void TestCurrency::fromDecimalText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint64>("raw");
    QTest::newRow("negative") << "-12.5" << true << qint64(-125000);
    QTest::newRow("whole") << "3" << true << qint64(30000);
    QTest::newRow("exponent") << "1e2" << true << qint64(1000000);
    QTest::newRow("negative exponent") << "1.5E-4" << true << qint64(2);
    QTest::newRow("blanks around") << "  12.50 " << true << qint64(125000);
    QTest::newRow("leading point") << ".5" << true << qint64(5000);
    QTest::newRow("trailing point") << "5." << true << qint64(50000);
    QTest::newRow("plus sign") << "+7" << true << qint64(70000);
    QTest::newRow("fifth decimal rounds up") << "1.23455" << true << qint64(12346);
    QTest::newRow("fifth decimal rounds away from zero") << "-1.23455" << true << qint64(-12346);
    QTest::newRow("fifth decimal rounds down") << "1.23454" << true << qint64(12345);
    QTest::newRow("too small") << "0.00004" << true << qint64(0);
    QTest::newRow("rounded once") << "0.000049999999999999999999999999999" << true << qint64(0);
    QTest::newRow("leading zeros") << "000.0100" << true << qint64(100);
    QTest::newRow("largest") << "922337203685477.5807" << true
                             << std::numeric_limits<qint64>::max();
    QTest::newRow("past the largest") << "922337203685477.5808" << false << qint64(0);
    QTest::newRow("tiny exponent") << "7e-99999999999" << true << qint64(0);
    QTest::newRow("huge exponent") << "7e99999999999" << false << qint64(0);
    QTest::newRow("empty") << "" << false << qint64(0);
    QTest::newRow("lone sign") << "-" << false << qint64(0);
    QTest::newRow("lone point") << "." << false << qint64(0);
    QTest::newRow("two points") << "1.2.3" << false << qint64(0);
    QTest::newRow("letters after") << "12a" << false << qint64(0);
    QTest::newRow("exponent without digits") << "1e" << false << qint64(0);
    QTest::newRow("comma") << "1,5" << false << qint64(0);
    QTest::newRow("blank inside") << "1 5" << false << qint64(0);
    QTest::newRow("arabic digits") << QString::fromUtf8("\u0661\u0662") << false << qint64(0);
}

void TestCurrency::fromDecimalText() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(qint64, raw);
    const auto amount = Currency::fromDecimalText(text);
    QCOMPARE(amount.has_value(), valid);
    if (valid)
        QCOMPARE(amount->raw(), raw);
}

void TestCurrency::toDecimalText_data() {
    QTest::addColumn<qint64>("raw");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << qint64(0) << "0";
    QTest::newRow("whole") << qint64(10000) << "1";
    QTest::newRow("trailing zeros dropped") << qint64(-12345000) << "-1234.5";
    QTest::newRow("smallest") << qint64(1) << "0.0001";
    QTest::newRow("negative fraction") << qint64(-5) << "-0.0005";
    QTest::newRow("no grouping") << qint64(12345678900000) << "1234567890";
    QTest::newRow("most negative") << std::numeric_limits<qint64>::min() << "-922337203685477.5808";
}

void TestCurrency::toDecimalText() {
    QFETCH(qint64, raw);
    QFETCH(QString, text);
    QCOMPARE(Currency::fromRaw(raw).toDecimalText(), text);
}

void TestCurrency::decimalTextRoundTrips() {
    const qint64 raws[] = {0, 1, -1, 999, 10000, -123456789, 30000, 9223372036854775807LL};
    for (const qint64 raw : raws) {
        const auto back = Currency::fromDecimalText(Currency::fromRaw(raw).toDecimalText());
        QVERIFY(back.has_value());
        QCOMPARE(back->raw(), raw);
    }
}

void TestCurrency::sumsAreExact() {
    Currency total;
    for (int i = 0; i < 10; ++i)
        total += Currency::fromDouble(0.1);
    QCOMPARE(total, Currency::fromRaw(10000));
    QCOMPARE(Currency::fromDouble(0.1) + Currency::fromDouble(0.2),
             *Currency::fromDecimalText(QStringLiteral("0.3")));
}

void TestCurrency::storableAmountsComeBackExactlyFromTheirDouble_data() {
    QTest::addColumn<qint64>("raw");
    QTest::addColumn<bool>("storable");
    QTest::newRow("a cent") << qint64(100) << true;
    QTest::newRow("a ten-thousandth") << qint64(-1) << true;
    QTest::newRow("largest with cents") << qint64(99'999'999'999'999'900) << true;
    QTest::newRow("smallest with cents") << qint64(-99'999'999'999'999'900) << true;
    QTest::newRow("fifteen digits, four decimals") << qint64(999'999'999'999'999) << true;
    QTest::newRow("past 2^53, trailing zeros") << qint64(123'456'789'012'345'000) << true;
    QTest::newRow("sixteen digits") << qint64(1'234'567'890'123'456) << false;
    QTest::newRow("end of the range") << qint64(9'223'372'036'854'775'800) << false;
}

void TestCurrency::storableAmountsComeBackExactlyFromTheirDouble() {
    QFETCH(qint64, raw);
    QFETCH(bool, storable);
    const Currency amount = Currency::fromRaw(raw);
    QCOMPARE(amount.isStorable(), storable);
    if (storable)
        QCOMPARE(Currency::fromDouble(amount.toDouble()).raw(), raw);
}

// An amount and the decimal it is meet without text: the decimal of any amount is exactly
// it, and a decimal becomes the amount it rounds to, half away from zero, or none beyond the
// range.
void TestCurrency::amountsAreDecimalsOfFourPlaces_data() {
    QTest::addColumn<QString>("decimal");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint64>("raw");
    const qint64 max = std::numeric_limits<qint64>::max();
    const qint64 min = std::numeric_limits<qint64>::min();
    QTest::newRow("a cent") << "0.01" << true << qint64(100);
    QTest::newRow("more places round up") << "2.00005" << true << qint64(20001);
    QTest::newRow("away from zero") << "-2.00005" << true << qint64(-20001);
    QTest::newRow("more places round down") << "2.000049999" << true << qint64(20000);
    QTest::newRow("the largest") << "922337203685477.5807" << true << max;
    QTest::newRow("the smallest") << "-922337203685477.5808" << true << min;
    QTest::newRow("rounds past the largest") << "922337203685477.58075" << false << qint64(0);
    QTest::newRow("a total of many") << "1e30" << false << qint64(0);
}

void TestCurrency::amountsAreDecimalsOfFourPlaces() {
    QFETCH(QString, decimal);
    QFETCH(bool, valid);
    QFETCH(qint64, raw);
    const auto value = Decimal::fromPlainText(decimal);
    QVERIFY(value);
    const auto amount = Currency::fromDecimal(*value);
    QCOMPARE(amount.has_value(), valid);
    if (!valid)
        return;
    QCOMPARE(amount->raw(), raw);
    QCOMPARE(amount->toDecimal(), Decimal::fromUnits(raw, Currency::Places));
    QCOMPARE(Currency::fromDecimal(amount->toDecimal())->raw(), raw);
    // A sum of amounts is their exact decimal sum, past the range of one amount too.
    Decimal twice = amount->toDecimal();
    twice += amount->toDecimal();
    QCOMPARE(twice.unitsAt(Currency::Places), std::optional<Int128>(Int128(raw) * 2));
}

// A decimal holds at most 38 digits; whatever text reaches the 39th is no decimal, whichever
// way it is written, and whatever is read is written back as text that reads the same.
void TestCurrency::decimalsEndBeforeThirtyNineDigits_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    const QString nines(Decimal::MaxDigits, u'9');
    QTest::newRow("38 nines") << nines << true;
    QTest::newRow("38 nines, negative") << u'-' + nines << true;
    QTest::newRow("one more") << u'1' + QString(Decimal::MaxDigits, u'0') << false;
    QTest::newRow("one more by exponent") << "1E+38" << false;
    QTest::newRow("negative by exponent") << "-1e38" << false;
    QTest::newRow("last power by exponent") << "1e37" << true;
    QTest::newRow("rounds up into the 39th digit") << nines + ".5" << false;
}

void TestCurrency::decimalsEndBeforeThirtyNineDigits() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    const auto value = Decimal::fromPlainText(text);
    QCOMPARE(value.has_value(), valid);
    if (valid)
        QCOMPARE(Decimal::fromPlainText(value->toPlainText()), value);
}

QTEST_APPLESS_MAIN(TestCurrency)
#include "tst_Currency.moc"

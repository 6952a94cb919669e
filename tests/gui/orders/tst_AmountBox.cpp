// The amount box of the main form: what it selects on entry, what it does with the text
// when it is left, and the amounts it stores, in several locales.
#include "gui/orders/AmountBox.h"
#include "gui/orders/frmMain.h"

#include "core/AppState.h"
#include "engine/Database.h"
#include "gui/dates/DateField.h"
#include "gui/support/MainFormFixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString NotANumber =
    u"You must enter a valid number for the dollar amount or leave the field blank"_s;

QVariantMap order(const QString& descr, const QVariant& amount) {
    return {{u"descr"_s, descr},
            {u"Type"_s, 0},
            {u"status"_s, 0},
            {u"dateorder"_s, QDate(2026, 3, 1)},
            {u"amount"_s, amount}};
}

} // namespace

class tst_AmountBox : public QObject, public MainFormFixture {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void amountsRoundTripThroughTheBoxAndTheFile_data();
    void amountsRoundTripThroughTheBoxAndTheFile();
    void entrySelectsTheWholeAmount_data();
    void entrySelectsTheWholeAmount();
    void aSecondClickPlacesTheCursor();
    void lettersAreRefusedOncePerAttemptToLeave();
    void amountsThatCannotBeKeptExactlyAreRefused_data();
    void amountsThatCannotBeKeptExactlyAreRefused();
    void clearingTheBoxLetsTheUserLeave();
    void refusingBoxAndRefusingDateFieldDoNotBounce();
    void updateStraightFromTheBoxWithLetters();
    void leavingAFormattedAmountIsNoEdit();

private:
    void enterAmount(const QString& text);
    void leaveAmount();
    AmountBox* amountBox() const { return form()->findChild<AmountBox*>(u"txtAmount"_s); }
    void load(const QList<QVariantMap>& rows, const QString& locale = u"en_US"_s);
};

void tst_AmountBox::init() {
    initFixture();
}

void tst_AmountBox::cleanup() {
    cleanupFixture();
}

void tst_AmountBox::load(const QList<QVariantMap>& rows, const QString& locale) {
    MainFormFixture::load(rows, locale);
    QVERIFY(amountBox());
}

void tst_AmountBox::enterAmount(const QString& text) {
    QTest::mouseClick(amountBox(), Qt::LeftButton);
    settle();
    QCOMPARE(QApplication::focusWidget(), amountBox());
    // keyClicks knows ASCII only; signs and blanks of other scripts come as typed text.
    for (QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(amountBox(), c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, amountBox(), Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
    }
}

void tst_AmountBox::leaveAmount() {
    QTest::keyClick(amountBox(), Qt::Key_Tab);
    settle();
}

void tst_AmountBox::amountsRoundTripThroughTheBoxAndTheFile_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QVariant>("stored"); // a null QVariant: no amount

    QTest::newRow("en_US plain") << u"en_US"_s << u"1234.5"_s << u"$1,234.50"_s << QVariant(1234.5);
    QTest::newRow("en_US as shown")
        << u"en_US"_s << u"$1,234.50"_s << u"$1,234.50"_s << QVariant(1234.5);
    QTest::newRow("en_US negative") << u"en_US"_s << u"-12.5"_s << u"($12.50)"_s << QVariant(-12.5);
    QTest::newRow("en_US parentheses")
        << u"en_US"_s << u"($7.25)"_s << u"($7.25)"_s << QVariant(-7.25);
    QTest::newRow("en_US cents rounded")
        << u"en_US"_s << u"0.125"_s << u"$0.13"_s << QVariant(0.13);
    QTest::newRow("en_US zero") << u"en_US"_s << u"0"_s << u"$0.00"_s << QVariant(0.0);
    QTest::newRow("en_US empty") << u"en_US"_s << QString() << QString() << QVariant();
    QTest::newRow("en_US large") << u"en_US"_s << u"123456789012.34"_s << u"$123,456,789,012.34"_s
                                 << QVariant(123456789012.34);
    // Fifteen significant digits: the most a double gives back exactly.
    QTest::newRow("en_US largest with cents")
        << u"en_US"_s << u"9999999999999.99"_s << u"$9,999,999,999,999.99"_s
        << QVariant(9999999999999.99);
    QTest::newRow("en_US negative largest")
        << u"en_US"_s << u"-9,999,999,999,999.99"_s << u"($9,999,999,999,999.99)"_s
        << QVariant(-9999999999999.99);
    QTest::newRow("de_DE") << u"de_DE"_s << u"1234,5"_s << u"1.234,50\u00a0€"_s << QVariant(1234.5);
    QTest::newRow("de_DE grouped with sign")
        << u"de_DE"_s << u"1.234,56 €"_s << u"1.234,56\u00a0€"_s << QVariant(1234.56);
    QTest::newRow("de_DE negative")
        << u"de_DE"_s << u"-0,99"_s << u"-0,99\u00a0€"_s << QVariant(-0.99);
    QTest::newRow("fr_FR") << u"fr_FR"_s << u"1 234,5"_s << u"1\u202f234,50\u00a0€"_s
                           << QVariant(1234.5);
    QTest::newRow("fr_FR no-break blank")
        << u"fr_FR"_s << u"2\u00a0000,10 €"_s << u"2\u202f000,10\u00a0€"_s << QVariant(2000.1);
    QTest::newRow("sv_SE") << u"sv_SE"_s << u"1234,50"_s << u"1\u00a0234,50\u00a0kr"_s
                           << QVariant(1234.5);
    QTest::newRow("sv_SE unicode minus")
        << u"sv_SE"_s << u"\u221212,50 kr"_s << u"\u221212,50\u00a0kr"_s << QVariant(-12.5);
    QTest::newRow("ja_JP") << u"ja_JP"_s << u"1234"_s << u"\uffe51,234"_s << QVariant(1234.0);
    // Yen have no smaller unit: what is shown is what is stored.
    QTest::newRow("ja_JP fraction")
        << u"ja_JP"_s << u"1234.6"_s << u"\uffe51,235"_s << QVariant(1235.0);
    QTest::newRow("ja_JP yen sign")
        << u"ja_JP"_s << u"\u00a55,000"_s << u"\uffe55,000"_s << QVariant(5000.0);
}

void tst_AmountBox::amountsRoundTripThroughTheBoxAndTheFile() {
    QFETCH(QString, locale);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QVariant, stored);
    load({order(u"Priced"_s, 55.0)}, locale);

    enterAmount(typed.isEmpty() ? QString() : typed);
    if (typed.isEmpty())
        QTest::keyClick(amountBox(), Qt::Key_Delete);
    leaveAmount();
    QVERIFY(services().messages.isEmpty());
    QCOMPARE(amountBox()->text(), shown);
    QVERIFY(form()->mDirty);

    QTest::mouseClick(form()->cmdUpdate, Qt::LeftButton);
    settle();
    QVERIFY(services().messages.isEmpty());
    QCOMPARE(amountBox()->text(), shown);

    const auto rows = fileRows(u"SELECT amount FROM pvx"_s);
    QCOMPARE(rows.size(), 1);
    if (stored.isNull()) {
        QVERIFY(rows[0][u"amount"_s].isNull());
    } else {
        QVERIFY(!rows[0][u"amount"_s].isNull());
        QCOMPARE(rows[0][u"amount"_s].toDouble(), stored.toDouble());
    }

    // Read back from the file by a fresh start of the form.
    load({}, locale);
    QCOMPARE(amountBox()->text(), shown);
}

void tst_AmountBox::entrySelectsTheWholeAmount_data() {
    QTest::addColumn<bool>("byMouse");
    QTest::newRow("tab") << false;
    QTest::newRow("click") << true;
}

void tst_AmountBox::entrySelectsTheWholeAmount() {
    QFETCH(bool, byMouse);
    load({order(u"Priced"_s, 1234.5)});
    QCOMPARE(amountBox()->text(), u"$1,234.50"_s);

    if (byMouse) {
        // Into the middle of the text, where a plain box would put the cursor.
        QTest::mouseClick(amountBox(), Qt::LeftButton, {},
                          QPoint(amountBox()->width() / 4, amountBox()->height() / 2));
    } else {
        form()->dcDateReceive->setFocus();
        settle();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    settle();
    QCOMPARE(QApplication::focusWidget(), amountBox());
    QCOMPARE(amountBox()->selectionStart(), 0);
    QCOMPARE(amountBox()->selectedText(), u"$1,234.50"_s);

    // Typing replaces the whole amount.
    QTest::keyClicks(amountBox(), u"8"_s);
    QCOMPARE(amountBox()->text(), u"8"_s);
    leaveAmount();
    QCOMPARE(amountBox()->text(), u"$8.00"_s);
}

void tst_AmountBox::aSecondClickPlacesTheCursor() {
    load({order(u"Priced"_s, 1234.5)});
    QTest::mouseClick(amountBox(), Qt::LeftButton);
    settle();
    QCOMPARE(amountBox()->selectedText(), u"$1,234.50"_s);

    // Once inside, a click places the cursor as in any box.
    QTest::mouseClick(amountBox(), Qt::LeftButton, {}, QPoint(2, amountBox()->height() / 2));
    QVERIFY(!amountBox()->hasSelectedText());
}

void tst_AmountBox::lettersAreRefusedOncePerAttemptToLeave() {
    load({order(u"Priced"_s, 10.0)});
    enterAmount(u"ten dollars"_s);
    leaveAmount();

    QCOMPARE(services().messages.size(), 1);
    QCOMPARE(services().messages[0].text, NotANumber);
    QCOMPARE(services().messages[0].title, u"Purvex"_s);
    QCOMPARE(services().messages[0].buttons, MsgButtons::Ok);
    QCOMPARE(QApplication::focusWidget(), amountBox());
    QCOMPARE(amountBox()->text(), u"ten dollars"_s);
    // Nothing more comes while the user stays.
    QTest::qWait(50);
    QCOMPARE(services().messages.size(), 1);

    // A second attempt, by a click elsewhere this time, gets one more message.
    QTest::mouseClick(form()->txtVendor, Qt::LeftButton);
    settle();
    QCOMPARE(services().messages.size(), 2);
    QCOMPARE(QApplication::focusWidget(), amountBox());
}

void tst_AmountBox::amountsThatCannotBeKeptExactlyAreRefused_data() {
    QTest::addColumn<QString>("typed");
    // Once these were stored as the nearest double, and every later start ended in
    // "6  Overflow" reading them back.
    QTest::newRow("near the end of the range") << u"922337203685477.58"_s;
    QTest::newRow("sixteen digits") << u"123456789012.3456"_s;
    QTest::newRow("four decimals too many") << u"12345678901234.5678"_s;
    // Numbers beyond what an amount holds at all were once called no number.
    QTest::newRow("fifteen nines") << u"999999999999999"_s;
    QTest::newRow("nineteen digits") << u"1,234,567,890,123,456,789"_s;
}

void tst_AmountBox::amountsThatCannotBeKeptExactlyAreRefused() {
    QFETCH(QString, typed);
    load({order(u"Priced"_s, 10.0)});
    enterAmount(typed);
    leaveAmount();

    QCOMPARE(services().messages.size(), 1);
    QCOMPARE(services().messages[0].text,
             u"That amount has more digits than can be kept exactly.  Enter an amount of at "
             u"most 15 digits, or leave the field blank."_s);
    QCOMPARE(QApplication::focusWidget(), amountBox());
    QCOMPARE(amountBox()->text(), typed);

    // Nor can Update store it.
    QTest::keyClick(amountBox(), Qt::Key_U, Qt::AltModifier);
    settle();
    QVERIFY(form()->cmdUpdate->isVisible());
    const auto rows = fileRows(u"SELECT amount FROM pvx"_s);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0][u"amount"_s].toDouble(), 10.0);
}

void tst_AmountBox::clearingTheBoxLetsTheUserLeave() {
    load({order(u"Priced"_s, 10.0)});
    enterAmount(u"abc"_s);
    leaveAmount();
    QCOMPARE(services().messages.size(), 1);
    QCOMPARE(QApplication::focusWidget(), amountBox());

    amountBox()->selectAll();
    QTest::keyClick(amountBox(), Qt::Key_Backspace);
    leaveAmount();
    QCOMPARE(services().messages.size(), 1);
    QCOMPARE(QApplication::focusWidget(), form()->txtMethod);
    QVERIFY(amountBox()->text().isEmpty());
}

void tst_AmountBox::refusingBoxAndRefusingDateFieldDoNotBounce() {
    load({order(u"Priced"_s, 10.0)});
    // A date field holding text that it would refuse too, had the user been in it.
    form()->dcDateExpect->setText(u"4/31/2026"_s);
    enterAmount(u"abc"_s);

    QTest::mouseClick(form()->dcDateExpect->lineEdit(), Qt::LeftButton);
    settle();
    QTest::qWait(50);

    QCOMPARE(services().messages.size(), 1);
    QCOMPARE(services().messages[0].text, NotANumber);
    QCOMPARE(QApplication::focusWidget(), amountBox());

    // Put right, the box lets the user on into the date field, which then has its say.
    amountBox()->selectAll();
    QTest::keyClicks(amountBox(), u"3"_s);
    QTest::mouseClick(form()->dcDateExpect->lineEdit(), Qt::LeftButton);
    settle();
    QCOMPARE(amountBox()->text(), u"$3.00"_s);
    QCOMPARE(services().messages.size(), 1);
    QCOMPARE(QApplication::focusWidget(), form()->dcDateExpect);
}

void tst_AmountBox::updateStraightFromTheBoxWithLetters() {
    load({order(u"Priced"_s, 10.0)});
    enterAmount(u"12,5"_s); // a decimal comma in a US locale: no number here
    // A click whose press and release come together, with no chance for the check on
    // leaving to run in between.
    QTest::mouseClick(form()->cmdUpdate, Qt::LeftButton);
    settle();
    QTest::qWait(50);

    QCOMPARE(services().messages.size(), 1);
    QCOMPARE(services().messages[0].text, NotANumber);
    QCOMPARE(QApplication::focusWidget(), amountBox());
    QVERIFY(form()->mDirty);
    QVERIFY(form()->cmdUpdate->isVisible());
    QCOMPARE(amountBox()->text(), u"12,5"_s);
    const auto rows = fileRows(u"SELECT amount FROM pvx"_s);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0][u"amount"_s].toDouble(), 10.0);
}

void tst_AmountBox::leavingAFormattedAmountIsNoEdit() {
    load({order(u"Priced"_s, 1234.5678)});
    QCOMPARE(amountBox()->text(), u"$1,234.57"_s);
    QTest::mouseClick(amountBox(), Qt::LeftButton);
    settle();
    leaveAmount();
    QVERIFY(services().messages.isEmpty());
    QVERIFY(!form()->mDirty);
    QVERIFY(form()->cmdNext->isVisible());
    QVERIFY(!form()->cmdUpdate->isVisible());
}

QTEST_MAIN(tst_AmountBox)
#include "tst_AmountBox.moc"

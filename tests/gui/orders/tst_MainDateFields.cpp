// The main form's three date fields: the calendar they open, the record they put into
// edit mode and the check on leaving them.
#include "gui/orders/frmMain.h"

#include "core/AppState.h"
#include "gui/dates/DateField.h"
#include "gui/dates/frmDateEnt.h"
#include "gui/support/MainFormFixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

class tst_MainDateFields : public QObject, public MainFormFixture {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void calendarCaptions_data();
    void calendarCaptions();
    void closingTheCalendarOnAnEmptyFieldFillsTodayAndEditsTheRecord();
    void choosingADayMovesOnWithoutAMessage();
    void aDayTheMonthLacksKeepsTheFocus_data();
    void aDayTheMonthLacksKeepsTheFocus();
    void clearingTheFieldIsAccepted();
    void twoDigitYearsFollowTheClock_data();
    void twoDigitYearsFollowTheClock();

private:
    // Loads the form on the one record every test starts from.
    void load(const QString& locale = u"en_US"_s);
    DateField* field(const QString& name) const { return form()->findChild<DateField*>(name); }
};

void tst_MainDateFields::init() {
    initFixture();
    createDatabase({{{u"descr"_s, u"Camera"_s},
                     {u"Type"_s, 0},
                     {u"status"_s, 0},
                     {u"dateorder"_s, QDate(2026, 11, 2)}}});
}

void tst_MainDateFields::cleanup() {
    cleanupFixture();
}

void tst_MainDateFields::load(const QString& locale) {
    MainFormFixture::load({}, locale);
}

void tst_MainDateFields::calendarCaptions_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::newRow("order") << u"dcDateOrder"_s << u"Select Order Date"_s;
    QTest::newRow("due") << u"dcDateExpect"_s << u"Select Due Date"_s;
    QTest::newRow("received") << u"dcDateReceive"_s << u"Select Date Received"_s;
}

void tst_MainDateFields::calendarCaptions() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    load();
    QString shown;
    services().onModal = [&](QDialog& dialog) {
        shown = dialog.windowTitle();
        dialog.close();
    };
    field(name)->showPopup();
    QCOMPARE(shown, caption);
}

void tst_MainDateFields::closingTheCalendarOnAnEmptyFieldFillsTodayAndEditsTheRecord() {
    load(u"de_DE"_s);
    DateField* due = field(u"dcDateExpect"_s);
    QVERIFY(due->text().isEmpty());
    QVERIFY(!form()->mDirty);
    due->setFocus();
    services().onModal = [](QDialog& dialog) { dialog.close(); };

    due->showPopup();
    settle();

    QCOMPARE(due->text(), u"07.12.2026"_s);
    QVERIFY(form()->mDirty);
    QVERIFY(form()->cmdUpdate->isVisibleTo(form()));
    QVERIFY(!form()->cmdNext->isVisibleTo(form()));
    QVERIFY(services().messages.isEmpty());
}

void tst_MainDateFields::choosingADayMovesOnWithoutAMessage() {
    load();
    DateField* received = field(u"dcDateReceive"_s);
    received->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), received);
    services().onModal = [](QDialog& dialog) {
        auto& calendar = static_cast<frmDateEnt&>(dialog);
        calendar.Grid1_Click(2, 3); // the 9th of December 2026
    };

    received->showPopup();
    settle();

    QCOMPARE(received->text(), u"12/9/2026"_s);
    QCOMPARE(QApplication::focusWidget(), form()->txtAmount);
    QVERIFY(services().messages.isEmpty());
}

void tst_MainDateFields::aDayTheMonthLacksKeepsTheFocus_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("order") << u"dcDateOrder"_s
                           << u"You must enter a valid order date, or leave the field blank."_s;
    QTest::newRow("due") << u"dcDateExpect"_s
                         << u"You must enter a valid due date, or leave the field blank."_s;
    QTest::newRow("received")
        << u"dcDateReceive"_s
        << u"You must enter a valid received date, or leave the field blank."_s;
}

void tst_MainDateFields::aDayTheMonthLacksKeepsTheFocus() {
    QFETCH(QString, name);
    QFETCH(QString, message);
    load();
    DateField* date = field(name);
    date->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), date);
    date->lineEdit()->selectAll();
    QTest::keyClicks(date->lineEdit(), u"4/31/2026"_s);

    QTest::keyClick(date, Qt::Key_Tab);
    settle();

    QCOMPARE(services().messages.size(), 1);
    QCOMPARE(services().messages.at(0).text, message);
    QCOMPARE(services().messages.at(0).title, u"Purvex"_s);
    QCOMPARE(QApplication::focusWidget(), date);
}

void tst_MainDateFields::clearingTheFieldIsAccepted() {
    load();
    DateField* order = field(u"dcDateOrder"_s);
    QVERIFY(!order->text().isEmpty());
    order->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), order);
    order->lineEdit()->selectAll();
    QTest::keyClick(order->lineEdit(), Qt::Key_Delete);

    QTest::keyClick(order, Qt::Key_Tab);
    settle();

    QVERIFY(services().messages.isEmpty());
    QVERIFY(order->text().isEmpty());
    QVERIFY(QApplication::focusWidget() != order);
    QVERIFY(form()->mDirty);
}

QTEST_MAIN(tst_MainDateFields)
void tst_MainDateFields::twoDigitYearsFollowTheClock_data() {
    QTest::addColumn<int>("clockYear");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("2026: 30 is ahead") << 2026 << u"6/1/30"_s << u"2030-06-01"_s;
    QTest::newRow("2026: 76 is behind") << 2026 << u"6/1/76"_s << u"1976-06-01"_s;
    QTest::newRow("2079: 28 is the next century") << 2079 << u"6/1/28"_s << u"2128-06-01"_s;
    QTest::newRow("2099: 49 is this century") << 2099 << u"6/1/49"_s << u"2049-06-01"_s;
}

void tst_MainDateFields::twoDigitYearsFollowTheClock() {
    QFETCH(int, clockYear);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    services().clock = QDateTime(QDate(clockYear, 3, 1), QTime(9, 0));
    load();
    DateField* due = field(u"dcDateExpect"_s);
    due->setFocus(Qt::MouseFocusReason);
    settle();
    QTest::keyClicks(due->lineEdit(), typed);
    click(form()->cmdUpdate);

    QVERIFY(services().messages.isEmpty());
    // Shown with all four digits, so the century is plain to see.
    QCOMPARE(due->text(), u"6/1/"_s + stored.left(4));
    const auto rows = fileRows(u"SELECT dateexpect FROM pvx"_s);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0][u"dateexpect"_s].toString(), stored);
}

#include "tst_MainDateFields.moc"

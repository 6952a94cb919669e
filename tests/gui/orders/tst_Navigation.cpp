// Paging through the records with First, Previous, Next and Last, and the Sort menu.
#include "gui/orders/frmMain.h"

#include "core/AppState.h"
#include "engine/Database.h"
#include "engine/Recordset.h"
#include "gui/dates/DateField.h"
#include "gui/support/MainFormFixture.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

QVariantMap order(const QString& descr, const QString& vendor, const QDate& dateOrder) {
    return {{u"descr"_s, descr},
            {u"vendor"_s, vendor},
            {u"Type"_s, 0},
            {u"status"_s, 0},
            {u"dateorder"_s, dateOrder}};
}

// Stored in an order that none of the three sort orders keeps. Descriptions and vendors
// differ in case from their sort places, since sorting disregards case.
QList<QVariantMap> fourOrders() {
    return {order(u"delta"_s, u"Acme"_s, QDate(2021, 4, 4)),
            order(u"Alpha"_s, u"zenith"_s, QDate(2019, 1, 1)),
            order(u"Charlie"_s, u"Midway"_s, QDate(2024, 12, 24)),
            order(u"bravo"_s, u"Bolt"_s, QDate(2022, 2, 2))};
}

} // namespace

class tst_Navigation : public QObject, public MainFormFixture {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void buttonsMoveAndBeepAtEitherEnd_data();
    void buttonsMoveAndBeepAtEitherEnd();
    void buttonsDoNothingOnAnEmptyTable();
    void sortOrders_data();
    void sortOrders();
    void choosingTheCheckedOrderAgainReturnsToTheFirstRecord();
    void recordsAddedOrChangedEarlierTakeTheirPlaces();
    void sortingAnEmptyTableLeavesTheEmptyDisabledForm();

private:
    // A click delivered whole, press and release together.
    void click(QPushButton* button);
    // The descriptions of every record from the first to the last, paging with Next.
    QStringList pageThrough();
    QList<bool> checkMarks() const;
};

void tst_Navigation::init() {
    initFixture();
}

void tst_Navigation::cleanup() {
    cleanupFixture();
}

void tst_Navigation::click(QPushButton* button) {
    QVERIFY2(button->isVisible(), qPrintable(button->objectName()));
    QTest::mouseClick(button, Qt::LeftButton);
}

QStringList tst_Navigation::pageThrough() {
    QStringList seen;
    click(form()->cmdFirst);
    const int beepsBefore = services().beeps;
    while (services().beeps == beepsBefore && seen.size() < 100) {
        seen << form()->txtDescr->text();
        click(form()->cmdNext);
    }
    return seen;
}

QList<bool> tst_Navigation::checkMarks() const {
    QList<bool> marks;
    for (QAction* item : form()->mnuSort)
        marks << item->isChecked();
    return marks;
}

void tst_Navigation::buttonsMoveAndBeepAtEitherEnd_data() {
    QTest::addColumn<QString>("start"); // First or Last
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("beeps");

    // Newest first: Charlie 2024, bravo 2022, delta 2021, Alpha 2019.
    QTest::newRow("first shows the latest order")
        << u"cmdLast"_s << u"cmdFirst"_s << 1 << u"Charlie"_s << 0;
    QTest::newRow("last shows the earliest order")
        << u"cmdFirst"_s << u"cmdLast"_s << 1 << u"Alpha"_s << 0;
    QTest::newRow("next") << u"cmdFirst"_s << u"cmdNext"_s << 2 << u"delta"_s << 0;
    QTest::newRow("next onto the last") << u"cmdFirst"_s << u"cmdNext"_s << 3 << u"Alpha"_s << 0;
    QTest::newRow("next past the end") << u"cmdFirst"_s << u"cmdNext"_s << 4 << u"Alpha"_s << 1;
    QTest::newRow("next on the last, three times")
        << u"cmdLast"_s << u"cmdNext"_s << 3 << u"Alpha"_s << 3;
    QTest::newRow("previous") << u"cmdLast"_s << u"cmdPrevious"_s << 1 << u"delta"_s << 0;
    QTest::newRow("previous past the beginning")
        << u"cmdLast"_s << u"cmdPrevious"_s << 4 << u"Charlie"_s << 1;
    QTest::newRow("previous on the first, three times")
        << u"cmdFirst"_s << u"cmdPrevious"_s << 3 << u"Charlie"_s << 3;
    QTest::newRow("first on the first") << u"cmdFirst"_s << u"cmdFirst"_s << 2 << u"Charlie"_s << 0;
    QTest::newRow("last on the last") << u"cmdLast"_s << u"cmdLast"_s << 2 << u"Alpha"_s << 0;
}

void tst_Navigation::buttonsMoveAndBeepAtEitherEnd() {
    QFETCH(QString, start);
    QFETCH(QString, button);
    QFETCH(int, clicks);
    QFETCH(QString, shown);
    QFETCH(int, beeps);
    load(fourOrders());
    click(form()->findChild<QPushButton*>(start));
    for (int i = 0; i < clicks; ++i)
        click(form()->findChild<QPushButton*>(button));

    QCOMPARE(form()->txtDescr->text(), shown);
    QCOMPARE(services().beeps, beeps);
    // The recordset and the form agree on the record.
    QCOMPARE(state().gOrders->value(u"descr"_s).toString(), shown);

    // Leaving the end behind works as before.
    click(form()->cmdFirst);
    click(form()->cmdNext);
    QCOMPARE(form()->txtDescr->text(), u"bravo"_s);
}

void tst_Navigation::buttonsDoNothingOnAnEmptyTable() {
    load({});
    for (QPushButton* button : {form()->cmdFirst, form()->cmdPrevious, form()->cmdNext,
                                form()->cmdLast, form()->cmdNext, form()->cmdPrevious})
        click(button);
    QCOMPARE(services().beeps, 0);
    QVERIFY(services().messages.isEmpty());
    QVERIFY(!services().ended);
    QVERIFY(form()->txtDescr->text().isEmpty());
    QVERIFY(!form()->txtDescr->isEnabled());
}

void tst_Navigation::sortOrders_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("order date") << 1
                                << QStringList{u"Charlie"_s, u"bravo"_s, u"delta"_s, u"Alpha"_s};
    QTest::newRow("description") << 2
                                 << QStringList{u"Alpha"_s, u"bravo"_s, u"Charlie"_s, u"delta"_s};
    QTest::newRow("vendor") << 3 << QStringList{u"delta"_s, u"bravo"_s, u"Charlie"_s, u"Alpha"_s};
}

void tst_Navigation::sortOrders() {
    QFETCH(int, index);
    QFETCH(QStringList, order);
    load(fourOrders());
    // Start somewhere else than the first record of any order, in another order.
    form()->mnuSort[index % 3]->trigger();
    click(form()->cmdLast);

    form()->mnuSort[index - 1]->trigger();

    QCOMPARE(state().gSortOrder, index);
    QList<bool> expectedMarks = {false, false, false};
    expectedMarks[index - 1] = true;
    QCOMPARE(checkMarks(), expectedMarks);
    QCOMPARE(form()->txtDescr->text(), order.first());
    QVERIFY(!form()->mDirty);
    QVERIFY(form()->cmdAddNew->isVisible());
    QCOMPARE(pageThrough(), order);
}

void tst_Navigation::choosingTheCheckedOrderAgainReturnsToTheFirstRecord() {
    load(fourOrders());
    form()->mnuSort[1]->trigger();
    click(form()->cmdNext);
    click(form()->cmdNext);
    QCOMPARE(form()->txtDescr->text(), u"Charlie"_s);

    form()->mnuSort[1]->trigger();

    QCOMPARE(form()->txtDescr->text(), u"Alpha"_s);
    QCOMPARE(checkMarks(), (QList<bool>{false, true, false}));
    QCOMPARE(state().gSortOrder, 2);
}

void tst_Navigation::recordsAddedOrChangedEarlierTakeTheirPlaces() {
    load(fourOrders());
    // A new record goes to the end of the recordset until it is reopened.
    QTest::mouseClick(form()->cmdAddNew, Qt::LeftButton);
    form()->txtDescr->setText(u"aardvark"_s);
    form()->txtVendor->setText(u"Omega"_s);
    form()->dcDateOrder->setText(u"3/3/2023"_s);
    QTest::mouseClick(form()->cmdUpdate, Qt::LeftButton);
    QVERIFY(services().messages.isEmpty());
    QCOMPARE(form()->txtDescr->text(), u"aardvark"_s);
    QCOMPARE(pageThrough(),
             (QStringList{u"Charlie"_s, u"bravo"_s, u"delta"_s, u"Alpha"_s, u"aardvark"_s}));

    // A changed description keeps its place until the next sort as well.
    click(form()->cmdFirst);
    form()->txtDescr->setText(u"Zulu"_s);
    QTest::mouseClick(form()->cmdUpdate, Qt::LeftButton);
    QCOMPARE(form()->txtDescr->text(), u"Zulu"_s);

    form()->mnuSort[1]->trigger();
    QCOMPARE(pageThrough(),
             (QStringList{u"aardvark"_s, u"Alpha"_s, u"bravo"_s, u"delta"_s, u"Zulu"_s}));
    form()->mnuSort[2]->trigger();
    QCOMPARE(pageThrough(),
             (QStringList{u"delta"_s, u"bravo"_s, u"Zulu"_s, u"aardvark"_s, u"Alpha"_s}));
    form()->mnuSort[0]->trigger();
    QCOMPARE(pageThrough(),
             (QStringList{u"Zulu"_s, u"aardvark"_s, u"bravo"_s, u"delta"_s, u"Alpha"_s}));
}

void tst_Navigation::sortingAnEmptyTableLeavesTheEmptyDisabledForm() {
    load({});
    for (int index : {3, 2, 1}) {
        // The handler itself, as other windows call it, puts the one check mark.
        form()->mnuSort_Click(index);
        QCOMPARE(state().gSortOrder, index);
        QList<bool> expectedMarks = {false, false, false};
        expectedMarks[index - 1] = true;
        QCOMPARE(checkMarks(), expectedMarks);
        QVERIFY(form()->txtDescr->text().isEmpty());
        QVERIFY(!form()->txtDescr->isEnabled());
        QVERIFY(!form()->cmdSelVend->isEnabled());
        QCOMPARE(state().gOrders->recordCount(), 0);
    }
    QVERIFY(services().messages.isEmpty());
}

QTEST_MAIN(tst_Navigation)
#include "tst_Navigation.moc"

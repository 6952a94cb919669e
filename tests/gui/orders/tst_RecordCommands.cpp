// Add New, Add Another, Update, Cancel and Delete on the main form, driven through its
// buttons, with the rows checked in the file afterwards by the sqlite3 tool.
#include "gui/orders/frmMain.h"

#include "core/AppState.h"
#include "engine/Database.h"
#include "engine/Recordset.h"
#include "gui/dates/DateField.h"
#include "gui/support/MainFormFixture.h"
#include "support/DatabaseFaults.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString DescrMessage = u"You must enter a description, for this order/Rebate record or click "
                             u"the Cancel button."_s;
const QString DeleteQuestion = u"Are you sure that you want to delete this order record?"_s;
const QString LockedQuestion = u"Could not update locked record.  Do you wish to try again?"_s;

QVariantMap order(const QString& descr, const QDate& dateOrder) {
    return {{u"descr"_s, descr}, {u"Type"_s, 0}, {u"status"_s, 0}, {u"dateorder"_s, dateOrder}};
}

// Three orders; in the form's first order (newest first) they come Alpha, Beta, Gamma.
QList<QVariantMap> threeOrders() {
    return {order(u"Beta"_s, QDate(2024, 6, 1)), order(u"Gamma"_s, QDate(2023, 1, 1)),
            order(u"Alpha"_s, QDate(2025, 3, 3))};
}

} // namespace

class tst_RecordCommands : public QObject, public MainFormFixture {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void addNewThenUpdateStoresEveryField();
    void addAnotherThreeTimesThenCancelKeepsThree();
    void updateWithEmptyDescriptionShowsOnlyThatMessage();
    void checksBeforeSaving_data();
    void checksBeforeSaving();
    void dateWithTimeOfDayIsStoredWithIt();
    void editThenUpdateRewritesTheSameRow();
    void untouchedValuesAreWrittenBackUnchanged_data();
    void untouchedValuesAreWrittenBackUnchanged();
    void quickClickOnASaveButtonShowsOneMessage_data();
    void quickClickOnASaveButtonShowsOneMessage();
    void cancelShowsTheStoredValuesAgain();
    void amountThatIsNoNumberIsWrittenAsNull();
    void accessKeyUpdateStillChecksTheBoxLeftOpen_data();
    void accessKeyUpdateStillChecksTheBoxLeftOpen();
    void addingToAnEmptyTable();
    void deleteRecord_data();
    void deleteRecord();
    void lockedRecordOnUpdate_data();
    void lockedRecordOnUpdate();
    void lockedRecordOnDeleteAnsweredNo();
    void otherWriteErrorEndsTheProgramWithNothingSaved_data();
    void otherWriteErrorEndsTheProgramWithNothingSaved();

private:
    // Gives the control the focus, as the user's click into it would, and replaces its text.
    void type(QWidget* control, const QString& text);
    static void choose(QComboBox* list, int position);
    int rowCount() const;
};

void tst_RecordCommands::init() {
    initFixture();
}

void tst_RecordCommands::cleanup() {
    cleanupFixture();
}

void tst_RecordCommands::type(QWidget* control, const QString& text) {
    control->setFocus(Qt::MouseFocusReason);
    settle();
    QWidget* target = control;
    if (auto* field = qobject_cast<DateField*>(control)) {
        target = field->lineEdit();
        field->lineEdit()->selectAll();
    } else if (auto* box = qobject_cast<QLineEdit*>(control)) {
        box->selectAll();
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(control)) {
        memo->selectAll();
    }
    if (text.isEmpty())
        QTest::keyClick(target, Qt::Key_Delete);
    else
        QTest::keyClicks(target, text);
}

void tst_RecordCommands::choose(QComboBox* list, int position) {
    list->setFocus(Qt::MouseFocusReason);
    settle();
    QTest::keyClick(list, Qt::Key_Home);
    for (int i = 0; i < position; ++i)
        QTest::keyClick(list, Qt::Key_Down);
}

int tst_RecordCommands::rowCount() const {
    return state().gDatabase->scalar(u"SELECT count(*) FROM pvx"_s).toInt();
}

void tst_RecordCommands::addNewThenUpdateStoresEveryField() {
    load(threeOrders());
    click(form()->cmdAddNew);

    QCOMPARE(form()->cmdAddNew->text(), u"&Add Another"_s);
    QVERIFY(form()->mAdding);
    QVERIFY(form()->cmdUpdate->isVisible());
    QVERIFY(!form()->cmdNext->isVisible());
    QCOMPARE(form()->dcDateOrder->text(), u"12/7/2026"_s);
    QVERIFY(form()->txtDescr->text().isEmpty());
    QCOMPARE(QApplication::focusWidget(), form()->txtDescr);

    type(form()->txtDescr, u"Garden hose"_s);
    choose(form()->cmbType, 2);
    choose(form()->cmbStatus, 1);
    type(form()->txtOrderNum, u"H-77"_s);
    type(form()->txtVia, u"Sam"_s);
    type(form()->dcDateOrder, u"5/30/98"_s);
    type(form()->dcDateExpect, u"6/2/1998"_s);
    type(form()->txtAmount, u"1234.5"_s);
    type(form()->txtMethod, u"Check 1001"_s);
    type(form()->txtVendor, u"Hose & Co. 'Ltd'"_s);
    type(form()->txtAddress, u"1 Main St"_s);
    QTest::keyClick(form()->txtAddress, Qt::Key_Return);
    QTest::keyClicks(form()->txtAddress, u"Springfield"_s);
    type(form()->txtPhone, u"555-0199"_s);
    type(form()->txtEmail, u"hose@example.com"_s);
    type(form()->txtItems, u"1 hose"_s);
    type(form()->txtNotes, u"Green; 50 ft"_s);
    // Fax, Miscellaneous and the received date are left empty.
    click(form()->cmdUpdate);

    QVERIFY(services().messages.isEmpty());
    QVERIFY(!form()->mAdding);
    QVERIFY(!form()->mDirty);
    QCOMPARE(form()->cmdAddNew->text(), u"&Add New"_s);
    QVERIFY(form()->cmdNext->isVisible());
    QVERIFY(!form()->cmdUpdate->isVisible());
    // The new record is shown as stored, although it is last in the recordset.
    QCOMPARE(form()->txtDescr->text(), u"Garden hose"_s);
    QCOMPARE(form()->dcDateOrder->text(), u"5/30/1998"_s);
    QCOMPARE(form()->txtAmount->text(), u"$1,234.50"_s);
    QCOMPARE(form()->lblVendor->text(), u"Sold To"_s);
    QCOMPARE(rowCount(), 4);

    const auto rows = fileRows(u"SELECT descr, Type, status, ordernum, via, dateorder, dateexpect, "
                               u"datereceive, amount, method, misc1, vendor, address, phone, fax, "
                               u"email, items, notes, typeof(fax) AS faxType, typeof(misc1) AS "
                               u"miscType FROM pvx WHERE descr = 'Garden hose'"_s);
    QCOMPARE(rows.size(), 1);
    const QVariantMap& row = rows.first();
    QCOMPARE(row[u"Type"_s].toInt(), 2);
    QCOMPARE(row[u"status"_s].toInt(), 1);
    QCOMPARE(row[u"ordernum"_s].toString(), u"H-77"_s);
    QCOMPARE(row[u"via"_s].toString(), u"Sam"_s);
    QCOMPARE(row[u"dateorder"_s].toString(), u"1998-05-30"_s);
    QCOMPARE(row[u"dateexpect"_s].toString(), u"1998-06-02"_s);
    QVERIFY(row[u"datereceive"_s].isNull());
    QCOMPARE(row[u"amount"_s].toDouble(), 1234.5);
    QCOMPARE(row[u"method"_s].toString(), u"Check 1001"_s);
    QCOMPARE(row[u"vendor"_s].toString(), u"Hose & Co. 'Ltd'"_s);
    QCOMPARE(row[u"address"_s].toString(), u"1 Main St\nSpringfield"_s);
    QCOMPARE(row[u"phone"_s].toString(), u"555-0199"_s);
    QCOMPARE(row[u"email"_s].toString(), u"hose@example.com"_s);
    QCOMPARE(row[u"items"_s].toString(), u"1 hose"_s);
    QCOMPARE(row[u"notes"_s].toString(), u"Green; 50 ft"_s);
    // Empty boxes are stored as empty text, not as Null.
    QCOMPARE(row[u"faxType"_s].toString(), u"text"_s);
    QCOMPARE(row[u"miscType"_s].toString(), u"text"_s);
}

void tst_RecordCommands::addAnotherThreeTimesThenCancelKeepsThree() {
    load({order(u"Existing"_s, QDate(2020, 1, 1))});
    click(form()->cmdAddNew);
    for (const QString& descr : {u"One"_s, u"Two"_s, u"Three"_s}) {
        type(form()->txtDescr, descr);
        type(form()->txtVendor, u"Vendor of "_s + descr);
        click(form()->cmdAddNew);
        // Saved, and the form is empty again for the next one.
        QCOMPARE(form()->cmdAddNew->text(), u"&Add Another"_s);
        QVERIFY(form()->mAdding);
        QVERIFY(form()->txtDescr->text().isEmpty());
        QVERIFY(form()->txtVendor->text().isEmpty());
        QCOMPARE(form()->dcDateOrder->text(), u"12/7/2026"_s);
        QCOMPARE(QApplication::focusWidget(), form()->txtDescr);
        QVERIFY(!state().gOrders->isEditing());
    }
    QCOMPARE(rowCount(), 4);
    QVERIFY(services().messages.isEmpty());

    type(form()->txtDescr, u"Four"_s);
    click(form()->cmdCancel);

    QVERIFY(!form()->mAdding);
    QVERIFY(!form()->mDirty);
    QCOMPARE(form()->cmdAddNew->text(), u"&Add New"_s);
    QVERIFY(form()->cmdNext->isVisible());
    // The last record of the recordset: the third one saved.
    QCOMPARE(form()->txtDescr->text(), u"Three"_s);
    const auto rows = fileRows(u"SELECT descr, vendor FROM pvx ORDER BY zelid"_s);
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows[1][u"descr"_s].toString(), u"One"_s);
    QCOMPARE(rows[2][u"vendor"_s].toString(), u"Vendor of Two"_s);
    QCOMPARE(rows[3][u"descr"_s].toString(), u"Three"_s);
}

void tst_RecordCommands::updateWithEmptyDescriptionShowsOnlyThatMessage() {
    load(threeOrders());
    click(form()->cmdAddNew);
    // The order date is missing too, and the status says received without a date.
    type(form()->dcDateOrder, QString());
    choose(form()->cmbStatus, 2);
    click(form()->cmdUpdate);

    QCOMPARE(services().messages.size(), 1);
    QCOMPARE(services().messages[0].text, DescrMessage);
    QCOMPARE(services().messages[0].title, u"Purvex"_s);
    QCOMPARE(services().messages[0].buttons, MsgButtons::Ok);
    QCOMPARE(QApplication::focusWidget(), form()->txtDescr);
    QVERIFY(form()->mAdding);
    QVERIFY(form()->cmdUpdate->isVisible());
    QCOMPARE(rowCount(), 3);
}

void tst_RecordCommands::checksBeforeSaving_data() {
    QTest::addColumn<QString>("dateOrder");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("dateReceive");
    QTest::addColumn<QString>("title"); // empty: saved without a message
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("focus");

    const QString needed = u"Please enter the date the order was received."_s;
    const QString check = u"You have entered a Date Received, but the Received status indicates "
                          u"the order has not been received."_s;
    const QString noOrderDate = u"Please enter an order date."_s;
    QTest::newRow("yes without received date")
        << u"1/2/2026"_s << 2 << QString() << u"Receive Date Needed"_s << needed
        << u"dcDateReceive"_s;
    QTest::newRow("yes with blanks for a received date")
        << u"1/2/2026"_s << 2 << u"   "_s << u"Receive Date Needed"_s << needed
        << u"dcDateReceive"_s;
    QTest::newRow("no with received date") << u"1/2/2026"_s << 0 << u"1/9/2026"_s
                                           << u"Check Received Status"_s << check << u"cmbStatus"_s;
    QTest::newRow("partially without received date")
        << u"1/2/2026"_s << 1 << QString() << QString() << QString() << QString();
    QTest::newRow("partially with received date")
        << u"1/2/2026"_s << 1 << u"1/9/2026"_s << QString() << QString() << QString();
    QTest::newRow("yes with received date")
        << u"1/2/2026"_s << 2 << u"1/9/2026"_s << QString() << QString() << QString();
    QTest::newRow("no without received date")
        << u"1/2/2026"_s << 0 << QString() << QString() << QString() << QString();
    QTest::newRow("order date that is no date")
        << u"Tuesday"_s << 0 << QString() << u"No Order Date"_s << noOrderDate << u"dcDateOrder"_s;
    QTest::newRow("order date missing")
        << QString() << 0 << QString() << u"No Order Date"_s << noOrderDate << u"dcDateOrder"_s;
    // The order date is checked before the received date.
    QTest::newRow("both wrong") << QString() << 2 << QString() << u"No Order Date"_s << noOrderDate
                                << u"dcDateOrder"_s;
}

void tst_RecordCommands::checksBeforeSaving() {
    QFETCH(QString, dateOrder);
    QFETCH(int, status);
    QFETCH(QString, dateReceive);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(QString, focus);
    load(threeOrders());
    click(form()->cmdAddNew);
    type(form()->txtDescr, u"Lamp"_s);
    choose(form()->cmbStatus, status);
    // Set as if left there earlier: the date field's own check on leaving is not under test.
    form()->dcDateOrder->setText(dateOrder);
    form()->dcDateReceive->setText(dateReceive);
    form()->txtDescr->setFocus();
    settle();
    click(form()->cmdUpdate);

    if (title.isEmpty()) {
        QVERIFY(services().messages.isEmpty());
        QVERIFY(!form()->mAdding);
        QCOMPARE(form()->txtDescr->text(), u"Lamp"_s);
        QCOMPARE(rowCount(), 4);
        return;
    }
    QCOMPARE(services().messages.size(), 1);
    QCOMPARE(services().messages[0].title, title);
    QCOMPARE(services().messages[0].text, text);
    QCOMPARE(services().messages[0].buttons, MsgButtons::Ok);
    QCOMPARE(QApplication::focusWidget()->objectName().isEmpty()
                 ? QApplication::focusWidget()->parentWidget()->objectName()
                 : QApplication::focusWidget()->objectName(),
             focus);
    QVERIFY(form()->mAdding);
    QCOMPARE(form()->txtDescr->text(), u"Lamp"_s);
    QCOMPARE(rowCount(), 3);
}

void tst_RecordCommands::dateWithTimeOfDayIsStoredWithIt() {
    load(threeOrders());
    click(form()->cmdAddNew);
    type(form()->txtDescr, u"Auction lot 12"_s);
    type(form()->dcDateOrder, u"5/30/1998 14:05"_s);
    type(form()->txtAmount, u"0"_s);
    click(form()->cmdUpdate);

    QVERIFY(services().messages.isEmpty());
    QCOMPARE(form()->dcDateOrder->text(), u"5/30/1998"_s);
    QCOMPARE(form()->txtAmount->text(), u"$0.00"_s);
    const auto rows = fileRows(
        u"SELECT dateorder, amount, typeof(amount) AS kind FROM pvx WHERE descr = 'Auction lot 12'"_s);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0][u"dateorder"_s].toString(), u"1998-05-30 14:05:00"_s);
    // Zero is an amount; only an empty box stores none.
    QVERIFY(rows[0][u"kind"_s].toString() != u"null"_s);
    QCOMPARE(rows[0][u"amount"_s].toDouble(), 0.0);
}

void tst_RecordCommands::untouchedValuesAreWrittenBackUnchanged_data() {
    QTest::addColumn<QString>("column");
    QTest::addColumn<QVariant>("stored");
    // The value as the sqlite3 tool quotes it, before and after the save.
    QTest::addColumn<QString>("quoted");
    QTest::newRow("date with time of day")
        << u"dateorder"_s << QVariant(u"2027-01-05 14:05:00"_s) << u"'2027-01-05 14:05:00'"_s;
    QTest::newRow("date with hours and minutes")
        << u"dateexpect"_s << QVariant(u"2027-01-05 14:05"_s) << u"'2027-01-05 14:05'"_s;
    QTest::newRow("amount with four decimals") << u"amount"_s << QVariant(12.3456) << u"12.3456"_s;
    QTest::newRow("text longer than its box")
        << u"vendor"_s << QVariant(QString(120, u'v')) << u"'%1'"_s.arg(QString(120, u'v'));
    QTest::newRow("items too long to show whole")
        << u"items"_s << QVariant(QString(200000, u'i')) << u"'%1'"_s.arg(QString(200000, u'i'));
    QTest::newRow("Null type") << u"Type"_s << QVariant() << u"NULL"_s;
    QTest::newRow("Null status") << u"status"_s << QVariant() << u"NULL"_s;
    QTest::newRow("Null amount") << u"amount"_s << QVariant() << u"NULL"_s;
}

void tst_RecordCommands::untouchedValuesAreWrittenBackUnchanged() {
    QFETCH(QString, column);
    QFETCH(QVariant, stored);
    QFETCH(QString, quoted);
    QVariantMap row = order(u"Kept"_s, QDate(2026, 1, 5));
    row.insert(column, stored);
    load({row});

    type(form()->txtNotes, u"Only the notes change"_s);
    click(form()->cmdUpdate);

    QVERIFY(services().messages.isEmpty());
    const auto rows = fileRows(u"SELECT quote(%1) AS value, notes FROM pvx"_s.arg(column));
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0][u"notes"_s].toString(), u"Only the notes change"_s);
    QCOMPARE(rows[0][u"value"_s].toString(), quoted);
}

void tst_RecordCommands::quickClickOnASaveButtonShowsOneMessage_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("adding");
    QTest::addColumn<QString>("message");
    QTest::newRow("due date, Update") << u"dcDateExpect"_s << false
                                      << u"You must enter a valid due date, or leave the field "
                                         u"blank."_s;
    QTest::newRow("amount, Update") << u"txtAmount"_s << false
                                    << u"You must enter a valid number for the dollar amount or "
                                       u"leave the field blank"_s;
    QTest::newRow("order date, Update")
        << u"dcDateOrder"_s << false << u"Please enter an order date."_s;
    QTest::newRow("received date, Add Another")
        << u"dcDateReceive"_s << true
        << u"You must enter a valid received date, or leave the field blank."_s;
}

void tst_RecordCommands::quickClickOnASaveButtonShowsOneMessage() {
    QFETCH(QString, box);
    QFETCH(bool, adding);
    QFETCH(QString, message);
    load(threeOrders());
    if (adding) {
        click(form()->cmdAddNew);
        type(form()->txtDescr, u"New one"_s);
    }
    type(form()->findChild<QWidget*>(box), u"not a value"_s);
    // A real message box runs its own event loop, in which whatever is queued runs.
    services().onMessage = [](const FakeServices::Message&) { settle(); };

    // Press and release arrive together, before anything the press set off has run.
    QPushButton* button = adding ? form()->cmdAddNew : form()->cmdUpdate;
    QTest::mousePress(button, Qt::LeftButton);
    QTest::mouseRelease(button, Qt::LeftButton);
    settle();

    QCOMPARE(services().messages.size(), 1);
    QCOMPARE(services().messages.first().text, message);
}

void tst_RecordCommands::editThenUpdateRewritesTheSameRow() {
    load(threeOrders());
    click(form()->cmdNext);
    QCOMPARE(form()->txtDescr->text(), u"Beta"_s);
    const int key = state().gOrders->value(u"zelid"_s).toInt();

    type(form()->txtDescr, u"Beta revised"_s);
    QVERIFY(form()->mDirty);
    QVERIFY(!form()->cmdAddNew->isVisible());
    type(form()->dcDateOrder, u"1/1/1990"_s);
    type(form()->txtAmount, u"-12.5"_s);
    type(form()->txtPhone, QString());
    click(form()->cmdUpdate);

    QVERIFY(services().messages.isEmpty());
    QVERIFY(!form()->mDirty);
    QVERIFY(form()->cmdAddNew->isVisible());
    QCOMPARE(form()->txtDescr->text(), u"Beta revised"_s);
    QCOMPARE(form()->dcDateOrder->text(), u"1/1/1990"_s);
    QCOMPARE(state().gOrders->value(u"zelid"_s).toInt(), key);
    QCOMPARE(rowCount(), 3);

    const auto rows =
        fileRows(u"SELECT zelid, descr, dateorder, amount, phone FROM pvx ORDER BY zelid"_s);
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[0][u"zelid"_s].toInt(), key);
    QCOMPARE(rows[0][u"descr"_s].toString(), u"Beta revised"_s);
    QCOMPARE(rows[0][u"dateorder"_s].toString(), u"1990-01-01"_s);
    QCOMPARE(rows[0][u"amount"_s].toDouble(), -12.5);
    QCOMPARE(rows[0][u"phone"_s].toString(), QString(u""_s));
    QCOMPARE(rows[1][u"descr"_s].toString(), u"Gamma"_s);
    QCOMPARE(rows[2][u"descr"_s].toString(), u"Alpha"_s);
}

void tst_RecordCommands::cancelShowsTheStoredValuesAgain() {
    load(threeOrders());
    click(form()->cmdLast);
    type(form()->txtDescr, u"Changed"_s);
    choose(form()->cmbType, 2);
    click(form()->cmdCancel);

    QCOMPARE(form()->txtDescr->text(), u"Gamma"_s);
    QCOMPARE(form()->cmbType->currentIndex(), 0);
    QCOMPARE(form()->lblDateOrder->text(), u"Date Ordered"_s);
    QVERIFY(!form()->mDirty);
    QVERIFY(form()->cmdAddNew->isVisible());
    QVERIFY(form()->cmdNext->isVisible());
    const auto rows = fileRows(u"SELECT descr FROM pvx ORDER BY descr"_s);
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[2][u"descr"_s].toString(), u"Gamma"_s);
}

void tst_RecordCommands::amountThatIsNoNumberIsWrittenAsNull() {
    QVariantMap priced = order(u"Priced"_s, QDate(2024, 1, 1));
    priced[u"amount"_s] = 99.5;
    load({priced});
    // The amount box never lets such text be left; the writer still must not guess at it.
    state().gOrders->edit();
    form()->txtAmount->setText(u"twelve"_s);
    form()->WriteRecord();

    QVERIFY(services().messages.isEmpty());
    QVERIFY(!state().gOrders->isEditing());
    const auto rows = fileRows(u"SELECT typeof(amount) AS kind FROM pvx"_s);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0][u"kind"_s].toString(), u"null"_s);
}

void tst_RecordCommands::accessKeyUpdateStillChecksTheBoxLeftOpen_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::newRow("due date") << u"dcDateExpect"_s << u"4/31/2026"_s
                              << u"You must enter a valid due date, or leave the field blank."_s;
    QTest::newRow("received date")
        << u"dcDateReceive"_s << u"2/30/2026"_s
        << u"You must enter a valid received date, or leave the field blank."_s;
    QTest::newRow("amount") << u"txtAmount"_s << u"12,5"_s
                            << u"You must enter a valid number for the dollar amount or leave the "
                               u"field blank"_s;
}

// Alt+U presses Update without taking the focus from the box being typed in, so the box's
// own check on leaving never runs; the mistyped value must not be saved as Null.
void tst_RecordCommands::accessKeyUpdateStillChecksTheBoxLeftOpen() {
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QVariantMap record = order(u"Camera"_s, QDate(2026, 1, 5));
    record[u"dateexpect"_s] = QDate(2026, 2, 1);
    record[u"status"_s] = 1;
    record[u"datereceive"_s] = QDate(2026, 1, 20);
    record[u"amount"_s] = 10.0;
    load({record});
    auto* control = form()->findChild<QWidget*>(box);
    type(control, typed);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_U, Qt::AltModifier);
    // An access key shows the button pressed for a moment before it clicks.
    QTRY_VERIFY(!services().messages.isEmpty());
    settle();

    QCOMPARE(services().messages.size(), 1);
    QCOMPARE(services().messages[0].text, message);
    QCOMPARE(QApplication::focusWidget()->objectName().isEmpty()
                 ? QApplication::focusWidget()->parentWidget()->objectName()
                 : QApplication::focusWidget()->objectName(),
             box);
    QVERIFY(form()->cmdUpdate->isVisible());
    const auto rows = fileRows(u"SELECT dateexpect, datereceive, amount FROM pvx"_s);
    QCOMPARE(rows[0][u"dateexpect"_s].toString(), u"2026-02-01"_s);
    QCOMPARE(rows[0][u"datereceive"_s].toString(), u"2026-01-20"_s);
    QCOMPARE(rows[0][u"amount"_s].toDouble(), 10.0);
}

void tst_RecordCommands::addingToAnEmptyTable() {
    load({});
    QVERIFY(!form()->txtDescr->isEnabled());
    QVERIFY(!form()->cmdSelVend->isEnabled());

    click(form()->cmdAddNew);
    const QList<QWidget*> controls = {form()->txtDescr, form()->dcDateOrder, form()->txtAmount,
                                      form()->txtNotes, form()->cmdSelVend};
    for (QWidget* control : controls)
        QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
    QCOMPARE(QApplication::focusWidget(), form()->txtDescr);
    QCOMPARE(form()->dcDateOrder->text(), u"12/7/2026"_s);

    type(form()->txtDescr, u"Never saved"_s);
    click(form()->cmdCancel);
    QVERIFY(!form()->txtDescr->isEnabled());
    QVERIFY(!form()->cmdSelVend->isEnabled());
    QVERIFY(form()->txtDescr->text().isEmpty());
    QVERIFY(form()->dcDateOrder->text().isEmpty());
    QCOMPARE(form()->cmdAddNew->text(), u"&Add New"_s);
    QVERIFY(form()->cmdAddNew->isVisible());
    QVERIFY(!form()->mAdding);
    QCOMPARE(rowCount(), 0);

    // And the first record of a new file: saved, shown, the controls stay enabled.
    click(form()->cmdAddNew);
    type(form()->txtDescr, u"First ever"_s);
    click(form()->cmdUpdate);
    QVERIFY(services().messages.isEmpty());
    QCOMPARE(form()->txtDescr->text(), u"First ever"_s);
    QVERIFY(form()->txtDescr->isEnabled());
    QCOMPARE(rowCount(), 1);
}

void tst_RecordCommands::deleteRecord_data() {
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("position"); // in the form's order: Alpha, Beta, Gamma
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("shown"); // empty: the empty, disabled form
    QTest::addColumn<QStringList>("left");

    QTest::newRow("first") << 3 << 0 << true << u"Beta"_s << QStringList{u"Beta"_s, u"Gamma"_s};
    QTest::newRow("middle") << 3 << 1 << true << u"Gamma"_s << QStringList{u"Alpha"_s, u"Gamma"_s};
    QTest::newRow("last") << 3 << 2 << true << u"Beta"_s << QStringList{u"Alpha"_s, u"Beta"_s};
    QTest::newRow("only") << 1 << 0 << true << QString() << QStringList{};
    QTest::newRow("answered no") << 3 << 1 << false << u"Beta"_s
                                 << QStringList{u"Alpha"_s, u"Beta"_s, u"Gamma"_s};
}

void tst_RecordCommands::deleteRecord() {
    QFETCH(int, records);
    QFETCH(int, position);
    QFETCH(bool, yes);
    QFETCH(QString, shown);
    QFETCH(QStringList, left);
    load(threeOrders().mid(3 - records));
    for (int i = 0; i < position; ++i)
        click(form()->cmdNext);
    services().answers = {yes ? MsgAnswer::Yes : MsgAnswer::No};

    click(form()->cmdDelete);

    QCOMPARE(services().messages.size(), 1);
    QCOMPARE(services().messages[0].text, DeleteQuestion);
    QCOMPARE(services().messages[0].title, u"Delete Record"_s);
    QCOMPARE(services().messages[0].buttons, MsgButtons::YesNo);
    QCOMPARE(form()->txtDescr->text(), shown);
    QCOMPARE(form()->txtDescr->isEnabled(), !shown.isEmpty());
    QCOMPARE(form()->cmdSelVend->isEnabled(), !shown.isEmpty());
    QVERIFY(form()->cmdDelete->isVisible());
    QVERIFY(!form()->mDirty);
    if (shown.isEmpty())
        QVERIFY(form()->dcDateOrder->text().isEmpty());

    QStringList stored;
    for (const QVariantMap& row : fileRows(u"SELECT descr FROM pvx ORDER BY descr"_s))
        stored << row[u"descr"_s].toString();
    QCOMPARE(stored, left);
}

void tst_RecordCommands::lockedRecordOnUpdate_data() {
    QTest::addColumn<bool>("adding");
    QTest::addColumn<int>("failures");
    QTest::addColumn<QList<MsgAnswer>>("answers");
    QTest::addColumn<int>("questions");
    QTest::addColumn<bool>("saved");

    for (bool adding : {false, true}) {
        const char* kind = adding ? "adding: " : "editing: ";
        QTest::addRow("%s99 failures, silent", kind)
            << adding << 99 << QList<MsgAnswer>{} << 0 << true;
        QTest::addRow("%s100 failures, yes", kind)
            << adding << 100 << QList<MsgAnswer>{MsgAnswer::Yes} << 1 << true;
        QTest::addRow("%s198 failures, yes once", kind)
            << adding << 198 << QList<MsgAnswer>{MsgAnswer::Yes} << 1 << true;
        QTest::addRow("%s199 failures, yes twice", kind)
            << adding << 199 << QList<MsgAnswer>{MsgAnswer::Yes, MsgAnswer::Yes} << 2 << true;
        QTest::addRow("%s100 failures, no", kind)
            << adding << 100 << QList<MsgAnswer>{MsgAnswer::No} << 1 << false;
    }
}

void tst_RecordCommands::lockedRecordOnUpdate() {
    QFETCH(bool, adding);
    QFETCH(int, failures);
    QFETCH(QList<MsgAnswer>, answers);
    QFETCH(int, questions);
    QFETCH(bool, saved);
    load(threeOrders());
    if (adding)
        click(form()->cmdAddNew);
    type(form()->txtDescr, u"Written at last"_s);
    services().answers.assign(answers.begin(), answers.end());
    DatabaseFaults::failNextWrites(*state().gDatabase, failures, ErrorNumber::RecordLocked);

    click(form()->cmdUpdate);

    QCOMPARE(services().messages.size(), questions);
    for (const FakeServices::Message& shown : std::as_const(services().messages)) {
        QCOMPARE(shown.text, LockedQuestion);
        QCOMPARE(shown.title, u"Locked Record"_s);
        QCOMPARE(shown.buttons, MsgButtons::YesNo);
    }
    QCOMPARE(services().ended, !saved);
    if (!saved) {
        // Nothing half done: the program closed the file as it ended, and the form still
        // holds what the user typed, in the mode it was in.
        QVERIFY(!state().gDatabase->isOpen());
        QCOMPARE(form()->mAdding, adding);
        QVERIFY(form()->cmdUpdate->isVisible());
        QCOMPARE(form()->txtDescr->text(), u"Written at last"_s);
    } else {
        QVERIFY(!form()->cmdUpdate->isVisible());
        QCOMPARE(form()->txtDescr->text(), u"Written at last"_s);
    }
    QStringList stored;
    for (const QVariantMap& row : fileRows(u"SELECT descr FROM pvx ORDER BY descr"_s))
        stored << row[u"descr"_s].toString();
    QStringList expected = {u"Beta"_s, u"Gamma"_s};
    if (adding || !saved)
        expected.prepend(u"Alpha"_s);
    if (saved)
        expected.append(u"Written at last"_s);
    QCOMPARE(stored, expected);
}

void tst_RecordCommands::lockedRecordOnDeleteAnsweredNo() {
    load(threeOrders());
    services().answers = {MsgAnswer::Yes, MsgAnswer::No};
    DatabaseFaults::failNextWrites(*state().gDatabase, 100, ErrorNumber::RecordLocked);

    click(form()->cmdDelete);

    QCOMPARE(services().messages.size(), 2);
    QCOMPARE(services().messages[1].text, LockedQuestion);
    QVERIFY(services().ended);
    QCOMPARE(fileRows(u"SELECT descr FROM pvx"_s).size(), 3);
}

void tst_RecordCommands::otherWriteErrorEndsTheProgramWithNothingSaved_data() {
    QTest::addColumn<bool>("adding");
    QTest::addColumn<bool>("another");
    QTest::newRow("update of a new record") << true << false;
    QTest::newRow("add another") << true << true;
    QTest::newRow("update of a shown record") << false << false;
}

void tst_RecordCommands::otherWriteErrorEndsTheProgramWithNothingSaved() {
    QFETCH(bool, adding);
    QFETCH(bool, another);
    load(threeOrders());
    if (adding)
        click(form()->cmdAddNew);
    type(form()->txtDescr, u"Half written?"_s);
    type(form()->txtAmount, u"15"_s);
    DatabaseFaults::failNextWrites(*state().gDatabase, 1, ErrorNumber::DiskFull);

    click(another ? form()->cmdAddNew : form()->cmdUpdate);

    QCOMPARE(services().messages.size(), 1);
    QCOMPARE(services().messages[0].text, u"61  Disk full"_s);
    QCOMPARE(services().messages[0].title, u"Purvex"_s);
    QVERIFY(services().ended);
    QVERIFY(state().programEnded);
    QVERIFY(!state().gDatabase->isOpen());
    QCOMPARE(form()->mAdding, adding);
    QCOMPARE(form()->txtDescr->text(), u"Half written?"_s);
    QCOMPARE(form()->txtAmount->text(), u"$15.00"_s);

    const auto rows = fileRows(u"SELECT descr, typeof(amount) AS kind FROM pvx ORDER BY descr"_s);
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[0][u"descr"_s].toString(), u"Alpha"_s);
    for (const QVariantMap& row : rows)
        QCOMPARE(row[u"kind"_s].toString(), u"null"_s);
}

QTEST_MAIN(tst_RecordCommands)
#include "tst_RecordCommands.moc"

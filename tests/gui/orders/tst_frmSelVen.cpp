#include "gui/orders/frmMain.h"
#include "gui/orders/frmSelVen.h"

#include "core/AppState.h"
#include "engine/Database.h"
#include "gui/support/MainFormFixture.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString NoVendorsText =
    u"You have not yet entered any vendor names for other order records."_s;
const QString NoSelectionText = u"You must select a vendor from the list or click Cancel."_s;
const QString OverwriteText = u"Are you sure you wish to overwrite the current vendor information "
                              u"with the vendor you have selected from the list?"_s;

QVariantMap withVendor(const QString& descr, const QVariant& vendor) {
    return {{u"descr"_s, descr}, {u"Type"_s, 0}, {u"status"_s, 0}, {u"vendor"_s, vendor}};
}

QVariantMap contact(const QString& descr, const QString& vendor, const QVariant& address,
                    const QVariant& phone, const QVariant& fax, const QVariant& email,
                    const QDate& dateOrder) {
    return {{u"descr"_s, descr},   {u"Type"_s, 0},          {u"status"_s, 0},
            {u"vendor"_s, vendor}, {u"address"_s, address}, {u"phone"_s, phone},
            {u"fax"_s, fax},       {u"email"_s, email},     {u"dateorder"_s, dateOrder}};
}

} // namespace

class tst_frmSelVen : public QObject, public MainFormFixture {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void listsEachNameByTheRule_data();
    void listsEachNameByTheRule();
    void itemDataIsTheKeyOfARecordWithThatName();
    void emptyTableSaysNoVendors();
    void okWithoutSelectionAsksForOne();
    void cancelClosesAndSetsCancel();
    void copiesWithoutAskingWhenVendorAndAddressAreEmpty();
    void asksBeforeOverwriting_data();
    void asksBeforeOverwriting();
    void deletedRecordCopiesNothing();
    void isModelessAndOneAtATime();

private:
    void start(const QList<QVariantMap>& rows);
    // Opens the vendor list through the main form's button.
    frmSelVen* openList();
    void select(frmSelVen* dialog, const QString& name);
    QStringList listed(const frmSelVen* dialog) const;
    void checkEditMode() const;
    void checkBrowseMode() const;
};

void tst_frmSelVen::init() {
    initFixture();
}

void tst_frmSelVen::cleanup() {
    cleanupFixture();
}

void tst_frmSelVen::start(const QList<QVariantMap>& rows) {
    load(rows);
    QVERIFY(services().messages.isEmpty());
}

frmSelVen* tst_frmSelVen::openList() {
    QTest::mouseClick(form()->cmdSelVend, Qt::LeftButton);
    const QList<frmSelVen*> open = form()->findChildren<frmSelVen*>();
    return open.size() == 1 && open.at(0)->isVisible() ? open.at(0) : nullptr;
}

void tst_frmSelVen::select(frmSelVen* dialog, const QString& name) {
    const QList<QListWidgetItem*> items = dialog->List1->findItems(name, Qt::MatchExactly);
    QCOMPARE(items.size(), 1);
    const QRect where = dialog->List1->visualItemRect(items.at(0));
    QTest::mouseClick(dialog->List1->viewport(), Qt::LeftButton, {}, where.center());
    QCOMPARE(dialog->List1->selectedItems(), items);
}

QStringList tst_frmSelVen::listed(const frmSelVen* dialog) const {
    QStringList names;
    for (int i = 0; i < dialog->List1->count(); ++i)
        names << dialog->List1->item(i)->text();
    return names;
}

void tst_frmSelVen::checkEditMode() const {
    for (QPushButton* b : {form()->cmdFirst, form()->cmdPrevious, form()->cmdNext, form()->cmdLast,
                           form()->cmdFind, form()->cmdDelete, form()->cmdAddNew})
        QVERIFY2(!b->isVisible(), qPrintable(b->objectName()));
    QVERIFY(form()->cmdUpdate->isVisible());
    QVERIFY(form()->cmdCancel->isVisible());
    QVERIFY(form()->mDirty);
    QVERIFY(!form()->mnuSort[0]->isEnabled());
}

void tst_frmSelVen::checkBrowseMode() const {
    for (QPushButton* b : {form()->cmdFirst, form()->cmdPrevious, form()->cmdNext, form()->cmdLast,
                           form()->cmdFind, form()->cmdDelete, form()->cmdAddNew})
        QVERIFY2(b->isVisible(), qPrintable(b->objectName()));
    QVERIFY(!form()->cmdUpdate->isVisible());
    QVERIFY(!form()->cmdCancel->isVisible());
    QVERIFY(!form()->mDirty);
}

void tst_frmSelVen::listsEachNameByTheRule_data() {
    QTest::addColumn<QVariantList>("vendors");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("three alike, one blank, one of spaces")
        << QVariantList{u"Acme"_s, u""_s, u"Acme"_s, u"   "_s, u"Acme"_s} << QStringList{u"Acme"_s};
    QTest::newRow("Null is blank")
        << QVariantList{QVariant(), u"Bolt"_s, QVariant()} << QStringList{u"Bolt"_s};
    QTest::newRow("in name order") << QVariantList{u"Zenith"_s, u"Acme"_s, u"Mercury"_s, u"Acme"_s}
                                   << QStringList{u"Acme"_s, u"Mercury"_s, u"Zenith"_s};
    QTest::newRow("case differs") << QVariantList{u"acme"_s, u"Bolt"_s, u"ACME"_s}
                                  << QStringList{u"ACME"_s, u"acme"_s, u"Bolt"_s};
    // Case variants stored in turn: each spelling once, alike ones side by side.
    QTest::newRow("case variants interleaved")
        << QVariantList{u"Acme"_s, u"ACME"_s, u"Acme"_s, u"acme"_s, u"Bolt"_s}
        << QStringList{u"ACME"_s, u"Acme"_s, u"acme"_s, u"Bolt"_s};
    QTest::newRow("spaces differ") << QVariantList{u"Acme"_s, u"Acme "_s, u" Acme"_s}
                                   << QStringList{u" Acme"_s, u"Acme"_s, u"Acme "_s};
    QTest::newRow("stored as typed, blanks inside") << QVariantList{u"Big  Store"_s, u"Big Store"_s}
                                                    << QStringList{u"Big  Store"_s, u"Big Store"_s};
    QTest::newRow("only blanks") << QVariantList{u""_s, QVariant(), u" \t "_s} << QStringList{};
}

void tst_frmSelVen::listsEachNameByTheRule() {
    QFETCH(QVariantList, vendors);
    QFETCH(QStringList, expected);
    QList<QVariantMap> rows;
    for (int i = 0; i < vendors.size(); ++i)
        rows << withVendor(u"Order %1"_s.arg(i), vendors.at(i));
    start(rows);

    frmSelVen* dialog = openList();
    QVERIFY(dialog);
    if (expected.isEmpty()) {
        QCOMPARE(services().messages.size(), 1);
        QCOMPARE(services().messages.at(0).text, NoVendorsText);
    } else {
        QVERIFY(services().messages.isEmpty());
    }
    // Without regard to case first, then exactly.
    QCOMPARE(listed(dialog), expected);
}

void tst_frmSelVen::itemDataIsTheKeyOfARecordWithThatName() {
    start({withVendor(u"A"_s, u"Mercury"_s), withVendor(u"B"_s, u"Acme"_s),
           withVendor(u"C"_s, u"Zenith"_s), withVendor(u"D"_s, u"Acme"_s)});
    frmSelVen* dialog = openList();
    QVERIFY(dialog);
    QCOMPARE(dialog->List1->count(), 3);
    for (int i = 0; i < dialog->List1->count(); ++i) {
        const QListWidgetItem* item = dialog->List1->item(i);
        const QVariant vendor = state().gDatabase->scalar(
            u"SELECT vendor FROM pvx WHERE zelid = ?"_s, {item->data(Qt::UserRole)});
        QCOMPARE(vendor.toString(), item->text());
    }
}

void tst_frmSelVen::emptyTableSaysNoVendors() {
    start({});
    // Reachable while the first record is being added.
    QTest::mouseClick(form()->cmdAddNew, Qt::LeftButton);
    QVERIFY(form()->cmdSelVend->isEnabled());
    frmSelVen* dialog = openList();
    QVERIFY(dialog);
    QCOMPARE(services().messages.size(), 1);
    QCOMPARE(services().messages.at(0).text, NoVendorsText);
    QCOMPARE(services().messages.at(0).title, u"No Vendors"_s);
    QCOMPARE(services().messages.at(0).buttons, MsgButtons::Ok);
    QCOMPARE(dialog->List1->count(), 0);

    QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
    QCOMPARE(services().messages.size(), 2);
    QCOMPARE(services().messages.at(1).text, NoSelectionText);
    QCOMPARE(services().messages.at(1).title, u"No Vendor Selected"_s);
    QVERIFY(dialog->isVisible());

    QPointer<frmSelVen> guard = dialog;
    QTest::mouseClick(dialog->cmdCancel, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(guard.isNull());
    QCOMPARE(services().messages.size(), 2);
}

void tst_frmSelVen::okWithoutSelectionAsksForOne() {
    start({withVendor(u"A"_s, u"Acme"_s)});
    frmSelVen* dialog = openList();
    QVERIFY(dialog);
    QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
    QCOMPARE(services().messages.size(), 1);
    QCOMPARE(services().messages.at(0).text, NoSelectionText);
    QVERIFY(dialog->isVisible());
    checkBrowseMode();
}

void tst_frmSelVen::cancelClosesAndSetsCancel() {
    start({withVendor(u"A"_s, u"Acme"_s)});
    frmSelVen* dialog = openList();
    QVERIFY(dialog);
    select(dialog, u"Acme"_s);
    state().gCancel = false;
    QPointer<frmSelVen> guard = dialog;
    QTest::mouseClick(dialog->cmdCancel, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(guard.isNull());
    QVERIFY(state().gCancel);
    QVERIFY(services().messages.isEmpty());
    checkBrowseMode();
    QCOMPARE(form()->txtVendor->text(), u"Acme"_s);
}

void tst_frmSelVen::copiesWithoutAskingWhenVendorAndAddressAreEmpty() {
    // The record on show (latest date) has no vendor or address but a phone, fax and
    // e-mail, which the copy overwrites; Null fields of the source come over as empty.
    start({contact(u"Shown"_s, u""_s, u""_s, u"111"_s, u"222"_s, u"old@example.com"_s,
                   QDate(2020, 1, 2)),
           contact(u"Source"_s, u"Acme"_s, u"1 Main St\nSpringfield"_s, u"555-0100"_s, QVariant(),
                   u"sales@acme.example"_s, QDate(2020, 1, 1))});
    QCOMPARE(form()->txtDescr->text(), u"Shown"_s);
    checkBrowseMode();

    frmSelVen* dialog = openList();
    QVERIFY(dialog);
    QPointer<frmSelVen> guard = dialog;
    select(dialog, u"Acme"_s);
    QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
    QVERIFY(services().messages.isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(guard.isNull());

    QCOMPARE(form()->txtVendor->text(), u"Acme"_s);
    QCOMPARE(form()->txtAddress->toPlainText(), u"1 Main St\nSpringfield"_s);
    QCOMPARE(form()->txtPhone->text(), u"555-0100"_s);
    QCOMPARE(form()->txtFax->text(), QString());
    QCOMPARE(form()->txtEmail->text(), u"sales@acme.example"_s);
    QCOMPARE(form()->txtDescr->text(), u"Shown"_s);
    checkEditMode();
    // Nothing is saved until Update.
    QCOMPARE(state().gDatabase->scalar(u"SELECT phone FROM pvx WHERE descr = 'Shown'"_s).toString(),
             u"111"_s);
}

void tst_frmSelVen::asksBeforeOverwriting_data() {
    QTest::addColumn<QString>("vendor");
    QTest::addColumn<QString>("address");
    QTest::newRow("vendor") << u"Old vendor"_s << QString();
    QTest::newRow("address") << QString() << u"Old address"_s;
    QTest::newRow("both") << u"Old vendor"_s << u"Old address"_s;
    // Only an empty box counts as empty.
    QTest::newRow("vendor of spaces") << u"  "_s << QString();
}

void tst_frmSelVen::asksBeforeOverwriting() {
    QFETCH(QString, vendor);
    QFETCH(QString, address);
    start({contact(u"Shown"_s, vendor, address, u"111"_s, u"222"_s, u"old@example.com"_s,
                   QDate(2020, 1, 2)),
           contact(u"Source"_s, u"Acme"_s, u"1 Main St"_s, u"555-0100"_s, u"555-0101"_s,
                   u"sales@acme.example"_s, QDate(2020, 1, 1))});
    frmSelVen* dialog = openList();
    QVERIFY(dialog);
    select(dialog, u"Acme"_s);

    services().answers = {MsgAnswer::No};
    QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
    QCOMPARE(services().messages.size(), 1);
    QCOMPARE(services().messages.at(0).text, OverwriteText);
    QCOMPARE(services().messages.at(0).title, u"Overwrite Vendor Information"_s);
    QCOMPARE(services().messages.at(0).buttons, MsgButtons::YesNo);
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->List1->selectedItems().size(), 1);
    QCOMPARE(dialog->List1->selectedItems().at(0)->text(), u"Acme"_s);
    QCOMPARE(form()->txtVendor->text(), vendor);
    QCOMPARE(form()->txtAddress->toPlainText(), address);
    QCOMPARE(form()->txtPhone->text(), u"111"_s);
    checkBrowseMode();

    services().answers = {MsgAnswer::Yes};
    QPointer<frmSelVen> guard = dialog;
    QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
    QCOMPARE(services().messages.size(), 2);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(guard.isNull());
    QCOMPARE(form()->txtVendor->text(), u"Acme"_s);
    QCOMPARE(form()->txtAddress->toPlainText(), u"1 Main St"_s);
    QCOMPARE(form()->txtPhone->text(), u"555-0100"_s);
    QCOMPARE(form()->txtFax->text(), u"555-0101"_s);
    QCOMPARE(form()->txtEmail->text(), u"sales@acme.example"_s);
    checkEditMode();
}

void tst_frmSelVen::deletedRecordCopiesNothing() {
    start(
        {contact(u"Shown"_s, u""_s, u""_s, u""_s, u""_s, u""_s, QDate(2020, 1, 2)),
         contact(u"Source"_s, u"Acme"_s, u"1 Main St"_s, u""_s, u""_s, u""_s, QDate(2020, 1, 1))});
    frmSelVen* dialog = openList();
    QVERIFY(dialog);
    select(dialog, u"Acme"_s);
    state().gDatabase->execute(u"DELETE FROM pvx WHERE descr = 'Source'"_s);
    QPointer<frmSelVen> guard = dialog;
    QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(guard.isNull());
    QVERIFY(services().messages.isEmpty());
    QVERIFY(form()->txtVendor->text().isEmpty());
    checkBrowseMode();
}

void tst_frmSelVen::isModelessAndOneAtATime() {
    start({withVendor(u"A"_s, u"Acme"_s), withVendor(u"B"_s, u"Bolt"_s)});
    frmSelVen* dialog = openList();
    QVERIFY(dialog);
    QVERIFY(!dialog->isModal());
    QVERIFY(!QApplication::activeModalWidget());
    // The main form stays usable: typing in it while the list is open enters edit mode.
    form()->txtDescr->setFocus();
    QTest::keyClicks(form()->txtDescr, u"x"_s);
    checkEditMode();

    select(dialog, u"Bolt"_s);
    // A second click brings the open list forward instead of opening another one.
    QCOMPARE(openList(), dialog);
    QCOMPARE(dialog->List1->selectedItems().at(0)->text(), u"Bolt"_s);
}

QTEST_MAIN(tst_frmSelVen)
#include "tst_frmSelVen.moc"

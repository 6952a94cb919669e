#include "gui/orders/frmFind.h"
#include "gui/orders/frmMain.h"

#include "core/AppState.h"
#include "engine/Database.h"
#include "engine/Recordset.h"
#include "gui/support/MainFormFixture.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

QVariantMap order(const QString& descr, const QVariant& dateOrder = {},
                  const QString& vendor = {}) {
    QVariantMap row{{u"descr"_s, descr}, {u"Type"_s, 0}, {u"status"_s, 0}};
    if (dateOrder.isValid())
        row.insert(u"dateorder"_s, dateOrder);
    if (!vendor.isNull())
        row.insert(u"vendor"_s, vendor);
    return row;
}

// QTest::keyClicks sends Latin-1 only; letters beyond it are typed as their text.
void typeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(widget, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

enum class Button { Ok, Cancel, EnterKey };

// What the user does in the find dialog: pick an option (0 leaves it), type, press a button.
struct FindInput {
    int option = 0;
    QString text;
    Button button = Button::Ok;
};

// What the dialog showed when it opened, and how the user's action left it.
struct FindSeen {
    int option = 0;
    QString label;
    QString text;
    QPointer<QDialog> dialog;
    bool stayedOpen = false;
};

} // namespace

class tst_frmFind : public QObject, public MainFormFixture {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void preselectsTheCurrentSortOrder_data();
    void preselectsTheCurrentSortOrder();
    void optionClickSetsTheLabel();
    void okHidesAndTheNextFindKeepsTheChoice();
    void cancelDestroysAndTheNextFindLoadsAfresh();
    void blankTextIsRefused_data();
    void blankTextIsRefused();
    void invalidDateIsRefused_data();
    void invalidDateIsRefused();
    void enterPressesOk();
    void prefixIgnoresCase_data();
    void prefixIgnoresCase();
    void dateTypedInTheLocaleFindsThatDay_data();
    void dateTypedInTheLocaleFindsThatDay();
    void dateWithATimeOfDayIsNotMatched();
    void cancelChangesNothing();
    void failedSearchReSortsAndShowsThePreviousRecord();
    void failedSearchShowsTheFirstWhenThePreviousIsGone();
    void failedSearchOnAnEmptyTableKeepsTheFormEmpty();
    void typedCharactersMatchThemselves_data();
    void typedCharactersMatchThemselves();
    void nextPagesOnInTheNewOrder();

private:
    void start(const QList<QVariantMap>& rows);
    // Runs Find with the user's input and returns what the dialog showed.
    FindSeen find(const FindInput& input);
    void checkSortOrder(int order) const;
    // The description of the record gOrders is on, which must be the one on show.
    QString currentDescr() const;
    int keyOf(const QString& descr) const;
};

void tst_frmFind::init() {
    initFixture();
}

void tst_frmFind::cleanup() {
    cleanupFixture();
}

void tst_frmFind::start(const QList<QVariantMap>& rows) {
    load(rows);
    QVERIFY(services().messages.isEmpty());
}

FindSeen tst_frmFind::find(const FindInput& input) {
    FindSeen seen;
    services().onModal = [&](QDialog& dialog) {
        auto& dlg = static_cast<frmFind&>(dialog);
        seen.dialog = &dialog;
        seen.option = dlg.selectedOption();
        seen.label = dlg.lblName->text();
        seen.text = dlg.txtName->text();
        dialog.show();
        if (input.option > 0)
            QTest::mouseClick(dlg.optBy[input.option - 1], Qt::LeftButton);
        dlg.txtName->setFocus();
        typeText(dlg.txtName, input.text);
        switch (input.button) {
        case Button::Ok:
            QTest::mouseClick(dlg.cmdOK, Qt::LeftButton);
            break;
        case Button::Cancel:
            QTest::mouseClick(dlg.cmdCancel, Qt::LeftButton);
            break;
        case Button::EnterKey:
            QTest::keyClick(dlg.txtName, Qt::Key_Return);
            break;
        }
        seen.stayedOpen = dialog.isVisible();
        // A refused OK leaves the dialog open; the user gives up.
        if (seen.stayedOpen)
            QTest::mouseClick(dlg.cmdCancel, Qt::LeftButton);
    };
    QTest::mouseClick(form()->cmdFind, Qt::LeftButton);
    services().onModal = nullptr;
    return seen;
}

void tst_frmFind::checkSortOrder(int order) const {
    QCOMPARE(state().gSortOrder, order);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(form()->mnuSort[i]->isChecked(), i + 1 == order);
}

QString tst_frmFind::currentDescr() const {
    return state().gOrders->value(u"descr"_s).toString();
}

int tst_frmFind::keyOf(const QString& descr) const {
    return state().gDatabase->scalar(u"SELECT zelid FROM pvx WHERE descr = ?"_s, {descr}).toInt();
}

void tst_frmFind::preselectsTheCurrentSortOrder_data() {
    QTest::addColumn<int>("sortOrder");
    QTest::addColumn<QString>("label");
    QTest::newRow("order date") << 1 << u"Enter Order Date"_s;
    QTest::newRow("description") << 2 << u"Enter Description"_s;
    QTest::newRow("vendor") << 3 << u"Enter Vendor"_s;
}

void tst_frmFind::preselectsTheCurrentSortOrder() {
    QFETCH(int, sortOrder);
    QFETCH(QString, label);
    start({order(u"One"_s, QDate(2020, 1, 1), u"Acme"_s)});
    form()->mnuSort[sortOrder - 1]->trigger();
    QCOMPARE(state().gSortOrder, sortOrder);

    const FindSeen first = find({sortOrder % 3 + 1, u"x"_s, Button::Cancel});
    QCOMPARE(first.option, sortOrder);
    QCOMPARE(first.label, label);
    QVERIFY(first.text.isEmpty());

    // The other option chosen and then cancelled is forgotten.
    const FindSeen again = find({0, {}, Button::Cancel});
    QCOMPARE(again.option, sortOrder);
    QCOMPARE(again.label, label);
    QVERIFY(again.text.isEmpty());
    QCOMPARE(state().gSortOrder, sortOrder);
}

void tst_frmFind::optionClickSetsTheLabel() {
    start({order(u"One"_s)});
    frmFind dialog(state(), services(), form());
    dialog.show();
    const QStringList labels = {u"Enter Order Date"_s, u"Enter Description"_s, u"Enter Vendor"_s};
    for (int index : {3, 1, 2, 3}) {
        QTest::mouseClick(dialog.optBy[index - 1], Qt::LeftButton);
        QCOMPARE(dialog.selectedOption(), index);
        QCOMPARE(dialog.lblName->text(), labels.at(index - 1));
    }
}

void tst_frmFind::okHidesAndTheNextFindKeepsTheChoice() {
    start({order(u"Abacus"_s), order(u"Cab"_s)});
    const FindSeen first = find({2, u"cab"_s, Button::Ok});
    QVERIFY(!first.stayedOpen);
    QVERIFY(first.dialog);
    QVERIFY(!first.dialog->isVisible());
    QVERIFY(!state().gCancel);

    // Even when the sort order has changed since, a hidden dialog is not loaded again:
    // it keeps the option and label chosen last, with the text emptied.
    form()->mnuSort[0]->trigger();
    QCOMPARE(state().gSortOrder, 1);
    const FindSeen second = find({0, {}, Button::Cancel});
    QCOMPARE(second.dialog, first.dialog);
    QCOMPARE(second.option, 2);
    QCOMPARE(second.label, u"Enter Description"_s);
    QVERIFY(second.text.isEmpty());
}

void tst_frmFind::cancelDestroysAndTheNextFindLoadsAfresh() {
    start({order(u"One"_s)});
    const FindSeen cancelled = find({3, u"One"_s, Button::Cancel});
    QVERIFY(state().gCancel);
    QVERIFY(cancelled.dialog.isNull());

    const FindSeen next = find({0, {}, Button::Cancel});
    QCOMPARE(next.option, 1);
    QCOMPARE(next.label, u"Enter Order Date"_s);
    QVERIFY(next.text.isEmpty());
}

void tst_frmFind::blankTextIsRefused_data() {
    QTest::addColumn<int>("option");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("date, empty") << 1 << QString() << u"You must enter an order date to find"_s;
    QTest::newRow("date, spaces") << 1 << u"   "_s << u"You must enter an order date to find"_s;
    QTest::newRow("description, spaces")
        << 2 << u"  "_s << u"You must enter a description to find"_s;
    QTest::newRow("vendor, spaces") << 3 << u" "_s << u"You must enter a vendor name to find"_s;
}

void tst_frmFind::blankTextIsRefused() {
    QFETCH(int, option);
    QFETCH(QString, text);
    QFETCH(QString, message);
    start({order(u"One"_s, QDate(2020, 1, 1), u"Acme"_s), order(u"  Two"_s)});
    Recordset* before = state().gOrders.get();

    const FindSeen seen = find({option, text, Button::Ok});
    QVERIFY(seen.stayedOpen);
    QCOMPARE(services().messages.size(), 1);
    QCOMPARE(services().messages.at(0).text, message);
    QCOMPARE(services().messages.at(0).title, u"Purvex"_s);
    QCOMPARE(services().messages.at(0).buttons, MsgButtons::Ok);
    QVERIFY(state().gCancel);
    QCOMPARE(state().gOrders.get(), before);
    checkSortOrder(1);
}

void tst_frmFind::invalidDateIsRefused_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("words") << u"yesterday"_s;
    QTest::newRow("no such day") << u"2/30/1998"_s;
    QTest::newRow("day and month only") << u"5/30"_s;
}

void tst_frmFind::invalidDateIsRefused() {
    QFETCH(QString, text);
    start({order(u"One"_s, QDate(1998, 5, 30))});
    const FindSeen seen = find({1, text, Button::Ok});
    QVERIFY(seen.stayedOpen);
    QCOMPARE(services().messages.size(), 1);
    QCOMPARE(services().messages.at(0).text, u"You must enter a valid date to find"_s);
    QVERIFY(state().gCancel);
    checkSortOrder(1);
}

void tst_frmFind::enterPressesOk() {
    start({order(u"Alpha"_s, QDate(2020, 1, 2)), order(u"Beta"_s, QDate(2020, 1, 1))});
    QCOMPARE(form()->txtDescr->text(), u"Alpha"_s);
    const FindSeen seen = find({2, u"bet"_s, Button::EnterKey});
    QVERIFY(!seen.stayedOpen);
    QVERIFY(services().messages.isEmpty());
    QCOMPARE(form()->txtDescr->text(), u"Beta"_s);
}

void tst_frmFind::prefixIgnoresCase_data() {
    QTest::addColumn<int>("option");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    // The description and the vendor of each record say the same.
    QTest::newRow("ab finds Abacus, not Cab") << 2 << u"ab"_s << u"Abacus"_s;
    QTest::newRow("AB finds Abacus") << 2 << u"AB"_s << u"Abacus"_s;
    QTest::newRow("vendor ab") << 3 << u"ab"_s << u"Abacus"_s;
    QTest::newRow("é finds Éclair") << 2 << u"é"_s << u"Éclair"_s;
    QTest::newRow("É finds école") << 3 << u"ÉCO"_s << u"école"_s;
    QTest::newRow("жу finds ЖУК") << 3 << u"жу"_s << u"ЖУК"_s;
    QTest::newRow("ω finds Ωmega") << 2 << u"ω"_s << u"Ωmega"_s;
}

void tst_frmFind::prefixIgnoresCase() {
    QFETCH(int, option);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QList<QVariantMap> rows;
    for (const QString& name :
         {u"Cab"_s, u"Abacus"_s, u"Éclair"_s, u"école"_s, u"ЖУК"_s, u"Ωmega"_s, u"Zebra"_s})
        rows << order(name, QDate(2020, 1, 1), name);
    start(rows);

    find({option, text, Button::Ok});
    QVERIFY(services().messages.isEmpty());
    QCOMPARE(form()->txtDescr->text(), expected);
    QCOMPARE(currentDescr(), expected);
    checkSortOrder(option);
}

void tst_frmFind::dateTypedInTheLocaleFindsThatDay_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::newRow("en_US") << QLocale(u"en_US"_s) << u"5/30/1998"_s;
    QTest::newRow("en_GB") << QLocale(u"en_GB"_s) << u"30/05/1998"_s;
    QTest::newRow("de_DE") << QLocale(u"de_DE"_s) << u"30.05.1998"_s;
    QTest::newRow("de_DE two-digit year") << QLocale(u"de_DE"_s) << u"30.5.98"_s;
    QTest::newRow("fr_FR") << QLocale(u"fr_FR"_s) << u"30/05/1998"_s;
    QTest::newRow("ja_JP") << QLocale(u"ja_JP"_s) << u"1998/05/30"_s;
    QTest::newRow("sv_SE") << QLocale(u"sv_SE"_s) << u"1998-05-30"_s;
    QTest::newRow("hu_HU") << QLocale(u"hu_HU"_s) << u"1998. 05. 30."_s;
    QTest::newRow("blanks around") << QLocale(u"de_DE"_s) << u" 30.05.1998 "_s;
}

void tst_frmFind::dateTypedInTheLocaleFindsThatDay() {
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    services().userLocale = locale;
    // 5 June and 30 May would be confused by a day-month mix-up.
    start({order(u"Newest"_s, QDate(2001, 1, 1)), order(u"Fifth of June"_s, QDate(1998, 6, 5)),
           order(u"Target"_s, QDate(1998, 5, 30)), order(u"Earlier"_s, QDate(1998, 5, 29))});
    QCOMPARE(form()->txtDescr->text(), u"Newest"_s);

    find({1, text, Button::Ok});
    QVERIFY(services().messages.isEmpty());
    QCOMPARE(form()->txtDescr->text(), u"Target"_s);
    QCOMPARE(currentDescr(), u"Target"_s);
    checkSortOrder(1);
    // The date search's order is earliest first.
    state().gOrders->moveFirst();
    QCOMPARE(currentDescr(), u"Earlier"_s);
}

void tst_frmFind::dateWithATimeOfDayIsNotMatched() {
    start({order(u"Timed"_s, QDateTime(QDate(1998, 5, 30), QTime(14, 5))),
           order(u"Next day"_s, QDate(1998, 5, 31))});
    find({1, u"5/30/1998"_s, Button::Ok});
    QCOMPARE(services().messages.size(), 1);
    QCOMPARE(services().messages.at(0).text, u"That record was not found."_s);

    // A plain date on the same day is found although the timed one sorts beside it.
    state().gDatabase->execute(
        u"INSERT INTO pvx (descr, Type, status, dateorder) VALUES ('Plain', 0, 0, ?)"_s,
        {QDate(1998, 5, 30)});
    find({1, u"5/30/1998"_s, Button::Ok});
    QCOMPARE(services().messages.size(), 1);
    QCOMPARE(form()->txtDescr->text(), u"Plain"_s);
}

void tst_frmFind::cancelChangesNothing() {
    start({order(u"Alpha"_s, QDate(2020, 1, 3), u"Zed"_s),
           order(u"Bravo"_s, QDate(2020, 1, 1), u"Yak"_s),
           order(u"Charlie"_s, QDate(2020, 1, 2), u"Xu"_s)});
    // Leave a record on show that is neither first nor last of any order.
    find({2, u"br"_s, Button::Ok});
    QCOMPARE(form()->txtDescr->text(), u"Bravo"_s);
    Recordset* before = state().gOrders.get();

    for (int option : {1, 3}) {
        find({option, u"Charlie"_s, Button::Cancel});
        QVERIFY(state().gCancel);
        QVERIFY(services().messages.isEmpty());
        checkSortOrder(2);
        QCOMPARE(state().gOrders.get(), before);
        QCOMPARE(form()->txtDescr->text(), u"Bravo"_s);
        QCOMPARE(currentDescr(), u"Bravo"_s);
        QVERIFY(!form()->mDirty);
        QVERIFY(form()->cmdFind->isVisible());
    }
}

void tst_frmFind::failedSearchReSortsAndShowsThePreviousRecord() {
    start({order(u"Alpha"_s, QDate(2020, 1, 1), u"Mike"_s),
           order(u"Bravo"_s, QDate(2020, 1, 3), u"Oscar"_s),
           order(u"Charlie"_s, QDate(2020, 1, 2), u"Kilo"_s)});
    QCOMPARE(form()->txtDescr->text(), u"Bravo"_s);

    find({3, u"Zulu"_s, Button::Ok});
    QCOMPARE(services().messages.size(), 1);
    QCOMPARE(services().messages.at(0).text, u"That record was not found."_s);
    QCOMPARE(services().messages.at(0).title, u"No Records Match"_s);
    QCOMPARE(services().messages.at(0).buttons, MsgButtons::Ok);
    checkSortOrder(3);
    // The record on show and the record gOrders is on are the same one.
    QCOMPARE(form()->txtDescr->text(), u"Bravo"_s);
    QCOMPARE(form()->txtVendor->text(), u"Oscar"_s);
    QCOMPARE(currentDescr(), u"Bravo"_s);
    QVERIFY(!form()->mDirty);
    QVERIFY(form()->cmdFind->isVisible());
    QVERIFY(!form()->cmdUpdate->isVisible());
    // The list is in vendor order now: Bravo (Oscar) is last.
    state().gOrders->moveNext();
    QVERIFY(state().gOrders->eof());
    state().gOrders->moveFirst();
    QCOMPARE(currentDescr(), u"Charlie"_s);
}

void tst_frmFind::failedSearchShowsTheFirstWhenThePreviousIsGone() {
    start({order(u"Alpha"_s, QDate(2020, 1, 1)), order(u"Bravo"_s, QDate(2020, 1, 3)),
           order(u"Charlie"_s, QDate(2020, 1, 2))});
    QCOMPARE(form()->txtDescr->text(), u"Bravo"_s);
    // Removed behind the form's back, as another tool could.
    state().gDatabase->execute(u"DELETE FROM pvx WHERE zelid = ?"_s, {keyOf(u"Bravo"_s)});

    find({2, u"Zulu"_s, Button::Ok});
    QCOMPARE(services().messages.size(), 1);
    checkSortOrder(2);
    QCOMPARE(form()->txtDescr->text(), u"Alpha"_s);
    QCOMPARE(currentDescr(), u"Alpha"_s);
}

void tst_frmFind::failedSearchOnAnEmptyTableKeepsTheFormEmpty() {
    start({});
    QVERIFY(!form()->txtDescr->isEnabled());
    find({3, u"Acme"_s, Button::Ok});
    QCOMPARE(services().messages.size(), 1);
    QCOMPARE(services().messages.at(0).title, u"No Records Match"_s);
    checkSortOrder(3);
    QVERIFY(form()->txtDescr->text().isEmpty());
    QVERIFY(!form()->txtDescr->isEnabled());
    QVERIFY(!form()->cmdSelVend->isEnabled());
    QCOMPARE(form()->cmbType->currentText(), u"Order"_s);
}

void tst_frmFind::typedCharactersMatchThemselves_data() {
    QTest::addColumn<int>("option");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("match");
    // What the text would also match if its characters were wildcards or query text.
    QTest::addColumn<QString>("decoy");
    QTest::newRow("apostrophe") << 2 << u"O'Brien"_s << u"O'Brien Supplies"_s << u"OBrien"_s;
    QTest::newRow("vendor apostrophe") << 3 << u"o'b"_s << u"O'Brien"_s << u"OBrien"_s;
    QTest::newRow("quote and comment")
        << 2 << u"x' OR 1=1 --"_s << u"x' or 1=1 -- trick"_s << u"xylophone"_s;
    QTest::newRow("percent") << 2 << u"100%"_s << u"100% cotton"_s << u"100 apples"_s;
    QTest::newRow("percent alone") << 3 << u"%"_s << u"%off"_s << u"anything"_s;
    QTest::newRow("underscore") << 2 << u"a_b"_s << u"a_b test"_s << u"a-b test"_s;
    QTest::newRow("star") << 2 << u"*star"_s << u"*star"_s << u"superstar"_s;
    QTest::newRow("question mark") << 2 << u"?what"_s << u"?what now"_s << u"swhat"_s;
    QTest::newRow("hash") << 3 << u"#1"_s << u"#1 shop"_s << u"51 shop"_s;
    QTest::newRow("brackets") << 2 << u"[ab]"_s << u"[ab] box"_s << u"a box"_s;
    QTest::newRow("backslash") << 2 << u"a\\b"_s << u"a\\b path"_s << u"ab path"_s;
    QTest::newRow("trailing backslash") << 2 << u"c:\\"_s << u"c:\\temp"_s << u"c:"_s;
    QTest::newRow("leading space kept") << 2 << u" lead"_s << u" leading"_s << u"leading"_s;
}

void tst_frmFind::typedCharactersMatchThemselves() {
    QFETCH(int, option);
    QFETCH(QString, text);
    QFETCH(QString, match);
    QFETCH(QString, decoy);
    // Each record's vendor is its description.
    start({order(decoy, QDate(2020, 1, 2), decoy), order(match, QDate(2020, 1, 1), match)});

    find({option, text, Button::Ok});
    QVERIFY(services().messages.isEmpty());
    QCOMPARE(form()->txtDescr->text(), match);
    QCOMPARE(currentDescr(), match);

    // Without the record it should find, the decoy is not taken for it.
    state().gDatabase->execute(u"DELETE FROM pvx WHERE zelid = ?"_s, {keyOf(match)});
    find({option, text, Button::Ok});
    QCOMPARE(services().messages.size(), 1);
    QCOMPARE(services().messages.at(0).text, u"That record was not found."_s);
    QCOMPARE(form()->txtDescr->text(), decoy);
}

void tst_frmFind::nextPagesOnInTheNewOrder() {
    start({order(u"Charlie"_s, QDate(1998, 5, 30)), order(u"Bravo two"_s, QDate(1998, 5, 31)),
           order(u"Alpha"_s, QDate(1998, 6, 2)), order(u"Bravo one"_s, QDate(1998, 6, 1))});

    find({2, u"bravo"_s, Button::Ok});
    QCOMPARE(form()->txtDescr->text(), u"Bravo one"_s);
    QTest::mouseClick(form()->cmdNext, Qt::LeftButton);
    QCOMPARE(form()->txtDescr->text(), u"Bravo two"_s);
    QTest::mouseClick(form()->cmdNext, Qt::LeftButton);
    QCOMPARE(form()->txtDescr->text(), u"Charlie"_s);

    // The date search goes earliest first: the found day, then the days after it.
    find({1, u"5/31/1998"_s, Button::Ok});
    QCOMPARE(form()->txtDescr->text(), u"Bravo two"_s);
    QTest::mouseClick(form()->cmdNext, Qt::LeftButton);
    QCOMPARE(form()->txtDescr->text(), u"Bravo one"_s);
    QTest::mouseClick(form()->cmdPrevious, Qt::LeftButton);
    QTest::mouseClick(form()->cmdPrevious, Qt::LeftButton);
    QCOMPARE(form()->txtDescr->text(), u"Charlie"_s);
}

QTEST_MAIN(tst_frmFind)
#include "tst_frmFind.moc"

#include "gui/orders/frmMain.h"

#include "core/AppState.h"
#include "dates/LocaleDates.h"
#include "engine/Currency.h"
#include "engine/Database.h"
#include "engine/Money.h"
#include "engine/Recordset.h"
#include "gui/app/ElasticLayout.h"
#include "gui/dates/DateField.h"
#include "gui/help/HelpContext.h"
#include "gui/support/MainFormFixture.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QWheelEvent>
#include <QtTest>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

const QString InUseText = u"The database is in use.  You are attempting to run the non-network "
                          u"version in a network environment.  The program will exit."_s;

const QStringList EntryControls = {
    u"txtDescr"_s,    u"cmbType"_s,      u"cmbStatus"_s,     u"txtOrderNum"_s, u"txtVia"_s,
    u"dcDateOrder"_s, u"dcDateExpect"_s, u"dcDateReceive"_s, u"txtAmount"_s,   u"txtMethod"_s,
    u"txtMisc1"_s,    u"txtVendor"_s,    u"txtAddress"_s,    u"txtPhone"_s,    u"txtFax"_s,
    u"txtEmail"_s,    u"txtItems"_s,     u"txtNotes"_s};

const QStringList BrowseButtons = {u"cmdFirst"_s, u"cmdPrevious"_s, u"cmdNext"_s,  u"cmdLast"_s,
                                   u"cmdHelp"_s,  u"cmdFind"_s,     u"cmdDelete"_s};

QVariant money(qint64 tenThousandths) {
    return QVariant::fromValue(Currency::fromRaw(tenThousandths));
}

// A full record of every kind of field.
QVariantMap fullRecord() {
    return {{u"descr"_s, u"Digital camera"_s},
            {u"Type"_s, 1},
            {u"status"_s, 1},
            {u"ordernum"_s, u"A-1043"_s},
            {u"via"_s, u"Jane"_s},
            {u"dateorder"_s, QDate(1998, 5, 30)},
            {u"dateexpect"_s, QDateTime(QDate(1998, 6, 15), QTime(14, 5))},
            {u"datereceive"_s, QDate(1998, 6, 12)},
            {u"amount"_s, money(12345000)},
            {u"method"_s, u"Visa"_s},
            {u"misc1"_s, u"gift"_s},
            {u"vendor"_s, u"Camera World"_s},
            {u"address"_s, u"12 High Street\nSpringfield\nIL 62701"_s},
            {u"phone"_s, u"555-0100"_s},
            {u"fax"_s, u"555-0101"_s},
            {u"email"_s, u"sales@example.com"_s},
            {u"items"_s, u"1 camera\n2 batteries"_s},
            {u"notes"_s, u"Rebate form mailed.\nKeep the box."_s}};
}

QVariantMap order(const QString& descr, const QDate& dateOrder) {
    return {{u"descr"_s, descr}, {u"Type"_s, 0}, {u"status"_s, 0}, {u"dateorder"_s, dateOrder}};
}

// Opens a database file exclusively and keeps it until stdin closes: a second copy of the
// program holding the file.
int holdDatabase(const char* path) {
    try {
        auto db = Database::open(QString::fromLocal8Bit(path), true);
        std::printf("held\n");
        std::fflush(stdout);
        std::string line;
        while (std::getline(std::cin, line)) {
        }
        return 0;
    } catch (const EngineError& error) {
        std::printf("error %d\n", error.number());
        return 1;
    }
}

} // namespace

class tst_frmMain : public QObject, public MainFormFixture {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void startUpSetsTheSharedState_data();
    void startUpSetsTheSharedState();
    void dataDirectoryOfTheRootIsNotDoubled();
    void opensAtTheDesignSize();
    void firstRecordIsTheLatestOrder();
    void showsEveryFieldAsStored_data();
    void showsEveryFieldAsStored();
    void longStoredTextIsShownInFull();
    void nullOrStrangeCodesShowTheFirstEntry_data();
    void nullOrStrangeCodesShowTheFirstEntry();
    void saleChangesTheThreeCaptions();
    void movingBetweenRecordsStaysInBrowseMode();
    void firstKeystrokeEntersEditMode_data();
    void firstKeystrokeEntersEditMode();
    void typingWhileAddingKeepsAddVisible();
    void wheelChangesAListOnlyOnceItHasTheFocus_data();
    void wheelChangesAListOnlyOnceItHasTheFocus();
    void emptyTableGivesADisabledEmptyForm();
    void startUpFailureEndsTheProgram_data();
    void startUpFailureEndsTheProgram();
    void tabOrder_data();
    void tabOrder();
    void characterLimits_data();
    void characterLimits();
    void addressLimitHoldsForPasteAndEnter();
    void itemsAndNotesHaveNoLimit();
    void helpContextNumbers_data();
    void helpContextNumbers();
    void everyControlAndMenuItemHasAHelpTopic();
    void exitClosesTheDatabaseAndEndsTheProgram();
    void closingWhileEditingDiscardsTheEdits();
    void closingForMaintenanceKeepsTheProgramRunning();

private:
    // Creates pvx.mdb with rows in a fresh folder, makes it current and loads the form.
    bool start(const QList<QVariantMap>& rows);
    template <class T = QWidget> T* control(const QString& name) const {
        return form()->findChild<T*>(name);
    }
    QString shownText(const QString& name) const;
    void checkBrowseMode() const;

    std::unique_ptr<QProcess> m_holder;
};

void tst_frmMain::init() {
    initFixture();
}

void tst_frmMain::cleanup() {
    if (m_holder) {
        m_holder->closeWriteChannel();
        if (!m_holder->waitForFinished(5000))
            m_holder->kill();
        m_holder.reset();
    }
    cleanupFixture();
}

bool tst_frmMain::start(const QList<QVariantMap>& rows) {
    createDatabase(rows);
    showForm();
    return !state().programEnded && services().messages.isEmpty();
}

QString tst_frmMain::shownText(const QString& name) const {
    QWidget* w = control(name);
    if (auto* box = qobject_cast<QLineEdit*>(w))
        return box->text();
    if (auto* field = qobject_cast<DateField*>(w))
        return field->text();
    if (auto* list = qobject_cast<QComboBox*>(w))
        return list->currentText();
    if (auto* memo = qobject_cast<QPlainTextEdit*>(w))
        return memo->toPlainText();
    return u"<no such control %1>"_s.arg(name);
}

void tst_frmMain::checkBrowseMode() const {
    for (const QString& name : BrowseButtons)
        QVERIFY2(control(name)->isVisible(), qPrintable(name));
    QVERIFY(form()->cmdAddNew->isVisible());
    QVERIFY(!form()->cmdUpdate->isVisible());
    QVERIFY(!form()->cmdCancel->isVisible());
    for (QAction* item : form()->mnuSort)
        QVERIFY(item->isEnabled());
    QVERIFY(form()->mnuExit->isEnabled());
    QVERIFY(!form()->mDirty);
    QVERIFY(!form()->mAdding);
}

void tst_frmMain::startUpSetsTheSharedState_data() {
    QTest::addColumn<QLocale>("locale");
    // kkj_CM writes "30/05 1998": a blank, not the slash, before the year.
    for (const char* name :
         {"en_US", "en_GB", "de_DE", "fr_FR", "ja_JP", "sv_SE", "hu_HU", "kkj_CM"})
        QTest::newRow(name) << QLocale(QString::fromLatin1(name));
}

void tst_frmMain::startUpSetsTheSharedState() {
    QFETCH(QLocale, locale);
    services().userLocale = locale;
    services().clock = QDateTime(QDate(2026, 12, 7), QTime(23, 59));
    QVERIFY(start({order(u"One"_s, QDate(2020, 1, 1))}));

    QCOMPARE(state().gDataDir, dirPath() + u"/"_s);
    QCOMPARE(state().gDbPath, dirPath() + u"/pvx.mdb"_s);
    QCOMPARE(state().gHelpFile, dirPath() + u"/pvx.hlp"_s);
    QCOMPARE(state().gSortOrder, 1);
    QVERIFY(!state().gDateFmt.isEmpty());
    QCOMPARE(state().gStartDate, QDate(2026, 1, 1));
    QCOMPARE(state().gEndDate, QDate(2026, 12, 7));
    QVERIFY(state().gDatabase && state().gDatabase->isOpen());
    QVERIFY(state().gOrders);
    QVERIFY(!state().gOrders->lockEdits());

    QCOMPARE(form()->windowTitle(), u"PVX - Purvex"_s);
    QVERIFY(form()->isVisible());
    QCOMPARE(form()->cmbType->count(), 3);
    QCOMPARE(form()->cmbType->itemText(0), u"Order"_s);
    QCOMPARE(form()->cmbType->itemText(1), u"Rebate"_s);
    QCOMPARE(form()->cmbType->itemText(2), u"Sale"_s);
    QCOMPARE(form()->cmbStatus->count(), 3);
    QCOMPARE(form()->cmbStatus->itemText(0), u"No"_s);
    QCOMPARE(form()->cmbStatus->itemText(1), u"Partially"_s);
    QCOMPARE(form()->cmbStatus->itemText(2), u"Yes"_s);
    QVERIFY(form()->mnuSort[0]->isChecked());
    QVERIFY(!form()->mnuSort[1]->isChecked());
    QVERIFY(!form()->mnuSort[2]->isChecked());
    checkBrowseMode();
}

void tst_frmMain::dataDirectoryOfTheRootIsNotDoubled() {
    if (QFile::exists(u"/pvx.mdb"_s))
        QSKIP("a pvx.mdb lies in the root directory of this machine");
    QDir::setCurrent(u"/"_s);
    makeForm();
    QVERIFY(!form()->loadAndShow());

    QCOMPARE(state().gDataDir, u"/"_s);
    QCOMPARE(state().gDbPath, u"/pvx.mdb"_s);
    QCOMPARE(state().gHelpFile, u"/pvx.hlp"_s);
}

void tst_frmMain::opensAtTheDesignSize() {
    QVERIFY(start({order(u"One"_s, QDate(2020, 1, 1))}));
    QVERIFY(QTest::qWaitForWindowExposed(form()));
    ElasticLayout* client = form()->elasticLayout();
    QCOMPARE(client, form()->centralWidget());
    QCOMPARE(client->designSize(), QSize(9630, 6000));
    QCOMPARE(client->size(), client->openingSize());
    // At the opening scale a 285-twip box is as tall as a line edit likes to be.
    QVERIFY(qAbs(form()->txtDescr->height() - QLineEdit().sizeHint().height()) <= 1);

    // Larger, every control keeps its place in proportion.
    const QRect before = form()->txtNotes->geometry();
    form()->resize(form()->width() * 2, form()->height() + client->height());
    QTRY_COMPARE(client->size(), client->openingSize() * 2);
    QVERIFY(qAbs(form()->txtNotes->geometry().left() - 2 * before.left()) <= 1);
    QVERIFY(qAbs(form()->txtNotes->geometry().top() - 2 * before.top()) <= 1);
    // Both edges are rounded to whole pixels, at either size.
    QVERIFY(qAbs(form()->txtNotes->geometry().width() - 2 * before.width()) <= 2);
    QVERIFY(qAbs(form()->txtNotes->geometry().height() - 2 * before.height()) <= 2);
}

void tst_frmMain::firstRecordIsTheLatestOrder() {
    QVERIFY(start({order(u"Old"_s, QDate(1998, 5, 30)), order(u"Newest"_s, QDate(2024, 1, 15)),
                   order(u"Undated"_s, QDate()), order(u"Middle"_s, QDate(2001, 7, 4))}));
    QCOMPARE(form()->txtDescr->text(), u"Newest"_s);
    QCOMPARE(form()->dcDateOrder->text(), u"1/15/2024"_s);
    QCOMPARE(state().gOrders->recordCount(), 4);
    checkBrowseMode();
}

void tst_frmMain::showsEveryFieldAsStored_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("dateOrder");
    QTest::addColumn<QString>("dateExpect");
    QTest::addColumn<QString>("amount");

    QTest::newRow("en_US") << QLocale(u"en_US"_s) << u"5/30/1998"_s << u"6/15/1998"_s
                           << u"$1,234.50"_s;
    QTest::newRow("en_GB") << QLocale(u"en_GB"_s) << u"30/05/1998"_s << u"15/06/1998"_s
                           << u"£1,234.50"_s;
    QTest::newRow("de_DE") << QLocale(u"de_DE"_s) << u"30.05.1998"_s << u"15.06.1998"_s
                           << u"1.234,50\u00a0€"_s;
    QTest::newRow("sv_SE") << QLocale(u"sv_SE"_s) << u"1998-05-30"_s << u"1998-06-15"_s
                           << u"1\u00a0234,50\u00a0kr"_s;
}

void tst_frmMain::showsEveryFieldAsStored() {
    QFETCH(QLocale, locale);
    QFETCH(QString, dateOrder);
    QFETCH(QString, dateExpect);
    QFETCH(QString, amount);
    services().userLocale = locale;
    QVERIFY(start({fullRecord()}));

    QCOMPARE(shownText(u"txtDescr"_s), u"Digital camera"_s);
    QCOMPARE(shownText(u"cmbType"_s), u"Rebate"_s);
    QCOMPARE(shownText(u"cmbStatus"_s), u"Partially"_s);
    QCOMPARE(shownText(u"txtOrderNum"_s), u"A-1043"_s);
    QCOMPARE(shownText(u"txtVia"_s), u"Jane"_s);
    QCOMPARE(shownText(u"dcDateOrder"_s), dateOrder);
    // A stored time of day is not shown.
    QCOMPARE(shownText(u"dcDateExpect"_s), dateExpect);
    QCOMPARE(shownText(u"dcDateReceive"_s), LocaleDates::shortDate(QDate(1998, 6, 12), locale));
    QCOMPARE(shownText(u"txtAmount"_s), amount);
    QCOMPARE(shownText(u"txtMethod"_s), u"Visa"_s);
    QCOMPARE(shownText(u"txtMisc1"_s), u"gift"_s);
    QCOMPARE(shownText(u"txtVendor"_s), u"Camera World"_s);
    QCOMPARE(shownText(u"txtAddress"_s), u"12 High Street\nSpringfield\nIL 62701"_s);
    QCOMPARE(shownText(u"txtPhone"_s), u"555-0100"_s);
    QCOMPARE(shownText(u"txtFax"_s), u"555-0101"_s);
    QCOMPARE(shownText(u"txtEmail"_s), u"sales@example.com"_s);
    QCOMPARE(shownText(u"txtItems"_s), u"1 camera\n2 batteries"_s);
    QCOMPARE(shownText(u"txtNotes"_s), u"Rebate form mailed.\nKeep the box."_s);
    QCOMPARE(form()->lblDateOrder->text(), u"Date Ordered"_s);
    checkBrowseMode();
}

void tst_frmMain::longStoredTextIsShownInFull() {
    // Another tool may have stored more than the form lets the user type; saving the
    // record again must not cut it short.
    const QString longDescr = QString(100, u'd');
    const QString longPhone = QString(45, u'5');
    QVERIFY(start(
        {{{u"descr"_s, longDescr}, {u"phone"_s, longPhone}, {u"dateorder"_s, QDate(2020, 1, 1)}},
         {{u"descr"_s, u"short"_s}, {u"dateorder"_s, QDate(2010, 1, 1)}}}));
    QCOMPARE(form()->txtDescr->text(), longDescr);
    QCOMPARE(form()->txtPhone->text(), longPhone);

    // The next record gives the boxes their limits back.
    state().gOrders->moveNext();
    form()->ShowRecord();
    QCOMPARE(form()->txtDescr->text(), u"short"_s);
    QTest::keyClicks(form()->txtDescr, QString(100, u'x'));
    QCOMPARE(form()->txtDescr->text().size(), 80);
}

void tst_frmMain::nullOrStrangeCodesShowTheFirstEntry_data() {
    QTest::addColumn<QVariant>("type");
    QTest::addColumn<QVariant>("status");
    QTest::newRow("null") << QVariant() << QVariant();
    QTest::newRow("too large") << QVariant(7) << QVariant(3);
    QTest::newRow("negative") << QVariant(-1) << QVariant(-2);
}

void tst_frmMain::nullOrStrangeCodesShowTheFirstEntry() {
    QFETCH(QVariant, type);
    QFETCH(QVariant, status);
    // A sale first, so that the captions have something to change back from.
    QVERIFY(start({{{u"descr"_s, u"Sale"_s}, {u"Type"_s, 2}, {u"dateorder"_s, QDate(2020, 1, 1)}},
                   {{u"Type"_s, type}, {u"status"_s, status}}}));
    QCOMPARE(form()->lblVendor->text(), u"Sold To"_s);

    state().gOrders->moveNext();
    form()->ShowRecord();
    QCOMPARE(shownText(u"cmbType"_s), u"Order"_s);
    QCOMPARE(shownText(u"cmbStatus"_s), u"No"_s);
    QCOMPARE(form()->lblDateOrder->text(), u"Date Ordered"_s);
    QCOMPARE(form()->lblVendor->text(), u"Ordered From"_s);
    QCOMPARE(form()->lblItems->text(), u"Items Ordered"_s);
    for (const QString& name : EntryControls) {
        if (!name.startsWith(u"cmb"_s))
            QVERIFY2(shownText(name).isEmpty(), qPrintable(name));
    }
    checkBrowseMode();
}

void tst_frmMain::saleChangesTheThreeCaptions() {
    QVERIFY(start({fullRecord()}));
    QLabel* orderedBy = control<QLabel>(u"lblVia"_s);
    QVERIFY(orderedBy);

    // The user picks the entries with the keyboard, as with the mouse the list pops up.
    form()->cmbType->setFocus();
    QTest::keyClick(form()->cmbType, Qt::Key_Down); // Rebate -> Sale
    QCOMPARE(shownText(u"cmbType"_s), u"Sale"_s);
    QCOMPARE(form()->lblDateOrder->text(), u"Date Sold"_s);
    QCOMPARE(form()->lblVendor->text(), u"Sold To"_s);
    QCOMPARE(form()->lblItems->text(), u"Items Sold"_s);
    QCOMPARE(orderedBy->text(), u"Ordered By"_s);

    QTest::keyClick(form()->cmbType, Qt::Key_Up); // Rebate
    QCOMPARE(form()->lblDateOrder->text(), u"Date Ordered"_s);
    QCOMPARE(form()->lblVendor->text(), u"Ordered From"_s);
    QCOMPARE(form()->lblItems->text(), u"Items Ordered"_s);

    QTest::keyClick(form()->cmbType, Qt::Key_Down);
    QCOMPARE(form()->lblItems->text(), u"Items Sold"_s);
    QTest::keyClick(form()->cmbType, Qt::Key_Home); // Order
    QCOMPARE(shownText(u"cmbType"_s), u"Order"_s);
    QCOMPARE(form()->lblDateOrder->text(), u"Date Ordered"_s);
    QCOMPARE(form()->lblVendor->text(), u"Ordered From"_s);
    QCOMPARE(form()->lblItems->text(), u"Items Ordered"_s);
    QCOMPARE(orderedBy->text(), u"Ordered By"_s);
}

void tst_frmMain::movingBetweenRecordsStaysInBrowseMode() {
    QVariantMap sale = fullRecord();
    sale[u"Type"_s] = 2;
    sale[u"dateorder"_s] = QDate(2000, 1, 1);
    QVERIFY(
        start({order(u"First"_s, QDate(2003, 3, 3)), sale, order(u"Third"_s, QDate(1999, 1, 1))}));

    Recordset& rs = *state().gOrders;
    rs.moveNext();
    form()->ShowRecord();
    QCOMPARE(form()->txtDescr->text(), u"Digital camera"_s);
    QCOMPARE(form()->lblVendor->text(), u"Sold To"_s);
    checkBrowseMode();
    rs.moveNext();
    form()->ShowRecord();
    QCOMPARE(form()->txtDescr->text(), u"Third"_s);
    QCOMPARE(form()->lblVendor->text(), u"Ordered From"_s);
    checkBrowseMode();
    rs.moveFirst();
    form()->ShowRecord();
    QCOMPARE(form()->txtDescr->text(), u"First"_s);
    checkBrowseMode();
}

void tst_frmMain::firstKeystrokeEntersEditMode_data() {
    QTest::addColumn<QString>("name");
    for (const QString& name : EntryControls)
        QTest::newRow(qPrintable(name)) << name;
}

void tst_frmMain::firstKeystrokeEntersEditMode() {
    QFETCH(QString, name);
    QVERIFY(start({fullRecord(), order(u"Older"_s, QDate(1990, 1, 1))}));
    QWidget* box = control(name);
    QVERIFY(box);
    QVERIFY(box->isEnabled());
    box->setFocus();

    const QString before = shownText(name);
    const bool isList = qobject_cast<QComboBox*>(box) && !qobject_cast<DateField*>(box);
    QTest::keyClick(box, isList ? Qt::Key_Down : Qt::Key_7);
    QVERIFY(shownText(name) != before);

    for (const QString& button : BrowseButtons)
        QVERIFY2(!control(button)->isVisible(), qPrintable(button));
    QVERIFY(!form()->cmdAddNew->isVisible());
    QVERIFY(form()->cmdCancel->isVisible());
    QVERIFY(form()->cmdUpdate->isVisible());
    for (QAction* item : form()->mnuSort)
        QVERIFY(!item->isEnabled());
    QVERIFY(!form()->mnuExit->isEnabled());
    // File, Reports and Help stay open to the user.
    for (QMenu* menu : {form()->mnuFileMenu, form()->mnuReportsMenu, form()->mnuHelpmenu})
        QVERIFY(menu->menuAction()->isEnabled());
    QVERIFY(form()->mnuBackup->isEnabled());
    QVERIFY(form()->mDirty);

    // Further keystrokes change nothing more.
    QTest::keyClick(box, isList ? Qt::Key_Up : Qt::Key_8);
    QVERIFY(!form()->cmdFirst->isVisible());
    QVERIFY(!form()->cmdAddNew->isVisible());
    QVERIFY(form()->cmdUpdate->isVisible());
    QVERIFY(form()->cmdCancel->isVisible());
    QVERIFY(!form()->mnuExit->isEnabled());

    // Showing the record again leaves edit mode only through the record commands.
    form()->ShowBrowseButtons();
    form()->mDirty = false;
    form()->ShowRecord();
    checkBrowseMode();
}

void tst_frmMain::wheelChangesAListOnlyOnceItHasTheFocus_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("type") << u"cmbType"_s;
    QTest::newRow("received") << u"cmbStatus"_s;
}

void tst_frmMain::wheelChangesAListOnlyOnceItHasTheFocus() {
    QFETCH(QString, name);
    QVERIFY(start({order(u"First"_s, QDate(2003, 3, 3))}));
    auto* list = control<QComboBox>(name);
    const auto turnWheel = [list] {
        const QPointF inside(list->width() / 2.0, list->height() / 2.0);
        QWheelEvent wheel(inside, list->mapToGlobal(inside), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(list, &wheel);
        settle();
    };

    form()->txtDescr->setFocus();
    settle();
    turnWheel();
    QCOMPARE(list->currentIndex(), 0);
    QVERIFY(!list->hasFocus());
    checkBrowseMode();

    // Once the user has clicked into the list, the wheel chooses as always.
    list->setFocus(Qt::MouseFocusReason);
    settle();
    turnWheel();
    QCOMPARE(list->currentIndex(), 1);
    QVERIFY(form()->mDirty);
}

void tst_frmMain::typingWhileAddingKeepsAddVisible() {
    QVERIFY(start({fullRecord()}));
    form()->mAdding = true;
    form()->cmdAddNew->setText(u"&Add Another"_s);
    form()->ShowEditButtons();
    QTest::keyClicks(form()->txtVendor, u"Acme"_s);
    QVERIFY(form()->cmdAddNew->isVisible());
    QVERIFY(form()->cmdUpdate->isVisible());
    QVERIFY(!form()->mDirty);
}

void tst_frmMain::emptyTableGivesADisabledEmptyForm() {
    QVERIFY(start({}));
    QCOMPARE(state().gOrders->recordCount(), 0);
    for (const QString& name : EntryControls) {
        QWidget* w = control(name);
        QVERIFY2(w && !w->isEnabled(), qPrintable(name));
        if (!name.startsWith(u"cmb"_s))
            QVERIFY2(shownText(name).isEmpty(), qPrintable(name));
    }
    QVERIFY(!form()->cmdSelVend->isEnabled());
    QCOMPARE(shownText(u"cmbType"_s), u"Order"_s);
    QCOMPARE(shownText(u"cmbStatus"_s), u"No"_s);
    QCOMPARE(form()->lblDateOrder->text(), u"Date Ordered"_s);
    QVERIFY(form()->mnuSort[0]->isChecked());
    checkBrowseMode();

    form()->EnableFields();
    for (const QString& name : EntryControls)
        QVERIFY2(control(name)->isEnabled(), qPrintable(name));
    QVERIFY(form()->cmdSelVend->isEnabled());
}

void tst_frmMain::startUpFailureEndsTheProgram_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("number");
    QTest::newRow("missing pvx.mdb") << u"missing"_s << int(ErrorNumber::DatabaseFileNotFound);
    QTest::newRow("not a database") << u"garbage"_s << int(ErrorNumber::NotADatabase);
    QTest::newRow("no table pvx") << u"no table"_s << int(ErrorNumber::TableNotFound);
    QTest::newRow("held by another process") << u"in use"_s << int(ErrorNumber::DatabaseInUse);
    QTest::newRow("empty file") << u"empty"_s << int(ErrorNumber::TableNotFound);
    QTest::newRow("a column missing") << u"no column"_s << int(ErrorNumber::FieldNotFound);
    // Every column an index needs is there: nothing may be added to a file then refused.
    QTest::newRow("the amount missing") << u"no amount"_s << int(ErrorNumber::FieldNotFound);
    QTest::newRow("a named pipe") << u"pipe"_s << int(ErrorNumber::CannotOpenFile);
    QTest::newRow("cut short") << u"cut short"_s << int(ErrorNumber::DatabaseCorrupt);
    QTest::newRow("made by a newer program") << u"newer"_s << int(ErrorNumber::NewerDatabase);
    QTest::newRow("read-only file") << u"read-only"_s << int(ErrorNumber::CannotOpenFile);
}

void tst_frmMain::startUpFailureEndsTheProgram() {
    QFETCH(QString, kind);
    QFETCH(int, number);
    const QString path = databasePath();

    // What the engine itself says about the file, to compare the message with.
    QString description;
    if (kind == u"garbage"_s) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("Dear customer, this is not a database.\n").repeated(100));
    } else if (kind == u"no table"_s) {
        Database::create(path)->close();
        try {
            Database::open(path, true)->openDynaset(u"pvx"_s, u"dateorder DESC"_s);
        } catch (const EngineError& error) {
            QCOMPARE(error.number(), number);
            description = error.description();
        }
    } else if (kind == u"in use"_s) {
        createDatabase({fullRecord()});
        m_holder = std::make_unique<QProcess>();
        m_holder->start(QCoreApplication::applicationFilePath(), {u"--hold"_s, path});
        QVERIFY(m_holder->waitForStarted());
        QVERIFY(m_holder->waitForReadyRead(10000));
        QCOMPARE(m_holder->readLine().trimmed(), QByteArray("held"));
    }
    if (kind == u"no amount"_s) {
        createDatabase({fullRecord()});
        auto db = Database::open(path, true);
        db->execute(u"ALTER TABLE pvx DROP COLUMN amount"_s);
        db->execute(u"DROP INDEX pvx_dateorder; DROP INDEX pvx_descr; DROP INDEX pvx_vendor; "
                    u"DROP INDEX pvx_type_dateorder; DROP INDEX pvx_status_dateorder; "
                    u"DROP INDEX pvx_dateexpect; DROP INDEX pvx_status_dateexpect"_s);
        db->close();
        description = u"Item 'amount' not found in this collection."_s;
    } else if (kind == u"pipe"_s) {
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    } else if (kind == u"cut short"_s) {
        createDatabase({fullRecord()});
        QVERIFY(QFile::resize(path, QFileInfo(path).size() - 1));
    }
    if (kind == u"missing"_s || kind == u"garbage"_s || kind == u"cut short"_s ||
        kind == u"pipe"_s) {
        try {
            Database::open(path, true);
        } catch (const EngineError& error) {
            QCOMPARE(error.number(), number);
            description = error.description();
        }
    } else if (kind == u"empty"_s) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else if (kind == u"no column"_s) {
        auto db = Database::create(path);
        db->execute(u"CREATE TABLE pvx (zelid INTEGER PRIMARY KEY, descr TEXT, dateorder DATE)"_s);
        db->execute(u"INSERT INTO pvx (descr, dateorder) VALUES ('Old', '2020-01-01')"_s);
    } else if (kind == u"newer"_s) {
        createDatabase({fullRecord()});
        auto db = Database::open(path, true);
        db->execute(u"PRAGMA user_version = 99"_s);
    } else if (kind == u"read-only"_s) {
        createDatabase({fullRecord()});
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
    }
    const auto contents = [&path] {
        // A pipe is never opened: that would wait for a writer.
        if (!QFileInfo(path).isFile())
            return QByteArray("(no file)");
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
    };
    const QByteArray before = contents();

    showForm();

    QVERIFY(state().programEnded);
    QVERIFY(services().ended);
    QVERIFY(services().exitStatus != 0);
    QVERIFY(!form()->isVisible());
    QCOMPARE(services().messages.size(), 1);
    const FakeServices::Message& shown = services().messages.first();
    QCOMPARE(shown.buttons, MsgButtons::Ok);
    if (number == ErrorNumber::DatabaseInUse) {
        QCOMPARE(shown.text, InUseText);
        QCOMPARE(shown.title, u"Database File Already In Use"_s);
    } else {
        if (description.isEmpty())
            QVERIFY2(shown.text.startsWith(u"%1  "_s.arg(number)), qPrintable(shown.text));
        else
            QCOMPARE(shown.text, u"%1  %2"_s.arg(number).arg(description));
        QCOMPARE(shown.title, u"Purvex"_s);
    }

    // The user then closes what is left; nothing more runs.
    form()->close();
    QCOMPARE(services().messages.size(), 1);
    QVERIFY(services().exitStatus != 0);

    // The file is exactly as it was and alone: no journal or work file beside it.
    discardForm();
    QCOMPARE(contents(), before);
    const QStringList expected = kind == u"missing"_s ? QStringList() : QStringList{u"pvx.mdb"_s};
    QCOMPARE(QDir(dirPath()).entryList(QDir::Files | QDir::Hidden | QDir::System), expected);
}

void tst_frmMain::tabOrder_data() {
    QTest::addColumn<bool>("editing");
    QTest::addColumn<QStringList>("chain");
    const QStringList boxes = {
        u"txtDescr"_s,    u"cmbType"_s,      u"cmbStatus"_s,     u"txtOrderNum"_s, u"txtVia"_s,
        u"dcDateOrder"_s, u"dcDateExpect"_s, u"dcDateReceive"_s, u"txtAmount"_s,   u"txtMethod"_s,
        u"cmdSelVend"_s,  u"txtVendor"_s,    u"txtAddress"_s,    u"txtPhone"_s,    u"txtFax"_s,
        u"txtEmail"_s,    u"txtItems"_s,     u"txtNotes"_s,      u"txtMisc1"_s};
    QTest::newRow("browsing") << false << boxes + QStringList{u"cmdFirst"_s,  u"cmdPrevious"_s,
                                                              u"cmdNext"_s,   u"cmdLast"_s,
                                                              u"cmdAddNew"_s, u"cmdDelete"_s,
                                                              u"cmdFind"_s,   u"cmdHelp"_s,
                                                              u"txtDescr"_s};
    QTest::newRow("editing") << true
                             << boxes + QStringList{u"cmdCancel"_s, u"cmdUpdate"_s, u"txtDescr"_s};
}

void tst_frmMain::tabOrder() {
    QFETCH(bool, editing);
    QFETCH(QStringList, chain);
    QVERIFY(start({fullRecord()}));
    form()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form()));
    form()->txtDescr->setFocus();
    if (editing)
        QTest::keyClick(form()->txtDescr, Qt::Key_X);

    // The control itself, not the line edit inside a drop-down.
    auto focused = [this]() -> QString {
        for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget()) {
            if (w->parentWidget() == form()->elasticLayout())
                return w->objectName();
        }
        return u"<none>"_s;
    };
    QStringList visited{focused()};
    for (int i = 1; i < chain.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << focused();
    }
    QCOMPARE(visited, chain);
}

// Each box takes as many characters as the column of the file its text is stored in holds,
// and no more; the amount box as many as an amount is ever typed with.
void tst_frmMain::characterLimits_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("column");
    QTest::newRow("txtDescr") << u"txtDescr"_s << u"descr"_s;
    QTest::newRow("txtOrderNum") << u"txtOrderNum"_s << u"ordernum"_s;
    QTest::newRow("txtVia") << u"txtVia"_s << u"via"_s;
    QTest::newRow("txtAmount") << u"txtAmount"_s << QString();
    QTest::newRow("txtMethod") << u"txtMethod"_s << u"method"_s;
    QTest::newRow("txtMisc1") << u"txtMisc1"_s << u"misc1"_s;
    QTest::newRow("txtVendor") << u"txtVendor"_s << u"vendor"_s;
    QTest::newRow("txtAddress") << u"txtAddress"_s << u"address"_s;
    QTest::newRow("txtPhone") << u"txtPhone"_s << u"phone"_s;
    QTest::newRow("txtFax") << u"txtFax"_s << u"fax"_s;
    QTest::newRow("txtEmail") << u"txtEmail"_s << u"email"_s;
}

void tst_frmMain::characterLimits() {
    QFETCH(QString, name);
    QFETCH(QString, column);
    createDatabase({});
    int limit = 80;
    if (!column.isEmpty()) {
        // What the file declares, as another tool reads it.
        const QString type =
            fileRows(u"SELECT type FROM pragma_table_info('pvx') WHERE name = '%1'"_s.arg(column))
                .value(0)
                .value(u"type"_s)
                .toString();
        const auto declared = QRegularExpression(u"^VARCHAR\\((\\d+)\\)"_s).match(type);
        QVERIFY2(declared.hasMatch(), qPrintable(type));
        limit = declared.captured(1).toInt();
    }
    QVERIFY(showForm());
    QVERIFY(services().messages.isEmpty());
    form()->EnableFields();
    QWidget* box = control(name);
    QVERIFY(box);
    box->setFocus();

    QTest::keyClicks(box, QString(limit + 20, u'7'));
    QCOMPARE(shownText(name), QString(limit, u'7'));
}

void tst_frmMain::addressLimitHoldsForPasteAndEnter() {
    QVERIFY(start({}));
    form()->EnableFields();
    QPlainTextEdit* box = form()->txtAddress;
    box->setFocus();

    QTest::keyClicks(box, QString(240, u'a'));
    QApplication::clipboard()->setText(u"0123456789ABCDEF"_s);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(box->toPlainText(), QString(240, u'a') + u"0123456789"_s);
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(box->toPlainText().size(), 250);

    // Text chosen to be replaced makes room for as much as it held.
    QTest::keyClick(box, Qt::Key_Home, Qt::ControlModifier);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(box, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(box->toPlainText(), u"012"_s + QString(237, u'a') + u"0123456789"_s);

    // Lines count one character each, and a full box takes no new line.
    box->clear();
    QTest::keyClicks(box, QString(248, u'b'));
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(box->toPlainText(), QString(248, u'b') + u"\n\n"_s);

    // Deleting makes room again.
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClicks(box, u"xyz"_s);
    QCOMPARE(box->toPlainText(), QString(248, u'b') + u"\nx"_s);
}

void tst_frmMain::itemsAndNotesHaveNoLimit() {
    QVERIFY(start({}));
    form()->EnableFields();
    const QString lots = QString(5000, u'n');
    QApplication::clipboard()->setText(lots);
    for (QPlainTextEdit* box : {form()->txtItems, form()->txtNotes}) {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClicks(box, u"more"_s);
        QCOMPARE(box->toPlainText(), lots + u"more"_s);
        QCOMPARE(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    }
    QCOMPARE(form()->txtAddress->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

void tst_frmMain::helpContextNumbers_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("topic");
    const std::pair<const char*, int> sample[] = {
        {"frmMain", 8},         {"cmbType", 2},        {"cmdAddNew", 9},     {"cmdUpdate", 10},
        {"cmdCancel", 11},      {"cmdDelete", 13},     {"cmdPrevious", 14},  {"cmdLast", 14},
        {"cmdFind", 15},        {"txtDescr", 16},      {"cmbStatus", 17},    {"txtVia", 19},
        {"dcDateOrder", 20},    {"dcDateReceive", 22}, {"txtAmount", 23},    {"txtMisc1", 24},
        {"txtEmail", 28},       {"txtFax", 29},        {"cmdSelVend", 30},   {"txtNotes", 32},
        {"cmdHelp", 48},        {"txtMethod", 51},     {"mnuFileMenu", 33},  {"mnuBackup", 33},
        {"mnuPack", 34},        {"mnuExit", 35},       {"mnuSortMenu", 36},  {"mnuSort(3)", 36},
        {"mnuReportsMenu", 38}, {"mnuRpt(1)", 38},     {"mnuRpt(2)", 39},    {"mnuRpt(3)", 40},
        {"mnuRpt(4)", 41},      {"mnuRpt(5)", 42},     {"mnuRptCustom", 43}, {"mnuHelpmenu", 48},
        {"mnuHelp(2)", 48},     {"mnuAbout", 49},      {"mnuImport", 71},    {"mnuExportCsv", 71}};
    for (const auto& [name, topic] : sample)
        QTest::newRow(name) << QString::fromLatin1(name) << topic;
}

void tst_frmMain::helpContextNumbers() {
    QFETCH(QString, name);
    QFETCH(int, topic);
    QVERIFY(start({fullRecord()}));
    QObject* object = name == u"frmMain"_s ? form() : form()->findChild<QObject*>(name);
    QVERIFY2(object, qPrintable(name));
    QCOMPARE(helpContext(object), topic);
}

void tst_frmMain::everyControlAndMenuItemHasAHelpTopic() {
    QVERIFY(start({fullRecord()}));
    const QList<QWidget*> children =
        form()->elasticLayout()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    int controls = 0;
    for (QWidget* w : children) {
        if (w->focusPolicy() == Qt::NoFocus)
            continue; // captions and the line
        ++controls;
        QVERIFY2(helpContext(w) > 0, qPrintable(w->objectName()));
    }
    QCOMPARE(controls, 18 + 11);
    int items = 0;
    for (QAction* title : form()->menuBar()->actions()) {
        QMenu* menu = title->menu();
        QVERIFY(menu);
        QVERIFY2(helpContext(menu) > 0, qPrintable(menu->objectName()));
        for (QAction* item : menu->actions()) {
            if (item->isSeparator())
                continue;
            ++items;
            QVERIFY2(helpContext(item) > 0, qPrintable(item->objectName()));
        }
    }
    QCOMPARE(items, 5 + 3 + 6 + 4);
}

void tst_frmMain::exitClosesTheDatabaseAndEndsTheProgram() {
    QVERIFY(start({fullRecord()}));
    form()->mnuExit->trigger();

    QVERIFY(!form()->isVisible());
    QVERIFY(services().ended);
    QCOMPARE(services().exitStatus, 0);
    QVERIFY(!state().gDatabase->isOpen());
    // The file is free for the next user.
    auto again = Database::open(databasePath(), true);
    QVERIFY(again->isOpen());
    QCOMPARE(services().messages.size(), 0);
}

void tst_frmMain::closingWhileEditingDiscardsTheEdits() {
    QVERIFY(start({fullRecord()}));
    QTest::keyClicks(form()->txtDescr, u" changed"_s);
    QVERIFY(form()->cmdUpdate->isVisible());
    QVERIFY(form()->close());

    QVERIFY(services().ended);
    QCOMPARE(services().exitStatus, 0);
    QCOMPARE(services().messages.size(), 0);
    auto db = Database::open(databasePath(), true);
    QCOMPARE(db->scalar(u"SELECT descr FROM pvx"_s).toString(), u"Digital camera"_s);
}

void tst_frmMain::closingForMaintenanceKeepsTheProgramRunning() {
    QVERIFY(start({fullRecord()}));
    state().gMaintenance = true;
    QVERIFY(form()->close());
    QVERIFY(!services().ended);
    QVERIFY(!state().programEnded);
    QVERIFY(!state().gDatabase->isOpen());

    // A window left open across the maintenance meets a closed recordset, not a crash.
    try {
        state().gOrders->moveFirst();
        QFAIL("a closed recordset moved");
    } catch (const EngineError& error) {
        QCOMPARE(error.number(), int(ErrorNumber::InvalidObject));
    }

    // Loading the form again runs the whole start-up once more.
    state().gMaintenance = false;
    state().gSortOrder = 3;
    makeForm();
    QVERIFY(form()->loadAndShow());
    QCOMPARE(state().gSortOrder, 1);
    QCOMPARE(form()->txtDescr->text(), u"Digital camera"_s);
}

int main(int argc, char** argv) {
    if (argc == 3 && qstrcmp(argv[1], "--hold") == 0)
        return holdDatabase(argv[2]);
    QApplication app(argc, argv);
    tst_frmMain test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_frmMain.moc"

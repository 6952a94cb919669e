#include "gui/maint/frmBackup.h"

#include "support/MaintFiles.h"

#include "core/AppState.h"
#include "engine/Database.h"
#include "engine/DomainCodes.h"
#include "gui/app/ElasticLayout.h"
#include "gui/app/QtServices.h"
#include "gui/help/HelpContext.h"
#include "gui/orders/frmMain.h"
#include "gui/orders/frmSelVen.h"
#include "gui/reports/frmOutput.h"
#include "gui/reports/frmRptDate.h"
#include "gui/support/MainFormFixture.h"
#include "support/PdfText.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString BackupFailedText = u"Backup could not be Performed.  Make sure a formatted disk "
                                 u"with sufficient free space is in the selected drive."_s;
const QString InvalidObjectText =
    u"An error has occurred.  You may have forgotten to close a window before packing or "
    u"backing up the program's database.  Please rerun the program."_s;

enum class Command { BackupCancelled, BackupCopied, Compaction };

QVariantMap order(const QString& descr, const QString& vendor, const QDate& date) {
    return {{u"descr"_s, descr},
            {u"Type"_s, codeOf(OrderType::Order)},
            {u"status"_s, codeOf(ReceivedStatus::No)},
            {u"vendor"_s, vendor},
            {u"dateorder"_s, date}};
}

const QList<QVariantMap> Orders = {order(u"Lens"_s, u"Zeta Optics"_s, QDate(2026, 3, 1)),
                                   order(u"Tripod"_s, u"Acme"_s, QDate(2026, 5, 9)),
                                   order(u"Camera bag"_s, u"Bags Inc"_s, QDate(2026, 1, 20))};

} // namespace

class tst_Maintenance : public QObject, public MainFormFixture {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void reloadLeavesTheFormAsAfterAFreshStart_data();
    void reloadLeavesTheFormAsAfterAFreshStart();
    void backupThroughTheDialog_data();
    void backupThroughTheDialog();
    void backupOntoItselfIsRefused();
    void compactionAnsweredNoChangesNothing();
    void compactionThroughTheMenu_data();
    void compactionThroughTheMenu();
    void outputWindowLeftOpenKeepsWorking();
    void vendorDialogLeftOpenEndsWithTheMessage();
    void drivesOfThisMachineBeginWithTheirFolder();
    void typingInTheDriveListPicksOnlyWhatItNames_data();
    void typingInTheDriveListPicksOnlyWhatItNames();

private:
    QString folder(const QString& name) const;
    void run(Command command);
    // Back from a reload: shown, the database open again, maintenance over.
    void checkReloaded() const;
};

void tst_Maintenance::init() {
    initFixture();
}

void tst_Maintenance::cleanup() {
    cleanupFixture();
}

QString tst_Maintenance::folder(const QString& name) const {
    const QString path = QDir(dirPath()).filePath(name);
    QDir().mkpath(path);
    return path + u'/';
}

void tst_Maintenance::run(Command command) {
    services().destinations = {{folder(u"stick"_s), folder(u"stick"_s) + u"  (STICK)"_s}};
    services().onModal = [command](QDialog& dialog) {
        auto& backup = static_cast<frmBackup&>(dialog);
        (command == Command::BackupCopied ? backup.cmdOk : backup.cmdCancel)->click();
    };
    if (command == Command::Compaction)
        form()->mnuPack->trigger();
    else
        form()->mnuBackup->trigger();
}

void tst_Maintenance::checkReloaded() const {
    QVERIFY(form()->isVisible());
    QVERIFY(!state().gMaintenance);
    QVERIFY(state().gDatabase && state().gDatabase->isOpen());
    QVERIFY(!state().programEnded);
    QVERIFY(!services().hourglass);
}

void tst_Maintenance::reloadLeavesTheFormAsAfterAFreshStart_data() {
    QTest::addColumn<Command>("command");
    QTest::addColumn<bool>("records");
    QTest::newRow("backup cancelled") << Command::BackupCancelled << true;
    QTest::newRow("backup copied") << Command::BackupCopied << true;
    QTest::newRow("compaction") << Command::Compaction << true;
    QTest::newRow("compaction of an empty table") << Command::Compaction << false;
}

void tst_Maintenance::reloadLeavesTheFormAsAfterAFreshStart() {
    QFETCH(Command, command);
    QFETCH(bool, records);
    load(records ? Orders : QList<QVariantMap>{});
    // Moved by the user half off the right of the screen.
    const QRect area = form()->screen()->availableGeometry();
    form()->resize(area.size() / 2);
    form()->move(area.right() - area.width() / 4, area.top() + area.height() / 8);
    settle();
    const QRect before = form()->frameGeometry();
    const QWidget* freshFocus = QApplication::focusWidget();

    // In the middle of adding a record, sorted by vendor.
    form()->mnuSort[2]->trigger();
    click(form()->cmdAddNew);
    QTest::keyClicks(form()->txtDescr, u"Never saved"_s);
    QVERIFY(form()->cmdUpdate->isVisible());
    QCOMPARE(form()->cmdAddNew->text(), u"&Add Another"_s);

    run(command);
    checkReloaded();
    settle();
    // Back at its size and height, moved in just enough to be wholly on the screen.
    QCOMPARE(form()->frameGeometry().size(), before.size());
    QCOMPARE(form()->frameGeometry().topRight(), QPoint(area.right(), before.top()));
    // The control that has the focus when the window is active.
    QCOMPARE(form()->focusWidget(), freshFocus);
    QVERIFY(!form()->cmdUpdate->isVisible());
    QVERIFY(!form()->cmdCancel->isVisible());
    for (QPushButton* button : {form()->cmdFirst, form()->cmdNext, form()->cmdFind,
                                form()->cmdDelete, form()->cmdAddNew, form()->cmdHelp})
        QVERIFY2(button->isVisible(), qPrintable(button->objectName()));
    QCOMPARE(form()->cmdAddNew->text(), u"&Add New"_s);
    QVERIFY(form()->mnuExit->isEnabled());
    QVERIFY(form()->mnuSort[0]->isChecked());
    QVERIFY(!form()->mnuSort[2]->isChecked());
    QCOMPARE(state().gSortOrder, codeOf(SortOrder::OrderDate));
    QVERIFY(!form()->mDirty);
    QVERIFY(!form()->mAdding);
    QCOMPARE(form()->txtDescr->text(), records ? u"Tripod"_s : QString());
    QCOMPARE(form()->txtDescr->isEnabled(), records);
    QCOMPARE(form()->cmdSelVend->isEnabled(), records);

    // The unsaved record is gone; the stored ones are as they were.
    QCOMPARE(fileRows(u"SELECT descr FROM pvx ORDER BY dateorder DESC"_s).size(), records ? 3 : 0);
}

void tst_Maintenance::backupThroughTheDialog_data() {
    QTest::addColumn<bool>("copyFails");
    QTest::newRow("copied") << false;
    QTest::newRow("copy fails") << true;
}

void tst_Maintenance::backupThroughTheDialog() {
    QFETCH(bool, copyFails);
    load(Orders);
    const QString data = MaintFiles::bytes(databasePath()).toHex();
    const QString stick = folder(u"stick"_s);
    const QString other = folder(u"other"_s);
    // Last month's backup on the stick.
    MaintFiles::createDatabase(stick, 5, u"old"_s);
    const QByteArray previous = MaintFiles::bytes(stick + u"pvx.mdb"_s);
    if (copyFails) {
        // Something on the stick the copy cannot take the place of.
        QDir().mkpath(stick + u"pvx.mdb.partial/keep"_s);
    }
    services().destinations = {{other, other + u"  (OTHER)"_s}, {stick, stick + u"  (STICK)"_s}};

    bool shown = false;
    services().onModal = [&](QDialog& dialog) {
        auto& backup = static_cast<frmBackup&>(dialog);
        QCOMPARE(backup.windowTitle(), u"Backup the Purvex Database"_s);
        QCOMPARE(backup.Label1->text(),
                 u"Select the drive to which the database should be copied."_s);
        QCOMPARE(backup.cmdOk->text(), u"&Ok"_s);
        QCOMPARE(backup.cmdCancel->text(), u"&Cancel"_s);
        QCOMPARE(backup.elasticLayout()->designRect(backup.Drive1), QRect(375, 1320, 2880, 315));
        QCOMPARE(backup.elasticLayout()->designRect(backup.cmdCancel),
                 QRect(4365, 1185, 1020, 420));
        for (QObject* object : std::initializer_list<QObject*>{
                 &backup, backup.Label1, backup.Drive1, backup.cmdOk, backup.cmdCancel})
            QCOMPARE(helpContext(object), 33);
        QCOMPARE(backup.Drive1->count(), 2);
        QCOMPARE(backup.Drive1->currentIndex(), 0);

        backup.show();
        QVERIFY(QTest::qWaitForWindowActive(&backup));
        QCOMPARE(QApplication::focusWidget(), backup.Drive1);
        // Typing the start of the stick's folder picks it.
        QTest::keyClicks(backup.Drive1, stick.left(stick.size() - 3));
        QCOMPARE(backup.Drive1->currentText(), stick + u"  (STICK)"_s);
        QCOMPARE(backup.destinationPath(), stick + u"pvx.mdb"_s);
        click(backup.cmdOk);
        shown = true;
        QVERIFY(!backup.isVisible());
    };
    form()->mnuBackup->trigger();
    QVERIFY(shown);
    checkReloaded();
    QVERIFY(services().busyCalls > 0);

    const QByteArray onStick = MaintFiles::bytes(stick + u"pvx.mdb"_s);
    if (copyFails) {
        QCOMPARE(services().messages.size(), 1);
        QCOMPARE(services().messages.at(0).text, BackupFailedText);
        QCOMPARE(services().messages.at(0).title, u"Purvex"_s);
        QVERIFY(onStick == previous);
    } else {
        QVERIFY(services().messages.isEmpty());
        QCOMPARE(onStick.toHex(), data);
        QCOMPARE(MaintFiles::contents(stick + u"pvx.mdb"_s).mid(0, 2),
                 QStringList({u"ok"_s, u"3"_s}));
        QCOMPARE(services().progress.size(), 1);
        QVERIFY(services().progress.at(0).stages.at(0).startsWith(u"Copying pvx.mdb to "_s));
    }
    QVERIFY(!QFile::exists(other + u"pvx.mdb"_s));
    QCOMPARE(QFile::exists(stick + u"pvx.mdb.partial"_s), copyFails);
}

void tst_Maintenance::backupOntoItselfIsRefused() {
    load(Orders);
    const QByteArray data = MaintFiles::bytes(databasePath());
    services().destinations = {{dirPath() + u'/', dirPath() + u"/  (home folder)"_s}};
    services().onModal = [&](QDialog& dialog) {
        auto& backup = static_cast<frmBackup&>(dialog);
        backup.show();
        click(backup.cmdOk);
        // Nothing copied, and another drive can be chosen at once.
        QCOMPARE(services().messages.size(), 1);
        QVERIFY(services().messages.at(0).text.contains(u"cannot be its own backup"_s));
        QVERIFY(backup.isVisible());
        click(backup.cmdCancel);
    };
    form()->mnuBackup->trigger();
    checkReloaded();
    QVERIFY(MaintFiles::bytes(databasePath()) == data);
    QCOMPARE(QDir(dirPath()).entryList(QDir::Files), QStringList{u"pvx.mdb"_s});
}

void tst_Maintenance::compactionAnsweredNoChangesNothing() {
    load(Orders);
    form()->mnuSort[1]->trigger();
    click(form()->cmdNext);
    const Database* open = state().gDatabase.get();
    services().answers = {MsgAnswer::No};
    form()->mnuPack->trigger();

    QCOMPARE(services().messages.size(), 1);
    QCOMPARE(services().messages.at(0).text,
             u"Do you wish to compact the Zelmar Program database?"_s);
    QCOMPARE(services().messages.at(0).title, u"Compact Database"_s);
    QCOMPARE(services().messages.at(0).buttons, MsgButtons::YesNo);
    QVERIFY(!state().gMaintenance);
    QCOMPARE(state().gDatabase.get(), open);
    QVERIFY(open->isOpen());
    QCOMPARE(form()->txtDescr->text(), u"Lens"_s);
    QVERIFY(form()->mnuSort[1]->isChecked());
    QCOMPARE(QDir(dirPath()).entryList(QDir::Files), QStringList{u"pvx.mdb"_s});
}

void tst_Maintenance::compactionThroughTheMenu_data() {
    QTest::addColumn<bool>("leftoverRemovable");
    QTest::newRow("leftover work file removed") << true;
    QTest::newRow("leftover that cannot be removed") << false;
}

void tst_Maintenance::compactionThroughTheMenu() {
    QFETCH(bool, leftoverRemovable);
    createDatabase(Orders);
    const QStringList contents = MaintFiles::contents(databasePath());
    load();
    const QString work = QDir(dirPath()).filePath(u"pvxnew.mdb"_s);
    if (leftoverRemovable) {
        QFile leftover(work);
        QVERIFY(leftover.open(QIODevice::WriteOnly));
        leftover.write("cut short");
    } else {
        QVERIFY(QDir().mkpath(work + u"/keep"_s));
    }
    click(form()->cmdLast);
    const QByteArray before = MaintFiles::bytes(databasePath());

    form()->mnuPack->trigger();
    checkReloaded();
    QCOMPARE(form()->txtDescr->text(), u"Tripod"_s);
    QCOMPARE(services().messages.at(0).title, u"Compact Database"_s);
    QVERIFY(services().busyCalls > 0);
    if (leftoverRemovable) {
        QCOMPARE(services().messages.size(), 1);
        QVERIFY(MaintFiles::bytes(QDir(dirPath()).filePath(u"pvxdb.bak"_s)) == before);
        QVERIFY(!QFile::exists(work));
        QVERIFY(services().progress.at(0).cancelDisallowed);
    } else {
        // Said what failed, over the form, and nothing changed.
        QCOMPARE(services().messages.size(), 2);
        const QString said = services().messages.at(1).text;
        QVERIFY2(said.contains(u"could not be written"_s), qPrintable(said));
        QVERIFY(said.contains(u"Your database has not been changed."_s));
        QVERIFY(MaintFiles::bytes(databasePath()) == before);
        QVERIFY(!QFile::exists(QDir(dirPath()).filePath(u"pvxdb.bak"_s)));
    }
    QCOMPARE(fileRows(u"SELECT zelid FROM pvx"_s).size(), 3);
    QCOMPARE(MaintFiles::contents(databasePath()), contents);
}

void tst_Maintenance::outputWindowLeftOpenKeepsWorking() {
    load(Orders);
    services().onModal = [](QDialog& dialog) {
        if (auto* dates = qobject_cast<frmRptDate*>(&dialog))
            dates->cmdOK->click();
        else
            static_cast<frmBackup&>(dialog).cmdCancel->click();
    };
    form()->mnuRpt[codeOf(BuiltInReport::AllOrders) - 1]->trigger();
    QPointer<frmOutput> output = form()->findChild<frmOutput*>();
    QVERIFY(output && output->isVisible());

    form()->mnuBackup->trigger();
    checkReloaded();
    QVERIFY(output && output->isVisible());

    // What it shows was printed before: saving it needs no database.
    const QString pdfPath = QDir(dirPath()).filePath(u"orders.pdf"_s);
    services().nextSaveFileName = pdfPath;
    QTest::mouseClick(output->cmdSavePdf, Qt::LeftButton);
    QVERIFY(pdf::pages(pdfPath).join(u' ').contains(u"Camera bag"_s));

    // A new report reads the database opened again, into the same window.
    form()->mnuRpt[codeOf(BuiltInReport::Outstanding) - 1]->trigger();
    QVERIFY(output && output->isVisible());
    QVERIFY(services().messages.isEmpty());
    QVERIFY(!state().programEnded);
}

void tst_Maintenance::vendorDialogLeftOpenEndsWithTheMessage() {
    load(Orders);
    click(form()->cmdSelVend);
    QPointer<frmSelVen> vendors = form()->findChild<frmSelVen*>();
    QVERIFY(vendors);
    QVERIFY(QTest::qWaitForWindowExposed(vendors));
    QTest::mouseClick(vendors->List1->viewport(), Qt::LeftButton, {},
                      vendors->List1->visualItemRect(vendors->List1->item(2)).center());
    QCOMPARE(vendors->List1->selectedItems().size(), 1);

    services().onModal = [](QDialog& dialog) {
        static_cast<frmBackup&>(dialog).cmdCancel->click();
    };
    form()->mnuBackup->trigger();
    checkReloaded();
    QVERIFY(vendors && vendors->isVisible());

    // Its list came from the database that was closed; OK meets that, not a crash.
    QTest::mouseClick(vendors->cmdOK, Qt::LeftButton);
    QCOMPARE(services().messages.constLast().text, InvalidObjectText);
    QVERIFY(services().ended);
    QCOMPARE(form()->txtVendor->text(), u"Acme"_s);
}

void tst_Maintenance::drivesOfThisMachineBeginWithTheirFolder() {
    QtServices services;
    const QList<BackupDestination> drives = services.backupDestinations();
    QVERIFY(!drives.isEmpty());
    for (const BackupDestination& drive : drives) {
        QVERIFY2(drive.folder.endsWith(u'/') && QFileInfo(drive.folder).isDir(),
                 qPrintable(drive.folder));
        QVERIFY(drive.caption.startsWith(QDir::toNativeSeparators(drive.folder)));
    }
    QCOMPARE(drives.constLast().folder, QDir::homePath() + u'/');
}

void tst_Maintenance::typingInTheDriveListPicksOnlyWhatItNames_data() {
    QTest::addColumn<QString>("typed"); // after the test folder's path
    QTest::addColumn<QString>("drive"); // where Enter copies the database to
    QTest::addColumn<int>("beeps");
    QTest::newRow("the start of a drive") << u"sti"_s << u"stick"_s << 0;
    QTest::newRow("what begins no drive") << u"zip"_s << u"other"_s << 3;
    QTest::newRow("a drive and more") << u"sticks"_s << u"other"_s << 1;
}

void tst_Maintenance::typingInTheDriveListPicksOnlyWhatItNames() {
    QFETCH(QString, typed);
    QFETCH(QString, drive);
    QFETCH(int, beeps);
    load(Orders);
    const QString other = folder(u"other"_s);
    const QString stick = folder(u"stick"_s);
    services().destinations = {{other, other + u"  (OTHER)"_s}, {stick, stick + u"  (STICK)"_s}};
    services().onModal = [&](QDialog& dialog) {
        auto& backup = static_cast<frmBackup&>(dialog);
        backup.show();
        QVERIFY(QTest::qWaitForWindowActive(&backup));
        QTest::keyClicks(backup.Drive1, dirPath() + u'/' + typed);
        QCOMPARE(backup.Drive1->currentText().section(u' ', 0, 0), folder(drive));
        QTest::keyClick(backup.Drive1, Qt::Key_Return);
    };
    form()->mnuBackup->trigger();
    checkReloaded();
    QCOMPARE(services().beeps, beeps);
    QVERIFY(QFile::exists(folder(drive) + u"pvx.mdb"_s));
    QCOMPARE(QFile::exists(other + u"pvx.mdb"_s) + QFile::exists(stick + u"pvx.mdb"_s), 1);
}

QTEST_MAIN(tst_Maintenance)

#include "tst_Maintenance.moc"

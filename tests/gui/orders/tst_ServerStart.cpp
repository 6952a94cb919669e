// The main window started in a folder with pvx.server: the shared database on the server,
// named in the title and the status line; pvx.mdb, when there, as always.

#include "core/AppState.h"
#include "engine/Database.h"
#include "engine/Recordset.h"
#include "engine/Schema.h"
#include "gui/support/MainFormFixture.h"
#include "support/PgCluster.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

class tst_ServerStart : public QObject, public MainFormFixture {
    Q_OBJECT

private:
    std::unique_ptr<PgCluster> m_cluster;
    QString m_shared;

    void writeServerFile(const QString& text) {
        QFile file(dirPath() + u"/pvx.server"_s);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
    }

private Q_SLOTS:
    void initTestCase() {
        m_cluster = std::make_unique<PgCluster>();
        if (!m_cluster->isRunning())
            return;
        m_shared = m_cluster->createDatabase(u"office"_s);
        auto db = Database::openServer(m_shared);
        Schema::create(*db);
        db->execute(u"INSERT INTO pvx (descr, Type, status, dateorder, dateexpect) "
                    u"VALUES (?, 0, 0, ?, ?)"_s,
                    {u"Shared camera"_s, QDate(2026, 11, 1), QDate(2026, 11, 20)});
    }
    void init() { initFixture(); }
    void cleanup() { cleanupFixture(); }

    void opensWhatTheFolderNames_data() {
        QTest::addColumn<bool>("withFile");
        QTest::addColumn<QString>("serverText");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("shown");
        QTest::newRow("pvx.server alone")
            << false << u"# the office\n\nCONNECTION\n"_s
            << u"PVX - Purvex - office on FOLDER:5432"_s << u"Shared camera"_s;
        QTest::newRow("pvx.mdb beside it")
            << true << u"CONNECTION"_s << u"PVX - Purvex"_s << u"Own lamp"_s;
    }

    void opensWhatTheFolderNames() {
        if (!m_cluster->isRunning())
            QSKIP(qPrintable(m_cluster->whyNot()));
        QFETCH(bool, withFile);
        QFETCH(QString, serverText);
        QFETCH(QString, title);
        QFETCH(QString, shown);
        if (withFile)
            createDatabase({{{u"descr"_s, u"Own lamp"_s}, {u"Type"_s, 0}, {u"status"_s, 2}}});
        writeServerFile(serverText.replace(u"CONNECTION"_s, m_shared));
        QVERIFY(showForm());
        title.replace(u"FOLDER"_s, m_cluster->socketFolder());
        QCOMPARE(form()->windowTitle(), title);
        QCOMPARE(form()->findChild<QLineEdit*>(u"txtDescr"_s)->text(), shown);
        if (withFile) {
            QVERIFY(state().gServer.isEmpty());
            QVERIFY(!form()->statusLineText().contains(u"office"_s));
        } else {
            QCOMPARE(form()->statusLineText(),
                     u"office on %1:5432 \u00b7 1 overdue"_s.arg(m_cluster->socketFolder()));
        }
    }

    // Two users edit the same record: the second one's Update is refused with a message, the
    // first one's change stays stored, what the second typed stays on the form, and an
    // Update again saves it.
    void secondUpdateOfARecordIsToldWhoWon() {
        if (!m_cluster->isRunning())
            QSKIP(qPrintable(m_cluster->whyNot()));
        writeServerFile(m_shared);
        QVERIFY(showForm());
        QVERIFY(QTest::qWaitForWindowActive(form()));
        auto descr = form()->findChild<QLineEdit*>(u"txtDescr"_s);
        auto update = form()->findChild<QPushButton*>(u"cmdUpdate"_s);
        const QString before = descr->text();

        auto theirs = Database::openServer(m_shared);
        auto other = theirs->openDynaset(u"pvx"_s, u"dateorder DESC"_s);
        other->edit();
        other->setValue(u"descr"_s, u"Their camera"_s);
        other->update();
        const auto stored = [&] {
            return theirs
                ->scalar(u"SELECT descr FROM pvx WHERE zelid = ?"_s, {other->value(u"zelid"_s)})
                .toString();
        };

        descr->setFocus(Qt::MouseFocusReason);
        descr->selectAll();
        QTest::keyClicks(descr, u"My camera"_s);
        click(update);
        QCOMPARE(services().messages.size(), 1);
        QVERIFY2(services().messages.first().text.contains(u"was changed by another user"_s),
                 qPrintable(services().messages.first().text));
        QVERIFY(!services().ended);
        QCOMPARE(descr->text(), u"My camera"_s);
        QCOMPARE(stored(), u"Their camera"_s);
        QVERIFY(before != descr->text());

        click(update);
        QCOMPARE(services().messages.size(), 1);
        QCOMPARE(stored(), u"My camera"_s);
        QCOMPARE(descr->text(), u"My camera"_s);
    }

    // Another user's addition is in the window after this user's Update, and in the count
    // of the status line.
    void othersAdditionsShowAfterUpdate() {
        if (!m_cluster->isRunning())
            QSKIP(qPrintable(m_cluster->whyNot()));
        writeServerFile(m_shared);
        QVERIFY(showForm());
        QVERIFY(QTest::qWaitForWindowActive(form()));
        const int before = state().gOrders->recordCount();
        auto theirs = Database::openServer(m_shared);
        theirs->execute(u"INSERT INTO pvx (descr, Type, status, dateorder, dateexpect) "
                        u"VALUES (?, 0, 0, ?, ?)"_s,
                        {u"Their lamp"_s, QDate(2026, 12, 1), QDate(2026, 11, 25)});
        const int overdue =
            theirs
                ->scalar(u"SELECT count(*) FROM pvx WHERE status = 0 AND dateexpect < ?"_s,
                         {QDate(2026, 12, 8)})
                .toInt();

        auto notes = form()->findChild<QPlainTextEdit*>(u"txtNotes"_s);
        notes->setFocus(Qt::MouseFocusReason);
        QTest::keyClicks(notes, u"seen"_s);
        click(form()->findChild<QPushButton*>(u"cmdUpdate"_s));
        QVERIFY(services().messages.isEmpty());
        QCOMPARE(state().gOrders->recordCount(), before + 1);
        QCOMPARE(
            form()->statusLineText(),
            u"office on %1:5432 \u00b7 %2 overdue"_s.arg(m_cluster->socketFolder()).arg(overdue));
        click(form()->findChild<QPushButton*>(u"cmdFirst"_s));
        QCOMPARE(form()->findChild<QLineEdit*>(u"txtDescr"_s)->text(), u"Their lamp"_s);
    }

    void maintenanceLeavesTheServerAlone_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("says");
        QTest::addColumn<bool>("intoDataFolder");
        QTest::newRow("Backup") << u"mnuBackup"_s << QString() << false;
        QTest::newRow("Backup into the folder it starts in")
            << u"mnuBackup"_s << u"would be opened next time instead"_s << true;
        QTest::newRow("Pack Database") << u"mnuPack"_s << u"keeps its own storage tidy"_s << false;
    }

    // Backup writes a snapshot of the server's database over the backup on the chosen drive,
    // which the single-user version opens, but never into the folder Purvex starts in, where
    // it would be opened instead of the server; Pack Database says why it does nothing. Either way
    // the window goes on as it was, and the server's rows are as they were.
    void maintenanceLeavesTheServerAlone() {
        if (!m_cluster->isRunning())
            QSKIP(qPrintable(m_cluster->whyNot()));
        QFETCH(QString, item);
        QFETCH(QString, says);
        QFETCH(bool, intoDataFolder);
        QTemporaryDir stick;
        QVERIFY(stick.isValid());
        const QString backup = stick.filePath(u"pvx.mdb"_s);
        {
            QFile earlier(backup);
            QVERIFY(earlier.open(QIODevice::WriteOnly));
            earlier.write("an earlier backup");
        }
        services().destinations = {
            {(intoDataFolder ? dirPath() : stick.path()) + u"/"_s, u"STICK"_s}};
        bool shown = false;
        bool stayedOpen = false;
        services().onModal = [&](QDialog& dialog) {
            dialog.show();
            QVERIFY(QTest::qWaitForWindowActive(&dialog));
            click(dialog.findChild<QPushButton*>(u"cmdOk"_s));
            shown = true;
            stayedOpen = dialog.isVisible();
            if (stayedOpen)
                click(dialog.findChild<QPushButton*>(u"cmdCancel"_s));
        };
        writeServerFile(m_shared);
        QVERIFY(showForm());
        const QString shownText = form()->findChild<QLineEdit*>(u"txtDescr"_s)->text();
        auto other = Database::openServer(m_shared);
        const QVariant rowsBefore = other->scalar(u"SELECT count(*) FROM pvx"_s);
        form()->findChild<QAction*>(item)->trigger();
        if (says.isEmpty()) {
            QVERIFY(shown);
            QVERIFY(!stayedOpen);
            QCOMPARE(services().messages.size(), 0);
            QCOMPARE(services().progress.size(), 1);
            QVERIFY(services().progress.at(0).stages.at(0).startsWith(u"Copying office on "_s));
            auto copy = Database::open(backup);
            QCOMPARE(Schema::check(*copy), QStringList{});
            QCOMPARE(copy->scalar(u"SELECT count(*) FROM pvx"_s), rowsBefore);
            const QString everyDescr = u"SELECT string_agg(descr, '|' ORDER BY zelid) FROM pvx"_s;
            QCOMPARE(copy->scalar(u"SELECT group_concat(descr, '|') FROM (SELECT descr FROM pvx "
                                  u"ORDER BY zelid)"_s),
                     other->scalar(everyDescr));
            QVERIFY(!QFile::exists(backup + u".partial"_s));
        } else {
            QCOMPARE(services().messages.size(), 1);
            QVERIFY2(services().messages.first().text.contains(says),
                     qPrintable(services().messages.first().text));
            QCOMPARE(shown, intoDataFolder);
            QCOMPARE(stayedOpen, intoDataFolder);
            QFile earlier(backup);
            QVERIFY(earlier.open(QIODevice::ReadOnly));
            QCOMPARE(earlier.readAll(), QByteArray("an earlier backup"));
        }
        QVERIFY(!services().ended);
        QVERIFY(state().gDatabase->isOpen());
        QVERIFY(!QFile::exists(dirPath() + u"/pvx.mdb"_s));
        QCOMPARE(form()->findChild<QLineEdit*>(u"txtDescr"_s)->text(), shownText);
        QCOMPARE(other->scalar(u"SELECT count(*) FROM pvx"_s), rowsBefore);
    }

    void refusesWhatCannotBeOpened_data() {
        QTest::addColumn<QString>("serverText");
        QTest::addColumn<QString>("says");
        QTest::newRow("password") << u"CONNECTION password=s3cret"_s << u"holds a password"_s;
        QTest::newRow("two strings")
            << u"CONNECTION\nCONNECTION\n"_s << u"must hold one connection string"_s;
        QTest::newRow("no such database")
            << u"CONNECTION dbname=nosuch"_s << u"Could not connect to the database server"_s;
    }

    // One message that says why, and the program ends: nothing is shown, nothing written.
    void refusesWhatCannotBeOpened() {
        if (!m_cluster->isRunning())
            QSKIP(qPrintable(m_cluster->whyNot()));
        QFETCH(QString, serverText);
        QFETCH(QString, says);
        writeServerFile(serverText.replace(u"CONNECTION"_s, m_shared));
        QVERIFY(!showForm());
        QVERIFY(services().ended);
        QCOMPARE(services().messages.size(), 1);
        QVERIFY2(services().messages.first().text.contains(says),
                 qPrintable(services().messages.first().text));
        QVERIFY(!services().messages.first().text.contains(u"s3cret"_s));
    }
};

QTEST_MAIN(tst_ServerStart)
#include "tst_ServerStart.moc"

// The File menu's Import and Export to CSV, and the offer at start-up to convert the older
// program's Access-format pvx.mdb: through the form, the fake file dialogs and message boxes,
// read back from the files.
#include "core/ErrorTrap.h"
#include "gui/dates/DateField.h"
#include "gui/orders/AccessFileOffer.h"
#include "gui/support/MainFormFixture.h"

#include <QCryptographicHash>
#include <QLineEdit>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString accessTestFile = QStringLiteral(PVX_SOURCE_DIR "/tests/data/DateTestDatabase.mdb");

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QStringList texts(const QList<FakeServices::Message>& messages) {
    QStringList list;
    for (const FakeServices::Message& m : messages)
        list << m.title + u": "_s + m.text;
    return list;
}

} // namespace

class tst_ImportExport : public QObject, public MainFormFixture {
    Q_OBJECT

private Q_SLOTS:
    void init() { initFixture(); }
    void cleanup() { cleanupFixture(); }

    void import_data();
    void import();
    void importWaitsForAnEdit();
    void exportCsv();
    void startupOffer_data();
    void startupOffer();
};

void tst_ImportExport::import_data() {
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<MsgAnswer>("answer");
    QTest::addColumn<int>("records");     // in the file afterwards
    QTest::addColumn<QString>("shown");   // the description the form shows
    QTest::addColumn<QString>("message"); // the last message's start

    const QByteArray sound = "Description,Date Ordered,Amount\nNew lamp,2026-11-30,\"$12.50\"\n"
                             "Old vase,1999-01-01,3\n";
    QTest::newRow("Yes imports and shows the newest first")
        << sound << MsgAnswer::Yes << 3 << u"New lamp"_s << u"Import: Imported 2 records from"_s;
    QTest::newRow("No leaves everything")
        << sound << MsgAnswer::No << 1 << u"Kept"_s << u"Import: Would import 2 records from"_s;
    QTest::newRow("a bad date is listed, nothing asked")
        << QByteArray("descr,dateorder\nx,2026-13-01\n") << MsgAnswer::Yes << 1 << u"Kept"_s
        << u"Import: Nothing was imported from"_s;
}

void tst_ImportExport::import() {
    QFETCH(QByteArray, csv);
    QFETCH(MsgAnswer, answer);
    QFETCH(int, records);
    QFETCH(QString, shown);
    QFETCH(QString, message);
    load({{{u"descr"_s, u"Kept"_s}, {u"dateorder"_s, QDate(2026, 1, 5)}}});
    const QString source = dirPath() + u"/in.csv"_s;
    writeFile(source, csv);
    services().nextOpenFileName = source;
    services().answers = {answer};

    form()->mnuImport->trigger();
    settle();

    QCOMPARE(services().openDialogs, QStringList{u"Import"_s});
    QVERIFY2(texts(services().messages).constLast().startsWith(message),
             qPrintable(texts(services().messages).join(u'\n')));
    QCOMPARE(form()->txtDescr->text(), shown);
    QCOMPARE(services().progress.first().title, u"Import"_s);
    QCOMPARE(services().progress.first().stages, QStringList{u"Checking in.csv..."_s});
    QCOMPARE(contents(source), csv);
    QCOMPARE(fileRows(u"SELECT zelid FROM pvx"_s).size(), records);
}

void tst_ImportExport::importWaitsForAnEdit() {
    load({{{u"descr"_s, u"Kept"_s}, {u"dateorder"_s, QDate(2026, 1, 5)}}});
    QTest::keyClicks(form()->txtDescr, u"x"_s);
    services().nextOpenFileName = accessTestFile;
    form()->mnuImport->trigger();
    QCOMPARE(services().openDialogs, QStringList());
    QCOMPARE(texts(services().messages),
             QStringList{u"Import: Save the record with Update, or Cancel the changes, before "
                         u"you import."_s});
    QCOMPARE(form()->txtDescr->text(), u"Keptx"_s);
}

void tst_ImportExport::exportCsv() {
    load({{{u"descr"_s, u"Lamp, brass"_s},
           {u"dateorder"_s, QDate(2026, 1, 5)},
           {u"amount"_s, 12.5},
           {u"Type"_s, 2}}});
    const QString target = dirPath() + u"/out.csv"_s;
    writeFile(target, "what was there");

    // Cancel in the progress window: the file there stays as it was.
    services().nextSaveFileName = target;
    services().cancelInStage = u"Writing"_s;
    form()->mnuExportCsv->trigger();
    QCOMPARE(contents(target), QByteArray("what was there"));
    QCOMPARE(services().messages.size(), 0);

    services().cancelInStage.clear();
    form()->mnuExportCsv->trigger();
    QCOMPARE(services().saveRequests.constLast().caption, u"Export to CSV"_s);
    QCOMPARE(services().saveRequests.constLast().overwrite, OverwriteQuestion::ByDialog);
    QCOMPARE(texts(services().messages), QStringList{u"Export to CSV: Exported 1 record to "_s +
                                                     QDir::toNativeSeparators(target)});
    const QList<QByteArray> lines = contents(target).split('\n');
    QVERIFY(lines.at(0).startsWith("zelid,descr,Type,status,"));
    QCOMPARE(lines.at(1), "1,\"Lamp, brass\",Sale,,,,2026-01-05,,,12.50,,,,,,,,,\r");
}

void tst_ImportExport::startupOffer_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<MsgAnswer>("answer");
    QTest::addColumn<QString>("shown"); // the form's description; empty: the program ended
    QTest::addColumn<QString>("last");  // the last message's start

    QTest::newRow("Yes converts, then Purvex starts")
        << u"DateTest"_s << MsgAnswer::Yes << u"Year 1999"_s
        << u"Convert Database: Converted 6 records into a new pvx.mdb.  The old file is kept "
           u"unchanged as '"_s;
    QTest::newRow("No ends the program, nothing changed")
        << u"DateTest"_s << MsgAnswer::No << QString() << u"Purvex: 3343  The database file '"_s;
    QTest::newRow("no table pvx: nothing to ask")
        << u"pvx"_s << MsgAnswer::Yes << QString() << u"Purvex: 3343  The database file '"_s;
}

void tst_ImportExport::startupOffer() {
    QFETCH(QString, table);
    QFETCH(MsgAnswer, answer);
    QFETCH(QString, shown);
    QFETCH(QString, last);
    QVERIFY(QFile::copy(accessTestFile, databasePath()));
    QFile(databasePath()).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    const QByteArray old = contents(databasePath());
    services().answers = {answer};

    // The older program's own table holds the records in pvx, named as the fields; this file
    // keeps its rows in DateTest, so its columns are named here. The start-up itself asks
    // for pvx.
    if (table != u"pvx"_s) {
        state().gDbPath = databasePath();
        ErrorTrap trap(state(), services());
        trap([&] {
            offerAccessConversion(state(), services(),
                                  {table,
                                   {u"zelid=IDCol"_s, u"descr=ShortTextCol"_s,
                                    u"notes=LongTextCol"_s, u"dateorder=DateTimeCol"_s}});
        });
    }
    const bool started = !services().ended && showForm();

    const QStringList messages = texts(services().messages);
    QVERIFY2(messages.constLast().startsWith(last), qPrintable(messages.join(u'\n')));
    const QString kept = QDir::toNativeSeparators(dirPath() + u"/pvx-access.mdb"_s);
    if (shown.isEmpty()) {
        QVERIFY(!started);
        QVERIFY(services().ended);
        QCOMPARE(services().exitStatus, 1);
        QCOMPARE(contents(databasePath()), old);
        QCOMPARE(QDir(dirPath()).entryList(QDir::Files), QStringList{u"pvx.mdb"_s});
        QVERIFY(messages.constLast().contains(table == u"pvx"_s ? u"its tables are: DateTest."_s
                                                                : u"It was not converted"_s));
        return;
    }
    QVERIFY(started);
    QCOMPARE(messages.first(), u"Convert Database: The database file '%1' is an Access-format "
                               u"database (Jet 4), as the older program kept its records in, not "
                               u"a Purvex database.\n\nPurvex can convert it: a new pvx.mdb will "
                               u"hold its records, and the old file will be kept unchanged as "
                               u"'%2' beside it.\n\nConvert it now?"_s.arg(
                                   QDir::toNativeSeparators(databasePath()), kept));
    QCOMPARE(form()->txtDescr->text(), shown);
    QCOMPARE(contents(dirPath() + u"/pvx-access.mdb"_s), old);
    QCOMPARE(fileRows(u"SELECT count(*) AS n FROM pvx"_s).first().value(u"n"_s), 6);
}

QTEST_MAIN(tst_ImportExport)
#include "tst_ImportExport.moc"

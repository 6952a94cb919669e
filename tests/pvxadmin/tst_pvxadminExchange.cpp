// pvxadmin import and export as a script runs them: exit statuses, what they say, and the
// files read back with the sqlite3 tool.
#include "support/OrderFixture.h"

#include <QCryptographicHash>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString accessTestFile = QStringLiteral(PVX_SOURCE_DIR "/tests/data/DateTestDatabase.mdb");

struct Result {
    int exitCode = -1;
    QString out;
    QString err;
};

Result pvxadmin(const QStringList& arguments, const QString& folder) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(u"LC_ALL"_s);
    environment.insert(u"LANG"_s, u"en_US.UTF-8"_s);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(PVX_BINARY_DIR "/pvxadmin"), arguments);
    if (!process.waitForFinished(30000))
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

QString count(const QString& database) {
    QProcess sqlite;
    sqlite.start(QStringLiteral(PVX_SQLITE3_TOOL),
                 {u"-readonly"_s, database, u"SELECT count(*) FROM pvx"_s});
    if (!sqlite.waitForFinished(10000) || sqlite.exitCode() != 0) {
        QTest::qFail("sqlite3 could not read the file", __FILE__, __LINE__);
        return {};
    }
    return QString::fromUtf8(sqlite.readAllStandardOutput()).trimmed();
}

QByteArray digest(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly)
               ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
               : QByteArray();
}

} // namespace

class tst_pvxadminExchange : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void import_data();
    void import();
    void exportThenImport();
};

void tst_pvxadminExchange::import_data() {
    QTest::addColumn<QByteArray>("csv"); // written to in.csv; empty: the Access test file
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said"); // the start of what it says
    QTest::addColumn<QString>("records");

    const QByteArray two = "Description,Amount,Extra\nLamp,1.5,x\nVase,2,y\n";
    QTest::newRow("imported") << two << QStringList{} << 0
                              << u"Imported 2 records from in.csv\nColumns not imported: Extra\n"
                                 u"Fields not in the file, left as a new record has them: zelid,"_s
                              << u"2"_s;
    QTest::newRow("dry run") << two << QStringList{u"--dry-run"_s} << 0
                             << u"Would import 2 records from in.csv\n"_s << u"0"_s;
    QTest::newRow("empty file") << QByteArray("") << QStringList{} << 1
                                << u"pvxadmin: in.csv holds no records; nothing was imported."_s
                                << u"0"_s;
    QTest::newRow("heading only") << QByteArray("descr\r\n") << QStringList{} << 1
                                  << u"pvxadmin: in.csv holds no records"_s << u"0"_s;
    QTest::newRow("a bad value") << QByteArray("descr,Type\nLamp,Gift\n") << QStringList{} << 2
                                 << u"pvxadmin: Nothing was imported from in.csv; 1 problem was "
                                    u"found:\nrow 2, column \"Type\", value \"Gift\": not 0, 1, "_s
                                 << u"0"_s;
    QTest::newRow("an unknown field")
        << two << QStringList{u"--map"_s, u"colour=Extra"_s} << 2
        << u"pvxadmin: \"colour=Extra\" does not name a field"_s << u"0"_s;
    QTest::newRow("a table of a CSV file")
        << two << QStringList{u"--table"_s, u"x"_s} << 2 << u"pvxadmin: '"_s << u"0"_s;
    QTest::newRow("no table pvx") << QByteArray() << QStringList{} << 2
                                  << u"pvxadmin: The Access-format file '"_s << u"0"_s;
    QTest::newRow("Access table and columns named")
        << QByteArray()
        << QStringList{u"--table=DateTest"_s, u"--map=descr=ShortTextCol"_s,
                       u"--map=Date Ordered=DateCol"_s}
        << 0 << u"Imported 6 records from DateTestDatabase.mdb\n"_s << u"6"_s;
}

void tst_pvxadminExchange::import() {
    QFETCH(QByteArray, csv);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    QFETCH(QString, records);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString database = OrderFixture::createDatabase(dir.path());
    QString source = accessTestFile;
    const bool access = csv.isEmpty() && QTest::currentDataTag() != QByteArray("empty file");
    if (!access) {
        source = u"in.csv"_s;
        QFile file(dir.filePath(source));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(csv);
    } else {
        QVERIFY(QFile::copy(accessTestFile, dir.filePath(u"DateTestDatabase.mdb"_s)));
        source = u"DateTestDatabase.mdb"_s;
    }
    const QByteArray sourceBefore = digest(dir.filePath(source));

    const Result result =
        pvxadmin(QStringList{u"import"_s, dir.path(), source} + options, dir.path());
    QCOMPARE(result.exitCode, exitCode);
    const QString text = exitCode == 0 ? result.out : result.err;
    QVERIFY2(text.startsWith(said), qPrintable(result.out + result.err));
    QCOMPARE(count(database), records);
    QCOMPARE(digest(dir.filePath(source)), sourceBefore);
}

void tst_pvxadminExchange::exportThenImport() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir(u"from"_s));
    OrderFixture::createDatabase(dir.filePath(u"from"_s),
                                 {{{u"descr"_s, u"Lamp"_s}, {u"amount"_s, 0.125}},
                                  {{u"descr"_s, u"Vase \"blue\""_s}, {u"Type"_s, 1}}});
    const QString csv = dir.filePath(u"out.csv"_s);
    Result result = pvxadmin({u"export"_s, dir.filePath(u"from"_s), u"--csv"_s, csv}, dir.path());
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, u"Exported 2 records to %1\n"_s.arg(QDir::toNativeSeparators(csv)));

    // To the standard output the CSV goes alone; the note goes to the error stream.
    result = pvxadmin({u"export"_s, dir.filePath(u"from"_s), u"--csv=-"_s}, dir.path());
    QCOMPARE(result.exitCode, 0);
    QVERIFY(result.out.startsWith(u"zelid,descr,Type,status,"_s));
    QVERIFY(result.out.contains(u"\r\n2,\"Vase \"\"blue\"\"\",Rebate,,"_s));
    QCOMPARE(result.err, u"Exported 2 records to the standard output\n"_s);

    result = pvxadmin({u"export"_s, dir.filePath(u"from"_s)}, dir.path());
    QCOMPARE(result.exitCode, 2);
    QCOMPARE(result.err, u"pvxadmin: export needs --csv FILE (see pvxadmin --help)\n"_s);

    QVERIFY(QDir(dir.path()).mkdir(u"to"_s));
    const QString copy = OrderFixture::createDatabase(dir.filePath(u"to"_s));
    result = pvxadmin({u"import"_s, dir.filePath(u"to"_s), csv}, dir.path());
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(count(copy), u"2"_s);
}

QTEST_GUILESS_MAIN(tst_pvxadminExchange)
#include "tst_pvxadminExchange.moc"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run pvxadmin(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(PVX_BINARY_DIR "/pvxadmin"), arguments);
    Run run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace

// pvxadmin as the user runs it, with its files read back by the sqlite3 program.
class tst_pvxadmin : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void createThenCheckPasses();
    void createRefusesToReplaceAFile();
    void demoRecordsLookReal();
    void demoIsTheSameEveryTime();
    void demoMakesSixtyRecordsUnlessTold();
    void badArgumentsAreRefused_data();
    void badArgumentsAreRefused();
    void helpIsShown();
    void checkFailsOnAFileThatIsNoDatabase();
    void checkListsTheProblems();
    void anInterruptedDemoLeavesNothingBehind();

private:
    QString sql(const QString& path, const QString& query);
    QString dbPath() const { return QDir(m_dir->path()).filePath(QStringLiteral("pvx.mdb")); }
    QStringList filesInDir() const {
        return QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden);
    }

    QString m_sqlite3;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_pvxadmin::initTestCase() {
    QVERIFY2(QFile::exists(QStringLiteral(PVX_BINARY_DIR "/pvxadmin")), "pvxadmin not built");
    m_sqlite3 = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
}

void tst_pvxadmin::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QString tst_pvxadmin::sql(const QString& path, const QString& query) {
    if (m_sqlite3.isEmpty())
        return {};
    QProcess process;
    process.start(m_sqlite3, {QStringLiteral("-batch"), path, query});
    process.waitForFinished();
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

void tst_pvxadmin::createThenCheckPasses() {
    const Run created = pvxadmin({QStringLiteral("create"), m_dir->path()});
    QCOMPARE(created.exitCode, 0);
    QCOMPARE(created.err, QString());
    QCOMPARE(filesInDir(), QStringList({QStringLiteral("pvx.mdb")}));

    const Run checked = pvxadmin({QStringLiteral("check"), m_dir->path()});
    QCOMPARE(checked.exitCode, 0);
    QCOMPARE(checked.out, QStringLiteral("ok\n"));

    if (m_sqlite3.isEmpty())
        QSKIP("sqlite3 is not installed");
    QCOMPARE(sql(dbPath(), QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    QCOMPARE(sql(dbPath(), QStringLiteral("SELECT count(*) FROM pvx")), QStringLiteral("0"));
    QVERIFY(sql(dbPath(), QStringLiteral("SELECT count(*) FROM RptSpec")).toInt() >= 20);
}

void tst_pvxadmin::createRefusesToReplaceAFile() {
    QCOMPARE(pvxadmin({QStringLiteral("demo"), m_dir->path(), QStringLiteral("--records"),
                       QStringLiteral("7")})
                 .exitCode,
             0);
    QFile file(dbPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    for (const QString& command : {QStringLiteral("create"), QStringLiteral("demo")}) {
        const Run again = pvxadmin({command, m_dir->path()});
        QCOMPARE(again.exitCode, 1);
        QVERIFY2(again.err.startsWith(QLatin1String("pvxadmin: ")), qPrintable(again.err));
        QVERIFY(again.err.contains(QLatin1String("already exists")));
        QCOMPARE(again.err.count(u'\n'), 1);
    }
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    QCOMPARE(filesInDir(), QStringList({QStringLiteral("pvx.mdb")}));
}

void tst_pvxadmin::demoRecordsLookReal() {
    if (m_sqlite3.isEmpty())
        QSKIP("sqlite3 is not installed");
    const Run made = pvxadmin({QStringLiteral("demo"), m_dir->path(), QStringLiteral("--records"),
                               QStringLiteral("200")});
    QCOMPARE(made.exitCode, 0);
    const QString db = dbPath();
    const QString today = QDate::currentDate().toString(Qt::ISODate);

    QCOMPARE(sql(db, QStringLiteral("SELECT count(*) FROM pvx")), QStringLiteral("200"));
    QCOMPARE(sql(db, QStringLiteral("SELECT group_concat(Type) FROM "
                                    "(SELECT DISTINCT Type FROM pvx ORDER BY Type)")),
             QStringLiteral("0,1,2"));
    QCOMPARE(sql(db, QStringLiteral("SELECT group_concat(status) FROM "
                                    "(SELECT DISTINCT status FROM pvx ORDER BY status)")),
             QStringLiteral("0,1,2"));
    QVERIFY(sql(db, QStringLiteral("SELECT count(*) FROM pvx WHERE status <> 2 AND "
                                   "dateexpect <= '%1'")
                        .arg(today))
                .toInt() > 0);
    QVERIFY(sql(db, QStringLiteral("SELECT count(*) FROM pvx WHERE dateexpect IS NULL")).toInt() >
            0);
    QVERIFY(sql(db, QStringLiteral("SELECT count(*) FROM pvx WHERE amount IS NULL")).toInt() > 0);
    QCOMPARE(sql(db, QStringLiteral("SELECT count(*) FROM pvx WHERE typeof(amount) "
                                    "NOT IN ('real', 'integer', 'null')")),
             QStringLiteral("0"));

    // Dates: every order dated, none in the future; received only when (partly)
    // received, never before the order and never after today.
    QCOMPARE(sql(db, QStringLiteral("SELECT count(*) FROM pvx WHERE dateorder IS NULL OR "
                                    "dateorder > '%1' OR date(dateorder) IS NOT dateorder")
                         .arg(today)),
             QStringLiteral("0"));
    QCOMPARE(sql(db, QStringLiteral("SELECT count(*) FROM pvx WHERE (status = 0) <> "
                                    "(datereceive IS NULL)")),
             QStringLiteral("0"));
    QCOMPARE(sql(db, QStringLiteral("SELECT count(*) FROM pvx WHERE datereceive < dateorder "
                                    "OR datereceive > '%1'")
                         .arg(today)),
             QStringLiteral("0"));

    // Text fields as the program writes them: empty strings, never Null.
    QCOMPARE(sql(db, QStringLiteral(
                         "SELECT count(*) FROM pvx WHERE descr IS NULL OR ordernum IS NULL OR via "
                         "IS NULL OR method IS NULL OR misc1 IS NULL OR vendor IS NULL OR address "
                         "IS NULL OR phone IS NULL OR fax IS NULL OR email IS NULL OR items IS "
                         "NULL OR notes IS NULL OR descr = ''")),
             QStringLiteral("0"));

    // A vendor comes back with the same address, phone, fax and e-mail every time.
    QVERIFY(sql(db, QStringLiteral("SELECT count(*) FROM (SELECT vendor FROM pvx GROUP BY vendor "
                                   "HAVING count(*) > 2)"))
                .toInt() >= 5);
    QCOMPARE(sql(db, QStringLiteral("SELECT count(*) FROM (SELECT vendor FROM pvx GROUP BY vendor "
                                    "HAVING count(DISTINCT address || '|' || phone || '|' || fax "
                                    "|| '|' || email) > 1)")),
             QStringLiteral("0"));
    QVERIFY(sql(db, QStringLiteral("SELECT count(DISTINCT vendor) FROM pvx")).toInt() >= 20);

    QCOMPARE(pvxadmin({QStringLiteral("check"), m_dir->path()}).exitCode, 0);
}

void tst_pvxadmin::demoIsTheSameEveryTime() {
    if (m_sqlite3.isEmpty())
        QSKIP("sqlite3 is not installed");
    QTemporaryDir other;
    for (const QString& dir : {m_dir->path(), other.path()})
        QCOMPARE(pvxadmin({QStringLiteral("demo"), dir}).exitCode, 0);
    const QString dump = QStringLiteral("SELECT * FROM pvx ORDER BY zelid");
    const QString first = sql(dbPath(), dump);
    QVERIFY(!first.isEmpty());
    QCOMPARE(sql(QDir(other.path()).filePath(QStringLiteral("pvx.mdb")), dump), first);
}

void tst_pvxadmin::demoMakesSixtyRecordsUnlessTold() {
    if (m_sqlite3.isEmpty())
        QSKIP("sqlite3 is not installed");
    const Run made = pvxadmin({QStringLiteral("demo"), m_dir->path()});
    QCOMPARE(made.exitCode, 0);
    QCOMPARE(sql(dbPath(), QStringLiteral("SELECT count(*) FROM pvx")), QStringLiteral("60"));
}

void tst_pvxadmin::badArgumentsAreRefused_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");

    const QString dir = QStringLiteral("%DIR%");
    QTest::newRow("nothing") << QStringList() << 2;
    QTest::newRow("unknown command") << QStringList({"frobnicate", dir}) << 2;
    QTest::newRow("no directory") << QStringList({"create"}) << 2;
    QTest::newRow("two directories") << QStringList({"create", dir, dir}) << 2;
    QTest::newRow("unknown option") << QStringList({"create", dir, "--force"}) << 2;
    QTest::newRow("records without a number") << QStringList({"demo", dir, "--records"}) << 2;
    QTest::newRow("records zero") << QStringList({"demo", dir, "--records", "0"}) << 2;
    QTest::newRow("records negative") << QStringList({"demo", dir, "--records", "-5"}) << 2;
    QTest::newRow("records not a number") << QStringList({"demo", dir, "--records", "many"}) << 2;
    QTest::newRow("records a fraction") << QStringList({"demo", dir, "--records=1.5"}) << 2;
    QTest::newRow("records too many")
        << QStringList({"demo", dir, "--records", "99999999999999999999"}) << 2;
    QTest::newRow("records for create") << QStringList({"create", dir, "--records", "5"}) << 2;
    QTest::newRow("missing directory") << QStringList({"create", "%DIR%/nowhere"}) << 1;
    QTest::newRow("demo in a missing directory") << QStringList({"demo", "%DIR%/nowhere"}) << 1;
    QTest::newRow("check in a missing directory") << QStringList({"check", "%DIR%/nowhere"}) << 1;
    QTest::newRow("check without a database") << QStringList({"check", dir}) << 1;
}

void tst_pvxadmin::badArgumentsAreRefused() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    arguments.replaceInStrings(QStringLiteral("%DIR%"), m_dir->path());

    const Run run = pvxadmin(arguments);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.startsWith(QLatin1String("pvxadmin: ")), qPrintable(run.err));
    QCOMPARE(run.err.count(u'\n'), 1);
    QCOMPARE(run.out, QString());
    QCOMPARE(filesInDir(), QStringList());
}

void tst_pvxadmin::helpIsShown() {
    const Run run = pvxadmin({QStringLiteral("--help")});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QString());
    for (const char* word : {"create", "demo", "check", "--records"})
        QVERIFY2(run.out.contains(QLatin1String(word)), word);
}

void tst_pvxadmin::checkFailsOnAFileThatIsNoDatabase() {
    QFile file(dbPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("Purchase orders, typed into a text file.\n").repeated(200));
    file.close();

    const Run run = pvxadmin({QStringLiteral("check"), m_dir->path()});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.startsWith(QLatin1String("pvxadmin: ")), qPrintable(run.err));
    QCOMPARE(run.err.count(u'\n'), 1);
    QVERIFY(!run.out.contains(QLatin1String("ok")));
}

void tst_pvxadmin::checkListsTheProblems() {
    if (m_sqlite3.isEmpty())
        QSKIP("sqlite3 is not installed");
    QCOMPARE(pvxadmin({QStringLiteral("create"), m_dir->path()}).exitCode, 0);
    sql(dbPath(), QStringLiteral("DROP TABLE StatusNames; ALTER TABLE pvx DROP COLUMN fax;"));

    // A file path is checked as well as its folder.
    const Run run = pvxadmin({QStringLiteral("check"), dbPath()});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QStringLiteral("Column pvx.fax is missing.\n"
                                     "Table StatusNames is missing.\n"));
}

void tst_pvxadmin::anInterruptedDemoLeavesNothingBehind() {
    QProcess process;
    process.start(QStringLiteral(PVX_BINARY_DIR "/pvxadmin"),
                  {QStringLiteral("demo"), m_dir->path(), QStringLiteral("--records"),
                   QStringLiteral("50000000")});
    QVERIFY(process.waitForStarted());
    // Stop it while it is writing its temporary file.
    QTRY_VERIFY_WITH_TIMEOUT(!filesInDir().isEmpty(), 20000);
    process.terminate();
    QVERIFY(process.waitForFinished(20000));
    QCOMPARE(process.exitStatus(), QProcess::CrashExit);
    QCOMPARE(filesInDir(), QStringList());
}

QTEST_GUILESS_MAIN(tst_pvxadmin)
#include "tst_pvxadmin.moc"

#include "engine/Currency.h"
#include "support/OrderFixture.h"
#include "support/PdfText.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run pvxadmin(const QStringList& arguments,
             const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(PVX_BINARY_DIR "/pvxadmin"), arguments);
    Run run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QProcessEnvironment inLocale(const QString& lang) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"LC_ALL", "LC_NUMERIC", "LC_TIME", "LC_MONETARY", "LANGUAGE"})
        environment.remove(QLatin1String(name));
    environment.insert(QStringLiteral("LANG"), lang);
    return environment;
}

QVariantMap rebate(const QString& descr, const QDate& ordered, int status, qint64 cents) {
    return {{QStringLiteral("Type"), 1},
            {QStringLiteral("status"), status},
            {QStringLiteral("descr"), descr},
            {QStringLiteral("vendor"), QStringLiteral("Acme")},
            {QStringLiteral("dateorder"), ordered},
            {QStringLiteral("amount"), QVariant::fromValue(Currency::fromRaw(cents * 100))}};
}

// The first line of the PDF's text that holds text, with runs of blanks made one.
QString pdfLine(const QString& path, const QString& text) {
    for (const QString& page : pdf::pages(path)) {
        for (const QString& line : pdf::textLines(page)) {
            if (line.contains(text))
                return line.simplified();
        }
    }
    return {};
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
    void createAndDemoMakeTheFolder_data();
    void createAndDemoMakeTheFolder();
    void demoRecordsLookReal();
    void demoIsTheSameEveryTime();
    void demoMakesSixtyRecordsUnlessTold();
    void badArgumentsAreRefused_data();
    void badArgumentsAreRefused();
    void helpIsShown();
    void checkFailsOnAFileThatIsNoDatabase();
    void checkListsTheProblems_data();
    void checkListsTheProblems();
    void checkWarnsOfOddValuesAndOnlyReads();
    void anInterruptedDemoLeavesNothingBehind();
    void reportWritesThePdf_data();
    void reportWritesThePdf();
    void reportCoversThisYearUnlessTold();
    void reportNeedsNoDisplay();
    void reportWithNothingToShowWritesNothing_data();
    void reportWithNothingToShowWritesNothing();
    void dueListsWhatNeedsChasing_data();
    void dueListsWhatNeedsChasing();

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
    m_sqlite3 = QStringLiteral(PVX_SQLITE3_TOOL);
}

void tst_pvxadmin::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QString tst_pvxadmin::sql(const QString& path, const QString& query) {
    QProcess process;
    process.start(m_sqlite3, {QStringLiteral("-batch"), path, query});
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        QTest::qFail(qPrintable(QStringLiteral("sqlite3 failed: ") +
                                QString::fromLocal8Bit(process.readAllStandardError())),
                     __FILE__, __LINE__);
        return {};
    }
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

void tst_pvxadmin::createAndDemoMakeTheFolder_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("folder"); // under the test's folder
    QTest::addColumn<int>("exitCode");
    QTest::newRow("create, three levels") << u"create"_s << u"a/b/c"_s << 0;
    QTest::newRow("demo, one level") << u"demo"_s << u"new"_s << 0;
    QTest::newRow("create under a file") << u"create"_s << u"file/sub"_s << 1;
}

void tst_pvxadmin::createAndDemoMakeTheFolder() {
    QFETCH(QString, command);
    QFETCH(QString, folder);
    QFETCH(int, exitCode);
    QFile file(QDir(m_dir->path()).filePath(u"file"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString dir = QDir(m_dir->path()).filePath(folder);

    const Run run = pvxadmin({command, dir});
    QCOMPARE(run.exitCode, exitCode);
    const QString database = QDir(dir).filePath(u"pvx.mdb"_s);
    if (exitCode == 0) {
        QCOMPARE(run.err, QString());
        QCOMPARE(pvxadmin({u"check"_s, dir}).exitCode, 0);
        QCOMPARE(sql(database, u"SELECT count(*) FROM pvx"_s),
                 command == u"demo" ? u"60"_s : u"0"_s);
    } else {
        QVERIFY2(run.err.startsWith(u"pvxadmin: "_s) && run.err.count(u'\n') == 1,
                 qPrintable(run.err));
        QVERIFY2(run.err.contains(QDir::toNativeSeparators(dir)), qPrintable(run.err));
        QCOMPARE(filesInDir(), QStringList{u"file"_s});
        QCOMPARE(file.size(), 0);
    }
}

void tst_pvxadmin::demoRecordsLookReal() {
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
    QTemporaryDir other;
    for (const QString& dir : {m_dir->path(), other.path()})
        QCOMPARE(pvxadmin({QStringLiteral("demo"), dir}).exitCode, 0);
    const QString dump = QStringLiteral("SELECT * FROM pvx ORDER BY zelid");
    const QString first = sql(dbPath(), dump);
    QVERIFY(!first.isEmpty());
    QCOMPARE(sql(QDir(other.path()).filePath(QStringLiteral("pvx.mdb")), dump), first);
}

void tst_pvxadmin::demoMakesSixtyRecordsUnlessTold() {
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
    QTest::newRow("check in a missing directory") << QStringList({"check", "%DIR%/nowhere"}) << 1;
    QTest::newRow("check without a database") << QStringList({"check", dir}) << 1;
    const QString pdf = QStringLiteral("%DIR%/r.pdf");
    QTest::newRow("report without a name") << QStringList({"report"}) << 2;
    QTest::newRow("report without a directory") << QStringList({"report", "overdue"}) << 2;
    QTest::newRow("report without --pdf") << QStringList({"report", "overdue", dir}) << 2;
    QTest::newRow("report --pdf without a file")
        << QStringList({"report", "overdue", dir, "--pdf"}) << 2;
    QTest::newRow("unknown report")
        << QStringList({"report", "everything", dir, "--pdf", pdf}) << 2;
    QTest::newRow("report date not ISO")
        << QStringList({"report", "all-orders", dir, "--pdf", pdf, "--from", "03/01/2024"}) << 2;
    QTest::newRow("report date no such day")
        << QStringList({"report", "all-orders", dir, "--pdf", pdf, "--to=2024-02-30"}) << 2;
    QTest::newRow("report range for overdue")
        << QStringList({"report", "overdue", dir, "--pdf", pdf, "--from", "2024-01-01"}) << 2;
    QTest::newRow("pdf for create") << QStringList({"create", dir, "--pdf", pdf}) << 2;
    QTest::newRow("report in a missing directory")
        << QStringList({"report", "outstanding", "%DIR%/nowhere", "--pdf", pdf}) << 1;
    QTest::newRow("report without a database")
        << QStringList({"report", "outstanding", dir, "--pdf", pdf}) << 1;
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
    for (const char* word :
         {"create", "demo", "check", "--records", "report", "--pdf", "all-orders", "overdue"})
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

void tst_pvxadmin::checkListsTheProblems_data() {
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("problems"); // empty: the file is sound
    QTest::newRow("missing table and column")
        << u"DROP TABLE StatusNames; ALTER TABLE pvx DROP COLUMN fax;"_s
        << u"Column pvx.fax is missing.\nTable StatusNames is missing.\n"_s;
    // Each report field's query is run, with every other table of the catalogue joined.
    QTest::newRow("a column two joined tables have")
        << u"ALTER TABLE TypeNames ADD COLUMN notes TEXT"_s
        << u"RptSpec row 18 (\"Notes\"): a report of this field with fields of StatusNames, "
           u"TypeNames fails: Database engine failure: ambiguous column name: notes\n"_s;
    QTest::newRow("a qualified column that is not there")
        << u"UPDATE RptSpec SET fieldname = 'StatusNames.Colour' WHERE SpecID = 3"_s
        << u"RptSpec row 3 (\"Received\"): a report of this field fails: Item "
           u"'StatusNames.Colour' not found in this collection.\n"_s;
    QTest::newRow("qualified and quoted names that are there")
        << u"UPDATE RptSpec SET fieldname = '[pvx].\"descr\"' WHERE SpecID = 1"_s << QString();
}

void tst_pvxadmin::checkListsTheProblems() {
    QFETCH(QString, damage);
    QFETCH(QString, problems);
    QCOMPARE(pvxadmin({QStringLiteral("create"), m_dir->path()}).exitCode, 0);
    sql(dbPath(), damage);

    // A file path is checked as well as its folder.
    const Run run = pvxadmin({QStringLiteral("check"), dbPath()});
    QCOMPARE(run.exitCode, problems.isEmpty() ? 0 : 1);
    QCOMPARE(run.out, problems.isEmpty() ? u"ok\n"_s : problems);
}

void tst_pvxadmin::checkWarnsOfOddValuesAndOnlyReads() {
    QCOMPARE(pvxadmin({QStringLiteral("create"), m_dir->path()}).exitCode, 0);
    sql(dbPath(), QStringLiteral("INSERT INTO pvx (zelid, descr, amount, dateexpect, Type) "
                                 "VALUES (7, 'Imported', 1e300, 'hello', 'x');"
                                 "INSERT INTO pvx (zelid, descr, dateorder) "
                                 "VALUES (8, 'Fine', '2026-01-05 14:05:00');"));
    // A backup copy on a read-only medium: checking reads it and leaves it alone.
    QFile file(dbPath());
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::ReadGroup));
    QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner));
    const auto restore = qScopeGuard([&] {
        QFile::setPermissions(m_dir->path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    QFile before(dbPath());
    QVERIFY(before.open(QIODevice::ReadOnly));
    const QByteArray bytes = before.readAll();
    before.close();

    const QString warnings =
        QStringLiteral("record 7, Type: \"x\" is text where a number belongs\n"
                       "record 7, dateexpect: \"hello\" is not a date\n"
                       "record 7, amount: \"1e+300\" is beyond the amounts Purvex handles\n");
    const Run lenient = pvxadmin({QStringLiteral("check"), m_dir->path()});
    QCOMPARE(lenient.exitCode, 0);
    QString expected;
    for (const QString& line : warnings.split(u'\n', Qt::SkipEmptyParts))
        expected += QStringLiteral("warning: ") + line + u'\n';
    QCOMPARE(lenient.out, expected + QStringLiteral("ok\n"));

    const Run strict =
        pvxadmin({QStringLiteral("check"), m_dir->path(), QStringLiteral("--strict")});
    QCOMPARE(strict.exitCode, 1);
    QCOMPARE(strict.out, warnings);

    QVERIFY(before.open(QIODevice::ReadOnly));
    QCOMPARE(before.readAll(), bytes);
    QCOMPARE(filesInDir(), QStringList{QStringLiteral("pvx.mdb")});
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

void tst_pvxadmin::reportWritesThePdf_data() {
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("received");
    QTest::addColumn<QString>("due");
    QTest::newRow("en_US") << QStringLiteral("en_US.UTF-8")
                           << QStringLiteral("Rebates for 3/1/2024 to 3/31/2024 Page 1")
                           << QStringLiteral("Total Received $1,234.56")
                           << QStringLiteral("Total Due ($0.50)");
    // No locale named: the program's en_US conventions, not the bare C locale.
    QTest::newRow("C") << QStringLiteral("C")
                       << QStringLiteral("Rebates for 3/1/2024 to 3/31/2024 Page 1")
                       << QStringLiteral("Total Received $1,234.56")
                       << QStringLiteral("Total Due ($0.50)");
    QTest::newRow("de_DE") << QStringLiteral("de_DE.UTF-8")
                           << QStringLiteral("Rebates for 01.03.2024 to 31.03.2024 Page 1")
                           << QStringLiteral("Total Received 1.234,56 €")
                           << QStringLiteral("Total Due -0,50 €");
}

void tst_pvxadmin::reportWritesThePdf() {
    QFETCH(QString, lang);
    QFETCH(QString, title);
    QFETCH(QString, received);
    QFETCH(QString, due);
    OrderFixture::createDatabase(
        m_dir->path(), {rebate(QStringLiteral("First | of; March"), QDate(2024, 3, 1), 2, 123456),
                        rebate(QStringLiteral("Refund"), QDate(2024, 3, 31), 0, -50),
                        rebate(QStringLiteral("April"), QDate(2024, 4, 1), 2, 100000)});
    QTemporaryDir out;
    const QString pdfPath = QDir(out.path()).filePath(QStringLiteral("rebates.pdf"));
    const Run run = pvxadmin({QStringLiteral("report"), QStringLiteral("all-rebates"),
                              m_dir->path(), QStringLiteral("--pdf"), pdfPath,
                              QStringLiteral("--from"), QStringLiteral("2024-03-01"),
                              QStringLiteral("--to"), QStringLiteral("2024-03-31")},
                             inLocale(lang));
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QString());
    QVERIFY2(run.out.startsWith(QStringLiteral("Wrote ")), qPrintable(run.out));
    // The file alone: no temporary left beside it.
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({QStringLiteral("rebates.pdf")}));

    const QStringList pages = pdf::pages(pdfPath);
    QCOMPARE(pages.size(), 1);
    const QStringList lines = pdf::textLines(pages.first());
    QCOMPARE(lines.at(0).simplified(), title);
    QCOMPARE(lines.at(1).simplified(),
             QStringLiteral("Description Vendor Date Ordered Rec'd Amount"));
    QVERIFY(lines.at(2).simplified().startsWith(QStringLiteral("First | of; March Acme")));
    QVERIFY(!pdfLine(pdfPath, QStringLiteral("April")).contains(QStringLiteral("April")));
    const auto squeezed = [](QString text) {
        text.replace(QChar(0x00A0), u' ').replace(QChar(0x202F), u' ');
        return text.simplified();
    };
    QCOMPARE(squeezed(pdfLine(pdfPath, QStringLiteral("Total Received"))), received);
    QCOMPARE(squeezed(pdfLine(pdfPath, QStringLiteral("Total Due"))), due);
}

void tst_pvxadmin::reportCoversThisYearUnlessTold() {
    const QDate today = QDate::currentDate();
    OrderFixture::createDatabase(
        m_dir->path(), {{{QStringLiteral("Type"), 0},
                         {QStringLiteral("status"), 0},
                         {QStringLiteral("descr"), QStringLiteral("New Year")},
                         {QStringLiteral("dateorder"), QDate(today.year(), 1, 1)}},
                        {{QStringLiteral("Type"), 0},
                         {QStringLiteral("status"), 0},
                         {QStringLiteral("descr"), QStringLiteral("Today")},
                         {QStringLiteral("dateorder"), today}},
                        {{QStringLiteral("Type"), 0},
                         {QStringLiteral("status"), 0},
                         {QStringLiteral("descr"), QStringLiteral("Last year")},
                         {QStringLiteral("dateorder"), QDate(today.year() - 1, 12, 31)}}});
    const QString pdfPath = QDir(m_dir->path()).filePath(QStringLiteral("orders.pdf"));
    const Run run = pvxadmin({QStringLiteral("report"), QStringLiteral("all-orders"), m_dir->path(),
                              QStringLiteral("--pdf"), pdfPath},
                             inLocale(QStringLiteral("en_US.UTF-8")));
    QCOMPARE(run.exitCode, 0);
    const QString text = pdf::pages(pdfPath).join(u'\n');
    QVERIFY(text.contains(QStringLiteral("Orders for 1/1/%1 to %2")
                              .arg(today.year())
                              .arg(today.toString(QStringLiteral("M/d/yyyy")))));
    QVERIFY(text.contains(QStringLiteral("New Year")));
    QVERIFY(text.contains(QStringLiteral("Today")));
    QVERIFY(!text.contains(QStringLiteral("Last year")));
}

void tst_pvxadmin::reportNeedsNoDisplay() {
    const QDate today = QDate::currentDate();
    OrderFixture::createDatabase(m_dir->path(),
                                 {{{QStringLiteral("Type"), 2},
                                   {QStringLiteral("status"), 1},
                                   {QStringLiteral("descr"), QStringLiteral("Due today")},
                                   {QStringLiteral("dateexpect"), today}},
                                  {{QStringLiteral("Type"), 0},
                                   {QStringLiteral("status"), 0},
                                   {QStringLiteral("descr"), QStringLiteral("Due tomorrow")},
                                   {QStringLiteral("dateexpect"), today.addDays(1)}}});
    // As from cron: no display, no platform chosen, no runtime directory.
    QProcessEnvironment environment = inLocale(QStringLiteral("en_US.UTF-8"));
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"})
        environment.remove(QLatin1String(name));
    const QString pdfPath = QDir(m_dir->path()).filePath(QStringLiteral("overdue.pdf"));
    const Run run = pvxadmin({QStringLiteral("report"), QStringLiteral("overdue"), m_dir->path(),
                              QStringLiteral("--pdf"), pdfPath},
                             environment);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QString());
    const QString text = pdf::pages(pdfPath).join(u'\n');
    QVERIFY(text.contains(QStringLiteral("OverDue Orders/Rebates/Sales")));
    QVERIFY(text.contains(QStringLiteral("Due today")));
    QVERIFY(!text.contains(QStringLiteral("Due tomorrow")));
}

void tst_pvxadmin::reportWithNothingToShowWritesNothing_data() {
    QTest::addColumn<QString>("report");
    QTest::addColumn<QString>("message");
    QTest::newRow("all-orders") << QStringLiteral("all-orders")
                                << QStringLiteral("You have not entered any reportable orders!");
    QTest::newRow("all-sales") << QStringLiteral("all-sales")
                               << QStringLiteral("You have not entered any reportable sales!");
    QTest::newRow("outstanding") << QStringLiteral("outstanding")
                                 << QStringLiteral("You have not entered any reportable rebates!");
    QTest::newRow("overdue") << QStringLiteral("overdue")
                             << QStringLiteral(
                                    "There are no overdue orders or rebates in the database.");
}

void tst_pvxadmin::reportWithNothingToShowWritesNothing() {
    QFETCH(QString, report);
    QFETCH(QString, message);
    // One rebate, received, long ago.
    OrderFixture::createDatabase(m_dir->path(),
                                 {rebate(QStringLiteral("Old"), QDate(2001, 1, 1), 2, 100)});
    QTemporaryDir out;
    const QString pdfPath = QDir(out.path()).filePath(QStringLiteral("report.pdf"));
    // A report written earlier stays as it was.
    QFile earlier(pdfPath);
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("the earlier report");
    earlier.close();

    const Run run = pvxadmin(
        {QStringLiteral("report"), report, m_dir->path(), QStringLiteral("--pdf"), pdfPath});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QString());
    QCOMPARE(run.err, QStringLiteral("pvxadmin: ") + message + u'\n');
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), QByteArray("the earlier report"));
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({QStringLiteral("report.pdf")}));
}

void tst_pvxadmin::dueListsWhatNeedsChasing_data() {
    QTest::addColumn<bool>("somethingOverdue");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output");

    const QDate today = QDate::currentDate();
    const auto iso = [&today](int days) { return today.addDays(days).toString(Qt::ISODate); };
    QTest::newRow("tsv: overdue oldest first, then due within 7 days")
        << true << QStringList{QStringLiteral("--format"), QStringLiteral("tsv")} << 1
        << QStringLiteral("state\ttype\tdescription\tvendor\texpected\tamount\n"
                          "overdue\tRebate\tLens rebate\t\t%1\t25.00\n"
                          "overdue\tOrder\tTent with poles\tCamp, Ltd\t%2\t1234.5678\n"
                          "due\tSale\tOld bike\tA buyer\t%3\t80.00\n")
               .arg(iso(-40), iso(0), iso(7));
    QTest::newRow("text, 30 days ahead")
        << true << QStringList{QStringLiteral("--days"), QStringLiteral("30")} << 1
        << QStringLiteral("Overdue: 2\n"
                          "  Rebate  Lens rebate                 %1      25.00\n"
                          "  Order   Tent with poles  Camp, Ltd  %2  1234.5678\n"
                          "Due within 30 days: 2\n"
                          "  Sale   Old bike   A buyer  %3  80.00\n"
                          "  Order  Far ahead           %4\n")
               .arg(iso(-40), iso(0), iso(7), iso(30));
    QTest::newRow("nothing overdue")
        << false << QStringList{} << 0
        << QStringLiteral("Overdue: none\nDue within 7 days: 1\n  Sale  Old bike  A buyer  %1  "
                          "80.00\n")
               .arg(iso(7));
    QTest::newRow("days not a number")
        << true << QStringList{QStringLiteral("--days"), QStringLiteral("soon")} << 2 << QString();
}

void tst_pvxadmin::dueListsWhatNeedsChasing() {
    QFETCH(bool, somethingOverdue);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    QCOMPARE(pvxadmin({QStringLiteral("create"), m_dir->path()}).exitCode, 0);
    // Received items never count, whatever their date; a tab in a description becomes a blank.
    QString rows = QStringLiteral(
        "INSERT INTO pvx (descr, Type, status, dateexpect, amount, vendor) VALUES "
        "('Old bike', 2, 1, date('now', 'localtime', '+7 days') || ' 18:00:00', 80, 'A buyer'),"
        "('Far ahead', 0, 0, date('now', 'localtime', '+30 days'), NULL, NULL),"
        "('Paid', 1, 2, date('now', 'localtime', '-3 days'), 10, 'X');");
    if (somethingOverdue)
        rows += QStringLiteral(
            "INSERT INTO pvx (descr, Type, status, dateexpect, amount, vendor) VALUES "
            "('Tent' || char(9) || 'with poles', 0, 0, date('now', 'localtime'), 1234.5678, "
            "'Camp, Ltd'),"
            "('Lens rebate', 1, 1, date('now', 'localtime', '-40 days'), 25, NULL);");
    sql(dbPath(), rows);

    const Run run = pvxadmin(QStringList{QStringLiteral("due"), m_dir->path()} + options);
    QCOMPARE(run.exitCode, exitCode);
    if (exitCode == 2)
        QVERIFY(run.err.startsWith(QStringLiteral("pvxadmin: --days")));
    else
        QCOMPARE(run.out, output);
    // A file that cannot be read is an error, never "nothing overdue".
    QCOMPARE(pvxadmin({QStringLiteral("due"), m_dir->path() + QStringLiteral("/none")}).exitCode,
             2);
}

QTEST_GUILESS_MAIN(tst_pvxadmin)
#include "tst_pvxadmin.moc"

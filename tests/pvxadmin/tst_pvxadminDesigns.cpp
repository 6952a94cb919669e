#include "engine/Schema.h"
#include "support/CustomFixture.h"

using namespace custom;

namespace {

struct Result {
    int exitCode = -1;
    QString out;
    QString err;
};

Result pvxadmin(const QStringList& arguments, const QString& lang = u"en_US"_s) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(u"LC_ALL"_s);
    environment.insert(u"LANG"_s, lang + u".UTF-8"_s);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(PVX_BINARY_DIR "/pvxadmin"), arguments);
    Result result;
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit)
        result = {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                  QString::fromUtf8(process.readAllStandardError())};
    return result;
}

// The design of the tests: the orders from 1999 on by record, their date hidden, a total.
const QStringList Spending = {u"--field=Description"_s,  u"--field=Amount"_s,
                              u"--total=Amount"_s,       u"--field=Date Ordered"_s,
                              u"--hide=Date Ordered"_s,  u"--from=Date Ordered=1999-01-01"_s,
                              u"--sort=Record Number"_s, u"--title=Spend"_s};

} // namespace

// pvxadmin's saved designs: made, listed and run with changes by a script, and what it
// refuses or warns about, with the file left as it was whenever it refuses.
class tst_pvxadminDesigns : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void aDesignRunsWithWhatTheCommandLineChanges_data();
    void aDesignRunsWithWhatTheCommandLineChanges();
    void aRefusalLeavesTheFileAsItWas_data();
    void aRefusalLeavesTheFileAsItWas();
    void designsThatCannotBeLoadedAreWarnedAbout();

private:
    QString file(const QString& name) const { return QDir(m_dir->path()).filePath(name); }
    Result run(QStringList arguments, const QString& lang = u"en_US"_s) const {
        return pvxadmin(QStringList{arguments.takeFirst(), m_dir->path()} + arguments, lang);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_pvxadminDesigns::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    createDatabase(m_dir->path());
}

void tst_pvxadminDesigns::aDesignRunsWithWhatTheCommandLineChanges_data() {
    // The design is saved in one locale, with a bound as that locale writes 500.5 (below the
    // 999.99 order and above the 10.10 one), and run in en_US.
    QTest::addColumn<QString>("savedIn");
    QTest::addColumn<QString>("bound");
    QTest::addColumn<QStringList>("changes");
    QTest::newRow("as saved") << u"en_US"_s << u"500.5"_s << QStringList();
    QTest::newRow("saved in Germany") << u"de_DE"_s << u"500,5"_s << QStringList();
    QTest::newRow("dates moved") << u"fr_FR"_s << u"500,5"_s
                                 << QStringList{u"--from=Date Ordered=1999-03-31"_s,
                                                u"--to=Date Ordered=1999-12-31"_s};
    QTest::newRow("title, sort, a field added")
        << u"en_US"_s << u"500.5"_s
        << QStringList{u"--title=Other"_s, u"--sort=Description"_s, u"--field=Type"_s};
    QTest::newRow("a field of the design given again, a width")
        << u"en_US"_s << u"500.5"_s
        << QStringList{u"--field=Amount"_s, u"--width=Amount=2"_s, u"--less=Amount=500"_s};
}

void tst_pvxadminDesigns::aDesignRunsWithWhatTheCommandLineChanges() {
    QFETCH(QString, savedIn);
    QFETCH(QString, bound);
    QFETCH(QStringList, changes);
    const Result saved = run(QStringList{u"custom"_s} + Spending +
                                 QStringList{u"--less=Amount="_s + bound, u"--save-as=Spend"_s},
                             savedIn);
    QCOMPARE(saved.err, QString());
    QCOMPARE(saved.out, u"Saved the design \"Spend\".\n"_s);
    const auto stored = [this] {
        auto db = Database::open(file(u"pvx.mdb"_s), false);
        return db->scalar(u"SELECT DesignName || Design FROM ReportDesigns"_s).toString();
    };
    const QString design = stored();

    const Result fromDesign = run(QStringList{u"custom"_s, u"--design=SPEND"_s} + changes +
                                  QStringList{u"--html"_s, file(u"design.htm"_s)});
    QCOMPARE(fromDesign.err, QString());
    QCOMPARE(fromDesign.exitCode, 0);
    // The same options on their own give the same report, byte for byte.
    QStringList given = Spending + QStringList{u"--less=Amount=500.5"_s} + changes;
    given.removeDuplicates();
    // Sorts given replace the design's.
    if (changes.filter(u"--sort"_s).size() > 0)
        given.removeOne(u"--sort=Record Number"_s);
    const Result direct =
        run(QStringList{u"custom"_s} + given + QStringList{u"--html"_s, file(u"direct.htm"_s)});
    QCOMPARE(direct.exitCode, 0);
    QCOMPARE(readAll(file(u"design.htm"_s)), readAll(file(u"direct.htm"_s)));
    // For this run only.
    QCOMPARE(stored(), design);
    QCOMPARE(run({u"designs"_s}).out,
             u"Spend\tDescription, Amount, Date Ordered (hidden)\tScreen/Printer\n"_s);
}

void tst_pvxadminDesigns::aRefusalLeavesTheFileAsItWas_data() {
    QTest::addColumn<QString>("setup"); // SQL run first
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    const QStringList save = {u"custom"_s, u"--field=Amount"_s, u"--save-as=Spend"_s};
    const QString taken = u"INSERT INTO ReportDesigns VALUES ('spend', 'spend', '{}')"_s;
    QTest::newRow("name taken") << taken << save << 2 << u"add --replace"_s;
    QTest::newRow("no such design")
        << taken << QStringList{u"custom"_s, u"--design=Other"_s, u"--tsv=-"_s} << 2
        << u"no design is called that"_s;
    QTest::newRow("newer file") << u"PRAGMA user_version = 9"_s << save << 1
                                << u"made by a newer version of Purvex"_s;
    QTest::newRow("in use by Purvex") << u"lock"_s << save << 1 << u"file already in use"_s;
    // Read without being upgraded, a file of the first layout holds no designs.
    QTest::newRow("earlier layout, listed")
        << u"DROP TABLE ReportDesigns; PRAGMA user_version = 1"_s << QStringList{u"designs"_s} << 0
        << QString();
}

void tst_pvxadminDesigns::aRefusalLeavesTheFileAsItWas() {
    QFETCH(QString, setup);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    if (!setup.isEmpty() && setup != u"lock")
        Database::open(file(u"pvx.mdb"_s), false)->execute(setup);
    const QByteArray before = readAll(file(u"pvx.mdb"_s));
    // Taken after the file is read: closing any handle on it lets go of the process's locks.
    std::unique_ptr<Database> held;
    if (setup == u"lock")
        held = Database::open(file(u"pvx.mdb"_s), true);
    const Result result = run(arguments);
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY2(result.err.contains(message) && result.err.count(u'\n') == (message.isEmpty() ? 0 : 1),
             qPrintable(result.err));
    if (!message.isEmpty())
        QCOMPARE(result.out, QString());
    else
        QCOMPARE(result.out, u"No designs are saved in %1.\n"_s.arg(file(u"pvx.mdb"_s)));
    held.reset();
    QVERIFY(readAll(file(u"pvx.mdb"_s)) == before);

    // Saving brings a file of the earlier layout up to date first.
    if (setup.startsWith(u"DROP"_s)) {
        QCOMPARE(run({u"custom"_s, u"--field=Amount"_s, u"--save-as=Spend"_s}).exitCode, 0);
        QCOMPARE(
            Database::open(file(u"pvx.mdb"_s), false)->scalar(u"PRAGMA user_version"_s).toInt(),
            Schema::CurrentVersion);
    }
}

void tst_pvxadminDesigns::designsThatCannotBeLoadedAreWarnedAbout() {
    {
        auto db = Database::open(file(u"pvx.mdb"_s), false);
        const QString insert = u"INSERT INTO ReportDesigns VALUES (?, ?, ?)"_s;
        db->execute(insert, {u"broken"_s, u"Broken"_s, u"{\"purvexReportDesign\": 1,"_s});
        db->execute(insert, {u"old"_s, u"Old"_s,
                             u"{\"purvexReportDesign\": 1, \"fields\": [{\"name\": \"Colour\"}, "
                             u"{\"name\": \"Amount\"}]}"_s});
        db->execute(insert, {u"moved"_s, u"Moved"_s, u"{\"purvexReportDesign\": 1}"_s});
        db->execute(
            u"UPDATE ReportDesigns SET DesignKey = 'elsewhere' WHERE DesignKey = 'moved'"_s);
    }
    // Never a fault of the file.
    const Result check = run({u"check"_s});
    QCOMPARE(check.exitCode, 0);
    for (const QString& line :
         {u"warning: design \"Broken\" cannot be read: it is not a report design.\n"_s,
          u"warning: design \"Old\": names what the report catalogue does not have: \"Colour\"\n"_s,
          u"warning: design \"Moved\": its key \"elsewhere\" is not its name's, so it cannot be "
          u"found by its name\n"_s})
        QVERIFY2(check.out.contains(line), qPrintable(check.out));
    QVERIFY(check.out.endsWith(u"ok\n"_s));

    const Result listed = run({u"designs"_s});
    QCOMPARE(listed.exitCode, 0);
    QCOMPARE(listed.out, u"Broken\t\t\nMoved\t\tScreen/Printer\n"
                         u"Old\tAmount; left out: \"Colour\"\tScreen/Printer\n"_s);
    QCOMPARE(
        listed.err,
        u"pvxadmin: warning: the design \"Broken\" cannot be read: it is not a report design.\n"_s);
    // Run, a design that lost a field could show what it was meant to leave out: refused.
    for (const QString& name : {u"Broken"_s, u"Old"_s}) {
        const Result result = run({u"custom"_s, u"--design"_s, name, u"--tsv=-"_s});
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.err.startsWith(u"pvxadmin: the design \"%1\" "_s.arg(name)),
                 qPrintable(result.err));
    }
}

QTEST_GUILESS_MAIN(tst_pvxadminDesigns)
#include "tst_pvxadminDesigns.moc"

#include "engine/Currency.h"
#include "support/CustomFixture.h"
#include "support/PdfText.h"

#include <QStandardPaths>

#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

struct Result {
    int exitCode = -1;
    QByteArray out;
    QString err;
};

// pvxadmin in en_US; -1 when it does not end within the time given (a file it waits on for
// ever). Unprivileged: as nobody when the test runs as the administrator, for whom every
// folder is open.
Result pvxadmin(const QStringList& arguments, bool unprivileged = false) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(u"LC_ALL"_s);
    environment.insert(u"LANG"_s, u"en_US.UTF-8"_s);
    QProcess process;
    process.setProcessEnvironment(environment);
    const QString program = QStringLiteral(PVX_BINARY_DIR "/pvxadmin");
    if (unprivileged && ::geteuid() == 0)
        process.start(u"setpriv"_s, QStringList{u"--reuid=65534"_s, u"--regid=65534"_s,
                                                u"--clear-groups"_s, program} +
                                        arguments);
    else
        process.start(program, arguments);
    Result result;
    if (!process.waitForFinished(20000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    return {process.exitCode(), process.readAllStandardOutput(),
            QString::fromUtf8(process.readAllStandardError())};
}

// The kind of what stands under a name, and which file or device it is.
QList<qint64> identity(const QString& path) {
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    return {qint64(status.st_mode & S_IFMT), qint64(status.st_ino), qint64(status.st_rdev)};
}

bool execute(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// The state a program that stops in the middle of changing every record leaves: some pages
// of `copy` already written, the journal beside it holding what they were.
bool copyMidWrite(const QString& source, const QString& copy) {
    sqlite3* db = nullptr;
    bool done = sqlite3_open(QFile::encodeName(source).constData(), &db) == SQLITE_OK &&
                execute(db, "PRAGMA cache_size=2; BEGIN; UPDATE pvx SET notes = 'half'") &&
                QFile::copy(source, copy) &&
                QFile::copy(source + u"-journal"_s, copy + u"-journal"_s);
    done = execute(db, "ROLLBACK") && done;
    sqlite3_close(db);
    return done && custom::readAll(copy) != custom::readAll(source);
}

} // namespace

// pvxadmin's files when they are not what they should be: an output that is a pipe, a
// device or a folder; a database left by a crash, cut short, or a pipe.
class tst_pvxadminFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void outputGoesOnlyWhereItBelongs_data();
    void outputGoesOnlyWhereItBelongs();
    void aDatabaseIsReadOnlyWhenWhole_data();
    void aDatabaseIsReadOnlyWhenWhole();
    void controlCharactersAreLeftOut_data();
    void controlCharactersAreLeftOut();
    void totalsAreExactBeyondSixtyFourBits_data();
    void totalsAreExactBeyondSixtyFourBits();

private:
    QString path(const QString& name) const { return QDir(m_dir->path()).filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_pvxadminFiles::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_pvxadminFiles::cleanup() {
    QFile::setPermissions(path(u"db"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_dir.reset();
}

void tst_pvxadminFiles::outputGoesOnlyWhereItBelongs_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("mark");
    QTest::addColumn<QString>("refusal");
    const QStringList custom{u"custom"_s, u"%DIR%"_s, u"--field=Description"_s, u"--field=Amount"_s,
                             u"--total=Amount"_s};
    const std::tuple<const char*, QStringList, QByteArray> writers[] = {
        {"tsv", custom + QStringList{u"--tsv"_s}, "Widget it"},
        {"html", custom + QStringList{u"--html"_s}, "Widget it"},
        {"custom pdf", custom + QStringList{u"--pdf"_s}, "%%EOF"},
        {"report pdf", {u"report"_s, u"outstanding"_s, u"%DIR%"_s, u"--pdf"_s}, "%%EOF"}};
    // What the output goes to, and what pvxadmin says when it cannot go there.
    const std::pair<const char*, const char*> targets[] = {
        {"new file", ""},
        {"existing file", ""},
        {"pipe with a reader", ""},
        {"pipe without a reader", "No program is reading from the pipe"},
        {"null device", ""},
        {"full device", "No space left on device"},
        {"folder", "is a folder"},
        {"standard output", ""}};
    for (const auto& [writer, arguments, mark] : writers) {
        for (const auto& [target, refusal] : targets)
            QTest::addRow("%s to %s", writer, target)
                << QString::fromLatin1(target) << arguments << mark << QString::fromLatin1(refusal);
    }
}

void tst_pvxadminFiles::outputGoesOnlyWhereItBelongs() {
    QFETCH(QString, target);
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, mark);
    QFETCH(QString, refusal);
    custom::createDatabase(m_dir->path());
    const QString out = target == u"standard output" ? u"-"_s : path(u"out"_s);
    const QByteArray native = QFile::encodeName(out);
    if (target == u"existing file") {
        QFile file(out);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("an older report") > 0);
    } else if (target.startsWith(u"pipe")) {
        QVERIFY(::mkfifo(native.constData(), 0600) == 0);
    } else if (target.endsWith(u"device")) {
        // The kernel's null and full devices under our own name, where that is allowed.
        const dev_t device = target.startsWith(u"null") ? makedev(1, 3) : makedev(1, 7);
        if (::mknod(native.constData(), S_IFCHR | 0666, device) != 0)
            QSKIP("device nodes cannot be made here");
    } else if (target == u"folder") {
        QVERIFY(QDir().mkdir(out));
    }
    const QList<qint64> before = identity(out);
    QProcess reader;
    if (target == u"pipe with a reader") {
        reader.start(u"cat"_s, {out});
        QVERIFY(reader.waitForStarted());
    }
    const Result run = pvxadmin(arguments.replaceInStrings(u"%DIR%"_s, m_dir->path()) << out);

    // Nothing is left beside the target, and what is no file is the very same afterwards.
    const bool file = target.endsWith(u"file");
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::System | QDir::Hidden).size(),
             (target == u"folder" || out == u"-") ? 1 : 2);
    if (!file && out != u"-")
        QCOMPARE(identity(out), before);
    if (!refusal.isEmpty()) {
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.startsWith(u"pvxadmin: "_s) && run.err.contains(refusal),
                 qPrintable(run.err));
        QVERIFY(run.out.isEmpty());
        return;
    }
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.err.isEmpty() || run.err.startsWith(u"Wrote the standard output"_s),
             qPrintable(run.err));
    QByteArray written = run.out;
    if (file)
        written = custom::readAll(out);
    if (target == u"pipe with a reader") {
        QVERIFY(reader.waitForFinished(20000));
        written = reader.readAllStandardOutput();
    }
    QVERIFY(target.endsWith(u"device") || written.contains(mark));
}

void tst_pvxadminFiles::aDatabaseIsReadOnlyWhenWhole_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("said");
    const std::pair<const char*, QStringList> commands[] = {
        {"check", {u"check"_s, u"%DIR%/db"_s}},
        {"due", {u"due"_s, u"%DIR%/db"_s}},
        {"report", {u"report"_s, u"outstanding"_s, u"%DIR%/db"_s, u"--pdf=%DIR%/out.pdf"_s}},
        {"custom", {u"custom"_s, u"%DIR%/db"_s, u"--field=Notes"_s, u"--html=%DIR%/out.htm"_s}}};
    const QString unfinished = u"holds an unfinished write of a program that stopped (its "
                               u"journal '%1/db/pvx.mdb-journal' lies beside it).  The %2 may "
                               u"not be written, so the write cannot be finished here.  Starting "
                               u"Purvex once in that folder finishes it."_s;
    for (const auto& [name, arguments] : commands) {
        const bool check = QLatin1String(name) == u"check";
        QTest::addRow("%s: a crash's journal", name) << u"crash"_s << arguments << QString();
        QTest::addRow("%s: a crash's journal, read-only folder", name)
            << u"crash, folder"_s << arguments << unfinished.arg(u"%DIR%"_s, u"folder"_s);
        QTest::addRow("%s: a crash's journal, read-only file", name)
            << u"crash, file"_s << arguments << unfinished.arg(u"%DIR%"_s, u"file"_s);
        QTest::addRow("%s: a named pipe", name)
            << u"pipe"_s << arguments << u"is not a regular file but a named pipe"_s;
        QTest::addRow("%s: cut short by a byte", name)
            << u"cut short"_s << arguments
            << (check ? u"The file is cut short: it holds"_s
                      : u"is damaged.  The file is cut short: it holds"_s);
        if (!check)
            QTest::addRow("%s: a newer layout", name)
                << u"newer"_s << arguments << u"was made by a newer version of Purvex"_s;
        QTest::addRow("%s: in a folder that may not be entered", name)
            << u"closed folder"_s << arguments << u"exists but may not be entered"_s;
    }
}

void tst_pvxadminFiles::aDatabaseIsReadOnlyWhenWhole() {
    QFETCH(QString, kind);
    QFETCH(QStringList, arguments);
    QFETCH(QString, said);
    arguments.replaceInStrings(u"%DIR%"_s, m_dir->path());
    said.replace(u"%DIR%"_s, m_dir->path());
    const QString db = path(u"db/pvx.mdb"_s);
    QVERIFY(QDir().mkdir(path(u"db"_s)));
    if (kind == u"pipe") {
        QVERIFY(::mkfifo(QFile::encodeName(db).constData(), 0600) == 0);
    } else if (kind.startsWith(u"crash")) {
        QCOMPARE(pvxadmin({u"demo"_s, m_dir->path(), u"--records=2000"_s}).exitCode, 0);
        QVERIFY(copyMidWrite(path(u"pvx.mdb"_s), db));
    } else {
        QCOMPARE(pvxadmin({u"demo"_s, path(u"db"_s)}).exitCode, 0);
        sqlite3* handle = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(db).constData(), &handle), SQLITE_OK);
        QVERIFY(kind != u"newer" || execute(handle, "PRAGMA user_version = 99"));
        sqlite3_close(handle);
    }
    if (kind == u"cut short")
        QVERIFY(QFile::resize(db, QFileInfo(db).size() - 1));
    if (kind == u"crash, folder")
        QVERIFY(QFile::setPermissions(path(u"db"_s), QFile::ReadOwner | QFile::ExeOwner));
    if (kind == u"crash, file")
        QVERIFY(QFile::setPermissions(db, QFile::ReadOwner));
    if (kind == u"closed folder") {
        if (::geteuid() == 0 && QStandardPaths::findExecutable(u"setpriv"_s).isEmpty())
            QSKIP("the administrator enters every folder, and no other user is at hand");
        QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner |
                                                         QFile::ExeOwner | QFile::ExeOther));
        QVERIFY(QFile::setPermissions(path(u"db"_s), QFile::ReadOwner | QFile::WriteOwner));
    }
    const QByteArray before = kind == u"pipe" ? QByteArray() : custom::readAll(db);

    // A pipe would keep its reader waiting for ever: an answer within seconds is the test.
    const Result run = pvxadmin(arguments, kind == u"closed folder");
    if (said.isEmpty()) {
        // The write was rolled back as SQLite does for any writer, and the command went on.
        QVERIFY2(run.exitCode == 0 || (run.exitCode == 1 && arguments.first() == u"due"),
                 qPrintable(run.err));
        QVERIFY(!QFile::exists(db + u"-journal"_s));
        QCOMPARE(custom::readAll(db), custom::readAll(path(u"pvx.mdb"_s)));
        return;
    }
    QVERIFY(run.exitCode > 0);
    QVERIFY2((run.err + QString::fromUtf8(run.out)).contains(said), qPrintable(run.err));
    QVERIFY(!QFile::exists(path(u"out.pdf"_s)) && !QFile::exists(path(u"out.htm"_s)));
    if (kind != u"pipe" && kind != u"closed folder")
        QCOMPARE(custom::readAll(db), before);
    QCOMPARE(identity(db).value(0), qint64(kind == u"pipe" ? S_IFIFO : S_IFREG));
}

void tst_pvxadminFiles::controlCharactersAreLeftOut_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("file");
    const QStringList custom{u"custom"_s, u"%DIR%"_s, u"--field=Description"_s};
    QTest::newRow("text file") << custom + QStringList{u"--tsv=%DIR%/out.txt"_s} << u"out.txt"_s;
    QTest::newRow("html file") << custom + QStringList{u"--html=%DIR%/out.htm"_s} << u"out.htm"_s;
    QTest::newRow("due list") << QStringList{u"due"_s, u"%DIR%"_s, u"--format=tsv"_s} << QString();
}

void tst_pvxadminFiles::controlCharactersAreLeftOut() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, file);
    // Stored by another tool: a NUL, an escape, a delete, a C1 control, a noncharacter.
    const QString stored = u"a"_s + QChar(0) + u"b\u001b[1mc\u007fd\u0085e\uffff"_s;
    OrderFixture::createDatabase(m_dir->path(), {{{u"descr"_s, stored},
                                                  {u"Type"_s, 0},
                                                  {u"status"_s, 0},
                                                  {u"dateexpect"_s, QDate::currentDate()}}});
    const Result run = pvxadmin(arguments.replaceInStrings(u"%DIR%"_s, m_dir->path()));
    QVERIFY2(run.exitCode == 0 || run.exitCode == 1, qPrintable(run.err));
    const QByteArray bytes = file.isEmpty() ? run.out : custom::readAll(path(file));
    QVERIFY(bytes.contains("ab[1mcde"));
    for (char c : bytes)
        QVERIFY2(uchar(c) >= 0x20 || c == '\t' || c == '\r' || c == '\n', qPrintable(stored));
    QVERIFY(!bytes.contains("\xc2\x85") && !bytes.contains("\xef\xbf\xbf"));
}

void tst_pvxadminFiles::totalsAreExactBeyondSixtyFourBits_data() {
    QTest::addColumn<QList<double>>("amounts");
    QTest::addColumn<QString>("total");
    // Each amount is one the program stores exactly (fifteen digits at most).
    QTest::newRow("within 64 bits")
        << QList<double>{461168601842738.0, 461168601842738.0} << u"$922,337,203,685,476.00"_s;
    QTest::newRow("just beyond") << QList<double>{461168601842738.0, 461168601842740.0}
                                 << u"$922,337,203,685,478.00"_s;
    QTest::newRow("two halves of a quadrillion")
        << QList<double>{500000000000000.0, 500000000000000.0} << u"$1,000,000,000,000,000.00"_s;
    QTest::newRow("negative, far beyond")
        << QList<double>(9, -900000000000000.0) << u"($8,100,000,000,000,000.00)"_s;
}

void tst_pvxadminFiles::totalsAreExactBeyondSixtyFourBits() {
    QFETCH(QList<double>, amounts);
    QFETCH(QString, total);
    QList<QVariantMap> rows;
    for (double amount : amounts)
        rows.append({{u"descr"_s, u"Big"_s},
                     {u"Type"_s, 0},
                     {u"status"_s, 0},
                     {u"amount"_s, QVariant::fromValue(Currency::fromDouble(amount))}});
    OrderFixture::createDatabase(m_dir->path(), rows);

    QCOMPARE(
        pvxadmin({u"report"_s, u"outstanding"_s, m_dir->path(), u"--pdf="_s + path(u"o.pdf"_s)})
            .exitCode,
        0);
    // A long figure wraps in its column; read without blanks, it is whole.
    QString text = pdf::pages(path(u"o.pdf"_s)).join(QString());
    text.remove(QRegularExpression(u"\\s"_s));
    QVERIFY2(text.contains(u"OrderTotal"_s + total + u"Rebate/SaleTotal$0.00"_s), qPrintable(text));

    const Result run = pvxadmin({u"custom"_s, m_dir->path(), u"--field=Description"_s,
                                 u"--field=Amount"_s, u"--total=Amount"_s, u"--tsv=-"_s});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.endsWith((u"\t"_s + total + u"\r\n"_s).toUtf8()), run.out.constData());
}

QTEST_GUILESS_MAIN(tst_pvxadminFiles)
#include "tst_pvxadminFiles.moc"

#include "Currency.h"
#include "support/CustomFixture.h"
#include "support/PdfText.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

using namespace Qt::StringLiterals;

namespace {

struct Result {
    int exitCode = -1;
    QByteArray out;
    QString err;
};

// pvxadmin as a script runs it, in en_US; a run that does not end within the time given
// (a file it waits on for ever) gives exit code -1. As a user without privileges, when the
// test runs as the administrator, for whom every folder is open.
Result pvxadmin(const QStringList& arguments, int waitMs = 60000, bool unprivileged = false) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"LC_ALL", "LC_NUMERIC", "LC_TIME", "LC_MONETARY", "LANGUAGE"})
        environment.remove(QLatin1String(name));
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
    if (!process.waitForFinished(waitMs) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

// What stands under a name: its kind, and which file or device it is.
struct Identity {
    mode_t type = 0;
    ino_t inode = 0;
    dev_t device = 0;
    friend bool operator==(const Identity&, const Identity&) = default;
};

Identity identity(const QString& path) {
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    return {mode_t(status.st_mode & S_IFMT), status.st_ino, status.st_rdev};
}

bool makeSocket(const QString& path) {
    const int handle = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, QFile::encodeName(path).constData(),
                 sizeof(address.sun_path) - 1);
    const bool bound = ::bind(handle, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    ::close(handle);
    return bound;
}

// The text a report's bytes hold: a PDF as pdftotext reads it, anything else as UTF-8.
QString reportText(const QByteArray& bytes, const QString& scratch) {
    if (!bytes.startsWith("%PDF"))
        return QString::fromUtf8(bytes);
    QFile file(scratch);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    file.close();
    return pdf::pages(scratch).join(u'\n');
}

bool runSql(const QString& path, const QString& sql) {
    QProcess sqlite;
    sqlite.start(QStringLiteral(PVX_SQLITE3_TOOL), {u"-batch"_s, path, sql});
    return sqlite.waitForFinished(30000) && sqlite.exitCode() == 0;
}

// Folder and file permissions back to what a test folder can be removed with.
void makeWritable(const QString& folder) {
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        QFile::setPermissions(QDir(folder).filePath(name), QFile::ReadOwner | QFile::WriteOwner);
}

} // namespace

// The files pvxadmin writes and reads when they are not what they should be: an output that
// is a pipe or a device, a database left by a crash, cut short, or no file at all.
class tst_pvxadminFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void outputGoesOnlyWhereItBelongs_data();
    void outputGoesOnlyWhereItBelongs();
    void aCrashsJournalIsPlayedBackOrNamed_data();
    void aCrashsJournalIsPlayedBackOrNamed();
    void aFileThatCannotBeReadWholeIsRefusedAtOnce_data();
    void aFileThatCannotBeReadWholeIsRefusedAtOnce();
    void controlCharactersAreLeftOut_data();
    void controlCharactersAreLeftOut();
    void totalsAreExactBeyondSixtyFourBits_data();
    void totalsAreExactBeyondSixtyFourBits();

private:
    QString path(const QString& name) const { return QDir(m_dir->path()).filePath(name); }
    QStringList withPaths(QStringList arguments) const {
        return arguments.replaceInStrings(u"%DIR%"_s, m_dir->path());
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_pvxadminFiles::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_pvxadminFiles::cleanup() {
    makeWritable(path(u"db"_s));
    m_dir.reset();
}

namespace {

// The commands that write a file, with %OUT% for the file; the text each report holds.
struct Writer {
    const char* name;
    QStringList arguments;
    QString mark;
};

QList<Writer> writers() {
    const QStringList custom{u"custom"_s, u"%DIR%"_s, u"--field=Description"_s, u"--field=Amount"_s,
                             u"--total=Amount"_s};
    return {{"tsv", custom + QStringList{u"--tsv"_s, u"%OUT%"_s}, u"Widget it"_s},
            {"html", custom + QStringList{u"--html"_s, u"%OUT%"_s}, u"Widget it"_s},
            {"custom pdf", custom + QStringList{u"--pdf"_s, u"%OUT%"_s}, u"Widget it"_s},
            {"report pdf",
             {u"report"_s, u"outstanding"_s, u"%DIR%"_s, u"--pdf"_s, u"%OUT%"_s},
             u"50% off"_s}};
}

} // namespace

void tst_pvxadminFiles::outputGoesOnlyWhereItBelongs_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("mark");
    QTest::addColumn<QString>("refusal");
    // What the output goes to, and what pvxadmin says when it cannot go there.
    const std::pair<const char*, const char*> targets[] = {
        {"new file", ""},
        {"existing file", ""},
        {"pipe with a reader", ""},
        {"pipe without a reader", "No program is reading from the pipe"},
        {"null device", ""},
        {"full device", "No space left on device"},
        {"folder", "is a folder"},
        {"socket", "is a socket"},
        {"standard output", ""},
    };
    for (const Writer& writer : writers()) {
        for (const auto& [target, refusal] : targets)
            QTest::addRow("%s to %s", writer.name, target)
                << QString::fromLatin1(target) << writer.arguments << writer.mark
                << QString::fromLatin1(refusal);
    }
}

void tst_pvxadminFiles::outputGoesOnlyWhereItBelongs() {
    QFETCH(QString, target);
    QFETCH(QStringList, arguments);
    QFETCH(QString, mark);
    QFETCH(QString, refusal);
    custom::createDatabase(m_dir->path());
    const QString out = target == u"standard output" ? u"-"_s : path(u"out"_s);
    if (target == u"existing file") {
        QFile file(out);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("an older report");
    } else if (target.startsWith(u"pipe")) {
        QVERIFY(::mkfifo(QFile::encodeName(out).constData(), 0600) == 0);
    } else if (target.endsWith(u"device")) {
        // The kernel's null and full devices, made under our own name where that is allowed.
        const dev_t device = target.startsWith(u"null") ? makedev(1, 3) : makedev(1, 7);
        if (::mknod(QFile::encodeName(out).constData(), S_IFCHR | 0666, device) != 0)
            QSKIP("device nodes cannot be made here");
    } else if (target == u"folder") {
        QVERIFY(QDir().mkdir(out));
    } else if (target == u"socket") {
        QVERIFY(makeSocket(out));
    }
    const Identity before = identity(out);

    QProcess reader;
    if (target == u"pipe with a reader") {
        reader.start(u"cat"_s, {out});
        QVERIFY(reader.waitForStarted());
    }
    arguments.replaceInStrings(u"%OUT%"_s, out);
    const Result run = pvxadmin(withPaths(arguments), 20000);

    // Nothing is left beside the target.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::System | QDir::Hidden).size(),
             (target == u"folder" || target == u"standard output") ? 1 : 2);
    QByteArray written;
    if (target == u"pipe with a reader") {
        QVERIFY(reader.waitForFinished(20000));
        written = reader.readAllStandardOutput();
    } else if (target == u"standard output") {
        written = run.out;
    } else if (QFileInfo(out).isFile()) {
        written = custom::readAll(out);
    }
    if (refusal.isEmpty()) {
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.isEmpty() || run.err.startsWith(u"Wrote the standard output"_s),
                 qPrintable(run.err));
        if (!target.endsWith(u"device"))
            QVERIFY(reportText(written, path(u"read.pdf"_s)).contains(mark));
    } else {
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.startsWith(u"pvxadmin: "_s) && run.err.contains(refusal),
                 qPrintable(run.err));
        QVERIFY(run.out.isEmpty());
    }
    // Whatever is not a file is the very same thing afterwards: never renamed over.
    if (target != u"new file" && target != u"existing file" && target != u"standard output")
        QCOMPARE(identity(out), before);
    if (target == u"folder")
        QVERIFY(QDir(out).isEmpty());
}

void tst_pvxadminFiles::aCrashsJournalIsPlayedBackOrNamed_data() {
    QTest::addColumn<QString>("locked");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    const QList<std::pair<const char*, QStringList>> commands = {
        {"check", {u"check"_s, u"%DIR%/db"_s}},
        {"due", {u"due"_s, u"%DIR%/db"_s, u"--days=0"_s}},
        {"report",
         {u"report"_s, u"all-orders"_s, u"%DIR%/db"_s, u"--from=2000-01-01"_s,
          u"--pdf=%DIR%/out.pdf"_s}},
        {"custom", {u"custom"_s, u"%DIR%/db"_s, u"--field=Notes"_s, u"--tsv=%DIR%/out.txt"_s}},
    };
    for (const auto& [name, arguments] : commands) {
        // The demo has something overdue, for which due's status is 1.
        const int done = QLatin1String(name) == u"due" ? 1 : 0;
        const int refused = QLatin1String(name) == u"due" ? 2 : 1;
        QTest::addRow("%s, writable", name) << QString() << arguments << done;
        QTest::addRow("%s, read-only folder", name) << u"folder"_s << arguments << refused;
        QTest::addRow("%s, read-only file", name) << u"file"_s << arguments << refused;
    }
}

void tst_pvxadminFiles::aCrashsJournalIsPlayedBackOrNamed() {
    QFETCH(QString, locked);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    // A program stops in the middle of changing every record: some pages are already
    // written, the journal holds what they were. The files are copied at that moment.
    QVERIFY(QDir().mkdir(path(u"source"_s)) && QDir().mkdir(path(u"db"_s)));
    QCOMPARE(pvxadmin({u"demo"_s, path(u"source"_s), u"--records=2000"_s}).exitCode, 0);
    const QString source = path(u"source/pvx.mdb"_s);
    const QString db = path(u"db/pvx.mdb"_s);
    const QByteArray original = custom::readAll(source);
    sqlite3* writer = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(source).constData(), &writer), SQLITE_OK);
    QCOMPARE(sqlite3_exec(writer,
                          "PRAGMA cache_size=2; BEGIN; UPDATE pvx SET notes = 'half-written'",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    QVERIFY(QFile::copy(source, db) && QFile::copy(source + u"-journal"_s, db + u"-journal"_s));
    sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(writer);
    QVERIFY(custom::readAll(db) != original);

    if (locked == u"folder")
        QVERIFY(QFile::setPermissions(path(u"db"_s), QFile::ReadOwner | QFile::ExeOwner));
    else if (locked == u"file")
        QVERIFY(QFile::setPermissions(db, QFile::ReadOwner));
    const QByteArray crashed = custom::readAll(db);
    const Result run = pvxadmin(withPaths(arguments));
    QCOMPARE(run.exitCode, exitCode);
    if (locked.isEmpty()) {
        // The write was rolled back as SQLite does for a writer, and the command went on.
        QVERIFY2(run.err.isEmpty() || run.err.startsWith(u"Wrote"_s), qPrintable(run.err));
        QVERIFY(!QFile::exists(db + u"-journal"_s));
        QCOMPARE(custom::readAll(db).left(original.size()), original);
        QVERIFY(runSql(db, u"SELECT 1"_s));
    } else {
        QVERIFY2(run.err.contains(u"unfinished write of a program that stopped"_s) &&
                     run.err.contains(u"The %1 may not be written"_s.arg(locked)) &&
                     run.err.contains(u"Starting Purvex once in that folder finishes it."_s),
                 qPrintable(run.err));
        QCOMPARE(custom::readAll(db), crashed);
        QVERIFY(QFile::exists(db + u"-journal"_s));
    }
}

void tst_pvxadminFiles::aFileThatCannotBeReadWholeIsRefusedAtOnce_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("said");
    const QList<std::pair<const char*, QStringList>> commands = {
        {"check", {u"check"_s, u"%DIR%/db"_s}},
        {"due", {u"due"_s, u"%DIR%/db"_s}},
        {"report", {u"report"_s, u"outstanding"_s, u"%DIR%/db"_s, u"--pdf=%DIR%/out.pdf"_s}},
        {"custom", {u"custom"_s, u"%DIR%/db"_s, u"--field=Notes"_s, u"--html=%DIR%/out.htm"_s}},
    };
    for (const auto& [name, arguments] : commands) {
        const bool check = QLatin1String(name) == u"check";
        QTest::addRow("%s: a named pipe", name)
            << u"pipe"_s << arguments << u"is not a regular file but a named pipe"_s;
        QTest::addRow("%s: cut short by a byte", name)
            << u"cut short"_s << arguments
            << (check ? u"The file is cut short: it holds"_s
                      : u"is damaged.  The file is cut short"_s);
        if (!check)
            QTest::addRow("%s: a newer layout", name)
                << u"newer"_s << arguments << u"was made by a newer version of Purvex"_s;
        QTest::addRow("%s: in a folder that may not be entered", name)
            << u"closed folder"_s << arguments << u"exists but may not be entered"_s;
    }
}

void tst_pvxadminFiles::aFileThatCannotBeReadWholeIsRefusedAtOnce() {
    QFETCH(QString, kind);
    QFETCH(QStringList, arguments);
    QFETCH(QString, said);
    QVERIFY(QDir().mkdir(path(u"db"_s)));
    const QString db = path(u"db/pvx.mdb"_s);
    if (kind == u"pipe") {
        QVERIFY(::mkfifo(QFile::encodeName(db).constData(), 0600) == 0);
    } else {
        QCOMPARE(pvxadmin({u"demo"_s, path(u"db"_s)}).exitCode, 0);
        if (kind == u"cut short")
            QVERIFY(QFile::resize(db, QFileInfo(db).size() - 1));
        else if (kind == u"newer")
            QVERIFY(runSql(db, u"PRAGMA user_version = 99"_s));
        else if (kind == u"closed folder") {
            if (::geteuid() == 0 && QStandardPaths::findExecutable(u"setpriv"_s).isEmpty())
                QSKIP("the administrator enters every folder, and no other user is at hand");
            const auto open = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                              QFile::ReadOther | QFile::ExeOther;
            QVERIFY(QFile::setPermissions(m_dir->path(), open));
            QVERIFY(QFile::setPermissions(path(u"db"_s), QFile::ReadOwner | QFile::WriteOwner));
        }
    }
    const bool pipe = kind == u"pipe";
    const QByteArray before = pipe ? QByteArray() : custom::readAll(db);

    // A pipe would keep a reader waiting for ever: an answer within seconds is the test.
    const Result run = pvxadmin(withPaths(arguments), 20000, kind == u"closed folder");
    QVERIFY(run.exitCode > 0);
    const QString shown = run.err + QString::fromUtf8(run.out);
    QVERIFY2(shown.contains(said), qPrintable(shown));
    if (kind == u"cut short" && arguments.first() != u"check")
        QVERIFY(run.err.contains(u"\"pvxadmin check\" lists what is affected; restore your "
                                 u"latest backup"_s));
    QVERIFY(!QFile::exists(path(u"out.pdf"_s)) && !QFile::exists(path(u"out.htm"_s)));
    if (!pipe && kind != u"closed folder")
        QCOMPARE(custom::readAll(db), before);
    QCOMPARE(identity(db).type, mode_t(pipe ? S_IFIFO : S_IFREG));
}

void tst_pvxadminFiles::controlCharactersAreLeftOut_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("file");
    QTest::newRow("text file") << QStringList{u"custom"_s, u"%DIR%"_s, u"--field=Description"_s,
                                              u"--tsv=%DIR%/out.txt"_s}
                               << u"out.txt"_s;
    QTest::newRow("html file") << QStringList{u"custom"_s, u"%DIR%"_s, u"--field=Description"_s,
                                              u"--html=%DIR%/out.htm"_s}
                               << u"out.htm"_s;
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
    const Result run = pvxadmin(withPaths(arguments));
    QVERIFY2(run.exitCode == 0 || run.exitCode == 1, qPrintable(run.err));
    const QByteArray bytes = file.isEmpty() ? run.out : custom::readAll(path(file));
    QVERIFY(bytes.contains("ab[1mcde"));
    for (char c : bytes)
        QVERIFY2(uchar(c) >= 0x20 || c == '\t' || c == '\r' || c == '\n',
                 qPrintable(u"control character %1"_s.arg(int(uchar(c)))));
    QVERIFY(!bytes.contains("\xc2\x85") && !bytes.contains("\xef\xbf\xbf"));
    if (file.endsWith(u".htm")) {
        const auto page = custom::parseHtml(path(file));
        QVERIFY(page);
        QCOMPARE(page->rows.value(2).value(0).text, u"ab[1mcde"_s);
    }
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

    const Result report =
        pvxadmin({u"report"_s, u"outstanding"_s, m_dir->path(), u"--pdf"_s, path(u"o.pdf"_s)});
    QCOMPARE(report.exitCode, 0);
    // A long figure wraps in its column; read without blanks, it is whole.
    QString text = pdf::pages(path(u"o.pdf"_s)).join(QString());
    text.remove(QRegularExpression(u"\\s"_s));
    QVERIFY2(text.contains(u"OrderTotal"_s + total + u"Rebate/SaleTotal$0.00"_s), qPrintable(text));

    const Result custom = pvxadmin({u"custom"_s, m_dir->path(), u"--field=Description"_s,
                                    u"--field=Amount"_s, u"--total=Amount"_s, u"--tsv=-"_s});
    QCOMPARE(custom.exitCode, 0);
    QVERIFY2(custom.out.endsWith((u"\t"_s + total + u"\r\n"_s).toUtf8()), custom.out.constData());
}

QTEST_GUILESS_MAIN(tst_pvxadminFiles)
#include "tst_pvxadminFiles.moc"

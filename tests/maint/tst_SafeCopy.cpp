#include "maint/SafeCopy.h"

#include "maint/MaintenanceFailure.h"
#include "support/MaintFiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

using Step = SafeCopy::Step;
using Outcome = SafeCopy::Outcome;

namespace {

// What goes wrong at the step under test.
enum class Fault {
    Fails,       // the step throws, as a refused system call does
    Crash,       // the program dies just before the step
    FlipByte,    // the copy on the disk differs from what was written
    CutShort,    // the copy on the disk lost its end
    UserCancels, // the user presses Cancel while the step runs
};

// Copies with a limit on the size of any file it writes, as a disk that fills up does: run
// in a child process so the limit stays there.
int copyWithFileSizeLimit(const char* limit, const char* source, const char* destination) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlim_t bytes = rlim_t(QByteArray(limit).toLongLong());
    const rlimit cap{bytes, bytes};
    if (setrlimit(RLIMIT_FSIZE, &cap) != 0)
        return 100;
    SafeCopy copy(QString::fromLocal8Bit(source), QString::fromLocal8Bit(destination));
    const SafeCopy::Result result = copy.run();
    std::printf("%d %d %s\n", int(result.outcome), int(result.step),
                result.reason.toLocal8Bit().constData());
    return 0;
}

// Stands in for the progress window; the user presses Cancel in the stage named.
class CancellingProgress final : public Progress {
public:
    explicit CancellingProgress(QString stage) : m_stage(std::move(stage)) {}
    void setStage(const QString& text, qint64) override {
        m_cancelled = m_cancelled || (m_allowed && text.startsWith(m_stage));
    }
    bool advance(qint64) override { return !wasCancelled(); }
    void disallowCancel() override { m_allowed = false; }
    bool wasCancelled() const override { return m_allowed && m_cancelled; }

private:
    QString m_stage;
    bool m_allowed = true;
    bool m_cancelled = false;
};

} // namespace

class tst_SafeCopy : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();

    void copiesAndReplacesThePreviousBackup();
    void neverLeavesLessThanThereWas_data();
    void neverLeavesLessThanThereWas();
    void fullDiskKeepsThePreviousBackup();
    void removedDriveCopiesNothing();
    void refusesToCopyAFileOntoItself();

private:
    void checkNothingLost(Outcome outcome);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_source;
    QString m_destination;
    QByteArray m_sourceBytes;
    QByteArray m_previousBackup;
};

void tst_SafeCopy::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_source = MaintFiles::createDatabase(m_dir->filePath(u"data"_s), 1200, u"now"_s);
    // The backup made last week: another, smaller database on the drive.
    m_destination = MaintFiles::createDatabase(m_dir->filePath(u"drive"_s), 40, u"then"_s);
    m_sourceBytes = MaintFiles::bytes(m_source);
    m_previousBackup = MaintFiles::bytes(m_destination);
    QVERIFY(m_sourceBytes.size() > 3 * (1 << 20));
}

// The source never changes; the destination is the previous backup or, once the copy has
// been put in place, the source's exact bytes; no temporary file is left after a failure.
void tst_SafeCopy::checkNothingLost(Outcome outcome) {
    QCOMPARE(MaintFiles::bytes(m_source), m_sourceBytes);
    const QByteArray now = MaintFiles::bytes(m_destination);
    if (outcome == Outcome::Copied)
        QVERIFY(now == m_sourceBytes);
    else if (outcome == Outcome::Stopped)
        QVERIFY(now == m_previousBackup || now == m_sourceBytes);
    else
        QVERIFY(now == m_previousBackup);
    if (outcome != Outcome::Stopped)
        QVERIFY(!QFile::exists(m_destination + u".partial"_s));
}

void tst_SafeCopy::copiesAndReplacesThePreviousBackup() {
    SafeCopy copy(m_source, m_destination);
    const SafeCopy::Result result = copy.run();
    QCOMPARE(result.outcome, Outcome::Copied);
    checkNothingLost(result.outcome);
    QCOMPARE(MaintFiles::contents(m_destination), MaintFiles::contents(m_source));
}

void tst_SafeCopy::neverLeavesLessThanThereWas_data() {
    QTest::addColumn<Step>("step");
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<Outcome>("expected");

    const std::pair<const char*, Step> steps[] = {{"check", Step::CheckTarget},
                                                  {"create", Step::CreateTemporary},
                                                  {"copy", Step::Copy},
                                                  {"flush", Step::Flush},
                                                  {"compare", Step::Compare},
                                                  {"replace", Step::Replace},
                                                  {"flush folder", Step::FlushFolder}};
    for (const auto& [name, step] : steps) {
        QTest::addRow("crash before %s", name) << step << Fault::Crash << Outcome::Stopped;
        // Once the copy has its name, a failure leaves it there, complete and checked.
        if (step != Step::FlushFolder)
            QTest::addRow("%s fails", name) << step << Fault::Fails << Outcome::Failed;
    }
    QTest::newRow("copy differs on the disk")
        << Step::Compare << Fault::FlipByte << Outcome::Failed;
    QTest::newRow("copy cut short on the disk")
        << Step::Compare << Fault::CutShort << Outcome::Failed;
    QTest::newRow("cancelled while copying")
        << Step::Copy << Fault::UserCancels << Outcome::Cancelled;
    QTest::newRow("cancelled while checking")
        << Step::Compare << Fault::UserCancels << Outcome::Cancelled;
}

void tst_SafeCopy::neverLeavesLessThanThereWas() {
    QFETCH(Step, step);
    QFETCH(Fault, fault);
    QFETCH(Outcome, expected);

    SafeCopy copy(m_source, m_destination);
    CancellingProgress progress(step == Step::Copy ? u"Copying"_s : u"Checking"_s);
    if (fault == Fault::UserCancels)
        copy.setProgress(&progress);
    copy.setHook([&](Step reached) {
        if (reached != step)
            return true;
        QFile written(copy.temporaryPath());
        switch (fault) {
        case Fault::Crash:
            return false;
        case Fault::Fails:
            throw MaintenanceFailure(u"Input/output error"_s);
        case Fault::FlipByte:
            if (!written.open(QIODevice::ReadWrite) || !written.seek(written.size() / 2) ||
                !written.putChar('\x5a'))
                qFatal("could not damage the copy");
            break;
        case Fault::CutShort:
            if (!written.resize(written.size() - 4096))
                qFatal("could not shorten the copy");
            break;
        case Fault::UserCancels:
            break;
        }
        return true;
    });
    const SafeCopy::Result result = copy.run();
    QCOMPARE(result.outcome, expected);
    if (expected != Outcome::Cancelled)
        QCOMPARE(result.step, step);
    if (expected == Outcome::Failed)
        QVERIFY(!result.reason.isEmpty());
    checkNothingLost(result.outcome);

    // A copy cut short by a crash is followed by one that works, and tidies up after it.
    if (result.outcome == Outcome::Stopped) {
        SafeCopy again(m_source, m_destination);
        QCOMPARE(again.run().outcome, Outcome::Copied);
        checkNothingLost(Outcome::Copied);
    }
}

void tst_SafeCopy::fullDiskKeepsThePreviousBackup() {
    // The disk takes one megabyte of the copy; the database is more than three.
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {u"--copy-limited"_s, QString::number(1 << 20), m_source, m_destination});
    QVERIFY(child.waitForFinished(60000));
    QCOMPARE(child.exitCode(), 0);
    const QStringList answer =
        QString::fromLocal8Bit(child.readAllStandardOutput()).trimmed().split(u' ');
    QCOMPARE(answer.value(0).toInt(), int(Outcome::Failed));
    QCOMPARE(answer.value(1).toInt(), int(Step::Copy));
    checkNothingLost(Outcome::Failed);
}

void tst_SafeCopy::removedDriveCopiesNothing() {
    const QString gone = m_dir->filePath(u"unplugged/pvx.mdb"_s);
    SafeCopy copy(m_source, gone);
    const SafeCopy::Result result = copy.run();
    QCOMPARE(result.outcome, Outcome::Failed);
    QCOMPARE(result.step, Step::CreateTemporary);
    QVERIFY(!QFileInfo::exists(m_dir->filePath(u"unplugged"_s)));
    QCOMPARE(MaintFiles::bytes(m_source), m_sourceBytes);
}

void tst_SafeCopy::refusesToCopyAFileOntoItself() {
    // The same file under another name: a folder linked to the data folder.
    QVERIFY(QFile::link(m_dir->filePath(u"data"_s), m_dir->filePath(u"alias"_s)));
    for (const QString& target : {m_source, m_dir->filePath(u"alias/pvx.mdb"_s)}) {
        SafeCopy copy(m_source, target);
        QCOMPARE(copy.run().outcome, Outcome::SameFile);
        QCOMPARE(MaintFiles::bytes(m_source), m_sourceBytes);
        QVERIFY(!QFile::exists(m_source + u".partial"_s));
    }
}

int main(int argc, char** argv) {
    if (argc == 5 && qstrcmp(argv[1], "--copy-limited") == 0)
        return copyWithFileSizeLimit(argv[2], argv[3], argv[4]);
    QCoreApplication app(argc, argv);
    tst_SafeCopy test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_SafeCopy.moc"

#include "maint/Compaction.h"
#include "maint/MaintenanceMessages.h"

#include "maint/MaintenanceFailure.h"
#include "support/MaintFiles.h"

#include "engine/Database.h"
#include "support/FakeCoreServices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <iostream>
#include <string>

using namespace Qt::StringLiterals;

using Step = Compaction::Step;
using Outcome = Compaction::Outcome;

namespace {

enum class Fault {
    Fails,       // the step throws, as a refused system call does
    Crash,       // the program dies just before the step
    LosesRows,   // the compacted copy holds fewer orders than the database
    Damaged,     // the compacted copy's pages are damaged
    UserCancels, // the user presses Cancel while the step runs
    HeldElsewhere,
};

// Opens the database exclusively and keeps it until stdin closes: another program holding it.
int holdDatabase(const char* path) {
    try {
        auto db = Database::open(QString::fromLocal8Bit(path), true);
        std::printf("held\n");
        std::fflush(stdout);
        std::string line;
        while (std::getline(std::cin, line)) {
        }
        return 0;
    } catch (const EngineError&) {
        return 1;
    }
}

void damage(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) || !file.seek(file.size() / 2) ||
        file.write(QByteArray(8192, '\x7f')) != 8192)
        qFatal("could not damage %s", qPrintable(path));
}

} // namespace

class tst_Compaction : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void compactsAndKeepsOneGeneration_data();
    void compactsAndKeepsOneGeneration();
    void alwaysLeavesACompleteDatabase_data();
    void alwaysLeavesACompleteDatabase();

private:
    QString file(const QString& name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QProcess> m_holder;
    QByteArray m_database;
    QStringList m_contents;
    QByteArray m_olderBackup;
};

void tst_Compaction::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    // The backup of an earlier compaction: a database of its own.
    MaintFiles::createDatabase(file(u"older"_s), 30, u"older"_s);
    QVERIFY(QFile::rename(file(u"older/pvx.mdb"_s), file(u"pvxdb.bak"_s)));
    MaintFiles::createDatabase(m_dir->path(), 800, u"now"_s);
    m_database = MaintFiles::bytes(file(u"pvx.mdb"_s));
    m_contents = MaintFiles::contents(file(u"pvx.mdb"_s));
    m_olderBackup = MaintFiles::bytes(file(u"pvxdb.bak"_s));
    QCOMPARE(m_contents.value(0), u"ok"_s);
}

void tst_Compaction::cleanup() {
    if (m_holder) {
        m_holder->closeWriteChannel();
        if (!m_holder->waitForFinished(5000))
            m_holder->kill();
        m_holder.reset();
    }
}

void tst_Compaction::compactsAndKeepsOneGeneration_data() {
    QTest::addColumn<bool>("linking");
    QTest::newRow("backup as a second name") << true;
    QTest::newRow("backup as a copy (no links on the volume)") << false;
}

void tst_Compaction::compactsAndKeepsOneGeneration() {
    QFETCH(bool, linking);
    // Work files an interrupted compaction left behind.
    for (const QString& name : {Compaction::WorkName, Compaction::NewBackupName}) {
        QFile leftover(file(name));
        QVERIFY(leftover.open(QIODevice::WriteOnly));
        leftover.write("half a database");
    }

    FakeCoreServices services;
    for (int run = 0; run < 2; ++run) {
        const QByteArray before = MaintFiles::bytes(file(u"pvx.mdb"_s));
        Compaction compaction(m_dir->path());
        compaction.setLinkingAllowed(linking);
        const auto progress = services.startProgress(u"Compact Database"_s);
        compaction.setProgress(progress.get());
        QCOMPARE(compaction.run().outcome, Outcome::Compacted);

        // One generation: the database as it was just before this compaction.
        QVERIFY(MaintFiles::bytes(file(u"pvxdb.bak"_s)) == before);
        QCOMPARE(MaintFiles::contents(file(u"pvx.mdb"_s)), m_contents);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files),
                 QStringList({u"pvx.mdb"_s, u"pvxdb.bak"_s}));
    }
    QVERIFY(QFileInfo(file(u"pvx.mdb"_s)).size() < m_database.size() * 3 / 4);
    const FakeCoreServices::ProgressShown& shown = services.progress.constLast();
    QCOMPARE(shown.stages.constFirst(), u"Compacting the database..."_s);
    QVERIFY(shown.advances > 0);
    QVERIFY(shown.cancelDisallowed);
}

void tst_Compaction::alwaysLeavesACompleteDatabase_data() {
    QTest::addColumn<Step>("step");
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<Outcome>("expected");

    const std::pair<const char*, Step> steps[] = {{"remove leftovers", Step::RemoveLeftovers},
                                                  {"compact", Step::Compact},
                                                  {"flush", Step::Flush},
                                                  {"verify", Step::Verify},
                                                  {"keep backup", Step::KeepBackup},
                                                  {"replace", Step::Replace},
                                                  {"replace backup", Step::ReplaceBackup},
                                                  {"flush folder", Step::FlushFolder}};
    for (const auto& [name, step] : steps) {
        QTest::addRow("crash before %s", name) << step << Fault::Crash << Outcome::Stopped;
        // Syncing the folder is the system's business once the names are in place.
        if (step != Step::FlushFolder)
            QTest::addRow("%s fails", name)
                << step << Fault::Fails
                << (step == Step::ReplaceBackup ? Outcome::CompactedBackupNotRenamed
                                                : Outcome::Failed);
    }
    QTest::newRow("copy lost rows") << Step::Verify << Fault::LosesRows << Outcome::Failed;
    QTest::newRow("copy damaged") << Step::Verify << Fault::Damaged << Outcome::Failed;
    QTest::newRow("cancelled while compacting")
        << Step::Compact << Fault::UserCancels << Outcome::Cancelled;
    QTest::newRow("database held by another program")
        << Step::Compact << Fault::HeldElsewhere << Outcome::Failed;
}

void tst_Compaction::alwaysLeavesACompleteDatabase() {
    QFETCH(Step, step);
    QFETCH(Fault, fault);
    QFETCH(Outcome, expected);

    FakeCoreServices services;
    if (fault == Fault::UserCancels)
        services.cancelInStage = u"Compacting"_s;
    const auto progress = services.startProgress(u"Compact Database"_s);
    Compaction compaction(m_dir->path());
    compaction.setProgress(progress.get());
    compaction.setHook([&](Step reached) {
        if (reached != step)
            return true;
        switch (fault) {
        case Fault::Crash:
            return false;
        case Fault::Fails:
            throw MaintenanceFailure(u"Input/output error"_s);
        case Fault::LosesRows: {
            auto copy = Database::open(file(Compaction::WorkName), true);
            copy->execute(u"DELETE FROM pvx WHERE zelid IN (SELECT zelid FROM pvx LIMIT 3)"_s);
            break;
        }
        case Fault::Damaged:
            damage(file(Compaction::WorkName));
            break;
        case Fault::HeldElsewhere:
            m_holder = std::make_unique<QProcess>();
            m_holder->start(QCoreApplication::applicationFilePath(),
                            {u"--hold"_s, file(u"pvx.mdb"_s)});
            if (!m_holder->waitForReadyRead(10000))
                qFatal("the other program did not start");
            break;
        case Fault::UserCancels:
            break;
        }
        return true;
    });
    const Compaction::Result result = compaction.run();
    QCOMPARE(result.outcome, expected);
    QCOMPARE(result.step, step);
    if (m_holder) {
        m_holder->closeWriteChannel();
        QVERIFY(m_holder->waitForFinished(5000));
    }

    // There is always a complete pvx.mdb: the one there was, or its checked compacted copy.
    const QByteArray database = MaintFiles::bytes(file(u"pvx.mdb"_s));
    const bool compacted = database != m_database;
    if (compacted)
        QCOMPARE(MaintFiles::contents(file(u"pvx.mdb"_s)), m_contents);
    const QByteArray backup = MaintFiles::bytes(file(u"pvxdb.bak"_s));
    switch (result.outcome) {
    case Outcome::Failed:
    case Outcome::Cancelled:
        // Nothing changed, nothing left behind.
        QVERIFY(!compacted);
        QVERIFY(backup == m_olderBackup);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files),
                 QStringList({u"pvx.mdb"_s, u"pvxdb.bak"_s}));
        break;
    case Outcome::CompactedBackupNotRenamed:
        // The database as it was waits under the work name; the older backup is untouched.
        QVERIFY(compacted);
        QVERIFY(backup == m_olderBackup);
        QVERIFY(MaintFiles::bytes(file(Compaction::NewBackupName)) == m_database);
        break;
    case Outcome::Stopped:
        QVERIFY(backup == m_olderBackup || backup == m_database);
        break;
    case Outcome::Compacted:
        QFAIL("the fault did not show");
    }

    // Stopped after its swap, a compaction leaves the database as it was for the next one to
    // make the backup before it does anything else.
    if (result.step == Step::ReplaceBackup) {
        // While that database cannot take the backup's name (a folder is in the way), the
        // next compaction does nothing else and keeps it.
        QVERIFY(QFile::rename(file(u"pvxdb.bak"_s), file(u"aside"_s)));
        QVERIFY(QDir(m_dir->path()).mkpath(u"pvxdb.bak/in the way"_s));
        const Compaction::Result blocked = Compaction(m_dir->path()).run();
        QCOMPARE(blocked.outcome, Outcome::Failed);
        QVERIFY(compactionMessage(blocked, m_dir->path()).contains(Compaction::NewBackupName));
        QVERIFY(MaintFiles::bytes(file(Compaction::NewBackupName)) == m_database);
        QVERIFY(QDir(file(u"pvxdb.bak"_s)).removeRecursively());
        QVERIFY(QFile::rename(file(u"aside"_s), file(u"pvxdb.bak"_s)));

        Compaction finish(m_dir->path());
        finish.setHook([](Step reached) { return reached != Step::Compact; });
        QCOMPARE(finish.run().outcome, Outcome::Stopped);
        QVERIFY(MaintFiles::bytes(file(u"pvxdb.bak"_s)) == m_database);
        QVERIFY(!QFile::exists(file(Compaction::NewBackupName)));
    }

    // The next compaction clears what an interrupted one left and keeps one generation.
    const QByteArray before = MaintFiles::bytes(file(u"pvx.mdb"_s));
    Compaction again(m_dir->path());
    QCOMPARE(again.run().outcome, Outcome::Compacted);
    QVERIFY(MaintFiles::bytes(file(u"pvxdb.bak"_s)) == before);
    QCOMPARE(MaintFiles::contents(file(u"pvx.mdb"_s)), m_contents);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files),
             QStringList({u"pvx.mdb"_s, u"pvxdb.bak"_s}));
}

int main(int argc, char** argv) {
    if (argc == 3 && qstrcmp(argv[1], "--hold") == 0)
        return holdDatabase(argv[2]);
    QCoreApplication app(argc, argv);
    tst_Compaction test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Compaction.moc"

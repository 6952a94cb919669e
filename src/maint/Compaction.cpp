#include "maint/Compaction.h"

#include "maint/MaintenanceFailure.h"
#include "maint/SafeCopy.h"

#include "core/Progress.h"
#include "engine/DBEngine.h"
#include "engine/EngineError.h"
#include "engine/FileSync.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

const QString Compaction::DatabaseName = QStringLiteral("pvx.mdb");
const QString Compaction::WorkName = QStringLiteral("pvxnew.mdb");
const QString Compaction::BackupName = QStringLiteral("pvxdb.bak");
const QString Compaction::NewBackupName = QStringLiteral("pvxdb.bak.new");

namespace {

// How often the compaction's progress looks at the size of the copy.
constexpr qint64 LookEveryMs = 50;

QString joined(const QStringList& problems) {
    return problems.join(QLatin1Char(' '));
}

} // namespace

Compaction::Compaction(const QString& dataDir) : m_dir(dataDir) {}

QString Compaction::path(const QString& name) const {
    return QDir(m_dir).filePath(name);
}

bool Compaction::reach(Step step) {
    return !m_hook || m_hook(step);
}

Compaction::Result Compaction::run() {
    Step step = Step::RemoveLeftovers;
    const auto stopped = [&] { return Result{Outcome::Stopped, step, {}}; };
    const auto cancelled = [&] {
        discard();
        return Result{Outcome::Cancelled, step, {}};
    };
    try {
        if (!reach(step))
            return stopped();
        // The generation an earlier compaction kept must not be lost with its leftovers:
        // when it cannot take its name, nothing else is done.
        QString why;
        if (!finishEarlierSwap(&why))
            return {Outcome::Failed, step, why};
        why.clear();
        // Anything else one cut short left is incomplete or unchecked: no use to anybody.
        discard();

        step = Step::Compact;
        if (!reach(step))
            return stopped();
        compact();

        step = Step::Flush;
        if (!reach(step))
            return stopped();
        flushWorkFile();

        step = Step::Verify;
        if (!reach(step))
            return stopped();
        verify();

        step = Step::KeepBackup;
        if (!reach(step))
            return stopped();
        if (!keepBackup())
            return cancelled();

        // The swap is two renames; once it has begun it runs to its end.
        progress().disallowCancel();
        progress().setStage(QStringLiteral("Putting the compacted database in place..."), 0);
        step = Step::Replace;
        if (!reach(step))
            return stopped();
        if (!replaceFile(path(WorkName), path(DatabaseName), &why))
            throw MaintenanceFailure(why);
    } catch (const EngineError& error) {
        if (error.number() == ErrorNumber::OperationCancelled)
            return cancelled();
        discard();
        return {Outcome::Failed, step, error.description()};
    } catch (const MaintenanceFailure& failure) {
        discard();
        return {Outcome::Failed, step, failure.reason()};
    } catch (const std::exception& error) {
        discard();
        return {Outcome::Failed, step, QString::fromLocal8Bit(error.what())};
    }

    // pvx.mdb is the compacted database now; what follows only names the old one.
    Outcome outcome = Outcome::Compacted;
    QString reason;
    step = Step::ReplaceBackup;
    try {
        if (!reach(step))
            return stopped();
        if (!replaceFile(path(NewBackupName), path(BackupName), &reason))
            outcome = Outcome::CompactedBackupNotRenamed;
    } catch (const MaintenanceFailure& failure) {
        reason = failure.reason();
        outcome = Outcome::CompactedBackupNotRenamed;
    }

    step = Step::FlushFolder;
    if (!reach(step))
        return stopped();
    flushFolder(m_dir);
    return {outcome, outcome == Outcome::Compacted ? step : Step::ReplaceBackup, reason};
}

void Compaction::discard() {
    // Before the swap, pvxdb.bak.new is only a second name, or a copy, of pvx.mdb: removing it
    // takes nothing away. It goes before pvxnew.mdb, so that it is never found without
    // pvxnew.mdb unless the swap has happened (see finishEarlierSwap).
    QFile::remove(path(NewBackupName));
    QFile::remove(path(NewBackupName) + QStringLiteral(".partial"));
    QFile::remove(path(WorkName));
}

bool Compaction::finishEarlierSwap(QString* reason) {
    // pvxdb.bak.new without pvxnew.mdb: a compaction put its checked copy in place as pvx.mdb
    // and stopped before the database as it was took the backup's name. That database is the
    // generation to keep.
    if (QFileInfo::exists(path(NewBackupName)) && !QFileInfo::exists(path(WorkName)))
        return replaceFile(path(NewBackupName), path(BackupName), reason);
    return true;
}

void Compaction::compact() {
    const QString work = path(WorkName);
    const qint64 size = QFileInfo(path(DatabaseName)).size();
    // The copy's growth against the original's size tells how far the engine has got; the
    // copy ends up smaller, so the bar may finish short of the end.
    progress().setStage(QStringLiteral("Compacting the database..."), size);
    // The engine asks thousands of times a second; looking at the size of a file that is
    // being written each time would slow the writing down.
    QElapsedTimer sinceLook;
    qint64 written = 0;
    DBEngine::CompactDatabase(path(DatabaseName), work, [&] {
        if (!sinceLook.isValid() || sinceLook.elapsed() >= LookEveryMs) {
            written = QFileInfo(work).size();
            sinceLook.start();
        }
        return progress().advance(written);
    });
}

void Compaction::flushWorkFile() {
    QFile work(path(WorkName));
    // The engine does not flush what it writes; the copy must be on the disk before it
    // takes the database's name.
    if (!work.open(QIODevice::ReadWrite | QIODevice::ExistingOnly) || !flushToDisk(work))
        throw MaintenanceFailure(work.errorString());
}

void Compaction::verify() {
    progress().setStage(QStringLiteral("Checking the compacted copy..."), 0);
    const QStringList problems = DBEngine::compareCopy(path(DatabaseName), path(WorkName),
                                                       [&] { return progress().advance(0); });
    if (!problems.isEmpty())
        throw MaintenanceFailure(joined(problems));
}

bool Compaction::keepBackup() {
    progress().setStage(QStringLiteral("Keeping the database as it was in %1...").arg(BackupName),
                        0);
    if (m_linkingAllowed && linkFile(path(DatabaseName), path(NewBackupName)))
        return true;
    // No links on this file system (or not allowed): a checked copy instead.
    SafeCopy copy(path(DatabaseName), path(NewBackupName));
    copy.setProgress(&progress());
    const SafeCopy::Result result = copy.run();
    switch (result.outcome) {
    case SafeCopy::Outcome::Copied:
        return true;
    case SafeCopy::Outcome::Cancelled:
        return false;
    case SafeCopy::Outcome::SameFile:
    case SafeCopy::Outcome::Failed:
    case SafeCopy::Outcome::Stopped:
        break;
    }
    throw MaintenanceFailure(result.reason);
}

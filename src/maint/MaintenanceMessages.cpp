#include "maint/MaintenanceMessages.h"

#include <QDir>

using namespace Qt::StringLiterals;

QString backupFailedMessage() {
    return u"Backup could not be Performed.  Make sure a formatted disk with sufficient free "
           u"space is in the selected drive."_s;
}

QString backupOntoItselfMessage(const QString& destination) {
    return u"%1 is the database Purvex is working on, so it cannot be its own backup.  "
           u"Choose another drive."_s.arg(QDir::toNativeSeparators(destination));
}

QString backupIntoDataFolderMessage(const QString& destination) {
    return u"%1 is in the folder Purvex starts in, where it would be opened next time instead "
           u"of the database on the server.  Choose another drive."_s.arg(
               QDir::toNativeSeparators(destination));
}

QString compactQuestion() {
    return u"Do you wish to compact the Zelmar Program database?"_s;
}

QString compactTitle() {
    return u"Compact Database"_s;
}

QString compactionMessage(const Compaction::Result& result, const QString& dataDir) {
    using Step = Compaction::Step;
    using Outcome = Compaction::Outcome;
    const QString folder = QDir::toNativeSeparators(dataDir);
    const QString reason = result.reason.isEmpty() ? QString() : u" (%1)"_s.arg(result.reason);
    switch (result.outcome) {
    case Outcome::Compacted:
    case Outcome::Cancelled:
        return {};
    case Outcome::CompactedBackupNotRenamed:
        return u"The database has been compacted, but the database as it was before could not "
               u"be given the name %1%2.  It has been kept as %3 in %4."_s.arg(
                   Compaction::BackupName, reason, Compaction::NewBackupName, folder);
    case Outcome::Failed:
    case Outcome::Stopped:
        break;
    }

    const QString unchanged = u"Your database has not been changed."_s;
    switch (result.step) {
    case Step::RemoveLeftovers:
        if (result.outcome == Outcome::Failed)
            return u"The database as it was before the last compaction, %1, could not be given "
                   u"the name %2%3.  Nothing has been compacted or removed.  Rename %1 in %4 "
                   u"to %2 yourself (or move it away), then try again."_s.arg(
                       Compaction::NewBackupName, Compaction::BackupName, reason, folder);
        [[fallthrough]];
    case Step::Compact:
    case Step::Flush:
        return u"The compacted copy of the database could not be written%1.  %2  Make sure "
               u"there is free space in %3 for a second copy of pvx.mdb, and that no other "
               u"program is using it, then try again."_s.arg(reason, unchanged, folder);
    case Step::Verify:
        return u"The compacted copy of the database did not pass its check%1, so it has not "
               u"been used.  %2  Run \"pvxadmin check\" on %3 to check the database itself."_s.arg(
                   reason, unchanged, folder);
    case Step::KeepBackup:
        return u"The database as it was could not be kept as %1%2, so the compacted copy has "
               u"not been used.  %3  Make sure there is free space in %4, then try again."_s.arg(
                   Compaction::BackupName, reason, unchanged, folder);
    case Step::Replace:
    case Step::ReplaceBackup:
    case Step::FlushFolder:
        break;
    }
    return u"The compacted copy could not take the place of the database%1.  %2  Make sure "
           u"you may change files in %3, then try again."_s.arg(reason, unchanged, folder);
}

#pragma once

#include "maint/Compaction.h"

#include <QString>

// What backup and compaction tell the user.

// Any failure of the copy; the previous backup on the drive is as it was.
QString backupFailedMessage();
// The chosen drive's pvx.mdb is the database itself.
QString backupOntoItselfMessage(const QString& destination);
// A snapshot of a server's database refused in the folder Purvex starts in, where the file
// would be opened next time instead of the server's database.
QString backupIntoDataFolderMessage(const QString& destination);

QString compactQuestion();
QString compactTitle();
// What failed, that the database is unchanged, and what the user can do; empty when there is
// nothing to say (compacted, or stopped by the user).
QString compactionMessage(const Compaction::Result& result, const QString& dataDir);

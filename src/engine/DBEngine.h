#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The engine's work on whole database files rather than on the data in one.
namespace DBEngine {

// Asked now and then while long work on a file runs; returning false stops the work, which
// then fails with OperationCancelled. It must not throw.
using KeepGoing = std::function<bool()>;

// Writes a compacted copy of the database `source` to `destination`: the same tables, rows,
// indexes and settings, laid out afresh without the space deleted rows left behind. The
// source must not be open anywhere (it is held exclusively while the copy is written, and a
// file held by another process fails with DatabaseInUse); the destination must not exist.
// The copy is not flushed to the disk: whoever is to trust it does that. A failure may leave
// a part-written destination behind.
void CompactDatabase(const QString& source, const QString& destination,
                     const KeepGoing& keepGoing = {});

// What keeps `copy` from standing in for `original`: the copy failing SQLite's quick check
// (every page, b-tree and record of the file sound), a table that only one of them has, a
// table whose number of rows differs. Empty when the copy passes its check and holds every
// table of the original with as many rows. Both files are only read; one that cannot be read
// at all fails with its engine error.
QStringList compareCopy(const QString& original, const QString& copy,
                        const KeepGoing& keepGoing = {});

} // namespace DBEngine

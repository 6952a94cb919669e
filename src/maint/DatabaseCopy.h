#pragma once

#include "core/Progress.h"

#include <QList>
#include <QString>

class Database;

// Copies a whole Purvex database between any two backends (a pvx.mdb file, a database on a
// PostgreSQL server): every order with its record number, the lookup tables, the report-field
// catalogue and the saved designs. The source is read in one consistent read (on a server a
// repeatable-read, read-only transaction, so the copy is one moment's state while others go
// on writing) and never written. The destination gets all of it or nothing:
// - a file is written as NAME.partial beside it, checked, flushed and only then given
//   its name; an existing file of that name is replaced only when asked, and is kept as it was
//   whenever the copy fails;
// - a server's database takes the copy in one transaction, only while its orders and designs
//   are empty; its tables are made first when it has none. The key sequence is then set past
//   the highest record number, so that the next record added there gets a new one.
// Both sides are then counted table by table and summed (SHA-256 of a canonical text of every
// row in key order); a copy whose sums differ is not kept.
class DatabaseCopy {
public:
    struct TableCount {
        QString table;
        qint64 rows = 0;
        bool operator==(const TableCount&) const = default;
    };
    // What a database holds, the same text on every backend for the same values.
    struct Summary {
        QList<TableCount> counts;
        // Lower-case hex of the SHA-256.
        QString checksum;
        bool operator==(const Summary&) const = default;
    };

    // Counts and sums a database's tables; reads only, in one consistent read.
    static Summary summarize(Database& db);

    // Into the file `path`. Refuses an existing file (DatabaseExists) unless replaceExisting.
    // Returns the summary both sides agreed on. Throws EngineError on failure, and
    // OperationCancelled when the user stopped the copy; either way no work file is left.
    static Summary toFile(Database& source, const QString& path, bool replaceExisting,
                          Progress* progress = nullptr);
    // Into a database on a server (destination.isServer()).
    static Summary toServer(Database& source, Database& destination, Progress* progress = nullptr);
};

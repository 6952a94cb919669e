#pragma once

#include "exchange/Importer.h"

#include <QString>

// Turns the Access-format pvx.mdb of the older program, copied into a folder, into a Purvex
// database in its place: a new pvx.mdb with the tables and the standard report catalogue
// holding the records of its table pvx, with their record numbers. The old file is kept,
// byte for byte, under a free name beside it (pvx-access.mdb): a second name for the same
// file where the file system allows it, else a copy checked against it.
//
// At no moment is there no pvx.mdb: the new database is made and checked under a temporary
// name, the old file gets its second name, and the new one takes the name pvx.mdb in one
// step. Whatever fails before that step leaves the folder as it was.
namespace AccessConversion {

struct Result {
    enum class Outcome { Converted, Refused, Cancelled, Failed };
    Outcome outcome = Outcome::Failed;
    // The import into the new database (its problems, when Refused).
    Importer::Result import;
    // Where the old file is kept, once Converted.
    QString keptPath;
    // What failed, when Failed.
    QString error;
};

// The name the old file would be kept under: pvx-access.mdb, or pvx-access-2.mdb and so on
// where that is taken.
QString keptPath(const QString& databasePath);

// The table the older program kept its records in.
inline const QString OrdersTable = QStringLiteral("pvx");

// Throws ImportError, naming the tables the file has, when the file is not an Access-format
// database the reader can open or has no such table. Only reads.
void check(const QString& databasePath, const QString& table = OrdersTable);

// Converts the table (with request.pairs for columns not named as fields). A dry run is not
// made; the progress callback may stop the work until the new database takes the name.
Result run(const QString& databasePath, const Importer::Request& request,
           const QString& table = OrdersTable);

} // namespace AccessConversion

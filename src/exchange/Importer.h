#pragma once

#include "exchange/FieldConversion.h"

#include <QString>
#include <QStringList>

#include <functional>

class Database;
class ImportSource;

// Brings the rows of a source into table pvx of an open database: all of them in one
// transaction, or none. Every row is converted first; a value that cannot be stored as it is
// stops the import with a list of what is wrong and where, and nothing is written. The source
// is only read.
//
// Record numbers (zelid) of the source are kept when the table is empty (a file moved over
// whole keeps its numbers, which reports show); into a table that holds records, every record
// gets a new number after the last, so nothing there is replaced. Fields the source has no
// column for get what a new record gets: empty text, "Order", "No", no dates, no amount.
namespace Importer {

struct Request {
    // "FIELD=COLUMN" pairs for columns whose names are not a field's.
    QStringList pairs;
    // Everything is checked and written, then taken back.
    bool dryRun = false;
    FieldConversion::Options conversion;
    // Told how far the reading has got, now and then; returning false stops the import
    // before anything is kept.
    std::function<bool(qint64 done, qint64 total)> progress;
};

enum class Outcome {
    Imported,  // written (or, on a dry run, would be)
    NoRows,    // the source holds no rows: nothing to do
    Refused,   // values that cannot be stored: nothing written
    Cancelled, // stopped through the progress callback: nothing written
};

// The most problems listed one by one; the rest are counted.
inline constexpr int ListedProblems = 20;

struct Result {
    Outcome outcome = Outcome::NoRows;
    bool dryRun = false;
    qint64 records = 0;
    // "row 7, column "Date Ordered", value "2026-02-30": not a date ...", the first
    // ListedProblems of them.
    QStringList problems;
    qint64 problemCount = 0;
    QStringList unmappedColumns;
    QStringList missingFields;
    // Whether the source's record numbers were kept (see above).
    bool keysKept = false;
    bool sourceHadKeys = false;
    bool tableWasEmpty = false;
};

// Throws ImportError when the columns cannot be mapped or the source cannot be read on the
// way; EngineError when the database fails. Nothing is written then either.
Result run(Database& db, ImportSource& source, const Request& request);

// What a user is told: the first line "Imported N records from FILE" ("Would import" on a
// dry run), then the columns left out and the fields left as a new record has them; for a
// refused import the problems, and for an empty source that there was nothing to import.
QString summary(const Result& result, const QString& shownFile);

} // namespace Importer

#pragma once

#include <QString>

#include <functional>

class Database;
class QIODevice;

// Every record of pvx as CSV, for a spreadsheet or another program: a heading line of the
// stored field names, then one line a record in the order of the record numbers. Dates in ISO
// form (2026-01-31, with " 14:05:00" where a time of day is stored), amounts as plain
// decimals with a point (exact; no currency sign, no grouping; at least two decimals, and
// four rather than three, so that no spreadsheet takes the point for a thousands separator),
// Type and status as the words of their lists. A value another tool stored that is not what
// its field holds (text in a date column) is written as it is stored.
namespace CsvExport {

// Told how many records are written of how many, now and then; returning false stops it.
using ProgressCallback = std::function<bool(qint64 done, qint64 total)>;

struct Result {
    bool written = false;
    qint64 records = 0;
    // Why nothing was written: the target refused, or the user stopped it ("" then).
    QString error;
    bool cancelled = false;
};

// Writes to the device; false when the device refused a write or the progress callback
// stopped it.
bool write(Database& db, QIODevice& device, qint64* records = nullptr,
           const ProgressCallback& progress = {});

// Writes the file whole or not at all: beside it first, then renamed into place (a named
// pipe or a device, or "-" for the standard output where standardOutputDash is set, is
// written to directly). A file there before is left as it was when anything fails.
Result toFile(Database& db, const QString& fileName, bool standardOutputDash = false,
              const ProgressCallback& progress = {});

// An amount as export writes it: "12.50", "-3.00", "0.1250", "1234567.8912".
QString amountText(qint64 tenThousandths);

} // namespace CsvExport

#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

class Database;

#include <memory>
#include <optional>

// pvxadmin report: one of the built-in reports written to a PDF file, the same pages the
// program's output window shows, so that a list can be made on a schedule.
namespace ReportCommand {

// The report names on the command line, in the order of the program's Reports menu.
const QStringList& reportNames();
// Whether the report covers a range of order dates (--from and --to).
bool takesDateRange(const QString& name);

struct Request {
    QString name;
    // The folder holding pvx.mdb, or the file itself.
    QString database;
    QString pdf;
    // Order dates covered, both included; the program's own first range where not given.
    std::optional<QDate> from;
    std::optional<QDate> to;
};

struct Result {
    // Pages written; 0 when nothing was written because no record matched.
    int pages = 0;
    // The report's own message when no record matched.
    QString message;
};

// Why a path is not there: it does not exist, or a folder on its way may not be entered.
QString whyMissing(const QString& path);

// The pvx.mdb in a folder, or the file itself. Throws std::runtime_error when it is not
// there, or cannot be reached because a folder on the way may not be entered.
QString databasePath(const QString& dirOrFile);

// That database opened for reading only, refused (EngineError NewerDatabase) when a newer
// program made it: a command that reads it must not misread a layout it does not know.
std::unique_ptr<Database> openForReading(const QString& dirOrFile);

// Where a command finds its database: a folder (its pvx.mdb, or without one its pvx.server),
// a file, or a server named with --server. A server place is the connection string behind a
// NUL character, which no path given on a command line can hold.
QString serverPlace(const QString& connectionString);
bool isServerPlace(const QString& place);
// The database on a server the place names (by --server, or a folder with pvx.server and
// no pvx.mdb), connected; nullptr for a file.
std::unique_ptr<Database> openServerOf(const QString& place);
// What a place is called in messages: the file's path, or the server's database.
QString shownPlace(const QString& place);

// How an output file is named in pvxadmin's messages: its full path, or the standard output
// for "-".
QString shownTarget(const QString& fileName);

// Writes the report, replacing pdf only once it is complete. Throws EngineError when the
// database cannot be read and std::runtime_error when the file cannot be written.
Result write(const Request& request);

} // namespace ReportCommand

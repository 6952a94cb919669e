#pragma once

#include <QString>
#include <QStringList>

class Database;

// The layout of pvx.mdb in one place: the orders table pvx with its indexes, the lookup
// tables that let reports print codes as words, the report-field catalogue RptSpec and the
// saved report designs ReportDesigns. The version is kept in PRAGMA user_version.
namespace Schema {

// 1: the orders, the lookup tables and the catalogue. 2: the saved report designs.
inline constexpr int CurrentVersion = 2;
inline constexpr int DesignsVersion = 2;

// The table of saved report designs: DesignKey, the name case-folded (QString::toCaseFolded),
// which keeps two names that differ only in case from both being stored, whatever the
// backend's own collation does with letters beyond A-Z; DesignName, as the user wrote it;
// Design, the design's text form.
inline constexpr const char* DesignsTable = "ReportDesigns";

// Every table and column name of the layout in its own spelling (a server gives them back
// in lower case).
QStringList names();

// A table of the layout and its columns in their own spelling, the key column first.
struct TableColumns {
    QString table;
    QStringList columns;
};
// Every table a whole copy of the database carries: the orders, the lookup tables, the
// report-field catalogue and the saved designs, in that order.
QList<TableColumns> tableColumns();

// Creates every table, index and catalogue row in one transaction on an empty database.
void create(Database& db);

// Brings a file made by an earlier release to this layout (the designs table) in one
// transaction: all of it or nothing, and nothing at all when the file has it already.
// Refuses a newer file as requireKnownVersion does, before anything is written. Returns
// whether it changed the file.
bool upgrade(Database& db);

// What is wrong with an existing file: its integrity, and the tables and columns the
// program needs. Empty when the file is sound. A file of an earlier layout, without the
// designs table, is sound: the program adds the table when it first opens the file.
QStringList check(Database& db);

// Refuses a file made by a newer program, whose layout this one does not know, with
// EngineError NewerDatabase: it is neither read nor written.
void requireKnownVersion(Database& db);

// Refuses a file whose orders table pvx is missing, or lacks a column the program reads,
// with the engine's error for it (TableNotFound, FieldNotFound). It only reads, so that a
// file refused is left exactly as it was.
void requireOrdersTable(Database& db);

// Adds the indexes a file made by an earlier release lacks (the one the due and overdue
// counts read, for one), in one transaction; writes nothing when none is missing. Returns
// how many it added.
int addMissingIndexes(Database& db);

// Values in pvx that the program's own forms never write and shows as they are stored: a
// number in the amount column beyond the amounts it handles, text where a number or a date
// belongs, a date that is no date, a Type or status other than 0, 1 and 2, binary data in a
// text column. One line for each: the record, the column, the value and what is odd about it.
QStringList oddValues(Database& db);

} // namespace Schema

#pragma once

#include <QString>
#include <QStringList>

class Database;

// The layout of pvx.mdb in one place: the orders table pvx with its indexes, the lookup
// tables that let reports print codes as words, and the report-field catalogue RptSpec.
// The version is kept in PRAGMA user_version.
namespace Schema {

inline constexpr int CurrentVersion = 1;

// Creates every table, index and catalogue row in one transaction on an empty database.
void create(Database& db);

// What is wrong with an existing file: its integrity, and the tables and columns the
// program needs. Empty when the file is sound.
QStringList check(Database& db);

} // namespace Schema

#pragma once

#include <QString>

class QTextStream;

// pvxadmin copy FROM TO: a whole Purvex database from one place to another. Each place is a
// folder holding pvx.mdb, a folder holding pvx.server (and no pvx.mdb), or
// "server:CONNECTION", a libpq connection string. A pvx.mdb is made new in a folder without
// one; a server's database takes the copy only while it holds no records and no designs.
namespace CopyCommand {

// What "server:" begins: the rest is a connection string.
inline constexpr const char* ServerPrefix = "server:";

// Copies and prints the counts of each table and the checksum both sides agreed on. Exits 0
// when the copy is in place, 2 on any failure or refusal (nothing was changed then).
int run(const QString& from, const QString& to, QTextStream& out, QTextStream& err);

} // namespace CopyCommand

#pragma once

#include <QString>

class QTextStream;

// pvxadmin export: every record of a pvx.mdb as a CSV file, for a spreadsheet or another
// program, written whole or not at all.
namespace ExportCommand {

struct Request {
    QString database; // the folder holding pvx.mdb, or the file itself
    QString csv;      // the file to write; "-" for the standard output
};

// Says what was written on out (on err when the CSV went to the standard output). Exit
// status: 0 written, 1 not written.
int run(const Request& request, QTextStream& out, QTextStream& err);

} // namespace ExportCommand

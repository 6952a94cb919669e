#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

// pvxadmin import: the records of an Access-format database or a CSV file brought into an
// existing pvx.mdb, all of them or none.
namespace ImportCommand {

struct Request {
    QString database;  // the folder holding pvx.mdb, or the file itself
    QString file;      // what to import
    QString table;     // of an Access-format file; pvx when empty
    QStringList pairs; // FIELD=COLUMN
    bool dryRun = false;
};

// Writes the summary to out, or the problems to err. Exit status: 0 imported, 1 nothing to
// import (the source has no rows), 2 any error.
int run(const Request& request, QTextStream& out, QTextStream& err);

} // namespace ImportCommand

#pragma once

#include "custom/ReportDefinition.h"

#include <QLocale>
#include <QString>

#include <memory>

class Database;
class QTextStream;

// Saved report designs on the command line: pvxadmin designs, which lists them, and what
// pvxadmin custom does with --design and --save-as.
namespace DesignCommands {

// pvxadmin designs DIR: one line per design, tab-separated: its name, its fields in report
// order (hidden ones marked), where the designer sends it. A design that cannot be read is
// listed by name, with a warning on err. Only reads; a file of an earlier layout, without
// the designs table, holds none. Returns the exit status.
int list(const QString& dirOrFile, QTextStream& out, QTextStream& err);

// The design of that name on the catalogue. Throws CustomCommand::BadArgument when the file
// has none of that name, std::runtime_error when it cannot be read or names what the
// catalogue does not have (a report made without it could show what it meant to leave out).
ReportDefinition load(Database& db, const ReportCatalogue& catalogue, const QString& name,
                      const QLocale& locale);

// The database opened to store a design in: for this process alone while it writes, refused
// when the program or another command has it, when a newer program made it or when it is no
// orders file; nothing is written by opening it.
std::unique_ptr<Database> openForWriting(const QString& dirOrFile);

// Stores the definition as a design, bringing a file of an earlier layout up to date first.
// Throws CustomCommand::BadArgument when the name is taken and replace is not given.
void save(Database& db, const QString& name, bool replace, const ReportDefinition& definition,
          const QLocale& locale);

} // namespace DesignCommands

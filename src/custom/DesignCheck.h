#pragma once

#include <QLocale>
#include <QStringList>

class Database;
class ReportCatalogue;

// Whether each saved report design can be loaded on this file's catalogue: one line for a
// design that cannot be read at all, one for a design naming what the catalogue does not
// have (the designer loads the rest), one for a name stored under a key that is not its own
// (written by another tool: the program would not find it by its name). Each names the
// design. None of them makes the file unsound: the designs are the user's conveniences, not
// their records.
namespace DesignCheck {

QStringList warnings(Database& db, const ReportCatalogue& catalogue, const QLocale& locale);

} // namespace DesignCheck

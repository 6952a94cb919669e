#pragma once

#include <QStringList>

class Database;
class ReportCatalogue;

// Whether each row of the report catalogue can make a report on this file, found by asking
// the engine to run the query a report of that field makes, first with the field's own table
// joined, then with the tables of every other row joined as well, as a report of many fields
// joins them. One line for each row the engine refuses: a table or column the file does not
// have, a join key that names no column, a bare column name that two joined tables share.
namespace CatalogueCheck {

QStringList problems(Database& db, const ReportCatalogue& catalogue);

} // namespace CatalogueCheck

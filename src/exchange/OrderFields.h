#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class Database;

// The fields of an order record as import and export see them: the columns of pvx by their
// stored names, in the order of the table, with what kind of value each takes.
namespace OrderFields {

enum class Kind {
    Key,    // zelid, the record number
    Text,   // text, with the most characters the file's column is declared to hold
    Type,   // 0 Order, 1 Rebate, 2 Sale
    Status, // 0 No, 1 Partially, 2 Yes
    Date,   // a date, with the time of day when one was typed
    Amount, // money, exact to ten-thousandths
};

struct Field {
    QString name;
    Kind kind = Kind::Text;
    // Text only: the most characters it holds; 0 for none (the memo fields).
    int limit = 0;
    // The names the custom report designer shows for it in this file ("Date Ordered").
    QStringList shownNames;
};

// Every field, in the order of the table, with the limits of the program's entry boxes and
// no shown names. Export writes them in this order.
const QList<Field>& standard();

// The fields as the file describes them: text limits from the declared column types
// (VARCHAR(80)), and the designer's names from the report catalogue, where a text field of
// a joined lookup table ("Type", "Received") stands for the pvx column it is joined on.
// Where the file says nothing (no catalogue, a column declared without a size), the
// standard fields' values hold.
QList<Field> describedBy(Database& db);

// The list texts of Type and status by position ("Order", "Rebate", "Sale"; "No",
// "Partially", "Yes").
const QStringList& listTexts(Kind kind);

} // namespace OrderFields

#pragma once

#include <QDate>
#include <QString>

class QTextStream;

// pvxadmin due: what is overdue, then what falls due within the next days, one item a line,
// oldest first, for a scheduled job that mails the list only when something is overdue.
namespace DueCommand {

enum class Format { Text, Tsv };

struct Request {
    QString database; // the folder holding pvx.mdb, or the file itself
    int days = 7;
    Format format = Format::Text;
    QDate today;
};

// Writes the list to out. True when something is overdue. Throws on a file that cannot be
// read (std::runtime_error, EngineError).
bool run(const Request& request, QTextStream& out);

} // namespace DueCommand

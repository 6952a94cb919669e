#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>

class QTextStream;

// pvxadmin custom: any custom report, made from the command line with the field names the
// designer shows, to a PDF, a text file or an HTML file.
namespace CustomCommand {

// The command line as given, each option's values in order.
struct Arguments {
    QString database;
    QStringList fields;
    QStringList hide;
    QStringList total;
    QStringList width;
    QStringList starts;
    QStringList less;
    QStringList greater;
    QStringList from;
    QStringList to;
    QStringList wantTrue;
    QStringList wantFalse;
    QStringList sort;
    std::optional<QString> title;
    bool centimeters = false;
    bool landscape = false;
    std::optional<QString> pageNumbers;
    bool noDate = false;
    std::optional<QString> pdf;
    std::optional<QString> tsv;
    std::optional<QString> html;
};

// A command line that cannot be meant: the text names the argument.
struct BadArgument : std::runtime_error {
    explicit BadArgument(const QString& text)
        : std::runtime_error(text.toStdString()), message(text) {}
    QString message;
};

// Checks what can be checked without the database (one output file, the page-number
// choice, the form of NAME=VALUE arguments and of dates). Throws BadArgument.
void checkForm(const Arguments& arguments);

// Makes the report. Throws BadArgument for a name the catalogue lacks, an option on a field
// that is not in the report (only --sort may name any field) or a value that is no number
// or date, std::runtime_error when the database or file cannot be used; a
// report without rows or without a visible field has its message on err and returns 1.
int run(const Arguments& arguments, QTextStream& out, QTextStream& err);

} // namespace CustomCommand

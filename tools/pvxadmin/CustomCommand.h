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
    // A saved design to start from; the options above change it for this run only.
    std::optional<QString> design;
    // Stores the report the command line describes as a design of this name; an existing
    // one only with replace.
    std::optional<QString> saveAs;
    bool replace = false;
};

// A command line that cannot be meant: the text names the argument.
struct BadArgument : std::runtime_error {
    explicit BadArgument(const QString& text)
        : std::runtime_error(text.toStdString()), message(text) {}
    QString message;
};

// Checks what can be checked without the database (one output file, or at most one with
// --save-as; fields or a design; the page-number choice, the form of NAME=VALUE arguments,
// of dates and of a design's name). Throws BadArgument.
void checkForm(const Arguments& arguments);

// Makes the report, and first stores it as a design with --save-as. Throws BadArgument for
// a name the catalogue lacks, a design the file lacks, a design name taken without
// --replace, an option on a field that is not in the report (only --sort may name any field)
// or a value that is no number or date, std::runtime_error when the database, the design or
// the file cannot be used; a report without rows or without a visible field has its message
// on err and returns 1.
int run(const Arguments& arguments, QTextStream& out, QTextStream& err);

} // namespace CustomCommand

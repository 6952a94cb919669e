#pragma once

#include "custom/ReportDefinition.h"

#include "reports/TableFormat.h"

#include <QString>
#include <QStringList>

#include <functional>

struct AppState;
class Database;
class ReportPageSink;
class CoreServices;
class QLocale;

// What "Generate Report" needs: the report, the open database, the shared state and
// services (messages and the error trap), and where the report goes.
struct CustomReportJob {
    const ReportDefinition& definition;
    Database& db;
    AppState& state;
    CoreServices& services;
    // The page printer for "Screen/Printer".
    ReportPageSink* pages = nullptr;
    // The file for "Text File" and "Web Table (html)"; empty to ask for it with chooseFile.
    QString fileName;
    // Asks the user where the report goes (the designer's file dialog); empty when the user
    // cancelled. Without it a report with no fileName is written nowhere.
    std::function<QString(ReportTarget)> chooseFile = nullptr;
    // On pvxadmin's command line "-" names the standard output.
    bool dashIsStandardOutput = false;
};

enum class CustomReportOutcome {
    // The pages are on show, or the file has been written.
    Done,
    // A message has said why nothing was made.
    NoFields,
    AllHidden,
    NothingToReport,
    Invalid,
    // The columns are wider than the page.
    TooWide,
    // The file dialog was cancelled or the existing file is to stay.
    Cancelled,
    // An error was shown with its number (or, when the database is gone, went to the
    // error trap); nothing was shown or written.
    Failed,
};

struct CustomReportResult {
    CustomReportOutcome outcome = CustomReportOutcome::Failed;
    // Rows of the report, the totals row not counted.
    int rows = 0;
    QString fileName;
};

// The generate command: checks the report, asks for the file and whether to replace it,
// runs the query and writes the rows with their totals to the page printer, a text file
// or an HTML file. A file is replaced whole or not at all: it is written beside its
// final place and takes its name only when complete, so a failure, a report without rows
// or a refused replacement leaves an existing file exactly as it was.
CustomReportResult GenerateCustomReport(const CustomReportJob& job);

// Whether an error met while making a report must go on to the error trap, which ends the
// program: one that means the database is gone (closed by a backup or compaction under a
// window left open). Any other stops the report alone, with its number and text.
bool reportErrorEndsProgram(int errorNumber);

// Asks whether an existing file may be replaced. Sets gCancel when it may not, and
// returns whether the report may be written.
bool ConfirmOverwrite(AppState& state, CoreServices& services, const QString& fileName);

namespace CustomReportText {
QString noFields();
QString allHidden();
QString noRows();
// The fields whose columns run past the right margin, the width all the columns need and
// the width the page has, in the report's unit.
QString tooWide(const QStringList& fields, double needed, double room,
                const ReportDefinition& definition, const QLocale& locale);
} // namespace CustomReportText

// The visible fields of a report as the page printer lays them out: one column per field,
// numbers to the right, each as wide as its setting in twips, and their headings.
struct CustomReportLayout {
    TableFormat format;
    QStringList headings;
};
CustomReportLayout customReportLayout(const ReportDefinition& definition);

// The message that says which columns of the report do not fit across pages whose body is
// bodyWidth twips wide; empty when they all fit.
QString customReportWidthCheck(const ReportDefinition& definition, double bodyWidth,
                               const QLocale& locale);

// The page header: the date when it is wanted, the title, and the page number when it
// belongs in the header; and the footer, with the page number when it belongs there.
QString customReportHeader(const ReportDefinition& definition, const QString& today);
QString customReportFooter(const ReportDefinition& definition);

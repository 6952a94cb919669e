#pragma once

#include "engine/DomainCodes.h"

#include <QDate>
#include <QLocale>
#include <QString>

#include <functional>

class Database;
class ReportSink;

// What a report is asked for.
struct ReportRequest {
    BuiltInReport report = BuiltInReport::AllOrders;
    // The order dates the three list reports cover, both days included whatever time of
    // day a record was stored with.
    QDate start;
    QDate end;
    // The overdue list takes everything expected on this day or before.
    QDate today;
    // Dates and amounts are written the user's way.
    QLocale locale;
};

// Runs one statement of a report and says whether it completed. The window's reports run
// each statement through the error trap; without one a failure simply propagates.
using ReportStep = std::function<bool(const std::function<void()>&)>;

enum class ReportOutcome {
    Printed,
    // No record matched: nothing has reached the sink, and nothingToReportMessage() says so.
    NothingToReport,
    // A statement failed and its error has been dealt with; the document is not to be shown.
    Failed,
};

// Reads the report's records from db and prints them, with the totals where the report has
// an amount column, from the start of a new document to its end.
ReportOutcome printBuiltInReport(Database& db, const ReportRequest& request, ReportSink& sink,
                                 const ReportStep& step = {});

// What the user is told when no record matches.
QString nothingToReportMessage(BuiltInReport report);

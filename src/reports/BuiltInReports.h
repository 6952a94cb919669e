#pragma once

#include "DomainCodes.h"
#include "TableFormat.h"

#include <QDate>
#include <QLocale>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

struct AppState;
class Database;
class PageDocument;
class QWidget;
class Services;
class frmOutput;

// Where a report prints. The output window is one; a bare document on its way to a PDF
// file is another, so that a report reads the same on screen and in a file.
class ReportSink {
public:
    virtual ~ReportSink() = default;

    // The column headings at the top of every page of the documents that follow.
    virtual void setRepeatHeader(const TableFormat& format, const QStringList& titles) = 0;
    virtual void startDoc() = 0;
    virtual void setHeader(const QString& text) = 0;
    virtual void tableRow(const TableFormat& format, const QStringList& cells) = 0;
    // One empty line.
    virtual void paragraph() = 0;
    virtual void endDoc() = 0;
};

// A report printed straight into a document, without a window: the column headings go to
// the top of each page the way the output window puts them there.
class DocumentSink : public ReportSink {
public:
    explicit DocumentSink(PageDocument& document);
    ~DocumentSink() override;

    void setRepeatHeader(const TableFormat& format, const QStringList& titles) override;
    void startDoc() override;
    void setHeader(const QString& text) override;
    void tableRow(const TableFormat& format, const QStringList& cells) override;
    void paragraph() override;
    void endDoc() override;

private:
    void newPage();

    PageDocument& m_document;
    QMetaObject::Connection m_connection;
    bool m_repeatHeader = false;
    TableFormat m_headerFormat;
    QStringList m_headerTitles;
};

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

// The Reports menu's five reports, as the main form runs them: the three list reports ask
// for their range of order dates first, and every report ends with the output window shown
// or a message. The output window is reused while it is open.
class BuiltInReports : public QObject {
    Q_OBJECT

public:
    // parent is normally the main form; the dialog and the output window then belong to it.
    BuiltInReports(AppState& state, Services& services, QObject* parent = nullptr);
    ~BuiltInReports() override;

    void ReportAllOrders();
    void ReportAllRebates();
    void ReportAllSales();
    void ReportOutstanding();
    void ReportOverdue();

    // The output window while it is open; null before the first report and once closed.
    frmOutput* output() const;
    // The output window, made when none is open. The custom reports print into it as well,
    // so that every report reuses the one window.
    frmOutput& outputWindow();

private:
    void run(BuiltInReport report);
    // Asks for the range of order dates; false when the user cancelled.
    bool askForDates();
    QWidget* parentWidget() const;

    AppState& m_state;
    Services& m_services;
    QPointer<frmOutput> m_output;
};

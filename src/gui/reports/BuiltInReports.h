#pragma once

#include "engine/DomainCodes.h"

#include <QObject>
#include <QPointer>

struct AppState;
class QWidget;
class Services;
class frmOutput;

// The Reports menu's five reports, as the main form runs them: the three list reports ask
// for their range of order dates first, and every report ends with the output window shown
// or a message. The output window is reused while it is open.
class BuiltInReports : public QObject {
    Q_OBJECT

public:
    // parent is normally the main form; the dialog and the output window then belong to it.
    BuiltInReports(AppState& state, Services& services, QObject* parent = nullptr);
    ~BuiltInReports() override;

    // The report as the Reports menu runs it: the three list reports ask for their range
    // of order dates first.
    void runReport(BuiltInReport report);

    void ReportAllOrders() { runReport(BuiltInReport::AllOrders); }
    void ReportAllRebates() { runReport(BuiltInReport::AllRebates); }
    void ReportAllSales() { runReport(BuiltInReport::AllSales); }
    void ReportOutstanding() { runReport(BuiltInReport::Outstanding); }
    void ReportOverdue() { runReport(BuiltInReport::Overdue); }

    // The output window while it is open; null before the first report and once closed.
    frmOutput* output() const;
    // The output window, made when none is open. The custom reports print into it as well,
    // so that every report reuses the one window.
    frmOutput& outputWindow();

private:
    void print(BuiltInReport report);
    // Asks for the range of order dates; false when the user cancelled.
    bool askForDates();
    QWidget* parentWidget() const;

    AppState& m_state;
    Services& m_services;
    QPointer<frmOutput> m_output;
};

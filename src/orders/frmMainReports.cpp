#include "frmMain.h"

#include "BuiltInReports.h"

#include <QAction>

void frmMain::connectReportHandlers() {
    m_reports = new BuiltInReports(m_state, m_services, this);
    for (int i = 0; i < int(mnuRpt.size()); ++i)
        connect(mnuRpt[i], &QAction::triggered, this, [this, i] { mnuRpt_Click(i + 1); });
}

void frmMain::mnuRpt_Click(int index) {
    switch (BuiltInReport(index)) {
    case BuiltInReport::AllOrders:
        m_reports->ReportAllOrders();
        break;
    case BuiltInReport::AllRebates:
        m_reports->ReportAllRebates();
        break;
    case BuiltInReport::AllSales:
        m_reports->ReportAllSales();
        break;
    case BuiltInReport::Outstanding:
        m_reports->ReportOutstanding();
        break;
    case BuiltInReport::Overdue:
        m_reports->ReportOverdue();
        break;
    }
    // Any other index does nothing.
}

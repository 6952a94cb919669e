#include "frmMain.h"

#include "reports/BuiltInReports.h"

#include <QAction>

void frmMain::connectReportHandlers() {
    m_reports = new BuiltInReports(m_state, m_services, this);
    for (int i = 0; i < int(mnuRpt.size()); ++i)
        connect(mnuRpt[i], &QAction::triggered, this, [this, i] { mnuRpt_Click(i + 1); });
}

void frmMain::mnuRpt_Click(int index) {
    switch (index) {
    case 1:
        m_reports->ReportAllOrders();
        break;
    case 2:
        m_reports->ReportAllRebates();
        break;
    case 3:
        m_reports->ReportAllSales();
        break;
    case 4:
        m_reports->ReportOutstanding();
        break;
    case 5:
        m_reports->ReportOverdue();
        break;
    default:
        break;
    }
}

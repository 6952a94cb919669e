#include "gui/orders/frmMain.h"

#include "gui/custom/frmRptSpec.h"
#include "gui/reports/BuiltInReports.h"

#include "core/AppState.h"

#include <QAction>

void frmMain::connectReportHandlers() {
    m_reports = new BuiltInReports(m_state, m_services, this);
    for (int i = 0; i < int(mnuRpt.size()); ++i)
        connect(mnuRpt[i], &QAction::triggered, this, [this, i] { mnuRpt_Click(i + 1); });
    connect(mnuRptCustom, &QAction::triggered, this, &frmMain::mnuRptCustom_Click);
}

void frmMain::mnuRpt_Click(int index) {
    // The menu's items are the reports in their order; any other index does nothing.
    if (index >= codeOf(BuiltInReport::AllOrders) && index <= codeOf(BuiltInReport::Overdue))
        m_reports->runReport(BuiltInReport(index));
}

void frmMain::mnuRptCustom_Click() {
    if (m_frmRptSpec && m_frmRptSpec->isVisible()) {
        if (m_frmRptSpec->isMinimized())
            m_frmRptSpec->showNormal();
        m_frmRptSpec->raise();
        m_frmRptSpec->activateWindow();
        return;
    }
    // One closed a moment ago may not have gone yet.
    delete m_frmRptSpec.data();
    // Custom reports print into the output window of the built-in ones.
    auto* designer = new frmRptSpec(
        m_state, m_services, [this]() -> frmOutput& { return m_reports->outputWindow(); }, this);
    if (!designer->Form_Load() || m_state.programEnded) {
        delete designer;
        return;
    }
    m_frmRptSpec = designer;
    designer->show();
}

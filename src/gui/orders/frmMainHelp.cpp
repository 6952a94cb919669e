// The Help menu, the Help button and the About box of the main form.

#include "gui/orders/frmMain.h"

#include "core/AppState.h"
#include "gui/app/Services.h"
#include "gui/help/frmAbout.h"

#include <QAction>
#include <QPushButton>

void frmMain::connectHelpHandlers() {
    connect(cmdHelp, &QPushButton::clicked, this, &frmMain::cmdHelp_Click);
    for (int i = 0; i < int(mnuHelp.size()); ++i)
        connect(mnuHelp[i], &QAction::triggered, this, [this, i] { mnuHelp_Click(i + 1); });
    connect(mnuAbout, &QAction::triggered, this, &frmMain::mnuAbout_Click);
}

void frmMain::cmdHelp_Click() {
    m_services.showHelp({HelpRequest::Kind::Contents, 0});
}

void frmMain::mnuHelp_Click(int index) {
    switch (index) {
    case 1:
        m_services.showHelp({HelpRequest::Kind::Contents, 0});
        break;
    case 2:
        m_services.showHelp({HelpRequest::Kind::Search, 0});
        break;
    case 3:
        m_services.showHelp({HelpRequest::Kind::UsingHelp, 0});
        break;
    default:
        // Any other index does nothing.
        break;
    }
}

void frmMain::mnuAbout_Click() {
    if (!m_frmAbout)
        m_frmAbout = new frmAbout(m_state, this);
    m_frmAbout->show();
    m_frmAbout->raise();
    m_frmAbout->activateWindow();
}

// The File menu's Import and Export to CSV: the exchange commands, and the form shown
// afresh after an import.

#include "gui/orders/frmMain.h"

#include "core/AppState.h"
#include "gui/app/Services.h"
#include "gui/orders/ExchangeCommands.h"

#include <QAction>

using namespace Qt::StringLiterals;

void frmMain::connectExchangeHandlers() {
    connect(mnuImport, &QAction::triggered, this, &frmMain::mnuImport_Click);
    connect(mnuExportCsv, &QAction::triggered, this, &frmMain::mnuExportCsv_Click);
}

void frmMain::mnuImport_Click() {
    // The form is shown afresh after an import, which would drop the edit.
    if (mDirty || mAdding) {
        m_services.message(u"Save the record with Update, or Cancel the changes, before you "
                           u"import."_s,
                           u"Import"_s);
        return;
    }
    runImport(m_state, m_services, this, [this] {
        // As after a fresh start: the database opened again, the newest order first.
        m_state.gMaintenance = true;
        Form_Unload();
        Form_Load();
        if (!m_state.programEnded)
            m_state.gMaintenance = false;
    });
}

void frmMain::mnuExportCsv_Click() {
    runCsvExport(m_state, m_services, this);
}

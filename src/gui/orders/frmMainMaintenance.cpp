// The File menu's Backup and Pack Database: the maintenance commands, which unload and load
// the form again through the application.

#include "gui/orders/frmMain.h"

#include "core/AppState.h"
#include "gui/app/Services.h"
#include "gui/maint/MaintenanceCommands.h"

#include <QAction>

using namespace Qt::StringLiterals;

void frmMain::connectMaintenanceHandlers() {
    connect(mnuBackup, &QAction::triggered, this, &frmMain::mnuBackup_Click);
    connect(mnuPack, &QAction::triggered, this, &frmMain::mnuPack_Click);
}

// Backup of a database on a server writes a snapshot of it as a pvx.mdb, read while the form
// stays open; packing is left to the server. Neither changes the server's database.
void frmMain::mnuBackup_Click() {
    if (!m_state.gServer.isEmpty()) {
        runServerBackup(m_state, m_services);
        return;
    }
    runBackup(m_state, m_services);
}

void frmMain::mnuPack_Click() {
    if (!m_state.gServer.isEmpty()) {
        m_services.message(
            u"The database %1 is on a PostgreSQL server, which keeps its own "
            u"storage tidy, so it needs no packing.  Nothing was changed."_s.arg(m_state.gServer),
            u"Pack Database"_s);
        return;
    }
    runCompaction(m_state, m_services);
}

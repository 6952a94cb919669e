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

// Both work on the file pvx.mdb. A database on a server is left to the server: the form
// stays as it is, and nothing is closed or changed.
void frmMain::mnuBackup_Click() {
    if (!m_state.gServer.isEmpty()) {
        m_services.message(u"The database %1 is kept by its PostgreSQL server.  Back it up "
                           u"with the server's own tools (pg_dump); Backup copies pvx.mdb "
                           u"only, and nothing was copied."_s.arg(m_state.gServer),
                           u"Backup"_s);
        return;
    }
    runBackup(m_state, m_services);
}

void frmMain::mnuPack_Click() {
    if (!m_state.gServer.isEmpty()) {
        m_services.message(u"The database %1 is kept by its PostgreSQL server, which keeps "
                           u"its own storage tidy.  Nothing was changed."_s.arg(m_state.gServer),
                           u"Pack Database"_s);
        return;
    }
    runCompaction(m_state, m_services);
}

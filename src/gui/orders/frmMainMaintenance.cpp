// The File menu's Backup and Pack Database: the maintenance commands, which unload and load
// the form again through the application.

#include "gui/orders/frmMain.h"

#include "gui/maint/MaintenanceCommands.h"

#include <QAction>

void frmMain::connectMaintenanceHandlers() {
    connect(mnuBackup, &QAction::triggered, this, &frmMain::mnuBackup_Click);
    connect(mnuPack, &QAction::triggered, this, &frmMain::mnuPack_Click);
}

void frmMain::mnuBackup_Click() {
    runBackup(m_state, m_services);
}

void frmMain::mnuPack_Click() {
    runCompaction(m_state, m_services);
}

#include "gui/maint/MaintenanceCommands.h"

#include "gui/maint/frmBackup.h"
#include "maint/Compaction.h"
#include "maint/MaintenanceMessages.h"

#include "core/AppState.h"
#include "core/Progress.h"
#include "gui/app/Services.h"

void runBackup(AppState& state, Services& services) {
    state.gMaintenance = true;
    state.mainWindow.unloadMainForm();
    {
        frmBackup dialog(state, services);
        services.runModal(dialog);
    }
    if (!state.mainWindow.loadMainForm())
        return;
    state.gMaintenance = false;
}

void runServerBackup(AppState& state, Services& services) {
    frmBackup dialog(state, services);
    services.runModal(dialog);
}

void runCompaction(AppState& state, Services& services) {
    state.gMaintenance = true;
    const MsgAnswer answer = services.message(compactQuestion(), compactTitle(), MsgButtons::YesNo);
    if (answer != MsgAnswer::Yes) {
        state.gMaintenance = false;
        return;
    }
    services.setBusy(true);
    state.mainWindow.unloadMainForm();

    Compaction::Result result;
    {
        const auto progress = services.showProgress(compactTitle(), nullptr);
        Compaction compaction(state.gDataDir);
        compaction.setProgress(progress.get());
        result = compaction.run();
    }

    // The form comes back first, so that a message about what failed is read over it.
    if (!state.mainWindow.loadMainForm()) {
        services.setBusy(false);
        return;
    }
    const QString message = compactionMessage(result, state.gDataDir);
    if (!message.isEmpty())
        services.message(message, compactTitle());
    services.setBusy(false);
    state.gMaintenance = false;
}

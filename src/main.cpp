#include "AppState.h"
#include "ErrorTrap.h"
#include "HelpKey.h"
#include "HelpViewer.h"
#include "PvxApplication.h"
#include "QtServices.h"
#include "frmMain.h"

#if !defined(Q_OS_WIN)
#include <csignal>
#endif

int main(int argc, char** argv) {
#if !defined(Q_OS_WIN)
    // A report written into a pipe whose reader has gone then fails with its message; the
    // signal the system sends for it would end the program there, unsaved edits and all.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    PvxApplication app(argc, argv);
    QtServices services;
    AppState state;
    HelpViewer help(services);
    services.setHelpViewer([&help](const HelpRequest& request) { help.show(request); });
    installHelpKey(&app, services);

    app.setUntrappedErrorHandler([&](const EngineError& error) {
        // A window left open across a backup or compaction meets a database that was closed
        // under it; the trap's own message tells the user what happened.
        if (error.number() == ErrorNumber::InvalidObject) {
            ReportError(error, state, services);
            return;
        }
        services.message(QStringLiteral("%1  %2").arg(error.number()).arg(error.description()), {},
                         MsgButtons::Ok);
        endProgram(state, services, 1);
    });

    // Purvex takes no command line and keeps no settings: everything it needs is pvx.mdb
    // in the folder that is current when it starts.
    frmMain form(state, services);
    if (!form.loadAndShow())
        return state.exitStatus;
    return app.exec();
}

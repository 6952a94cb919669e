#include "core/AppState.h"
#include "core/ErrorTrap.h"
#include "core/Version.h"
#include "gui/app/PvxApplication.h"
#include "gui/app/QtServices.h"
#include "gui/help/HelpKey.h"
#include "gui/help/HelpViewer.h"
#include "gui/orders/frmMain.h"

#if !defined(Q_OS_WIN)
#include <csignal>
#endif

#include <cstdio>
#include <cstring>
#include <optional>

namespace {

const char* const usageText =
    "Usage: purvex\n"
    "  or:  purvex --help\n"
    "  or:  purvex --version\n"
    "\n"
    "Purvex keeps track of mail-order purchases, mail-in rebates and auction sales.\n"
    "It opens the database pvx.mdb in the current folder, for exclusive use, and\n"
    "takes no other arguments. Make a new database with \"pvxadmin create DIR\"; from\n"
    "the desktop menu, purvex-launch opens Purvex in ~/Purvex.\n"
    "\n"
    "Options:\n"
    "  -h, --help     show this help and exit\n"
    "  --version      show the version and exit\n";

// The answer to a command line that asks for help or the version, or that Purvex cannot
// take: given before any window is made, so that it needs no display. Nothing when there
// is no argument and Purvex is to start.
std::optional<int> answerArguments(int argc, char** argv) {
    if (argc < 2)
        return std::nullopt;
    const auto is = [](const char* argument, const char* option) {
        return std::strcmp(argument, option) == 0;
    };
    const bool help = is(argv[1], "--help") || is(argv[1], "-h");
    const bool version = is(argv[1], "--version");
    if (argc == 2 && help) {
        std::fputs(usageText, stdout);
        return 0;
    }
    if (argc == 2 && version) {
        std::printf("Purvex %s\n", Version::Text);
        return 0;
    }
    std::fprintf(stderr, "purvex: unexpected argument \"%s\"\n%s",
                 help || version ? argv[2] : argv[1], usageText);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (const std::optional<int> status = answerArguments(argc, argv))
        return *status;

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

    // Purvex keeps no settings: everything it needs is pvx.mdb in the folder that is
    // current when it starts.
    frmMain form(state, services);
    if (!form.loadAndShow())
        return state.exitStatus;
    return app.exec();
}

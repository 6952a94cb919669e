#include "AdminCommands.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// Whether the command line asks for a report: its first argument that is neither an
// option nor an option's value is the command.
bool isReportCommand(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--") == 0)
            return i + 1 < argc && std::strcmp(argv[i + 1], "report") == 0;
        if (std::strcmp(arg, "--records") == 0 || std::strcmp(arg, "--pdf") == 0 ||
            std::strcmp(arg, "--from") == 0 || std::strcmp(arg, "--to") == 0) {
            ++i;
            continue;
        }
        if (arg[0] == '-' && arg[1] != '\0')
            continue;
        return std::strcmp(arg, "report") == 0;
    }
    return false;
}

// pvxadmin says in one line of its own what went wrong; the toolkit's notes about the
// session it runs in (no runtime directory under cron, for one) would only bury that line.
void quietNotes(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

int main(int argc, char* argv[]) {
    std::unique_ptr<QCoreApplication> app;
    if (isReportCommand(argc, argv)) {
        // Laying out pages needs the fonts of a GUI application but never a screen: a
        // scheduled report must not depend on a display being there.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(quietNotes);
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("pvxadmin"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    return AdminCommands::run(QCoreApplication::arguments().mid(1), out, err);
}

#include "AdminCommands.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>
#include <memory>

namespace {

// pvxadmin says in one line of its own what went wrong; the toolkit's notes about the
// session it runs in (no runtime directory under cron, for one) would only bury that line.
void quietNotes(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    std::unique_ptr<QCoreApplication> app;
    if (AdminCommands::needsPages(arguments)) {
        // Laying out pages needs the fonts of a GUI application but never a screen: a
        // scheduled report must not depend on a display being there, nor on a platform named
        // for the desktop session it was started from.
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

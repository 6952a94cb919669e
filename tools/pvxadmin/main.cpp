#include "AdminCommands.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("pvxadmin"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    return AdminCommands::run(QCoreApplication::arguments().mid(1), out, err);
}

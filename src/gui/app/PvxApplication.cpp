#include "gui/app/PvxApplication.h"

#include "core/Version.h"

#include <QIcon>

#include <cstdio>
#include <cstdlib>

PvxApplication::PvxApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Purvex"));
    setApplicationVersion(QString::fromLatin1(Version::Text));
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/purvex-48.png"));
    icon.addFile(QStringLiteral(":/icons/purvex.png"));
    setWindowIcon(icon);
}

bool PvxApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const EngineError& error) {
        if (m_handler)
            m_handler(error);
    } catch (const std::exception& error) {
        if (m_handler)
            m_handler(
                EngineError(ErrorNumber::EngineFailure, QString::fromLocal8Bit(error.what())));
    }
    // Without a handler, or when it returned, there is no sound state to go on from.
    std::fprintf(stderr, "purvex: unexpected error\n");
    std::exit(1);
}

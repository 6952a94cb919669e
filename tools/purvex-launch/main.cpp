#include "Launcher.h"

#include "gui/app/QtServices.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cerrno>
#include <cstring>
#include <optional>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The launcher's own folder, where pvxadmin and purvex are installed beside it.
QString programDir(const char* argv0) {
    const QString self = QFileInfo(u"/proc/self/exe"_s).symLinkTarget();
    if (!self.isEmpty())
        return QFileInfo(self).absolutePath();
    return QFileInfo(QFile::decodeName(argv0)).absolutePath();
}

// Tells why Purvex cannot start: on the standard error first, where it stays even when no
// window can be opened, then in a window when a display is there. The window needs the
// application object, made only then, so a launch that goes well never opens the display.
int fail(int& argc, char** argv, const QString& message) {
    QTextStream(stderr) << "purvex-launch: " << message << '\n';
    if (Launcher::windowsCanBeShown()) {
        QApplication app(argc, argv);
        QApplication::setApplicationName(u"Purvex"_s);
        QtServices().message(message, {}, MsgButtons::Ok);
    }
    return 1;
}

} // namespace

int main(int argc, char* argv[]) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (arguments == QStringList{u"--help"_s} || arguments == QStringList{u"-h"_s}) {
        out << Launcher::usage();
        return 0;
    }
    if (arguments == QStringList{u"--version"_s}) {
        out << Launcher::version();
        return 0;
    }
    // A folder whose name begins with "-" is given after "--".
    if (arguments.value(0) == u"--") {
        arguments.removeFirst();
    } else if (arguments.value(0).startsWith(u'-')) {
        err << "purvex-launch: unknown option \"" << arguments.first() << "\"\n"
            << Launcher::usage();
        return 2;
    }
    if (arguments.size() > 1) {
        err << "purvex-launch: give one folder at most\n" << Launcher::usage();
        return 2;
    }

    const std::optional<QString> folder =
        arguments.isEmpty() ? std::nullopt : std::optional<QString>(arguments.first());
    Launcher::Start start;
    try {
        start = Launcher::prepare(folder,
                                  {qEnvironmentVariable("HOME"),
                                   qEnvironmentVariable("PURVEX_DATA_DIR"), programDir(argv[0])});
    } catch (const Launcher::Failure& failure) {
        return fail(argc, argv, failure.message);
    }

    if (::chdir(QFile::encodeName(start.folder).constData()) != 0)
        return fail(argc, argv,
                    u"Purvex could not open the folder %1: %2"_s.arg(
                        QDir::toNativeSeparators(start.folder),
                        QString::fromLocal8Bit(std::strerror(errno))));
    // Purvex takes the launcher's place, so the desktop sees the program it started.
    const QByteArray program = QFile::encodeName(start.program);
    char* const purvexArguments[] = {const_cast<char*>(program.constData()), nullptr};
    ::execv(program.constData(), purvexArguments);
    return fail(
        argc, argv,
        u"Purvex could not be started (%1): %2"_s.arg(
            QDir::toNativeSeparators(start.program), QString::fromLocal8Bit(std::strerror(errno))));
}

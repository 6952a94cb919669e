#include "Launcher.h"

#include "core/Version.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace Launcher {
namespace {

const QString databaseName = u"pvx.mdb"_s;

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// The folder Purvex is to open: the one given, the one of the pvx.mdb given, or the
// default. A folder that is not there yet is made later.
QString folderFor(const std::optional<QString>& argument, const Places& places) {
    if (!argument) {
        if (!places.dataDir.isEmpty())
            return QFileInfo(places.dataDir).absoluteFilePath();
        if (places.home.isEmpty())
            throw Failure{u"Purvex cannot tell where your home folder is: HOME is not set."_s};
        return QDir(places.home).filePath(u"Purvex"_s);
    }
    if (argument->isEmpty())
        throw Failure{u"The name of the folder for Purvex is empty."_s};
    const QFileInfo info(*argument);
    if (info.isDir())
        return info.absoluteFilePath();
    if (info.fileName() == databaseName)
        return info.absolutePath();
    if (info.exists() || info.isSymLink())
        throw Failure{u"Purvex opens only a database named pvx.mdb, and %1 is not one."_s.arg(
            shown(info.absoluteFilePath()))};
    return info.absoluteFilePath();
}

// A program installed beside the launcher, so that a new database always matches the
// program that opens it; one found on the PATH when the launcher was copied elsewhere.
QString program(const QString& name, const Places& places) {
    const QFileInfo beside(QDir(places.programDir).filePath(name));
    if (beside.isFile() && beside.isExecutable())
        return beside.absoluteFilePath();
    const QString onPath = QStandardPaths::findExecutable(name);
    if (!onPath.isEmpty())
        return onPath;
    throw Failure{u"Purvex could not find the program %1 in %2 or on the PATH."_s.arg(
        name, shown(places.programDir))};
}

// An empty database made by pvxadmin, which never replaces a file, not even one that
// appears meanwhile.
void makeDatabase(const QString& folder, const Places& places) {
    const QFileInfo database(QDir(folder).filePath(databaseName));
    if (database.exists())
        return;
    if (!database.isSymLink() && !QDir().mkpath(folder))
        throw Failure{u"Purvex could not make the folder %1 for its data."_s.arg(shown(folder))};
    const auto failed = [&folder](const QString& reason) {
        return Failure{
            u"Purvex could not make a new database in %1: %2"_s.arg(shown(folder), reason)};
    };
    QProcess pvxadmin;
    pvxadmin.start(program(u"pvxadmin"_s, places), {u"create"_s, folder});
    if (!pvxadmin.waitForStarted())
        throw failed(pvxadmin.errorString());
    pvxadmin.waitForFinished(-1);
    if (pvxadmin.exitStatus() == QProcess::NormalExit && pvxadmin.exitCode() == 0)
        return;
    QString reason = QString::fromLocal8Bit(pvxadmin.readAllStandardError()).trimmed();
    if (reason.startsWith(u"pvxadmin: "_s))
        reason.remove(0, 10);
    throw failed(reason.isEmpty() ? u"pvxadmin failed"_s : reason);
}

} // namespace

Start prepare(const std::optional<QString>& argument, const Places& places) {
    const QString folder = folderFor(argument, places);
    // Found first, so that nothing is made for a Purvex that cannot be started.
    const QString purvex = program(u"purvex"_s, places);
    makeDatabase(folder, places);
    return {purvex, folder};
}

bool windowsCanBeShown() {
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (!platform.isEmpty())
        return !platform.startsWith(u"offscreen"_s) && !platform.startsWith(u"minimal"_s);
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

QString usage() {
    return u"Usage: purvex-launch [FOLDER]\n"
           u"  or:  purvex-launch --help\n"
           u"  or:  purvex-launch --version\n"
           u"\n"
           u"Starts Purvex on the database pvx.mdb in FOLDER (FOLDER may also name the\n"
           u"pvx.mdb itself), or in ~/Purvex when no folder is given: the desktop menu's\n"
           u"entry \"Purvex\" runs it so. When there is no pvx.mdb yet, it makes the folder\n"
           u"and an empty database in it first, as \"pvxadmin create\" does; a file that is\n"
           u"already there is never replaced. When Purvex cannot be started, it says why\n"
           u"in a window and on the standard error.\n"
           u"\n"
           u"Options:\n"
           u"  -h, --help     show this help and exit\n"
           u"  --version      show the version and exit\n"
           u"\n"
           u"The environment variable PURVEX_DATA_DIR names another folder for when none\n"
           u"is given. Exit status: Purvex's own once it has started; 1 when it cannot be\n"
           u"started, 2 for wrong arguments.\n"_s;
}

QString version() {
    return u"Purvex %1\n"_s.arg(QLatin1String(Version::Text));
}

} // namespace Launcher

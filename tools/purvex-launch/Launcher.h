#pragma once

#include <QString>

#include <optional>

// purvex-launch: starts Purvex from the desktop menu. Purvex opens pvx.mdb in the folder it
// is started in, so the launcher chooses that folder (the one it is given, or ~/Purvex),
// makes it and an empty database in it the first time, and then starts purvex there. It
// never replaces a file that is already there.
namespace Launcher {

// Where things are: the user's home, the folder PURVEX_DATA_DIR names (empty when unset),
// and the folder of the launcher itself, where pvxadmin and purvex are installed beside it.
struct Places {
    QString home;
    QString dataDir;
    QString programDir;
};

// The program to start and the folder to start it in.
struct Start {
    QString program;
    QString folder;
};

// Why Purvex cannot be started, in words for the user.
struct Failure {
    QString message;
};

// Chooses the folder for the argument (a folder, or the pvx.mdb in one; none for the
// default), makes the folder and an empty database there when there is none, and finds
// purvex. Throws Failure.
Start prepare(const std::optional<QString>& argument, const Places& places);

// Whether a window can be shown: a display is there to show it on. A failure is then shown
// in one, since nobody reads the standard error of a program started from a menu.
bool windowsCanBeShown();

QString usage();
// "Purvex 1.01": the version of the build.
QString version();

} // namespace Launcher

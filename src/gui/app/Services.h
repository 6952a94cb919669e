#pragma once

#include "core/CoreServices.h"

#include <QList>
#include <QString>

#include <memory>

class Progress;
class QDialog;
class QPrinter;
class QWidget;

// Who asks before an existing file is replaced: the save dialog in the platform's words, or
// the caller, which asks in its own once the dialog has closed.
enum class OverwriteQuestion { ByDialog, ByCaller };

// What the help viewer is asked to show.
struct HelpRequest {
    enum class Kind {
        Contents,  // the contents page
        Search,    // the search box, ready to type into
        UsingHelp, // the page on using the help window
        Topic,     // the topic of a help context number
    };
    Kind kind = Kind::Contents;
    int context = 0;

    friend bool operator==(const HelpRequest&, const HelpRequest&) = default;
};

// A place the database can be backed up to: the root folder of a volume, or the home folder.
struct BackupDestination {
    // Ends in a separator; the backup is this folder followed by "pvx.mdb".
    QString folder;
    // How the drive list shows it: the folder first, so that typing its start finds it.
    QString caption;
};

// Everything the operating system owns, behind one small interface: production uses Qt,
// tests use a fake that records what was shown and answers from a script. The windows' part
// comes on top of what a procedure without windows needs (CoreServices).
class Services : public CoreServices {
public:
    virtual void beep() = 0;
    // Shows a dialog modally and returns its result code when it has closed.
    virtual int runModal(QDialog& dialog) = 0;
    // Asks where to save a file; empty when the user cancelled.
    virtual QString saveFileName(QWidget* parent, const QString& caption,
                                 const QString& defaultName, const QString& filter,
                                 OverwriteQuestion overwrite) = 0;
    // Asks which existing file to open; empty when the user cancelled. Where there is no
    // one to ask (a command run from a script), the answer is that of a cancel.
    virtual QString openFileName(QWidget* /*parent*/, const QString& /*caption*/,
                                 const QString& /*filter*/) {
        return {};
    }
    // Lets the user choose a printer; null when there is none or the user cancelled
    // (the production version has said which).
    virtual std::unique_ptr<QPrinter> choosePrinter(QWidget* parent) = 0;
    // Opens the help window (one, reused, not blocking the program) on what is asked for.
    virtual void showHelp(const HelpRequest& request) = 0;
    // Where a backup can go, in the order the drive list offers them: the mounted volumes the
    // user can write to at their root, removable ones first, then the home folder.
    virtual QList<BackupDestination> backupDestinations() = 0;
    // A window in which long work shows how far it has got, over parent; it goes when the
    // returned object is destroyed.
    virtual std::unique_ptr<Progress> showProgress(const QString& title, QWidget* parent) = 0;
};

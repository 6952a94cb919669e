#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QString>

#include <memory>

class Progress;
class QDialog;
class QPrinter;
class QWidget;

enum class MsgButtons { Ok, YesNo };
enum class MsgAnswer { Ok, Yes, No };
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
// tests use a fake that records what was shown and answers from a script.
class Services {
public:
    virtual ~Services() = default;

    // A modal message box with exactly this text, title and buttons, and no icon, over the
    // window the user is working in. An empty title shows the application's title, "Purvex".
    // While it waits for an answer the hourglass gives way to the normal pointer: the user
    // is being asked, not kept waiting.
    MsgAnswer message(const QString& text, const QString& title = {},
                      MsgButtons buttons = MsgButtons::Ok);
    virtual void beep() = 0;
    virtual QDate today() = 0;
    virtual QDateTime now() = 0;
    // The user's locale; en_US conventions when the environment names none.
    virtual QLocale locale() = 0;
    // Shows a dialog modally and returns its result code when it has closed.
    virtual int runModal(QDialog& dialog) = 0;
    // The hourglass while long work runs; calls nest, and the pointer changes only when the
    // outermost call begins or ends.
    void setBusy(bool busy);
    bool isBusy() const { return m_busyDepth > 0; }
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
    // Ends the process at once. The production version does not return; a fake records
    // the status and returns, and AppState::programEnded stops the procedure.
    virtual void endProgram(int status) = 0;

protected:
    // The box itself, always shown with the normal pointer.
    virtual MsgAnswer showMessage(const QString& text, const QString& title,
                                  MsgButtons buttons) = 0;
    // Puts up or takes down the hourglass.
    virtual void showBusyPointer(bool busy) = 0;

private:
    int m_busyDepth = 0;
};

inline const QString& applicationTitle() {
    static const QString title = QStringLiteral("Purvex");
    return title;
}

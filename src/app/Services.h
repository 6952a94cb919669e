#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>

#include <memory>

class QDialog;
class QPrinter;
class QWidget;

enum class MsgButtons { Ok, YesNo };
enum class MsgAnswer { Ok, Yes, No };
// Who asks before an existing file is replaced: the save dialog in the platform's words, or
// the caller, which asks in its own once the dialog has closed.
enum class OverwriteQuestion { ByDialog, ByCaller };

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
    // Lets the user choose a printer; null when there is none or the user cancelled
    // (the production version has said which).
    virtual std::unique_ptr<QPrinter> choosePrinter(QWidget* parent) = 0;
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

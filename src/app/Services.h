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

// Everything the operating system owns, behind one small interface: production uses Qt,
// tests use a fake that records what was shown and answers from a script.
class Services {
public:
    virtual ~Services() = default;

    // A modal message box with exactly this text, title and buttons, and no icon.
    // An empty title shows the application's title, "Purvex".
    virtual MsgAnswer message(const QString& text, const QString& title = {},
                              MsgButtons buttons = MsgButtons::Ok) = 0;
    virtual void beep() = 0;
    virtual QDate today() = 0;
    virtual QDateTime now() = 0;
    // The user's locale; en_US conventions when the environment names none.
    virtual QLocale locale() = 0;
    // Shows a dialog modally and returns its result code when it has closed.
    virtual int runModal(QDialog& dialog) = 0;
    // The hourglass while long work runs; calls nest.
    virtual void setBusy(bool busy) = 0;
    // Asks where to save a file; empty when the user cancelled.
    virtual QString saveFileName(QWidget* parent, const QString& caption,
                                 const QString& defaultName, const QString& filter) = 0;
    // Lets the user choose a printer; null when there is none or the user cancelled
    // (the production version has said which).
    virtual std::unique_ptr<QPrinter> choosePrinter(QWidget* parent) = 0;
    // Ends the process at once. The production version does not return; a fake records
    // the status and returns, and AppState::programEnded stops the procedure.
    virtual void endProgram(int status) = 0;
};

inline const QString& applicationTitle() {
    static const QString title = QStringLiteral("Purvex");
    return title;
}

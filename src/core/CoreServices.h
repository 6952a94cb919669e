#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>

enum class MsgButtons { Ok, YesNo };
enum class MsgAnswer { Ok, Yes, No };

// What a procedure that shows no window of its own needs from whoever runs it: messages, the
// clock, the locale, the hourglass and the end of the program. The desktop answers with
// message boxes (Services), pvxadmin with lines on its error stream, tests from a script.
class CoreServices {
public:
    virtual ~CoreServices() = default;

    // A modal message box with exactly this text, title and buttons, and no icon, over the
    // window the user is working in. An empty title shows the application's title, "Purvex".
    // While it waits for an answer the hourglass gives way to the normal pointer: the user
    // is being asked, not kept waiting.
    MsgAnswer message(const QString& text, const QString& title = {},
                      MsgButtons buttons = MsgButtons::Ok);
    virtual QDate today() = 0;
    virtual QDateTime now() = 0;
    // The user's locale; en_US conventions when the environment names none.
    virtual QLocale locale() = 0;
    // The hourglass while long work runs; calls nest, and the pointer changes only when the
    // outermost call begins or ends.
    void setBusy(bool busy);
    bool isBusy() const { return m_busyDepth > 0; }
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

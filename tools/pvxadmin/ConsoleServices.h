#pragma once

#include "Services.h"

class QTextStream;

// The services for a command run from a script: a message is one line on the error
// stream, a question is answered Yes (a report file named on the command line replaces
// the one there, as a PDF report does), and nothing waits for a user.
class ConsoleServices : public Services {
public:
    explicit ConsoleServices(QTextStream& err) : m_err(err) {}

    void beep() override {}
    QDate today() override;
    QDateTime now() override;
    QLocale locale() override;
    int runModal(QDialog& dialog) override;
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&,
                         OverwriteQuestion) override {
        return {};
    }
    std::unique_ptr<QPrinter> choosePrinter(QWidget*) override;
    // A command line has no help window; --help says what there is to say.
    void showHelp(const HelpRequest&) override {}
    // A script backs up with cp; no drive is offered, and nobody watches long work.
    QList<BackupDestination> backupDestinations() override { return {}; }
    std::unique_ptr<Progress> showProgress(const QString&, QWidget*) override;
    // Records the status; the command returns it when it is done.
    void endProgram(int status) override;

    bool ended() const { return m_ended; }
    int exitStatus() const { return m_status; }
    // Whether a message has been written.
    bool spoke() const { return m_spoke; }

protected:
    MsgAnswer showMessage(const QString& text, const QString& title, MsgButtons buttons) override;
    void showBusyPointer(bool) override {}

private:
    QTextStream& m_err;
    bool m_ended = false;
    int m_status = 0;
    bool m_spoke = false;
};

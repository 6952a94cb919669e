#pragma once

#include "core/CoreServices.h"

class QTextStream;

// The services for a command run from a script: a message is one line on the error
// stream, a question is answered Yes (a report file named on the command line replaces
// the one there, as a PDF report does), and nothing waits for a user.
class ConsoleServices : public CoreServices {
public:
    explicit ConsoleServices(QTextStream& err) : m_err(err) {}

    QDate today() override;
    QDateTime now() override;
    QLocale locale() override;
    // An error that ends the program fails the command instead: the trap has written its
    // message and stopped the report, whose outcome makes pvxadmin exit with status 1.
    void endProgram(int) override {}

protected:
    MsgAnswer showMessage(const QString& text, const QString& title, MsgButtons buttons) override;
    void showBusyPointer(bool) override {}

private:
    QTextStream& m_err;
};

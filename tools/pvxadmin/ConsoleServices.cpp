#include "ConsoleServices.h"

#include "Progress.h"
#include "QtServices.h"

#include <QDialog>
#include <QPrinter>
#include <QTextStream>

MsgAnswer ConsoleServices::showMessage(const QString& text, const QString&, MsgButtons buttons) {
    if (buttons == MsgButtons::YesNo)
        return MsgAnswer::Yes;
    // One line, however the message was broken for a box.
    m_err << "pvxadmin: " << QString(text).replace(u'\n', u' ') << '\n';
    m_err.flush();
    m_spoke = true;
    return MsgAnswer::Ok;
}

QDate ConsoleServices::today() {
    return QDate::currentDate();
}

QDateTime ConsoleServices::now() {
    return QDateTime::currentDateTime();
}

QLocale ConsoleServices::locale() {
    return userLocale();
}

int ConsoleServices::runModal(QDialog& dialog) {
    dialog.reject();
    return dialog.result();
}

std::unique_ptr<QPrinter> ConsoleServices::choosePrinter(QWidget*) {
    return nullptr;
}

std::unique_ptr<Progress> ConsoleServices::showProgress(const QString&, QWidget*) {
    return std::make_unique<QuietProgress>();
}

void ConsoleServices::endProgram(int status) {
    m_ended = true;
    m_status = status;
}

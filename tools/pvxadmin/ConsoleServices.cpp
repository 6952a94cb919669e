#include "ConsoleServices.h"

#include "core/UserLocale.h"

#include <QTextStream>

MsgAnswer ConsoleServices::showMessage(const QString& text, const QString&, MsgButtons buttons) {
    if (buttons == MsgButtons::YesNo)
        return MsgAnswer::Yes;
    // One line, however the message was broken for a box.
    m_err << "pvxadmin: " << QString(text).replace(u'\n', u' ') << '\n';
    m_err.flush();
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

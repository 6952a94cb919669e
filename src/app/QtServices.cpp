#include "QtServices.h"

#include "MessageBox.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>

#include <cstdio>
#include <cstdlib>

MsgAnswer QtServices::message(const QString& text, const QString& title, MsgButtons buttons) {
    MessageBox box(text, title.isEmpty() ? applicationTitle() : title, buttons,
                   QApplication::activeWindow());
    return box.ask();
}

void QtServices::beep() { QApplication::beep(); }

QDate QtServices::today() { return QDate::currentDate(); }

QDateTime QtServices::now() { return QDateTime::currentDateTime(); }

QLocale QtServices::locale() { return userLocale(); }

int QtServices::runModal(QDialog& dialog) { return dialog.exec(); }

void QtServices::setBusy(bool busy) {
    if (busy)
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    else
        QApplication::restoreOverrideCursor();
}

void QtServices::endProgram(int status) {
    // Nothing more is written: the database's own journal undoes any write that was
    // under way, and the operating system drops the file lock with the process.
    std::fflush(stdout);
    std::fflush(stderr);
    std::exit(status);
}

QLocale userLocale() {
    const QLocale system = QLocale::system();
    if (system.language() == QLocale::C)
        return QLocale(QLocale::English, QLocale::UnitedStates);
    return system;
}

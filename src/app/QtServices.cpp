#include "QtServices.h"

#include "MessageBox.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <cstdio>
#include <cstdlib>

QtServices::QtServices() {
    QObject::connect(qApp, &QApplication::focusChanged, qApp, [this](QWidget*, QWidget* now) {
        if (now)
            m_lastActive = now->window();
    });
}

QWidget* QtServices::workingWindow() const {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    // A hidden dialog hands over to the window it was opened from.
    QWidget* window = m_lastActive;
    while (window && !window->isVisible())
        window = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    return window;
}

MsgAnswer QtServices::showMessage(const QString& text, const QString& title, MsgButtons buttons) {
    MessageBox box(text, title.isEmpty() ? applicationTitle() : title, buttons, workingWindow());
    return box.ask();
}

void QtServices::beep() {
    QApplication::beep();
}

QDate QtServices::today() {
    return QDate::currentDate();
}

QDateTime QtServices::now() {
    return QDateTime::currentDateTime();
}

QLocale QtServices::locale() {
    return userLocale();
}

int QtServices::runModal(QDialog& dialog) {
    return dialog.exec();
}

void QtServices::showBusyPointer(bool busy) {
    if (busy)
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    else
        QApplication::restoreOverrideCursor();
}

QString QtServices::saveFileName(QWidget* parent, const QString& caption,
                                 const QString& defaultName, const QString& filter,
                                 OverwriteQuestion overwrite) {
    // A caller that asks itself must not have the user asked twice.
    const QFileDialog::Options options = overwrite == OverwriteQuestion::ByCaller
                                             ? QFileDialog::DontConfirmOverwrite
                                             : QFileDialog::Options();
    return QFileDialog::getSaveFileName(parent, caption, defaultName, filter, nullptr, options);
}

std::unique_ptr<QPrinter> QtServices::choosePrinter(QWidget* parent) {
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        message(QStringLiteral("No printer is installed.  Install a printer, or save the "
                               "report as PDF instead."),
                {}, MsgButtons::Ok);
        return nullptr;
    }
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrintDialog dialog(printer.get(), parent);
    if (dialog.exec() != QDialog::Accepted)
        return nullptr;
    return printer;
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

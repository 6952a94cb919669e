#pragma once

#include "Services.h"

// The services as the desktop provides them.
class QtServices : public Services {
public:
    MsgAnswer message(const QString& text, const QString& title, MsgButtons buttons) override;
    void beep() override;
    QDate today() override;
    QDateTime now() override;
    QLocale locale() override;
    int runModal(QDialog& dialog) override;
    void setBusy(bool busy) override;
    QString saveFileName(QWidget* parent, const QString& caption, const QString& defaultName,
                         const QString& filter) override;
    std::unique_ptr<QPrinter> choosePrinter(QWidget* parent) override;
    [[noreturn]] void endProgram(int status) override;
};

// The user's locale from LANG/LC_ALL; en_US conventions where the environment names none,
// because Qt's bare C locale has no currency symbol.
QLocale userLocale();

#pragma once

#include "gui/app/Services.h"

#include <QPointer>

#include <QWidget>
#include <functional>

// The services as the desktop provides them.
class QtServices : public Services {
public:
    QtServices();
    ~QtServices() override;
    QtServices(const QtServices&) = delete;
    QtServices& operator=(const QtServices&) = delete;

    void beep() override;
    QDate today() override;
    QDateTime now() override;
    QLocale locale() override;
    int runModal(QDialog& dialog) override;
    QString saveFileName(QWidget* parent, const QString& caption, const QString& defaultName,
                         const QString& filter, OverwriteQuestion overwrite) override;
    QString openFileName(QWidget* parent, const QString& caption, const QString& filter) override;
    std::unique_ptr<QPrinter> choosePrinter(QWidget* parent) override;
    QList<BackupDestination> backupDestinations() override;
    std::unique_ptr<Progress> showProgress(const QString& title, QWidget* parent) override;
    [[noreturn]] void endProgram(int status) override;
    void showHelp(const HelpRequest& request) override;

    // The help window lives above this library; the program hands in what opens it.
    void setHelpViewer(std::function<void(const HelpRequest&)> viewer) {
        m_helpViewer = std::move(viewer);
    }

    // The window a message box belongs over: the active one, or when none is active (a
    // dialog has just been hidden) the last one the user worked in that is still shown.
    QWidget* workingWindow() const;

protected:
    MsgAnswer showMessage(const QString& text, const QString& title, MsgButtons buttons) override;
    void showBusyPointer(bool busy) override;

private:
    QPointer<QWidget> m_lastActive;
    // Follows the focus for m_lastActive while these services exist.
    QMetaObject::Connection m_focusWatch;
    std::function<void(const HelpRequest&)> m_helpViewer;
};

#pragma once

#include "Services.h"

#include <QDialog>
#include <QList>
#include <QLocale>
#include <QStringList>

#include <deque>
#include <functional>

// Records every message shown and answers from a script; the clock, the locale and the
// modal runner are set by the test.
class FakeServices : public Services {
public:
    struct Message {
        QString text;
        QString title; // as shown: the application's title when none was given
        MsgButtons buttons;
        bool hourglass; // whether the busy pointer was up while the box waited
    };

    void beep() override { ++beeps; }
    QDate today() override { return clock.date(); }
    QDateTime now() override { return clock; }
    QLocale locale() override { return userLocale; }
    int runModal(QDialog& dialog) override;
    void endProgram(int status) override;
    QString saveFileName(QWidget* parent, const QString& caption, const QString& defaultName,
                         const QString& filter, OverwriteQuestion overwrite) override;
    QString openFileName(QWidget* parent, const QString& caption, const QString& filter) override;
    std::unique_ptr<QPrinter> choosePrinter(QWidget* parent) override;
    void showHelp(const HelpRequest& request) override { helpRequests.append(request); }
    QList<BackupDestination> backupDestinations() override { return destinations; }
    std::unique_ptr<Progress> showProgress(const QString& title, QWidget* parent) override;

    // Answers for the next Yes/No questions, in order; Yes when the script has run out.
    std::deque<MsgAnswer> answers;
    // Called with each message as it is shown (after it is recorded), to act in between.
    std::function<void(const Message&)> onMessage;
    // Fills in and closes a modal dialog; without it the dialog is rejected.
    std::function<void(QDialog&)> onModal;

    // The next file name the save dialog answers with; empty means the user cancelled.
    QString nextSaveFileName;
    QStringList saveDialogs; // the default names the dialogs were opened with
    // Each save dialog as it was asked for.
    struct SaveDialog {
        QString caption;
        QString defaultName;
        QString filter;
        OverwriteQuestion overwrite;
    };
    QList<SaveDialog> saveRequests;
    // The next file name the open dialog answers with; empty means the user cancelled.
    QString nextOpenFileName;
    QStringList openDialogs; // the captions the open dialogs were shown with
    // Where "printed" pages go: a PDF file; empty means no printer is available.
    QString printerPdfPath;
    int printJobs = 0;

    // What the backup dialog's drive list offers.
    QList<BackupDestination> destinations;

    // Each progress window shown: its title, the stages of the work in order, how often the
    // work reported its progress, and whether it could still be stopped when it ended.
    struct ProgressShown {
        QString title;
        QStringList stages;
        int advances = 0;
        bool cancelDisallowed = false;
        bool closed = false;
    };
    QList<ProgressShown> progress;
    // The user presses Cancel as soon as a stage whose text contains this begins; empty: never.
    QString cancelInStage;

    QList<Message> messages;
    // What the help window was asked to show, in order.
    QList<HelpRequest> helpRequests;
    int beeps = 0;
    // Whether the hourglass is up, and how often it went up.
    bool hourglass = false;
    int busyCalls = 0;
    bool ended = false;
    int exitStatus = 0;
    QDateTime clock{QDate(2026, 12, 7), QTime(10, 30)};
    QLocale userLocale{QLocale::English, QLocale::UnitedStates};

protected:
    MsgAnswer showMessage(const QString& text, const QString& title, MsgButtons buttons) override;
    void showBusyPointer(bool busy) override;
};

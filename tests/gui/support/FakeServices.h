#pragma once

#include "gui/app/Services.h"
#include "support/FakeCoreServices.h"

#include <QDialog>

// The fake of the windows' services: messages, clock and locale as FakeCoreServices records
// them, and the dialogs, the printer, the help window and the drive list set by the test.
class FakeServices : public FakeServicesOf<Services> {
public:
    void beep() override { ++beeps; }
    int runModal(QDialog& dialog) override;
    QString saveFileName(QWidget* parent, const QString& caption, const QString& defaultName,
                         const QString& filter, OverwriteQuestion overwrite) override;
    QString openFileName(QWidget* parent, const QString& caption, const QString& filter) override;
    std::unique_ptr<QPrinter> choosePrinter(QWidget* parent) override;
    void showHelp(const HelpRequest& request) override { helpRequests.append(request); }
    QList<BackupDestination> backupDestinations() override { return destinations; }
    std::unique_ptr<Progress> showProgress(const QString& title, QWidget*) override {
        return startProgress(title);
    }

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

    // What the help window was asked to show, in order.
    QList<HelpRequest> helpRequests;
    int beeps = 0;
};

// Takes the help's screenshots from the running program: each window as the user sees it,
// on the demo database in the current folder, written as PNG files into the folder given.
// scripts/help-screenshots.sh runs it under Xvfb.
//
//   help_screenshots OUT_DIR
#include "core/AppState.h"
#include "gui/app/QtServices.h"
#include "gui/custom/frmRptSpec.h"
#include "gui/dates/frmDateEnt.h"
#include "gui/help/HelpViewer.h"
#include "gui/help/HelpWindow.h"
#include "gui/help/frmAbout.h"
#include "gui/maint/frmBackup.h"
#include "gui/orders/frmFind.h"
#include "gui/orders/frmMain.h"
#include "gui/orders/frmSelVen.h"
#include "gui/reports/frmOutput.h"
#include "gui/reports/frmRptDate.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>

#include <cstdio>
#include <stdexcept>

namespace {

QDir g_out;

void settle(int milliseconds = 300) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

void shoot(QWidget* window, const QString& name) {
    if (!window)
        throw std::runtime_error("no window for " + name.toStdString());
    window->show();
    window->raise();
    window->activateWindow();
    settle();
    const QString path = g_out.filePath(name);
    if (!window->grab().save(path))
        throw std::runtime_error("cannot write " + path.toStdString());
    std::printf("%s\n", qPrintable(path));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (app.arguments().size() != 2) {
        std::fprintf(stderr, "usage: help_screenshots OUT_DIR\n");
        return 2;
    }
    g_out = QDir(app.arguments().at(1));
    QtServices services;
    AppState state;
    HelpViewer help(services);
    services.setHelpViewer([&help](const HelpRequest& request) { help.show(request); });

    try {
        frmMain form(state, services);
        if (!form.loadAndShow())
            throw std::runtime_error("the main form did not start");
        shoot(&form, QStringLiteral("main-form.png"));

        form.txtNotes->setFocus();
        form.txtNotes->setPlainText(form.txtNotes->toPlainText() +
                                    QStringLiteral("\nCalled them on Monday."));
        shoot(&form, QStringLiteral("main-form-editing.png"));
        form.cmdCancel_Click();

        frmFind find(state, services, &form);
        find.txtName->setText(QStringLiteral("Camera"));
        shoot(&find, QStringLiteral("find.png"));
        find.hide();

        frmSelVen vendors(state, services, form);
        if (vendors.List1->count() > 2)
            vendors.List1->setCurrentRow(2);
        shoot(&vendors, QStringLiteral("select-vendor.png"));
        vendors.hide();

        state.gSelDate = QDateTime::currentDateTime();
        frmDateEnt calendar(state, services, &form);
        calendar.setWindowTitle(QStringLiteral("Select Due Date"));
        shoot(&calendar, QStringLiteral("calendar.png"));
        calendar.hide();

        frmRptDate dates(state, services, &form);
        shoot(&dates, QStringLiteral("report-dates.png"));
        dates.hide();

        form.mnuRpt_Click(codeOf(BuiltInReport::Outstanding));
        shoot(form.findChild<frmOutput*>(), QStringLiteral("report-output.png"));
        form.findChild<frmOutput*>()->close();

        // The designer with three fields to report, the amount's panel showing.
        form.mnuRptCustom_Click();
        auto* designer = form.findChild<frmRptSpec*>();
        if (!designer)
            throw std::runtime_error("the custom report designer did not open");
        for (int added = 0; added < 3 && designer->List1->count() > 0; ++added) {
            designer->List1->setCurrentRow(0);
            designer->cmdAdd_Click();
        }
        designer->List2->setCurrentRow(designer->List2->count() - 1);
        designer->ShowFieldDetails();
        shoot(designer, QStringLiteral("custom-fields.png"));
        designer->Tab1->setCurrentIndex(1);
        shoot(designer, QStringLiteral("custom-options.png"));
        designer->Tab1->setCurrentIndex(2);
        shoot(designer, QStringLiteral("custom-sorting.png"));
        designer->close();

        frmBackup backup(state, services, &form);
        shoot(&backup, QStringLiteral("backup.png"));
        backup.hide();

        form.mnuAbout_Click();
        shoot(form.aboutBox(), QStringLiteral("about.png"));
        form.aboutBox()->close();

        help.show({HelpRequest::Kind::Topic, 16});
        settle(1500);
        shoot(help.window(), QStringLiteral("help-window.png"));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "help_screenshots: %s\n", error.what());
        return 1;
    }
    return 0;
}

#include "gui/support/FakeServices.h"

#include <QPrinter>

int FakeServices::runModal(QDialog& dialog) {
    if (onModal)
        onModal(dialog);
    else
        dialog.reject();
    return dialog.result();
}

QString FakeServices::saveFileName(QWidget*, const QString& caption, const QString& defaultName,
                                   const QString& filter, OverwriteQuestion overwrite) {
    saveDialogs << defaultName;
    saveRequests.append({caption, defaultName, filter, overwrite});
    return nextSaveFileName;
}

QString FakeServices::openFileName(QWidget*, const QString& caption, const QString&) {
    openDialogs << caption;
    return nextOpenFileName;
}

std::unique_ptr<QPrinter> FakeServices::choosePrinter(QWidget*) {
    if (printerPdfPath.isEmpty())
        return nullptr;
    ++printJobs;
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(printerPdfPath);
    return printer;
}

#include "FakeServices.h"

#include <QPrinter>

MsgAnswer FakeServices::showMessage(const QString& text, const QString& title, MsgButtons buttons) {
    messages.append({text, title.isEmpty() ? applicationTitle() : title, buttons, hourglass});
    if (onMessage)
        onMessage(messages.constLast());
    if (buttons == MsgButtons::Ok)
        return MsgAnswer::Ok;
    if (answers.empty())
        return MsgAnswer::Yes;
    const MsgAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

int FakeServices::runModal(QDialog& dialog) {
    if (onModal)
        onModal(dialog);
    else
        dialog.reject();
    return dialog.result();
}

void FakeServices::showBusyPointer(bool busy) {
    if (busy)
        ++busyCalls;
    hourglass = busy;
}

void FakeServices::endProgram(int status) {
    ended = true;
    exitStatus = status;
}

QString FakeServices::saveFileName(QWidget*, const QString& caption, const QString& defaultName,
                                   const QString& filter, OverwriteQuestion overwrite) {
    saveDialogs << defaultName;
    saveRequests.append({caption, defaultName, filter, overwrite});
    return nextSaveFileName;
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

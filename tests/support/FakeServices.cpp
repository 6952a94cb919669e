#include "FakeServices.h"

#include "Progress.h"

#include <QPrinter>

namespace {

// Writes what the work reports into the services' record of the window.
class FakeProgress final : public Progress {
public:
    FakeProgress(FakeServices& services, int index) : m_services(services), m_index(index) {}
    ~FakeProgress() override { shown().closed = true; }

    void setStage(const QString& text, qint64) override {
        shown().stages << text;
        if (m_cancelAllowed && !m_services.cancelInStage.isEmpty() &&
            text.contains(m_services.cancelInStage))
            m_cancelled = true;
    }
    bool advance(qint64) override {
        ++shown().advances;
        return !wasCancelled();
    }
    void disallowCancel() override {
        m_cancelAllowed = false;
        shown().cancelDisallowed = true;
    }
    bool wasCancelled() const override { return m_cancelAllowed && m_cancelled; }

private:
    FakeServices::ProgressShown& shown() { return m_services.progress[m_index]; }

    FakeServices& m_services;
    int m_index;
    bool m_cancelAllowed = true;
    bool m_cancelled = false;
};

} // namespace

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

QString FakeServices::openFileName(QWidget*, const QString& caption, const QString&) {
    openDialogs << caption;
    return nextOpenFileName;
}

std::unique_ptr<Progress> FakeServices::showProgress(const QString& title, QWidget*) {
    progress.append({title, {}, 0, false, false});
    return std::make_unique<FakeProgress>(*this, int(progress.size()) - 1);
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

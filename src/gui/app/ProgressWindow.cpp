#include "gui/app/ProgressWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QProgressDialog>

#include <algorithm>
#include <limits>

namespace {

// Work that ends sooner shows no window.
constexpr int ShowAfterMs = 400;
constexpr int RefreshEveryMs = 40;
// The bar's resolution: a tenth of a percent.
constexpr int BarSteps = 1000;

// Once the work can no longer be stopped, neither Escape nor the window's close button may
// take the window away while it runs.
class LockableProgressDialog : public QProgressDialog {
public:
    using QProgressDialog::QProgressDialog;
    bool locked = false;

protected:
    void closeEvent(QCloseEvent* event) override {
        if (locked) {
            event->ignore();
            return;
        }
        QProgressDialog::closeEvent(event);
    }
    void reject() override {
        if (locked)
            return;
        cancel();
    }
};

} // namespace

ProgressWindow::ProgressWindow(const QString& title, QWidget* parent)
    : m_dialog(std::make_unique<LockableProgressDialog>(parent)) {
    m_dialog->setObjectName(QStringLiteral("progressWindow"));
    m_dialog->setWindowTitle(title);
    m_dialog->setWindowModality(Qt::ApplicationModal);
    // The window is shown by refresh() once the work has taken a moment, never by a timer
    // of its own that could fire while no events are handled.
    m_dialog->setMinimumDuration(std::numeric_limits<int>::max());
    m_dialog->setAutoReset(false);
    m_dialog->setAutoClose(false);
    m_dialog->setMinimumWidth(420);
    m_sinceStart.start();
    m_sinceRefresh.start();
}

ProgressWindow::~ProgressWindow() = default;

void ProgressWindow::setStage(const QString& text, qint64 total) {
    m_total = total;
    m_dialog->setLabelText(text);
    m_dialog->setRange(0, total > 0 ? BarSteps : 0);
    refresh(0, true);
}

bool ProgressWindow::advance(qint64 done) {
    refresh(done, false);
    return !wasCancelled();
}

void ProgressWindow::disallowCancel() {
    m_cancelAllowed = false;
    static_cast<LockableProgressDialog*>(m_dialog.get())->locked = true;
    m_dialog->setCancelButton(nullptr);
    refresh(m_dialog->value(), true);
}

bool ProgressWindow::wasCancelled() const {
    return m_cancelAllowed && m_dialog->wasCanceled();
}

void ProgressWindow::refresh(qint64 done, bool now) {
    if (!now && m_sinceRefresh.elapsed() < RefreshEveryMs)
        return;
    m_sinceRefresh.restart();
    if (m_total > 0)
        m_dialog->setValue(int(std::clamp<qint64>(done, 0, m_total) * BarSteps / m_total));
    if (!m_dialog->isVisible() && m_sinceStart.elapsed() >= ShowAfterMs)
        m_dialog->show();
    // Until the window is up (and blocks the others) the user's input waits.
    QCoreApplication::processEvents(m_dialog->isVisible() ? QEventLoop::AllEvents
                                                          : QEventLoop::ExcludeUserInputEvents);
}

#pragma once

#include "core/Progress.h"

#include <QElapsedTimer>

#include <memory>

class QProgressDialog;
class QWidget;

// Progress shown in a progress dialog over the given window, blocking the program's other
// windows while the work runs. The dialog appears only once the work has taken a moment, so
// that a small file is copied without a window flashing up; until then the user's clicks and
// keys wait, so nothing else can start in the middle of the work.
class ProgressWindow final : public Progress {
public:
    ProgressWindow(const QString& title, QWidget* parent);
    ~ProgressWindow() override;

    void setStage(const QString& text, qint64 total) override;
    bool advance(qint64 done) override;
    void disallowCancel() override;
    bool wasCancelled() const override;

    QProgressDialog& dialog() const { return *m_dialog; }

private:
    // Shows how far the work has got, at most every few dozen milliseconds, and lets the
    // window repaint and the Cancel button be pressed.
    void refresh(qint64 done, bool now);

    std::unique_ptr<QProgressDialog> m_dialog;
    QElapsedTimer m_sinceStart;
    QElapsedTimer m_sinceRefresh;
    qint64 m_total = 0;
    bool m_cancelAllowed = true;
};

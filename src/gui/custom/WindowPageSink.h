#pragma once

#include "custom/ReportPageSink.h"

#include <QPageSize>

#include <functional>

class frmOutput;

// The output window. It is asked for only once there is something to print, so a report
// that finds nothing neither opens a window nor disturbs the one the user is reading. Its
// documents are printed on paper of the given size, the window's.
class WindowPageSink : public ReportPageSink {
public:
    WindowPageSink(std::function<frmOutput&()> window, const QPageSize& paper);

    void setRepeatHeader(const TableFormat& format, const QStringList& titles) override;
    void startDoc(QPageLayout::Orientation orientation) override;
    void setHeader(const QString& text) override;
    void setFooter(const QString& text) override;
    void tableRow(const TableFormat& format, const QStringList& cells) override;
    void endDoc() override;
    void show() override;
    int pageCount() const override;
    double bodyWidth(QPageLayout::Orientation orientation) const override;

    // The window, once the report has asked for it.
    frmOutput* window() const { return m_out; }

private:
    frmOutput& out();

    std::function<frmOutput&()> m_window;
    QPageSize m_paper;
    frmOutput* m_out = nullptr;
};

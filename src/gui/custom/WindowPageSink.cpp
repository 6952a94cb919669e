#include "gui/custom/WindowPageSink.h"

#include "gui/reports/frmOutput.h"
#include "reports/PageDocument.h"

WindowPageSink::WindowPageSink(std::function<frmOutput&()> window, const QPageSize& paper)
    : m_window(std::move(window)), m_paper(paper) {}

frmOutput& WindowPageSink::out() {
    if (!m_out)
        m_out = &m_window();
    return *m_out;
}

void WindowPageSink::setRepeatHeader(const TableFormat& format, const QStringList& titles) {
    out().setRepeatHeader(format, titles);
}

void WindowPageSink::startDoc(QPageLayout::Orientation orientation) {
    out().startDoc(orientation);
}

void WindowPageSink::setHeader(const QString& text) {
    out().setHeader(text);
}

void WindowPageSink::setFooter(const QString& text) {
    out().setFooter(text);
}

void WindowPageSink::tableRow(const TableFormat& format, const QStringList& cells) {
    out().tableRow(format, cells);
}

void WindowPageSink::endDoc() {
    out().endDoc();
}

void WindowPageSink::show() {
    out().showWindow();
}

int WindowPageSink::pageCount() const {
    return m_out ? m_out->pageCount() : 0;
}

double WindowPageSink::bodyWidth(QPageLayout::Orientation orientation) const {
    return PageDocument::bodyWidth(m_paper, orientation);
}

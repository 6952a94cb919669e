#include "ReportPageSink.h"

#include "PageDocument.h"
#include "frmOutput.h"

DocumentPageSink::DocumentPageSink(PageDocument& document)
    : m_document(document), m_headings(document) {}

void DocumentPageSink::setRepeatHeader(const TableFormat& format, const QStringList& titles) {
    m_headings.setRepeatHeader(format, titles);
}

void DocumentPageSink::startDoc(QPageLayout::Orientation orientation) {
    m_document.setOrientation(orientation);
    m_headings.startDoc();
}

void DocumentPageSink::setHeader(const QString& text) {
    m_document.setHeader(text);
}

void DocumentPageSink::setFooter(const QString& text) {
    m_document.setFooter(text);
}

void DocumentPageSink::tableRow(const TableFormat& format, const QStringList& cells) {
    m_headings.tableRow(format, cells);
}

void DocumentPageSink::endDoc() {
    m_headings.endDoc();
}

int DocumentPageSink::pageCount() const {
    return m_document.pageCount();
}

double DocumentPageSink::bodyWidth(QPageLayout::Orientation orientation) const {
    return PageDocument::bodyWidth(m_document.pageSize(), orientation);
}

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

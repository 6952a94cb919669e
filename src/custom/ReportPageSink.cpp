#include "custom/ReportPageSink.h"

#include "reports/PageDocument.h"

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

#include "reports/ReportSink.h"

#include "reports/PageDocument.h"

DocumentSink::DocumentSink(PageDocument& document) : m_document(document) {
    m_connection =
        QObject::connect(&m_document, &PageDocument::newPage, [this](int) { newPage(); });
}

DocumentSink::~DocumentSink() {
    QObject::disconnect(m_connection);
}

void DocumentSink::setRepeatHeader(const TableFormat& format, const QStringList& titles) {
    m_repeatHeader = true;
    m_headerFormat = format;
    m_headerTitles = titles;
}

void DocumentSink::startDoc() {
    m_document.start();
}

void DocumentSink::setHeader(const QString& text) {
    m_document.setHeader(text);
}

void DocumentSink::tableRow(const TableFormat& format, const QStringList& cells) {
    m_document.table(format, {cells});
}

void DocumentSink::paragraph() {
    m_document.paragraph();
}

void DocumentSink::endDoc() {
    m_document.end();
}

void DocumentSink::newPage() {
    if (!m_repeatHeader)
        return;
    const bool bold = m_document.bold();
    m_document.setBold(true);
    m_document.table(m_headerFormat, {m_headerTitles});
    m_document.setBold(bold);
}

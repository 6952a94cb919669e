#pragma once

#include "reports/TableFormat.h"

#include <QObject>
#include <QString>
#include <QStringList>

class PageDocument;

// Where a report prints. The output window is one; a bare document on its way to a PDF
// file is another, so that a report reads the same on screen and in a file.
class ReportSink {
public:
    virtual ~ReportSink() = default;

    // The column headings at the top of every page of the documents that follow.
    virtual void setRepeatHeader(const TableFormat& format, const QStringList& titles) = 0;
    virtual void startDoc() = 0;
    virtual void setHeader(const QString& text) = 0;
    virtual void tableRow(const TableFormat& format, const QStringList& cells) = 0;
    // One empty line.
    virtual void paragraph() = 0;
    virtual void endDoc() = 0;
};

// A report printed straight into a document, without a window: the column headings go to
// the top of each page the way the output window puts them there.
class DocumentSink : public ReportSink {
public:
    explicit DocumentSink(PageDocument& document);
    ~DocumentSink() override;

    void setRepeatHeader(const TableFormat& format, const QStringList& titles) override;
    void startDoc() override;
    void setHeader(const QString& text) override;
    void tableRow(const TableFormat& format, const QStringList& cells) override;
    void paragraph() override;
    void endDoc() override;

private:
    void newPage();

    PageDocument& m_document;
    QMetaObject::Connection m_connection;
    bool m_repeatHeader = false;
    TableFormat m_headerFormat;
    QStringList m_headerTitles;
};

#pragma once

#include "reports/ReportSink.h"
#include "reports/TableFormat.h"

#include <QPageLayout>
#include <QPageSize>
#include <QString>
#include <QStringList>

class PageDocument;

// Where a custom report goes on the page printer: the output window, or a bare document
// on its way to a PDF file, so that both hold the same pages. Unlike the built-in reports
// a custom report chooses its orientation and may number its pages in the footer.
class ReportPageSink {
public:
    virtual ~ReportPageSink() = default;

    // The column headings at the top of every page of the documents that follow.
    virtual void setRepeatHeader(const TableFormat& format, const QStringList& titles) = 0;
    // A new document on paper turned this way, without header or footer.
    virtual void startDoc(QPageLayout::Orientation orientation) = 0;
    virtual void setHeader(const QString& text) = 0;
    virtual void setFooter(const QString& text) = 0;
    virtual void tableRow(const TableFormat& format, const QStringList& cells) = 0;
    virtual void endDoc() = 0;
    // Puts the finished document before the user, where there is a user to see it.
    virtual void show() {}
    virtual int pageCount() const = 0;
    // How wide, in twips, a table may be on the pages of a document turned this way.
    virtual double bodyWidth(QPageLayout::Orientation orientation) const = 0;
};

// A document without a window, as pvxadmin writes it to PDF.
class DocumentPageSink : public ReportPageSink {
public:
    explicit DocumentPageSink(PageDocument& document);

    void setRepeatHeader(const TableFormat& format, const QStringList& titles) override;
    void startDoc(QPageLayout::Orientation orientation) override;
    void setHeader(const QString& text) override;
    void setFooter(const QString& text) override;
    void tableRow(const TableFormat& format, const QStringList& cells) override;
    void endDoc() override;
    int pageCount() const override;
    double bodyWidth(QPageLayout::Orientation orientation) const override;

private:
    PageDocument& m_document;
    // Puts the headings at the top of each page as the output window does.
    DocumentSink m_headings;
};

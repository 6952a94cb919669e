#pragma once

#include "PageDocument.h"
#include "TableFormat.h"

#include <QStringList>
#include <QWidget>

class ElasticLayout;
class PagePreview;
class QLabel;
class QPushButton;
class QScrollArea;
class QScrollBar;
class Services;

// The report output window: every report that goes to the screen or the printer is laid
// out on its page printer and shown here a page at a time, at the zoom the user picks,
// to be printed or saved as PDF.
//
// The window is modeless and deletes itself when closed; the document goes with it.
// Whoever runs reports keeps a QPointer to it and builds a new one once it has gone.
// While it is open the next report reuses it: the new document replaces the old one and
// the zoom and page bars stay where the user left them.
//
// A report prints through it like this:
//     out.setRepeatHeader(format, titles);
//     out.startDoc();
//     out.setHeader(u"|Orders for ...|Page %d"_s);
//     for each record: out.tableRow(format, cells);
//     out.paragraph(); out.tableRow(totalsFormat, totals);
//     out.endDoc();
//     out.showWindow();
class frmOutput : public QWidget {
    Q_OBJECT

public:
    explicit frmOutput(Services& services, QWidget* parent = nullptr);
    ~frmOutput() override;

    // The column headings printed in bold at the top of every page of the documents that
    // follow, in the columns of the rows beneath them.
    void setRepeatHeader(const TableFormat& format, const QStringList& titles);
    void clearRepeatHeader();
    bool repeatsHeader() const { return m_repeatHeader; }

    // Starts a new document, replacing the one shown, on the paper of the default printer
    // (or the user's usual paper) in the given orientation. The header, the footer and
    // bold start afresh.
    void startDoc(QPageLayout::Orientation orientation = QPageLayout::Portrait);
    // "left|centre|right" on every page; "%d" is the page number.
    void setHeader(const QString& text);
    void setFooter(const QString& text);
    void tableRow(const TableFormat& format, const QStringList& cells);
    void table(const TableFormat& format, const QList<QStringList>& rows);
    void setBold(bool bold);
    // An empty line, or a line of text, in the body font.
    void paragraph(const QString& text = {});
    // Closes the document and lets the page bar reach its last page.
    void endDoc();
    int pageCount() const;
    // Shows the window, modeless, in front.
    void showWindow();

    PageDocument& document() { return *m_document; }
    const PageDocument& document() const { return *m_document; }
    ElasticLayout* elasticLayout() const { return m_layout; }

    void scrlPage_Change();
    void scrlZoom_Change();
    // Prints every page on the printer the user chooses; nothing when there is none or
    // the choice is cancelled.
    void cmdPrint_Click();
    void cmdOk_Click();
    // Saves every page as a PDF file the user names.
    void cmdSavePdf_Click();
    // Puts the column headings at the top of a page as it begins.
    void vsPrinter_NewPage(int number);

    QScrollArea* vsViewPort1 = nullptr;
    PagePreview* vsPrinter = nullptr;
    QScrollBar* scrlPage = nullptr;
    QLabel* Picture1 = nullptr;
    QScrollBar* scrlZoom = nullptr;
    QPushButton* cmdPrint = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdSavePdf = nullptr;

private:
    void createControls();
    void placeControls();

    Services& m_services;
    ElasticLayout* m_layout = nullptr;
    PageDocument* m_document = nullptr;
    bool m_repeatHeader = false;
    TableFormat m_headerFormat;
    QStringList m_headerTitles;
};

#pragma once

#include "reports/PageDocument.h"
#include "reports/TableFormat.h"

#include <QStringList>
#include <QWidget>

#include <deque>

class ElasticLayout;
class PagePreview;
class QLabel;
class QPushButton;
class QScrollArea;
class QScrollBar;
class QTimer;
class Services;

// The report output window: every report that goes to the screen or the printer is laid
// out on its page printer and shown here a page at a time, at the zoom the user picks,
// to be printed or saved as PDF.
//
// Output is laid out as the pages are wanted, not as the report prints it: when the report
// ends, the page on show is laid out and the window can show it at once, and the pages
// after it follow in short slices between the user's events. Whatever asks for the whole
// document (its page count, printing, saving, document()) has the rest laid out first.
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
    // The page count of the whole document, every page laid out. (Laying out what is
    // queued changes nothing the caller could see but the time it takes, so it is done
    // for a const window too.)
    int pageCount();
    int pageCount() const { return const_cast<frmOutput*>(this)->pageCount(); }
    // Shows the window, modeless, in front.
    void showWindow();

    // The document with all the output so far laid out.
    PageDocument& document();
    const PageDocument& document() const { return const_cast<frmOutput*>(this)->document(); }
    // Whether output printed so far still waits to be laid out.
    bool layoutPending() const { return !m_pending.empty() || m_ending; }
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

    // The keyboard works the window as the mouse does: Page Up and Page Down turn the page,
    // Home and End (with Ctrl or without) go to the first and the last, Ctrl+plus and
    // Ctrl+minus (and Ctrl with the wheel) zoom, Ctrl+P prints, Esc is Ok. Tab reaches the
    // page bar and the zoom bar, which show when they have the focus.
    void showPage(int number);
    // Steps of the zoom bar's arrows; negative to zoom out.
    void zoomBy(int steps);

    QScrollArea* vsViewPort1 = nullptr;
    PagePreview* vsPrinter = nullptr;
    QScrollBar* scrlPage = nullptr;
    QLabel* Picture1 = nullptr;
    QScrollBar* scrlZoom = nullptr;
    QPushButton* cmdPrint = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdSavePdf = nullptr;

protected:
    // Ctrl with the wheel over the page zooms.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // One piece of output the report printed, kept until it is laid out.
    struct Output {
        enum Kind { Table, Paragraph, Bold } kind = Table;
        TableFormat format;
        QStringList cells;
        QString text;
        bool bold = false;
    };

    void createControls();
    void placeControls();
    void createShortcuts();
    void queue(Output output);
    // Lays out queued output until done() holds or nothing is left, then ends the document
    // if the report has ended it.
    template <class Done> void layOut(Done done);
    void finishLayout();
    // Lays out the next slice of the document between the user's events.
    void layOutSlice();
    // The last page laid out whole: the page bar goes no further.
    void updatePageBar();

    Services& m_services;
    ElasticLayout* m_layout = nullptr;
    PageDocument* m_document = nullptr;
    QTimer* m_layoutTimer = nullptr;
    std::deque<Output> m_pending;
    // The report has ended its document; the document ends when its output is laid out.
    bool m_ending = false;
    // Wheel turns with Ctrl not yet making a whole step of zoom.
    int m_wheelZoom = 0;
    // For the documents that follow.
    bool m_repeatHeader = false;
    TableFormat m_headerFormat;
    QStringList m_headerTitles;
    // For the document being laid out, as they were when it started.
    bool m_docRepeatHeader = false;
    TableFormat m_docHeaderFormat;
    QStringList m_docHeaderTitles;
};

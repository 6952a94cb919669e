#pragma once

#include "reports/TableFormat.h"

#include <QFont>
#include <QGlyphRun>
#include <QList>
#include <QObject>
#include <QPageLayout>
#include <QPageSize>
#include <QRectF>
#include <QStringList>

#include <memory>

class QLocale;

// One piece of text placed on a page: where it goes (in twips from the paper's top-left
// corner), the text as it will be drawn, already made to fit, and which side of its box
// it keeps to. A table cell's text runs over as many lines as its column needs, separated
// by "\n", the first at the top of its box and each after the one before by
// PageDocument::lineSpacing(). A short figure or a single word a little too wide is drawn
// narrower on one line instead (stretch below 1), so a date or an amount stays whole on
// one line. Header and footer texts keep to one line and are cut short with an ellipsis.
struct PageCell {
    QRectF rect;
    QString text;
    Qt::Alignment alignment = Qt::AlignLeft;
    double stretch = 1;
    // The width of a one-line text in its font, as the layout measured it; -1 when not
    // known. Drawing it then needs no second measurement.
    double advance = -1;

    QStringList lines() const { return text.split(u'\n'); }
};

// A text shaped in one of the document's faces: its glyphs placed from the top-left corner
// of its line, the line's ascent, and its advance.
struct ShapedText {
    QList<QGlyphRun> runs;
    double ascent = 0;
    double width = 0;
};

enum class TextFace { Body, Bold, Header };

// One line of body output: a table row, as tall as its tallest cell, or a paragraph line.
struct PageLine {
    QRectF rect;
    bool bold = false;
    QList<PageCell> cells;
};

struct Page {
    QList<PageLine> lines;
};

// The page printer's document: pages of table rows and paragraph lines under a header and
// a footer.
//
// Everything is laid out here, in twips, without painting, so that the preview, the
// printer and a PDF all draw the same pages, and so that paging can be checked without a
// screen. Text is measured in twips as well (a font of 225 px at 1440 px per inch is the
// body font's 11.25 pt), which keeps the layout the same on every device.
//
// A document runs from start() to end(). A row that no longer fits on the page goes whole
// to a new one; newPage() is emitted as each page begins, the first included, before
// anything is placed on it, so a listener can put column headings at the top.
class PageDocument : public QObject {
    Q_OBJECT

public:
    static constexpr double TwipsPerInch = 1440;
    // Half an inch all round: the widest built-in table, 7 inches, fits across both Letter
    // and A4 in portrait.
    static constexpr double Margin = 720;
    // Space between a cell's text and its column's edges, so neighbouring columns never
    // run together.
    static constexpr double CellPaddingX = 30;
    // The narrowest a one-line cell's text is drawn before it wraps instead.
    static constexpr double MinStretch = 0.8;
    static constexpr double CellPaddingY = 20;
    // Between the header and the body, and between the body and the footer.
    static constexpr double BandGap = 180;

    explicit PageDocument(QObject* parent = nullptr);
    ~PageDocument() override;

    static QFont bodyFont(bool bold = false);
    static QFont headerFont();

    // The paper usual where the user lives: Letter in the Americas that use it, A4
    // elsewhere.
    static QPageSize localePageSize(const QLocale& locale);

    // Paper and orientation take effect when the next document starts.
    void setPageSize(const QPageSize& size) { m_pageSize = size; }
    QPageSize pageSize() const { return m_pageSize; }
    void setOrientation(QPageLayout::Orientation orientation) { m_orientation = orientation; }
    QPageLayout::Orientation orientation() const { return m_orientation; }

    // Discards the previous document and opens a new one, with no header or footer and
    // body text not bold. The first page begins with the first output.
    void start();
    // Closes the last page; the page count is then final. A document with no output still
    // has one page.
    void end();
    bool isOpen() const { return m_open; }

    // "left|centre|right", drawn on every page of the document, the first included,
    // whenever it is set; "%d" stands for the page number, "%%" and "%|" for a "%" and a "|"
    // that are text. literal() writes any text, a title the user typed, so.
    void setHeader(const QString& text) { m_header = text; }
    void setFooter(const QString& text) { m_footer = text; }
    QString header() const { return m_header; }
    QString footer() const { return m_footer; }

    void setBold(bool bold) { m_bold = bold; }
    bool bold() const { return m_bold; }

    // Prints one table row per list of cells, the n-th cell in the n-th column. Missing
    // cells are empty; cells beyond the last column have nowhere to go and are dropped.
    // A cell wraps at word boundaries within its column, inside a word only where the word
    // alone is wider than the column; a line break in a cell starts a new line, a tab
    // prints as a space. A row is never split between pages unless it is taller than
    // what a page leaves below its headings; then it continues on the next page. Output
    // while no document is open is ignored.
    void table(const TableFormat& format, const QList<QStringList>& rows);
    // Prints text in the body font from the left margin, one line per line of text, each
    // wrapped at the right margin; an empty text (or a lone line break) leaves one empty
    // line.
    void paragraph(const QString& text = {});

    int pageCount() const { return int(m_pages.size()); }
    // Pages are numbered from 1.
    const Page& page(int number) const { return m_pages.at(number - 1); }

    // How wide the body, and a table across it, is on paper of that size turned that way.
    static double bodyWidth(const QPageSize& size, QPageLayout::Orientation orientation);

    // Geometry of the current document, in twips.
    QSizeF paperSize() const { return m_paper; }
    QRectF bodyRect() const { return m_body; }
    QRectF headerRect() const;
    QRectF footerRect() const;
    // A table row of the given number of lines in the body font.
    double rowHeight(int lines = 1) const;
    double paragraphLineHeight() const;
    // The distance from one line of a cell to the next, and the height of a single line.
    static double lineSpacing(const QFont& font);
    static double lineHeight(const QFont& font);

    // The header or footer of a page, laid out: up to three cells, left, centred and right.
    QList<PageCell> headerCells(int number) const {
        return bandCells(m_header, number, headerRect());
    }
    QList<PageCell> footerCells(int number) const {
        return bandCells(m_footer, number, footerRect());
    }
    // The three sections of a header text for a page, "%d" replaced by its number.
    static QStringList sections(const QString& text, int number);
    // Text that a header or footer prints as it stands, whatever "%" or "|" it holds.
    static QString literal(const QString& text);

    // A text shaped once for the document: the layout measures it and the painter draws
    // its glyphs, so the dates, amounts and names a report repeats are shaped only once.
    // The reference holds until the next call.
    const ShapedText& shapedText(const QString& text, TextFace face) const;

    struct Face;

Q_SIGNALS:
    void newPage(int number);

private:
    Face& face(bool bold) const { return face(bold ? TextFace::Bold : TextFace::Body); }
    Face& face(TextFace which) const;
    void computeGeometry();
    // Makes room for a line of the given height, beginning a new page when it does not fit.
    // Returns the top of the line.
    double reserveLine(double height);
    void beginPage();
    void addLine(PageLine line);
    struct CellLayout;
    QList<CellLayout> layoutRow(const TableFormat& format, const QStringList& row, bool bold) const;
    // Places a laid-out row at top, continuing on further pages only when it is taller than
    // what a page can hold.
    void placeRow(const QList<CellLayout>& cells, bool bold, double top);
    QList<PageCell> bandCells(const QString& text, int number, const QRectF& band) const;

    // Body, bold body and header, made when first needed.
    mutable std::unique_ptr<Face> m_faces[3];
    QPageSize m_pageSize{QPageSize::Letter};
    QPageLayout::Orientation m_orientation = QPageLayout::Portrait;
    QSizeF m_paper;
    QRectF m_body;
    double m_headerHeight = 0;

    QList<Page> m_pages;
    QString m_header;
    QString m_footer;
    bool m_open = false;
    bool m_bold = false;
    double m_y = 0;
    // While newPage() is being handled, output belongs to the page's heading.
    int m_notifying = 0;
    // Whether the current page holds anything besides its heading: a row that does not
    // fit on a page with nothing else on it is broken there, or paging would never end.
    bool m_pageHasBody = false;
};

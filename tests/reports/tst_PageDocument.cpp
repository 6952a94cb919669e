#include "reports/PageDocument.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QLocale>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const TableFormat Orders(u"2880|1440|720|1440|2880;"_s);
const QStringList OrderTitles = {u"Description"_s, u"Order Date"_s, u"Rec'd"_s, u"Date Received"_s,
                                 u"Vendor"_s};

QStringList orderRow(int number) {
    return {u"Item %1"_s.arg(number), u"1/5/99"_s, u"No"_s, QString(), u"Vendor"_s};
}

QStringList texts(const PageLine& line) {
    QStringList result;
    for (const PageCell& cell : line.cells)
        result.append(cell.text);
    return result;
}

// Prints the headings at the top of each page, as the output window does.
void repeatHeadings(PageDocument& document) {
    QObject::connect(&document, &PageDocument::newPage, &document, [&document](int) {
        document.setBold(true);
        document.table(Orders, {OrderTitles});
        document.setBold(false);
    });
}

// The words of a text in order, however it was broken into lines.
QStringList words(const QString& text) {
    return text.simplified().split(u' ', Qt::SkipEmptyParts);
}

// Every line of a cell fits its box, and each line but the last was full: the word that
// begins the next line would not have fitted after it.
void checkWrapped(const PageCell& cell, const QFont& font) {
    const QFontMetricsF metrics(font);
    const QStringList lines = cell.lines();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        QVERIFY2(metrics.horizontalAdvance(line) * cell.stretch <= cell.rect.width() + 0.01,
                 qPrintable(line));
        QVERIFY2(line == line.trimmed(), qPrintable(line));
        if (i + 1 < lines.size()) {
            const QString next = lines.at(i + 1).section(u' ', 0, 0);
            QVERIFY2(metrics.horizontalAdvance(line + u' ' + next) > cell.rect.width(),
                     qPrintable(line + u" / "_s + next));
        }
    }
}

// Where the text of a cell actually lands across the line.
std::pair<double, double> extent(const PageCell& cell, const QFont& font) {
    const double width = QFontMetricsF(font).horizontalAdvance(cell.text);
    if (cell.alignment & Qt::AlignRight)
        return {cell.rect.right() - width, cell.rect.right()};
    if (cell.alignment & Qt::AlignHCenter)
        return {cell.rect.center().x() - width / 2, cell.rect.center().x() + width / 2};
    return {cell.rect.left(), cell.rect.left() + width};
}

} // namespace

class tst_PageDocument : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fontsAreTimesOrItsMetricTwin();
    void paperFollowsTheLocale_data();
    void paperFollowsTheLocale();
    void theWidestReportFitsAcrossPortraitPaper_data();
    void theWidestReportFitsAcrossPortraitPaper();
    void rowsFillEachPageBeforeTheNextBegins_data();
    void rowsFillEachPageBeforeTheNextBegins();
    void newPageIsAnnouncedBeforeAnythingIsPlaced();
    void headingsStandAtTheTopOfEveryPage();
    void aHeadingTallerThanThePageDoesNotPageForever();
    void headerSections_data();
    void headerSections();
    void headerNumbersEachPage();
    void longHeaderPartsDoNotOverlap();
    void pageCountIsFinalWhenTheDocumentEnds();
    void anEmptyDocumentHasOnePage();
    void aLongCellWrapsWithinItsColumn();
    void aRowIsAsTallAsItsTallestCell();
    void aRowMovesWholeToTheNextPage();
    void aRowTallerThanAPageRunsOnToTheNext();
    void aRowUnderHeadingsThatFillThePageStillEnds();
    void headingsWrapLikeRows();
    void aLongWordBreaksInsideItself_data();
    void aLongWordBreaksInsideItself();
    void rightAlignedCellsStayRightAlignedOnEveryLine();
    void amountsKeepEveryDigit_data();
    void amountsKeepEveryDigit();
    void missingCellsAreEmptyAndExtraCellsDropped();
    void aTableWiderThanThePaperStopsAtTheMargin();
    void lineBreaksInACellStartNewLines_data();
    void lineBreaksInACellStartNewLines();
    void paragraphs_data();
    void paragraphs();
    void aLongParagraphWrapsAtTheMargin();
};

void tst_PageDocument::fontsAreTimesOrItsMetricTwin() {
    const QStringList twins = {u"Times New Roman"_s, u"Liberation Serif"_s};
    const QFontInfo body(PageDocument::bodyFont());
    QVERIFY2(twins.contains(body.family()), qPrintable(body.family()));
    QCOMPARE(body.pixelSize(), 225); // 11.25 pt in twips
    QVERIFY(!body.bold());
    const QFontInfo header(PageDocument::headerFont());
    QVERIFY2(twins.contains(header.family()), qPrintable(header.family()));
    QCOMPARE(header.pixelSize(), 285); // 14.25 pt
    QVERIFY(header.bold());
}

void tst_PageDocument::paperFollowsTheLocale_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QPageSize>("paper");

    const QPageSize letter(QPageSize::Letter);
    const QPageSize a4(QPageSize::A4);
    QTest::newRow("en_US") << QLocale(u"en_US"_s) << letter;
    QTest::newRow("en_CA") << QLocale(u"en_CA"_s) << letter;
    QTest::newRow("fr_CA") << QLocale(u"fr_CA"_s) << letter;
    QTest::newRow("es_MX") << QLocale(u"es_MX"_s) << letter;
    QTest::newRow("en_GB") << QLocale(u"en_GB"_s) << a4;
    QTest::newRow("de_DE") << QLocale(u"de_DE"_s) << a4;
    QTest::newRow("fr_FR") << QLocale(u"fr_FR"_s) << a4;
    QTest::newRow("ja_JP") << QLocale(u"ja_JP"_s) << a4;
    QTest::newRow("sv_SE") << QLocale(u"sv_SE"_s) << a4;
    QTest::newRow("hu_HU") << QLocale(u"hu_HU"_s) << a4;
}

void tst_PageDocument::paperFollowsTheLocale() {
    QFETCH(QLocale, locale);
    QFETCH(QPageSize, paper);
    QCOMPARE(PageDocument::localePageSize(locale).id(), paper.id());
}

void tst_PageDocument::theWidestReportFitsAcrossPortraitPaper_data() {
    QTest::addColumn<QPageSize>("paper");
    QTest::newRow("Letter") << QPageSize(QPageSize::Letter);
    QTest::newRow("A4") << QPageSize(QPageSize::A4);
}

void tst_PageDocument::theWidestReportFitsAcrossPortraitPaper() {
    QFETCH(QPageSize, paper);
    PageDocument document;
    document.setPageSize(paper);
    document.start();
    const TableFormat widest(u"2880|2880|1050|1050|1050|>1050;"_s);
    QCOMPARE(widest.totalWidth(), 9960.0);
    QVERIFY(document.bodyRect().width() >= 10080);
    QVERIFY(document.bodyRect().left() > 0);
    QVERIFY(document.bodyRect().right() < document.paperSize().width());

    document.table(widest, {{u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s, u"$1.00"_s}});
    const PageLine& line = document.page(1).lines.first();
    QCOMPARE(line.cells.size(), 6);
    QCOMPARE(line.cells.last().text, u"$1.00"_s);
}

void tst_PageDocument::rowsFillEachPageBeforeTheNextBegins_data() {
    QTest::addColumn<QPageSize>("paper");
    QTest::addColumn<QPageLayout::Orientation>("orientation");
    QTest::newRow("Letter") << QPageSize(QPageSize::Letter) << QPageLayout::Portrait;
    QTest::newRow("A4") << QPageSize(QPageSize::A4) << QPageLayout::Portrait;
    QTest::newRow("Letter landscape") << QPageSize(QPageSize::Letter) << QPageLayout::Landscape;
}

void tst_PageDocument::rowsFillEachPageBeforeTheNextBegins() {
    QFETCH(QPageSize, paper);
    QFETCH(QPageLayout::Orientation, orientation);
    PageDocument document;
    document.setPageSize(paper);
    document.setOrientation(orientation);
    document.start();
    const int rows = 150;
    for (int i = 1; i <= rows; ++i)
        document.table(Orders, {orderRow(i)});
    document.end();

    // A row is at least as tall as a line of the body font, so rows never overprint.
    QVERIFY(document.rowHeight() >= QFontMetricsF(PageDocument::bodyFont()).height());
    const QRectF body = document.bodyRect();
    QVERIFY(document.pageCount() > 1);
    int next = 1;
    for (int number = 1; number <= document.pageCount(); ++number) {
        const QList<PageLine>& lines = document.page(number).lines;
        QVERIFY(!lines.isEmpty());
        QCOMPARE(lines.first().rect.top(), body.top());
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const PageLine& line = lines.at(i);
            QVERIFY(line.rect.bottom() <= body.bottom());
            if (i > 0)
                QCOMPARE(line.rect.top(), lines.at(i - 1).rect.bottom());
            QCOMPARE(line.cells.first().text, u"Item %1"_s.arg(next++));
        }
        // A page ends only when the next row would not have fitted on it.
        if (number < document.pageCount())
            QVERIFY(lines.last().rect.bottom() + document.rowHeight() > body.bottom());
    }
    QCOMPARE(next - 1, rows);
}

void tst_PageDocument::newPageIsAnnouncedBeforeAnythingIsPlaced() {
    PageDocument document;
    QList<int> announced;
    QList<qsizetype> linesWhenAnnounced;
    connect(&document, &PageDocument::newPage, this, [&](int number) {
        announced.append(number);
        linesWhenAnnounced.append(document.page(number).lines.size());
    });
    document.start();
    QVERIFY(announced.isEmpty());
    for (int i = 1; i <= 120; ++i)
        document.table(Orders, {orderRow(i)});
    document.end();

    QList<int> expected;
    for (int number = 1; number <= document.pageCount(); ++number)
        expected.append(number);
    QCOMPARE(announced, expected);
    QCOMPARE(linesWhenAnnounced, QList<qsizetype>(expected.size(), 0));
}

void tst_PageDocument::headingsStandAtTheTopOfEveryPage() {
    PageDocument document;
    repeatHeadings(document);
    document.start();
    const int rows = 130;
    for (int i = 1; i <= rows; ++i)
        document.table(Orders, {orderRow(i)});
    document.end();

    QVERIFY(document.pageCount() >= 3);
    int dataRows = 0;
    for (int number = 1; number <= document.pageCount(); ++number) {
        const QList<PageLine>& lines = document.page(number).lines;
        QCOMPARE(texts(lines.first()), OrderTitles);
        QVERIFY(lines.first().bold);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            QVERIFY(!lines.at(i).bold);
            QVERIFY(texts(lines.at(i)) != OrderTitles);
            ++dataRows;
        }
        // The row pushed over from the page before comes right under the headings.
        QCOMPARE(lines.at(1).cells.first().text, u"Item %1"_s.arg(dataRows - lines.size() + 2));
    }
    QCOMPARE(dataRows, rows);
}

void tst_PageDocument::aHeadingTallerThanThePageDoesNotPageForever() {
    PageDocument document;
    connect(&document, &PageDocument::newPage, this, [&document] {
        for (int i = 0; i < 200; ++i)
            document.table(Orders, {OrderTitles});
    });
    document.start();
    document.table(Orders, {orderRow(1), orderRow(2), orderRow(3)});
    document.end();
    // Each page holds its headings and, come what may, one row of its own.
    QCOMPARE(document.pageCount(), 3);
    for (int number = 1; number <= 3; ++number) {
        QCOMPARE(document.page(number).lines.size(), 201);
        QCOMPARE(document.page(number).lines.last().cells.first().text, u"Item %1"_s.arg(number));
    }
}

void tst_PageDocument::headerSections_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("page");
    QTest::addColumn<QStringList>("sections");

    QTest::newRow("outstanding") << u"|Outstanding Orders/Rebates/Sales|Page %d"_s << 3
                                 << QStringList{
                                        {}, u"Outstanding Orders/Rebates/Sales"_s, u"Page 3"_s};
    QTest::newRow("date, title, page")
        << u"12/7/26|Parts|Page %d"_s << 12 << QStringList{u"12/7/26"_s, u"Parts"_s, u"Page 12"_s};
    QTest::newRow("footer centred") << u"|Page %d|"_s << 1 << QStringList{{}, u"Page 1"_s, {}};
    QTest::newRow("left only") << u"Title"_s << 1 << QStringList{u"Title"_s, {}, {}};
    QTest::newRow("empty") << QString() << 1 << QStringList{{}, {}, {}};
    QTest::newRow("extra bar stays on the right")
        << u"a|b|c|d"_s << 1 << QStringList{u"a"_s, u"b"_s, u"c|d"_s};
    QTest::newRow("number twice") << u"|%d of many|p%d"_s << 7
                                  << QStringList{{}, u"7 of many"_s, u"p7"_s};
}

void tst_PageDocument::headerSections() {
    QFETCH(QString, text);
    QFETCH(int, page);
    QFETCH(QStringList, sections);
    QCOMPARE(PageDocument::sections(text, page), sections);
}

void tst_PageDocument::headerNumbersEachPage() {
    PageDocument document;
    document.start();
    document.setHeader(u"|Orders for 1/1/99 to 12/31/99|Page %d"_s);
    document.setFooter(u"|Page %d|"_s);
    for (int i = 1; i <= 120; ++i)
        document.table(Orders, {orderRow(i)});
    document.end();

    QVERIFY(document.pageCount() >= 2);
    for (int number = 1; number <= document.pageCount(); ++number) {
        const QList<PageCell> header = document.headerCells(number);
        QCOMPARE(header.size(), 2);
        QCOMPARE(header.at(0).text, u"Orders for 1/1/99 to 12/31/99"_s);
        QCOMPARE(header.at(0).alignment, Qt::AlignHCenter);
        QCOMPARE(header.at(1).text, u"Page %1"_s.arg(number));
        QCOMPARE(header.at(1).alignment, Qt::AlignRight);
        QVERIFY(header.at(0).rect.bottom() <= document.bodyRect().top());

        const QList<PageCell> footer = document.footerCells(number);
        QCOMPARE(footer.size(), 1);
        QCOMPARE(footer.at(0).text, u"Page %1"_s.arg(number));
        QVERIFY(footer.at(0).rect.top() >= document.bodyRect().bottom());
        QVERIFY(footer.at(0).rect.bottom() <= document.paperSize().height());
    }
}

void tst_PageDocument::longHeaderPartsDoNotOverlap() {
    PageDocument document;
    document.start();
    const QString title = u"A very long report title "_s.repeated(8);
    document.setHeader(u"12/07/2026|"_s + title + u"|Page %d"_s);
    document.end();

    const QList<PageCell> cells = document.headerCells(1);
    QCOMPARE(cells.size(), 3);
    QCOMPARE(cells.at(0).text, u"12/07/2026"_s);
    QCOMPARE(cells.at(2).text, u"Page 1"_s);
    QVERIFY(cells.at(1).text.endsWith(u'…'));
    const QFont font = PageDocument::headerFont();
    const auto left = extent(cells.at(0), font);
    const auto centre = extent(cells.at(1), font);
    const auto right = extent(cells.at(2), font);
    QVERIFY(left.second < centre.first);
    QVERIFY(centre.second < right.first);
    QVERIFY(left.first >= document.headerRect().left());
    QVERIFY(right.second <= document.headerRect().right() + 0.01);
}

void tst_PageDocument::pageCountIsFinalWhenTheDocumentEnds() {
    PageDocument document;
    document.start();
    for (int i = 1; i <= 100; ++i)
        document.table(Orders, {orderRow(i)});
    QVERIFY(document.isOpen());
    document.end();
    QVERIFY(!document.isOpen());
    const int pages = document.pageCount();
    QVERIFY(pages >= 2);
    // Output after the end has no document to go to.
    for (int i = 1; i <= 100; ++i)
        document.table(Orders, {orderRow(i)});
    document.paragraph();
    QCOMPARE(document.pageCount(), pages);
}

void tst_PageDocument::anEmptyDocumentHasOnePage() {
    PageDocument document;
    repeatHeadings(document);
    document.start();
    QCOMPARE(document.pageCount(), 0);
    document.end();
    QCOMPARE(document.pageCount(), 1);
    QCOMPARE(document.page(1).lines.size(), 1);
    QCOMPARE(texts(document.page(1).lines.first()), OrderTitles);
}

void tst_PageDocument::aLongCellWrapsWithinItsColumn() {
    PageDocument document;
    document.start();
    const QString longText = u"Extremely long description of a purchase "_s.repeated(5);
    document.table(Orders,
                   {{longText, u"1/5/99"_s, u"Partially"_s, QString(), u"Vendor"_s}, orderRow(2)});
    document.end();

    const QList<PageLine>& lines = document.page(1).lines;
    QCOMPARE(lines.size(), 2);
    const PageLine& line = lines.first();
    const QFont font = PageDocument::bodyFont();
    const PageCell& first = line.cells.at(0);
    QVERIFY(!first.text.contains(u'…'));
    QCOMPARE(first.stretch, 1.0);
    QVERIFY(first.lines().size() >= 3);
    checkWrapped(first, font);
    QCOMPARE(words(first.text), words(longText));
    // The description stays inside its own column.
    QVERIFY(first.rect.right() < line.cells.at(1).rect.left());
    QCOMPARE(line.rect.height(), document.rowHeight(int(first.lines().size())));
    // The next row begins under the last line of the description.
    QCOMPARE(lines.at(1).rect.top(), line.rect.bottom());
    QCOMPARE(lines.at(1).rect.height(), document.rowHeight());
    // A word a little too wide for the narrow status column is drawn narrower, whole.
    const QFontMetricsF metrics(font);
    const PageCell& status = line.cells.at(2);
    QCOMPARE(status.text, u"Partially"_s);
    QVERIFY(status.stretch < 1);
    QVERIFY(status.stretch >= PageDocument::MinStretch);
    QVERIFY(metrics.horizontalAdvance(status.text) * status.stretch <= status.rect.width() + 0.01);
    // Text that fits is left alone.
    QCOMPARE(line.cells.at(1).text, u"1/5/99"_s);
    QCOMPARE(line.cells.at(1).stretch, 1.0);
}

void tst_PageDocument::aRowIsAsTallAsItsTallestCell() {
    PageDocument document;
    document.start();
    const QString shorter = u"A shorter description that still takes a few lines "_s.repeated(2);
    const QString longer = u"A vendor whose name and address run on and on "_s.repeated(4);
    document.table(Orders, {{shorter, u"1/5/99"_s, u"No"_s, QString(), longer}});
    document.end();

    const PageLine& line = document.page(1).lines.first();
    const qsizetype descr = line.cells.at(0).lines().size();
    const qsizetype vendor = line.cells.at(4).lines().size();
    QVERIFY(descr > 1);
    QVERIFY(vendor > descr);
    QCOMPARE(line.rect.height(), document.rowHeight(int(vendor)));
    // Every cell starts on the row's first line and has the row's whole height to itself.
    for (const PageCell& cell : line.cells) {
        QCOMPARE(cell.rect.top(), line.rect.top() + PageDocument::CellPaddingY);
        QCOMPARE(cell.rect.bottom(), line.rect.bottom() - PageDocument::CellPaddingY);
    }
    QCOMPARE(line.cells.at(1).text, u"1/5/99"_s);
    // Lines follow each other at the body font's spacing.
    const QFont font = PageDocument::bodyFont();
    QCOMPARE(document.rowHeight(3) - document.rowHeight(2), PageDocument::lineSpacing(font));
    QVERIFY(PageDocument::lineSpacing(font) >= QFontMetricsF(font).height());
}

void tst_PageDocument::aRowMovesWholeToTheNextPage() {
    const QString tall =
        u"A description long enough to need several lines of its column "_s.repeated(3);
    PageDocument document;
    repeatHeadings(document);
    document.start();
    // How tall the row is, measured where it stands alone.
    document.table(Orders, {{tall}});
    const double tallHeight = document.page(1).lines.last().rect.height();
    QVERIFY(tallHeight >= document.rowHeight(3));
    // Short rows until the tall one no longer fits below them, though a short one would.
    const double bottom = document.bodyRect().bottom();
    int number = 0;
    while (document.page(1).lines.last().rect.bottom() + tallHeight <= bottom)
        document.table(Orders, {orderRow(++number)});
    const double filled = document.page(1).lines.last().rect.bottom();
    QVERIFY(filled + document.rowHeight(2) <= bottom);
    document.table(Orders, {{tall}});
    document.end();

    QCOMPARE(document.pageCount(), 2);
    QCOMPARE(document.page(1).lines.last().rect.bottom(), filled);
    QCOMPARE(document.page(1).lines.last().cells.first().text, u"Item %1"_s.arg(number));
    const QList<PageLine>& next = document.page(2).lines;
    QCOMPARE(next.size(), 2);
    QCOMPARE(texts(next.first()), OrderTitles);
    const PageLine& moved = next.at(1);
    QCOMPARE(moved.rect.top(), next.first().rect.bottom());
    QCOMPARE(moved.rect.height(), tallHeight);
    QCOMPARE(words(moved.cells.first().text), words(tall));
}

void tst_PageDocument::aRowTallerThanAPageRunsOnToTheNext() {
    QStringList numbered;
    for (int i = 1; i <= 900; ++i)
        numbered.append(u"w%1"_s.arg(i));
    const QString memo = numbered.join(u' ');
    PageDocument document;
    repeatHeadings(document);
    document.start();
    document.table(Orders, {orderRow(1), {memo, u"1/5/99"_s}, orderRow(2)});
    document.end();

    QVERIFY(document.pageCount() >= 3);
    const QRectF body = document.bodyRect();
    QStringList printed;
    QStringList dates;
    for (int number = 1; number <= document.pageCount(); ++number) {
        const QList<PageLine>& lines = document.page(number).lines;
        QCOMPARE(texts(lines.first()), OrderTitles);
        for (const PageLine& line : lines) {
            QVERIFY(line.rect.bottom() <= body.bottom());
            const PageCell& first = line.cells.first();
            if (first.text.startsWith(u"w"_s)) {
                checkWrapped(first, PageDocument::bodyFont());
                printed.append(words(first.text));
                dates.append(line.cells.at(1).text);
                // Broken only where the page is full.
                if (&line == &lines.last() && number < document.pageCount())
                    QVERIFY(line.rect.bottom() +
                                PageDocument::lineSpacing(PageDocument::bodyFont()) >
                            body.bottom());
            }
        }
    }
    // Nothing lost, nothing printed twice; the other cells on the row's first page.
    QCOMPARE(printed, numbered);
    QCOMPARE(dates.first(), u"1/5/99"_s);
    for (qsizetype i = 1; i < dates.size(); ++i)
        QVERIFY(dates.at(i).isEmpty());
    // The row after it carries on directly below.
    const QList<PageLine>& last = document.page(document.pageCount()).lines;
    QCOMPARE(last.last().cells.first().text, u"Item 2"_s);
    QCOMPARE(last.last().rect.top(), last.at(last.size() - 2).rect.bottom());
}

void tst_PageDocument::aRowUnderHeadingsThatFillThePageStillEnds() {
    PageDocument document;
    connect(&document, &PageDocument::newPage, this, [&document] {
        for (int i = 0; i < 200; ++i)
            document.table(Orders, {OrderTitles});
    });
    document.start();
    document.table(Orders, {{u"one\ntwo\nthree"_s}});
    document.end();
    // No room at all below the headings: one line of the row on each page.
    QCOMPARE(document.pageCount(), 3);
    const QStringList expected = {u"one"_s, u"two"_s, u"three"_s};
    for (int number = 1; number <= 3; ++number) {
        QCOMPARE(document.page(number).lines.size(), 201);
        const PageLine& line = document.page(number).lines.last();
        QCOMPARE(line.cells.first().text, expected.at(number - 1));
        QCOMPARE(line.rect.height(), document.rowHeight());
    }
}

void tst_PageDocument::headingsWrapLikeRows() {
    // The overdue report's layout, whose "Date Ordered" is wider than its column.
    const TableFormat overdue(u"2880|2880|1050|1050|1050|>1050;"_s);
    const QStringList titles = {u"Description"_s, u"Vendor"_s, u"Date Ordered"_s,
                                u"Date Due"_s,    u"Type"_s,   u"Amount"_s};
    PageDocument document;
    connect(&document, &PageDocument::newPage, this, [&] {
        document.setBold(true);
        document.table(overdue, {titles});
        document.setBold(false);
    });
    document.start();
    for (int i = 1; i <= 120; ++i)
        document.table(overdue, {{u"Item %1"_s.arg(i), u"Vendor"_s, u"12/31/2026"_s, u"1/1/2027"_s,
                                  u"Rebate"_s, u"($1,234.56)"_s}});
    document.end();

    QVERIFY(document.pageCount() >= 2);
    for (int number = 1; number <= document.pageCount(); ++number) {
        const QList<PageLine>& lines = document.page(number).lines;
        const PageLine& heading = lines.first();
        QVERIFY(heading.bold);
        QCOMPARE(heading.cells.at(2).text, u"Date\nOrdered"_s);
        QCOMPARE(heading.cells.at(3).text, u"Date Due"_s);
        QCOMPARE(heading.cells.at(5).alignment, Qt::AlignRight);
        for (const PageCell& cell : heading.cells) {
            QVERIFY(!cell.text.contains(u'…'));
            checkWrapped(cell, PageDocument::bodyFont(true));
        }
        QCOMPARE(heading.rect.height(), document.rowHeight(2));
        QCOMPARE(lines.at(1).rect.top(), heading.rect.bottom());
        // The dates and amounts below stay on one line each.
        QCOMPARE(lines.at(1).rect.height(), document.rowHeight());
        QCOMPARE(lines.at(1).cells.at(2).text, u"12/31/2026"_s);
    }
}

void tst_PageDocument::aLongWordBreaksInsideItself_data() {
    QTest::addColumn<QString>("word");
    QTest::addColumn<int>("column");
    QTest::newRow("narrow column") << u"Supercalifragilisticexpialidocious"_s << 1;
    QTest::newRow("part number") << u"XJ-2000-PROFESSIONAL-CAMERA-BODY-WITH-ZOOM-LENS"_s << 1;
    QTest::newRow("address") << u"https://www.example.com/orders/rebates/forms/"
                                "claim-form-for-the-spring-camera-rebate.pdf"_s
                             << 0;
    QTest::newRow("after a short word") << u"Model Supercalifragilisticexpialidocious"_s << 1;
}

void tst_PageDocument::aLongWordBreaksInsideItself() {
    QFETCH(QString, word);
    QFETCH(int, column);
    PageDocument document;
    document.start();
    QStringList row(5);
    row[column] = word;
    row[column + 1] = u"Next"_s;
    document.table(Orders, {row});
    document.end();

    const PageLine& line = document.page(1).lines.first();
    const PageCell& cell = line.cells.at(column);
    const QFontMetricsF metrics(PageDocument::bodyFont());
    QVERIFY(metrics.horizontalAdvance(word) * PageDocument::MinStretch > cell.rect.width());
    const QStringList lines = cell.lines();
    QVERIFY(lines.size() >= 2);
    QCOMPARE(cell.stretch, 1.0);
    for (const QString& part : lines) {
        QVERIFY(!part.isEmpty());
        QVERIFY2(metrics.horizontalAdvance(part) <= cell.rect.width() + 0.01, qPrintable(part));
    }
    // Every character printed, in order; a break at a space loses only the space.
    QCOMPARE(lines.join(QString()).remove(u' '), QString(word).remove(u' '));
    QCOMPARE(line.cells.at(column + 1).text, u"Next"_s);
    QVERIFY(cell.rect.right() < line.cells.at(column + 1).rect.left());
}

void tst_PageDocument::rightAlignedCellsStayRightAlignedOnEveryLine() {
    PageDocument document;
    document.start();
    const TableFormat totals(u"2880|>1440;"_s);
    const QString note = u"Refund for the returned lens hood, less postage"_s;
    document.table(totals, {{u"Total Due"_s, note}, {u"Total Received"_s, u"$1,229.47"_s}});
    document.end();

    const QList<PageLine>& lines = document.page(1).lines;
    const PageCell& cell = lines.first().cells.at(1);
    QCOMPARE(cell.alignment, Qt::AlignRight);
    QVERIFY(cell.lines().size() >= 3);
    checkWrapped(cell, PageDocument::bodyFont());
    QCOMPARE(words(cell.text), words(note));
    // The painter right-aligns each line within the box, so every line ends at its edge.
    QCOMPARE(cell.rect.right(), lines.at(1).cells.at(1).rect.right());
    QCOMPARE(lines.at(1).cells.at(1).alignment, Qt::AlignRight);
    QCOMPARE(lines.first().rect.height(), document.rowHeight(int(cell.lines().size())));
}

void tst_PageDocument::amountsKeepEveryDigit_data() {
    QTest::addColumn<QString>("amount");
    QTest::addColumn<bool>("oneLine");
    QTest::newRow("fits") << u"$1,234.56"_s << true;
    QTest::newRow("negative") << u"($1,234.56)"_s << true;
    QTest::newRow("large negative") << u"($12,345.67)"_s << true;
    QTest::newRow("euro") << u"-12 345,67 €"_s << true;
    QTest::newRow("krona") << u"-12 345,67 kr"_s << true;
    // Far too wide for the column even drawn narrower: it takes two lines, whole.
    QTest::newRow("billions") << u"($1,234,567,890.12)"_s << false;
}

void tst_PageDocument::amountsKeepEveryDigit() {
    QFETCH(QString, amount);
    QFETCH(bool, oneLine);
    PageDocument document;
    document.start();
    // The overdue report's narrow money column.
    const TableFormat overdue(u"2880|2880|1050|1050|1050|>1050;"_s);
    document.table(overdue,
                   {{u"a"_s, u"b"_s, u"12/31/2026"_s, u"2026-12-31"_s, u"Rebate"_s, amount}});
    document.end();
    const QFontMetricsF metrics(PageDocument::bodyFont());
    const PageLine& line = document.page(1).lines.first();
    for (const PageCell& cell : line.cells) {
        QVERIFY(!cell.text.contains(u'…'));
        for (const QString& part : cell.lines())
            QVERIFY(metrics.horizontalAdvance(part) * cell.stretch <= cell.rect.width() + 0.01);
    }
    // Dates stay on one line.
    QCOMPARE(line.cells.at(2).text, u"12/31/2026"_s);
    QCOMPARE(line.cells.at(3).text, u"2026-12-31"_s);
    const PageCell& money = line.cells.last();
    if (oneLine)
        QCOMPARE(money.text, amount);
    else
        QVERIFY(money.lines().size() > 1);
    QCOMPARE(money.lines().join(QString()).remove(u' '), QString(amount).remove(u' '));
}

void tst_PageDocument::missingCellsAreEmptyAndExtraCellsDropped() {
    PageDocument document;
    document.start();
    const TableFormat totals(u"8640|>1440;"_s);
    document.table(totals, {{u"Total Due"_s}, {u"a"_s, u"b"_s, u"c"_s}});
    document.end();
    const QList<PageLine>& lines = document.page(1).lines;
    QCOMPARE(texts(lines.at(0)), (QStringList{u"Total Due"_s, QString()}));
    QCOMPARE(texts(lines.at(1)), (QStringList{u"a"_s, u"b"_s}));
}

void tst_PageDocument::aTableWiderThanThePaperStopsAtTheMargin() {
    PageDocument document;
    document.setPageSize(QPageSize(QPageSize::A4));
    document.start();
    const TableFormat wide(u"4320|4320|4320|4320;"_s);
    document.table(wide, {{u"one"_s, u"two"_s, u"three"_s, u"four"_s}});
    document.end();
    const PageLine& line = document.page(1).lines.first();
    QCOMPARE(line.cells.size(), 3);
    for (const PageCell& cell : line.cells)
        QVERIFY(cell.rect.right() <= document.bodyRect().right());
}

void tst_PageDocument::lineBreaksInACellStartNewLines_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("printed");
    QTest::newRow("CR LF, LF and tab")
        << u"1 camera\r\n2 batteries\n3\tcases"_s << u"1 camera\n2 batteries\n3 cases"_s;
    QTest::newRow("CR alone") << u"one\rtwo"_s << u"one\ntwo"_s;
    QTest::newRow("line separator") << u"one\u2028two"_s << u"one\ntwo"_s;
    QTest::newRow("blank line kept") << u"one\r\n\r\ntwo"_s << u"one\n\ntwo"_s;
    // A memo saved with a last Enter gains no empty line.
    QTest::newRow("final break") << u"one\r\ntwo\r\n"_s << u"one\ntwo"_s;
    QTest::newRow("only a break") << u"\r\n"_s << QString();
}

void tst_PageDocument::lineBreaksInACellStartNewLines() {
    QFETCH(QString, text);
    QFETCH(QString, printed);
    PageDocument document;
    document.start();
    document.table(Orders, {{text, u"1/5/99"_s}});
    document.end();
    const QList<PageLine>& lines = document.page(1).lines;
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines.first().cells.first().text, printed);
    QCOMPARE(lines.first().cells.at(1).text, u"1/5/99"_s);
    QCOMPARE(lines.first().rect.height(), document.rowHeight(int(printed.count(u'\n')) + 1));
}

void tst_PageDocument::paragraphs_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("empty") << QString() << QStringList{{}};
    QTest::newRow("a line break") << u"\r\n"_s << QStringList{{}};
    QTest::newRow("text") << u"Totals follow"_s << QStringList{u"Totals follow"_s};
    QTest::newRow("two lines") << u"one\r\ntwo"_s << QStringList{u"one"_s, u"two"_s};
    QTest::newRow("blank between") << u"one\n\ntwo\n"_s << QStringList{u"one"_s, {}, u"two"_s};
}

void tst_PageDocument::paragraphs() {
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    PageDocument document;
    document.start();
    document.table(Orders, {orderRow(1)});
    document.paragraph(text);
    document.end();

    const QList<PageLine>& printed = document.page(1).lines;
    QCOMPARE(printed.size(), lines.size() + 1);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const PageLine& line = printed.at(i + 1);
        QCOMPARE(line.rect.height(), document.paragraphLineHeight());
        QCOMPARE(line.rect.top(), printed.at(i).rect.bottom());
        QCOMPARE(line.cells.isEmpty() ? QString() : line.cells.first().text, lines.at(i));
    }
}

void tst_PageDocument::aLongParagraphWrapsAtTheMargin() {
    const QString text =
        u"These totals include every order received before the end of the month. "_s.repeated(6);
    PageDocument document;
    document.start();
    document.paragraph(text + u"\r\nDone"_s);
    document.end();

    const QList<PageLine>& lines = document.page(1).lines;
    QVERIFY(lines.size() >= 4);
    QCOMPARE(lines.last().cells.first().text, u"Done"_s);
    QStringList printed;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const PageLine& line = lines.at(i);
        QCOMPARE(line.rect.height(), document.paragraphLineHeight());
        QCOMPARE(line.cells.size(), 1);
        checkWrapped(line.cells.first(), PageDocument::bodyFont());
        QVERIFY(!line.cells.first().text.contains(u'\n'));
        printed.append(words(line.cells.first().text));
    }
    QCOMPARE(printed, words(text));
}

QTEST_MAIN(tst_PageDocument)
#include "tst_PageDocument.moc"

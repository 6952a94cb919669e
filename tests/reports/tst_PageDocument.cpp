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
    void aLongCellIsShortenedToItsColumn();
    void amountsKeepEveryDigit_data();
    void amountsKeepEveryDigit();
    void missingCellsAreEmptyAndExtraCellsDropped();
    void aTableWiderThanThePaperStopsAtTheMargin();
    void lineBreaksInACellPrintAsSpaces();
    void paragraphs_data();
    void paragraphs();
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

void tst_PageDocument::aLongCellIsShortenedToItsColumn() {
    PageDocument document;
    document.start();
    const QString longText = u"Extremely long description of a purchase "_s.repeated(5);
    document.table(Orders, {{longText, u"1/5/99"_s, u"Partially"_s, QString(), u"Vendor"_s}});
    document.end();

    const PageLine& line = document.page(1).lines.first();
    const QFontMetricsF metrics(PageDocument::bodyFont());
    const PageCell& first = line.cells.at(0);
    QVERIFY(first.text.endsWith(u'…'));
    QVERIFY(longText.startsWith(first.text.chopped(1)));
    QVERIFY(first.text.size() > 10);
    QCOMPARE(first.stretch, 1.0);
    QVERIFY(metrics.horizontalAdvance(first.text) <= first.rect.width());
    // A word a little too wide for the narrow status column is drawn narrower, whole.
    const PageCell& status = line.cells.at(2);
    QCOMPARE(status.text, u"Partially"_s);
    QVERIFY(status.stretch < 1);
    QVERIFY(status.stretch >= PageDocument::MinStretch);
    QVERIFY(metrics.horizontalAdvance(status.text) * status.stretch <= status.rect.width() + 0.01);
    // Text that fits is left alone.
    QCOMPARE(line.cells.at(1).text, u"1/5/99"_s);
    QCOMPARE(line.cells.at(1).stretch, 1.0);
}

void tst_PageDocument::amountsKeepEveryDigit_data() {
    QTest::addColumn<QString>("amount");
    QTest::newRow("fits") << u"$1,234.56"_s;
    QTest::newRow("negative") << u"($1,234.56)"_s;
    QTest::newRow("large negative") << u"($12,345.67)"_s;
    QTest::newRow("euro") << u"-12 345,67 €"_s;
}

void tst_PageDocument::amountsKeepEveryDigit() {
    QFETCH(QString, amount);
    PageDocument document;
    document.start();
    // The overdue report's narrow money column.
    const TableFormat overdue(u"2880|2880|1050|1050|1050|>1050;"_s);
    document.table(overdue,
                   {{u"a"_s, u"b"_s, u"12/31/2026"_s, u"2026-12-31"_s, u"Rebate"_s, amount}});
    document.end();
    const QFontMetricsF metrics(PageDocument::bodyFont());
    for (const PageCell& cell : document.page(1).lines.first().cells) {
        QVERIFY(!cell.text.contains(u'…'));
        QVERIFY(metrics.horizontalAdvance(cell.text) * cell.stretch <= cell.rect.width() + 0.01);
    }
    QCOMPARE(document.page(1).lines.first().cells.last().text, amount);
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

void tst_PageDocument::lineBreaksInACellPrintAsSpaces() {
    PageDocument document;
    document.start();
    document.table(Orders, {{u"1 camera\r\n2 batteries\n3\tcases"_s}});
    document.end();
    QCOMPARE(document.page(1).lines.first().cells.first().text, u"1 camera 2 batteries 3 cases"_s);
    QCOMPARE(document.page(1).lines.size(), 1);
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

QTEST_MAIN(tst_PageDocument)
#include "tst_PageDocument.moc"

#include "reports/PageDocument.h"
#include "reports/PagePainter.h"

#include "support/PdfText.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const TableFormat Rebates(u"2880|2880|1440|1440|>1440;"_s);
const QStringList RebateTitles = {u"Description"_s, u"Vendor"_s, u"Date Ordered"_s, u"Rec'd"_s,
                                  u"Amount"_s};
const QString Title = u"Rebates for 1/1/99 to 12/31/99"_s;

// A rebate list of several pages with the headings repeated in bold, as reports print it.
void buildReport(PageDocument& document, int rows, const QStringList& special = {}) {
    QObject::connect(&document, &PageDocument::newPage, &document, [&document] {
        document.setBold(true);
        document.table(Rebates, {RebateTitles});
        document.setBold(false);
    });
    document.start();
    document.setHeader(u"|"_s + Title + u"|Page %d"_s);
    for (int i = 1; i <= rows; ++i) {
        document.table(Rebates, {{u"Rebate %1"_s.arg(i), u"Store %1"_s.arg(i % 7), u"3/4/99"_s,
                                  u"No"_s, u"$%1.50"_s.arg(i * 3)}});
    }
    if (!special.isEmpty())
        document.table(Rebates, {special});
    document.paragraph();
    document.table(TableFormat(u"8640|>1440;"_s), {{u"Total Due"_s, u"$12,345.00"_s}});
    document.end();
}

// Where a column's text starts in pdftotext's layout of a heading line.
qsizetype columnOf(const QString& headingLine, const QString& title) {
    return headingLine.indexOf(title);
}

// A word of the first page as pdftotext finds it, with its box in points.
struct Word {
    QString text;
    QRectF box;
};

QList<Word> wordsOnFirstPage(const QString& path) {
    QList<Word> words;
    QXmlStreamReader xml(
        pdf::run(QStringLiteral(PVX_PDFTOTEXT_TOOL), {u"-bbox"_s, u"-l"_s, u"1"_s, path, u"-"_s}));
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"word"_s)
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        const QPointF topLeft(a.value(u"xMin"_s).toDouble(), a.value(u"yMin"_s).toDouble());
        const QPointF bottomRight(a.value(u"xMax"_s).toDouble(), a.value(u"yMax"_s).toDouble());
        words.append({xml.readElementText(), QRectF(topLeft, bottomRight)});
    }
    return words;
}

} // namespace

class tst_PagePainter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void everyPageReadsBackWithHeaderAndHeadings();
    void cellsStayInTheirColumnsOnPaper();
    void aLongCellWrapsInsideItsColumn();
    void aNarrowHeadingWrapsToTwoLines();
    void rightAlignedLinesEndAtTheColumnEdge();
    void headingsAreBold();
    void paperAndOrientationReachThePdf_data();
    void paperAndOrientationReachThePdf();
    void aPdfReplacesAnOlderFileWhole();
    void aPdfThatCannotBeWrittenLeavesNothing();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_PagePainter::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_PagePainter::everyPageReadsBackWithHeaderAndHeadings() {
    PageDocument document;
    document.setPageSize(QPageSize(QPageSize::Letter));
    buildReport(document, 140);
    QVERIFY(document.pageCount() >= 3);
    const QString path = m_dir->filePath(u"report.pdf"_s);
    QString error;
    QVERIFY2(writePdf(document, path, &error), qPrintable(error));

    const QStringList pages = pdf::pages(path);
    QCOMPARE(pages.size(), document.pageCount());
    int row = 0;
    for (int number = 1; number <= pages.size(); ++number) {
        const QStringList lines = pdf::textLines(pages.at(number - 1));
        QVERIFY(lines.size() >= 3);
        // The header: title in the centre, the page's own number on the right.
        QVERIFY2(lines.at(0).contains(Title), qPrintable(lines.at(0)));
        QVERIFY2(lines.at(0).trimmed().endsWith(u"Page %1"_s.arg(number)), qPrintable(lines.at(0)));
        QVERIFY(lines.at(0).indexOf(Title) > 10);
        // The headings are the first line of the body on every page.
        const QStringList heading = lines.at(1).simplified().split(u' ');
        QCOMPARE(heading.first(), u"Description"_s);
        QVERIFY2(lines.at(1).contains(u"Date Ordered"_s), qPrintable(lines.at(1)));
        QVERIFY(lines.at(1).trimmed().endsWith(u"Amount"_s));
        // Then the rows carry on where the page before stopped.
        for (qsizetype i = 2; i < lines.size(); ++i) {
            const QString first = lines.at(i).simplified().section(u' ', 0, 1);
            if (first.startsWith(u"Rebate "_s))
                QCOMPARE(first, u"Rebate %1"_s.arg(++row));
        }
    }
    QCOMPARE(row, 140);
    QVERIFY(pdf::textLines(pages.last()).last().contains(u"Total Due"_s));
}

void tst_PagePainter::cellsStayInTheirColumnsOnPaper() {
    PageDocument document;
    const QStringList special = {u"Cable|adapter;2"_s, u"A;B|C"_s, u"3/4/99"_s, u"Yes"_s,
                                 u"$7.25"_s};
    buildReport(document, 3, special);
    const QString path = m_dir->filePath(u"cells.pdf"_s);
    QVERIFY(writePdf(document, path));

    const QStringList lines = pdf::textLines(pdf::pages(path).first());
    const QString heading = lines.at(1);
    qsizetype found = -1;
    for (qsizetype i = 2; i < lines.size(); ++i) {
        if (lines.at(i).contains(u"Cable|adapter;2"_s))
            found = i;
    }
    QVERIFY(found > 0);
    const QString line = lines.at(found);
    // Each text starts under its own heading: a "|" or ";" in a value split nothing.
    QCOMPARE(columnOf(line, u"Cable|adapter;2"_s), columnOf(heading, u"Description"_s));
    QCOMPARE(columnOf(line, u"A;B|C"_s), columnOf(heading, u"Vendor"_s));
    QCOMPARE(columnOf(line, u"3/4/99"_s), columnOf(heading, u"Date Ordered"_s));
    QCOMPARE(columnOf(line, u"Yes"_s), columnOf(heading, u"Rec'd"_s));
    // Money keeps to the right edge of its column, under the heading's end.
    const QString rebate = lines.at(2);
    QVERIFY(rebate.contains(u"$3.50"_s));
    QCOMPARE(line.indexOf(u"$7.25"_s) + 5, rebate.indexOf(u"$3.50"_s) + 5);
    // pdftotext places text by character cells, so edges agree to within one.
    const auto end = [](const QString& text) {
        return text.indexOf(text.trimmed()) + text.trimmed().size();
    };
    QVERIFY(std::abs(end(line) - end(heading)) <= 1);
}

void tst_PagePainter::aLongCellWrapsInsideItsColumn() {
    PageDocument document;
    const QString longText = u"Professional camera body with three lenses and a bag"_s;
    buildReport(document, 1, {longText, u"Vendor"_s, u"3/4/99"_s, u"No"_s, u"$1.00"_s});
    const QString path = m_dir->filePath(u"long.pdf"_s);
    QVERIFY(writePdf(document, path));

    const QStringList lines = pdf::textLines(pdf::pages(path).first());
    const qsizetype vendorColumn = columnOf(lines.at(1), u"Vendor"_s);
    qsizetype found = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines.at(i).contains(u"Professional"_s))
            found = i;
    }
    QVERIFY(found > 0);
    QCOMPARE(columnOf(lines.at(found), u"Vendor"_s), vendorColumn);
    QCOMPARE(columnOf(lines.at(found), u"Professional"_s), columnOf(lines.at(1), u"Description"_s));
    // The rest follows on the lines below, in the description's column only.
    QStringList printed = {lines.at(found).left(vendorColumn).simplified()};
    for (qsizetype i = found + 1; i < lines.size() && !lines.at(i).contains(u"Total"_s); ++i) {
        const QString& line = lines.at(i);
        QVERIFY2(line.trimmed().size() + line.indexOf(line.trimmed()) < vendorColumn,
                 qPrintable(line));
        QCOMPARE(columnOf(line, line.trimmed()), columnOf(lines.at(1), u"Description"_s));
        printed.append(line.simplified());
    }
    QVERIFY(printed.size() >= 2);
    QCOMPARE(printed.join(u' '), longText);
    QVERIFY(!pdf::pages(path).first().contains(u'…'));
}

void tst_PagePainter::aNarrowHeadingWrapsToTwoLines() {
    // The overdue report's layout: "Date Ordered" is wider than 1,050 twips in bold.
    const TableFormat overdue(u"2880|2880|1050|1050|1050|>1050;"_s);
    const QStringList titles = {u"Description"_s, u"Vendor"_s, u"Date Ordered"_s,
                                u"Date Due"_s,    u"Type"_s,   u"Amount"_s};
    PageDocument document;
    QObject::connect(&document, &PageDocument::newPage, &document, [&] {
        document.setBold(true);
        document.table(overdue, {titles});
        document.setBold(false);
    });
    document.start();
    document.setHeader(u"|OverDue Orders/Rebates/Sales|Page %d"_s);
    for (int i = 1; i <= 80; ++i) {
        document.table(overdue, {{u"Item %1"_s.arg(i), u"Store"_s, u"12/31/2026"_s, u"1/2/2027"_s,
                                  u"Rebate"_s, u"($12,345.67)"_s}});
    }
    document.end();
    QVERIFY(document.pageCount() >= 2);
    const QString path = m_dir->filePath(u"overdue.pdf"_s);
    QVERIFY(writePdf(document, path));

    const QStringList pages = pdf::pages(path);
    QCOMPARE(pages.size(), document.pageCount());
    for (const QString& page : pages) {
        QVERIFY(!page.contains(u'…'));
        const QStringList lines = pdf::textLines(page);
        const QString first = lines.at(1);
        const QString second = lines.at(2);
        QCOMPARE(first.simplified(), u"Description Vendor Date Date Due Type Amount"_s);
        QCOMPARE(second.simplified(), u"Ordered"_s);
        // Both words in the third column, one under the other.
        const qsizetype column = first.indexOf(u"Date"_s);
        QCOMPARE(columnOf(second, u"Ordered"_s), column);
        QVERIFY(column > columnOf(first, u"Vendor"_s));
        QVERIFY(column < first.indexOf(u"Date Due"_s));
        // The rows start below the heading, dates and amounts whole.
        QVERIFY2(lines.at(3).contains(u"12/31/2026"_s), qPrintable(lines.at(3)));
        QVERIFY2(lines.at(3).contains(u"($12,345.67)"_s), qPrintable(lines.at(3)));
    }
}

void tst_PagePainter::rightAlignedLinesEndAtTheColumnEdge() {
    PageDocument document;
    const QString note = u"Refund for the returned lens hood, less postage"_s;
    buildReport(document, 2, {u"Returned"_s, u"Store"_s, u"3/4/99"_s, u"Yes"_s, note});
    const QString path = m_dir->filePath(u"right.pdf"_s);
    QVERIFY(writePdf(document, path));

    const QList<Word> words = wordsOnFirstPage(path);
    const auto find = [&words](const QString& text) {
        const auto it = std::find_if(words.begin(), words.end(),
                                     [&text](const Word& word) { return word.text == text; });
        return it == words.end() ? QRectF() : it->box;
    };
    const QRectF heading = find(u"Amount"_s);
    const QRectF rowStart = find(u"Returned"_s);
    const QRectF status = find(u"Yes"_s);
    const QRectF total = find(u"Total"_s);
    QVERIFY(!heading.isNull() && !rowStart.isNull() && !status.isNull() && !total.isNull());
    // The note's words, line by line from the row's top down to the totals.
    QMap<int, QList<Word>> lines;
    for (const Word& word : words) {
        if (word.box.left() > status.right() && word.box.top() >= rowStart.top() - 1 &&
            word.box.bottom() < total.top())
            lines[qRound(word.box.top())].append(word);
    }
    QVERIFY(lines.size() >= 3);
    // The first line shares the row's line with the other cells.
    QVERIFY(std::abs(lines.firstKey() - rowStart.top()) < 1);
    QStringList printed;
    for (const QList<Word>& line : std::as_const(lines)) {
        double right = 0;
        for (const Word& word : line) {
            printed.append(word.text);
            right = std::max(right, word.box.right());
        }
        // Every line ends at the column's right edge, where the heading ends.
        QVERIFY2(std::abs(right - heading.right()) < 0.5,
                 qPrintable(u"%1 against %2"_s.arg(right).arg(heading.right())));
    }
    QCOMPARE(printed.join(u' '), note);
}

void tst_PagePainter::headingsAreBold() {
    PageDocument document;
    buildReport(document, 5);
    const QString path = m_dir->filePath(u"fonts.pdf"_s);
    QVERIFY(writePdf(document, path));
    const QString fonts = pdf::fonts(path);
    QVERIFY2(fonts.contains(u"Bold"_s), qPrintable(fonts));
    QVERIFY2(fonts.contains(u"LiberationSerif"_s) || fonts.contains(u"TimesNewRoman"_s),
             qPrintable(fonts));
}

void tst_PagePainter::paperAndOrientationReachThePdf_data() {
    QTest::addColumn<QPageSize>("paper");
    QTest::addColumn<QPageLayout::Orientation>("orientation");
    QTest::addColumn<QSizeF>("points");
    QTest::newRow("Letter") << QPageSize(QPageSize::Letter) << QPageLayout::Portrait
                            << QSizeF(612, 792);
    QTest::newRow("Letter landscape")
        << QPageSize(QPageSize::Letter) << QPageLayout::Landscape << QSizeF(792, 612);
    QTest::newRow("A4") << QPageSize(QPageSize::A4) << QPageLayout::Portrait
                        << QSizeF(595.3, 841.9);
}

void tst_PagePainter::paperAndOrientationReachThePdf() {
    QFETCH(QPageSize, paper);
    QFETCH(QPageLayout::Orientation, orientation);
    QFETCH(QSizeF, points);
    PageDocument document;
    document.setPageSize(paper);
    document.setOrientation(orientation);
    buildReport(document, 2);
    const QString path = m_dir->filePath(u"paper.pdf"_s);
    QVERIFY(writePdf(document, path));
    // "612 x 792 pts (letter)"
    const QString size = pdf::info(path, u"Page size"_s);
    const QStringList parts = size.split(u' ');
    QVERIFY2(parts.size() >= 3, qPrintable(size));
    QVERIFY2(std::abs(parts.at(0).toDouble() - points.width()) < 1, qPrintable(size));
    QVERIFY2(std::abs(parts.at(2).toDouble() - points.height()) < 1, qPrintable(size));
}

void tst_PagePainter::aPdfReplacesAnOlderFileWhole() {
    const QString path = m_dir->filePath(u"report.pdf"_s);
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(200000, 'x'));
    old.close();

    PageDocument document;
    buildReport(document, 60);
    QVERIFY(writePdf(document, path));
    QFile written(path);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(written.read(5) == "%PDF-");
    QVERIFY(!written.readAll().contains("xxxxxxxxxx"));
    QCOMPARE(pdf::pages(path).size(), document.pageCount());
    // No work file is left beside it.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{u"report.pdf"_s});
}

void tst_PagePainter::aPdfThatCannotBeWrittenLeavesNothing() {
    PageDocument document;
    buildReport(document, 5);
    const QString path = m_dir->filePath(u"missing/report.pdf"_s);
    QString error;
    QVERIFY(!writePdf(document, path, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!QFile::exists(path));
    QVERIFY(
        QDir(m_dir->path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
}

QTEST_MAIN(tst_PagePainter)
#include "tst_PagePainter.moc"

#include "reports/PageDocument.h"
#include "reports/PagePainter.h"

#include "PdfText.h"

#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
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

} // namespace

class tst_PagePainter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void everyPageReadsBackWithHeaderAndHeadings();
    void cellsStayInTheirColumnsOnPaper();
    void aLongCellDoesNotReachTheNextColumn();
    void headingsAreBold();
    void paperAndOrientationReachThePdf_data();
    void paperAndOrientationReachThePdf();
    void aPdfReplacesAnOlderFileWhole();
    void aPdfThatCannotBeWrittenLeavesNothing();
    void printingOnSmallerPaperStillShowsTheWholePage();

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

void tst_PagePainter::aLongCellDoesNotReachTheNextColumn() {
    PageDocument document;
    const QString longText = u"Professional camera body with three lenses and a bag"_s;
    buildReport(document, 1, {longText, u"Vendor"_s, u"3/4/99"_s, u"No"_s, u"$1.00"_s});
    const QString path = m_dir->filePath(u"long.pdf"_s);
    QVERIFY(writePdf(document, path));

    const QStringList lines = pdf::textLines(pdf::pages(path).first());
    qsizetype found = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines.at(i).contains(u"Professional"_s))
            found = i;
    }
    QVERIFY(found > 0);
    const QString line = lines.at(found);
    QVERIFY2(!line.contains(u"a bag"_s), qPrintable(line));
    QVERIFY(line.contains(u'…'));
    QCOMPARE(columnOf(line, u"Vendor"_s), columnOf(lines.at(1), u"Vendor"_s));
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

void tst_PagePainter::printingOnSmallerPaperStillShowsTheWholePage() {
    PageDocument document;
    document.setPageSize(QPageSize(QPageSize::Letter));
    document.setOrientation(QPageLayout::Landscape);
    buildReport(document, 1);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A5));
    const QString path = m_dir->filePath(u"a5.pdf"_s);
    printer.setOutputFileName(path);
    QVERIFY(printDocument(document, printer));

    const QStringList lines = pdf::textLines(pdf::pages(path).first());
    QVERIFY(lines.first().contains(u"Page 1"_s));
    QVERIFY(lines.last().contains(u"$12,345.00"_s));
    // The report's orientation, on the paper the printer has.
    const QStringList size = pdf::info(path, u"Page size"_s).split(u' ');
    QVERIFY(size.size() >= 3);
    QVERIFY(std::abs(size.at(0).toDouble() - 595) < 1); // A5 across
    QVERIFY(std::abs(size.at(2).toDouble() - 420) < 1);
}

QTEST_MAIN(tst_PagePainter)
#include "tst_PagePainter.moc"

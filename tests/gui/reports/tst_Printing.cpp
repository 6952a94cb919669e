#include "gui/reports/Printing.h"
#include "reports/PageDocument.h"

#include "support/PdfText.h"

#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

// Reports printed on a printer, here one that prints to a PDF file.
class tst_Printing : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void printingOnSmallerPaperStillShowsTheWholePage();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_Printing::printingOnSmallerPaperStillShowsTheWholePage() {
    PageDocument document;
    document.setPageSize(QPageSize(QPageSize::Letter));
    document.setOrientation(QPageLayout::Landscape);
    document.start();
    document.setHeader(u"|Rebates|Page %d"_s);
    document.table(TableFormat(u"8640|>1440;"_s), {{u"Total Due"_s, u"$12,345.00"_s}});
    document.end();
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

QTEST_MAIN(tst_Printing)
#include "tst_Printing.moc"

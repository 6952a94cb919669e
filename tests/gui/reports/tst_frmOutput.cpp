#include "gui/reports/frmOutput.h"

#include "gui/reports/PagePreview.h"

#include "gui/app/ElasticLayout.h"
#include "gui/help/HelpContext.h"
#include "gui/support/FakeServices.h"
#include "support/PdfText.h"

#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const TableFormat Orders(u"2880|1440|720|1440|2880;"_s);
const QStringList OrderTitles = {u"Description"_s, u"Order Date"_s, u"Rec'd"_s, u"Date Received"_s,
                                 u"Vendor"_s};

// Runs a list report through the window the way the reports do.
void runReport(frmOutput& out, int rows, const QString& title = u"Orders"_s,
               QPageLayout::Orientation orientation = QPageLayout::Portrait) {
    out.setRepeatHeader(Orders, OrderTitles);
    out.startDoc(orientation);
    out.setHeader(u"|"_s + title + u" for 1/1/99 to 12/31/99|Page %d"_s);
    for (int i = 1; i <= rows; ++i)
        out.tableRow(Orders, {u"%1 %2"_s.arg(title).arg(i), u"2/3/99"_s, u"No"_s, QString(),
                              u"Vendor %1"_s.arg(i)});
    out.endDoc();
    out.showWindow();
}

// Checks a printed report page by page: the header with the page's number, then the
// headings as the first line of the body.
void verifyPrinted(const QString& path, int pageCount, const QString& title) {
    const QStringList pages = pdf::pages(path);
    QCOMPARE(pages.size(), pageCount);
    for (int number = 1; number <= pageCount; ++number) {
        const QStringList lines = pdf::textLines(pages.at(number - 1));
        QVERIFY(lines.size() >= 2);
        QVERIFY2(lines.at(0).contains(title), qPrintable(lines.at(0)));
        QVERIFY2(lines.at(0).trimmed().endsWith(u"Page %1"_s.arg(number)), qPrintable(lines.at(0)));
        QVERIFY2(lines.at(1).simplified().startsWith(u"Description Order Date Rec'd"_s),
                 qPrintable(lines.at(1)));
    }
}

} // namespace

class tst_frmOutput : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void opensAsTheDesignSays();
    void pageBarCoversTheDocument_data();
    void pageBarCoversTheDocument();
    void pageBarShowsThePageChosen();
    void zoomResizesThePage_data();
    void zoomResizesThePage();
    void headingsRepeatOnlyWhenAsked();
    void landscapeShowsAWidePage();
    void printTwicePrintsTwice();
    void printWithoutAPrinterDoesNothing();
    void aFailedPrintSaysSo();
    void nothingToPrintBeforeAReport();
    void saveAsPdfWritesTheReport();
    void cancellingSaveWritesNothing();
    void aFailedSaveSaysSoAndLeavesNoFile();
    void aSecondReportReplacesTheFirstInTheSameWindow();
    void okClosesTheWindowAndItsDocument();
    void keysTurnAndZoomThePages_data();
    void keysTurnAndZoomThePages();

private:
    FakeServices m_services;
    QPointer<frmOutput> m_out;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_frmOutput::init() {
    m_services = FakeServices();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_out = new frmOutput(m_services);
}

void tst_frmOutput::cleanup() {
    delete m_out.data();
}

void tst_frmOutput::opensAsTheDesignSays() {
    frmOutput& out = *m_out;
    QCOMPARE(out.windowTitle(), u"Report Output"_s);
    QCOMPARE(out.windowModality(), Qt::NonModal);
    QVERIFY(out.isWindow());
    QCOMPARE(helpContext(&out), 37);
    QCOMPARE(out.elasticLayout()->designSize(), QSize(8580, 5715));

    const auto* viewport = out.findChild<QScrollArea*>(u"vsViewPort1"_s);
    QVERIFY(viewport);
    QCOMPARE(viewport->widget(), out.findChild<PagePreview*>(u"vsPrinter"_s));
    QCOMPARE(out.elasticLayout()->designRect(viewport), QRect(120, 120, 7695, 4815));

    const auto* page = out.findChild<QScrollBar*>(u"scrlPage"_s);
    QVERIFY(page);
    QCOMPARE(page->orientation(), Qt::Vertical);
    QCOMPARE(page->minimum(), 1);
    QCOMPARE(page->maximum(), 1);
    QCOMPARE(page->singleStep(), 1);
    QCOMPARE(page->pageStep(), 2);
    QCOMPARE(page->value(), 1);

    const auto* zoom = out.findChild<QScrollBar*>(u"scrlZoom"_s);
    QVERIFY(zoom);
    QCOMPARE(zoom->orientation(), Qt::Horizontal);
    QCOMPARE(zoom->minimum(), 10);
    QCOMPARE(zoom->maximum(), 250);
    QCOMPARE(zoom->singleStep(), 10);
    QCOMPARE(zoom->pageStep(), 50);
    QCOMPARE(zoom->value(), 60);
    QCOMPARE(out.vsPrinter->zoom(), 60);

    const auto* picture = out.findChild<QLabel*>(u"Picture1"_s);
    QVERIFY(picture);
    QVERIFY(!picture->pixmap().isNull());
    QCOMPARE(out.findChild<QPushButton*>(u"cmdPrint"_s)->text(), u"&Print"_s);
    QCOMPARE(out.findChild<QPushButton*>(u"cmdOk"_s)->text(), u"&Ok"_s);
    QCOMPARE(out.findChild<QPushButton*>(u"cmdSavePdf"_s)->text(), u"Save as P&DF..."_s);
}

void tst_frmOutput::pageBarCoversTheDocument_data() {
    QTest::addColumn<int>("rows");
    QTest::newRow("one page") << 5;
    QTest::newRow("no rows") << 0;
    QTest::newRow("several pages") << 150;
}

void tst_frmOutput::pageBarCoversTheDocument() {
    QFETCH(int, rows);
    runReport(*m_out, rows);
    const int pages = m_out->pageCount();
    QVERIFY(pages >= 1);
    QCOMPARE(pages > 1, rows > 100);
    QCOMPARE(m_out->scrlPage->minimum(), 1);
    QCOMPARE(m_out->scrlPage->maximum(), pages);
    QCOMPARE(m_out->scrlPage->value(), 1);
    QCOMPARE(m_out->vsPrinter->page(), 1);
    // A one-page report leaves the bar nowhere to go.
    m_out->scrlPage->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(m_out->scrlPage->value(), std::min(2, pages));
}

void tst_frmOutput::pageBarShowsThePageChosen() {
    runReport(*m_out, 150);
    QVERIFY(m_out->pageCount() >= 3);
    m_out->scrlPage->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(m_out->scrlPage->value(), 3);
    QCOMPARE(m_out->vsPrinter->page(), 3);
    m_out->scrlPage->triggerAction(QAbstractSlider::SliderToMaximum);
    QCOMPARE(m_out->vsPrinter->page(), m_out->pageCount());
    m_out->scrlPage->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QCOMPARE(m_out->vsPrinter->page(), m_out->pageCount() - 1);
}

void tst_frmOutput::zoomResizesThePage_data() {
    QTest::addColumn<int>("zoom");
    QTest::newRow("10 %") << 10;
    QTest::newRow("100 %") << 100;
    QTest::newRow("250 %") << 250;
}

void tst_frmOutput::zoomResizesThePage() {
    QFETCH(int, zoom);
    m_out->document().setPageSize(QPageSize(QPageSize::Letter));
    runReport(*m_out, 3);
    const QSizeF paperInches = m_out->document().paperSize() / 1440.0;
    m_out->scrlZoom->setValue(zoom);

    const QSize size = m_out->vsViewPort1->widget()->size();
    const double dpiX = m_out->vsPrinter->logicalDpiX();
    const double dpiY = m_out->vsPrinter->logicalDpiY();
    QVERIFY(std::abs(size.width() - paperInches.width() * dpiX * zoom / 100) <= 1);
    QVERIFY(std::abs(size.height() - paperInches.height() * dpiY * zoom / 100) <= 1);
    // The viewport scrolls over the whole page once it is larger than the view.
    if (zoom == 250) {
        QTRY_VERIFY(m_out->vsViewPort1->verticalScrollBar()->maximum() > 0);
        QVERIFY(m_out->vsViewPort1->horizontalScrollBar()->maximum() > 0);
    }
}

void tst_frmOutput::headingsRepeatOnlyWhenAsked() {
    runReport(*m_out, 150);
    PageDocument& document = m_out->document();
    for (int number = 1; number <= document.pageCount(); ++number) {
        const PageLine& first = document.page(number).lines.first();
        QVERIFY(first.bold);
        QCOMPARE(first.cells.first().text, u"Description"_s);
        QVERIFY(!document.page(number).lines.at(1).bold);
    }

    m_out->clearRepeatHeader();
    m_out->startDoc();
    for (int i = 1; i <= 150; ++i)
        m_out->tableRow(Orders, {u"Row %1"_s.arg(i)});
    m_out->endDoc();
    for (int number = 1; number <= document.pageCount(); ++number)
        QVERIFY(document.page(number).lines.first().cells.first().text.startsWith(u"Row "_s));
}

void tst_frmOutput::landscapeShowsAWidePage() {
    runReport(*m_out, 3, u"Custom"_s, QPageLayout::Landscape);
    const QSize size = m_out->vsPrinter->size();
    QVERIFY(size.width() > size.height());
    runReport(*m_out, 3);
    QVERIFY(m_out->vsPrinter->width() < m_out->vsPrinter->height());
}

void tst_frmOutput::printTwicePrintsTwice() {
    runReport(*m_out, 120);
    const QString first = m_dir->filePath(u"first.pdf"_s);
    const QString second = m_dir->filePath(u"second.pdf"_s);
    m_services.printerPdfPath = first;
    QTest::mouseClick(m_out->cmdPrint, Qt::LeftButton);
    m_services.printerPdfPath = second;
    QTest::mouseClick(m_out->cmdPrint, Qt::LeftButton);

    QCOMPARE(m_services.printJobs, 2);
    QVERIFY(m_out->pageCount() >= 3);
    verifyPrinted(first, m_out->pageCount(), u"Orders for"_s);
    verifyPrinted(second, m_out->pageCount(), u"Orders for"_s);
    QVERIFY(pdf::fonts(second).contains(u"Bold"_s));
    QVERIFY(m_services.messages.isEmpty());
    QVERIFY(!m_services.isBusy() && !m_services.hourglass);
    QVERIFY(m_services.busyCalls > 0);
    QVERIFY(m_out->isVisible());
}

void tst_frmOutput::printWithoutAPrinterDoesNothing() {
    runReport(*m_out, 10);
    m_services.printerPdfPath.clear();
    QTest::mouseClick(m_out->cmdPrint, Qt::LeftButton);
    QCOMPARE(m_services.printJobs, 0);
    QVERIFY(m_services.messages.isEmpty());
    QCOMPARE(m_services.busyCalls, 0);
    QVERIFY(QDir(m_dir->path()).isEmpty());
    QVERIFY(m_out->isVisible());
}

void tst_frmOutput::aFailedPrintSaysSo() {
    runReport(*m_out, 10);
    m_services.printerPdfPath = m_dir->filePath(u"no such folder/printed.pdf"_s);
    QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
    QTest::mouseClick(m_out->cmdPrint, Qt::LeftButton);
    QCOMPARE(m_services.messages.size(), 1);
    QCOMPARE(m_services.messages.first().text,
             u"The report could not be printed.  Check that the printer is ready, then try "
             u"again."_s);
    QCOMPARE(m_services.messages.first().buttons, MsgButtons::Ok);
    QVERIFY(!m_services.isBusy() && !m_services.hourglass);
    QVERIFY(m_out->isVisible());
}

void tst_frmOutput::nothingToPrintBeforeAReport() {
    m_services.printerPdfPath = m_dir->filePath(u"printed.pdf"_s);
    m_services.nextSaveFileName = m_dir->filePath(u"saved.pdf"_s);
    QTest::mouseClick(m_out->cmdPrint, Qt::LeftButton);
    QTest::mouseClick(m_out->cmdSavePdf, Qt::LeftButton);
    QCOMPARE(m_services.printJobs, 0);
    QVERIFY(m_services.saveDialogs.isEmpty());
    QVERIFY(QDir(m_dir->path()).isEmpty());
}

void tst_frmOutput::saveAsPdfWritesTheReport() {
    runReport(*m_out, 150, u"Sales"_s);
    const QString path = m_dir->filePath(u"sales.pdf"_s);
    m_services.nextSaveFileName = path;
    QTest::mouseClick(m_out->cmdSavePdf, Qt::LeftButton);

    QCOMPARE(m_services.saveDialogs, QStringList{u"report.pdf"_s});
    QVERIFY(m_services.messages.isEmpty());
    QVERIFY(!m_services.isBusy() && !m_services.hourglass);
    verifyPrinted(path, m_out->pageCount(), u"Sales for"_s);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{u"sales.pdf"_s});
}

void tst_frmOutput::cancellingSaveWritesNothing() {
    runReport(*m_out, 10);
    m_services.nextSaveFileName.clear();
    QTest::mouseClick(m_out->cmdSavePdf, Qt::LeftButton);
    QCOMPARE(m_services.saveDialogs.size(), 1);
    QVERIFY(m_services.messages.isEmpty());
    QCOMPARE(m_services.busyCalls, 0);
    QVERIFY(QDir(m_dir->path()).isEmpty());
}

void tst_frmOutput::aFailedSaveSaysSoAndLeavesNoFile() {
    runReport(*m_out, 10);
    const QString path = m_dir->filePath(u"no such folder/report.pdf"_s);
    m_services.nextSaveFileName = path;
    QTest::mouseClick(m_out->cmdSavePdf, Qt::LeftButton);
    QCOMPARE(m_services.messages.size(), 1);
    QVERIFY2(m_services.messages.first().text.startsWith(u"The report could not be saved as "_s +
                                                         QDir::toNativeSeparators(path) + u".  "_s),
             qPrintable(m_services.messages.first().text));
    QVERIFY(!m_services.isBusy() && !m_services.hourglass);
    QVERIFY(QDir(m_dir->path()).isEmpty());
}

void tst_frmOutput::aSecondReportReplacesTheFirstInTheSameWindow() {
    runReport(*m_out, 150, u"Orders"_s);
    QVERIFY(m_out->pageCount() >= 3);
    m_out->scrlZoom->setValue(150);
    m_out->scrlPage->setValue(2);
    const QSize zoomed = m_out->vsPrinter->size();
    frmOutput* window = m_out;

    runReport(*m_out, 110, u"Rebates"_s);
    QCOMPARE(m_out.data(), window);
    QVERIFY(m_out->isVisible());
    QCOMPARE(m_out->scrlZoom->value(), 150);
    QCOMPARE(m_out->vsPrinter->size(), zoomed);
    QCOMPARE(m_out->scrlPage->value(), 2);
    QCOMPARE(m_out->vsPrinter->page(), 2);
    QCOMPARE(m_out->scrlPage->maximum(), m_out->pageCount());
    const PageDocument& document = m_out->document();
    QCOMPARE(document.headerCells(1).first().text, u"Rebates for 1/1/99 to 12/31/99"_s);
    QCOMPARE(document.page(1).lines.at(1).cells.first().text, u"Rebates 1"_s);

    // A shorter report brings the page bar back within its pages.
    runReport(*m_out, 5, u"Sales"_s);
    QCOMPARE(m_out->scrlPage->maximum(), 1);
    QCOMPARE(m_out->scrlPage->value(), 1);
    QCOMPARE(m_out->vsPrinter->page(), 1);
    QCOMPARE(m_out->pageCount(), 1);

    m_services.printerPdfPath = m_dir->filePath(u"sales.pdf"_s);
    QTest::mouseClick(m_out->cmdPrint, Qt::LeftButton);
    verifyPrinted(m_services.printerPdfPath, 1, u"Sales for"_s);
    QVERIFY(!pdf::pages(m_services.printerPdfPath).first().contains(u"Rebates"_s));
}

void tst_frmOutput::okClosesTheWindowAndItsDocument() {
    runReport(*m_out, 10);
    QPointer<PageDocument> document = &m_out->document();
    QTest::mouseClick(m_out->cmdOk, Qt::LeftButton);
    QVERIFY(!m_out->isVisible());
    QTRY_VERIFY(m_out.isNull());
    QVERIFY(document.isNull());
}

void tst_frmOutput::keysTurnAndZoomThePages_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("from");
    // Empty: Ctrl with the wheel turned one notch towards the screen.
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<int>("page"); // 0: the last page
    QTest::addColumn<int>("zoom");
    const QString page = u"vsViewPort1"_s;
    QTest::newRow("Page Down") << page << 1 << QKeySequence(Qt::Key_PageDown) << 2 << 60;
    QTest::newRow("Page Up on the zoom bar")
        << u"scrlZoom"_s << 3 << QKeySequence(Qt::Key_PageUp) << 2 << 60;
    QTest::newRow("Home") << page << 3 << QKeySequence(Qt::Key_Home) << 1 << 60;
    QTest::newRow("End on the page bar")
        << u"scrlPage"_s << 1 << QKeySequence(Qt::Key_End) << 0 << 60;
    QTest::newRow("Ctrl+End") << page << 2 << QKeySequence(Qt::CTRL | Qt::Key_End) << 0 << 60;
    QTest::newRow("Down on the page bar")
        << u"scrlPage"_s << 1 << QKeySequence(Qt::Key_Down) << 2 << 60;
    QTest::newRow("Ctrl+plus") << page << 1 << QKeySequence(Qt::CTRL | Qt::Key_Plus) << 1 << 70;
    QTest::newRow("Ctrl+minus") << u"cmdOk"_s << 1 << QKeySequence(Qt::CTRL | Qt::Key_Minus) << 1
                                << 50;
    QTest::newRow("Right on the zoom bar")
        << u"scrlZoom"_s << 1 << QKeySequence(Qt::Key_Right) << 1 << 70;
    QTest::newRow("Ctrl+wheel") << page << 1 << QKeySequence() << 1 << 70;
}

void tst_frmOutput::keysTurnAndZoomThePages() {
    QFETCH(QString, focus);
    QFETCH(int, from);
    QFETCH(QKeySequence, keys);
    QFETCH(int, page);
    QFETCH(int, zoom);
    frmOutput& out = *m_out;
    runReport(out, 200);
    QVERIFY(QTest::qWaitForWindowActive(&out));
    out.scrlPage->setValue(from);
    auto* target = out.findChild<QWidget*>(focus);
    target->setFocus(Qt::TabFocusReason);
    QVERIFY(target->hasFocus());
    if (keys.isEmpty()) {
        QWidget* viewport = out.vsViewPort1->viewport();
        const QPointF at = viewport->rect().center();
        QWheelEvent wheel(at, viewport->mapToGlobal(at), {}, {0, 120}, Qt::NoButton,
                          Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &wheel);
    } else {
        QTest::keySequence(target, keys);
    }
    QCOMPARE(out.scrlPage->value(), page == 0 ? out.pageCount() : page);
    QCOMPARE(out.vsPrinter->page(), out.scrlPage->value());
    QCOMPARE(out.vsPrinter->zoom(), zoom);

    // Tab reaches both bars, which show that they have the focus.
    for (QScrollBar* bar : {out.scrlPage, out.scrlZoom}) {
        out.cmdOk->setFocus();
        const QImage without = bar->grab().toImage();
        while (!bar->hasFocus() && out.isAncestorOf(QApplication::focusWidget()))
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY(bar->hasFocus());
        QVERIFY(bar->grab().toImage() != without);
    }
    // Ctrl+P prints, Esc closes the window as Ok does.
    m_services.printerPdfPath = m_dir->filePath(u"keys.pdf"_s);
    QTest::keySequence(out.scrlZoom, QKeySequence::Print);
    QCOMPARE(m_services.printJobs, 1);
    QTest::keyClick(out.scrlZoom, Qt::Key_Escape);
    QTRY_VERIFY(!m_out);
}

QTEST_MAIN(tst_frmOutput)
#include "tst_frmOutput.moc"

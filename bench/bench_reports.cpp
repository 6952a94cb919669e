// The built-in reports at 10,000 and 100,000 records, for All Orders and Outstanding:
// - from the menu choice to the first page on screen: the date dialog answered at once,
//   the report run, the output window shown and its first page painted;
// - pages per second written to PDF, from a document already laid out (laying it out is
//   timed on its own).
//
//   cmake --build build --target bench_reports && build/bench/bench_reports [--max N]
//
// Databases are made once with pvxadmin demo under $TMPDIR/pvx-bench and reused.
#include "BenchSupport.h"

#include "core/AppState.h"
#include "engine/Database.h"
#include "gui/dates/DateField.h"
#include "gui/orders/frmMain.h"
#include "gui/reports/BuiltInReports.h"
#include "gui/reports/PagePreview.h"
#include "gui/reports/frmOutput.h"
#include "gui/reports/frmRptDate.h"
#include "gui/support/FakeServices.h"
#include "reports/PageDocument.h"
#include "reports/PagePainter.h"
#include "reports/PrintBuiltInReport.h"
#include "reports/ReportSink.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>

namespace {

struct Report {
    const char* name;
    BuiltInReport report;
    int menuIndex;
};

const Report reports[] = {
    {"All Orders", BuiltInReport::AllOrders, 1},
    {"Outstanding", BuiltInReport::Outstanding, 4},
};

// Every record of the demo file lies inside this range.
const QDate rangeStart(1990, 1, 1);
const QDate rangeEnd(2099, 12, 31);

// Menu choice to first page on screen, in milliseconds; the page count through pages.
double firstPage(const Report& report, int* pages) {
    AppState state;
    FakeServices services;
    services.onModal = [](QDialog& dialog) {
        auto& dates = static_cast<frmRptDate&>(dialog);
        dates.dcStartDate->setText(QStringLiteral("1/1/1990"));
        dates.dcEndDate->setText(QStringLiteral("12/31/2099"));
        dates.cmdOK->click();
    };
    frmMain form(state, services);
    form.Form_Load();
    if (!services.messages.isEmpty())
        qFatal("start-up failed: %s", qPrintable(services.messages[0].text));

    QElapsedTimer timer;
    timer.start();
    form.mnuRpt_Click(report.menuIndex);
    auto* out = form.findChild<frmOutput*>();
    if (!out || !out->isVisible())
        qFatal("%s showed no window", report.name);
    // The page as the user first sees it, painted.
    const QPixmap page = out->vsPrinter->grab();
    const double elapsed = timer.nsecsElapsed() / 1e6;
    if (page.isNull())
        qFatal("the first page was not painted");
    *pages = out->pageCount();
    return elapsed;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(BenchSupport::quietNotes);
    QApplication app(argc, argv);
    const qint64 maxRecords = BenchSupport::maxRecords(app.arguments(), 100000);
    QTemporaryDir scratch;

    for (const Report& report : reports) {
        for (qint64 records : {10000LL, 100000LL}) {
            if (records > maxRecords)
                break;
            std::printf("\n%s, %lld records\n", report.name, records);
            std::printf("%-12s %10s %10s %10s   (%d runs)\n", "", "min", "median", "max",
                        BenchSupport::Runs);
            const QString dir = BenchSupport::demoDatabase(records);
            QDir::setCurrent(dir);

            QList<double> toFirstPage;
            int pages = 0;
            for (int run = 0; run < BenchSupport::Runs; ++run)
                toFirstPage << firstPage(report, &pages);
            BenchSupport::printRow(QStringLiteral("to page 1 ms"), toFirstPage);

            auto db = Database::open(QDir(dir).filePath(QStringLiteral("pvx.mdb")), false);
            const ReportRequest request{report.report, rangeStart, rangeEnd, QDate::currentDate(),
                                        QLocale(QLocale::English, QLocale::UnitedStates)};
            QList<double> layout;
            QList<double> writing;
            QList<double> pagesPerSecond;
            for (int run = 0; run < BenchSupport::Runs; ++run) {
                PageDocument document;
                document.setPageSize(QPageSize(QPageSize::Letter));
                DocumentSink sink(document);
                QElapsedTimer timer;
                timer.start();
                if (printBuiltInReport(*db, request, sink) != ReportOutcome::Printed)
                    qFatal("%s printed nothing", report.name);
                layout << timer.nsecsElapsed() / 1e6;

                const QString pdf = QDir(scratch.path()).filePath(QStringLiteral("bench.pdf"));
                timer.restart();
                if (!writePdf(document, pdf))
                    qFatal("the PDF could not be written");
                const double ms = timer.nsecsElapsed() / 1e6;
                writing << ms;
                pagesPerSecond << document.pageCount() / (ms / 1000);
                pages = document.pageCount();
            }
            BenchSupport::printRow(QStringLiteral("lay out ms"), layout);
            BenchSupport::printRow(QStringLiteral("to PDF ms"), writing);
            BenchSupport::printRow(QStringLiteral("PDF pages/s"), pagesPerSecond);
            std::printf("%-12s %10d\n", "pages", pages);
        }
    }
    return 0;
}

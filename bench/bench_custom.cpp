// A custom report over 100,000 records with both lookup tables joined (Description, Type,
// Received, Date Ordered and a totalled Amount, sorted by date):
// - the query alone: run and every row read, as the baseline the rest is measured against;
// - rows per second to the text file and to the HTML file;
// - from "Generate Report" to the first preview page painted in the output window;
// - pages per second written to PDF.
//
//   cmake --build build --target bench_custom && build/bench/bench_custom [--max N]
//
// Databases are made once with pvxadmin demo under $TMPDIR/pvx-bench and reused.
#include "BenchSupport.h"

#include "core/AppState.h"
#include "custom/CustomReport.h"
#include "custom/ReportCatalogue.h"
#include "custom/ReportDefinition.h"
#include "custom/ReportQuery.h"
#include "engine/Database.h"
#include "engine/Recordset.h"
#include "gui/custom/WindowPageSink.h"
#include "gui/reports/PagePreview.h"
#include "gui/reports/Printing.h"
#include "gui/reports/frmOutput.h"
#include "gui/support/FakeServices.h"
#include "reports/PageDocument.h"
#include "reports/PagePainter.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPointer>
#include <QTemporaryDir>

#include <cstdio>

namespace {

ReportDefinition benchReport(Database& db) {
    ReportDefinition definition = ReportDefinition::withDefaults(ReportCatalogue::read(db));
    for (const char* desc : {"Description", "Type", "Received", "Date Ordered", "Amount"})
        definition.fields << definition.catalogue.findByDesc(QString::fromLatin1(desc))->specId;
    const int amount = definition.catalogue.findByDesc(QStringLiteral("Amount"))->specId;
    definition.settingsOf(amount).Total = true;
    definition.primarySort =
        definition.catalogue.findByDesc(QStringLiteral("Date Ordered"))->specId;
    return definition;
}

double msSince(const QElapsedTimer& timer) {
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(BenchSupport::quietNotes);
    QApplication app(argc, argv);
    const qint64 maxRecords = BenchSupport::maxRecords(app.arguments(), 100000);
    QTemporaryDir scratch;

    for (qint64 records : {10000LL, 100000LL}) {
        if (records > maxRecords)
            break;
        std::printf("\nCustom report, both lookup tables joined, %lld records\n", records);
        std::printf("%-14s %10s %10s %10s   (%d runs)\n", "", "min", "median", "max",
                    BenchSupport::Runs);
        const QString dir = BenchSupport::demoDatabase(records);
        AppState state;
        state.gDatabase = Database::open(QDir(dir).filePath(QStringLiteral("pvx.mdb")), false);
        Database& db = *state.gDatabase;
        FakeServices services;
        ReportDefinition definition = benchReport(db);

        QList<double> query;
        for (int run = 0; run < BenchSupport::Runs; ++run) {
            QElapsedTimer timer;
            timer.start();
            const ReportQuery q = buildReportQuery(definition, services.locale());
            auto rs = db.openSnapshot(q.sql(), q.params());
            const QStringList names = rs->fieldNames();
            qint64 rows = 0;
            for (; !rs->eof(); rs->moveNext(), ++rows) {
                for (const QString& name : names)
                    rs->value(name);
            }
            query << msSince(timer);
            if (rows != records)
                qFatal("the query read %lld rows", rows);
        }
        BenchSupport::printRow(QStringLiteral("query ms"), query);

        for (ReportTarget target : {ReportTarget::TextFile, ReportTarget::WebTable}) {
            definition.reportTo = target;
            const QString file = QDir(scratch.path()).filePath(QStringLiteral("bench.out"));
            QList<double> rowsPerSecond;
            for (int run = 0; run < BenchSupport::Runs; ++run) {
                QElapsedTimer timer;
                timer.start();
                const CustomReportResult result =
                    GenerateCustomReport({definition, db, state, services, nullptr, file});
                if (result.outcome != CustomReportOutcome::Done)
                    qFatal("the file was not written");
                rowsPerSecond << result.rows / (msSince(timer) / 1000);
            }
            BenchSupport::printRow(target == ReportTarget::TextFile ? QStringLiteral("text rows/s")
                                                                    : QStringLiteral("html rows/s"),
                                   rowsPerSecond);
        }

        definition.reportTo = ReportTarget::ScreenPrinter;
        QList<double> toFirstPage;
        QList<double> pagesPerSecond;
        int pages = 0;
        for (int run = 0; run < BenchSupport::Runs; ++run) {
            QPointer<frmOutput> window;
            WindowPageSink sink(
                [&]() -> frmOutput& {
                    if (!window)
                        window = new frmOutput(services);
                    return *window;
                },
                defaultPageSize(services.locale()));
            QElapsedTimer timer;
            timer.start();
            GenerateCustomReport({definition, db, state, services, &sink, {}});
            if (!window || !window->isVisible())
                qFatal("the output window was not shown");
            // The page as the user first sees it, painted.
            const QPixmap page = window->vsPrinter->grab();
            toFirstPage << msSince(timer);
            if (page.isNull())
                qFatal("the first page was not painted");

            // Let the rest of the document follow as it does on screen, then write it.
            while (window->layoutPending())
                QCoreApplication::processEvents();
            pages = window->document().pageCount();
            const QString pdf = QDir(scratch.path()).filePath(QStringLiteral("bench.pdf"));
            timer.restart();
            if (!writePdf(window->document(), pdf))
                qFatal("the PDF could not be written");
            pagesPerSecond << pages / (msSince(timer) / 1000);
            delete window.data();
        }
        BenchSupport::printRow(QStringLiteral("to page 1 ms"), toFirstPage);
        BenchSupport::printRow(QStringLiteral("PDF pages/s"), pagesPerSecond);
        std::printf("%-14s %10d\n", "pages", pages);
    }
    return 0;
}

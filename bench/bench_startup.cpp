// Start-up time of the main form: open the database, read the keyset of pvx in order-date
// order, show the first record and count what is due and overdue for the status line, at
// 10,000, 100,000 and 1,000,000 records; and the count alone, as after every Update.
//
//   cmake --build build --target bench_startup && build/bench/bench_startup [--max N]
//
// Databases are made once with pvxadmin demo under $TMPDIR/pvx-bench and reused.
#include "BenchSupport.h"

#include "core/AppState.h"
#include "gui/orders/frmMain.h"
#include "gui/support/FakeServices.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>

#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 maxRecords = BenchSupport::maxRecords(app.arguments(), 1000000);

    std::printf("%-12s %10s %10s %10s   (ms, %d runs)\n", "records", "min", "median", "max",
                BenchSupport::Runs);
    for (qint64 records : {10000LL, 100000LL, 1000000LL}) {
        if (records > maxRecords)
            break;
        const QString dir = BenchSupport::demoDatabase(records);
        QDir::setCurrent(dir);
        QList<double> times;
        QList<double> counts;
        for (int run = 0; run < BenchSupport::Runs; ++run) {
            AppState state;
            FakeServices services;
            QElapsedTimer timer;
            timer.start();
            {
                frmMain form(state, services);
                form.Form_Load();
                times << timer.nsecsElapsed() / 1e6;
                if (!services.messages.isEmpty())
                    qFatal("start-up failed: %s", qPrintable(services.messages[0].text));
                timer.restart();
                form.UpdateStatusLine();
                counts << timer.nsecsElapsed() / 1e6;
            }
        }
        BenchSupport::printRow(QString::number(records), times);
        BenchSupport::printRow(QStringLiteral("  due count"), counts);
    }
    return 0;
}

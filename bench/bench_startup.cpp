// Start-up time of the main form: open the database, show the first record in order-date
// order and count what is due and overdue for the status line, at 10,000, 100,000 and
// 1,000,000 records; and the count alone, as after every Update.
//
//   cmake --build build --target bench_startup && build/bench/bench_startup [--max N]
//
// With --cold, each measurement is a fresh process, as a user starting the program: the
// time from launching it to the first record shown in a visible window (and the part of it
// after main()), and the process's peak memory, beside the same for an empty window (0 records), at
// 10,000, 1,000,000 and 10,000,000 records (the last only when --max allows it).
//
// Databases are made once with pvxadmin demo under $TMPDIR/pvx-bench and reused; point
// TMPDIR at a roomy disk for 10,000,000 records (about 5 GB).
#include "BenchSupport.h"

#include "core/AppState.h"
#include "gui/orders/frmMain.h"
#include "gui/support/FakeServices.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QProcess>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// One cold start in this process: prints milliseconds since main() and peak megabytes.
int oneStart(const QElapsedTimer& sinceMain, qint64 records) {
    std::unique_ptr<AppState> state;
    std::unique_ptr<FakeServices> services;
    std::unique_ptr<QWidget> window;
    if (records == 0) {
        window = std::make_unique<QMainWindow>();
    } else {
        QDir::setCurrent(BenchSupport::demoDatabase(records));
        state = std::make_unique<AppState>();
        services = std::make_unique<FakeServices>();
        auto form = std::make_unique<frmMain>(*state, *services);
        form->Form_Load();
        if (!services->messages.isEmpty())
            qFatal("start-up failed: %s", qPrintable(services->messages[0].text));
        window = std::move(form);
    }
    window->show();
    QApplication::processEvents();
    std::printf("%.3f %.1f\n", sinceMain.nsecsElapsed() / 1e6, peakMegabytes());
    return 0;
}

int coldStarts(const QString& program, qint64 maxRecords) {
    std::printf("%-12s %10s %10s %10s %10s %12s   (ms from launch to the first record shown; "
                "peak MB; median ms of it after main(); %d processes)\n",
                "records", "min", "median", "max", "peak MB", "after main", BenchSupport::Runs);
    for (qint64 records : {0LL, 10000LL, 1000000LL, 10000000LL}) {
        if (records > maxRecords)
            break;
        if (records > 0)
            BenchSupport::demoDatabase(records);
        QList<double> times;
        QList<double> inside;
        double peak = 0;
        for (int run = 0; run < BenchSupport::Runs; ++run) {
            QProcess child;
            QElapsedTimer launch;
            launch.start();
            child.start(program, {QStringLiteral("--one"), QString::number(records)});
            // The child prints its line once the window is up: launch to that line is what
            // the user waits for, loading the libraries included.
            if (!child.waitForReadyRead(-1))
                qFatal("cold start failed: %s", child.readAllStandardError().constData());
            times << launch.nsecsElapsed() / 1e6;
            if (!child.waitForFinished(-1) || child.exitCode() != 0)
                qFatal("cold start failed: %s", child.readAllStandardError().constData());
            const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
            inside << figures.value(0).toDouble();
            peak = std::max(peak, figures.value(1).toDouble());
        }
        std::sort(inside.begin(), inside.end());
        std::sort(times.begin(), times.end());
        std::printf("%-12s %10.2f %10.2f %10.2f %10.1f %12.2f\n",
                    records == 0 ? "empty window" : qPrintable(QString::number(records)),
                    times.first(), times.at(times.size() / 2), times.last(), peak,
                    inside.at(inside.size() / 2));
        std::fflush(stdout);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QElapsedTimer sinceMain;
    sinceMain.start();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QtMessageHandler quiet = BenchSupport::quietNotes;
    qInstallMessageHandler(quiet);
    const QStringList arguments = app.arguments();
    if (const int one = arguments.indexOf(QStringLiteral("--one")); one >= 0)
        return oneStart(sinceMain, arguments.value(one + 1).toLongLong());
    if (arguments.contains(QStringLiteral("--cold")))
        return coldStarts(app.applicationFilePath(), BenchSupport::maxRecords(arguments, 10000000));
    const qint64 maxRecords = BenchSupport::maxRecords(arguments, 1000000);

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

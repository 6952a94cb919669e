// Backup and compaction of a 1,000,000-record database, against the tools a user could reach
// for instead: cp, sync and cmp for the backup, sqlite3's own VACUUM INTO for the compaction.
// - backup: the checked copy (written beside the destination, flushed, read back from the
//   disk and compared, renamed into place), against `cp` alone and against
//   `cp pvx.mdb copy && sync copy && cmp pvx.mdb copy`, the same work done by hand;
// - compaction: the whole safe compaction (compact, flush, quick check and row counts, the
//   old database kept as pvxdb.bak, the swap) and `sqlite3 pvx.mdb "VACUUM INTO 'x.mdb'"`.
//
//   cmake --build build --target bench_maintenance && build/bench/bench_maintenance [--max N]
//
// Databases are made once with pvxadmin demo under $TMPDIR/pvx-bench and reused; the work
// is done on copies in a temporary folder beside them, never on the shared files.
#include "BenchSupport.h"

#include "maint/Compaction.h"
#include "maint/SafeCopy.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

void runTool(const QString& program, const QStringList& arguments) {
    QProcess tool;
    tool.setProcessChannelMode(QProcess::ForwardedChannels);
    tool.start(program, arguments);
    if (!tool.waitForFinished(-1) || tool.exitCode() != 0)
        qFatal("%s failed", qPrintable(program));
}

// Times work run after prepare (which is not timed), Runs times; milliseconds.
QList<double> measure(const std::function<void()>& prepare, const std::function<void()>& work) {
    QList<double> times;
    for (int run = 0; run < BenchSupport::Runs; ++run) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        work();
        times << timer.nsecsElapsed() / 1e6;
    }
    return times;
}

double median(QList<double> times) {
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

// Seconds (min, median, max), and the median as a multiple of the tools' medians: the copy
// checked by hand for the backup, VACUUM INTO for the compaction.
void printSeconds(const QString& label, const QList<double>& times, double tools, double vacuum) {
    QList<double> seconds;
    for (double ms : times)
        seconds << ms / 1000.0;
    std::sort(seconds.begin(), seconds.end());
    std::printf("%-30s %8.2f %8.2f %8.2f %9.2f %9.2f\n", qPrintable(label), seconds.first(),
                seconds.at(seconds.size() / 2), seconds.last(), median(times) / tools,
                median(times) / vacuum);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const qint64 records = BenchSupport::maxRecords(app.arguments(), 1000000);
    const QString demo = BenchSupport::demoDatabase(records) + QStringLiteral("/pvx.mdb");
    QTemporaryDir work(QFileInfo(demo).absolutePath() + QStringLiteral("/../maint-XXXXXX"));
    if (!work.isValid())
        qFatal("no work folder");
    const QString data = work.filePath(QStringLiteral("data"));
    const QString drive = work.filePath(QStringLiteral("drive"));
    QDir().mkpath(data);
    QDir().mkpath(drive);
    const QString database = data + QStringLiteral("/pvx.mdb");
    runTool(QStringLiteral("cp"), {demo, database});
    std::printf("%lld records, pvx.mdb %.1f MB; seconds over %d runs\n", records,
                QFileInfo(database).size() / 1e6, BenchSupport::Runs);
    std::printf("%-30s %8s %8s %8s %9s %9s\n", "", "min", "median", "max", "x by hand", "x VACUUM");

    const auto none = [] {};
    const QString copied = drive + QStringLiteral("/cp.mdb");
    const QList<double> cp = measure([&] { QFile::remove(copied); },
                                     [&] {
                                         runTool(QStringLiteral("cp"), {database, copied});
                                     });
    // Over the copy the last run left, as a backup replaces the one before it.
    const QList<double> byHand = measure(none, [&] {
        runTool(QStringLiteral("cp"), {database, copied});
        runTool(QStringLiteral("sync"), {copied});
        runTool(QStringLiteral("cmp"), {database, copied});
    });
    const QString vacuumed = drive + QStringLiteral("/x.mdb");
    const QList<double> vacuum =
        measure([&] { QFile::remove(vacuumed); },
                [&] {
                    runTool(QStringLiteral("sqlite3"),
                            {database, QStringLiteral("VACUUM INTO '%1'").arg(vacuumed)});
                });
    const QList<double> backup = measure(none, [&] {
        SafeCopy copy(database, drive + QStringLiteral("/pvx.mdb"));
        if (copy.run().outcome != SafeCopy::Outcome::Copied)
            qFatal("backup failed");
    });
    const QList<double> compaction = measure(none, [&] {
        Compaction compact(data);
        if (compact.run().outcome != Compaction::Outcome::Compacted)
            qFatal("compaction failed");
    });

    const double byHandMedian = median(byHand);
    const double vacuumMedian = median(vacuum);
    printSeconds(QStringLiteral("cp"), cp, byHandMedian, vacuumMedian);
    printSeconds(QStringLiteral("cp, sync, cmp"), byHand, byHandMedian, vacuumMedian);
    printSeconds(QStringLiteral("sqlite3 VACUUM INTO"), vacuum, byHandMedian, vacuumMedian);
    printSeconds(QStringLiteral("backup (checked copy)"), backup, byHandMedian, vacuumMedian);
    printSeconds(QStringLiteral("compaction (checked, swapped)"), compaction, byHandMedian,
                 vacuumMedian);
    return 0;
}

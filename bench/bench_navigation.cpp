// Paging and sorting on the main form at 100,000 and 1,000,000 records (10,000,000 with
// --max 10000000): the time of one Next and one Previous (the average over a run of clicks,
// in each sort order), and the time to switch to each sort order, which reopens gOrders and
// shows its first record; one move of the recordset itself, without the form; and a find by
// the beginning of the description.
//
//   cmake --build build --target bench_navigation && build/bench/bench_navigation [--max N]
//
// Databases are made once with pvxadmin demo under $TMPDIR/pvx-bench and reused.
#include "BenchSupport.h"

#include "core/AppState.h"
#include "engine/Recordset.h"
#include "engine/SqlText.h"
#include "gui/orders/frmMain.h"
#include "gui/support/FakeServices.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>

#include <array>
#include <cstdio>

namespace {

constexpr int Clicks = 1000;

// Short enough for the label column of the figures.
const std::array<const char*, 3> OrderNames = {"date", "descr", "vendor"};

// Microseconds per click of handler, over Clicks clicks.
double perClick(frmMain& form, void (frmMain::*handler)()) {
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < Clicks; ++i)
        (form.*handler)();
    return timer.nsecsElapsed() / 1e3 / Clicks;
}

// Microseconds per MoveNext and MovePrevious on the recordset itself, reading one field of
// each row, over Clicks rows each way from the first.
double perMove(Recordset& rs) {
    rs.moveFirst();
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < Clicks; ++i) {
        rs.moveNext();
        rs.value(QStringLiteral("descr"));
    }
    for (int i = 0; i < Clicks; ++i) {
        rs.movePrevious();
        rs.value(QStringLiteral("descr"));
    }
    return timer.nsecsElapsed() / 1e3 / (2 * Clicks);
}

void failIfShown(const FakeServices& services, const char* what) {
    if (!services.messages.isEmpty())
        qFatal("%s: %s", what, qPrintable(services.messages.first().text));
    // Paging starts from the first record and goes no further than Clicks records on, so
    // neither end is reached; a beep would mean a wrong position.
    if (services.beeps != 0)
        qFatal("%s: beeped %d times", what, services.beeps);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 maxRecords = BenchSupport::maxRecords(app.arguments(), 1000000);

    for (qint64 records : {100000LL, 1000000LL, 10000000LL}) {
        if (records > maxRecords)
            break;
        const QString dir = BenchSupport::demoDatabase(records);
        QDir::setCurrent(dir);
        AppState state;
        FakeServices services;
        frmMain form(state, services);
        form.Form_Load();
        failIfShown(services, "start-up");

        std::printf("\n%lld records\n", records);
        std::printf("%-12s %10s %10s %10s   (microseconds per click, %d clicks, %d runs)\n",
                    "paging", "min", "median", "max", Clicks, BenchSupport::Runs);
        for (int index = 1; index <= 3; ++index) {
            form.mnuSort_Click(index);
            QList<double> next;
            QList<double> previous;
            for (int run = 0; run < BenchSupport::Runs; ++run) {
                form.cmdFirst_Click();
                next << perClick(form, &frmMain::cmdNext_Click);
                previous << perClick(form, &frmMain::cmdPrevious_Click);
            }
            failIfShown(services, "paging");
            BenchSupport::printRow(QStringLiteral("next %1").arg(OrderNames[index - 1]), next);
            BenchSupport::printRow(QStringLiteral("prev %1").arg(OrderNames[index - 1]), previous);
            // The recordset alone, without the form showing each record: what the engine adds.
            QList<double> moves;
            for (int run = 0; run < BenchSupport::Runs; ++run)
                moves << perMove(*state.gOrders);
            BenchSupport::printRow(QStringLiteral("  rs %1").arg(OrderNames[index - 1]), moves);
        }

        std::printf("%-12s %10s %10s %10s   (milliseconds per switch, %d runs)\n", "sort", "min",
                    "median", "max", BenchSupport::Runs);
        std::array<QList<double>, 3> switches;
        for (int run = 0; run < BenchSupport::Runs; ++run) {
            // Each switch comes from another order, as a user's choice does.
            for (int index : {2, 3, 1}) {
                QElapsedTimer timer;
                timer.start();
                form.mnuSort_Click(index);
                switches[index - 1] << timer.nsecsElapsed() / 1e6;
            }
        }
        failIfShown(services, "sort");
        for (int index = 1; index <= 3; ++index)
            BenchSupport::printRow(QStringLiteral("to %1").arg(OrderNames[index - 1]),
                                   switches[index - 1]);

        // Find as the Find button does it, in description order by the beginning of the
        // description: the text of the last record (found furthest along), and a text no
        // record begins with (every record looked at).
        std::printf("%-12s %10s %10s %10s   (milliseconds per find, %d runs)\n", "find", "min",
                    "median", "max", BenchSupport::Runs);
        form.mnuSort_Click(2);
        Recordset& rs = *state.gOrders;
        rs.moveLast();
        const QString last = rs.value(QStringLiteral("descr")).toString();
        for (const QString& text : {last, QStringLiteral("no such description")}) {
            QList<double> finds;
            for (int run = 0; run < BenchSupport::Runs; ++run) {
                rs.moveFirst();
                QElapsedTimer timer;
                timer.start();
                const bool found = rs.findFirstWhere(
                    QStringLiteral("pvx_fold(descr) LIKE pvx_fold(?) ESCAPE '\\'"),
                    {likePrefixPattern(text)});
                finds << timer.nsecsElapsed() / 1e6;
                if (found != (text == last))
                    qFatal("find of '%s' went wrong", qPrintable(text));
            }
            BenchSupport::printRow(
                text == last ? QStringLiteral("last descr") : QStringLiteral("no match"), finds);
        }
        form.Form_Unload();
    }
    return 0;
}

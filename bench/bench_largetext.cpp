// Showing a record whose text fields hold several megabytes (pasted, or written by another
// tool): the time from ShowRecord to the window painted, for 5 MB on one line and in many
// lines, in the items and notes boxes and in a one-line box.
//
//   cmake --build build --target bench_largetext && build/bench/bench_largetext
#include "BenchSupport.h"

#include "core/AppState.h"
#include "engine/Database.h"
#include "gui/orders/frmMain.h"
#include "gui/support/FakeServices.h"
#include "support/OrderFixture.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

namespace {

double showOnce(const QString& column, const QString& text) {
    QTemporaryDir dir;
    OrderFixture::createDatabase(dir.path(), {{{QStringLiteral("descr"), QStringLiteral("Big")},
                                               {QStringLiteral("dateorder"), QDate(2026, 1, 5)},
                                               {column, text}}});
    QDir::setCurrent(dir.path());
    AppState state;
    FakeServices services;
    frmMain form(state, services);
    QElapsedTimer timer;
    timer.start();
    form.Form_Load();
    form.show();
    form.repaint();
    QApplication::processEvents();
    const double ms = timer.nsecsElapsed() / 1e6;
    form.close();
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int size = qEnvironmentVariableIntValue("PVX_BENCH_TEXT_KB") > 0
                         ? qEnvironmentVariableIntValue("PVX_BENCH_TEXT_KB") * 1024
                         : 5 * 1024 * 1024;
    const QString oneLine(size, QLatin1Char('a'));
    QString words;
    while (words.size() < size)
        words += QStringLiteral("lorem ipsum dolor sit amet ");
    QString lines;
    while (lines.size() < size)
        lines += QStringLiteral("one line of notes among very many\n");

    std::printf("%-34s %10s %10s %10s   (ms)\n", "field and text", "min", "median", "max");
    const struct {
        const char* label;
        const char* column;
        const QString& text;
    } cases[] = {
        {"notes, 5 MB on one line", "notes", oneLine},
        {"notes, 5 MB of words", "notes", words},
        {"notes, 5 MB in lines", "notes", lines},
        {"items, 5 MB on one line", "items", oneLine},
        {"vendor, 5 MB on one line", "vendor", oneLine},
    };
    for (const auto& c : cases) {
        QList<double> times;
        for (int run = 0; run < 3; ++run)
            times << showOnce(QString::fromLatin1(c.column), c.text);
        std::fflush(stdout);
        BenchSupport::printRow(QString::fromLatin1(c.label), times);
    }
    return 0;
}

// Import and export of 100,000 records, in rows per second:
// - CSV export of a demo database (every record, every field, written whole to a file);
// - CSV import of that export into an empty pvx.mdb, and into one that already holds as many
//   records (where the indexes are kept up to date row by row);
// - Access-format import: the mdbtools test file's table read through libmdb and converted,
//   over and over (its six rows are all there is to read), and imported into an empty file.
// The goals: import at least 50,000 rows/s, export at least 200,000 rows/s.
//
//   cmake --build build --target bench_exchange && build/bench/bench_exchange [--max N]
#include "BenchSupport.h"

#include "engine/Database.h"
#include "engine/Schema.h"
#include "exchange/AccessReader.h"
#include "exchange/CsvExport.h"
#include "exchange/ImportSource.h"
#include "exchange/Importer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

const QString accessTestFile = QStringLiteral(PVX_SOURCE_DIR "/tests/data/DateTestDatabase.mdb");
const QStringList accessPairs{QStringLiteral("descr=ShortTextCol"),
                              QStringLiteral("notes=LongTextCol"),
                              QStringLiteral("dateorder=DateTimeCol")};

// Times work after prepare (not timed), Runs times; milliseconds.
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

void printRate(const char* label, qint64 rows, QList<double> times, double goal) {
    std::sort(times.begin(), times.end());
    const double median = times.at(times.size() / 2);
    const double rate = rows / (median / 1000.0);
    std::printf("%-44s %10.0f %10.0f %10.0f %10.0f  %s\n", label, rows / (times.last() / 1000.0),
                rate, rows / (times.first() / 1000.0), goal,
                goal == 0      ? ""
                : rate >= goal ? "met"
                               : "MISSED");
    std::fflush(stdout);
}

void makeDatabase(const QString& path) {
    QFile::remove(path);
    auto db = Database::create(path);
    Schema::create(*db);
    db->close();
}

qint64 importInto(const QString& database, const QString& file, const QString& table = {},
                  const QStringList& pairs = {}) {
    auto db = Database::open(database, true);
    const auto source = openImportSource(file, table);
    Importer::Request request;
    request.pairs = pairs;
    const Importer::Result result = Importer::run(*db, *source, request);
    db->close();
    if (result.outcome != Importer::Outcome::Imported)
        qFatal("import failed");
    return result.records;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const qint64 records = BenchSupport::maxRecords(app.arguments(), 100000);
    const QString demo = BenchSupport::demoDatabase(records) + QStringLiteral("/pvx.mdb");
    QTemporaryDir work(QDir::temp().filePath(QStringLiteral("pvx-bench/exchange-XXXXXX")));
    if (!work.isValid())
        qFatal("no work folder");
    const QString csv = work.filePath(QStringLiteral("export.csv"));
    const QString target = work.filePath(QStringLiteral("pvx.mdb"));

    std::printf("%lld records; rows per second over %d runs\n", records, BenchSupport::Runs);
    std::printf("%-44s %10s %10s %10s %10s\n", "", "slowest", "median", "fastest", "goal");

    const auto none = [] {};
    printRate("CSV export", records,
              measure(none,
                      [&] {
                          auto db = Database::openReadOnly(demo);
                          if (!CsvExport::toFile(*db, csv).written)
                              qFatal("export failed");
                      }),
              200000);
    printRate("CSV import into an empty file", records,
              measure([&] { makeDatabase(target); }, [&] { importInto(target, csv); }), 50000);
    printRate("CSV import into a file of as many records", records,
              measure(
                  [&] {
                      QFile::remove(target);
                      QFile::copy(demo, target);
                      QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
                  },
                  [&] { importInto(target, csv); }),
              50000);

    constexpr int passes = 2000;
    qint64 read = 0;
    printRate("Access-format reading and conversion", 6 * passes,
              measure(none,
                      [&] {
                          for (int pass = 0; pass < passes; ++pass) {
                              AccessReader reader(accessTestFile, QStringLiteral("DateTest"));
                              ImportSource::Row row;
                              while (reader.next(row))
                                  read += row.values.size();
                          }
                      }),
              0);
    printRate("Access-format import (6 rows, into an empty file)", 6,
              measure([&] { makeDatabase(target); },
                      [&] {
                          importInto(target, accessTestFile, QStringLiteral("DateTest"),
                                     accessPairs);
                      }),
              0);
    return read > 0 ? 0 : 1;
}

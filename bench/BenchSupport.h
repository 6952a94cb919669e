#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// What the benchmarks share: demo databases of a given size, made once and reused, and
// one line of figures per measurement.
namespace BenchSupport {

inline constexpr int Runs = 5;

// The folder holding a demo pvx.mdb with this many records, made with pvxadmin if absent.
QString demoDatabase(qint64 records);

// --max N on the command line limits the sizes measured.
qint64 maxRecords(const QStringList& arguments, qint64 fallback);

void printRow(const QString& label, QList<double> milliseconds);

// For benchmarks that show windows on the offscreen platform: its notes about raising
// windows would break up the table, so only what is worse than a warning is printed.
void quietNotes(QtMsgType type, const QMessageLogContext& context, const QString& message);

} // namespace BenchSupport

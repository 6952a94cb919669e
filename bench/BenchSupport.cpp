#include "BenchSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <cstdio>

namespace BenchSupport {

QString demoDatabase(qint64 records) {
    const QString dir = QDir::temp().filePath(QStringLiteral("pvx-bench/%1").arg(records));
    if (QFileInfo::exists(dir + QStringLiteral("/pvx.mdb")))
        return dir;
    QDir().mkpath(dir);
    std::fprintf(stderr, "making %lld demo records in %s ...\n", records, qPrintable(dir));
    QProcess admin;
    admin.setProcessChannelMode(QProcess::ForwardedChannels);
    admin.start(
        QStringLiteral(PVX_BINARY_DIR "/pvxadmin"),
        {QStringLiteral("demo"), dir, QStringLiteral("--records"), QString::number(records)});
    if (!admin.waitForFinished(-1) || admin.exitCode() != 0)
        qFatal("pvxadmin demo failed");
    return dir;
}

qint64 maxRecords(const QStringList& arguments, qint64 fallback) {
    const int at = arguments.indexOf(QStringLiteral("--max"));
    if (at >= 0 && at + 1 < arguments.size())
        return arguments.at(at + 1).toLongLong();
    return fallback;
}

void quietNotes(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg && type != QtWarningMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

void printRow(const QString& label, QList<double> milliseconds) {
    std::sort(milliseconds.begin(), milliseconds.end());
    std::printf("%-12s %10.2f %10.2f %10.2f\n", qPrintable(label), milliseconds.first(),
                milliseconds.at(milliseconds.size() / 2), milliseconds.last());
    std::fflush(stdout);
}

} // namespace BenchSupport

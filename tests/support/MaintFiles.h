#pragma once

// Real database files for the backup and compaction tests, and the readers that check them
// with the sqlite3 tool.

#include "engine/Database.h"
#include "support/OrderFixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QtTest>

namespace MaintFiles {

// dir/pvx.mdb with `rows` orders whose notes make the file several megabytes, so that a copy
// takes many chunks; every other row is deleted again, leaving space a compaction gives back.
inline QString createDatabase(const QString& dir, int rows, const QString& tag) {
    QDir().mkpath(dir);
    const QString path = OrderFixture::createDatabase(dir);
    auto db = Database::open(path, true);
    QList<QVariantMap> orders;
    for (int i = 0; i < rows; ++i)
        orders.append({{QStringLiteral("descr"), QStringLiteral("%1 order %2").arg(tag).arg(i)},
                       {QStringLiteral("Type"), 0},
                       {QStringLiteral("status"), 0},
                       {QStringLiteral("dateorder"), QDate(2020, 1, 1).addDays(i)},
                       {QStringLiteral("notes"), QString(4000, QLatin1Char('a' + i % 26))}});
    OrderFixture::insertRows(*db, orders);
    db->execute(QStringLiteral("DELETE FROM pvx WHERE zelid % 2 = 0"));
    db->close();
    return path;
}

// The file's bytes; the test fails when it cannot be read.
inline QByteArray bytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        QTest::qFail(qPrintable(QStringLiteral("cannot read %1").arg(path)), __FILE__, __LINE__);
        return {};
    }
    return file.readAll();
}

// What the sqlite3 tool answers to sql on the file, one line per row; the test fails when
// the tool cannot read it.
inline QStringList sqlite(const QString& path, const QString& sql) {
    QProcess tool;
    tool.start(QStringLiteral(PVX_SQLITE3_TOOL), {QStringLiteral("-readonly"), path, sql});
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0) {
        QTest::qFail(
            qPrintable(QStringLiteral("sqlite3 could not read %1: %2")
                           .arg(path, QString::fromLocal8Bit(tool.readAllStandardError()))),
            __FILE__, __LINE__);
        return {};
    }
    return QString::fromUtf8(tool.readAllStandardOutput())
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// The integrity check's answer and the row counts of every table, as sqlite3 reads them.
inline QStringList contents(const QString& path) {
    return sqlite(path, QStringLiteral("PRAGMA integrity_check; SELECT count(*) FROM pvx; "
                                       "SELECT count(*) FROM RptSpec; "
                                       "SELECT group_concat(zelid) FROM pvx;"));
}

} // namespace MaintFiles

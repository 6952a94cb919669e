#include "exchange/AccessConversion.h"

#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/FileSync.h"
#include "engine/Schema.h"
#include "exchange/AccessReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

using namespace Qt::StringLiterals;

namespace AccessConversion {
namespace {

// The old file's bytes under the kept name, read back and compared, on the disk.
bool copyChecked(const QString& from, const QString& to, QString* why) {
    if (!QFile::copy(from, to)) {
        *why = u"the old file could not be copied to '%1'"_s.arg(QDir::toNativeSeparators(to));
        return false;
    }
    QFile original(from);
    QFile copy(to);
    bool same = original.open(QIODevice::ReadOnly) && copy.open(QIODevice::ReadWrite) &&
                flushToDisk(copy) && original.size() == copy.size();
    while (same && !original.atEnd())
        same = original.read(1 << 20) == copy.read(1 << 20);
    if (!same) {
        copy.close();
        QFile::remove(to);
        *why = u"the copy of the old file at '%1' did not match it"_s.arg(
            QDir::toNativeSeparators(to));
    }
    return same;
}

QString temporaryPath(const QString& databasePath) {
    return u"%1.%2.tmp"_s.arg(databasePath)
        .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
}

void removeDatabase(const QString& path) {
    QFile::remove(path);
    QFile::remove(path + u"-journal"_s);
}

} // namespace

QString keptPath(const QString& databasePath) {
    const QFileInfo info(databasePath);
    const QDir folder = info.absoluteDir();
    QString name = u"%1-access.%2"_s.arg(info.completeBaseName(), info.suffix());
    for (int n = 2;
         QFileInfo(folder.filePath(name)).exists() || QFileInfo(folder.filePath(name)).isSymLink();
         ++n)
        name = u"%1-access-%2.%3"_s.arg(info.completeBaseName()).arg(n).arg(info.suffix());
    return folder.filePath(name);
}

void check(const QString& databasePath, const QString& table) {
    const AccessReader reader(databasePath, table);
}

Result run(const QString& databasePath, const Importer::Request& request, const QString& table) {
    Result result;
    const QString work = temporaryPath(databasePath);
    Importer::Request importing = request;
    importing.dryRun = false;
    try {
        {
            AccessReader source(databasePath, table);
            auto db = Database::create(work);
            Schema::create(*db);
            result.import = Importer::run(*db, source, importing);
            const Importer::Outcome outcome = result.import.outcome;
            if (outcome == Importer::Outcome::Refused || outcome == Importer::Outcome::Cancelled) {
                db->close();
                removeDatabase(work);
                result.outcome = outcome == Importer::Outcome::Refused ? Result::Outcome::Refused
                                                                       : Result::Outcome::Cancelled;
                return result;
            }
            const QStringList problems = Schema::check(*db);
            const qint64 stored = db->scalar(u"SELECT count(*) FROM pvx"_s).toLongLong();
            db->close();
            if (!problems.isEmpty() || stored != result.import.records)
                throw ImportError(u"the new database failed its check"_s);
        }
        QFile file(work);
        if (!file.open(QIODevice::ReadWrite) || !flushToDisk(file))
            throw ImportError(u"the new database could not be written to the disk"_s);
        file.close();

        result.keptPath = keptPath(databasePath);
        QString why;
        if (!linkFile(databasePath, result.keptPath) &&
            !copyChecked(databasePath, result.keptPath, &why))
            throw ImportError(why);
        if (!replaceFile(work, databasePath, &why)) {
            // The old file is still pvx.mdb; its second name goes again.
            QFile::remove(result.keptPath);
            throw ImportError(why);
        }
        flushFolder(QFileInfo(databasePath).absolutePath());
        result.outcome = Result::Outcome::Converted;
    } catch (const ImportError& error) {
        removeDatabase(work);
        result.error = error.message();
    } catch (const EngineError& error) {
        removeDatabase(work);
        result.error = error.description();
    }
    return result;
}

} // namespace AccessConversion

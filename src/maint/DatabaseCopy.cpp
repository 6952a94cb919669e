#include "maint/DatabaseCopy.h"

#include "engine/Currency.h"
#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/FileSync.h"
#include "engine/Recordset.h"
#include "engine/Schema.h"
#include "engine/SqlText.h"

#include <QCryptographicHash>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 ProgressStep = 256;
constexpr int BatchRows = 5000;

// Tables the layout fills with its standard rows, which the copy replaces by the source's.
bool isCatalogue(const QString& table) {
    return table != u"pvx"_s && table != QLatin1String(Schema::DesignsTable);
}

// One batch of a table's rows in key order, after the key last read when `following`: a
// server hands a whole result over at once, so a large table is read a batch at a time.
QString selectSql(const Schema::TableColumns& table, bool following) {
    QStringList columns;
    for (const QString& column : table.columns)
        columns << quoteIdentifier(column);
    // The designs' key is text: both backends then order it by its bytes, so the rows are
    // summed in the same order on each.
    const bool textKey = table.table == QLatin1String(Schema::DesignsTable);
    const QString key =
        quoteIdentifier(table.columns.first()) + (textKey ? u" COLLATE BINARY"_s : QString());
    return u"SELECT %1 FROM %2 %3 ORDER BY %4 LIMIT %5"_s.arg(
        columns.join(u", "_s), quoteIdentifier(table.table),
        following ? u"WHERE %1 > ?"_s.arg(key) : QString(), key, QString::number(BatchRows));
}

QString insertSql(const Schema::TableColumns& table) {
    QStringList columns;
    QStringList marks;
    for (const QString& column : table.columns) {
        columns << quoteIdentifier(column);
        marks << u"?"_s;
    }
    return u"INSERT INTO %1 (%2) VALUES (%3)"_s.arg(quoteIdentifier(table.table),
                                                    columns.join(u", "_s), marks.join(u", "_s));
}

// One value as the same text whichever backend read it: a whole number the same whether it
// came as an integer, a yes/no or a double; dates in ISO form; amounts to their four places.
QString canonical(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return u"\\N"_s;
    if (value.metaType() == QMetaType::fromType<Currency>())
        return u"$"_s + value.value<Currency>().toDecimalText();
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? u"1"_s : u"0"_s;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return QString::number(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float: {
        const double number = value.toDouble();
        if (std::trunc(number) == number && std::fabs(number) < 9.0e15)
            return QString::number(qint64(number));
        return QString::number(number, 'g', 17);
    }
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate);
    case QMetaType::QDateTime:
        return value.toDateTime().toString(u"yyyy-MM-dd HH:mm:ss"_s);
    case QMetaType::QByteArray:
        return u"x"_s + QString::fromLatin1(value.toByteArray().toHex());
    default:
        break;
    }
    QString text = value.toString();
    text.replace(u"\\"_s, u"\\\\"_s)
        .replace(u"\t"_s, u"\\t"_s)
        .replace(u"\n"_s, u"\\n"_s)
        .replace(u"\r"_s, u"\\r"_s);
    return u"'"_s + text;
}

// The tables the database has (a file of an earlier layout may lack the designs).
QList<Schema::TableColumns> presentTables(Database& db) {
    QList<Schema::TableColumns> present;
    for (const Schema::TableColumns& table : Schema::tableColumns())
        if (db.tableExists(table.table))
            present << table;
    return present;
}

// Reads every table in key order, handing each row to `row`, and sums them. `row` may be
// empty (only the sum is wanted).
DatabaseCopy::Summary
readAll(Database& db,
        const std::function<void(const Schema::TableColumns&, const QVariantList&)>& row) {
    DatabaseCopy::Summary summary;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const Schema::TableColumns& table : Schema::tableColumns()) {
        qint64 count = 0;
        hash.addData(QByteArray("table ") + table.table.toUtf8() + '\n');
        QVariant lastKey;
        for (int read = db.tableExists(table.table) ? BatchRows : 0; read == BatchRows;) {
            read = 0;
            auto rs = lastKey.isValid() ? db.openSnapshot(selectSql(table, true), {lastKey})
                                        : db.openSnapshot(selectSql(table, false));
            QVariantList values;
            for (; !rs->eof(); rs->moveNext(), ++read) {
                values.clear();
                QStringList texts;
                for (const QString& column : table.columns) {
                    values << rs->value(column);
                    texts << canonical(values.last());
                }
                hash.addData(texts.join(u'\t').toUtf8() + '\n');
                if (row)
                    row(table, values);
                lastKey = values.first();
            }
            rs->close();
            count += read;
            // A row without a key (which a file's non-integer key allows) cannot be read on from.
            if (read == BatchRows && lastKey.isNull())
                throw EngineError(ErrorNumber::EngineFailure,
                                  u"The table %1 holds a row without a key."_s.arg(table.table));
        }
        summary.counts << DatabaseCopy::TableCount{table.table, count};
    }
    summary.checksum = QString::fromLatin1(hash.result().toHex());
    return summary;
}

// Runs work over one moment's state of the database: on a server a repeatable-read,
// read-only transaction; a file is held by this program alone, so its reads are one state
// already (and a read-only file could take no transaction).
void consistentRead(Database& db, const std::function<void()>& work) {
    if (!db.isServer()) {
        work();
        return;
    }
    db.transaction([&] {
        db.execute(u"SET TRANSACTION ISOLATION LEVEL REPEATABLE READ, READ ONLY"_s);
        work();
    });
}

qint64 totalRows(Database& db) {
    qint64 total = 0;
    for (const Schema::TableColumns& table : presentTables(db))
        total +=
            db.scalar(u"SELECT count(*) FROM %1"_s.arg(quoteIdentifier(table.table))).toLongLong();
    return total;
}

// Writes every row of the source into the destination, which holds the layout with its
// standard catalogue rows; those give way to the source's. Runs inside the destination's
// transaction. Returns the source's summary.
DatabaseCopy::Summary writeAll(Database& source, Database& destination, Progress& progress,
                               const QString& where) {
    for (const Schema::TableColumns& table : Schema::tableColumns())
        if (isCatalogue(table.table))
            destination.execute(u"DELETE FROM %1"_s.arg(quoteIdentifier(table.table)));
    const QString what = source.isServer() ? source.serverName() : u"pvx.mdb"_s;
    progress.setStage(u"Copying %1 to %2..."_s.arg(what, where), totalRows(source));
    qint64 done = 0;
    QString lastTable;
    QString sql;
    return readAll(source, [&](const Schema::TableColumns& table, const QVariantList& values) {
        if (table.table != lastTable) {
            lastTable = table.table;
            sql = insertSql(table);
        }
        destination.execute(sql, values);
        if (++done % ProgressStep == 0 && !progress.advance(done))
            throw EngineError(ErrorNumber::OperationCancelled, u"The copy was stopped."_s);
    });
}

void requireSame(const DatabaseCopy::Summary& source, const DatabaseCopy::Summary& copy) {
    if (source == copy)
        return;
    throw EngineError(ErrorNumber::EngineFailure,
                      u"The copy does not hold the same values as the database it was made "
                      u"from, so it was not kept."_s);
}

qint64 countOf(Database& db, const QString& table) {
    if (!db.tableExists(table))
        return 0;
    return db.scalar(u"SELECT count(*) FROM %1"_s.arg(quoteIdentifier(table))).toLongLong();
}

} // namespace

DatabaseCopy::Summary DatabaseCopy::summarize(Database& db) {
    Summary summary;
    consistentRead(db, [&] { summary = readAll(db, {}); });
    return summary;
}

DatabaseCopy::Summary DatabaseCopy::toFile(Database& source, const QString& path,
                                           bool replaceExisting, Progress* progress) {
    QuietProgress quiet;
    Progress& shown = progress ? *progress : quiet;
    const QString native = QDir::toNativeSeparators(path);
    if (!replaceExisting && QFileInfo::exists(path))
        throw EngineError(ErrorNumber::DatabaseExists,
                          u"%1 exists already and was left as it was."_s.arg(native));
    // Beside the destination, so that the rename stays on one volume; a copy that was cut
    // short earlier is the only thing that may carry this name.
    const QString work = path + u".partial"_s;
    QFile::remove(work);
    Summary summary;
    try {
        {
            auto copy = Database::create(work);
            Schema::create(*copy);
            consistentRead(source, [&] {
                copy->transaction([&] {
                    summary = writeAll(source, *copy, shown,
                                       QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
                });
            });
            shown.setStage(u"Checking the copy..."_s, 0);
            requireSame(summary, readAll(*copy, {}));
            const QStringList problems = copy->integrityProblems();
            if (!problems.isEmpty())
                throw EngineError(ErrorNumber::DatabaseCorrupt, problems.join(u'\n'));
            copy->close();
        }
        QFile file(work);
        if (!file.open(QIODevice::ReadWrite) || !flushToDisk(file))
            throw EngineError(ErrorNumber::DeviceIOError,
                              u"%1 could not be written to the disk: %2"_s.arg(
                                  QDir::toNativeSeparators(work), file.errorString()));
        file.close();
        shown.setStage(u"Putting the copy in place..."_s, 0);
        shown.disallowCancel();
        QString why;
        if (replaceExisting) {
            if (!replaceFile(work, path, &why))
                throw EngineError(ErrorNumber::PathFileAccess,
                                  u"%1 could not be replaced: %2"_s.arg(native, why));
        } else if (!QFile::rename(work, path)) {
            throw EngineError(
                ErrorNumber::DatabaseExists,
                u"%1 could not be given its name (is there one already?)."_s.arg(native));
        }
        flushFolder(QFileInfo(path).absolutePath());
    } catch (...) {
        QFile::remove(work);
        throw;
    }
    return summary;
}

DatabaseCopy::Summary DatabaseCopy::toServer(Database& source, Database& destination,
                                             Progress* progress) {
    QuietProgress quiet;
    Progress& shown = progress ? *progress : quiet;
    Summary summary;
    consistentRead(source, [&] {
        destination.transaction([&] {
            const QString designs = QString::fromLatin1(Schema::DesignsTable);
            if (!destination.tableExists(u"pvx"_s)) {
                Schema::create(destination);
            } else {
                const qint64 held = countOf(destination, u"pvx"_s) + countOf(destination, designs);
                if (held > 0)
                    throw EngineError(ErrorNumber::DatabaseExists,
                                      u"The database %1 holds records or designs already; a "
                                      u"copy goes only into an empty one, and nothing was "
                                      u"changed."_s.arg(destination.serverName()));
                Schema::upgrade(destination);
            }
            summary = writeAll(source, destination, shown, destination.serverName());
            // Records came with their own numbers: the next one added gets a higher number.
            const qint64 highest =
                destination.scalar(u"SELECT coalesce(max(zelid), 0) FROM pvx"_s).toLongLong();
            if (highest > 0)
                destination.scalar(u"SELECT setval(pg_get_serial_sequence(?, ?)::regclass, ?)"_s,
                                   {u"pvx"_s, u"zelid"_s, highest});
            shown.setStage(u"Checking the copy..."_s, 0);
            requireSame(summary, readAll(destination, {}));
            shown.disallowCancel();
        });
    });
    return summary;
}

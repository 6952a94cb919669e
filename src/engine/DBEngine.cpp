#include "engine/DBEngine.h"

#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/Recordset.h"
#include "engine/SqlText.h"
#include "engine/internal/ErrorMapping.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>

#include <sqlite3.h>

namespace {

// How many engine instructions run between two questions to KeepGoing: often enough for a
// progress bar to move smoothly, seldom enough to cost nothing.
constexpr int InstructionsBetweenChecks = 1000;

// Asks KeepGoing from SQLite's progress handler while it is in place, and turns the
// interruption it asked for into the error that says why. Declared after the database it
// watches, so that it is gone before the handle is closed.
class WorkMonitor {
public:
    WorkMonitor(sqlite3* db, const DBEngine::KeepGoing& keepGoing)
        : m_db(db), m_keepGoing(keepGoing) {
        if (m_keepGoing)
            sqlite3_progress_handler(m_db, InstructionsBetweenChecks, &WorkMonitor::check, this);
    }
    ~WorkMonitor() {
        if (m_keepGoing)
            sqlite3_progress_handler(m_db, 0, nullptr, nullptr);
    }
    WorkMonitor(const WorkMonitor&) = delete;
    WorkMonitor& operator=(const WorkMonitor&) = delete;

    // Runs work; an interruption asked for by KeepGoing becomes OperationCancelled.
    template <class Work> auto operator()(Work&& work) {
        try {
            return work();
        } catch (const EngineError&) {
            if (m_stopped)
                throwEngineError(ErrorNumber::OperationCancelled);
            throw;
        }
    }

private:
    static int check(void* self) {
        auto* monitor = static_cast<WorkMonitor*>(self);
        bool goOn = false;
        try {
            goOn = monitor->m_keepGoing();
        } catch (...) {
            // An exception must not unwind through the engine; it stops the work instead.
        }
        monitor->m_stopped = !goOn;
        return goOn ? 0 : 1;
    }

    sqlite3* m_db;
    const DBEngine::KeepGoing& m_keepGoing;
    bool m_stopped = false;
};

QStringList column(Database& db, const QString& sql) {
    QStringList values;
    auto rs = db.openSnapshot(sql);
    while (!rs->eof()) {
        values << rs->value(rs->fieldNames().constFirst()).toString();
        rs->moveNext();
    }
    rs->close();
    return values;
}

// Every table with its number of rows, by name.
QMap<QString, qint64> tableRows(Database& db) {
    QMap<QString, qint64> rows;
    const QStringList tables =
        column(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"));
    for (const QString& table : tables)
        rows.insert(table,
                    db.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(quoteIdentifier(table)))
                        .toLongLong());
    return rows;
}

} // namespace

namespace DBEngine {

void CompactDatabase(const QString& source, const QString& destination,
                     const KeepGoing& keepGoing) {
    const QFileInfo target(destination);
    const QString nativeTarget = QDir::toNativeSeparators(target.absoluteFilePath());
    if (target.exists())
        throw EngineError(ErrorNumber::DatabaseExists,
                          QStringLiteral("Database '%1' already exists.").arg(nativeTarget));
    // Held exclusively: nobody else may have the file open, or change it while it is copied.
    auto db = Database::open(source, true);
    WorkMonitor monitor(db->handle(), keepGoing);
    // The file name is a value like any other, bound rather than written into the text.
    monitor([&] { db->execute(QStringLiteral("VACUUM INTO ?"), {nativeTarget}); });
}

QStringList compareCopy(const QString& original, const QString& copy, const KeepGoing& keepGoing) {
    QStringList problems;
    auto copyDb = Database::openReadOnly(copy);
    WorkMonitor copyMonitor(copyDb->handle(), keepGoing);
    // The quick check reads every page and record of the copy and finds a file that was not
    // written whole or soundly. The full integrity check would also match each index entry
    // with its row, at ten times the cost, for faults of the engine's own making; the row
    // counts below find rows or a table the copy lost.
    const QStringList integrity =
        copyMonitor([&] { return column(*copyDb, QStringLiteral("PRAGMA quick_check")); });
    if (integrity != QStringList{QStringLiteral("ok")})
        problems << QStringLiteral("The check of the copy found: %1")
                        .arg(integrity.mid(0, 5).join(QStringLiteral("; ")));

    auto originalDb = Database::openReadOnly(original);
    WorkMonitor originalMonitor(originalDb->handle(), keepGoing);
    const auto expected = originalMonitor([&] { return tableRows(*originalDb); });
    const auto found = copyMonitor([&] { return tableRows(*copyDb); });
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        if (!found.contains(it.key()))
            problems << QStringLiteral("Table %1 is missing.").arg(it.key());
        else if (found.value(it.key()) != it.value())
            problems << QStringLiteral("Table %1 holds %2 rows instead of %3.")
                            .arg(it.key())
                            .arg(found.value(it.key()))
                            .arg(it.value());
    }
    for (auto it = found.cbegin(); it != found.cend(); ++it) {
        if (!expected.contains(it.key()))
            problems << QStringLiteral("Table %1 is not in the original.").arg(it.key());
    }
    return problems;
}

} // namespace DBEngine

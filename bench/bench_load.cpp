// The load drill of the network version: several clients, each on its own connection
// through the engine's Database and dynaset as the main form uses them, adding, editing and
// deleting orders at once on one PostgreSQL database for a while; then every client's log
// of what it was told it committed is checked against what the server holds.
//
//   cmake --build build --target bench_load && build/bench/bench_load [--seconds N] [--clients N]
//
// It starts a throwaway cluster of its own (Debian's postgresql), as the tests do. Checked:
// no lost write (every acknowledged add is there, with its last acknowledged edit, unless
// its delete was acknowledged), no doubled write (no row nobody was told of, no key handed
// out twice, no edit counted twice) and no unhandled error. A changed record (3197) is read
// afresh and its change made again, as a user saves again after comparing; a locked record
// is tried again, as the locked-record protocol does. Each edit writes in ordernum one more
// than the count it read, so the stored count equals the acknowledged edits exactly when
// none was lost or doubled. Prints throughput and counts; exits 1 on any violation.
#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/Recordset.h"
#include "engine/Schema.h"
#include "support/PgCluster.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QMutex>
#include <QSet>

#include <atomic>
#include <cstdio>
#include <memory>
#include <random>
#include <thread>
#include <vector>

namespace {

enum class Kind { Add, Edit, Delete };

struct Acknowledged {
    Kind kind;
    qint64 key;
    int count;     // the edit count written (0 for an add)
    QString token; // the description written
};

// The keys acknowledged as added and not (yet) acknowledged as deleted, which all clients
// pick from, so that they meet on the same records.
class KeyPool {
public:
    void add(qint64 key) {
        QMutexLocker lock(&m_mutex);
        m_keys.push_back(key);
    }
    void remove(qint64 key) {
        QMutexLocker lock(&m_mutex);
        const auto found = std::find(m_keys.begin(), m_keys.end(), key);
        if (found != m_keys.end()) {
            *found = m_keys.back();
            m_keys.pop_back();
        }
    }
    // Mostly one of the newest keys, where the clients crowd as users do on today's orders.
    qint64 pick(std::mt19937& random) {
        QMutexLocker lock(&m_mutex);
        if (m_keys.empty())
            return 0;
        const size_t window =
            random() % 4 == 0 ? m_keys.size() : std::min<size_t>(m_keys.size(), 32);
        return m_keys[m_keys.size() - 1 - random() % window];
    }

private:
    QMutex m_mutex;
    std::vector<qint64> m_keys;
};

struct ClientResult {
    std::vector<Acknowledged> log;
    int conflicts = 0;   // 3197: changed or deleted by another user since read
    int lockRetries = 0; // 3260/3168: held by another user's write
    int gone = 0;        // picked, but deleted by another user before it was reached
    QStringList unhandled;
};

bool isLocked(const EngineError& error) {
    return error.number() == ErrorNumber::RecordLocked ||
           error.number() == ErrorNumber::RecordLockedOnSave;
}

bool noLongerExists(const EngineError& error) {
    return error.description().contains(QLatin1String("no longer exists"));
}

class Client {
public:
    Client(int number, std::unique_ptr<Database> database, KeyPool& pool)
        : m_number(number), m_db(std::move(database)), m_pool(pool), m_random(number * 7919 + 1) {}

    ClientResult run(const std::atomic<bool>& stop) {
        try {
            m_rs = m_db->openDynaset(QStringLiteral("pvx"));
            while (!stop.load()) {
                const unsigned roll = m_random() % 10;
                const qint64 key = m_pool.pick(m_random);
                if (roll < 3 || key == 0)
                    add();
                else if (roll < 8)
                    edit(key);
                else
                    remove(key);
            }
        } catch (const std::exception& error) {
            m_result.unhandled << QString::fromUtf8(error.what());
        }
        return std::move(m_result);
    }

private:
    QString token() { return QStringLiteral("c%1-%2").arg(m_number).arg(++m_operations); }

    // Whatever fails unexpectedly is written down and the record left as it is.
    void unexpected(const EngineError& error) {
        m_result.unhandled << QStringLiteral("%1 %2").arg(error.number()).arg(error.description());
        if (m_rs->isEditing())
            m_rs->cancelUpdate();
    }

    // Moves to the record; false (and counted) when another user deleted it. The dynaset
    // shows other users' additions once read afresh, as the main form's does after a find.
    bool find(qint64 key) {
        if (m_rs->findFirst(QStringLiteral("zelid"), key))
            return true;
        m_rs = m_db->openDynaset(QStringLiteral("pvx"));
        if (m_rs->findFirst(QStringLiteral("zelid"), key))
            return true;
        ++m_result.gone;
        return false;
    }

    void add() {
        const QString descr = token();
        try {
            m_rs->addNew();
            const qint64 key = m_rs->value(QStringLiteral("zelid")).toLongLong();
            m_rs->setValue(QStringLiteral("descr"), descr);
            m_rs->setValue(QStringLiteral("ordernum"), QStringLiteral("0"));
            m_rs->update();
            m_result.log.push_back({Kind::Add, key, 0, descr});
            m_pool.add(key);
        } catch (const EngineError& error) {
            unexpected(error);
        }
    }

    void edit(qint64 key) {
        const QString descr = token();
        for (;;) {
            try {
                if (!find(key))
                    return;
                m_rs->edit();
                const int count = m_rs->value(QStringLiteral("ordernum")).toString().toInt() + 1;
                m_rs->setValue(QStringLiteral("descr"), descr);
                m_rs->setValue(QStringLiteral("ordernum"), QString::number(count));
                m_rs->update();
                m_result.log.push_back({Kind::Edit, key, count, descr});
                return;
            } catch (const EngineError& error) {
                if (error.number() != ErrorNumber::RecordChanged && !isLocked(error))
                    return unexpected(error);
                if (m_rs->isEditing())
                    m_rs->cancelUpdate();
                if (isLocked(error)) {
                    ++m_result.lockRetries;
                    continue;
                }
                ++m_result.conflicts;
                if (noLongerExists(error))
                    return;
            }
        }
    }

    void remove(qint64 key) {
        for (;;) {
            try {
                if (!find(key))
                    return;
                m_rs->deleteRecord();
                m_result.log.push_back({Kind::Delete, key, 0, {}});
                m_pool.remove(key);
                return;
            } catch (const EngineError& error) {
                if (error.number() != ErrorNumber::RecordChanged && !isLocked(error))
                    return unexpected(error);
                if (isLocked(error)) {
                    ++m_result.lockRetries;
                    continue;
                }
                ++m_result.conflicts;
                if (noLongerExists(error))
                    return;
            }
        }
    }

    int m_number;
    std::unique_ptr<Database> m_db;
    KeyPool& m_pool;
    std::mt19937 m_random;
    std::unique_ptr<Recordset> m_rs;
    ClientResult m_result;
    int m_operations = 0;
};

struct StoredRow {
    QString descr;
    int count;
};

// Every acknowledged write against the rows the server holds; one line per violation.
QStringList violations(const std::vector<ClientResult>& results,
                       const QHash<qint64, StoredRow>& stored) {
    QStringList found;
    QHash<qint64, QString> added;
    QSet<qint64> deleted;
    QHash<qint64, QHash<int, QString>> edits; // key -> count written -> description
    for (const ClientResult& result : results) {
        for (const Acknowledged& entry : result.log) {
            switch (entry.kind) {
            case Kind::Add:
                if (added.contains(entry.key))
                    found << QStringLiteral("key %1 handed out twice").arg(entry.key);
                added.insert(entry.key, entry.token);
                break;
            case Kind::Edit:
                if (edits[entry.key].contains(entry.count))
                    found << QStringLiteral("key %1: two edits both acknowledged as edit %2 "
                                            "(one overwrote the other)")
                                 .arg(entry.key)
                                 .arg(entry.count);
                edits[entry.key].insert(entry.count, entry.token);
                break;
            case Kind::Delete:
                if (deleted.contains(entry.key))
                    found << QStringLiteral("key %1 deleted twice").arg(entry.key);
                deleted.insert(entry.key);
                break;
            }
        }
    }
    for (auto row = stored.begin(); row != stored.end(); ++row) {
        const qint64 key = row.key();
        if (!added.contains(key)) {
            found << QStringLiteral("key %1 stored, but no add of it was acknowledged").arg(key);
            continue;
        }
        if (deleted.contains(key)) {
            found
                << QStringLiteral("key %1 still stored after its delete was acknowledged").arg(key);
            continue;
        }
        const int acknowledged = int(edits.value(key).size());
        const QString last =
            row->count == 0 ? added.value(key) : edits.value(key).value(row->count);
        if (row->count != acknowledged || row->descr != last)
            found << QStringLiteral("key %1 holds edit %2 (\"%3\"); %4 edits were acknowledged")
                         .arg(key)
                         .arg(row->count)
                         .arg(row->descr)
                         .arg(acknowledged);
    }
    for (auto add = added.begin(); add != added.end(); ++add) {
        if (!deleted.contains(add.key()) && !stored.contains(add.key()))
            found << QStringLiteral("key %1 acknowledged, not deleted, and missing").arg(add.key());
    }
    return found;
}

int intOption(const QStringList& arguments, const QString& name, int fallback) {
    const qsizetype at = arguments.indexOf(name);
    if (at < 0 || at + 1 >= arguments.size())
        return fallback;
    bool ok = false;
    const int value = arguments.at(at + 1).toInt(&ok);
    if (!ok || value < 1)
        qFatal("%s needs a whole number above 0", qPrintable(name));
    return value;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const int seconds = intOption(arguments, QStringLiteral("--seconds"), 60);
    const int clientCount = intOption(arguments, QStringLiteral("--clients"), 8);

    PgCluster cluster;
    if (!cluster.isRunning()) {
        std::fprintf(stderr, "no server for the drill: %s\n", qPrintable(cluster.whyNot()));
        return 2;
    }
    const QString server = cluster.createDatabase(QStringLiteral("drill"));
    Schema::create(*Database::openServer(server));

    KeyPool pool;
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < clientCount; ++i)
        clients.push_back(std::make_unique<Client>(i + 1, Database::openServer(server), pool));

    std::printf("load drill: %d clients for %d s on %s\n", clientCount, seconds,
                qPrintable(Database::openServer(server)->serverName()));
    std::atomic<bool> stop{false};
    std::vector<ClientResult> results(clients.size());
    std::vector<std::thread> threads;
    QElapsedTimer timer;
    timer.start();
    for (size_t i = 0; i < clients.size(); ++i)
        threads.emplace_back([&, i] { results[i] = clients[i]->run(stop); });
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    stop = true;
    for (std::thread& thread : threads)
        thread.join();
    const double elapsed = timer.nsecsElapsed() / 1e9;
    clients.clear();

    QHash<qint64, StoredRow> stored;
    auto check = Database::openServer(server);
    auto rows = check->openSnapshot(QStringLiteral("SELECT zelid, descr, ordernum FROM pvx"));
    for (; !rows->eof(); rows->moveNext())
        stored.insert(rows->value(QStringLiteral("zelid")).toLongLong(),
                      {rows->value(QStringLiteral("descr")).toString(),
                       rows->value(QStringLiteral("ordernum")).toString().toInt()});

    int counts[3] = {0, 0, 0};
    int conflicts = 0, lockRetries = 0, gone = 0;
    QStringList problems;
    for (const ClientResult& result : results) {
        for (const Acknowledged& entry : result.log)
            ++counts[int(entry.kind)];
        conflicts += result.conflicts;
        lockRetries += result.lockRetries;
        gone += result.gone;
        for (const QString& error : result.unhandled)
            problems << QStringLiteral("unhandled error: %1").arg(error);
    }
    problems << violations(results, stored);

    const int total = counts[0] + counts[1] + counts[2];
    std::printf("%-28s %10s %12s\n", "acknowledged", "count", "per second");
    const char* names[3] = {"adds", "edits", "deletes"};
    for (int kind = 0; kind < 3; ++kind)
        std::printf("%-28s %10d %12.1f\n", names[kind], counts[kind], counts[kind] / elapsed);
    std::printf("%-28s %10d %12.1f\n", "all", total, total / elapsed);
    std::printf("%-28s %10d\n", "conflicts (3197), redone", conflicts);
    std::printf("%-28s %10d\n", "locked (3260), retried", lockRetries);
    std::printf("%-28s %10d\n", "already deleted by another", gone);
    std::printf("%-28s %10lld\n", "records on the server", static_cast<long long>(stored.size()));
    std::printf("%-28s %10lld\n", "violations", static_cast<long long>(problems.size()));
    for (qsizetype i = 0; i < std::min<qsizetype>(problems.size(), 20); ++i)
        std::printf("  %s\n", qPrintable(problems.at(i)));
    return problems.isEmpty() ? 0 : 1;
}

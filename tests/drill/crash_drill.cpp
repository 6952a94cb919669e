// The crash drill: a writer process adds, edits and deletes records through the engine, as
// the main form does, and is killed at a random moment, again and again on the same file.
// After each kill the file is opened as the program opens it and checked: its integrity, and
// every write the writer saw complete present as written. The one write under way when the
// writer died is there whole or not at all; so is a batch of rows written in one transaction.
//
//   crash_drill [--rounds N | --seconds N] [--seed S]     default: 20 rounds
//
// CTest runs it for a few rounds; CI for minutes.
#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/Recordset.h"
#include "support/OrderFixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// The records as the parent expects them: key -> description.
using Rows = QMap<int, QString>;

// Says what the writer is about to do, and that it has done it; a line reaches the parent
// in one write, so a kill never leaves half of one.
void say(const QString& line) {
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

bool moveTo(Recordset& rs, int key) {
    return rs.findFirstWhere(u"zelid = ?"_s, {key});
}

// The child: writes until it is killed.
int runWriter(const QString& path, quint64 seed) {
    QRandomGenerator random(seed);
    auto db = Database::open(path, true);
    auto rs = db->openDynaset(u"pvx"_s, u"zelid"_s);
    QList<int> keys;
    for (; !rs->eof(); rs->moveNext())
        keys << rs->value(u"zelid"_s).toInt();
    say(u"ready"_s);
    for (int step = 0;; ++step) {
        const QString descr = u"%1-%2"_s.arg(seed).arg(step);
        int pick = random.bounded(10);
        // A file that has grown large gets deletes for adds, so that a long run stays quick.
        if (pick < 4 && keys.size() > 400)
            pick = 7;
        if (pick < 4 || keys.isEmpty()) {
            rs->addNew();
            const int key = rs->value(u"zelid"_s).toInt();
            say(u"begin add %1 %2"_s.arg(key).arg(descr));
            rs->setValue(u"descr"_s, descr);
            rs->setValue(u"Type"_s, 0);
            rs->setValue(u"status"_s, 0);
            rs->update();
            keys << key;
        } else if (pick < 7) {
            const int key = keys.at(random.bounded(int(keys.size())));
            moveTo(*rs, key);
            say(u"begin edit %1 %2"_s.arg(key).arg(descr));
            rs->edit();
            rs->setValue(u"descr"_s, descr);
            rs->update();
        } else if (pick < 9) {
            const int key = keys.takeAt(random.bounded(int(keys.size())));
            moveTo(*rs, key);
            say(u"begin delete %1"_s.arg(key));
            rs->deleteRecord();
        } else {
            say(u"begin batch"_s);
            QList<int> added;
            db->transaction([&] {
                for (int i = 0; i < 5; ++i) {
                    rs->addNew();
                    const int key = rs->value(u"zelid"_s).toInt();
                    say(u"row %1 %2/%3"_s.arg(key).arg(descr).arg(i));
                    rs->setValue(u"descr"_s, u"%1/%2"_s.arg(descr).arg(i));
                    rs->setValue(u"Type"_s, 1);
                    rs->update();
                    added << key;
                }
            });
            keys << added;
        }
        say(u"done"_s);
    }
}

// What the writer said before it died: the rows of every completed write, and the write it
// had begun, if any.
struct Report {
    Rows acknowledged;
    Rows inFlight; // the rows the unfinished write would leave, changed ones only
    QList<int> removedInFlight;
    bool ready = false;
};

Report readReport(const QByteArray& output, const Rows& before) {
    Report report;
    report.acknowledged = before;
    Rows pending;
    QList<int> pendingRemoval;
    for (const QByteArray& raw : output.split('\n')) {
        const QString line = QString::fromUtf8(raw);
        const QStringList words = line.split(u' ');
        if (line == u"ready") {
            report.ready = true;
        } else if (line == u"done") {
            for (auto it = pending.cbegin(); it != pending.cend(); ++it)
                report.acknowledged.insert(it.key(), it.value());
            for (int key : std::as_const(pendingRemoval))
                report.acknowledged.remove(key);
            pending.clear();
            pendingRemoval.clear();
        } else if (words.value(0) == u"begin" && words.value(1) == u"delete") {
            pendingRemoval << words.value(2).toInt();
        } else if (words.value(0) == u"begin" && words.size() == 4) {
            pending.insert(words.value(2).toInt(), words.value(3));
        } else if (words.value(0) == u"row") {
            pending.insert(words.value(1).toInt(), words.value(2));
        }
    }
    report.inFlight = pending;
    report.removedInFlight = pendingRemoval;
    return report;
}

Rows readFile(Database& db) {
    Rows rows;
    auto rs = db.openSnapshot(u"SELECT zelid, descr FROM pvx"_s);
    for (; !rs->eof(); rs->moveNext())
        rows.insert(rs->value(u"zelid"_s).toInt(), rs->value(u"descr"_s).toString());
    return rows;
}

[[noreturn]] void fail(int round, quint64 seed, const QString& what) {
    std::fprintf(stderr, "crash_drill: round %d (seed %llu): %s\n", round,
                 static_cast<unsigned long long>(seed), qPrintable(what));
    std::exit(1);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args.at(1) == u"--writer")
        return runWriter(args.at(2), args.at(3).toULongLong());

    int rounds = 20;
    qint64 seconds = 0;
    quint64 seed = QRandomGenerator::global()->generate64() >> 12;
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        if (args.at(i) == u"--rounds")
            rounds = args.at(i + 1).toInt();
        else if (args.at(i) == u"--seconds")
            seconds = args.at(i + 1).toLongLong();
        else if (args.at(i) == u"--seed")
            seed = args.at(i + 1).toULongLong();
    }
    QRandomGenerator random(seed);
    QTemporaryDir dir;
    const QString path = OrderFixture::createDatabase(dir.path());
    Rows expected;
    QElapsedTimer clock;
    clock.start();
    int round = 0;
    int writes = 0;
    for (; seconds > 0 ? clock.elapsed() < seconds * 1000 : round < rounds; ++round) {
        const quint64 writerSeed = seed + quint64(round) * 1000003;
        QProcess writer;
        writer.start(app.applicationFilePath(), {u"--writer"_s, path, QString::number(writerSeed)});
        if (!writer.waitForStarted(10000))
            fail(round, seed, u"the writer did not start"_s);
        QByteArray output;
        while (!output.contains("ready\n")) {
            if (!writer.waitForReadyRead(10000))
                fail(round, seed,
                     u"the writer did not open the file: "_s +
                         QString::fromLocal8Bit(writer.readAllStandardError()));
            output += writer.readAllStandardOutput();
        }
        // Killed anywhere in its work: between writes, in the middle of one, in a commit.
        QThread::usleep(random.bounded(60000));
        writer.kill();
        writer.waitForFinished(10000);
        output += writer.readAllStandardOutput();

        const Report report = readReport(output, expected);
        std::unique_ptr<Database> db;
        try {
            // Opened as the program opens it: a journal left by the writer is played back.
            db = Database::open(path, true);
            const QString integrity = db->scalar(u"PRAGMA integrity_check"_s).toString();
            if (integrity != u"ok")
                fail(round, seed, u"integrity check: "_s + integrity);
            const Rows found = readFile(*db);
            db->close();
            Rows whole = report.acknowledged;
            for (auto it = report.inFlight.cbegin(); it != report.inFlight.cend(); ++it)
                whole.insert(it.key(), it.value());
            for (int key : report.removedInFlight)
                whole.remove(key);
            if (found == report.acknowledged) {
                expected = report.acknowledged;
            } else if (found == whole) {
                expected = whole;
            } else {
                QStringList differences;
                for (auto it = report.acknowledged.cbegin(); it != report.acknowledged.cend();
                     ++it) {
                    if (found.value(it.key()) != it.value())
                        differences
                            << u"record %1: written \"%2\", found \"%3\""_s.arg(it.key()).arg(
                                   it.value(), found.value(it.key(), u"(none)"_s));
                }
                for (auto it = found.cbegin(); it != found.cend(); ++it) {
                    if (!report.acknowledged.contains(it.key()) && !whole.contains(it.key()))
                        differences << u"record %1 (\"%2\") was never written"_s.arg(it.key()).arg(
                            it.value());
                }
                fail(round, seed,
                     u"the file does not hold what was written: "_s + differences.join(u"; "_s));
            }
        } catch (const EngineError& error) {
            fail(round, seed, u"%1 %2"_s.arg(error.number()).arg(error.description()));
        }
        writes += int(output.count("done\n"));
    }
    std::printf("crash_drill: seed %llu, %d rounds, %d writes acknowledged, %lld records; the "
                "file whole after every kill\n",
                static_cast<unsigned long long>(seed), round, writes,
                static_cast<long long>(expected.size()));
    return 0;
}

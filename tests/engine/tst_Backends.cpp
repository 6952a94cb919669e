// The engine's behaviour through its interface, the same on both backends: a pvx.mdb file
// and a database on a PostgreSQL server (a throwaway cluster of the test's own).

#include "engine/Currency.h"
#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/Recordset.h"
#include "engine/Schema.h"
#include "engine/SqlText.h"
#include "engine/internal/PgConnection.h"
#include "engine/internal/PgSqlText.h"
#include "support/PgCluster.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <functional>
#include <optional>

namespace {

std::optional<EngineError> errorOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const EngineError& error) {
        return error;
    }
    return std::nullopt;
}

QStringList walk(Recordset& rs, const QString& field) {
    QStringList seen;
    if (rs.recordCount() == 0)
        return seen;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        seen << rs.value(field).toString();
    return seen;
}

int addOrder(Database& db, const QString& descr) {
    auto rs = db.openDynaset(QStringLiteral("pvx"));
    rs->addNew();
    const int key = rs->value(QStringLiteral("zelid")).toInt();
    rs->setValue(QStringLiteral("descr"), descr);
    rs->update();
    rs->close();
    return key;
}

} // namespace

class TestBackends : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<PgCluster> m_cluster;
    QString m_server;
    QTemporaryDir m_files;
    int m_fileCount = 0;

    void addBackends() {
        QTest::newRow("file") << QStringLiteral("file");
        QTest::newRow("server") << QStringLiteral("server");
    }

    // A database with Purvex's tables and no records on the backend asked for.
    std::unique_ptr<Database> fresh(const QString& backend) {
        if (backend == QLatin1String("file")) {
            auto db =
                Database::create(m_files.filePath(QStringLiteral("pvx%1.mdb").arg(++m_fileCount)));
            Schema::create(*db);
            return db;
        }
        if (!m_cluster->isRunning())
            return nullptr;
        auto db = Database::openServer(m_server);
        db->execute(QStringLiteral("DELETE FROM pvx"));
        db->execute(QStringLiteral("DELETE FROM ReportDesigns"));
        db->execute(QStringLiteral("ALTER SEQUENCE pvx_zelid_seq RESTART"));
        return db;
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_files.isValid());
        m_cluster = std::make_unique<PgCluster>();
        if (m_cluster->isRunning()) {
            m_server = m_cluster->createDatabase(QStringLiteral("backends"));
            auto db = Database::openServer(m_server);
            Schema::create(*db);
        } else {
            qWarning("the server rows are skipped: %s", qPrintable(m_cluster->whyNot()));
        }
    }

    void valuesComeBackAsStored_data() {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        const QList<std::tuple<const char*, const char*, QVariant>> cases{
            {"text", "descr", QStringLiteral("Émile's \"pen\"; 50% off? \\ yes")},
            {"empty text", "descr", QString(QLatin1String(""))},
            {"null text", "vendor", QVariant()},
            {"code", "Type", 2},
            {"date", "dateorder", QDate(1998, 5, 30)},
            {"date with time", "dateexpect", QDateTime(QDate(2026, 1, 31), QTime(14, 5))},
            {"amount", "amount", QVariant::fromValue(Currency::fromRaw(12345678))},
            {"negative amount", "amount", QVariant::fromValue(Currency::fromRaw(-100))},
            {"long text", "notes", QString(20000, QLatin1Char('x'))},
        };
        for (const char* backend : {"file", "server"}) {
            for (const auto& [name, field, value] : cases)
                QTest::newRow(qPrintable(
                    QStringLiteral("%1: %2").arg(QLatin1String(backend), QLatin1String(name))))
                    << QString::fromLatin1(backend) << QString::fromLatin1(field) << value;
        }
    }

    // Written through a dynaset, read back through a new dynaset and a snapshot: the same
    // value of the same type.
    void valuesComeBackAsStored() {
        QFETCH(QString, backend);
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        auto db = fresh(backend);
        if (!db)
            QSKIP(qPrintable(m_cluster->whyNot()));
        auto rs = db->openDynaset(QStringLiteral("pvx"));
        rs->addNew();
        const QVariant key = rs->value(QStringLiteral("zelid"));
        rs->setValue(field, value);
        rs->update();
        rs->close();

        auto again = db->openDynaset(QStringLiteral("pvx"));
        QCOMPARE(again->recordCount(), 1);
        auto snapshot = db->openSnapshot(
            QStringLiteral("SELECT %1 FROM pvx WHERE zelid = ?").arg(quoteIdentifier(field)),
            {key});
        QVERIFY(!snapshot->eof());
        for (const QVariant& read : {again->value(field), snapshot->value(field)}) {
            QCOMPARE(read.isNull(), value.isNull());
            if (value.isNull())
                continue;
            QCOMPARE(read.metaType(), value.metaType());
            QCOMPARE(read.toString(), value.toString());
        }
    }

    void dynasetAddsEditsAndDeletes_data() {
        QTest::addColumn<QString>("backend");
        addBackends();
    }

    void dynasetAddsEditsAndDeletes() {
        QFETCH(QString, backend);
        auto db = fresh(backend);
        if (!db)
            QSKIP(qPrintable(m_cluster->whyNot()));
        auto rs = db->openDynaset(QStringLiteral("pvx"), QStringLiteral("descr"));
        QVERIFY(rs->bof() && rs->eof());
        QCOMPARE(rs->recordCount(), 0);
        QList<int> keys;
        for (const char* descr : {"b", "A", "c"}) {
            rs->addNew();
            keys << rs->value(QStringLiteral("zelid")).toInt();
            rs->setValue(QStringLiteral("descr"), QString::fromLatin1(descr));
            rs->update();
        }
        QCOMPARE(keys, (QList<int>{1, 2, 3}));
        // Added rows stay at the end until the dynaset is opened again.
        QCOMPARE(walk(*rs, QStringLiteral("descr")), (QStringList{"b", "A", "c"}));
        rs = db->openDynaset(QStringLiteral("pvx"), QStringLiteral("descr"));
        // Text sorts without regard to case.
        QCOMPARE(walk(*rs, QStringLiteral("descr")), (QStringList{"A", "b", "c"}));

        rs->moveFirst();
        rs->edit();
        rs->setValue(QStringLiteral("descr"), QStringLiteral("a2"));
        rs->update();
        QCOMPARE(rs->value(QStringLiteral("descr")).toString(), QStringLiteral("a2"));
        rs->moveNext();
        rs->deleteRecord();
        rs->moveNext();
        QCOMPARE(rs->value(QStringLiteral("descr")).toString(), QStringLiteral("c"));
        QCOMPARE(rs->recordCount(), 2);
        QCOMPARE(db->scalar(QStringLiteral("SELECT count(*) FROM pvx")).toInt(), 2);

        // A row removed behind the dynaset's back cannot be updated, and says so.
        db->execute(QStringLiteral("DELETE FROM pvx WHERE descr = ?"), {QStringLiteral("c")});
        const auto error = errorOf([&] {
            rs->edit();
            rs->setValue(QStringLiteral("descr"), QStringLiteral("c2"));
            rs->update();
        });
        QVERIFY(error);
        // Where users share the data, someone else's Delete is no reason to end the program.
        QCOMPARE(error->number(), backend == QLatin1String("server")
                                      ? ErrorNumber::RecordChanged
                                      : ErrorNumber::NoCurrentRecord);
        // A key handed out is never handed out again, not even after its row is gone.
        QCOMPARE(addOrder(*db, QStringLiteral("d")), 4);
    }

    void findsWithoutRegardToCase_data() {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("found");
        for (const char* backend : {"file", "server"}) {
            const QString b = QString::fromLatin1(backend);
            QTest::newRow(qPrintable(b + QStringLiteral(": accented capital")))
                << b << QStringLiteral("émi") << QStringLiteral("Émile");
            QTest::newRow(qPrintable(b + QStringLiteral(": percent taken literally")))
                << b << QStringLiteral("50%") << QStringLiteral("50% off");
            QTest::newRow(qPrintable(b + QStringLiteral(": underscore taken literally")))
                << b << QStringLiteral("A_B") << QStringLiteral("a_b");
            QTest::newRow(qPrintable(b + QStringLiteral(": quote")))
                << b << QStringLiteral("o'br") << QStringLiteral("O'Brien");
            QTest::newRow(qPrintable(b + QStringLiteral(": no match")))
                << b << QStringLiteral("zz") << QString();
        }
    }

    // The find of the main window: a prefix compared after Unicode case folding, its
    // wildcards escaped, in dynaset order.
    void findsWithoutRegardToCase() {
        QFETCH(QString, backend);
        QFETCH(QString, prefix);
        QFETCH(QString, found);
        auto db = fresh(backend);
        if (!db)
            QSKIP(qPrintable(m_cluster->whyNot()));
        for (const char* descr : {"500 pens", "axb", "a_b", "Émile", "50% off", "O'Brien"})
            addOrder(*db, QString::fromUtf8(descr));
        auto rs = db->openDynaset(QStringLiteral("pvx"), QStringLiteral("descr"));
        const bool matched =
            rs->findFirstWhere(QStringLiteral("pvx_fold(descr) LIKE pvx_fold(?) ESCAPE '\\'"),
                               {likePrefixPattern(prefix)});
        QCOMPARE(matched, !found.isEmpty());
        QCOMPARE(rs->noMatch(), found.isEmpty());
        if (matched)
            QCOMPARE(rs->value(QStringLiteral("descr")).toString(), found);
        if (matched) {
            rs->moveFirst();
            QVERIFY(rs->findFirst(QStringLiteral("descr"), found.toUpper()));
            QCOMPARE(rs->value(QStringLiteral("descr")).toString(), found);
        }
    }

    void transactionsAreAllOrNothing_data() {
        QTest::addColumn<QString>("backend");
        addBackends();
    }

    void transactionsAreAllOrNothing() {
        QFETCH(QString, backend);
        auto db = fresh(backend);
        if (!db)
            QSKIP(qPrintable(m_cluster->whyNot()));
        const auto failed = errorOf([&] {
            db->transaction([&] {
                addOrder(*db, QStringLiteral("lost"));
                db->execute(QStringLiteral("INSERT INTO nosuchtable VALUES (1)"));
            });
        });
        QVERIFY(failed);
        QCOMPARE(db->scalar(QStringLiteral("SELECT count(*) FROM pvx")).toInt(), 0);
        // An inner transaction that fails takes back its own work only.
        db->transaction([&] {
            addOrder(*db, QStringLiteral("kept"));
            QVERIFY(errorOf([&] {
                db->transaction([&] {
                    addOrder(*db, QStringLiteral("inner"));
                    throw EngineError(ErrorNumber::EngineFailure, QStringLiteral("stop"));
                });
            }));
        });
        auto rs = db->openSnapshot(QStringLiteral("SELECT descr FROM pvx"));
        QCOMPARE(walk(*rs, QStringLiteral("descr")), QStringList{QStringLiteral("kept")});
    }

    void errorsCarryTheirNumbers_data() {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("params");
        QTest::addColumn<int>("number");
        for (const char* backend : {"file", "server"}) {
            const QString b = QString::fromLatin1(backend);
            QTest::newRow(qPrintable(b + QStringLiteral(": missing table")))
                << b << QStringLiteral("SELECT * FROM nosuch") << 0 << ErrorNumber::TableNotFound;
            QTest::newRow(qPrintable(b + QStringLiteral(": missing column")))
                << b << QStringLiteral("SELECT nosuch FROM pvx") << 0 << ErrorNumber::FieldNotFound;
            QTest::newRow(qPrintable(b + QStringLiteral(": syntax")))
                << b << QStringLiteral("SELEC 1") << 0 << ErrorNumber::SyntaxError;
            QTest::newRow(qPrintable(b + QStringLiteral(": parameters")))
                << b << QStringLiteral("SELECT count(*) FROM pvx WHERE zelid = ?") << 2
                << ErrorNumber::EngineFailure;
            QTest::newRow(qPrintable(b + QStringLiteral(": two statements")))
                << b << QStringLiteral("SELECT 1; SELECT 2") << 0 << ErrorNumber::SyntaxError;
        }
    }

    // And the database goes on working after each.
    void errorsCarryTheirNumbers() {
        QFETCH(QString, backend);
        QFETCH(QString, sql);
        QFETCH(int, params);
        QFETCH(int, number);
        auto db = fresh(backend);
        if (!db)
            QSKIP(qPrintable(m_cluster->whyNot()));
        const auto error = errorOf([&] { db->scalar(sql, QVariantList(params, 1)); });
        QVERIFY(error);
        QCOMPARE(error->number(), number);
        QCOMPARE(db->scalar(QStringLiteral("SELECT count(*) FROM RptSpec")).toInt(), 24);
    }

    void placeholdersNumberedOutsideText_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("tail");
        QTest::addColumn<int>("count");
        QTest::newRow("plain") << "SELECT a FROM t WHERE b = ? AND c = ?"
                               << "SELECT a FROM t WHERE b = $1 AND c = $2"
                               << "" << 2;
        QTest::newRow("in a literal") << "SELECT '?', ? FROM t"
                                      << "SELECT '?', $1 FROM t"
                                      << "" << 1;
        QTest::newRow("doubled quote") << "SELECT 'it''s ?' || ?"
                                       << "SELECT 'it''s ?' || $1"
                                       << "" << 1;
        QTest::newRow("quoted name folded") << "SELECT \"Desc\" AS \"#1\" FROM \"RptSpec\""
                                            << "SELECT \"desc\" AS \"#1\" FROM \"rptspec\""
                                            << "" << 0;
        QTest::newRow("other quotes") << "SELECT `Desc` AS `#1`, [a\"b] FROM `a``b`"
                                      << "SELECT \"desc\" AS \"#1\", \"a\"\"b\" FROM \"a`b\""
                                      << "" << 0;
        QTest::newRow("comment") << "SELECT 1 -- why?\n, ?"
                                 << "SELECT 1 \n, $1"
                                 << "" << 1;
        QTest::newRow("script") << "CREATE TABLE a (b text); INSERT INTO a VALUES ('x;y')"
                                << "CREATE TABLE a (b text)"
                                << "INSERT INTO a VALUES ('x;y')" << 0;
        QTest::newRow("binary order") << "ORDER BY vendor, vendor COLLATE binary, zelid"
                                      << "ORDER BY vendor, vendor COLLATE \"C\", zelid"
                                      << "" << 0;
        QTest::newRow("a column named binary") << "SELECT binary FROM t"
                                               << "SELECT binary FROM t"
                                               << "" << 0;
        QTest::newRow("escape") << "x LIKE ? ESCAPE '\\'"
                                << "x LIKE $1 ESCAPE '\\'"
                                << "" << 1;
    }

    void placeholdersNumberedOutsideText() {
        QFETCH(QString, sql);
        QFETCH(QString, text);
        QFETCH(QString, tail);
        QFETCH(int, count);
        const PgSqlText translated = translateForServer(sql);
        QCOMPARE(translated.text, text);
        QCOMPARE(translated.tail, tail);
        QCOMPARE(translated.placeholders, count);
    }

    void connectingFailsClearly_data() {
        QTest::addColumn<QString>("connection");
        QTest::addColumn<QStringList>("says");
        QTest::newRow("password in the string")
            << "host=/nowhere dbname=x password=s3cret" << QStringList{"holds a password"};
        QTest::newRow("password in a URI")
            << "postgresql://me:s3cret@/x?host=/nowhere" << QStringList{"holds a password"};
        QTest::newRow("unreadable") << "host=/nowhere dbname" << QStringList{"cannot be read"};
        // {silent} is a folder with a socket that takes connections and never answers them.
        QTest::newRow("no server")
            << "host=/nonexistent-folder port=1 dbname=x"
            << QStringList{"Could not connect to the database server x on /nonexistent-folder:1: ",
                           "connection to server on socket"};
        QTest::newRow("server that never answers, its own timeout")
            << "host={silent} port=1 dbname=x connect_timeout=2"
            << QStringList{"Could not connect to the database server x on {silent}:1: ",
                           "timeout expired"};
        QTest::newRow("URI, server that never answers")
            << "postgresql:///x?host={silent}&port=1&connect_timeout=2"
            << QStringList{"Could not connect to the database server x on {silent}:1: ",
                           "timeout expired"};
    }

    // A password is refused before anything is sent, and never shown; a server that cannot
    // be reached is named, with libpq's own reason.
    void connectingFailsClearly() {
        QFETCH(QString, connection);
        QFETCH(QStringList, says);
        QTemporaryDir silent;
        QVERIFY(silent.isValid());
        const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(listener >= 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray socketPath = QFile::encodeName(silent.filePath(".s.PGSQL.1"));
        QVERIFY(size_t(socketPath.size()) < sizeof(address.sun_path));
        qstrcpy(address.sun_path, socketPath.constData());
        QCOMPARE(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
        QCOMPARE(::listen(listener, 4), 0);
        const QString folder = QStringLiteral("{silent}");
        const auto error =
            errorOf([&] { Database::openServer(connection.replace(folder, silent.path())); });
        ::close(listener);
        QVERIFY(error);
        QCOMPARE(error->number(), ErrorNumber::CannotOpenFile);
        for (QString text : says)
            QVERIFY2(error->description().contains(text.replace(folder, silent.path())),
                     qPrintable(error->description()));
        QVERIFY(!error->description().contains(QLatin1String("s3cret")));
    }

    void connectTimeoutHasADefault_data() {
        QTest::addColumn<QString>("connection");
        QTest::addColumn<QString>("timeout");
        QTest::newRow("keywords") << "host=%1 port=5432 user=postgres dbname=backends"
                                  << QString::number(PgConnection::DefaultConnectTimeout);
        QTest::newRow("keywords, own timeout")
            << "host=%1 port=5432 user=postgres dbname=backends connect_timeout=3"
            << "3";
        QTest::newRow("URI") << "postgresql://postgres@/backends?host=%1&port=5432"
                             << QString::number(PgConnection::DefaultConnectTimeout);
        QTest::newRow("URI, own timeout")
            << "postgresql://postgres@/backends?host=%1&port=5432&connect_timeout=4"
            << "4";
    }

    // Without a timeout of its own, a connection gives up on a silent server after a while
    // instead of hanging start-up; one the user gives is kept.
    void connectTimeoutHasADefault() {
        if (!m_cluster->isRunning())
            QSKIP(qPrintable(m_cluster->whyNot()));
        QFETCH(QString, connection);
        QFETCH(QString, timeout);
        if (!qEnvironmentVariableIsEmpty("PGCONNECT_TIMEOUT") ||
            !qEnvironmentVariableIsEmpty("PGSERVICE"))
            QSKIP("the environment names a timeout or a service of its own");
        const auto server = PgConnection::connect(connection.arg(m_cluster->socketFolder()));
        QCOMPARE(server->setting("connect_timeout"), timeout);
        QCOMPARE(server->serverName(),
                 QStringLiteral("backends on %1:5432").arg(m_cluster->socketFolder()));
    }

    void rowVersionKeepsBothChanges_data() {
        QTest::addColumn<bool>("deleted");
        QTest::addColumn<QString>("says");
        QTest::newRow("changed") << false << QStringLiteral("was changed by another user");
        QTest::newRow("deleted") << true << QStringLiteral("no longer exists");
    }

    // Two users edit the same record: the second Update is refused with the first one's
    // change kept; an Update again (the user's choice) writes over it knowingly.
    void rowVersionKeepsBothChanges() {
        if (!m_cluster->isRunning())
            QSKIP(qPrintable(m_cluster->whyNot()));
        QFETCH(bool, deleted);
        QFETCH(QString, says);
        auto mine = fresh(QStringLiteral("server"));
        const int key = addOrder(*mine, QStringLiteral("first"));
        auto rs = mine->openDynaset(QStringLiteral("pvx"));
        QCOMPARE(rs->value(QStringLiteral("descr")).toString(), QStringLiteral("first"));

        auto theirs = Database::openServer(m_server);
        auto other = theirs->openDynaset(QStringLiteral("pvx"));
        if (deleted) {
            other->deleteRecord();
        } else {
            other->edit();
            other->setValue(QStringLiteral("descr"), QStringLiteral("theirs"));
            other->update();
        }

        rs->edit();
        rs->setValue(QStringLiteral("descr"), QStringLiteral("mine"));
        const auto error = errorOf([&] { rs->update(); });
        QVERIFY(error);
        QCOMPARE(error->number(), ErrorNumber::RecordChanged);
        QVERIFY2(error->description().contains(says), qPrintable(error->description()));
        const QVariant stored =
            mine->scalar(QStringLiteral("SELECT descr FROM pvx WHERE zelid = ?"), {key});
        QCOMPARE(stored.toString(), deleted ? QString() : QStringLiteral("theirs"));
        if (deleted)
            return;
        QCOMPARE(rs->value(QStringLiteral("descr")).toString(), QStringLiteral("mine"));
        rs->update();
        QCOMPARE(
            mine->scalar(QStringLiteral("SELECT descr FROM pvx WHERE zelid = ?"), {key}).toString(),
            QStringLiteral("mine"));
        // Their Delete of a row that is gone already says so as well.
        theirs->execute(QStringLiteral("DELETE FROM pvx WHERE zelid = ?"), {key});
        const auto again = errorOf([&] { rs->deleteRecord(); });
        QVERIFY(again);
        QCOMPARE(again->number(), ErrorNumber::RecordChanged);
    }

    void editOfARowDeletedElsewhere_data() {
        QTest::addColumn<bool>("addedHere");
        QTest::newRow("a record added here") << true;
        QTest::newRow("a record saved here") << false;
    }

    // Edit of a record shown here and deleted by another user since is told like an Update
    // of it (3197), not taken for a missing record that ends the program.
    void editOfARowDeletedElsewhere() {
        if (!m_cluster->isRunning())
            QSKIP(qPrintable(m_cluster->whyNot()));
        QFETCH(bool, addedHere);
        auto mine = fresh(QStringLiteral("server"));
        std::unique_ptr<Recordset> rs;
        int key = 0;
        if (addedHere) {
            rs = mine->openDynaset(QStringLiteral("pvx"));
            rs->addNew();
            key = rs->value(QStringLiteral("zelid")).toInt();
        } else {
            key = addOrder(*mine, QStringLiteral("saved"));
            rs = mine->openDynaset(QStringLiteral("pvx"));
            rs->edit();
        }
        rs->setValue(QStringLiteral("descr"), QStringLiteral("mine"));
        rs->update();
        // An added row is read again only when needed, a saved one when it is next edited.
        if (addedHere)
            QVERIFY(rs->findFirst(QStringLiteral("zelid"), key));
        Database::openServer(m_server)->execute(QStringLiteral("DELETE FROM pvx WHERE zelid = ?"),
                                                {key});
        const auto error = errorOf([&] { rs->edit(); });
        QVERIFY(error);
        QCOMPARE(error->number(), ErrorNumber::RecordChanged);
        QVERIFY2(error->description().contains(QLatin1String("no longer exists")),
                 qPrintable(error->description()));
    }

    // A row held by another user's unfinished write is a locked record after a moment, not
    // a wait without end.
    void rowHeldByAnotherIsLocked() {
        if (!m_cluster->isRunning())
            QSKIP(qPrintable(m_cluster->whyNot()));
        auto mine = fresh(QStringLiteral("server"));
        const int key = addOrder(*mine, QStringLiteral("shared"));
        auto theirs = Database::openServer(m_server);
        QCOMPARE(theirs->serverName(),
                 QStringLiteral("backends on %1:5432").arg(m_cluster->socketFolder()));
        std::optional<EngineError> error;
        theirs->transaction([&] {
            theirs->execute(QStringLiteral("UPDATE pvx SET descr = ? WHERE zelid = ?"),
                            {QStringLiteral("theirs"), key});
            error = errorOf([&] {
                auto rs = mine->openDynaset(QStringLiteral("pvx"));
                rs->edit();
                rs->setValue(QStringLiteral("descr"), QStringLiteral("mine"));
                rs->update();
            });
        });
        QVERIFY(error);
        QCOMPARE(error->number(), ErrorNumber::RecordLocked);
        QCOMPARE(
            mine->scalar(QStringLiteral("SELECT descr FROM pvx WHERE zelid = ?"), {key}).toString(),
            QStringLiteral("theirs"));
    }
};

QTEST_GUILESS_MAIN(TestBackends)
#include "tst_Backends.moc"

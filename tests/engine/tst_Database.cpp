#include "EngineFixture.h"

#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/Recordset.h"
#include "engine/SqlText.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <iostream>
#include <string>

using namespace EngineFixture;

namespace {

// The test program doubles as the "other process" of the locking tests: run with
// PVX_TST_CHILD set, it opens PVX_TST_FILE and reports on stdout instead of testing.
int childMain(const QByteArray& mode, const QString& path) {
    try {
        if (mode == "race") {
            // Reads the moment to open at and waits for it on the clock both children share,
            // so that two of them open within microseconds of each other.
            std::string go;
            std::getline(std::cin, go);
            const qint64 at = QByteArray::fromStdString(go).toLongLong();
            while (QDateTime::currentMSecsSinceEpoch() < at) {
            }
            auto db = Database::open(path, true);
            std::cout << "ready" << std::endl;
            std::getline(std::cin, go);
            return 0;
        }
        if (mode == "try") {
            auto db = Database::open(path, true);
            std::cout << 0 << std::endl;
            return 0;
        }
        auto db = Database::open(path, mode == "hold");
        if (mode == "reserve")
            db->execute(QStringLiteral("BEGIN IMMEDIATE"));
        std::cout << "ready" << std::endl;
        std::string line;
        std::getline(std::cin, line);
        return 0;
    } catch (const EngineError& error) {
        std::cout << error.number() << std::endl;
        return 1;
    }
}

int countStatements(sqlite3* db) {
    int count = 0;
    for (sqlite3_stmt* stmt = sqlite3_next_stmt(db, nullptr); stmt;
         stmt = sqlite3_next_stmt(db, stmt))
        ++count;
    return count;
}

} // namespace

class TestDatabase : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void missingFileIsNotFound();
    void foreignFileIsNotADatabase();
    void missingTableIsNamed_data();
    void missingTableIsNamed();
    void readOnlyFileIsRefused();
    void readOnlyFolderIsRefused();
    void createRefusesAnExistingFile();
    void createNeedsAnExistingFolder();
    void secondProcessIsRefused();
    void heldFileIsRefusedUntilTheHolderDies();
    void twoCopiesOpeningTogetherLeaveExactlyOneOpen();
    void logModeFileKeepsItsMode();
    void openingWritesNothing_data();
    void openingWritesNothing();
    void closeReleasesTheFile();
    void useAfterCloseIsInvalid_data();
    void useAfterCloseIsInvalid();
    void lockedWriteIsReportedAsLocked();
    void fullDiskIsReported();
    void corruptFileIsReported();
    void sqlErrorsMapToTheirNumbers_data();
    void sqlErrorsMapToTheirNumbers();
    void transactionCommitsOrRollsBack();
    void nestedTransactionRollsBackOnlyItsOwnWork();
    void repeatedSqlReusesItsStatement();
    void scriptsRunEveryStatement();
    void secondStatementIsNeverSilentlyDropped_data();
    void secondStatementIsNeverSilentlyDropped();
    void foldMatchesBeyondAscii();
    void likePrefixTakesWildcardsLiterally();

private:
    QString path() const { return m_dir->filePath(QStringLiteral("pvx.mdb")); }
    QProcess* startChild(const QByteArray& mode, const QString& file);
    int runChild(const QByteArray& mode, const QString& file);

    std::unique_ptr<QTemporaryDir> m_dir;
    QList<QProcess*> m_children;
};

void TestDatabase::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestDatabase::cleanup() {
    for (QProcess* child : m_children) {
        child->closeWriteChannel();
        if (!child->waitForFinished(5000))
            child->kill();
        child->waitForFinished(5000);
        delete child;
    }
    m_children.clear();
    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_dir.reset();
}

QProcess* TestDatabase::startChild(const QByteArray& mode, const QString& file) {
    auto* child = new QProcess;
    m_children << child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PVX_TST_CHILD"), QString::fromLatin1(mode));
    env.insert(QStringLiteral("PVX_TST_FILE"), file);
    child->setProcessEnvironment(env);
    child->start(QCoreApplication::applicationFilePath(), {});
    if (!child->waitForStarted(10000))
        return nullptr;
    return child;
}

int TestDatabase::runChild(const QByteArray& mode, const QString& file) {
    QProcess* child = startChild(mode, file);
    if (!child || !child->waitForFinished(30000))
        return -1;
    return child->readAllStandardOutput().trimmed().toInt();
}

void TestDatabase::missingFileIsNotFound() {
    const auto error = errorOf([&] { Database::open(path()); });
    QVERIFY(error);
    QCOMPARE(error->number(), ErrorNumber::DatabaseFileNotFound);
    QVERIFY2(error->description().contains(path()), qPrintable(error->description()));
    QVERIFY(!QFileInfo::exists(path()));
}

void TestDatabase::foreignFileIsNotADatabase() {
    QFile file(path());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("Purchase orders, one per line\n").repeated(200));
    file.close();
    const auto error = errorOf([&] { Database::open(path()); });
    QVERIFY(error);
    QCOMPARE(error->number(), ErrorNumber::NotADatabase);
    QVERIFY(error->description().contains(path()));
}

void TestDatabase::missingTableIsNamed_data() {
    QTest::addColumn<bool>("dynaset");
    QTest::newRow("dynaset") << true;
    QTest::newRow("snapshot") << false;
}

void TestDatabase::missingTableIsNamed() {
    QFETCH(bool, dynaset);
    auto db = createOrders(m_dir->path());
    const auto error = errorOf([&] {
        if (dynaset)
            db->openDynaset(QStringLiteral("vendors"));
        else
            db->openSnapshot(QStringLiteral("SELECT * FROM vendors ORDER BY name"));
    });
    QVERIFY(error);
    QCOMPARE(error->number(), ErrorNumber::TableNotFound);
    QVERIFY2(error->description().contains(QLatin1String("'vendors'")),
             qPrintable(error->description()));
}

void TestDatabase::readOnlyFileIsRefused() {
    createOrders(m_dir->path())->close();
    // Read-only by its permission bits, which root would otherwise write through.
    QVERIFY(QFile::setPermissions(path(), QFile::ReadOwner | QFile::ReadGroup));
    const auto error = errorOf([&] { Database::open(path()); });
    QVERIFY(error);
    QCOMPARE(error->number(), ErrorNumber::CannotOpenFile);
    QVERIFY(error->description().contains(QLatin1String("read-only")));
    QVERIFY(error->description().contains(QLatin1String("file '") + path()));
}

void TestDatabase::readOnlyFolderIsRefused() {
    createOrders(m_dir->path())->close();
    QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner));
    const auto error = errorOf([&] { Database::open(path()); });
    QVERIFY(error);
    QCOMPARE(error->number(), ErrorNumber::CannotOpenFile);
    QVERIFY2(error->description().contains(QLatin1String("folder '") + m_dir->path()),
             qPrintable(error->description()));
    QVERIFY(error->description().contains(QLatin1String("read-only")));
}

void TestDatabase::createRefusesAnExistingFile() {
    auto db = createOrders(m_dir->path());
    insertOrder(*db, {{QStringLiteral("descr"), QStringLiteral("kept")}});
    db->close();
    const auto error = errorOf([&] { Database::create(path()); });
    QVERIFY(error);
    QCOMPARE(error->number(), 3204);
    db = Database::open(path());
    QCOMPARE(db->scalar(QStringLiteral("SELECT descr FROM orders")).toString(),
             QStringLiteral("kept"));
}

void TestDatabase::createNeedsAnExistingFolder() {
    const QString inMissing = m_dir->filePath(QStringLiteral("no/such/folder/pvx.mdb"));
    QCOMPARE(errorNumber([&] { Database::create(inMissing); }), ErrorNumber::PathNotFound);
    QVERIFY(!QFileInfo::exists(inMissing));
}

void TestDatabase::secondProcessIsRefused() {
    auto db = createOrders(m_dir->path());
    QCOMPARE(runChild("try", path()), ErrorNumber::DatabaseInUse);
    db->close();
    QCOMPARE(runChild("try", path()), 0);
}

void TestDatabase::heldFileIsRefusedUntilTheHolderDies() {
    createOrders(m_dir->path())->close();
    QProcess* holder = startChild("hold", path());
    QVERIFY(holder);
    QVERIFY(holder->waitForReadyRead(30000));
    QCOMPARE(holder->readLine().trimmed(), QByteArray("ready"));

    QCOMPARE(errorNumber([&] { Database::open(path()); }), ErrorNumber::DatabaseInUse);
    // The holder took the exclusive lock at open, so even a plain read is refused.
    QCOMPARE(errorNumber([&] { Database::open(path(), false); }), ErrorNumber::DatabaseInUse);

    // A crashed holder leaves no lock behind.
    holder->kill();
    QVERIFY(holder->waitForFinished(10000));
    auto db = Database::open(path());
    QVERIFY(db->isOpen());
}

void TestDatabase::twoCopiesOpeningTogetherLeaveExactlyOneOpen() {
    createOrders(m_dir->path())->close();
    for (int pair = 0; pair < 5; ++pair) {
        QProcess* first = startChild("race", path());
        QProcess* second = startChild("race", path());
        QVERIFY(first && second);
        const QByteArray at = QByteArray::number(QDateTime::currentMSecsSinceEpoch() + 300) + "\n";
        first->write(at);
        second->write(at);
        QStringList answers;
        for (QProcess* child : {first, second}) {
            QVERIFY(child->waitForReadyRead(30000));
            answers << QString::fromLatin1(child->readLine().trimmed());
        }
        answers.sort();
        QCOMPARE(answers, QStringList({QString::number(ErrorNumber::DatabaseInUse), u"ready"_qs}));
        for (QProcess* child : {first, second}) {
            child->write("done\n");
            QVERIFY(child->waitForFinished(30000));
        }
    }
}

void TestDatabase::logModeFileKeepsItsMode() {
    {
        auto db = createOrders(m_dir->path());
        insertOrder(*db, {{QStringLiteral("descr"), QStringLiteral("Kept in log mode")}});
    }
    QProcess sqlite;
    sqlite.start(QStringLiteral(PVX_SQLITE3_TOOL),
                 {path(), QStringLiteral("PRAGMA journal_mode=WAL")});
    QVERIFY(sqlite.waitForFinished(10000));
    QCOMPARE(sqlite.readAllStandardOutput().trimmed(), QByteArray("wal"));

    auto db = Database::open(path());
    QCOMPARE(db->scalar(QStringLiteral("SELECT descr FROM orders")).toString(),
             QStringLiteral("Kept in log mode"));
    QCOMPARE(db->scalar(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("wal"));
    // Held for exclusive use all the same.
    QCOMPARE(runChild("try", path()), ErrorNumber::DatabaseInUse);
    db->close();

    QFile file(path());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray header = file.read(20);
    QCOMPARE(int(header.at(18)), 2);
    QCOMPARE(int(header.at(19)), 2);
}

void TestDatabase::openingWritesNothing_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("text file")
        << QByteArray("Dear customer, this is not a database.\n").repeated(50);
    QTest::newRow("database without tables") << QByteArray("create");
}

void TestDatabase::openingWritesNothing() {
    QFETCH(QByteArray, content);
    if (content == "create") {
        Database::create(path())->close();
    } else {
        QFile file(path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    const auto bytes = [&] {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("unreadable");
    };
    const QByteArray before = bytes();
    for (bool readOnly : {false, true}) {
        try {
            auto db = readOnly ? Database::openReadOnly(path()) : Database::open(path());
            QVERIFY(!db->tableExists(QStringLiteral("pvx")));
            db->close();
        } catch (const EngineError& error) {
            QCOMPARE(error.number(), ErrorNumber::NotADatabase);
        }
        QCOMPARE(bytes(), before);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files),
                 QStringList{QStringLiteral("pvx.mdb")});
    }
}

void TestDatabase::closeReleasesTheFile() {
    auto db = createOrders(m_dir->path());
    insertOrder(*db, {{QStringLiteral("descr"), QStringLiteral("one")}});
    db->close();
    QVERIFY(!db->isOpen());
    QVERIFY(!QFileInfo::exists(path() + QStringLiteral("-journal")));
    QCOMPARE(runChild("try", path()), 0);
}

void TestDatabase::useAfterCloseIsInvalid_data() {
    QTest::addColumn<int>("use");
    QTest::newRow("dynaset value") << 0;
    QTest::newRow("dynaset move") << 1;
    QTest::newRow("dynaset count") << 2;
    QTest::newRow("snapshot value") << 3;
    QTest::newRow("snapshot move") << 4;
    QTest::newRow("execute") << 5;
    QTest::newRow("open another recordset") << 6;
    QTest::newRow("closed recordset") << 7;
}

void TestDatabase::useAfterCloseIsInvalid() {
    QFETCH(int, use);
    auto db = createOrders(m_dir->path());
    insertOrder(*db, {{QStringLiteral("descr"), QStringLiteral("one")}});
    insertOrder(*db, {{QStringLiteral("descr"), QStringLiteral("two")}});
    auto dynaset = db->openDynaset(QStringLiteral("orders"));
    auto snapshot = db->openSnapshot(QStringLiteral("SELECT descr FROM orders"));
    if (use == 7)
        dynaset->close();
    else
        db->close();
    const int number = errorNumber([&] {
        switch (use) {
        case 0:
        case 7:
            dynaset->value(QStringLiteral("descr"));
            break;
        case 1:
            dynaset->moveNext();
            break;
        case 2:
            dynaset->recordCount();
            break;
        case 3:
            snapshot->value(QStringLiteral("descr"));
            break;
        case 4:
            snapshot->moveNext();
            break;
        case 5:
            db->execute(QStringLiteral("DELETE FROM orders"));
            break;
        default:
            db->openSnapshot(QStringLiteral("SELECT 1"));
            break;
        }
    });
    QCOMPARE(number, ErrorNumber::InvalidObject);
}

void TestDatabase::lockedWriteIsReportedAsLocked() {
    auto db = createOrders(m_dir->path());
    insertOrder(*db, {{QStringLiteral("descr"), QStringLiteral("one")}});
    db->close();
    db = Database::open(path(), false);
    auto orders = db->openDynaset(QStringLiteral("orders"));

    QProcess* other = startChild("reserve", path());
    QVERIFY(other);
    QVERIFY(other->waitForReadyRead(30000));
    QCOMPARE(other->readLine().trimmed(), QByteArray("ready"));

    orders->edit();
    orders->setValue(QStringLiteral("descr"), QStringLiteral("changed"));
    QCOMPARE(errorNumber([&] { orders->update(); }), ErrorNumber::RecordLocked);
    QVERIFY(orders->isEditing());

    other->closeWriteChannel();
    QVERIFY(other->waitForFinished(10000));
    orders->update();
    QCOMPARE(db->scalar(QStringLiteral("SELECT descr FROM orders")).toString(),
             QStringLiteral("changed"));
}

void TestDatabase::fullDiskIsReported() {
    auto db = createOrders(m_dir->path());
    const int pages = db->scalar(QStringLiteral("PRAGMA page_count")).toInt();
    db->execute(QStringLiteral("PRAGMA max_page_count = %1").arg(pages + 1));
    const QString longText(3000, QLatin1Char('x'));
    const int number = errorNumber([&] {
        db->transaction([&] {
            for (int i = 0; i < 100; ++i)
                insertOrder(*db, {{QStringLiteral("notes"), longText}});
        });
    });
    QCOMPARE(number, ErrorNumber::DiskFull);
    QCOMPARE(db->scalar(QStringLiteral("SELECT count(*) FROM orders")).toInt(), 0);
}

void TestDatabase::corruptFileIsReported() {
    auto db = createOrders(m_dir->path());
    db->transaction([&] {
        for (int i = 0; i < 200; ++i)
            insertOrder(*db, {{QStringLiteral("notes"), QString(200, QLatin1Char('n'))}});
    });
    const int pageSize = db->scalar(QStringLiteral("PRAGMA page_size")).toInt();
    const int rootPage =
        db->scalar(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = 'orders'"))
            .toInt();
    db->close();

    QFile file(path());
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.seek(qint64(rootPage - 1) * pageSize));
    file.write(QByteArray(pageSize, '\xff'));
    file.close();

    db = Database::open(path());
    QCOMPARE(errorNumber([&] { db->scalar(QStringLiteral("SELECT count(notes) FROM orders")); }),
             ErrorNumber::DatabaseCorrupt);
}

void TestDatabase::sqlErrorsMapToTheirNumbers_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("named");
    QTest::newRow("table") << "SELECT * FROM RptSpec" << ErrorNumber::TableNotFound << "RptSpec";
    QTest::newRow("column") << "SELECT vendor FROM orders" << ErrorNumber::FieldNotFound
                            << "vendor";
    QTest::newRow("insert column")
        << "INSERT INTO orders (vendor) VALUES (1)" << ErrorNumber::FieldNotFound << "vendor";
    QTest::newRow("syntax") << "SELECT * FROM orders WHERE" << ErrorNumber::SyntaxError << "";
    QTest::newRow("jet date literal")
        << "SELECT * FROM orders WHERE dateorder = #5-30-98#" << ErrorNumber::SyntaxError << "";
    QTest::newRow("other") << "INSERT INTO orders (zelid) VALUES (1), (1)"
                           << ErrorNumber::EngineFailure << "UNIQUE";
}

void TestDatabase::sqlErrorsMapToTheirNumbers() {
    QFETCH(QString, sql);
    QFETCH(int, number);
    QFETCH(QString, named);
    auto db = createOrders(m_dir->path());
    const auto error = errorOf([&] { db->execute(sql); });
    QVERIFY(error);
    QCOMPARE(error->number(), number);
    QVERIFY2(error->description().contains(named), qPrintable(error->description()));
}

void TestDatabase::transactionCommitsOrRollsBack() {
    auto db = createOrders(m_dir->path());
    db->transaction([&] { insertOrder(*db, {{QStringLiteral("descr"), QStringLiteral("a")}}); });
    const int number = errorNumber([&] {
        db->transaction([&] {
            insertOrder(*db, {{QStringLiteral("descr"), QStringLiteral("b")}});
            throw EngineError(ErrorNumber::DiskFull, QStringLiteral("Disk full"));
        });
    });
    QCOMPARE(number, ErrorNumber::DiskFull);
    db->close();
    db = Database::open(path());
    QCOMPARE(db->scalar(QStringLiteral("SELECT group_concat(descr) FROM orders")).toString(),
             QStringLiteral("a"));
}

void TestDatabase::nestedTransactionRollsBackOnlyItsOwnWork() {
    auto db = createOrders(m_dir->path());
    db->transaction([&] {
        insertOrder(*db, {{QStringLiteral("descr"), QStringLiteral("outer")}});
        const int number = errorNumber([&] {
            db->transaction([&] {
                insertOrder(*db, {{QStringLiteral("descr"), QStringLiteral("inner")}});
                db->execute(QStringLiteral("SELECT * FROM nowhere"));
            });
        });
        QCOMPARE(number, ErrorNumber::TableNotFound);
    });
    QCOMPARE(db->scalar(QStringLiteral("SELECT group_concat(descr) FROM orders")).toString(),
             QStringLiteral("outer"));
}

void TestDatabase::repeatedSqlReusesItsStatement() {
    auto db = createOrders(m_dir->path());
    const QString insert = QStringLiteral("INSERT INTO orders (descr, amount) VALUES (?, ?)");
    db->transaction([&] { db->execute(insert, {QStringLiteral("first"), 1}); });
    const int statements = countStatements(db->handle());
    db->transaction([&] {
        for (int i = 0; i < 500; ++i)
            db->execute(insert, {QStringLiteral("row %1").arg(i), i});
    });
    QCOMPARE(countStatements(db->handle()), statements);
    QCOMPARE(db->scalar(QStringLiteral("SELECT count(*) FROM orders")).toInt(), 501);
    QCOMPARE(
        db->scalar(QStringLiteral("SELECT descr FROM orders WHERE zelid = ?"), {501}).toString(),
        QStringLiteral("row 499"));

    // Many different texts do not pile up statements without end.
    for (int i = 0; i < 300; ++i)
        db->scalar(QStringLiteral("SELECT %1").arg(i));
    QVERIFY(countStatements(db->handle()) < 100);
}

void TestDatabase::scriptsRunEveryStatement() {
    auto db = createOrders(m_dir->path());
    db->execute(QStringLiteral("CREATE TABLE a (x INTEGER);\n"
                               "INSERT INTO a VALUES (1);\n"
                               "INSERT INTO a VALUES (2); -- the last one\n"));
    QCOMPARE(db->scalar(QStringLiteral("SELECT sum(x) FROM a")).toInt(), 3);
    QVERIFY(db->tableExists(QStringLiteral("A")));
    QVERIFY(!db->tableExists(QStringLiteral("b")));
}

void TestDatabase::secondStatementIsNeverSilentlyDropped_data() {
    QTest::addColumn<int>("use");
    QTest::addColumn<int>("number");
    QTest::newRow("scalar") << 0 << ErrorNumber::SyntaxError;
    QTest::newRow("snapshot") << 1 << ErrorNumber::SyntaxError;
    QTest::newRow("find condition") << 2 << ErrorNumber::SyntaxError;
    QTest::newRow("snapshot of a write") << 3 << ErrorNumber::ReadOnly;
}

void TestDatabase::secondStatementIsNeverSilentlyDropped() {
    QFETCH(int, use);
    QFETCH(int, number);
    auto db = createOrders(m_dir->path());
    insertOrder(*db, {{QStringLiteral("descr"), QStringLiteral("kept")}});
    const QString twice = QStringLiteral("SELECT 1; DELETE FROM orders");
    const int thrown = errorNumber([&] {
        switch (use) {
        case 0:
            db->scalar(twice);
            break;
        case 1:
            db->openSnapshot(twice);
            break;
        case 2:
            db->openDynaset(QStringLiteral("orders"))
                ->findFirstWhere(QStringLiteral("1); DELETE FROM orders; SELECT (1"));
            break;
        default:
            db->openSnapshot(QStringLiteral("DELETE FROM orders"));
            break;
        }
    });
    QCOMPARE(thrown, number);
    QCOMPARE(db->scalar(QStringLiteral("SELECT count(*) FROM orders")).toInt(), 1);
}

void TestDatabase::foldMatchesBeyondAscii() {
    auto db = createOrders(m_dir->path());
    const QString folded = QStringLiteral("SELECT pvx_fold(?)");
    QCOMPARE(db->scalar(folded, {QString::fromUtf8("ÉMILE Zoë ÅSA")}).toString(),
             QString::fromUtf8("émile zoë åsa"));
    QCOMPARE(db->scalar(folded, {QStringLiteral("Plain ASCII")}).toString(),
             QStringLiteral("plain ascii"));
    QVERIFY(db->scalar(folded, {QVariant()}).isNull());
    QCOMPARE(db->scalar(folded, {42}).toString(), QStringLiteral("42"));
}

void TestDatabase::likePrefixTakesWildcardsLiterally() {
    auto db = createOrders(m_dir->path());
    for (const char* descr : {"50% off", "500 pens", "50_50 split", "Ärmel", "ärger", "a\\b"})
        insertOrder(*db, {{QStringLiteral("descr"), QString::fromUtf8(descr)}});
    auto matching = [&](const QString& prefix) {
        return db
            ->scalar(QStringLiteral("SELECT group_concat(descr, '|') FROM (SELECT descr FROM "
                                    "orders WHERE pvx_fold(descr) LIKE pvx_fold(?) ESCAPE '\\' "
                                    "ORDER BY zelid)"),
                     {likePrefixPattern(prefix)})
            .toString();
    };
    QCOMPARE(matching(QStringLiteral("50%")), QStringLiteral("50% off"));
    QCOMPARE(matching(QStringLiteral("50_")), QStringLiteral("50_50 split"));
    QCOMPARE(matching(QStringLiteral("50")), QStringLiteral("50% off|500 pens|50_50 split"));
    QCOMPARE(matching(QString::fromUtf8("äR")), QString::fromUtf8("Ärmel|ärger"));
    QCOMPARE(matching(QStringLiteral("a\\")), QStringLiteral("a\\b"));
    QCOMPARE(matching(QStringLiteral("it's")), QString());
}

int main(int argc, char** argv) {
    const QByteArray mode = qgetenv("PVX_TST_CHILD");
    if (!mode.isEmpty())
        return childMain(mode, qEnvironmentVariable("PVX_TST_FILE"));
    QCoreApplication app(argc, argv);
    TestDatabase test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Database.moc"

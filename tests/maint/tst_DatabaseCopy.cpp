// A whole database copied between a pvx.mdb and a PostgreSQL server, both ways, read back
// from the stored rows; a target that holds data is refused and left as it was; a copy that
// fails halfway leaves the server's database as empty as it was.

#include "engine/Currency.h"
#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/Recordset.h"
#include "engine/Schema.h"
#include "engine/SqlText.h"
#include "maint/DatabaseCopy.h"
#include "support/PgCluster.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

using Rows = QList<QVariantList>;

// Every row of every table of the layout, in key order, as the engine reads them.
QHash<QString, Rows> everything(Database& db) {
    QHash<QString, Rows> all;
    for (const Schema::TableColumns& table : Schema::tableColumns()) {
        QStringList columns;
        for (const QString& column : table.columns)
            columns << quoteIdentifier(column);
        auto rs = db.openSnapshot(u"SELECT %1 FROM %2 ORDER BY %3"_s.arg(
            columns.join(u", "_s), quoteIdentifier(table.table), columns.first()));
        Rows& rows = all[table.table];
        for (; !rs->eof(); rs->moveNext()) {
            QVariantList row;
            for (const QString& column : table.columns)
                row << rs->value(column);
            rows << row;
        }
    }
    return all;
}

// Stops the copy at its first report of progress, as a user pressing Cancel.
class StoppingProgress final : public Progress {
public:
    void setStage(const QString&, qint64) override {}
    bool advance(qint64) override {
        m_cancelled = true;
        return false;
    }
    void disallowCancel() override {}
    bool wasCancelled() const override { return m_cancelled; }

private:
    bool m_cancelled = false;
};

const QString AddOrder = u"INSERT INTO pvx (zelid, descr, Type, status, dateorder, dateexpect, "
                         u"amount, notes) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"_s;
const QString AddDesign =
    u"INSERT INTO ReportDesigns (DesignKey, DesignName, Design) VALUES (?, ?, ?)"_s;

} // namespace

class tst_DatabaseCopy : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<PgCluster> m_cluster;
    QTemporaryDir m_dir;
    int m_databases = 0;

    std::unique_ptr<Database> freshServer() {
        return Database::openServer(m_cluster->createDatabase(u"copy%1"_s.arg(++m_databases)));
    }
    std::unique_ptr<Database> freshFile(const QString& name) {
        auto db = Database::create(m_dir.filePath(name));
        Schema::create(*db);
        return db;
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_cluster = std::make_unique<PgCluster>();
        if (!m_cluster->isRunning())
            QSKIP(qPrintable(m_cluster->whyNot()));
    }

    void fileToServerToFileKeepsEveryValue_data() {
        QTest::addColumn<Rows>("orders");
        QTest::addColumn<Rows>("designs");
        QTest::newRow("empty") << Rows{} << Rows{};
        QTest::newRow("plain") << Rows{{3, u"Lamp"_s, 0, 0, QDate(2026, 1, 5), QDate(2026, 2, 1),
                                        QVariant::fromValue(Currency::fromRaw(129900)), u"x"_s}}
                               << Rows{};
        QTest::newRow("odd values")
            << Rows{{7, u"Kamera \u00e9t\u00e9 \u65e5\u672c \U0001F4F7"_s, 2, 1, QVariant(),
                     QVariant(), QVariant::fromValue(Currency::fromRaw(999999999999999LL)),
                     u"tab\there\nline \\ 'quoted'"_s},
                    {9, QVariant(), 1, 2, QDateTime(QDate(1998, 5, 30), QTime(14, 5)),
                     QDate(1900, 1, 1), QVariant::fromValue(Currency::fromRaw(-1)), u""_s},
                    {1000000, u"far key"_s, 0, 0, QDate(2099, 12, 31), QVariant(), QVariant(),
                     QVariant()}}
            << Rows{};
        Rows many;
        for (int key = 1; key <= 5001; ++key)
            many << QVariantList{key * 2,
                                 u"order %1"_s.arg(key),
                                 key % 3,
                                 key % 3,
                                 QDate(2026, 1, 1).addDays(key),
                                 QVariant(),
                                 QVariant::fromValue(Currency::fromRaw(key)),
                                 QVariant()};
        QTest::newRow("more rows than one batch") << many << Rows{};
        QTest::newRow("designs")
            << Rows{{1, u"one"_s, 0, 0, QDate(2026, 3, 1), QVariant(), QVariant(), QVariant()}}
            << Rows{{u"spending"_s, u"Spending"_s, u"fields=Description;Amount"_s},
                    {u"\u00e5rsvis"_s, u"\u00c5rsvis"_s, u"fields=Amount\nsort=1"_s},
                    {u"zz"_s, u"ZZ"_s, u"{}"_s}};
    }

    // The values read back from the file made from the server are those of the first file,
    // the server hands out keys past the copied ones, and the single-user program opens the
    // file as sound.
    void fileToServerToFileKeepsEveryValue() {
        QFETCH(Rows, orders);
        QFETCH(Rows, designs);
        const QString tag = QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'_');
        auto first = freshFile(tag + u"_first.mdb"_s);
        first->transaction([&] {
            for (const QVariantList& row : orders)
                first->execute(AddOrder, row);
        });
        for (const QVariantList& row : designs)
            first->execute(AddDesign, row);
        first->execute(u"UPDATE RptSpec SET \"Desc\" = ? WHERE SpecID = 1"_s, {u"Bought \u00fc"_s});

        auto server = freshServer();
        const DatabaseCopy::Summary up = DatabaseCopy::toServer(*first, *server);
        QCOMPARE(up.counts.first().rows, qint64(orders.size()));
        QCOMPARE(up.counts.last().rows, qint64(designs.size()));
        QCOMPARE(up, DatabaseCopy::summarize(*first));

        const QString back = m_dir.filePath(tag + u"_back.mdb"_s);
        const DatabaseCopy::Summary down = DatabaseCopy::toFile(*server, back, false);
        QCOMPARE(down, up);
        QVERIFY(!QFile::exists(back + u".partial"_s));

        auto reopened = Database::open(back);
        QCOMPARE(Schema::check(*reopened), QStringList{});
        QCOMPARE(everything(*reopened), everything(*first));

        server->execute(u"INSERT INTO pvx (descr, Type, status) VALUES (?, 0, 0)"_s, {u"new"_s});
        qint64 highest = 0;
        for (const QVariantList& row : orders)
            highest = std::max(highest, row.first().toLongLong());
        QVERIFY(server->scalar(u"SELECT max(zelid) FROM pvx"_s).toLongLong() > highest);
    }

    void aTargetIsLeftAsItWas_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("error");
        QTest::newRow("server with a record") << u"server record"_s << ErrorNumber::DatabaseExists;
        QTest::newRow("server with a design") << u"server design"_s << ErrorNumber::DatabaseExists;
        QTest::newRow("existing file") << u"file"_s << ErrorNumber::DatabaseExists;
        QTest::newRow("server without tables, failing") << u"bare"_s << ErrorNumber::Overflow;
        QTest::newRow("server with empty tables, failing") << u"server"_s << ErrorNumber::Overflow;
        QTest::newRow("file, stopped by the user")
            << u"file replaced"_s << ErrorNumber::OperationCancelled;
    }

    // A target that holds data is refused; on a failing copy (the server refuses a lookup
    // code beyond its small integers, after every order is written; the user stops a file
    // copy) nothing is kept. Either way the target reads back exactly as before.
    void aTargetIsLeftAsItWas() {
        QFETCH(QString, target);
        QFETCH(int, error);
        auto source = freshFile(QString::number(++m_databases) + u"_source.mdb"_s);
        source->transaction([&] {
            for (int key = 1; key <= 600; ++key)
                source->execute(AddOrder, {key, u"order %1"_s.arg(key), 0, 0, QDate(2026, 1, 1),
                                           QVariant(), QVariant(), QVariant()});
            source->execute(u"INSERT INTO TypeNames (TypeCode, TypeName, IsOrder, IsRebate, "
                            u"IsSale) VALUES (?, ?, 0, 0, 0)"_s,
                            {error == ErrorNumber::Overflow ? 70000 : 9, u"odd"_s});
        });
        std::unique_ptr<Database> server;
        DatabaseCopy::Summary before;
        const QString path = m_dir.filePath(QString::number(m_databases) + u"_kept.mdb"_s);
        if (target.startsWith(u"file"_s)) {
            auto earlier = freshFile(QFileInfo(path).fileName());
            earlier->execute(u"INSERT INTO pvx (descr) VALUES (?)"_s, {u"theirs"_s});
            before = DatabaseCopy::summarize(*earlier);
        } else {
            server = freshServer();
            if (target != u"bare"_s)
                Schema::create(*server);
            if (target == u"server record"_s)
                server->execute(u"INSERT INTO pvx (descr) VALUES (?)"_s, {u"theirs"_s});
            if (target == u"server design"_s)
                server->execute(AddDesign, {u"d"_s, u"D"_s, u"x"_s});
            before = DatabaseCopy::summarize(*server);
        }
        StoppingProgress stopping;
        int failed = 0;
        try {
            if (server)
                DatabaseCopy::toServer(*source, *server);
            else
                DatabaseCopy::toFile(*source, path, target == u"file replaced"_s, &stopping);
        } catch (const EngineError& caught) {
            failed = caught.number();
        }
        QCOMPARE(failed, error);
        if (server) {
            QCOMPARE(server->tableExists(u"pvx"_s), target != u"bare"_s);
            QCOMPARE(DatabaseCopy::summarize(*server), before);
        } else {
            QVERIFY(!QFile::exists(path + u".partial"_s));
            QCOMPARE(DatabaseCopy::summarize(*Database::open(path)), before);
        }
    }
};

QTEST_GUILESS_MAIN(tst_DatabaseCopy)
#include "tst_DatabaseCopy.moc"

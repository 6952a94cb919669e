// Paging a dynaset without its keys read ahead: the order of rows with alike, case-folded
// and missing sort values, both ways; rows deleted through it or behind its back; rows added
// through it; finds; and that every search it runs is an index search.
#include "EngineFixture.h"

#include "engine/Database.h"
#include "engine/Recordset.h"

#include <QDate>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

using namespace EngineFixture;

namespace {

const QString kKey = QStringLiteral("zelid");

// Keys 1 to 8, inserted so that neither key order nor text order gives the recordset's:
// alike descriptions differing in case, alike dates, and rows with neither.
void addRows(Database& db) {
    const QDate day(2001, 3, 4);
    const QList<std::pair<QVariant, QVariant>> rows = {
        {QStringLiteral("pear"), day},
        {QVariant(), day.addDays(2)},
        {QStringLiteral("Apple"), QVariant()},
        {QStringLiteral("apple"), day},
        {QStringLiteral("PEAR"), day.addDays(2)},
        {QVariant(), QVariant()},
        {QStringLiteral("fig"), day},
        {QStringLiteral("APPLE"), day.addDays(1)},
    };
    for (const auto& [descr, date] : rows)
        insertOrder(db, {{QStringLiteral("descr"), descr}, {QStringLiteral("dateorder"), date}});
}

QList<int> keys(std::initializer_list<int> list) {
    return list;
}

QList<int> forward(Recordset& rs) {
    QList<int> seen;
    if (rs.bof() && rs.eof())
        return seen;
    rs.moveFirst();
    while (!rs.eof()) {
        seen << rs.value(kKey).toInt();
        rs.moveNext();
    }
    return seen;
}

// Back to front, as its own walk: from the last row by MovePrevious.
QList<int> backward(Recordset& rs) {
    QList<int> seen;
    if (rs.bof() && rs.eof())
        return seen;
    rs.moveLast();
    while (!rs.bof()) {
        seen.prepend(rs.value(kKey).toInt());
        rs.movePrevious();
    }
    return seen;
}

} // namespace

class TestDynasetPaging : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void pagesInOrderBothWays_data();
    void pagesInOrderBothWays();
    void deletedRowsArePassedOver_data();
    void deletedRowsArePassedOver();
    void addedRowsFollowBothWays_data();
    void addedRowsFollowBothWays();
    void findsFirstInRecordsetOrder_data();
    void findsFirstInRecordsetOrder();
    void everySearchIsAnIndexSearch_data();
    void everySearchIsAnIndexSearch();
    void orderBySeveralFieldsIsRefused();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Database> m_db;
};

void TestDynasetPaging::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_db = createOrders(m_dir->path());
    addRows(*m_db);
}

void TestDynasetPaging::cleanup() {
    m_db.reset();
    m_dir.reset();
}

void TestDynasetPaging::pagesInOrderBothWays_data() {
    QTest::addColumn<QString>("order");
    QTest::addColumn<QList<int>>("expected");
    // Missing values first going up, alike values (case ignored) by key.
    QTest::newRow("descr") << "descr" << keys({2, 6, 3, 4, 8, 7, 1, 5});
    QTest::newRow("descr desc") << "descr DESC" << keys({5, 1, 7, 8, 4, 3, 6, 2});
    QTest::newRow("quoted, lower-case direction")
        << "\"descr\" desc" << keys({5, 1, 7, 8, 4, 3, 6, 2});
    QTest::newRow("date") << "dateorder" << keys({3, 6, 1, 4, 7, 8, 2, 5});
    QTest::newRow("date desc") << "dateorder DESC" << keys({5, 2, 8, 7, 4, 1, 6, 3});
    QTest::newRow("key") << "" << keys({1, 2, 3, 4, 5, 6, 7, 8});
    QTest::newRow("key desc") << "zelid DESC" << keys({8, 7, 6, 5, 4, 3, 2, 1});
}

void TestDynasetPaging::pagesInOrderBothWays() {
    QFETCH(QString, order);
    QFETCH(QList<int>, expected);
    auto rs = m_db->openDynaset(QStringLiteral("orders"), order);
    // Open shows the first record at once.
    QVERIFY(!rs->bof());
    QCOMPARE(rs->value(kKey).toInt(), expected.first());
    QCOMPARE(forward(*rs), expected);
    QCOMPARE(backward(*rs), expected);
    QCOMPARE(rs->recordCount(), int(expected.size()));
}

void TestDynasetPaging::deletedRowsArePassedOver_data() {
    QTest::addColumn<QString>("order");
    QTest::addColumn<QList<int>>("deleteHere");
    QTest::addColumn<QList<int>>("deleteElsewhere");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("here, alike values")
        << "descr" << keys({4}) << keys({}) << keys({2, 6, 3, 8, 7, 1, 5});
    QTest::newRow("elsewhere, alike values")
        << "descr" << keys({}) << keys({4, 8}) << keys({2, 6, 3, 7, 1, 5});
    QTest::newRow("both, missing values")
        << "dateorder DESC" << keys({6}) << keys({3, 5}) << keys({2, 8, 7, 4, 1});
    QTest::newRow("every missing value")
        << "descr" << keys({2}) << keys({6}) << keys({3, 4, 8, 7, 1, 5});
    QTest::newRow("first and last")
        << "dateorder" << keys({3}) << keys({5}) << keys({6, 1, 4, 7, 8, 2});
    QTest::newRow("key order") << "" << keys({1, 8}) << keys({4}) << keys({2, 3, 5, 6, 7});
}

// A row deleted through the dynaset leaves it where it was, so Next and Previous go to its
// neighbours; one deleted by plain SQL is simply not found by the next search.
void TestDynasetPaging::deletedRowsArePassedOver() {
    QFETCH(QString, order);
    QFETCH(QList<int>, deleteHere);
    QFETCH(QList<int>, deleteElsewhere);
    QFETCH(QList<int>, expected);
    auto rs = m_db->openDynaset(QStringLiteral("orders"), order);
    const QList<int> before = forward(*rs);
    for (int key : deleteHere) {
        QVERIFY(rs->findFirst(kKey, key));
        rs->deleteRecord();
        const qsizetype at = before.indexOf(key);
        // Back to the row before it, and on again to the row after it.
        if (at > 0) {
            rs->movePrevious();
            QCOMPARE(rs->value(kKey).toInt(), before.at(at - 1));
        } else {
            rs->movePrevious();
            QVERIFY(rs->bof());
        }
    }
    for (int key : deleteElsewhere)
        m_db->execute(QStringLiteral("DELETE FROM orders WHERE zelid = ?"), {key});
    QCOMPARE(forward(*rs), expected);
    QCOMPARE(backward(*rs), expected);
    QCOMPARE(rs->recordCount(), int(expected.size()));
}

void TestDynasetPaging::addedRowsFollowBothWays_data() {
    QTest::addColumn<QString>("order");
    QTest::addColumn<QList<int>>("opened");
    QTest::newRow("descr") << "descr" << keys({2, 6, 3, 4, 8, 7, 1, 5});
    QTest::newRow("date desc") << "dateorder DESC" << keys({5, 2, 8, 7, 4, 1, 6, 3});
}

// Added rows stay at the end, whatever they sort as, and also walking back; the one
// deleted among them is passed over; a row inserted by other means waits for a reopening.
void TestDynasetPaging::addedRowsFollowBothWays() {
    QFETCH(QString, order);
    QFETCH(QList<int>, opened);
    auto rs = m_db->openDynaset(QStringLiteral("orders"), order);
    QList<int> added;
    for (const QVariant& descr :
         {QVariant(QStringLiteral("aardvark")), QVariant(), QVariant(QStringLiteral("zebra"))}) {
        rs->addNew();
        added << rs->value(kKey).toInt();
        rs->setValue(QStringLiteral("descr"), descr);
        rs->setValue(QStringLiteral("dateorder"), QDate(2001, 3, 5));
        rs->update();
    }
    const int elsewhere = insertOrder(*m_db, {{QStringLiteral("descr"), QStringLiteral("b")}});
    QCOMPARE(forward(*rs), opened + added);
    QCOMPARE(backward(*rs), opened + added);
    QVERIFY(rs->findFirst(kKey, added.at(1)));
    rs->deleteRecord();
    rs->movePrevious();
    QCOMPARE(rs->value(kKey).toInt(), added.at(0));
    added.removeAt(1);
    QCOMPARE(forward(*rs), opened + added);
    QCOMPARE(backward(*rs), opened + added);
    QCOMPARE(rs->recordCount(), int(opened.size() + added.size()));
    QVERIFY(!rs->findFirst(kKey, elsewhere));
    auto reopened = m_db->openDynaset(QStringLiteral("orders"), order);
    QVERIFY(forward(*reopened).contains(elsewhere));
    QCOMPARE(reopened->recordCount(), int(opened.size() + added.size() + 1));
}

void TestDynasetPaging::findsFirstInRecordsetOrder_data() {
    QTest::addColumn<QString>("order");
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QVariantList>("params");
    QTest::addColumn<int>("found");
    QTest::addColumn<QList<int>>("following");
    QTest::newRow("alike text going up")
        << "descr"
        << "pvx_fold(descr) LIKE pvx_fold(?) ESCAPE '\\'" << QVariantList{QStringLiteral("ap%")}
        << 3 << keys({4, 8});
    QTest::newRow("alike text going down")
        << "descr DESC"
        << "pvx_fold(descr) LIKE pvx_fold(?) ESCAPE '\\'" << QVariantList{QStringLiteral("ap%")}
        << 8 << keys({4, 3});
    QTest::newRow("alike date") << "dateorder DESC"
                                << "dateorder = ?" << QVariantList{QDate(2001, 3, 4)} << 7
                                << keys({4, 1, 6});
    QTest::newRow("missing value") << "descr"
                                   << "descr IS NULL" << QVariantList{} << 2 << keys({6, 3});
}

void TestDynasetPaging::findsFirstInRecordsetOrder() {
    QFETCH(QString, order);
    QFETCH(QString, condition);
    QFETCH(QVariantList, params);
    QFETCH(int, found);
    QFETCH(QList<int>, following);
    auto rs = m_db->openDynaset(QStringLiteral("orders"), order);
    QVERIFY(rs->findFirstWhere(condition, params));
    QCOMPARE(rs->value(kKey).toInt(), found);
    for (int key : following) {
        rs->moveNext();
        QCOMPARE(rs->value(kKey).toInt(), key);
    }
}

void TestDynasetPaging::everySearchIsAnIndexSearch_data() {
    QTest::addColumn<QString>("order");
    for (const char* order : {"descr", "descr DESC", "dateorder", "dateorder DESC"})
        QTest::newRow(order) << QString::fromLatin1(order);
}

namespace {

int collectStatement(unsigned, void* context, void* statement, void*) {
    auto* texts = static_cast<QStringList*>(context);
    char* expanded = sqlite3_expanded_sql(static_cast<sqlite3_stmt*>(statement));
    const QString text = QString::fromUtf8(expanded);
    sqlite3_free(expanded);
    if (text.contains(QLatin1String(" LIMIT 1")) && !texts->contains(text))
        texts->append(text);
    return 0;
}

} // namespace

// Every seek, from rows with and without a sort value, each way, searches an index: no
// scan of the table and no sorting of its rows, so its cost does not grow with the table.
void TestDynasetPaging::everySearchIsAnIndexSearch() {
    QFETCH(QString, order);
    // Plenty of rows, so the planner's choices are those of a real file.
    m_db->transaction([&] {
        for (int i = 0; i < 2000; ++i)
            m_db->execute(
                QStringLiteral("INSERT INTO orders (descr, dateorder) VALUES (?, ?)"),
                {QStringLiteral("item %1").arg(i % 50), QDate(2000, 1, 1).addDays(i % 300)});
    });
    m_db->execute(QStringLiteral("ANALYZE"));
    QStringList searches;
    sqlite3_trace_v2(m_db->handle(), SQLITE_TRACE_STMT, collectStatement, &searches);
    auto rs = m_db->openDynaset(QStringLiteral("orders"), order);
    forward(*rs);
    backward(*rs);
    rs->findFirstWhere(QStringLiteral("descr IS NULL"));
    rs->moveNext();
    rs->movePrevious();
    rs->findFirstWhere(QStringLiteral("dateorder IS NULL"));
    rs->moveNext();
    rs->movePrevious();
    sqlite3_trace_v2(m_db->handle(), 0, nullptr, nullptr);
    QVERIFY2(searches.size() >= 8, qPrintable(searches.join(QLatin1Char('\n'))));
    for (const QString& search : std::as_const(searches)) {
        if (search.contains(QLatin1String("IS NULL)")))
            continue; // the finds above: their conditions are the test's, not the dynaset's
        auto plan = m_db->openSnapshot(QStringLiteral("EXPLAIN QUERY PLAN ") + search);
        QStringList steps;
        for (; !plan->eof(); plan->moveNext())
            steps << plan->value(QStringLiteral("detail")).toString();
        QVERIFY2(!steps.isEmpty(), qPrintable(search));
        for (const QString& step : std::as_const(steps))
            QVERIFY2(step.startsWith(QLatin1String("SEARCH")) &&
                         step.contains(QLatin1String("INDEX")),
                     qPrintable(search + QStringLiteral(": ") + step));
    }
}

void TestDynasetPaging::orderBySeveralFieldsIsRefused() {
    QCOMPARE(
        errorNumber([&] { m_db->openDynaset(QStringLiteral("orders"), u"descr, dateorder"_qs); }),
        ErrorNumber::NotSupported);
}

QTEST_GUILESS_MAIN(TestDynasetPaging)
#include "tst_DynasetPaging.moc"

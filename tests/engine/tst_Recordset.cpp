#include "EngineFixture.h"

#include "engine/Currency.h"
#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/Recordset.h"
#include "engine/SqlText.h"
#include "support/DatabaseFaults.h"

#include <QDate>
#include <QDateTime>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace EngineFixture;

namespace {

const QString kDescr = QStringLiteral("descr");

// Walks the recordset front to back and collects one field.
QStringList walk(Recordset& rs, const QString& field = kDescr) {
    QStringList seen;
    if (rs.recordCount() == 0)
        return seen;
    rs.moveFirst();
    while (!rs.eof()) {
        seen << rs.value(field).toString();
        rs.moveNext();
    }
    return seen;
}

} // namespace

class TestRecordset : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void keysetFollowsTheOrder();
    void cursorEnds();
    void emptyRecordsetRefusesMoves_data();
    void emptyRecordsetRefusesMoves();
    void unknownFieldIsNotFound();
    void addNewAssignsTheKeyAtOnce();
    void addedRowsStayAtTheEndUntilReopened();
    void failedUpdateKeepsTheBufferForARetry();
    void failNextWritesCountsDown();
    void editWritesOnlyChangedFields();
    void updateWithoutEditIsRefused();
    void cancelUpdateDiscards();
    void deleteMiddleMovesOnToTheFollower();
    void deleteLastThenBackToThePrevious();
    void deleteOnlyRowLeavesItEmpty();
    void findFirstInRecordsetOrder();
    void findFirstTextIgnoresCase_data();
    void findFirstTextIgnoresCase();
    void findFirstByValueKinds();
    void findFirstWhereWithBoundPrefix();
    void nullRoundTripsForEveryKind_data();
    void nullRoundTripsForEveryKind();
    void valuesRoundTripWithTheirTypes_data();
    void valuesRoundTripWithTheirTypes();
    void emptyTextStaysEmptyNotNull();
    void datesAreStoredAsIsoText();
    void storedDateTextIsRead_data();
    void storedDateTextIsRead();
    void amountsAddUpExactly();
    void valuesWrittenByOtherToolsAreRead();
    void textSortsWithoutRegardToCase();
    void snapshotWalksFrontToBack();
    void snapshotCountsAsItGoes();
    void snapshotMovesBackAndFinds();
    void snapshotRefusesWrites_data();
    void snapshotRefusesWrites();
    void emptySnapshot();

private:
    void addOrders(const QStringList& descriptions);
    std::unique_ptr<Recordset> byDescr() {
        return m_db->openDynaset(QStringLiteral("orders"), QStringLiteral("descr"));
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Database> m_db;
};

void TestRecordset::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_db = createOrders(m_dir->path());
}

void TestRecordset::cleanup() {
    m_db.reset();
    m_dir.reset();
}

void TestRecordset::addOrders(const QStringList& descriptions) {
    for (const QString& descr : descriptions)
        insertOrder(*m_db, {{kDescr, descr}});
}

void TestRecordset::keysetFollowsTheOrder() {
    const QDate day(1998, 5, 30);
    insertOrder(*m_db, {{kDescr, QStringLiteral("middle")}, {"dateorder", day}});
    insertOrder(*m_db, {{kDescr, QStringLiteral("newest")}, {"dateorder", day.addDays(9)}});
    insertOrder(*m_db, {{kDescr, QStringLiteral("oldest")}, {"dateorder", day.addYears(-3)}});
    auto rs = m_db->openDynaset(QStringLiteral("orders"), QStringLiteral("dateorder DESC"));
    QCOMPARE(rs->recordCount(), 3);
    QCOMPARE(walk(*rs), QStringList({"newest", "middle", "oldest"}));
    rs = m_db->openDynaset(QStringLiteral("orders"));
    QCOMPARE(walk(*rs), QStringList({"middle", "newest", "oldest"}));
}

void TestRecordset::cursorEnds() {
    addOrders({"a", "b"});
    auto rs = byDescr();
    QVERIFY(!rs->bof());
    QVERIFY(!rs->eof());
    QCOMPARE(rs->value(kDescr).toString(), QStringLiteral("a"));
    rs->moveNext();
    rs->moveNext();
    QVERIFY(rs->eof());
    QVERIFY(!rs->bof());
    QCOMPARE(errorNumber([&] { rs->value(kDescr); }), ErrorNumber::NoCurrentRecord);
    QCOMPARE(errorNumber([&] { rs->moveNext(); }), ErrorNumber::NoCurrentRecord);
    rs->movePrevious();
    QCOMPARE(rs->value(kDescr).toString(), QStringLiteral("b"));
    rs->moveFirst();
    rs->movePrevious();
    QVERIFY(rs->bof());
    QVERIFY(!rs->eof());
    QCOMPARE(errorNumber([&] { rs->movePrevious(); }), ErrorNumber::NoCurrentRecord);
    rs->moveNext();
    QCOMPARE(rs->value(kDescr).toString(), QStringLiteral("a"));
    rs->moveLast();
    QCOMPARE(rs->value(kDescr).toString(), QStringLiteral("b"));
}

void TestRecordset::emptyRecordsetRefusesMoves_data() {
    QTest::addColumn<bool>("dynaset");
    QTest::addColumn<int>("move");
    for (int move = 0; move < 5; ++move) {
        QTest::addRow("dynaset %d", move) << true << move;
        QTest::addRow("snapshot %d", move) << false << move;
    }
}

void TestRecordset::emptyRecordsetRefusesMoves() {
    QFETCH(bool, dynaset);
    QFETCH(int, move);
    auto rs = dynaset ? byDescr() : m_db->openSnapshot(QStringLiteral("SELECT * FROM orders"));
    QCOMPARE(rs->recordCount(), 0);
    QVERIFY(rs->bof());
    QVERIFY(rs->eof());
    const std::function<void()> moves[] = {[&] { rs->moveFirst(); }, [&] { rs->moveLast(); },
                                           [&] { rs->moveNext(); }, [&] { rs->movePrevious(); },
                                           [&] { rs->value(kDescr); }};
    QCOMPARE(errorNumber(moves[move]), ErrorNumber::NoCurrentRecord);
}

void TestRecordset::unknownFieldIsNotFound() {
    addOrders({"a"});
    auto rs = byDescr();
    QCOMPARE(rs->value(QStringLiteral("DESCR")).toString(), QStringLiteral("a"));
    const auto error = errorOf([&] { rs->value(QStringLiteral("vendor")); });
    QVERIFY(error);
    QCOMPARE(error->number(), ErrorNumber::FieldNotFound);
    QVERIFY(error->description().contains(QLatin1String("vendor")));
    rs->edit();
    QCOMPARE(errorNumber([&] { rs->setValue(QStringLiteral("vendor"), 1); }),
             ErrorNumber::FieldNotFound);
}

void TestRecordset::addNewAssignsTheKeyAtOnce() {
    addOrders({"a", "b", "c"});
    // The counter never hands out a key again, even after the highest row is gone.
    m_db->execute(QStringLiteral("DELETE FROM orders WHERE zelid = 3"));
    auto rs = byDescr();
    rs->addNew();
    QCOMPARE(rs->value(QStringLiteral("zelid")).toInt(), 4);
    QVERIFY(rs->value(kDescr).isNull());
    rs->setValue(kDescr, QStringLiteral("d"));
    QCOMPARE(errorNumber([&] { rs->setValue(QStringLiteral("zelid"), 9); }), ErrorNumber::ReadOnly);
    rs->update();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT descr FROM orders WHERE zelid = 4")).toString(),
             QStringLiteral("d"));
    rs->addNew();
    QCOMPARE(rs->value(QStringLiteral("zelid")).toInt(), 5);
}

void TestRecordset::addedRowsStayAtTheEndUntilReopened() {
    addOrders({"b", "d"});
    auto rs = byDescr();
    rs->moveNext();
    QCOMPARE(rs->value(kDescr).toString(), QStringLiteral("d"));
    for (const char* descr : {"a", "c"}) {
        rs->addNew();
        rs->setValue(kDescr, QString::fromLatin1(descr));
        rs->update();
        // The record that was current before AddNew stays current.
        QCOMPARE(rs->value(kDescr).toString(), QStringLiteral("d"));
    }
    QCOMPARE(rs->recordCount(), 4);
    QCOMPARE(walk(*rs), QStringList({"b", "d", "a", "c"}));
    // Past the end stays past the end.
    rs->addNew();
    rs->setValue(kDescr, QStringLiteral("e"));
    rs->update();
    QVERIFY(rs->eof());
    rs->movePrevious();
    QCOMPARE(rs->value(kDescr).toString(), QStringLiteral("e"));
    QVERIFY(rs->findFirst(kDescr, QStringLiteral("a")));
    QCOMPARE(walk(*byDescr()), QStringList({"a", "b", "c", "d", "e"}));
}

void TestRecordset::failedUpdateKeepsTheBufferForARetry() {
    addOrders({"a"});
    auto rs = byDescr();
    rs->addNew();
    const int key = rs->value(QStringLiteral("zelid")).toInt();
    rs->setValue(kDescr, QStringLiteral("new"));
    rs->setValue(QStringLiteral("amount"), QVariant::fromValue(Currency::fromRaw(125000)));
    DatabaseFaults::failNextWrites(*m_db, 1);
    QCOMPARE(errorNumber([&] { rs->update(); }), ErrorNumber::RecordLocked);
    QVERIFY(rs->isEditing());
    QCOMPARE(rs->value(kDescr).toString(), QStringLiteral("new"));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM orders")).toInt(), 1);
    rs->update();
    QVERIFY(!rs->isEditing());
    QCOMPARE(
        m_db->scalar(QStringLiteral("SELECT descr FROM orders WHERE zelid = ?"), {key}).toString(),
        QStringLiteral("new"));
    QCOMPARE(rs->recordCount(), 2);
}

void TestRecordset::failNextWritesCountsDown() {
    addOrders({"a", "b"});
    auto rs = byDescr();
    DatabaseFaults::failNextWrites(*m_db, 2, ErrorNumber::RecordLockedOnSave);
    QCOMPARE(errorNumber([&] { rs->deleteRecord(); }), ErrorNumber::RecordLockedOnSave);
    QCOMPARE(errorNumber([&] { rs->deleteRecord(); }), ErrorNumber::RecordLockedOnSave);
    QCOMPARE(rs->value(kDescr).toString(), QStringLiteral("a"));
    rs->deleteRecord();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT group_concat(descr) FROM orders")).toString(),
             QStringLiteral("b"));
}

void TestRecordset::editWritesOnlyChangedFields() {
    const int key = insertOrder(*m_db, {{kDescr, QStringLiteral("a")}, {"notes", "old"}});
    auto rs = byDescr();
    rs->edit();
    QCOMPARE(rs->value(QStringLiteral("notes")).toString(), QStringLiteral("old"));
    // Someone else changed another field since Edit: that change must survive.
    m_db->execute(QStringLiteral("UPDATE orders SET notes = 'theirs' WHERE zelid = ?"), {key});
    rs->setValue(kDescr, QStringLiteral("mine"));
    rs->update();
    QCOMPARE(rs->value(kDescr).toString(), QStringLiteral("mine"));
    QCOMPARE(rs->value(QStringLiteral("notes")).toString(), QStringLiteral("theirs"));
}

void TestRecordset::updateWithoutEditIsRefused() {
    addOrders({"a"});
    auto rs = byDescr();
    QCOMPARE(errorNumber([&] { rs->update(); }), ErrorNumber::UpdateWithoutAddNew);
    QCOMPARE(errorNumber([&] { rs->setValue(kDescr, QStringLiteral("x")); }),
             ErrorNumber::UpdateWithoutAddNew);
    QCOMPARE(errorNumber([&] { rs->cancelUpdate(); }), ErrorNumber::UpdateWithoutAddNew);
}

void TestRecordset::cancelUpdateDiscards() {
    addOrders({"a"});
    auto rs = byDescr();
    rs->edit();
    rs->setValue(kDescr, QStringLiteral("changed"));
    rs->cancelUpdate();
    QVERIFY(!rs->isEditing());
    QCOMPARE(rs->value(kDescr).toString(), QStringLiteral("a"));
    rs->addNew();
    rs->setValue(kDescr, QStringLiteral("never"));
    rs->moveFirst();
    QVERIFY(!rs->isEditing());
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM orders")).toInt(), 1);
}

void TestRecordset::deleteMiddleMovesOnToTheFollower() {
    addOrders({"a", "b", "c"});
    auto rs = byDescr();
    rs->moveNext();
    rs->deleteRecord();
    QCOMPARE(errorNumber([&] { rs->value(kDescr); }), ErrorNumber::NoCurrentRecord);
    rs->moveNext();
    QCOMPARE(rs->value(kDescr).toString(), QStringLiteral("c"));
    QCOMPARE(rs->recordCount(), 2);
    QCOMPARE(walk(*rs), QStringList({"a", "c"}));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM orders")).toInt(), 2);
}

void TestRecordset::deleteLastThenBackToThePrevious() {
    addOrders({"a", "b", "c"});
    auto rs = byDescr();
    rs->moveLast();
    rs->deleteRecord();
    rs->moveNext();
    QVERIFY(rs->eof());
    rs->movePrevious();
    QCOMPARE(rs->value(kDescr).toString(), QStringLiteral("b"));
}

void TestRecordset::deleteOnlyRowLeavesItEmpty() {
    addOrders({"only"});
    auto rs = byDescr();
    rs->deleteRecord();
    rs->moveNext();
    QCOMPARE(rs->recordCount(), 0);
    QVERIFY(rs->bof());
    QVERIFY(rs->eof());
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM orders")).toInt(), 0);
    rs->addNew();
    rs->setValue(kDescr, QStringLiteral("again"));
    rs->update();
    QVERIFY(rs->findFirst(kDescr, QStringLiteral("again")));
    QCOMPARE(rs->value(QStringLiteral("zelid")).toInt(), 2);
}

void TestRecordset::findFirstInRecordsetOrder() {
    // Inserted so that table order and recordset order disagree.
    addOrders({"zebra 2", "apple", "zebra 1", "mango"});
    auto rs = byDescr();
    QVERIFY(rs->findFirstWhere(QStringLiteral("descr LIKE 'zebra%'")));
    QVERIFY(!rs->noMatch());
    QCOMPARE(rs->value(kDescr).toString(), QStringLiteral("zebra 1"));
    rs->moveNext();
    QCOMPARE(rs->value(kDescr).toString(), QStringLiteral("zebra 2"));

    QVERIFY(!rs->findFirst(kDescr, QStringLiteral("pear")));
    QVERIFY(rs->noMatch());
    QCOMPARE(rs->value(kDescr).toString(), QStringLiteral("zebra 2"));

    QVERIFY(rs->findFirstWhere(QStringLiteral("zelID = %1").arg(2)));
    QCOMPARE(rs->value(kDescr).toString(), QStringLiteral("apple"));
}

void TestRecordset::findFirstTextIgnoresCase_data() {
    QTest::addColumn<QString>("sought");
    QTest::addColumn<bool>("found");
    QTest::newRow("same") << "Éclair Box" << true;
    QTest::newRow("ascii case") << "éclair BOX" << true;
    QTest::newRow("accented capital") << "ÉCLAIR BOX" << true;
    QTest::newRow("prefix only") << "Éclair" << false;
    QTest::newRow("accent differs") << "Eclair Box" << false;
}

void TestRecordset::findFirstTextIgnoresCase() {
    QFETCH(QString, sought);
    QFETCH(bool, found);
    addOrders({"apple", QString::fromUtf8("Éclair Box")});
    auto rs = byDescr();
    QCOMPARE(rs->findFirst(kDescr, sought), found);
    QCOMPARE(rs->noMatch(), !found);
    if (found)
        QCOMPARE(rs->value(kDescr).toString(), QString::fromUtf8("Éclair Box"));
}

void TestRecordset::findFirstByValueKinds() {
    const QDate day(1998, 5, 30);
    insertOrder(*m_db, {{kDescr, "timed"}, {"dateorder", QDateTime(day, QTime(14, 5))}});
    insertOrder(*m_db, {{kDescr, "dated"}, {"dateorder", day}, {"amount", 12.5}});
    insertOrder(*m_db, {{kDescr, "blank"}, {"received", true}});
    auto rs = m_db->openDynaset(QStringLiteral("orders"));
    // A date matches only the row stored without a time of day.
    QVERIFY(rs->findFirst(QStringLiteral("dateorder"), day));
    QCOMPARE(rs->value(kDescr).toString(), QStringLiteral("dated"));
    QVERIFY(
        rs->findFirst(QStringLiteral("amount"), QVariant::fromValue(Currency::fromRaw(125000))));
    QCOMPARE(rs->value(kDescr).toString(), QStringLiteral("dated"));
    QVERIFY(rs->findFirst(QStringLiteral("amount"), QVariant()));
    QCOMPARE(rs->value(kDescr).toString(), QStringLiteral("timed"));
    QVERIFY(rs->findFirst(QStringLiteral("received"), true));
    QCOMPARE(rs->value(kDescr).toString(), QStringLiteral("blank"));
}

void TestRecordset::findFirstWhereWithBoundPrefix() {
    addOrders({"Cab", "abacus", "ABBEY", "it's mine"});
    auto rs = byDescr();
    const QString byPrefix = QStringLiteral("pvx_fold(descr) LIKE pvx_fold(?) ESCAPE '\\'");
    QVERIFY(rs->findFirstWhere(byPrefix, {likePrefixPattern(QStringLiteral("ab"))}));
    QCOMPARE(rs->value(kDescr).toString(), QStringLiteral("abacus"));
    QVERIFY(rs->findFirstWhere(byPrefix, {likePrefixPattern(QStringLiteral("IT'S"))}));
    QCOMPARE(rs->value(kDescr).toString(), QStringLiteral("it's mine"));
    QVERIFY(!rs->findFirstWhere(byPrefix, {likePrefixPattern(QStringLiteral("%"))}));
}

void TestRecordset::nullRoundTripsForEveryKind_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("value");
    QTest::newRow("text") << "descr" << QVariant(QStringLiteral("x"));
    QTest::newRow("small integer") << "Type" << QVariant(2);
    QTest::newRow("date") << "dateorder" << QVariant(QDate(2001, 2, 3));
    QTest::newRow("currency") << "amount" << QVariant::fromValue(Currency::fromRaw(1));
    QTest::newRow("yes/no") << "received" << QVariant(false);
    QTest::newRow("double") << "ratio" << QVariant(0.5);
    QTest::newRow("integer") << "big" << QVariant(7);
    QTest::newRow("memo") << "notes" << QVariant(QStringLiteral("y"));
}

void TestRecordset::nullRoundTripsForEveryKind() {
    QFETCH(QString, field);
    QFETCH(QVariant, value);
    const int key = insertOrder(*m_db, {{field, value}});
    auto rs = byDescr();
    QCOMPARE(rs->value(field), value);
    rs->edit();
    rs->setValue(field, QVariant());
    rs->update();
    QVERIFY(rs->value(field).isNull());
    QCOMPARE(
        m_db->scalar(QStringLiteral("SELECT typeof(%1) FROM orders WHERE zelid = ?").arg(field),
                     {key})
            .toString(),
        QStringLiteral("null"));
    // A fresh recordset reads the stored Null too, not a cached value.
    QVERIFY(byDescr()->value(field).isNull());
}

void TestRecordset::valuesRoundTripWithTheirTypes_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("written");
    QTest::addColumn<QVariant>("read");
    const QDate day(1998, 5, 30);
    QTest::newRow("text") << "descr" << QVariant(QString::fromUtf8("Füller \"x\" it's"))
                          << QVariant(QString::fromUtf8("Füller \"x\" it's"));
    QTest::newRow("small integer") << "Type" << QVariant(2) << QVariant(2);
    QTest::newRow("date") << "dateorder" << QVariant(day) << QVariant(day);
    QTest::newRow("date with time") << "dateorder" << QVariant(QDateTime(day, QTime(14, 5)))
                                    << QVariant(QDateTime(day, QTime(14, 5)));
    QTest::newRow("currency") << "amount" << QVariant::fromValue(Currency::fromRaw(-12345678))
                              << QVariant::fromValue(Currency::fromRaw(-12345678));
    QTest::newRow("whole currency") << "amount" << QVariant::fromValue(Currency::fromRaw(30000))
                                    << QVariant::fromValue(Currency::fromRaw(30000));
    QTest::newRow("yes") << "received" << QVariant(true) << QVariant(true);
    QTest::newRow("no") << "received" << QVariant(false) << QVariant(false);
    QTest::newRow("double") << "ratio" << QVariant(0.125) << QVariant(0.125);
    QTest::newRow("int") << "big" << QVariant(-7) << QVariant(-7);
    QTest::newRow("beyond int") << "big" << QVariant(qlonglong(1) << 40)
                                << QVariant(qlonglong(1) << 40);
    QTest::newRow("text that looks like a number")
        << "notes" << QVariant(QStringLiteral("1e5")) << QVariant(QStringLiteral("1e5"));
}

void TestRecordset::valuesRoundTripWithTheirTypes() {
    QFETCH(QString, field);
    QFETCH(QVariant, written);
    QFETCH(QVariant, read);
    addOrders({"row"});
    auto rs = byDescr();
    rs->edit();
    rs->setValue(field, written);
    rs->update();
    const QVariant back = byDescr()->value(field);
    QCOMPARE(back.metaType(), read.metaType());
    QCOMPARE(back, read);
    const QVariant fromSnapshot =
        m_db->openSnapshot(QStringLiteral("SELECT %1 FROM orders").arg(field))->value(field);
    QCOMPARE(fromSnapshot, read);
}

void TestRecordset::emptyTextStaysEmptyNotNull() {
    auto rs = byDescr();
    rs->addNew();
    rs->setValue(kDescr, QString());
    rs->setValue(QStringLiteral("notes"), QLatin1String(""));
    rs->update();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT typeof(descr) || typeof(notes) FROM orders"))
                 .toString(),
             QStringLiteral("texttext"));
    rs = byDescr();
    QVERIFY(!rs->value(kDescr).isNull());
    QCOMPARE(rs->value(kDescr).toString(), QString());
}

void TestRecordset::datesAreStoredAsIsoText() {
    auto rs = byDescr();
    rs->addNew();
    rs->setValue(QStringLiteral("dateorder"), QDate(1998, 5, 30));
    rs->update();
    rs->addNew();
    rs->setValue(QStringLiteral("dateorder"), QDateTime(QDate(1998, 5, 30), QTime(14, 5, 7)));
    rs->update();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT group_concat(dateorder || '', '|') FROM "
                                         "(SELECT dateorder FROM orders ORDER BY zelid)"))
                 .toString(),
             QStringLiteral("1998-05-30|1998-05-30 14:05:07"));
}

void TestRecordset::storedDateTextIsRead_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QVariant>("read");
    const QDate day(1998, 5, 30);
    QTest::newRow("date") << "1998-05-30" << QVariant(day);
    QTest::newRow("minutes") << "1998-05-30 14:05" << QVariant(QDateTime(day, QTime(14, 5)));
    QTest::newRow("T and seconds")
        << "1998-05-30T14:05:07" << QVariant(QDateTime(day, QTime(14, 5, 7)));
    QTest::newRow("fraction") << "1998-05-30 14:05:07.25"
                              << QVariant(QDateTime(day, QTime(14, 5, 7, 250)));
    QTest::newRow("midnight typed")
        << "1998-05-30 00:00:00" << QVariant(QDateTime(day, QTime(0, 0)));
    QTest::newRow("far future") << "9999-12-31" << QVariant(QDate(9999, 12, 31));
    for (const char* text : {"1998-02-30", "1998-13-01", "0000-01-01", "1998-5-30", "1998/05/30",
                             "1998-05-30 25:00", "1998-05-30 14:5", "1998-05-30 14:05:",
                             "1998-05-30 14:05:07.", "1998-05-30x", "30.05.1998"})
        QTest::newRow(text) << QString::fromLatin1(text) << QVariant(QString::fromLatin1(text));
}

void TestRecordset::storedDateTextIsRead() {
    QFETCH(QString, stored);
    QFETCH(QVariant, read);
    insertOrder(*m_db, {{QStringLiteral("dateorder"), stored}});
    const QVariant value = byDescr()->value(QStringLiteral("dateorder"));
    QCOMPARE(value.metaType(), read.metaType());
    QCOMPARE(value, read);
}

void TestRecordset::amountsAddUpExactly() {
    auto rs = byDescr();
    for (const char* amount : {"0.10", "0.20"}) {
        rs->addNew();
        rs->setValue(QStringLiteral("amount"),
                     QVariant::fromValue(*Currency::fromDecimalText(QString::fromLatin1(amount))));
        rs->update();
    }
    auto snapshot = m_db->openSnapshot(QStringLiteral("SELECT amount FROM orders"));
    Currency total;
    while (!snapshot->eof()) {
        const QVariant amount = snapshot->value(QStringLiteral("amount"));
        QCOMPARE(amount.metaType(), QMetaType::fromType<Currency>());
        total += amount.value<Currency>();
        snapshot->moveNext();
    }
    QCOMPARE(total.raw(), qint64(3000));
    QCOMPARE(total, *Currency::fromDecimalText(QStringLiteral("0.30")));
    // Stored as numbers, so other tools (and SQL) can add them up too.
    QCOMPARE(
        m_db->scalar(QStringLiteral("SELECT group_concat(DISTINCT typeof(amount)) FROM orders"))
            .toString(),
        QStringLiteral("real"));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT round(sum(amount), 4) FROM orders")).toDouble(),
             0.3);
}

void TestRecordset::valuesWrittenByOtherToolsAreRead() {
    m_db->execute(QStringLiteral("INSERT INTO orders (descr, amount, dateorder, received, Type) "
                                 "VALUES (123, '12.50', 'next week', 1, '2')"));
    auto rs = byDescr();
    QCOMPARE(rs->value(kDescr), QVariant(QStringLiteral("123")));
    QCOMPARE(rs->value(QStringLiteral("amount")), QVariant::fromValue(Currency::fromRaw(125000)));
    QCOMPARE(rs->value(QStringLiteral("dateorder")), QVariant(QStringLiteral("next week")));
    QCOMPARE(rs->value(QStringLiteral("received")), QVariant(true));
    QCOMPARE(rs->value(QStringLiteral("Type")), QVariant(2));
    // Expressions have no declared type and come back as stored.
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT sum(Type) * 2 FROM orders")), QVariant(4));
}

void TestRecordset::textSortsWithoutRegardToCase() {
    addOrders({"cherry", "Banana", "apple", "Date"});
    QCOMPARE(walk(*byDescr()), QStringList({"apple", "Banana", "cherry", "Date"}));
    auto snapshot =
        m_db->openSnapshot(QStringLiteral("SELECT descr FROM orders ORDER BY descr DESC"));
    QCOMPARE(walk(*snapshot), QStringList({"Date", "cherry", "Banana", "apple"}));
}

void TestRecordset::snapshotWalksFrontToBack() {
    addOrders({"a", "b", "c", "d"});
    auto rs = m_db->openSnapshot(
        QStringLiteral("SELECT descr, zelid * 10 AS tens FROM orders WHERE zelid > ? ORDER BY "
                       "descr DESC"),
        {1});
    QCOMPARE(rs->type(), RecordsetType::Snapshot);
    QCOMPARE(rs->fieldNames(), QStringList({"descr", "tens"}));
    QCOMPARE(walk(*rs), QStringList({"d", "c", "b"}));
    QCOMPARE(walk(*rs, QStringLiteral("tens")), QStringList({"40", "30", "20"}));
}

void TestRecordset::snapshotCountsAsItGoes() {
    addOrders({"a", "b", "c"});
    auto rs = m_db->openSnapshot(QStringLiteral("SELECT * FROM orders"));
    QVERIFY(rs->recordCount() > 0);
    rs->moveLast();
    QCOMPARE(rs->recordCount(), 3);
    QCOMPARE(rs->value(kDescr).toString(), QStringLiteral("c"));
    rs->moveFirst();
    QCOMPARE(walk(*rs), QStringList({"a", "b", "c"}));
}

void TestRecordset::snapshotMovesBackAndFinds() {
    addOrders({"a", "b", "c"});
    auto rs = m_db->openSnapshot(QStringLiteral("SELECT * FROM orders ORDER BY descr"));
    rs->moveNext();
    rs->movePrevious();
    QCOMPARE(rs->value(kDescr).toString(), QStringLiteral("a"));
    rs->movePrevious();
    QVERIFY(rs->bof());
    QVERIFY(rs->findFirst(kDescr, QStringLiteral("B")));
    QCOMPARE(rs->value(QStringLiteral("zelid")).toInt(), 2);
    QVERIFY(!rs->findFirst(kDescr, QStringLiteral("z")));
    QVERIFY(rs->noMatch());
    QVERIFY(rs->findFirst(QStringLiteral("zelid"), 3));
    QCOMPARE(rs->value(kDescr).toString(), QStringLiteral("c"));
    rs->moveNext();
    QVERIFY(rs->eof());
}

void TestRecordset::snapshotRefusesWrites_data() {
    QTest::addColumn<int>("write");
    QTest::newRow("addNew") << 0;
    QTest::newRow("edit") << 1;
    QTest::newRow("setValue") << 2;
    QTest::newRow("update") << 3;
    QTest::newRow("deleteRecord") << 4;
}

void TestRecordset::snapshotRefusesWrites() {
    QFETCH(int, write);
    addOrders({"a"});
    auto rs = m_db->openSnapshot(QStringLiteral("SELECT * FROM orders"));
    const std::function<void()> writes[] = {[&] { rs->addNew(); }, [&] { rs->edit(); },
                                            [&] { rs->setValue(kDescr, QStringLiteral("x")); },
                                            [&] { rs->update(); }, [&] { rs->deleteRecord(); }};
    QCOMPARE(errorNumber(writes[write]), ErrorNumber::ReadOnly);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT descr FROM orders")).toString(),
             QStringLiteral("a"));
}

void TestRecordset::emptySnapshot() {
    auto rs = m_db->openSnapshot(QStringLiteral("SELECT * FROM orders WHERE zelid = ?"), {1});
    QCOMPARE(rs->recordCount(), 0);
    QVERIFY(rs->eof());
    QVERIFY(!rs->findFirst(kDescr, QStringLiteral("a")));
    QCOMPARE(walk(*rs), QStringList());
}

QTEST_GUILESS_MAIN(TestRecordset)
#include "tst_Recordset.moc"

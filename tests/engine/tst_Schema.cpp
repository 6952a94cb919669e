#include "engine/Currency.h"
#include "engine/Database.h"
#include "engine/DomainCodes.h"
#include "engine/EngineError.h"
#include "engine/Recordset.h"
#include "engine/Schema.h"
#include "support/OrderFixture.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct CatalogueEntry {
    int specId;
    QString desc;
    QString fieldname;
    int datatype;
    QString filename;
    QString linkfield;
};

QList<CatalogueEntry> readCatalogue(Database& db) {
    QList<CatalogueEntry> entries;
    auto rs = db.openSnapshot(QStringLiteral("Select * from RptSpec order by [desc]"));
    for (; !rs->eof(); rs->moveNext()) {
        entries.append({rs->value(QStringLiteral("SpecID")).toInt(),
                        rs->value(QStringLiteral("Desc")).toString(),
                        rs->value(QStringLiteral("fieldname")).toString(),
                        rs->value(QStringLiteral("datatype")).toInt(),
                        rs->value(QStringLiteral("filename")).toString(),
                        rs->value(QStringLiteral("Linkfield")).toString()});
    }
    return entries;
}

// The report query's from clause as the custom report builder makes it: each other table
// joined once, wrapped around the earlier joins, "already joined" decided by a plain text
// search of the clause.
QString joinedTables(const QList<CatalogueEntry>& entries) {
    QString from = QStringLiteral("pvx");
    for (const CatalogueEntry& entry : entries) {
        if (entry.filename == QLatin1String("pvx") || from.contains(entry.filename))
            continue;
        const QStringList link = entry.linkfield.split(u';');
        const QString pvxColumn = link.value(0);
        const QString otherColumn = link.size() > 1 ? link.value(1) : pvxColumn;
        from = QStringLiteral("(%1 left join %2 on pvx.%3 = %2.%4)")
                   .arg(from, entry.filename, pvxColumn, otherColumn);
    }
    return from;
}

} // namespace

class tst_Schema : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void aNewFileIsSound();
    void catalogueRunsFromOneWithoutGaps();
    void everyCatalogueFieldCanBeReportedTogether();
    void lookupFieldsDescribeEachRow_data();
    void lookupFieldsDescribeEachRow();
    void valuesKeepTheirKind();
    void textSortsWithoutRegardToCase();
    void reportQueriesUseAnIndex_data();
    void reportQueriesUseAnIndex();
    void damageIsReported_data();
    void damageIsReported();
    void aDamagedFileIsReported();
    void createIsAllOrNothing();
    void domainCodesAreTheStoredValues();
    void anOlderFileGetsTheIndexesItLacks();
    void anOlderLayoutGainsTheDesignsTable_data();
    void anOlderLayoutGainsTheDesignsTable();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_Schema::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_Schema::aNewFileIsSound() {
    const QString path = OrderFixture::createDatabase(m_dir->path());
    auto db = Database::open(path);
    QCOMPARE(Schema::check(*db), QStringList());
    QCOMPARE(db->scalar(QStringLiteral("PRAGMA user_version")).toInt(), Schema::CurrentVersion);
    QCOMPARE(db->scalar(QStringLiteral("SELECT count(*) FROM pvx")).toInt(), 0);
}

void tst_Schema::catalogueRunsFromOneWithoutGaps() {
    auto db = Database::open(OrderFixture::createDatabase(m_dir->path()));
    const QList<CatalogueEntry> entries = readCatalogue(*db);
    QVERIFY(entries.size() >= 20);

    QList<int> ids;
    QStringList descs;
    for (const CatalogueEntry& entry : entries) {
        ids << entry.specId;
        descs << entry.desc;
        QVERIFY2(entry.datatype >= 1 && entry.datatype <= 4, qPrintable(entry.desc));
    }
    std::sort(ids.begin(), ids.end());
    for (int i = 0; i < ids.size(); ++i)
        QCOMPARE(ids[i], i + 1);
    QCOMPARE(descs.removeDuplicates(), 0);

    // The designer lists the catalogue in Desc order, as read.
    QStringList sorted = descs;
    std::sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    QCOMPARE(descs, sorted);

    for (const char* wanted :
         {"Description",   "Type",          "Received",      "Order Number",  "Ordered By",
          "Date Ordered",  "Date Expected", "Date Received", "Amount",        "Payment Method",
          "Miscellaneous", "Vendor",        "Address",       "Phone",         "Fax",
          "E-mail",        "Items",         "Notes",         "Record Number", "Fully Received",
          "Outstanding",   "Is an Order",   "Is a Rebate",   "Is a Sale"})
        QVERIFY2(descs.contains(QLatin1String(wanted)), wanted);

    const auto amount = db->openSnapshot(
        QStringLiteral("SELECT IsCurrency, datatype FROM RptSpec WHERE fieldname = 'amount'"));
    QCOMPARE(amount->value(QStringLiteral("IsCurrency")).toBool(), true);
    QCOMPARE(amount->value(QStringLiteral("datatype")).toInt(), 2);
    QCOMPARE(db->scalar(QStringLiteral("SELECT count(*) FROM RptSpec WHERE IsCurrency")).toInt(),
             1);
}

// Every field of the catalogue in one report: the joins must be accepted and no bare column
// name may be ambiguous. Each row of pvx must come back exactly once.
void tst_Schema::everyCatalogueFieldCanBeReportedTogether() {
    const QString path = OrderFixture::createDatabase(
        m_dir->path(), {{{"descr", "one"}, {"Type", 0}, {"status", 2}},
                        {{"descr", "two"}, {"Type", 2}, {"status", 1}}});
    auto db = Database::open(path);
    const QList<CatalogueEntry> entries = readCatalogue(*db);
    QStringList fields;
    for (const CatalogueEntry& entry : entries)
        fields << entry.fieldname;

    auto rs = db->openSnapshot(QStringLiteral("Select %1 from %2 order by descr")
                                   .arg(fields.join(QStringLiteral(", ")), joinedTables(entries)));
    for (const QString& field : fields)
        QVERIFY2(rs->fieldNames().contains(field, Qt::CaseInsensitive), qPrintable(field));
    QStringList shown;
    for (; !rs->eof(); rs->moveNext()) {
        shown << QStringList{rs->value(QStringLiteral("descr")).toString(),
                             rs->value(QStringLiteral("TypeName")).toString(),
                             rs->value(QStringLiteral("StatusName")).toString()}
                     .join(u'/');
    }
    QCOMPARE(shown, QStringList({"one/Order/Yes", "two/Sale/Partially"}));
}

void tst_Schema::lookupFieldsDescribeEachRow_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("condition");
    QTest::addColumn<bool>("matches");

    QTest::newRow("order is an order") << 0 << 0 << "IsOrder" << true;
    QTest::newRow("order is no rebate") << 0 << 0 << "IsRebate" << false;
    QTest::newRow("rebate is a rebate") << 1 << 0 << "IsRebate" << true;
    QTest::newRow("sale is a sale") << 2 << 0 << "IsSale" << true;
    QTest::newRow("sale is not an order") << 2 << 0 << "not IsOrder" << true;
    QTest::newRow("not received is outstanding") << 0 << 0 << "IsOutstanding" << true;
    QTest::newRow("partially received is outstanding") << 0 << 1 << "IsOutstanding" << true;
    QTest::newRow("partially received is not fully received") << 0 << 1 << "IsReceived" << false;
    QTest::newRow("received is fully received") << 0 << 2 << "IsReceived" << true;
    QTest::newRow("received is not outstanding") << 0 << 2 << "not IsOutstanding" << true;
    QTest::newRow("type shown as a word") << 1 << 0 << "TypeName = 'Rebate'" << true;
    QTest::newRow("status shown as a word") << 0 << 1 << "StatusName = 'Partially'" << true;
}

void tst_Schema::lookupFieldsDescribeEachRow() {
    QFETCH(int, type);
    QFETCH(int, status);
    QFETCH(QString, condition);
    QFETCH(bool, matches);

    const QString path = OrderFixture::createDatabase(
        m_dir->path(), {{{"descr", "x"}, {"Type", type}, {"status", status}}});
    auto db = Database::open(path);
    const QString from = joinedTables(readCatalogue(*db));
    const int found =
        db->scalar(QStringLiteral("Select count(*) from %1 where %2").arg(from, condition)).toInt();
    QCOMPARE(found, matches ? 1 : 0);
}

void tst_Schema::valuesKeepTheirKind() {
    const QVariantMap row{{"descr", "Printer"},
                          {"Type", 1},
                          {"status", 2},
                          {"ordernum", "0042"},
                          {"dateorder", QDate(1998, 5, 30)},
                          {"dateexpect", QVariant()},
                          {"amount", QVariant::fromValue(Currency::fromRaw(123450))},
                          {"items", "1e5"},
                          {"notes", ""}};
    auto db = Database::open(OrderFixture::createDatabase(m_dir->path(), {row}));
    auto rs = db->openSnapshot(QStringLiteral("Select * from pvx"));
    QCOMPARE(rs->value(QStringLiteral("Type")).toInt(), 1);
    QCOMPARE(rs->value(QStringLiteral("dateorder")).toDate(), QDate(1998, 5, 30));
    QVERIFY(rs->value(QStringLiteral("dateexpect")).isNull());
    QCOMPARE(rs->value(QStringLiteral("amount")).value<Currency>(), Currency::fromRaw(123450));
    // Text columns keep what was typed, even when it looks like a number.
    QCOMPARE(rs->value(QStringLiteral("ordernum")).toString(), QStringLiteral("0042"));
    QCOMPARE(rs->value(QStringLiteral("items")).toString(), QStringLiteral("1e5"));
    QCOMPARE(db->scalar(QStringLiteral("Select typeof(items) from pvx")).toString(),
             QStringLiteral("text"));
    QCOMPARE(db->scalar(QStringLiteral("Select typeof(dateorder) from pvx")).toString(),
             QStringLiteral("text"));
    QVERIFY(!rs->value(QStringLiteral("notes")).isNull());
}

void tst_Schema::textSortsWithoutRegardToCase() {
    auto db = Database::open(OrderFixture::createDatabase(
        m_dir->path(), {{{"vendor", "banana"}}, {{"vendor", "Apple"}}, {{"vendor", "cherry"}}}));
    auto rs = db->openSnapshot(QStringLiteral("Select vendor from pvx order by vendor"));
    QStringList order;
    for (; !rs->eof(); rs->moveNext())
        order << rs->value(QStringLiteral("vendor")).toString();
    QCOMPARE(order, QStringList({"Apple", "banana", "cherry"}));
    QCOMPARE(
        db->scalar(QStringLiteral("Select count(*) from pvx where vendor = ?"), {"APPLE"}).toInt(),
        1);
}

void tst_Schema::reportQueriesUseAnIndex_data() {
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("index");
    QTest::addColumn<bool>("sortedByIndex");

    QTest::newRow("sort by order date") << "Select zelid from pvx order by dateorder desc"
                                        << "pvx_dateorder" << true;
    QTest::newRow("sort by description") << "Select zelid from pvx order by descr"
                                         << "pvx_descr" << true;
    QTest::newRow("sort by vendor") << "Select zelid from pvx order by vendor"
                                    << "pvx_vendor" << true;
    QTest::newRow("list of one type")
        << "Select descr, dateorder, datereceive, status, vendor from pvx where type = 0 and "
           "dateorder >= '1999-01-01' and dateorder <= '1999-12-31' order by dateorder, vendor"
        << "pvx_type_dateorder" << true;
    // Not received and partially received are two ranges of the status index; their rows
    // are few next to the received ones, so sorting them afterwards is cheap.
    QTest::newRow("outstanding")
        << "Select descr, dateorder, status, Type, amount from pvx where status = 0 or "
           "status = 1 order by dateorder, descr"
        << "USING INDEX pvx_status_" << false;
    QTest::newRow("overdue")
        << "Select descr from pvx where (status = 0 or status = 1) and dateexpect <= "
           "'1999-12-31' order by dateexpect"
        << "USING INDEX" << false;
    // The status line counts at every change: from the index alone, never from the rows.
    QTest::newRow("due and overdue counts")
        << "Select count(*) from pvx where (status = 0 or status = 1) and dateexpect >= "
           "'0000-01-01' and dateexpect < '2000-01-01'"
        << "COVERING INDEX pvx_status_dateexpect (status=? AND dateexpect>? AND dateexpect<?)"
        << false;
    QTest::newRow("expected by a date")
        << "Select descr from pvx where dateexpect <= '1999-12-31' order by dateexpect"
        << "pvx_dateexpect" << true;
}

void tst_Schema::reportQueriesUseAnIndex() {
    QFETCH(QString, query);
    QFETCH(QString, index);
    QFETCH(bool, sortedByIndex);
    auto db = Database::open(OrderFixture::createDatabase(m_dir->path()));
    auto plan = db->openSnapshot(QStringLiteral("EXPLAIN QUERY PLAN ") + query);
    QStringList steps;
    for (; !plan->eof(); plan->moveNext())
        steps << plan->value(QStringLiteral("detail")).toString();
    const QString text = steps.join(QStringLiteral(" / "));
    QVERIFY2(text.contains(index), qPrintable(text));
    QVERIFY2(!text.contains(QLatin1String("SCAN pvx")) || sortedByIndex, qPrintable(text));
    if (sortedByIndex)
        QVERIFY2(!text.contains(QLatin1String("TEMP B-TREE")), qPrintable(text));
}

void tst_Schema::damageIsReported_data() {
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("problem");

    QTest::newRow("orders table missing") << "DROP TABLE pvx"
                                          << "Table pvx is missing.";
    QTest::newRow("lookup table missing") << "DROP TABLE TypeNames"
                                          << "Table TypeNames is missing.";
    QTest::newRow("catalogue missing") << "DROP TABLE RptSpec"
                                       << "Table RptSpec is missing.";
    QTest::newRow("amount column missing") << "ALTER TABLE pvx DROP COLUMN amount"
                                           << "Column pvx.amount is missing.";
    QTest::newRow("catalogue column missing") << "ALTER TABLE RptSpec DROP COLUMN Linkfield"
                                              << "Column RptSpec.Linkfield is missing.";
    QTest::newRow("newer version") << "PRAGMA user_version = 99"
                                   << "version 99";
    QTest::newRow("gap in the catalogue") << "DELETE FROM RptSpec WHERE SpecID = 3"
                                          << "SpecID 4 found where 3 was expected";
    QTest::newRow("unknown kind of field") << "UPDATE RptSpec SET datatype = 7 WHERE SpecID = 1"
                                           << "datatype 7 is not 1 to 4";
    QTest::newRow("catalogue names no column")
        << "UPDATE RptSpec SET fieldname = 'colour' WHERE SpecID = 1"
        << "column pvx.colour does not exist";
    QTest::newRow("catalogue names no table")
        << "UPDATE RptSpec SET filename = 'Colours' WHERE SpecID = 1"
        << "table Colours does not exist";
    QTest::newRow("join key names no column")
        << "UPDATE RptSpec SET Linkfield = 'Type;Code' WHERE filename = 'TypeNames'"
        << "join key \"Type;Code\"";
    QTest::newRow("empty catalogue") << "DELETE FROM RptSpec"
                                     << "RptSpec holds no report fields.";
    QTest::newRow("designs table missing") << "DROP TABLE ReportDesigns"
                                           << "Table ReportDesigns is missing.";
    QTest::newRow("designs column missing") << "ALTER TABLE ReportDesigns DROP COLUMN Design"
                                            << "Column ReportDesigns.Design is missing.";
}

void tst_Schema::damageIsReported() {
    QFETCH(QString, damage);
    QFETCH(QString, problem);
    auto db = Database::open(OrderFixture::createDatabase(m_dir->path()));
    db->execute(damage);
    const QStringList problems = Schema::check(*db);
    QVERIFY2(problems.join(u'\n').contains(problem), qPrintable(problems.join(u'\n')));
}

void tst_Schema::aDamagedFileIsReported() {
    QList<QVariantMap> rows;
    for (int i = 0; i < 2000; ++i)
        rows.append({{"descr", QStringLiteral("Order %1").arg(i)}, {"vendor", "Vendor"}});
    const QString path = OrderFixture::createDatabase(m_dir->path(), rows);

    // Scramble one page in the middle of the file, past the schema on page 1.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    const qint64 pageSize = 4096;
    QVERIFY(file.size() > 8 * pageSize);
    QVERIFY(file.seek((file.size() / pageSize / 2) * pageSize + 100));
    file.write(QByteArray(2000, '\x5A'));
    file.close();

    QStringList problems;
    try {
        auto db = Database::open(path);
        problems = Schema::check(*db);
    } catch (const EngineError& error) {
        problems << error.description();
    }
    QVERIFY(!problems.isEmpty());
}

void tst_Schema::createIsAllOrNothing() {
    const QString path = QDir(m_dir->path()).filePath(QStringLiteral("pvx.mdb"));
    auto db = Database::create(path);
    db->execute(QStringLiteral("CREATE TABLE RptSpec (x)"));
    QVERIFY_THROWS_EXCEPTION(EngineError, Schema::create(*db));
    QVERIFY(!db->tableExists(QStringLiteral("pvx")));
    QCOMPARE(db->scalar(QStringLiteral("PRAGMA user_version")).toInt(), 0);
}

void tst_Schema::anOlderFileGetsTheIndexesItLacks() {
    const QString path = OrderFixture::createDatabase(m_dir->path());
    {
        auto db = Database::open(path);
        db->execute(QStringLiteral("DROP INDEX pvx_status_dateexpect"));
        QCOMPARE(Schema::addMissingIndexes(*db), 1);
        QCOMPARE(db->scalar(QStringLiteral("SELECT count(*) FROM sqlite_master "
                                           "WHERE name = 'pvx_status_dateexpect'"))
                     .toInt(),
                 1);
    }
    // A file that has them all is not written to.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    {
        auto db = Database::open(path);
        QCOMPARE(Schema::addMissingIndexes(*db), 0);
    }
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll() == before);
}

void tst_Schema::anOlderLayoutGainsTheDesignsTable_data() {
    QTest::addColumn<int>("version");
    QTest::addColumn<bool>("table");
    QTest::addColumn<bool>("changed");
    QTest::newRow("layout 1") << 1 << false << true;
    QTest::newRow("made by another tool") << 0 << false << true;
    QTest::newRow("layout 2 that lost the table") << 2 << false << true;
    QTest::newRow("layout 2") << 2 << true << false;
    QTest::newRow("newer: refused") << 3 << false << false;
}

void tst_Schema::anOlderLayoutGainsTheDesignsTable() {
    QFETCH(int, version);
    QFETCH(bool, table);
    QFETCH(bool, changed);
    const QString path = OrderFixture::createDatabase(m_dir->path());
    {
        auto db = Database::open(path);
        if (!table)
            db->execute(QStringLiteral("DROP TABLE ReportDesigns"));
        db->execute(QStringLiteral("PRAGMA user_version = %1").arg(version));
        // An earlier layout is sound as it is; the program adds the table when it opens it.
        QCOMPARE(Schema::check(*db).isEmpty(), version < Schema::DesignsVersion || table);
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    {
        auto db = Database::open(path);
        try {
            QCOMPARE(Schema::upgrade(*db), changed);
            QVERIFY(version <= Schema::CurrentVersion);
        } catch (const EngineError& error) {
            QCOMPARE(error.number(), ErrorNumber::NewerDatabase);
        }
        if (version <= Schema::CurrentVersion) {
            QCOMPARE(Schema::check(*db), QStringList());
            QCOMPARE(db->scalar(QStringLiteral("PRAGMA user_version")).toInt(),
                     Schema::CurrentVersion);
        }
    }
    // Nothing to do, or refused: not a byte written.
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll() == before, !changed);
}

QTEST_GUILESS_MAIN(tst_Schema)
void tst_Schema::domainCodesAreTheStoredValues() {
    // The codes files have always held and the menus have always counted.
    static_assert(codeOf(OrderType::Order) == 0 && codeOf(OrderType::Rebate) == 1 &&
                  codeOf(OrderType::Sale) == 2);
    static_assert(codeOf(ReceivedStatus::No) == 0 && codeOf(ReceivedStatus::Partially) == 1 &&
                  codeOf(ReceivedStatus::Yes) == 2);
    static_assert(codeOf(SortOrder::OrderDate) == 1 && codeOf(SortOrder::Description) == 2 &&
                  codeOf(SortOrder::Vendor) == 3);
    static_assert(codeOf(BuiltInReport::AllOrders) == 1 && codeOf(BuiltInReport::Overdue) == 5);

    // And the words a file's lookup tables give them, as reports print them.
    auto db = Database::open(OrderFixture::createDatabase(m_dir->path()));
    const auto names = [&](const QString& sql) {
        QStringList pairs;
        auto rs = db->openSnapshot(sql);
        for (; !rs->eof(); rs->moveNext())
            pairs << rs->value(QStringLiteral("code")).toString() + u'=' +
                         rs->value(QStringLiteral("name")).toString();
        return pairs;
    };
    QCOMPARE(names(QStringLiteral("SELECT TypeCode AS code, TypeName AS name FROM TypeNames "
                                  "ORDER BY TypeCode")),
             (QStringList{u"%1=Order"_qs.arg(codeOf(OrderType::Order)),
                          u"%1=Rebate"_qs.arg(codeOf(OrderType::Rebate)),
                          u"%1=Sale"_qs.arg(codeOf(OrderType::Sale))}));
    QCOMPARE(names(QStringLiteral("SELECT StatusCode AS code, StatusName AS name FROM StatusNames "
                                  "ORDER BY StatusCode")),
             (QStringList{u"%1=No"_qs.arg(codeOf(ReceivedStatus::No)),
                          u"%1=Partially"_qs.arg(codeOf(ReceivedStatus::Partially)),
                          u"%1=Yes"_qs.arg(codeOf(ReceivedStatus::Yes))}));
}

#include "tst_Schema.moc"

#include "custom/ReportQuery.h"
#include "custom/TypedNumber.h"

#include "support/CustomFixture.h"

using namespace custom;

// The query a report definition makes, as a structure and by the rows it selects from a
// real file.
class tst_ReportQuery : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void workedExample();
    void joins_data();
    void joins();
    void catalogueFaultsNameTheRow_data();
    void catalogueFaultsNameTheRow();
    void numbersReadInTheLocale_data();
    void numbersReadInTheLocale();
};

void tst_ReportQuery::workedExample() {
    Run run;
    run.fields({u"Description"_s, u"Amount"_s, u"Date Ordered"_s});
    run.settings(u"Description"_s).StartsWith = u"Wid"_s;
    run.settings(u"Amount"_s).Hide = true;
    run.settings(u"Amount"_s).GreaterThan = u"10"_s;
    run.settings(u"Date Ordered"_s).StartDate = QDate(1999, 1, 1);
    run.definition.primarySort = specId(run.definition, u"Date Ordered"_s);

    const ReportQuery query = buildReportQuery(run.definition, run.services.locale());
    QCOMPARE(query.columns,
             (QList<QueryColumn>{{specId(run.definition, u"Description"_s), "descr"},
                                 {specId(run.definition, u"Date Ordered"_s), "dateorder"}}));
    QVERIFY(query.joins.isEmpty());
    QCOMPARE(query.conditions,
             (QList<QueryCondition>{{"descr", ConditionKind::StartsWith, u"Wid"_s},
                                    {"amount", ConditionKind::GreaterThan, qint64(10)},
                                    {"dateorder", ConditionKind::OnOrAfter, QDate(1999, 1, 1)}}));
    QCOMPARE(query.order, QStringList{u"dateorder"_s});

    // "Widget it's" costs 10.10 and was ordered on the first day; "ab" is no Wid.
    QCOMPARE(run.textRows(), (QList<QStringList>{{u"Widget it's"_s, u"1/1/1999"_s}}));
}

void tst_ReportQuery::joins_data() {
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("hidden");
    QTest::addColumn<QString>("sort");
    QTest::addColumn<QStringList>("joins");
    QTest::addColumn<QStringList>("lines");

    const QString number = u"Record Number"_s;
    QTest::newRow("one other table")
        << QStringList{number, u"Type"_s} << QString() << number
        << QStringList{u"TypeNames Type TypeCode"_s}
        << QStringList{u"1 Order"_s, u"2 Rebate"_s, u"3 Sale"_s, u"4 "_s, u"5 Order"_s};
    QTest::newRow("two fields of one table join it once")
        << QStringList{number, u"Type"_s, u"Is a Sale"_s} << QString() << number
        << QStringList{u"TypeNames Type TypeCode"_s}
        << QStringList{u"1 Order No"_s, u"2 Rebate No"_s, u"3 Sale Yes"_s, u"4  No"_s,
                       u"5 Order No"_s};
    QTest::newRow("two tables in report order")
        << QStringList{number, u"Received"_s, u"Type"_s} << QString() << number
        << QStringList{u"StatusNames status StatusCode"_s, u"TypeNames Type TypeCode"_s}
        << QStringList{u"1 Yes Order"_s, u"2 No Rebate"_s, u"3 Partially Sale"_s, u"4  "_s,
                       u"5 No Order"_s};
    // Names is part of TypeNames, which a search of the query text would take for it.
    QTest::newRow("three tables, one name inside another")
        << QStringList{number, u"Type"_s, u"Received"_s, u"Nickname"_s} << QString() << number
        << QStringList{u"TypeNames Type TypeCode"_s, u"StatusNames status StatusCode"_s,
                       u"Names Type NameCode"_s}
        << QStringList{u"1 Order Yes Ord"_s, u"2 Rebate No Reb"_s, u"3 Sale Partially "_s,
                       u"4   "_s, u"5 Order No Ord"_s};
    QTest::newRow("a hidden field joins its table")
        << QStringList{number, u"Nickname"_s} << u"Nickname"_s << number
        << QStringList{u"Names Type NameCode"_s}
        << QStringList{u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s};
    // Nulls first, then Order (1 and 5), Rebate, Sale; the record number decides ties.
    QTest::newRow("a sort field joins its table")
        << QStringList{number} << QString() << u"Type"_s
        << QStringList{u"TypeNames Type TypeCode"_s}
        << QStringList{u"4"_s, u"1"_s, u"5"_s, u"2"_s, u"3"_s};
    // Two columns called notes, one quoted in brackets: each is read by its position.
    QTest::newRow("qualified names read by position")
        << QStringList{number, u"Notes"_s, u"Nick Notes"_s} << QString() << number
        << QStringList{u"Names Type NameCode"_s}
        << QStringList{u"1 line one line two n0"_s, u"2  n1"_s, u"3  "_s, u"4  "_s, u"5  n0"_s};
}

void tst_ReportQuery::joins() {
    QFETCH(QStringList, fields);
    QFETCH(QString, hidden);
    QFETCH(QString, sort);
    QFETCH(QStringList, joins);
    QFETCH(QStringList, lines);

    Run run;
    run.fields(fields);
    if (!hidden.isEmpty())
        run.settings(hidden).Hide = true;
    run.definition.primarySort = specId(run.definition, sort);
    run.definition.secondarySort = specId(run.definition, u"Record Number"_s);

    const ReportQuery query = buildReportQuery(run.definition, run.services.locale());
    QStringList joined;
    for (const QueryJoin& join : query.joins)
        joined << join.table + u' ' + join.ordersColumn + u' ' + join.otherColumn;
    QCOMPARE(joined, joins);
    if (joins.size() == 3) {
        // Each join wraps the ones before it.
        QVERIFY2(
            query.sql().contains(
                u"FROM (((`pvx` LEFT JOIN `TypeNames` ON `pvx`.`Type` = `TypeNames`.`TypeCode`) "
                u"LEFT JOIN `StatusNames` ON `pvx`.`status` = `StatusNames`.`StatusCode`) "
                u"LEFT JOIN `Names` ON `pvx`.`Type` = `Names`.`NameCode`)"_s),
            qPrintable(query.sql()));
    }

    const auto rows = run.textRows();
    QVERIFY(rows);
    QStringList read;
    for (const QStringList& row : *rows)
        read << row.join(u' ');
    QCOMPARE(read, lines);
}

void tst_ReportQuery::catalogueFaultsNameTheRow_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("message");
    QTest::newRow("no rows") << u"DELETE FROM RptSpec"_s
                             << u"The report catalogue RptSpec holds no report fields."_s;
    QTest::newRow("SpecID beyond the count")
        << u"UPDATE RptSpec SET SpecID = 99 WHERE \"Desc\" = 'Fax'"_s
        << u"The report catalogue RptSpec has a row \"Fax\" (SpecID 99), but the numbers must "
           u"run from 1 to 27, the number of rows."_s;
    QTest::newRow("SpecID 0") << u"UPDATE RptSpec SET SpecID = 0 WHERE \"Desc\" = 'Fax'"_s
                              << u"The report catalogue RptSpec has a row \"Fax\" (SpecID 0), but "
                                 u"the numbers must run from 1 to 27, the number of rows."_s;
    QTest::newRow("datatype 5") << u"UPDATE RptSpec SET datatype = 5 WHERE \"Desc\" = 'Fax'"_s
                                << u"The report catalogue RptSpec has a row \"Fax\" (SpecID 15) "
                                   u"with datatype 5; it must be 1 (text), 2 (number), 3 (date) "
                                   u"or 4 (yes/no)."_s;
}

void tst_ReportQuery::catalogueFaultsNameTheRow() {
    QFETCH(QString, change);
    QFETCH(QString, message);
    QTemporaryDir dir;
    auto db = Database::open(createDatabase(dir.path()), true);
    db->execute(change);
    try {
        ReportCatalogue::read(*db);
        QFAIL("the catalogue was accepted");
    } catch (const CatalogueError& error) {
        QCOMPARE(error.message(), message);
    }
}

void tst_ReportQuery::numbersReadInTheLocale_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("exact");
    QTest::newRow("en_US grouping") << u"en_US"_s << u"1,000"_s << u"1000"_s;
    QTest::newRow("de_DE grouping") << u"de_DE"_s << u"1.000"_s << u"1000"_s;
    QTest::newRow("de_DE fraction") << u"de_DE"_s << u"0,1"_s << u"0.1"_s;
    QTest::newRow("fr_FR typed blank") << u"fr_FR"_s << u"1 000,25"_s << u"1000.25"_s;
    QTest::newRow("sv_SE minus sign") << u"sv_SE"_s << u"\u22123,5"_s << u"-3.5"_s;
    QTest::newRow("hu_HU") << u"hu_HU"_s << u"-12 345,678"_s << u"-12345.678"_s;
    QTest::newRow("ja_JP") << u"ja_JP"_s << u"12,345.6"_s << u"12345.6"_s;
    QTest::newRow("en_GB amount") << u"en_GB"_s << u"\u00a31,234.50"_s << u"1234.5"_s;
    QTest::newRow("en_US not a number") << u"en_US"_s << u"1,5"_s << QString();
    QTest::newRow("de_DE not a number") << u"de_DE"_s << u"ten"_s << QString();
}

void tst_ReportQuery::numbersReadInTheLocale() {
    QFETCH(QString, locale);
    QFETCH(QString, typed);
    QFETCH(QString, exact);
    const auto number = typedNumber(typed, QLocale(locale));
    QCOMPARE(number ? number->toPlainText() : QString(), exact);
}

QTEST_GUILESS_MAIN(tst_ReportQuery)
#include "tst_ReportQuery.moc"

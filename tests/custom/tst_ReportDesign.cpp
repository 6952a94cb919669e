#include "custom/ReportDesign.h"
#include "support/CustomFixture.h"

using namespace custom;

// Reading a saved design without windows: what cannot be read, and what the catalogue lacks.
// Designs saved and run again: the designer's and pvxadmin's tests.
class tst_ReportDesign : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void anUnreadableDesignIsRefused_data();
    void anUnreadableDesignIsRefused();
    void whatTheCatalogueLacksIsLeftOut();
};

void tst_ReportDesign::anUnreadableDesignIsRefused_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    const auto design = [](const char* fields) {
        return u"{\"purvexReportDesign\": 1, \"fields\": [%1]}"_s.arg(QLatin1String(fields));
    };
    QTest::newRow("no JSON") << u"title=Spending"_s << u"it is not a report design."_s;
    QTest::newRow("newer") << u"{\"purvexReportDesign\": 2, \"fields\": []}"_s
                           << u"it was saved by a newer version of Purvex (design form 2; this "
                              u"version reads form 1)."_s;
    QTest::newRow("unknown target") << u"{\"purvexReportDesign\": 1, \"reportTo\": \"pdf\"}"_s
                                    << u"its reportTo \"pdf\" is none this version knows."_s;
    QTest::newRow("width as text") << design(R"({"name": "Amount", "width": "2"})")
                                   << u"the width of \"Amount\" is not a width."_s;
    QTest::newRow("no such day") << design(R"({"name": "Date Ordered", "endDate": "1999-02-30"})")
                                 << u"End Date of \"Date Ordered\" is not a date."_s;
    QTest::newRow("bound in a locale") << design(R"({"name": "amount", "lessThan": "1,5"})")
                                       << u"Less Than of \"Amount\" is not a number."_s;
    QTest::newRow("twice") << design(R"({"name": "Amount"}, {"name": "AMOUNT"})")
                           << u"it names the field \"Amount\" twice."_s;
}

void tst_ReportDesign::anUnreadableDesignIsRefused() {
    QFETCH(QString, text);
    QFETCH(QString, message);
    Run run;
    try {
        ReportDesign::fromText(text, run.definition.catalogue, QLocale(u"en_US"_s));
        QFAIL("read");
    } catch (const ReportDesign::DesignError& error) {
        QCOMPARE(error.message(), message);
    }
}

void tst_ReportDesign::whatTheCatalogueLacksIsLeftOut() {
    Run run;
    const QString text = uR"({"purvexReportDesign": 1, "colour": "red", "primarySort": "Size",
             "fields": [{"name": "Colour", "width": 2}, {"name": "Description", "startsWith": "W"},
                        {"name": "Amount", "startsWith": "1", "lessThan": "5", "shade": 3}]})"_s;
    const ReportDesign::Loaded loaded =
        ReportDesign::fromText(text, run.definition.catalogue, QLocale(u"en_US"_s));
    // A criterion that no longer fits its field would be dropped unseen: it is named too.
    QCOMPARE(loaded.leftOut, QStringList({u"\"Colour\""_s,
                                          u"the Starts with criterion of "
                                          u"\"Amount\""_s,
                                          u"\"Size\""_s}));
    run.definition = loaded.definition;
    QCOMPARE(run.definition.fields, QList<int>({specId(run.definition, u"Description"_s),
                                                specId(run.definition, u"Amount"_s)}));
    QCOMPARE(run.definition.primarySort, 0);
    QCOMPARE(run.settings(u"Description"_s).StartsWith, u"W"_s);
    QCOMPARE(run.settings(u"Amount"_s).LessThan, u"5"_s);
}

QTEST_GUILESS_MAIN(tst_ReportDesign)
#include "tst_ReportDesign.moc"

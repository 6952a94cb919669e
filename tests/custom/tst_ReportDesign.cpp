#include "custom/ReportDesign.h"
#include "custom/TypedNumber.h"
#include "support/CustomFixture.h"

using namespace custom;

// Saved designs without windows: the text form read back in another locale, what cannot be
// read, and what the catalogue lacks.
class tst_ReportDesign : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aDesignReadsBackAsSaved_data();
    void aDesignReadsBackAsSaved();
    void anUnreadableDesignIsRefused_data();
    void anUnreadableDesignIsRefused();
    void whatTheCatalogueLacksIsLeftOut();
};

void tst_ReportDesign::aDesignReadsBackAsSaved_data() {
    QTest::addColumn<QString>("savedIn");
    QTest::addColumn<QString>("loadedIn");
    QTest::addColumn<QString>("less"); // typed in savedIn
    QTest::addColumn<QString>("greater");
    QTest::newRow("en_US") << u"en_US"_s << u"en_US"_s << u"1,000.5"_s << u"-10.5"_s;
    QTest::newRow("de_DE to en_US") << u"de_DE"_s << u"en_US"_s << u"1.000,5"_s << u"-10,5"_s;
    QTest::newRow("fr_FR to de_DE") << u"fr_FR"_s << u"de_DE"_s << u"1 000,5"_s << u"-10,5"_s;
}

void tst_ReportDesign::aDesignReadsBackAsSaved() {
    QFETCH(QString, savedIn);
    QFETCH(QString, loadedIn);
    QFETCH(QString, less);
    QFETCH(QString, greater);
    Run run;
    ReportDefinition& d = run.definition;
    run.fields({u"Description"_s, u"Amount"_s, u"Date Ordered"_s, u"Fully Received"_s, u"Type"_s});
    run.settings(u"Description"_s).StartsWith = u"W"_s;
    FieldSettings& amount = run.settings(u"Amount"_s);
    amount.LessThan = less;
    amount.GreaterThan = greater;
    amount.Total = true;
    amount.ColWidth = 1.25;
    FieldSettings& ordered = run.settings(u"Date Ordered"_s);
    ordered.Hide = true;
    ordered.StartDate = QDate(1999, 1, 1);
    ordered.EndDate = QDate(1999, 3, 31);
    run.settings(u"Fully Received"_s).WantFalse = true;
    run.settings(u"Type"_s).ColWidth = 0;
    d.primarySort = specId(d, u"Amount"_s);
    d.secondarySort = specId(d, u"Description"_s);
    d.title = u"Q1 \"rebates\" & <b>Ü</b>"_s;
    d.widthUnit = WidthUnit::Centimeters;
    d.landscape = true;
    d.pageNumbers = PageNumbers::InHeader;
    d.showDate = false;
    d.reportTo = ReportTarget::WebTable;

    const QLocale saving(savedIn);
    const QString text = ReportDesign::toText(d, saving);
    // One form in every locale.
    QVERIFY2(text.contains(u"\"lessThan\": \"1000.5\""_s), qPrintable(text));
    const QLocale loading(loadedIn);
    const ReportDesign::Loaded loaded = ReportDesign::fromText(text, d.catalogue, loading);
    QVERIFY(loaded.leftOut.isEmpty());
    // The bounds as the user of the other locale types them, the rest as it was.
    QCOMPARE(typedNumber(loaded.definition.settingsOf(specId(d, u"Amount"_s)).LessThan, loading),
             typedNumber(less, saving));
    QCOMPARE(ReportDesign::toText(loaded.definition, loading), text);
}

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

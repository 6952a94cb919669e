#include "custom/DesignStore.h"
#include "custom/ReportDesign.h"
#include "custom/TypedNumber.h"
#include "support/CustomFixture.h"

using namespace custom;

// Saved designs without windows: the text form read back in another locale, what cannot be
// read, what the catalogue lacks, and the table's names.
class tst_ReportDesign : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aDesignReadsBackAsSaved_data();
    void aDesignReadsBackAsSaved();
    void anUnreadableDesignIsRefused_data();
    void anUnreadableDesignIsRefused();
    void whatTheCatalogueLacksIsLeftOut();
    void namesAreCheckedAndFoundWhateverTheirCase_data();
    void namesAreCheckedAndFoundWhateverTheirCase();
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
    run.settings(u"Fully Received"_s).WantTrue = true;
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
    const ReportDefinition& l = loaded.definition;
    QVERIFY(loaded.leftOut.isEmpty());
    QCOMPARE(l.fields, d.fields);
    for (int id : d.fields) {
        const FieldSettings& was = d.settingsOf(id);
        const FieldSettings& is = l.settingsOf(id);
        QCOMPARE(is.ColWidth, was.ColWidth);
        QCOMPARE(is.Hide, was.Hide);
        QCOMPARE(is.Total, was.Total);
        QCOMPARE(is.StartsWith, was.StartsWith);
        QCOMPARE(is.StartDate, was.StartDate);
        QCOMPARE(is.EndDate, was.EndDate);
        QCOMPARE(is.WantTrue, was.WantTrue);
        QCOMPARE(is.WantFalse, was.WantFalse);
        for (const auto& [bound, typed] : {std::pair{&FieldSettings::LessThan, less},
                                           std::pair{&FieldSettings::GreaterThan, greater}}) {
            if (id == specId(d, u"Amount"_s))
                QCOMPARE(typedNumber(is.*bound, loading), typedNumber(typed, saving));
        }
    }
    QCOMPARE(std::tuple(l.primarySort, l.secondarySort, l.title, l.widthUnit, l.landscape,
                        l.pageNumbers, l.showDate, l.reportTo),
             std::tuple(d.primarySort, d.secondarySort, d.title, d.widthUnit, d.landscape,
                        d.pageNumbers, d.showDate, d.reportTo));

    // Loaded where it was saved, it makes the very same report.
    run.services.userLocale = saving;
    d.reportTo = ReportTarget::TextFile;
    const auto before = run.textRows();
    run.definition = ReportDesign::fromText(text, d.catalogue, saving).definition;
    run.definition.reportTo = ReportTarget::TextFile;
    QVERIFY(before && !before->isEmpty());
    QCOMPARE(run.textRows(), before);
}

void tst_ReportDesign::anUnreadableDesignIsRefused_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    const auto design = [](const char* fields) {
        return u"{\"purvexReportDesign\": 1, \"fields\": [%1]}"_s.arg(QLatin1String(fields));
    };
    QTest::newRow("no JSON") << u"title=Spending"_s << u"it is not a report design."_s;
    QTest::newRow("no marker") << u"{\"title\": \"x\"}"_s << u"it is not a report design."_s;
    QTest::newRow("newer") << u"{\"purvexReportDesign\": 2, \"fields\": []}"_s
                           << u"it was saved by a newer version of Purvex (design form 2; this "
                              u"version reads form 1)."_s;
    QTest::newRow("unknown target") << u"{\"purvexReportDesign\": 1, \"reportTo\": \"pdf\"}"_s
                                    << u"its reportTo \"pdf\" is none this version knows."_s;
    QTest::newRow("width as text") << design(R"({"name": "Amount", "width": "2"})")
                                   << u"the width of \"Amount\" is not a width."_s;
    QTest::newRow("negative width") << design(R"({"name": "Amount", "width": -1})")
                                    << u"the width of \"Amount\" is not a width."_s;
    QTest::newRow("no such day") << design(R"({"name": "Date Ordered", "endDate": "1999-02-30"})")
                                 << u"End Date of \"Date Ordered\" is not a date."_s;
    QTest::newRow("bound in a locale") << design(R"({"name": "amount", "lessThan": "1,5"})")
                                       << u"Less Than of \"Amount\" is not a number."_s;
    QTest::newRow("twice") << design(R"({"name": "Amount"}, {"name": "AMOUNT"})")
                           << u"it names the field \"Amount\" twice."_s;
    QTest::newRow("no name") << design(R"({"width": 1})")
                             << u"a field of its report has no name."_s;
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

void tst_ReportDesign::namesAreCheckedAndFoundWhateverTheirCase_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("sameName"); // another spelling of it
    QTest::addColumn<QString>("problem");
    QTest::newRow("empty") << QString() << QString() << u"A design needs a name."_s;
    QTest::newRow("blanks") << u"   "_s << QString() << u"A design needs a name."_s;
    QTest::newRow("61") << QString(61, u'x') << QString()
                        << u"A design's name can have at most 60 characters; this one has 61."_s;
    QTest::newRow("tab") << u"a\tb"_s << QString()
                         << u"A design's name cannot hold a tab or a line break."_s;
    QTest::newRow("60") << QString(60, u'x') << QString(60, u'X') << QString();
    QTest::newRow("beyond A-Z") << u" Über den Kauf "_s << u"über DEN kauf"_s << QString();
}

void tst_ReportDesign::namesAreCheckedAndFoundWhateverTheirCase() {
    QFETCH(QString, name);
    QFETCH(QString, sameName);
    QFETCH(QString, problem);
    QCOMPARE(ReportDesign::nameProblem(name), problem);
    if (!problem.isEmpty())
        return;
    Run run;
    DesignStore store(*run.state.gDatabase);
    store.save(u"Other"_s, u"{}"_s);
    store.save(name, u"first"_s);
    QCOMPARE(store.find(sameName)->name, name.trimmed());
    // Saved under another spelling, the one design is replaced and takes the new spelling.
    store.save(sameName, u"second"_s);
    QCOMPARE(store.names(), QStringList({u"Other"_s, sameName}));
    QCOMPARE(store.find(name)->text, u"second"_s);
    QVERIFY(store.remove(name));
    QVERIFY(!store.remove(name));
    QCOMPARE(store.names(), QStringList{u"Other"_s});
}

QTEST_GUILESS_MAIN(tst_ReportDesign)
#include "tst_ReportDesign.moc"

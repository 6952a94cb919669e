#include "gui/orders/frmMain.h"

#include "core/AppState.h"
#include "engine/Currency.h"
#include "gui/dates/DateField.h"
#include "gui/reports/frmOutput.h"
#include "gui/reports/frmRptDate.h"
#include "gui/support/MainFormFixture.h"
#include "reports/PageDocument.h"

#include <QAction>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

QVariantMap record(int type, int status, const QString& descr, const QDate& ordered,
                   const QDate& expected) {
    return {{u"Type"_s, type},
            {u"status"_s, status},
            {u"descr"_s, descr},
            {u"vendor"_s, u"Vendor"_s},
            {u"dateorder"_s, ordered},
            {u"dateexpect"_s, expected},
            {u"amount"_s, QVariant::fromValue(Currency::fromRaw(125000))}};
}

} // namespace

// The Reports menu of the main form: each entry runs its report, and the reports share the
// remembered date range and one output window.
class tst_ReportsMenu : public QObject, public MainFormFixture {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void eachEntryRunsItsReport_data();
    void eachEntryRunsItsReport();
    void theDateRangeIsRememberedUntilTheFormIsLoadedAgain();
    void aSecondReportReusesTheOutputWindow();
    void otherIndexesDoNothing_data();
    void otherIndexesDoNothing();

private:
    QList<frmOutput*> outputWindows() const { return form()->findChildren<frmOutput*>(); }

    // What each date dialog showed on opening: start and end text.
    QList<QStringList> m_shown;
};

void tst_ReportsMenu::init() {
    initFixture();
    m_shown.clear();
    // Today is 7 December 2026: one of each kind this year, all outstanding and overdue.
    load({record(0, 0, u"An order"_s, QDate(2026, 3, 1), QDate(2026, 3, 8)),
          record(1, 1, u"A rebate"_s, QDate(2026, 4, 1), QDate(2026, 6, 1)),
          record(2, 0, u"A sale"_s, QDate(2026, 5, 1), QDate(2026, 5, 2))});
    services().onModal = [this](QDialog& dialog) {
        auto* dates = qobject_cast<frmRptDate*>(&dialog);
        QVERIFY(dates);
        m_shown << QStringList{dates->dcStartDate->text(), dates->dcEndDate->text()};
        dates->cmdOK->click();
    };
}

void tst_ReportsMenu::cleanup() {
    cleanupFixture();
}

void tst_ReportsMenu::eachEntryRunsItsReport_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("first");
    QTest::newRow("1") << 1 << u"&All Orders"_s << u"|Orders for 1/1/2026 to 12/7/2026|Page %d"_s
                       << u"An order"_s;
    QTest::newRow("2") << 2 << u"A&ll Rebates"_s << u"|Rebates for 1/1/2026 to 12/7/2026|Page %d"_s
                       << u"A rebate"_s;
    QTest::newRow("3") << 3 << u"All &Sales"_s << u"|Sales for 1/1/2026 to 12/7/2026|Page %d"_s
                       << u"A sale"_s;
    QTest::newRow("4") << 4 << u"&Outstanding Orders/Rebates/Sales"_s
                       << u"|Outstanding Orders/Rebates/Sales|Page %d"_s << u"An order"_s;
    QTest::newRow("5") << 5 << u"O&verdue Orders/Rebates/Sales"_s
                       << u"|OverDue Orders/Rebates/Sales|Page %d"_s << u"An order"_s;
}

void tst_ReportsMenu::eachEntryRunsItsReport() {
    QFETCH(int, index);
    QFETCH(QString, caption);
    QFETCH(QString, header);
    QFETCH(QString, first);
    QAction* item = form()->mnuRpt.at(index - 1);
    QCOMPARE(item->text(), caption);
    item->trigger();

    QVERIFY(services().messages.isEmpty());
    // Only the three list reports ask for dates.
    QCOMPARE(m_shown.size(), index <= 3 ? 1 : 0);
    const QList<frmOutput*> windows = outputWindows();
    QCOMPARE(windows.size(), 1);
    frmOutput* out = windows.first();
    QVERIFY(out->isVisible());
    QVERIFY(out->isWindow());
    const PageDocument& document = out->document();
    QCOMPARE(document.header(), header);
    QCOMPARE(document.pageCount(), 1);
    // Below the bold headings, the first record.
    QVERIFY(document.page(1).lines.at(0).bold);
    QCOMPARE(document.page(1).lines.at(1).cells.at(0).text, first);
    QVERIFY(!services().isBusy() && !services().hourglass);
}

void tst_ReportsMenu::theDateRangeIsRememberedUntilTheFormIsLoadedAgain() {
    // First use: New Year's Day and today.
    services().onModal = [this](QDialog& dialog) {
        auto& dates = static_cast<frmRptDate&>(dialog);
        m_shown << QStringList{dates.dcStartDate->text(), dates.dcEndDate->text()};
        dates.dcStartDate->setText(u"4/1/2026"_s);
        dates.dcEndDate->setText(u"4/30/2026"_s);
        dates.cmdOK->click();
    };
    form()->mnuRpt[0]->trigger();
    // Nothing was ordered in April: the report says so, but the range is kept.
    QCOMPARE(services().messages.size(), 1);
    QCOMPARE(services().messages.first().text, u"You have not entered any reportable orders!"_s);
    QVERIFY(outputWindows().isEmpty());

    services().onModal = [this](QDialog& dialog) {
        auto& dates = static_cast<frmRptDate&>(dialog);
        m_shown << QStringList{dates.dcStartDate->text(), dates.dcEndDate->text()};
        dates.dcStartDate->setText(u"1/1/2020"_s);
        dates.cmdCancel->click();
    };
    form()->mnuRpt[1]->trigger();
    QCOMPARE(services().messages.size(), 1);

    services().onModal = [this](QDialog& dialog) {
        auto& dates = static_cast<frmRptDate&>(dialog);
        m_shown << QStringList{dates.dcStartDate->text(), dates.dcEndDate->text()};
        dates.cmdOK->click();
    };
    form()->mnuRpt[1]->trigger();
    QCOMPARE(outputWindows().size(), 1);
    QCOMPARE(outputWindows().first()->document().header(),
             u"|Rebates for 4/1/2026 to 4/30/2026|Page %d"_s);

    const QList<QStringList> expected = {{u"1/1/2026"_s, u"12/7/2026"_s},
                                         {u"4/1/2026"_s, u"4/30/2026"_s},
                                         {u"4/1/2026"_s, u"4/30/2026"_s}};
    QCOMPARE(m_shown, expected);

    // Loading the main form again starts from New Year's Day and today once more.
    discardForm();
    QVERIFY(makeForm().loadAndShow());
    form()->mnuRpt[2]->trigger();
    QCOMPARE(m_shown.last(), QStringList({u"1/1/2026"_s, u"12/7/2026"_s}));
}

void tst_ReportsMenu::aSecondReportReusesTheOutputWindow() {
    form()->mnuRpt[3]->trigger();
    QCOMPARE(outputWindows().size(), 1);
    QPointer<frmOutput> first = outputWindows().first();

    form()->mnuRpt[4]->trigger();
    QCOMPARE(outputWindows().size(), 1);
    QCOMPARE(outputWindows().first(), first.data());
    QCOMPARE(first->document().header(), u"|OverDue Orders/Rebates/Sales|Page %d"_s);
    QVERIFY(first->isVisible());

    // Closed by the user, the window is gone, and the next report opens a new one.
    first->cmdOk->click();
    QTRY_VERIFY(!first);
    form()->mnuRpt[0]->trigger();
    QCOMPARE(outputWindows().size(), 1);
    QVERIFY(outputWindows().first()->isVisible());
}

void tst_ReportsMenu::otherIndexesDoNothing_data() {
    QTest::addColumn<int>("index");
    QTest::newRow("0") << 0;
    QTest::newRow("6") << 6;
    QTest::newRow("-1") << -1;
}

void tst_ReportsMenu::otherIndexesDoNothing() {
    QFETCH(int, index);
    const int busyCalls = services().busyCalls;
    form()->mnuRpt_Click(index);
    QVERIFY(m_shown.isEmpty());
    QVERIFY(services().messages.isEmpty());
    QVERIFY(outputWindows().isEmpty());
    QCOMPARE(services().busyCalls, busyCalls);
}

QTEST_MAIN(tst_ReportsMenu)
#include "tst_ReportsMenu.moc"

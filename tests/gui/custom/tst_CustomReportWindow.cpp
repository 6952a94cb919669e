#include "gui/custom/WindowPageSink.h"
#include "gui/reports/Printing.h"
#include "gui/reports/frmOutput.h"
#include "reports/PageDocument.h"

#include "gui/support/FakeServices.h"
#include "support/CustomFixture.h"

#include <QScrollBar>

using namespace custom;

// The generate command printing into the output window, as the designer runs it.
class tst_CustomReportWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theOutputWindowStartsEachDocumentAfresh();
    void theFirstPageShowsWhileTheRestFollow();
};

void tst_CustomReportWindow::theOutputWindowStartsEachDocumentAfresh() {
    Run run;
    FakeServices windowServices;
    run.definition.reportTo = ReportTarget::ScreenPrinter;
    run.fields({u"Description"_s});
    QPointer<frmOutput> window;
    WindowPageSink sink(
        [&]() -> frmOutput& {
            if (!window)
                window = new frmOutput(windowServices);
            return *window;
        },
        defaultPageSize(run.services.locale()));
    QCOMPARE(run.generate({}, &sink).outcome, CustomReportOutcome::Done);
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->document().footer(), u"|Page %d|"_s);
    QCOMPARE(window->document().header(), u"12/7/2026|Purvex Report|"_s);

    run.definition.pageNumbers = PageNumbers::InHeader;
    frmOutput* first = window;
    QCOMPARE(run.generate({}, &sink).outcome, CustomReportOutcome::Done);
    QCOMPARE(window.data(), first);
    QCOMPARE(window->document().footer(), QString());
    QCOMPARE(window->document().header(), u"12/7/2026|Purvex Report|Page %d"_s);
    delete window.data();
}

void tst_CustomReportWindow::theFirstPageShowsWhileTheRestFollow() {
    Run run;
    FakeServices windowServices;
    QList<QVariantMap> more;
    for (int i = 1; i <= 600; ++i)
        more << QVariantMap{{u"descr"_s, u"Order %1"_s.arg(i)}, {u"Type"_s, i % 3}};
    OrderFixture::insertRows(*run.state.gDatabase, more);
    run.definition.reportTo = ReportTarget::ScreenPrinter;
    run.fields({u"Record Number"_s, u"Description"_s, u"Type"_s});
    run.definition.primarySort = specId(run.definition, u"Record Number"_s);

    PageDocument whole;
    whole.setPageSize(PageDocument::localePageSize(run.services.locale()));
    DocumentPageSink document(whole);
    QCOMPARE(run.generate({}, &document).outcome, CustomReportOutcome::Done);

    QPointer<frmOutput> window = new frmOutput(windowServices);
    WindowPageSink sink([&]() -> frmOutput& { return *window; },
                        defaultPageSize(run.services.locale()));
    QCOMPARE(run.generate({}, &sink).outcome, CustomReportOutcome::Done);
    // On show with its first page whole; the page bar reaches only the pages laid out.
    QVERIFY(window->isVisible());
    QVERIFY(window->layoutPending());
    QVERIFY(window->scrlPage->maximum() < whole.pageCount());
    QTRY_VERIFY_WITH_TIMEOUT(!window->layoutPending(), 20000);
    QCOMPARE(window->scrlPage->maximum(), whole.pageCount());

    // The same pages as a document laid out at one go.
    const PageDocument& shown = window->document();
    QCOMPARE(shown.pageCount(), whole.pageCount());
    for (int number = 1; number <= whole.pageCount(); ++number) {
        QCOMPARE(shown.page(number).lines.size(), whole.page(number).lines.size());
        QCOMPARE(shown.page(number).lines.last().cells.at(1).text,
                 whole.page(number).lines.last().cells.at(1).text);
    }
    delete window.data();
}

QTEST_MAIN(tst_CustomReportWindow)
#include "tst_CustomReportWindow.moc"

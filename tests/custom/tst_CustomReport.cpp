#include "core/Version.h"
#include "custom/ReportPageSink.h"
#include "reports/PageDocument.h"
#include "reports/PagePainter.h"

#include "support/CustomFixture.h"
#include "support/PdfText.h"

#include <sys/resource.h>

#include <csignal>

using namespace custom;

namespace {

// Record numbers of a report whose first column is the record number.
QStringList firstColumn(const QList<QStringList>& rows) {
    QStringList numbers;
    for (const QStringList& row : rows)
        numbers << row.value(0);
    return numbers;
}

const QByteArray earlier = "the earlier report\r\n";

// Files beside the report: nothing may be left behind by a report that failed. (The
// database keeps its journal while a test holds it open after changing it.)
QStringList filesIn(const QString& dir) {
    QStringList files = QDir(dir).entryList(QDir::Files | QDir::Hidden);
    files.removeAll(u"pvx.mdb-journal"_s);
    return files;
}

} // namespace

// The generate command as the designer and pvxadmin use it, to each target, read back with
// tools we did not write.
class tst_CustomReport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void criteria_data();
    void criteria();
    void textFileKeepsItsShape();
    void htmlIsEscapedAndComplete();
    void pagesThroughPdf_data();
    void pagesThroughPdf();
    void nothingWrittenUnlessComplete_data();
    void nothingWrittenUnlessComplete();
};

void tst_CustomReport::criteria_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("criterion");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("hidden");
    QTest::addColumn<bool>("inReport");
    QTest::addColumn<QStringList>("records");

    const QString us = u"en_US"_s;
    const QString text = u"Description"_s;
    const auto row = [&](const char* name, const QString& locale, const QString& field,
                         const char* criterion, const QString& value, const QStringList& records,
                         bool hidden = false, bool inReport = true) {
        QTest::newRow(name) << locale << field << QString::fromLatin1(criterion) << value << hidden
                            << inReport << records;
    };
    // Typed text is matched literally and without regard to case, Unicode included.
    row("starts with an apostrophe", us, text, "starts", u"WIDGET IT'"_s, {u"1"_s});
    row("starts with %", us, text, "starts", u"50%"_s, {u"2"_s});
    row("starts with _", us, text, "starts", u"a_"_s, {u"3"_s});
    row("starts with [ and *", us, text, "starts", u"A_B [x] *"_s, {u"3"_s});
    row("starts with accents", us, text, "starts", u"éMILE <SCRIPT>"_s, {u"4"_s});
    // 1000 exactly is not below 1000; a Null amount is no number at all.
    row("less than in en_US", us, u"Amount"_s, "less", u"1,000"_s, {u"1"_s, u"2"_s, u"5"_s});
    row("less than in de_DE", u"de_DE"_s, u"Amount"_s, "less", u"1.000"_s,
        {u"1"_s, u"2"_s, u"5"_s});
    row("greater than is exact", u"de_DE"_s, u"Amount"_s, "greater", u"0,2"_s,
        {u"1"_s, u"4"_s, u"5"_s});
    row("start date", us, u"Date Ordered"_s, "from", u"1999-01-01"_s, {u"1"_s, u"2"_s, u"5"_s});
    // Record 2 was stored at 14:05 on the last day.
    row("end date takes in the whole day", us, u"Date Ordered"_s, "to", u"1999-03-31"_s,
        {u"1"_s, u"2"_s, u"3"_s});
    row("true", us, u"Fully Received"_s, "true", {}, {u"1"_s});
    // Record 4's status has no row in StatusNames: its cell says "No".
    row("false takes in no value", us, u"Fully Received"_s, "false", {},
        {u"2"_s, u"3"_s, u"4"_s, u"5"_s});
    row("a hidden field's criteria apply", us, u"Amount"_s, "greater", u"500"_s, {u"4"_s, u"5"_s},
        true);
    row("criteria off the report are ignored", us, u"Amount"_s, "greater", u"500"_s,
        {u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s}, false, false);
}

void tst_CustomReport::criteria() {
    QFETCH(QString, locale);
    QFETCH(QString, field);
    QFETCH(QString, criterion);
    QFETCH(QString, value);
    QFETCH(bool, hidden);
    QFETCH(bool, inReport);
    QFETCH(QStringList, records);

    Run run;
    run.services.userLocale = QLocale(locale);
    run.fields(inReport ? QStringList{u"Record Number"_s, field} : QStringList{u"Record Number"_s});
    run.definition.primarySort = specId(run.definition, u"Record Number"_s);
    FieldSettings& settings = run.settings(field);
    settings.Hide = hidden;
    const QDate day = QDate::fromString(value, Qt::ISODate);
    if (criterion == u"starts")
        settings.StartsWith = value;
    else if (criterion == u"less")
        settings.LessThan = value;
    else if (criterion == u"greater")
        settings.GreaterThan = value;
    else if (criterion == u"from")
        settings.StartDate = day;
    else if (criterion == u"to")
        settings.EndDate = day;
    else if (criterion == u"true")
        settings.WantTrue = true;
    else
        settings.WantFalse = true;

    const auto rows = run.textRows();
    QVERIFY(rows);
    QCOMPARE(firstColumn(*rows), records);
    if (criterion == u"false")
        QCOMPARE(rows->at(2).value(1), u"No"_s);
}

void tst_CustomReport::textFileKeepsItsShape() {
    Run run;
    run.fields({u"Record Number"_s, u"Notes"_s, u"Amount"_s, u"Weight"_s, u"Date Ordered"_s});
    run.definition.primarySort = specId(run.definition, u"Record Number"_s);
    run.settings(u"Amount"_s).Total = true;
    run.settings(u"Weight"_s).Total = true;
    const QString path = run.file(u"report.txt"_s);
    QFile existing(path);
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write(earlier);
    existing.close();

    QCOMPARE(run.generate(path).outcome, CustomReportOutcome::Done);
    QCOMPARE(run.services.messages.size(), 1);
    QCOMPARE(run.services.messages.at(0).text,
             u"That file already exists.  Do you wish to replace it?"_s);
    QCOMPARE(run.services.messages.at(0).title, u"File Exists"_s);
    QCOMPARE(run.services.messages.at(0).buttons, MsgButtons::YesNo);

    // UTF-8, CR LF after every line, five cells on each; blanks where there is no value;
    // the weights 0.1 + 0.2 + 0.1 and the amounts added exactly.
    const QByteArray expected = "1\tline one line two\t$10.10\t0.1\t1/1/1999\r\n"
                                "2\t\t$0.20\t0.2\t3/31/1999\r\n"
                                "3\t\t\t\t12/31/1998\r\n"
                                "4\t\t$1,000.00\t\t\r\n"
                                "5\t\t$999.99\t0.1\t4/1/1999\r\n"
                                "\t\t$2,010.29\t0.4\t\r\n";
    QCOMPARE(readAll(path), expected);
    QCOMPARE(filesIn(run.dir.path()), (QStringList{u"pvx.mdb"_s, u"report.txt"_s}));

    // Totals are written the user's way.
    run.services.userLocale = QLocale(u"de_DE"_s);
    const auto rows = run.textRows();
    QVERIFY(rows);
    QCOMPARE(rows->last(), (QStringList{{}, {}, u"2.010,29\u00a0€"_s, u"0,4"_s, {}}));
}

void tst_CustomReport::htmlIsEscapedAndComplete() {
    Run run;
    run.definition.reportTo = ReportTarget::WebTable;
    run.definition.title = u"Q&A <b>'s \"list\""_s;
    run.fields({u"Description"_s, u"Amount"_s, u"Record Number"_s, u"Is a Sale"_s});
    run.definition.primarySort = specId(run.definition, u"Record Number"_s);
    run.settings(u"Record Number"_s).Hide = true;
    run.settings(u"Amount"_s).Total = true;
    const QString path = run.file(u"report.htm"_s);
    QCOMPARE(run.generate(path).outcome, CustomReportOutcome::Done);

    const QString title = u"Q&amp;A &lt;b&gt;&#39;s &quot;list&quot;"_s;
    const QStringList lines = QString::fromUtf8(readAll(path)).split(u"\r\n"_s);
    QCOMPARE(lines.size(), 11 + 6 + 1);
    QCOMPARE(lines.mid(0, 7),
             (QStringList{u"<html>"_s,
                          u"<head><meta charset=\"utf-8\"><title>"_s + title + u"</title></head>"_s,
                          u"<body>"_s, u"<table border=1>"_s,
                          u"<tr><th colspan = 4>"_s + title + u"</th></tr>"_s, u"<tr>"_s,
                          u"<th>Description</th><th>Amount</th><th>Is a Sale</th></tr>"_s}));
    QCOMPARE(lines.at(12),
             u"<tr><TD>&nbsp;</TD><td align=right>$2,010.29</td><TD>&nbsp;</TD></tr>"_s);
    // The footer links to the home page only when the build names one.
    const QString home = QString::fromLatin1(Version::HomePage);
    QCOMPARE(lines.mid(13),
             (QStringList{u"</table>"_s,
                          home.isEmpty() ? u"<H6>List Produced by PVX - Purvex</H6>"_s
                                         : u"<H6>List Produced by <A HREF=\"%1\">PVX - "
                                           u"Purvex</A></H6>"_s.arg(home),
                          u"</body>"_s, u"</html>"_s, QString()}));

    const auto page = parseHtml(path);
    QVERIFY(page);
    QCOMPARE(page->title, u"Q&A <b>'s \"list\""_s);
    QCOMPARE(page->charset, u"utf-8"_s);
    QCOMPARE(page->link, QString::fromLatin1(Version::HomePage));
    QVERIFY(!page->hasScript);
    QCOMPARE(page->rows.size(), 2 + 5 + 1);
    QCOMPARE(page->rows.at(0).at(0).colspan, u"4"_s);
    QCOMPARE(texts(page->rows.at(0)), QStringList{page->title});
    QCOMPARE(texts(page->rows.at(5)),
             (QStringList{u"Émile <script>alert(1)</script> & \"q\""_s, u"$1,000.00"_s, u"No"_s}));
    QCOMPARE(page->rows.at(5).at(1).align, u"right"_s);
    QCOMPARE(page->rows.at(5).at(0).align, QString());
    QCOMPARE(texts(page->rows.at(7)), (QStringList{u"\u00a0"_s, u"$2,010.29"_s, u"\u00a0"_s}));
}

void tst_CustomReport::pagesThroughPdf_data() {
    QTest::addColumn<int>("pageNumbers");
    QTest::addColumn<bool>("showDate");
    QTest::addColumn<bool>("centimeters");
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("footer");
    QTest::addColumn<double>("firstColumn");
    QTest::addColumn<QString>("paper");

    // The title prints as typed: its "|" parts no section, its "%d" is no page number.
    const QString title = u"Custom | 100%d & <b>"_s;
    QTest::newRow("at bottom") << int(PageNumbers::AtBottom) << true << false << false
                               << u"12/7/2026 "_s + title << u"Page 1"_s << 2880.0
                               << u"612 x 792"_s;
    QTest::newRow("in header, centimetres")
        << int(PageNumbers::InHeader) << true << true << false
        << u"12/7/2026 "_s + title + u" Page 1"_s << QString() << 1123.2 << u"612 x 792"_s;
    QTest::newRow("none, no date, landscape") << int(PageNumbers::None) << false << false << true
                                              << title << QString() << 2880.0 << u"792 x 612"_s;
}

void tst_CustomReport::pagesThroughPdf() {
    QFETCH(int, pageNumbers);
    QFETCH(bool, showDate);
    QFETCH(bool, centimeters);
    QFETCH(bool, landscape);
    QFETCH(QString, header);
    QFETCH(QString, footer);
    QFETCH(double, firstColumn);
    QFETCH(QString, paper);

    Run run;
    run.definition.reportTo = ReportTarget::ScreenPrinter;
    run.definition.title = u"Custom | 100%d & <b>"_s;
    run.definition.pageNumbers = PageNumbers(pageNumbers);
    run.definition.showDate = showDate;
    run.definition.widthUnit = centimeters ? WidthUnit::Centimeters : WidthUnit::Inches;
    run.definition.landscape = landscape;
    run.fields({u"Description"_s, u"Amount"_s, u"Date Ordered"_s});
    run.definition.primarySort = specId(run.definition, u"Record Number"_s);
    run.settings(u"Description"_s).ColWidth = 2;
    // Room for each heading on one line in either unit.
    run.settings(u"Amount"_s).ColWidth = run.settings(u"Date Ordered"_s).ColWidth =
        centimeters ? 3.5 : 1.5;
    run.settings(u"Amount"_s).Total = true;

    PageDocument document;
    document.setPageSize(QPageSize(QPageSize::Letter));
    DocumentPageSink sink(document);
    QCOMPARE(run.generate({}, &sink).outcome, CustomReportOutcome::Done);
    QCOMPARE(document.pageCount(), 1);
    // The second column starts where the first one's width ends; amounts keep right.
    const PageLine& heading = document.page(1).lines.at(0);
    QCOMPARE(heading.cells.at(1).rect.left() - PageDocument::CellPaddingX -
                 document.bodyRect().left(),
             firstColumn);
    QCOMPARE(document.page(1).lines.at(1).cells.at(1).alignment, Qt::AlignRight);
    const QList<PageCell> footerCells = document.footerCells(1);
    QCOMPARE(footerCells.size(), footer.isEmpty() ? 0 : 1);
    if (!footer.isEmpty())
        QCOMPARE(footerCells.at(0).alignment, Qt::AlignHCenter);

    QTemporaryDir out;
    const QString pdfPath = QDir(out.path()).filePath(u"report.pdf"_s);
    QVERIFY(writePdf(document, pdfPath));
    QVERIFY(pdf::info(pdfPath, u"Page size"_s).startsWith(paper));
    const QStringList pages = pdf::pages(pdfPath);
    QCOMPARE(pages.size(), 1);
    QStringList lines;
    for (const QString& line : pdf::textLines(pages.at(0)))
        lines << line.simplified();
    QCOMPARE(lines.value(0), header);
    QCOMPARE(lines.value(1), u"Description Amount Date Ordered"_s);
    QVERIFY2(lines.value(2).startsWith(u"Widget it's $10.10 1/1/1999"_s),
             qPrintable(lines.value(2)));
    const qsizetype totals = lines.size() - (footer.isEmpty() ? 1 : 2);
    QCOMPARE(lines.value(totals), u"$2,010.29"_s);
    QCOMPARE(lines.last(), footer.isEmpty() ? u"$2,010.29"_s : footer);
}

void tst_CustomReport::nothingWrittenUnlessComplete_data() {
    QTest::addColumn<QString>("cause");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("outcome");

    const auto row = [](const char* cause, const QString& message, CustomReportOutcome outcome) {
        QTest::newRow(cause) << QString::fromLatin1(cause) << message << int(outcome);
    };
    row("no fields", u"You have not selected any fields to include in the report"_s,
        CustomReportOutcome::NoFields);
    row("every field hidden", CustomReportText::allHidden(), CustomReportOutcome::AllHidden);
    row("no rows",
        u"No order records have been entered that may be included in the specified report"_s,
        CustomReportOutcome::NothingToReport);
    row("replacing refused", u"That file already exists.  Do you wish to replace it?"_s,
        CustomReportOutcome::Cancelled);
    // A query the engine refuses, or a file that cannot be written, stops the report, not
    // the program.
    row("failed query", u"3265  Item 'nosuch' not found"_s, CustomReportOutcome::Failed);
    row("no such folder", u"76  Path not found: "_s, CustomReportOutcome::Failed);
    row("disk full", u"61  File too large"_s, CustomReportOutcome::Failed);
}

void tst_CustomReport::nothingWrittenUnlessComplete() {
    QFETCH(QString, cause);
    QFETCH(QString, message);
    QFETCH(int, outcome);

    Run run;
    run.definition.reportTo = ReportTarget::WebTable;
    run.fields({u"Description"_s, u"Amount"_s});
    QString path = run.file(u"report.htm"_s);
    QFile existing(path);
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write(earlier);
    existing.close();

    if (cause == u"no fields")
        run.definition.fields.clear();
    else if (cause == u"every field hidden")
        run.settings(u"Description"_s).Hide = run.settings(u"Amount"_s).Hide = true;
    else if (cause == u"no rows")
        run.settings(u"Description"_s).StartsWith = u"zzz"_s;
    else if (cause == u"replacing refused")
        run.services.answers = {MsgAnswer::No};
    else if (cause == u"failed query")
        run.state.gDatabase->execute(u"UPDATE RptSpec SET fieldname = 'nosuch' "
                                     u"WHERE \"Desc\" = 'Amount'"_s);
    else if (cause == u"no such folder")
        path = run.file(u"pvx.mdb/report.htm"_s);

    // A file may grow no larger than what is there: the report's first write is refused.
    struct rlimit saved {};
    if (cause == u"disk full") {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved);
        struct rlimit small = saved;
        small.rlim_cur = rlim_t(earlier.size());
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    }
    if (cause == u"failed query") {
        // The database changed under the definition: the catalogue is read afresh.
        run.definition.catalogue = ReportCatalogue::read(*run.state.gDatabase);
    }
    const CustomReportResult result = run.generate(path);
    if (cause == u"disk full")
        setrlimit(RLIMIT_FSIZE, &saved);

    QCOMPARE(int(result.outcome), outcome);
    // The existing file is asked about first, before the report is run.
    const auto& messages = run.services.messages;
    QVERIFY(!messages.isEmpty());
    QVERIFY2(messages.last().text.startsWith(message), qPrintable(messages.last().text));
    for (qsizetype i = 0; i + 1 < messages.size(); ++i)
        QCOMPARE(messages.at(i).title, u"File Exists"_s);
    QVERIFY(messages.size() <= 2);
    QVERIFY(!run.services.ended);
    QVERIFY(!run.services.isBusy() && !run.services.hourglass);
    QCOMPARE(readAll(run.file(u"report.htm"_s)), earlier);
    QCOMPARE(filesIn(run.dir.path()), (QStringList{u"pvx.mdb"_s, u"report.htm"_s}));
}

QTEST_MAIN(tst_CustomReport)
#include "tst_CustomReport.moc"

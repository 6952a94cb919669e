#include "gui/reports/BuiltInReports.h"
#include "reports/PrintBuiltInReport.h"
#include "reports/ReportSink.h"

#include "gui/reports/frmOutput.h"
#include "gui/reports/frmRptDate.h"
#include "reports/PageDocument.h"
#include "reports/PagePainter.h"

#include "core/AppState.h"
#include "dates/LocaleDates.h"
#include "engine/Currency.h"
#include "engine/Database.h"
#include "gui/dates/DateField.h"
#include "gui/support/FakeServices.h"
#include "support/OrderFixture.h"
#include "support/PdfText.h"

#include <QDir>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

QVariant money(qint64 cents) {
    return QVariant::fromValue(Currency::fromRaw(cents * 100));
}

// One stored record; fields not set are Null.
struct Rec {
    QVariantMap fields;

    Rec(const QVariant& type, const QString& descr) {
        fields[u"Type"_s] = type;
        fields[u"descr"_s] = descr;
        fields[u"vendor"_s] = QString();
    }
    Rec& status(const QVariant& value) { return set(u"status"_s, value); }
    Rec& vendor(const QVariant& value) { return set(u"vendor"_s, value); }
    Rec& ordered(const QVariant& value) { return set(u"dateorder"_s, value); }
    Rec& expected(const QVariant& value) { return set(u"dateexpect"_s, value); }
    Rec& received(const QVariant& value) { return set(u"datereceive"_s, value); }
    Rec& amount(qint64 cents) { return set(u"amount"_s, money(cents)); }
    Rec& set(const QString& field, const QVariant& value) {
        fields[field] = value;
        return *this;
    }
    operator QVariantMap() const { return fields; }
};

QDate day(int month, int d) {
    return QDate(2024, month, d);
}

const QStringList OrderTitles = {u"Description"_s, u"Order Date"_s, u"Rec'd"_s, u"Date Received"_s,
                                 u"Vendor"_s};
const QStringList OutstandingTitles = {u"Description"_s, u"Date Ordered"_s, u"Partial"_s, u"Type"_s,
                                       u"Amount"_s};

QStringList texts(const PageLine& line) {
    QStringList cells;
    for (const PageCell& cell : line.cells)
        cells << cell.text;
    return cells;
}

// The first line of a PDF page that contains text, laid out as on paper.
QString lineWith(const QStringList& pages, const QString& text) {
    for (const QString& page : pages) {
        for (const QString& line : pdf::textLines(page)) {
            if (line.contains(text))
                return line.simplified();
        }
    }
    return {};
}

} // namespace

// The five reports run as the main form runs them, read back from the output window's
// document and from the PDF it writes.
class tst_BuiltInReports : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void allOrdersListsTheRangeBothEndsIncluded();
    void allOrdersCells();
    void rebatesAndSalesTotals_data();
    void rebatesAndSalesTotals();
    void bothTotalRowsAlwaysPrinted_data();
    void bothTotalRowsAlwaysPrinted();
    void datesAndAmountsInTheUsersLocale_data();
    void datesAndAmountsInTheUsersLocale();
    void outstandingListsWhatIsNotFullyReceived();
    void overdueIsExpectedOnOrBeforeToday();
    void nothingToReport_data();
    void nothingToReport();
    void anEmptyResultLeavesTheShownReportAlone();
    void cancellingTheDateDialogDoesNothing();
    void multiPageReportRepeatsTheHeadings_data();
    void multiPageReportRepeatsTheHeadings();
    void separatorsInADescriptionStayInTheirCell();
    void theWindowIsReusedWhileOpen();
    void aDatabaseErrorGoesToTheTrap();
    void withoutAWindowTheDocumentIsTheSame_data();
    void withoutAWindowTheDocumentIsTheSame();

private:
    void open(const QList<QVariantMap>& rows);
    // Runs a report; the list reports get the range through their dialog's OK.
    void run(BuiltInReport report, const QDate& start = day(3, 1), const QDate& end = day(3, 31));
    // The non-heading table rows of the shown document, blank lines left out.
    QList<QStringList> bodyRows() const;
    QStringList pdfPages();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<FakeServices> m_services;
    std::unique_ptr<BuiltInReports> m_reports;
    int m_dialogs = 0;
};

void tst_BuiltInReports::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_state = std::make_unique<AppState>();
    m_services = std::make_unique<FakeServices>();
    m_dialogs = 0;
}

void tst_BuiltInReports::cleanup() {
    m_reports.reset();
    m_state.reset();
    m_services.reset();
    m_dir.reset();
}

void tst_BuiltInReports::open(const QList<QVariantMap>& rows) {
    const QString path = OrderFixture::createDatabase(m_dir->path(), rows);
    m_state->gDatabase = Database::open(path, true);
    m_reports = std::make_unique<BuiltInReports>(*m_state, *m_services);
}

void tst_BuiltInReports::run(BuiltInReport report, const QDate& start, const QDate& end) {
    m_services->onModal = [&](QDialog& dialog) {
        ++m_dialogs;
        auto& dates = static_cast<frmRptDate&>(dialog);
        const QLocale locale = m_services->userLocale;
        dates.dcStartDate->setText(LocaleDates::shortDate(start, locale));
        dates.dcEndDate->setText(LocaleDates::shortDate(end, locale));
        dates.cmdOK->click();
    };
    m_reports->runReport(report);
}

QList<QStringList> tst_BuiltInReports::bodyRows() const {
    QList<QStringList> rows;
    const frmOutput* out = m_reports->output();
    if (!out)
        return rows;
    const PageDocument& document = out->document();
    for (int number = 1; number <= document.pageCount(); ++number) {
        for (const PageLine& line : document.page(number).lines) {
            if (!line.bold && !line.cells.isEmpty())
                rows << texts(line);
        }
    }
    return rows;
}

QStringList tst_BuiltInReports::pdfPages() {
    if (!m_reports->output())
        return {};
    const QString path = QDir(m_dir->path()).filePath(u"report.pdf"_s);
    QString error;
    if (!writePdf(m_reports->output()->document(), path, &error)) {
        qWarning() << error;
        return {};
    }
    return pdf::pages(path);
}

void tst_BuiltInReports::allOrdersListsTheRangeBothEndsIncluded() {
    open({Rec(0, u"Before"_s).ordered(day(2, 29)),
          Rec(0, u"End with time"_s).ordered(QDateTime(day(3, 31), QTime(23, 59, 59))),
          Rec(0, u"Start"_s).ordered(day(3, 1)),
          Rec(0, u"Start with time"_s).ordered(QDateTime(day(3, 1), QTime(0, 0, 1))),
          Rec(0, u"After"_s).ordered(day(4, 1)), Rec(0, u"Undated"_s),
          Rec(1, u"A rebate"_s).ordered(day(3, 10)), Rec(2, u"A sale"_s).ordered(day(3, 10)),
          Rec(0, u"Tie b"_s).ordered(day(3, 10)).vendor(u"beta"_s),
          Rec(0, u"Tie A"_s).ordered(day(3, 10)).vendor(u"Alpha"_s),
          Rec(0, u"Tie G"_s).ordered(day(3, 10)).vendor(u"Gamma"_s),
          Rec(0, u"End"_s).ordered(day(3, 31))});
    run(BuiltInReport::AllOrders);

    QCOMPARE(m_dialogs, 1);
    QVERIFY(m_services->messages.isEmpty());
    QStringList listed;
    for (const QStringList& row : bodyRows())
        listed << row.first();
    QCOMPARE(listed, QStringList({u"Start"_s, u"Start with time"_s, u"Tie A"_s, u"Tie b"_s,
                                  u"Tie G"_s, u"End"_s, u"End with time"_s}));
    QVERIFY(m_reports->output()->isVisible());
    QCOMPARE(m_services->busyCalls, 1);
    QVERIFY(!m_services->isBusy() && !m_services->hourglass);

    const QStringList pages = pdfPages();
    QCOMPARE(pages.size(), 1);
    const QStringList lines = pdf::textLines(pages.first());
    QCOMPARE(lines.at(0).simplified(), u"Orders for 3/1/2024 to 3/31/2024 Page 1"_s);
    QCOMPARE(lines.at(1).simplified(), u"Description Order Date Rec'd Date Received Vendor"_s);
    // No amount column, so no totals.
    QVERIFY(lineWith(pages, u"Total"_s).isEmpty());
}

void tst_BuiltInReports::allOrdersCells() {
    open({Rec(0, u"Not yet"_s).ordered(day(3, 2)).status(0).vendor(u"Acme"_s),
          Rec(0, u"Partly"_s).ordered(day(3, 3)).status(1).received(day(3, 20)),
          Rec(0, u"All in"_s)
              .ordered(day(3, 4))
              .status(2)
              .received(QDateTime(day(3, 21), QTime(9, 15))),
          Rec(0, u"Odd status"_s).ordered(day(3, 5)).status(7),
          Rec(0, QString()).ordered(day(3, 6)).vendor(QVariant()).set(u"descr"_s, QVariant())});
    run(BuiltInReport::AllOrders);

    const QList<QStringList> expected = {
        {u"Not yet"_s, u"3/2/2024"_s, u"No"_s, QString(), u"Acme"_s},
        {u"Partly"_s, u"3/3/2024"_s, u"Part."_s, u"3/20/2024"_s, QString()},
        {u"All in"_s, u"3/4/2024"_s, u"Yes"_s, u"3/21/2024"_s, QString()},
        {u"Odd status"_s, u"3/5/2024"_s, QString(), QString(), QString()},
        // Null description, status and vendor.
        {QString(), u"3/6/2024"_s, QString(), QString(), QString()},
    };
    QCOMPARE(bodyRows(), expected);
}

void tst_BuiltInReports::rebatesAndSalesTotals_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("headings");
    QTest::newRow("rebates") << 1 << u"Rebates for 3/1/2024 to 3/31/2024"_s
                             << QStringList{u"Description"_s, u"Vendor"_s, u"Date Ordered"_s,
                                            u"Rec'd"_s, u"Amount"_s};
    QTest::newRow("sales") << 2 << u"Sales for 3/1/2024 to 3/31/2024"_s
                           << QStringList{u"Description"_s, u"Buyer"_s, u"Date Sold"_s, u"Rec'd"_s,
                                          u"Amount"_s};
}

void tst_BuiltInReports::rebatesAndSalesTotals() {
    QFETCH(int, type);
    QFETCH(QString, title);
    QFETCH(QStringList, headings);
    open({Rec(type, u"Received"_s).ordered(day(3, 2)).status(2).amount(123456).vendor(u"V1"_s),
          Rec(type, u"Received cent"_s).ordered(day(3, 3)).status(2).amount(1),
          Rec(type, u"Refund"_s).ordered(day(3, 4)).status(2).amount(-510),
          Rec(type, u"Waiting"_s).ordered(day(3, 5)).status(0).amount(-2000),
          Rec(type, u"Partly"_s).ordered(day(3, 6)).status(1).amount(333),
          Rec(type, u"No amount"_s).ordered(day(3, 7)).status(2),
          Rec(type, u"No amount due"_s).ordered(day(3, 8)).status(0),
          Rec(type == 1 ? 2 : 1, u"Other kind"_s).ordered(day(3, 9)).status(0).amount(99900),
          // Codes the program never writes print as received and are totalled so.
          Rec(type, u"Odd status"_s).ordered(day(3, 10)).status(5).amount(100),
          Rec(type, u"No status"_s).ordered(day(3, 11)).status(QVariant()).amount(200)});
    run(type == 1 ? BuiltInReport::AllRebates : BuiltInReport::AllSales);

    const QList<QStringList> expected = {
        {u"Received"_s, u"V1"_s, u"3/2/2024"_s, u"Yes"_s, u"$1,234.56"_s},
        {u"Received cent"_s, QString(), u"3/3/2024"_s, u"Yes"_s, u"$0.01"_s},
        {u"Refund"_s, QString(), u"3/4/2024"_s, u"Yes"_s, u"($5.10)"_s},
        {u"Waiting"_s, QString(), u"3/5/2024"_s, u"No"_s, u"($20.00)"_s},
        {u"Partly"_s, QString(), u"3/6/2024"_s, u"Partial"_s, u"$3.33"_s},
        {u"No amount"_s, QString(), u"3/7/2024"_s, u"Yes"_s, QString()},
        {u"No amount due"_s, QString(), u"3/8/2024"_s, u"No"_s, QString()},
        {u"Odd status"_s, QString(), u"3/10/2024"_s, u"Yes"_s, u"$1.00"_s},
        {u"No status"_s, QString(), u"3/11/2024"_s, u"Yes"_s, u"$2.00"_s},
        {u"Total Received"_s, u"$1,232.47"_s},
        {u"Total Due"_s, u"($16.67)"_s},
    };
    QCOMPARE(bodyRows(), expected);

    const QStringList pages = pdfPages();
    QCOMPARE(pages.size(), 1);
    const QStringList lines = pdf::textLines(pages.first());
    QCOMPARE(lines.at(0).simplified(), title + u" Page 1"_s);
    QCOMPARE(lines.at(1).simplified(), headings.join(u' '));
    QCOMPARE(lineWith(pages, u"Total Received"_s), u"Total Received $1,232.47"_s);
    QCOMPARE(lineWith(pages, u"Total Due"_s), u"Total Due ($16.67)"_s);
    // The totals come last, after one empty line, under the amount column.
    QVERIFY(lines.last().contains(u"Total Due"_s));
    QVERIFY(lines.at(lines.size() - 2).contains(u"Total Received"_s));
    const PageDocument& document = m_reports->output()->document();
    const QList<PageLine>& body = document.page(1).lines;
    QVERIFY(body.at(body.size() - 3).cells.isEmpty());
    const PageCell& total = body.last().cells.last();
    const PageCell& amount = body.at(1).cells.last();
    QCOMPARE(total.alignment, Qt::AlignRight);
    QCOMPARE(total.rect.right(), amount.rect.right());
    QVERIFY(!body.last().bold);
}

void tst_BuiltInReports::bothTotalRowsAlwaysPrinted_data() {
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("received");
    QTest::addColumn<QString>("due");
    QTest::newRow("nothing received") << 0 << u"$0.00"_s << u"$10.00"_s;
    QTest::newRow("everything received") << 2 << u"$10.00"_s << u"$0.00"_s;
}

void tst_BuiltInReports::bothTotalRowsAlwaysPrinted() {
    QFETCH(int, status);
    QFETCH(QString, received);
    QFETCH(QString, due);
    open({Rec(1, u"Only"_s).ordered(day(3, 2)).status(status).amount(1000)});
    run(BuiltInReport::AllRebates);
    const QStringList pages = pdfPages();
    QCOMPARE(lineWith(pages, u"Total Received"_s), u"Total Received "_s + received);
    QCOMPARE(lineWith(pages, u"Total Due"_s), u"Total Due "_s + due);
}

void tst_BuiltInReports::datesAndAmountsInTheUsersLocale_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("amount");
    QTest::newRow("en_GB") << u"en_GB"_s << u"Rebates for 01/03/2024 to 31/03/2024"_s
                           << u"£1,234.56"_s;
    QTest::newRow("de_DE") << u"de_DE"_s << u"Rebates for 01.03.2024 to 31.03.2024"_s
                           << u"1.234,56 €"_s;
    QTest::newRow("fr_FR") << u"fr_FR"_s << u"Rebates for 01/03/2024 to 31/03/2024"_s
                           << u"1 234,56 €"_s;
    QTest::newRow("sv_SE") << u"sv_SE"_s << u"Rebates for 2024-03-01 to 2024-03-31"_s
                           << u"1 234,56 kr"_s;
    QTest::newRow("kkj_CM") << u"kkj_CM"_s << u"Rebates for 01/03 2024 to 31/03 2024"_s
                            << u"FCFA 1.235"_s;
}

void tst_BuiltInReports::datesAndAmountsInTheUsersLocale() {
    QFETCH(QString, locale);
    QFETCH(QString, title);
    QFETCH(QString, amount);
    m_services->userLocale = QLocale(locale);
    open({Rec(1, u"Camera"_s).ordered(day(3, 31)).status(2).amount(123456)});
    run(BuiltInReport::AllRebates);

    const QStringList rows = bodyRows().value(0);
    const QStringList pages = pdfPages();
    QCOMPARE(pdf::textLines(pages.value(0)).value(0).simplified(), title + u" Page 1"_s);
    // Blanks inside an amount vary (no-break, narrow no-break); the digits and signs do not.
    const auto squeezed = [](const QString& text) {
        QString result;
        for (QChar c : text) {
            if (!c.isSpace())
                result += c;
        }
        return result;
    };
    QCOMPARE(squeezed(lineWith(pages, u"Total Received"_s)),
             squeezed(u"Total Received"_s + amount));
    QCOMPARE(squeezed(rows.value(4)), squeezed(amount));
}

void tst_BuiltInReports::outstandingListsWhatIsNotFullyReceived() {
    open({Rec(0, u"Order partly"_s).status(1).ordered(day(5, 2)).amount(1050),
          Rec(1, u"Rebate waiting"_s).status(0).ordered(day(5, 1)).amount(2000),
          Rec(2, u"Sale waiting"_s).status(0).ordered(day(5, 3)).amount(-300),
          Rec(7, u"Odd type"_s).status(0).ordered(day(5, 4)).amount(1),
          Rec(QVariant(), u"No type"_s).status(0).ordered(day(5, 5)),
          Rec(0, u"Received"_s).status(2).ordered(day(5, 6)).amount(5000),
          Rec(0, u"No status"_s).status(QVariant()).ordered(day(5, 7)).amount(5000),
          Rec(0, u"Undated"_s).status(0).amount(700),
          Rec(0, u"b tie"_s).status(0).ordered(day(5, 8)),
          Rec(0, u"A tie"_s).status(0).ordered(day(5, 8))});
    run(BuiltInReport::Outstanding);

    QCOMPARE(m_dialogs, 0);
    const QList<QStringList> expected = {
        // Without an order date it is still outstanding, and comes first.
        {u"Undated"_s, QString(), QString(), u"Order"_s, u"$7.00"_s},
        {u"Rebate waiting"_s, u"5/1/2024"_s, QString(), u"Rebate"_s, u"$20.00"_s},
        {u"Order partly"_s, u"5/2/2024"_s, u"Yes"_s, u"Order"_s, u"$10.50"_s},
        {u"Sale waiting"_s, u"5/3/2024"_s, QString(), u"Sale"_s, u"($3.00)"_s},
        {u"Odd type"_s, u"5/4/2024"_s, QString(), u"Sale"_s, u"$0.01"_s},
        {u"No type"_s, u"5/5/2024"_s, QString(), u"Sale"_s, QString()},
        {u"A tie"_s, u"5/8/2024"_s, QString(), u"Order"_s, QString()},
        {u"b tie"_s, u"5/8/2024"_s, QString(), u"Order"_s, QString()},
        {u"Order Total"_s, u"$17.50"_s},
        {u"Rebate/Sale Total"_s, u"$17.01"_s},
    };
    QCOMPARE(bodyRows(), expected);

    const QStringList pages = pdfPages();
    const QStringList lines = pdf::textLines(pages.value(0));
    QCOMPARE(lines.value(0).simplified(), u"Outstanding Orders/Rebates/Sales Page 1"_s);
    QCOMPARE(lines.value(1).simplified(), OutstandingTitles.join(u' '));
    QCOMPARE(lineWith(pages, u"Order Total"_s), u"Order Total $17.50"_s);
    QCOMPARE(lineWith(pages, u"Rebate/Sale Total"_s), u"Rebate/Sale Total $17.01"_s);
}

void tst_BuiltInReports::overdueIsExpectedOnOrBeforeToday() {
    const QDate today = m_services->today();
    open({Rec(0, u"Tomorrow"_s).status(0).expected(today.addDays(1)).vendor(u"V"_s),
          Rec(1, u"Today late"_s)
              .status(1)
              .expected(QDateTime(today, QTime(23, 30)))
              .ordered(day(1, 2))
              .amount(250),
          Rec(0, u"Today"_s).status(0).expected(today).ordered(day(1, 3)).amount(100),
          Rec(2, u"Last year"_s).status(0).expected(today.addYears(-1)).amount(-75),
          Rec(0, u"Received"_s).status(2).expected(today.addDays(-3)).amount(1000),
          Rec(0, u"Not expected"_s).status(0).ordered(day(1, 4)).amount(1000),
          Rec(0, u"Blank expected"_s).status(0).expected(u""_s).amount(1000),
          Rec(0, u"Number expected"_s).status(0).expected(45000).amount(1000)});
    run(BuiltInReport::Overdue);

    QCOMPARE(m_dialogs, 0);
    const QString d = today.toString(u"M/d/yyyy"_s);
    const QList<QStringList> expected = {
        {u"Last year"_s, QString(), QString(), today.addYears(-1).toString(u"M/d/yyyy"_s),
         u"Sale"_s, u"($0.75)"_s},
        {u"Today"_s, QString(), u"1/3/2024"_s, d, u"Order"_s, u"$1.00"_s},
        {u"Today late"_s, QString(), u"1/2/2024"_s, d, u"Rebate"_s, u"$2.50"_s},
        {u"Order Total"_s, u"$1.00"_s},
        {u"Rebate/Sale Total"_s, u"$1.75"_s},
    };
    QCOMPARE(bodyRows(), expected);

    const QStringList pages = pdfPages();
    const QStringList lines = pdf::textLines(pages.value(0));
    QCOMPARE(lines.value(0).simplified(), u"OverDue Orders/Rebates/Sales Page 1"_s);
    // "Date Ordered" is wider than its 1050-twip column and wraps onto a second line.
    QCOMPARE(lines.value(1).simplified(), u"Description Vendor Date Date Due Type Amount"_s);
    QCOMPARE(lines.value(2).simplified(), u"Ordered"_s);
    QVERIFY(lines.value(1).contains(u"Date Due"_s));
    const QList<PageLine>& body = m_reports->output()->document().page(1).lines;
    QVERIFY(body.first().bold);
    const QStringList headings = texts(body.first());
    QCOMPARE(headings.size(), 6);
    QCOMPARE(headings.at(3), u"Date Due"_s);
    QCOMPARE(headings.at(5), u"Amount"_s);
    // The totals stand under the narrower amount column of this report.
    QCOMPARE(body.last().cells.last().rect.right(), body.at(1).cells.last().rect.right());
}

void tst_BuiltInReports::nothingToReport_data() {
    QTest::addColumn<int>("report");
    QTest::addColumn<QString>("message");
    QTest::newRow("all orders") << int(BuiltInReport::AllOrders)
                                << u"You have not entered any reportable orders!"_s;
    QTest::newRow("all rebates") << int(BuiltInReport::AllRebates)
                                 << u"You have not entered any reportable rebates!"_s;
    QTest::newRow("all sales") << int(BuiltInReport::AllSales)
                               << u"You have not entered any reportable sales!"_s;
    QTest::newRow("outstanding") << int(BuiltInReport::Outstanding)
                                 << u"You have not entered any reportable rebates!"_s;
    QTest::newRow("overdue") << int(BuiltInReport::Overdue)
                             << u"There are no overdue orders or rebates in the database."_s;
}

void tst_BuiltInReports::nothingToReport() {
    QFETCH(int, report);
    QFETCH(QString, message);
    // Nothing of any kind in March, nothing outstanding, nothing overdue.
    open({Rec(0, u"Order"_s).ordered(day(4, 1)).status(2).expected(day(4, 1)),
          Rec(1, u"Rebate"_s).ordered(day(2, 1)).status(2),
          Rec(2, u"Sale"_s).ordered(day(4, 2)).status(2)});
    run(BuiltInReport(report));

    QCOMPARE(m_services->messages.size(), 1);
    QCOMPARE(m_services->messages.first().text, message);
    QCOMPARE(m_services->messages.first().title, u"Purvex"_s);
    QCOMPARE(m_services->messages.first().buttons, MsgButtons::Ok);
    // The hourglass is gone before the message waits for OK.
    QVERIFY(!m_services->messages.first().hourglass);
    QVERIFY(!m_reports->output());
    QCOMPARE(m_services->busyCalls, 1);
    QVERIFY(!m_services->isBusy() && !m_services->hourglass);
}

void tst_BuiltInReports::anEmptyResultLeavesTheShownReportAlone() {
    open({Rec(0, u"Outstanding order"_s).status(0).ordered(day(3, 5))});
    run(BuiltInReport::Outstanding);
    frmOutput* out = m_reports->output();
    QVERIFY(out && out->isVisible());
    const int pages = out->pageCount();

    run(BuiltInReport::AllSales);
    QCOMPARE(m_services->messages.size(), 1);
    QCOMPARE(m_reports->output(), out);
    QVERIFY(out->isVisible());
    QCOMPARE(out->pageCount(), pages);
    QCOMPARE(bodyRows().value(0).value(0), u"Outstanding order"_s);
    QCOMPARE(out->scrlPage->maximum(), pages);
}

void tst_BuiltInReports::cancellingTheDateDialogDoesNothing() {
    open({Rec(0, u"Order"_s).ordered(day(3, 5))});
    m_state->gStartDate = day(1, 1);
    m_state->gEndDate = day(12, 31);
    m_services->onModal = [&](QDialog& dialog) {
        ++m_dialogs;
        // The caller has set gCancel first.
        QVERIFY(m_state->gCancel);
        static_cast<frmRptDate&>(dialog).cmdCancel->click();
    };
    m_state->gCancel = false;
    m_reports->ReportAllOrders();
    m_services->onModal = [&](QDialog& dialog) {
        ++m_dialogs;
        dialog.close();
    };
    m_reports->ReportAllSales();

    QCOMPARE(m_dialogs, 2);
    QVERIFY(m_state->gCancel);
    QVERIFY(m_services->messages.isEmpty());
    QVERIFY(!m_reports->output());
    QCOMPARE(m_services->busyCalls, 0);
    QCOMPARE(m_state->gStartDate, day(1, 1));
    QCOMPARE(m_state->gEndDate, day(12, 31));
}

void tst_BuiltInReports::multiPageReportRepeatsTheHeadings_data() {
    QTest::addColumn<int>("report");
    QTest::addColumn<QStringList>("headings");
    QTest::newRow("all orders") << int(BuiltInReport::AllOrders) << OrderTitles;
    QTest::newRow("outstanding") << int(BuiltInReport::Outstanding) << OutstandingTitles;
}

void tst_BuiltInReports::multiPageReportRepeatsTheHeadings() {
    QFETCH(int, report);
    QFETCH(QStringList, headings);
    QList<QVariantMap> rows;
    for (int i = 1; i <= 150; ++i)
        rows << Rec(0, u"Item %1"_s.arg(i, 3, 10, QChar(u'0')))
                    .ordered(day(3, 1 + i % 28))
                    .status(0)
                    .amount(i * 100);
    open(rows);
    run(BuiltInReport(report));

    const PageDocument& document = m_reports->output()->document();
    QVERIFY(document.pageCount() >= 3);
    QCOMPARE(m_reports->output()->scrlPage->maximum(), document.pageCount());
    int listed = 0;
    for (int number = 1; number <= document.pageCount(); ++number) {
        const QList<PageLine>& lines = document.page(number).lines;
        QVERIFY(lines.first().bold);
        QCOMPARE(texts(lines.first()), headings);
        for (qsizetype i = 1; i < lines.size(); ++i)
            QVERIFY(!lines.at(i).bold);
        listed += int(std::count_if(lines.begin(), lines.end(), [](const PageLine& line) {
            return !line.bold && line.cells.size() == 5;
        }));
    }
    QCOMPARE(listed, 150);

    const QStringList pages = pdfPages();
    QCOMPARE(pages.size(), document.pageCount());
    for (int number = 1; number <= pages.size(); ++number) {
        const QStringList lines = pdf::textLines(pages.at(number - 1));
        QVERIFY2(lines.at(0).trimmed().endsWith(u"Page %1"_s.arg(number)), qPrintable(lines.at(0)));
        QCOMPARE(lines.at(1).simplified(), headings.join(u' '));
    }
    // The fonts of the PDF include the bold face the headings are printed in.
    QVERIFY(pdf::fonts(QDir(m_dir->path()).filePath(u"report.pdf"_s)).contains(u"Bold"_s));
    if (report == int(BuiltInReport::Outstanding)) {
        // The totals once, after the last row: 1 + 2 + ... + 150 dollars.
        QCOMPARE(lineWith(pages, u"Order Total"_s), u"Order Total $11,325.00"_s);
        QVERIFY(pages.last().contains(u"Order Total"_s));
        for (qsizetype i = 0; i + 1 < pages.size(); ++i)
            QVERIFY(!pages.at(i).contains(u"Total"_s));
    }
}

void tst_BuiltInReports::separatorsInADescriptionStayInTheirCell() {
    open({Rec(0, u"Cable | 3; m"_s).status(0).ordered(day(3, 3)).amount(999),
          Rec(0, u"Plain"_s).status(0).ordered(day(3, 4)).amount(1)});
    run(BuiltInReport::Outstanding);

    const QList<QStringList> rows = bodyRows();
    QCOMPARE(rows.value(0),
             QStringList({u"Cable | 3; m"_s, u"3/3/2024"_s, QString(), u"Order"_s, u"$9.99"_s}));
    QCOMPARE(rows.value(1).value(0), u"Plain"_s);
    const QStringList pages = pdfPages();
    QCOMPARE(lineWith(pages, u"Cable"_s), u"Cable | 3; m 3/3/2024 Order $9.99"_s);
}

void tst_BuiltInReports::theWindowIsReusedWhileOpen() {
    open({Rec(0, u"Late"_s).status(0).ordered(day(3, 3)).expected(day(3, 4)),
          Rec(0, u"Open"_s).status(0).ordered(day(3, 5))});
    run(BuiltInReport::Outstanding);
    QPointer<frmOutput> first = m_reports->output();
    QVERIFY(first && first->isVisible());
    first->scrlZoom->setValue(100);

    run(BuiltInReport::Overdue);
    QCOMPARE(m_reports->output(), first.data());
    QCOMPARE(first->document().header(), u"|OverDue Orders/Rebates/Sales|Page %d"_s);
    QCOMPARE(bodyRows().size(), 1 + 2);
    QCOMPARE(first->scrlZoom->value(), 100);

    // Once the user has closed it, the next report gets a new window.
    first->cmdOk->click();
    QTRY_VERIFY(!first);
    QVERIFY(!m_reports->output());
    run(BuiltInReport::AllOrders);
    QVERIFY(m_reports->output());
    QVERIFY(m_reports->output()->isVisible());
    QCOMPARE(m_reports->output()->scrlZoom->value(), 60);
}

void tst_BuiltInReports::aDatabaseErrorGoesToTheTrap() {
    open({Rec(0, u"Open"_s).status(0).ordered(day(3, 5))});
    // As after a backup: the file this database object stood for has been closed.
    m_state->gDatabase->close();
    run(BuiltInReport::Outstanding);

    QCOMPARE(m_services->messages.size(), 1);
    QVERIFY2(m_services->messages.first().text.startsWith(u"An error has occurred."_s),
             qPrintable(m_services->messages.first().text));
    QVERIFY(m_services->ended);
    QVERIFY(!m_reports->output());
    QVERIFY(!m_services->isBusy() && !m_services->hourglass);
}

void tst_BuiltInReports::withoutAWindowTheDocumentIsTheSame_data() {
    QTest::addColumn<int>("report");
    QTest::newRow("all orders") << int(BuiltInReport::AllOrders);
    QTest::newRow("all rebates") << int(BuiltInReport::AllRebates);
    QTest::newRow("all sales") << int(BuiltInReport::AllSales);
    QTest::newRow("outstanding") << int(BuiltInReport::Outstanding);
    QTest::newRow("overdue") << int(BuiltInReport::Overdue);
}

void tst_BuiltInReports::withoutAWindowTheDocumentIsTheSame() {
    QFETCH(int, report);
    QList<QVariantMap> rows;
    for (int i = 1; i <= 120; ++i)
        rows << Rec(i % 3, u"Thing %1"_s.arg(i))
                    .ordered(day(3, 1 + i % 31))
                    .expected(day(3, 1 + i % 31))
                    .status(i % 2)
                    .vendor(u"Vendor %1"_s.arg(i % 7))
                    .amount(i * 1001 - 30000);
    open(rows);
    run(BuiltInReport(report));
    const QStringList windowPages = pdfPages();
    QVERIFY(windowPages.size() >= 1);

    PageDocument document;
    document.setPageSize(m_reports->output()->document().pageSize());
    DocumentSink sink(document);
    const ReportRequest request{BuiltInReport(report), day(3, 1), day(3, 31), m_services->today(),
                                m_services->userLocale};
    QCOMPARE(printBuiltInReport(*m_state->gDatabase, request, sink), ReportOutcome::Printed);
    const QString path = QDir(m_dir->path()).filePath(u"bare.pdf"_s);
    QVERIFY(writePdf(document, path));
    QCOMPARE(pdf::pages(path), windowPages);
}

QTEST_MAIN(tst_BuiltInReports)
#include "tst_BuiltInReports.moc"

#include "reports/PrintBuiltInReport.h"

#include "reports/ReportSink.h"

#include "dates/LocaleDates.h"
#include "engine/Currency.h"
#include "engine/Database.h"
#include "engine/Decimal.h"
#include "engine/Money.h"
#include "engine/Recordset.h"
#include "engine/StoredDates.h"
#include "reports/DueItems.h"

#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

std::optional<int> code(const QVariant& value) {
    if (value.isNull())
        return std::nullopt;
    bool ok = false;
    const int number = value.toInt(&ok);
    return ok ? std::optional<int>(number) : std::nullopt;
}

struct Totals {
    // Received and due in the list reports; orders and rebates with sales in the others.
    Decimal first;
    Decimal second;
};

// Turns stored values into cell texts the user's way, with the locale's patterns worked
// out once for the whole report.
class CellWriter {
public:
    explicit CellWriter(const QLocale& locale)
        : m_locale(locale), m_dateFormat(LocaleDates::shortDateFormat(locale)) {}

    static QString text(const QVariant& value) {
        return value.isNull() ? QString() : value.toString();
    }

    // The date without a time of day stored with it; a value that is no date (written by
    // another tool) as it is stored.
    QString date(const QVariant& value) const {
        if (value.isNull())
            return {};
        const int type = value.typeId();
        if (type == QMetaType::QDate || type == QMetaType::QDateTime) {
            const QDate day = value.toDate();
            if (day.isValid())
                return m_locale.toString(day, m_dateFormat);
        }
        return value.toString();
    }

    QString money(Currency amount) const { return formatCurrency(amount, m_locale); }
    QString money(const Decimal& total) const { return formatCurrency(total, m_locale); }

    // The amount cell. A Null amount gives an empty cell and no amount to add; a value
    // that is no number (written by another tool) is shown as stored and added nowhere.
    QString amount(const QVariant& value, std::optional<Currency>* amount) const {
        amount->reset();
        if (value.isNull())
            return {};
        if (value.metaType() == QMetaType::fromType<Currency>()) {
            *amount = value.value<Currency>();
            return money(**amount);
        }
        return storedAmountText(value, m_locale);
    }

private:
    QLocale m_locale;
    QString m_dateFormat;
};

QString typeCell(const QVariant& type) {
    const auto value = code(type);
    for (OrderType named : {OrderType::Order, OrderType::Rebate})
        if (value == codeOf(named))
            return QString::fromLatin1(nameOf(named));
    return QString::fromLatin1(nameOf(OrderType::Sale));
}

bool isOrder(const QVariant& type) {
    return code(type) == codeOf(OrderType::Order);
}

// Everything about a report but its rows.
struct Definition {
    TableFormat format;
    QStringList titles;
    QString header;
    QString sql;
    QVariantList params;
    TableFormat totalsFormat;
    QStringList totalTitles;
};

Definition definitionOf(const ReportRequest& request, const CellWriter& cells) {
    const TableFormat listAmounts(u"2880|2880|1440|1440|>1440;"_s);
    const TableFormat listTotals(u"8640|>1440;"_s);
    const QString range = cells.date(request.start) + u" to "_s + cells.date(request.end);
    const auto ofType = [&request](OrderType type) {
        return QVariantList{codeOf(type), request.start, afterDayText(request.end)};
    };
    const QString inRange = u" AND dateorder >= ? AND dateorder < ? ORDER BY dateorder, vendor"_s
                            u", zelid"_s;
    const QVariantList notReceived = {codeOf(ReceivedStatus::No),
                                      codeOf(ReceivedStatus::Partially)};

    switch (request.report) {
    case BuiltInReport::AllOrders:
        return {TableFormat(u"2880|1440|720|1440|2880;"_s),
                {u"Description"_s, u"Order Date"_s, u"Rec'd"_s, u"Date Received"_s, u"Vendor"_s},
                u"|Orders for "_s + range + u"|Page %d"_s,
                u"SELECT descr, dateorder, datereceive, status, vendor FROM pvx WHERE Type = ?"_s +
                    inRange,
                ofType(OrderType::Order),
                {},
                {}};
    case BuiltInReport::AllRebates:
        return {listAmounts,
                {u"Description"_s, u"Vendor"_s, u"Date Ordered"_s, u"Rec'd"_s, u"Amount"_s},
                u"|Rebates for "_s + range + u"|Page %d"_s,
                u"SELECT descr, dateorder, datereceive, status, vendor, amount FROM pvx "
                u"WHERE Type = ?"_s +
                    inRange,
                ofType(OrderType::Rebate),
                listTotals,
                {u"Total Received"_s, u"Total Due"_s}};
    case BuiltInReport::AllSales:
        return {listAmounts,
                {u"Description"_s, u"Buyer"_s, u"Date Sold"_s, u"Rec'd"_s, u"Amount"_s},
                u"|Sales for "_s + range + u"|Page %d"_s,
                u"SELECT descr, dateorder, status, vendor, amount FROM pvx WHERE Type = ?"_s +
                    inRange,
                ofType(OrderType::Sale),
                listTotals,
                {u"Total Received"_s, u"Total Due"_s}};
    case BuiltInReport::Outstanding:
        return {TableFormat(u"4320|1440|1440|1440|>1440;"_s),
                {u"Description"_s, u"Date Ordered"_s, u"Partial"_s, u"Type"_s, u"Amount"_s},
                u"|Outstanding Orders/Rebates/Sales|Page %d"_s,
                u"SELECT descr, dateorder, status, Type, amount FROM pvx "
                u"WHERE status = ? OR status = ? ORDER BY dateorder, descr, zelid"_s,
                notReceived,
                TableFormat(u"8640|>1440;"_s),
                {u"Order Total"_s, u"Rebate/Sale Total"_s}};
    case BuiltInReport::Overdue: {
        const DueItems::Condition overdue = DueItems::overdue(request.today);
        return {TableFormat(u"2880|2880|1050|1050|1050|>1050;"_s),
                {u"Description"_s, u"Vendor"_s, u"Date Ordered"_s, u"Date Due"_s, u"Type"_s,
                 u"Amount"_s},
                u"|OverDue Orders/Rebates/Sales|Page %d"_s,
                u"SELECT descr, vendor, dateorder, dateexpect, status, Type, amount FROM pvx "
                u"WHERE "_s +
                    overdue.sql + u" ORDER BY dateexpect, zelid"_s,
                overdue.params,
                TableFormat(u"8910|>1050;"_s),
                {u"Order Total"_s, u"Rebate/Sale Total"_s}};
    }
    }
    return {};
}

// The cells of the current record, with its amount added to the total it belongs to.
QStringList rowCells(BuiltInReport report, const Recordset& rs, const CellWriter& cells,
                     Totals& totals) {
    std::optional<Currency> amount;
    switch (report) {
    case BuiltInReport::AllOrders: {
        QString received;
        const auto status = code(rs.value(u"status"_s));
        if (status == codeOf(ReceivedStatus::No))
            received = u"No"_s;
        else if (status == codeOf(ReceivedStatus::Partially))
            // The narrow column has room for the abbreviation only.
            received = u"Part."_s;
        else if (status == codeOf(ReceivedStatus::Yes))
            received = u"Yes"_s;
        return {CellWriter::text(rs.value(u"descr"_s)), cells.date(rs.value(u"dateorder"_s)),
                received, cells.date(rs.value(u"datereceive"_s)),
                CellWriter::text(rs.value(u"vendor"_s))};
    }
    case BuiltInReport::AllRebates:
    case BuiltInReport::AllSales: {
        const auto status = code(rs.value(u"status"_s));
        // Any status but "No" and "Partial" prints as "Yes", a Null or a code the program
        // never writes included, and what prints as received is totalled as received.
        const bool notYet = status == codeOf(ReceivedStatus::No);
        const bool partly = status == codeOf(ReceivedStatus::Partially);
        const bool due = notYet || partly;
        const QString received = notYet ? u"No"_s : (partly ? u"Partial"_s : u"Yes"_s);
        const QString money = cells.amount(rs.value(u"amount"_s), &amount);
        if (amount)
            (due ? totals.second : totals.first) += amount->toDecimal();
        return {CellWriter::text(rs.value(u"descr"_s)), CellWriter::text(rs.value(u"vendor"_s)),
                cells.date(rs.value(u"dateorder"_s)), received, money};
    }
    case BuiltInReport::Outstanding: {
        const QVariant type = rs.value(u"Type"_s);
        const QString money = cells.amount(rs.value(u"amount"_s), &amount);
        if (amount)
            (isOrder(type) ? totals.first : totals.second) += amount->toDecimal();
        const bool partly = code(rs.value(u"status"_s)) == codeOf(ReceivedStatus::Partially);
        return {CellWriter::text(rs.value(u"descr"_s)), cells.date(rs.value(u"dateorder"_s)),
                partly ? u"Yes"_s : QString(), typeCell(type), money};
    }
    case BuiltInReport::Overdue: {
        const QVariant type = rs.value(u"Type"_s);
        const QString money = cells.amount(rs.value(u"amount"_s), &amount);
        if (amount)
            (isOrder(type) ? totals.first : totals.second) += amount->toDecimal();
        return {CellWriter::text(rs.value(u"descr"_s)),
                CellWriter::text(rs.value(u"vendor"_s)),
                cells.date(rs.value(u"dateorder"_s)),
                cells.date(rs.value(u"dateexpect"_s)),
                typeCell(type),
                money};
    }
    }
    return {};
}

} // namespace

ReportOutcome printBuiltInReport(Database& db, const ReportRequest& request, ReportSink& sink,
                                 const ReportStep& step) {
    const auto run = [&step](const std::function<void()>& statement) {
        if (step)
            return step(statement);
        statement();
        return true;
    };
    const CellWriter cells(request.locale);
    const Definition report = definitionOf(request, cells);

    // The records are looked for before the document starts, so that a report finding
    // nothing leaves the document on show as it was.
    std::unique_ptr<Recordset> rs;
    if (!run([&] { rs = db.openSnapshot(report.sql, report.params); }))
        return ReportOutcome::Failed;
    bool empty = true;
    if (!run([&] { empty = rs->recordCount() == 0; }))
        return ReportOutcome::Failed;
    if (empty)
        return ReportOutcome::NothingToReport;

    bool printed = run([&] {
        sink.setRepeatHeader(report.format, report.titles);
        sink.startDoc();
        sink.setHeader(report.header);
    });
    Totals totals;
    while (printed) {
        bool atEnd = true;
        printed = run([&] {
            atEnd = rs->eof();
            if (atEnd)
                return;
            sink.tableRow(report.format, rowCells(request.report, *rs, cells, totals));
            rs->moveNext();
        });
        if (atEnd)
            break;
    }
    if (!printed)
        return ReportOutcome::Failed;
    return run([&] {
        rs->close();
        if (!report.totalTitles.isEmpty()) {
            sink.paragraph();
            sink.tableRow(report.totalsFormat,
                          {report.totalTitles.at(0), cells.money(totals.first)});
            sink.tableRow(report.totalsFormat,
                          {report.totalTitles.at(1), cells.money(totals.second)});
        }
        sink.endDoc();
    })
               ? ReportOutcome::Printed
               : ReportOutcome::Failed;
}

QString nothingToReportMessage(BuiltInReport report) {
    switch (report) {
    case BuiltInReport::AllOrders:
        return u"You have not entered any reportable orders!"_s;
    // The outstanding list has always said this, whatever kinds of record there are.
    case BuiltInReport::AllRebates:
    case BuiltInReport::Outstanding:
        return u"You have not entered any reportable rebates!"_s;
    case BuiltInReport::AllSales:
        return u"You have not entered any reportable sales!"_s;
    case BuiltInReport::Overdue:
        return u"There are no overdue orders or rebates in the database."_s;
    }
    return {};
}

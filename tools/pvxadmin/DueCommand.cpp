#include "DueCommand.h"

#include "ReportCommand.h"
#include "custom/ReportFileWriter.h"
#include "dates/LocaleDates.h"
#include "engine/Currency.h"
#include "engine/Database.h"
#include "engine/DomainCodes.h"
#include "engine/Money.h"
#include "reports/DueItems.h"

#include <QLocale>
#include <QTextStream>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace DueCommand {
namespace {

QString typeName(const QVariant& type) {
    bool ok = false;
    const int code = type.toInt(&ok);
    if (ok && type.typeId() != QMetaType::QString) {
        for (OrderType named : {OrderType::Order, OrderType::Rebate, OrderType::Sale})
            if (code == codeOf(named))
                return QString::fromLatin1(nameOf(named));
    }
    // What another tool stored is shown as it is.
    return type.toString();
}

// One line per item whatever the text holds: tabs and line breaks become blanks, and
// control characters another tool stored are left out, as in a report's text file.
QString oneLine(const QString& text) {
    return TextReportWriter::cellText(text);
}

QStringList fields(const DueItems::Item& item) {
    // ISO dates and plain amounts read the same in every locale and in every script.
    const QLocale c = QLocale::c();
    QString expected = LocaleDates::shortDate(item.expected, c);
    if (item.expected.canConvert<QDate>() && item.expected.toDate().isValid())
        expected = item.expected.toDate().toString(Qt::ISODate);
    QString amount = storedAmountText(item.amount, c);
    if (item.amount.metaType() == QMetaType::fromType<Currency>()) {
        // Cents always shown, every further digit kept: 12.50, 12.3456.
        amount = item.amount.value<Currency>().toDecimalText();
        const qsizetype point = amount.indexOf(u'.');
        if (point < 0)
            amount += u".00"_s;
        else if (amount.size() - point == 2)
            amount += u'0';
    }
    return {typeName(item.type), oneLine(item.description), oneLine(item.vendor), expected, amount};
}

// Columns as wide as their widest entry, the amount right-aligned. A first pass over the
// items measures them, the second writes them, so that no list is ever held whole.
qint64 writeText(QTextStream& out, const QString& heading, Database& db,
                 const DueItems::Condition& condition) {
    qint64 count = 0;
    QList<qsizetype> widths(5, 0);
    DueItems::forEach(db, condition, [&](const DueItems::Item& item) {
        ++count;
        const QStringList row = fields(item);
        for (int i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], row[i].size());
    });
    out << heading << u": "_s << (count == 0 ? u"none"_s : QString::number(count)) << '\n';
    if (count == 0)
        return 0;
    DueItems::forEach(db, condition, [&](const DueItems::Item& item) {
        const QStringList row = fields(item);
        QString line = u"  "_s;
        for (int i = 0; i < 4; ++i)
            line += row[i].leftJustified(widths[i]) + u"  "_s;
        line += row[4].rightJustified(widths[4]);
        // No blanks at the end of a line, where an item has no amount.
        while (line.endsWith(u' '))
            line.chop(1);
        out << line << '\n';
    });
    return count;
}

} // namespace

bool run(const Request& request, QTextStream& out) {
    auto db = ReportCommand::openForReading(request.database);
    const DueItems::Condition overdue = DueItems::overdue(request.today);
    const DueItems::Condition due = DueItems::dueWithin(request.today, request.days);
    // Every pass over the lists reads the file as it was when the first began.
    db->execute(u"BEGIN"_s);
    bool anyOverdue = false;
    if (request.format == Format::Tsv) {
        out << "state\ttype\tdescription\tvendor\texpected\tamount\n";
        for (const auto& [state, condition] :
             {std::pair{u"overdue"_s, &overdue}, std::pair{u"due"_s, &due}}) {
            DueItems::forEach(*db, *condition, [&](const DueItems::Item& item) {
                anyOverdue = anyOverdue || condition == &overdue;
                out << state << '\t' << fields(item).join(u'\t') << '\n';
            });
        }
    } else {
        anyOverdue = writeText(out, u"Overdue"_s, *db, overdue) > 0;
        writeText(out,
                  request.days == 1 ? u"Due tomorrow"_s : u"Due within %1 days"_s.arg(request.days),
                  *db, due);
    }
    db->execute(u"COMMIT"_s);
    db->close();
    return anyOverdue;
}

} // namespace DueCommand

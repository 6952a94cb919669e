#include "DueCommand.h"

#include "Currency.h"
#include "Database.h"
#include "DomainCodes.h"
#include "DueItems.h"
#include "LocaleDates.h"
#include "Money.h"
#include "ReportCommand.h"

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

// One line per item whatever the text holds: tabs and line breaks become blanks.
QString oneLine(const QString& text) {
    QString line = text;
    for (QChar& c : line) {
        if (c == u'\t' || c == u'\n' || c == u'\r')
            c = u' ';
    }
    return line;
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

void writeText(QTextStream& out, const QString& heading, const QList<DueItems::Item>& items) {
    out << heading << u": "_s << (items.isEmpty() ? u"none"_s : QString::number(items.size()))
        << '\n';
    QList<QStringList> rows;
    for (const DueItems::Item& item : items)
        rows << fields(item);
    // Columns as wide as their widest entry, the amount right-aligned.
    QList<qsizetype> widths(5, 0);
    for (const QStringList& row : std::as_const(rows))
        for (int i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], row[i].size());
    for (const QStringList& row : std::as_const(rows)) {
        QString line = u"  "_s;
        for (int i = 0; i < 4; ++i)
            line += row[i].leftJustified(widths[i]) + u"  "_s;
        line += row[4].rightJustified(widths[4]);
        // No blanks at the end of a line, where an item has no amount.
        while (line.endsWith(u' '))
            line.chop(1);
        out << line << '\n';
    }
}

} // namespace

bool run(const Request& request, QTextStream& out) {
    auto db = ReportCommand::openForReading(request.database);
    const QList<DueItems::Item> overdue = DueItems::list(*db, DueItems::overdue(request.today));
    const QList<DueItems::Item> due =
        DueItems::list(*db, DueItems::dueWithin(request.today, request.days));
    db->close();

    if (request.format == Format::Tsv) {
        out << "state\ttype\tdescription\tvendor\texpected\tamount\n";
        for (const auto& [state, items] : {std::pair{u"overdue"_s, &overdue}, {u"due"_s, &due}})
            for (const DueItems::Item& item : *items)
                out << state << '\t' << fields(item).join(u'\t') << '\n';
    } else {
        writeText(out, u"Overdue"_s, overdue);
        writeText(out,
                  request.days == 1 ? u"Due tomorrow"_s : u"Due within %1 days"_s.arg(request.days),
                  due);
    }
    return !overdue.isEmpty();
}

} // namespace DueCommand

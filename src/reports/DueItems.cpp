#include "reports/DueItems.h"

#include "engine/Database.h"
#include "engine/DomainCodes.h"
#include "engine/Recordset.h"
#include "engine/StoredDates.h"

using namespace Qt::StringLiterals;

namespace DueItems {

namespace {

// Each status is its own range of the (status, dateexpect) index.
const QString NotReceived = u"(status = ? OR status = ?)"_s;

QVariantList notReceived() {
    return {codeOf(ReceivedStatus::No), codeOf(ReceivedStatus::Partially)};
}

} // namespace

Condition overdue(const QDate& today) {
    // The lower bound keeps out what is no date at all: numbers sort below any text, an empty
    // text below it. (A bound such as '0000' would not do: the column's numeric affinity
    // turns it into the number 0.)
    return {NotReceived + u" AND dateexpect >= '0000-01-01' AND dateexpect < ?"_s,
            notReceived() + QVariantList{afterDayText(today)}};
}

Condition dueWithin(const QDate& today, int days) {
    return {NotReceived + u" AND dateexpect >= ? AND dateexpect < ?"_s,
            notReceived() + QVariantList{afterDayText(today), afterDayText(today.addDays(days))}};
}

Counts count(Database& db, const QDate& today, int days) {
    const Condition late = overdue(today);
    const Condition soon = dueWithin(today, days);
    return {db.scalar(u"SELECT count(*) FROM pvx WHERE "_s + late.sql, late.params).toLongLong(),
            db.scalar(u"SELECT count(*) FROM pvx WHERE "_s + soon.sql, soon.params).toLongLong()};
}

void forEach(Database& db, const Condition& condition,
             const std::function<void(const Item&)>& visit) {
    auto rs = db.openSnapshot(u"SELECT Type, descr, vendor, dateexpect, amount FROM pvx WHERE "_s +
                                  condition.sql + u" ORDER BY dateexpect, zelid"_s,
                              condition.params);
    for (; !rs->eof(); rs->moveNext())
        visit({rs->value(u"Type"_s), rs->value(u"descr"_s).toString(),
               rs->value(u"vendor"_s).toString(), rs->value(u"dateexpect"_s),
               rs->value(u"amount"_s)});
    rs->close();
}

QList<Item> list(Database& db, const Condition& condition) {
    QList<Item> items;
    forEach(db, condition, [&items](const Item& item) { items.append(item); });
    return items;
}

} // namespace DueItems

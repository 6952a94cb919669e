#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <functional>

class Database;

// What needs chasing: the items not received or only partly received whose expected date
// has come (overdue) or comes within the next days (due). The Overdue report, the main
// form's status line and `pvxadmin due` all ask here, so the three always agree.
namespace DueItems {

inline constexpr int DefaultDays = 7;

// A condition on table pvx with its parameters, to follow WHERE.
struct Condition {
    QString sql;
    QVariantList params;
};

// Expected today or earlier, by date alone: a time of day stored with the expected date
// does not matter, and what is no date at all never counts.
Condition overdue(const QDate& today);
// Expected after today and no later than days after it.
Condition dueWithin(const QDate& today, int days);

struct Counts {
    qint64 overdue = 0;
    qint64 due = 0;
};
Counts count(Database& db, const QDate& today, int days = DefaultDays);

struct Item {
    QVariant type;
    QString description;
    QString vendor;
    QVariant expected;
    QVariant amount;
};
// Each item, oldest expected date first, handed over one at a time as it is read: a list of
// millions is never held.
void forEach(Database& db, const Condition& condition,
             const std::function<void(const Item&)>& visit);
// The same, all at once.
QList<Item> list(Database& db, const Condition& condition);

} // namespace DueItems

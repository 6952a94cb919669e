// What is overdue and what falls due: one rule for the Overdue report, the status line and
// pvxadmin due, tried at the day boundaries on a real file.
#include "engine/Database.h"
#include "engine/DomainCodes.h"
#include "reports/DueItems.h"
#include "support/OrderFixture.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QDate Today(2026, 12, 7);

} // namespace

class tst_DueItems : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void ruleAtTheBoundaries_data();
    void ruleAtTheBoundaries();
    void listIsOldestFirst();
};

void tst_DueItems::ruleAtTheBoundaries_data() {
    QTest::addColumn<QVariant>("expected");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("verdict");

    const int no = codeOf(ReceivedStatus::No);
    const int partly = codeOf(ReceivedStatus::Partially);
    const int yes = codeOf(ReceivedStatus::Yes);
    QTest::newRow("long ago") << QVariant(QDate(1999, 1, 1)) << no << u"overdue"_s;
    QTest::newRow("yesterday") << QVariant(Today.addDays(-1)) << no << u"overdue"_s;
    QTest::newRow("today: overdue, as in the report") << QVariant(Today) << no << u"overdue"_s;
    QTest::newRow("today, late in the evening")
        << QVariant(QDateTime(Today, QTime(23, 59, 59))) << no << u"overdue"_s;
    QTest::newRow("today, partly received") << QVariant(Today) << partly << u"overdue"_s;
    QTest::newRow("today, received") << QVariant(Today) << yes << u"neither"_s;
    QTest::newRow("tomorrow at midnight")
        << QVariant(QDateTime(Today.addDays(1), QTime(0, 0))) << no << u"due"_s;
    QTest::newRow("in 7 days, late")
        << QVariant(QDateTime(Today.addDays(7), QTime(22, 0))) << partly << u"due"_s;
    QTest::newRow("in 8 days") << QVariant(Today.addDays(8)) << no << u"neither"_s;
    QTest::newRow("tomorrow, received") << QVariant(Today.addDays(1)) << yes << u"neither"_s;
    QTest::newRow("no date") << QVariant() << no << u"neither"_s;
    QTest::newRow("text that is no date") << QVariant(u"soon"_s) << no << u"neither"_s;
    QTest::newRow("a number another tool stored") << QVariant(45000) << no << u"neither"_s;
}

void tst_DueItems::ruleAtTheBoundaries() {
    QFETCH(QVariant, expected);
    QFETCH(int, status);
    QFETCH(QString, verdict);
    QTemporaryDir dir;
    auto db = Database::open(OrderFixture::createDatabase(
        dir.path(), {{{u"descr"_s, u"Item"_s}, {u"status"_s, status}, {u"dateexpect"_s, expected}},
                     {{u"descr"_s, u"Settled long ago"_s},
                      {u"status"_s, codeOf(ReceivedStatus::Yes)},
                      {u"dateexpect"_s, QDate(2000, 1, 1)}}}));

    const DueItems::Counts counts = DueItems::count(*db, Today);
    QCOMPARE(counts.overdue, verdict == u"overdue"_s ? 1 : 0);
    QCOMPARE(counts.due, verdict == u"due"_s ? 1 : 0);
    // The lists pvxadmin prints say the same as the counts.
    QCOMPARE(DueItems::list(*db, DueItems::overdue(Today)).size(), counts.overdue);
    QCOMPARE(DueItems::list(*db, DueItems::dueWithin(Today, DueItems::DefaultDays)).size(),
             counts.due);
}

void tst_DueItems::listIsOldestFirst() {
    QTemporaryDir dir;
    const auto item = [](const QString& descr, const QDate& expected) {
        return QVariantMap{{u"descr"_s, descr},
                           {u"status"_s, codeOf(ReceivedStatus::No)},
                           {u"dateexpect"_s, expected}};
    };
    auto db = Database::open(OrderFixture::createDatabase(
        dir.path(), {item(u"Middle"_s, Today.addDays(-5)), item(u"Newest"_s, Today),
                     item(u"Oldest"_s, Today.addDays(-300))}));
    QStringList order;
    for (const DueItems::Item& due : DueItems::list(*db, DueItems::overdue(Today)))
        order << due.description;
    QCOMPARE(order, (QStringList{u"Oldest"_s, u"Middle"_s, u"Newest"_s}));
}

QTEST_GUILESS_MAIN(tst_DueItems)
#include "tst_DueItems.moc"

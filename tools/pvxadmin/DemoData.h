#pragma once

#include "engine/Currency.h"
#include "engine/DomainCodes.h"

#include <QDate>
#include <QString>
#include <QVariantList>

#include <cstdint>

class Database;

// Sample orders, rebates and sales for trying the program out and for measuring it on
// large files. The same seed gives the same records (relative to today), on every platform:
// the generator is our own rather than std::uniform_int_distribution, whose results differ
// between standard libraries.
class DemoData {
public:
    static constexpr std::uint64_t DefaultSeed = 19980530;

    explicit DemoData(QDate today, std::uint64_t seed = DefaultSeed);

    // Adds count records to table pvx in one transaction, through one prepared INSERT.
    void insert(Database& db, std::int64_t count);

    // The values of the next record, in the column order of insertSql().
    QVariantList nextRecord();
    static QString insertSql();

private:
    // What was bought, rebated or sold, and from or to whom.
    struct Purchase {
        // Text fields hold empty strings, never Null, as the program itself writes them.
        QString descr;
        QString items;
        QString ordernum = QStringLiteral("");
        QString via;
        QString method;
        int party = 0;
        int expectDays = 0;
        Currency amount;
    };
    Purchase order();
    Purchase rebate();
    Purchase sale();
    ReceivedStatus statusAtAge(int ageInDays);
    QString noteFor(ReceivedStatus status);

    std::uint64_t next();
    int below(int bound);
    int between(int low, int high) { return low + below(high - low + 1); }
    bool chance(int percent) { return below(100) < percent; }

    QDate m_today;
    std::uint64_t m_state;
};

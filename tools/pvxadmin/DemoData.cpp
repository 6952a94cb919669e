#include "DemoData.h"

#include "engine/Currency.h"
#include "engine/Database.h"
#include "engine/Recordset.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <array>
#include <vector>

namespace {

struct City {
    const char* line;
    const char* areaCode;
};

constexpr City cities[] = {
    {"Oakland, CA 94607", "510"}, {"Portland, OR 97204", "503"}, {"Denver, CO 80202", "303"},
    {"Madison, WI 53703", "608"}, {"Austin, TX 78701", "512"},   {"Burlington, VT 05401", "802"},
    {"Raleigh, NC 27601", "919"}, {"Boise, ID 83702", "208"},    {"Columbus, OH 43215", "614"},
    {"Tucson, AZ 85701", "520"},
};

enum class Role { Merchant, RebateCenter, Buyer };

struct Party {
    const char* name;
    const char* street;
    int city;
    const char* email;
    Role role;
};

// Merchants sell what the orders describe, rebate centres pay the rebates, buyers are the
// other side of the sales. Addresses and phone numbers are fictional (555-01xx).
constexpr Party parties[] = {
    {"Northwind Computer Supply", "1250 Harbor Blvd.\nSuite 300", 0, "orders@northwind.example",
     Role::Merchant},
    {"Bayside Office Products", "88 Embarcadero Way", 0, "sales@baysideoffice.example",
     Role::Merchant},
    {"Granite Hardware & Lumber", "4410 Industrial Pkwy.", 2, "service@granitehw.example",
     Role::Merchant},
    {"Crescent Camera Exchange", "219 Main St.", 1, "info@crescentcamera.example", Role::Merchant},
    {"Midwest Electronics Outlet", "7700 University Ave.", 3, "orders@mweo.example",
     Role::Merchant},
    {"Harbor Marine Supply", "15 Wharf Rd.", 5, "parts@harbormarine.example", Role::Merchant},
    {"Pinecrest Garden Center", "3021 Orchard Ln.", 1, "hello@pinecrest.example", Role::Merchant},
    {"Summit Sporting Goods", "640 Alpine Dr.", 2, "orders@summitsports.example", Role::Merchant},
    {"Redwood Books", "122 College Ave.", 0, "books@redwoodbooks.example", Role::Merchant},
    {"Atlas Tool Company", "9 Foundry St.", 8, "sales@atlastool.example", Role::Merchant},
    {"Keystone Auto Parts", "5120 Route 9", 6, "counter@keystoneauto.example", Role::Merchant},
    {"Lakeside Music", "47 Shore Dr.", 3, "strings@lakesidemusic.example", Role::Merchant},
    {"Blue Ridge Outfitters", "300 Summit Ave.", 6, "gear@blueridge.example", Role::Merchant},
    {"Cedar Valley Farm Store", "Rural Route 2\nBox 118", 7, "store@cedarvalley.example",
     Role::Merchant},
    {"Evergreen Pet Supply", "1888 Willow St.", 1, "pets@evergreenpet.example", Role::Merchant},
    {"Copperfield Kitchenware", "26 Market Sq.", 5, "kitchen@copperfield.example", Role::Merchant},
    {"Riverbend Appliance", "910 River Rd.", 8, "service@riverbend.example", Role::Merchant},
    {"Prairie Photo Lab", "55 Depot St.", 3, "lab@prairiephoto.example", Role::Merchant},
    {"Silverline Software", "2 Innovation Way\nBuilding C", 4, "sales@silverline.example",
     Role::Merchant},
    {"Meridian Telecom", "1400 Congress Ave.", 4, "store@meridiantel.example", Role::Merchant},
    {"Oakwood Furniture", "7070 Mill Creek Rd.", 6, "orders@oakwoodfurn.example", Role::Merchant},
    {"Union Street Stationers", "301 Union St.", 1, "paper@unionstreet.example", Role::Merchant},
    {"Westgate Computers", "16 Westgate Plaza", 9, "orders@westgate.example", Role::Merchant},
    {"Highland Hobby Shop", "812 Highland Ave.", 8, "trains@highlandhobby.example", Role::Merchant},
    {"Coastal Lighting", "2450 Pacific Coast Hwy.", 0, "lamps@coastallight.example",
     Role::Merchant},
    {"Patriot Printer Supplies", "600 Liberty Blvd.", 6, "toner@patriotps.example", Role::Merchant},
    {"Northwind Rebate Center", "P.O. Box 52210", 9, "rebates@northwind.example",
     Role::RebateCenter},
    {"Midwest Electronics Rebates", "P.O. Box 1307", 3, "rebates@mweo.example", Role::RebateCenter},
    {"Silverline Software Rebates", "P.O. Box 9004", 4, "rebates@silverline.example",
     Role::RebateCenter},
    {"Keystone Auto Rebate Offer", "Dept. 77\nP.O. Box 6012", 8, "offers@keystoneauto.example",
     Role::RebateCenter},
    {"Meridian Telecom Promotions", "P.O. Box 4400", 4, "promos@meridiantel.example",
     Role::RebateCenter},
    {"Westgate Mail-In Rebates", "P.O. Box 31", 9, "rebates@westgate.example", Role::RebateCenter},
    {"Janet Morales", "14 Birch Ct.", 2, "jmorales@mail.example", Role::Buyer},
    {"Robert Chen", "2207 Elm St., Apt. 4", 7, "rchen@mail.example", Role::Buyer},
    {"Dale Whitaker", "98 Old County Rd.", 5, "dwhitaker@mail.example", Role::Buyer},
    {"Priya Raman", "530 Lincoln Ave.", 6, "praman@mail.example", Role::Buyer},
    {"Tom Kowalski", "71 Chestnut St.", 3, "tkowalski@mail.example", Role::Buyer},
    {"Lisa Brennan", "1600 Magnolia Dr.", 9, "lbrennan@mail.example", Role::Buyer},
    {"Marcus Hill", "8 Harbor View Ter.", 0, "mhill@mail.example", Role::Buyer},
    {"Ellen Fairchild", "402 Prospect St.", 5, "efairchild@mail.example", Role::Buyer},
};

struct Product {
    const char* descr;
    int merchant; // index into parties
    int lowDollars;
    int highDollars;
};

constexpr Product products[] = {
    {"Laser printer toner cartridge", 25, 45, 120},
    {"Ink cartridges, color (3-pack)", 25, 25, 60},
    {"27-inch LCD monitor", 0, 180, 420},
    {"Wireless keyboard and mouse", 0, 25, 80},
    {"External hard drive, 2 TB", 22, 60, 130},
    {"Laptop docking station", 22, 90, 250},
    {"Memory upgrade, 16 GB", 22, 40, 110},
    {"Printer paper, 10 reams", 1, 35, 60},
    {"Ergonomic office chair", 1, 150, 480},
    {"Label maker tape", 1, 12, 30},
    {"Cordless drill kit", 2, 80, 220},
    {"Socket wrench set", 9, 40, 160},
    {"Chainsaw chain, 18 in.", 9, 18, 35},
    {"Pressure-treated lumber, deck boards", 2, 150, 900},
    {"Digital camera battery pack", 3, 20, 55},
    {"Telephoto lens, used", 3, 250, 900},
    {"Network router", 4, 60, 200},
    {"Surge protector", 4, 15, 45},
    {"Scanner, flatbed", 4, 90, 300},
    {"Bilge pump", 5, 40, 120},
    {"Life jackets (2)", 5, 60, 140},
    {"Garden hose, 50 ft", 6, 20, 50},
    {"Lawn mower blade", 6, 15, 35},
    {"Bird feeder and seed", 6, 20, 60},
    {"Tent, 4-person", 7, 120, 350},
    {"Tennis racquet restring", 7, 20, 45},
    {"Field guide to birds", 8, 15, 35},
    {"Accounting textbook", 8, 60, 180},
    {"Brake pads, front", 10, 35, 90},
    {"Wiper blades", 10, 15, 40},
    {"Guitar strings (3 sets)", 11, 15, 40},
    {"Digital piano stand", 11, 40, 120},
    {"Hiking boots", 12, 90, 220},
    {"Kayak paddle", 12, 70, 200},
    {"Chicken feed, 50 lb bag", 13, 15, 30},
    {"Fence posts (20)", 13, 80, 200},
    {"Dog food, 30 lb bag", 14, 30, 65},
    {"Aquarium filter", 14, 25, 80},
    {"Stainless steel cookware set", 15, 90, 350},
    {"Microwave oven", 16, 90, 260},
    {"Dishwasher repair", 16, 120, 380},
    {"Film developing and prints", 17, 8, 30},
    {"Photo enlargements, 11x14", 17, 15, 60},
    {"Accounting software upgrade", 18, 60, 250},
    {"Antivirus subscription", 18, 30, 90},
    {"Cell phone headset", 19, 20, 90},
    {"Cordless phone", 19, 40, 120},
    {"Oak bookcase", 20, 180, 650},
    {"Computer desk", 20, 150, 500},
    {"Fountain pens", 21, 25, 150},
    {"Appointment calendars", 21, 10, 30},
    {"Model railroad track", 23, 20, 90},
    {"Radio-controlled airplane kit", 23, 90, 300},
    {"Desk lamp", 24, 30, 110},
    {"Outdoor floodlights", 24, 40, 150},
};

// What a rebate is for, and which centre pays it.
struct RebateOffer {
    const char* product;
    int center;
};

constexpr RebateOffer rebateOffers[] = {
    {"27-inch LCD monitor", 26},
    {"Wireless keyboard and mouse", 26},
    {"Network router", 27},
    {"Surge protector", 27},
    {"Scanner, flatbed", 27},
    {"Accounting software upgrade", 28},
    {"Antivirus subscription", 28},
    {"Brake pads, front", 29},
    {"Synthetic motor oil, 5 qt", 29},
    {"Cell phone headset", 30},
    {"Cordless phone", 30},
    {"External hard drive, 2 TB", 31},
    {"Memory upgrade, 16 GB", 31},
};
constexpr int rebateValues[] = {5, 10, 10, 15, 20, 20, 25, 30, 40, 50, 50, 75, 100};

constexpr const char* saleItems[] = {
    "Vintage instant camera",
    "Baseball card collection",
    "Antique pocket watch",
    "Used road bicycle",
    "Comic books, lot of 25",
    "Oak rocking chair",
    "Old laptop computer",
    "Collectible stamps",
    "Bookshelf speakers (pair)",
    "Sewing machine",
    "Golf clubs, full set",
    "Vinyl records, lot of 40",
    "Snow blower",
    "Electric guitar",
    "Cast iron skillets (3)",
    "Hand-made quilt",
    "Model train locomotive",
    "Porcelain figurines",
};

constexpr const char* orderedBy[] = {"J. Martin", "S. Okafor", "Web site", "Phone", "Catalog"};
constexpr const char* orderMethods[] = {
    "Visa", "MasterCard", "American Express", "Check", "PayPal", "Purchase order", "Cash"};
constexpr const char* rebateMethods[] = {"Check by mail", "Prepaid card"};
constexpr const char* saleMethods[] = {"PayPal", "Money order", "Cashier's check", "Cash"};
constexpr const char* miscTexts[] = {"Tax deductible", "Gift", "Warranty: 1 year",
                                     "Business expense", "Reimbursable"};
constexpr const char* waitingNotes[] = {
    "Backordered; vendor promised shipment next week.",
    "Called about the delay, no answer yet.",
    "Tracking number came by e-mail.",
};
constexpr const char* partialNotes[] = {
    "Partial shipment received, balance to follow.",
    "One item damaged in shipping; replacement on the way.",
};
constexpr const char* doneNotes[] = {
    "Arrived in good condition.",
    "Return authorization requested for one item.",
    "Paid in full.",
};

template <typename T, std::size_t N> constexpr int count(const T (&)[N]) {
    return int(N);
}

struct PartyText {
    QVariant name, address, phone, fax, email;
};

// Built once, so every record of a vendor carries exactly the same contact details and the
// million-row run shares the strings instead of rebuilding them.
std::vector<PartyText> partyTexts() {
    std::vector<PartyText> texts;
    int i = 0;
    for (const Party& party : parties) {
        const City& city = cities[party.city];
        const QString exchange = QStringLiteral("(%1) 555-01").arg(QLatin1String(city.areaCode));
        const int line = (i * 2) % 100;
        PartyText text;
        text.name = QString::fromUtf8(party.name);
        text.address = QString::fromUtf8(party.street) + u'\n' + QLatin1String(city.line);
        text.phone = exchange + QStringLiteral("%1").arg(line, 2, 10, QLatin1Char('0'));
        text.fax = party.role == Role::Buyer
                       ? QStringLiteral("")
                       : exchange + QStringLiteral("%1").arg(line + 1, 2, 10, QLatin1Char('0'));
        text.email = QString::fromUtf8(party.email);
        texts.push_back(text);
        ++i;
    }
    return texts;
}

const std::vector<PartyText>& partyTable() {
    static const std::vector<PartyText> table = partyTexts();
    return table;
}

std::vector<int> partiesWithRole(Role role) {
    std::vector<int> indexes;
    for (int i = 0; i < count(parties); ++i) {
        if (parties[i].role == role)
            indexes.push_back(i);
    }
    return indexes;
}

Currency dollarsAndCents(int dollars, int cents) {
    return Currency::fromRaw((std::int64_t(dollars) * 100 + cents) * 100);
}

} // namespace

DemoData::DemoData(QDate today, std::uint64_t seed) : m_today(today), m_state(seed) {}

// splitmix64: small, fast and the same everywhere.
std::uint64_t DemoData::next() {
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

int DemoData::below(int bound) {
    return int(next() % std::uint64_t(bound));
}

QString DemoData::insertSql() {
    return QStringLiteral(
        "INSERT INTO pvx (descr, Type, status, ordernum, via, dateorder, dateexpect, "
        "datereceive, amount, method, misc1, vendor, address, phone, fax, email, items, notes) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
}

DemoData::Purchase DemoData::order() {
    Purchase p;
    const Product& product = products[below(count(products))];
    const int quantity = chance(80) ? 1 : between(2, 4);
    p.descr = QString::fromUtf8(product.descr);
    p.items = QStringLiteral("%1 x %2").arg(quantity).arg(p.descr);
    if (chance(25))
        p.items += QStringLiteral("\nShipping and handling");
    p.party = product.merchant;
    p.expectDays = between(3, 21);
    p.amount =
        dollarsAndCents(between(product.lowDollars, product.highDollars) * quantity, below(100));
    if (chance(85))
        p.ordernum = chance(50) ? QStringLiteral("PO-%1").arg(between(10000, 99999))
                                : QStringLiteral("W%1").arg(between(10000000, 99999999));
    p.via = QString::fromUtf8(orderedBy[below(count(orderedBy))]);
    p.method = QString::fromUtf8(orderMethods[below(count(orderMethods))]);
    return p;
}

DemoData::Purchase DemoData::rebate() {
    Purchase p;
    const RebateOffer& offer = rebateOffers[below(count(rebateOffers))];
    p.descr = QStringLiteral("Mail-in rebate: %1").arg(QString::fromUtf8(offer.product));
    p.items = QStringLiteral("Rebate form\nOriginal UPC\nCopy of receipt");
    p.party = offer.center;
    p.expectDays = between(42, 84);
    p.amount = dollarsAndCents(rebateValues[below(count(rebateValues))], 0);
    if (chance(70))
        p.ordernum = QStringLiteral("RB%1").arg(between(100000, 999999));
    p.via = QStringLiteral("Mail");
    p.method = QString::fromUtf8(rebateMethods[below(count(rebateMethods))]);
    return p;
}

DemoData::Purchase DemoData::sale() {
    static const std::vector<int> buyers = partiesWithRole(Role::Buyer);
    Purchase p;
    const QString item = QString::fromUtf8(saleItems[below(count(saleItems))]);
    p.descr = QStringLiteral("Auction sale: %1").arg(item);
    p.items = QStringLiteral("1 x %1\nShipped by parcel post").arg(item);
    p.party = buyers[std::size_t(below(int(buyers.size())))];
    p.expectDays = between(3, 14);
    p.amount = dollarsAndCents(between(5, 600), below(100));
    p.ordernum = QStringLiteral("Auction #%1").arg(between(100000000, 999999999));
    p.via = QStringLiteral("Online auction");
    p.method = QString::fromUtf8(saleMethods[below(count(saleMethods))]);
    return p;
}

ReceivedStatus DemoData::statusAtAge(int age) {
    // The older a record, the likelier it has come in; recent ones are mostly still open,
    // and some old ones never arrived, which gives the overdue report something to show.
    const int received = below(100);
    const auto status = [received](int yes, int partly) {
        return received < yes      ? ReceivedStatus::Yes
               : received < partly ? ReceivedStatus::Partially
                                   : ReceivedStatus::No;
    };
    if (age > 90)
        return status(86, 93);
    if (age > 30)
        return status(55, 72);
    return status(25, 45);
}

QString DemoData::noteFor(ReceivedStatus status) {
    const auto pick = [this](const char* const* notes, int noteCount) {
        return chance(30) ? QString::fromUtf8(notes[below(noteCount)]) : QStringLiteral("");
    };
    switch (status) {
    case ReceivedStatus::No:
        return pick(waitingNotes, count(waitingNotes));
    case ReceivedStatus::Partially:
        return pick(partialNotes, count(partialNotes));
    case ReceivedStatus::Yes:
        break;
    }
    return pick(doneNotes, count(doneNotes));
}

QVariantList DemoData::nextRecord() {
    const int roll = below(100);
    const OrderType type = roll < 62   ? OrderType::Order
                           : roll < 82 ? OrderType::Rebate
                                       : OrderType::Sale;
    // Two years of history, the newest orders still on their way.
    const int age = below(730);
    const QDate ordered = m_today.addDays(-age);

    const Purchase p = type == OrderType::Order    ? order()
                       : type == OrderType::Rebate ? rebate()
                                                   : sale();
    const ReceivedStatus status = statusAtAge(age);

    QVariant expected;
    if (!chance(10))
        expected = ordered.addDays(p.expectDays);
    // Never before the order date, never after today.
    QVariant receivedOn;
    if (status != ReceivedStatus::No)
        receivedOn = ordered.addDays(below(std::min(age, p.expectDays + 14) + 1));

    const QString note = noteFor(status);
    const QString misc =
        chance(20) ? QString::fromUtf8(miscTexts[below(count(miscTexts))]) : QStringLiteral("");
    const QVariant money = chance(7) ? QVariant() : QVariant::fromValue(p.amount);

    const PartyText& contact = partyTable()[std::size_t(p.party)];
    return {p.descr,         codeOf(type),  codeOf(status), p.ordernum,    p.via,   ordered,
            expected,        receivedOn,    money,          p.method,      misc,    contact.name,
            contact.address, contact.phone, contact.fax,    contact.email, p.items, note};
}

void DemoData::insert(Database& db, std::int64_t count) {
    // Building an index once over sorted rows is many times faster than keeping six
    // indexes up to date through a million inserts, so the indexes of pvx are set aside
    // and made again from their own definitions within the same transaction.
    QStringList indexDefinitions;
    auto indexes = db.openSnapshot(QStringLiteral(
        "SELECT name, sql FROM sqlite_master WHERE type = 'index' AND tbl_name = 'pvx' "
        "AND sql IS NOT NULL"));
    QStringList indexNames;
    for (; !indexes->eof(); indexes->moveNext()) {
        indexNames << indexes->value(QStringLiteral("name")).toString();
        indexDefinitions << indexes->value(QStringLiteral("sql")).toString();
    }
    indexes->close();

    const QString sql = insertSql();
    db.transaction([&] {
        for (const QString& name : indexNames)
            db.execute(QStringLiteral("DROP INDEX \"%1\"").arg(name));
        for (std::int64_t i = 0; i < count; ++i)
            db.execute(sql, nextRecord());
        for (const QString& definition : indexDefinitions)
            db.execute(definition);
    });
}

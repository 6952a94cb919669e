#include "engine/Schema.h"

#include "engine/Currency.h"
#include "engine/Database.h"
#include "engine/DomainCodes.h"
#include "engine/EngineError.h"
#include "engine/Recordset.h"
#include "engine/internal/ErrorMapping.h"

#include <QDir>
#include <QHash>
#include <QSet>
#include <QVariant>

#include <vector>

namespace Schema {
namespace {

struct Column {
    const char* name;
    // The adapter converts values by declared type (DATE, CURRENCY, BOOLEAN, SMALLINT),
    // so these words matter beyond documentation.
    const char* declaration;
};

struct Table {
    const char* name;
    std::vector<Column> columns;
};

// Every table and column the program reads; check() verifies the same list create() builds.
// Column names are unique across all tables: the custom report query selects bare column
// names from pvx joined to the lookup tables. No table name occurs inside another one,
// because the query builder decides whether a table is already joined by a text search.
const std::vector<Table>& tables() {
    static const std::vector<Table> list{
        {"pvx",
         {
             {"zelid", "INTEGER PRIMARY KEY AUTOINCREMENT"},
             {"descr", "VARCHAR(80) COLLATE NOCASE"},
             {"Type", "SMALLINT"},
             {"status", "SMALLINT"},
             {"ordernum", "VARCHAR(50) COLLATE NOCASE"},
             {"via", "VARCHAR(50) COLLATE NOCASE"},
             {"dateorder", "DATE"},
             {"dateexpect", "DATE"},
             {"datereceive", "DATE"},
             {"amount", "CURRENCY"},
             {"method", "VARCHAR(50) COLLATE NOCASE"},
             {"misc1", "VARCHAR(50) COLLATE NOCASE"},
             {"vendor", "VARCHAR(80) COLLATE NOCASE"},
             {"address", "VARCHAR(250) COLLATE NOCASE"},
             {"phone", "VARCHAR(30) COLLATE NOCASE"},
             {"fax", "VARCHAR(30) COLLATE NOCASE"},
             {"email", "VARCHAR(80) COLLATE NOCASE"},
             // Not MEMO: SQLite would give that word numeric affinity and store "1e5"
             // typed into the notes as a number.
             {"items", "TEXT COLLATE NOCASE"},
             {"notes", "TEXT COLLATE NOCASE"},
         }},
        {"TypeNames",
         {
             {"TypeCode", "SMALLINT PRIMARY KEY"},
             {"TypeName", "VARCHAR(20) COLLATE NOCASE NOT NULL"},
             {"IsOrder", "BOOLEAN NOT NULL"},
             {"IsRebate", "BOOLEAN NOT NULL"},
             {"IsSale", "BOOLEAN NOT NULL"},
         }},
        {"StatusNames",
         {
             {"StatusCode", "SMALLINT PRIMARY KEY"},
             {"StatusName", "VARCHAR(20) COLLATE NOCASE NOT NULL"},
             {"IsReceived", "BOOLEAN NOT NULL"},
             {"IsOutstanding", "BOOLEAN NOT NULL"},
         }},
        {"RptSpec",
         {
             {"SpecID", "INTEGER PRIMARY KEY"},
             {"Desc", "TEXT COLLATE NOCASE NOT NULL"},
             {"fieldname", "TEXT NOT NULL"},
             {"datatype", "SMALLINT NOT NULL"},
             {"defwidth", "REAL"},
             {"IsCurrency", "BOOLEAN NOT NULL DEFAULT 0"},
             {"filename", "TEXT NOT NULL"},
             {"Linkfield", "TEXT"},
         }},
    };
    return list;
}

// Kept apart from tables(): a file of layout 1 lacks it and is sound all the same. Never
// joined to the orders, so its column names need not be unique beside theirs.
const Table& designsTable() {
    static const Table table{DesignsTable,
                             {
                                 {"DesignKey", "TEXT NOT NULL PRIMARY KEY"},
                                 {"DesignName", "TEXT NOT NULL"},
                                 {"Design", "TEXT NOT NULL"},
                             }};
    return table;
}

// The three sort orders of the main form and the built-in reports: a list of one type
// within a date range ordered by date and vendor, the outstanding list by status and date,
// the overdue list by expected date; what is due and overdue by status and expected date.
struct Index {
    const char* name;
    const char* sql;
};
constexpr Index indexes[] = {
    {"pvx_dateorder", "CREATE INDEX pvx_dateorder ON pvx (dateorder)"},
    {"pvx_descr", "CREATE INDEX pvx_descr ON pvx (descr)"},
    {"pvx_vendor", "CREATE INDEX pvx_vendor ON pvx (vendor)"},
    {"pvx_type_dateorder", "CREATE INDEX pvx_type_dateorder ON pvx (Type, dateorder, vendor)"},
    {"pvx_status_dateorder", "CREATE INDEX pvx_status_dateorder ON pvx (status, dateorder, descr)"},
    {"pvx_dateexpect", "CREATE INDEX pvx_dateexpect ON pvx (dateexpect)"},
    {"pvx_status_dateexpect", "CREATE INDEX pvx_status_dateexpect ON pvx (status, dateexpect)"},
};

struct LookupRow {
    int code;
    const char* name;
    bool flags[3];
};

constexpr LookupRow typeRows[] = {
    {codeOf(OrderType::Order), nameOf(OrderType::Order), {true, false, false}},
    {codeOf(OrderType::Rebate), nameOf(OrderType::Rebate), {false, true, false}},
    {codeOf(OrderType::Sale), nameOf(OrderType::Sale), {false, false, true}},
};

// "Outstanding" means what the outstanding report lists: not received or partially received.
constexpr LookupRow statusRows[] = {
    {codeOf(ReceivedStatus::No), "No", {false, true}},
    {codeOf(ReceivedStatus::Partially), "Partially", {false, true}},
    {codeOf(ReceivedStatus::Yes), "Yes", {true, false}},
};

enum DataType { Text = 1, Number = 2, Date = 3, YesNo = 4 };

struct CatalogueRow {
    const char* desc;
    const char* fieldname;
    DataType datatype;
    double defwidth; // inches
    bool isCurrency;
    const char* filename;
    const char* linkfield;
};

// The lookup tables are joined on a pair of columns (pvx column;lookup column), since
// a column name shared by both tables would be ambiguous in the report query.
constexpr const char* typeLink = "Type;TypeCode";
constexpr const char* statusLink = "status;StatusCode";

constexpr CatalogueRow catalogue[] = {
    {"Description", "descr", Text, 2.5, false, "pvx", nullptr},
    {"Type", "TypeName", Text, 0.7, false, "TypeNames", typeLink},
    {"Received", "StatusName", Text, 0.8, false, "StatusNames", statusLink},
    {"Order Number", "ordernum", Text, 1.1, false, "pvx", nullptr},
    {"Ordered By", "via", Text, 1.0, false, "pvx", nullptr},
    {"Date Ordered", "dateorder", Date, 0.9, false, "pvx", nullptr},
    {"Date Expected", "dateexpect", Date, 0.9, false, "pvx", nullptr},
    {"Date Received", "datereceive", Date, 0.9, false, "pvx", nullptr},
    {"Amount", "amount", Number, 1.0, true, "pvx", nullptr},
    {"Payment Method", "method", Text, 1.0, false, "pvx", nullptr},
    {"Miscellaneous", "misc1", Text, 1.0, false, "pvx", nullptr},
    {"Vendor", "vendor", Text, 2.0, false, "pvx", nullptr},
    {"Address", "address", Text, 2.5, false, "pvx", nullptr},
    {"Phone", "phone", Text, 1.2, false, "pvx", nullptr},
    {"Fax", "fax", Text, 1.2, false, "pvx", nullptr},
    {"E-mail", "email", Text, 2.0, false, "pvx", nullptr},
    {"Items", "items", Text, 3.0, false, "pvx", nullptr},
    {"Notes", "notes", Text, 3.0, false, "pvx", nullptr},
    {"Record Number", "zelid", Number, 0.8, false, "pvx", nullptr},
    {"Fully Received", "IsReceived", YesNo, 0.7, false, "StatusNames", statusLink},
    {"Outstanding", "IsOutstanding", YesNo, 0.7, false, "StatusNames", statusLink},
    {"Is an Order", "IsOrder", YesNo, 0.6, false, "TypeNames", typeLink},
    {"Is a Rebate", "IsRebate", YesNo, 0.6, false, "TypeNames", typeLink},
    {"Is a Sale", "IsSale", YesNo, 0.6, false, "TypeNames", typeLink},
};

QString quoted(const char* identifier) {
    return QLatin1Char('"') + QLatin1String(identifier) + QLatin1Char('"');
}

// The declaration of a column on a PostgreSQL server, with the same meaning as in the file:
// the key from a sequence, text that sorts without regard to case (the collation nocase),
// dates as the same ISO text compared character by character (pvx_date), amounts as exact
// decimals of four places (pvx_currency). Text has no length limit, as SQLite enforces none.
QString serverDeclaration(const char* declaration) {
    QString text = QLatin1String(declaration);
    if (text == QLatin1String("INTEGER PRIMARY KEY AUTOINCREMENT"))
        return QStringLiteral("bigserial PRIMARY KEY");
    static const std::pair<const char*, const char*> words[] = {
        {"VARCHAR(250) COLLATE NOCASE", "text COLLATE nocase"},
        {"VARCHAR(80) COLLATE NOCASE", "text COLLATE nocase"},
        {"VARCHAR(50) COLLATE NOCASE", "text COLLATE nocase"},
        {"VARCHAR(30) COLLATE NOCASE", "text COLLATE nocase"},
        {"VARCHAR(20) COLLATE NOCASE", "text COLLATE nocase"},
        {"TEXT COLLATE NOCASE", "text COLLATE nocase"},
        {"DEFAULT 0", "DEFAULT false"},
        {"DATE", "pvx_date"},
        {"CURRENCY", "pvx_currency"},
        {"REAL", "double precision"},
    };
    for (const auto& [sqlite, server] : words)
        text.replace(QLatin1String(sqlite), QLatin1String(server));
    return text;
}

// What a server needs before the tables: the collation, the two domains and pvx_fold (which
// a file has from the program itself). The collation compares at the second level of
// Unicode's rules (letters and accents, case ignored) and breaks ties by the characters,
// since the server's LIKE refuses a collation that calls different texts equal.
const char* const serverPreamble[] = {
    "CREATE COLLATION IF NOT EXISTS nocase (provider = icu, locale = 'und-u-ks-level2')",
    "CREATE DOMAIN pvx_date AS text COLLATE ucs_basic",
    "CREATE DOMAIN pvx_currency AS numeric(19, 4)",
    "CREATE OR REPLACE FUNCTION pvx_fold(text) RETURNS text LANGUAGE sql IMMUTABLE STRICT "
    "PARALLEL SAFE AS 'SELECT lower($1 COLLATE \"und-x-icu\")'",
};

QString createTableSql(const Table& table, bool server) {
    QStringList columns;
    for (const Column& column : table.columns)
        columns << quoted(column.name) + QLatin1Char(' ') +
                       (server ? serverDeclaration(column.declaration)
                               : QString::fromLatin1(column.declaration));
    // Several users share a server: the orders carry the row version their Update checks.
    if (server && &table == &tables().front())
        columns << QStringLiteral("\"rowversion\" integer NOT NULL DEFAULT 0");
    return QStringLiteral("CREATE TABLE %1 (%2)")
        .arg(quoted(table.name), columns.join(QStringLiteral(", ")));
}

// Column names of a table, folded to lower case as SQLite compares them; empty when the
// table does not exist.
QSet<QString> columnsOf(Database& db, const QString& table) {
    QSet<QString> names;
    for (const QString& name : db.columnNames(table))
        names.insert(name.toLower());
    return names;
}

void checkCatalogue(Database& db, const QHash<QString, QSet<QString>>& present,
                    QStringList& problems) {
    auto rs = db.openSnapshot(QStringLiteral(
        "SELECT SpecID, \"Desc\", fieldname, datatype, filename, Linkfield FROM RptSpec "
        "ORDER BY SpecID"));
    int expectedId = 1;
    for (; !rs->eof(); rs->moveNext(), ++expectedId) {
        const int id = rs->value(QStringLiteral("SpecID")).toInt();
        const QString desc = rs->value(QStringLiteral("Desc")).toString();
        const QString where = QStringLiteral("RptSpec row %1 (\"%2\")").arg(id).arg(desc);
        // The designer indexes its per-field settings by SpecID.
        if (id != expectedId) {
            problems << QStringLiteral("RptSpec: SpecID %1 found where %2 was expected; the "
                                       "numbers must run from 1 without gaps.")
                            .arg(id)
                            .arg(expectedId);
            expectedId = id;
        }
        const int datatype = rs->value(QStringLiteral("datatype")).toInt();
        if (datatype < Text || datatype > YesNo)
            problems << QStringLiteral("%1: datatype %2 is not 1 to 4.")
                            .arg(where, QString::number(datatype));

        const QString table = rs->value(QStringLiteral("filename")).toString();
        const QString field = rs->value(QStringLiteral("fieldname")).toString();
        const QSet<QString> columns = present.contains(table.toLower())
                                          ? present.value(table.toLower())
                                          : columnsOf(db, table);
        if (columns.isEmpty()) {
            problems << QStringLiteral("%1: table %2 does not exist.").arg(where, table);
            continue;
        }
        // A name qualified by its table or quoted is read as the report query reads it, by
        // the check that runs those queries.
        const bool bare = !field.contains(u'.') && !field.contains(u'[') && !field.contains(u'"') &&
                          !field.contains(u'`');
        if (bare && !columns.contains(field.toLower()))
            problems << QStringLiteral("%1: column %2.%3 does not exist.").arg(where, table, field);
        if (table.compare(QStringLiteral("pvx"), Qt::CaseInsensitive) == 0)
            continue;
        const QStringList link = rs->value(QStringLiteral("Linkfield")).toString().split(u';');
        const QString pvxColumn = link.value(0);
        const QString otherColumn = link.size() > 1 ? link.value(1) : pvxColumn;
        if (!present.value(QStringLiteral("pvx")).contains(pvxColumn.toLower()) ||
            !columns.contains(otherColumn.toLower()))
            problems << QStringLiteral(
                            "%1: the join key \"%2\" does not name columns of pvx and %3.")
                            .arg(where, rs->value(QStringLiteral("Linkfield")).toString(), table);
    }
    rs->close();
    if (expectedId == 1)
        problems << QStringLiteral("RptSpec holds no report fields.");
}

} // namespace

QStringList names() {
    QStringList list{QStringLiteral("LayoutVersion")};
    std::vector<const Table*> all{&designsTable()};
    for (const Table& table : tables())
        all.push_back(&table);
    for (const Table* table : all) {
        list << QString::fromLatin1(table->name);
        for (const Column& column : table->columns)
            list << QString::fromLatin1(column.name);
    }
    return list;
}

QList<TableColumns> tableColumns() {
    QList<TableColumns> list;
    std::vector<const Table*> all;
    for (const Table& table : tables())
        all.push_back(&table);
    all.push_back(&designsTable());
    for (const Table* table : all) {
        TableColumns entry{QString::fromLatin1(table->name), {}};
        for (const Column& column : table->columns)
            entry.columns << QString::fromLatin1(column.name);
        list << entry;
    }
    return list;
}

int addMissingIndexes(Database& db) {
    QSet<QString> present;
    for (const QString& name : db.indexNames())
        present.insert(name.toLower());
    QList<const Index*> missing;
    for (const Index& index : indexes)
        if (!present.contains(QString::fromLatin1(index.name).toLower()))
            missing.append(&index);
    if (!missing.isEmpty()) {
        db.transaction([&] {
            for (const Index* index : std::as_const(missing))
                db.execute(QLatin1String(index->sql));
        });
    }
    return int(missing.size());
}

void create(Database& db) {
    const bool server = db.isServer();
    db.transaction([&db, server] {
        if (server) {
            for (const char* sql : serverPreamble)
                db.execute(QString::fromLatin1(sql));
        }
        for (const Table& table : tables())
            db.execute(createTableSql(table, server));
        db.execute(createTableSql(designsTable(), server));
        for (const Index& index : indexes)
            db.execute(QLatin1String(index.sql));

        const QString typeSql = QStringLiteral("INSERT INTO TypeNames (TypeCode, TypeName, "
                                               "IsOrder, IsRebate, IsSale) VALUES (?, ?, ?, ?, ?)");
        for (const LookupRow& row : typeRows)
            db.execute(typeSql, {row.code, QString::fromLatin1(row.name), row.flags[0],
                                 row.flags[1], row.flags[2]});
        const QString statusSql = QStringLiteral("INSERT INTO StatusNames (StatusCode, "
                                                 "StatusName, IsReceived, IsOutstanding) "
                                                 "VALUES (?, ?, ?, ?)");
        for (const LookupRow& row : statusRows)
            db.execute(statusSql,
                       {row.code, QString::fromLatin1(row.name), row.flags[0], row.flags[1]});

        const QString catalogueSql = QStringLiteral(
            "INSERT INTO RptSpec (SpecID, \"Desc\", fieldname, datatype, defwidth, IsCurrency, "
            "filename, Linkfield) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
        int catalogueId = 0;
        for (const CatalogueRow& row : catalogue) {
            db.execute(catalogueSql,
                       {++catalogueId, QString::fromLatin1(row.desc),
                        QString::fromLatin1(row.fieldname), int(row.datatype), row.defwidth,
                        row.isCurrency, QString::fromLatin1(row.filename),
                        row.linkfield ? QVariant(QString::fromLatin1(row.linkfield)) : QVariant()});
        }
        db.setSchemaVersion(CurrentVersion);
    });
}

bool upgrade(Database& db) {
    requireKnownVersion(db);
    const int version = db.schemaVersion();
    const QString designs = QString::fromLatin1(DesignsTable);
    if (version >= CurrentVersion && db.tableExists(designs))
        return false;
    db.transaction([&] {
        // A file of this layout that lost the table (to another tool) gets it back as well.
        if (!db.tableExists(designs))
            db.execute(createTableSql(designsTable(), db.isServer()));
        if (version < CurrentVersion)
            db.setSchemaVersion(CurrentVersion);
    });
    return true;
}

QStringList check(Database& db) {
    QStringList problems;
    try {
        const QString cut = db.cutShort();
        if (!cut.isEmpty())
            problems << cut;
        for (const QString& line : db.integrityProblems())
            problems << QStringLiteral("Integrity: %1").arg(line);
        // A damaged file can report anything below; its integrity is the whole story.
        if (!problems.isEmpty())
            return problems;

        const int version = db.schemaVersion();
        if (version > CurrentVersion)
            problems << QStringLiteral("The database has layout version %1, made by a newer "
                                       "program; this program knows version %2.")
                            .arg(version)
                            .arg(CurrentVersion);

        QHash<QString, QSet<QString>> present;
        bool complete = true;
        for (const Table& table : tables()) {
            const QString name = QString::fromLatin1(table.name);
            const QSet<QString> columns = columnsOf(db, name);
            if (columns.isEmpty()) {
                problems << QStringLiteral("Table %1 is missing.").arg(name);
                complete = false;
                continue;
            }
            present.insert(name.toLower(), columns);
            for (const Column& column : table.columns) {
                if (!columns.contains(QString::fromLatin1(column.name).toLower())) {
                    problems << QStringLiteral("Column %1.%2 is missing.")
                                    .arg(name, QString::fromLatin1(column.name));
                    complete = false;
                }
            }
        }
        // The designs are the program's own from the layout that brought them.
        if (version >= DesignsVersion) {
            const Table& table = designsTable();
            const QString name = QString::fromLatin1(table.name);
            const QSet<QString> columns = columnsOf(db, name);
            if (columns.isEmpty())
                problems << QStringLiteral("Table %1 is missing.").arg(name);
            for (const Column& column : table.columns) {
                if (!columns.isEmpty() &&
                    !columns.contains(QString::fromLatin1(column.name).toLower()))
                    problems << QStringLiteral("Column %1.%2 is missing.")
                                    .arg(name, QString::fromLatin1(column.name));
            }
        }
        // The catalogue rows are judged against the tables they name, which must be whole.
        if (complete)
            checkCatalogue(db, present, problems);
    } catch (const EngineError& error) {
        problems << error.description();
    }
    return problems;
}

void requireOrdersTable(Database& db) {
    const Table& orders = tables().front();
    const QString name = QString::fromLatin1(orders.name);
    const QSet<QString> columns = columnsOf(db, name);
    if (columns.isEmpty())
        throwEngineError(ErrorNumber::TableNotFound, name);
    for (const Column& column : orders.columns) {
        if (!columns.contains(QString::fromLatin1(column.name).toLower()))
            throwEngineError(ErrorNumber::FieldNotFound, QString::fromLatin1(column.name));
    }
}

void requireKnownVersion(Database& db) {
    const int version = db.schemaVersion();
    if (version > CurrentVersion)
        throw EngineError(
            ErrorNumber::NewerDatabase,
            QStringLiteral("The database '%1' was made by a newer version of Purvex (its layout "
                           "is version %2; this program knows version %3).  Open it with that "
                           "newer version; this one leaves it untouched.")
                .arg(QDir::toNativeSeparators(db.path()))
                .arg(version)
                .arg(CurrentVersion));
}

namespace {

enum class Kind { Text, Code, Date, Amount };

QString shownValue(const QVariant& value) {
    if (value.typeId() == QMetaType::QByteArray)
        return QStringLiteral("<%1 bytes>").arg(value.toByteArray().size());
    QString text = value.toString();
    if (text.size() > 40)
        text = text.left(40) + QStringLiteral("...");
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// What is odd about a value as the engine reads it, or nothing.
QString oddity(Kind kind, const QVariant& value) {
    if (value.isNull())
        return {};
    const int type = value.typeId();
    if (type == QMetaType::QByteArray)
        return QStringLiteral("binary data");
    switch (kind) {
    case Kind::Text:
        return {};
    case Kind::Code: {
        bool isNumber = false;
        const int code = value.toInt(&isNumber);
        if (type == QMetaType::QString)
            return QStringLiteral("text where a number belongs");
        return isNumber && code >= 0 && code <= 2 && value.toDouble() == code
                   ? QString()
                   : QStringLiteral("not 0, 1 or 2");
    }
    case Kind::Date:
        if (type == QMetaType::QDate || type == QMetaType::QDateTime)
            return {};
        return type == QMetaType::QString ? QStringLiteral("not a date")
                                          : QStringLiteral("a number where a date belongs");
    case Kind::Amount:
        if (value.metaType() == QMetaType::fromType<Currency>())
            return {};
        return type == QMetaType::QString ? QStringLiteral("text where an amount belongs")
                                          : QStringLiteral("beyond the amounts Purvex handles");
    }
    return {};
}

} // namespace

QStringList oddValues(Database& db) {
    static const std::pair<const char*, Kind> columns[] = {
        {"descr", Kind::Text},      {"Type", Kind::Code},        {"status", Kind::Code},
        {"ordernum", Kind::Text},   {"via", Kind::Text},         {"dateorder", Kind::Date},
        {"dateexpect", Kind::Date}, {"datereceive", Kind::Date}, {"amount", Kind::Amount},
        {"method", Kind::Text},     {"misc1", Kind::Text},       {"vendor", Kind::Text},
        {"address", Kind::Text},    {"phone", Kind::Text},       {"fax", Kind::Text},
        {"email", Kind::Text},      {"items", Kind::Text},       {"notes", Kind::Text},
    };
    QStringList lines;
    auto rs = db.openSnapshot(QStringLiteral("SELECT * FROM pvx ORDER BY zelid"));
    for (; !rs->eof(); rs->moveNext()) {
        for (const auto& [name, kind] : columns) {
            const QString column = QString::fromLatin1(name);
            const QVariant value = rs->value(column);
            const QString odd = oddity(kind, value);
            if (!odd.isEmpty())
                lines << QStringLiteral("record %1, %2: %3 is %4")
                             .arg(rs->value(QStringLiteral("zelid")).toString(), column,
                                  shownValue(value), odd);
        }
    }
    rs->close();
    return lines;
}

} // namespace Schema

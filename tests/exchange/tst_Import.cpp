// Import into a real pvx.mdb and export from it, read back with the sqlite3 tool: CSV in
// several locales, all or nothing, the round trip, the Access-format test file and the
// conversion of an old file in place.
#include "engine/Database.h"
#include "engine/Schema.h"
#include "exchange/AccessConversion.h"
#include "exchange/CsvExport.h"
#include "exchange/FieldConversion.h"
#include "exchange/ImportSource.h"
#include "exchange/Importer.h"

#include <QCryptographicHash>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

const QString accessTestFile = QStringLiteral(PVX_SOURCE_DIR "/tests/data/DateTestDatabase.mdb");

// The Access test file's columns, each into a field.
const QStringList accessPairs{u"zelid=IDCol"_s,        u"descr=ShortTextCol"_s,
                              u"notes=LongTextCol"_s,  u"dateorder=DateTimeCol"_s,
                              u"dateexpect=DateCol"_s, u"datereceive=TimeCol"_s};

QByteArray digest(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Rows of a query read with the sqlite3 tool, as JSON objects; fails the test when the tool
// cannot read the file.
QList<QVariantMap> fileRows(const QString& database, const QString& sql) {
    QProcess sqlite;
    sqlite.start(QStringLiteral(PVX_SQLITE3_TOOL), {u"-readonly"_s, u"-json"_s, database, sql});
    if (!sqlite.waitForFinished(10000) || sqlite.exitCode() != 0) {
        QTest::qFail("sqlite3 could not read the file", __FILE__, __LINE__);
        return {};
    }
    QList<QVariantMap> rows;
    for (const QJsonValue& row : QJsonDocument::fromJson(sqlite.readAllStandardOutput()).array())
        rows << row.toObject().toVariantMap();
    return rows;
}

QString allRows(const QString& database) {
    QProcess sqlite;
    sqlite.start(QStringLiteral(PVX_SQLITE3_TOOL),
                 {u"-readonly"_s, u"-quote"_s, database,
                  u"SELECT *, typeof(amount), typeof(dateorder) FROM pvx ORDER BY zelid"_s});
    if (!sqlite.waitForFinished(10000) || sqlite.exitCode() != 0) {
        QTest::qFail("sqlite3 could not read the file", __FILE__, __LINE__);
        return {};
    }
    return QString::fromUtf8(sqlite.readAllStandardOutput());
}

FieldConversion::Options inLocale(const QString& name) {
    FieldConversion::Options options;
    options.locale = QLocale(name);
    // A stand-in for the date fields' reader: the locale's short format, four-digit years.
    options.readLocaleDate = [locale = options.locale](const QString& text) {
        QString format = locale.dateFormat(QLocale::ShortFormat);
        if (!format.contains(u"yyyy"_s))
            format.replace(u"yy"_s, u"yyyy"_s);
        const QDate date = locale.toDate(text, format);
        return date.isValid() ? QVariant(date) : QVariant();
    };
    return options;
}

} // namespace

class tst_Import : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void csvValues_data();
    void csvValues();
    void allOrNothing();
    void recordNumbers();
    void roundTrip();
    void accessFile();
    void accessDates_data();
    void accessDates();
    void conversionInPlace();

private:
    QString makeDatabase(const QString& name, const QStringList& inserts = {});
    Importer::Result import(const QString& database, const QString& source,
                            const Importer::Request& request = {});

    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_Import::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QString tst_Import::makeDatabase(const QString& name, const QStringList& inserts) {
    QDir(m_dir->path()).mkpath(name);
    const QString path = m_dir->filePath(name + u"/pvx.mdb"_s);
    auto db = Database::create(path);
    Schema::create(*db);
    for (const QString& sql : inserts)
        db->execute(sql);
    db->close();
    return path;
}

Importer::Result tst_Import::import(const QString& database, const QString& source,
                                    const Importer::Request& request) {
    auto db = Database::open(database, true);
    const auto from = openImportSource(source);
    const Importer::Result result = Importer::run(*db, *from, request);
    db->close();
    return result;
}

void tst_Import::csvValues_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QStringList>("pairs");
    // The stored row ("descr|Type|status|dateorder|amount|via"), or the problem reported.
    QTest::addColumn<QString>("expected");

    QTest::newRow("stored names")
        << u"en_US"_s
        << QByteArray("descr,Type,status,dateorder,amount\nLamp,1,2,2026-01-31,12.5\n")
        << QStringList{} << u"Lamp|1|2|2026-01-31|12.5|"_s;
    QTest::newRow("designer names, any case, list words")
        << u"en_US"_s
        << QByteArray("DESCRIPTION,type,Received,Date Ordered,amount\nLamp,Sale,partially,"
                      "2026-01-31 14:05,\"$1,234.50\"\n")
        << QStringList{} << u"Lamp|2|1|2026-01-31 14:05:00|1234.5|"_s;
    QTest::newRow("German short date and money, semicolons")
        << u"de_DE"_s
        << QByteArray(
               "Description;Date Ordered;Amount\nLampe;31.01.2026;\"1.234,56 \xE2\x82\xAC\"\n")
        << QStringList{} << u"Lampe|0|0|2026-01-31|1234.56|"_s;
    QTest::newRow("British day first")
        << u"en_GB"_s << QByteArray("descr,dateorder\nLamp,05/02/2026\n") << QStringList{}
        << u"Lamp|0|0|2026-02-05||"_s;
    QTest::newRow("columns named with --map, others left out")
        << u"en_US"_s << QByteArray("Item,Shop,Cost,Extra\nLamp,Acme,3,zzz\n")
        << QStringList{u"descr=Item"_s, u"Ordered By=shop"_s, u"amount=Cost"_s}
        << u"Lamp|0|0||3|Acme"_s;
    QTest::newRow("blank Type stays Null")
        << u"en_US"_s << QByteArray("descr,Type\nLamp,\n") << QStringList{} << u"Lamp||0|||"_s;
    QTest::newRow("a point between thousands in German is refused")
        << u"de_DE"_s << QByteArray("descr,amount\nLamp,1.234\n") << QStringList{}
        << u"row 2, column \"amount\", value \"1.234\": could be read either way"_s;
    QTest::newRow("more than four decimals")
        << u"en_US"_s << QByteArray("descr,amount\nLamp,1.23456\n") << QStringList{}
        << u"value \"1.23456\": more than four decimals"_s;
    QTest::newRow("too long for the field")
        << u"en_US"_s << QByteArray("descr,via\nLamp,") + QByteArray(51, 'x') + "\n"
        << QStringList{} << u"51 characters, longer than the 50 the field holds"_s;
    QTest::newRow("unknown status word")
        << u"en_US"_s << QByteArray("descr,status\nLamp,Maybe\n") << QStringList{}
        << u"not 0, 1, 2, \"No\", \"Partially\" or \"Yes\""_s;
    QTest::newRow("a bad date in row 7")
        << u"en_US"_s
        << QByteArray("descr,dateorder\na,2026-01-01\nb,2026-01-02\nc,2026-01-03\n"
                      "d,2026-01-04\ne,2026-01-05\nf,2026-02-30\ng,2026-01-07\n")
        << QStringList{} << u"row 7, column \"dateorder\", value \"2026-02-30\": not a date"_s;
    QTest::newRow("a ragged row") << u"en_US"_s << QByteArray("descr,via\nLamp,x\nShade\n")
                                  << QStringList{}
                                  << u"row 3: it has 1 fields where the heading line has 2"_s;
}

void tst_Import::csvValues() {
    QFETCH(QString, locale);
    QFETCH(QByteArray, csv);
    QFETCH(QStringList, pairs);
    QFETCH(QString, expected);
    const QString database = makeDatabase(u"db"_s);
    const QString source = m_dir->filePath(u"in.csv"_s);
    writeFile(source, csv);
    Importer::Request request;
    request.pairs = pairs;
    request.conversion = inLocale(locale);
    const Importer::Result result = import(database, source, request);

    const QList<QVariantMap> rows =
        fileRows(database, u"SELECT descr, Type, status, dateorder, CAST(amount AS TEXT) AS "
                           u"amount, via FROM pvx"_s);
    if (result.outcome == Importer::Outcome::Refused) {
        QVERIFY(rows.isEmpty());
        QCOMPARE(result.problems.size(), 1);
        QVERIFY2(result.problems.first().contains(expected), qPrintable(result.problems.first()));
        return;
    }
    QCOMPARE(result.outcome, Importer::Outcome::Imported);
    QCOMPARE(rows.size(), 1);
    QStringList stored;
    for (const char* column : {"descr", "Type", "status", "dateorder", "amount", "via"})
        stored << rows.first().value(QString::fromLatin1(column)).toString();
    QCOMPARE(stored.join(u'|'), expected);
}

void tst_Import::allOrNothing() {
    const QString database = makeDatabase(u"db"_s, {u"INSERT INTO pvx (descr) VALUES ('kept')"_s});
    const QByteArray before = digest(database);
    QByteArray csv = "descr,dateorder,amount\n";
    for (int i = 0; i < 40; ++i)
        csv += i % 2 ? QByteArray("fine,2026-01-01,1\n") : QByteArray("bad,someday,1\n");
    const QString source = m_dir->filePath(u"in.csv"_s);
    writeFile(source, csv);
    const QByteArray sourceBefore = digest(source);

    for (const bool dryRun : {false, true}) {
        Importer::Request request;
        request.dryRun = dryRun;
        const Importer::Result result = import(database, source, request);
        QCOMPARE(result.outcome, Importer::Outcome::Refused);
        QCOMPARE(result.problemCount, 20);
        QCOMPARE(result.problems.size(), Importer::ListedProblems);
        QCOMPARE(result.problems.first(),
                 u"row 2, column \"dateorder\", value \"someday\": not a date (yyyy-mm-dd)"_s);
        const QString summary = Importer::summary(result, u"in.csv"_s);
        QVERIFY(summary.startsWith(u"Nothing was imported from in.csv; 20 problems were found:"_s));
    }
    // 21 bad rows: the 21st is counted, not listed.
    writeFile(source, csv + "bad,never,1\n");
    const Importer::Result result = import(database, source);
    QCOMPARE(result.problemCount, 21);
    QVERIFY(Importer::summary(result, u"in.csv"_s).endsWith(u"\n... and 1 more."_s));
    QCOMPARE(fileRows(database, u"SELECT descr FROM pvx"_s).size(), 1);
    QCOMPARE(digest(database), before);

    // A dry run of a sound file checks it all and writes nothing.
    writeFile(source, "descr\nfirst\nsecond\n");
    Importer::Request dry;
    dry.dryRun = true;
    const Importer::Result checked = import(database, source, dry);
    QCOMPARE(checked.outcome, Importer::Outcome::Imported);
    QCOMPARE(checked.records, 2);
    QVERIFY(Importer::summary(checked, u"in.csv"_s).startsWith(u"Would import 2 records"_s));
    QCOMPARE(digest(database), before);
    QCOMPARE(digest(source) == sourceBefore, false); // the file was rewritten by the test
}

void tst_Import::recordNumbers() {
    const QString source = m_dir->filePath(u"in.csv"_s);
    writeFile(source, "zelid,descr\n7,seven\n,none\n3,three\n");
    // Into an empty table the numbers are kept; a record without one comes after them.
    const QString empty = makeDatabase(u"empty"_s);
    QCOMPARE(import(empty, source).records, 3);
    QCOMPARE(fileRows(empty, u"SELECT zelid || ' ' || descr AS r FROM pvx ORDER BY zelid"_s),
             (QList<QVariantMap>{
                 {{u"r"_s, u"3 three"_s}}, {{u"r"_s, u"7 seven"_s}}, {{u"r"_s, u"8 none"_s}}}));
    // Into a table holding records they are given anew after the last.
    const QString held =
        makeDatabase(u"held"_s, {u"INSERT INTO pvx (zelid, descr) VALUES (7, 'mine')"_s});
    const Importer::Result result = import(held, source);
    QVERIFY(!result.keysKept);
    QCOMPARE(fileRows(held, u"SELECT descr FROM pvx WHERE zelid = 7"_s).first().value(u"descr"_s),
             u"mine"_s);
    QCOMPARE(fileRows(held, u"SELECT count(*) AS n FROM pvx"_s).first().value(u"n"_s), 4);
    // A number given twice stops the import.
    writeFile(source, "zelid,descr\n5,a\n5,b\n");
    const Importer::Result twice = import(makeDatabase(u"twice"_s), source);
    QCOMPARE(twice.outcome, Importer::Outcome::Refused);
    QCOMPARE(twice.problems,
             QStringList{u"row 3: the record number 5 is given twice (row 2 has it too)"_s});
}

void tst_Import::roundTrip() {
    const QString original = makeDatabase(
        u"original"_s,
        {u"INSERT INTO pvx (descr, Type, status, ordernum, dateorder, dateexpect, amount, "
         u"address, notes, vendor) VALUES ('Lamp, \"brass\"', 2, 1, '007', '2026-01-31 "
         u"14:05:00', '0632-01-01', 1234.5678, 'Line 1' || char(13, 10) || 'Line 2', "
         u"'Grüße ☺', '=SUM(A1)')"_s,
         u"INSERT INTO pvx (descr, Type, status, amount, dateorder) VALUES ('', NULL, NULL, "
         u"-0.125, '9999-12-31')"_s,
         u"INSERT INTO pvx (descr, amount, items) VALUES ('big', 99999999999.9999, 'a\nb')"_s,
         u"DELETE FROM pvx WHERE zelid = 2"_s,
         u"INSERT INTO pvx (descr, amount) VALUES ('after a gap', 0.1)"_s,
         // The program writes empty text, never Null, into the text fields.
         u"UPDATE pvx SET ordernum = coalesce(ordernum, ''), via = coalesce(via, ''), method = "
         u"coalesce(method, ''), misc1 = coalesce(misc1, ''), vendor = coalesce(vendor, ''), "
         u"address = coalesce(address, ''), phone = coalesce(phone, ''), fax = coalesce(fax, ''), "
         u"email = coalesce(email, ''), items = coalesce(items, ''), notes = coalesce(notes, '')"_s});
    const QString csv = m_dir->filePath(u"out.csv"_s);
    {
        auto db = Database::openReadOnly(original);
        const CsvExport::Result exported = CsvExport::toFile(*db, csv);
        QVERIFY2(exported.written, qPrintable(exported.error));
        QCOMPARE(exported.records, 3);
    }
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.at(0), "zelid,descr,Type,status,ordernum,via,dateorder,dateexpect,datereceive,"
                          "amount,method,misc1,vendor,address,phone,fax,email,items,notes\r");
    QCOMPARE(lines.at(1), "1,\"Lamp, \"\"brass\"\"\",Sale,Partially,007,,2026-01-31 14:05:00,"
                          "0632-01-01,,1234.5678,,,=SUM(A1),\"Line 1\r");

    const QString copy = makeDatabase(u"copy"_s);
    QCOMPARE(import(copy, csv).outcome, Importer::Outcome::Imported);
    QCOMPARE(allRows(copy), allRows(original));
}

void tst_Import::accessFile() {
    const QString database = makeDatabase(u"db"_s);
    const QByteArray sourceBefore = digest(accessTestFile);
    // The file has no table pvx: the message lists the tables it has.
    try {
        openImportSource(accessTestFile);
        QFAIL("opened a table that is not there");
    } catch (const ImportError& error) {
        QVERIFY2(error.message().endsWith(u"has no table pvx; its tables are: DateTest."_s),
                 qPrintable(error.message()));
    }
    auto db = Database::open(database, true);
    const auto source = openImportSource(accessTestFile, u"datetest"_s);
    Importer::Request request;
    request.pairs = accessPairs;
    const Importer::Result result = Importer::run(*db, *source, request);
    db->close();
    QCOMPARE(result.outcome, Importer::Outcome::Imported);
    QCOMPARE(result.records, 6);
    QVERIFY(result.keysKept);
    QCOMPARE(fileRows(database, u"SELECT group_concat(zelid || ' ' || dateorder || ' ' || "
                                u"dateexpect || ' ' || datereceive, ';') AS d FROM pvx"_s)
                 .first()
                 .value(u"d"_s)
                 .toString(),
             u"1 2021-12-02 2021-12-02 2021-12-02;2 9999-01-01 9999-01-01 9999-01-01;"
             u"3 1898-01-01 1899-01-01 1900-01-01;4 0632-01-01 0633-01-01 0634-01-01;"
             u"5 2021-12-02 2021-12-02 2021-12-02;6 2021-12-02 2021-12-02 2021-12-02"_s);
    const QList<QVariantMap> memos =
        fileRows(database, u"SELECT notes, descr FROM pvx WHERE zelid IN (5, 6) ORDER BY zelid"_s);
    QCOMPARE(memos.at(0).value(u"notes"_s), u"Escaped new line \\r\\n in field"_s);
    QCOMPARE(memos.at(1).value(u"notes"_s), u"New line\r\nin field"_s);
    QCOMPARE(memos.at(1).value(u"descr"_s), u"No new line"_s);
    QCOMPARE(digest(accessTestFile), sourceBefore);
}

void tst_Import::accessDates_data() {
    QTest::addColumn<double>("days");
    QTest::addColumn<QString>("stored"); // empty: refused

    QTest::newRow("the day itself") << 0.0 << u"1899-12-30"_s;
    QTest::newRow("a time alone is on day 0") << 0.5 << u"1899-12-30 12:00:00"_s;
    QTest::newRow("before 1899 the fraction is still the time")
        << -1.25 << u"1899-12-29 06:00:00"_s;
    QTest::newRow("rounded to the second")
        << 44532.0 + (14 * 3600 + 5 * 60) / 86400.0 << u"2021-12-02 14:05:00"_s;
    QTest::newRow("a hair before midnight is midnight")
        << 44532.0 + 0.9999999999 << u"2021-12-03"_s;
    QTest::newRow("the first day Access holds") << -657434.0 << u"0100-01-01"_s;
    QTest::newRow("the last second") << 2958465.0 + 86399.0 / 86400.0 << u"9999-12-31 23:59:59"_s;
    QTest::newRow("before the year 100") << -657435.5 << QString();
    QTest::newRow("after 9999") << 2958466.0 << QString();
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << QString();
}

void tst_Import::accessDates() {
    QFETCH(double, days);
    QFETCH(QString, stored);
    const FieldConversion::Result result = FieldConversion::fromAccessDate(days);
    if (stored.isEmpty()) {
        QCOMPARE(result.problem, u"a date outside the years 100 to 9999"_s);
        return;
    }
    QVERIFY(result.ok());
    const QVariant v = result.value;
    QCOMPARE(v.typeId() == QMetaType::QDate ? v.toDate().toString(u"yyyy-MM-dd"_s)
                                            : v.toDateTime().toString(u"yyyy-MM-dd HH:mm:ss"_s),
             stored);
}

void tst_Import::conversionInPlace() {
    const QString folder = m_dir->filePath(u"old"_s);
    QDir().mkpath(folder);
    const QString path = folder + u"/pvx.mdb"_s;
    QVERIFY(QFile::copy(accessTestFile, path));
    // A file kept from an earlier conversion keeps its name too.
    writeFile(folder + u"/pvx-access.mdb"_s, "earlier");
    const QByteArray old = digest(path);

    Importer::Request request;
    request.pairs = accessPairs;
    const AccessConversion::Result result = AccessConversion::run(path, request, u"DateTest"_s);
    QCOMPARE(result.outcome, AccessConversion::Result::Outcome::Converted);
    QCOMPARE(result.keptPath, folder + u"/pvx-access-2.mdb"_s);
    QCOMPARE(digest(result.keptPath), old);
    QCOMPARE(digest(folder + u"/pvx-access.mdb"_s),
             QCryptographicHash::hash("earlier", QCryptographicHash::Sha256));
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 3);
    auto db = Database::openReadOnly(path);
    QCOMPARE(Schema::check(*db), QStringList());
    QCOMPARE(db->scalar(u"SELECT count(*) FROM pvx"_s).toInt(), 6);
    QCOMPARE(db->scalar(u"SELECT count(*) FROM RptSpec"_s).toInt() > 0, true);
    db->close();

    // A refused conversion leaves the folder as it was.
    const QString second = m_dir->filePath(u"second"_s);
    QDir().mkpath(second);
    QVERIFY(QFile::copy(accessTestFile, second + u"/pvx.mdb"_s));
    request.pairs = {u"zelid=IDCol"_s, u"dateorder=ShortTextCol"_s};
    const AccessConversion::Result refused =
        AccessConversion::run(second + u"/pvx.mdb"_s, request, u"DateTest"_s);
    QCOMPARE(refused.outcome, AccessConversion::Result::Outcome::Refused);
    QCOMPARE(refused.import.problemCount, 6);
    QCOMPARE(QDir(second).entryList(QDir::Files), QStringList{u"pvx.mdb"_s});
    QCOMPARE(digest(second + u"/pvx.mdb"_s), old);
}

QTEST_GUILESS_MAIN(tst_Import)
#include "tst_Import.moc"

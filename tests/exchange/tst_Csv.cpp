// The CSV reader on what spreadsheets and hand-edited files hold, and the writer read back.
#include "exchange/CsvReader.h"
#include "exchange/CsvWriter.h"
#include "exchange/ImportSource.h"

#include <QBuffer>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

using Records = QList<QStringList>;

// The heading, then every record with its row number in front.
Records readAll(const QByteArray& bytes) {
    CsvReader reader(bytes);
    Records records{reader.heading()};
    QStringList fields;
    while (reader.next(fields))
        records << (QStringList{QString::number(reader.rowNumber())} + fields);
    return records;
}

} // namespace

class tst_Csv : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void reads_data();
    void reads();
    void refuses_data();
    void refuses();
    void writtenFieldsReadBack();
};

void tst_Csv::reads_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Records>("expected");

    const QStringList ab{u"a"_s, u"b"_s};
    QTest::newRow("plain, CR LF") << QByteArray("a,b\r\n1,2\r\n3,4\r\n")
                                  << Records{
                                         ab, {u"2"_s, u"1"_s, u"2"_s}, {u"3"_s, u"3"_s, u"4"_s}};
    QTest::newRow("no line end at the end")
        << QByteArray("a,b\n1,2") << Records{ab, {u"2"_s, u"1"_s, u"2"_s}};
    QTest::newRow("old Mac line ends")
        << QByteArray("a,b\r1,2\r") << Records{ab, {u"2"_s, u"1"_s, u"2"_s}};
    QTest::newRow("quotes around separators and doubled quotes")
        << QByteArray("a,b\n\"x, y\",\"say \"\"hi\"\"\"\n")
        << Records{ab, {u"2"_s, u"x, y"_s, u"say \"hi\""_s}};
    QTest::newRow("line breaks inside quotes keep the row count")
        << QByteArray("a,b\n\"one\r\ntwo\",\"3\nlines\nhere\"\nlast,row\n")
        << Records{
               ab, {u"2"_s, u"one\r\ntwo"_s, u"3\nlines\nhere"_s}, {u"3"_s, u"last"_s, u"row"_s}};
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF"
                                                   "a,b\n1,2\n")
                                     << Records{ab, {u"2"_s, u"1"_s, u"2"_s}};
    QTest::newRow("semicolons, decimal commas inside")
        << QByteArray("a;b\n1,50;\"x;y\"\n") << Records{ab, {u"2"_s, u"1,50"_s, u"x;y"_s}};
    QTest::newRow("comma wins a tie with semicolons")
        << QByteArray("a;x,b\n1;2,3\n") << Records{{u"a;x"_s, u"b"_s}, {u"2"_s, u"1;2"_s, u"3"_s}};
    QTest::newRow("blank lines are passed over but counted")
        << QByteArray("a,b\n\n1,2\r\n\r\n3,4\n")
        << Records{ab, {u"3"_s, u"1"_s, u"2"_s}, {u"5"_s, u"3"_s, u"4"_s}};
    QTest::newRow("empty fields and a quoted empty field")
        << QByteArray("a,b,c\n,,\n\"\",x,\n")
        << Records{{u"a"_s, u"b"_s, u"c"_s},
                   {u"2"_s, u""_s, u""_s, u""_s},
                   {u"3"_s, u""_s, u"x"_s, u""_s}};
    QTest::newRow("ragged rows come as they are")
        << QByteArray("a,b\n1\n1,2,3\n")
        << Records{ab, {u"2"_s, u"1"_s}, {u"3"_s, u"1"_s, u"2"_s, u"3"_s}};
    QTest::newRow("a quote inside an unquoted field is a character")
        << QByteArray("a,b\n5\" ruler,x\n") << Records{ab, {u"2"_s, u"5\" ruler"_s, u"x"_s}};
    QTest::newRow("UTF-8 text") << QByteArray("a,b\nCaf\xC3\xA9,\xE2\x82\xAC 5\n")
                                << Records{ab, {u"2"_s, u"Café"_s, u"€ 5"_s}};
    QTest::newRow("empty file") << QByteArray() << Records{{}};
    QTest::newRow("byte-order mark and blank lines only")
        << QByteArray("\xEF\xBB\xBF\r\n\r\n") << Records{{}};
}

void tst_Csv::reads() {
    QFETCH(QByteArray, bytes);
    QFETCH(Records, expected);
    QCOMPARE(readAll(bytes), expected);
}

void tst_Csv::refuses_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");

    QTest::newRow("quote never closed") << QByteArray("a,b\n1,2\n\"open,3\n4,5\n")
                                        << u"Row 3: a field opens with a quote that is never"_s;
    QTest::newRow("text after the closing quote")
        << QByteArray("a,b\n\"x\"y,2\n") << u"Row 2: a quoted field goes on after"_s;
    QTest::newRow("not UTF-8, on line 3")
        << QByteArray("a,b\n1,2\nCaf\xE9,3\n") << u"(line 3 holds something else)"_s;
    QTest::newRow("UTF-16") << QByteArray("\xFF\xFE"
                                          "a\0,\0b\0",
                                          8)
                            << u"UTF-16"_s;
}

void tst_Csv::refuses() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    try {
        readAll(bytes);
        QFAIL("read without complaint");
    } catch (const ImportError& error) {
        QVERIFY2(error.message().contains(message), qPrintable(error.message()));
    }
}

void tst_Csv::writtenFieldsReadBack() {
    const QStringList fields{u"plain"_s,        u""_s,          u"a, b"_s,          u"\"quoted\""_s,
                             u"two\r\nlines"_s, u"one\nline"_s, u" blanks kept "_s, u"Grüße ☺"_s,
                             u"=1+2"_s};
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CsvWriter writer(buffer);
    for (int i = 0; i < fields.size(); ++i)
        writer.field(u"h%1"_s.arg(i));
    writer.endRecord();
    for (const QString& field : fields)
        writer.field(field);
    writer.endRecord();
    QVERIFY(writer.flush());
    QVERIFY(buffer.data().endsWith("\r\n"));

    CsvReader reader(buffer.data());
    QCOMPARE(reader.heading().size(), fields.size());
    QStringList read;
    QVERIFY(reader.next(read));
    QCOMPARE(read, fields);
    QVERIFY(!reader.next(read));
}

QTEST_GUILESS_MAIN(tst_Csv)
#include "tst_Csv.moc"

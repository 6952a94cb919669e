#include "reports/TableFormat.h"

#include <QtTest>

#include <stdexcept>

using namespace Qt::StringLiterals;

using Columns = QList<TableColumn>;
Q_DECLARE_METATYPE(Columns)

class tst_TableFormat : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsTheLayoutsReportsWrite_data();
    void readsTheLayoutsReportsWrite();
    void refusesWhatIsNotALayout_data();
    void refusesWhatIsNotALayout();
    void readsTheSameInEveryLocale();
    void writesBackWhatItReads_data();
    void writesBackWhatItReads();
    void aMalformedLayoutInCodeThrows();
};

void tst_TableFormat::readsTheLayoutsReportsWrite_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<Columns>("columns");

    QTest::newRow("all orders")
        << u"2880|1440|720|1440|2880;"_s
        << Columns{{2880, false}, {1440, false}, {720, false}, {1440, false}, {2880, false}};
    QTest::newRow("rebates, money on the right")
        << u"2880|2880|1440|1440|>1440;"_s
        << Columns{{2880, false}, {2880, false}, {1440, false}, {1440, false}, {1440, true}};
    QTest::newRow("totals") << u"8640|>1440;"_s << Columns{{8640, false}, {1440, true}};
    QTest::newRow("one column") << u">1050;"_s << Columns{{1050, true}};
    QTest::newRow("centimetre widths keep their fraction")
        << u"842.4|>1123.2;"_s << Columns{{842.4, false}, {1123.2, true}};
    QTest::newRow("no closing semicolon") << u"720|>720"_s << Columns{{720, false}, {720, true}};
    QTest::newRow("explicit left") << u"<720|720;"_s << Columns{{720, false}, {720, false}};
    QTest::newRow("spaces around") << u" 720 | > 1440 ; "_s << Columns{{720, false}, {1440, true}};
    QTest::newRow("every field hidden") << u";"_s << Columns{};
    QTest::newRow("nothing at all") << QString() << Columns{};
}

void tst_TableFormat::readsTheLayoutsReportsWrite() {
    QFETCH(QString, text);
    QFETCH(Columns, columns);
    const std::optional<TableFormat> format = TableFormat::parse(text);
    QVERIFY(format);
    QCOMPARE(format->columns(), columns);
}

void tst_TableFormat::refusesWhatIsNotALayout_data() {
    QTest::addColumn<QString>("text");

    QTest::newRow("a row after the layout") << u"2880|1440;Description|Date;"_s;
    QTest::newRow("a title instead of a width") << u"Description|1440;"_s;
    QTest::newRow("an empty column") << u"2880||1440;"_s;
    QTest::newRow("a trailing separator") << u"2880|1440|;"_s;
    QTest::newRow("alignment without width") << u">;"_s;
    QTest::newRow("zero width") << u"0|1440;"_s;
    QTest::newRow("negative width") << u"-720;"_s;
    QTest::newRow("two points") << u"1.2.3;"_s;
    QTest::newRow("decimal comma") << u"842,4;"_s;
    QTest::newRow("grouped thousands") << u"1,440;"_s;
    QTest::newRow("centre mark") << u"^1440;"_s;
}

void tst_TableFormat::refusesWhatIsNotALayout() {
    QFETCH(QString, text);
    QString error;
    QVERIFY(!TableFormat::parse(text, &error));
    QVERIFY(!error.isEmpty());
}

void tst_TableFormat::readsTheSameInEveryLocale() {
    const QLocale saved;
    for (const QLocale::Language language : {QLocale::German, QLocale::French, QLocale::Swedish}) {
        QLocale::setDefault(QLocale(language));
        const std::optional<TableFormat> format = TableFormat::parse(u"842.4|>1440;"_s);
        QVERIFY(format);
        QCOMPARE(format->columns(), (Columns{{842.4, false}, {1440, true}}));
        QCOMPARE(format->toText(), u"842.4|>1440;"_s);
    }
    QLocale::setDefault(saved);
}

void tst_TableFormat::writesBackWhatItReads_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("width");

    QTest::newRow("overdue") << u"2880|2880|1050|1050|1050|>1050;"_s << 9960.0;
    QTest::newRow("fractions") << u"842.4|>1123.2;"_s << 1965.6;
    QTest::newRow("empty") << u";"_s << 0.0;
}

void tst_TableFormat::writesBackWhatItReads() {
    QFETCH(QString, text);
    QFETCH(double, width);
    const TableFormat format(text);
    QCOMPARE(format.toText(), text);
    QCOMPARE(format.totalWidth(), width);
    QCOMPARE(TableFormat(format.toText()), format);
}

void tst_TableFormat::aMalformedLayoutInCodeThrows() {
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, TableFormat(u"2880|x;"_s));
}

QTEST_GUILESS_MAIN(tst_TableFormat)
#include "tst_TableFormat.moc"

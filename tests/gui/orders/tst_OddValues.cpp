// Values the program's own forms never write, as other tools leave them in pvx.mdb: each is
// shown as stored, paged past, kept unchanged when another box is saved, printed in the
// built-in reports and deleted with its record, and none ends the program.
#include "gui/orders/frmMain.h"

#include "core/AppState.h"
#include "engine/Recordset.h"
#include "gui/dates/DateField.h"
#include "gui/reports/frmOutput.h"
#include "gui/reports/frmRptDate.h"
#include "gui/support/MainFormFixture.h"
#include "reports/PageDocument.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

QVariantMap record(const QString& descr, const QDate& ordered) {
    return {{u"descr"_s, descr},       {u"Type"_s, 0},
            {u"status"_s, 0},          {u"vendor"_s, u"Vendor"_s},
            {u"dateorder"_s, ordered}, {u"dateexpect"_s, QDate(2026, 2, 1)},
            {u"amount"_s, 12.5}};
}

} // namespace

class tst_OddValues : public QObject, public MainFormFixture {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void shownKeptPrintedAndDeleted_data();
    void shownKeptPrintedAndDeleted();

private:
    // Pages until the record of that description is shown; every record on the way is shown
    // without a message.
    bool pageTo(const QString& descr);
    QString shown(const QString& control) const;
    QStringList printedCells() const;
};

void tst_OddValues::init() {
    initFixture();
}

void tst_OddValues::cleanup() {
    cleanupFixture();
}

bool tst_OddValues::pageTo(const QString& descr) {
    click(form()->cmdFirst);
    for (int i = 0; i < 3; ++i) {
        if (form()->txtDescr->text() == descr)
            return true;
        click(form()->cmdNext);
    }
    return form()->txtDescr->text() == descr;
}

QString tst_OddValues::shown(const QString& name) const {
    QWidget* control = form()->findChild<QWidget*>(name);
    if (auto* field = qobject_cast<DateField*>(control))
        return field->text();
    if (auto* list = qobject_cast<QComboBox*>(control))
        return list->currentText();
    if (auto* box = qobject_cast<QLineEdit*>(control))
        return box->text();
    return u"<no control %1>"_s.arg(name);
}

QStringList tst_OddValues::printedCells() const {
    QStringList cells;
    for (frmOutput* out : form()->findChildren<frmOutput*>()) {
        const PageDocument& document = out->document();
        for (int page = 1; page <= document.pageCount(); ++page) {
            for (const PageLine& line : document.page(page).lines) {
                // A long figure may wrap within its column.
                for (const PageCell& cell : line.cells)
                    cells << cell.lines().join(QString());
            }
        }
    }
    return cells;
}

void tst_OddValues::shownKeptPrintedAndDeleted_data() {
    QTest::addColumn<QString>("column");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("shownText");
    // The stored value as the sqlite3 tool quotes it, before and after saving another box.
    QTest::addColumn<QString>("quoted");
    QTest::addColumn<QString>("printed"); // what the reports print for it; empty: not printed

    QTest::newRow("amount beyond the currency range")
        << u"amount"_s << QVariant(1e300) << u"txtAmount"_s << u"1e+300"_s << u"1.0e+300"_s
        << u"1e+300"_s;
    QTest::newRow("huge whole amount")
        << u"amount"_s << QVariant(qlonglong(4611686018427387904LL)) << u"txtAmount"_s
        << u"4611686018427387904"_s << u"4611686018427387904"_s << u"4611686018427387904"_s;
    QTest::newRow("text as the amount") << u"amount"_s << QVariant(u"abc"_s) << u"txtAmount"_s
                                        << u"abc"_s << u"'abc'"_s << u"abc"_s;
    QTest::newRow("text as the type")
        << u"Type"_s << QVariant(u"x"_s) << u"cmbType"_s << u"Order"_s << u"'x'"_s << QString();
    QTest::newRow("status the program never writes")
        << u"status"_s << QVariant(7) << u"cmbStatus"_s << u"No"_s << u"7"_s << QString();
    QTest::newRow("no such day") << u"dateorder"_s << QVariant(u"2021-13-45"_s) << u"dcDateOrder"_s
                                 << u"2021-13-45"_s << u"'2021-13-45'"_s << u"2021-13-45"_s;
    QTest::newRow("word as a date") << u"dateexpect"_s << QVariant(u"hello"_s) << u"dcDateExpect"_s
                                    << u"hello"_s << u"'hello'"_s << QString();
    QTest::newRow("zero date") << u"datereceive"_s << QVariant(u"0000-00-00"_s)
                               << u"dcDateReceive"_s << u"0000-00-00"_s << u"'0000-00-00'"_s
                               << QString();
    QTest::newRow("number as a date") << u"dateexpect"_s << QVariant(45000) << u"dcDateExpect"_s
                                      << u"45000"_s << u"45000"_s << QString();
}

void tst_OddValues::shownKeptPrintedAndDeleted() {
    QFETCH(QString, column);
    QFETCH(QVariant, stored);
    QFETCH(QString, control);
    QFETCH(QString, shownText);
    QFETCH(QString, quoted);
    QFETCH(QString, printed);
    QVariantMap odd = record(u"Odd"_s, QDate(2026, 2, 1));
    odd.insert(column, stored);
    load({record(u"Before"_s, QDate(2026, 3, 1)), odd, record(u"After"_s, QDate(2026, 1, 1))});

    // Shown as stored, and paged past.
    QVERIFY(pageTo(u"Odd"_s));
    QCOMPARE(shown(control), shownText);
    click(form()->cmdLast);
    click(form()->cmdFirst);
    QVERIFY(services().messages.isEmpty());
    QVERIFY(!services().ended);

    // Saving another box writes that box alone.
    QVERIFY(pageTo(u"Odd"_s));
    form()->txtVia->setFocus(Qt::MouseFocusReason);
    settle();
    QTest::keyClicks(form()->txtVia, u"Someone"_s);
    click(form()->cmdUpdate);
    QVERIFY(services().messages.isEmpty());
    QCOMPARE(shown(control), shownText);
    const auto storedNow = [&](const QString& sql) {
        return state().gDatabase->scalar(sql.arg(column)).toString();
    };
    QCOMPARE(storedNow(u"SELECT quote(%1) FROM pvx WHERE descr = 'Odd'"_s), quoted);
    QCOMPARE(storedNow(u"SELECT via FROM pvx WHERE descr = 'Odd'"_s), u"Someone"_s);

    // Every report runs; the outstanding list, which takes every date, prints the value.
    services().onModal = [](QDialog& dialog) {
        if (auto* dates = qobject_cast<frmRptDate*>(&dialog))
            dates->cmdOK->click();
    };
    for (int report = 1; report <= 5; ++report) {
        form()->mnuRpt_Click(report);
        QVERIFY(!services().ended);
        if (report == 4 && !printed.isEmpty())
            QVERIFY2(printedCells().contains(printed), qPrintable(printedCells().join(u'|')));
    }

    // And deleted like any other record.
    QVERIFY(pageTo(u"Odd"_s));
    services().answers = {MsgAnswer::Yes};
    click(form()->cmdDelete);
    QVERIFY(!services().ended);

    const auto rows = fileRows(u"SELECT descr FROM pvx ORDER BY descr"_s);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0][u"descr"_s].toString(), u"After"_s);
    QCOMPARE(rows[1][u"descr"_s].toString(), u"Before"_s);
}

QTEST_MAIN(tst_OddValues)
#include "tst_OddValues.moc"

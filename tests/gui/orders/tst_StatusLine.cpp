// The status line of the main form as the user sees it change: at start-up and after
// Update, Add Another and Delete; its overdue count opens the Overdue report.
#include "gui/dates/DateField.h"
#include "gui/reports/frmOutput.h"
#include "gui/support/MainFormFixture.h"
#include "reports/PageDocument.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>

using namespace Qt::StringLiterals;

class tst_StatusLine : public QObject, public MainFormFixture {
    Q_OBJECT

private Q_SLOTS:
    void init() { initFixture(); }
    void cleanup() { cleanupFixture(); }
    void countsFollowEveryChange();
    void nothingToCountSaysSo();
};

namespace {

// The clock of the fake services says 7 December 2026.
QVariantMap record(const QString& descr, const QDate& ordered, const QDate& expected, int status) {
    return {{u"descr"_s, descr},
            {u"Type"_s, 0},
            {u"status"_s, status},
            {u"dateorder"_s, ordered},
            {u"dateexpect"_s, expected}};
}

} // namespace

void tst_StatusLine::countsFollowEveryChange() {
    // Newest first on the form: Late, Received, Soon.
    load({record(u"Late"_s, QDate(2026, 11, 3), QDate(2026, 12, 1), 0),
          record(u"Received"_s, QDate(2026, 11, 2), QDate(2026, 12, 6), 2),
          record(u"Soon"_s, QDate(2026, 11, 1), QDate(2026, 12, 10), 1)});
    QVERIFY(form()->statusBar()->isVisible());
    QCOMPARE(form()->statusLineText(), u"1 overdue \u00b7 1 due within 7 days"_s);

    // Late is marked received, on the 6th, and saved.
    QCOMPARE(form()->txtDescr->text(), u"Late"_s);
    form()->cmbStatus->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(form()->cmbStatus, Qt::Key_End);
    form()->dcDateReceive->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(form()->dcDateReceive->lineEdit(), u"12/6/2026"_s);
    click(form()->cmdUpdate);
    QVERIFY2(services().messages.isEmpty(), qPrintable(services().messages.value(0).text));
    QCOMPARE(form()->statusLineText(), u"Nothing overdue \u00b7 1 due within 7 days"_s);

    // A new order expected yesterday, saved with Add Another.
    click(form()->cmdAddNew);
    QTest::keyClicks(form()->txtDescr, u"Forgotten"_s);
    form()->dcDateExpect->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(form()->dcDateExpect->lineEdit(), u"12/6/2026"_s);
    click(form()->cmdAddNew);
    QVERIFY2(services().messages.isEmpty(), qPrintable(services().messages.value(0).text));
    QCOMPARE(form()->statusLineText(), u"1 overdue \u00b7 1 due within 7 days"_s);
    click(form()->cmdCancel);

    // A click on the count opens the Overdue report with the one overdue item.
    QTest::mouseClick(form()->lblDue, Qt::LeftButton, {}, QPoint(4, form()->lblDue->height() / 2));
    const QList<frmOutput*> windows = form()->findChildren<frmOutput*>();
    QCOMPARE(windows.size(), 1);
    const PageDocument& report = windows.first()->document();
    QVERIFY(report.header().contains(u"OverDue"_s));
    QCOMPARE(report.page(1).lines.at(1).cells.at(0).text, u"Forgotten"_s);

    // Back on the form, the new record is deleted again and leaves the count.
    QTRY_VERIFY(windows.first()->isActiveWindow());
    form()->activateWindow();
    QTRY_VERIFY(form()->isActiveWindow());
    QCOMPARE(form()->txtDescr->text(), u"Forgotten"_s);
    services().answers.push_back(MsgAnswer::Yes);
    click(form()->cmdDelete);
    QCOMPARE(form()->statusLineText(), u"Nothing overdue \u00b7 1 due within 7 days"_s);
}

void tst_StatusLine::nothingToCountSaysSo() {
    load({});
    QCOMPARE(form()->statusLineText(), u"Nothing overdue"_s);
    QVERIFY(!form()->lblDue->text().contains(u"<a"_s));
}

QTEST_MAIN(tst_StatusLine)
#include "tst_StatusLine.moc"

#include "gui/reports/frmRptDate.h"

#include "core/AppState.h"
#include "gui/app/ElasticLayout.h"
#include "gui/dates/DateField.h"
#include "gui/help/HelpContext.h"
#include "gui/support/FakeServices.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

// The report date range dialog, shown and used as the user does.
class tst_frmRptDate : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void opensAsTheDesignSays();
    void tabOrder();
    void opensOnTheRememberedRange_data();
    void opensOnTheRememberedRange();
    void okStoresTheTypedDates_data();
    void okStoresTheTypedDates();
    void okRefusesWhatIsNoDate_data();
    void okRefusesWhatIsNoDate();
    void cancelKeepsTheRange();
    void closingLeavesTheResultToTheCaller();
    void leavingAClearedFieldSaysSo();

private:
    void open();
    void type(DateField* field, const QString& text);

    std::unique_ptr<AppState> m_state;
    std::unique_ptr<FakeServices> m_services;
    std::unique_ptr<frmRptDate> m_dialog;
};

void tst_frmRptDate::init() {
    m_state = std::make_unique<AppState>();
    m_services = std::make_unique<FakeServices>();
    m_state->gStartDate = QDate(2026, 1, 1);
    m_state->gEndDate = QDate(2026, 12, 7);
    m_state->gCancel = true;
}

void tst_frmRptDate::cleanup() {
    m_dialog.reset();
    m_services.reset();
    m_state.reset();
}

void tst_frmRptDate::open() {
    m_dialog = std::make_unique<frmRptDate>(*m_state, *m_services);
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
    m_dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_dialog.get()));
}

void tst_frmRptDate::type(DateField* field, const QString& text) {
    field->lineEdit()->selectAll();
    if (text.isEmpty())
        QTest::keyClick(field->lineEdit(), Qt::Key_Delete);
    else
        QTest::keyClicks(field->lineEdit(), text);
}

void tst_frmRptDate::opensAsTheDesignSays() {
    open();
    frmRptDate& d = *m_dialog;
    QCOMPARE(d.windowTitle(), u"Select Report Dates"_s);
    QCOMPARE(helpContext(&d), 38);
    QCOMPARE(d.elasticLayout()->designSize(), QSize(6495, 4635));
    const struct {
        QWidget* control;
        const char* name;
        QRect rect;
    } controls[] = {
        {d.Label7, "Label7", QRect(1800, 600, 2055, 255)},
        {d.dcStartDate, "dcStartDate", QRect(1800, 840, 2055, 315)},
        {d.Label9, "Label9", QRect(1800, 1680, 2055, 255)},
        {d.dcEndDate, "dcEndDate", QRect(1800, 1920, 2055, 315)},
        {d.cmdOK, "cmdOK", QRect(600, 3360, 1815, 495)},
        {d.cmdCancel, "cmdCancel", QRect(3600, 3360, 1815, 495)},
    };
    for (const auto& c : controls) {
        QCOMPARE(d.findChild<QWidget*>(QLatin1String(c.name)), c.control);
        QCOMPARE(d.elasticLayout()->designRect(c.control), c.rect);
        QCOMPARE(effectiveHelpContext(c.control), 38);
    }
    QCOMPARE(d.Label7->text(), u"Report Start Date"_s);
    QCOMPARE(d.Label9->text(), u"Report End Date"_s);
    // Each caption has room for its whole text at the size the dialog opens at.
    for (QLabel* label : {d.Label7, d.Label9})
        QVERIFY2(label->sizeHint().width() <= label->width(), qPrintable(label->text()));
    QCOMPARE(d.cmdOK->text(), u"&OK"_s);
    QCOMPARE(d.cmdCancel->text(), u"&Cancel"_s);

    // The calendar opens two field heights down and keeps its own caption; a blank is
    // no date here.
    for (DateField* field : {d.dcStartDate, d.dcEndDate}) {
        QVERIFY(field->isConfigured());
        QCOMPARE(field->settings().placement, DateField::PopupPlacement::BelowTwoHeights);
        QVERIFY(field->settings().popupCaption.isEmpty());
        QVERIFY(!field->settings().blankAllowed);
    }
    QCOMPARE(QApplication::focusWidget(), d.dcStartDate);
}

void tst_frmRptDate::tabOrder() {
    open();
    QWidget* expected[] = {m_dialog->dcEndDate, m_dialog->cmdOK, m_dialog->cmdCancel,
                           m_dialog->dcStartDate};
    for (QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTRY_VERIFY2(QApplication::focusWidget() == next ||
                         next->isAncestorOf(QApplication::focusWidget()),
                     qPrintable(next->objectName()));
    }
    QVERIFY(m_services->messages.isEmpty());
}

void tst_frmRptDate::opensOnTheRememberedRange_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::newRow("en_US") << u"en_US"_s << u"1/1/2026"_s << u"12/7/2026"_s;
    QTest::newRow("en_GB") << u"en_GB"_s << u"01/01/2026"_s << u"07/12/2026"_s;
    QTest::newRow("de_DE") << u"de_DE"_s << u"01.01.2026"_s << u"07.12.2026"_s;
    QTest::newRow("sv_SE") << u"sv_SE"_s << u"2026-01-01"_s << u"2026-12-07"_s;
}

void tst_frmRptDate::opensOnTheRememberedRange() {
    QFETCH(QString, locale);
    QFETCH(QString, start);
    QFETCH(QString, end);
    m_services->userLocale = QLocale(locale);
    open();
    QCOMPARE(m_dialog->dcStartDate->text(), start);
    QCOMPARE(m_dialog->dcEndDate->text(), end);
    // Loading is no answer yet.
    QVERIFY(m_state->gCancel);
}

void tst_frmRptDate::okStoresTheTypedDates_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QDate>("startDate");
    QTest::addColumn<QDate>("endDate");
    QTest::newRow("us") << u"en_US"_s << u"3/1/2024"_s << u"3/31/2024"_s << QDate(2024, 3, 1)
                        << QDate(2024, 3, 31);
    QTest::newRow("gb") << u"en_GB"_s << u"1/3/2024"_s << u"31/3/2024"_s << QDate(2024, 3, 1)
                        << QDate(2024, 3, 31);
    QTest::newRow("de two-digit year")
        << u"de_DE"_s << u"1.3.24"_s << u"31.3.24"_s << QDate(2024, 3, 1) << QDate(2024, 3, 31);
    QTest::newRow("one day") << u"en_US"_s << u"6/15/2025"_s << u"6/15/2025"_s << QDate(2025, 6, 15)
                             << QDate(2025, 6, 15);
    // The order of the two is not checked: such a range simply selects nothing.
    QTest::newRow("end before start") << u"en_US"_s << u"12/31/2025"_s << u"1/1/2025"_s
                                      << QDate(2025, 12, 31) << QDate(2025, 1, 1);
    QTest::newRow("with a time of day") << u"en_US"_s << u"3/1/2024 10:15"_s << u"3/31/2024"_s
                                        << QDate(2024, 3, 1) << QDate(2024, 3, 31);
}

void tst_frmRptDate::okStoresTheTypedDates() {
    QFETCH(QString, locale);
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(QDate, startDate);
    QFETCH(QDate, endDate);
    m_services->userLocale = QLocale(locale);
    open();
    type(m_dialog->dcStartDate, start);
    type(m_dialog->dcEndDate, end);
    QTest::mouseClick(m_dialog->cmdOK, Qt::LeftButton);

    QTRY_VERIFY(!m_dialog->isVisible());
    QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
    QVERIFY(m_services->messages.isEmpty());
    QVERIFY(!m_state->gCancel);
    QCOMPARE(m_state->gStartDate, startDate);
    QCOMPARE(m_state->gEndDate, endDate);
}

void tst_frmRptDate::okRefusesWhatIsNoDate_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("byEnter");
    const QString startMessage = u"You must enter a valid report start date."_s;
    const QString endMessage = u"You must enter a valid report end date."_s;
    QTest::newRow("start not a date")
        << u"soon"_s << u"3/31/2024"_s << startMessage << u"dcStartDate"_s << false;
    QTest::newRow("start blank") << QString() << u"3/31/2024"_s << startMessage << u"dcStartDate"_s
                                 << false;
    QTest::newRow("start blank, Enter")
        << QString() << u"3/31/2024"_s << startMessage << u"dcStartDate"_s << true;
    QTest::newRow("end has no such day")
        << u"3/1/2024"_s << u"2/30/2024"_s << endMessage << u"dcEndDate"_s << false;
    QTest::newRow("end without a year")
        << u"3/1/2024"_s << u"3/31"_s << endMessage << u"dcEndDate"_s << false;
    QTest::newRow("end wrong, Enter")
        << u"3/1/2024"_s << u"3/31"_s << endMessage << u"dcEndDate"_s << true;
    // One message for one press of OK: the start date is put right first.
    QTest::newRow("both wrong") << u"x"_s << u"y"_s << startMessage << u"dcStartDate"_s << false;
}

void tst_frmRptDate::okRefusesWhatIsNoDate() {
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(QString, message);
    QFETCH(QString, field);
    QFETCH(bool, byEnter);
    open();
    type(m_dialog->dcEndDate, end);
    type(m_dialog->dcStartDate, start);
    // A real message box runs its own event loop, in which whatever is queued runs.
    m_services->onMessage = [](const FakeServices::Message&) {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    };
    // Straight from the start field to OK, which takes the focus from it, or Enter in it;
    // the click's press and release arrive together.
    if (byEnter)
        QTest::keyClick(m_dialog->dcStartDate->lineEdit(), Qt::Key_Return);
    else
        QTest::mouseClick(m_dialog->cmdOK, Qt::LeftButton);
    QTest::qWait(20);

    QCOMPARE(m_services->messages.size(), 1);
    QCOMPARE(m_services->messages.first().text, message);
    QCOMPARE(m_services->messages.first().title, u"Purvex"_s);
    QCOMPARE(m_services->messages.first().buttons, MsgButtons::Ok);
    QVERIFY(m_dialog->isVisible());
    QVERIFY(m_state->gCancel);
    QCOMPARE(m_state->gStartDate, QDate(2026, 1, 1));
    QCOMPARE(m_state->gEndDate, QDate(2026, 12, 7));
    auto* refused = m_dialog->findChild<DateField*>(field);
    QTRY_VERIFY(refused->isAncestorOf(QApplication::focusWidget()) ||
                QApplication::focusWidget() == refused);

    // Put right, the same OK goes through.
    type(refused, field == u"dcStartDate"_s ? u"3/1/2024"_s : u"3/31/2024"_s);
    if (field == u"dcStartDate"_s && end != u"3/31/2024"_s)
        type(m_dialog->dcEndDate, u"3/31/2024"_s);
    m_dialog->cmdOK->click();
    QTRY_VERIFY(!m_dialog->isVisible());
    QVERIFY(!m_state->gCancel);
    QCOMPARE(m_state->gStartDate, QDate(2024, 3, 1));
    QCOMPARE(m_state->gEndDate, QDate(2024, 3, 31));
}

void tst_frmRptDate::cancelKeepsTheRange() {
    open();
    m_state->gCancel = false;
    type(m_dialog->dcStartDate, u"3/1/2024"_s);
    type(m_dialog->dcEndDate, u"3/31/2024"_s);
    QTest::mouseClick(m_dialog->cmdCancel, Qt::LeftButton);

    QTRY_VERIFY(!m_dialog->isVisible());
    QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
    QVERIFY(m_state->gCancel);
    QVERIFY(m_services->messages.isEmpty());
    QCOMPARE(m_state->gStartDate, QDate(2026, 1, 1));
    QCOMPARE(m_state->gEndDate, QDate(2026, 12, 7));
}

void tst_frmRptDate::closingLeavesTheResultToTheCaller() {
    open();
    type(m_dialog->dcStartDate, u"3/1/2024"_s);
    // The caller has set gCancel; closing the window neither clears nor sets it.
    m_state->gCancel = true;
    QTest::keyClick(m_dialog->dcStartDate->lineEdit(), Qt::Key_Escape);
    QTRY_VERIFY(!m_dialog->isVisible());
    QVERIFY(m_state->gCancel);
    QCOMPARE(m_state->gStartDate, QDate(2026, 1, 1));

    m_state->gCancel = true;
    open();
    m_dialog->close();
    QVERIFY(!m_dialog->isVisible());
    QVERIFY(m_state->gCancel);
    QCOMPARE(m_state->gEndDate, QDate(2026, 12, 7));
}

void tst_frmRptDate::leavingAClearedFieldSaysSo() {
    open();
    QTest::keyClick(m_dialog->dcStartDate, Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), m_dialog->dcEndDate);
    type(m_dialog->dcEndDate, QString());
    QTest::keyClick(m_dialog->dcEndDate, Qt::Key_Tab);
    QTRY_COMPARE(m_services->messages.size(), 1);
    QCOMPARE(m_services->messages.first().text, u"You must enter a valid report end date."_s);
    QTRY_VERIFY(m_dialog->dcEndDate->isAncestorOf(QApplication::focusWidget()) ||
                QApplication::focusWidget() == m_dialog->dcEndDate);
}

QTEST_MAIN(tst_frmRptDate)
#include "tst_frmRptDate.moc"

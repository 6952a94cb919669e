#include "core/AppState.h"
#include "dates/DateFormats.h"
#include "gui/app/ElasticLayout.h"
#include "gui/dates/frmDateEnt.h"
#include "gui/help/HelpContext.h"
#include "gui/support/FakeServices.h"

#include <QApplication>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

const QStringList calendarLocales{"en_US", "de_DE", "ja_JP", "kkj_CM"};

enum class Arrow { MonthDown, MonthUp, YearDown, YearUp };

} // namespace

Q_DECLARE_METATYPE(Arrow)

class tst_frmDateEnt : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void opensOnSelDate_data();
    void opensOnSelDate();
    void headingsAreTheLocalesDayNamesFromSunday_data();
    void headingsAreTheLocalesDayNamesFromSunday();
    void monthLayout_data();
    void monthLayout();
    void arrows_data();
    void arrows();
    void arrowsRepeatedWalkThroughTheYear();
    void clickOnADayStoresItAndCloses_data();
    void clickOnADayStoresItAndCloses();
    void clickInAYearBelow100KeepsThatYear();
    void clickOnAnEmptyCellDoesNothing_data();
    void clickOnAnEmptyCellDoesNothing();
    void closingAfterArrowsLeavesSelDate_data();
    void closingAfterArrowsLeavesSelDate();
    void monthAndYearBoxesHandTheFocusToTheGrid_data();
    void monthAndYearBoxesHandTheFocusToTheGrid();
    void keyboardMovesBetweenDaysAndEnterPicks();
    void keyboardStaysOffEmptyCells();
    void pageKeysMoveMonths();
    void windowLayoutAndHelp();

private:
    void open(const QString& localeName, const QDate& date);
    void showCalendar();
    void clickCell(int row, int column);
    void press(Arrow arrow);
    QString highlightedText() const;

    std::unique_ptr<AppState> m_state;
    std::unique_ptr<FakeServices> m_services;
    std::unique_ptr<frmDateEnt> m_form;
};

void tst_frmDateEnt::init() {
    m_state = std::make_unique<AppState>();
    m_services = std::make_unique<FakeServices>();
}

void tst_frmDateEnt::cleanup() {
    m_form.reset();
    m_services.reset();
    m_state.reset();
}

void tst_frmDateEnt::open(const QString& localeName, const QDate& date) {
    m_services->userLocale = QLocale(localeName);
    ChkDateFmt(*m_state, m_services->userLocale);
    m_state->gSelDate = QDateTime(date, QTime(0, 0));
    m_form = std::make_unique<frmDateEnt>(*m_state, *m_services);
}

void tst_frmDateEnt::showCalendar() {
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void tst_frmDateEnt::clickCell(int row, int column) {
    DayGrid* grid = m_form->Grid1;
    const QRect cell = grid->visualRect(grid->model()->index(row, column));
    QVERIFY(grid->viewport()->rect().contains(cell));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

void tst_frmDateEnt::press(Arrow arrow) {
    SpinButton* spin =
        (arrow == Arrow::MonthDown || arrow == Arrow::MonthUp) ? m_form->Spin1 : m_form->Spin2;
    const bool down = arrow == Arrow::MonthDown || arrow == Arrow::YearDown;
    QTest::mouseClick(down ? spin->downButton() : spin->upButton(), Qt::LeftButton);
}

QString tst_frmDateEnt::highlightedText() const {
    const QList<QTableWidgetItem*> selected = m_form->Grid1->selectedItems();
    if (selected.size() != 1)
        return QStringLiteral("(%1 cells selected)").arg(selected.size());
    if (m_form->Grid1->currentItem() != selected.first())
        return QStringLiteral("(current cell is not the highlighted one)");
    return selected.first()->text();
}

void tst_frmDateEnt::opensOnSelDate_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("monthName");
    for (const auto& [locale, march] :
         {std::pair{"en_US", "March"}, std::pair{"de_DE", "März"}, std::pair{"ja_JP", "3月"}})
        QTest::newRow(locale) << QString(locale) << QString(march);
}

void tst_frmDateEnt::opensOnSelDate() {
    QFETCH(QString, locale);
    QFETCH(QString, monthName);
    m_services->userLocale = QLocale(locale);
    ChkDateFmt(*m_state, m_services->userLocale);
    // A time of day in gSelDate (the field hands over "now") does not matter.
    m_state->gSelDate = QDateTime(QDate(1999, 3, 10), QTime(17, 45));
    m_form = std::make_unique<frmDateEnt>(*m_state, *m_services);

    QCOMPARE(m_form->shownDate(), QDate(1999, 3, 10));
    QCOMPARE(m_form->shownMonth(), 3);
    QCOMPARE(m_form->shownYear(), 1999);
    QCOMPARE(m_form->txtMonth->text(), monthName);
    QCOMPARE(m_form->txtYear->text(), QString("1999"));
    QCOMPARE(m_form->monthNames().size(), 12);
    QCOMPARE(m_form->monthNames().at(2), monthName);
    // 10 March 1999 was a Wednesday in the second week.
    QCOMPARE(m_form->cellText(2, 3), QString("10"));
    QCOMPARE(highlightedText(), QString("10"));
    QCOMPARE(m_form->Grid1->highlightedRow(), 2);
    QCOMPARE(m_form->Grid1->highlightedColumn(), 3);
    QCOMPARE(m_form->windowTitle(), QString("Select Date"));
}

void tst_frmDateEnt::headingsAreTheLocalesDayNamesFromSunday_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("headings");
    QTest::newRow("en_US") << "en_US" << QStringList{" Sun ", " Mon ", " Tue ", " Wed ",
                                                     " Thu ", " Fri ", " Sat "};
    // German weeks start on Monday; the grid still starts on Sunday.
    QTest::newRow("de_DE") << "de_DE" << QStringList{" So. ", " Mo. ", " Di. ", " Mi. ",
                                                     " Do. ", " Fr. ", " Sa. "};
    QTest::newRow("ja_JP") << "ja_JP"
                           << QStringList{" 日 ", " 月 ", " 火 ", " 水 ", " 木 ", " 金 ", " 土 "};
}

void tst_frmDateEnt::headingsAreTheLocalesDayNamesFromSunday() {
    QFETCH(QString, locale);
    QFETCH(QStringList, headings);
    open(locale, QDate(2000, 1, 1));
    for (int column = 0; column < 7; ++column)
        QCOMPARE(m_form->cellText(0, column), headings.at(column));
}

void tst_frmDateEnt::monthLayout_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("firstColumn");
    QTest::addColumn<int>("lastDay");
    QTest::addColumn<int>("lastRow");
    QTest::addColumn<int>("lastColumn");

    struct Month {
        const char* name;
        QDate date;
        int firstColumn, lastDay, lastRow, lastColumn;
    };
    const Month months[] = {
        // Starts on a Saturday with 31 days: the only shape that reaches row 6.
        {"January 2000", QDate(2000, 1, 20), 6, 31, 6, 1},
        {"February 2000, leap year", QDate(2000, 2, 29), 2, 29, 5, 2},
        {"February 1999", QDate(1999, 2, 14), 1, 28, 5, 0},
        // Starts on a Sunday with 28 days: four full rows, rows 5 and 6 empty.
        {"February 2015", QDate(2015, 2, 1), 0, 28, 4, 6},
        {"April 1999, 30 days", QDate(1999, 4, 30), 4, 30, 5, 5},
        {"December 9999", QDate(9999, 12, 31), 3, 31, 5, 5},
        {"February 1900, no leap year", QDate(1900, 2, 10), 4, 28, 5, 3},
    };
    for (const QString& locale : calendarLocales) {
        for (const Month& m : months)
            QTest::addRow("%s: %s", qPrintable(locale), m.name)
                << locale << m.date << m.firstColumn << m.lastDay << m.lastRow << m.lastColumn;
    }
}

void tst_frmDateEnt::monthLayout() {
    QFETCH(QString, locale);
    QFETCH(QDate, date);
    QFETCH(int, firstColumn);
    QFETCH(int, lastDay);
    QFETCH(int, lastRow);
    QFETCH(int, lastColumn);
    open(locale, date);

    QCOMPARE(m_form->cellText(1, firstColumn), QString("1"));
    QCOMPARE(m_form->cellText(lastRow, lastColumn), QString::number(lastDay));
    // Reading the grid row by row gives blanks, then 1 to the last day without a gap, then
    // blanks again.
    QStringList cells;
    for (int row = 1; row <= 6; ++row) {
        for (int column = 0; column < 7; ++column)
            cells << m_form->cellText(row, column);
    }
    for (int i = 0; i < cells.size(); ++i) {
        const int day = i - firstColumn + 1;
        const QString expected = (day >= 1 && day <= lastDay) ? QString::number(day) : QString();
        QCOMPARE(cells.at(i), expected);
    }
    QCOMPARE(highlightedText(), QString::number(date.day()));
}

void tst_frmDateEnt::arrows_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<Arrow>("arrow");
    QTest::addColumn<QDate>("expected");
    QTest::addColumn<int>("beeps");

    struct Case {
        const char* name;
        QDate from;
        Arrow arrow;
        QDate expected;
        int beeps;
    };
    const Case cases[] = {
        {"31 Jan 1999, next month", QDate(1999, 1, 31), Arrow::MonthUp, QDate(1999, 2, 1), 0},
        {"31 Mar 1999, previous month", QDate(1999, 3, 31), Arrow::MonthDown, QDate(1999, 2, 1), 0},
        {"31 May 1999, previous month", QDate(1999, 5, 31), Arrow::MonthDown, QDate(1999, 4, 1), 0},
        {"29 Feb 2000, next year", QDate(2000, 2, 29), Arrow::YearUp, QDate(2001, 2, 1), 0},
        {"29 Feb 2000, previous year", QDate(2000, 2, 29), Arrow::YearDown, QDate(1999, 2, 1), 0},
        {"29 Feb 1996, four years on", QDate(1996, 2, 29), Arrow::YearUp, QDate(1997, 2, 1), 0},
        {"15 Dec 1999, next month", QDate(1999, 12, 15), Arrow::MonthUp, QDate(2000, 1, 15), 0},
        {"15 Jan 2000, previous month", QDate(2000, 1, 15), Arrow::MonthDown, QDate(1999, 12, 15),
         0},
        {"10 Mar 1999, next year", QDate(1999, 3, 10), Arrow::YearUp, QDate(2000, 3, 10), 0},
        {"December 9999, next month", QDate(9999, 12, 10), Arrow::MonthUp, QDate(9999, 12, 10), 1},
        {"9999, next year", QDate(9999, 6, 10), Arrow::YearUp, QDate(9999, 6, 10), 1},
        {"November 9999, next month", QDate(9999, 11, 30), Arrow::MonthUp, QDate(9999, 12, 30), 0},
        {"9998, next year", QDate(9998, 12, 31), Arrow::YearUp, QDate(9999, 12, 31), 0},
        {"December 9999, previous year", QDate(9999, 12, 31), Arrow::YearDown, QDate(9998, 12, 31),
         0},
        {"January 100, previous month", QDate(100, 1, 5), Arrow::MonthDown, QDate(100, 1, 5), 1},
        {"100, previous year", QDate(100, 7, 5), Arrow::YearDown, QDate(100, 7, 5), 1},
        {"101, previous year", QDate(101, 7, 5), Arrow::YearDown, QDate(100, 7, 5), 0},
    };
    for (const QString& locale : calendarLocales) {
        for (const Case& c : cases)
            QTest::addRow("%s: %s", qPrintable(locale), c.name)
                << locale << c.from << c.arrow << c.expected << c.beeps;
    }
}

void tst_frmDateEnt::arrows() {
    QFETCH(QString, locale);
    QFETCH(QDate, from);
    QFETCH(Arrow, arrow);
    QFETCH(QDate, expected);
    QFETCH(int, beeps);
    open(locale, from);
    showCalendar();

    press(arrow);

    QCOMPARE(m_services->beeps, beeps);
    QCOMPARE(m_form->shownDate(), expected);
    QCOMPARE(m_form->shownMonth(), expected.month());
    QCOMPARE(m_form->shownYear(), expected.year());
    QCOMPARE(m_form->txtMonth->text(),
             m_services->userLocale.standaloneMonthName(expected.month()));
    QCOMPARE(m_form->txtYear->text(), QString::number(expected.year()));
    // The highlight follows the day carried over (or 1), not the day the window opened on.
    QCOMPARE(highlightedText(), QString::number(expected.day()));
    // Only a day click hands a date back.
    QCOMPARE(m_state->gSelDate, QDateTime(from, QTime(0, 0)));
    QVERIFY(m_form->isVisible());
}

void tst_frmDateEnt::arrowsRepeatedWalkThroughTheYear() {
    open("de_DE", QDate(1999, 1, 31));
    showCalendar();
    const QList<QDate> forwards = {QDate(1999, 2, 1), QDate(1999, 3, 1), QDate(1999, 4, 1)};
    for (const QDate& date : forwards) {
        press(Arrow::MonthUp);
        QCOMPARE(m_form->shownDate(), date);
        // March has a 31st, but the day carried over is the 1st.
        QCOMPARE(highlightedText(), QString("1"));
    }
    press(Arrow::YearUp);
    press(Arrow::YearUp);
    QCOMPARE(m_form->shownDate(), QDate(2001, 4, 1));
    for (int i = 0; i < 4; ++i)
        press(Arrow::MonthDown);
    QCOMPARE(m_form->shownDate(), QDate(2000, 12, 1));
    QCOMPARE(m_services->beeps, 0);
}

void tst_frmDateEnt::clickOnADayStoresItAndCloses_data() {
    QTest::addColumn<QString>("locale");
    for (const QString& locale : calendarLocales)
        QTest::newRow(qPrintable(locale)) << locale;
}

void tst_frmDateEnt::clickOnADayStoresItAndCloses() {
    QFETCH(QString, locale);
    open(locale, QDate(1999, 3, 10));
    showCalendar();
    press(Arrow::MonthUp);
    // 1 April 1999 was a Thursday; the 22nd is in row 4, column 4.
    QCOMPARE(m_form->cellText(4, 4), QString("22"));

    clickCell(4, 4);

    QCOMPARE(m_state->gSelDate, QDateTime(QDate(1999, 4, 22), QTime(0, 0)));
    QCOMPARE(m_form->result(), int(QDialog::Accepted));
    QVERIFY(!m_form->isVisible());
}

void tst_frmDateEnt::clickInAYearBelow100KeepsThatYear() {
    // A year typed with three or four digits opens the calendar there; its two-digit text
    // must not turn into a year of this century on the way back.
    open("en_US", QDate(50, 3, 10));
    showCalendar();
    QCOMPARE(m_form->txtYear->text(), QString("50"));
    for (int row = 1; row <= 6; ++row) {
        for (int column = 0; column < 7; ++column) {
            if (m_form->cellText(row, column) == "20")
                clickCell(row, column);
        }
    }
    QCOMPARE(m_state->gSelDate.date(), QDate(50, 3, 20));
}

void tst_frmDateEnt::clickOnAnEmptyCellDoesNothing_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    for (const QString& locale : calendarLocales) {
        // January 2000 fills row 1 only from column 6 and row 6 only up to column 1.
        QTest::addRow("%s: row 1", qPrintable(locale)) << locale << 1 << 0;
        QTest::addRow("%s: row 1 next to day 1", qPrintable(locale)) << locale << 1 << 5;
        QTest::addRow("%s: row 6", qPrintable(locale)) << locale << 6 << 6;
        QTest::addRow("%s: heading", qPrintable(locale)) << locale << 0 << 3;
    }
}

void tst_frmDateEnt::clickOnAnEmptyCellDoesNothing() {
    QFETCH(QString, locale);
    QFETCH(int, row);
    QFETCH(int, column);
    open(locale, QDate(2000, 1, 12));
    showCalendar();

    clickCell(row, column);

    QVERIFY(m_form->isVisible());
    QCOMPARE(m_form->result(), 0);
    QCOMPARE(m_state->gSelDate, QDateTime(QDate(2000, 1, 12), QTime(0, 0)));
    QCOMPARE(highlightedText(), QString("12"));
    QCOMPARE(m_form->shownDate(), QDate(2000, 1, 12));
}

void tst_frmDateEnt::closingAfterArrowsLeavesSelDate_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("escape");
    for (const QString& locale : calendarLocales) {
        QTest::addRow("%s: close button", qPrintable(locale)) << locale << false;
        QTest::addRow("%s: Escape", qPrintable(locale)) << locale << true;
    }
}

void tst_frmDateEnt::closingAfterArrowsLeavesSelDate() {
    QFETCH(QString, locale);
    QFETCH(bool, escape);
    open(locale, QDate(1999, 3, 10));
    showCalendar();
    press(Arrow::MonthUp);
    press(Arrow::MonthUp);
    QCOMPARE(m_form->shownDate(), QDate(1999, 5, 10));
    QCOMPARE(m_form->txtMonth->text(), m_services->userLocale.standaloneMonthName(5));

    if (escape)
        QTest::keyClick(m_form->Grid1, Qt::Key_Escape);
    else
        QVERIFY(m_form->close());

    QVERIFY(!m_form->isVisible());
    QCOMPARE(m_form->result(), int(QDialog::Rejected));
    QCOMPARE(m_state->gSelDate, QDateTime(QDate(1999, 3, 10), QTime(0, 0)));
}

void tst_frmDateEnt::monthAndYearBoxesHandTheFocusToTheGrid_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Tab") << "tab";
    QTest::newRow("Shift+Tab") << "backtab";
    QTest::newRow("click on the month") << "click month";
    QTest::newRow("click on the year") << "click year";
}

void tst_frmDateEnt::monthAndYearBoxesHandTheFocusToTheGrid() {
    QFETCH(QString, how);
    open("en_US", QDate(1999, 3, 10));
    showCalendar();
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    QTRY_COMPARE(QApplication::focusWidget(), m_form->Grid1);
    QVERIFY(m_form->txtMonth->isReadOnly());
    QVERIFY(m_form->txtYear->isReadOnly());

    if (how == "tab")
        QTest::keyClick(m_form->Grid1, Qt::Key_Tab);
    else if (how == "backtab")
        QTest::keyClick(m_form->Grid1, Qt::Key_Backtab, Qt::ShiftModifier);
    else if (how == "click month")
        QTest::mouseClick(m_form->txtMonth, Qt::LeftButton);
    else
        QTest::mouseClick(m_form->txtYear, Qt::LeftButton);

    QCOMPARE(QApplication::focusWidget(), m_form->Grid1);
    // Typing afterwards reaches neither box.
    QTest::keyClicks(QApplication::focusWidget(), "1234");
    QCOMPARE(m_form->txtMonth->text(), QString("March"));
    QCOMPARE(m_form->txtYear->text(), QString("1999"));
    QCOMPARE(highlightedText(), QString("10"));
}

void tst_frmDateEnt::keyboardMovesBetweenDaysAndEnterPicks() {
    open("de_DE", QDate(1999, 3, 10));
    showCalendar();
    DayGrid* grid = m_form->Grid1;
    grid->setFocus();

    QTest::keyClick(grid, Qt::Key_Right);
    QCOMPARE(highlightedText(), QString("11"));
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(highlightedText(), QString("18"));
    QTest::keyClick(grid, Qt::Key_Left);
    QTest::keyClick(grid, Qt::Key_Left);
    QCOMPARE(highlightedText(), QString("16"));
    QTest::keyClick(grid, Qt::Key_Up);
    QCOMPARE(highlightedText(), QString("9"));
    // Moving the highlight is no choice yet.
    QVERIFY(m_form->isVisible());
    QCOMPARE(m_state->gSelDate.date(), QDate(1999, 3, 10));

    QTest::keyClick(grid, Qt::Key_Return);
    QCOMPARE(m_state->gSelDate, QDateTime(QDate(1999, 3, 9), QTime(0, 0)));
    QCOMPARE(m_form->result(), int(QDialog::Accepted));
}

void tst_frmDateEnt::keyboardStaysOffEmptyCells() {
    // January 2000: day 1 alone in row 1, column 6; day 31 alone in row 6, column 1.
    open("en_US", QDate(2000, 1, 1));
    showCalendar();
    DayGrid* grid = m_form->Grid1;
    QTest::keyClick(grid, Qt::Key_Left);
    QTest::keyClick(grid, Qt::Key_Up);
    QCOMPARE(highlightedText(), QString("1"));
    QTest::keyClick(grid, Qt::Key_Right);
    QCOMPARE(highlightedText(), QString("2"));
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(highlightedText(), QString("30"));
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(highlightedText(), QString("30"));
    QTest::keyClick(grid, Qt::Key_Right);
    QTest::keyClick(grid, Qt::Key_Right);
    QCOMPARE(highlightedText(), QString("31"));
    QTest::keyClick(grid, Qt::Key_Enter);
    QCOMPARE(m_state->gSelDate.date(), QDate(2000, 1, 31));
}

void tst_frmDateEnt::pageKeysMoveMonths() {
    open("ja_JP", QDate(1999, 12, 15));
    showCalendar();
    QTest::keyClick(m_form->Grid1, Qt::Key_PageDown);
    QCOMPARE(m_form->shownDate(), QDate(2000, 1, 15));
    QTest::keyClick(m_form->Grid1, Qt::Key_PageUp);
    QTest::keyClick(m_form->Grid1, Qt::Key_PageUp);
    QCOMPARE(m_form->shownDate(), QDate(1999, 11, 15));
    QCOMPARE(m_form->txtMonth->text(), QString("11月"));
    QVERIFY(m_form->isVisible());

    // Paging starts from the day the arrow keys moved to, as Enter would pick it.
    QTest::keyClick(m_form->Grid1, Qt::Key_Right);
    QTest::keyClick(m_form->Grid1, Qt::Key_Down);
    QCOMPARE(highlightedText(), QString("23"));
    QTest::keyClick(m_form->Grid1, Qt::Key_PageDown);
    QCOMPARE(m_form->shownDate(), QDate(1999, 12, 23));
    QCOMPARE(highlightedText(), QString("23"));
}

void tst_frmDateEnt::windowLayoutAndHelp() {
    open("en_US", QDate(2000, 1, 1));
    showCalendar();
    ElasticLayout* layout = m_form->elasticLayout();
    QCOMPARE(layout->designSize(), QSize(4215, 2340));
    QCOMPARE(m_form->size(), layout->openingSize());
    QCOMPARE(layout->designRect(m_form->Grid1), QRect(120, 540, 4020, 1710));
    QCOMPARE(layout->designRect(m_form->Spin2), QRect(3765, 135, 345, 285));

    for (QObject* control : std::initializer_list<QObject*>{
             m_form.get(), m_form->txtMonth, m_form->Spin1, m_form->txtYear, m_form->Spin2,
             m_form->Grid1, m_form->Spin1->upButton(), m_form->Grid1->viewport()})
        QCOMPARE(effectiveHelpContext(control), 20);
    for (const char* name : {"txtMonth", "Spin1", "txtYear", "Spin2", "Grid1"})
        QVERIFY2(m_form->findChild<QWidget*>(name), name);

    // Every cell is on view at the opening size and when the window is made larger.
    for (const QSize& size : {m_form->size(), m_form->size() * 2}) {
        m_form->resize(size);
        QTRY_COMPARE(layout->size(), size);
        const QRect viewport = m_form->Grid1->viewport()->rect();
        for (int row = 0; row < 7; ++row) {
            for (int column = 0; column < 7; ++column) {
                const QRect cell =
                    m_form->Grid1->visualRect(m_form->Grid1->model()->index(row, column));
                QVERIFY(!cell.isEmpty());
                QVERIFY(viewport.contains(cell));
            }
        }
    }
}

QTEST_MAIN(tst_frmDateEnt)
#include "tst_frmDateEnt.moc"

#include "core/AppState.h"
#include "dates/DateFormats.h"
#include "gui/dates/DateField.h"
#include "gui/dates/frmDateEnt.h"
#include "gui/support/FakeServices.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(DateField::PopupPlacement)

namespace {

const QString dueDateMessage = "You must enter a valid due date, or leave the field blank.";
const QString startDateMessage = "You must enter a valid report start date.";

} // namespace

class tst_DateField : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void typingRaisesTextChanged();
    void setTextRaisesTextChanged();
    void returnAddsNothingToTheList();
    void dropDownButtonAsksForTheCalendar_data();
    void dropDownButtonAsksForTheCalendar();

    void everyWayOfDroppingDownOpensTheCalendar_data();
    void everyWayOfDroppingDownOpensTheCalendar();
    void dropDownOnAnEmptyFieldFillsInNow_data();
    void dropDownOnAnEmptyFieldFillsInNow();
    void dropDownRewritesTheTypedDateInShortForm_data();
    void dropDownRewritesTheTypedDateInShortForm();
    void choosingADayMovesOnWithoutAMessage();
    void calendarCaption_data();
    void calendarCaption();
    void calendarOpensBelowTheFieldAndStaysOnScreen();
    void popupPosition_data();
    void popupPosition();

    void leavingWithAnInvalidDateKeepsTheFocus_data();
    void leavingWithAnInvalidDateKeepsTheFocus();
    void everyAttemptToLeaveShowsTheMessageOnce();
    void validTextIsAcceptedAsTyped_data();
    void validTextIsAcceptedAsTyped();
    void clearingIsAcceptedWhereBlankIsAllowed();
    void blankIsRefusedWhereItIsNotAllowed_data();
    void blankIsRefusedWhereItIsNotAllowed();
    void invalidTextKeepsWhatWasStored();
    void twoRefusingFieldsDoNotBounceTheFocus();
    void aMessageBoxTakingTheFocusIsNoAttemptToLeave_data();
    void aMessageBoxTakingTheFocusIsNoAttemptToLeave();
    void checkEntryForAFormsOk();
    void aFieldDisabledWhileFocusedIsNotChecked();

private:
    // A window holding a text box, the fields and another text box, in that tab order.
    void build(const QList<DateField::Settings>& settings, const QString& locale = "en_US");
    void showWindow();
    void activateWindow();
    // Lets the queued leave checks run.
    void settle();
    DateField::Settings dueDate();
    DateField::Settings reportStart();
    QWidget* focus() const { return QApplication::focusWidget(); }

    std::unique_ptr<AppState> m_state;
    std::unique_ptr<FakeServices> m_services;
    std::unique_ptr<QWidget> m_window;
    QLineEdit* m_before = nullptr;
    QList<DateField*> m_fields;
    QLineEdit* m_after = nullptr;
    // What the fields' valid-entry callback received: the date, or an invalid QDate for
    // blank, with the field's objectName.
    QList<std::pair<QString, QDate>> m_accepted;
};

void tst_DateField::init() {
    m_state = std::make_unique<AppState>();
    m_services = std::make_unique<FakeServices>();
    m_accepted.clear();
}

void tst_DateField::cleanup() {
    m_window.reset();
    m_fields.clear();
    m_services.reset();
    m_state.reset();
}

DateField::Settings tst_DateField::dueDate() {
    return {.popupCaption = "Select Due Date",
            .placement = DateField::PopupPlacement::BelowThreeHeights,
            .blankAllowed = true,
            .invalidMessage = dueDateMessage,
            .onValidEntry = {}};
}

DateField::Settings tst_DateField::reportStart() {
    return {.popupCaption = {},
            .placement = DateField::PopupPlacement::BelowTwoHeights,
            .blankAllowed = false,
            .invalidMessage = startDateMessage,
            .onValidEntry = {}};
}

void tst_DateField::build(const QList<DateField::Settings>& settings, const QString& locale) {
    m_services->userLocale = QLocale(locale);
    ChkDateFmt(*m_state, m_services->userLocale);
    m_window = std::make_unique<QWidget>();
    m_window->setWindowTitle("form");
    auto* box = new QVBoxLayout(m_window.get());
    m_before = new QLineEdit(m_window.get());
    m_before->setObjectName("before");
    box->addWidget(m_before);
    m_fields.clear();
    for (int i = 0; i < settings.size(); ++i) {
        auto* field = new DateField(m_window.get());
        const QString name = QString("dc%1").arg(i + 1);
        field->setObjectName(name);
        DateField::Settings s = settings.at(i);
        if (!s.onValidEntry) {
            s.onValidEntry = [this, name](const std::optional<DateValue>& value) {
                m_accepted.append({name, value ? value->date : QDate()});
            };
        }
        field->configure(*m_state, *m_services, s);
        box->addWidget(field);
        m_fields << field;
    }
    m_after = new QLineEdit(m_window.get());
    m_after->setObjectName("after");
    box->addWidget(m_after);
}

void tst_DateField::showWindow() {
    m_window->move(m_window->screen()->availableGeometry().topLeft());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    activateWindow();
}

void tst_DateField::activateWindow() {
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void tst_DateField::settle() {
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

void tst_DateField::typingRaisesTextChanged() {
    DateField field;
    field.show();
    QVERIFY(QTest::qWaitForWindowExposed(&field));
    QSignalSpy changed(&field, &DateField::textChanged);

    QTest::keyClicks(field.lineEdit(), "5/30/98");
    QCOMPARE(changed.size(), 7);
    QCOMPARE(changed.last().at(0).toString(), QString("5/30/98"));
    QCOMPARE(field.text(), QString("5/30/98"));

    QTest::keyClick(field.lineEdit(), Qt::Key_Backspace);
    QCOMPARE(changed.size(), 8);
    QCOMPARE(field.text(), QString("5/30/9"));
}

void tst_DateField::setTextRaisesTextChanged() {
    DateField field;
    QSignalSpy changed(&field, &DateField::textChanged);
    field.setText("30.05.1998");
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.last().at(0).toString(), QString("30.05.1998"));
    QCOMPARE(field.text(), QString("30.05.1998"));
    QCOMPARE(field.lineEdit()->text(), QString("30.05.1998"));

    field.setText("");
    QCOMPARE(changed.size(), 2);
    QVERIFY(field.text().isEmpty());
}

void tst_DateField::returnAddsNothingToTheList() {
    DateField field;
    field.show();
    QVERIFY(QTest::qWaitForWindowExposed(&field));
    QTest::keyClicks(field.lineEdit(), "1/2/2000");
    QTest::keyClick(field.lineEdit(), Qt::Key_Return);
    QCOMPARE(field.count(), 0);
    QCOMPARE(field.text(), QString("1/2/2000"));
}

void tst_DateField::dropDownButtonAsksForTheCalendar_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("showPopup") << "showPopup";
    QTest::newRow("arrow clicked") << "click";
    QTest::newRow("Alt+Down") << "alt+down";
    QTest::newRow("F4") << "f4";
}

void tst_DateField::dropDownButtonAsksForTheCalendar() {
    QFETCH(QString, how);
    DateField field;
    field.resize(160, field.sizeHint().height());
    field.show();
    QVERIFY(QTest::qWaitForWindowExposed(&field));
    field.setFocus();
    field.setText("5/30/1998");
    QSignalSpy dropDown(&field, &DateField::dropDown);

    if (how == "showPopup")
        field.showPopup();
    else if (how == "click")
        QTest::mouseClick(&field, Qt::LeftButton, {},
                          QPoint(field.width() - 6, field.height() / 2));
    else if (how == "alt+down")
        QTest::keyClick(field.lineEdit(), Qt::Key_Down, Qt::AltModifier);
    else
        QTest::keyClick(field.lineEdit(), Qt::Key_F4);

    QCOMPARE(dropDown.size(), 1);
    QVERIFY(!field.view()->isVisible());
    QCOMPARE(QApplication::activePopupWidget(), nullptr);
    QCOMPARE(field.text(), QString("5/30/1998"));
}

void tst_DateField::everyWayOfDroppingDownOpensTheCalendar_data() {
    dropDownButtonAsksForTheCalendar_data();
}

void tst_DateField::everyWayOfDroppingDownOpensTheCalendar() {
    QFETCH(QString, how);
    build({dueDate()});
    showWindow();
    DateField* field = m_fields.at(0);
    field->setFocus();
    QTRY_COMPARE(focus(), field);
    int calendars = 0;
    m_services->onModal = [&](QDialog& dialog) {
        ++calendars;
        QVERIFY(qobject_cast<frmDateEnt*>(&dialog));
        dialog.reject();
    };
    QSignalSpy dropDown(field, &DateField::dropDown);

    if (how == "showPopup")
        field->showPopup();
    else if (how == "click")
        QTest::mouseClick(field, Qt::LeftButton, {},
                          QPoint(field->width() - 6, field->height() / 2));
    else if (how == "alt+down")
        QTest::keyClick(field->lineEdit(), Qt::Key_Down, Qt::AltModifier);
    else
        QTest::keyClick(field->lineEdit(), Qt::Key_F4);

    QCOMPARE(calendars, 1);
    QCOMPARE(dropDown.size(), 1);
    QVERIFY(!field->view()->isVisible());
}

void tst_DateField::dropDownOnAnEmptyFieldFillsInNow_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("expected");
    QTest::newRow("en_US") << "en_US"
                           << "12/7/2026";
    QTest::newRow("de_DE") << "de_DE"
                           << "07.12.2026";
    QTest::newRow("ja_JP") << "ja_JP"
                           << "2026/12/07";
}

void tst_DateField::dropDownOnAnEmptyFieldFillsInNow() {
    QFETCH(QString, locale);
    QFETCH(QString, expected);
    build({dueDate()}, locale);
    showWindow();
    DateField* field = m_fields.at(0);
    field->setFocus();
    QTRY_COMPARE(focus(), field);
    m_services->clock = QDateTime(QDate(2026, 12, 7), QTime(10, 30));
    QDate shownOnOpening;
    QDateTime selDateOnOpening;
    m_services->onModal = [&](QDialog& dialog) {
        auto& calendar = static_cast<frmDateEnt&>(dialog);
        shownOnOpening = calendar.shownDate();
        selDateOnOpening = m_state->gSelDate;
        // The title bar's close button.
        calendar.close();
    };
    QSignalSpy changed(field, &DateField::textChanged);

    field->showPopup();

    QCOMPARE(selDateOnOpening, QDateTime(QDate(2026, 12, 7), QTime(10, 30)));
    QCOMPARE(shownOnOpening, QDate(2026, 12, 7));
    QCOMPARE(field->text(), expected);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.last().at(0).toString(), expected);
    activateWindow();
    QTRY_COMPARE(focus(), m_after);
    settle();
    QVERIFY(m_services->messages.isEmpty());
    QCOMPARE(m_accepted, (QList<std::pair<QString, QDate>>{{"dc1", QDate(2026, 12, 7)}}));
}

void tst_DateField::dropDownRewritesTheTypedDateInShortForm_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("en_US") << "en_US"
                           << "5-30-1998"
                           << "5/30/1998";
    QTest::newRow("en_US, two-digit year") << "en_US"
                                           << "5.30.98"
                                           << "5/30/1998";
    QTest::newRow("de_DE") << "de_DE"
                           << "30-5-1998"
                           << "30.05.1998";
    QTest::newRow("ja_JP") << "ja_JP"
                           << "1998-5-30"
                           << "1998/05/30";
    QTest::newRow("kkj_CM") << "kkj_CM"
                            << "30.5.1998"
                            << "30/05 1998";
}

void tst_DateField::dropDownRewritesTheTypedDateInShortForm() {
    QFETCH(QString, locale);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    build({dueDate()}, locale);
    showWindow();
    DateField* field = m_fields.at(0);
    field->setFocus();
    QTest::keyClicks(field->lineEdit(), typed);
    QDate shownOnOpening;
    m_services->onModal = [&](QDialog& dialog) {
        shownOnOpening = static_cast<frmDateEnt&>(dialog).shownDate();
        dialog.reject();
    };

    QTest::keyClick(field->lineEdit(), Qt::Key_F4);

    QCOMPARE(shownOnOpening, QDate(1998, 5, 30));
    QCOMPARE(field->text(), expected);
    // Closing without a day hands nothing back: the date is the one typed.
    QCOMPARE(m_state->gSelDate.date(), QDate(1998, 5, 30));
}

void tst_DateField::choosingADayMovesOnWithoutAMessage() {
    build({dueDate()});
    showWindow();
    DateField* field = m_fields.at(0);
    field->setText("5/30/1998");
    field->setFocus();
    QTRY_COMPARE(focus(), field);
    m_services->onModal = [&](QDialog& dialog) {
        auto& calendar = static_cast<frmDateEnt&>(dialog);
        calendar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&calendar));
        // 1 May 1998 was a Friday: the 15th is in row 3, column 5.
        QCOMPARE(calendar.cellText(3, 5), QString("15"));
        DayGrid* grid = calendar.Grid1;
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(grid->model()->index(3, 5)).center());
        QVERIFY(!calendar.isVisible());
    };

    QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(field->width() - 6, field->height() / 2));

    QCOMPARE(field->text(), QString("5/15/1998"));
    QCOMPARE(m_state->gSelDate, QDateTime(QDate(1998, 5, 15), QTime(0, 0)));
    activateWindow();
    QTRY_COMPARE(focus(), m_after);
    settle();
    QVERIFY(m_services->messages.isEmpty());
    QCOMPARE(m_accepted, (QList<std::pair<QString, QDate>>{{"dc1", QDate(1998, 5, 15)}}));
}

void tst_DateField::calendarCaption_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("expected");
    QTest::newRow("given") << "Select Due Date"
                           << "Select Due Date";
    QTest::newRow("none") << ""
                          << "Select Date";
}

void tst_DateField::calendarCaption() {
    QFETCH(QString, caption);
    QFETCH(QString, expected);
    DateField::Settings settings = dueDate();
    settings.popupCaption = caption;
    build({settings});
    showWindow();
    QString shown;
    m_services->onModal = [&](QDialog& dialog) { shown = dialog.windowTitle(); };
    m_fields.at(0)->showPopup();
    QCOMPARE(shown, expected);
}

void tst_DateField::calendarOpensBelowTheFieldAndStaysOnScreen() {
    build({dueDate()});
    showWindow();
    DateField* field = m_fields.at(0);
    const QRect available = field->screen()->availableGeometry();
    QRect popupRect;
    m_services->onModal = [&](QDialog& dialog) { popupRect = QRect(dialog.pos(), dialog.size()); };

    field->showPopup();
    const QPoint fieldTop = field->mapToGlobal(QPoint(0, 0));
    QCOMPARE(popupRect.topLeft(), QPoint(fieldTop.x(), fieldTop.y() + 3 * field->height()));

    // Near the bottom right corner of the screen the calendar is pushed back onto it.
    m_window->move(available.right() - m_window->width() / 2,
                   available.bottom() - m_window->height() / 2);
    QTRY_VERIFY(m_window->geometry().bottom() > available.bottom());
    field->showPopup();
    QVERIFY2(available.contains(popupRect), qPrintable(QString("%1,%2 %3x%4")
                                                           .arg(popupRect.x())
                                                           .arg(popupRect.y())
                                                           .arg(popupRect.width())
                                                           .arg(popupRect.height())));
}

void tst_DateField::popupPosition_data() {
    QTest::addColumn<DateField::PopupPlacement>("placement");
    QTest::addColumn<QRect>("field");
    QTest::addColumn<QPoint>("expected");
    using P = DateField::PopupPlacement;
    // The calendar is 300 x 180, the screen 1920 x 1080.
    const QRect middle(500, 400, 150, 20);
    QTest::newRow("three heights below") << P::BelowThreeHeights << middle << QPoint(500, 460);
    QTest::newRow("two heights below") << P::BelowTwoHeights << middle << QPoint(500, 440);
    QTest::newRow("right-aligned, down") << P::RightAlignedDown << middle << QPoint(350, 440);
    QTest::newRow("right-aligned, up") << P::RightAlignedUp << middle << QPoint(350, 280);
    QTest::newRow("off the bottom")
        << P::BelowThreeHeights << QRect(500, 1000, 150, 20) << QPoint(500, 900);
    QTest::newRow("off the right")
        << P::BelowTwoHeights << QRect(1800, 400, 150, 20) << QPoint(1620, 440);
    QTest::newRow("off the left") << P::RightAlignedDown << QRect(20, 400, 150, 20)
                                  << QPoint(0, 440);
    QTest::newRow("off the top") << P::RightAlignedUp << QRect(500, 10, 150, 20) << QPoint(350, 0);
}

void tst_DateField::popupPosition() {
    QFETCH(DateField::PopupPlacement, placement);
    QFETCH(QRect, field);
    QFETCH(QPoint, expected);
    const QSize popup(300, 180);
    QCOMPARE(DateField::popupPosition(placement, field, popup, QRect(0, 0, 1920, 1080)), expected);
    // The same on a second screen to the right of the first.
    QCOMPARE(DateField::popupPosition(placement, field.translated(1920, 0), popup,
                                      QRect(1920, 0, 1920, 1080)),
             expected + QPoint(1920, 0));
}

void tst_DateField::leavingWithAnInvalidDateKeepsTheFocus_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("typed");
    QTest::newRow("en_US, 31 April") << "en_US"
                                     << "4/31/1999";
    QTest::newRow("en_US, 29 February 1999") << "en_US"
                                             << "2/29/1999";
    QTest::newRow("en_US, words") << "en_US"
                                  << "soon";
    QTest::newRow("en_US, month and day only") << "en_US"
                                               << "4/30";
    QTest::newRow("de_DE, 31 April") << "de_DE"
                                     << "31.04.1999";
    QTest::newRow("de_DE, month first") << "de_DE"
                                        << "4.31.1999";
    QTest::newRow("ja_JP, 31 April") << "ja_JP"
                                     << "1999/04/31";
}

void tst_DateField::leavingWithAnInvalidDateKeepsTheFocus() {
    QFETCH(QString, locale);
    QFETCH(QString, typed);
    build({dueDate()}, locale);
    showWindow();
    DateField* field = m_fields.at(0);
    field->setFocus();
    QTest::keyClicks(field->lineEdit(), typed);

    QTest::keyClick(field, Qt::Key_Tab);
    settle();

    QCOMPARE(m_services->messages.size(), 1);
    QCOMPARE(m_services->messages.at(0).text, dueDateMessage);
    QCOMPARE(m_services->messages.at(0).title, QString("Purvex"));
    QCOMPARE(m_services->messages.at(0).buttons, MsgButtons::Ok);
    QCOMPARE(focus(), field);
    QCOMPARE(field->text(), typed);
    QVERIFY(m_accepted.isEmpty());
}

void tst_DateField::everyAttemptToLeaveShowsTheMessageOnce() {
    build({dueDate()});
    showWindow();
    DateField* field = m_fields.at(0);
    field->setFocus();
    QTest::keyClicks(field->lineEdit(), "4/31/1999");

    QTest::keyClick(field, Qt::Key_Tab);
    settle();
    settle();
    QCOMPARE(m_services->messages.size(), 1);
    QCOMPARE(focus(), field);

    // Clicking into another box is another attempt, and so is Shift+Tab.
    QTest::mouseClick(m_after, Qt::LeftButton);
    settle();
    QCOMPARE(m_services->messages.size(), 2);
    QCOMPARE(focus(), field);
    QTest::keyClick(field, Qt::Key_Backtab, Qt::ShiftModifier);
    settle();
    QCOMPARE(m_services->messages.size(), 3);
    QCOMPARE(focus(), field);

    // Put right, the field lets go without a word.
    field->lineEdit()->selectAll();
    QTest::keyClicks(field->lineEdit(), "4/30/1999");
    QTest::keyClick(field, Qt::Key_Tab);
    settle();
    QCOMPARE(m_services->messages.size(), 3);
    QCOMPARE(focus(), m_after);
    QCOMPARE(field->text(), QString("4/30/1999"));
}

void tst_DateField::validTextIsAcceptedAsTyped_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QDate>("date");
    QTest::newRow("en_US, dashes") << "en_US"
                                   << "5-30-1998" << QDate(1998, 5, 30);
    QTest::newRow("en_US, with a time") << "en_US"
                                        << "5/30/1998 14:05" << QDate(1998, 5, 30);
    QTest::newRow("en_US, leap day") << "en_US"
                                     << "2/29/2000" << QDate(2000, 2, 29);
    QTest::newRow("de_DE, short year") << "de_DE"
                                       << "1.2.03" << QDate(2003, 2, 1);
    QTest::newRow("ja_JP") << "ja_JP"
                           << "1999/4/30" << QDate(1999, 4, 30);
}

void tst_DateField::validTextIsAcceptedAsTyped() {
    QFETCH(QString, locale);
    QFETCH(QString, typed);
    QFETCH(QDate, date);
    build({dueDate()}, locale);
    showWindow();
    DateField* field = m_fields.at(0);
    field->setFocus();
    QTest::keyClicks(field->lineEdit(), typed);

    QTest::keyClick(field, Qt::Key_Tab);
    settle();

    QVERIFY(m_services->messages.isEmpty());
    QCOMPARE(focus(), m_after);
    QCOMPARE(field->text(), typed);
    QCOMPARE(m_accepted, (QList<std::pair<QString, QDate>>{{"dc1", date}}));
}

void tst_DateField::clearingIsAcceptedWhereBlankIsAllowed() {
    build({dueDate()});
    showWindow();
    DateField* field = m_fields.at(0);
    field->setText("4/31/1999");
    field->setFocus();
    field->lineEdit()->selectAll();
    QTest::keyClick(field->lineEdit(), Qt::Key_Delete);
    QVERIFY(field->text().isEmpty());

    QTest::keyClick(field, Qt::Key_Tab);
    settle();

    QVERIFY(m_services->messages.isEmpty());
    QCOMPARE(focus(), m_after);
    QCOMPARE(m_accepted, (QList<std::pair<QString, QDate>>{{"dc1", QDate()}}));
}

void tst_DateField::blankIsRefusedWhereItIsNotAllowed_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("blanks") << "   ";
}

void tst_DateField::blankIsRefusedWhereItIsNotAllowed() {
    QFETCH(QString, text);
    build({reportStart()});
    showWindow();
    DateField* field = m_fields.at(0);
    field->setText(text);
    field->setFocus();

    QTest::mouseClick(m_before, Qt::LeftButton);
    settle();

    QCOMPARE(m_services->messages.size(), 1);
    QCOMPARE(m_services->messages.at(0).text, startDateMessage);
    QCOMPARE(m_services->messages.at(0).title, QString("Purvex"));
    QCOMPARE(focus(), field);
    QVERIFY(m_accepted.isEmpty());
}

void tst_DateField::invalidTextKeepsWhatWasStored() {
    // The way the report designer keeps the bounds of a field: a date, or day 0 for none.
    DateField::Settings settings{
        .popupCaption = "Select Start Date",
        .placement = DateField::PopupPlacement::RightAlignedDown,
        .blankAllowed = true,
        .invalidMessage = "You must enter a valid date or leave this selection field blank.",
        .onValidEntry = {}};
    const QDate noDate(1899, 12, 30);
    QDate stored = QDate(2001, 1, 1);
    settings.onValidEntry = [&](const std::optional<DateValue>& value) {
        stored = value ? value->date : noDate;
    };
    build({settings});
    showWindow();
    DateField* field = m_fields.at(0);
    const auto leaveWith = [&](const QString& text) {
        field->setFocus();
        field->lineEdit()->selectAll();
        if (text.isEmpty())
            QTest::keyClick(field->lineEdit(), Qt::Key_Delete);
        else
            QTest::keyClicks(field->lineEdit(), text);
        QTest::keyClick(field, Qt::Key_Tab);
        settle();
    };

    leaveWith("5/30/1998");
    QCOMPARE(stored, QDate(1998, 5, 30));
    leaveWith("");
    QCOMPARE(stored, noDate);
    leaveWith("5/30/1998");
    leaveWith("13/45/2000");
    QCOMPARE(stored, QDate(1998, 5, 30));
    QCOMPARE(m_services->messages.size(), 1);
    QCOMPARE(m_services->messages.at(0).text,
             QString("You must enter a valid date or leave this selection field blank."));
}

void tst_DateField::twoRefusingFieldsDoNotBounceTheFocus() {
    // The first field holds a date that does not exist, the second may not stay blank.
    build({dueDate(), reportStart()});
    showWindow();
    DateField* first = m_fields.at(0);
    DateField* second = m_fields.at(1);
    first->setFocus();
    QTest::keyClicks(first->lineEdit(), "4/31/1999");

    QTest::keyClick(first, Qt::Key_Tab);
    settle();
    settle();

    QCOMPARE(m_services->messages.size(), 1);
    QCOMPARE(m_services->messages.at(0).text, dueDateMessage);
    QCOMPARE(focus(), first);

    // Put right, the first lets the focus go to the second, which now refuses in turn.
    first->lineEdit()->selectAll();
    QTest::keyClicks(first->lineEdit(), "4/30/1999");
    QTest::keyClick(first, Qt::Key_Tab);
    settle();
    QCOMPARE(focus(), second);
    QCOMPARE(m_services->messages.size(), 1);
    QTest::keyClick(second, Qt::Key_Backtab, Qt::ShiftModifier);
    settle();
    settle();
    QCOMPARE(m_services->messages.size(), 2);
    QCOMPARE(m_services->messages.at(1).text, startDateMessage);
    QCOMPARE(focus(), second);
}

void tst_DateField::aMessageBoxTakingTheFocusIsNoAttemptToLeave_data() {
    QTest::addColumn<bool>("reactivatedBeforeReturn");
    QTest::newRow("form active again before the box returns") << true;
    QTest::newRow("form activated after the box returned") << false;
}

void tst_DateField::aMessageBoxTakingTheFocusIsNoAttemptToLeave() {
    QFETCH(bool, reactivatedBeforeReturn);
    build({dueDate(), reportStart()});
    showWindow();
    DateField* first = m_fields.at(0);
    first->setFocus();
    QTest::keyClicks(first->lineEdit(), "4/31/1999");
    // A real message box is a window of its own that takes the focus while it is open
    // and gives it back to the form when it closes.
    m_services->onMessage = [&](const FakeServices::Message&) {
        QDialog box;
        auto* ok = new QLineEdit(&box);
        box.show();
        box.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&box));
        ok->setFocus();
        QTRY_COMPARE(focus(), ok);
        box.hide();
        if (reactivatedBeforeReturn)
            activateWindow();
    };

    QTest::keyClick(first, Qt::Key_Tab);
    settle();
    activateWindow();
    settle();
    settle();

    QCOMPARE(m_services->messages.size(), 1);
    QCOMPARE(focus(), first);
}

void tst_DateField::checkEntryForAFormsOk() {
    build({reportStart()});
    // An OK button that refuses to close while the field holds no date.
    auto* ok = new QPushButton("&OK", m_window.get());
    m_window->layout()->addWidget(ok);
    QList<bool> answers;
    DateField* field = m_fields.at(0);
    connect(ok, &QPushButton::clicked, ok, [&] { answers << field->checkEntry(); });
    showWindow();
    field->setFocus();
    QTRY_COMPARE(focus(), field);
    QVERIFY(!field->hasValidEntry());

    // The click leaves the field and runs OK: one message between them, not two.
    QTest::mouseClick(ok, Qt::LeftButton);
    settle();
    QCOMPARE(answers, QList<bool>{false});
    QCOMPARE(m_services->messages.size(), 1);
    QCOMPARE(m_services->messages.at(0).text, startDateMessage);
    QCOMPARE(focus(), field);

    QTest::keyClicks(field->lineEdit(), "1/1/2024");
    QVERIFY(field->hasValidEntry());
    QCOMPARE(field->date()->date, QDate(2024, 1, 1));
    QTest::mouseClick(ok, Qt::LeftButton);
    settle();
    QCOMPARE(answers, (QList<bool>{false, true}));
    QCOMPARE(m_services->messages.size(), 1);
    QCOMPARE(focus(), ok);
}

void tst_DateField::aFieldDisabledWhileFocusedIsNotChecked() {
    build({dueDate()});
    showWindow();
    DateField* field = m_fields.at(0);
    field->setFocus();
    QTest::keyClicks(field->lineEdit(), "4/31/1999");
    // What a form does when it leaves edit mode: the controls are disabled under the focus.
    field->setEnabled(false);
    settle();
    QVERIFY(focus() != field);
    QVERIFY(m_services->messages.isEmpty());
}

QTEST_MAIN(tst_DateField)
#include "tst_DateField.moc"

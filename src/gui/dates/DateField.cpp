#include "gui/dates/DateField.h"

#include "gui/dates/frmDateEnt.h"

#include "core/AppState.h"
#include "gui/app/Services.h"

#include <QApplication>
#include <QLineEdit>
#include <QScreen>

#include <algorithm>

QList<LeaveCheck*> LeaveCheck::s_all;

LeaveCheck::LeaveCheck(QWidget* control, std::function<void()> onLeave)
    : QObject(control), m_control(control), m_onLeave(std::move(onLeave)) {
    s_all.append(this);
    m_inside = isInside(QApplication::focusWidget());
    connect(qApp, &QApplication::focusChanged, this, &LeaveCheck::focusChanged);
}

LeaveCheck::~LeaveCheck() {
    s_all.removeOne(this);
}

bool LeaveCheck::isInside(const QWidget* widget) const {
    return widget && (widget == m_control || m_control->isAncestorOf(widget));
}

void LeaveCheck::focusChanged(QWidget*, QWidget* now) {
    if (isInside(now)) {
        m_inside = true;
        return;
    }
    // No focus at all, or focus in another window (a message box, the calendar, another
    // program): the control is still its window's focus, nobody has left it.
    if (!m_inside || !now || now->window() != m_control->window())
        return;
    m_inside = false;
    if (m_pending)
        return;
    m_pending = true;
    // A message box shown from inside the focus change would run its own event loop in the
    // middle of the key press or mouse press that moved the focus.
    QMetaObject::invokeMethod(this, &LeaveCheck::runCheck, Qt::QueuedConnection);
}

void LeaveCheck::runCheck() {
    // Taken over by a command that checks the control itself, or its check is showing its
    // message right now (a quick click's release arrives inside that message's event loop).
    if (!m_pending || m_checking)
        return;
    m_pending = false;
    // Back in the control before the check could run (a form's OK checked it already, or a
    // refusal elsewhere returned the focus here), or gone with its window: nothing to do.
    if (m_inside || !m_control->isVisible() || !m_control->isEnabled())
        return;
    m_onLeave();
}

void LeaveCheck::returnFocus() {
    // The control the user was moving to has the focus taken away again; that is not the
    // user leaving it, and checking it now would bounce the focus back and forth.
    for (LeaveCheck* other : std::as_const(s_all)) {
        if (other != this && other->m_control->window() == m_control->window())
            other->m_inside = false;
    }
    m_control->setFocus(Qt::OtherFocusReason);
    m_inside = true;
}

DateField::DateField(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    // Return would otherwise add the typed text to the list, which must stay empty.
    setInsertPolicy(QComboBox::NoInsert);
    // Completing from an always empty list only gets in the way of typing.
    setCompleter(nullptr);
    connect(this, &QComboBox::editTextChanged, this, &DateField::textChanged);
}

DateField::~DateField() = default;

void DateField::configure(AppState& state, Services& services, Settings settings) {
    m_state = &state;
    m_services = &services;
    m_settings = std::move(settings);
    if (!m_leaveCheck)
        m_leaveCheck = new LeaveCheck(this, [this] { checkEntry(); });
}

QString DateField::text() const {
    return currentText();
}

void DateField::setText(const QString& text) {
    setEditText(text);
}

std::optional<DateValue> DateField::date() const {
    if (!m_services)
        return std::nullopt;
    return LocaleDates::toDate(text(), m_services->locale(), m_services->today().year());
}

bool DateField::hasValidEntry() const {
    // Blanks alone are what the user sees as an empty field.
    if (text().trimmed().isEmpty())
        return m_settings.blankAllowed;
    return date().has_value();
}

bool DateField::isUntouched() const {
    return !lineEdit()->isModified();
}

bool DateField::checkEntry() {
    if (!isConfigured())
        return true;
    cancelPendingCheck();
    if (hasValidEntry()) {
        if (m_settings.onValidEntry)
            m_settings.onValidEntry(date());
        return true;
    }
    // Text the program put there and the user has not touched is a stored value shown as it
    // is stored: a date another tool wrote is kept as it is, not refused.
    if (isUntouched() && !text().trimmed().isEmpty())
        return true;
    if (m_leaveCheck)
        m_leaveCheck->setChecking(true);
    m_services->message(m_settings.invalidMessage, applicationTitle(), MsgButtons::Ok);
    if (m_leaveCheck) {
        m_leaveCheck->setChecking(false);
        // Whatever the message box's own event loop set off while it was open is this
        // same refusal.
        m_leaveCheck->cancelPending();
        m_leaveCheck->returnFocus();
    }
    return false;
}

void DateField::cancelPendingCheck() {
    if (m_leaveCheck)
        m_leaveCheck->cancelPending();
}

void DateField::showPopup() {
    Q_EMIT dropDown();
    if (isConfigured())
        dropDownCalendar();
}

QPoint DateField::popupPosition(PopupPlacement placement, const QRect& fieldRect,
                                const QSize& popup, const QRect& available) {
    const int rightAligned = fieldRect.left() + fieldRect.width() - popup.width();
    int x = fieldRect.left();
    int y = fieldRect.top();
    switch (placement) {
    case PopupPlacement::BelowThreeHeights:
        y += 3 * fieldRect.height();
        break;
    case PopupPlacement::BelowTwoHeights:
        y += 2 * fieldRect.height();
        break;
    case PopupPlacement::RightAlignedDown:
        x = rightAligned;
        y += 2 * fieldRect.height();
        break;
    case PopupPlacement::RightAlignedUp:
        x = rightAligned;
        y += 3 * fieldRect.height() - popup.height();
        break;
    }
    if (available.isValid()) {
        // Pushed back onto the screen from the right and bottom first, so that a calendar
        // larger than the screen still shows its title bar and first columns.
        x = std::max(std::min(x, available.left() + available.width() - popup.width()),
                     available.left());
        y = std::max(std::min(y, available.top() + available.height() - popup.height()),
                     available.top());
    }
    return QPoint(x, y);
}

void DateField::dropDownCalendar() {
    if (!isConfigured() || m_calendarOpen)
        return;
    m_calendarOpen = true;
    AppState& state = *m_state;
    Services& services = *m_services;
    const QLocale locale = services.locale();

    if (const auto typed = date())
        state.gSelDate = QDateTime(typed->date, typed->time.value_or(QTime(0, 0)));
    else
        state.gSelDate = services.now();

    {
        frmDateEnt popup(state, services, window());
        // The calendar has no frame yet; it gets the same as the window the field is on.
        const QSize frame = window()->frameGeometry().size() - window()->size();
        const QRect fieldRect(mapToGlobal(QPoint(0, 0)), size());
        const QScreen* onScreen = screen();
        popup.move(popupPosition(m_settings.placement, fieldRect, popup.size() + frame,
                                 onScreen ? onScreen->availableGeometry() : QRect()));
        if (!m_settings.popupCaption.isEmpty())
            popup.setWindowTitle(m_settings.popupCaption);
        services.runModal(popup);
    }

    // Written back whether or not a day was picked, so a date typed in any accepted form
    // comes out in the short-date form.
    setText(LocaleDates::shortDate(state.gSelDate.date(), locale));
    m_calendarOpen = false;

    // On to the next control as if the user had pressed Tab; leaving checks the date.
    if (window()->focusWidget() != this)
        setFocus(Qt::OtherFocusReason);
    focusNextPrevChild(true);
}

#include "gui/orders/AmountBox.h"

#include "engine/Money.h"
#include "gui/app/Services.h"
#include "gui/dates/DateField.h"

#include <QFocusEvent>
#include <QMouseEvent>

using namespace Qt::StringLiterals;

AmountBox::AmountBox(Services& services, QWidget* parent)
    : QLineEdit(parent), m_services(services) {
    // The same leave check as the date fields, so that the amount box and a date field
    // that both refuse their text never throw the focus back and forth between them.
    m_leaveCheck = new LeaveCheck(this, [this] { checkEntry(); });
}

AmountBox::~AmountBox() = default;

bool AmountBox::checkEntry() {
    cancelPendingCheck();
    const QString typed = text();
    // Blanks alone are what the user sees as an empty box, and they store no amount. Text
    // the user has not touched is the stored amount shown as it is (another tool may have
    // stored one beyond what the box takes): it is kept, not judged.
    if (typed.trimmed().isEmpty() || !isModified())
        return true;
    const QLocale locale = m_services.locale();
    bool tooLarge = false;
    const auto amount = parseCurrency(typed, locale, &tooLarge);
    if (amount && amount->isStorable()) {
        setText(formatCurrency(*amount, locale));
        return true;
    }
    if (m_leaveCheck)
        m_leaveCheck->setChecking(true);
    if (amount || tooLarge) {
        m_services.message(u"That amount has more digits than can be kept exactly.  Enter an "
                           u"amount of at most %1 digits, or leave the field blank."_s.arg(
                               Currency::StorableDigits),
                           {}, MsgButtons::Ok);
    } else {
        m_services.message(
            u"You must enter a valid number for the dollar amount or leave the field blank"_s, {},
            MsgButtons::Ok);
    }
    if (m_leaveCheck) {
        m_leaveCheck->setChecking(false);
        m_leaveCheck->cancelPending();
        m_leaveCheck->returnFocus();
    }
    return false;
}

void AmountBox::cancelPendingCheck() {
    if (m_leaveCheck)
        m_leaveCheck->cancelPending();
}

void AmountBox::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    m_selectOnClick = false;
    switch (event->reason()) {
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
        // Coming back from another window or from the context menu is no new entry: what
        // the user had selected stays selected.
        return;
    case Qt::MouseFocusReason:
        m_selectOnClick = true;
        break;
    default:
        break;
    }
    selectAll();
}

void AmountBox::mouseReleaseEvent(QMouseEvent* event) {
    QLineEdit::mouseReleaseEvent(event);
    if (!m_selectOnClick)
        return;
    m_selectOnClick = false;
    if (!hasSelectedText())
        selectAll();
}

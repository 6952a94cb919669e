#pragma once

#include <QLineEdit>
#include <QPointer>

class LeaveCheck;
class Services;

// The amount box of the order form. It holds the amount as text in the user's currency
// format: typing replaces the whole amount, because entering the box (by Tab or by a click)
// selects all of it, and leaving it rewrites a number in the currency format or, for text
// that is no number, says so once and keeps the user in the box. Empty text is an amount
// not given.
class AmountBox : public QLineEdit {
    Q_OBJECT

public:
    AmountBox(Services& services, QWidget* parent = nullptr);
    ~AmountBox() override;

    // The check made on leaving, for a save command too: empty text, or a number (then
    // shown in the currency format), gives true; anything else the message, the focus
    // back into the box, and false.
    bool checkEntry();
    // Drops a check on leaving that has not run yet, for a command that checks the box
    // itself.
    void cancelPendingCheck();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Services& m_services;
    QPointer<LeaveCheck> m_leaveCheck;
    // The click that brought the focus in puts the cursor where it landed, undoing the
    // selection made on entry; it is made again when the button comes up, unless the user
    // dragged over part of the text to select that.
    bool m_selectOnClick = false;
};

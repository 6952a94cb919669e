#pragma once

#include "dates/LocaleDates.h"

#include <QComboBox>
#include <QList>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

struct AppState;
class Services;

// Runs a check each time the user leaves a control for another control of the same window:
// once per attempt to leave, after the event that moved the focus has been handled. A
// message box or any other window taking the focus is no attempt to leave. A check that
// refuses puts the focus back with returnFocus, which the control that had just received
// it does not count as being left, so two refusing controls never bounce the focus
// between them.
class LeaveCheck : public QObject {
    Q_OBJECT

public:
    // Belongs to control and ends with it.
    LeaveCheck(QWidget* control, std::function<void()> onLeave);
    ~LeaveCheck() override;

    // Moves the focus back into the control after the check has refused (its message box
    // closed). Safe to call while the control's window is inactive: the control then gets
    // the focus when the window is activated again.
    void returnFocus();
    // Forgets a check that leaving has set off and that has not run yet: whoever calls this
    // checks the control itself now (a command about to save), so the user is told once.
    void cancelPending() { m_pending = false; }
    // Marks the control's check as running; a check set off meanwhile does not run.
    void setChecking(bool checking) { m_checking = checking; }

private:
    void focusChanged(QWidget* old, QWidget* now);
    void runCheck();
    bool isInside(const QWidget* widget) const;

    QWidget* m_control;
    std::function<void()> m_onLeave;
    // The control has the focus of its window, even while another window is active.
    bool m_inside = false;
    bool m_pending = false;
    bool m_checking = false;

    static QList<LeaveCheck*> s_all;
};

// A date field: an editable drop-down whose list is never filled. The user types a date
// into it, or drops it down to pick a day from the calendar instead of a list. It holds
// text, not a date; the form reads the text when it uses it.
//
// A form configures each field once (configure), and the field then does everything the
// user sees: it opens the calendar on its date and writes the chosen one back, and it
// refuses to be left while its text is no date. Until it is configured the drop-down only
// raises dropDown and leaving it is not checked.
class DateField : public QComboBox {
    Q_OBJECT

public:
    // Where the calendar opens, from the field's rectangle on the screen. It is then moved
    // as little as needed to lie wholly on the screen the field is on.
    enum class PopupPlacement {
        // Left edges lined up, the top three field heights below the field's top.
        BelowThreeHeights,
        // Left edges lined up, the top two field heights below the field's top.
        BelowTwoHeights,
        // Right edges lined up, the top two field heights below the field's top.
        RightAlignedDown,
        // Right edges lined up, the bottom three field heights below the field's top, so
        // that it opens upwards.
        RightAlignedUp,
    };

    struct Settings {
        // Empty leaves the calendar's own "Select Date".
        QString popupCaption;
        PopupPlacement placement = PopupPlacement::BelowThreeHeights;
        bool blankAllowed = true;
        // Shown when the field is left holding text that is not a date (or blank text
        // where that is not allowed).
        QString invalidMessage;
        // Runs each time the field is left with an accepted text: the date it reads as,
        // or nullopt for a blank field.
        std::function<void(const std::optional<DateValue>&)> onValidEntry;
    };

    explicit DateField(QWidget* parent = nullptr);
    ~DateField() override;

    // Call once, while the owning form builds its controls; nothing is read until the
    // user works with the field.
    void configure(AppState& state, Services& services, Settings settings);
    bool isConfigured() const { return m_state != nullptr; }
    const Settings& settings() const { return m_settings; }

    QString text() const;
    void setText(const QString& text);

    // The text read as a date in the user's locale; nullopt when it is none (or the field
    // is not configured yet).
    std::optional<DateValue> date() const;
    // A date, or blank where blank is allowed.
    bool hasValidEntry() const;
    // The text is what the program last put there; the user has not typed into it since.
    bool isUntouched() const;
    // The check made when the user leaves the field, for a form's OK as well: an accepted
    // text goes to onValidEntry and true comes back; otherwise the message, the focus back
    // into the field, and false.
    bool checkEntry();
    // Drops a check on leaving that has not run yet, for a command that checks the field
    // itself.
    void cancelPendingCheck();

    // The drop-down button, Alt+Down and F4 all end here.
    void showPopup() override;
    // Opens the calendar on the field's date (on now when the text is no date), writes the
    // date it closes on into the field and moves on to the next control.
    void dropDownCalendar();

    // The calendar's outer top-left corner for a field at fieldRect on the screen and a
    // calendar of outer size popup, kept inside available.
    static QPoint popupPosition(PopupPlacement placement, const QRect& fieldRect,
                                const QSize& popup, const QRect& available);

Q_SIGNALS:
    // Every change of the text, typed or set.
    void textChanged(const QString& text);
    void dropDown();

private:
    AppState* m_state = nullptr;
    Services* m_services = nullptr;
    Settings m_settings;
    QPointer<LeaveCheck> m_leaveCheck;
    bool m_calendarOpen = false;
};

#pragma once

#include <QComboBox>
#include <QString>

// A date field: an editable drop-down whose list is never filled. The user types a date
// into it, and its drop-down button asks the owning form for the calendar (dropDown)
// instead of opening a list. It holds text, not a date; the form reads the text when it
// uses it.
class DateField : public QComboBox {
    Q_OBJECT

public:
    explicit DateField(QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);

    // The drop-down button, Alt+Down and F4 all end here.
    void showPopup() override;

Q_SIGNALS:
    // Every change of the text, typed or set.
    void textChanged(const QString& text);
    void dropDown();
};

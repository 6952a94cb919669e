#include "DateField.h"

#include <QLineEdit>

DateField::DateField(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    // Return would otherwise add the typed text to the list, which must stay empty.
    setInsertPolicy(QComboBox::NoInsert);
    // Completing from an always empty list only gets in the way of typing.
    setCompleter(nullptr);
    connect(this, &QComboBox::editTextChanged, this, &DateField::textChanged);
}

QString DateField::text() const {
    return currentText();
}

void DateField::setText(const QString& text) {
    setEditText(text);
}

void DateField::showPopup() {
    Q_EMIT dropDown();
}

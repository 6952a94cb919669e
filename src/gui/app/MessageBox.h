#pragma once

#include "gui/app/Services.h"

#include <QMessageBox>

// The program's message box: exact text and title, the given buttons, no icon, text shown
// as plain text. Ctrl+C copies its title and text to the clipboard, as users paste it into
// a support request.
class MessageBox : public QMessageBox {
    Q_OBJECT
public:
    MessageBox(const QString& text, const QString& title, MsgButtons buttons,
               QWidget* parent = nullptr);

    // Shows the box modally and returns the button chosen; Escape or closing a Yes/No box
    // answers No.
    MsgAnswer ask();
    static MsgAnswer answerFor(int standardButton);
    // What Ctrl+C puts on the clipboard.
    QString clipboardText() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

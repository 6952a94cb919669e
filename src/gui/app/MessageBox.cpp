#include "gui/app/MessageBox.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>

MessageBox::MessageBox(const QString& text, const QString& title, MsgButtons buttons,
                       QWidget* parent)
    : QMessageBox(parent) {
    setIcon(QMessageBox::NoIcon);
    setTextFormat(Qt::PlainText);
    setText(text);
    setWindowTitle(title);
    if (buttons == MsgButtons::YesNo) {
        setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        setDefaultButton(QMessageBox::Yes);
        setEscapeButton(QMessageBox::No);
    } else {
        setStandardButtons(QMessageBox::Ok);
        setDefaultButton(QMessageBox::Ok);
        setEscapeButton(QMessageBox::Ok);
    }
}

MsgAnswer MessageBox::ask() {
    return answerFor(exec());
}

MsgAnswer MessageBox::answerFor(int standardButton) {
    switch (standardButton) {
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    default:
        return MsgAnswer::Ok;
    }
}

QString MessageBox::clipboardText() const {
    const QString rule = QStringLiteral("---------------------------\n");
    QString buttons;
    const auto all = this->buttons();
    for (const QAbstractButton* button : all)
        buttons += button->text().remove(QLatin1Char('&')) + QStringLiteral("   ");
    return rule + windowTitle() + QLatin1Char('\n') + rule + text() + QLatin1Char('\n') + rule +
           buttons.trimmed() + QLatin1Char('\n') + rule;
}

void MessageBox::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        QGuiApplication::clipboard()->setText(clipboardText());
        event->accept();
        return;
    }
    QMessageBox::keyPressEvent(event);
}

#include "gui/orders/MemoBox.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextOption>

#include <algorithm>

namespace {

bool insertsText(const QKeyEvent& event) {
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter)
        return true;
    return !event.text().isEmpty() && event.text().at(0).isPrint();
}

bool hasLongWord(const QString& text) {
    qsizetype run = 0;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > MemoBox::LongestWord)
            return true;
    }
    return false;
}

} // namespace

MemoBox::MemoBox(QWidget* parent, int maxLength) : QPlainTextEdit(parent), m_max(maxLength) {
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab moves on to the next control, as in every other box of the form.
    setTabChangesFocus(true);
}

void MemoBox::showText(const QString& text) {
    const bool tooLong = text.size() > ShownLimit;
    const QString shown = tooLong ? shownPart(text) : text;
    setReadOnly(tooLong);
    setToolTip(tooLong ? tooLongTip(text.size()) : QString());
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    breakAnywhereFor(shown);
    setPlainText(shown);
}

QString MemoBox::shownPart(const QString& text) {
    return text.left(ShownLimit) +
           tr(" [… and %L1 more characters, kept as stored]").arg(text.size() - ShownLimit);
}

QString MemoBox::tooLongTip(qsizetype length) {
    return tr("This text of %L1 characters is too long to show or change here. It is kept as "
              "it is stored.")
        .arg(length);
}

void MemoBox::breakAnywhereFor(const QString& text) {
    if (wordWrapMode() != QTextOption::WrapAnywhere && hasLongWord(text))
        setWordWrapMode(QTextOption::WrapAnywhere);
}

int MemoBox::roomLeft() const {
    const int length = document()->characterCount() - 1;
    return m_max - (length - int(textCursor().selectedText().size()));
}

void MemoBox::keyPressEvent(QKeyEvent* event) {
    if (m_max > 0 && insertsText(*event)) {
        const int room = roomLeft();
        const QString text = event->text();
        if (text.size() > room) {
            if (room > 0)
                insertPlainText(text.left(room));
            event->accept();
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(event);
}

void MemoBox::insertFromMimeData(const QMimeData* source) {
    if (!source->hasText())
        return;
    const QString text = m_max > 0 ? source->text().left(std::max(0, roomLeft())) : source->text();
    breakAnywhereFor(text);
    insertPlainText(text);
}

void MemoBox::inputMethodEvent(QInputMethodEvent* event) {
    const QString commit = event->commitString();
    const int room = roomLeft() + event->replacementLength();
    if (m_max <= 0 || commit.size() <= room) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent trimmed(event->preeditString(), event->attributes());
    trimmed.setCommitString(commit.left(std::max(0, room)), event->replacementStart(),
                            event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&trimmed);
}

#include "gui/reports/FocusScrollBar.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPen>

FocusScrollBar::FocusScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent) {
    setFocusPolicy(Qt::StrongFocus);
}

void FocusScrollBar::paintEvent(QPaintEvent* event) {
    QScrollBar::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
}

void FocusScrollBar::keyPressEvent(QKeyEvent* event) {
    const bool left = event->key() == Qt::Key_Left;
    if (orientation() == Qt::Horizontal && (left || event->key() == Qt::Key_Right) &&
        event->modifiers() == Qt::NoModifier) {
        triggerAction(left == isLeftToRight() ? SliderSingleStepSub : SliderSingleStepAdd);
        event->accept();
        return;
    }
    QScrollBar::keyPressEvent(event);
}

#pragma once

#include <QScrollBar>

// A scroll bar that takes the focus by Tab and shows that it has it, so that the keyboard can
// work it: the arrow keys move it a step, Page Up and Page Down a large step, Home and End to
// its ends. The style draws no focus on scroll bars; this one draws a frame in the highlight
// colour around itself while it has the focus.
class FocusScrollBar : public QScrollBar {
    Q_OBJECT

public:
    explicit FocusScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    // Right moves a horizontal bar to the right, to larger values; Qt's scroll bars turn it
    // round, as they were never meant to have the focus.
    void keyPressEvent(QKeyEvent* event) override;
};

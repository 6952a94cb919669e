#pragma once

#include <QByteArray>

class QWidget;

// Where a window was when it was hidden, to put it back there when it is shown again: a
// window hidden and shown again is placed afresh by the window manager, which may put it a
// frame further along each time.
class WindowPlacement {
public:
    void remember(const QWidget& window);
    // The window where it was remembered, at the same size; nothing when nothing was.
    void putBack(QWidget& window) const;

    // Moves a window that reaches past the edges of its screen's work area back inside,
    // first making it no larger than that area.
    static void keepOnScreen(QWidget& window);

private:
    // As QWidget::saveGeometry() keeps it.
    QByteArray m_geometry;
};

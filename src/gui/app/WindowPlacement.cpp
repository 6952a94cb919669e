#include "gui/app/WindowPlacement.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

void WindowPlacement::remember(const QWidget& window) {
    m_geometry = window.saveGeometry();
}

void WindowPlacement::putBack(QWidget& window) const {
    if (!m_geometry.isEmpty())
        window.restoreGeometry(m_geometry);
}

void WindowPlacement::keepOnScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize frame = window.frameGeometry().size() - window.size();
    const QSize size = window.size().boundedTo(area.size() - frame);
    if (size != window.size())
        window.resize(size);
    const QRect placed = window.frameGeometry();
    const QPoint inside(std::clamp(placed.left(), area.left(),
                                   std::max(area.left(), area.right() - placed.width() + 1)),
                        std::clamp(placed.top(), area.top(),
                                   std::max(area.top(), area.bottom() - placed.height() + 1)));
    // A window's position is that of its frame.
    if (inside != placed.topLeft())
        window.move(inside);
}

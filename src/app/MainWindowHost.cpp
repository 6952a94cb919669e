#include "MainWindowHost.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {

// Moves a window that reaches past the edges of its screen's work area back inside, first
// making it no larger than that area.
void keepOnScreen(QWidget& window) {
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

} // namespace

void MainWindowHost::registerMainForm(MainForm form) {
    m_window = form.window;
    m_form = std::move(form);
    m_placement.clear();
}

void MainWindowHost::unregisterMainForm(const QObject* window) {
    if (m_form.window != window)
        return;
    m_window.clear();
    m_form = {};
    m_placement.clear();
}

void MainWindowHost::unloadMainForm() {
    if (!m_window || !m_form.unload)
        return;
    if (const auto* widget = qobject_cast<const QWidget*>(m_window.data()))
        m_placement = widget->saveGeometry();
    m_form.unload();
}

bool MainWindowHost::loadMainForm() {
    if (!m_window || !m_form.load)
        return false;
    auto* widget = qobject_cast<QWidget*>(m_window.data());
    // A window hidden and shown again is placed afresh by the window manager, which may put
    // it a frame further along each time; it goes back where the user had it instead.
    if (widget && !m_placement.isEmpty())
        widget->restoreGeometry(m_placement);
    if (!m_form.load())
        return false;
    if (widget)
        keepOnScreen(*widget);
    return true;
}

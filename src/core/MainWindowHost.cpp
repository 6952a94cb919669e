#include "core/MainWindowHost.h"

void MainWindowHost::registerMainForm(MainForm form) {
    m_window = form.window;
    m_form = std::move(form);
}

void MainWindowHost::unregisterMainForm(const QObject* window) {
    if (m_form.window != window)
        return;
    m_window.clear();
    m_form = {};
}

void MainWindowHost::unloadMainForm() {
    if (!m_window || !m_form.unload)
        return;
    m_form.unload();
}

bool MainWindowHost::loadMainForm() {
    if (!m_window || !m_form.load)
        return false;
    return m_form.load();
}

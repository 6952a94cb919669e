#pragma once

#include "engine/EngineError.h"

#include <QApplication>

#include <functional>

// The application object. An error that escapes an event handler without a trap of its
// own is shown and ends the program, as the platform's top-level handling does.
class PvxApplication : public QApplication {
public:
    PvxApplication(int& argc, char** argv);

    void setUntrappedErrorHandler(std::function<void(const EngineError&)> handler) {
        m_handler = std::move(handler);
    }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    std::function<void(const EngineError&)> m_handler;
};

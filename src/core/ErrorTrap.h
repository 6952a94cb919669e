#pragma once

#include "core/AppState.h"
#include "core/CoreServices.h"
#include "engine/EngineError.h"

#include <exception>
#include <functional>
#include <utility>

// The shared error handler. Shows the message the error number calls for and either
// returns (a locked record, a cancelled file dialog) or ends the program.
void ReportError(const EngineError& error, AppState& state, CoreServices& services);

// Ends the program through the services and marks the state so that nothing more runs.
void endProgram(AppState& state, CoreServices& services, int status);

// The error trap of a procedure: each statement run through it that fails goes to
// ReportError, and the procedure resumes with the next statement. Once the program has
// ended, no further statement runs.
class ErrorTrap {
public:
    ErrorTrap(AppState& state, CoreServices& services) : m_state(state), m_services(services) {}

    template <class Statement> void operator()(Statement&& statement) {
        if (m_state.programEnded)
            return;
        try {
            std::forward<Statement>(statement)();
        } catch (const EngineError& error) {
            ReportError(error, m_state, m_services);
        } catch (const std::exception& error) {
            ReportError(
                EngineError(ErrorNumber::EngineFailure, QString::fromLocal8Bit(error.what())),
                m_state, m_services);
        }
    }

    bool ended() const { return m_state.programEnded; }

private:
    AppState& m_state;
    CoreServices& m_services;
};

// The locked-record protocol with the procedure's trap as the error handler: the write is
// repeated while ReportError says a locked record made it fail. Returns true when it went
// through.
bool writeWithRetry(AppState& state, ErrorTrap& trap, const std::function<void()>& write);

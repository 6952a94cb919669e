#pragma once

#include "ErrorTrap.h"

#include <functional>

// The writer's side of the locked-record protocol: repeats the write while ReportError
// says a locked record made it fail, then lets the engine free its read locks.
// Returns true when the write went through.
bool writeWithRetry(AppState& state, ErrorTrap& trap, const std::function<void()>& write);

#include "LockedWrite.h"

bool writeWithRetry(AppState& state, ErrorTrap& trap, const std::function<void()>& write) {
    bool written = false;
    state.gLockTries = 0;
    state.gLockRetry = true;
    while (state.gLockRetry && !trap.ended()) {
        state.gLockRetry = false;
        trap([&] {
            write();
            written = true;
        });
    }
    trap([&] {
        if (state.gDatabase)
            state.gDatabase->idle();
    });
    return written;
}

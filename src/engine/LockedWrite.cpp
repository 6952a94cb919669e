#include "engine/LockedWrite.h"

bool writeWithRetry(LockRetryState& state, const TrappedStatement& trapped,
                    const std::function<bool()>& stopped, const std::function<void()>& write) {
    bool written = false;
    state.gLockTries = 0;
    state.gLockRetry = true;
    while (state.gLockRetry && !stopped()) {
        state.gLockRetry = false;
        trapped([&] {
            write();
            written = true;
        });
    }
    return written;
}

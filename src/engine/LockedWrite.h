#pragma once

#include <functional>

// The shared state of the locked-record protocol: the error handler sets gLockRetry when a
// write failed because its record was locked, and counts such failures in gLockTries.
struct LockRetryState {
    bool gLockRetry = false;
    int gLockTries = 0;
};

// Runs one statement and hands its failure to the error handler, which sets gLockRetry
// again for a locked record.
using TrappedStatement = std::function<void(const std::function<void()>&)>;

// The writer's side of the locked-record protocol: repeats the write, at once, for as long
// as the error handler says a locked record made it fail. stopped() is true once the program
// has ended and nothing more may run. Returns true when the write went through.
bool writeWithRetry(LockRetryState& state, const TrappedStatement& trapped,
                    const std::function<bool()>& stopped, const std::function<void()>& write);

#include "core/ErrorTrap.h"

namespace {

// Every message of the trap ends the program with this status, so a script that started
// Purvex can tell that it did not run.
constexpr int FailureStatus = 1;

// The locked-record protocol: the writer retries at once, silently, 99 times; the 100th
// failure asks, and Yes starts the count again.
void handleLockedRecord(AppState& state, CoreServices& services) {
    state.gLockRetry = true;
    ++state.gLockTries;
    if (state.gLockTries < 100)
        return;
    const MsgAnswer answer = services.message(
        QStringLiteral("Could not update locked record.  Do you wish to try again?"),
        QStringLiteral("Locked Record"), MsgButtons::YesNo);
    if (answer == MsgAnswer::Yes) {
        state.gLockTries = 1;
        return;
    }
    state.gLockRetry = false;
    endProgram(state, services, FailureStatus);
}

void showAndEnd(AppState& state, CoreServices& services, const QString& text,
                const QString& title = {}) {
    services.message(text, title, MsgButtons::Ok);
    endProgram(state, services, FailureStatus);
}

} // namespace

void endProgram(AppState& state, CoreServices& services, int status) {
    state.programEnded = true;
    state.exitStatus = status;
    // Closing writes nothing: it rolls back whatever was under way and takes the journal
    // with it, so a start-up that fails leaves the file exactly as it found it and nothing
    // beside it. The closed objects stay in place for whatever still refers to them.
    if (state.gOrders)
        state.gOrders->close();
    if (state.gDatabase)
        state.gDatabase->close();
    services.endProgram(status);
}

void ReportError(const EngineError& error, AppState& state, CoreServices& services) {
    switch (error.number()) {
    case ErrorNumber::ObjectNotSet:
        showAndEnd(state, services,
                   QStringLiteral("There was an error accessing the database file.  Aborting..."));
        return;
    case ErrorNumber::DatabaseInUse:
        showAndEnd(state, services,
                   QStringLiteral("The database is in use.  You are attempting to run the "
                                  "non-network version in a network environment.  The program "
                                  "will exit."),
                   QStringLiteral("Database File Already In Use"));
        return;
    case ErrorNumber::RecordLockedOnSave:
    case ErrorNumber::RecordLocked:
        handleLockedRecord(state, services);
        return;
    case ErrorNumber::InvalidObject:
        showAndEnd(state, services,
                   QStringLiteral("An error has occurred.  You may have forgotten to close a "
                                  "window before packing or backing up the program's database.  "
                                  "Please rerun the program."));
        return;
    case ErrorNumber::DialogCancelled:
        state.gCancel = true;
        return;
    case ErrorNumber::RecordChanged:
        // Another user's change won; the form keeps what this user typed, to compare and
        // save again or cancel, and the program goes on.
        services.message(error.description(), QStringLiteral("Record Changed"), MsgButtons::Ok);
        return;
    default:
        showAndEnd(state, services,
                   QStringLiteral("%1  %2").arg(error.number()).arg(error.description()));
        return;
    }
}

bool writeWithRetry(AppState& state, ErrorTrap& trap, const std::function<void()>& write) {
    return writeWithRetry(
        state, [&trap](const std::function<void()>& statement) { trap(statement); },
        [&trap] { return trap.ended(); }, write);
}

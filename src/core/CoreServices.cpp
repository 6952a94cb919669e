#include "core/CoreServices.h"

MsgAnswer CoreServices::message(const QString& text, const QString& title, MsgButtons buttons) {
    const bool busy = isBusy();
    if (busy)
        showBusyPointer(false);
    const MsgAnswer answer = showMessage(text, title, buttons);
    if (busy)
        showBusyPointer(true);
    return answer;
}

void CoreServices::setBusy(bool busy) {
    if (busy) {
        if (m_busyDepth++ == 0)
            showBusyPointer(true);
        return;
    }
    // One more "not busy" than "busy" is a caller's slip; it must not leave the count
    // below zero and the next hourglass unseen.
    if (m_busyDepth == 0)
        return;
    if (--m_busyDepth == 0)
        showBusyPointer(false);
}

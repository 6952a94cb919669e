#pragma once

class QObject;

// The help topic of a window, control or menu item is a property of the object itself,
// so the one place that handles F1 can ask whatever has the focus.
void setHelpContext(QObject* object, int contextId);
// The object's own help context number; 0 when it carries none.
int helpContext(const QObject* object);
// The number of the object or, failing that, of the nearest parent that carries one:
// a control without a topic of its own falls back to its window's.
int effectiveHelpContext(const QObject* object);

#pragma once

class QObject;
class Services;

// F1, handled once for the whole program: it opens the help topic of the menu item that is
// highlighted while a menu is open, otherwise of the control that has the focus or, when
// that control carries no number, of the nearest window or frame around it that does. The
// object that does this belongs to parent and lives as long as it.
void installHelpKey(QObject* application, Services& services);

// The help context number F1 would open now, 0 when nothing carries one.
int helpContextForF1();

#include "frmMain.h"

#include "app/AppState.h"
#include "app/Database.h"
#include "app/Recordset.h"

#include <QAction>

void frmMain::connectSortHandlers() {}

void frmMain::openOrders(const QString& orderBy) {
    // The old recordset goes first so that its cached rows are released before the new
    // keyset is read.
    m_state.gOrders.reset();
    m_state.gOrders = database().openDynaset(QStringLiteral("pvx"), orderBy);
    m_state.gOrders->setLockEdits(false);
}

void frmMain::checkSortItem(int index) {
    for (int i = 0; i < int(mnuSort.size()); ++i)
        mnuSort[i]->setChecked(i + 1 == index);
}

// Paging through gOrders with the four buttons, and the Sort menu's three orders.

#include "gui/orders/frmMain.h"

#include "core/AppState.h"
#include "engine/Database.h"
#include "engine/DomainCodes.h"
#include "engine/Recordset.h"
#include "gui/app/Services.h"

#include <QAction>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

// The orders of the Sort menu, by item index from 1. There is no second key: records with
// equal keys come in the engine's order.
QString sortOrderBy(int index) {
    switch (SortOrder(index)) {
    case SortOrder::OrderDate:
        return u"dateorder DESC"_s;
    case SortOrder::Description:
        return u"descr"_s;
    case SortOrder::Vendor:
        return u"vendor"_s;
    }
    return {};
}

bool isEmpty(const Recordset& rs) {
    return rs.bof() && rs.eof();
}

} // namespace

void frmMain::connectSortHandlers() {
    connect(cmdFirst, &QPushButton::clicked, this, &frmMain::cmdFirst_Click);
    connect(cmdPrevious, &QPushButton::clicked, this, &frmMain::cmdPrevious_Click);
    connect(cmdNext, &QPushButton::clicked, this, &frmMain::cmdNext_Click);
    connect(cmdLast, &QPushButton::clicked, this, &frmMain::cmdLast_Click);
    for (int i = 0; i < int(mnuSort.size()); ++i)
        connect(mnuSort[i], &QAction::triggered, this, [this, i] { mnuSort_Click(i + 1); });
}

void frmMain::cmdFirst_Click() {
    Recordset& rs = orders();
    if (isEmpty(rs))
        return;
    rs.moveFirst();
    ShowRecord();
}

void frmMain::cmdPrevious_Click() {
    Recordset& rs = orders();
    if (isEmpty(rs))
        return;
    rs.movePrevious();
    if (rs.bof()) {
        m_services.beep();
        rs.moveFirst();
    }
    ShowRecord();
}

void frmMain::cmdNext_Click() {
    Recordset& rs = orders();
    if (isEmpty(rs))
        return;
    rs.moveNext();
    if (rs.eof()) {
        m_services.beep();
        rs.moveLast();
    }
    ShowRecord();
}

void frmMain::cmdLast_Click() {
    Recordset& rs = orders();
    if (isEmpty(rs))
        return;
    rs.moveLast();
    ShowRecord();
}

void frmMain::mnuSort_Click(int index) {
    const QString orderBy = sortOrderBy(index);
    if (orderBy.isEmpty())
        return;
    m_state.gSortOrder = index;
    checkSortItem(index);
    // Reopening takes in records added since the last opening, each in its place in the new
    // order.
    openOrders(orderBy);
    Recordset& rs = orders();
    if (isEmpty(rs)) {
        ClearFields();
        DisableFields();
        return;
    }
    rs.moveFirst();
    ShowRecord();
}

void frmMain::reopenOrders() {
    const QString orderBy = sortOrderBy(m_state.gSortOrder);
    openOrders(orderBy.isEmpty() ? sortOrderBy(codeOf(SortOrder::OrderDate)) : orderBy);
}

void frmMain::openOrders(const QString& orderBy) {
    // The old recordset goes first so that its cached row is released before the new one
    // is read.
    m_state.gOrders.reset();
    m_state.gOrders = database().openDynaset(QStringLiteral("pvx"), orderBy);
    m_state.gOrders->setLockEdits(false);
}

void frmMain::checkSortItem(int index) {
    for (int i = 0; i < int(mnuSort.size()); ++i)
        mnuSort[i]->setChecked(i + 1 == index);
}

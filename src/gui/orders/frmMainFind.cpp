// Finding a record from the find dialog, and opening the vendor list.

#include "gui/orders/frmMain.h"

#include "gui/orders/frmFind.h"
#include "gui/orders/frmSelVen.h"

#include "core/AppState.h"
#include "dates/LocaleDates.h"
#include "engine/DomainCodes.h"
#include "engine/EngineError.h"
#include "engine/Recordset.h"
#include "engine/SqlText.h"
#include "gui/app/Services.h"

#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

// The order each search reopens the list in; the date search goes earliest first, so
// the found day is followed by the days after it.
QString searchOrder(int option) {
    switch (SortOrder(option)) {
    case SortOrder::OrderDate:
        return u"dateorder"_s;
    case SortOrder::Description:
        return u"descr"_s;
    case SortOrder::Vendor:
        break;
    }
    return u"vendor"_s;
}

// The key of the record gOrders is on, if it is on one.
std::optional<QVariant> currentKey(Recordset& rs) {
    if (rs.bof() || rs.eof())
        return std::nullopt;
    try {
        return rs.value(u"zelid"_s);
    } catch (const EngineError&) {
        // A row removed under the recordset has no key to return to; the search then
        // falls back to the first record.
        return std::nullopt;
    }
}

} // namespace

void frmMain::connectFindHandlers() {
    connect(cmdFind, &QPushButton::clicked, this, &frmMain::cmdFind_Click);
    // Ctrl+F is the Find button pressed from anywhere in the window, so it does nothing
    // while the button is away (a record is being edited) or greyed out.
    auto* findKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this);
    findKey->setObjectName(u"findKey"_s);
    connect(findKey, &QShortcut::activated, this, [this] {
        if (!cmdFind->isHidden())
            cmdFind->click();
    });
    connect(cmdSelVend, &QPushButton::clicked, this, &frmMain::cmdSelVend_Click);
}

void frmMain::cmdFind_Click() {
    m_state.gCancel = true;
    if (!m_frmFind)
        m_frmFind = new frmFind(m_state, m_services, this);
    m_services.runModal(*m_frmFind);
    if (m_state.gCancel) {
        // Only an OK keeps the dialog; the next find after a Cancel loads it afresh.
        delete m_frmFind.data();
        return;
    }

    const int option = m_frmFind->selectedOption();
    const QString text = m_frmFind->txtName->text();
    // The record on show is found again by its key when the search finds nothing, so
    // the form and the new recordset stay in step.
    const std::optional<QVariant> shownKey = currentKey(orders());

    m_state.gSortOrder = option;
    checkSortItem(option);
    openOrders(searchOrder(option));
    Recordset& rs = orders();

    // The typed text is a value, never part of the query: a prefix pattern with its
    // wildcards escaped, compared after Unicode case folding on both sides.
    bool found = false;
    if (option == codeOf(SortOrder::OrderDate)) {
        // Bound as a date alone, which matches only orders stored without a time of day.
        if (const auto date =
                LocaleDates::toDate(text, m_services.locale(), m_services.today().year()))
            found = rs.findFirstWhere(u"dateorder = ?"_s, {date->date});
    } else {
        const QString column = option == codeOf(SortOrder::Description) ? u"descr"_s : u"vendor"_s;
        found = rs.findFirstWhere(u"pvx_fold(%1) LIKE pvx_fold(?) ESCAPE '\\'"_s.arg(column),
                                  {likePrefixPattern(text)});
    }

    if (found) {
        ShowRecord();
    } else {
        m_services.message(u"That record was not found."_s, u"No Records Match"_s);
        if (rs.bof() && rs.eof()) {
            ClearFields();
            DisableFields();
        } else {
            if (!shownKey || !rs.findFirst(u"zelid"_s, *shownKey))
                rs.moveFirst();
            ShowRecord();
        }
    }
    m_frmFind->txtName->clear();
}

void frmMain::cmdSelVend_Click() {
    if (m_frmSelVen && m_frmSelVen->isVisible()) {
        m_frmSelVen->raise();
        m_frmSelVen->activateWindow();
        return;
    }
    delete m_frmSelVen.data();
    m_frmSelVen = new frmSelVen(m_state, m_services, *this);
    m_frmSelVen->show();
}

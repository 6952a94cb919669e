// The record commands of the main form: Add New (and Add Another), Update, Cancel and
// Delete, the check made before every save and the writer of a record.

#include "gui/orders/frmMain.h"

#include "gui/orders/AmountBox.h"

#include "core/AppState.h"
#include "core/ErrorTrap.h"
#include "dates/LocaleDates.h"
#include "engine/DomainCodes.h"
#include "engine/LockedWrite.h"
#include "engine/Money.h"
#include "engine/Recordset.h"
#include "gui/app/Services.h"
#include "gui/dates/DateField.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <functional>
#include <tuple>

using namespace Qt::StringLiterals;

namespace {

const QString AddNewCaption = u"&Add New"_s;
const QString AddAnotherCaption = u"&Add Another"_s;

// Text fields written by the program hold empty strings, never Null.
QVariant textValue(const QString& text) {
    return text.isNull() ? QVariant(u""_s) : QVariant(text);
}

QVariant dateValue(const QString& text, const QLocale& locale, int currentYear) {
    const auto date = LocaleDates::toDate(text, locale, currentYear);
    return date ? date->toVariant() : QVariant();
}

QVariant amountValue(const QString& text, const QLocale& locale) {
    const auto amount = parseCurrency(text, locale);
    return amount ? QVariant::fromValue(*amount) : QVariant();
}

bool isBlank(const QString& text) {
    return text.trimmed().isEmpty();
}

// A save command pressed with its access key leaves the focus where it was, so the check
// the box would make on leaving has not run: a mistyped date or amount would be saved as
// Null without a word. The checks run first, as if the user had tabbed out of each box.
bool entriesAccepted(const QList<DateField*>& dates, QLineEdit* amountBox) {
    for (DateField* date : dates) {
        if (!date->checkEntry())
            return false;
    }
    auto* amount = qobject_cast<AmountBox*>(amountBox);
    return !amount || amount->checkEntry();
}

} // namespace

void frmMain::connectCommandHandlers() {
    connect(cmdAddNew, &QPushButton::clicked, this, &frmMain::cmdAddNew_Click);
    connect(cmdUpdate, &QPushButton::clicked, this, &frmMain::cmdUpdate_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmMain::cmdCancel_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &frmMain::cmdDelete_Click);
}

bool frmMain::ValidateRecord() {
    const QLocale locale = m_services.locale();
    bool ok = true;
    if (txtDescr->text().isEmpty()) {
        m_services.message(u"You must enter a description, for this order/Rebate record or "
                           u"click the Cancel button."_s);
        txtDescr->setFocus(Qt::OtherFocusReason);
        ok = false;
    }
    // An order date another tool stored that reads as no date stays as it is while the user
    // leaves it alone; the record is not held back by a value nobody touched.
    const bool storedOrderDate =
        !mAdding && !userChanged(dcDateOrder) && !isBlank(dcDateOrder->text());
    if (ok && !storedOrderDate &&
        !LocaleDates::isDate(dcDateOrder->text(), locale, m_services.today().year())) {
        m_services.message(u"Please enter an order date."_s, u"No Order Date"_s);
        dcDateOrder->setFocus(Qt::OtherFocusReason);
        ok = false;
    }
    // A status code the program never writes is shown as "No" but is not "No": unless the
    // user chooses a status, the received date is not held against it.
    const bool statusKnown = !m_oddStatus || userChanged(cmbStatus);
    // A received date of blanks alone is stored as no date, so it counts as empty here too:
    // otherwise a record could be saved as received with no date of receipt. So does a
    // value another tool stored that is no date ("0000-00-00"), as long as nobody touched it.
    const QString received = dcDateReceive->text();
    const bool receivedGiven =
        !isBlank(received) && (userChanged(dcDateReceive) ||
                               LocaleDates::isDate(received, locale, m_services.today().year()));
    if (ok && statusKnown && !receivedGiven &&
        cmbStatus->currentIndex() == codeOf(ReceivedStatus::Yes)) {
        m_services.message(u"Please enter the date the order was received."_s,
                           u"Receive Date Needed"_s);
        dcDateReceive->setFocus(Qt::OtherFocusReason);
        ok = false;
    }
    if (ok && statusKnown && receivedGiven &&
        cmbStatus->currentIndex() == codeOf(ReceivedStatus::No)) {
        m_services.message(u"You have entered a Date Received, but the Received status "
                           u"indicates the order has not been received."_s,
                           u"Check Received Status"_s);
        cmbStatus->setFocus(Qt::OtherFocusReason);
        ok = false;
    }
    return ok;
}

void frmMain::WriteRecord() {
    ErrorTrap trap(m_state, m_services);
    const QLocale locale = m_services.locale();
    const int year = m_services.today().year();
    // A new record takes every box. An edited one takes only the boxes the user changed:
    // what the form shows is a rounded, reformatted view of the stored values (a date
    // without its time of day, an amount to the cent), and writing that view back would
    // quietly change values nobody touched.
    const bool everyField = mAdding;
    const auto changed = [&](const QWidget* control) { return everyField || userChanged(control); };
    // The values go into the recordset's buffer only; the row is written by update() in one
    // statement, so a failure anywhere before or during it leaves the file as it was.
    const std::tuple<const char*, const QWidget*, std::function<QVariant()>> fields[] = {
        {"descr", txtDescr, [&] { return textValue(txtDescr->text()); }},
        {"Type", cmbType, [&] { return QVariant(cmbType->currentIndex()); }},
        {"status", cmbStatus, [&] { return QVariant(cmbStatus->currentIndex()); }},
        {"ordernum", txtOrderNum, [&] { return textValue(txtOrderNum->text()); }},
        {"via", txtVia, [&] { return textValue(txtVia->text()); }},
        {"dateorder", dcDateOrder, [&] { return dateValue(dcDateOrder->text(), locale, year); }},
        {"dateexpect", dcDateExpect, [&] { return dateValue(dcDateExpect->text(), locale, year); }},
        {"datereceive", dcDateReceive,
         [&] { return dateValue(dcDateReceive->text(), locale, year); }},
        {"amount", txtAmount, [&] { return amountValue(txtAmount->text(), locale); }},
        {"method", txtMethod, [&] { return textValue(txtMethod->text()); }},
        {"misc1", txtMisc1, [&] { return textValue(txtMisc1->text()); }},
        {"vendor", txtVendor, [&] { return textValue(txtVendor->text()); }},
        {"address", txtAddress, [&] { return textValue(txtAddress->toPlainText()); }},
        {"phone", txtPhone, [&] { return textValue(txtPhone->text()); }},
        {"fax", txtFax, [&] { return textValue(txtFax->text()); }},
        {"email", txtEmail, [&] { return textValue(txtEmail->text()); }},
        {"items", txtItems, [&] { return textValue(txtItems->toPlainText()); }},
        {"notes", txtNotes, [&] { return textValue(txtNotes->toPlainText()); }},
    };
    for (const auto& [field, control, value] : fields) {
        if (changed(control))
            trap([&] { orders().setValue(QString::fromLatin1(field), value()); });
    }

    const bool written =
        !trap.ended() && writeWithRetry(m_state, trap, [this] { orders().update(); });
    m_writeRefused = !written;
    if (written)
        return;
    // The row was not written: drop the buffer so that the recordset is not left half way
    // through an AddNew or Edit. The controls keep what the user typed.
    try {
        if (m_state.gOrders && m_state.gOrders->isEditing())
            m_state.gOrders->cancelUpdate();
    } catch (const EngineError&) {
        // The recordset is beyond use already; the error that got here has been reported.
    }
}

bool frmMain::readyToSave(ErrorTrap& trap) {
    // The command checks these boxes itself, now: a check on leaving that the click on the
    // button set off must not show the same refusal a second time.
    for (DateField* date : {dcDateOrder, dcDateExpect, dcDateReceive})
        date->cancelPendingCheck();
    if (auto* amount = qobject_cast<AmountBox*>(txtAmount))
        amount->cancelPendingCheck();
    bool ready = false;
    trap([&] {
        // The order date is not among them: the record's own check asks for it.
        ready = entriesAccepted({dcDateExpect, dcDateReceive}, txtAmount) && ValidateRecord();
    });
    return ready && !trap.ended();
}

void frmMain::cmdAddNew_Click() {
    ErrorTrap trap(m_state, m_services);
    if (mAdding) {
        if (!readyToSave(trap))
            return;
        trap([&] { orders().addNew(); });
        trap([&] { WriteRecord(); });
        if (trap.ended())
            return;
        UpdateStatusLine();
    } else {
        trap([&] { mAdding = true; });
        bool empty = false;
        trap([&] { empty = orders().bof() && orders().eof(); });
        if (empty)
            trap([&] { EnableFields(); });
        else
            trap([&] { orders().moveLast(); });
        trap([&] { ShowEditButtons(); });
        trap([&] { cmdAddNew->setText(AddAnotherCaption); });
    }
    trap([&] { ClearFields(); });
    trap([&] {
        dcDateOrder->setText(LocaleDates::shortDate(m_services.today(), m_services.locale()));
    });
    trap([&] { txtDescr->setFocus(Qt::OtherFocusReason); });
}

void frmMain::cmdUpdate_Click() {
    ErrorTrap trap(m_state, m_services);
    if (!readyToSave(trap))
        return;

    // The key is read before the write so that the saved row can be found again, wherever
    // it now sits in the recordset's order.
    QVariant key;
    if (mAdding) {
        trap([&] { orders().addNew(); });
        trap([&] {
            key = orders().value(u"zelid"_s);
            if (key.isNull())
                key = 1;
        });
        trap([&] { WriteRecord(); });
        if (trap.ended() || m_writeRefused)
            return;
        trap([&] { cmdAddNew->setText(AddNewCaption); });
    } else {
        trap([&] { key = orders().value(u"zelid"_s); });
        trap([&] { orders().edit(); });
        trap([&] { WriteRecord(); });
        if (trap.ended() || m_writeRefused)
            return;
    }

    // On a server others add records too: the keys read afresh show theirs as well, each in
    // its place.
    if (database().isServer())
        trap([&] { reopenOrders(); });
    bool found = false;
    trap([&] { found = orders().findFirstWhere(u"zelid = ?"_s, {key}); });
    if (!found)
        trap([&] { orders().moveFirst(); });
    trap([&] { ShowRecord(); });
    trap([&] { ShowBrowseButtons(); });
    trap([&] {
        mAdding = false;
        mDirty = false;
    });
    UpdateStatusLine();
}

void frmMain::cmdCancel_Click() {
    Recordset& rs = orders();
    if (!(rs.bof() && rs.eof())) {
        if (mAdding)
            rs.moveLast();
        ShowRecord();
    } else {
        ClearFields();
        DisableFields();
    }
    ShowBrowseButtons();
    cmdAddNew->setText(AddNewCaption);
    mDirty = false;
    mAdding = false;
}

void frmMain::cmdDelete_Click() {
    ErrorTrap trap(m_state, m_services);
    bool empty = true;
    trap([&] { empty = orders().bof() && orders().eof(); });
    if (empty || trap.ended())
        return;
    MsgAnswer answer = MsgAnswer::No;
    trap([&] {
        answer = m_services.message(u"Are you sure that you want to delete this order record?"_s,
                                    u"Delete Record"_s, MsgButtons::YesNo);
    });
    if (answer != MsgAnswer::Yes)
        return;

    const bool deleted = writeWithRetry(m_state, trap, [this] { orders().deleteRecord(); });
    if (!deleted || trap.ended())
        return;
    UpdateStatusLine();
    trap([&] { orders().moveNext(); });
    trap([&] { empty = orders().bof() && orders().eof(); });
    if (empty) {
        trap([&] { ClearFields(); });
        trap([&] { DisableFields(); });
        return;
    }
    bool pastEnd = false;
    trap([&] { pastEnd = orders().eof(); });
    if (pastEnd)
        trap([&] { orders().movePrevious(); });
    trap([&] { ShowRecord(); });
}

// Showing a record in the main form, emptying it, and switching between browse and edit mode.

#include "gui/orders/frmMain.h"

#include "gui/orders/MemoBox.h"

#include "core/AppState.h"
#include "dates/LocaleDates.h"
#include "engine/Currency.h"
#include "engine/DomainCodes.h"
#include "engine/Money.h"
#include "engine/Recordset.h"
#include "gui/app/Services.h"
#include "gui/dates/DateField.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// A stored position that is Null, not a number or not in the list shows the first entry.
int listPosition(const QVariant& stored, const QComboBox& list) {
    bool ok = false;
    const int position = stored.isNull() ? 0 : stored.toInt(&ok);
    return ok && position >= 0 && position < list.count() ? position : 0;
}

// What a control shows, as text: the lists by their position.
QString shownText(const QWidget* control) {
    if (const auto* box = qobject_cast<const QLineEdit*>(control))
        return box->text();
    if (const auto* memo = qobject_cast<const QPlainTextEdit*>(control))
        return memo->toPlainText();
    if (const auto* date = qobject_cast<const DateField*>(control))
        return date->text();
    if (const auto* list = qobject_cast<const QComboBox*>(control))
        return QString::number(list->currentIndex());
    return {};
}

} // namespace

void frmMain::MarkChanged() {
    if (mDirty || mAdding)
        return;
    mDirty = true;
    ShowEditButtons();
    cmdAddNew->hide();
}

void frmMain::cmbType_Click() {
    MarkChanged();
    SetTypeCaptions();
}

void frmMain::cmbStatus_Click() {
    MarkChanged();
}

void frmMain::SetTypeCaptions() {
    // No selection (or none of the three): the captions stay as they are.
    switch (OrderType(cmbType->currentIndex())) {
    case OrderType::Order:
    case OrderType::Rebate:
        lblDateOrder->setText(u"Date Ordered"_s);
        lblVendor->setText(u"Ordered From"_s);
        lblItems->setText(u"Items Ordered"_s);
        break;
    case OrderType::Sale:
        lblDateOrder->setText(u"Date Sold"_s);
        lblVendor->setText(u"Sold To"_s);
        lblItems->setText(u"Items Sold"_s);
        break;
    }
}

void frmMain::showText(QLineEdit* box, const QVariant& value) {
    const QString text = value.toString();
    const bool tooLong = text.size() > MemoBox::ShownLimit;
    const QString shown = tooLong ? MemoBox::shownPart(text) : text;
    box->setReadOnly(tooLong);
    box->setToolTip(tooLong ? MemoBox::tooLongTip(text.size()) : QString());
    box->setMaxLength(std::max(m_limits.value(box), int(shown.size())));
    box->setText(shown);
}

void frmMain::ShowRecord() {
    Recordset& rs = orders();
    const QLocale locale = m_services.locale();
    mDirty = true;
    showText(txtDescr, rs.value(u"descr"_s));
    cmbType->setCurrentIndex(listPosition(rs.value(u"Type"_s), *cmbType));
    SetTypeCaptions();
    const QVariant status = rs.value(u"status"_s);
    cmbStatus->setCurrentIndex(listPosition(status, *cmbStatus));
    // Null is "No", as the program has always shown it; another code is not.
    bool isNumber = false;
    const int code = status.toInt(&isNumber);
    m_oddStatus = !status.isNull() && !(isNumber && code >= 0 && code < cmbStatus->count());
    showText(txtOrderNum, rs.value(u"ordernum"_s));
    showText(txtVia, rs.value(u"via"_s));
    dcDateOrder->setText(LocaleDates::shortDate(rs.value(u"dateorder"_s), locale));
    dcDateExpect->setText(LocaleDates::shortDate(rs.value(u"dateexpect"_s), locale));
    dcDateReceive->setText(LocaleDates::shortDate(rs.value(u"datereceive"_s), locale));
    txtAmount->setMaxLength(m_limits.value(txtAmount));
    txtAmount->setText(storedAmountText(rs.value(u"amount"_s), locale));
    showText(txtMethod, rs.value(u"method"_s));
    showText(txtMisc1, rs.value(u"misc1"_s));
    showText(txtVendor, rs.value(u"vendor"_s));
    txtAddress->showText(rs.value(u"address"_s).toString());
    showText(txtPhone, rs.value(u"phone"_s));
    showText(txtFax, rs.value(u"fax"_s));
    showText(txtEmail, rs.value(u"email"_s));
    txtItems->showText(rs.value(u"items"_s).toString());
    txtNotes->showText(rs.value(u"notes"_s).toString());
    rememberShown();
    mDirty = false;
}

void frmMain::rememberShown() {
    m_shown.clear();
    for (const QWidget* control : entryControls())
        m_shown.insert(control, shownText(control));
}

bool frmMain::userChanged(const QWidget* control) const {
    const auto shown = m_shown.constFind(control);
    return shown == m_shown.cend() || *shown != shownText(control);
}

void frmMain::ClearFields() {
    mDirty = true;
    for (auto it = m_limits.cbegin(); it != m_limits.cend(); ++it) {
        it.key()->setMaxLength(it.value());
        it.key()->setReadOnly(false);
        it.key()->setToolTip({});
    }
    txtDescr->clear();
    cmbType->setCurrentIndex(0);
    SetTypeCaptions();
    cmbStatus->setCurrentIndex(0);
    txtOrderNum->clear();
    txtVia->clear();
    dcDateOrder->setText(QString());
    dcDateExpect->setText(QString());
    dcDateReceive->setText(QString());
    for (QLineEdit* box : {txtAmount, txtMethod, txtMisc1, txtVendor})
        box->clear();
    txtAddress->showText({});
    for (QLineEdit* box : {txtPhone, txtFax, txtEmail})
        box->clear();
    txtItems->showText({});
    txtNotes->showText({});
    m_oddStatus = false;
    rememberShown();
    mDirty = false;
}

QList<QWidget*> frmMain::entryControls() const {
    return {txtDescr,     cmbType,       cmbStatus, txtOrderNum, txtVia,   dcDateOrder,
            dcDateExpect, dcDateReceive, txtAmount, txtMethod,   txtMisc1, txtVendor,
            txtAddress,   txtPhone,      txtFax,    txtEmail,    txtItems, txtNotes};
}

void frmMain::EnableFields() {
    for (QWidget* control : entryControls())
        control->setEnabled(true);
    cmdSelVend->setEnabled(true);
}

void frmMain::DisableFields() {
    for (QWidget* control : entryControls())
        control->setEnabled(false);
    cmdSelVend->setEnabled(false);
}

void frmMain::ShowEditButtons() {
    for (QPushButton* b : {cmdFirst, cmdPrevious, cmdNext, cmdLast, cmdHelp, cmdFind, cmdDelete})
        b->hide();
    cmdCancel->show();
    cmdUpdate->show();
    for (QAction* item : mnuSort)
        item->setEnabled(false);
    mnuExit->setEnabled(false);
}

void frmMain::ShowBrowseButtons() {
    for (QPushButton* b :
         {cmdFirst, cmdPrevious, cmdNext, cmdLast, cmdHelp, cmdFind, cmdDelete, cmdAddNew})
        b->show();
    cmdCancel->hide();
    cmdUpdate->hide();
    for (QAction* item : mnuSort)
        item->setEnabled(true);
    mnuExit->setEnabled(true);
}

// The designer at work: moving fields between the lists, showing a field's details,
// storing what the user sets when a control is left, and generating the report.

#include "gui/custom/frmRptSpec.h"

#include "custom/CustomReport.h"
#include "custom/TypedNumber.h"
#include "gui/custom/WindowPageSink.h"

#include "core/AppState.h"
#include "core/ErrorTrap.h"
#include "dates/LocaleDates.h"
#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/Recordset.h"
#include "gui/app/Services.h"
#include "gui/dates/DateField.h"
#include "gui/reports/Printing.h"
#include "reports/PageDocument.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTabWidget>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

int specIdOf(const QListWidgetItem* item) {
    return item->data(Qt::UserRole).toInt();
}

QListWidgetItem* selectedItem(const QListWidget* list) {
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? nullptr : selected.constFirst();
}

QListWidgetItem* itemOf(const QListWidget* list, int specId) {
    for (int row = 0; row < list->count(); ++row) {
        if (specIdOf(list->item(row)) == specId)
            return list->item(row);
    }
    return nullptr;
}

// Both options clear: a yes/no field that has no criterion.
void setOption(QRadioButton* button, bool checked) {
    button->setAutoExclusive(false);
    button->setChecked(checked);
    button->setAutoExclusive(true);
}

} // namespace

void frmRptSpec::cmdAdd_Click() {
    if (!settlePendingCheck())
        return;
    QListWidgetItem* item = selectedItem(List1);
    if (!item) {
        m_services.message(
            u"You must select a field from the list of available fields to add to the report."_s,
            {}, MsgButtons::Ok);
        return;
    }
    {
        const QSignalBlocker available(List1);
        const QSignalBlocker report(List2);
        auto* added = new QListWidgetItem(item->text(), List2);
        added->setData(Qt::UserRole, specIdOf(item));
        const int row = List1->row(item);
        delete List1->takeItem(row);
        // The next field is ready to be added in turn.
        if (List1->count() > 0)
            List1->setCurrentRow(std::min(row, List1->count() - 1));
        List2->setCurrentItem(added);
        List2->scrollToItem(added);
    }
    // The field's settings are not reset: one that was in the report before comes back as
    // it was.
    frame1->show();
    ShowFieldDetails();
}

void frmRptSpec::cmdRemove_Click() {
    if (!settlePendingCheck())
        return;
    QListWidgetItem* item = selectedItem(List2);
    if (!item) {
        m_services.message(u"You must select a field to remove from the report."_s, {},
                           MsgButtons::Ok);
        return;
    }
    {
        const QSignalBlocker report(List2);
        returnToAvailable(item->text(), specIdOf(item));
        delete List2->takeItem(List2->row(item));
        List2->clearSelection();
    }
    // Nothing is selected now, so the details go until the user selects a field.
    if (List2->count() > 0)
        ShowFieldDetails();
    else
        frame1->hide();
}

void frmRptSpec::returnToAvailable(const QString& text, int specId) {
    const int order = m_catalogueOrder.value(specId);
    int row = 0;
    while (row < List1->count() && m_catalogueOrder.value(specIdOf(List1->item(row))) < order)
        ++row;
    const QSignalBlocker available(List1);
    auto* item = new QListWidgetItem(text);
    item->setData(Qt::UserRole, specId);
    List1->insertItem(row, item);
}

void frmRptSpec::cmdUp_Click() {
    moveSelected(-1, u"You must select the field to move up in the list"_s);
}

void frmRptSpec::cmdDown_Click() {
    moveSelected(1, u"You must select the field to move down in the list"_s);
}

void frmRptSpec::moveSelected(int step, const QString& nothingSelected) {
    if (!settlePendingCheck())
        return;
    QListWidgetItem* item = selectedItem(List2);
    if (!item) {
        m_services.message(nothingSelected, {}, MsgButtons::Ok);
        return;
    }
    const int row = List2->row(item);
    const int to = row + step;
    // The first entry does not go up, nor the last down, and nobody is told.
    if (List2->count() < 2 || to < 0 || to >= List2->count())
        return;
    {
        const QSignalBlocker report(List2);
        QListWidgetItem* taken = List2->takeItem(row);
        List2->insertItem(to, taken);
        List2->setCurrentItem(taken);
    }
    // The settings go with the field: they are kept by SpecID, not by place.
    ShowFieldDetails();
}

void frmRptSpec::List2_SelectionChanged() {
    ShowFieldDetails();
}

int frmRptSpec::positionCatalogue(int specId) {
    if (!rsSpec)
        throw EngineError(ErrorNumber::ObjectNotSet,
                          u"Object variable or With block variable not set"_s);
    if (!rsSpec->findFirst(u"SpecID"_s, specId))
        throw EngineError(ErrorNumber::EngineFailure,
                          u"The report field %1 is no longer in the catalogue"_s.arg(specId));
    return rsSpec->value(u"datatype"_s).toInt();
}

void frmRptSpec::ShowFieldDetails() {
    QListWidgetItem* item = selectedItem(List2);
    if (!item) {
        frame1->hide();
        return;
    }
    frame1->show();
    fraSel[CurCriteria - 1]->hide();

    const int specId = specIdOf(item);
    int datatype = 0;
    ErrorTrap trap(m_state, m_services);
    // A catalogue held open across a backup or compaction fails here, with the message
    // that says so.
    trap([&] { datatype = positionCatalogue(specId); });
    if (trap.ended() || datatype < int(FieldKind::Text) || datatype > int(FieldKind::YesNo))
        return;
    CurSpecID = specId;
    CurCriteria = datatype;
    frame1->setTitle(u"Details For "_s + item->text());
    fraSel[CurCriteria - 1]->show();

    const FieldSettings& settings = m_report.settingsOf(CurSpecID);
    txtWidth->setText(numberText(settings.ColWidth));
    chkHide->setChecked(settings.Hide);
    switch (FieldKind(datatype)) {
    case FieldKind::Text:
        txtStarting->setText(settings.StartsWith);
        break;
    case FieldKind::Number:
        txtLess->setText(settings.LessThan);
        txtGreater->setText(settings.GreaterThan);
        chkTotal->setChecked(settings.Total);
        break;
    case FieldKind::Date: {
        const QLocale locale = m_services.locale();
        dcStartDate->setText(settings.StartDate.isValid()
                                 ? LocaleDates::shortDate(settings.StartDate, locale)
                                 : QString());
        dcEndDate->setText(settings.EndDate.isValid()
                               ? LocaleDates::shortDate(settings.EndDate, locale)
                               : QString());
        break;
    }
    case FieldKind::YesNo:
        setOption(optTrue, settings.WantTrue);
        setOption(optFalse, settings.WantFalse);
        break;
    }
}

QString frmRptSpec::numberText(double value) const {
    // As the platform writes a number: the user's decimal mark, no grouping, no more digits
    // than it takes.
    const auto number = Decimal::fromDouble(value);
    return number ? number->toString(m_services.locale()) : QString::number(value);
}

void frmRptSpec::optReportTo_Click(int index) {
    // Orientation and formatting belong to the page printer alone; hidden, they keep the
    // choices made for it.
    const bool toPages = index == int(ReportTarget::ScreenPrinter);
    fraOrient->setVisible(toPages);
    fraFormat->setVisible(toPages);
}

bool frmRptSpec::eventFilter(QObject* watched, QEvent* event) {
    if (watched == cmbDesign && designListEvent(event))
        return true;
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (watched == List1 && enter && key->modifiers() == Qt::NoModifier) {
            cmdAdd_Click();
            return true;
        }
        if (watched == List2 && key->key() == Qt::Key_Delete &&
            key->modifiers() == Qt::NoModifier) {
            cmdRemove_Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

QWidget* frmRptSpec::detailControlAt(QWidget* widget) const {
    const QList<QWidget*> controls = {txtWidth,   chkHide,     chkTotal,  txtStarting, txtLess,
                                      txtGreater, dcStartDate, dcEndDate, optTrue,     optFalse};
    for (QWidget* control : controls) {
        if (widget && (widget == control || control->isAncestorOf(widget)))
            return control;
    }
    return nullptr;
}

void frmRptSpec::focusChanged(QWidget*, QWidget* now) {
    // No focus at all, or focus in another window (a message box, the calendar, the main
    // form): the control keeps this window's focus and nobody has left it.
    if (!now || now->window() != this)
        return;
    QWidget* entered = detailControlAt(now);
    QWidget* left = m_focusedControl;
    m_focusedControl = entered;
    if (!left || left == entered || m_returningFocus)
        return;
    leaveControl(left);
}

void frmRptSpec::leaveControl(QWidget* control) {
    if (CurSpecID < 1)
        return;
    FieldSettings& settings = m_report.settingsOf(CurSpecID);
    const QLocale locale = m_services.locale();
    if (control == txtWidth) {
        // A column cannot be narrower than nothing: a negative width is no width.
        const auto width = typedNumber(txtWidth->text(), locale);
        if (width && width->toDouble() >= 0) {
            if (width->isZero()) {
                settings.Hide = true;
                chkHide->setChecked(true);
            }
            settings.ColWidth = width->toDouble();
        } else if (txtWidth->isModified()) {
            postCheck({CheckKind::Width, txtWidth, CurSpecID, txtWidth->text()});
        }
    } else if (control == chkHide) {
        settings.Hide = chkHide->isChecked();
    } else if (control == chkTotal) {
        settings.Total = chkTotal->isChecked();
    } else if (control == txtStarting) {
        settings.StartsWith = txtStarting->text();
    } else if (control == txtLess || control == txtGreater) {
        auto* box = static_cast<QLineEdit*>(control);
        QString& bound = control == txtLess ? settings.LessThan : settings.GreaterThan;
        const QString text = box->text();
        // Blanks alone are what the user sees as an empty box.
        if (text.trimmed().isEmpty())
            bound.clear();
        else if (typedNumber(text, locale))
            bound = text;
        else if (box->isModified())
            postCheck({CheckKind::Refusal, box, CurSpecID, text});
    } else if (control == dcStartDate || control == dcEndDate) {
        auto* field = static_cast<DateField*>(control);
        // Dealt with here and now, while the field on show is still the one the date is
        // for; the field's own check would come after a click on another field.
        field->cancelPendingCheck();
        if (field->hasValidEntry())
            storeDate(field, field->date());
        else if (!field->isUntouched())
            postCheck({CheckKind::Refusal, field, CurSpecID, field->text()});
    } else if (control == optTrue || control == optFalse) {
        if (optTrue->isChecked()) {
            settings.WantTrue = true;
            settings.WantFalse = false;
        } else if (optFalse->isChecked()) {
            settings.WantFalse = true;
            settings.WantTrue = false;
        }
    }
}

void frmRptSpec::storeDate(DateField* field, const std::optional<DateValue>& date) {
    if (CurSpecID < 1)
        return;
    FieldSettings& settings = m_report.settingsOf(CurSpecID);
    // A blank field is no date: no bound on that side.
    (field == dcStartDate ? settings.StartDate : settings.EndDate) = date ? date->date : QDate();
}

void frmRptSpec::postCheck(const PendingCheck& check) {
    // A refusal outweighs a width message still waiting; the user is kept in that box.
    if (m_pendingCheck && m_pendingCheck->kind == CheckKind::Refusal &&
        check.kind == CheckKind::Width)
        return;
    m_pendingCheck = check;
    // A message box shown from inside the focus change would run its own event loop in the
    // middle of the key press or mouse press that moved the focus.
    QMetaObject::invokeMethod(this, &frmRptSpec::runPendingCheck, Qt::QueuedConnection);
}

bool frmRptSpec::settlePendingCheck() {
    if (!m_pendingCheck)
        return true;
    const bool refused = m_pendingCheck->kind == CheckKind::Refusal;
    runPendingCheck();
    return !refused;
}

void frmRptSpec::runPendingCheck() {
    if (!m_pendingCheck)
        return;
    const PendingCheck check = *m_pendingCheck;
    m_pendingCheck.reset();
    if (!isVisible() || m_state.programEnded)
        return;
    if (check.kind == CheckKind::Width) {
        // The old width stays, and the user goes on to wherever they were going.
        m_services.message(u"You must enter a valid number for the column width"_s, {},
                           MsgButtons::Ok);
        return;
    }
    if (!bringBack(check))
        return;
    const QScopedValueRollback returning(m_returningFocus, true);
    if (auto* field = qobject_cast<DateField*>(check.control)) {
        // The field's own check: its message, and the focus back into it.
        field->checkEntry();
        return;
    }
    m_services.message(u"You must enter a number or leave this selection field blank"_s, {},
                       MsgButtons::Ok);
    check.control->setFocus(Qt::OtherFocusReason);
    if (auto* box = qobject_cast<QLineEdit*>(check.control))
        box->selectAll();
}

bool frmRptSpec::bringBack(const PendingCheck& check) {
    // The click that left the box may have selected another field or page meanwhile; the
    // box is shown again as the user left it.
    if (CurSpecID != check.specId || !frame1->isVisible()) {
        QListWidgetItem* item = itemOf(List2, check.specId);
        if (!item)
            return false;
        {
            const QSignalBlocker report(List2);
            List2->setCurrentItem(item);
        }
        ShowFieldDetails();
        if (CurSpecID != check.specId)
            return false;
    }
    Tab1->setCurrentIndex(0);
    if (auto* field = qobject_cast<DateField*>(check.control)) {
        if (field->text() != check.text) {
            field->setText(check.text);
            field->lineEdit()->setModified(true);
        }
    } else if (auto* box = qobject_cast<QLineEdit*>(check.control)) {
        if (box->text() != check.text) {
            box->setText(check.text);
            box->setModified(true);
        }
    }
    m_focusedControl = check.control;
    return true;
}

ReportDefinition frmRptSpec::definition() const {
    ReportDefinition report = m_report;
    report.fields.clear();
    for (int row = 0; row < List2->count(); ++row)
        report.fields << specIdOf(List2->item(row));
    report.title = txtTitle->text();
    report.widthUnit = optWidth[1]->isChecked() ? WidthUnit::Centimeters : WidthUnit::Inches;
    report.landscape = optOrient[1]->isChecked();
    switch (cmbPageNum->currentIndex()) {
    case 1:
        report.pageNumbers = PageNumbers::InHeader;
        break;
    case 2:
        report.pageNumbers = PageNumbers::None;
        break;
    default:
        report.pageNumbers = PageNumbers::AtBottom;
        break;
    }
    report.showDate = chkDate->isChecked();
    if (optReportTo[0]->isChecked())
        report.reportTo = ReportTarget::ScreenPrinter;
    else if (optReportTo[1]->isChecked())
        report.reportTo = ReportTarget::TextFile;
    else
        report.reportTo = ReportTarget::WebTable;
    report.primarySort = cmbSort1->currentData().toInt();
    report.secondarySort = cmbSort2->currentData().toInt();
    return report;
}

bool frmRptSpec::takeTypedValue() {
    // A mnemonic moves no focus, so the box being typed in has not been left: its value is
    // stored, or refused with its message, as leaving it would.
    if (QWidget* control = detailControlAt(focusWidget()))
        leaveControl(control);
    return settlePendingCheck();
}

void frmRptSpec::cmdGenerate_Click() {
    // Alt+G: the report is made from what the boxes show.
    if (!takeTypedValue())
        return;
    const ReportDefinition report = definition();
    ErrorTrap trap(m_state, m_services);
    bool ready = false;
    trap([&] {
        // Each field is looked up in the catalogue held open, as the query is built from
        // it: one left from before a backup or compaction fails here with its own message.
        for (int specId : report.fields)
            positionCatalogue(specId);
        for (int specId : {report.primarySort, report.secondarySort}) {
            if (specId > 0)
                positionCatalogue(specId);
        }
        if (!m_state.gDatabase)
            throw EngineError(ErrorNumber::ObjectNotSet,
                              u"Object variable or With block variable not set"_s);
        ready = true;
    });
    if (!ready)
        return;
    WindowPageSink pages(m_outputWindow, defaultPageSize(m_services.locale()));
    // The designer stays open with everything set, for the next report.
    GenerateCustomReport(
        {report, *m_state.gDatabase, m_state, m_services, &pages, {}, [this](ReportTarget target) {
             return chooseReportFile(target);
         }});
}

QString frmRptSpec::chooseReportFile(ReportTarget target) {
    const bool html = target == ReportTarget::WebTable;
    return m_services.saveFileName(
        this, html ? u"Web Table (html)"_s : u"Text File"_s, html ? u"pvx.htm"_s : u"pvx.txt"_s,
        html ? u"Html Files (*.htm);;All Files (*)"_s : u"Text Files (*.txt);;All Files (*)"_s,
        // ConfirmOverwrite asks in the program's own words once a name is chosen.
        OverwriteQuestion::ByCaller);
}

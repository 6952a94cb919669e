// The designer's saved designs: the list above the pages, loading a design into the
// controls, saving the report on show under a name, and deleting a design.

#include "gui/custom/frmRptSpec.h"

#include "gui/custom/frmDesignName.h"

#include "core/AppState.h"
#include "core/ErrorTrap.h"
#include "custom/CustomReport.h"
#include "custom/DesignStore.h"
#include "custom/ReportDesign.h"
#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/Schema.h"
#include "gui/app/Services.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

using namespace Qt::StringLiterals;

namespace {

// Runs work on the open database. An engine error is shown, after what failed, with its
// number and the command goes no further; one that means the database is gone (a backup or
// compaction under the open window) goes to the error trap, as in the rest of the designer.
bool onDatabase(AppState& state, Services& services, const QString& failed,
                const std::function<void(Database&)>& work) {
    ErrorTrap trap(state, services);
    bool done = false;
    trap([&] {
        if (!state.gDatabase)
            throw EngineError(ErrorNumber::ObjectNotSet,
                              u"Object variable or With block variable not set"_s);
        try {
            work(*state.gDatabase);
            done = true;
        } catch (const EngineError& error) {
            if (reportErrorEndsProgram(error.number()))
                throw;
            services.message(
                u"%1  %2  %3"_s.arg(failed, QString::number(error.number()), error.description()),
                {}, MsgButtons::Ok);
        }
    });
    return done;
}

int indexOfName(const QComboBox* list, const QString& name) {
    if (name.isEmpty())
        return -1;
    for (int i = 0; i < list->count(); ++i) {
        if (DesignStore::keyOf(list->itemText(i)) == DesignStore::keyOf(name))
            return i;
    }
    return -1;
}

} // namespace

void frmRptSpec::fillDesignList(const QString& current) {
    QStringList names;
    try {
        if (m_state.gDatabase)
            names = DesignStore(*m_state.gDatabase).names();
    } catch (const EngineError&) {
        // Without the list the report can still be made; saving will say what is wrong.
    }
    const QSignalBlocker blocker(cmbDesign);
    cmbDesign->clear();
    cmbDesign->addItems(names);
    cmbDesign->setCurrentIndex(indexOfName(cmbDesign, current));
    m_designName = cmbDesign->currentIndex() >= 0 ? cmbDesign->currentText() : QString();
    cmdDelete->setEnabled(!m_designName.isEmpty());
}

QString frmRptSpec::designText() const {
    try {
        return ReportDesign::toText(definition(), m_services.locale());
    } catch (const ReportDefinitionError&) {
        return {};
    }
}

bool frmRptSpec::designListEvent(QEvent* event) {
    if (event->type() == QEvent::Wheel)
        return true;
    if (event->type() != QEvent::KeyPress || cmbDesign->view()->isVisible())
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    static const QList<int> walking = {Qt::Key_Up,       Qt::Key_Down, Qt::Key_PageUp,
                                       Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End};
    const bool walk = walking.contains(key->key()) && modifiers == Qt::NoModifier;
    const bool search = !key->text().isEmpty() && key->text().at(0).isPrint() &&
                        !key->text().at(0).isSpace() &&
                        (modifiers & ~Qt::ShiftModifier) == Qt::NoModifier;
    if (!walk && !search)
        return false;
    cmbDesign->showPopup();
    // The letter finds its design in the open list.
    if (search) {
        std::unique_ptr<QEvent> again(key->clone());
        QCoreApplication::sendEvent(cmbDesign->view(), again.get());
    }
    return true;
}

void frmRptSpec::cmbDesign_Click(int index) {
    if (index < 0)
        return;
    const QString name = cmbDesign->itemText(index);
    const QString shown = m_designName;
    // A value refused in a box is dealt with first, as for every command.
    if (!takeTypedValue()) {
        fillDesignList(shown);
        return;
    }
    if (designText() != m_unchangedText &&
        m_services.message(u"Loading the design \"%1\" replaces the report on show, whose "
                           u"changes are in no saved design.  Do you want to load it?"_s.arg(name),
                           {}, MsgButtons::YesNo) != MsgAnswer::Yes) {
        fillDesignList(shown);
        return;
    }
    std::optional<StoredDesign> stored;
    if (!onDatabase(m_state, m_services, u"The design \"%1\" has not been loaded."_s.arg(name),
                    [&](Database& db) { stored = DesignStore(db).find(name); })) {
        if (!m_state.programEnded)
            fillDesignList(shown);
        return;
    }
    if (!stored) {
        // Deleted meanwhile by pvxadmin or another copy of the list.
        m_services.message(u"There is no longer a design called \"%1\"."_s.arg(name), {},
                           MsgButtons::Ok);
        fillDesignList(shown);
        return;
    }
    ReportDesign::Loaded loaded;
    try {
        loaded = ReportDesign::fromText(stored->text, m_report.catalogue, m_services.locale());
    } catch (const ReportDesign::DesignError& error) {
        m_services.message(u"The design \"%1\" cannot be read: %2  The report on show is "
                           u"left as it was."_s.arg(stored->name, error.message()),
                           {}, MsgButtons::Ok);
        fillDesignList(shown);
        return;
    }
    showDefinition(loaded.definition);
    fillDesignList(stored->name);
    m_unchangedText = designText();
    if (!loaded.leftOut.isEmpty())
        m_services.message(u"The design \"%1\" names what the report catalogue no longer has, "
                           u"and has been loaded without it: %2."_s.arg(
                               stored->name, loaded.leftOut.join(u", "_s)),
                           {}, MsgButtons::Ok);
}

void frmRptSpec::showDefinition(const ReportDefinition& report) {
    // Whatever was typed or waiting to be refused belonged to the report being replaced.
    m_pendingCheck.reset();
    m_focusedControl = nullptr;
    CurSpecID = 0;
    m_report = report;
    {
        const QSignalBlocker available(List1);
        const QSignalBlocker chosen(List2);
        List1->clear();
        List2->clear();
        for (const CatalogueField& field : m_report.catalogue.fields()) {
            if (m_report.fields.contains(field.specId))
                continue;
            auto* item = new QListWidgetItem(field.desc, List1);
            item->setData(Qt::UserRole, field.specId);
        }
        for (int specId : m_report.fields) {
            auto* item = new QListWidgetItem(m_report.catalogue.field(specId).desc, List2);
            item->setData(Qt::UserRole, specId);
        }
        List1->setCurrentRow(0);
    }
    // As after adding fields: nothing chosen in the report, so no details yet.
    frame1->hide();

    txtTitle->setText(report.title);
    const int target = int(report.reportTo);
    optReportTo[target - 1]->setChecked(true);
    optReportTo_Click(target);
    optOrient[report.landscape ? 1 : 0]->setChecked(true);
    optWidth[report.widthUnit == WidthUnit::Centimeters ? 1 : 0]->setChecked(true);
    switch (report.pageNumbers) {
    case PageNumbers::AtBottom:
        cmbPageNum->setCurrentIndex(0);
        break;
    case PageNumbers::InHeader:
        cmbPageNum->setCurrentIndex(1);
        break;
    case PageNumbers::None:
        cmbPageNum->setCurrentIndex(2);
        break;
    }
    chkDate->setChecked(report.showDate);
    cmbSort1->setCurrentIndex(std::max(0, cmbSort1->findData(report.primarySort)));
    cmbSort2->setCurrentIndex(std::max(0, cmbSort2->findData(report.secondarySort)));
}

void frmRptSpec::cmdSave_Click() {
    saveDesign(false);
}

void frmRptSpec::cmdSaveAs_Click() {
    saveDesign(true);
}

void frmRptSpec::saveDesign(bool asNew) {
    // What is being typed belongs to the design; a value refused keeps the user in its box.
    if (!takeTypedValue())
        return;
    QString text;
    try {
        text = ReportDesign::toText(definition(), m_services.locale());
    } catch (const ReportDefinitionError& error) {
        m_services.message(error.message(), {}, MsgButtons::Ok);
        return;
    }
    const QString offered =
        !asNew && !m_designName.isEmpty() ? m_designName : txtTitle->text().trimmed();
    frmDesignName dialog(
        asNew ? u"Save Design As"_s : u"Save Design"_s, offered,
        [&](const QString& name) { return mayStoreAs(name, asNew); }, this);
    if (m_services.runModal(dialog) != QDialog::Accepted || m_state.programEnded)
        return;
    const QString name = dialog.name();
    if (!onDatabase(m_state, m_services, u"The design \"%1\" has not been saved."_s.arg(name),
                    [&](Database& db) {
                        // A file the program could not bring up to date when it opened it.
                        Schema::upgrade(db);
                        DesignStore(db).save(name, text);
                    }))
        return;
    fillDesignList(name);
    m_unchangedText = text;
}

bool frmRptSpec::mayStoreAs(const QString& name, bool asNew) {
    const QString problem = ReportDesign::nameProblem(name);
    if (!problem.isEmpty()) {
        m_services.message(problem, {}, MsgButtons::Ok);
        return false;
    }
    // "Save..." stores the design on show again under its own name.
    if (!asNew && !m_designName.isEmpty() &&
        DesignStore::keyOf(name) == DesignStore::keyOf(m_designName))
        return true;
    std::optional<StoredDesign> existing;
    if (!onDatabase(m_state, m_services, u"The design \"%1\" has not been saved."_s.arg(name),
                    [&](Database& db) { existing = DesignStore(db).find(name); }))
        return false;
    return !existing ||
           m_services.message(u"A design called \"%1\" is saved already.  Do you want to "
                              u"replace it?"_s.arg(existing->name),
                              {}, MsgButtons::YesNo) == MsgAnswer::Yes;
}

void frmRptSpec::cmdDelete_Click() {
    const QString name = m_designName;
    if (name.isEmpty())
        return;
    if (m_services.message(u"Do you want to delete the design \"%1\"?"_s.arg(name), {},
                           MsgButtons::YesNo) != MsgAnswer::Yes)
        return;
    if (!onDatabase(m_state, m_services, u"The design \"%1\" has not been deleted."_s.arg(name),
                    [&](Database& db) { DesignStore(db).remove(name); }))
        return;
    // The report stays on show, no longer a saved design.
    fillDesignList({});
    cmbDesign->setFocus();
}

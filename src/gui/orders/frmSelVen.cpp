#include "gui/orders/frmSelVen.h"

#include "gui/orders/frmMain.h"

#include "core/AppState.h"
#include "core/ErrorTrap.h"
#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/Recordset.h"
#include "gui/app/ElasticLayout.h"
#include "gui/app/Services.h"
#include "gui/help/HelpContext.h"
#include "gui/help/HelpTopics.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

Database& openDatabase(const AppState& state) {
    if (!state.gDatabase)
        throw EngineError(ErrorNumber::ObjectNotSet,
                          u"Object variable or With block variable not set"_s);
    return *state.gDatabase;
}

// Stored text is copied in full even where it is longer than the box lets the user type,
// as the main form shows it, so saving the record does not cut it short.
void copyText(QLineEdit* box, const QVariant& value) {
    const QString text = value.toString();
    box->setMaxLength(std::max(box->maxLength(), int(text.size())));
    box->setText(text);
}

} // namespace

frmSelVen::frmSelVen(AppState& state, Services& services, frmMain& main)
    : QDialog(&main), m_state(state), m_services(services), m_main(main) {
    setObjectName(u"frmSelVen"_s);
    setWindowTitle(u"Select an Existing Vendor"_s);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);

    m_layout = new ElasticLayout(DesignWidth, DesignHeight, this);
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(m_layout);

    List1 = new QListWidget(m_layout);
    List1->setObjectName(u"List1"_s);
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    cmdOK = new QPushButton(u"&OK"_s, m_layout);
    cmdOK->setObjectName(u"cmdOK"_s);
    cmdCancel = new QPushButton(u"&Cancel"_s, m_layout);
    cmdCancel->setObjectName(u"cmdCancel"_s);

    ElasticLayout& l = *m_layout;
    // clang-format off
    //                  left   top  width height
    l.place(List1,       240,  240, 5055, 4350);
    l.place(cmdOK,       480, 4920, 1215,  495);
    l.place(cmdCancel,  3840, 4920, 1215,  495);
    // clang-format on

    QWidget::setTabOrder(List1, cmdOK);
    QWidget::setTabOrder(cmdOK, cmdCancel);

    for (QObject* object : std::initializer_list<QObject*>{this, List1, cmdOK, cmdCancel})
        setHelpContext(object, HelpTopic::SelectExisting);

    connect(cmdOK, &QPushButton::clicked, this, &frmSelVen::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSelVen::cmdCancel_Click);

    resize(m_layout->openingSize());
    Form_Load();
    List1->setFocus();
}

frmSelVen::~frmSelVen() = default;

void frmSelVen::Form_Load() {
    List1->clear();
    m_database = openDatabase(m_state).share();
    // Case-blind first, so that names differing only in case stand together, then exactly,
    // so that within them each spelling forms one run and is listed once; the key of a
    // name is that of its first record.
    std::unique_ptr<Recordset> rs = m_database->openSnapshot(
        u"select zelid, vendor from pvx order by vendor, vendor collate binary, zelid"_s);
    // The comparison is exact, so a vendor typed two ways shows both ways.
    QString lastAdded;
    while (!rs->eof()) {
        const QVariant vendor = rs->value(u"vendor"_s);
        const QString name = vendor.isNull() ? QString() : vendor.toString();
        if (!name.trimmed().isEmpty() && name != lastAdded) {
            auto* item = new QListWidgetItem(name, List1);
            item->setData(Qt::UserRole, rs->value(u"zelid"_s));
            lastAdded = name;
        }
        rs->moveNext();
    }
    if (List1->count() == 0)
        m_services.message(u"You have not yet entered any vendor names for other order records."_s,
                           u"No Vendors"_s);
    rs->close();
}

void frmSelVen::cmdOK_Click() {
    const QList<QListWidgetItem*> selected = List1->selectedItems();
    if (selected.isEmpty()) {
        m_services.message(u"You must select a vendor from the list or click Cancel."_s,
                           u"No Vendor Selected"_s);
        return;
    }
    if (!m_main.txtVendor->text().isEmpty() || !m_main.txtAddress->toPlainText().isEmpty()) {
        const MsgAnswer answer =
            m_services.message(u"Are you sure you wish to overwrite the current vendor "
                               u"information with the vendor you have selected from the list?"_s,
                               u"Overwrite Vendor Information"_s, MsgButtons::YesNo);
        if (answer != MsgAnswer::Yes)
            return;
    }
    // Left open across a backup or compaction, the dialog reads a closed database: the
    // trap says so and ends the program, as for any window forgotten then.
    ErrorTrap trap(m_state, m_services);
    trap([&] { copyVendor(selected.constFirst()->data(Qt::UserRole)); });
    if (trap.ended())
        return;
    close();
}

void frmSelVen::copyVendor(const QVariant& key) {
    std::unique_ptr<Recordset> rs = m_database->openSnapshot(
        u"select vendor, address, phone, fax, email from pvx where zelid = ?"_s, {key});
    // The record may have been deleted since the list was filled: then nothing is copied.
    if (!rs->eof()) {
        // Setting the boxes raises their change events, so a shown record enters edit
        // mode just as typing would.
        copyText(m_main.txtVendor, rs->value(u"vendor"_s));
        // Unlike a line box, a text block reports a change even for the same text.
        const QString address = rs->value(u"address"_s).toString();
        if (address != m_main.txtAddress->toPlainText())
            m_main.txtAddress->setPlainText(address);
        copyText(m_main.txtPhone, rs->value(u"phone"_s));
        copyText(m_main.txtFax, rs->value(u"fax"_s));
        copyText(m_main.txtEmail, rs->value(u"email"_s));
    }
    rs->close();
}

void frmSelVen::cmdCancel_Click() {
    m_state.gCancel = true;
    close();
}

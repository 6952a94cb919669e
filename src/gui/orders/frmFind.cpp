#include "gui/orders/frmFind.h"

#include "core/AppState.h"
#include "dates/LocaleDates.h"
#include "engine/DomainCodes.h"
#include "gui/app/ElasticLayout.h"
#include "gui/app/Services.h"
#include "gui/help/HelpContext.h"
#include "gui/help/HelpTopics.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// The options sit in the frame's design coordinates; the frame itself is drawn behind
// them on the same container, so they are placed at the frame's offset.
constexpr int FrameLeft = 360;
constexpr int FrameTop = 360;

} // namespace

frmFind::frmFind(AppState& state, Services& services, QWidget* parent)
    : QDialog(parent), m_state(state), m_services(services) {
    setObjectName(u"frmFind"_s);
    setWindowTitle(u"Find Order"_s);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_layout = new ElasticLayout(DesignWidth, DesignHeight, this);
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(m_layout);

    Frame1 = new QGroupBox(u"Search For"_s, m_layout);
    Frame1->setObjectName(u"Frame1"_s);

    m_options = new QButtonGroup(this);
    const QStringList captions = {u"Order Date"_s, u"Description"_s, u"Vendor"_s};
    for (int i = 0; i < int(optBy.size()); ++i) {
        optBy[i] = new QRadioButton(captions.at(i), m_layout);
        optBy[i]->setObjectName(u"optBy(%1)"_s.arg(i + 1));
        m_options->addButton(optBy[i], i + 1);
    }
    optBy[0]->setChecked(true);

    lblName = new QLabel(m_layout);
    lblName->setObjectName(u"lblName"_s);
    txtName = new QLineEdit(m_layout);
    txtName->setObjectName(u"txtName"_s);
    cmdOK = new QPushButton(u"&OK"_s, m_layout);
    cmdOK->setObjectName(u"cmdOK"_s);
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(u"&Cancel"_s, m_layout);
    cmdCancel->setObjectName(u"cmdCancel"_s);

    ElasticLayout& l = *m_layout;
    // clang-format off
    //                                  left             top  width height
    l.place(Frame1,                      360,             360, 4335, 2175);
    l.place(optBy[0],       FrameLeft + 1080,  FrameTop + 480, 1455,  375);
    l.place(optBy[1],       FrameLeft + 1080,  FrameTop + 960, 1455,  375);
    l.place(optBy[2],       FrameLeft + 1080, FrameTop + 1440, 1455,  375);
    l.place(lblName,                     480,            3000, 2055,  255);
    l.place(txtName,                     480,            3240, 4215,  285);
    l.place(cmdOK,                       480,            4320, 1815,  615);
    l.place(cmdCancel,                  2880,            4320, 1815,  615);
    // clang-format on
    for (QRadioButton* option : optBy)
        option->raise();

    QWidget::setTabOrder(txtName, optBy[0]);
    QWidget::setTabOrder(optBy[0], optBy[1]);
    QWidget::setTabOrder(optBy[1], optBy[2]);
    QWidget::setTabOrder(optBy[2], cmdOK);
    QWidget::setTabOrder(cmdOK, cmdCancel);

    for (QObject* object : std::initializer_list<QObject*>{
             this, Frame1, optBy[0], optBy[1], optBy[2], lblName, txtName, cmdOK, cmdCancel})
        setHelpContext(object, HelpTopic::Find);

    connect(m_options, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            optBy_Click(id);
    });
    connect(cmdOK, &QPushButton::clicked, this, &frmFind::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmFind::cmdCancel_Click);

    resize(m_layout->openingSize());
    Form_Load();
    txtName->setFocus();
}

frmFind::~frmFind() = default;

void frmFind::Form_Load() {
    // The option shown already would raise no toggle, so its label is set directly.
    const int index = std::clamp(m_state.gSortOrder, 1, int(optBy.size()));
    {
        const QSignalBlocker blocker(m_options);
        optBy[index - 1]->setChecked(true);
    }
    optBy_Click(index);
}

int frmFind::selectedOption() const {
    return std::max(m_options->checkedId(), 0);
}

void frmFind::optBy_Click(int index) {
    switch (SortOrder(index)) {
    case SortOrder::OrderDate:
        lblName->setText(u"Enter Order Date"_s);
        break;
    case SortOrder::Description:
        lblName->setText(u"Enter Description"_s);
        break;
    case SortOrder::Vendor:
        lblName->setText(u"Enter Vendor"_s);
        break;
    }
}

void frmFind::cmdOK_Click() {
    const int option = selectedOption();
    const QString text = txtName->text();
    if (text.trimmed().isEmpty()) {
        if (option == codeOf(SortOrder::OrderDate))
            m_services.message(u"You must enter an order date to find"_s);
        else if (option == codeOf(SortOrder::Description))
            m_services.message(u"You must enter a description to find"_s);
        else
            m_services.message(u"You must enter a vendor name to find"_s);
        txtName->setFocus();
        return;
    }
    if (option == codeOf(SortOrder::OrderDate) &&
        !LocaleDates::isDate(text, m_services.locale(), m_services.today().year())) {
        m_services.message(u"You must enter a valid date to find"_s);
        txtName->setFocus();
        return;
    }
    m_state.gCancel = false;
    // Accepting hides the window without destroying it: the caller reads the choice.
    accept();
}

void frmFind::cmdCancel_Click() {
    reject();
}

#include "gui/custom/frmDesignName.h"

#include "gui/app/ElasticLayout.h"
#include "gui/help/HelpContext.h"
#include "gui/help/HelpTopics.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

frmDesignName::frmDesignName(const QString& caption, const QString& name, NameCheck check,
                             QWidget* parent)
    : QDialog(parent), m_check(std::move(check)) {
    setObjectName(u"frmDesignName"_s);
    setWindowTitle(caption);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_layout = new ElasticLayout(DesignWidth, DesignHeight, this);
    m_layout->setObjectName(u"VideoSoftElastic1"_s);
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(m_layout);

    lblName = new QLabel(u"Design &name:"_s, m_layout);
    lblName->setObjectName(u"lblName"_s);
    txtName = new QLineEdit(name, m_layout);
    txtName->setObjectName(u"txtName"_s);
    lblName->setBuddy(txtName);
    cmdOK = new QPushButton(u"&OK"_s, m_layout);
    cmdOK->setObjectName(u"cmdOK"_s);
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(u"&Cancel"_s, m_layout);
    cmdCancel->setObjectName(u"cmdCancel"_s);
    cmdCancel->setAutoDefault(false);

    ElasticLayout& l = *m_layout;
    // clang-format off
    //                left  top  width height
    l.place(lblName,   120,  180, 1500,  285);
    l.place(txtName,  1680,  180, 3600,  285);
    l.place(cmdOK,    1680,  960, 1680,  495);
    l.place(cmdCancel,3600,  960, 1680,  495);
    // clang-format on
    QWidget::setTabOrder(txtName, cmdOK);
    QWidget::setTabOrder(cmdOK, cmdCancel);
    for (QObject* object :
         std::initializer_list<QObject*>{this, lblName, txtName, cmdOK, cmdCancel})
        setHelpContext(object, HelpTopic::CustomDesigns);

    connect(cmdOK, &QPushButton::clicked, this, &frmDesignName::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    resize(m_layout->openingSize());
    txtName->setFocus();
    txtName->selectAll();
}

frmDesignName::~frmDesignName() = default;

QString frmDesignName::name() const {
    return txtName->text().trimmed();
}

void frmDesignName::cmdOK_Click() {
    if (m_check && !m_check(name())) {
        txtName->setFocus();
        txtName->selectAll();
        return;
    }
    accept();
}

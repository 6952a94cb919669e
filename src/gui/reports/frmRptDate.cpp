#include "gui/reports/frmRptDate.h"

#include "core/AppState.h"
#include "dates/LocaleDates.h"
#include "gui/app/ElasticLayout.h"
#include "gui/app/Services.h"
#include "gui/dates/DateField.h"
#include "gui/help/HelpContext.h"
#include "gui/help/HelpTopics.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

DateField::Settings rangeField(const QString& message) {
    DateField::Settings settings;
    // The calendar keeps its own caption, "Select Date".
    settings.placement = DateField::PopupPlacement::BelowTwoHeights;
    settings.blankAllowed = false;
    settings.invalidMessage = message;
    return settings;
}

} // namespace

frmRptDate::frmRptDate(AppState& state, Services& services, QWidget* parent)
    : QDialog(parent), m_state(state), m_services(services) {
    setObjectName(u"frmRptDate"_s);
    setWindowTitle(u"Select Report Dates"_s);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_layout = new ElasticLayout(DesignWidth, DesignHeight, this);
    m_layout->setObjectName(u"VideoSoftElastic1"_s);
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(m_layout);

    Label7 = new QLabel(u"Report Start Date"_s, m_layout);
    Label7->setObjectName(u"Label7"_s);
    dcStartDate = new DateField(m_layout);
    dcStartDate->setObjectName(u"dcStartDate"_s);
    Label9 = new QLabel(u"Report End Date"_s, m_layout);
    Label9->setObjectName(u"Label9"_s);
    dcEndDate = new DateField(m_layout);
    dcEndDate->setObjectName(u"dcEndDate"_s);
    cmdOK = new QPushButton(u"&OK"_s, m_layout);
    cmdOK->setObjectName(u"cmdOK"_s);
    cmdCancel = new QPushButton(u"&Cancel"_s, m_layout);
    cmdCancel->setObjectName(u"cmdCancel"_s);

    ElasticLayout& l = *m_layout;
    // The captions are as wide as their fields: the design's 1335 twips cut off the last
    // letter of "Report Start Date" in today's default fonts.
    // clang-format off
    l.place(Label7,      1800,  600, 2055,  255);
    l.place(dcStartDate, 1800,  840, 2055,  315);
    l.place(Label9,      1800, 1680, 2055,  255);
    l.place(dcEndDate,   1800, 1920, 2055,  315);
    l.place(cmdOK,        600, 3360, 1815,  495);
    l.place(cmdCancel,   3600, 3360, 1815,  495);
    // clang-format on

    QWidget::setTabOrder(dcStartDate, dcEndDate);
    QWidget::setTabOrder(dcEndDate, cmdOK);
    QWidget::setTabOrder(cmdOK, cmdCancel);

    for (QObject* object : std::initializer_list<QObject*>{this, Label7, dcStartDate, Label9,
                                                           dcEndDate, cmdOK, cmdCancel})
        setHelpContext(object, HelpTopic::ReportsMenu);

    dcStartDate->configure(m_state, m_services,
                           rangeField(u"You must enter a valid report start date."_s));
    dcEndDate->configure(m_state, m_services,
                         rangeField(u"You must enter a valid report end date."_s));

    connect(cmdOK, &QPushButton::clicked, this, &frmRptDate::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmRptDate::cmdcancel_Click);

    resize(m_layout->openingSize());
    Form_Load();
    dcStartDate->setFocus();
}

frmRptDate::~frmRptDate() = default;

void frmRptDate::Form_Load() {
    const QLocale locale = m_services.locale();
    dcStartDate->setText(LocaleDates::shortDate(m_state.gStartDate, locale));
    dcEndDate->setText(LocaleDates::shortDate(m_state.gEndDate, locale));
}

void frmRptDate::cmdOk_Click() {
    // Alt+O takes the focus from a date field, whose own check may show its message; the
    // click that follows arrives while that box is open and must not add a second one.
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != this)
        return;
    // Both fields are checked here, so a check that leaving a field set off is not needed.
    dcStartDate->cancelPendingCheck();
    dcEndDate->cancelPendingCheck();
    // One message at a time: the end date is looked at once the start date is right.
    if (!dcStartDate->checkEntry() || !dcEndDate->checkEntry())
        return;
    const auto start = dcStartDate->date();
    const auto end = dcEndDate->date();
    m_state.gCancel = false;
    m_state.gStartDate = start->date;
    m_state.gEndDate = end->date;
    accept();
}

void frmRptDate::cmdcancel_Click() {
    m_state.gCancel = true;
    reject();
}

// The designer's window: its controls, where they sit, their help topics, and loading the
// catalogue into the lists.

#include "gui/custom/frmRptSpec.h"

#include "core/AppState.h"
#include "core/ErrorTrap.h"
#include "custom/CustomReport.h"
#include "custom/ReportCatalogue.h"
#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/Recordset.h"
#include "gui/app/ElasticLayout.h"
#include "gui/app/Services.h"
#include "gui/app/WheelGuard.h"
#include "gui/dates/DateField.h"
#include "gui/help/HelpContext.h"
#include "gui/help/HelpTopics.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// The tab strip and the frames on the pages, in twips. The row of saved designs sits above
// the tab strip, which keeps its own place below it.
constexpr int RowTop = 120;
constexpr int RowHeight = 390;
constexpr int TabLeft = 120;
constexpr int TabTop = RowTop + RowHeight + 120;
constexpr int TabWidth = 8160;
constexpr int TabHeight = 5460;
constexpr int DetailsWidth = 7860;
constexpr int DetailsHeight = 2460;
constexpr int CriteriaWidth = 5460;
constexpr int CriteriaHeight = 2100;

int toTwips(int pixels) {
    return int(std::lround(pixels / ElasticLayout::openingScale()));
}

// Fills a container (a tab page, a frame) with an elastic layout for its controls. The
// design size is what is left of the container's own when its frame, caption or tab row
// is taken off, so the controls inside keep the proportions of those outside.
ElasticLayout* fillWith(QWidget* container, int designWidth, int designHeight,
                        const QMargins& chrome) {
    auto* inner =
        new ElasticLayout(designWidth - toTwips(chrome.left() + chrome.right()),
                          designHeight - toTwips(chrome.top() + chrome.bottom()), container);
    inner->setObjectName(container->objectName() + u"Elastic"_s);
    auto* box = new QVBoxLayout(container);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(inner);
    return inner;
}

ElasticLayout* fillFrame(QGroupBox* frame, int designWidth, int designHeight) {
    return fillWith(frame, designWidth, designHeight, frame->contentsMargins());
}

QGroupBox* frame(const QString& name, const QString& caption, QWidget* parent) {
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(name);
    return box;
}

QLabel* label(const QString& name, const QString& text, QWidget* parent, bool above = false) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    // A caption above its list stays just above it; one beside its box stays level with it.
    l->setAlignment(Qt::AlignLeft | (above ? Qt::AlignBottom : Qt::AlignVCenter));
    return l;
}

QLineEdit* textBox(const QString& name, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    return box;
}

QCheckBox* checkBox(const QString& name, const QString& caption, QWidget* parent) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

QRadioButton* option(const QString& name, const QString& caption, QWidget* parent) {
    auto* button = new QRadioButton(caption, parent);
    button->setObjectName(name);
    return button;
}

QComboBox* dropDownList(const QString& name, QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->setEditable(false);
    ignoreWheelUnlessFocused(list);
    return list;
}

QListWidget* fieldList(const QString& name, QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    return list;
}

// The arrow buttons between the lists show a picture only; the tooltip and the accessible
// name say what they do.
QPushButton* arrowButton(const QString& name, QStyle::StandardPixmap arrow, const QString& what,
                         QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setIcon(parent->style()->standardIcon(arrow, nullptr, button));
    button->setToolTip(what);
    button->setAccessibleName(what);
    button->setAutoDefault(false);
    return button;
}

QPushButton* button(const QString& name, const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    // Enter belongs to the lists (it adds a field), never to a button that has not the focus.
    b->setAutoDefault(false);
    return b;
}

void setTopic(std::initializer_list<QObject*> objects, int topic) {
    for (QObject* object : objects)
        setHelpContext(object, topic);
}

} // namespace

frmRptSpec::frmRptSpec(AppState& state, Services& services, OutputWindow outputWindow,
                       QWidget* parent)
    : QDialog(parent), m_state(state), m_services(services),
      m_outputWindow(std::move(outputWindow)) {
    setObjectName(u"frmRptSpec"_s);
    setWindowTitle(u"Custom Report"_s);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);

    m_layout = new ElasticLayout(DesignWidth, DesignHeight, this);
    m_layout->setObjectName(u"VideoSoftElastic1"_s);
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(m_layout);

    Tab1 = new QTabWidget(m_layout);
    Tab1->setObjectName(u"Tab1"_s);
    auto* fieldsPage = new QWidget;
    fieldsPage->setObjectName(u"pageFields"_s);
    auto* optionsPage = new QWidget;
    optionsPage->setObjectName(u"pageOptions"_s);
    auto* sortingPage = new QWidget;
    sortingPage->setObjectName(u"pageSorting"_s);
    Tab1->addTab(fieldsPage, u"Report Fields"_s);
    Tab1->addTab(optionsPage, u"Report Options"_s);
    Tab1->addTab(sortingPage, u"Sorting"_s);

    createFieldsPage(fieldsPage);
    createOptionsPage(optionsPage);
    createSortingPage(sortingPage);
    createDesignRow();

    cmdGenerate = button(u"cmdGenerate"_s, u"&Generate Report"_s, m_layout);
    cmdCancel = button(u"cmdCancel"_s, u"&Cancel"_s, m_layout);

    ElasticLayout& l = *m_layout;
    constexpr int buttonTop = TabTop + TabHeight + 150;
    // clang-format off
    //                   left     top        width     height
    l.place(Tab1,        TabLeft, TabTop,    TabWidth, TabHeight);
    l.place(cmdGenerate,    3960, buttonTop,     2040,       495);
    l.place(cmdCancel,      6240, buttonTop,     2040,       495);
    // clang-format on

    setTabOrderChain();
    setHelpContexts();
    configureDateFields();
    connectHandlers();

    resize(m_layout->openingSize());
    List1->setFocus();
}

frmRptSpec::~frmRptSpec() = default;

QMargins frmRptSpec::pageChrome() const {
    // A page is what the tab strip leaves inside its frame below its row of tabs.
    const int frameWidth = Tab1->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, Tab1);
    return QMargins(frameWidth, Tab1->tabBar()->sizeHint().height() + frameWidth, frameWidth,
                    frameWidth);
}

void frmRptSpec::createFieldsPage(QWidget* page) {
    ElasticLayout& l = *fillWith(page, TabWidth, TabHeight, pageChrome());

    QLabel* lblAvailable = label(u"lblAvailable"_s, u"Available Fields"_s, &l, true);
    List1 = fieldList(u"List1"_s, &l);
    cmdAdd = arrowButton(u"cmdAdd"_s, QStyle::SP_ArrowRight, u"Add"_s, &l);
    cmdRemove = arrowButton(u"cmdRemove"_s, QStyle::SP_ArrowLeft, u"Remove"_s, &l);
    cmdUp = arrowButton(u"cmdUp"_s, QStyle::SP_ArrowUp, u"Move Up"_s, &l);
    cmdDown = arrowButton(u"cmdDown"_s, QStyle::SP_ArrowDown, u"Move Down"_s, &l);
    QLabel* lblReport = label(u"lblReport"_s, u"Fields to Report"_s, &l, true);
    List2 = fieldList(u"List2"_s, &l);
    frame1 = frame(u"frame1"_s, u"Details For "_s, &l);

    // clang-format off
    //                    left   top  width height
    l.place(lblAvailable,  120,   60, 3480,  300);
    l.place(List1,         120,  360, 3480, 2040);
    l.place(cmdAdd,       3780,  600,  540,  390);
    l.place(cmdRemove,    3780, 1080,  540,  390);
    l.place(cmdUp,        3780, 1560,  540,  390);
    l.place(cmdDown,      3780, 2040,  540,  390);
    l.place(lblReport,    4500,   60, 3480,  300);
    l.place(List2,        4500,  360, 3480, 2040);
    l.place(frame1,        120, 2520, DetailsWidth, DetailsHeight);
    // clang-format on
    for (QWidget* widget : std::initializer_list<QWidget*>{lblAvailable, lblReport})
        setHelpContext(widget, HelpTopic::CustomReportFields);
    createDetailsPanel();
}

void frmRptSpec::createDetailsPanel() {
    ElasticLayout& l = *fillFrame(frame1, DetailsWidth, DetailsHeight);
    QLabel* lblWidth = label(u"lblWidth"_s, u"Width"_s, &l);
    txtWidth = textBox(u"txtWidth"_s, &l);
    chkHide = checkBox(u"chkHide"_s, u"Hide Field"_s, &l);
    const int top = 120;
    for (int i = 0; i < int(fraSel.size()); ++i) {
        fraSel[i] = frame(u"fraSel(%1)"_s.arg(i + 1), u"Selection Criteria"_s, &l);
        l.place(fraSel[i], 2280, 0, CriteriaWidth, CriteriaHeight);
    }
    // clang-format off
    //                left  top  width height
    l.place(lblWidth,  120, top,   780,  285);
    l.place(txtWidth,  900, top,  1140,  285);
    l.place(chkHide,   120, 600,  1920,  285);
    // clang-format on
    setHelpContext(lblWidth, HelpTopic::CustomFieldDetails);
    createCriteriaPanels();
    // Shown once a field of the report is selected; then one criteria panel at a time.
    frame1->hide();
}

void frmRptSpec::createCriteriaPanels() {
    std::array<ElasticLayout*, 4> panel{};
    for (int i = 0; i < int(fraSel.size()); ++i) {
        panel[i] = fillFrame(fraSel[i], CriteriaWidth, CriteriaHeight);
        fraSel[i]->hide();
        setHelpContext(fraSel[i], HelpTopic::CustomSelectionCriteria);
    }

    ElasticLayout& text = *panel[0];
    QLabel* lblStarting = label(u"lblStarting"_s, u"Starts with:"_s, &text);
    txtStarting = textBox(u"txtStarting"_s, &text);

    ElasticLayout& number = *panel[1];
    QLabel* lblLess = label(u"lblLess"_s, u"Less Than"_s, &number);
    txtLess = textBox(u"txtLess"_s, &number);
    QLabel* lblGreater = label(u"lblGreater"_s, u"Greater Than"_s, &number);
    txtGreater = textBox(u"txtGreater"_s, &number);
    chkTotal = checkBox(u"chkTotal"_s, u"Show Total"_s, &number);

    ElasticLayout& date = *panel[2];
    QLabel* lblStartDate = label(u"lblStartDate"_s, u"Start Date"_s, &date);
    dcStartDate = new DateField(&date);
    dcStartDate->setObjectName(u"dcStartDate"_s);
    QLabel* lblEndDate = label(u"lblEndDate"_s, u"End Date"_s, &date);
    dcEndDate = new DateField(&date);
    dcEndDate->setObjectName(u"dcEndDate"_s);

    ElasticLayout& yesNo = *panel[3];
    optTrue = option(u"optTrue"_s, u"True"_s, &yesNo);
    optFalse = option(u"optFalse"_s, u"False"_s, &yesNo);

    // clang-format off
    //                        left  top  width height
    text.place(lblStarting,    120,  120, 1380,  285);
    text.place(txtStarting,   1560,  120, 3600,  285);
    number.place(lblLess,      120,  120, 1380,  285);
    number.place(txtLess,     1560,  120, 1920,  285);
    number.place(lblGreater,   120,  600, 1380,  285);
    number.place(txtGreater,  1560,  600, 1920,  285);
    number.place(chkTotal,    1560, 1080, 2400,  285);
    date.place(lblStartDate,   120,  105, 1380,  315);
    date.place(dcStartDate,   1560,  105, 2055,  315);
    date.place(lblEndDate,     120,  585, 1380,  315);
    date.place(dcEndDate,     1560,  585, 2055,  315);
    yesNo.place(optTrue,       240,  120, 2400,  285);
    yesNo.place(optFalse,      240,  600, 2400,  285);
    // clang-format on

    for (QWidget* widget : std::initializer_list<QWidget*>{lblStarting, lblLess, lblGreater,
                                                           lblStartDate, lblEndDate})
        setHelpContext(widget, HelpTopic::CustomSelectionCriteria);
}

void frmRptSpec::createOptionsPage(QWidget* page) {
    ElasticLayout& l = *fillWith(page, TabWidth, TabHeight, pageChrome());
    QLabel* lblTitle = label(u"lblTitle"_s, u"Report Title"_s, &l, true);
    txtTitle = textBox(u"txtTitle"_s, &l);
    txtTitle->setText(u"Purvex Report"_s);

    fraReportTo = frame(u"fraReportTo"_s, u"Report To"_s, &l);
    ElasticLayout& to = *fillFrame(fraReportTo, 3780, 1560);
    const QStringList targets = {u"Screen/Printer"_s, u"Text File"_s, u"Web Table (html)"_s};
    auto* reportTo = new QButtonGroup(this);
    for (int i = 0; i < int(optReportTo.size()); ++i) {
        optReportTo[i] = option(u"optReportTo(%1)"_s.arg(i + 1), targets.at(i), &to);
        reportTo->addButton(optReportTo[i], i + 1);
        to.place(optReportTo[i], 240, 120 + 360 * i, 3300, 285);
    }
    connect(reportTo, &QButtonGroup::idClicked, this, &frmRptSpec::optReportTo_Click);

    fraOrient = frame(u"fraOrient"_s, u"Report Orientation"_s, &l);
    ElasticLayout& orient = *fillFrame(fraOrient, 3900, 1560);
    optOrient[0] = option(u"optOrient(0)"_s, u"Portrait"_s, &orient);
    optOrient[1] = option(u"optOrient(1)"_s, u"Landscape"_s, &orient);
    optOrient[0]->setChecked(true);

    fraFormat = frame(u"fraFormat"_s, u"Report Formatting"_s, &l);
    ElasticLayout& format = *fillFrame(fraFormat, 7860, 1440);
    optWidth[0] = option(u"optWidth(0)"_s, u"Width in Inches"_s, &format);
    optWidth[1] = option(u"optWidth(1)"_s, u"Centimeters"_s, &format);
    optWidth[0]->setChecked(true);
    QLabel* lblPageNum = label(u"lblPageNum"_s, u"Page Number"_s, &format);
    cmbPageNum = dropDownList(u"cmbPageNum"_s, &format);
    chkDate = checkBox(u"chkDate"_s, u"Show Date in Header"_s, &format);
    chkDate->setChecked(true);

    // clang-format off
    //                          left   top  width height
    l.place(lblTitle,            120,   60, 5400,  300);
    l.place(txtTitle,            120,  360, 5400,  285);
    l.place(fraReportTo,         120,  900, 3780, 1560);
    l.place(fraOrient,          4080,  900, 3900, 1560);
    l.place(fraFormat,           120, 2640, 7860, 1440);
    orient.place(optOrient[0],   240,  120, 3300,  285);
    orient.place(optOrient[1],   240,  480, 3300,  285);
    format.place(optWidth[0],    240,  120, 3300,  285);
    format.place(optWidth[1],    240,  480, 3300,  285);
    format.place(lblPageNum,    3840,  105, 1500,  315);
    format.place(cmbPageNum,    5400,  105, 2100,  315);
    format.place(chkDate,       3840,  600, 3660,  285);
    // clang-format on

    setTopic({page, lblTitle, txtTitle, fraReportTo, fraOrient, fraFormat, lblPageNum, cmbPageNum,
              chkDate},
             HelpTopic::CustomReportOptions);
    for (QRadioButton* button : optReportTo)
        setHelpContext(button, HelpTopic::CustomReportOptions);
    for (QRadioButton* button : {optOrient[0], optOrient[1], optWidth[0], optWidth[1]})
        setHelpContext(button, HelpTopic::CustomReportOptions);
}

void frmRptSpec::createSortingPage(QWidget* page) {
    ElasticLayout& l = *fillWith(page, TabWidth, TabHeight, pageChrome());
    QLabel* lblSort1 = label(u"lblSort1"_s, u"Primary Sort"_s, &l);
    cmbSort1 = dropDownList(u"cmbSort1"_s, &l);
    QLabel* lblSort2 = label(u"lblSort2"_s, u"Secondary Sort"_s, &l);
    cmbSort2 = dropDownList(u"cmbSort2"_s, &l);
    // clang-format off
    //                 left  top  width height
    l.place(lblSort1,   360,  480, 1800,  315);
    l.place(cmbSort1,  2280,  480, 3600,  315);
    l.place(lblSort2,   360, 1080, 1800,  315);
    l.place(cmbSort2,  2280, 1080, 3600,  315);
    // clang-format on
    setTopic({page, lblSort1, cmbSort1, lblSort2, cmbSort2}, HelpTopic::CustomSorting);
}

void frmRptSpec::createDesignRow() {
    ElasticLayout& l = *m_layout;
    lblDesign = label(u"lblDesign"_s, u"&Design:"_s, &l);
    cmbDesign = dropDownList(u"cmbDesign"_s, &l);
    cmbDesign->setAccessibleName(u"Design"_s);
    // Shown while the report on show is none of the saved designs.
    cmbDesign->setPlaceholderText(u"(none)"_s);
    lblDesign->setBuddy(cmbDesign);
    cmdSave = button(u"cmdSave"_s, u"&Save..."_s, &l);
    cmdSaveAs = button(u"cmdSaveAs"_s, u"Sa&ve As..."_s, &l);
    cmdDelete = button(u"cmdDelete"_s, u"De&lete"_s, &l);
    // clang-format off
    //                 left  top          width  height
    l.place(lblDesign,  120, RowTop,        900, RowHeight);
    l.place(cmbDesign, 1080, RowTop + 38,  3060, 315);
    l.place(cmdSave,   4260, RowTop,       1260, RowHeight);
    l.place(cmdSaveAs, 5640, RowTop,       1260, RowHeight);
    l.place(cmdDelete, 7020, RowTop,       1260, RowHeight);
    // clang-format on
    setTopic({lblDesign, cmbDesign, cmdSave, cmdSaveAs, cmdDelete}, HelpTopic::CustomDesigns);
}

void frmRptSpec::setTabOrderChain() {
    const QList<QWidget*> chain = {
        cmbDesign,      cmdSave,      cmdSaveAs,    cmdDelete,   Tab1,           List1,
        cmdAdd,         cmdRemove,    cmdUp,        cmdDown,     List2,          txtWidth,
        chkHide,        txtStarting,  txtLess,      txtGreater,  chkTotal,       dcStartDate,
        dcEndDate,      optTrue,      optFalse,     txtTitle,    optReportTo[0], optReportTo[1],
        optReportTo[2], optOrient[0], optOrient[1], optWidth[0], optWidth[1],    cmbPageNum,
        chkDate,        cmbSort1,     cmbSort2,     cmdGenerate, cmdCancel};
    for (int i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain.at(i - 1), chain.at(i));
}

void frmRptSpec::setHelpContexts() {
    // The window's own topic covers the tab strip and the two commands.
    setTopic({this, Tab1, cmdGenerate, cmdCancel}, HelpTopic::CustomReports);
    setTopic({Tab1->widget(0), List1, List2, cmdAdd, cmdRemove, cmdUp, cmdDown},
             HelpTopic::CustomReportFields);
    setTopic({frame1, txtWidth, chkHide}, HelpTopic::CustomFieldDetails);
    setTopic(
        {txtStarting, txtLess, txtGreater, chkTotal, dcStartDate, dcEndDate, optTrue, optFalse},
        HelpTopic::CustomSelectionCriteria);
}

void frmRptSpec::configureDateFields() {
    const auto settings = [this](const QString& caption, DateField::PopupPlacement placement,
                                 DateField* field) {
        DateField::Settings s;
        s.popupCaption = caption;
        s.placement = placement;
        s.blankAllowed = true;
        s.invalidMessage = u"You must enter a valid date or leave this selection field blank."_s;
        s.onValidEntry = [this, field](const std::optional<DateValue>& date) {
            storeDate(field, date);
        };
        return s;
    };
    // The calendar lines up with the field's right edge: below it for the start, above it
    // for the end, so that it never covers the other date.
    dcStartDate->configure(
        m_state, m_services,
        settings(u"Select Start Date"_s, DateField::PopupPlacement::RightAlignedDown, dcStartDate));
    dcEndDate->configure(
        m_state, m_services,
        settings(u"Select End Date"_s, DateField::PopupPlacement::RightAlignedUp, dcEndDate));
}

void frmRptSpec::connectHandlers() {
    connect(cmdAdd, &QPushButton::clicked, this, &frmRptSpec::cmdAdd_Click);
    connect(cmdRemove, &QPushButton::clicked, this, &frmRptSpec::cmdRemove_Click);
    connect(cmdUp, &QPushButton::clicked, this, &frmRptSpec::cmdUp_Click);
    connect(cmdDown, &QPushButton::clicked, this, &frmRptSpec::cmdDown_Click);
    connect(List1, &QListWidget::itemDoubleClicked, this, &frmRptSpec::cmdAdd_Click);
    connect(List2, &QListWidget::itemSelectionChanged, this, &frmRptSpec::List2_SelectionChanged);
    connect(cmdGenerate, &QPushButton::clicked, this, &frmRptSpec::cmdGenerate_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmRptSpec::cmdCancel_Click);
    connect(cmbDesign, &QComboBox::activated, this, &frmRptSpec::cmbDesign_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmRptSpec::cmdSave_Click);
    connect(cmdSaveAs, &QPushButton::clicked, this, &frmRptSpec::cmdSaveAs_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &frmRptSpec::cmdDelete_Click);
    List1->installEventFilter(this);
    List2->installEventFilter(this);
    cmbDesign->installEventFilter(this);
    // After the date fields' own checks are connected: leaving a date field is handled
    // here, at once, and their later check is called off.
    connect(qApp, &QApplication::focusChanged, this, &frmRptSpec::focusChanged);
}

bool frmRptSpec::Form_Load() {
    cmbPageNum->clear();
    cmbPageNum->addItems({u"At Bottom"_s, u"In Header"_s, u"No Page Numbers"_s});
    cmbPageNum->setCurrentIndex(0);
    CurCriteria = 1;
    optReportTo[0]->setChecked(true);

    ErrorTrap trap(m_state, m_services);
    std::optional<ReportCatalogue> catalogue;
    QString fault;
    trap([&] {
        if (!m_state.gDatabase)
            throw EngineError(ErrorNumber::ObjectNotSet,
                              u"Object variable or With block variable not set"_s);
        Database& db = *m_state.gDatabase;
        try {
            rsSpec = db.openSnapshot(u"SELECT * FROM \"RptSpec\" ORDER BY \"Desc\""_s);
            if (!rsSpec->eof())
                rsSpec->moveLast();
            SpecCount = rsSpec->recordCount();
            catalogue = ReportCatalogue::read(db);
        } catch (const CatalogueError& error) {
            // The settings are indexed by SpecID and the panels chosen by datatype, so a
            // catalogue that breaks those rules cannot be worked with at all.
            fault = error.message() +
                    u"  Custom reports cannot be made until the catalogue is put right."_s;
        } catch (const EngineError& error) {
            // A file without the catalogue, or with one lacking a column, keeps the designer
            // closed and the program, with the main form's unsaved edit, going.
            if (reportErrorEndsProgram(error.number()))
                throw;
            fault = u"%1  %2"_s.arg(error.number()).arg(error.description());
        }
    });
    if (trap.ended() || (!catalogue && fault.isEmpty()))
        return false;
    if (!catalogue) {
        rsSpec.reset();
        m_services.message(fault, {}, MsgButtons::Ok);
        return false;
    }

    m_report = ReportDefinition::withDefaults(*catalogue);
    List1->clear();
    List2->clear();
    cmbSort1->clear();
    cmbSort2->clear();
    // A sort once chosen can be set back to none.
    cmbSort1->addItem(u"(none)"_s, 0);
    cmbSort2->addItem(u"(none)"_s, 0);
    int order = 0;
    for (const CatalogueField& field : catalogue->fields()) {
        auto* item = new QListWidgetItem(field.desc, List1);
        item->setData(Qt::UserRole, field.specId);
        cmbSort1->addItem(field.desc, field.specId);
        cmbSort2->addItem(field.desc, field.specId);
        m_catalogueOrder.insert(field.specId, order++);
    }
    cmbSort1->setCurrentIndex(0);
    cmbSort2->setCurrentIndex(0);
    // Ready for the keyboard: Enter adds the first field at once.
    List1->setCurrentRow(0);
    frame1->hide();
    // The report starts from the defaults whatever designs there are.
    fillDesignList({});
    m_unchangedText = designText();
    return true;
}

void frmRptSpec::closeEvent(QCloseEvent* event) {
    // A refusal still waiting is for a box that goes with the window.
    m_pendingCheck.reset();
    rsSpec.reset();
    event->accept();
}

void frmRptSpec::reject() {
    cmdCancel_Click();
}

void frmRptSpec::cmdCancel_Click() {
    close();
}

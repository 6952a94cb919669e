#include "gui/orders/frmMain.h"

#include "gui/orders/AccessFileOffer.h"
#include "gui/orders/AmountBox.h"
#include "gui/orders/MemoBox.h"

#include "core/AppState.h"
#include "core/ErrorTrap.h"
#include "dates/DateFormats.h"
#include "dates/LocaleDates.h"
#include "engine/Database.h"
#include "engine/DomainCodes.h"
#include "engine/Recordset.h"
#include "engine/Schema.h"
#include "engine/ServerFile.h"
#include "gui/app/ElasticLayout.h"
#include "gui/app/Services.h"
#include "gui/app/WheelGuard.h"
#include "gui/dates/DateField.h"
#include "gui/help/HelpContext.h"
#include "gui/help/HelpTopics.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// The client area of the window in twips.
constexpr int DesignWidth = 9630;
constexpr int DesignHeight = 6000;

MemoBox* memoBox(QWidget* parent, const QString& name, int maxLength = 0) {
    auto* box = new MemoBox(parent, maxLength);
    box->setObjectName(name);
    return box;
}

QComboBox* dropDownList(QWidget* parent, const QString& name) {
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->setEditable(false);
    // Turning the wheel over the form would otherwise change the record's type or status.
    ignoreWheelUnlessFocused(list);
    return list;
}

DateField* dateField(QWidget* parent, const QString& name) {
    auto* field = new DateField(parent);
    field->setObjectName(name);
    return field;
}

QPushButton* button(QWidget* parent, const QString& name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

QAction* menuItem(QMenu* menu, const QString& name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

} // namespace

frmMain::frmMain(AppState& state, Services& services, QWidget* parent)
    : QMainWindow(parent), m_state(state), m_services(services) {
    setObjectName(u"frmMain"_s);
    setWindowTitle(u"PVX - Purvex"_s);
    m_layout = new ElasticLayout(DesignWidth, DesignHeight, this);
    m_layout->setObjectName(u"elasticMain"_s);
    setCentralWidget(m_layout);

    createControls();
    createButtons();
    placeControls();
    createMenus();
    setTabOrderChain();
    setHelpContexts();
    configureDateFields();
    connectChangeHandlers();
    connectCommandHandlers();
    connectSortHandlers();
    connectFindHandlers();
    connectReportHandlers();
    connectHelpHandlers();
    connectMaintenanceHandlers();
    connectExchangeHandlers();
    createStatusLine();

    // The window opens in browse mode.
    cmdCancel->hide();
    cmdUpdate->hide();

    // Backup and compaction reach the form through the application.
    m_state.mainWindow.registerMainForm(
        {this, [this] { unloadForMaintenance(); }, [this] { return reloadAfterMaintenance(); }});

    // Open at the design size of the client area; the menu bar comes on top of it and the
    // status line below it.
    resize(m_layout->openingSize() +
           QSize(0, menuBar()->sizeHint().height() + statusBar()->sizeHint().height()));
}

frmMain::~frmMain() {
    m_state.mainWindow.unregisterMainForm(this);
}

QLineEdit* frmMain::textBox(const QString& name, int maxLength) {
    auto* box = new QLineEdit(m_layout);
    box->setObjectName(name);
    box->setMaxLength(maxLength);
    m_limits.insert(box, maxLength);
    return box;
}

void frmMain::createControls() {
    txtDescr = textBox(u"txtDescr"_s, 80);
    cmbType = dropDownList(m_layout, u"cmbType"_s);
    cmbStatus = dropDownList(m_layout, u"cmbStatus"_s);
    txtOrderNum = textBox(u"txtOrderNum"_s, 50);
    txtVia = textBox(u"txtVia"_s, 50);
    dcDateOrder = dateField(m_layout, u"dcDateOrder"_s);
    dcDateExpect = dateField(m_layout, u"dcDateExpect"_s);
    dcDateReceive = dateField(m_layout, u"dcDateReceive"_s);
    txtAmount = new AmountBox(m_services, m_layout);
    txtAmount->setObjectName(u"txtAmount"_s);
    txtAmount->setMaxLength(80);
    m_limits.insert(txtAmount, 80);
    txtMethod = textBox(u"txtMethod"_s, 50);
    cmdSelVend = button(m_layout, u"cmdSelVend"_s, u"Select Existing"_s);
    txtVendor = textBox(u"txtVendor"_s, 80);
    txtAddress = memoBox(m_layout, u"txtAddress"_s, 250);
    txtPhone = textBox(u"txtPhone"_s, 30);
    txtFax = textBox(u"txtFax"_s, 30);
    txtEmail = textBox(u"txtEmail"_s, 80);
    txtItems = memoBox(m_layout, u"txtItems"_s);
    txtNotes = memoBox(m_layout, u"txtNotes"_s);
    txtMisc1 = textBox(u"txtMisc1"_s, 50);

    Line1 = new QFrame(m_layout);
    Line1->setObjectName(u"Line1"_s);
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);
}

void frmMain::createButtons() {
    cmdFirst = button(m_layout, u"cmdFirst"_s, u"Firs&t"_s);
    cmdPrevious = button(m_layout, u"cmdPrevious"_s, u"&Previous"_s);
    cmdNext = button(m_layout, u"cmdNext"_s, u"&Next"_s);
    cmdLast = button(m_layout, u"cmdLast"_s, u"&Last"_s);
    cmdAddNew = button(m_layout, u"cmdAddNew"_s, u"&Add New"_s);
    cmdDelete = button(m_layout, u"cmdDelete"_s, u"&Delete"_s);
    cmdFind = button(m_layout, u"cmdFind"_s, u"F&ind"_s);
    cmdCancel = button(m_layout, u"cmdCancel"_s, u"&Cancel"_s);
    cmdUpdate = button(m_layout, u"cmdUpdate"_s, u"&Update"_s);
    cmdHelp = button(m_layout, u"cmdHelp"_s, u"Help"_s);
}

QLabel* frmMain::caption(const QString& name, const QString& text, int left, int top, int width) {
    auto* label = new QLabel(text, m_layout);
    label->setObjectName(name);
    // When the window grows the caption stays just above its box.
    label->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    m_layout->place(label, left, top, width, CaptionHeight);
    return label;
}

void frmMain::placeControls() {
    // Each caption sits just above its box; the vendor caption ends where "Select Existing"
    // begins.
    // clang-format off
    //                                                                   left    top  width
                   caption(u"lblDescr"_s,       u"Description"_s,         120,    45,  2775);
                   caption(u"lblType"_s,        u"Type"_s,               3120,    45,  1215);
                   caption(u"lblStatus"_s,      u"Received"_s,           4560,    45,  1215);
                   caption(u"lblOrderNum"_s,    u"Order Number"_s,       6000,    45,  1575);
                   caption(u"lblVia"_s,         u"Ordered By"_s,         7800,    45,  1455);
    lblDateOrder = caption(u"lblDateOrder"_s,   u"Date Ordered"_s,        120,   960,  2265);
                   caption(u"lblDateExpect"_s,  u"Date Expected/Due"_s,   120,  1680,  2265);
                   caption(u"lblDateReceive"_s, u"Date Received"_s,       120,  2505,  2265);
                   caption(u"lblAmount"_s,      u"Amount"_s,              120,  3120,  2265);
                   caption(u"lblMethod"_s,      u"Payment Method"_s,      120,  3840,  2295);
    lblVendor =    caption(u"lblVendor"_s,      u"Ordered From"_s,       2640,   960,  1080);
                   caption(u"lblAddress"_s,     u"Address"_s,            2640,  1560,  2895);
                   caption(u"lblPhone"_s,       u"Phone"_s,              2640,  2490,  2895);
                   caption(u"lblFax"_s,         u"Fax"_s,                2640,  3120,  2895);
                   caption(u"lblEmail"_s,       u"E-mail"_s,             2640,  3840,  2895);
    lblItems =     caption(u"lblItems"_s,       u"Items Ordered"_s,      5760,   960,  3645);
                   caption(u"lblNotes"_s,       u"Notes"_s,              5760,  2400,  3735);
                   caption(u"lblMisc1"_s,       u"Miscellaneous"_s,      5760,  3840,  3735);

    ElasticLayout& l = *m_layout;
    //       control         left   top  width height
    l.place(txtDescr,         120,  285, 2775,  285);
    l.place(cmbType,         3120,  285, 1215,  315);
    l.place(cmbStatus,       4560,  285, 1215,  315);
    l.place(txtOrderNum,     6000,  285, 1575,  285);
    l.place(txtVia,          7800,  285, 1455,  285);
    l.place(Line1,            120,  705, 9360,   30);
    l.place(cmdSelVend,      3720,  840, 1695,  255);
    l.place(dcDateOrder,      120, 1200, 2265,  315);
    l.place(dcDateExpect,     120, 1920, 2265,  315);
    l.place(dcDateReceive,    120, 2745, 2265,  315);
    l.place(txtAmount,        120, 3360, 2265,  285);
    l.place(txtMethod,        120, 4080, 2295,  285);
    l.place(txtVendor,       2640, 1200, 2865,  285);
    l.place(txtAddress,      2640, 1800, 2895,  615);
    l.place(txtPhone,        2640, 2730, 2895,  285);
    l.place(txtFax,          2640, 3360, 2895,  285);
    l.place(txtEmail,        2640, 4080, 2895,  285);
    l.place(txtItems,        5760, 1200, 3645, 1080);
    l.place(txtNotes,        5760, 2640, 3735, 1095);
    l.place(txtMisc1,        5760, 4080, 3735,  285);

    // Two rows of four; Cancel and Update take the places of Delete and Find.
    l.place(cmdFirst,         720, 4680, 1815,  495);
    l.place(cmdPrevious,     2760, 4680, 1815,  495);
    l.place(cmdNext,         4800, 4680, 1815,  495);
    l.place(cmdLast,         6840, 4680, 1815,  495);
    l.place(cmdAddNew,        720, 5400, 1815,  495);
    l.place(cmdDelete,       2760, 5400, 1815,  495);
    l.place(cmdFind,         4800, 5400, 1815,  495);
    l.place(cmdCancel,       2760, 5400, 1695,  495);
    l.place(cmdUpdate,       4800, 5400, 1695,  495);
    l.place(cmdHelp,         6840, 5400, 1815,  495);
    // clang-format on
}

void frmMain::createMenus() {
    QMenuBar* bar = menuBar();

    mnuFileMenu = bar->addMenu(u"&File"_s);
    mnuFileMenu->setObjectName(u"mnuFileMenu"_s);
    mnuBackup = menuItem(mnuFileMenu, u"mnuBackup"_s, u"&Backup"_s);
    mnuPack = menuItem(mnuFileMenu, u"mnuPack"_s, u"&Pack Database"_s);
    mnuImport = menuItem(mnuFileMenu, u"mnuImport"_s, u"&Import..."_s);
    mnuExportCsv = menuItem(mnuFileMenu, u"mnuExportCsv"_s, u"Export to &CSV..."_s);
    mnuFileMenu->addSeparator();
    mnuExit = menuItem(mnuFileMenu, u"mnuExit"_s, u"E&xit"_s);
    // Written out rather than QKeySequence::Quit, which some desktops leave empty. Greyed
    // out with the item while a record is being edited, as the item is.
    mnuExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(mnuExit, &QAction::triggered, this, &QWidget::close);

    mnuSortMenu = bar->addMenu(u"&Sort"_s);
    mnuSortMenu->setObjectName(u"mnuSortMenu"_s);
    const QStringList sortCaptions = {u"Sort by Order &Date"_s, u"Sort by &Description"_s,
                                      u"Sort by &Vendor (Ordered From, Sold To)"_s};
    m_sortGroup = new QActionGroup(this);
    m_sortGroup->setExclusive(true);
    for (int i = 0; i < int(mnuSort.size()); ++i) {
        mnuSort[i] = menuItem(mnuSortMenu, u"mnuSort(%1)"_s.arg(i + 1), sortCaptions.at(i));
        mnuSort[i]->setCheckable(true);
        m_sortGroup->addAction(mnuSort[i]);
    }
    mnuSort[0]->setChecked(true);

    mnuReportsMenu = bar->addMenu(u"&Reports"_s);
    mnuReportsMenu->setObjectName(u"mnuReportsMenu"_s);
    const QStringList reportCaptions = {u"&All Orders"_s, u"A&ll Rebates"_s, u"All &Sales"_s,
                                        u"&Outstanding Orders/Rebates/Sales"_s,
                                        u"O&verdue Orders/Rebates/Sales"_s};
    for (int i = 0; i < int(mnuRpt.size()); ++i)
        mnuRpt[i] = menuItem(mnuReportsMenu, u"mnuRpt(%1)"_s.arg(i + 1), reportCaptions.at(i));
    mnuReportsMenu->addSeparator();
    mnuRptCustom = menuItem(mnuReportsMenu, u"mnuRptCustom"_s, u"Custom &Reports"_s);

    mnuHelpmenu = bar->addMenu(u"&Help"_s);
    mnuHelpmenu->setObjectName(u"mnuHelpmenu"_s);
    const QStringList helpCaptions = {u"&Contents"_s, u"&Search for Help on..."_s,
                                      u"&Using Help"_s};
    for (int i = 0; i < int(mnuHelp.size()); ++i)
        mnuHelp[i] = menuItem(mnuHelpmenu, u"mnuHelp(%1)"_s.arg(i + 1), helpCaptions.at(i));
    mnuHelpmenu->addSeparator()->setObjectName(u"mnuDash2"_s);
    mnuAbout = menuItem(mnuHelpmenu, u"mnuAbout"_s, u"&About Purvex"_s);
}

void frmMain::setTabOrderChain() {
    const QList<QWidget*> chain = {txtDescr,    cmbType,      cmbStatus,     txtOrderNum, txtVia,
                                   dcDateOrder, dcDateExpect, dcDateReceive, txtAmount,   txtMethod,
                                   cmdSelVend,  txtVendor,    txtAddress,    txtPhone,    txtFax,
                                   txtEmail,    txtItems,     txtNotes,      txtMisc1,    cmdFirst,
                                   cmdPrevious, cmdNext,      cmdLast,       cmdAddNew,   cmdDelete,
                                   cmdFind,     cmdCancel,    cmdUpdate,     cmdHelp};
    for (int i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain.at(i - 1), chain.at(i));
}

void frmMain::setHelpContexts() {
    setHelpContext(this, HelpTopic::MainWindow);

    const std::pair<QObject*, int> topics[] = {
        {cmbType, HelpTopic::Type},
        {cmdAddNew, HelpTopic::AddNew},
        {cmdUpdate, HelpTopic::Update},
        {cmdCancel, HelpTopic::Cancel},
        {cmdDelete, HelpTopic::Delete},
        {cmdFirst, HelpTopic::PagingButtons},
        {cmdPrevious, HelpTopic::PagingButtons},
        {cmdNext, HelpTopic::PagingButtons},
        {cmdLast, HelpTopic::PagingButtons},
        {cmdFind, HelpTopic::Find},
        {txtDescr, HelpTopic::Description},
        {cmbStatus, HelpTopic::ReceivedStatus},
        {txtOrderNum, HelpTopic::OrderNumber},
        {txtVia, HelpTopic::OrderedBy},
        {dcDateOrder, HelpTopic::DateOrdered},
        {dcDateExpect, HelpTopic::DateExpected},
        {dcDateReceive, HelpTopic::DateReceived},
        {txtAmount, HelpTopic::Amount},
        {txtMisc1, HelpTopic::Miscellaneous},
        {txtVendor, HelpTopic::Vendor},
        {txtAddress, HelpTopic::Address},
        {txtPhone, HelpTopic::Phone},
        {txtEmail, HelpTopic::Email},
        {txtFax, HelpTopic::Fax},
        {cmdSelVend, HelpTopic::SelectExisting},
        {txtItems, HelpTopic::Items},
        {txtNotes, HelpTopic::Notes},
        {cmdHelp, HelpTopic::HelpMenu},
        {txtMethod, HelpTopic::PaymentMethod},
        // The menus: a highlighted title carries its menu's topic as well.
        {mnuFileMenu, HelpTopic::FileMenuAndBackup},
        {mnuFileMenu->menuAction(), HelpTopic::FileMenuAndBackup},
        {mnuBackup, HelpTopic::FileMenuAndBackup},
        {mnuPack, HelpTopic::PackDatabase},
        {mnuImport, HelpTopic::ImportExport},
        {mnuExportCsv, HelpTopic::ImportExport},
        {mnuExit, HelpTopic::Exit},
        {mnuSortMenu, HelpTopic::SortMenu},
        {mnuSortMenu->menuAction(), HelpTopic::SortMenu},
        {mnuSort[0], HelpTopic::SortMenu},
        {mnuSort[1], HelpTopic::SortMenu},
        {mnuSort[2], HelpTopic::SortMenu},
        {mnuReportsMenu, HelpTopic::ReportsMenu},
        {mnuReportsMenu->menuAction(), HelpTopic::ReportsMenu},
        {mnuRpt[0], HelpTopic::ReportsMenu},
        {mnuRpt[1], HelpTopic::AllRebates},
        {mnuRpt[2], HelpTopic::AllSales},
        {mnuRpt[3], HelpTopic::Outstanding},
        {mnuRpt[4], HelpTopic::Overdue},
        {mnuRptCustom, HelpTopic::CustomReports},
        {mnuHelpmenu, HelpTopic::HelpMenu},
        {mnuHelpmenu->menuAction(), HelpTopic::HelpMenu},
        {mnuHelp[0], HelpTopic::HelpMenu},
        {mnuHelp[1], HelpTopic::HelpMenu},
        {mnuHelp[2], HelpTopic::HelpMenu},
        {mnuAbout, HelpTopic::About}};
    for (const auto& [object, topic] : topics)
        setHelpContext(object, topic);
}

void frmMain::configureDateFields() {
    // The three fields differ only in the calendar's caption and the message; they may be
    // left blank, and the text is read when the record is saved.
    const auto configure = [&](DateField* field, const QString& caption, const QString& what) {
        field->configure(
            m_state, m_services,
            {.popupCaption = caption,
             .placement = DateField::PopupPlacement::BelowThreeHeights,
             .blankAllowed = true,
             .invalidMessage = u"You must enter a valid %1, or leave the field blank."_s.arg(what),
             .onValidEntry = {}});
    };
    configure(dcDateOrder, u"Select Order Date"_s, u"order date"_s);
    configure(dcDateExpect, u"Select Due Date"_s, u"due date"_s);
    configure(dcDateReceive, u"Select Date Received"_s, u"received date"_s);
}

void frmMain::connectChangeHandlers() {
    for (QLineEdit* box : {txtDescr, txtOrderNum, txtVia, txtAmount, txtMethod, txtMisc1, txtVendor,
                           txtPhone, txtFax, txtEmail})
        connect(box, &QLineEdit::textChanged, this, &frmMain::MarkChanged);
    for (QPlainTextEdit* box : {txtAddress, txtItems, txtNotes})
        connect(box, &QPlainTextEdit::textChanged, this, &frmMain::MarkChanged);
    for (DateField* field : {dcDateOrder, dcDateExpect, dcDateReceive})
        connect(field, &DateField::textChanged, this, &frmMain::MarkChanged);
    connect(cmbType, &QComboBox::currentIndexChanged, this, &frmMain::cmbType_Click);
    connect(cmbStatus, &QComboBox::currentIndexChanged, this, &frmMain::cmbStatus_Click);
}

bool frmMain::loadAndShow() {
    Form_Load();
    if (m_state.programEnded)
        return false;
    show();
    return true;
}

void frmMain::Form_Load() {
    m_loaded = true;
    ErrorTrap trap(m_state, m_services);

    trap([&] { ChkDateFmt(m_state, m_services.locale()); });
    trap([&] { m_state.gSortOrder = codeOf(SortOrder::OrderDate); });
    trap([&] {
        QString dir = QDir::currentPath();
        // The root directory already ends in its separator.
        if (!dir.endsWith(QLatin1Char('/')))
            dir += QLatin1Char('/');
        m_state.gDataDir = dir;
        m_state.gHelpFile = dir + u"pvx.hlp"_s;
        m_state.gDbPath = dir + u"pvx.mdb"_s;
    });
    // The older program's Access-format file, copied in by a user who switches, is offered
    // for conversion before anything tries to open it.
    trap([&] { offerAccessConversion(m_state, m_services); });
    // Without pvx.mdb, a pvx.server beside it names a database on a server, shared with
    // other users; pvx.mdb, when there, is opened as always.
    const QString serverFile = m_state.gDataDir + QString::fromLatin1(ServerFile::FileName);
    const bool onServer = !m_state.gDataDir.isEmpty() && !QFileInfo::exists(m_state.gDbPath) &&
                          QFileInfo::exists(serverFile);
    trap([&] {
        m_state.gDatabase = onServer ? Database::openServer(ServerFile::read(serverFile))
                                     : Database::open(m_state.gDbPath, true);
    });
    trap([&] {
        m_state.gServer = database().serverName();
        setWindowTitle(m_state.gServer.isEmpty() ? u"PVX - Purvex"_s
                                                 : u"PVX - Purvex - %1"_s.arg(m_state.gServer));
    });
    trap([&] { Schema::requireKnownVersion(database()); });
    // Everything is checked before anything is written: a refused file stays as it was.
    trap([&] { Schema::requireOrdersTable(database()); });
    if (!trap.ended()) {
        // A file from an earlier release gets the table of saved report designs. One that
        // cannot take it is used all the same: saving a design then says why it cannot.
        try {
            Schema::upgrade(database());
        } catch (const EngineError&) {
        }
        addMissingIndexes();
    }
    trap([&] { m_state.gOrders = database().openDynaset(u"pvx"_s, u"dateorder DESC"_s); });
    trap([&] { orders().setLockEdits(false); });
    trap([&] {
        const QString newYear = FormatDate(1, 1, m_services.today().year(), m_state.gDateFmt);
        const auto date =
            LocaleDates::toDate(newYear, m_services.locale(), m_services.today().year());
        if (!date)
            throw EngineError(ErrorNumber::TypeMismatch, u"Type mismatch"_s);
        m_state.gStartDate = date->date;
    });
    trap([&] { m_state.gEndDate = m_services.today(); });
    trap([&] {
        // Filling the lists moves their position; that is not the user's change.
        mDirty = true;
        cmbType->clear();
        cmbType->addItems({u"Order"_s, u"Rebate"_s, u"Sale"_s});
        cmbStatus->clear();
        cmbStatus->addItems({u"No"_s, u"Partially"_s, u"Yes"_s});
    });

    bool empty = true;
    // Asked as BOF and EOF together, which costs one index search where a count reads all.
    trap([&] { empty = orders().bof() && orders().eof(); });
    if (trap.ended())
        return;
    if (empty) {
        trap([&] { ClearFields(); });
        trap([&] { DisableFields(); });
    } else {
        trap([&] { orders().moveFirst(); });
        trap([&] { ShowRecord(); });
    }
    if (trap.ended())
        return;
    // Loaded again after a backup or compaction, the form may have been left in the middle
    // of an edit: it comes back exactly as a fresh start shows it.
    if (!empty)
        EnableFields();
    ShowBrowseButtons();
    cmdAddNew->setText(u"&Add New"_s);
    mDirty = false;
    mAdding = false;
    checkSortItem(codeOf(SortOrder::OrderDate));
    UpdateStatusLine();
}

void frmMain::Form_Unload() {
    if (!m_loaded || m_state.programEnded)
        return;
    m_loaded = false;
    // The closed objects stay in place: a window left open across a backup or compaction
    // then fails with "invalid object" instead of touching a database that is gone.
    if (m_state.gOrders)
        m_state.gOrders->close();
    if (m_state.gDatabase)
        m_state.gDatabase->close();
    if (!m_state.gMaintenance)
        endProgram(m_state, m_services, 0);
}

void frmMain::unloadForMaintenance() {
    // The edits are dropped with the controls' contents; a date or amount the user was
    // leaving is not checked.
    for (DateField* date : {dcDateOrder, dcDateExpect, dcDateReceive})
        date->cancelPendingCheck();
    if (auto* amount = qobject_cast<AmountBox*>(txtAmount))
        amount->cancelPendingCheck();
    m_placement.remember(*this);
    Form_Unload();
    // Shown again, the window puts the focus where a fresh start does.
    if (QWidget* focused = focusWidget())
        focused->clearFocus();
    hide();
}

bool frmMain::reloadAfterMaintenance() {
    // The window comes back where it was, at the same size, and wholly on its screen.
    m_placement.putBack(*this);
    if (!loadAndShow())
        return false;
    WindowPlacement::keepOnScreen(*this);
    // The focus goes where a fresh start puts it: the first control that takes it, in the
    // window the user is brought back to.
    if (!focusWidget())
        focusNextPrevChild(true);
    activateWindow();
    return true;
}

void frmMain::closeEvent(QCloseEvent* event) {
    // Unsaved edits live only in the controls, so closing drops them without a question.
    Form_Unload();
    event->accept();
}

Database& frmMain::database() const {
    if (!m_state.gDatabase)
        throw EngineError(ErrorNumber::ObjectNotSet,
                          u"Object variable or With block variable not set"_s);
    return *m_state.gDatabase;
}

Recordset& frmMain::orders() const {
    if (!m_state.gOrders)
        throw EngineError(ErrorNumber::ObjectNotSet,
                          u"Object variable or With block variable not set"_s);
    return *m_state.gOrders;
}

#pragma once

#include "gui/app/WindowPlacement.h"
#include "gui/help/frmAbout.h"
#include "gui/orders/MemoBox.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>

#include <array>

struct AppState;
class Database;
class DateField;
class ElasticLayout;
class QAction;
class QActionGroup;
class QCloseEvent;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class Recordset;
class Services;
class ErrorTrap;
class frmFind;
class BuiltInReports;
class frmSelVen;
class frmRptSpec;

// The main window: one order record at a time in a fixed set of entry controls, a bar of
// navigation and record buttons, and the menus that lead to the rest of the program.
//
// The controls, the flags and the procedures are public because the other windows of the
// order entry work on them directly: the vendor dialog writes into the vendor boxes, a
// find shows the record it moved to.
class frmMain : public QMainWindow {
    Q_OBJECT

public:
    // Builds the window and its controls; no data is read until Form_Load.
    frmMain(AppState& state, Services& services, QWidget* parent = nullptr);
    ~frmMain() override;

    // Runs the start-up sequence and shows the window only if the program is still
    // running afterwards. Returns whether it was shown.
    bool loadAndShow();

    // The container that places and stretches the controls.
    ElasticLayout* elasticLayout() const { return m_layout; }

    // Start-up: finds the data directory, opens the database and shows the newest order.
    // Every step runs through the error trap; a failure ends the program.
    void Form_Load();
    // Shut-down: closes the recordset and the database and, unless backup or compaction
    // is reopening the window, ends the program.
    void Form_Unload();
    // What backup and compaction ask of the application: the form unloaded and hidden (the
    // database closed, unsaved edits dropped), then loaded afresh as at start-up.
    void unloadForMaintenance();
    bool reloadAfterMaintenance();

    // Enters edit mode on the user's first change of a shown record.
    void MarkChanged();
    // The order date, vendor and items captions read differently for a sale.
    void SetTypeCaptions();
    // Copies the current record of gOrders into the controls.
    void ShowRecord();
    void ClearFields();
    void EnableFields();
    void DisableFields();
    void ShowEditButtons();
    void ShowBrowseButtons();

    // The list handlers; a change of position is the click of a drop-down list.
    void cmbType_Click();
    void cmbStatus_Click();

    // Record commands (frmMainCommands.cpp).
    void cmdAddNew_Click();
    void cmdUpdate_Click();
    void cmdCancel_Click();
    void cmdDelete_Click();
    // True when the controls hold a record that may be saved; otherwise one message has
    // been shown and the focus moved to the control to put right.
    bool ValidateRecord();
    // Writes the controls into the row gOrders is adding or editing, and saves it.
    void WriteRecord();

    // Paging and sort order (frmMainSort.cpp).
    void cmdFirst_Click();
    void cmdPrevious_Click();
    void cmdNext_Click();
    void cmdLast_Click();
    void mnuSort_Click(int index);

    // The Reports menu (frmMainReports.cpp): index 1 to 5 runs a built-in report.
    void mnuRpt_Click(int index);
    // Opens the custom report designer, or brings the open one forward as it is.
    void mnuRptCustom_Click();

    // File, Backup and Pack Database (frmMainMaintenance.cpp).
    void mnuBackup_Click();
    void mnuPack_Click();

    // File, Import and Export to CSV (frmMainExchange.cpp). After an import the form shows
    // the records as a fresh start does.
    void mnuImport_Click();
    void mnuExportCsv_Click();

    // The status line (frmMainStatusLine.cpp): how many items are overdue and how many fall
    // due within the next DueItems::DefaultDays days, counted again after every change to
    // the records; its overdue count is a link that opens the Overdue report.
    void UpdateStatusLine();
    // The status line's text as shown, without the link's markup.
    QString statusLineText() const;

    // Find and Select Existing (frmMainFind.cpp).
    void cmdFind_Click();
    void cmdSelVend_Click();

    // Help and About (frmMainHelp.cpp): the Help button opens the contents, the Help menu's
    // items 1 to 3 the contents, the search and the page on using help.
    void cmdHelp_Click();
    void mnuHelp_Click(int index);
    void mnuAbout_Click();
    // The About box while it is open.
    frmAbout* aboutBox() const { return m_frmAbout.data(); }

    // True once the user has changed the shown record, and while ShowRecord or ClearFields
    // fill the controls so that the change events they raise are not taken for the user's.
    bool mDirty = false;
    // True from Add New until Update or Cancel.
    bool mAdding = false;
    // The last WriteRecord did not write the row, and the program goes on (another user's
    // change came first): the form keeps what the user typed.
    bool m_writeRefused = false;

    QLineEdit* txtDescr = nullptr;
    QComboBox* cmbType = nullptr;
    QComboBox* cmbStatus = nullptr;
    QLineEdit* txtOrderNum = nullptr;
    QLineEdit* txtVia = nullptr;
    DateField* dcDateOrder = nullptr;
    DateField* dcDateExpect = nullptr;
    DateField* dcDateReceive = nullptr;
    QLineEdit* txtAmount = nullptr;
    QLineEdit* txtMethod = nullptr;
    QPushButton* cmdSelVend = nullptr;
    QLineEdit* txtVendor = nullptr;
    MemoBox* txtAddress = nullptr;
    QLineEdit* txtPhone = nullptr;
    QLineEdit* txtFax = nullptr;
    QLineEdit* txtEmail = nullptr;
    MemoBox* txtItems = nullptr;
    MemoBox* txtNotes = nullptr;
    QLineEdit* txtMisc1 = nullptr;

    QLabel* lblDateOrder = nullptr;
    QLabel* lblVendor = nullptr;
    QLabel* lblItems = nullptr;
    QFrame* Line1 = nullptr;

    QPushButton* cmdFirst = nullptr;
    QPushButton* cmdPrevious = nullptr;
    QPushButton* cmdNext = nullptr;
    QPushButton* cmdLast = nullptr;
    QPushButton* cmdAddNew = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdFind = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdUpdate = nullptr;
    QPushButton* cmdHelp = nullptr;
    QLabel* lblDue = nullptr;

    QMenu* mnuFileMenu = nullptr;
    QAction* mnuBackup = nullptr;
    QAction* mnuPack = nullptr;
    QAction* mnuImport = nullptr;
    QAction* mnuExportCsv = nullptr;
    QAction* mnuExit = nullptr;
    QMenu* mnuSortMenu = nullptr;
    // The menu groups are indexed from 1 in their click handlers: mnuSort[index - 1].
    std::array<QAction*, 3> mnuSort{};
    QMenu* mnuReportsMenu = nullptr;
    std::array<QAction*, 5> mnuRpt{};
    QAction* mnuRptCustom = nullptr;
    QMenu* mnuHelpmenu = nullptr;
    std::array<QAction*, 3> mnuHelp{};
    QAction* mnuAbout = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // A caption's height in twips: from the top of its box up to the one above.
    static constexpr int CaptionHeight = 240;

    QLineEdit* textBox(const QString& name, int maxLength);
    QLabel* caption(const QString& name, const QString& text, int left, int top, int width);
    void createControls();
    void placeControls();
    void createButtons();
    void createMenus();
    void setTabOrderChain();
    void setHelpContexts();
    void configureDateFields();
    void connectChangeHandlers();
    void connectCommandHandlers();
    void connectSortHandlers();
    void connectFindHandlers();
    void connectReportHandlers();
    void connectHelpHandlers();
    void connectMaintenanceHandlers();
    void connectExchangeHandlers();
    void createStatusLine();
    void addMissingIndexes();

    // The checks every save makes first: each box's own check on leaving, then the
    // record's. False when one of them has shown its message.
    bool readyToSave(ErrorTrap& trap);

    // Replaces gOrders by a new dynaset over pvx in the given order.
    void openOrders(const QString& orderBy);
    // Opens the orders again in the current sort order, reading the keys afresh.
    void reopenOrders();
    // Puts the check mark on sort item index (1 to 3) alone.
    void checkSortItem(int index);

    // The entry controls in the order they are enabled and disabled.
    QList<QWidget*> entryControls() const;
    // Shows stored text in full even where it is longer than the box lets the user type,
    // so that a record written by another tool is not cut short when it is saved again.
    void showText(QLineEdit* box, const QVariant& value);
    // Notes what ShowRecord or ClearFields has just put into every box, so that a save can
    // tell the boxes the user changed from those that still show the stored value.
    void rememberShown();
    // Whether the control now shows something other than what was put into it.
    bool userChanged(const QWidget* control) const;

    // The open database and the main recordset; a step that runs without them fails as
    // an unset object does, so the trap reports it instead of the program crashing.
    Database& database() const;
    Recordset& orders() const;

    AppState& m_state;
    Services& m_services;
    ElasticLayout* m_layout = nullptr;
    // Exactly one sort order carries the check mark.
    QActionGroup* m_sortGroup = nullptr;
    // The most characters the user may type into each single-line box.
    QHash<QLineEdit*, int> m_limits;
    // The find dialog is only hidden by its OK, so the next find starts from the choice
    // made last; Cancel destroys it.
    QPointer<frmFind> m_frmFind;
    // The five built-in reports and the output window they share; a child of the form.
    BuiltInReports* m_reports = nullptr;
    // The vendor list is modeless: one at a time.
    QPointer<frmSelVen> m_frmSelVen;
    // So is the About box.
    QPointer<frmAbout> m_frmAbout;
    // So is the custom report designer, which keeps its report while it is open.
    QPointer<frmRptSpec> m_frmRptSpec;
    // Set by Form_Load, cleared by Form_Unload, so closing twice shuts down once.
    bool m_loaded = false;
    // What each entry control showed after the record was put into the form: its text, or
    // for the two lists the position.
    QHash<const QWidget*, QString> m_shown;
    // The shown record's status is a code the program never writes (not Null, 0, 1 or 2).
    bool m_oddStatus = false;
    // Where the window was when backup or compaction unloaded it; it comes back there.
    WindowPlacement m_placement;
};
